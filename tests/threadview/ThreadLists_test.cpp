// Watched, ignored and collapsed threads: what a thread is known by across sorts and runs, the
// marks of every entry in both orders, the thread list file read back (also damaged, also a
// file that cannot be read), and the rows those marks give.
#include "threadview/ThreadLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "support/SampleSession.h"
#include "threadview/GridRows.h"
#include "threadview/ThreadBoard.h"

namespace vorn {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class ThreadListsTest : public test::ThreadBoard {
 protected:
  // The mark of every position of an order the plain way: the thread of its tree position.
  std::vector<uint8_t> MarksOneByOne(const TThreadLists& lists, int32_t order) const {
    std::vector<uint8_t> marks;
    for (int32_t p = 0; p < board.OrderCount(order); ++p) {
      const ThreadExtent thread = ThreadAt(board, TreePositionOf(board, order, p));
      marks.push_back(uint8_t(thread.Valid() ? lists.MarkOf(board, thread.Top) : WriterMark::None));
    }
    return marks;
  }
  test::TempDir dir;
};

TEST_F(ThreadListsTest, AThreadIsKnownByItsFirstEntryAndAPlaceholderByItsKeyAlone) {
  ThreadKey key;
  ASSERT_TRUE(ThreadKeyAt(board, 0, key));
  EXPECT_EQ(ThreadKeyText(key), "1/1001");
  EXPECT_FALSE(ThreadKeyAt(board, 1, key)) << "a reply is no thread";
  ASSERT_TRUE(ThreadKeyAt(board, 4, key));
  EXPECT_TRUE(key.Placeholder);
  EXPECT_EQ(ThreadKeyText(key), "0/-");

  for (const char* text : {"1/1001", "0/-", "2147483647/0"}) {
    ThreadKey parsed;
    ASSERT_TRUE(ParseThreadKey(text, parsed)) << text;
    EXPECT_EQ(ThreadKeyText(parsed), text);
  }
  for (const char* text : {"", "1", "/5", "1/", "a/1", "1/x", "1/-2x", "99999999999999999999/1"}) {
    ThreadKey parsed;
    EXPECT_FALSE(ParseThreadKey(text, parsed)) << text;
  }

  // Queued writes and mails are numbered afresh in every run: no key.
  ASSERT_TRUE(board.AddArticle(ArticleKindRoot, 1, 1, -1, 0, -1, -1, -1, -1, "", "", "mine", "", -1,
                               1, std::make_unique<TStringList>(TStringList{"mine"})));
  ASSERT_TRUE(
      board.AddArticle(ArticleKindMail, 0, 50, 50, 1050, -1, -1, 7, -1, "", "", "mail", "", -1, 0));
  ASSERT_TRUE(board.SortArticles());
  int32_t writes = 0;
  for (int32_t p = 0; p < board.OrderCount(T); ++p) {
    const uint8_t kind = board.GetKind(T, p);
    if (board.GetWriteFlag(T, p) || kind == ArticleKindMail) {
      EXPECT_FALSE(ThreadKeyAt(board, p, key));
      ++writes;
    }
  }
  EXPECT_EQ(writes, 2);
}

TEST_F(ThreadListsTest, MarksReachEveryEntryOfTheThreadInBothOrdersAndSurviveASort) {
  TThreadLists lists;
  ASSERT_TRUE(lists.SetMark(board, 0, WriterMark::Watched));
  ASSERT_TRUE(lists.SetMark(board, 4, WriterMark::Ignored));
  EXPECT_FALSE(lists.SetMark(board, 2, WriterMark::Ignored)) << "only a thread's first entry";
  // A thread is on one list at most.
  ASSERT_TRUE(lists.SetMark(board, 8, WriterMark::Ignored));
  ASSERT_TRUE(lists.SetMark(board, 8, WriterMark::Watched));
  EXPECT_EQ(lists.MarkCount(), 3);

  for (const int32_t order : {T, N}) {
    std::vector<uint8_t> mask;
    lists.MarkMask(board, order, mask);
    EXPECT_EQ(mask, MarksOneByOne(lists, order)) << "order " << order;
  }
  std::vector<uint8_t> tree;
  lists.MarkMask(board, T, tree);
  EXPECT_EQ(tree, (std::vector<uint8_t>{1, 1, 1, 1, 2, 2, 2, 0, 1, 1}));

  // A queued reply to <1> moves every later thread down; the marks go with their threads.
  ASSERT_TRUE(board.AddArticle(ArticleKindRess, 1, 1, -1, 0, board.GetKey(T, 0), 1, -1, -1, "", "",
                               "Re: 1", "", -1, 1,
                               std::make_unique<TStringList>(TStringList{"Re: 1"})));
  ASSERT_TRUE(board.SortArticles());
  lists.MarkMask(board, T, tree);
  EXPECT_EQ(tree, (std::vector<uint8_t>{1, 1, 1, 1, 1, 2, 2, 2, 0, 1, 1}));
  std::vector<uint8_t> normal;
  lists.MarkMask(board, N, normal);
  EXPECT_EQ(normal, MarksOneByOne(lists, N));

  // Taking the marks off leaves no mark anywhere.
  for (const int32_t top : {0, 5, 9})
    ASSERT_TRUE(lists.SetMark(board, top, WriterMark::None));
  EXPECT_EQ(lists.MarkCount(), 0);
  EXPECT_FALSE(lists.AnyMarked(board));
}

TEST_F(ThreadListsTest, IgnoredThreadsHideOnlyWhenTheIgnoredAreHiddenAndUnreadOnlyIsAFilter) {
  TThreadLists lists;
  ASSERT_TRUE(lists.SetMark(board, 0, WriterMark::Ignored));
  TGridRows rows;
  GridRowRules rules;
  rules.Threads = &lists;
  rules.Collapse = &lists.Collapse(board);
  auto shown = [&] {
    rows.Build(board, T, rules);
    std::vector<int32_t> positions;
    for (int32_t r = 0; r < rows.View().RowCount(); ++r)
      positions.push_back(rows.View().PositionAt(r));
    return Numbers(positions);
  };
  EXPECT_EQ(shown().size(), 10u) << "greyed, not hidden";
  rules.HideIgnored = true;
  EXPECT_EQ(shown(), (std::vector<int32_t>{-99, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(rows.Filtering());

  // Unread only: the articles unread when the rows were built, as a flat list.
  board.SetReadFlag(T, 5, 1, false);  // <5>
  board.SetReadFlag(T, 7, 1, false);  // <7>
  rules.UnreadOnly = true;
  EXPECT_EQ(shown(), (std::vector<int32_t>{6, 8, 9}));
  EXPECT_TRUE(rows.Filtering());
  EXPECT_EQ(rows.ShownArticles(), 3);
  EXPECT_EQ(rows.TotalArticles(), 9);
  // An article read afterwards keeps its row until the rows are built again.
  board.SetReadFlag(T, 8, 1, false);
  EXPECT_TRUE(rows.Passes(8));
  EXPECT_EQ(rows.NextUnread(board, 6), 9);
  EXPECT_EQ(shown(), (std::vector<int32_t>{6, 9}));
}

TEST_F(ThreadListsTest, CollapseAllLeavesThreadsWithoutRepliesAsTheyAre) {
  TThreadLists lists;
  lists.Collapse(board).CollapseAll();
  TArticleRowView view;
  view.Build(board, T, {nullptr, false, &lists.Collapse(board)});
  // <7> has nothing to fold: no mark, no counts.
  for (int32_t r = 0; r < view.RowCount(); ++r) {
    const int32_t number = board.GetNumber(T, view.PositionAt(r));
    EXPECT_EQ(view.CollapsedThreadAt(r).Valid(), number == 1 || number == 99 || number == 8)
        << "row of " << number;
  }
}

// A sample, the board whose first thread has replies and whose later one stands under a
// placeholder, and another board.
struct ThreadSample {
  const char* Log;
  int32_t Board;
  int32_t Other;
};

class ThreadListFileTest : public ::testing::TestWithParam<ThreadSample> {
 protected:
  test::TempDir dir;
};

TEST_P(ThreadListFileTest, MarksAndCollapsedThreadsComeBackInTheNextRun) {
  const std::string path = dir.File("set.thr");
  const ThreadSample param = GetParam();
  {
    test::SampleSession sample;
    ASSERT_TRUE(sample.Load(param.Log));
    TThreadLists lists;
    TBoardList& boards = sample.Process().Boards;
    const TArticleList& board = *boards.GetArticles(param.Board);
    int32_t placeholder = -1;
    for (int32_t p = 0; p < board.OrderCount(ArticleSortTree); ++p) {
      if (board.GetKind(ArticleSortTree, p) == ArticleKindMissingRoot) placeholder = p;
    }
    ASSERT_GT(placeholder, 0);
    ASSERT_TRUE(lists.SetMark(board, 0, WriterMark::Watched));
    ASSERT_TRUE(lists.SetMark(board, placeholder, WriterMark::Ignored));
    ASSERT_TRUE(lists.Collapse(board).SetCollapsed(board, 0, true));
    // Every thread of the other board collapsed but its first.
    const TArticleList& second = *boards.GetArticles(param.Other);
    lists.Collapse(second).CollapseAll();
    ASSERT_TRUE(lists.Collapse(second).SetCollapsed(second, 0, false));
    ASSERT_TRUE(lists.SaveToFile(path));
  }
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.substr(0, ThreadListFileHeader.size() + 2),
            std::string(ThreadListFileHeader) + "\r\n");
  EXPECT_NE(text.find("\r\nCollapseAll\r\nExpand,"), std::string::npos) << text;
  EXPECT_NE(text.find("/-\r\n"), std::string::npos) << text;

  test::SampleSession sample;
  ASSERT_TRUE(sample.Load(param.Log));
  TThreadLists again;
  const ListFileReport report = again.LoadFromFile(path);
  EXPECT_EQ(report.State, ListFileState::Read);
  EXPECT_EQ(report.SkippedLines, 0);
  const TArticleList& board = *sample.Process().Boards.GetArticles(param.Board);
  EXPECT_EQ(again.MarkOf(board, 0), WriterMark::Watched);
  EXPECT_TRUE(again.Collapse(board).IsCollapsed(board, 0));
  std::vector<uint8_t> tree;
  again.MarkMask(board, ArticleSortTree, tree);
  EXPECT_GT(std::count(tree.begin(), tree.end(), uint8_t(WriterMark::Ignored)), 0);
  const TArticleList& second = *sample.Process().Boards.GetArticles(param.Other);
  EXPECT_FALSE(again.Collapse(second).IsCollapsed(second, 0));
  EXPECT_TRUE(again.Collapse(second).AllCollapsed());

  // Nothing left to keep: the file goes.
  for (int32_t p = 0; p < board.OrderCount(ArticleSortTree); ++p)
    again.SetMark(board, p, WriterMark::None);
  again.Collapse(board).ExpandAll();
  again.Collapse(second).ExpandAll();
  ASSERT_TRUE(again.SaveToFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Samples, ThreadListFileTest,
                         ::testing::Values(ThreadSample{"NET19990730.LOG", 1, 2},
                                           ThreadSample{"NIF19990730.LOG", 2, 1}));

TEST(ThreadListFile, ADamagedFileKeepsEveryGoodLineAndIsKeptAndAnUnreadableOneIsNeverWrittenOver) {
  test::TempDir dir;
  const std::string path = dir.File("set.thr");
  // A broken header, a line before any board, unknown words, keys that are none, an Expand
  // without CollapseAll, a thread given twice, a lone backslash, bytes of another file.
  const std::string damaged =
      "VornExplorer ThreadList\r\nWatch,1/2\r\n\\1\r\nWatch,101/3000\r\nIgnore,95/-\r\n"
      "Ignore,101/3000\r\nHide,7/8\r\nWatch,x/1\r\nExpand,5/6\r\nCollapse,101/3000\r\n"
      "\\\r\n\x89\xFF\x01junk\r\n\\7\r\nCollapseAll\r\nExpand,4/5\r\nCollapse,9/9\r\n";
  WriteBytes(path, damaged);
  TThreadLists lists;
  const ListFileReport report = lists.LoadFromFile(path);
  EXPECT_EQ(report.State, ListFileState::Read);
  EXPECT_EQ(report.SkippedLines, 8);
  EXPECT_EQ(lists.MarkCount(), 2);
  ASSERT_TRUE(lists.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), std::string(ThreadListFileHeader) +
                                 "\r\n\\1\r\nWatch,101/3000\r\nIgnore,95/-\r\n"
                                 "Collapse,101/3000\r\n\\7\r\nCollapseAll\r\nExpand,4/5\r\n");
  // What the load skipped is not lost: the damaged file lies beside the new one.
  EXPECT_EQ(ReadBytes(path + ".bak"), damaged);

  // A folder where the file should be: there, but nothing can be read from it.
  const std::string folder = dir.File("folder.thr");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(lists.LoadFromFile(folder).State, ListFileState::Unreadable);
  EXPECT_FALSE(lists.SaveToFile(folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace vorn
