#include "regex/REScanner.h"

#include <gtest/gtest.h>

#include <vector>

#include "regex/AWKStr.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

struct BadPattern {
  std::string pattern;
  RegExpError error;
  int position;
};

// Compiles through the component, as the search does; returns the error raised.
ERegExpParser CompileError(const std::string& pattern, bool fuzzy = false) {
  TAWKStr awk;
  awk.SetUseFuzzyCharDic(fuzzy);
  try {
    awk.SetRegExp(pattern);
  } catch (const ERegExpParser& e) {
    return e;
  }
  ADD_FAILURE() << "no error for pattern " << pattern;
  return ERegExpParser(RegExpError::TooComplex, -1);
}

TEST(RegExpErrors, EachFaultHasItsMessageAndPosition) {
  const std::vector<BadPattern> cases = {
      {"a**", RegExpError::OrdinaryCharacterNeeded, 3},
      {"a+?", RegExpError::OrdinaryCharacterNeeded, 3},
      {"*a", RegExpError::OrdinaryCharacterNeeded, 1},
      {"a|*", RegExpError::OrdinaryCharacterNeeded, 3},
      {"a]", RegExpError::OrdinaryCharacterNeeded, 2},
      {"[]", RegExpError::InvalidCharacterClass, 2},
      {"x[^]", RegExpError::InvalidCharacterClass, 4},
      {"[b-a]", RegExpError::InvalidCharacterRange, 4},
      {"[\\x42-A]", RegExpError::InvalidCharacterRange, 7},
      {"(a", RegExpError::ClosingParenthesisNeeded, 3},
      {"((a)", RegExpError::ClosingParenthesisNeeded, 5},
      {"a)", RegExpError::ExtraCharacters, 2},
      {"(a))b", RegExpError::ExtraCharacters, 4},
      {"\\", RegExpError::CharacterAfterBackslashNeeded, 2},
      {"ab\\", RegExpError::CharacterAfterBackslashNeeded, 4},
      {"ab\x82", RegExpError::InvalidDoubleByteCode, 3},
      {"[", RegExpError::ClosingBracketNeeded, 2},
      {"[abc", RegExpError::ClosingBracketNeeded, 5},
      {"[a-", RegExpError::ClosingBracketNeeded, 4},
      {"\\xg", RegExpError::InvalidHexCode, 3},
      {"\\x", RegExpError::InvalidHexCode, 3},
      {"\\200000", RegExpError::InvalidOctalCode, 7},
      // Every character excluded: nothing is left for the automaton.
      {"[^\\x01-\\xFCFC]", RegExpError::EmptyNegatedClass, 14},
      // The codes of a line's start and end are no characters, in and out of brackets.
      {"a\\xFFFE", RegExpError::InvalidHexCode, 2},
      {"\\xfffd", RegExpError::InvalidHexCode, 1},
      {"[a\\xFFFE]", RegExpError::InvalidHexCode, 3},
      {"[a-\\xFFFD]", RegExpError::InvalidHexCode, 4},
      {"\\177775", RegExpError::InvalidOctalCode, 1},
      {"x[\\177776]", RegExpError::InvalidOctalCode, 3},
  };
  for (const BadPattern& c : cases) {
    SCOPED_TRACE(c.pattern);
    const ERegExpParser e = CompileError(c.pattern);
    EXPECT_EQ(e.Error(), c.error);
    EXPECT_EQ(e.Position(), c.position);
    EXPECT_EQ(std::string(e.what()), RegExpErrorText(c.error));
  }
}

// A search tests an article's lines one by one, or joined where a pattern finds the same there:
// no pattern may match where a line ends unless it says "$".
TEST(RegExpErrors, LineMarkersNamedInAPatternAreRefusedWithAndWithoutTheFuzzyDictionary) {
  for (const bool fuzzy : {false, true}) {
    EXPECT_EQ(CompileError("ab\\xFFFE", fuzzy).Position(), 3);
    EXPECT_EQ(CompileError("\\xFFFDab", fuzzy).Position(), 1);
  }
  // The codes next to them are characters a text cannot hold, as before.
  TAWKStr awk;
  for (const char* pattern : {"a\\xFFFC", "a\\xFFFF", "a[\\xFF00-\\xFFFF]"}) {
    SCOPED_TRACE(pattern);
    awk.SetRegExp(pattern);
    EXPECT_EQ(awk.Match("a"), 0);
    EXPECT_EQ(awk.Match("a\r"), 0);
    EXPECT_FALSE(awk.Contains("xa"));
  }
  // A range over them leaves them out and keeps the rest.
  awk.SetRegExp("[\\x8140-\\xFFFF]+");
  int position = 0, length = 0;
  awk.Match(J("aあ漢b"), position, length);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(length, 4);
}

TEST(RegExpErrors, MessagesAreTheUsersTexts) {
  EXPECT_EQ(RegExpErrorText(RegExpError::InvalidDoubleByteCode),
            J("不正な２バイト文字コードです。"));
  EXPECT_EQ(RegExpErrorText(RegExpError::ClosingBracketNeeded), J("右ブラケット\"]\"が必要です"));
  EXPECT_EQ(RegExpErrorText(RegExpError::CharacterAfterBackslashNeeded),
            J("\"\\\"の次には文字が必要です。"));
  EXPECT_EQ(RegExpErrorText(RegExpError::InvalidHexCode), J("不正な１６進数コード表記です。"));
  EXPECT_EQ(RegExpErrorText(RegExpError::InvalidOctalCode), J("不正な８進数コード表記です。"));
  EXPECT_EQ(RegExpErrorText(RegExpError::InvalidCharacterRange), J("不正なキャラクタ範囲です"));
  EXPECT_EQ(RegExpErrorText(RegExpError::InvalidCharacterClass),
            J("不正なキャラクタクラス指定です。"));
  EXPECT_EQ(RegExpErrorText(RegExpError::OrdinaryCharacterNeeded),
            J("普通の文字、または左括弧\"(\"が必要です"));
  EXPECT_EQ(RegExpErrorText(RegExpError::ClosingParenthesisNeeded), J("右(閉じ)括弧が必要です"));
  EXPECT_EQ(RegExpErrorText(RegExpError::ExtraCharacters), J("正規表現に余分な文字があります"));
  // The backslash message starts with a quoted ASCII backslash, not a yen sign.
  EXPECT_EQ(RegExpErrorText(RegExpError::CharacterAfterBackslashNeeded).substr(0, 3), "\"\\\"");
}

TEST(RegExpErrors, PositionsOfFuzzyPatternsCountInTheRewrittenPattern) {
  // Scanning faults are found while rewriting, in the user's own pattern...
  EXPECT_EQ(CompileError("ab\\", true).Position(), 4);
  // ...parse faults in the rewritten one: "a" became "(Ａ|ａ|A|a)", 11 bytes.
  const ERegExpParser e = CompileError("a**", true);
  EXPECT_EQ(e.Error(), RegExpError::OrdinaryCharacterNeeded);
  EXPECT_EQ(e.Position(), 13);
}

TEST(RegExpErrors, NestingBeyondAnySearchWordIsRefusedNotACrash) {
  const std::string deep = std::string(5000, '(') + "a" + std::string(5000, ')');
  EXPECT_EQ(CompileError(deep).Error(), RegExpError::TooComplex);
  // Each nested "+" doubles the automaton.
  std::string doubling = "a";
  for (int i = 0; i < 40; ++i)
    doubling = "(" + doubling + ")+";
  EXPECT_EQ(CompileError(doubling).Error(), RegExpError::TooComplex);
}

std::vector<REToken> Tokens(const std::string& pattern) {
  TREScanner scanner(pattern);
  std::vector<REToken> tokens;
  while (scanner.GetToken().kind != RETokenKind::End)
    tokens.push_back(scanner.Token());
  return tokens;
}

TEST(REScanner, EscapesAreLiteralsInAndOutOfBrackets) {
  const auto t = Tokens("\\b\\n\\r\\t\\x41\\101\\q\\*[\\]\\x30-\\x39]");
  ASSERT_EQ(t.size(), 12u);
  const RECharCode expected[] = {8, 10, 13, 9, 'A', 'A', 'q', '*'};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(t[i].kind, RETokenKind::Literal) << i;
    EXPECT_EQ(t[i].low, expected[i]) << i;
  }
  EXPECT_EQ(t[8].kind, RETokenKind::ClassOpen);
  EXPECT_EQ(t[9].kind, RETokenKind::Literal);  // the escaped bracket does not close the class
  EXPECT_EQ(t[9].low, ']');
  EXPECT_TRUE(t[9].inClass);
  EXPECT_EQ(t[10].kind, RETokenKind::Range);
  EXPECT_EQ(t[10].low, '0');
  EXPECT_EQ(t[10].high, '9');
  EXPECT_EQ(t[11].kind, RETokenKind::ClassClose);
}

TEST(REScanner, HexTakesAtMostFourDigitsAndOctalAtMostSix) {
  auto t = Tokens("\\x12345");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].low, 0x1234);
  EXPECT_EQ(t[1].low, '5');
  t = Tokens("\\xfZ");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].low, 0xF);
  EXPECT_EQ(t[1].low, 'Z');
  t = Tokens("\\17777778");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].low, 0xFFFF);
  EXPECT_EQ(t[1].low, '7');
  EXPECT_EQ(t[2].low, '8');
  t = Tokens("\\08");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].low, 0);
}

TEST(REScanner, DashBeforeTheClosingBracketIsAMember) {
  const auto t = Tokens("[a-][--/]");
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[1].kind, RETokenKind::Literal);
  EXPECT_EQ(t[1].low, 'a');
  EXPECT_EQ(t[2].kind, RETokenKind::Literal);
  EXPECT_EQ(t[2].low, '-');
  EXPECT_EQ(t[5].kind, RETokenKind::Range);
  EXPECT_EQ(t[5].low, '-');
  EXPECT_EQ(t[5].high, '/');
}

TEST(REScanner, TokensKnowTheirTextAndWhetherTheyAreClassMembers) {
  const std::string pattern = J("[^あ-ん]表\\x41");
  const auto t = Tokens(pattern);
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0].kind, RETokenKind::NegatedClassOpen);
  EXPECT_EQ(pattern.substr(size_t(t[0].start), size_t(t[0].end - t[0].start)), "[^");
  EXPECT_TRUE(t[1].inClass);
  EXPECT_EQ(t[1].low, 0x82A0);
  EXPECT_EQ(t[1].high, 0x82F1);
  EXPECT_TRUE(t[2].inClass);  // the closing bracket
  // "表" ends in 0x5C, which is a backslash only as a single byte.
  EXPECT_EQ(t[3].kind, RETokenKind::Literal);
  EXPECT_EQ(t[3].low, 0x955C);
  EXPECT_FALSE(t[3].inClass);
  EXPECT_EQ(pattern.substr(size_t(t[4].start)), "\\x41");
}

}  // namespace
}  // namespace vorn
