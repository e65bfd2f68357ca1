#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/FileQuery.h"
#include "platform/Process.h"

namespace vorn {

// The integer that stands for a missing number everywhere. Files that shift values by
// 2030000000 rely on this exact value.
constexpr int32_t NoNumber = -2030000000;
constexpr double NoFloat = -2030000000.0;

// Shift-JIS lead byte: 0x81-0x9F or 0xE0-0xFC. A lead byte and the byte after it are one
// character. Runs for nearly every byte read, so it stays two range tests.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsLeadByte(char b) { return IsLeadByte(static_cast<unsigned char>(b)); }

int32_t TextToNumber(std::string_view text);
double TextToFloat(std::string_view text);
int DaysInMonth(int year, int month);
int32_t DateKey(int year, int month, int day, int hour, int minute, int second);
std::string QuoteDoubled(std::string_view text);
std::string StripEscapeSequences(std::string_view text);
std::string WrapText(std::string_view text, int width);
std::string ExpandTabs(std::string_view text, int tabWidth);
bool IsBlankText(std::string_view text);
std::string LogNamePrefix(const std::string& path);
// FileDate, DiskFileName, ShortFileNameUpper: platform/FileQuery.h. RunProgram:
// platform/Process.h.

// Field names of the pattern language.
int TextFieldIndex(std::string_view name);
int NumberFieldIndex(std::string_view name);
constexpr int TextFieldCount = 9;
constexpr int NumberFieldCount = 12;
enum TextField { BINDEX, BTITLE, FNAME, WHANDLE, WTITLE, RHANDLE, RTITLE, WID, RID };
enum NumberField { BNO, FSIZE, WNO, RNO, WIDNO, RIDNO, YEAR, MONTH, DAY, HOUR, MINUTE, SECOND };

std::string ExpandDatePlaceholders(std::string_view templ, const std::tm& when);

// The log pattern language.
constexpr uint8_t PatternError = 0;
constexpr uint8_t PatternMatch = 1;
constexpr uint8_t PatternNoMatch = 2;
using PatternTexts = std::array<std::string, 26>;
using PatternNumbers = std::array<int32_t, 26>;

std::string CompilePattern(std::string_view templ);
std::string ExpandEscapes(std::string_view text);
uint8_t MatchPattern(std::string_view text, std::string_view pattern, PatternTexts& texts,
                     PatternNumbers& numbers);

}  // namespace vorn
