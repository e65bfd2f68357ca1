#include "threadview/QuickFilter.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <thread>

#include "analysis/ArticleSearch.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogList.h"
#include "regex/AWKStr.h"
#include "regex/REScanner.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// The characters the pattern engine reads as operators outside a class.
bool IsOperator(char c) {
  switch (c) {
    case '\\':
    case '$':
    case '(':
    case ')':
    case '*':
    case '+':
    case '.':
    case '?':
    case '[':
    case ']':
    case '^':
    case '|':
      return true;
    default:
      return false;
  }
}

// Results kept for deleting characters again.
constexpr size_t kResultsKept = 8;

}  // namespace

std::string EscapeRegExpText(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i]) && i + 1 < text.size()) {
      out.append(text.substr(i, 2));
      ++i;
      continue;
    }
    if (IsOperator(text[i])) out.push_back('\\');
    out.push_back(text[i]);
  }
  return out;
}

bool IsLiteralPattern(std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (IsLeadByte(pattern[i])) {
      ++i;
    } else if (IsOperator(pattern[i])) {
      return false;
    }
  }
  return true;
}

struct TQuickFilter::Engine {
  explicit Engine(const TMemberList& members) : lookup(members) {}

  // A short text of the entry (an ID, a handle) against the filter's text.
  bool TextMatches(std::string_view text) const {
    if (text.empty()) return false;
    return regExp ? awk.Contains(text) : ContainsText(text, word);
  }

  bool WriterMatches(const ArticleRecord& entry) {
    if (entry.WriteFlag != 0) return false;
    if (lookup.TextIds()) {
      const std::string_view id = entry.WriterIdText().View();
      return !id.empty() && (TextMatches(id) || TextMatches(lookup.TrueHandleOfText(id)));
    }
    if (entry.WriterId < 0) return false;
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, entry.WriterId).ptr;
    return TextMatches(std::string_view(digits, size_t(end - digits))) ||
           TextMatches(lookup.TrueHandleOf(entry.WriterId));
  }

  bool Matches(const TArticleList& board, int32_t order, int32_t position) {
    const ArticleRecord* entry = board.GetArticle(order, position);
    if (!entry || entry->Kind == ArticleKindMissingRoot) return false;
    // The writer first: it costs two short texts, the body may cost dozens of lines.
    return WriterMatches(*entry) || matcher->Matches(board, order, position);
  }

  TAWKStr awk;
  TMemberLookup lookup;
  std::unique_ptr<TArticleMatcher> matcher;
  bool regExp = false;
  std::string word;
};

namespace {

// Whether a pattern has an alternation outside parentheses: appending to it would not append
// to each of its branches.
bool HasTopLevelAlternation(std::string_view pattern) {
  int depth = 0;
  bool inClass = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (IsLeadByte(c) || c == '\\') {
      ++i;
    } else if (inClass) {
      inClass = c != ']';
    } else if (c == '[') {
      inClass = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == '|' && depth <= 0) {
      return true;
    }
  }
  return false;
}

// What the engines search for: a pattern, unless the text finds just itself without the fuzzy
// dictionaries, which a plain comparison does faster.
SearchCondition SearchOf(const QuickFilterCondition& c) {
  SearchCondition search;
  search.WordCheckType = c.Fuzzy || (c.RegExp && !IsLiteralPattern(c.Text));
  search.AwkFuzzy = c.Fuzzy;
  // A plain text with the fuzzy dictionaries is found by the pattern engine, as that text.
  search.SearchWord = c.Fuzzy && !c.RegExp ? EscapeRegExpText(c.Text) : c.Text;
  return search;
}

}  // namespace

TQuickFilter::TQuickFilter(const TMemberList& members, const TLogList& log)
    : members_(members), log_(log) {
  for (auto& engine : engines_)
    engine = std::make_unique<Engine>(members);
}

TQuickFilter::~TQuickFilter() = default;

bool TQuickFilter::SetCondition(const QuickFilterCondition& condition, std::string& warning) {
  warning.clear();
  if (condition == condition_ && (active_ || !condition.Active())) return true;
  active_ = false;
  condition_ = QuickFilterCondition{};
  rewritten_.clear();
  if (!condition.Active()) return true;
  const SearchCondition search = SearchOf(condition);
  try {
    for (auto& engine : engines_) {
      engine->matcher = std::make_unique<TArticleMatcher>(search, members_, log_, engine->awk);
      engine->regExp = search.WordCheckType;
      engine->word = search.SearchWord;
    }
    if (condition.Fuzzy)
      rewritten_ = engines_[0]->awk.PreProcessor().Run(search.SearchWord, false, true);
  } catch (const ERegExpParser& error) {
    for (auto& engine : engines_)
      engine->matcher.reset();
    warning = RegExpErrorReport(error, search.SearchWord, condition.Fuzzy);
    return false;
  }
  condition_ = condition;
  active_ = true;
  return true;
}

bool TQuickFilter::Matches(const TArticleList& board, int32_t order, int32_t position) {
  if (!board.GetArticle(order, position)) return false;
  return !active_ || engines_[0]->Matches(board, order, position);
}

std::string TQuickFilter::Rewritten(const QuickFilterCondition& condition) const {
  try {
    return engines_[0]->awk.PreProcessor().Run(SearchOf(condition).SearchWord, false, true);
  } catch (const ERegExpParser&) {
    return {};
  }
}

bool TQuickFilter::Narrows(const QuickFilterCondition& old) const {
  const QuickFilterCondition& c = condition_;
  if (old.RegExp != c.RegExp || old.Fuzzy != c.Fuzzy) return false;
  if (c.RegExp && !(IsLiteralPattern(c.Text) && IsLiteralPattern(old.Text))) return false;
  // Every text that holds the new one holds the old one.
  if (!c.Fuzzy) return ContainsText(c.Text, old.Text);
  // With the fuzzy dictionaries a character may stand for others, and a longer word for a
  // shorter one ("カ゛" is "ガ", which "カ" does not find): the new pattern must begin with the
  // old one, whole.
  const std::string before = Rewritten(old);
  return !before.empty() && rewritten_.starts_with(before) && !HasTopLevelAlternation(before);
}

const TQuickFilter::Result* TQuickFilter::Narrowest(const TArticleList& board, int32_t order,
                                                    int32_t count) const {
  const Result* best = nullptr;
  for (const Result& r : results_) {
    if (r.Board != &board || r.Order != order || r.Count != count) continue;
    if (r.Condition == condition_) return &r;
    if (!Narrows(r.Condition)) continue;
    if (!best || r.Condition.Text.size() > best->Condition.Text.size()) best = &r;
  }
  return best;
}

void TQuickFilter::MatchBoard(const TArticleList& board, int32_t order,
                              std::vector<uint8_t>& mask) {
  const int32_t n = board.OrderCount(order);
  mask.assign(size_t(n), 1);
  if (!active_) return;
  const Result* from = Narrowest(board, order, n);
  if (from && from->Condition == condition_) {
    mask = from->Mask;
    return;
  }
  auto test = [&](Engine& engine, int32_t begin, int32_t end) {
    for (int32_t p = begin; p < end; ++p) {
      mask[size_t(p)] = (!from || from->Mask[size_t(p)]) && engine.Matches(board, order, p);
    }
  };
  int32_t candidates = n;
  if (from) candidates = int32_t(std::count(from->Mask.begin(), from->Mask.end(), 1));
  bool split = candidates >= ParallelFrom && std::thread::hardware_concurrency() > 1;
  if (split) {
    // The halves hold as many positions to test each.
    int32_t middle = n / 2;
    if (from) {
      int32_t seen = 0;
      for (middle = 0; middle < n && seen < candidates / 2; ++middle)
        seen += from->Mask[size_t(middle)];
    }
    try {
      std::thread worker(test, std::ref(*engines_[1]), middle, n);
      test(*engines_[0], 0, middle);
      worker.join();
    } catch (const std::system_error&) {
      split = false;  // no thread to be had: all of it here
    }
  }
  if (!split) test(*engines_[0], 0, n);
  // A board's lines looked at once need not stay with the process.
  log_.ReleasePages();
  if (results_.size() >= kResultsKept) results_.pop_front();
  results_.push_back({&board, order, n, condition_, mask});
}

void TQuickFilter::Forget() {
  results_.clear();
  for (auto& engine : engines_)
    engine->lookup.Rebuild();
}

}  // namespace vorn
