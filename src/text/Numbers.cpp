#include "text/Numbers.h"

#include <charconv>
#include <cstddef>

namespace vorn {

namespace {

constexpr bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int32_t TextToNumber(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ')
    ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i < n && text[i] == '$') {
    // Hexadecimal is a bit pattern (colour values run up to $FFFFFFFF), so it wraps into the
    // negative range instead of counting as out of range.
    ++i;
    if (i == n) return NoNumber;
    uint64_t value = 0;
    for (; i < n; ++i) {
      int digit = HexValue(static_cast<unsigned char>(text[i]));
      if (digit < 0) return NoNumber;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFu) return NoNumber;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  if (i == n) return NoNumber;
  int64_t value = 0;
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (!IsDigit(c)) return NoNumber;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return NoNumber;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return NoNumber;
  return static_cast<int32_t>(value);
}

double TextToFloat(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] == ' ')
    ++begin;
  while (end > begin && text[end - 1] == ' ')
    --end;
  size_t i = begin;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Only the plain decimal form: from_chars alone would also take "inf", "nan" and the like.
  const size_t numberStart = i;
  size_t digits = 0;
  while (i < end && IsDigit(static_cast<unsigned char>(text[i])))
    ++i, ++digits;
  if (i < end && text[i] == '.') {
    ++i;
    while (i < end && IsDigit(static_cast<unsigned char>(text[i])))
      ++i, ++digits;
  }
  if (digits == 0) return NoFloat;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < end && IsDigit(static_cast<unsigned char>(text[i])))
      ++i, ++expDigits;
    if (expDigits == 0) return NoFloat;
  }
  if (i != end) return NoFloat;
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + numberStart, text.data() + end, value);
  if (ec != std::errc() || ptr != text.data() + end) return NoFloat;
  return negative ? -value : value;
}

}  // namespace vorn
