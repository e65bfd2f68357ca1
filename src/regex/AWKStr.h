#pragma once

#include "regex/MatchCORE.h"

namespace vorn {

// The regular-expression matcher the search uses: an AWK-style pattern over CP932 text, with the
// fuzzy-character dictionary available to its preprocessor.
//   TAWKStr awk;
//   awk.SetRegExp(pattern);          // may raise ERegExpParser
//   if (awk.Match(line) > 0) ...
class TAWKStr final : public TMatchCORE {
 public:
  TAWKStr();
};

}  // namespace vorn
