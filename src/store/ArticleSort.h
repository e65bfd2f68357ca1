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
  explicit ArticleSorter(TArticleList& list) : list_(list) {}
  // False when the posting order could not be built (memory).
  bool Run();

 private:
  void RebaseAndCollect();
  bool OrderByTimeAndKey();
  void MarkMaintained();
  bool BuildTreeOrder();
  bool BuildNormalOrder();

  TArticleList& list_;
  std::vector<OrderEntry> entries_;
};

}  // namespace vorn
