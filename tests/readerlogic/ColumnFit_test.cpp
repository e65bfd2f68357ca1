#include "readerlogic/ColumnFit.h"

#include <gtest/gtest.h>

#include <numeric>

namespace vorn {
namespace {

int32_t Sum(const std::vector<int32_t>& widths) {
  return std::accumulate(widths.begin(), widths.end(), 0);
}

TEST(ColumnFitTest, RoomEnoughTheOthersKeepTheirWidthAndTheStretchColumnTakesTheRest) {
  const std::vector<ColumnWant> columns{{150, 60}, {150, 70}, {0, 120}};
  EXPECT_EQ(FitColumns(columns, 2, 1000), (std::vector<int32_t>{150, 150, 700}));
  // Exactly enough for the stretch column's minimum.
  EXPECT_EQ(FitColumns(columns, 2, 420), (std::vector<int32_t>{150, 150, 120}));
}

TEST(ColumnFitTest, ShortRoomIsTakenFromTheOthersInProportionAndTheWidthsFillTheView) {
  const std::vector<ColumnWant> columns{{150, 60}, {150, 70}, {0, 120}};
  for (int32_t available : {419, 400, 333, 301, 250}) {
    const std::vector<int32_t> widths = FitColumns(columns, 2, available);
    EXPECT_EQ(Sum(widths), available) << available;
    EXPECT_EQ(widths[2], 120) << available;
    EXPECT_GE(widths[0], 60);
    EXPECT_GE(widths[1], 70);
  }
  // Column 0 holds 90 above its minimum, column 1 80: 170 missing at 250 are taken 90 and 80.
  EXPECT_EQ(FitColumns(columns, 2, 250), (std::vector<int32_t>{60, 70, 120}));
  // Half of the surplus missing: each gives half of its own.
  EXPECT_EQ(FitColumns(columns, 2, 335), (std::vector<int32_t>{105, 110, 120}));
}

TEST(ColumnFitTest, BelowTheMinimumsEveryColumnHasItsMinimumAndTheViewScrolls) {
  const std::vector<ColumnWant> columns{{150, 60}, {150, 70}, {0, 120}};
  EXPECT_EQ(FitColumns(columns, 2, 100), (std::vector<int32_t>{60, 70, 120}));
  EXPECT_EQ(FitColumns(columns, 2, 0), (std::vector<int32_t>{60, 70, 120}));
}

TEST(ColumnFitTest, AnyNumberOfColumnsAndAnyStretchColumn) {
  // A flag column that cannot shrink, the stretch column in the middle.
  const std::vector<ColumnWant> columns{{20, 20}, {80, 40}, {0, 100}, {60, 60}, {90, 30}};
  const std::vector<int32_t> widths = FitColumns(columns, 2, 300);
  EXPECT_EQ(Sum(widths), 300);
  EXPECT_EQ(widths[0], 20);
  EXPECT_EQ(widths[3], 60);
  EXPECT_EQ(widths[2], 100);
  // A preferred width below the minimum is raised to it.
  EXPECT_EQ(FitColumns({{10, 50}, {0, 10}}, 1, 200), (std::vector<int32_t>{50, 150}));
  EXPECT_TRUE(FitColumns({}, 0, 100).empty());
}

}  // namespace
}  // namespace vorn
