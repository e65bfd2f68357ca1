#include "regex/MatchCORE.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vorn {

namespace {

// Offsets are ints; a single line beyond 1 GB is searched in its first gigabyte.
int SearchedSize(std::string_view text) {
  return int(std::min<size_t>(text.size(), INT_MAX / 2));
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

// Bit k of the result is bit `bit` of byte k of `bytes`.
unsigned GatherBits(const uint64_t bytes, const int bit) {
  return unsigned((((bytes >> bit) & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56);
}

// Indexed by the lead-byte mask of eight bytes, shifted left once, with bit 0 telling whether the
// first of them is a trail byte: which of them are trail bytes, and whether the byte after them
// is one.
struct BlockTrails {
  uint8_t trails;
  uint8_t nextIsTrail;
};
const std::array<BlockTrails, 512>& TrailTable() {
  static const std::array<BlockTrails, 512> table = [] {
    std::array<BlockTrails, 512> t{};
    for (unsigned index = 0; index < 512; ++index) {
      const unsigned leads = index >> 1;
      unsigned trail = index & 1;
      unsigned trails = 0;
      for (unsigned k = 0; k < 8; ++k) {
        trails |= trail << k;
        trail = trail ? 0 : (leads >> k) & 1;
      }
      t[index] = {uint8_t(trails), uint8_t(trail)};
    }
    return t;
  }();
  return table;
}

// The first character start at or after `at` (itself a character start) whose byte may start a
// match, or `size`. Eight bytes at a time: their kinds are gathered into a lead mask and a
// may-start mask, and the table says which of them are trail bytes, so no load waits on the one
// before. A lead byte whose characters start a match only with some trail bytes (the full-width
// forms of a folded letter begin like every hiragana) is decided on its trail without leaving the
// loop.
int NextMayStart(const TRE_DFA& dfa, const uint8_t* kinds, const unsigned char* text, int at,
                 const int size) {
  const std::array<BlockTrails, 512>& trailTable = TrailTable();
  const auto starts = [&](const int pos) {
    const unsigned char b = text[pos];
    return !(kinds[b] & TRE_DFA::ByteStartsByTrail) || pos + 1 >= size ||
           dfa.TrailMayStart(b, text[pos + 1]);
  };
  unsigned trail = 0;  // whether the byte at `at` is a trail byte
  for (; at + 8 <= size; at += 8) {
    const unsigned char* p = text + at;
    uint64_t k = 0;
    for (int i = 0; i < 8; ++i)
      k |= uint64_t{kinds[p[i]]} << (8 * i);
    const BlockTrails& t = trailTable[GatherBits(k, 0) << 1 | trail];
    for (unsigned candidates = GatherBits(k, 1) & ~unsigned(t.trails); candidates;
         candidates &= candidates - 1) {
      const int pos = at + __builtin_ctz(candidates);
      if (starts(pos)) return pos;
    }
    trail = t.nextIsTrail;
  }
  for (; at < size; ++at) {
    const unsigned kind = kinds[text[at]];
    if ((kind & TRE_DFA::ByteMayStart) && !trail && starts(at)) return at;
    trail = trail ? 0 : kind & TRE_DFA::ByteIsLead;
  }
  return size;
}

#ifdef __SSE2__
// The first character start at or after `pos` (itself a character start) that begins with one of
// the few bytes or byte pairs that may start a match, found sixteen bytes at a time; or, when
// there is none before the last seventeen bytes, a character start from which the rest is to be
// searched byte by byte, as the negative of one more than it.
int NextFewStart(const TRE_DFA::StartSet& few, const unsigned char* text, const int pos,
                 const int size) {
  __m128i single[TRE_DFA::StartSet::kMost], lead[TRE_DFA::StartSet::kMost],
      trail[TRE_DFA::StartSet::kMost];
  for (int i = 0; i < few.singles; ++i)
    single[i] = _mm_set1_epi8(char(few.single[size_t(i)]));
  for (int i = 0; i < few.pairs; ++i) {
    lead[i] = _mm_set1_epi8(char(few.lead[size_t(i)]));
    trail[i] = _mm_set1_epi8(char(few.trail[size_t(i)]));
  }
  int at = pos;
  int from = pos;  // a character start, not after what is looked at
  for (; at + 17 <= size; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + 1));
    __m128i hits = _mm_setzero_si128();
    for (int i = 0; i < few.singles; ++i)
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, single[i]));
    for (int i = 0; i < few.pairs; ++i) {
      hits = _mm_or_si128(
          hits, _mm_and_si128(_mm_cmpeq_epi8(bytes, lead[i]), _mm_cmpeq_epi8(next, trail[i])));
    }
    for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); mask; mask &= mask - 1) {
      const int hit = at + __builtin_ctz(mask);
      // A byte found may be the trail of a character; the next byte then starts one, and the
      // next hit is looked back at from there, not from `pos` again.
      if (IsCharStart(text, from, hit)) return hit;
      from = hit + 1;
    }
  }
  // A byte after a lead byte is its trail, so the one after it starts a character.
  return -(IsCharStart(text, from, at) ? at : at + 1) - 1;
}
#endif

// The first character start at or after `pos` (itself a character start) where a match may
// start; `size` when there is none.
int NextCandidate(const TRE_DFA& dfa, const unsigned char* text, int pos, const int size,
                  const unsigned char separator) {
  const int sole = dfa.SoleStartByte(separator);
  const uint8_t* kinds = dfa.ByteKinds(separator);
  const bool startsEverywhere = dfa.Accepting(0);
#ifdef __SSE2__
  // One byte alone is found fastest by memchr. When it is the lead byte of many characters (of
  // katakana, say) and memchr keeps stopping at them, comparing the pairs of it and the trail
  // bytes that may start is faster.
  const TRE_DFA::StartSet& few = dfa.FewStarts(separator);
  bool bySets = few.Few() && sole < 0;
  int misses = 0;
  const auto missed = [&] {
    if (++misses == 4 && few.Few()) bySets = true;
  };
#else
  const auto missed = [] {};
#endif
  while (pos < size) {
    int at = pos;
#ifdef __SSE2__
    if (bySets) {
      at = NextFewStart(few, text, pos, size);
      if (at >= 0) return at;
      return NextMayStart(dfa, kinds, text, -at - 1, size);
    }
#endif
    if (sole >= 0) {
      const void* hit = std::memchr(text + pos, sole, size_t(size - pos));
      if (!hit) return size;
      at = int(static_cast<const unsigned char*>(hit) - text);
      // A byte after a lead byte is its trail, whatever its value (even a line feed).
      if (!IsCharStart(text, pos, at)) {
        pos = at + 1;
        missed();
        continue;
      }
    } else {
      at = NextMayStart(dfa, kinds, text, pos, size);
      if (at >= size) return size;
    }
    // A lead byte only says that some character beginning with it may start a match; in
    // Japanese text that is nearly every character, so the whole code is looked at here.
    if (IsLeadByte(text[at]) && at + 1 < size && !startsEverywhere &&
        dfa.Step(0, RECharCode(text[at] << 8 | text[at + 1])) < 0) {
      pos = at + 2;
      missed();
      continue;
    }
    return at;
  }
  return size;
}

}  // namespace

bool TMatchCORE::FindsEveryLineMatchInJoinedLines(bool lineEnds) const {
  // A match within a line is found at the same bytes of the joined text: characters start there
  // as in the line (a lone lead byte at a line's end takes the NUL after it as its trail, and
  // reads the same), and no transition depends on where the text ends, unless the pattern is
  // anchored at a line's start or end.
  const TRE_DFA& dfa = ContainsDFA();
  return !dfa.UsesLineStart() && !dfa.UsesLineEnd() &&
         (lineEnds ? dfa.LoneLeadReadsAsLeadAndLineEnd() : dfa.LoneLeadReadsAsLeadAndNul());
}

bool TMatchCORE::Contains(std::string_view text) const {
  const TRE_DFA& dfa = ContainsDFA();
  const unsigned char separator = SeparatorByte();
  TRE_SearchAutomaton& search = dfa.Search(separator, false);
  search.SetMemoryLimit(searchMemoryLimit_);
  const int size = SearchedSize(text);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  uint64_t steps = 0;
  int32_t state = search.StartState();
  const int32_t* table = search.Table();
  const unsigned shift = search.RowShift();
  bool found = false;
  for (int pos = 0;;) {
    // With no run under way, the characters where none can begin are skipped.
    if (state == TRE_SearchAutomaton::kIdle) pos = NextCandidate(dfa, bytes, pos, size, separator);
    // Transitions already made, until the search is idle again or has something else to do.
    int32_t next = TRE_SearchAutomaton::kUnknown;
    int length = 0;
    uint32_t cls = 0;
    while (pos < size) {
      cls = dfa.ClassAt(bytes, pos, size, length);
      next = table[(size_t(state) << shift) + cls];
      if (next <= TRE_SearchAutomaton::kIdle) break;
      state = next;
      pos += length;
      ++steps;
    }
    if (pos >= size) {
      found = search.AcceptingGroup(state, TRE_SearchAutomaton::AheadEnd) >= 0;
      break;
    }
    if (next == TRE_SearchAutomaton::kAccepts) {
      found = true;
      break;
    }
    if (next == TRE_SearchAutomaton::kUnknown) {
      next = search.Build(state, cls, steps).target;
      table = search.Table();
    }
    state = next;
    pos += length;
    ++steps;
  }
  steps_ += steps;
  return found;
}

int TMatchCORE::Match(std::string_view text) const {
  int position = 0;
  int length = 0;
  return Match(text, position, length);
}

int TMatchCORE::Match(std::string_view text, int& position, int& length) const {
  const Found found = Find(CurrentDFA(), text);
  if (found.start < 0) {
    position = 0;
    length = 0;
  } else {
    position = found.start + 1;
    length = found.end - found.start;
  }
  return position;
}

TMatchCORE::Found TMatchCORE::Find(const TRE_DFA& dfa, std::string_view text) const {
  const unsigned char separator = SeparatorByte();
  TRE_SearchAutomaton& search = dfa.Search(separator, true);
  search.SetMemoryLimit(searchMemoryLimit_);
  const int size = SearchedSize(text);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  uint64_t steps = 0;
  // Where each group of runs of the state began. A match found stands until a group that began
  // earlier finds one, and grows while its own runs go on; the search ends when no run is left
  // that could change it.
  std::vector<int>& starts = groupStarts_;
  starts.assign(1, 0);
  Found best;
  int32_t state = search.StartState();
  for (int pos = 0;;) {
    if (state == TRE_SearchAutomaton::kIdle) {
      pos = NextCandidate(dfa, bytes, pos, size, separator);
      starts[0] = pos;
    }
    if (pos >= size) {
      if (const int group = search.AcceptingGroup(state, TRE_SearchAutomaton::AheadEnd);
          group >= 0) {
        best = {starts[size_t(group)], size};
      }
      break;
    }
    int length;
    const uint32_t cls = dfa.ClassAt(bytes, pos, size, length);
    if (const int group = search.AcceptingGroup(state, search.AheadOf(cls)); group >= 0) {
      best = {starts[size_t(group)], pos};
    }
    TRE_SearchAutomaton::Built next{search.Next(state, cls), 0};
    if (next.target < 0) {
      next = search.Build(state, cls, steps);
    } else {
      next.remap = search.Remap(state, cls);
    }
    search.ApplyRemap(next.remap, starts);
    state = next.target;
    pos += length;
    ++steps;
    if (!search.Matched(state)) {
      starts.push_back(pos);
    } else if (search.Finished(state)) {
      break;
    }
  }
  steps_ += steps;
  return best;
}

}  // namespace vorn
