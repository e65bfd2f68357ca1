// The rows of the grid under the reading aids together: the quick filter, flagged articles
// only, hidden ignored writers and collapsed threads, on the NetVorn sample's general board
// (tree order: <101>, └<102>, 　└<103>, -95-, └<104>; 102 by 2048, 101 and 103 by 1024).
#include "threadview/GridRows.h"

#include <gtest/gtest.h>

#include "store/ArticleList.h"
#include "support/SampleSession.h"
#include "threadview/ArticleFlags.h"
#include "threadview/QuickFilter.h"
#include "threadview/WriterLists.h"

namespace vorn {
namespace {

using test::J;

constexpr int32_t T = ArticleSortTree;

class GridRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample.Load("NET19990730.LOG"));
    board = sample.Process().Boards.GetArticles(1);
    ASSERT_EQ(board->OrderCount(T), 5);
    filter = std::make_unique<TQuickFilter>(sample.Process().Members, sample.Log());
    flags.SetMailBox(sample.Process().MailBoardNo, sample.Process().MailBoardIndex);
    rules = {filter.get(), false, &flags, false, &writers, &collapse};
  }
  // The numbers the rows show, a placeholder as -number.
  std::vector<int32_t> Rows() {
    rows.Build(*board, T, rules);
    std::vector<int32_t> out;
    for (int32_t r = 0; r < rows.View().RowCount(); ++r) {
      const int32_t p = rows.View().PositionAt(r);
      const int32_t n = board->GetNumber(T, p);
      out.push_back(board->GetKind(T, p) == ArticleKindMissingRoot ? -n : n);
    }
    return out;
  }
  void Filter(const char* utf8) {
    std::string warning;
    ASSERT_TRUE(filter->SetCondition({J(utf8), false, false}, warning));
  }

  test::SampleSession sample;
  TArticleList* board = nullptr;
  std::unique_ptr<TQuickFilter> filter;
  TArticleFlags flags;
  TWriterLists writers;
  TThreadCollapse collapse;
  GridRowRules rules;
  TGridRows rows;
};

TEST_F(GridRowsTest, TheFiltersListWhatTheyLetThroughAndCountIt) {
  EXPECT_EQ(Rows(), (std::vector<int32_t>{101, 102, 103, -95, 104}));
  EXPECT_TRUE(rows.View().ShowsEverything());
  EXPECT_FALSE(rows.Filtering());

  Filter("はじめまして");
  EXPECT_EQ(Rows(), (std::vector<int32_t>{101, 102, 103}));
  EXPECT_TRUE(rows.Filtering());
  EXPECT_EQ(rows.ShownArticles(), 3);
  EXPECT_EQ(rows.TotalArticles(), 4);

  ASSERT_TRUE(flags.SetFlag(*board, T, 2, true));  // <103>
  ASSERT_TRUE(flags.SetFlag(*board, T, 4, true));  // <104>
  rules.FlaggedOnly = true;
  EXPECT_EQ(Rows(), (std::vector<int32_t>{103}));
  Filter("");
  EXPECT_EQ(Rows(), (std::vector<int32_t>{103, 104}));
  EXPECT_EQ(rows.ShownArticles(), 2);
  // A filter lists threads open.
  collapse.CollapseAll();
  EXPECT_EQ(Rows(), (std::vector<int32_t>{103, 104}));
}

TEST_F(GridRowsTest, HiddenIgnoredWritersStayHiddenUnderEveryOtherRule) {
  ASSERT_TRUE(writers.Mark("2048", WriterMark::Ignored));
  EXPECT_EQ(Rows(), (std::vector<int32_t>{101, 102, 103, -95, 104})) << "greyed, not hidden";
  rules.HideIgnored = true;
  EXPECT_EQ(Rows(), (std::vector<int32_t>{101, 103, -95, 104}));
  EXPECT_FALSE(rows.Filtering());
  EXPECT_EQ(rows.ShownArticles(), 3);
  // The filter finds <102> by its writer's handle, but its writer is hidden.
  Filter("はなこ");
  EXPECT_EQ(Rows(), (std::vector<int32_t>{}));
  Filter("");

  collapse.CollapseAll();
  EXPECT_EQ(Rows(), (std::vector<int32_t>{101, -95, 104}));
  const ThreadExtent first = rows.View().CollapsedThreadAt(0);
  EXPECT_EQ(first, (ThreadExtent{0, 3}));
  EXPECT_EQ(rows.CountsOf(*board, first), (ThreadCounts{1, 2})) << "<102> is not counted";

  // The next unread after <101> is <103>, inside the collapsed thread, past the hidden <102>.
  board->SetReadFlag(T, 0, 1, false);
  EXPECT_EQ(rows.NextUnread(*board, 0), 2);
  board->SetReadFlag(T, 2, 1, false);
  EXPECT_EQ(rows.NextUnread(*board, 0), 4);
  EXPECT_EQ(rows.NextUnread(*board, 4), -1);
}

}  // namespace
}  // namespace vorn
