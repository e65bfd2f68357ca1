#include "analysis/PatternLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"

namespace vorn {
namespace {

// The analysers test a pattern's literal on the stored line before they prepare it, and skip
// lines that no pattern of a group can match. Both must give exactly what matching the
// prepared line gives: the same result and the same captures.
TEST(PatternLine, AgreesWithMatchingThePreparedLine) {
  std::mt19937 random(20240612);
  // Lines built from pieces that the literals below begin with or nearly do, escape sequences
  // (also between a lead byte and its second byte), lead bytes and blanks.
  const std::vector<std::string> linePieces = {
      "-",     "-\t",      "No.",         "No",       "\x1b[33m", "\x1b[0m", "\x1b",
      "\x1b[", "\x93\xc7", "\x93",        "\x83\x6f", "\x83",     "  ",      " ",
      "12",    "ab",       "Command (?:", "\r",       "%",        "(",       ")",
  };
  // Patterns with a leading literal, after marks or "%%", with an ESC or a CR in it, one that
  // is malformed, one without a literal.
  const std::vector<std::string> patterns = {
      "%C-\t",
      "%CNo.%Gb%S(%M1%GB,)\r",
      "%Z%C  %S:%s %Ge%C:%GD,\r",
      "%X%Y%C\x93\xc7\x82\xdd",
      "%C\x83\x6f",
      "%%C-",
      "%C\x1b[33m",
      "%C\r",
      "%C-\t\r",
      "%C",
      "%C%%(",
      "C-",
      "%M1%GA,(",
      "",
  };
  std::vector<LinePattern> compiled;
  FirstBytes withLiterals;  // the group of the patterns that begin with a literal
  for (const std::string& p : patterns) {
    compiled.emplace_back(p);
    if (!compiled.back().prefix.empty()) withLiterals.Add(compiled.back());
  }
  PatternLine line;
  std::string prepared;
  for (int round = 0; round < 20000; ++round) {
    std::string stored;
    for (int k = static_cast<int>(random() % 5); k > 0; --k)
      stored += linePieces[random() % linePieces.size()];
    if (random() % 3 == 0 && !stored.empty()) stored.resize(random() % stored.size());
    PrepareLineText(stored, prepared);
    line.Reset(stored);
    bool anyMayMatch = false;
    // In a random order: whether the line was prepared by an earlier pattern must not matter.
    const size_t first = random() % compiled.size();
    for (size_t k = 0; k < compiled.size(); ++k) {
      const LinePattern& pattern = compiled[(first + k) % compiled.size()];
      PatternTexts expectedTexts, texts;
      PatternNumbers expectedNumbers{}, numbers{};
      const uint8_t expected = MatchPattern(prepared, pattern.text, expectedTexts, expectedNumbers);
      ASSERT_EQ(line.Match(pattern, texts, numbers), expected)
          << "line '" << stored << "' pattern '" << pattern.text << "'";
      ASSERT_EQ(texts, expectedTexts);
      ASSERT_EQ(numbers, expectedNumbers);
      if (expected != PatternNoMatch && !pattern.prefix.empty()) anyMayMatch = true;
    }
    line.Reset(stored);
    if (anyMayMatch) {
      ASSERT_TRUE(line.MayMatchAny(withLiterals)) << "line '" << stored << "'";
    }
  }
}

}  // namespace
}  // namespace vorn
