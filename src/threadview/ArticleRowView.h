#pragma once

#include <cstdint>
#include <vector>

#include "threadview/ThreadOutline.h"

namespace vorn {

class TArticleList;

// What decides the rows of a board besides its order.
struct RowViewRules {
  // One byte per position of the order; 0 hides the entry. Null shows every entry.
  const std::vector<uint8_t>* Shown = nullptr;
  // A filter is on: the entries it lets through, in order, as a plain list. Placeholders never
  // show and threads are not collapsed.
  bool Flat = false;
  // The collapsed threads (tree order only, and not in a flat list).
  const TThreadCollapse* Collapse = nullptr;
};

// The rows the grid shows of one board in one order: which position each row stands for. Rows
// keep the order of their positions. Without hidden entries or collapsed threads every position
// is a row (row = position), which costs nothing to build.
//
// In tree order a collapsed thread shows its first entry only; when that is a placeholder, which
// the grid never lands on, its first shown reply shows too, so the thread can be reached from
// the keyboard. A placeholder shows while any entry of its thread shows.
class TArticleRowView final {
 public:
  // Every position of an order of count positions, one row each.
  void ShowAll(int32_t count);
  void Build(const TArticleList& board, int32_t order, const RowViewRules& rules);

  int32_t RowCount() const { return identity_ ? count_ : int32_t(rows_.size()); }
  // The position a row stands for; -1 outside the rows.
  int32_t PositionAt(int32_t row) const;
  // The row of a position; -1 when it is hidden or outside the order.
  int32_t RowOf(int32_t position) const;
  // The last row whose position is the position or before it; the first row when every row
  // lies after it; -1 without rows.
  int32_t RowAtOrBefore(int32_t position) const;
  // Every position has its row.
  bool ShowsEverything() const { return identity_; }
  // The thread a row stands for when the row is the first of a collapsed thread; invalid
  // otherwise.
  ThreadExtent CollapsedThreadAt(int32_t row) const;
  // Positions of the order the rows were built from.
  int32_t PositionCount() const { return count_; }

 private:
  struct CollapsedRow {
    int32_t Row;
    ThreadExtent Thread;
  };
  void BuildTree(const TArticleList& board, const RowViewRules& rules);

  bool identity_ = true;
  int32_t count_ = 0;
  std::vector<int32_t> rows_;
  std::vector<CollapsedRow> collapsed_;
};

}  // namespace vorn
