#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vorn {

class TRE_DFA;

// The runs of a DFA begun at every character of a text, followed together, so that a search
// reads each character once whatever the pattern (trying one start after another reads a line
// of 1 MB half a million times over for ".+X"). A state is the list of DFA states the runs begun
// so far are in. States are made as texts need them and kept with their transitions up to a
// memory limit; past it, all kept states are dropped and made again as needed, which keeps the
// work per character bounded by the pattern's size.
//
// Unordered, the list is a set, and a state tells whether a match ends before the character
// ahead. Ordered, it tells where the leftmost-longest match is: the runs are grouped by the
// character where they began, earliest first; a DFA state that two runs reach stays only with the
// earlier one (both go on alike from there, and the earlier start wins); once a group has
// matched, the groups after it are dropped and no more runs begin. The caller keeps the start
// of each group and follows the transitions' remapping of groups.
//
// A match ends before a character in a DFA state that accepts, and, in a state that may end a
// line, before the separator when the state has no transition on it, or at the end of the text:
// so a run that stops there ends its match there, and one that goes on does not.
class TRE_SearchAutomaton final {
 public:
  enum Ahead : uint8_t { AheadOther, AheadSeparator, AheadEnd };
  // State 0: no run but the one beginning at the character ahead, which is not a line start.
  // A search in it may skip to the next character where a match may begin.
  static constexpr int32_t kIdle = 0;
  static constexpr int32_t kUnknown = -1;  // a transition not made yet
  static constexpr int32_t kAccepts = -2;  // unordered: a match ends before the character
  static constexpr size_t kDefaultMemoryLimit = size_t{1} << 20;

  TRE_SearchAutomaton(const TRE_DFA& dfa, unsigned char separator, bool ordered);
  ~TRE_SearchAutomaton();
  TRE_SearchAutomaton(const TRE_SearchAutomaton&) = delete;
  TRE_SearchAutomaton& operator=(const TRE_SearchAutomaton&) = delete;

  // The state at the start of a text, which is a line start.
  int32_t StartState() const { return startState_; }

  // The transition on the character class `cls`: a state, kUnknown (then Build) or, unordered,
  // kAccepts.
  int32_t Next(int32_t state, uint32_t cls) const {
    return next_[(size_t(state) << rowShift_) + cls];
  }
  // The same as a table: state << RowShift() + class. Build may move it.
  const int32_t* Table() const { return next_.data(); }
  unsigned RowShift() const { return rowShift_; }
  struct Built {
    int32_t target;
    int32_t remap;  // ordered: see Remap
  };
  // Makes the transition that Next gave as kUnknown. May drop every kept state first (the memory
  // limit reached): only StartState, kIdle and the target returned stay valid then. Adds the
  // DFA steps taken to `steps`.
  Built Build(int32_t state, uint32_t cls, uint64_t& steps);

  // Ordered: how the groups of `state` become those of Next(state, cls) (the value kept with the
  // transition, or Built::remap): the starts of the groups that go on are kept in order; after
  // them comes the start of the run beginning at the next character unless the target Matched.
  int32_t Remap(int32_t state, uint32_t cls) const {
    return remap_[(size_t(state) << rowShift_) + cls];
  }
  void ApplyRemap(int32_t remap, std::vector<int>& groupStarts) const;
  // The first group with a match ending before the character ahead, or -1.
  int AcceptingGroup(int32_t state, Ahead ahead) const {
    return acceptingGroup_[size_t(state) * 3 + ahead];
  }
  bool Matched(int32_t state) const { return matched_[size_t(state)] != 0; }
  // Ordered: matched, and every run has ended.
  bool Finished(int32_t state) const { return Matched(state) && Size(state) == 0; }

  Ahead AheadOf(uint32_t cls) const { return cls == separatorClass_ ? AheadSeparator : AheadOther; }

  int StateCount() const { return int(items_.size()); }
  size_t MemoryUsed() const { return bytes_; }
  // The memory kept beyond which the states are dropped and made again.
  void SetMemoryLimit(size_t bytes) { limit_ = bytes; }

 private:
  struct ItemsHash {
    size_t operator()(const std::vector<int32_t>& items) const;
  };

  size_t Size(int32_t state) const { return items_[size_t(state)]->size() - 1; }
  void Reset();
  int32_t Intern(std::vector<int32_t>& key);
  void Advance(const std::vector<int32_t>& from, int accepting, uint32_t cls,
               std::vector<int32_t>& to, std::vector<int32_t>& survivors, uint64_t& steps);
  int32_t EncodeRemap(const std::vector<int32_t>& survivors);

  const TRE_DFA& dfa_;
  const bool ordered_;
  const uint32_t classCount_;
  // A state's row holds 1 << rowShift_ transitions, at least one per class.
  unsigned rowShift_ = 0;
  uint32_t separatorClass_ = 0;
  uint32_t lineFeedClass_ = 0;
  int32_t lineStartState_ = -1;  // the DFA state after "^" at a line start, or -1
  // Per DFA state: bit `ahead` set when a match ends in it before such a character.
  std::vector<uint8_t> acceptsAhead_;

  // A state's key: whether it matched (1 or 0), then its DFA states, each group's first one
  // marked with kGroupMark. The keys live in the index; items_ points at them.
  std::unordered_map<std::vector<int32_t>, int32_t, ItemsHash> index_;
  std::vector<const std::vector<int32_t>*> items_;
  std::vector<uint8_t> matched_;
  std::vector<int32_t> acceptingGroup_;  // per state and Ahead
  std::vector<int32_t> next_;            // per state and class
  std::vector<int32_t> remap_;           // ordered: per state and class
  std::vector<int32_t> survivorLists_;   // ordered: remaps that are no prefix of the groups
  int32_t startState_ = 0;
  size_t bytes_ = 0;
  size_t limit_;

  // Scratch space of Build.
  std::vector<int32_t> from_, to_, survivors_;
  std::vector<uint32_t> seen_;
  uint32_t stamp_ = 0;
};

}  // namespace vorn
