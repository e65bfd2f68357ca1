#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
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

// A thread as it is known across runs and sorts: its first entry's key and time as the log gave
// them. A placeholder (the root of replies whose parent is not in the logs) is known by the key
// of the root it stands for alone: its time is that of the first reply found, which logs added
// later may change.
struct ThreadKey {
  int64_t Key = 0;
  int64_t Time = 0;  // 0 for a placeholder
  bool Placeholder = false;
  auto operator<=>(const ThreadKey&) const = default;
};

// The key of the thread whose first entry stands at a position of tree order. False for a
// position that is no thread's first entry, and for threads that cannot be known again in the
// next run: a queued write (numbered afresh in every run) and a mail (the mail box is numbered
// afresh too, and its mails have no replies to fold).
bool ThreadKeyAt(const TArticleList& board, int32_t top, ThreadKey& key);
// The text a list file holds for a thread key ("key/time", or "key/-" for a placeholder), and
// back; false for a text that is no key.
std::string ThreadKeyText(const ThreadKey& key);
bool ParseThreadKey(std::string_view text, ThreadKey& key);

// Which threads of one board are collapsed. A thread is known by its ThreadKey, so it stays
// collapsed when the board is sorted again (a write added or deleted) and in the next run.
// Collapsing all is one switch, not a walk: the threads named afterwards are the exceptions to
// it. Threads without a key follow the switch.
class TThreadCollapse final {
 public:
  bool IsCollapsed(const TArticleList& board, int32_t top) const;
  // top is the first position of a thread in tree order; other positions, and threads without
  // a key, are refused.
  bool SetCollapsed(const TArticleList& board, int32_t top, bool collapsed);
  void CollapseAll();
  void ExpandAll();
  // Whether any thread may be collapsed (false when nothing is: the grid shows every row).
  bool AnyCollapsed() const { return allCollapsed_ || !exceptions_.empty(); }

  // What a list file keeps: the switch and the threads that are exceptions to it.
  bool AllCollapsed() const { return allCollapsed_; }
  const std::set<ThreadKey>& Exceptions() const { return exceptions_; }
  void SetAllCollapsed(bool all) { allCollapsed_ = all; }
  void AddException(const ThreadKey& key) { exceptions_.insert(key); }

 private:
  bool allCollapsed_ = false;
  // Threads that are collapsed (allCollapsed_ false) or expanded (allCollapsed_ true).
  std::set<ThreadKey> exceptions_;
};

// Catch-up. Both mark articles read as reading them does, leaving their new marks alone, and
// return how many were unread.
// Every article of the thread the entry at a position of an order belongs to.
int32_t MarkThreadRead(TArticleList& board, int32_t order, int32_t position);
// Every article of the board.
int32_t MarkBoardRead(TArticleList& board);
// The reverse, for an article to be read again: every article of the thread, the user's queued
// writes aside, becomes unread; returns how many were read.
int32_t MarkThreadUnread(TArticleList& board, int32_t order, int32_t position);

// The articles of a board as its line in the board list counts them: the user's queued writes
// are not counted.
struct BoardCounts {
  int32_t Total = 0;
  int32_t Unread = 0;
  bool operator==(const BoardCounts&) const = default;
};
BoardCounts CountBoard(const TArticleList* board);

// The board to go on reading unread articles in, as BoardWithUnreadAfter finds it, counting only
// the unread articles the reading aids let through: shown fills one byte per position of an
// order of a board, 0 for an entry they hide (what the aids hide is passed over).
using ShownMaskFunction =
    std::function<void(const TArticleList&, int32_t order, std::vector<uint8_t>& shown)>;
int32_t BoardWithShownUnreadAfter(const TBoardList& boards, int32_t order, int32_t current,
                                  const ShownMaskFunction& shown);

// A line of the board list with the board's unread articles beside its total:
// "--(   4)[未読   2]   1:general  / ..." for "--(   4)   1:general  / ...". A line without
// the count is returned as it is.
std::string BoardLineWithUnread(std::string_view boardListLine, int32_t unread);

}  // namespace vorn
