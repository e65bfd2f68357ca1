#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vorn {

class TArticleList;
class TBoardList;

// Threads as tree order lays them out: a thread is an entry of level 0 (a root, a mail, the
// placeholder standing for a root that is not in the logs) and the replies that follow it up
// to the next entry of level 0.

// The positions [Top, End) of one thread in tree order.
struct ThreadExtent {
  int32_t Top = -1;
  int32_t End = -1;
  bool Valid() const { return Top >= 0 && End > Top; }
  bool Contains(int32_t position) const { return position >= Top && position < End; }
  bool operator==(const ThreadExtent&) const = default;
};

// The thread a position of tree order belongs to; invalid outside the order.
ThreadExtent ThreadAt(const TArticleList& board, int32_t treePosition);

// The position in tree order of the entry at a position of an order (the same position in tree
// order itself); -1 outside the order.
int32_t TreePositionOf(const TArticleList& board, int32_t order, int32_t position);

// What a collapsed thread tells about itself: the articles under its first one, and the unread
// articles it holds, its first one included. Placeholders are never counted.
struct ThreadCounts {
  int32_t Replies = 0;
  int32_t Unread = 0;
  bool operator==(const ThreadCounts&) const = default;
};

// Counts a thread of tree order. shown, when given, holds one byte per position of tree order;
// entries whose byte is 0 (hidden from the grid) are not counted.
ThreadCounts CountThread(const TArticleList& board, const ThreadExtent& thread,
                         const std::vector<uint8_t>* shown = nullptr);

// Which threads of one board are collapsed. A thread is known by its first entry's stored key,
// time and kind, so it stays collapsed when the board is sorted again (a write added or
// deleted). Collapsing all is one switch, not a walk: the threads named afterwards are the
// exceptions to it.
class TThreadCollapse final {
 public:
  bool IsCollapsed(const TArticleList& board, int32_t top) const;
  // top is the first position of a thread in tree order; other positions are refused.
  bool SetCollapsed(const TArticleList& board, int32_t top, bool collapsed);
  void CollapseAll();
  void ExpandAll();
  // Whether any thread may be collapsed (false when nothing is: the grid shows every row).
  bool AnyCollapsed() const { return allCollapsed_ || !exceptions_.empty(); }

 private:
  struct ThreadId {
    int32_t Key;
    int32_t Time;
    bool Placeholder;
    bool operator==(const ThreadId&) const = default;
  };
  struct ThreadIdHash {
    size_t operator()(const ThreadId& id) const;
  };
  static bool IdOf(const TArticleList& board, int32_t top, ThreadId& id);

  bool allCollapsed_ = false;
  // Threads that are collapsed (allCollapsed_ false) or expanded (allCollapsed_ true).
  std::unordered_set<ThreadId, ThreadIdHash> exceptions_;
};

// Catch-up. Both mark articles read as reading them does, leaving their new marks alone, and
// return how many were unread.
// Every article of the thread the entry at a position of an order belongs to.
int32_t MarkThreadRead(TArticleList& board, int32_t order, int32_t position);
// Every article of the board.
int32_t MarkBoardRead(TArticleList& board);

// The articles of a board as its line in the board list counts them: the user's queued writes
// are not counted.
struct BoardCounts {
  int32_t Total = 0;
  int32_t Unread = 0;
  bool operator==(const BoardCounts&) const = default;
};
BoardCounts CountBoard(const TArticleList* board);

// The board to go on reading unread articles in, as BoardWithUnreadAfter finds it, counting only
// the unread articles that shows lets through (what the reading aids hide is passed over).
int32_t BoardWithShownUnreadAfter(
    const TBoardList& boards, int32_t order, int32_t current,
    const std::function<bool(const TArticleList&, int32_t, int32_t)>& shows);

// A line of the board list with the board's unread articles beside its total:
// "--(   4)[未読   2]   1:general  / ..." for "--(   4)   1:general  / ...". A line without
// the count is returned as it is.
std::string BoardLineWithUnread(std::string_view boardListLine, int32_t unread);

}  // namespace vorn
