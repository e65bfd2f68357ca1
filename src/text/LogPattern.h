#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// The log pattern language. A template names its fields as text/FieldNames.h does; compiling
// turns each name into its slot letter.
constexpr uint8_t PatternError = 0;
constexpr uint8_t PatternMatch = 1;
constexpr uint8_t PatternNoMatch = 2;
constexpr int PatternSlotCount = 26;
using PatternTexts = std::array<std::string, PatternSlotCount>;
using PatternNumbers = std::array<int32_t, PatternSlotCount>;

// Template (field names, backslash escapes) to the compiled form MatchPattern takes. Done once
// per settings load.
std::string CompilePattern(std::string_view templ);
// \n (CR, 0x0D), \t, \e (ESC), \h (BS), \\; any other escape is dropped with what follows it.
std::string ExpandEscapes(std::string_view text);
// Applies a compiled pattern to text in one pass. Writes only the slots the pattern names
// (and keeps what it wrote when a later directive fails); allocates only when a captured text
// outgrows its slot's capacity.
uint8_t MatchPattern(std::string_view text, std::string_view pattern, PatternTexts& texts,
                     PatternNumbers& numbers);
// A count in a compiled pattern from q on: blanks, then decimal digits; q ends after them. False
// when there are no digits or the value does not fit 32 bits.
bool ReadPatternCount(std::string_view pattern, size_t& q, int64_t& count);

}  // namespace vorn
