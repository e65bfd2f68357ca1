// Threads of tree order, their counts, collapse state across sorts, catch-up and board counts.
#include "threadview/ThreadOutline.h"

#include <gtest/gtest.h>

#include <memory>

#include "store/BoardList.h"
#include "threadview/ThreadBoard.h"

namespace vorn {
namespace {

class ThreadOutlineTest : public test::ThreadBoard {};

TEST_F(ThreadOutlineTest, EveryPositionBelongsToTheThreadOfTheLevelZeroEntryAboveIt) {
  const ThreadExtent expected[] = {{0, 4}, {0, 4}, {0, 4}, {0, 4},  {4, 7},
                                   {4, 7}, {4, 7}, {7, 8}, {8, 10}, {8, 10}};
  for (int32_t p = 0; p < 10; ++p)
    EXPECT_EQ(ThreadAt(board, p), expected[p]) << "position " << p;
  EXPECT_FALSE(ThreadAt(board, -1).Valid());
  EXPECT_FALSE(ThreadAt(board, 10).Valid());

  // Posting order reaches the same thread through the entry's tree position.
  for (int32_t p = 0; p < board.OrderCount(N); ++p) {
    const int32_t tree = TreePositionOf(board, N, p);
    EXPECT_EQ(board.GetNumber(T, tree), board.GetNumber(N, p));
  }
  EXPECT_EQ(TreePositionOf(board, N, 9), -1);
}

TEST_F(ThreadOutlineTest, CountsLeaveOutThePlaceholderAndHiddenEntries) {
  board.SetReadFlag(T, 1, 1, false);  // <2> read
  EXPECT_EQ(CountThread(board, {0, 4}), (ThreadCounts{3, 3}));
  // Under a placeholder the first reply stands for the thread.
  EXPECT_EQ(CountThread(board, {4, 7}), (ThreadCounts{1, 2}));
  EXPECT_EQ(CountThread(board, {7, 8}), (ThreadCounts{0, 1}));
  std::vector<uint8_t> shown(10, 1);
  shown[0] = 0;  // <1> hidden: <2> stands for the thread
  shown[3] = 0;
  EXPECT_EQ(CountThread(board, {0, 4}, &shown), (ThreadCounts{1, 1}));
}

TEST_F(ThreadOutlineTest, CollapsedThreadsStayCollapsedWhenTheBoardIsSortedAgain) {
  TThreadCollapse collapse;
  EXPECT_FALSE(collapse.SetCollapsed(board, 1, true)) << "a reply is not a thread";
  EXPECT_FALSE(collapse.AnyCollapsed());
  ASSERT_TRUE(collapse.SetCollapsed(board, 4, true));
  ASSERT_TRUE(collapse.SetCollapsed(board, 7, true));
  EXPECT_TRUE(collapse.IsCollapsed(board, 4));
  EXPECT_FALSE(collapse.IsCollapsed(board, 0));

  // A queued reply to <1> goes into the first thread and moves every later thread down.
  auto text = std::make_unique<TStringList>(TStringList{"Re: 1", "body"});
  ASSERT_TRUE(board.AddArticle(ArticleKindRess, 1, 1, -1, 0, board.GetKey(T, 0), 1, -1, -1, "", "",
                               "Re: 1", "", -1, 1, std::move(text)));
  ASSERT_TRUE(board.SortArticles());
  ASSERT_EQ(board.GetKind(T, 5), ArticleKindMissingRoot);
  EXPECT_TRUE(collapse.IsCollapsed(board, 5));
  EXPECT_TRUE(collapse.IsCollapsed(board, 8));
  EXPECT_FALSE(collapse.IsCollapsed(board, 0));
  EXPECT_FALSE(collapse.IsCollapsed(board, 9));

  collapse.CollapseAll();
  ASSERT_TRUE(collapse.SetCollapsed(board, 8, false));
  EXPECT_TRUE(collapse.IsCollapsed(board, 0));
  EXPECT_TRUE(collapse.IsCollapsed(board, 5));
  EXPECT_FALSE(collapse.IsCollapsed(board, 8));
  collapse.ExpandAll();
  EXPECT_FALSE(collapse.AnyCollapsed());
  EXPECT_FALSE(collapse.IsCollapsed(board, 0));
}

TEST_F(ThreadOutlineTest, CatchUpMarksAThreadOrTheBoardAndKeepsTheNewMarks) {
  // <3> in posting order: its thread is <1> .. <4>.
  EXPECT_EQ(MarkThreadRead(board, N, 2), 4);
  for (int32_t number = 1; number <= 9; ++number) {
    const int32_t p = TreePositionOfNumber(number);
    EXPECT_EQ(board.GetReadFlag(T, p), number <= 4 ? 1 : 0) << number;
    EXPECT_EQ(board.GetNewFlag(T, p), 1) << number;
  }
  EXPECT_EQ(MarkThreadRead(board, N, 2), 0) << "nothing left unread there";
  // From a reply under a placeholder, in tree order.
  EXPECT_EQ(MarkThreadRead(board, T, 6), 2);
  EXPECT_EQ(board.GetReadFlag(T, 4), 0) << "the placeholder is no article";
  EXPECT_EQ(MarkThreadRead(board, T, 10), 0);

  EXPECT_EQ(CountBoard(&board), (BoardCounts{9, 3}));
  EXPECT_EQ(MarkBoardRead(board), 3);
  EXPECT_EQ(CountBoard(&board), (BoardCounts{9, 0}));
  for (int32_t p = 0; p < board.OrderCount(N); ++p)
    EXPECT_EQ(board.GetNewFlag(N, p), 1);
}

TEST_F(ThreadOutlineTest, AThreadMarkedUnreadAgainLeavesPlaceholdersAndWritesAlone) {
  ASSERT_TRUE(board.AddArticle(ArticleKindRess, 1, 1, -1, 0, board.GetKey(T, 0), 1, -1, -1, "", "",
                               "Re: 1", "", -1, 1,
                               std::make_unique<TStringList>(TStringList{"Re: 1"})));
  ASSERT_TRUE(board.SortArticles());
  for (int32_t p = 0; p < board.OrderCount(T); ++p)
    board.SetReadFlag(T, p, 1, false);
  // From <3> in posting order: <1> .. <4>, not the queued reply.
  EXPECT_EQ(MarkThreadUnread(board, N, 2), 4);
  for (int32_t p = 0; p < board.OrderCount(T); ++p) {
    const bool inThread = p < 5 && board.GetWriteFlag(T, p) == 0;
    EXPECT_EQ(board.GetReadFlag(T, p), inThread ? 0 : 1) << "position " << p;
  }
  EXPECT_EQ(MarkThreadUnread(board, N, 2), 0) << "nothing left read there";
  EXPECT_EQ(CountBoard(&board), (BoardCounts{9, 4}));
  // The new marks stay as they were.
  for (int32_t p = 0; p < board.OrderCount(N); ++p) {
    if (board.GetWriteFlag(N, p) == 0) {
      EXPECT_EQ(board.GetNewFlag(N, p), 1);
    }
  }
}

TEST(BoardWithShownUnreadAfter, PassesOverWhatTheMaskHidesAndLooksAtEachBoardOnce) {
  TBoardList boards;
  std::vector<TArticleList*> lists;
  for (int32_t b = 0; b < 4; ++b) {
    ASSERT_TRUE(boards.AddBoard(b + 1, "B" + std::to_string(b), "board"));
    TArticleList* list = boards.GetArticles(b);
    for (int32_t k = 1; k <= 3; ++k)
      ASSERT_TRUE(list->AddArticle(ArticleKindRoot, 0, k, k, 1000 + k, -1, -1, 5, -1, "", "", "t",
                                   "", -1, 0));
    ASSERT_TRUE(list->SortArticles());
    lists.push_back(list);
  }
  // Board 1's unread articles are all hidden; board 2 has one that shows.
  for (int32_t p = 0; p < 3; ++p) {
    lists[0]->SetReadFlag(ArticleSortNormal, p, 1, false);
    lists[2]->SetReadFlag(ArticleSortNormal, p, p == 2 ? 0 : 1, false);
    lists[3]->SetReadFlag(ArticleSortNormal, p, 1, false);
  }
  int calls = 0;
  const ShownMaskFunction hideBoard1 = [&](const TArticleList& board, int32_t order,
                                           std::vector<uint8_t>& shown) {
    ++calls;
    shown.assign(size_t(board.OrderCount(order)), &board == lists[1] ? 0 : 1);
  };
  EXPECT_EQ(BoardWithShownUnreadAfter(boards, ArticleSortNormal, 0, hideBoard1), 2);
  EXPECT_EQ(calls, 2);
  // From the last board on: round to the first, past the hidden one.
  EXPECT_EQ(BoardWithShownUnreadAfter(boards, ArticleSortNormal, 3, hideBoard1), 2);
  lists[2]->SetReadFlag(ArticleSortNormal, 2, 1, false);
  EXPECT_EQ(BoardWithShownUnreadAfter(boards, ArticleSortNormal, 3, hideBoard1), -1);
}

TEST_F(ThreadOutlineTest, BoardCountsLeaveOutQueuedWrites) {
  ASSERT_TRUE(board.AddArticle(ArticleKindRoot, 1, 1, -1, 0, -1, -1, -1, -1, "", "", "mine", "", -1,
                               1, std::make_unique<TStringList>(TStringList{"mine"})));
  ASSERT_TRUE(board.SortArticles());
  board.SetReadFlag(N, 0, 1, false);
  EXPECT_EQ(CountBoard(&board), (BoardCounts{9, 8}));
  EXPECT_EQ(CountBoard(nullptr), (BoardCounts{0, 0}));
}

}  // namespace
}  // namespace vorn
