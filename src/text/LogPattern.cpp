#include "text/LogPattern.h"

#include <cstddef>
#include <cstring>

#include "text/FieldNames.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"

namespace vorn {

namespace {

constexpr bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
constexpr unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string ExpandEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      // The second byte of many characters is 0x5C; it is never an escape.
      size_t len = CharLengthAt(text, i);
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

constexpr bool IsUpperLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IsLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
}

}  // namespace

bool ReadPatternCount(std::string_view pattern, size_t& q, int64_t& count) {
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
  count = value;
  return true;
}

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
        int64_t count = 0;
        if (!ReadPatternCount(pattern, q, count)) return PatternError;
        if (count > 0 && p + count > n) return PatternNoMatch;
        p += count;
        break;
      }
      case 'm': {
        int64_t count = 0;
        if (!ReadPatternCount(pattern, q, count)) return PatternError;
        if (p - count < -1) return PatternNoMatch;
        p -= count;
        break;
      }
      case 'A':
      case 'N': {
        int64_t count = 0;
        if (!ReadPatternCount(pattern, q, count)) return PatternError;
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
        int64_t count = 0;
        if (!ReadPatternCount(pattern, q, count)) return PatternError;
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
