#pragma once

#include <compare>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "regex/REScanner.h"

namespace vorn {

enum class REParseNodeKind : uint8_t { Range, LineStart, LineEnd, Concat, Union, Star, Empty };

struct RECharRange {
  RECharCode low = 0;
  RECharCode high = 0;
  friend auto operator<=>(const RECharRange&, const RECharRange&) = default;
};

struct REParseNode {
  REParseNodeKind kind = REParseNodeKind::Empty;
  RECharRange range;             // Range
  char anchor = 0;               // LineStart, LineEnd: the character that produced the node
  REParseNode* left = nullptr;   // Concat, Union; the operand of Star
  REParseNode* right = nullptr;  // Concat, Union
  // Range, after MakeDisjoint: the pieces the range is made of, ascending.
  std::vector<RECharRange> pieces;
};

// Owns every node of one parse tree. Range leaves are shared: the same bounds give the same leaf.
// Nodes may be reached along more than one path ("a+" uses "a" twice).
class TREParseTree final {
 public:
  REParseNode* MakeLeaf(RECharCode low, RECharCode high);
  REParseNode* MakeAnchor(REParseNodeKind kind, char anchor);
  REParseNode* MakeNode(REParseNodeKind kind, REParseNode* left = nullptr,
                        REParseNode* right = nullptr);

  // Cuts the leaves into pieces so that any two leaves are made of either the same or disjoint
  // pieces; the automata then group transitions by exact range.
  void MakeDisjoint();

  REParseNode* Root() const { return root_; }
  void SetRoot(REParseNode* root) { root_ = root; }
  const std::vector<REParseNode*>& Leaves() const { return leaves_; }

 private:
  std::vector<std::unique_ptr<REParseNode>> nodes_;
  std::map<RECharRange, REParseNode*> leafIndex_;
  std::vector<REParseNode*> leaves_;
  REParseNode* root_ = nullptr;
};

// Recursive-descent parser:
//   expression = term { "|" term }
//   term       = { factor }            (empty before "|", ")" and the end)
//   factor     = primary [ "*" | "+" | "?" ]
//   primary    = literal | "(" expression ")" | class | negated class | "." | "^" | "$"
class TREParser final {
 public:
  explicit TREParser(std::string_view pattern);

  // Parses the whole pattern into Tree(); raises ERegExpParser.
  void Run();
  TREParseTree& Tree() { return tree_; }

  // Everything but NUL, LF and CR: the ranges of ".".
  static const std::vector<RECharRange>& AnyCharRanges();

 private:
  REParseNode* Expression();
  REParseNode* Term();
  REParseNode* Factor();
  REParseNode* Primary();
  REParseNode* CharClass(bool negated);
  REParseNode* UnionOfRanges(const std::vector<RECharRange>& ranges);
  const REToken& Next() { return scanner_.GetToken(); }
  const REToken& Token() const { return scanner_.Token(); }
  [[noreturn]] void Fail(RegExpError error) const;

  TREScanner scanner_;
  TREParseTree tree_;
  int depth_ = 0;
};

}  // namespace vorn
