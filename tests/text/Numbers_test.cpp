#include "text/Numbers.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vorn {
namespace {

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

}  // namespace
}  // namespace vorn
