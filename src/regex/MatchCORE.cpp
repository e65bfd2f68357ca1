#include "regex/MatchCORE.h"

#include <algorithm>
#include <climits>

namespace vorn {

namespace {

int CharLength(const unsigned char* text, const int pos, const int size) {
  return IsLeadByte(text[pos]) && pos + 1 < size ? 2 : 1;
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
  int pos = 0;
  for (;;) {
    // Positions where no match can start are passed over, a whole character at a time.
    while (pos < size) {
      const int skip = dfa.SkipLength(text[pos], separator);
      if (skip == 0) break;
      pos += skip;
    }
    if (pos >= size) break;
    const int end = dfa.Run(0, text, pos, size, separator);
    if (end >= 0) return {pos, end};
    pos += CharLength(text, pos, size);
  }
  // The end of the text is a start position too (an empty text, "$").
  const int end = dfa.Run(0, text, size, size, separator);
  if (end >= 0) return {size, end};
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
  int pos = 0;
  while (pos < size) {
    const int skip = dfa.SkipLength(text[pos], separator);
    if (skip != 0) {
      pos += skip;
      continue;
    }
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
