#include "analysis/PatternProgram.h"

#include <cstring>

#include "text/LogPattern.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

constexpr bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
constexpr bool IsUpperLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IsLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
}
constexpr unsigned char AsciiUpper(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// The pattern is read as the matcher reads it. A literal ends at the '%' of the next
// directive; "%%" in it stands for one '%', and a '%' that is the pattern's last byte is an
// ordinary byte. With trackPairs the second byte of a double-byte character never ends it.
std::string ReadLiteral(std::string_view pattern, size_t& q, bool trackPairs) {
  const size_t n = pattern.size();
  std::string literal;
  size_t i = q;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(pattern[i]);
    if (c == '%') {
      if (i + 1 >= n) {
        literal += '%';
        ++i;
        break;
      }
      if (pattern[i + 1] != '%') break;
      literal += '%';
      i += 2;
    } else if (trackPairs && IsLeadByte(c) && i + 1 < n) {
      literal.append(pattern.data() + i, 2);
      i += 2;
    } else {
      literal += static_cast<char>(c);
      ++i;
    }
  }
  q = i;
  return literal;
}

// text.find(literal, from), with one byte found by memchr.
size_t FindIn(std::string_view text, std::string_view literal, size_t from) {
  if (literal.size() == 1) {
    if (from >= text.size()) return std::string_view::npos;
    const void* at = std::memchr(text.data() + from, literal[0], text.size() - from);
    return at ? static_cast<size_t>(static_cast<const char*>(at) - text.data())
              : std::string_view::npos;
  }
  return text.find(literal, from);
}

}  // namespace

void PatternProgram::Add(Op op, uint8_t slot, int64_t count, std::string_view literal, bool more) {
  steps_.push_back({op, slot, more, count, static_cast<uint32_t>(literals_.size()),
                    static_cast<uint32_t>(literal.size())});
  literals_.append(literal);
}

PatternProgram::PatternProgram(std::string_view compiled) {
  Compile(compiled);
}

void PatternProgram::Compile(std::string_view pattern) {
  const size_t plen = pattern.size();
  size_t q = 0;
  // Every way the matcher answers PatternError ends the program with an Error step: the
  // matcher reads no further either.
  for (;;) {
    if (q >= plen) return;
    if (pattern[q] != '%' || q + 1 >= plen) return Add(Op::Error);
    const char letter = pattern[q + 1];
    if (letter == '%') {  // read as the '%' of the next directive
      ++q;
      continue;
    }
    q += 2;
    int64_t count = 0;
    switch (letter) {
      case 'C': {
        const std::string literal = ReadLiteral(pattern, q, false);
        Add(Op::Literal, 0, 0, literal, q < plen);
        break;
      }
      case 'K':
        Add(Op::Optional, 0, 0, ReadLiteral(pattern, q, false));
        break;
      case 'S':
      case 's': {
        if (q >= plen) return Add(Op::Error);
        Add(letter == 'S' ? Op::Find : Op::FindBack, 0, 0, ReadLiteral(pattern, q, true));
        break;
      }
      case 'D':
        Add(Op::Refuse, 0, 0, ReadLiteral(pattern, q, true));
        break;
      case 'F':
        Add(Op::SkipBlanks);
        break;
      case 'M':
      case 'm':
      case 'A':
      case 'N': {
        if (!ReadPatternCount(pattern, q, count)) return Add(Op::Error);
        const Op op = letter == 'M'   ? Op::Forward
                      : letter == 'm' ? Op::Back
                      : letter == 'A' ? Op::Letters
                                      : Op::Digits;
        Add(op, 0, count);
        break;
      }
      case 'G': {
        if (q >= plen) return Add(Op::Error);
        const char field = pattern[q];
        if (!IsUpperLetter(field) && !IsLowerLetter(field)) return Add(Op::Error);
        ++q;
        std::string terminator;
        if (q < plen && pattern[q] == ',') {
          ++q;
          if (q >= plen) return Add(Op::Error);
          terminator = ReadLiteral(pattern, q, true);
        }
        if (IsUpperLetter(field)) {
          if (terminator.empty()) return Add(Op::Error);
          Add(Op::TextUpTo, static_cast<uint8_t>(field - 'A'), 0, terminator);
        } else {
          Add(Op::Number, static_cast<uint8_t>(field - 'a'));
        }
        break;
      }
      case 'H': {
        if (q >= plen || !IsUpperLetter(pattern[q])) return Add(Op::Error);
        const uint8_t slot = static_cast<uint8_t>(pattern[q] - 'A');
        ++q;
        if (q >= plen || pattern[q] != ',') return Add(Op::Error);
        ++q;
        if (!ReadPatternCount(pattern, q, count)) return Add(Op::Error);
        Add(Op::TakeBytes, slot, count);
        break;
      }
      case 'X':
      case 'Y':
      case 'Z':
        Add(Op::Mark, static_cast<uint8_t>(letter - 'X'));
        break;
      case 'x':
      case 'y':
      case 'z':
        Add(Op::GoToMark, static_cast<uint8_t>(letter - 'x'));
        break;
      case 'g': {
        if (q >= plen) return Add(Op::Error);
        const char field = pattern[q];
        if (!IsUpperLetter(field) && !IsLowerLetter(field)) return Add(Op::Error);
        ++q;
        if (IsUpperLetter(field)) {
          Add(Op::TextFromZ, static_cast<uint8_t>(field - 'A'));
        } else {
          Add(Op::NumberFromZ, static_cast<uint8_t>(field - 'a'));
        }
        break;
      }
      default:
        return Add(Op::Error);
    }
  }
}

uint8_t PatternProgram::Match(std::string_view text, PatternTexts& texts,
                              PatternNumbers& numbers) const {
  // Positions are 0-based (the text position P of the language is p + 1); p may stand one
  // before the text or past its end, where it holds no byte.
  const ptrdiff_t n = static_cast<ptrdiff_t>(text.size());
  const char* t = text.data();
  auto inText = [&](ptrdiff_t pos) { return static_cast<size_t>(pos) < text.size(); };
  auto from = [](ptrdiff_t pos) { return pos < 0 ? ptrdiff_t{0} : pos; };
  ptrdiff_t p = 0;
  ptrdiff_t marks[3] = {0, 0, 0};

  for (const Step& step : steps_) {
    switch (step.op) {
      case Op::Literal: {
        const std::string_view lit = Literal(step);
        if (!lit.empty()) {
          if (!inText(p) || static_cast<size_t>(n - p) < lit.size() ||
              std::memcmp(t + p, lit.data(), lit.size()) != 0)
            return PatternNoMatch;
          p += static_cast<ptrdiff_t>(lit.size());
        }
        // The text may end with the literal only if the pattern ends there too.
        if (p >= n && step.more) return PatternNoMatch;
        break;
      }
      case Op::Optional:
        for (char c : Literal(step))
          if (inText(p) && t[p] == c) ++p;
        break;
      case Op::Find: {
        const std::string_view lit = Literal(step);
        if (lit.empty() || p > n) return PatternNoMatch;
        const size_t at = FindIn(text, lit, static_cast<size_t>(from(p)));
        if (at == std::string_view::npos) return PatternNoMatch;
        p = static_cast<ptrdiff_t>(at);
        break;
      }
      case Op::FindBack: {
        const std::string_view lit = Literal(step);
        if (lit.empty()) break;
        const ptrdiff_t len = static_cast<ptrdiff_t>(lit.size());
        ptrdiff_t last = p - len;  // the rightmost start of an occurrence wholly before p
        if (last < 0 || len > n) return PatternNoMatch;
        if (last > n - len) last = n - len;
        const size_t at = text.rfind(lit, static_cast<size_t>(last));
        if (at == std::string_view::npos) return PatternNoMatch;
        p = static_cast<ptrdiff_t>(at);
        break;
      }
      case Op::Refuse: {
        const std::string_view lit = Literal(step);
        if (lit.empty()) break;
        // The last byte of the text (the closing CR of a log line) is not examined.
        const ptrdiff_t start = from(p);
        if (start < n - 1 &&
            text.substr(static_cast<size_t>(start), static_cast<size_t>(n - 1 - start)).find(lit) !=
                std::string_view::npos)
          return PatternNoMatch;
        break;
      }
      case Op::SkipBlanks:
        while (inText(p) && t[p] == ' ')
          ++p;
        if (!inText(p)) return PatternNoMatch;
        break;
      case Op::Forward:
        if (step.count > 0 && p + step.count > n) return PatternNoMatch;
        p += static_cast<ptrdiff_t>(step.count);
        break;
      case Op::Back:
        if (p - step.count < -1) return PatternNoMatch;
        p -= static_cast<ptrdiff_t>(step.count);
        break;
      case Op::Letters:
      case Op::Digits:
        for (int64_t k = 0; k < step.count; ++k, ++p) {
          if (!inText(p)) return PatternNoMatch;
          const unsigned char c = static_cast<unsigned char>(t[p]);
          if (step.op == Op::Letters ? !IsUpperLetter(static_cast<char>(AsciiUpper(c)))
                                     : !IsDigit(c))
            return PatternNoMatch;
        }
        break;
      case Op::TextUpTo: {
        if (p > n) return PatternNoMatch;
        const size_t start = static_cast<size_t>(from(p));
        const size_t at = FindIn(text, Literal(step), start);
        if (at == std::string_view::npos) return PatternNoMatch;
        texts[step.slot].assign(t + start, at - start);
        p = static_cast<ptrdiff_t>(at);
        break;
      }
      case Op::Number: {
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
        numbers[step.slot] = static_cast<int32_t>(value);
        break;
      }
      case Op::TakeBytes: {
        // Takes what there is of the next count bytes and moves past what it took.
        ptrdiff_t end = p + static_cast<ptrdiff_t>(step.count);
        if (end > n) end = p > n ? p : n;
        const ptrdiff_t start = from(p);
        if (end > start) {
          texts[step.slot].assign(t + start, static_cast<size_t>(end - start));
        } else {
          texts[step.slot].clear();
        }
        p = end;
        break;
      }
      case Op::Mark:
        marks[step.slot] = p;
        break;
      case Op::GoToMark:
        p = marks[step.slot];
        break;
      case Op::TextFromZ:
      case Op::NumberFromZ: {
        // From mark Z through p, leaving out positions outside the text.
        std::string_view captured;
        const ptrdiff_t markZ = marks[2];
        const ptrdiff_t start = from(markZ);
        const ptrdiff_t end = p + 1 < n ? p + 1 : n;
        if (p >= markZ && end > start)
          captured = text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
        if (step.op == Op::TextFromZ) {
          texts[step.slot].assign(captured);
        } else {
          numbers[step.slot] = TextToNumber(captured);
        }
        ++p;
        break;
      }
      case Op::Error:
        return PatternError;
    }
  }
  return PatternMatch;
}

}  // namespace vorn
