#include "text/CommonSub.h"

#include <gtest/gtest.h>

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

TEST(TextToNumber, AcceptsDecimalAndDollarHexWithBlanksAndSign) {
  EXPECT_EQ(TextToNumber("42"), 42);
  EXPECT_EQ(TextToNumber("  -17"), -17);
  EXPECT_EQ(TextToNumber("+5"), 5);
  EXPECT_EQ(TextToNumber("007"), 7);
  EXPECT_EQ(TextToNumber("2147483647"), 2147483647);
  EXPECT_EQ(TextToNumber("-2147483648"), INT32_MIN);
  EXPECT_EQ(TextToNumber("$1F"), 31);
  EXPECT_EQ(TextToNumber("-$10"), -16);
  EXPECT_EQ(TextToNumber("$FFFFFFFF"), -1);  // colour-style bit patterns wrap
  EXPECT_EQ(TextToNumber("$00FF0000"), 0xFF0000);
}

TEST(TextToNumber, EverythingElseIsNoNumber) {
  for (const char* text : {"", "abc", "12345678901", "2147483648", "-2147483649", "12 ", "1.5", "$",
                           "$100000000", "$1G", "- 5", " ", "+", "\t5"})
    EXPECT_EQ(TextToNumber(text), -2030000000) << '"' << text << '"';
}

TEST(TextToFloat, PlainDecimalFormsOnly) {
  EXPECT_DOUBLE_EQ(TextToFloat("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(TextToFloat(" -2.25 "), -2.25);
  EXPECT_DOUBLE_EQ(TextToFloat("1e3"), 1000.0);
  EXPECT_DOUBLE_EQ(TextToFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(TextToFloat("5."), 5.0);
  EXPECT_DOUBLE_EQ(TextToFloat("+7"), 7.0);
  for (const char* text : {"", "abc", "inf", "nan", "1e", "1e999", ".", "-", "1.5x", "0x10"})
    EXPECT_EQ(TextToFloat(text), NoFloat) << '"' << text << '"';
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

TEST(QuoteDoubled, DoublesFreeQuotesOnly) {
  EXPECT_EQ(QuoteDoubled("say \"hi\""), "say \"\"hi\"\"");
  EXPECT_EQ(QuoteDoubled(""), "");
  // A quote right after a character whose second byte lies in the lead-byte range must still
  // be doubled: only pair tracking from the start tells the 0x81 of "メ" from a lead byte.
  ASSERT_EQ(J("メ"), "\x83\x81");
  EXPECT_EQ(QuoteDoubled(J("メ\"")), J("メ\"\""));
  // 0x5C as a second byte is no escape and does not disturb the pairing.
  ASSERT_EQ(J("表"), "\x95\x5C");
  EXPECT_EQ(QuoteDoubled(J("表\"示\"")), J("表\"\"示\"\""));
}

TEST(StripEscapeSequences, RemovesColourSequencesAndLoneEscapes) {
  EXPECT_EQ(StripEscapeSequences("\x1b[1;33mabc\x1b[m"), "abc");
  EXPECT_EQ(StripEscapeSequences("a\x1b"
                                 "b"),
            "ab");
  EXPECT_EQ(StripEscapeSequences("abc\x1b"), "abc");
  EXPECT_EQ(StripEscapeSequences("abc\x1b["), "abc");
  EXPECT_EQ(StripEscapeSequences("plain"), "plain");
  // 'ー' ends in '[' and 'ノ' in 'm': neither opens or closes a sequence.
  ASSERT_EQ(J("ー"), "\x81\x5B");
  ASSERT_EQ(J("ノ"), "\x83\x6D");
  EXPECT_EQ(StripEscapeSequences(J("ー[1mノ")), J("ー[1mノ"));
  EXPECT_EQ(StripEscapeSequences(J("\x1b[31mノー\x1b[0mノ")), J("ノーノ"));
  EXPECT_EQ(StripEscapeSequences(J("\x1bー")), J("ー"));
}

TEST(StripEscapeSequences, OtherSequencesEndAtTheirFinalByte) {
  // Cursor and erase sequences must not swallow the text up to some later 'm'.
  EXPECT_EQ(StripEscapeSequences("\x1b[2JNo.12 main"), "No.12 main");
  EXPECT_EQ(StripEscapeSequences("abc\x1b[Kdef m"), "abcdef m");
  // A byte that cannot belong to a sequence ends it and is kept.
  EXPECT_EQ(StripEscapeSequences(J("\x1b[1ノ")), J("ノ"));
  EXPECT_EQ(StripEscapeSequences("\x1b[1\rx"), "\rx");
}

TEST(WrapText, CutsBeforeADoubleByteCharacterThatWouldBeSplit) {
  const std::string kanji = J("表");
  EXPECT_EQ(WrapText("abc" + kanji + "de", 4), "abc\r\n" + kanji + "de");
  EXPECT_EQ(WrapText("abcdefghij", 4), "abcd\r\nefgh\r\nij");
  EXPECT_EQ(WrapText("abcd", 4), "abcd");
  EXPECT_EQ(WrapText("", 4), "");
  // The fourth byte (0x81, second byte of 'メ') lies in the lead-byte range; only pair
  // tracking sees that the piece may keep the whole character.
  EXPECT_EQ(WrapText(J("abメcd"), 4), J("abメ") + "\r\ncd");
  EXPECT_EQ(WrapText(J("メメメ"), 3), J("メ") + "\r\n" + J("メ") + "\r\n" + J("メ"));
  // A width that no double-byte character fits still makes progress.
  EXPECT_EQ(WrapText(J("aメb"), 1), "a\r\n" + J("メ") + "\r\nb");
  EXPECT_EQ(WrapText("abc", 0), "abc");
}

TEST(ExpandTabs, FillsToTheNextStopCountingBytesPerLine) {
  EXPECT_EQ(ExpandTabs("a\tb", 4), "a   b");
  EXPECT_EQ(ExpandTabs("\t", 4), "    ");
  EXPECT_EQ(ExpandTabs("abcd\te", 4), "abcd    e");
  EXPECT_EQ(ExpandTabs("ab\r\n\tc", 4), "ab\r\n    c");  // LF restarts the column
  EXPECT_EQ(ExpandTabs("ab\r\tc", 4), "ab\r c");         // CR does not
  EXPECT_EQ(ExpandTabs(J("あ\tx"), 4), J("あ") + "  x");
  EXPECT_EQ(ExpandTabs("a\tb", 0), "a\tb");
  // Results past the classic 10240-byte buffer are produced whole.
  std::string many(2000, '\t');
  EXPECT_EQ(ExpandTabs(many + "x", 8), std::string(16000, ' ') + "x");
}

TEST(IsBlankText, BlanksTabsAndFullWidthBlanks) {
  EXPECT_TRUE(IsBlankText(""));
  EXPECT_TRUE(IsBlankText(J("　　")));
  EXPECT_TRUE(IsBlankText(J(" \t　 ")));
  EXPECT_FALSE(IsBlankText(" ."));
  EXPECT_FALSE(IsBlankText("\x81"));      // truncated full-width blank
  EXPECT_FALSE(IsBlankText("\x81\x41"));  // another full-width character
  EXPECT_FALSE(IsBlankText("\r"));
}

TEST(LogNamePrefix, LeadingPartOfTheFileName) {
  EXPECT_EQ(LogNamePrefix("NET19990730.LOG"), "NET");
  EXPECT_EQ(LogNamePrefix("C:\\LOG\\NET19990730.LOG"), "NET");
  EXPECT_EQ(LogNamePrefix("/home/u/logs/vorn.log"), "vorn");
  EXPECT_EQ(LogNamePrefix("/home/u/logs/1999.log"), "");
  EXPECT_EQ(LogNamePrefix("/logs.d/NET"), "NET");
  EXPECT_EQ(LogNamePrefix(""), "");
  // The second byte of '表' is a backslash and belongs to the name, not the folder.
  EXPECT_EQ(LogNamePrefix(J("C:\\ログ\\表NET1.LOG")), J("表NET"));
  EXPECT_EQ(LogNamePrefix(J("/x/表/AB2.LOG")), "AB");
}

TEST(FieldNames, LookupIsCaseInsensitiveAndWhole) {
  EXPECT_EQ(TextFieldIndex("btitle"), TextField::BTITLE);
  EXPECT_EQ(TextFieldIndex("BTitle"), 1);
  EXPECT_EQ(TextFieldIndex("BTITLE "), -1);
  EXPECT_EQ(TextFieldIndex(" BTITLE"), -1);
  EXPECT_EQ(TextFieldIndex(""), -1);
  EXPECT_EQ(TextFieldIndex("RID"), 8);
  EXPECT_EQ(TextFieldIndex("WID"), 7);
  EXPECT_EQ(TextFieldIndex("WIDNO"), -1);
  EXPECT_EQ(NumberFieldIndex("widno"), NumberField::WIDNO);
  EXPECT_EQ(NumberFieldIndex("BNO"), 0);
  EXPECT_EQ(NumberFieldIndex("Second"), 11);
  EXPECT_EQ(NumberFieldIndex("BTITLE"), -1);
  EXPECT_EQ(NumberFieldIndex(""), -1);
  for (int i = 0; i < TextFieldCount; ++i)
    EXPECT_EQ(TextFieldIndex(TextFieldName(i)), i);
  for (int i = 0; i < NumberFieldCount; ++i)
    EXPECT_EQ(NumberFieldIndex(NumberFieldName(i)), i);
  EXPECT_EQ(TextFieldName(9), "");
  EXPECT_EQ(NumberFieldName(-1), "");
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
