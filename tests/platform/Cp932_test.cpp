#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(Cp932, RoundTripsJapaneseAndHalfWidthKana) {
  // 表 has 0x5C as its second byte; ｢ and ｣ are the single bytes 0xA2 and 0xA3.
  std::string sjis = Utf8ToCp932("表示 ｢雑談｣ abc");
  EXPECT_EQ(sjis, std::string("\x95\x5C\x8E\xA6 \xA2\x8E\x47\x92\x6B\xA3 abc"));
  EXPECT_EQ(Cp932ToUtf8(sjis), "表示 ｢雑談｣ abc");
}

TEST(Cp932, WindowsCodePageMappings) {
  // The characters where CP932 differs from plain Shift-JIS: the wave dash and the yen sign.
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");
  EXPECT_EQ(Cp932ToUtf8("\x5C"), "\\");
  EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "①");
}

TEST(Cp932, MalformedInputShowsReplacementAndKeepsFollowingText) {
  // A lone trailing lead byte at the end.
  EXPECT_EQ(Cp932ToUtf8(std::string("ab\x82")), "ab\xEF\xBF\xBD");
  // A lead byte followed by a byte that cannot be its trail: the ASCII after it survives.
  std::string out =
      Cp932ToUtf8(std::string("\x82"
                              "A"
                              "xyz"));
  EXPECT_NE(out.find("xyz"), std::string::npos);
  EXPECT_NE(out.find("\xEF\xBF\xBD"), std::string::npos);
  // Embedded NUL bytes are text too.
  EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp932, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
  EXPECT_EQ(Utf8ToCp932(std::string("a\xE3\x81")), "a?");
  EXPECT_EQ(Utf8ToCp932(std::string("\xFF"
                                    "z")),
            "?z");
}

}  // namespace
}  // namespace vorn
