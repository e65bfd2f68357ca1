#pragma once

#include <cstdint>
#include <vector>

#include "threadview/ArticleRowView.h"
#include "threadview/ThreadOutline.h"

namespace vorn {

class TArticleFlags;
class TArticleList;
class TQuickFilter;
class TThreadLists;
class TWriterLists;

// The reading aids that decide which rows the grid shows of a board.
struct GridRowRules {
  // The quick filter; it filters only while it holds a text.
  TQuickFilter* Filter = nullptr;
  // Flagged articles only (needs Flags).
  bool FlaggedOnly = false;
  const TArticleFlags* Flags = nullptr;
  // Ignored writers' and threads' articles are hidden (otherwise the grid only greys them).
  bool HideIgnored = false;
  const TWriterLists* Writers = nullptr;
  const TThreadCollapse* Collapse = nullptr;
  // The watched and ignored threads (for HideIgnored).
  const TThreadLists* Threads = nullptr;
  // Unread articles only: a filter of its own, taken when the rows are built, so that an
  // article read afterwards keeps its row until the board is shown again.
  bool UnreadOnly = false;
};

// The rows of one board under the reading aids. The window's grid and vornexpl-cli build their
// rows here, so both show the same articles. A filter (the quick filter, flagged articles only,
// unread articles only) lists the articles it lets through in order, threads open; otherwise
// every article shows, ignored writers' and threads' ones unless they are hidden, and
// collapsed threads fold in tree order.
class TGridRows final {
 public:
  void Build(const TArticleList& board, int32_t order, const GridRowRules& rules);
  // Every position of an order of count positions, one row each, nothing filtered (a board
  // shown without the aids).
  void ShowAll(int32_t count, int32_t order);

  const TArticleRowView& View() const { return view_; }
  // A filter decides the rows.
  bool Filtering() const { return filtering_; }
  // Articles (not placeholders) that the filters let through, and all of them: the status
  // bar's "N of M".
  int32_t ShownArticles() const { return shownArticles_; }
  int32_t TotalArticles() const { return totalArticles_; }
  // Whether the filters let the entry at a position through (whether or not a collapsed thread
  // hides its row).
  bool Passes(int32_t position) const;
  // The counts of a collapsed thread, over the articles the filters let through.
  ThreadCounts CountsOf(const TArticleList& board, const ThreadExtent& thread) const;
  // The first unread article after a position that the filters let through, collapsed or not;
  // -1 when there is none.
  int32_t NextUnread(const TArticleList& board, int32_t after) const;

 private:
  TArticleRowView view_;
  int32_t order_ = 0;
  bool filtering_ = false;
  bool masked_ = false;
  std::vector<uint8_t> shown_;
  std::vector<uint8_t> scratch_;
  int32_t shownArticles_ = 0;
  int32_t totalArticles_ = 0;
};

}  // namespace vorn
