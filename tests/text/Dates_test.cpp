#include "text/Dates.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_wday = 3;  // deliberately wrong: the weekday must come from the date
  return t;
}
TEST(DaysInMonth, GregorianFebruaryAndOutOfRangeMonths) {
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(1999, 13), 31);
  EXPECT_EQ(DaysInMonth(1999, 0), 31);
  EXPECT_EQ(DaysInMonth(1999, 11), 30);
  EXPECT_EQ(DaysInMonth(1999, 12), 31);
}

TEST(DateKey, ComputesSecondsOnTheSimplifiedCalendar) {
  // 1999: 19 years of 366 days; 30 July is day 210 (0-based) of a common year.
  EXPECT_EQ(DateKey(1999, 7, 30, 12, 34, 5), 19 * 31622400 + 210 * 86400 + 12 * 3600 + 34 * 60 + 5);
  EXPECT_EQ(DateKey(1980, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(DateKey(99, 7, 30, 12, 0, 0), DateKey(1999, 7, 30, 12, 0, 0));
  EXPECT_EQ(DateKey(5, 1, 2, 3, 4, 5), DateKey(2005, 1, 2, 3, 4, 5));
  // 79 is 2079, which shares the last slot with 2030.
  EXPECT_EQ(DateKey(79, 3, 1, 0, 0, 0), DateKey(2030, 3, 1, 0, 0, 0));
  EXPECT_EQ(DateKey(2100, 3, 1, 0, 0, 0) - DateKey(2100, 2, 28, 0, 0, 0), 86400);  // 2100: no leap
  // Years before 1980 share the first slot; the days still follow their own February.
  EXPECT_EQ(DateKey(1975, 5, 5, 0, 0, 0), (31 + 28 + 31 + 30 + 4) * 86400);
}

TEST(DateKey, LimitsEachPart) {
  EXPECT_EQ(DateKey(1999, 13, 40, 30, 75, 99), DateKey(1999, 12, 31, 23, 59, 59));
  EXPECT_EQ(DateKey(1999, 0, 0, -3, -1, -1), DateKey(1999, 1, 1, 0, 0, 0));
  EXPECT_EQ(DateKey(1999, 7, 30, 12, 60, 0), DateKey(1999, 7, 30, 12, 59, 0));
}

TEST(DateKey, OrdersDatesAcrossMonthAndYearEnds) {
  EXPECT_LT(DateKey(2000, 2, 29, 23, 59, 59), DateKey(2000, 3, 1, 0, 0, 0));
  EXPECT_LT(DateKey(1999, 2, 28, 23, 59, 59), DateKey(1999, 3, 1, 0, 0, 0));
  EXPECT_LT(DateKey(1999, 12, 31, 23, 59, 59), DateKey(2000, 1, 1, 0, 0, 0));
  EXPECT_LT(DateKey(2000, 12, 31, 23, 59, 59), DateKey(2001, 1, 1, 0, 0, 0));
  EXPECT_LT(DateKey(2029, 12, 31, 23, 59, 59), DateKey(2030, 1, 1, 0, 0, 0));
}

TEST(ExpandDatePlaceholders, PercentPlaceholders) {
  const std::tm when = MakeTime(1999, 7, 30, 9, 5, 3);  // a Friday
  EXPECT_EQ(ExpandDatePlaceholders("%_month_% %_MONTH_%", when), "july 07");
  EXPECT_EQ(ExpandDatePlaceholders("%_DAY_%)", when), "30)");
  EXPECT_EQ(ExpandDatePlaceholders("%_Year_%", when), "%_Year_%");
  EXPECT_EQ(ExpandDatePlaceholders("%_WEEK_%", when), J("金"));
  EXPECT_EQ(ExpandDatePlaceholders("%_week_%", when), "friday");
  EXPECT_EQ(ExpandDatePlaceholders("UP%_YEAR_%%_MONTH_%%_DAY_%.%_HOUR_%%_MIN_%%_SEC_%", when),
            "UP990730.090503");
  EXPECT_EQ(ExpandDatePlaceholders("%_DAY_%-%_DAY_%-%_DAY_%", when), "30-30-30");
  EXPECT_EQ(ExpandDatePlaceholders("%_DAY%_DAY_%_%", when), "%_DAY30_%");
  EXPECT_EQ(ExpandDatePlaceholders(J("投稿日：%_WEEK_%曜日"), when), J("投稿日：金曜日"));
}

TEST(ExpandDatePlaceholders, DollarCodes) {
  const std::tm when = MakeTime(1999, 7, 30, 9, 5, 3);
  EXPECT_EQ(ExpandDatePlaceholders("$x", when), "");
  EXPECT_EQ(ExpandDatePlaceholders("100$", when), "100");
  EXPECT_EQ(ExpandDatePlaceholders("$$Y", when), "$Y");
  EXPECT_EQ(ExpandDatePlaceholders("$Y%_YEAR_%", when), "9999");
  EXPECT_EQ(ExpandDatePlaceholders("$y-$m-$d $h:$n:$s", when), "1999-07-30 09:05:03");
  EXPECT_EQ(ExpandDatePlaceholders("[$t]", when), "[1999/07/30 9:05:03]");
  // An unknown code takes the whole double-byte character after the '$' with it.
  EXPECT_EQ(ExpandDatePlaceholders(J("a$表b"), when), "ab");
  EXPECT_EQ(ExpandDatePlaceholders(J("表$m"), when), J("表") + "07");
  EXPECT_EQ(ExpandDatePlaceholders("$Y", MakeTime(2005, 1, 2, 0, 0, 0)), "05");
  EXPECT_EQ(ExpandDatePlaceholders("$y", MakeTime(812, 1, 2, 0, 0, 0)), "0812");
}

TEST(ExpandDatePlaceholders, WeekdayComesFromTheDate) {
  EXPECT_EQ(ExpandDatePlaceholders("%_week_%", MakeTime(1999, 8, 1, 0, 0, 0)), "sunday");
  EXPECT_EQ(ExpandDatePlaceholders("%_WEEK_%", MakeTime(1999, 8, 1, 0, 0, 0)), J("日"));
  EXPECT_EQ(ExpandDatePlaceholders("%_week_%", MakeTime(2000, 1, 1, 0, 0, 0)), "saturday");
  EXPECT_EQ(ExpandDatePlaceholders("%_week_%", MakeTime(2024, 2, 29, 0, 0, 0)), "thursday");
  EXPECT_EQ(ExpandDatePlaceholders("%_week_%", MakeTime(2100, 3, 1, 0, 0, 0)), "monday");
  EXPECT_EQ(ExpandDatePlaceholders("%_month_%", MakeTime(2001, 12, 1, 0, 0, 0)), "december");
  // A real local time agrees with the C library's weekday.
  std::tm now = CurrentLocalTime();
  static const char* const kDays[7] = {"sunday",   "monday", "tuesday", "wednesday",
                                       "thursday", "friday", "saturday"};
  EXPECT_EQ(ExpandDatePlaceholders("%_week_%", now), kDays[now.tm_wday]);
}

}  // namespace
}  // namespace vorn
