#include "regex/MatchCORE.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace vorn {

namespace {

int CharLength(const unsigned char* text, const int pos, const int size) {
  return IsLeadByte(text[pos]) && pos + 1 < size ? 2 : 1;
}

// Whether `at` begins a character, given that `from` (<= at) does. Bytes in the lead-byte range
// directly before `at` pair up as lead and trail from the last byte that cannot be a lead (or
// from `from`), so `at` begins a character when there is an even number of them.
bool IsCharStart(const unsigned char* text, const int from, const int at) {
  int leads = 0;
  for (int q = at - 1; q >= from && IsLeadByte(text[q]); --q)
    ++leads;
  return leads % 2 == 0;
}

// The first byte at or after `at` that may start a match, found without regard to character
// boundaries: memchr when only one byte value qualifies, else eight independent table lookups
// at a time.
int NextStartByte(const TRE_DFA& dfa, const unsigned char* text, int at, const int size,
                  const unsigned char separator) {
  const int sole = dfa.SoleStartByte(separator);
  if (sole >= 0) {
    const void* hit = std::memchr(text + at, sole, size_t(size - at));
    return hit ? int(static_cast<const unsigned char*>(hit) - text) : size;
  }
  const uint8_t* starts = dfa.StartBytes(separator);
  while (at + 8 <= size) {
    const unsigned char* p = text + at;
    if (starts[p[0]] | starts[p[1]] | starts[p[2]] | starts[p[3]] | starts[p[4]] | starts[p[5]] |
        starts[p[6]] | starts[p[7]]) {
      break;
    }
    at += 8;
  }
  while (at < size && !starts[text[at]])
    ++at;
  return at;
}

// The first character start at or after `pos` (itself a character start) where a match may
// start; `size` when there is none.
int NextCandidate(const TRE_DFA& dfa, const unsigned char* text, int pos, const int size,
                  const unsigned char separator) {
  const bool startsEverywhere = dfa.Accepting(0);
  while (pos < size) {
    const int at = NextStartByte(dfa, text, pos, size, separator);
    if (at >= size) return size;
    // A byte after a lead byte is its trail, whatever its value (even a line feed).
    if (!IsCharStart(text, pos, at)) {
      pos = at + 1;
      continue;
    }
    // A lead byte only says that some character beginning with it may start a match; in
    // Japanese text that is nearly every character, so the whole code is looked at here.
    if (IsLeadByte(text[at]) && at + 1 < size && !startsEverywhere &&
        dfa.Step(0, RECharCode(text[at] << 8 | text[at + 1])) < 0) {
      pos = at + 2;
      continue;
    }
    return at;
  }
  return size;
}

}  // namespace

int TMatchCORE::Match(std::string_view text) const {
  int position = 0;
  int length = 0;
  return Match(text, position, length);
}

int TMatchCORE::Match(std::string_view text, int& position, int& length) const {
  const TRE_DFA& dfa = CurrentDFA();
  // Offsets are ints; a single line beyond 1 GB is searched in its first gigabyte.
  const int size = int(std::min<size_t>(text.size(), INT_MAX / 2));
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const Found found = dfa.UsesLineStart() || dfa.UsesLineEnd() ? MatchAnchored(dfa, bytes, size)
                                                               : MatchPlain(dfa, bytes, size);
  if (found.start < 0) {
    position = 0;
    length = 0;
  } else {
    position = found.start + 1;
    length = found.end - found.start;
  }
  return position;
}

TMatchCORE::Found TMatchCORE::MatchPlain(const TRE_DFA& dfa, const unsigned char* text,
                                         const int size) const {
  const unsigned char separator = SeparatorByte();
  for (int pos = 0;;) {
    pos = NextCandidate(dfa, text, pos, size, separator);
    if (pos >= size) break;
    if (const int end = dfa.Run(0, text, pos, size, separator); end >= 0) return {pos, end};
    pos += CharLength(text, pos, size);
  }
  // The end of the text is a start position too (an empty text, an empty pattern).
  if (const int end = dfa.Run(0, text, size, size, separator); end >= 0) return {size, end};
  return {};
}

int TMatchCORE::LineStartRun(const TRE_DFA& dfa, const unsigned char* text, const int pos,
                             const int size) const {
  const unsigned char separator = SeparatorByte();
  const int plain = dfa.Run(0, text, pos, size, separator);
  if (!dfa.UsesLineStart()) return plain;
  const int afterLineStart = dfa.LineStartTarget(0);
  if (afterLineStart < 0) return plain;
  return std::max(plain, dfa.Run(afterLineStart, text, pos, size, separator));
}

TMatchCORE::Found TMatchCORE::MatchAnchored(const TRE_DFA& dfa, const unsigned char* text,
                                            const int size) const {
  const unsigned char separator = SeparatorByte();
  if (const int end = LineStartRun(dfa, text, 0, size); end >= 0) return {0, end};
  for (int pos = 0;;) {
    pos = NextCandidate(dfa, text, pos, size, separator);
    if (pos >= size) break;
    if (const int end = dfa.Run(0, text, pos, size, separator); end >= 0) return {pos, end};
    const bool lineFeed = text[pos] == '\n';
    pos += CharLength(text, pos, size);
    if (lineFeed && dfa.UsesLineStart()) {
      if (const int end = LineStartRun(dfa, text, pos, size); end >= 0) return {pos, end};
    }
  }
  if (dfa.UsesLineEnd() && dfa.HasLineEnd(0)) return {size, size};
  return {};
}

}  // namespace vorn
