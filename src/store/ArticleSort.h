#pragma once

#include <cstdint>
#include <vector>

#include "store/ReplyIndex.h"

namespace vorn {

class TArticleList;

// One SortArticles of a board: rebase, order by (time, key), mark the entries before the last
// restart of article numbers, build the tree order with its placeholders and the posting
// order. The steps give what the plain exchange sorts and reply scans give (entries equal in
// both time and key keep their storage order), in O(n log n): one pass over the records takes
// what ordering needs into a compact table, the records are moved once, and the reply tree is
// built from an index instead of scanning the rest of the board for every parent.
class ArticleSorter final {
 public:
  // A quiet sorter never reaches the window, so that it may run on a thread of its own: it
  // processes no messages and only notes a shortage of memory (ShortOfMemory) for the thread
  // that owns the window to tell.
  explicit ArticleSorter(TArticleList& list, bool quiet = false) : list_(list), quiet_(quiet) {}
  // False when the posting order could not be built (memory).
  bool Run();
  bool ShortOfMemory() const { return short_; }

  // Sorts every list (null ones are passed by), lists side by side on up to `threads` threads:
  // the calling thread sorts too and alone processes the window's messages and tells of a
  // shortage of memory. The result is that of sorting the lists one after another. False when a
  // list's posting order could not be built.
  static bool SortAll(const std::vector<TArticleList*>& lists, int32_t threads);

 private:
  void PumpEvery(int64_t step) const;
  void Short();
  void RebaseAndCollect();
  bool OrderByTimeAndKey();
  void MarkMaintained();
  bool BuildTreeOrder();
  bool BuildNormalOrder();

  TArticleList& list_;
  const bool quiet_;
  bool short_ = false;
  std::vector<OrderEntry> entries_;
};

}  // namespace vorn
