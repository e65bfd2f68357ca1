#include "regex/AWKStr.h"

#include <gtest/gtest.h>

#include <utility>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using Hit = std::pair<int, int>;  // 1-based position, length; (0, 0) for no match

Hit MatchOf(TAWKStr& awk, const std::string& pattern, const std::string& text) {
  awk.SetRegExp(pattern);
  int position = -1;
  int length = -1;
  const int result = awk.Match(text, position, length);
  EXPECT_EQ(result, position);
  return {position, length};
}

Hit MatchOf(const std::string& pattern, const std::string& text) {
  TAWKStr awk;
  return MatchOf(awk, pattern, text);
}

TEST(AWKStrMatch, LeftmostThenLongest) {
  EXPECT_EQ(MatchOf("ab", "xabab"), Hit(2, 2));
  EXPECT_EQ(MatchOf("a*", "baaa"), Hit(1, 0));
  EXPECT_EQ(MatchOf("a+", "baaa"), Hit(2, 3));
  EXPECT_EQ(MatchOf("a|ab", "xab"), Hit(2, 2));
  EXPECT_EQ(MatchOf("(a|ab)(c|bcd)", "abcd"), Hit(1, 4));
  EXPECT_EQ(MatchOf("x(ab)*", "xababa"), Hit(1, 5));
  EXPECT_EQ(MatchOf("abc", "ababd"), Hit(0, 0));
}

TEST(AWKStrMatch, EmptyPatternsAndEmptyTexts) {
  TAWKStr awk;
  int position = -1, length = -1;
  EXPECT_EQ(awk.Match("abc", position, length), 1);  // entry 0: the empty pattern
  EXPECT_EQ(length, 0);
  EXPECT_EQ(MatchOf("", ""), Hit(1, 0));
  EXPECT_EQ(MatchOf("a|", "b"), Hit(1, 0));
  EXPECT_EQ(MatchOf("()", ""), Hit(1, 0));
  EXPECT_EQ(MatchOf("a", ""), Hit(0, 0));
}

TEST(AWKStrMatch, ClassesAndAnyCharacterNeverTakeLineBreaks) {
  EXPECT_EQ(MatchOf("[a-]", "xa"), Hit(2, 1));
  EXPECT_EQ(MatchOf("[a-]", "x-"), Hit(2, 1));
  EXPECT_EQ(MatchOf("[a-]", "xb"), Hit(0, 0));
  EXPECT_EQ(MatchOf("[^x]", "\r\n"), Hit(0, 0));
  EXPECT_EQ(MatchOf("[^x]+", "\rx\nyz\r"), Hit(4, 2));
  EXPECT_EQ(MatchOf(".", "\r\n"), Hit(0, 0));
  EXPECT_EQ(MatchOf(".+", "\r\nab\r"), Hit(3, 2));
  // A literal line feed is a character like any other.
  EXPECT_EQ(MatchOf("a\\nb", "a\nb"), Hit(1, 3));
  EXPECT_EQ(MatchOf("[^a-c]", "abcd"), Hit(4, 1));
  EXPECT_EQ(MatchOf("[\\x30-\\x39]+", "ab123c"), Hit(3, 3));
}

TEST(AWKStrMatch, EscapedCodes) {
  EXPECT_EQ(MatchOf("\\x41", "zA"), Hit(2, 1));
  EXPECT_EQ(MatchOf("\\101", "zA"), Hit(2, 1));
  EXPECT_EQ(MatchOf("\\x82a05", J("5あ5")), Hit(2, 3));
  // 0x1234 is no character a text can hold; the bytes 0x12 0x34 are two characters.
  EXPECT_EQ(MatchOf("\\x12345",
                    "\x12\x34"
                    "5"),
            Hit(0, 0));
  EXPECT_EQ(MatchOf("\\t\\*", "a\t*"), Hit(2, 2));
}

TEST(AWKStrMatch, CaretAndDollarAnchorOnlyWhereAMatchBeginsOrEnds) {
  EXPECT_EQ(MatchOf("a^b", "xa^b"), Hit(2, 3));
  EXPECT_EQ(MatchOf("a$b", "a$b"), Hit(1, 3));
  EXPECT_EQ(MatchOf("^ab", "ab"), Hit(1, 2));
  EXPECT_EQ(MatchOf("^ab", "xab"), Hit(0, 0));
  EXPECT_EQ(MatchOf("^ab", "x\nab"), Hit(3, 2));
  EXPECT_EQ(MatchOf("^ab", "x\rab"), Hit(0, 0));
  EXPECT_EQ(MatchOf("b|^a", "ca"), Hit(0, 0));
  EXPECT_EQ(MatchOf("b|^a", "ab"), Hit(1, 1));
  EXPECT_EQ(MatchOf("^", "xyz"), Hit(1, 0));
  EXPECT_EQ(MatchOf("^$", ""), Hit(1, 0));
  EXPECT_EQ(MatchOf("^$", "x\n"), Hit(3, 0));
  // A line-start run takes the longer of the anchored and the plain reading.
  EXPECT_EQ(MatchOf("^a|ab", "ab"), Hit(1, 2));
}

TEST(AWKStrMatch, DollarEndsAtTheSeparatorOrTheEnd) {
  TAWKStr awk;
  EXPECT_EQ(awk.LineSeparator(), mcls_CRLF);
  EXPECT_EQ(MatchOf(awk, "ab$", "ab\r"), Hit(1, 2));
  EXPECT_EQ(MatchOf(awk, "ab$", "xab\r\n"), Hit(2, 2));
  EXPECT_EQ(MatchOf(awk, "ab$", "ab"), Hit(1, 2));
  EXPECT_EQ(MatchOf(awk, "ab$", "abab"), Hit(3, 2));
  EXPECT_EQ(MatchOf(awk, "ab$", "abc"), Hit(0, 0));
  EXPECT_EQ(MatchOf(awk, "ab$", "ab\nx"), Hit(0, 0));
  EXPECT_EQ(MatchOf(awk, "$", "abc"), Hit(4, 0));
  EXPECT_EQ(MatchOf(awk, "a*$", "baa\r"), Hit(2, 2));
  awk.SetLineSeparator(mcls_LF);
  EXPECT_EQ(MatchOf(awk, "ab$", "ab\nx"), Hit(1, 2));
  EXPECT_EQ(MatchOf(awk, "ab$", "ab\rx"), Hit(0, 0));
  EXPECT_EQ(MatchOf(awk, "^x$", "ab\nx\n"), Hit(4, 1));
}

TEST(AWKStrMatch, AnAnchorCharacterInsideAClassKeepsBothReadings) {
  // "^" inside the alternation is the character; the class also holds it. Both paths must
  // survive the automaton's grouping of transitions by range.
  EXPECT_EQ(MatchOf("a(^x|[!-~]y)", "a^x"), Hit(1, 3));
  EXPECT_EQ(MatchOf("a(^x|[!-~]y)", "a^y"), Hit(1, 3));
  EXPECT_EQ(MatchOf("a($x|[!-~]y)", "a$x"), Hit(1, 3));
}

TEST(AWKStrMatch, DoubleByteCharactersAreNeverSplit) {
  // "ａ　" is 82 81 81 40: the middle bytes spell "＝" (81 81) and the last one is "@".
  const std::string text = J("ａ　");
  EXPECT_EQ(MatchOf(J("＝"), text), Hit(0, 0));
  EXPECT_EQ(MatchOf("@", text), Hit(0, 0));
  EXPECT_EQ(MatchOf(J("　"), text), Hit(3, 2));
  // "ヂ" is 83 61: its second byte is an "a".
  EXPECT_EQ(MatchOf("a", J("ヂ")), Hit(0, 0));
  EXPECT_EQ(MatchOf("a", J("ヂa")), Hit(3, 1));
  EXPECT_EQ(MatchOf("[a-c]", J("ヂヂb")), Hit(5, 1));
  // "." and negated classes take whole characters.
  EXPECT_EQ(MatchOf(".", J("あ")), Hit(1, 2));
  EXPECT_EQ(MatchOf("a.b", J("aあb")), Hit(1, 4));
  EXPECT_EQ(MatchOf("..", J("あ")), Hit(0, 0));
  EXPECT_EQ(MatchOf("[^a]", J("aあ")), Hit(2, 2));
  EXPECT_EQ(MatchOf(J("[^あ]"), J("あい")), Hit(3, 2));
  EXPECT_EQ(MatchOf(J("[ぁ-ん]+"), J("abcひらがなXYZ")), Hit(4, 8));
  // A lead byte with nothing after it is one character and the text ends there.
  EXPECT_EQ(MatchOf("a.", "a\x82"), Hit(1, 2));
  EXPECT_EQ(MatchOf("a..", "a\x82"), Hit(0, 0));
  EXPECT_EQ(MatchOf("\\x82$", "a\x82"), Hit(2, 1));
  // Whatever follows a lead byte is its second byte, even a line break: no line ends or starts
  // there.
  EXPECT_EQ(MatchOf("$", "a\x82\r"), Hit(4, 0));
  EXPECT_EQ(MatchOf("^b", "a\x82\nb"), Hit(0, 0));
  EXPECT_EQ(MatchOf("^b", "a\x82\n\nb"), Hit(5, 1));
}

TEST(AWKStrMatch, FuzzyCharactersMatchEveryForm) {
  TAWKStr awk;
  awk.SetUseFuzzyCharDic(true);
  EXPECT_EQ(MatchOf(awk, J("ｶﾞ"), J("xが")), Hit(2, 2));
  EXPECT_EQ(MatchOf(awk, J("が"), J("xｶﾞ")), Hit(2, 2));
  EXPECT_EQ(MatchOf(awk, J("が"), J("xか゛")), Hit(2, 4));
  EXPECT_EQ(MatchOf(awk, J("１"), J("第一")), Hit(3, 2));
  EXPECT_EQ(MatchOf(awk, "ab", J("ＡＢ")), Hit(1, 4));
  EXPECT_EQ(MatchOf(awk, J("ダウンロード"), J("[ﾀﾞｳﾝﾛｰﾄﾞ]")), Hit(2, 8));
  EXPECT_EQ(MatchOf(awk, J("ダウンロード"), J("だうんろーど")), Hit(1, 12));
  EXPECT_EQ(MatchOf(awk, J("[か]"), J("カか")), Hit(3, 2));
  EXPECT_EQ(MatchOf(awk, J("[か]"), J("カ")), Hit(0, 0));
  // Switching the dictionary off recompiles the current pattern at once.
  awk.SetRegExp(J("か"));
  EXPECT_EQ(awk.Match(J("ｶ")), 1);
  awk.SetUseFuzzyCharDic(false);
  EXPECT_EQ(awk.RegExp(), J("か"));
  EXPECT_EQ(awk.Match(J("ｶ")), 0);
  EXPECT_EQ(awk.Match(J("か")), 1);
}

TEST(AWKStrCache, SamePatternCompilesOnceAndOldestIsEvicted) {
  TAWKStr awk;
  EXPECT_EQ(awk.CacheCount(), 1);
  EXPECT_EQ(awk.CachedPattern(0), "");
  awk.SetRegExp("p0");
  const TRE_DFA* first = &awk.CurrentDFA();
  awk.SetRegExp("p1");
  awk.SetRegExp("p0");
  EXPECT_EQ(&awk.CurrentDFA(), first);  // a hit: not compiled again...
  EXPECT_EQ(awk.CurrentIndex(), 2);     // ...and not moved
  EXPECT_EQ(awk.CacheCount(), 3);
  for (int i = 2; i < 29; ++i)
    awk.SetRegExp("p" + std::to_string(i));
  EXPECT_EQ(awk.CacheCount(), 30);  // the empty pattern and 29 others
  EXPECT_EQ(awk.CachedPattern(1), "p28");
  EXPECT_EQ(awk.CachedPattern(29), "p0");
  awk.SetRegExp("p29");  // the 31st distinct pattern, counting the empty one
  EXPECT_EQ(awk.CacheCount(), 30);
  EXPECT_EQ(awk.CachedPattern(0), "");
  EXPECT_EQ(awk.CachedPattern(1), "p29");
  EXPECT_EQ(awk.CachedPattern(29), "p1");
  EXPECT_EQ(awk.Match("xp29"), 2);
  awk.SetRegExp("p0");  // evicted: compiled anew
  EXPECT_EQ(awk.CurrentIndex(), 1);
}

TEST(AWKStrCache, TheCacheKeyIsThePreprocessedPattern) {
  TAWKStr awk;
  awk.SetUseFuzzyCharDic(true);
  awk.SetRegExp("a");
  EXPECT_EQ(awk.CachedPattern(1), J("(Ａ|ａ|A|a)"));
  awk.SetUseFuzzyCharDic(false);
  awk.SetRegExp(J("(Ａ|ａ|A|a)"));
  EXPECT_EQ(awk.CurrentIndex(), 2);  // found, not compiled anew
}

TEST(AWKStrCache, ABadPatternLeavesTheEmptyPatternCurrent) {
  TAWKStr awk;
  awk.SetRegExp("abc");
  EXPECT_THROW(awk.SetRegExp("(abc"), ERegExpParser);
  EXPECT_EQ(awk.RegExp(), "");
  EXPECT_EQ(awk.CurrentIndex(), 0);
  EXPECT_EQ(awk.CacheCount(), 2);
  EXPECT_EQ(awk.CachedPattern(1), "abc");
  int position = -1, length = -1;
  EXPECT_EQ(awk.Match("xyz", position, length), 1);
  EXPECT_EQ(length, 0);
  // The same holds when the fault is found while rewriting.
  awk.SetUseFuzzyCharDic(true);
  awk.SetRegExp("abc");
  EXPECT_THROW(awk.SetRegExp("abc\\"), ERegExpParser);
  EXPECT_EQ(awk.RegExp(), "");
  EXPECT_EQ(awk.CurrentIndex(), 0);
  awk.SetRegExp("b");
  EXPECT_EQ(awk.Match("ab"), 2);
}

}  // namespace
}  // namespace vorn
