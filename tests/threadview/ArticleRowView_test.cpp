// Rows of a board under collapsed threads, hidden entries and a flat filter.
#include "threadview/ArticleRowView.h"

#include <gtest/gtest.h>

#include "threadview/ThreadBoard.h"

namespace vorn {
namespace {

class ArticleRowViewTest : public test::ThreadBoard {
 protected:
  std::vector<int32_t> Rows() const {
    std::vector<int32_t> positions;
    for (int32_t r = 0; r < view.RowCount(); ++r)
      positions.push_back(view.PositionAt(r));
    return Numbers(positions);
  }
  void Build(const std::vector<uint8_t>* shown = nullptr, bool flat = false,
             int32_t order = ArticleSortTree) {
    view.Build(board, order, {shown, flat, &collapse});
  }

  TThreadCollapse collapse;
  TArticleRowView view;
};

TEST_F(ArticleRowViewTest, WithNothingCollapsedOrHiddenEveryPositionIsItsOwnRow) {
  Build();
  EXPECT_TRUE(view.ShowsEverything());
  EXPECT_EQ(view.RowCount(), 10);
  EXPECT_EQ(view.PositionAt(7), 7);
  EXPECT_EQ(view.RowOf(9), 9);
  EXPECT_EQ(view.PositionAt(10), -1);
  EXPECT_EQ(view.RowOf(10), -1);
  // Collapsing has no meaning in posting order.
  collapse.CollapseAll();
  Build(nullptr, false, ArticleSortNormal);
  EXPECT_TRUE(view.ShowsEverything());
}

TEST_F(ArticleRowViewTest, ACollapsedThreadShowsItsFirstEntry) {
  collapse.SetCollapsed(board, 0, true);
  Build();
  EXPECT_EQ(Rows(), (std::vector<int32_t>{1, -99, 5, 6, 7, 8, 9}));
  EXPECT_EQ(view.CollapsedThreadAt(0), (ThreadExtent{0, 4}));
  EXPECT_FALSE(view.CollapsedThreadAt(1).Valid());
  EXPECT_EQ(view.RowOf(2), -1);
  EXPECT_EQ(view.RowOf(4), 1);
  // A reply inside the collapsed thread is found at the thread's row.
  EXPECT_EQ(view.RowAtOrBefore(2), 0);
}

TEST_F(ArticleRowViewTest, ACollapsedThreadUnderAPlaceholderKeepsItsFirstReplyReachable) {
  collapse.CollapseAll();
  Build();
  EXPECT_EQ(Rows(), (std::vector<int32_t>{1, -99, 5, 7, 8}));
  EXPECT_EQ(view.CollapsedThreadAt(1), (ThreadExtent{4, 7}));
  EXPECT_FALSE(view.CollapsedThreadAt(2).Valid());
  EXPECT_EQ(view.CollapsedThreadAt(4), (ThreadExtent{8, 10}));
  EXPECT_EQ(view.RowAtOrBefore(6), 2);
  EXPECT_EQ(view.RowAtOrBefore(9), 4);
}

TEST_F(ArticleRowViewTest, HiddenEntriesLeaveTheirThreadsToTheEntriesThatShow) {
  std::vector<uint8_t> shown(10, 1);
  shown[0] = 0;  // <1> hidden
  shown[5] = 0;  // <5> hidden: <6> stands under the placeholder
  collapse.CollapseAll();
  Build(&shown);
  EXPECT_EQ(Rows(), (std::vector<int32_t>{2, -99, 6, 7, 8}));
  EXPECT_EQ(view.CollapsedThreadAt(0), (ThreadExtent{0, 4}));

  // A placeholder whose replies are all hidden goes with them.
  shown[6] = 0;
  collapse.ExpandAll();
  Build(&shown);
  EXPECT_EQ(Rows(), (std::vector<int32_t>{2, 3, 4, 7, 8, 9}));
  // The placeholder's own mark counts for nothing: it shows as long as a reply shows.
  shown[4] = 0;
  shown[6] = 1;
  Build(&shown);
  EXPECT_EQ(Rows(), (std::vector<int32_t>{2, 3, 4, -99, 6, 7, 8, 9}));
}

TEST_F(ArticleRowViewTest, AFlatListShowsMatchesInOrderWithThreadsOpenAndNoPlaceholder) {
  std::vector<uint8_t> shown(10, 0);
  shown[2] = shown[4] = shown[5] = shown[9] = 1;
  collapse.CollapseAll();
  Build(&shown, true);
  EXPECT_EQ(Rows(), (std::vector<int32_t>{3, 5, 9}));
  EXPECT_FALSE(view.CollapsedThreadAt(0).Valid());
  EXPECT_EQ(view.RowOf(9), 2);
  EXPECT_EQ(view.RowAtOrBefore(0), 0);
  EXPECT_EQ(view.RowAtOrBefore(8), 1);

  shown.assign(10, 0);
  Build(&shown, true);
  EXPECT_EQ(view.RowCount(), 0);
  EXPECT_EQ(view.RowAtOrBefore(3), -1);
}

}  // namespace
}  // namespace vorn
