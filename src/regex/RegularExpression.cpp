#include "regex/RegularExpression.h"

#include "regex/REParser.h"
#include "regex/RE_NFA.h"

namespace vorn {

TRegularExpression::TRegularExpression() {
  cache_.push_back({std::string(), Compile(""), nullptr});
}

TRegularExpression::~TRegularExpression() = default;

namespace {

// Whether the node matches the empty text wherever it stands (an anchor does only at a line's
// start or end, so it is not counted).
bool MatchesNothingAnywhere(const REParseNode* node) {
  switch (node->kind) {
    case REParseNodeKind::Empty:
    case REParseNodeKind::Star:
      return true;
    case REParseNodeKind::Concat:
      return MatchesNothingAnywhere(node->left) && MatchesNothingAnywhere(node->right);
    case REParseNodeKind::Union:
      return MatchesNothingAnywhere(node->left) || MatchesNothingAnywhere(node->right);
    default:
      return false;
  }
}

bool HasAnchor(const REParseNode* node) {
  if (!node) return false;
  if (node->kind == REParseNodeKind::LineStart || node->kind == REParseNodeKind::LineEnd)
    return true;
  return HasAnchor(node->left) || HasAnchor(node->right);
}

// The node without the leading parts that may match nothing: every match of the node holds a
// match of the result, and every match of the result is one of the node (those parts empty).
// (An anchor anchors where a match begins or ends, which leaving a part out would move.)
REParseNode* WithoutEmptyLead(TREParseTree& tree, REParseNode* node) {
  if (node->kind != REParseNodeKind::Concat) return node;
  if (MatchesNothingAnywhere(node->left)) return WithoutEmptyLead(tree, node->right);
  REParseNode* left = WithoutEmptyLead(tree, node->left);
  return left == node->left ? node : tree.MakeNode(REParseNodeKind::Concat, left, node->right);
}

}  // namespace

std::unique_ptr<TRE_DFA> TRegularExpression::Compile(std::string_view pattern,
                                                     std::unique_ptr<TRE_DFA>* contains) {
  const int endPosition = int(pattern.size()) + 1;
  TREParser parser(pattern);
  parser.Run();
  TREParseTree& tree = parser.Tree();
  tree.MakeDisjoint();
  std::unique_ptr<TRE_DFA> dfa = std::make_unique<TRE_DFA>(TRE_NFA(tree, endPosition), endPosition);
  if (contains) {
    contains->reset();
    REParseNode* whole = tree.Root();
    if (REParseNode* core = HasAnchor(whole) ? whole : WithoutEmptyLead(tree, whole);
        core != whole) {
      tree.SetRoot(core);
      try {
        *contains = std::make_unique<TRE_DFA>(TRE_NFA(tree, endPosition), endPosition);
      } catch (const ERegExpParser&) {
        // Too big as well: the whole pattern answers, only slower.
      }
    }
  }
  return dfa;
}

void TRegularExpression::FallBackToEmpty() {
  current_ = 0;
  regExp_.clear();
}

void TRegularExpression::SetRegExp(std::string_view pattern) {
  std::string preprocessed;
  try {
    preprocessed = preProcessor_.Run(pattern, useSynonymDic_, useFuzzyCharDic_);
  } catch (...) {
    FallBackToEmpty();
    throw;
  }
  for (size_t i = 0; i < cache_.size(); ++i) {
    if (cache_[i].pattern == preprocessed) {
      current_ = int(i);
      regExp_ = std::string(pattern);
      return;
    }
  }
  if (cache_.size() >= size_t(CacheCapacity)) cache_.pop_back();
  cache_.insert(cache_.begin() + 1, CacheEntry{std::move(preprocessed), nullptr, nullptr});
  current_ = 1;
  try {
    cache_[1].dfa = Compile(cache_[1].pattern, &cache_[1].contains);
  } catch (...) {
    cache_.erase(cache_.begin() + 1);
    FallBackToEmpty();
    throw;
  }
  regExp_ = std::string(pattern);
}

void TRegularExpression::SetUseFuzzyCharDic(const bool use) {
  useFuzzyCharDic_ = use;
  SetRegExp(std::string(regExp_));
}

void TRegularExpression::SetUseSynonymDic(const bool use) {
  useSynonymDic_ = use;
  SetRegExp(std::string(regExp_));
}

}  // namespace vorn
