#include "regex/RE_SearchAutomaton.h"

#include <algorithm>
#include <climits>

#include "regex/RE_DFA.h"

namespace vorn {

namespace {

// Marks the first DFA state of a group in a state's key; DFA states are far fewer.
constexpr int32_t kGroupMark = 0x40000000;

}  // namespace

size_t TRE_SearchAutomaton::ItemsHash::operator()(const std::vector<int32_t>& items) const {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ items.size();
  for (const int32_t x : items)
    h = (h ^ uint32_t(x)) * 0x100000001B3ull + (h >> 29);
  return size_t(h);
}

TRE_SearchAutomaton::TRE_SearchAutomaton(const TRE_DFA& dfa, const unsigned char separator,
                                         const bool ordered)
    : dfa_(dfa), ordered_(ordered), classCount_(dfa.ClassCount()), limit_(kDefaultMemoryLimit) {
  while ((uint32_t{1} << rowShift_) < classCount_)
    ++rowShift_;
  separatorClass_ = dfa.ClassOfCode(separator);
  lineFeedClass_ = dfa.ClassOfCode('\n');
  if (dfa.UsesLineStart()) lineStartState_ = dfa.LineStartTarget(0);
  const int n = dfa.StateCount();
  acceptsAhead_.resize(size_t(n));
  for (int q = 0; q < n; ++q) {
    const bool accepting = dfa.Accepting(q);
    const bool lineEnd = dfa.HasLineEnd(q);
    const bool stopsAtSeparator = dfa.Step(q, separator) < 0;
    acceptsAhead_[size_t(q)] =
        uint8_t((accepting ? 1 << AheadOther : 0) |
                (accepting || (lineEnd && stopsAtSeparator) ? 1 << AheadSeparator : 0) |
                (accepting || lineEnd ? 1 << AheadEnd : 0));
  }
  seen_.assign(size_t(n), 0);
  Reset();
}

TRE_SearchAutomaton::~TRE_SearchAutomaton() = default;

void TRE_SearchAutomaton::Reset() {
  index_.clear();
  items_.clear();
  matched_.clear();
  acceptingGroup_.clear();
  next_.clear();
  remap_.clear();
  survivorLists_.clear();
  bytes_ = 0;
  // kIdle first, so that its number never changes.
  std::vector<int32_t> key = {0, 0 | kGroupMark};
  Intern(key);
  // A text begins at a line start, where "^" may begin a match too.
  if (lineStartState_ >= 0) key.push_back(lineStartState_);
  startState_ = Intern(key);
}

int32_t TRE_SearchAutomaton::Intern(std::vector<int32_t>& key) {
  if (const auto found = index_.find(key); found != index_.end()) return found->second;
  const auto id = int32_t(items_.size());
  const auto [it, added] = index_.emplace(key, id);
  const std::vector<int32_t>& items = it->first;
  items_.push_back(&items);
  matched_.push_back(uint8_t(items[0]));
  for (const Ahead ahead : {AheadOther, AheadSeparator, AheadEnd}) {
    int group = -1;
    int accepting = -1;
    for (size_t i = 1; i < items.size() && accepting < 0; ++i) {
      if (items[i] & kGroupMark) ++group;
      if (acceptsAhead_[size_t(items[i] & ~kGroupMark)] & (1 << ahead)) accepting = group;
    }
    acceptingGroup_.push_back(accepting);
  }
  const size_t row = next_.size();
  const size_t rowSize = size_t{1} << rowShift_;
  next_.resize(row + rowSize, kUnknown);
  if (ordered_) {
    remap_.resize(row + rowSize, 0);
  } else {
    // Unordered, a match found is all the search wants: the transition says so.
    for (uint32_t c = 0; c < classCount_; ++c) {
      if (AcceptingGroup(id, AheadOf(c)) >= 0) next_[row + c] = kAccepts;
    }
  }
  bytes_ += items.size() * sizeof(int32_t) + 96 + 3 * sizeof(int32_t) +
            rowSize * sizeof(int32_t) * (ordered_ ? 2 : 1);
  return id;
}

void TRE_SearchAutomaton::Advance(const std::vector<int32_t>& from, const int accepting,
                                  const uint32_t cls, std::vector<int32_t>& to,
                                  std::vector<int32_t>& survivors, uint64_t& steps) {
  const bool matched = from[0] != 0 || accepting >= 0;
  to.assign(1, matched ? 1 : 0);
  survivors.clear();
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  size_t groupBegin = 0;
  bool open = false;
  // A group's DFA states in ascending order, so that equal states have equal keys.
  const auto close = [&] {
    if (!open) return;
    to[groupBegin] &= ~kGroupMark;
    std::sort(to.begin() + std::ptrdiff_t(groupBegin), to.end());
    to[groupBegin] |= kGroupMark;
    open = false;
  };
  const auto add = [&](const int32_t q, const int32_t group) {
    if (seen_[size_t(q)] == stamp_) return;
    seen_[size_t(q)] = stamp_;
    if (open) {
      to.push_back(q);
      return;
    }
    groupBegin = to.size();
    to.push_back(q | kGroupMark);
    survivors.push_back(group);
    open = true;
  };
  const int32_t* next = dfa_.NextTable();
  const int keep = accepting >= 0 ? accepting + 1 : INT_MAX;
  int group = -1;
  for (size_t i = 1; i < from.size(); ++i) {
    if (from[i] & kGroupMark) {
      if (++group >= keep) break;
      if (ordered_) close();
    }
    const int32_t q = from[i] & ~kGroupMark;
    const int32_t target = next[size_t(q) * classCount_ + cls];
    ++steps;
    if (target >= 0) add(target, group);
  }
  if (!matched) {
    // The run beginning at the next character: a group of its own when ordered (state 0 is
    // reached by no transition, so the group is never empty), which is no old group.
    const size_t old = survivors.size();
    if (ordered_) close();
    add(0, -1);
    if (cls == lineFeedClass_ && lineStartState_ >= 0) add(lineStartState_, -1);
    survivors.resize(old);
  }
  close();
}

int32_t TRE_SearchAutomaton::EncodeRemap(const std::vector<int32_t>& survivors) {
  bool prefix = true;
  for (size_t i = 0; i < survivors.size() && prefix; ++i)
    prefix = survivors[i] == int32_t(i);
  if (prefix) return int32_t(survivors.size());
  const auto at = int32_t(survivorLists_.size());
  survivorLists_.push_back(int32_t(survivors.size()));
  survivorLists_.insert(survivorLists_.end(), survivors.begin(), survivors.end());
  bytes_ += (survivors.size() + 1) * sizeof(int32_t);
  return -at - 1;
}

void TRE_SearchAutomaton::ApplyRemap(const int32_t remap, std::vector<int>& groupStarts) const {
  if (remap >= 0) {
    groupStarts.resize(size_t(remap));
    return;
  }
  const int32_t* list = survivorLists_.data() + (-remap - 1);
  const int32_t n = list[0];
  // Ascending, and never ahead of its place: in place.
  for (int32_t i = 0; i < n; ++i)
    groupStarts[size_t(i)] = groupStarts[size_t(list[1 + i])];
  groupStarts.resize(size_t(n));
}

TRE_SearchAutomaton::Built TRE_SearchAutomaton::Build(const int32_t state, const uint32_t cls,
                                                      uint64_t& steps) {
  from_ = *items_[size_t(state)];  // a copy: dropping the kept states frees the key
  const int accepting = ordered_ ? AcceptingGroup(state, AheadOf(cls)) : -1;
  Advance(from_, accepting, cls, to_, survivors_, steps);
  bool keep = true;
  if (bytes_ > limit_ && items_.size() > 2) {
    Reset();
    keep = false;
  }
  const int32_t target = Intern(to_);
  const int32_t remap = ordered_ ? EncodeRemap(survivors_) : 0;
  if (keep) {
    next_[(size_t(state) << rowShift_) + cls] = target;
    if (ordered_) remap_[(size_t(state) << rowShift_) + cls] = remap;
  }
  return {target, remap};
}

}  // namespace vorn
