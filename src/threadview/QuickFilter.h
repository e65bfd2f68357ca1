#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
// The filter has its own pattern engines, so the search command's condition is never disturbed.
// Typing narrows: when every article the new text lets through is sure to hold the last text
// too (the new text adds to the last one and neither has an operator; with the fuzzy
// dictionaries, the rewritten pattern of the last text begins the new one), only the articles
// that passed the last text are tested again. The last few results are kept, so deleting
// characters again costs nothing. A big board is tested in two halves at once, the second on a
// worker thread with an engine of its own; the boards, the log and the member list are only
// read meanwhile, and the caller waits for both halves.
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
  bool Active() const { return active_; }

  // Whether the entry at a position passes (every entry passes while the filter is off).
  bool Matches(const TArticleList& board, int32_t order, int32_t position);
  // One byte per position of the order: 1 for the entries that pass.
  void MatchBoard(const TArticleList& board, int32_t order, std::vector<uint8_t>& mask);
  // The boards or the members changed (entries added, removed or sorted again): results kept
  // so far are not reused.
  void Forget();

  // Boards with fewer positions to test are tested on the calling thread alone.
  static constexpr int32_t ParallelFrom = 20000;

 private:
  // What tests one entry: a pattern engine, the text search on it, member handles. One per
  // thread.
  struct Engine;
  struct Result {
    const TArticleList* Board;
    int32_t Order;
    int32_t Count;
    QuickFilterCondition Condition;
    std::vector<uint8_t> Mask;
  };
  const Result* Narrowest(const TArticleList& board, int32_t order, int32_t count) const;
  bool Narrows(const QuickFilterCondition& old) const;
  std::string Rewritten(const QuickFilterCondition& condition) const;

  const TMemberList& members_;
  const TLogList& log_;
  std::unique_ptr<Engine> engines_[2];
  QuickFilterCondition condition_;
  bool active_ = false;
  // The pattern the engines compile for the condition, after the fuzzy dictionaries.
  std::string rewritten_;
  std::deque<Result> results_;
};

}  // namespace vorn
