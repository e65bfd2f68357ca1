#include "regex/RE_NFA.h"

namespace vorn {

size_t TRE_NFAStateSet::Hash() const {
  uint64_t h = 0x9E3779B97F4A7C15ull;
  for (const uint64_t w : words_)
    h = (h ^ w) * 0x100000001B3ull + (h >> 29);
  return size_t(h);
}

namespace {

constexpr int kMaxStates = 100000;

}  // namespace

TRE_NFA::TRE_NFA(const TREParseTree& tree, const int errorPosition)
    : errorPosition_(errorPosition) {
  initial_ = NewState();
  final_ = NewState();
  GenerateStateList(tree.Root());
}

int TRE_NFA::NewState() {
  if (int(states_.size()) >= kMaxStates)
    throw ERegExpParser(RegExpError::TooComplex, errorPosition_);
  states_.emplace_back();
  return int(states_.size()) - 1;
}

void TRE_NFA::AddTransition(const int from, const bool epsilon, const RECharRange range,
                            const int to) {
  states_[size_t(from)].push_back({epsilon, range, to});
}

void TRE_NFA::GenerateStateList(const REParseNode* root) {
  // An explicit stack: a long concatenation makes a deep tree.
  struct Work {
    const REParseNode* node;
    int from;
    int to;
  };
  std::vector<Work> work{{root, initial_, final_}};
  while (!work.empty()) {
    const Work w = work.back();
    work.pop_back();
    const REParseNode* node = w.node;
    switch (node->kind) {
      case REParseNodeKind::Range:
        if (node->pieces.empty()) AddTransition(w.from, false, node->range, w.to);
        for (const RECharRange& piece : node->pieces)
          AddTransition(w.from, false, piece, w.to);
        break;
      case REParseNodeKind::LineStart:
        if (w.from == initial_) {
          AddTransition(w.from, false, {RE_LineStartCode, RE_LineStartCode}, w.to);
          usesLineStart_ = true;
        } else {
          const RECharCode c = static_cast<unsigned char>(node->anchor);
          AddTransition(w.from, false, {c, c}, w.to);
        }
        break;
      case REParseNodeKind::LineEnd:
        if (w.to == final_) {
          AddTransition(w.from, false, {RE_LineEndCode, RE_LineEndCode}, w.to);
          usesLineEnd_ = true;
        } else {
          const RECharCode c = static_cast<unsigned char>(node->anchor);
          AddTransition(w.from, false, {c, c}, w.to);
        }
        break;
      case REParseNodeKind::Concat: {
        const int middle = NewState();
        work.push_back({node->right, middle, w.to});
        work.push_back({node->left, w.from, middle});
        break;
      }
      case REParseNodeKind::Union:
        work.push_back({node->right, w.from, w.to});
        work.push_back({node->left, w.from, w.to});
        break;
      case REParseNodeKind::Star: {
        const int loop = NewState();
        const int back = NewState();
        AddTransition(w.from, true, {}, loop);
        work.push_back({node->left, loop, back});
        AddTransition(back, true, {}, loop);
        AddTransition(loop, true, {}, w.to);
        break;
      }
      case REParseNodeKind::Empty:
        AddTransition(w.from, true, {}, w.to);
        break;
    }
  }
}

TRE_NFAStateSet TRE_NFA::EpsilonClosure(const TRE_NFAStateSet& set) const {
  TRE_NFAStateSet closure = set;
  std::vector<int> pending;
  set.ForEach([&](int s) { pending.push_back(s); });
  while (!pending.empty()) {
    const int s = pending.back();
    pending.pop_back();
    for (const Transition& t : states_[size_t(s)]) {
      if (t.epsilon && !closure.Has(t.target)) {
        closure.Include(t.target);
        pending.push_back(t.target);
      }
    }
  }
  return closure;
}

}  // namespace vorn
