#include "threadview/ArticleRowView.h"

#include <algorithm>

#include "store/ArticleList.h"

namespace vorn {

void TArticleRowView::ShowAll(int32_t count) {
  identity_ = true;
  count_ = std::max(count, 0);
  rows_.clear();
  collapsed_.clear();
}

void TArticleRowView::Build(const TArticleList& board, int32_t order, const RowViewRules& rules) {
  const int32_t n = board.OrderCount(order);
  const bool collapsing =
      !rules.Flat && order == ArticleSortTree && rules.Collapse && rules.Collapse->AnyCollapsed();
  ShowAll(n);
  if (!rules.Flat && !rules.Shown && !collapsing) return;
  identity_ = false;
  const std::vector<uint8_t>* shown = rules.Shown;
  auto isShown = [shown](int32_t p) {
    return !shown || (size_t(p) < shown->size() && (*shown)[size_t(p)] != 0);
  };
  if (rules.Flat || order != ArticleSortTree) {
    rows_.reserve(size_t(n));
    for (int32_t p = 0; p < n; ++p) {
      if (!isShown(p)) continue;
      if (rules.Flat && board.GetKind(order, p) == ArticleKindMissingRoot) continue;
      rows_.push_back(p);
    }
    return;
  }
  BuildTree(board, rules);
}

void TArticleRowView::BuildTree(const TArticleList& board, const RowViewRules& rules) {
  const int32_t n = count_;
  const std::vector<uint8_t>* shown = rules.Shown;
  auto isShown = [shown](int32_t p) {
    return !shown || (size_t(p) < shown->size() && (*shown)[size_t(p)] != 0);
  };
  rows_.reserve(size_t(n));
  int32_t top = 0;
  while (top < n) {
    int32_t end = top + 1;
    while (end < n && board.GetLevel(ArticleSortTree, end) > 0)
      ++end;
    const bool placeholder = board.GetKind(ArticleSortTree, top) == ArticleKindMissingRoot;
    // The first entry that shows (after the top, for a placeholder top), and whether another one
    // shows after it: a thread folds only when folding hides something, so that a thread without
    // replies is never marked as holding more.
    int32_t first = -1;
    bool more = false;
    for (int32_t p = placeholder ? top + 1 : top; p < end && !more; ++p) {
      if (!isShown(p)) continue;
      if (first < 0) {
        first = p;
      } else {
        more = true;
      }
    }
    const bool collapsed = more && rules.Collapse && rules.Collapse->IsCollapsed(board, top);
    const int32_t firstReply = placeholder ? first : -1;
    if (placeholder) {
      if (firstReply >= 0) {
        if (collapsed) collapsed_.push_back({int32_t(rows_.size()), {top, end}});
        rows_.push_back(top);
        if (collapsed) {
          rows_.push_back(firstReply);
        } else {
          for (int32_t p = firstReply; p < end; ++p) {
            if (isShown(p)) rows_.push_back(p);
          }
        }
      }
    } else if (collapsed) {
      collapsed_.push_back({int32_t(rows_.size()), {top, end}});
      rows_.push_back(first);
    } else {
      for (int32_t p = top; p < end; ++p) {
        if (isShown(p)) rows_.push_back(p);
      }
    }
    top = end;
  }
}

int32_t TArticleRowView::PositionAt(int32_t row) const {
  if (row < 0 || row >= RowCount()) return -1;
  return identity_ ? row : rows_[size_t(row)];
}

int32_t TArticleRowView::RowOf(int32_t position) const {
  if (position < 0 || position >= count_) return -1;
  if (identity_) return position;
  const auto found = std::lower_bound(rows_.begin(), rows_.end(), position);
  return found != rows_.end() && *found == position ? int32_t(found - rows_.begin()) : -1;
}

int32_t TArticleRowView::RowAtOrBefore(int32_t position) const {
  const int32_t rows = RowCount();
  if (rows == 0) return -1;
  if (identity_) return std::clamp(position, 0, rows - 1);
  const auto after = std::upper_bound(rows_.begin(), rows_.end(), position);
  return after == rows_.begin() ? 0 : int32_t(after - rows_.begin()) - 1;
}

ThreadExtent TArticleRowView::CollapsedThreadAt(int32_t row) const {
  const auto found = std::lower_bound(collapsed_.begin(), collapsed_.end(), row,
                                      [](const CollapsedRow& c, int32_t r) { return c.Row < r; });
  return found != collapsed_.end() && found->Row == row ? found->Thread : ThreadExtent{};
}

}  // namespace vorn
