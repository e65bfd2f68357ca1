#include "text/CommonSub.h"

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/Cp932.h"

namespace vorn {

namespace {

constexpr bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
constexpr unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Length of the character that starts at i: a lead byte takes the byte after it along, unless
// the text ends first.
inline size_t CharLength(std::string_view text, size_t i) {
  return (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
}

void AppendTwoDigits(std::string& out, int value) {
  char buf[16];
  int len = std::snprintf(buf, sizeof buf, "%.2d", value);
  out.append(buf, static_cast<size_t>(len));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Conversions

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

int DaysInMonth(int year, int month) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 2:
      return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
    default:
      return 31;
  }
}

int32_t DateKey(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1900) year += (year < 80) ? 2000 : 1900;
  int y = year - 1980;
  y = y < 0 ? 0 : (y > 50 ? 50 : y);
  month = month < 1 ? 1 : (month > 12 ? 12 : month);
  day = day < 1 ? 1 : (day > 31 ? 31 : day);
  hour = hour < 0 ? 0 : (hour > 23 ? 23 : hour);
  minute = minute < 0 ? 0 : (minute > 59 ? 59 : minute);
  second = second < 0 ? 0 : (second > 59 ? 59 : second);
  int d = day - 1;
  for (int m = 1; m < month; ++m)
    d += DaysInMonth(year, m);
  d = d < 0 ? 0 : (d > 365 ? 365 : d);
  return second + minute * 60 + hour * 3600 + d * 86400 + y * 31622400;
}

// ---------------------------------------------------------------------------------------------
// Text transformations

std::string QuoteDoubled(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (size_t i = 0; i < text.size();) {
    size_t len = CharLength(text, i);
    out.append(text.data() + i, len);
    if (len == 1 && text[i] == '"') out += '"';
    i += len;
  }
  return out;
}

std::string StripEscapeSequences(std::string_view text) {
  if (text.find('\x1b') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      size_t len = CharLength(text, i);
      out.append(text.data() + i, len);
      i += len;
    } else if (c != 0x1B) {
      out += static_cast<char>(c);
      ++i;
    } else if (i + 1 < n && text[i + 1] == '[') {
      // A sequence ends at its final byte. Colour sequences end in 'm'; cursor and erase
      // sequences (ESC[2J, ESC[K) end in other letters and must not swallow the text after
      // them. A byte that cannot belong to a sequence ends it and is kept.
      size_t j = i + 2;
      while (j < n && static_cast<unsigned char>(text[j]) >= 0x20 &&
             static_cast<unsigned char>(text[j]) <= 0x3F)
        ++j;
      if (j < n && static_cast<unsigned char>(text[j]) >= 0x40 &&
          static_cast<unsigned char>(text[j]) <= 0x7E)
        ++j;
      i = j;
    } else {
      ++i;
    }
  }
  return out;
}

std::string WrapText(std::string_view text, int width) {
  if (width <= 0 || text.size() <= static_cast<size_t>(width)) return std::string(text);
  const size_t w = static_cast<size_t>(width);
  std::string out;
  out.reserve(text.size() + 2 * (text.size() / w + 1));
  size_t i = 0;
  while (i < text.size()) {
    const size_t start = i;
    while (i < text.size()) {
      size_t len = CharLength(text, i);
      // A character that would cross the width starts the next piece; one that is wider
      // than the whole width (a double-byte character at width 1) gets a piece of its own.
      if (i - start + len > w && i > start) break;
      i += len;
    }
    if (start > 0) out += "\r\n";
    out.append(text.data() + start, i - start);
  }
  return out;
}

std::string ExpandTabs(std::string_view text, int tabWidth) {
  // Without a usable width there is no next tab stop; the text stays as it is.
  if (tabWidth < 1 || text.find('\t') == std::string_view::npos) return std::string(text);
  const size_t tw = static_cast<size_t>(tabWidth);
  std::string out;
  out.reserve(text.size() + 8 * tw);
  size_t column = 0;
  for (char c : text) {
    if (c == '\t') {
      size_t blanks = tw - column % tw;
      out.append(blanks, ' ');
      column += blanks;
    } else {
      out += c;
      column = (c == '\n') ? 0 : column + 1;
    }
  }
  return out;
}

bool IsBlankText(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (static_cast<unsigned char>(c) == 0x81 && i + 1 < text.size() &&
               text[i + 1] == 0x40) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

std::string LogNamePrefix(std::string_view path) {
  // The folder ends at the last free '/' or '\'; a '\' that is the second byte of a
  // double-byte character belongs to the name.
  size_t nameStart = 0;
  for (size_t i = 0; i < path.size();) {
    size_t len = CharLength(path, i);
    if (len == 1 && (path[i] == '/' || path[i] == '\\')) nameStart = i + 1;
    i += len;
  }
  size_t end = nameStart;
  while (end < path.size()) {
    unsigned char c = static_cast<unsigned char>(path[end]);
    if (c == '.' || IsDigit(c)) break;
    end += CharLength(path, end);
  }
  return std::string(path.substr(nameStart, end - nameStart));
}

// ---------------------------------------------------------------------------------------------
// Field names and date placeholders

namespace {

constexpr std::string_view kTextFieldNames[TextFieldCount] = {
    "BINDEX", "BTITLE", "FNAME", "WHANDLE", "WTITLE", "RHANDLE", "RTITLE", "WID", "RID"};
constexpr std::string_view kNumberFieldNames[NumberFieldCount] = {
    "BNO",  "FSIZE", "WNO", "RNO",  "WIDNO",  "RIDNO",
    "YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"};

bool EqualsUpper(std::string_view name, std::string_view upperName) {
  if (name.size() != upperName.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (AsciiUpper(static_cast<unsigned char>(name[i])) != static_cast<unsigned char>(upperName[i]))
      return false;
  return true;
}

template <size_t N>
int FindFieldName(const std::string_view (&table)[N], std::string_view name) {
  for (size_t i = 0; i < N; ++i)
    if (EqualsUpper(name, table[i])) return static_cast<int>(i);
  return -1;
}

// 0 = Sunday.
int Weekday(int year, int month, int day) {
  static constexpr int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  return (year + year / 4 - year / 100 + year / 400 + kMonthOffset[month - 1] + day) % 7;
}

}  // namespace

int TextFieldIndex(std::string_view name) {
  return FindFieldName(kTextFieldNames, name);
}
int NumberFieldIndex(std::string_view name) {
  return FindFieldName(kNumberFieldNames, name);
}

std::string_view TextFieldName(int index) {
  return (index >= 0 && index < TextFieldCount) ? kTextFieldNames[index] : std::string_view();
}
std::string_view NumberFieldName(int index) {
  return (index >= 0 && index < NumberFieldCount) ? kNumberFieldNames[index] : std::string_view();
}

std::tm CurrentLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string ExpandDatePlaceholders(std::string_view templ, const std::tm& when) {
  const int year = when.tm_year + 1900;
  const int month = when.tm_mon + 1;
  const int day = when.tm_mday;
  const int hour = when.tm_hour;
  const int minute = when.tm_min;
  const int second = when.tm_sec;
  // Computed from the date rather than trusted from tm_wday, which hand-built values leave 0.
  const int weekday = (year > 0 && month >= 1 && month <= 12 && day >= 1)
                          ? Weekday(year, month, day)
                          : ((when.tm_wday % 7) + 7) % 7;
  const int year2 = ((year % 100) + 100) % 100;

  std::string first;
  first.reserve(templ.size() + 16);
  const size_t n = templ.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(templ[i]);
    if (IsLeadByte(c)) {
      size_t len = CharLength(templ, i);
      first.append(templ.data() + i, len);
      i += len;
      continue;
    }
    if (c != '$') {
      first += static_cast<char>(c);
      ++i;
      continue;
    }
    if (i + 1 >= n) break;  // a closing '$' is dropped
    char code = templ[i + 1];
    size_t used = 2;
    char buf[48];
    switch (code) {
      case '$':
        first += '$';
        break;
      case 'Y':
        AppendTwoDigits(first, year2);
        break;
      case 'y': {
        int len = std::snprintf(buf, sizeof buf, "%.4d", year);
        first.append(buf, static_cast<size_t>(len));
        break;
      }
      case 'm':
        AppendTwoDigits(first, month);
        break;
      case 'd':
        AppendTwoDigits(first, day);
        break;
      case 'h':
        AppendTwoDigits(first, hour);
        break;
      case 'n':
        AppendTwoDigits(first, minute);
        break;
      case 's':
        AppendTwoDigits(first, second);
        break;
      case 't': {
        // The Japanese locale's short date and long time: 1999/07/30 9:05:03.
        int len = std::snprintf(buf, sizeof buf, "%.4d/%.2d/%.2d %d:%.2d:%.2d", year, month, day,
                                hour, minute, second);
        first.append(buf, static_cast<size_t>(len));
        break;
      }
      default:
        // An unknown code is dropped with the character after the '$', both bytes of it when
        // it is a double-byte one, so that no half character is left behind.
        if (IsLeadByte(code) && i + 2 < n) used = 3;
        break;
    }
    i += used;
  }

  static constexpr std::string_view kMonthNames[12] = {
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december"};
  static constexpr std::string_view kWeekNames[7] = {"sunday",   "monday", "tuesday", "wednesday",
                                                     "thursday", "friday", "saturday"};
  static const std::string kWeekJapanese[7] = {Cp932("日"), Cp932("月"), Cp932("火"), Cp932("水"),
                                               Cp932("木"), Cp932("金"), Cp932("土")};

  auto twoDigits = [](int v) {
    std::string s;
    AppendTwoDigits(s, v);
    return s;
  };
  const std::string values[9] = {
      twoDigits(year2),
      twoDigits(month),
      (month >= 1 && month <= 12) ? std::string(kMonthNames[month - 1]) : std::string(),
      twoDigits(day),
      kWeekJapanese[weekday],
      std::string(kWeekNames[weekday]),
      twoDigits(hour),
      twoDigits(minute),
      twoDigits(second)};
  static constexpr std::string_view kPlaceholders[9] = {"%_YEAR_%", "%_MONTH_%", "%_month_%",
                                                        "%_DAY_%",  "%_WEEK_%",  "%_week_%",
                                                        "%_HOUR_%", "%_MIN_%",   "%_SEC_%"};
  for (int k = 0; k < 9; ++k) {
    // Each search starts again from the beginning; no value holds a placeholder, so it ends.
    for (size_t at = first.find(kPlaceholders[k]); at != std::string::npos;
         at = first.find(kPlaceholders[k]))
      first.replace(at, kPlaceholders[k].size(), values[k]);
  }
  return first;
}

// ---------------------------------------------------------------------------------------------
// The pattern language

std::string ExpandEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      // The second byte of many characters is 0x5C; it is never an escape.
      size_t len = CharLength(text, i);
      out.append(text.data() + i, len);
      i += len;
      continue;
    }
    if (c != '\\') {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (i + 1 >= n) break;
    size_t used = 2;
    switch (text[i + 1]) {
      case 'n':
        out += '\r';  // log lines end in a single CR
        break;
      case 't':
        out += '\t';
        break;
      case 'e':
        out += '\x1b';
        break;
      case 'h':
        out += '\b';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        // Dropped together with the character after the backslash: the whole of a
        // double-byte one, or its second byte would be left over and could read as an escape.
        if (IsLeadByte(text[i + 1]) && i + 2 < n) used = 3;
        break;
    }
    i += used;
  }
  return out;
}

std::string CompilePattern(std::string_view templ) {
  std::string out;
  out.reserve(templ.size());
  const size_t n = templ.size();
  size_t i = 0;
  while (i < n) {
    char c = templ[i++];
    out += c;
    if (c != '%' || i >= n) continue;
    char letter = templ[i++];
    out += letter;
    if (letter != 'G' && letter != 'H' && letter != 'g') continue;
    size_t end = i;
    while (end < n && templ[end] != '%' && templ[end] != ',')
      ++end;
    std::string_view name = templ.substr(i, end - i);
    if (int index = TextFieldIndex(name); index >= 0) {
      out += static_cast<char>('A' + index);
    } else if (int number = NumberFieldIndex(name); number >= 0) {
      out += static_cast<char>('a' + number);
    }
    // An unknown name is dropped; the matcher answers PatternError at that directive.
    i = end;
  }
  return ExpandEscapes(out);
}

namespace {

// Folds each "%%" of pattern[start, end) into one '%' (pairs tracked as when the literal was
// read). Rare enough to build in a scratch string.
[[gnu::noinline]] std::string_view FoldDoubledPercents(std::string_view pattern, size_t start,
                                                       size_t end, bool trackPairs,
                                                       std::string& scratch) {
  scratch.clear();
  for (size_t k = start; k < end;) {
    unsigned char c = static_cast<unsigned char>(pattern[k]);
    if (c == '%') {
      scratch += '%';
      k += (k + 1 < end && pattern[k + 1] == '%') ? 2 : 1;
    } else if (trackPairs && IsLeadByte(c) && k + 1 < end) {
      scratch.append(pattern.data() + k, 2);
      k += 2;
    } else {
      scratch += static_cast<char>(c);
      ++k;
    }
  }
  return scratch;
}

// Reads the literal argument that starts at pattern[q] and leaves q on the '%' of the next
// directive or at the end of the pattern. "%%" stands for one '%'; a '%' that is the last byte
// is an ordinary byte. With TrackPairs, the second byte of a double-byte character never ends
// the literal. The result views the pattern itself unless a "%%" had to be folded.
template <bool TrackPairs>
[[gnu::always_inline]] inline std::string_view ReadLiteral(std::string_view pattern, size_t& q,
                                                           std::string& scratch) {
  const char* s = pattern.data();
  const size_t n = pattern.size();
  const size_t start = q;
  size_t i = q;
  bool folded = false;
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '%') {
      if (i + 1 >= n) {
        ++i;
        break;
      }
      if (s[i + 1] != '%') break;
      folded = true;
      i += 2;
    } else if (TrackPairs && IsLeadByte(c) && i + 1 < n) {
      i += 2;
    } else {
      ++i;
    }
  }
  q = i;
  if (!folded) [[likely]]
    return std::string_view(s + start, i - start);
  return FoldDoubledPercents(pattern, start, i, TrackPairs, scratch);
}

// A count in the pattern: blanks, then decimal digits. False when there are no digits or the
// value does not fit 32 bits.
bool ReadCount(std::string_view pattern, size_t& q, ptrdiff_t& count) {
  const size_t n = pattern.size();
  while (q < n && pattern[q] == ' ')
    ++q;
  if (q >= n || !IsDigit(static_cast<unsigned char>(pattern[q]))) return false;
  int64_t value = 0;
  bool tooLarge = false;
  while (q < n && IsDigit(static_cast<unsigned char>(pattern[q]))) {
    if (!tooLarge) {
      value = value * 10 + (pattern[q] - '0');
      if (value > INT32_MAX) tooLarge = true;
    }
    ++q;
  }
  if (tooLarge) return false;
  count = static_cast<ptrdiff_t>(value);
  return true;
}

constexpr bool IsUpperLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IsLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
}

}  // namespace

uint8_t MatchPattern(std::string_view text, std::string_view pattern, PatternTexts& texts,
                     PatternNumbers& numbers) {
  // Positions are 0-based here (the text position P of the language is p + 1). p may stand
  // one before the text (after %m back to the start) or past its end (after %g or %H on the
  // last byte); such a position holds no byte, so every read checks InText first.
  const size_t plen = pattern.size();
  const ptrdiff_t n = static_cast<ptrdiff_t>(text.size());
  const char* t = text.data();
  auto inText = [&](ptrdiff_t pos) { return static_cast<size_t>(pos) < text.size(); };
  auto from = [](ptrdiff_t pos) { return pos < 0 ? ptrdiff_t{0} : pos; };

  ptrdiff_t p = 0;
  ptrdiff_t markX = 0;
  ptrdiff_t markY = 0;
  ptrdiff_t markZ = 0;
  std::string scratch;  // only for literals holding "%%"
  size_t q = 0;

  for (;;) {
    if (q >= plen) return PatternMatch;
    if (pattern[q] != '%' || q + 1 >= plen) return PatternError;
    const char letter = pattern[q + 1];
    if (letter == '%') {  // read as the '%' of the next directive
      ++q;
      continue;
    }
    q += 2;
    switch (letter) {
      case 'C': {
        std::string_view lit = ReadLiteral<false>(pattern, q, scratch);
        if (!lit.empty()) {
          if (!inText(p) || static_cast<size_t>(n - p) < lit.size() ||
              std::memcmp(t + p, lit.data(), lit.size()) != 0)
            return PatternNoMatch;
          p += static_cast<ptrdiff_t>(lit.size());
        }
        // The text may end with the literal only if the pattern ends there too.
        if (p >= n && q < plen) return PatternNoMatch;
        break;
      }
      case 'K': {
        // Optional bytes. Once the text has ended none of the rest can be present, so the rest
        // of the literal is passed over and the next directive decides.
        std::string_view lit = ReadLiteral<false>(pattern, q, scratch);
        for (char c : lit)
          if (inText(p) && t[p] == c) ++p;
        break;
      }
      case 'S': {
        if (q >= plen) return PatternError;
        std::string_view lit = ReadLiteral<true>(pattern, q, scratch);
        if (lit.empty() || p > n) return PatternNoMatch;
        size_t at = text.find(lit, static_cast<size_t>(from(p)));
        if (at == std::string_view::npos) return PatternNoMatch;
        p = static_cast<ptrdiff_t>(at);
        break;
      }
      case 's': {
        if (q >= plen) return PatternError;
        std::string_view lit = ReadLiteral<true>(pattern, q, scratch);
        if (lit.empty()) break;
        const ptrdiff_t len = static_cast<ptrdiff_t>(lit.size());
        ptrdiff_t last = p - len;  // the rightmost start of an occurrence wholly before p
        if (last < 0 || len > n) return PatternNoMatch;
        if (last > n - len) last = n - len;
        size_t at = text.rfind(lit, static_cast<size_t>(last));
        if (at == std::string_view::npos) return PatternNoMatch;
        p = static_cast<ptrdiff_t>(at);
        break;
      }
      case 'D': {
        std::string_view lit = ReadLiteral<true>(pattern, q, scratch);
        if (lit.empty()) break;
        // The last byte of the text (the closing CR of a log line) is not examined.
        const ptrdiff_t start = from(p);
        if (start < n - 1 &&
            text.substr(static_cast<size_t>(start), static_cast<size_t>(n - 1 - start)).find(lit) !=
                std::string_view::npos)
          return PatternNoMatch;
        break;
      }
      case 'F':
        while (inText(p) && t[p] == ' ')
          ++p;
        if (!inText(p)) return PatternNoMatch;
        break;
      case 'M': {
        ptrdiff_t count = 0;
        if (!ReadCount(pattern, q, count)) return PatternError;
        if (count > 0 && p + count > n) return PatternNoMatch;
        p += count;
        break;
      }
      case 'm': {
        ptrdiff_t count = 0;
        if (!ReadCount(pattern, q, count)) return PatternError;
        if (p - count < -1) return PatternNoMatch;
        p -= count;
        break;
      }
      case 'A':
      case 'N': {
        ptrdiff_t count = 0;
        if (!ReadCount(pattern, q, count)) return PatternError;
        for (ptrdiff_t k = 0; k < count; ++k, ++p) {
          if (!inText(p)) return PatternNoMatch;
          unsigned char c = static_cast<unsigned char>(t[p]);
          if (letter == 'A' ? !IsUpperLetter(static_cast<char>(AsciiUpper(c))) : !IsDigit(c))
            return PatternNoMatch;
        }
        break;
      }
      case 'G': {
        if (q >= plen) return PatternError;
        const char field = pattern[q];
        if (!IsUpperLetter(field) && !IsLowerLetter(field)) return PatternError;
        ++q;
        std::string_view terminator;
        if (q < plen && pattern[q] == ',') {
          ++q;
          if (q >= plen) return PatternError;
          terminator = ReadLiteral<true>(pattern, q, scratch);
        }
        if (IsUpperLetter(field)) {
          if (terminator.empty()) return PatternError;
          if (p > n) return PatternNoMatch;
          const size_t start = static_cast<size_t>(from(p));
          size_t at = text.find(terminator, start);
          if (at == std::string_view::npos) return PatternNoMatch;
          texts[static_cast<size_t>(field - 'A')].assign(t + start, at - start);
          p = static_cast<ptrdiff_t>(at);
        } else {
          if (!inText(p)) return PatternNoMatch;
          while (p < n && t[p] == ' ')
            ++p;
          if (p >= n || !IsDigit(static_cast<unsigned char>(t[p]))) return PatternNoMatch;
          int64_t value = 0;
          bool tooLarge = false;
          for (; p < n && IsDigit(static_cast<unsigned char>(t[p])); ++p) {
            if (tooLarge) continue;
            value = value * 10 + (t[p] - '0');
            if (value > INT32_MAX) tooLarge = true;
          }
          if (tooLarge) return PatternNoMatch;
          numbers[static_cast<size_t>(field - 'a')] = static_cast<int32_t>(value);
        }
        break;
      }
      case 'H': {
        if (q >= plen || !IsUpperLetter(pattern[q])) return PatternError;
        const size_t slot = static_cast<size_t>(pattern[q] - 'A');
        ++q;
        if (q >= plen || pattern[q] != ',') return PatternError;
        ++q;
        ptrdiff_t count = 0;
        if (!ReadCount(pattern, q, count)) return PatternError;
        // Takes what there is of the next count bytes and moves past what it took.
        ptrdiff_t end = p + count;
        if (end > n) end = p > n ? p : n;
        const ptrdiff_t start = from(p);
        if (end > start)
          texts[slot].assign(t + start, static_cast<size_t>(end - start));
        else
          texts[slot].clear();
        p = end;
        break;
      }
      case 'X':
        markX = p;
        break;
      case 'Y':
        markY = p;
        break;
      case 'Z':
        markZ = p;
        break;
      case 'x':
        p = markX;
        break;
      case 'y':
        p = markY;
        break;
      case 'z':
        p = markZ;
        break;
      case 'g': {
        if (q >= plen) return PatternError;
        const char field = pattern[q];
        if (!IsUpperLetter(field) && !IsLowerLetter(field)) return PatternError;
        ++q;
        // From mark Z through p, leaving out positions outside the text.
        std::string_view captured;
        const ptrdiff_t start = from(markZ);
        const ptrdiff_t end = p + 1 < n ? p + 1 : n;
        if (p >= markZ && end > start)
          captured = text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
        if (IsUpperLetter(field))
          texts[static_cast<size_t>(field - 'A')].assign(captured);
        else
          numbers[static_cast<size_t>(field - 'a')] = TextToNumber(captured);
        ++p;
        break;
      }
      default:
        return PatternError;
    }
  }
}

}  // namespace vorn
