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
constexpr bool IsLeadByte(char b) {
  return IsLeadByte(static_cast<unsigned char>(b));
}

// Optional leading blanks and sign, then decimal digits or '$' and hexadecimal digits (up to
// eight, taken as a 32-bit pattern). Anything else, or a decimal value outside 32 bits, gives
// NoNumber.
int32_t TextToNumber(std::string_view text);
// Optional blanks around an optional sign, digits with an optional '.' and exponent. NoFloat
// when that is not the whole text or the value is out of range.
double TextToFloat(std::string_view text);
// Month numbers outside 1-12 count as 31-day months.
int DaysInMonth(int year, int month);
// Seconds on a calendar of 366-day years from 1980 (years up to 2030); only ever compared.
// Years below 1900 are two-digit years (below 80: 20xx).
int32_t DateKey(int year, int month, int day, int hour, int minute, int second);
// Every '"' written twice, for a field between double quotes in a list file.
std::string QuoteDoubled(std::string_view text);
// Removes terminal sequences ESC '[' ... final byte (colours and the like) and lone ESCs.
std::string StripEscapeSequences(std::string_view text);
// Pieces of at most width bytes joined by CR LF; a double-byte character is never split.
std::string WrapText(std::string_view text, int width);
// TABs to blanks; the byte column restarts after each LF.
std::string ExpandTabs(std::string_view text, int tabWidth);
// Only blanks, TABs and full-width blanks (or nothing).
bool IsBlankText(std::string_view text);
// The file name's leading part before the first '.' or ASCII digit: NET19990730.LOG -> NET.
std::string LogNamePrefix(std::string_view path);
// FileDate, DiskFileName, ShortFileNameUpper: platform/FileQuery.h. RunProgram:
// platform/Process.h.

// Field names of the pattern language. A compiled pattern names text slot i by the letter
// 'A' + i and number slot i by 'a' + i; the analysers index the capture arrays with these:
// texts[TextField::BTITLE], numbers[NumberField::YEAR].
int TextFieldIndex(std::string_view name);
int NumberFieldIndex(std::string_view name);
constexpr int TextFieldCount = 9;
constexpr int NumberFieldCount = 12;
namespace TextField {
enum Slot : int { BINDEX, BTITLE, FNAME, WHANDLE, WTITLE, RHANDLE, RTITLE, WID, RID };
}
namespace NumberField {
enum Slot : int { BNO, FSIZE, WNO, RNO, WIDNO, RIDNO, YEAR, MONTH, DAY, HOUR, MINUTE, SECOND };
}
// The names by index ("BINDEX" ...); empty outside the tables.
std::string_view TextFieldName(int index);
std::string_view NumberFieldName(int index);

// Dollar codes ($Y $y $m $d $h $n $s $t $$) and the %_YEAR_%-style placeholders for the
// moment `when` (its year, month, day, hour, minute and second; the weekday is computed from
// the date).
std::string ExpandDatePlaceholders(std::string_view templ, const std::tm& when);
// The current local time, for ExpandDatePlaceholders.
std::tm CurrentLocalTime();

// The log pattern language.
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

}  // namespace vorn
