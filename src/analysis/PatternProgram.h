#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/LogPattern.h"

namespace vorn {

// A compiled log pattern read once into a list of steps, for the analysers, which apply the
// same few patterns to millions of lines: MatchPattern reads each literal, count and field of
// the pattern again for every line it is applied to. Match gives exactly what MatchPattern
// gives for the same pattern and text, captures included; where the pattern is malformed the
// program holds a step that answers PatternError, at the place where the matcher would.
class PatternProgram {
 public:
  PatternProgram() = default;
  explicit PatternProgram(std::string_view compiled);

  uint8_t Match(std::string_view text, PatternTexts& texts, PatternNumbers& numbers) const;

 private:
  enum class Op : uint8_t {
    Literal,      // %C
    Optional,     // %K
    Find,         // %S
    FindBack,     // %s
    Refuse,       // %D
    SkipBlanks,   // %F
    Forward,      // %M
    Back,         // %m
    Letters,      // %A
    Digits,       // %N
    TextUpTo,     // %G with a text field
    Number,       // %G with a number field
    TakeBytes,    // %H
    Mark,         // %X %Y %Z
    GoToMark,     // %x %y %z
    TextFromZ,    // %g with a text field
    NumberFromZ,  // %g with a number field
    Error,
  };
  struct Step {
    Op op;
    uint8_t slot;   // the field's slot, or the mark (0 X, 1 Y, 2 Z)
    bool more;      // Literal: the pattern goes on after it
    int64_t count;  // Forward, Back, Letters, Digits, TakeBytes
    uint32_t at;    // the literal or terminator, in literals_
    uint32_t size;
  };

  std::string_view Literal(const Step& step) const {
    return std::string_view(literals_.data() + step.at, step.size);
  }
  void Compile(std::string_view pattern);
  void Add(Op op, uint8_t slot = 0, int64_t count = 0, std::string_view literal = {},
           bool more = false);

  std::vector<Step> steps_;
  std::string literals_;
};

}  // namespace vorn
