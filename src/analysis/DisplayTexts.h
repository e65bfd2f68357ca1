#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/ArticleRecord.h"

namespace vorn {

class TArticleList;
class TBBSProcess;
class TLogList;
class TMemberList;

// The texts the window shows of the loaded data: board list lines, the three cells of an
// article row, the lines of the article view. The grid asks for visible rows only, so a row
// costs a few short strings; whatever spans a whole board (tree prefixes, member lookup) is
// prepared once per board and order.

// One line of the board list: the type and attribute letters, the number of articles (queued
// writes not counted), the board's padded label and its title.
// Example: "--(   4)   1:general  / <title>".
std::string BoardListLine(const TBBSProcess& process, int32_t boardIndex);

// The lines of every board in store order. Clears each board's Modified flag: the writes the
// board holds now are those the UP and PAD files hold.
std::vector<std::string> FillBoardList(TBBSProcess& process);

// The strings the reply tree is drawn with: indentation without a line, a line passing down,
// a branch to a node with a later sibling, a branch to the last sibling.
struct TreeStrings {
  std::string Blank;
  std::string Vert;
  std::string Branch;
  std::string Last;
};
// For the common setting TreeLineType (0 none, 1 half-width characters, 2 full-width
// characters, 3 drawn); other values draw nothing, as 0 does.
TreeStrings TreeStringsFor(int32_t treeLineType);

// Finds members by ID the way the member list's FindIdNo and FindIdText do (the first live
// entry), in constant time. Follows the list by its member count and deleted count; call
// Rebuild after the list was sorted or rebuilt with the same counts.
class TMemberLookup final {
 public:
  explicit TMemberLookup(const TMemberList& members);

  int32_t FindIdNo(int32_t id);
  int32_t FindIdText(std::string_view id);
  // The true handle of the member with the ID; empty when there is none.
  std::string_view TrueHandleOf(int32_t id);
  std::string_view TrueHandleOfText(std::string_view id);
  bool TextIds() const;
  void Rebuild();

 private:
  void Follow();

  const TMemberList& members_;
  bool built_ = false;
  int32_t count_ = 0;
  int32_t deleted_ = 0;
  std::unordered_map<int32_t, int32_t> byNumber_;
  std::unordered_map<std::string, int32_t> byText_;
};

// The three cells of one grid row.
struct ArticleCells {
  std::string Number;  // state marks and number, after the tree prefix in tree order
  std::string Writer;  // ID and handle
  std::string Title;
};

// The number cell of an entry without tree prefix: "B"/"S" for binary articles, then the
// number between the marks of its maintained and new state ("(n)", "|n|", "<n>", "[n]"),
// "-n-" for a placeholder, "-不明-" without a number; a queued write shows "[書込]".
void AppendNumberText(const ArticleRecord& entry, std::string& out);

// The rows of one board in one order, as the article grid shows them. The board and the
// member list are read, never changed. Positions are those of the order; a position outside
// it gives three empty cells (a board without articles shows one such row). Make a new object
// (or call Refresh) after the board was sorted again.
class TArticleRows final {
 public:
  TArticleRows(const TArticleList& board, int32_t order, const TMemberList& members,
               int32_t treeLineType);

  int32_t Count() const;
  int32_t Order() const { return order_; }

  // The cells of one position.
  ArticleCells ArticleCellTexts(int32_t position);
  void ArticleCellTexts(int32_t position, ArticleCells& cells);
  // The tree prefix of a position (empty in posting order).
  std::string TreePrefix(int32_t position);

  void Refresh();

 private:
  void BuildTree();
  void AppendTreePrefix(int32_t position, std::string& out);
  void WriterText(const ArticleRecord& entry, std::string& out);

  const TArticleList& board_;
  const int32_t order_;
  TMemberLookup members_;
  const TreeStrings tree_;
  // Tree prefixes, built on first use: for each position, the depth-continues flags its
  // prefix is drawn from (one byte per depth, at most 256) and its level.
  bool treeBuilt_ = false;
  std::vector<uint32_t> flagStart_;
  std::vector<uint8_t> flags_;
};

// What the article view receives for a position.
struct ArticleViewText {
  enum Kind : int32_t {
    // The board holds nothing in this order: empty view; article export, board export and
    // printing disabled.
    NoArticle,
    // An entry without text (a placeholder, a write without lines): empty view; article export
    // and printing disabled.
    NoText,
    // Lines to show.
    Text,
  };
  Kind Result = NoArticle;
  std::vector<std::string> Lines;
};

// A queued write gives its own text lines; a log article its log lines FirstLine to LastLine
// (from the first line, whatever the analyser's HeaderOffset).
ArticleViewText ArticleViewLines(const TArticleList* board, int32_t order, int32_t position,
                                 const TLogList& log);

}  // namespace vorn
