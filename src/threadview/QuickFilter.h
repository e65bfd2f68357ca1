#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/DisplayTexts.h"
#include "regex/AWKStr.h"

namespace vorn {

class TArticleList;
class TArticleMatcher;
class TLogList;
class TMemberList;

// What the quick filter bar holds.
struct QuickFilterCondition {
  std::string Text;     // CP932; empty = no filter
  bool RegExp = false;  // the text is a regular expression (otherwise a plain text)
  bool Fuzzy = false;   // full-width, half-width and kana forms match each other
  bool Active() const { return !Text.empty(); }
  bool operator==(const QuickFilterCondition&) const = default;
};

// A plain text as a regular expression that finds exactly that text: every character the
// engine reads as an operator is preceded by a backslash. Double-byte characters stay whole.
std::string EscapeRegExpText(std::string_view text);

// Whether a pattern holds no operator at all, so that it finds just its own text.
bool IsLiteralPattern(std::string_view pattern);

// The quick filter: an article passes when the window's text search finds the text in it
// (title, the parent's title, body lines; plain, regular expression, or either with the fuzzy
// dictionaries), or when its writer's ID or handle holds the text. Placeholders never pass.
//
// The filter has its own pattern engine, so the search command's condition is never disturbed.
// Typing narrows: when the new text only adds to the last one (a plain text, or a pattern
// without operators, without the fuzzy dictionaries, which may find a longer word where a
// shorter one is missing), only the articles that passed the last text are tested again. The
// last few results are kept, so deleting characters again costs nothing.
class TQuickFilter final {
 public:
  // The member list (for handles) and the log lines are read, never changed; both must outlive
  // the filter.
  TQuickFilter(const TMemberList& members, const TLogList& log);
  ~TQuickFilter();
  TQuickFilter(const TQuickFilter&) = delete;
  TQuickFilter& operator=(const TQuickFilter&) = delete;

  // False with the warning to show (CP932) when the pattern is refused; the filter is then off.
  bool SetCondition(const QuickFilterCondition& condition, std::string& warning);
  const QuickFilterCondition& Condition() const { return condition_; }
  bool Active() const { return matcher_ != nullptr; }

  // Whether the entry at a position passes (every entry passes while the filter is off).
  bool Matches(const TArticleList& board, int32_t order, int32_t position);
  // One byte per position of the order: 1 for the entries that pass.
  void MatchBoard(const TArticleList& board, int32_t order, std::vector<uint8_t>& mask);
  // The boards changed (entries added, removed or sorted again): results kept so far are not
  // reused.
  void Forget();

 private:
  struct Result {
    const TArticleList* Board;
    int32_t Order;
    int32_t Count;
    QuickFilterCondition Condition;
    std::vector<uint8_t> Mask;
  };
  bool WriterMatches(const ArticleRecord& entry);
  bool TextMatches(std::string_view text) const;
  const Result* Narrowest(const TArticleList& board, int32_t order, int32_t count) const;

  const TMemberList& members_;
  const TLogList& log_;
  TAWKStr awk_;
  TMemberLookup lookup_;
  QuickFilterCondition condition_;
  bool regExp_ = false;
  std::unique_ptr<TArticleMatcher> matcher_;
  std::string idText_;
  std::deque<Result> results_;
};

}  // namespace vorn
