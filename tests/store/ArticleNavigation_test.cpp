// The walks of the reading moves over hand-made boards: a thread under a placeholder, an empty
// board between two others, new and read marks.
#include "store/ArticleNavigation.h"

#include <gtest/gtest.h>

#include <string>

#include "store/ArticleList.h"
#include "store/BoardList.h"

namespace vorn {
namespace {

constexpr int32_t T = ArticleSortTree;
constexpr int32_t N = ArticleSortNormal;

// Board 0 in tree order: 1, └2, 　└3, -0- (placeholder for a root not in the logs), └4.
// Board 1 is empty. Board 2: 10, └11, 12.
class ArticleNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int32_t b = 0; b < 3; ++b)
      ASSERT_TRUE(boards.AddBoard(b, "b" + std::to_string(b), "board"));
    Add(0, 1, -1);
    Add(0, 2, 1);
    Add(0, 3, 2);
    Add(0, 4, 0);
    Add(2, 10, -1);
    Add(2, 11, 10);
    Add(2, 12, -1);
    for (int32_t b = 0; b < 3; ++b)
      ASSERT_TRUE(boards.GetArticles(b)->SortArticles());
    ASSERT_EQ(Board(0).OrderCount(T), 5);
    ASSERT_EQ(Board(0).GetKind(T, 3), ArticleKindMissingRoot);
  }
  void Add(int32_t board, int32_t key, int32_t parent) {
    ASSERT_TRUE(boards.GetArticles(board)->AddArticle(
        parent < 0 ? ArticleKindRoot : ArticleKindRess, 0, key, key, 1000 + key, parent, parent, -1,
        -1, "", "", "t", "", key, 0));
  }
  TArticleList& Board(int32_t b) { return *boards.GetArticles(b); }
  // Marks the entry with the key read and no longer new (as the read pointers of a load do).
  void MakeOld(int32_t board, int32_t key) {
    TArticleList& list = Board(board);
    for (int32_t p = 0; p < list.OrderCount(T); ++p) {
      if (list.GetKind(T, p) != ArticleKindMissingRoot && list.GetNumber(T, p) == key)
        list.SetReadFlag(T, p, 1, true);
    }
  }
  // The number of the article a walk landed on, or -1.
  int32_t KeyAt(ArticleSpot spot) {
    return spot.Found() ? Board(spot.Board).GetNumber(T, spot.Position) : -1;
  }

  TBoardList boards;
};

ArticleSpot Spot(int32_t board, int32_t position) {
  return {board, position};
}

TEST_F(ArticleNavigationTest, ForwardGoesThroughPlaceholdersAndOverEmptyBoards) {
  const ArticleFindCriteria all{false, false, false};
  const ArticleFindCriteria across{false, false, true};
  EXPECT_EQ(FindArticleForwardFrom(boards, T, 0, -1, all), Spot(0, 0));
  // After 3 comes the placeholder, which stands for its first reply.
  EXPECT_EQ(FindArticleForwardFrom(boards, T, 0, 2, all), Spot(0, 4));
  EXPECT_FALSE(FindArticleForwardFrom(boards, T, 0, 4, all).Found());
  EXPECT_EQ(FindArticleForwardFrom(boards, T, 0, 4, across), Spot(2, 0));
  EXPECT_FALSE(FindArticleForwardFrom(boards, T, 2, 2, across).Found());
  EXPECT_FALSE(FindArticleForwardFrom(boards, T, 3, -1, across).Found());
  EXPECT_FALSE(FindArticleForwardFrom(boards, T, -1, -1, across).Found());
  // Posting order has no placeholder.
  EXPECT_EQ(FindArticleForwardFrom(boards, N, 0, 2, all), Spot(0, 3));
}

TEST_F(ArticleNavigationTest, ForwardByLevelAndNewMarks) {
  // From 2 (level 1) at its level or shallower: 3 is deeper, the placeholder's reply is taken.
  EXPECT_EQ(KeyAt(FindArticleForwardFrom(boards, T, 0, 1, {false, true, true})), 4);
  // From 4 (level 1): the next board's root.
  EXPECT_EQ(KeyAt(FindArticleForwardFrom(boards, T, 0, 4, {false, true, true})), 10);
  // From the root 10 (level 0), only roots: 12.
  EXPECT_EQ(KeyAt(FindArticleForwardFrom(boards, T, 2, 0, {false, true, true})), 12);

  MakeOld(0, 1);
  MakeOld(0, 2);
  MakeOld(0, 4);
  const ArticleFindCriteria newOnly{true, false, true};
  EXPECT_EQ(KeyAt(FindArticleForwardFrom(boards, T, 0, -1, newOnly)), 3);
  // The placeholder is new, but the reply it stands for is not.
  EXPECT_EQ(KeyAt(FindArticleForwardFrom(boards, T, 0, 2, newOnly)), 10);
  MakeOld(2, 10);
  MakeOld(2, 11);
  MakeOld(2, 12);
  EXPECT_FALSE(FindArticleForwardFrom(boards, T, 0, 2, newOnly).Found());
}

TEST_F(ArticleNavigationTest, BackwardTakesAPlaceholdersReplyUnlessThatIsWhereItStarted) {
  const ArticleFindCriteria all{false, false, true};
  // From 4, the placeholder is the first entry looked at: passed over, 3 is next.
  EXPECT_EQ(FindArticleBackwardFrom(boards, T, 0, 4, all), Spot(0, 2));
  // Coming from the next board the last entry is 4 itself.
  EXPECT_EQ(FindArticleBackwardFrom(boards, T, 2, 0, all), Spot(0, 4));
  EXPECT_FALSE(FindArticleBackwardFrom(boards, T, 0, 0, all).Found());
  EXPECT_FALSE(FindArticleBackwardFrom(boards, T, 2, 0, {false, false, false}).Found());
  // By level from the root 10: 4 is deeper, the placeholder is a root and stands for it.
  EXPECT_EQ(FindArticleBackwardFrom(boards, T, 2, 0, {false, true, true}), Spot(0, 4));
  // From 4 by level: the placeholder passed over, 3 deeper, 2 at the same level.
  EXPECT_EQ(KeyAt(FindArticleBackwardFrom(boards, T, 0, 4, {false, true, true})), 2);

  MakeOld(0, 4);
  MakeOld(0, 2);
  const ArticleFindCriteria newOnly{true, false, true};
  // 4 is old and the placeholder's reply is old too: 3.
  EXPECT_EQ(KeyAt(FindArticleBackwardFrom(boards, T, 2, 0, newOnly)), 3);
  EXPECT_EQ(KeyAt(FindArticleBackwardFrom(boards, T, 0, 2, newOnly)), 1);
}

TEST_F(ArticleNavigationTest, UnreadArticlesAfterTheCurrentBoardWrapAroundToIt) {
  EXPECT_EQ(NextUnreadPosition(Board(0), T, 0), 1);
  EXPECT_EQ(NextUnreadPosition(Board(0), T, 2), 4);  // over the placeholder
  EXPECT_EQ(NextUnreadPosition(Board(0), T, 4), -1);
  EXPECT_EQ(BoardWithUnreadAfter(boards, T, 0), 2);
  EXPECT_EQ(BoardWithUnreadAfter(boards, T, 2), 0);
  SetAllReadFlags(boards, 1);
  EXPECT_EQ(BoardWithUnreadAfter(boards, T, 0), -1);
  // Only the current board holds an unread article, above the current one.
  Board(0).SetReadFlag(T, 1, 0, false);
  EXPECT_EQ(BoardWithUnreadAfter(boards, T, 0), 0);
  EXPECT_EQ(BoardWithUnreadAfter(boards, T, 2), 0);
  // A placeholder is never an unread article.
  SetAllReadFlags(boards, 1);
  EXPECT_EQ(Board(0).GetReadFlag(T, 3), 0);
  EXPECT_FALSE(HasUnreadArticle(&Board(0), T));
  EXPECT_FALSE(HasUnreadArticle(nullptr, T));
}

TEST_F(ArticleNavigationTest, NearestBoardsWithEntriesSkipEmptyOnes) {
  EXPECT_EQ(NearestBoardWithEntries(boards, T, 2, -1), 0);
  EXPECT_EQ(NearestBoardWithEntries(boards, T, 0, 1), 2);
  EXPECT_EQ(NearestBoardWithEntries(boards, T, 0, -1), -1);
  EXPECT_EQ(NearestBoardWithEntries(boards, T, 2, 1), -1);
  EXPECT_EQ(NearestBoardWithEntries(boards, T, 1, 0), -1);
}

TEST_F(ArticleNavigationTest, ParentJumpsStopAtTheFirstRoot) {
  EXPECT_EQ(LevelParentPosition(Board(0), T, 2), 1);
  EXPECT_EQ(LevelParentPosition(Board(0), T, 1), 0);
  EXPECT_EQ(LevelParentPosition(Board(0), T, 0), -1);
  // Under a placeholder there is nothing to go to.
  EXPECT_EQ(LevelParentPosition(Board(0), T, 4), -1);
  EXPECT_EQ(LevelParentPosition(Board(0), T, 9), -1);
  // In posting order the walk takes the last entry of a lower level above, whatever thread it
  // is in: from 4 (level 1) that is the root 1.
  ASSERT_EQ(Board(0).GetNumber(N, 3), 4);
  EXPECT_EQ(LevelParentPosition(Board(0), N, 3), 0);
}

TEST_F(ArticleNavigationTest, MarkingAllKeepsTheNewMarksAndPositionsAreFoundByKeyAndTime) {
  SetAllReadFlags(boards, 1);
  for (int32_t b : {0, 2}) {
    for (int32_t p = 0; p < Board(b).OrderCount(N); ++p) {
      EXPECT_EQ(Board(b).GetReadFlag(N, p), 1);
      EXPECT_EQ(Board(b).GetNewFlag(N, p), 1);
    }
  }
  SetAllReadFlags(boards, 0);
  EXPECT_EQ(Board(2).GetReadFlag(N, 2), 0);
  const int32_t key = Board(0).GetKey(T, 2);
  const int32_t time = Board(0).GetPostTime(T, 2);
  EXPECT_EQ(FindArticlePosition(Board(0), T, key, time), 2);
  EXPECT_EQ(FindArticlePosition(Board(0), N, key, time), 2);
  EXPECT_EQ(FindArticlePosition(Board(0), T, key, time + 1), -1);
}

}  // namespace
}  // namespace vorn
