#include "threadview/QuickFilter.h"

#include <charconv>

#include "analysis/ArticleSearch.h"
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

TQuickFilter::TQuickFilter(const TMemberList& members, const TLogList& log)
    : members_(members), log_(log), lookup_(members) {}

TQuickFilter::~TQuickFilter() = default;

bool TQuickFilter::SetCondition(const QuickFilterCondition& condition, std::string& warning) {
  warning.clear();
  if (condition == condition_ && (matcher_ || !condition.Active())) return true;
  matcher_.reset();
  condition_ = QuickFilterCondition{};
  if (!condition.Active()) return true;
  SearchCondition search;
  // A plain text with the fuzzy dictionaries is found by the pattern engine, as that text.
  search.WordCheckType = condition.RegExp || condition.Fuzzy;
  search.AwkFuzzy = condition.Fuzzy;
  search.SearchWord = condition.RegExp  ? condition.Text
                      : condition.Fuzzy ? EscapeRegExpText(condition.Text)
                                        : condition.Text;
  try {
    matcher_ = std::make_unique<TArticleMatcher>(search, members_, log_, awk_);
  } catch (const ERegExpParser& error) {
    warning = RegExpErrorReport(error, search.SearchWord, condition.Fuzzy);
    return false;
  }
  condition_ = condition;
  regExp_ = search.WordCheckType;
  return true;
}

bool TQuickFilter::TextMatches(std::string_view text) const {
  if (text.empty()) return false;
  return regExp_ ? awk_.Match(text) > 0 : ContainsText(text, condition_.Text);
}

bool TQuickFilter::WriterMatches(const ArticleRecord& entry) {
  if (entry.WriteFlag != 0) return false;
  if (members_.TextIds) {
    const std::string_view id = entry.WriterIdText.View();
    return !id.empty() && (TextMatches(id) || TextMatches(lookup_.TrueHandleOfText(id)));
  }
  if (entry.WriterId < 0) return false;
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, entry.WriterId).ptr;
  return TextMatches(std::string_view(digits, size_t(end - digits))) ||
         TextMatches(lookup_.TrueHandleOf(entry.WriterId));
}

bool TQuickFilter::Matches(const TArticleList& board, int32_t order, int32_t position) {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!entry) return false;
  if (!matcher_) return true;
  if (entry->Kind == ArticleKindMissingRoot) return false;
  // The writer first: it costs two short texts, the body may cost dozens of lines.
  return WriterMatches(*entry) || matcher_->Matches(board, order, position);
}

const TQuickFilter::Result* TQuickFilter::Narrowest(const TArticleList& board, int32_t order,
                                                    int32_t count) const {
  const QuickFilterCondition& c = condition_;
  const bool literal = !c.Fuzzy && (!c.RegExp || IsLiteralPattern(c.Text));
  const Result* best = nullptr;
  for (const Result& r : results_) {
    if (r.Board != &board || r.Order != order || r.Count != count) continue;
    if (r.Condition == c) return &r;
    if (!literal || r.Condition.RegExp != c.RegExp || r.Condition.Fuzzy != c.Fuzzy) continue;
    if (c.RegExp && !IsLiteralPattern(r.Condition.Text)) continue;
    // Every text that holds the new one holds the old one.
    if (!ContainsText(c.Text, r.Condition.Text)) continue;
    if (!best || r.Condition.Text.size() > best->Condition.Text.size()) best = &r;
  }
  return best;
}

void TQuickFilter::MatchBoard(const TArticleList& board, int32_t order,
                              std::vector<uint8_t>& mask) {
  const int32_t n = board.OrderCount(order);
  mask.assign(size_t(n), 1);
  if (!matcher_) return;
  const Result* from = Narrowest(board, order, n);
  if (from && from->Condition == condition_) {
    mask = from->Mask;
    return;
  }
  for (int32_t p = 0; p < n; ++p) {
    if (from && from->Mask[size_t(p)] == 0) {
      mask[size_t(p)] = 0;
      continue;
    }
    mask[size_t(p)] = Matches(board, order, p) ? 1 : 0;
  }
  if (results_.size() >= kResultsKept) results_.pop_front();
  results_.push_back({&board, order, n, condition_, mask});
}

void TQuickFilter::Forget() {
  results_.clear();
  lookup_.Rebuild();
}

}  // namespace vorn
