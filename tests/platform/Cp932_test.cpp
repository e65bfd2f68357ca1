#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

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

TEST(Cp932, AppendAsUtf8CountsEveryByteThatDoesNotDecode) {
  struct Case {
    std::string cp932;
    std::string utf8;
    size_t undecoded;
  };
  const std::string fffd = "\xEF\xBF\xBD";
  const Case cases[] = {
      // Control bytes stay themselves (the ICU table would swap 0x1A, 0x1C and 0x7F).
      {std::string("a\x1A\x1C\x7F\tb", 6), std::string("a\x1A\x1C\x7F\tb", 6), 0},
      // NEC and IBM extensions, half-width kana, the user-defined area.
      {"\x87\x40\xED\x40\xFA\x40\xB1\xF0\x40", "①纊ⅰｱ\xEE\x80\x80", 0},
      // A lead byte at the end, and one before a byte that cannot be a trail byte.
      {"ab\x82", "ab" + fffd, 1},
      {"\x81\x7F"
       "c",
       fffd + "\x7F"
              "c",
       1},
      // A pair with no character: an ASCII second byte is kept as the letter it is.
      {"\x82"
       "Axyz",
       fffd + "Axyz", 1},
      {"\x85\x40", fffd + "@", 1},
      // ... a second byte above ASCII goes with the lead byte.
      {"\xEB\x9F"
       "z",
       fffd + "z", 2},
      // Single bytes without a character.
      {"\x80\xA0\xFD\xFE\xFF", fffd + fffd + fffd + fffd + fffd, 5},
  };
  for (const Case& c : cases) {
    std::string out = "kept:";
    EXPECT_EQ(AppendCp932AsUtf8(c.cp932, out), c.undecoded) << c.utf8;
    EXPECT_EQ(out, "kept:" + c.utf8);
  }
}

// The window, the tool and the exports decode alike: a broken pair keeps its ASCII second
// byte, a byte without a character is U+FFFD (never a control character), control bytes stay.
TEST(Cp932, OneDecodingForEveryReader) {
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(Cp932ToUtf8("a\x85\x40"
                        "b"),
            "a" + fffd + "@b");
  EXPECT_EQ(Cp932ToUtf8("\x80\xA0\xFD" + J("表")), fffd + fffd + fffd + "表");
  EXPECT_EQ(Cp932ToUtf8(std::string("\x1A\x1C\x7F", 3) + J("表")), "\x1A\x1C\x7F表");
  std::mt19937 random(23);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 10, '\0');
    // 0xFE and 0xFF start the escapes of file-name bytes, which only Cp932ToUtf8 reads.
    for (char& c : bytes)
      c = static_cast<char>(random() % 0xFE);
    std::string appended;
    AppendCp932AsUtf8(bytes, appended);
    ASSERT_EQ(Cp932ToUtf8(bytes), appended) << testing::PrintToString(bytes);
  }
}

TEST(Cp932, ControlCharactersBesideJapaneseStayThemselves) {
  // The converter's table would swap them with one another.
  EXPECT_EQ(Utf8ToCp932("\x1A\x1C\x7F表"), std::string("\x1A\x1C\x7F", 3) + "\x95\x5C");
  const std::string text = std::string("\x01\x1A\x1C\x7F\t", 5) + J("表示");
  EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(text)), text);
}

TEST(Cp932, EveryFileNameTheSystemGivesGoesBackUnchanged) {
  const std::vector<std::string> names = {
      "/home/sé/NET19990730é.LOG",  // é
      "/home/Müller/logs",          // ü
      "NET😀.LOG",                   // outside the basic plane
      "NET\xFF\xFE.LOG",            // not UTF-8 at all
      "NET\xE9.LOG",                // a Latin-1 é
      "\xE3\x81",                   // a cut UTF-8 character
      "/ログ/表示/NET.LOG",         // characters CP932 holds, one ending in 0x5C
      "¥~\\",                       // U+00A5 would fall back to the backslash
  };
  for (const std::string& native : names) {
    const std::string core = FromNativePath(native);
    EXPECT_EQ(NativePath(core), native) << native;
    // Byte-wise scans see the same separators, dots and digits as the system does.
    size_t slashes = 0, dots = 0, digits = 0;
    for (unsigned char c : native) {
      slashes += c == '/';
      dots += c == '.';
      digits += c >= '0' && c <= '9';
    }
    size_t coreSlashes = 0, coreDots = 0, coreDigits = 0;
    for (size_t i = 0; i < core.size(); ++i) {
      const unsigned char c = core[i];
      if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
        ++i;
        continue;
      }
      coreSlashes += c == '/';
      coreDots += c == '.';
      coreDigits += c >= '0' && c <= '9';
    }
    EXPECT_EQ(coreSlashes, slashes) << native;
    EXPECT_EQ(coreDots, dots) << native;
    EXPECT_EQ(coreDigits, digits) << native;
  }
  // Any bytes at all.
  std::mt19937 random(19);
  for (int round = 0; round < 3000; ++round) {
    std::string native(random() % 12, '\0');
    for (char& c : native)
      c = static_cast<char>(random() % 2 ? 0x80 + random() % 128 : 1 + random() % 255);
    ASSERT_EQ(NativePath(FromNativePath(native)), native) << round;
  }
  // What CP932 holds stays CP932 in the core, and paths of the ini files keep working.
  EXPECT_EQ(FromNativePath("/ログ/表示"), Utf8ToCp932("/ログ/表示"));
  EXPECT_EQ(NativePath(Utf8ToCp932("/ログ/表示")), "/ログ/表示");
  // Two names that differ only in a character CP932 lacks are two names, never "?".
  EXPECT_NE(FromNativePath("NET19990730é.LOG"), FromNativePath("NET19990730?.LOG"));
  EXPECT_NE(FromNativePath("NET19990730é.LOG"), FromNativePath("NET19990730ü.LOG"));
}

TEST(Cp932, FileNamesShowAsTheirOwnCharacters) {
  EXPECT_EQ(Cp932ToUtf8(FromNativePath("/home/sé/NET😀ü.LOG")), "/home/sé/NET😀ü.LOG");
  EXPECT_EQ(Cp932ToUtf8(J("ファイル:") + FromNativePath("表é") + "\r"), "ファイル:表é\r");
  // A byte that is no UTF-8 shows as a replacement character, the rest as it is.
  EXPECT_EQ(Cp932ToUtf8(FromNativePath("NET\xFF.LOG")), "NET\xEF\xBF\xBD.LOG");
}

}  // namespace
}  // namespace vorn
