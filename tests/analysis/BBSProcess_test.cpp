#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "analysis/BBSProcess.h"
#include "analysis/NetVornTestFixture.h"
#include "platform/FileQuery.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::WriteBytes;

constexpr int32_t kT1 = 600000000;  // raw post times of the log entries below
constexpr int32_t kT2 = 600000060;

// Boards 3 and 12 and the mail box of a NetVorn set, with log articles, a queued write and
// mails, sorted as after an analysis.
class ReadPointers : public test::NetVornFixture {
 protected:
  void SetUp() override {
    MakeProcess();
    TBoardList& boards = process->Boards;
    boards.AddBoard(3, "general", "");
    boards.AddBoard(12, "tech", "");
    TArticleList* three = Board(3);
    three->AddArticle(ArticleKindRoot, 0, 101, 101, kT1, -1, -1, 1, -1, {}, {}, "a", {}, 0, 2);
    three->AddArticle(ArticleKindRess, 0, 102, 102, kT2, 101, 101, 2, 1, {}, {}, "b", {}, 5, 3);
    three->AddArticle(ArticleKindRoot, 1, 0, -1, 0, -1, -1, -1, -1, {}, {}, "write", {}, -1, 1,
                      std::make_unique<TStringList>(TStringList{"write"}));
    TArticleList* twelve = Board(12);
    twelve->AddArticle(ArticleKindRoot, 0, 7, 7, kT1, -1, -1, 1, -1, {}, {}, "c", {}, 9, 2);
    TArticleList* mail = Board(0);
    // Two mails of the same minute and one later.
    mail->AddArticle(ArticleKindMail, 0, 0, 0, kT1, -1, -1, 1, -1, {}, {}, "m0", {}, 20, 2);
    mail->AddArticle(ArticleKindMail, 0, 1, 1, kT1, -1, -1, 2, -1, {}, {}, "m1", {}, 25, 2);
    mail->AddArticle(ArticleKindMail, 0, 2, 2, kT2, -1, -1, 2, -1, {}, {}, "m2", {}, 30, 2);
    process->SortData();
    path = dir.File("NET.PTR");
  }

  void MarkRead(int32_t board, int32_t position) {
    Board(board)->SetReadFlag(ArticleSortNormal, position, 1, false);
  }
  uint8_t Read(int32_t board, int32_t position) {
    return Board(board)->GetReadFlag(ArticleSortNormal, position);
  }
  uint8_t New(int32_t board, int32_t position) {
    return Board(board)->GetNewFlag(ArticleSortNormal, position);
  }

  std::string path;
};

TEST_F(ReadPointers, SavedFileListsReadArticlesRestoredAndWithoutWrites) {
  MarkRead(3, 1);  // 102
  MarkRead(3, 2);  // the queued write
  MarkRead(0, 0);
  MarkRead(0, 1);
  MarkRead(12, 0);
  ASSERT_TRUE(process->SaveReadPointers(path));
  EXPECT_EQ(ReadBytes(path),
            "VornExplorer ReadPtrFile Ver.0.01\r\n"
            "\\0\r\n600000000\r\n600000000\r\n"
            "\\3\r\n102/600000060\r\n"
            "\\12\r\n7/600000000\r\n");
}

TEST_F(ReadPointers, LoadingMarksTheSameArticlesReadAndNotNew) {
  MarkRead(3, 1);
  MarkRead(0, 0);
  MarkRead(0, 1);
  MarkRead(12, 0);
  ASSERT_TRUE(process->SaveReadPointers(path));

  SetUp();  // the same data unread and new again
  ASSERT_TRUE(process->LoadReadPointers(path));
  EXPECT_EQ(Read(3, 0), 0);
  EXPECT_EQ(New(3, 0), 1);
  EXPECT_EQ(Read(3, 1), 1);
  EXPECT_EQ(New(3, 1), 0);
  EXPECT_EQ(Read(12, 0), 1);
  // Both mails of the same minute are read again, the later one stays unread.
  EXPECT_EQ(Read(0, 0), 1);
  EXPECT_EQ(Read(0, 1), 1);
  EXPECT_EQ(Read(0, 2), 0);
}

TEST_F(ReadPointers, OneLineOfAMinuteMarksTheLatestMailOfIt) {
  WriteBytes(path, "VornExplorer ReadPtrFile Ver.0.01\r\n\\0\r\n600000000\r\n");
  ASSERT_TRUE(process->LoadReadPointers(path));
  EXPECT_EQ(Read(0, 0), 0);
  EXPECT_EQ(Read(0, 1), 1);
}

TEST_F(ReadPointers, MalformedAndForeignLinesAreSkipped) {
  WriteBytes(path,
             "VornExplorer ReadPtrFile Ver.0.01\r\n"
             "101/600000000\r\n"  // before any board line
             "\\99\r\n"           // no such board: its lines go nowhere
             "101/600000000\r\n"
             "\\3\r\n"
             "12/\r\n"
             "/34\r\n"
             "abc/600000000\r\n"
             "101/-5\r\n"
             "\\\r\n"  // a lone backslash is no board line
             "102/600000060\r\n"
             "\\12\r\n"
             "7/600000000\r\n");
  ASSERT_TRUE(process->LoadReadPointers(path));
  EXPECT_EQ(Read(3, 0), 0);
  EXPECT_EQ(Read(3, 1), 1);
  EXPECT_EQ(Read(12, 0), 1);
}

TEST_F(ReadPointers, WrongHeaderOrEmptyNameChangesNothing) {
  WriteBytes(path, "VornExplorer ReadPtrFile Ver.0.02\r\n\\3\r\n102/600000060\r\n");
  EXPECT_FALSE(process->LoadReadPointers(path));
  EXPECT_EQ(Read(3, 1), 0);
  EXPECT_FALSE(process->LoadReadPointers(""));

  WriteBytes(path, "VornExplorer ReadPtrFile Ver.0.01\r\n");
  EXPECT_TRUE(process->LoadReadPointers(path));
  EXPECT_EQ(Read(3, 1), 0);
  EXPECT_TRUE(process->LoadReadPointers(dir.File("missing.ptr")));
}

TEST_F(ReadPointers, EntriesOfArticlesNotLoadedAreKeptInOrder) {
  // The file of earlier runs: articles of other logs in boards 3 and 12, an article loaded now
  // but marked unread since, a line given twice, a board the list no longer holds, and mails:
  // three of the minute kT1, of which two are loaded now, and one of a minute not loaded.
  WriteBytes(path,
             "VornExplorer ReadPtrFile Ver.0.01\r\n"
             "\\3\r\n50/500000000\r\n101/600000000\r\n700/700000000\r\n50/500000000\r\n"
             "\\0\r\n600000000\r\n600000000\r\n600000000\r\n500000000\r\n"
             "\\77\r\n1/2\r\n"
             "\\12\r\n8/600000000\r\nnonsense\r\n");
  ASSERT_TRUE(process->LoadReadPointers(path));
  EXPECT_EQ(Read(3, 0), 1);
  Board(3)->SetReadFlag(ArticleSortNormal, 0, 0, false);  // 101 marked unread
  MarkRead(3, 1);                                         // 102 read in this run
  ASSERT_TRUE(process->SaveReadPointers(path));
  EXPECT_EQ(ReadBytes(path),
            "VornExplorer ReadPtrFile Ver.0.01\r\n"
            "\\0\r\n500000000\r\n600000000\r\n600000000\r\n600000000\r\n"
            "\\3\r\n50/500000000\r\n102/600000060\r\n700/700000000\r\n"
            "\\12\r\n8/600000000\r\n"
            "\\77\r\n1/2\r\n");

  // Marking the two loaded mails of kT1 unread leaves the one of another log.
  Board(0)->SetReadFlag(ArticleSortNormal, 0, 0, false);
  Board(0)->SetReadFlag(ArticleSortNormal, 1, 0, false);
  ASSERT_TRUE(process->SaveReadPointers(path));
  EXPECT_NE(ReadBytes(path).find("\\0\r\n500000000\r\n600000000\r\n\\3\r\n"), std::string::npos);
}

TEST_F(ReadPointers, NothingReadLeavesNoFile) {
  WriteBytes(path, "old\r\n");
  EXPECT_TRUE(process->SaveReadPointers(path));
  EXPECT_FALSE(FileExists(path));
}

TEST_F(ReadPointers, AFileThatCannotBeWrittenOrRemovedIsReported) {
  // Nothing read and nothing there to remove.
  EXPECT_TRUE(process->SaveReadPointers(dir.File("no-such-folder/NET.PTR")));
  // A folder (not empty) in the file's place can neither be replaced nor removed.
  const std::string blocked = dir.File("blocked");
  std::filesystem::create_directories(NativePath(blocked + "/inside"));
  EXPECT_FALSE(process->SaveReadPointers(blocked));  // nothing read: the removal fails
  MarkRead(3, 0);
  EXPECT_FALSE(process->SaveReadPointers(blocked));
  EXPECT_FALSE(process->SaveReadPointers(dir.File("no-such-folder/NET.PTR")));
}

TEST_F(ReadPointers, BoardsKeyedByTextAndTheirMailBox) {
  // A family whose boards are keyed by text: the mail box is the board with the mail key.
  TBoardList& boards = process->Boards;
  boards.Clear();
  process->MailBoardNo = -1;
  process->MailBoardIndex = " MAIL       ";
  boards.AddBoard(-1, " MAIL       ", "mail");
  boards.AddBoard(-1, "FORUM  1   ", "forum");
  const int32_t mailIndex = boards.FindBoardId(" MAIL       ");
  const int32_t forumIndex = boards.FindBoardId("FORUM  1   ");
  EXPECT_TRUE(process->IsMailBox(mailIndex));
  EXPECT_FALSE(process->IsMailBox(forumIndex));
  EXPECT_FALSE(process->IsMailBox(-1));
  TArticleList* mail = boards.GetArticles(mailIndex);
  TArticleList* forum = boards.GetArticles(forumIndex);
  mail->AddArticle(ArticleKindMail, 0, 0, 0, kT1, -1, -1, -1, -1, "ABC01234", {}, "m", {}, 1, 2);
  forum->AddArticle(ArticleKindRoot, 0, 5, 5, kT2, -1, -1, -1, -1, "ABC01234", {}, "f", {}, 1, 2);
  mail->SortArticles();
  forum->SortArticles();
  mail->SetReadFlag(ArticleSortNormal, 0, 1, false);
  forum->SetReadFlag(ArticleSortNormal, 0, 1, false);
  ASSERT_TRUE(process->SaveReadPointers(path));
  EXPECT_EQ(ReadBytes(path),
            "VornExplorer ReadPtrFile Ver.0.01\r\n"
            "\\ MAIL       \r\n600000000\r\n"
            "\\FORUM  1   \r\n5/600000060\r\n");

  mail->SetReadFlag(ArticleSortNormal, 0, 0, false);
  forum->SetReadFlag(ArticleSortNormal, 0, 0, false);
  ASSERT_TRUE(process->LoadReadPointers(path));
  EXPECT_EQ(mail->GetReadFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(forum->GetReadFlag(ArticleSortNormal, 0), 1);
}

TEST(BBSProcessLists, BothListsAreLoadedEvenWhenOneFails) {
  test::TempDir dir;
  test::WriteBytes(dir.File("netvorn.ini"), "[Common]\r\nNetCount=0\r\n");
  TNetVorn process(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
  WriteBytes(dir.File("boards"), "not a board list\r\n");
  WriteBytes(dir.File("members"),
             "VornExplorer MemberListFile Ver.0.01\r\n1024,\"t\",\"c\",\"s\"\r\n");
  EXPECT_FALSE(process.LoadLists(dir.File("boards"), dir.File("members")));
  EXPECT_EQ(process.Members.Count(), 1);

  WriteBytes(dir.File("boards"), "VornExplorer BoardListFile Ver.0.01\r\n5,\"general\",\"t\"\r\n");
  EXPECT_TRUE(process.LoadLists(dir.File("boards"), dir.File("members")));
  EXPECT_GE(process.Boards.FindBoardNo(5), 0);

  bool added = false;
  process.Members.AddMember(2048, "h", "", "", true, added);
  EXPECT_TRUE(process.SaveLists(dir.File("boards2"), dir.File("members2")));
  EXPECT_NE(ReadBytes(dir.File("members2")).find("2048"), std::string::npos);
  EXPECT_NE(ReadBytes(dir.File("boards2")).find("general"), std::string::npos);
}

// The analysers strip every line into a reused buffer; it must give what the text layer's
// StripEscapeSequences gives, followed by the CR the patterns expect.
TEST(PrepareLineText, AgreesWithStripEscapeSequencesOnRandomLines) {
  std::mt19937 random(20240607);
  const std::string alphabet =
      std::string("\x1b[m;0123456789AJKab -\t", 22) + "\x81\x5c\x82\xa0\xfc";
  std::string text;
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int length = static_cast<int>(random() % 24);
    for (int k = 0; k < length; ++k)
      line += alphabet[random() % alphabet.size()];
    PrepareLineText(line, text);
    ASSERT_EQ(text, StripEscapeSequences(line) + "\r") << "line: " << line;
  }
  PrepareLineText("", text);
  EXPECT_EQ(text, "\r");
}

}  // namespace
}  // namespace vorn
