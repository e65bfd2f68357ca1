#include "store/BoardList.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/UiServices.h"
#include "store/BlockMemory.h"
#include "store/CommaText.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kHeader = "VornExplorer BoardListFile Ver.0.01\r\n";

using Fields = std::vector<std::string>;

TEST(CommaText, SplitsByTheListFileRules) {
  EXPECT_EQ(SplitCommaText("12,\"id\",\"title\",1,0,2"),
            (Fields{"12", "id", "title", "1", "0", "2"}));
  EXPECT_EQ(SplitCommaText("  a , b,,c"), (Fields{"a", "b", "", "c"}));
  EXPECT_EQ(SplitCommaText("a b,c"), (Fields{"a", "b", "c"}));  // a blank ends a bare field
  EXPECT_EQ(SplitCommaText("\" x \"\"y\"\" \",z"), (Fields{" x \"y\" ", "z"}));
  EXPECT_EQ(SplitCommaText("\"\",\"\""), (Fields{"", ""}));
  EXPECT_EQ(SplitCommaText("a,"), (Fields{"a"}));
  EXPECT_EQ(SplitCommaText("\"open, to the end"), (Fields{"open, to the end"}));
  EXPECT_EQ(SplitCommaText(std::string("a,b\0,c", 6)), (Fields{"a", "b"}));
  EXPECT_EQ(SplitCommaText(""), (Fields{}));
  // The second byte of a double-byte character is never a quote.
  EXPECT_EQ(SplitCommaText("\"\x81\"\",x\""), (Fields{"\x81\"", "x\""}));
}

TEST(BoardList, AddsBoardsByNumberOrByIdentifierAndMergesKnownOnes) {
  TBoardList boards;
  ASSERT_TRUE(boards.AddBoard(5, "five", "Five"));
  ASSERT_TRUE(boards.AddBoard(-1, " MAIL       ", J("メール ")));
  ASSERT_TRUE(boards.AddBoard(-1, "other", "Other"));
  EXPECT_EQ(boards.Count(), 3);
  EXPECT_EQ(boards.GetArticles(0)->BoardNo, 5);
  EXPECT_EQ(boards.GetArticles(1)->BoardId, " MAIL       ");
  boards.GetArticles(0)->AddArticle(ArticleKindRoot, 0, 1, 1, 1, -1, -1, -1, -1, "", "", "t", "", 0,
                                    1);
  ASSERT_TRUE(boards.AddBoard(5, "renamed", ""));
  EXPECT_EQ(boards.Count(), 3);
  EXPECT_EQ(boards.GetBoardId(0), "renamed");
  EXPECT_EQ(boards.GetBoardTitle(0), "Five");
  EXPECT_EQ(boards.GetArticles(0)->BoardId, "renamed");
  EXPECT_EQ(boards.GetArticles(0)->Count(), 1);
  // An identifier longer than the record holds still finds the board it made.
  const std::string longId(40, 'L');
  ASSERT_TRUE(boards.AddBoard(-1, longId, "long"));
  ASSERT_TRUE(boards.AddBoard(-1, longId, "long again"));
  EXPECT_EQ(boards.Count(), 4);
  EXPECT_EQ(boards.GetBoardId(3), longId.substr(0, 31));
  EXPECT_EQ(boards.GetBoardTitle(3), "long again");

  EXPECT_FALSE(boards.SetBoardAttr(4, 0, 1, 1));
  EXPECT_EQ(boards.GetBoardNo(4), 0);
  EXPECT_EQ(boards.GetArticles(4), nullptr);
  EXPECT_EQ(boards.IsArticleBoard(4), 1);
  EXPECT_EQ(boards.GetBoardType(-1), 0);
}

TEST(BoardList, SortsByNumberAndByIdentifier) {
  TBoardList boards;
  for (int32_t n : {30, 2, 17})
    boards.AddBoard(n, "b" + std::to_string(n), "");
  boards.SortBoards();
  EXPECT_EQ(boards.GetBoardNo(0), 2);
  EXPECT_EQ(boards.GetBoardNo(1), 17);
  EXPECT_EQ(boards.GetBoardNo(2), 30);
  EXPECT_EQ(boards.GetArticles(2)->BoardNo, 30);  // each board keeps its articles

  TBoardList named;
  for (const char* id : {"\x96\x7b", "abc", "ab", "B"})
    named.AddBoard(-1, id, "");
  named.SortBoardsById();
  EXPECT_EQ(named.GetBoardId(0), "B");
  EXPECT_EQ(named.GetBoardId(1), "ab");
  EXPECT_EQ(named.GetBoardId(2), "abc");
  EXPECT_EQ(named.GetBoardId(3), "\x96\x7b");  // compared as unsigned bytes
}

TEST(BoardList, FileKeepsEveryByteOfIdentifiersAndTitles) {
  TempDir dir;
  const std::string path = dir.File("board.lst");
  TBoardList boards;
  // A quote; double-byte characters whose second byte is a backslash (0x5C) or the byte of a
  // quote; leading and trailing blanks; commas.
  const std::string title1 = J("表示\"ソフト\"") + "\x81\"" + ", end ";
  const std::string id2 = "  lead,\"q\"";
  ASSERT_TRUE(boards.AddBoard(7, "seven", title1));
  ASSERT_TRUE(boards.AddBoard(-1, " MAIL       ", J("メール ")));
  ASSERT_TRUE(boards.AddBoard(3, id2, J("ソ")));
  ASSERT_TRUE(boards.AddBoard(2030000000, "unsettled", "x"));
  ASSERT_TRUE(boards.SetBoardAttr(1, 0, 0, 0));
  ASSERT_TRUE(boards.SetBoardAttr(2, 1, 2, 1));
  ASSERT_TRUE(boards.SaveToFile(path));
  const std::string bytes = ReadBytes(path);
  EXPECT_NE(bytes.find("\r\n-1,\" MAIL       \",\"" + J("メール ") + "\",0,0,0\r\n"),
            std::string::npos);
  EXPECT_EQ(bytes.find("unsettled"), std::string::npos);
  EXPECT_EQ(bytes.rfind(kHeader, 0), 0u);

  TBoardList loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  ASSERT_EQ(loaded.Count(), 3);  // sorted by number: -1, 3, 7
  EXPECT_EQ(loaded.GetBoardId(0), " MAIL       ");
  EXPECT_EQ(loaded.GetBoardTitle(0), J("メール "));
  EXPECT_EQ(loaded.IsArticleBoard(0), 0);
  EXPECT_EQ(loaded.GetBoardId(1), id2);
  EXPECT_EQ(loaded.GetBoardTitle(1), J("ソ"));
  EXPECT_EQ(loaded.GetBoardType(1), 2);
  EXPECT_EQ(loaded.GetBoardAttr(1), 1);
  EXPECT_EQ(loaded.GetBoardTitle(2), title1);
  // Saving what was loaded gives the same file.
  ASSERT_TRUE(loaded.SaveToFile(dir.File("again.lst")));
  TBoardList sorted;
  ASSERT_TRUE(sorted.LoadFromFile(path));
  ASSERT_TRUE(sorted.SaveToFile(path));
  EXPECT_EQ(ReadBytes(dir.File("again.lst")), ReadBytes(path));
}

TEST(BoardList, LoadingTakesWhatIsValidAndMergesIntoTheList) {
  TempDir dir;
  const std::string path = dir.File("board.lst");
  TBoardList boards;
  ASSERT_TRUE(boards.AddBoard(4, "four", "Four"));
  ASSERT_TRUE(boards.SetBoardAttr(0, 1, 1, 1));
  boards.GetArticles(0)->AddArticle(ArticleKindRoot, 0, 1, 1, 1, -1, -1, -1, -1, "", "", "t", "", 0,
                                    1);
  WriteBytes(path, kHeader +
                       "4,\"vier\",\"Vier\"\r\n"   // known board, three fields
                       "30,\"a\",\"A\",1,1,2\r\n"  // attributes
                       "2,\"b\",\"B\",1,3,0\r\n"   // type 3 is no type: defaults
                       "17,\"c\",\"C\",1,0,x\r\n"  // not a number: defaults
                       "9,\"short\"\r\n"           // too few fields
                       "abc,\" key\",\"keyed by id\",0,0,0\r\n");
  ASSERT_TRUE(boards.LoadFromFile(path));
  ASSERT_EQ(boards.Count(), 5);
  // Not a number: keyed by identifier with NoNumber, which sorts first.
  EXPECT_EQ(boards.GetBoardId(0), " key");
  EXPECT_EQ(boards.IsArticleBoard(0), 0);
  EXPECT_EQ(boards.GetBoardNo(1), 2);
  EXPECT_EQ(boards.GetBoardType(1), 0);
  EXPECT_EQ(boards.GetBoardNo(2), 4);
  EXPECT_EQ(boards.GetBoardId(2), "vier");
  EXPECT_EQ(boards.GetBoardTitle(2), "Vier");
  EXPECT_EQ(boards.GetBoardAttr(2), 1);  // three fields keep the attributes
  EXPECT_EQ(boards.GetArticles(2)->Count(), 1);
  EXPECT_EQ(boards.GetBoardNo(3), 17);
  EXPECT_EQ(boards.GetBoardAttr(3), 0);
  EXPECT_EQ(boards.GetBoardNo(4), 30);
  EXPECT_EQ(boards.GetBoardType(4), 1);
  EXPECT_EQ(boards.GetBoardAttr(4), 2);
}

TEST(BoardList, OnlyABoardListFileIsRead) {
  TempDir dir;
  const std::string path = dir.File("board.lst");
  TBoardList boards;
  ASSERT_TRUE(boards.AddBoard(3, "c", "C"));
  ASSERT_TRUE(boards.AddBoard(1, "a", "A"));
  for (const std::string& header : {std::string("VornExplorer BoardListFile Ver.0.02"),
                                    std::string("VornExplorer BoardListFile Ver.0.01 ")}) {
    WriteBytes(path, header + "\r\n5,\"e\",\"E\"\r\n");
    EXPECT_FALSE(boards.LoadFromFile(path));
    EXPECT_EQ(boards.Count(), 2);
    EXPECT_EQ(boards.GetBoardNo(0), 3);  // not even sorted
  }
  WriteBytes(path, kHeader);
  EXPECT_TRUE(boards.LoadFromFile(path));
  WriteBytes(path, "");
  EXPECT_TRUE(boards.LoadFromFile(path));
  EXPECT_TRUE(boards.LoadFromFile(dir.File("missing.lst")));
  EXPECT_EQ(boards.Count(), 2);
  EXPECT_EQ(boards.GetBoardNo(0), 1);
}

TEST(BoardList, AFileWithLfLineEndsLoadsWithItsAttributes) {
  TempDir dir;
  const std::string path = dir.File("board.lst");
  WriteBytes(path,
             "VornExplorer BoardListFile Ver.0.01\n7,\"seven\",\"Seven\",0,2,1\n"
             "3,\"three\",\"Three\",1,1,2\n");
  TBoardList boards;
  ASSERT_TRUE(boards.LoadFromFile(path));
  ASSERT_EQ(boards.Count(), 2);
  EXPECT_EQ(boards.GetBoardId(0), "three");
  EXPECT_EQ(boards.GetBoardType(0), 1);
  EXPECT_EQ(boards.GetBoardAttr(0), 2);
  EXPECT_EQ(boards.IsArticleBoard(1), 0);
  EXPECT_EQ(boards.GetBoardTitle(1), "Seven");
}

TEST(BoardList, AFileThatIsNotUnderstoodIsKeptBeforeTheNextSave) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TempDir dir;
  const std::string path = dir.File("board.lst");
  const std::string theirs = "VornExplorer BoardListFile Ver.0.02\r\n5,\"e\",\"E\",0,1,1\r\n";
  WriteBytes(path, theirs);
  TBoardList boards;
  EXPECT_FALSE(boards.LoadFromFile(path));
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, RecordingUiServices::Kind::Warning);
  ASSERT_TRUE(boards.AddBoard(1, "a", "A"));
  ASSERT_TRUE(boards.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), kHeader + "1,\"a\",\"A\",1,0,0\r\n");
  EXPECT_EQ(ReadBytes(path + ".bak"), theirs);
}

// The indexed lookups against a walk of the list, through adds, identifiers replaced in place,
// both sorts and clearing.
TEST(BoardList, LookupsFindTheFirstBoardAsAWalkWould) {
  std::mt19937 random(12);
  TBoardList boards;
  auto walkNo = [&](int32_t number) {
    for (int32_t i = 0; i < boards.Count(); ++i) {
      if (boards.GetBoardNo(i) == number) return i;
    }
    return -1;
  };
  auto walkId = [&](const std::string& id) {
    for (int32_t i = 0; i < boards.Count(); ++i) {
      if (boards.GetBoardId(i) == id.substr(0, 31)) return i;
    }
    return -1;
  };
  auto someId = [&] {
    const uint32_t k = random() % 12;
    return k == 0 ? std::string() : k == 1 ? std::string(40, 'x') : "id" + std::to_string(k);
  };
  // A stopped load puts the records back as they were when it started (only additions and
  // changes lie between), and a fresh load swaps the whole list aside and back.
  TBoardList aside;
  std::vector<char> copy;
  bool restorable = false;
  for (int round = 0; round < 4000; ++round) {
    const uint32_t action = random() % 100;
    if (action < 70) {
      const int32_t number = static_cast<int32_t>(random() % 30) - 5;
      ASSERT_TRUE(boards.AddBoard(number, someId(), random() % 2 ? "t" : ""));
    } else if (action < 78) {
      boards.SortBoards();
      restorable = false;
    } else if (action < 86) {
      boards.SortBoardsById();
      restorable = false;
    } else if (action == 86) {
      boards.Clear();
      restorable = false;
    } else if (action < 91) {
      copy = boards.CopyRecords();
      restorable = true;
    } else if (action < 96) {
      if (restorable) boards.RestoreBoards(copy);
    } else {
      boards.Swap(aside);
      restorable = false;
    }
    for (int k = 0; k < 3; ++k) {
      const int32_t number = static_cast<int32_t>(random() % 30) - 5;
      ASSERT_EQ(boards.FindBoardNo(number), walkNo(number)) << round;
      const std::string id = someId();
      ASSERT_EQ(boards.FindBoardId(id), walkId(id)) << round << " " << id;
    }
  }
}

TEST(BoardList, AFailedSaveIsReportedAndLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("board.lst");
  WriteBytes(path, "old file");
  TBoardList boards;
  ASSERT_TRUE(boards.AddBoard(1, "a", std::string(100, 't')));
  {
    test::ScopedFileSizeLimit limit(16);
    EXPECT_FALSE(boards.SaveToFile(path));
  }
  EXPECT_EQ(ReadBytes(path), "old file");
  EXPECT_FALSE(boards.SaveToFile(dir.File("no-such-folder/board.lst")));
}

TEST(BoardList, OutOfMemoryIsReportedOnce) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TBoardList boards;
  ScopedBlockAllocationLimit none(0);
  EXPECT_FALSE(boards.AddBoard(1, "a", "A"));
  EXPECT_FALSE(boards.AddBoard(2, "b", "B"));
  EXPECT_EQ(boards.Count(), 0);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text,
            J("ボードリスト追加中にメモリ不足が発生しました\rボードリスト追加を中断します"));
}

}  // namespace
}  // namespace vorn
