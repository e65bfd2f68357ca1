#include "regex/REParser.h"

#include <algorithm>

namespace vorn {

REParseNode* TREParseTree::MakeLeaf(const RECharCode low, const RECharCode high) {
  const RECharRange range{low, high};
  if (const auto found = leafIndex_.find(range); found != leafIndex_.end()) return found->second;
  REParseNode* leaf = MakeNode(REParseNodeKind::Range);
  leaf->range = range;
  leafIndex_.emplace(range, leaf);
  leaves_.push_back(leaf);
  return leaf;
}

REParseNode* TREParseTree::MakeAnchor(const REParseNodeKind kind, const char anchor) {
  // Where an anchor cannot anchor, the automaton matches its own character instead, and where it
  // can, a pseudo-character. Both must take part in cutting the leaves, or a class holding the
  // character would overlap that transition and one of the two would be lost.
  MakeLeaf(static_cast<unsigned char>(anchor), static_cast<unsigned char>(anchor));
  const RECharCode pseudo = kind == REParseNodeKind::LineStart ? RE_LineStartCode : RE_LineEndCode;
  MakeLeaf(pseudo, pseudo);
  REParseNode* node = MakeNode(kind);
  node->anchor = anchor;
  return node;
}

REParseNode* TREParseTree::MakeNode(const REParseNodeKind kind, REParseNode* left,
                                    REParseNode* right) {
  nodes_.push_back(std::make_unique<REParseNode>());
  REParseNode* node = nodes_.back().get();
  node->kind = kind;
  node->left = left;
  node->right = right;
  return node;
}

void TREParseTree::MakeDisjoint() {
  // Every place where some leaf starts or ends cuts every leaf that spans it; cutting at all of
  // them at once gives the same pieces as splitting overlapping pairs until none is left.
  std::vector<uint32_t> cuts;
  cuts.reserve(leaves_.size() * 2);
  for (const REParseNode* leaf : leaves_) {
    cuts.push_back(leaf->range.low);
    cuts.push_back(uint32_t(leaf->range.high) + 1);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  for (REParseNode* leaf : leaves_) {
    leaf->pieces.clear();
    auto at = std::lower_bound(cuts.begin(), cuts.end(), uint32_t(leaf->range.low));
    const uint32_t end = uint32_t(leaf->range.high) + 1;
    while (*at < end) {
      const uint32_t next = *(at + 1);  // `end` itself is a cut, so this stays inside
      leaf->pieces.push_back({RECharCode(*at), RECharCode(next - 1)});
      ++at;
    }
  }
}

namespace {

// Deeper nesting than any search word needs would only risk the stack.
constexpr int kMaxGroupDepth = 1000;

// The ranges without the codes of `cut`.
std::vector<RECharRange> Without(const std::vector<RECharRange>& ranges, const RECharRange& cut) {
  std::vector<RECharRange> left;
  for (const RECharRange& r : ranges) {
    if (cut.high < r.low || cut.low > r.high) {
      left.push_back(r);
      continue;
    }
    if (r.low < cut.low) left.push_back({r.low, RECharCode(cut.low - 1)});
    if (cut.high < r.high) left.push_back({RECharCode(cut.high + 1), r.high});
  }
  return left;
}

}  // namespace

TREParser::TREParser(std::string_view pattern) : scanner_(pattern) {}

void TREParser::Fail(const RegExpError error) const {
  throw ERegExpParser(error, Token().start + 1);
}

const std::vector<RECharRange>& TREParser::AnyCharRanges() {
  static const std::vector<RECharRange> ranges = {{1, 9}, {11, 12}, {14, RE_MaxCharCode}};
  return ranges;
}

void TREParser::Run() {
  Next();
  REParseNode* root = Expression();
  if (Token().kind != RETokenKind::End) Fail(RegExpError::ExtraCharacters);
  tree_.SetRoot(root);
}

REParseNode* TREParser::Expression() {
  REParseNode* node = Term();
  while (Token().kind == RETokenKind::Alternation) {
    Next();
    node = tree_.MakeNode(REParseNodeKind::Union, node, Term());
  }
  return node;
}

REParseNode* TREParser::Term() {
  const auto endsTerm = [](RETokenKind kind) {
    return kind == RETokenKind::Alternation || kind == RETokenKind::GroupClose ||
           kind == RETokenKind::End;
  };
  if (endsTerm(Token().kind)) return tree_.MakeNode(REParseNodeKind::Empty);
  REParseNode* node = Factor();
  while (!endsTerm(Token().kind))
    node = tree_.MakeNode(REParseNodeKind::Concat, node, Factor());
  return node;
}

REParseNode* TREParser::Factor() {
  REParseNode* node = Primary();
  switch (Token().kind) {
    case RETokenKind::Star:
      node = tree_.MakeNode(REParseNodeKind::Star, node);
      break;
    case RETokenKind::Plus:
      node = tree_.MakeNode(REParseNodeKind::Concat, node,
                            tree_.MakeNode(REParseNodeKind::Star, node));
      break;
    case RETokenKind::Optional:
      node = tree_.MakeNode(REParseNodeKind::Union, node, tree_.MakeNode(REParseNodeKind::Empty));
      break;
    default:
      return node;
  }
  const RETokenKind after = Next().kind;
  if (after == RETokenKind::Star || after == RETokenKind::Plus || after == RETokenKind::Optional) {
    Fail(RegExpError::OrdinaryCharacterNeeded);
  }
  return node;
}

REParseNode* TREParser::Primary() {
  const REToken& token = Token();
  REParseNode* node = nullptr;
  switch (token.kind) {
    case RETokenKind::Literal:
      node = tree_.MakeLeaf(token.low, token.low);
      Next();
      return node;
    case RETokenKind::GroupOpen:
      if (++depth_ > kMaxGroupDepth) Fail(RegExpError::TooComplex);
      Next();
      node = Expression();
      if (Token().kind != RETokenKind::GroupClose) Fail(RegExpError::ClosingParenthesisNeeded);
      --depth_;
      Next();
      return node;
    case RETokenKind::ClassOpen:
      return CharClass(false);
    case RETokenKind::NegatedClassOpen:
      return CharClass(true);
    case RETokenKind::AnyChar:
      Next();
      return UnionOfRanges(AnyCharRanges());
    case RETokenKind::LineStart:
      Next();
      return tree_.MakeAnchor(REParseNodeKind::LineStart, '^');
    case RETokenKind::LineEnd:
      Next();
      return tree_.MakeAnchor(REParseNodeKind::LineEnd, '$');
    default:
      Fail(RegExpError::OrdinaryCharacterNeeded);
  }
}

REParseNode* TREParser::UnionOfRanges(const std::vector<RECharRange>& ranges) {
  REParseNode* node = nullptr;
  for (const RECharRange& r : ranges) {
    REParseNode* leaf = tree_.MakeLeaf(r.low, r.high);
    node = node ? tree_.MakeNode(REParseNodeKind::Union, node, leaf) : leaf;
  }
  return node;
}

REParseNode* TREParser::CharClass(const bool negated) {
  std::vector<RECharRange> members;
  // Only members, ranges and the closing bracket come out of the scanner in bracket mode.
  while (Next().kind != RETokenKind::ClassClose)
    members.push_back({Token().low, Token().high});
  // A range over the codes of a line's start and end (which no text holds, and an escape may
  // not name) leaves them out, or it would match where lines happen to end.
  if (!negated) members = Without(members, {RE_LineStartCode, RE_LineEndCode});
  if (members.empty()) Fail(RegExpError::InvalidCharacterClass);
  if (negated) {
    std::vector<RECharRange> left = AnyCharRanges();
    for (const RECharRange& m : members)
      left = Without(left, m);
    if (left.empty()) Fail(RegExpError::EmptyNegatedClass);
    members = std::move(left);
  }
  Next();
  return UnionOfRanges(members);
}

}  // namespace vorn
