#include "regex/RE_DFA.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace vorn {

namespace {

constexpr size_t kMaxStates = 10000;
// Bounds on the memory of one automaton: NFA state sets and the dense transition table.
constexpr size_t kMaxSetWords = size_t{8} << 20;
constexpr size_t kMaxTableEntries = size_t{16} << 20;

struct SetHash {
  size_t operator()(const TRE_NFAStateSet& set) const { return set.Hash(); }
};

}  // namespace

TRE_DFA::TRE_DFA(const TRE_NFA& nfa, const int errorPosition)
    : usesLineStart_(nfa.UsesLineStart()), usesLineEnd_(nfa.UsesLineEnd()) {
  const auto tooComplex = [&] { throw ERegExpParser(RegExpError::TooComplex, errorPosition); };
  std::unordered_map<TRE_NFAStateSet, int, SetHash> index;
  const auto intern = [&](TRE_NFAStateSet set) {
    if (const auto found = index.find(set); found != index.end()) return found->second;
    if (states_.size() >= kMaxStates || (states_.size() + 1) * set.WordCount() > kMaxSetWords) {
      tooComplex();
    }
    const int id = int(states_.size());
    index.emplace(set, id);
    State state;
    state.accepting = set.Has(nfa.FinalState());
    state.nfaStates = std::move(set);
    states_.push_back(std::move(state));
    return id;
  };

  TRE_NFAStateSet start(nfa.StateCount());
  start.Include(nfa.InitialState());
  intern(nfa.EpsilonClosure(start));
  for (size_t done = 0; done < states_.size(); ++done) {
    // Leaves are disjoint, so transitions group by exact range; the map keeps them sorted.
    std::map<RECharRange, TRE_NFAStateSet> moves;
    states_[done].nfaStates.ForEach([&](int s) {
      for (const TRE_NFA::Transition& t : nfa.Transitions(s)) {
        if (t.epsilon) continue;
        auto [it, added] = moves.try_emplace(t.range, nfa.StateCount());
        it->second.Include(t.target);
      }
    });
    std::vector<Transition> transitions;
    transitions.reserve(moves.size());
    for (auto& [range, targets] : moves) {
      transitions.push_back({range, intern(nfa.EpsilonClosure(targets))});
    }
    states_[done].transitions = std::move(transitions);  // `intern` may have moved states_
  }
  BuildTables(errorPosition);
  BuildStartTables();
}

TRE_DFA::~TRE_DFA() = default;

TRE_SearchAutomaton& TRE_DFA::Search(const unsigned char separator, const bool ordered) const {
  std::unique_ptr<TRE_SearchAutomaton>& search =
      searches_[size_t(separator == '\n' ? 2 : 0) + (ordered ? 1 : 0)];
  if (!search) search = std::make_unique<TRE_SearchAutomaton>(*this, separator, ordered);
  return *search;
}

size_t TRE_DFA::SearchMemoryUsed() const {
  size_t bytes = 0;
  for (const auto& search : searches_) {
    if (search) bytes += search->MemoryUsed();
  }
  return bytes;
}

int TRE_DFA::FindTransition(const int state, const RECharCode code) const {
  for (const Transition& t : states_[size_t(state)].transitions) {
    if (t.range.low > code) return -1;
    if (t.range.high >= code) return t.target;
  }
  return -1;
}

void TRE_DFA::BuildTables(const int errorPosition) {
  // Every range boundary of every state starts a class; within a class all codes then take the
  // same transition in every state, so the first code of a class answers for all of them.
  // Line feed and carriage return get classes of their own: a search tells them apart from
  // what shares their transitions (a line start after a line feed, a line end before the
  // separator).
  cuts_ = {0, '\n', '\n' + 1, '\r', '\r' + 1};
  for (const State& s : states_) {
    for (const Transition& t : s.transitions) {
      cuts_.push_back(t.range.low);
      if (t.range.high < 0xFFFF) cuts_.push_back(uint32_t(t.range.high) + 1);
    }
  }
  std::sort(cuts_.begin(), cuts_.end());
  cuts_.erase(std::unique(cuts_.begin(), cuts_.end()), cuts_.end());
  classCount_ = uint32_t(cuts_.size());
  if (size_t(classCount_) * states_.size() > kMaxTableEntries) {
    throw ERegExpParser(RegExpError::TooComplex, errorPosition);
  }
  const auto classOf = [&](uint32_t code) {
    return uint32_t(std::upper_bound(cuts_.begin(), cuts_.end(), code) - cuts_.begin() - 1);
  };
  rows_.clear();
  for (uint32_t high = 0; high < 256; ++high) {
    const uint32_t first = classOf(high << 8);
    if (first == classOf(high << 8 | 0xFF)) {
      leadClass_[high] = first;
      continue;
    }
    leadClass_[high] = kRowFlag | uint32_t(rows_.size());
    for (uint32_t low = 0; low < 256; ++low)
      rows_.push_back(classOf(high << 8 | low));
  }
  for (uint32_t b = 0; b < 256; ++b)
    byteClass_[b] = classOf(b);

  const size_t n = states_.size();
  next_.assign(n * classCount_, -1);
  accepting_.assign(n, 0);
  lineEnd_.assign(n, 0);
  lineStartTarget_.assign(n, -1);
  for (size_t s = 0; s < n; ++s) {
    for (uint32_t c = 0; c < classCount_; ++c) {
      next_[s * classCount_ + c] = FindTransition(int(s), RECharCode(cuts_[c]));
    }
    accepting_[s] = states_[s].accepting;
    lineEnd_[s] = FindTransition(int(s), RE_LineEndCode) >= 0;
    lineStartTarget_[s] = FindTransition(int(s), RE_LineStartCode);
  }
  loneLeadAsNul_ = true;
  loneLeadAsLineEnd_ = true;
  for (uint32_t b = 0; b < 256 && (loneLeadAsNul_ || loneLeadAsLineEnd_); ++b) {
    if (!IsLeadByte(static_cast<unsigned char>(b))) continue;
    for (size_t s = 0; s < n; ++s) {
      const int alone = Step(int(s), RECharCode(b));
      loneLeadAsNul_ = loneLeadAsNul_ && alone == Step(int(s), RECharCode(b << 8));
      loneLeadAsLineEnd_ = loneLeadAsLineEnd_ && alone == Step(int(s), RECharCode(b << 8 | '\r')) &&
                           alone == Step(int(s), RECharCode(b << 8 | '\n'));
    }
  }
}

void TRE_DFA::BuildStartTables() {
  // Whether a character beginning with byte b can leave the initial state; for a lead byte,
  // whether every character it begins can (a lone lead byte at the end of a text, a character of
  // its own, is not counted there).
  std::array<bool, 256> leaves{};
  std::array<bool, 256> allLeave{};
  trailStarts_.fill(0);
  for (uint32_t b = 0; b < 256; ++b) {
    leaves[b] = next_[byteClass_[b]] >= 0;
    if (!IsLeadByte(static_cast<unsigned char>(b))) continue;
    allLeave[b] = true;
    for (uint32_t trail = 0; trail < 256; ++trail) {
      const uint32_t code = b << 8 | trail;
      if (Step(0, RECharCode(code)) >= 0) {
        leaves[b] = true;
        trailStarts_[code >> 6] |= uint64_t{1} << (code & 63);
      } else {
        allLeave[b] = false;
      }
    }
  }
  const bool everywhere = accepting_[0] != 0;
  const unsigned char separators[2] = {'\r', '\n'};
  for (size_t k = 0; k < 2; ++k) {
    int starts = 0;
    for (uint32_t b = 0; b < 256; ++b) {
      const bool mayStart = everywhere || leaves[b] || (b == separators[k] && lineEnd_[0]) ||
                            (b == '\n' && usesLineStart_);
      const bool lead = IsLeadByte(static_cast<unsigned char>(b));
      const bool byTrail = mayStart && lead && !everywhere && !allLeave[b];
      byteKinds_[k][b] = uint8_t((mayStart ? ByteMayStart : 0) | (lead ? ByteIsLead : 0) |
                                 (byTrail ? ByteStartsByTrail : 0));
      if (mayStart) {
        ++starts;
        soleStartByte_[k] = int(b);
      }
    }
    if (starts != 1) soleStartByte_[k] = -1;

    StartSet few;
    bool fits = true;
    const auto add = [&](uint8_t b, int trail) {
      fits = few.singles + few.pairs < StartSet::kMost;
      if (!fits) return;
      if (trail < 0) {
        few.single[size_t(few.singles++)] = b;
      } else {
        few.lead[size_t(few.pairs)] = b;
        few.trail[size_t(few.pairs++)] = uint8_t(trail);
      }
    };
    for (uint32_t b = 0; b < 256 && fits; ++b) {
      const uint8_t kind = byteKinds_[k][b];
      if (!(kind & ByteMayStart)) continue;
      if (!(kind & ByteStartsByTrail)) {
        add(uint8_t(b), -1);
        continue;
      }
      for (int trail = 0; trail < 256 && fits; ++trail) {
        if (TrailMayStart(uint8_t(b), uint8_t(trail))) add(uint8_t(b), trail);
      }
    }
    fewStarts_[k] = fits ? few : StartSet{};
  }
}

}  // namespace vorn
