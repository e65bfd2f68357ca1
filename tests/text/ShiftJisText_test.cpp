#include "text/ShiftJisText.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

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

TEST(StripEscapeSequences, ControlStringsGoWholeWhenTheyEnd) {
  // A window title ends at BEL or at ESC '\'; the terminal showed none of it.
  EXPECT_EQ(StripEscapeSequences("a\x1b]2;TITLE\x07"
                                 "b"),
            "ab");
  EXPECT_EQ(StripEscapeSequences("a\x1b]0;t\x1b\\b\x1bPq\x07"
                                 "c"),
            "abc");
  EXPECT_EQ(StripEscapeSequences(J("\x1b]2;表示\x07ノ")), J("ノ"));
  // One that never ends in the line is no string: the ESC alone goes, the text stays.
  EXPECT_EQ(StripEscapeSequences("a\x1b]2;no end"), "a]2;no end");
  EXPECT_EQ(StripEscapeSequences("\x1b]2;x\x1b[1mbold"), "]2;xbold");
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

}  // namespace
}  // namespace vorn
