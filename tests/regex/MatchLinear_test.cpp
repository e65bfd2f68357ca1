// The work of a search grows with the length of the text, whatever the pattern: the automaton
// steps are counted on long lines built to make a search from each start in turn read the rest
// of the line again.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/AWKStr.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

// Steps per byte of text a search may take: one per character, and a few more for the states
// made on the way.
constexpr uint64_t kStepsPerByte = 2;

std::string Repeat(const std::string& unit, size_t bytes) {
  std::string text;
  text.reserve(bytes + unit.size());
  while (text.size() < bytes)
    text += unit;
  return text;
}

struct LongLine {
  std::string pattern;
  bool fuzzy;
  std::string unit;  // repeated into the line
  std::string last;  // put after it, it completes a match of the whole line
};

TEST(MatchLinear, AdversarialPatternsTakeStepsInProportionToTheLine) {
  const std::vector<LongLine> cases = {
      {".+X", false, "a", "X"},        {J("漢+字"), false, J("漢"), J("字")},
      {"[^X]+X", false, "a", "X"},     {J("(漢|字)+X"), false, J("漢字"), "X"},
      {"(ab)+X", true, "ab", J("Ｘ")}, {J("亜亜*Z"), false, J("亜"), "Z"},
      {"^(a|b)*c$", false, "ab", "c"},
  };
  TAWKStr awk;
  for (const LongLine& c : cases) {
    SCOPED_TRACE(c.pattern);
    awk.SetUseFuzzyCharDic(c.fuzzy);
    awk.SetRegExp(c.pattern);
    const std::string line = Repeat(c.unit, 60000);
    const std::string whole = line + c.last;
    // With and without the match at the end; a prefix that cannot begin one shifts it.
    const std::vector<std::pair<std::string, int>> texts = {
        {line, 0}, {whole, 1}, {"\r" + whole, c.pattern[0] == '^' ? 0 : 2}};
    for (const auto& [text, position] : texts) {
      awk.ResetStepCount();
      EXPECT_EQ(awk.Contains(text), position > 0);
      EXPECT_LE(awk.StepCount(), kStepsPerByte * text.size()) << "Contains";
      awk.ResetStepCount();
      int at = -1, length = -1;
      awk.Match(text, at, length);
      EXPECT_EQ(at, position);
      EXPECT_EQ(length, position > 0 ? int(whole.size()) : 0);
      EXPECT_LE(awk.StepCount(), kStepsPerByte * text.size()) << "Match";
    }
  }
}

// Anchored patterns over a text of long lines: runs begin at every character of a line, or at
// line starts only, and end at the separator.
TEST(MatchLinear, AnchorsOverLongLinesTakeStepsInProportionToTheText) {
  TAWKStr awk;
  const std::string line = Repeat("ab", 8000);
  const std::string text = Repeat(line + "\r\n", 30 * (line.size() + 2)) + "ababc";
  for (const char* pattern : {"^(a|b)+c", "(a|b)+c$", "b+$|(ab)+c", "\n(a|b)*c"}) {
    SCOPED_TRACE(pattern);
    awk.SetRegExp(pattern);
    awk.ResetStepCount();
    int at = -1, length = -1;
    awk.Match(text, at, length);
    EXPECT_LE(awk.StepCount(), kStepsPerByte * text.size());
    EXPECT_GT(at, 0);
    awk.ResetStepCount();
    EXPECT_TRUE(awk.Contains(text));
    EXPECT_LE(awk.StepCount(), kStepsPerByte * text.size());
  }
  // The leftmost match wins over the longer ones that begin later: the "b" before the first CR.
  awk.SetRegExp("b+$|(ab)+c");
  int at = -1, length = -1;
  awk.Match(text, at, length);
  EXPECT_EQ(at, int(line.size()));
  EXPECT_EQ(length, 1);
}

// A pattern whose search must tell apart which of the last eleven characters was an "a" needs
// thousands of states. Within a small memory limit the search drops them and makes them again:
// the memory stays bounded, the steps stay in proportion to the text, and the answers agree with
// a search that keeps them all.
TEST(MatchLinear, ASearchWithTooManyStatesStaysWithinItsMemoryAndInTime) {
  const std::string pattern = "a[ab][ab][ab][ab][ab][ab][ab][ab][ab][ab]c";
  TAWKStr small;
  TAWKStr large;
  constexpr size_t kLimit = 64 * 1024;
  small.SetSearchMemoryLimit(kLimit);
  small.SetRegExp(pattern);
  large.SetRegExp(pattern);
  std::mt19937 rng(11);
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += "ab"[rng() % 2];
  text[text.size() - 11] = 'a';
  const std::string withMatch = text + "c" + text;

  small.ResetStepCount();
  EXPECT_FALSE(small.Contains(text));
  EXPECT_TRUE(small.Contains(withMatch));
  int at = -1, length = -1;
  small.Match(withMatch, at, length);
  EXPECT_EQ(at, int(text.size()) - 10);
  EXPECT_EQ(length, 12);
  // Every character steps each run still alive, at most twelve of them.
  EXPECT_LE(small.StepCount(), 14 * (text.size() + 2 * withMatch.size()));
  // The limit, and at most one state past it, for each of the two searches.
  EXPECT_LE(small.CurrentDFA().SearchMemoryUsed(), 3 * kLimit);
  EXPECT_FALSE(large.Contains(text));
  int largeAt = -1, largeLength = -1;
  large.Match(withMatch, largeAt, largeLength);
  EXPECT_EQ(largeAt, at);
  EXPECT_EQ(largeLength, length);
  // What the pattern takes when nothing is dropped.
  EXPECT_GT(large.CurrentDFA().SearchMemoryUsed(), 3 * kLimit);

  for (int k = 0; k < 200; ++k) {
    std::string piece;
    const int n = int(rng() % 40);
    for (int i = 0; i < n; ++i)
      piece += "abc"[rng() % 3];
    int smallAt = -1, smallLength = -1, largeAt = -1, largeLength = -1;
    small.Match(piece, smallAt, smallLength);
    large.Match(piece, largeAt, largeLength);
    EXPECT_EQ(smallAt, largeAt) << piece;
    EXPECT_EQ(smallLength, largeLength) << piece;
    EXPECT_EQ(small.Contains(piece), largeAt > 0) << piece;
  }
}

}  // namespace
}  // namespace vorn
