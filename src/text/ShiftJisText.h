#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn {

// Shift-JIS lead byte: 0x81-0x9F or 0xE0-0xFC. A lead byte and the byte after it are one
// character. Runs for nearly every byte read, so it stays two range tests.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsLeadByte(char b) {
  return IsLeadByte(static_cast<unsigned char>(b));
}
// Length of the character that starts at i: a lead byte takes the byte after it along, unless
// the text ends first.
inline size_t CharLengthAt(std::string_view text, size_t i) {
  return (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
}

// Every '"' written twice, for a field between double quotes in a list file.
std::string QuoteDoubled(std::string_view text);
// Removes terminal sequences: ESC '[' ... final byte (colours and the like), control strings
// such as a window title (ESC ']' ... BEL), and lone ESCs.
std::string StripEscapeSequences(std::string_view text);
// Pieces of at most width bytes joined by CR LF; a double-byte character is never split.
std::string WrapText(std::string_view text, int width);
// TABs to blanks; the byte column restarts after each LF.
std::string ExpandTabs(std::string_view text, int tabWidth);
// Only blanks, TABs and full-width blanks (or nothing).
bool IsBlankText(std::string_view text);
// The file name's leading part before the first '.' or ASCII digit: NET19990730.LOG -> NET.
std::string LogNamePrefix(std::string_view path);

}  // namespace vorn
