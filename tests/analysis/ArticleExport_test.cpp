#include "analysis/ArticleExport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/LogList.h"
#include "platform/FileQuery.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MemberList.h"
#include "support/SampleSession.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;

std::string Expected(const char* name) {
  return ReadBytes(test::SourceDir() + "/tests/analysis/expected/" + name);
}

// The title line the NetVorn sample's GenerateBoardTitle ("No.$q ｢$W｣\n") gives for board 1.
std::string SampleTitle() {
  return J("No.1 ｢GENERAL｣\r\n");
}

TEST(ArticleExportSample, BoardAndArticleFilesEqualTheExpectedBytes) {
  test::SampleSession sample;
  ASSERT_TRUE(sample.Load("NET19990730.LOG"));
  TBBSProcess& p = sample.Process();
  ASSERT_EQ(p.HeaderOffset, -1);  // the sample set does not show header lines
  const TArticleList& general = *p.Boards.GetArticles(1);

  const std::string boardFile = sample.dir.File("board.txt");
  ASSERT_TRUE(
      WriteExportFile(boardFile, SampleTitle(), BoardExportLines(general, sample.Log(), -1)));
  EXPECT_EQ(ReadBytes(boardFile), Expected("NET19990730.board1.txt"));

  // Article 102 in tree order (the order the grid shows): below its root.
  const int32_t position = general.FindByKey(ArticleSortTree, general.GetKey(ArticleSortNormal, 1));
  ASSERT_GE(position, 0);
  ASSERT_EQ(general.GetNumber(ArticleSortTree, position), 102);
  const auto lines = ArticleExportLines(general, ArticleSortTree, position, sample.Log(), -1);
  ASSERT_TRUE(lines);
  const std::string articleFile = sample.dir.File("article.txt");
  ASSERT_TRUE(WriteExportFile(articleFile, SampleTitle(), *lines));
  EXPECT_EQ(ReadBytes(articleFile), Expected("NET19990730.article102.txt"));
}

class ExportBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 6; ++i)
      log.AddLine("line" + std::to_string(i));
    boards.AddBoard(1, "b", "board");
    list = boards.GetArticles(0);
  }
  void AddWrite(int32_t key, TStringList text) {
    ASSERT_TRUE(list->AddArticle(ArticleKindRoot, 1, key, -1, 0, -1, -1, -1, -1, "", "",
                                 text.empty() ? "" : text[0], "", -1, 1,
                                 std::make_unique<TStringList>(std::move(text))));
  }
  void AddLog(int32_t key, int32_t first, int32_t last) {
    ASSERT_TRUE(list->AddArticle(ArticleKindRoot, 0, key, key, 100 + key, -1, -1, 1, -1, "", "",
                                 "t", "", first, 1));
    ASSERT_TRUE(list->SetArticleLastLine(key, 100 + key, last));
  }

  test::TempDir dir;
  TLogList log{4096, 64};
  TBoardList boards;
  TArticleList* list = nullptr;
};

TEST_F(ExportBoard, ABoardOfOnlyWritesGivesNothing) {
  AddWrite(1, {"title", "body"});
  AddWrite(2, {"other"});
  ASSERT_TRUE(list->SortArticles());
  EXPECT_TRUE(BoardExportLines(*list, log, 0).empty());
  EXPECT_TRUE(BoardExportLines(*list, log, -1).empty());
}

TEST_F(ExportBoard, LogArticlesFollowEachOtherWithAnEmptyLineAndWritesAreLeftOut) {
  AddLog(1, 0, 1);
  AddWrite(9, {"title", "body"});
  AddLog(2, 3, 4);
  ASSERT_TRUE(list->SortArticles());
  EXPECT_EQ(BoardExportLines(*list, log, 0),
            (std::vector<std::string>{"line0", "line1", "", "line3", "line4", ""}));
  // An article on the log's first line keeps that line when the offset reaches before it.
  EXPECT_EQ(BoardExportLines(*list, log, -1),
            (std::vector<std::string>{"line0", "line1", "", "line2", "line3", "line4", ""}));
}

TEST_F(ExportBoard, AQueuedWriteExportsItsOwnTextTwiceTheSame) {
  AddWrite(1, {J("題名"), J("本文")});
  ASSERT_TRUE(list->SortArticles());
  const auto lines = ArticleExportLines(*list, ArticleSortNormal, 0, log, -1);
  ASSERT_TRUE(lines);
  ASSERT_TRUE(WriteExportFile(dir.File("a.txt"), "T", *lines));
  ASSERT_TRUE(WriteExportFile(dir.File("b.txt"), "T", *lines));
  EXPECT_EQ(ReadBytes(dir.File("a.txt")), "T\r\n" + J("題名") + "\r\n" + J("本文") + "\r\n");
  EXPECT_EQ(ReadBytes(dir.File("a.txt")), ReadBytes(dir.File("b.txt")));
  // The write itself is unchanged.
  EXPECT_EQ(list->GetText(ArticleSortNormal, 0)->size(), 2u);
}

TEST_F(ExportBoard, APlaceholderIsNotExported) {
  // A reply whose parent is not in the list gets a placeholder in tree order.
  ASSERT_TRUE(list->AddArticle(ArticleKindRess, 0, 5, 5, 105, 4, 4, 1, 2, "", "", "Re", "p", 2, 1));
  ASSERT_TRUE(list->SortArticles());
  ASSERT_EQ(list->GetKind(ArticleSortTree, 0), ArticleKindMissingRoot);
  EXPECT_FALSE(ArticleExportLines(*list, ArticleSortTree, 0, log, 0));
  EXPECT_FALSE(ArticleExportLines(*list, ArticleSortTree, 7, log, 0));
  EXPECT_TRUE(ArticleExportLines(*list, ArticleSortTree, 1, log, 0));
}

TEST_F(ExportBoard, AFailedWriteIsReportedAndAnExistingFileIsReplacedWhole) {
  EXPECT_FALSE(WriteExportFile(dir.File("missing/folder/x.txt"), "T", {"a"}));
  // A folder where the file should be cannot be replaced.
  std::filesystem::create_directory(dir.File("taken.txt"));
  EXPECT_FALSE(WriteExportFile(dir.File("taken.txt"), "T", {"a"}));
  const std::string file = dir.File("old.txt");
  test::WriteBytes(file, "a much longer old text than the new one");
  ASSERT_TRUE(WriteExportFile(file, "T", {"a"}));
  EXPECT_EQ(ReadBytes(file), "T\r\na\r\n");
}

TEST(CopyArticleText, PlainAndAppend) {
  CopyRequest r;
  r.EntryLines = {"a", "", "b"};
  EXPECT_EQ(CopyArticleText(r), "a\r\n\r\nb\r\n");
  r.Append = true;
  // Appending to an empty clipboard equals the plain copy.
  EXPECT_EQ(CopyArticleText(r), "a\r\n\r\nb\r\n");
  r.ClipboardText = "old\r\n";
  EXPECT_EQ(CopyArticleText(r), "old\r\na\r\n\r\nb\r\n");
  // A plain copy of a selection replaces the clipboard with it, appending or not.
  r.Selection = "sel\r\nected";
  EXPECT_EQ(CopyArticleText(r), "sel\r\nected");
  r.Append = false;
  EXPECT_EQ(CopyArticleText(r), "sel\r\nected");
}

TEST(CopyArticleText, QuotedLinesAndBlankLines) {
  CopyRequest r;
  r.Mode = CopyMode::Quoted;
  r.QuoteMark = ">";
  r.EntryLines = {"a", "", " \t", J("　"), "b"};
  EXPECT_EQ(CopyArticleText(r), ">a\r\n>\r\n> \t\r\n>" + J("　") + "\r\n>b\r\n");
  r.BlankCut = true;
  EXPECT_EQ(CopyArticleText(r), ">a\r\n>b\r\n");
  // A selection is quoted line by line, and appended after the old text.
  r.Selection = "x\r\n\r\ny\r\n";
  r.Append = true;
  r.ClipboardText = "old";
  EXPECT_EQ(CopyArticleText(r), "old>x\r\n>y\r\n");
  r.Mode = CopyMode::QuotedWithHandle;
  r.Handle = J("たろう");
  r.Append = false;
  EXPECT_EQ(CopyArticleText(r), J("たろう") + ">x\r\n" + J("たろう") + ">y\r\n");
  // Without a handle (an unknown writer, or a queued write) the lines begin with the mark.
  r.Handle.clear();
  EXPECT_EQ(CopyArticleText(r), ">x\r\n>y\r\n");
}

TEST(CopyArticleText, TheOldClipboardTextIsCutWithoutSplittingACharacter) {
  CopyRequest r;
  r.Append = true;
  // One byte short of the limit, then a double-byte character that would cross it.
  r.ClipboardText = std::string(ClipboardReadLimit - 1, 'x') + J("あ") + "tail";
  r.EntryLines = {"n"};
  const std::string text = CopyArticleText(r);
  EXPECT_EQ(text, std::string(ClipboardReadLimit - 1, 'x') + "n\r\n");
  EXPECT_EQ(CutText("abc", 3), "abc");
  EXPECT_EQ(CutText(J("あい"), 3), J("あ"));
}

TEST(CopyArticleText, SelectionLinesEndAtAnyLineBreak) {
  EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("a\r\n"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(SplitTextLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(SplitTextLines("").empty());
}

TEST(WriterShortHandle, MembersFoundByNumberOrTextAndNeverDeletedOnes) {
  TBoardList boards;
  boards.AddBoard(1, "b", "board");
  TArticleList& list = *boards.GetArticles(0);
  ASSERT_TRUE(list.AddArticle(ArticleKindRoot, 0, 1, 1, 101, -1, -1, 1024, -1, "ABC01234", "", "t",
                              "", 0, 1));
  ASSERT_TRUE(
      list.AddArticle(ArticleKindRoot, 0, 2, 2, 102, -1, -1, -1, -1, "", "", "t", "", 0, 1));
  ASSERT_TRUE(list.AddArticle(ArticleKindRoot, 1, 3, -1, 0, -1, -1, 1024, -1, "ABC01234", "", "t",
                              "", -1, 1, std::make_unique<TStringList>(TStringList{"t"})));
  ASSERT_TRUE(list.SortArticles());
  TMemberList numeric(false);
  bool added = false;
  ASSERT_TRUE(numeric.AddMember(1024, J("たろう"), J("太郎"), J("タロ"), true, added));
  EXPECT_EQ(WriterShortHandle(list, ArticleSortNormal, 0, numeric), J("タロ"));
  // No writer number, or a queued write: no handle.
  EXPECT_EQ(WriterShortHandle(list, ArticleSortNormal, 1, numeric), "");
  EXPECT_EQ(WriterShortHandle(list, ArticleSortNormal, 2, numeric), "");
  TMemberList text(true);
  ASSERT_TRUE(text.AddMemberText("ABC01234", J("たろう"), "", J("タ"), true, added));
  EXPECT_EQ(WriterShortHandle(list, ArticleSortNormal, 0, text), J("タ"));
  ASSERT_TRUE(text.DeleteMember(0));
  EXPECT_EQ(WriterShortHandle(list, ArticleSortNormal, 0, text), "");
}

}  // namespace
}  // namespace vorn
