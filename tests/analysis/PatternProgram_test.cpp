#include "analysis/PatternProgram.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vorn {
namespace {

// The program must answer as the matcher does for every pattern, well formed or not, and leave
// the same captures behind. Patterns are built from every directive with literals, counts and
// fields that are sometimes malformed ("%%" and lone '%', a lead byte before '%', counts that do
// not fit, fields that do not exist, a directive cut off at the end).
class RandomPatterns {
 public:
  explicit RandomPatterns(uint32_t seed) : random_(seed) {}

  std::string Pattern() {
    std::string pattern;
    for (int k = Below(7); k > 0; --k)
      pattern += Directive();
    if (Below(8) == 0) pattern += Pick({"%", "%G", "%H", "%HA", "%HA,", "%S", "%s", "%g", "\x81"});
    return pattern;
  }

  std::string Text() {
    std::string text;
    for (int k = Below(12); k > 0; --k)
      text += Pick({"a", "b", "B", " ", "  ", "1", "23", "4567", "99999999999", "(", ")", "/", ":",
                    ",", "%", "\x82\xa0", "\x81%", "-"});
    if (Below(2)) text += '\r';
    return text;
  }

 private:
  int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  std::string Pick(std::initializer_list<const char*> from) {
    return from.begin()[Below(static_cast<int>(from.size()))];
  }
  std::string LiteralText() {
    std::string literal;
    for (int k = Below(3); k > 0; --k)
      literal +=
          Pick({"a", "b", " ", "(", ")", "/", ":", ",", "%%", "\x82\xa0", "\x81", "\r", "1"});
    return literal;
  }
  std::string Count() {
    return Pick({"", " ", "  "}) + Pick({"0", "1", "2", "5", "12", "4294967296", "x"});
  }
  std::string Field() { return Pick({"A", "B", "E", "Z", "a", "c", "z", "1", ",", "%"}); }

  std::string Directive() {
    switch (Below(16)) {
      case 0:
      case 1:
        return "%C" + LiteralText();
      case 2:
        return "%K" + LiteralText();
      case 3:
        return "%S" + LiteralText();
      case 4:
        return "%s" + LiteralText();
      case 5:
        return "%D" + LiteralText();
      case 6:
        return "%F";
      case 7:
        return Pick({"%M", "%m", "%A", "%N"}) + Count();
      case 8:
      case 9:
        return "%G" + Field() + (Below(3) ? "," + LiteralText() : LiteralText());
      case 10:
        return "%H" + Field() + Pick({",", "", ";"}) + Count();
      case 11:
        return Pick({"%X", "%Y", "%Z", "%x", "%y", "%z"});
      case 12:
        return "%g" + Field();
      case 13:
        return Pick({"%%", "%Q", "%%C", "q"});
      default:
        return "%C" + LiteralText() + "%Z";
    }
  }

  std::mt19937 random_;
};

TEST(PatternProgram, AnswersAsTheMatcherOnRandomPatternsAndTexts) {
  RandomPatterns random(20240613);
  int matched = 0, errors = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string pattern = random.Pattern();
    const PatternProgram program(pattern);
    for (int k = 0; k < 10; ++k) {
      const std::string text = random.Text();
      PatternTexts expectedTexts, texts;
      PatternNumbers expectedNumbers, numbers;
      expectedTexts.fill("old");
      texts.fill("old");
      expectedNumbers.fill(-7);
      numbers.fill(-7);
      const uint8_t expected = MatchPattern(text, pattern, expectedTexts, expectedNumbers);
      ASSERT_EQ(program.Match(text, texts, numbers), expected)
          << "pattern '" << pattern << "' text '" << text << "'";
      ASSERT_EQ(texts, expectedTexts) << "pattern '" << pattern << "' text '" << text << "'";
      ASSERT_EQ(numbers, expectedNumbers) << "pattern '" << pattern << "' text '" << text << "'";
      matched += expected == PatternMatch;
      errors += expected == PatternError;
    }
  }
  // The patterns came out well formed and malformed, matching and not.
  EXPECT_GT(matched, 5000);
  EXPECT_GT(errors, 5000);
}

TEST(PatternProgram, AnswersAsTheMatcherForTheDefaultPatterns) {
  const std::vector<std::string> templates = {
      "%CNo.%GBNO%S\xa2%M1%GBTITLE,\xa3\\n",
      "%M1%GBNO%C.%M1%C \\\\%GBINDEX,\\t%M1%GBTITLE,\\n",
      "%GBINDEX,(%M1%GWNO%C/%S)%M1%C %GYEAR%C/%GMONTH%C/%GDAY%C %GHOUR%C:%GMINUTE%C "
      "%GWTITLE,\\n",
      "%C <%GRNO%C:%Z%S>\\n%s:%s/%m1%gRTITLE%M1%GRIDNO%C:%GRHANDLE,>\\n",
      "%Z%C  %S:%s %GWIDNO%C:%GWHANDLE,\\n",
      "%Z%C  [%GFNAME,]%M1%C %GFSIZE%CKB %S:%s %GWIDNO%C:%GWHANDLE,\\n",
  };
  const std::vector<std::string> texts = {
      "No.3 \xa2\x8eG\x92k\xa3\r",
      "general(123/130) 99/07/30 12:34 Meeting notes\r",
      " <120:Re: plans/1024:taro>\r",
      "  12 lines 2048:hanako \r",
      "  [pic.lzh] 120KB 1024:taro \r",
      " 1.  \\general\tchat\r",
      "\r",
      "no match here\r",
  };
  for (const std::string& templ : templates) {
    const std::string compiled = CompilePattern(templ);
    const PatternProgram program(compiled);
    for (const std::string& text : texts) {
      PatternTexts expectedTexts, got;
      PatternNumbers expectedNumbers{}, numbers{};
      const uint8_t expected = MatchPattern(text, compiled, expectedTexts, expectedNumbers);
      EXPECT_EQ(program.Match(text, got, numbers), expected) << templ << " / " << text;
      EXPECT_EQ(got, expectedTexts);
      EXPECT_EQ(numbers, expectedNumbers);
    }
  }
}

}  // namespace
}  // namespace vorn
