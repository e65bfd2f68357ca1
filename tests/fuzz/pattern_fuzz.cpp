// The log pattern language and the text helpers around it.
// Input: a template, a NUL byte, then texts separated by NUL bytes. Every text is matched the
// way the analysers match a log line (followed by one CR) and also as it is.
#include <ctime>
#include <string>
#include <vector>

#include "analysis/PatternProgram.h"
#include "fuzz/FuzzSupport.h"
#include "text/Dates.h"
#include "text/FieldNames.h"
#include "text/LogPattern.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"

using namespace vorn;

namespace {

// WrapText on a text without CR: the pieces joined give the text back, each piece fits the
// width (or is one character wider than it) and ends on a character boundary.
void CheckWrap(std::string_view text, int width) {
  if (text.find('\r') != std::string_view::npos) return;
  const std::string wrapped = WrapText(text, width);
  std::vector<bool> boundary(text.size() + 1, false);
  for (size_t i = 0; i < text.size();) {
    boundary[i] = true;
    i += IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
  }
  boundary[text.size()] = true;
  std::string joined;
  size_t from = 0;
  while (true) {
    const size_t cut = wrapped.find("\r\n", from);
    const std::string_view piece =
        std::string_view(wrapped).substr(from, cut == std::string::npos ? cut : cut - from);
    FUZZ_CHECK(piece.size() <= static_cast<size_t>(width) || piece.size() <= 2);
    joined.append(piece);
    FUZZ_CHECK(joined.size() <= text.size() && boundary[joined.size()]);
    if (cut == std::string::npos) break;
    from = cut + 2;
  }
  FUZZ_CHECK(joined == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> pieces = fuzz::SplitAtNul(fuzz::AsText(data, size));
  const std::string_view templ = pieces.front();

  const std::string compiled = CompilePattern(templ);
  const PatternProgram program(compiled);
  ExpandEscapes(templ);
  std::tm when{};
  when.tm_year = 99;
  when.tm_mon = 6;
  when.tm_mday = 30;
  when.tm_hour = 12;
  ExpandDatePlaceholders(templ, when);

  PatternTexts texts;
  PatternNumbers numbers;
  std::string line;
  for (size_t i = 1; i < pieces.size(); ++i) {
    const std::string_view text = pieces[i];
    line.assign(text);
    line += '\r';
    texts.fill(std::string());
    numbers.fill(NoNumber);
    const uint8_t result = MatchPattern(line, compiled, texts, numbers);
    FUZZ_CHECK(result == PatternError || result == PatternMatch || result == PatternNoMatch);
    // A capture is a piece of the text (or a number read from it): never longer than it.
    for (const std::string& captured : texts)
      FUZZ_CHECK(captured.size() <= line.size());
    // The analysers run the pattern as a program read once: the same answer, the same captures.
    PatternTexts programTexts;
    PatternNumbers programNumbers;
    programTexts.fill(std::string());
    programNumbers.fill(NoNumber);
    FUZZ_CHECK(program.Match(line, programTexts, programNumbers) == result);
    FUZZ_CHECK(programTexts == texts && programNumbers == numbers);
    MatchPattern(text, compiled, texts, numbers);

    const std::string stripped = StripEscapeSequences(text);
    FUZZ_CHECK(stripped.size() <= text.size());
    // An ESC stays only as the second byte of a character (the analysers read lines the same
    // way, so both agree on what a cut character before a sequence means).
    for (size_t k = 0; k < stripped.size(); ++k) {
      if (IsLeadByte(stripped[k]) && k + 1 < stripped.size()) {
        ++k;
        continue;
      }
      FUZZ_CHECK(stripped[k] != '\x1b');
    }
    CheckWrap(text, static_cast<int>(1 + size % 90));
    ExpandTabs(text, static_cast<int>(size % 17));
    IsBlankText(text);
    LogNamePrefix(text);
    TextToNumber(text);
    TextToFloat(text);
    TextFieldIndex(text);
    NumberFieldIndex(text);
  }
  return 0;
}
