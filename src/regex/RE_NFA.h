#pragma once

#include <cstdint>
#include <vector>

#include "regex/REParser.h"

namespace vorn {

// A set of NFA states, one bit each.
class TRE_NFAStateSet final {
 public:
  explicit TRE_NFAStateSet(int stateCount = 0) : words_(size_t(stateCount) / 64 + 1, 0) {}

  void Include(int state) { words_[size_t(state) >> 6] |= uint64_t{1} << (state & 63); }
  bool Has(int state) const { return (words_[size_t(state) >> 6] >> (state & 63)) & 1; }
  bool operator==(const TRE_NFAStateSet& other) const = default;
  size_t Hash() const;
  size_t WordCount() const { return words_.size(); }

  template <typename F>
  void ForEach(F&& visit) const {
    for (size_t w = 0; w < words_.size(); ++w) {
      for (uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) {
        visit(int(w * 64 + size_t(__builtin_ctzll(bits))));
      }
    }
  }

 private:
  std::vector<uint64_t> words_;
};

// The nondeterministic automaton of a parse tree whose leaves have been made disjoint. State 0 is
// the initial state, state 1 the final state.
class TRE_NFA final {
 public:
  struct Transition {
    bool epsilon = false;
    RECharRange range;
    int target = 0;
  };

  // Raises ERegExpParser (TooComplex, at errorPosition) when the automaton would grow beyond
  // what a search needs, as nested "+" can make it do exponentially.
  TRE_NFA(const TREParseTree& tree, int errorPosition);

  int StateCount() const { return int(states_.size()); }
  const std::vector<Transition>& Transitions(int state) const { return states_[size_t(state)]; }
  int InitialState() const { return initial_; }
  int FinalState() const { return final_; }
  bool UsesLineStart() const { return usesLineStart_; }
  bool UsesLineEnd() const { return usesLineEnd_; }

  TRE_NFAStateSet EpsilonClosure(const TRE_NFAStateSet& set) const;

 private:
  int NewState();
  void AddTransition(int from, bool epsilon, RECharRange range, int to);
  void GenerateStateList(const REParseNode* root);

  std::vector<std::vector<Transition>> states_;
  int initial_ = 0;
  int final_ = 0;
  bool usesLineStart_ = false;
  bool usesLineEnd_ = false;
  int errorPosition_;
};

}  // namespace vorn
