#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "regex/RE_NFA.h"
#include "regex/RE_SearchAutomaton.h"
#include "text/ShiftJisText.h"

namespace vorn {

// The deterministic automaton of an NFA, by subset construction. State 0 is the initial state.
// Each state keeps its transitions as a list sorted by range; for matching, the ranges of all
// states are numbered as character classes and every state gets a dense row indexed by class, so
// one step costs two table reads whatever the number of transitions.
class TRE_DFA final {
 public:
  struct Transition {
    RECharRange range;
    int target = 0;
  };
  struct State {
    TRE_NFAStateSet nfaStates;
    bool accepting = false;
    std::vector<Transition> transitions;  // ascending ranges
  };

  // Raises ERegExpParser (TooComplex, at errorPosition) when the automaton would outgrow a few
  // tens of megabytes.
  TRE_DFA(const TRE_NFA& nfa, int errorPosition);
  ~TRE_DFA();
  TRE_DFA(const TRE_DFA&) = delete;
  TRE_DFA& operator=(const TRE_DFA&) = delete;

  int StateCount() const { return int(states_.size()); }
  const State& GetState(int state) const { return states_[size_t(state)]; }
  bool UsesLineStart() const { return usesLineStart_; }
  bool UsesLineEnd() const { return usesLineEnd_; }
  // Whether every lead byte, standing alone, takes the same transitions as when followed by a
  // NUL byte (then a text's lone lead byte at its end reads the same when a NUL is put after it).
  bool LoneLeadReadsAsLeadAndNul() const { return loneLeadAsNul_; }
  // The same when followed by a CR or an LF (lines joined with their line ends).
  bool LoneLeadReadsAsLeadAndLineEnd() const { return loneLeadAsLineEnd_; }

  // The target on `code` found by walking the state's sorted list; -1 when there is none.
  int FindTransition(int state, RECharCode code) const;
  // The same answer from the tables.
  int Step(int state, RECharCode code) const {
    return next_[size_t(state) * classCount_ + ClassOf(code)];
  }
  // The state after the line-start pseudo-character; -1 when there is none.
  int LineStartTarget(int state) const { return lineStartTarget_[size_t(state)]; }
  bool HasLineEnd(int state) const { return lineEnd_[size_t(state)] != 0; }
  bool Accepting(int state) const { return accepting_[size_t(state)] != 0; }

  uint32_t ClassCount() const { return classCount_; }
  uint32_t ClassOfCode(RECharCode code) const { return ClassOf(code); }
  // Per state, then per class: the target, or -1.
  const int32_t* NextTable() const { return next_.data(); }
  // The class of the character at text[pos] (pos < size), and its length in bytes. A lead byte
  // with nothing after it is a character of its own.
  uint32_t ClassAt(const unsigned char* text, const int pos, const int size, int& length) const {
    const unsigned char b = text[pos];
    if (IsLeadByte(b) && pos + 1 < size) {
      length = 2;
      const uint32_t lead = leadClass_[b];
      return (lead & kRowFlag) ? rows_[(lead & ~kRowFlag) + text[pos + 1]] : lead;
    }
    length = 1;
    return byteClass_[b];
  }

  // The automaton that follows runs of this one from every character at once, for the line
  // separator given; made when first asked for and kept with this automaton.
  TRE_SearchAutomaton& Search(unsigned char separator, bool ordered) const;
  // The memory the search automata keep.
  size_t SearchMemoryUsed() const;

  // Per byte: ByteIsLead (bit 0) for a lead byte, ByteMayStart (bit 1) where a character beginning
  // with it may start a match (or where the search has something else to try: the separator for
  // "$", a line feed for "^").
  static constexpr uint8_t ByteIsLead = 1;
  static constexpr uint8_t ByteMayStart = 2;
  // On a lead byte marked ByteMayStart: only some of the characters it begins may start a match,
  // and TrailMayStart says which (a lead byte at the end of the text is left to the run).
  static constexpr uint8_t ByteStartsByTrail = 4;
  const uint8_t* ByteKinds(unsigned char separator) const {
    return byteKinds_[separator == '\n' ? 1 : 0].data();
  }
  // The one byte value where a match may start, when there is only one (a search can then jump
  // to it with memchr); -1 otherwise.
  int SoleStartByte(unsigned char separator) const {
    return soleStartByte_[separator == '\n' ? 1 : 0];
  }
  // The bytes, and lead and trail byte pairs, one of which begins every match, when they are few
  // enough for a search to compare sixteen bytes at a time with each of them (Few(); none else).
  struct StartSet {
    static constexpr int kMost = 6;
    bool Few() const { return singles + pairs > 0; }
    int singles = 0;
    int pairs = 0;
    std::array<unsigned char, kMost> single{};
    std::array<unsigned char, kMost> lead{};
    std::array<unsigned char, kMost> trail{};
  };
  const StartSet& FewStarts(unsigned char separator) const {
    return fewStarts_[separator == '\n' ? 1 : 0];
  }
  bool TrailMayStart(unsigned char lead, unsigned char trail) const {
    const unsigned code = unsigned(lead) << 8 | trail;
    return (trailStarts_[code >> 6] >> (code & 63)) & 1;
  }

 private:
  static constexpr uint32_t kRowFlag = 0x80000000u;

  uint32_t ClassOf(RECharCode code) const {
    if (code < 256) return byteClass_[code];
    const uint32_t high = leadClass_[code >> 8];
    return (high & kRowFlag) ? rows_[(high & ~kRowFlag) + (code & 0xFF)] : high;
  }
  void BuildTables(int errorPosition);
  void BuildStartTables();

  std::vector<State> states_;
  bool usesLineStart_ = false;
  bool usesLineEnd_ = false;
  bool loneLeadAsNul_ = true;
  bool loneLeadAsLineEnd_ = true;

  // Class k holds the codes from cuts_[k] up to the next cut.
  std::vector<uint32_t> cuts_;
  uint32_t classCount_ = 0;
  std::array<uint32_t, 256> byteClass_{};
  // Per high byte: the class of all its 256 codes, or kRowFlag | the offset of its row in rows_.
  std::array<uint32_t, 256> leadClass_{};
  std::vector<uint32_t> rows_;
  std::vector<int32_t> next_;
  std::vector<uint8_t> accepting_;
  std::vector<uint8_t> lineEnd_;
  std::vector<int32_t> lineStartTarget_;
  std::array<std::array<uint8_t, 256>, 2> byteKinds_{};  // for CR and for LF as separator
  std::array<int, 2> soleStartByte_{-1, -1};
  std::array<StartSet, 2> fewStarts_{};
  // One bit per two-byte code: whether it can leave the initial state.
  std::array<uint64_t, 65536 / 64> trailStarts_{};
  // Per separator (CR, LF) and order (unordered, ordered).
  mutable std::array<std::unique_ptr<TRE_SearchAutomaton>, 4> searches_;
};

}  // namespace vorn
