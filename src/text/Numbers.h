#pragma once

#include <cstdint>
#include <string_view>

namespace vorn {

// The integer that stands for a missing number everywhere. Files that shift values by
// 2030000000 rely on this exact value.
constexpr int32_t NoNumber = -2030000000;
constexpr double NoFloat = -2030000000.0;

// Optional leading blanks and sign, then decimal digits or '$' and hexadecimal digits (up to
// eight, taken as a 32-bit pattern). Anything else, or a decimal value outside 32 bits, gives
// NoNumber.
int32_t TextToNumber(std::string_view text);
// Optional blanks around an optional sign, digits with an optional '.' and exponent. NoFloat
// when that is not the whole text or the value is out of range.
double TextToFloat(std::string_view text);

}  // namespace vorn
