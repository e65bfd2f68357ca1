// The search's regular expressions: compiling a pattern and matching it.
// Input: one byte of switches (bit 0 the fuzzy-character dictionary, bit 1 LF as the line end
// of "$"), the pattern, a NUL byte, then texts separated by NUL bytes.
#include "fuzz/FuzzSupport.h"
#include "regex/AWKStr.h"
#include "regex/REScanner.h"

using namespace vorn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t switches = data[0];
  const std::vector<std::string_view> pieces = fuzz::SplitAtNul(fuzz::AsText(data + 1, size - 1));

  TAWKStr awk;
  awk.SetLineSeparator(switches & 2 ? mcls_LF : mcls_CRLF);
  try {
    awk.SetUseFuzzyCharDic(switches & 1);
    awk.SetRegExp(pieces.front());
  } catch (const ERegExpParser&) {
    // A bad pattern leaves the empty pattern current, which still has to match safely.
    FUZZ_CHECK(awk.RegExp().empty());
  }
  for (size_t i = 1; i < pieces.size(); ++i) {
    const std::string_view text = pieces[i];
    int position = -1, length = -1;
    const int found = awk.Match(text, position, length);
    FUZZ_CHECK(found == position);
    if (found > 0) {
      FUZZ_CHECK(length >= 0);
      FUZZ_CHECK(static_cast<size_t>(position - 1) + static_cast<size_t>(length) <= text.size());
    } else {
      FUZZ_CHECK(found == 0);
    }
  }
  return 0;
}
