#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

// What ordering a board needs of each article, packed so that the passes over a big board do
// not drag whole records through the cache.
struct OrderEntry {
  int32_t time;
  int32_t key;
  int32_t parentKey;
  int32_t number;
  int32_t level;
  uint8_t used;
  uint8_t kind;
  uint8_t writeFlag;
};

// Answers the two questions the reply tree is built from, over a board sorted by time and key,
// without scanning the rest of the board for every parent:
// - where a scan for the replies of a key, starting at a position, stops: at the first live
//   entry that is not a placeholder and has a smaller key (past it the scan has left the
//   parent's replies);
// - which live replies to a key lie between the start and that stop, in storage order.
class ReplyIndex final {
 public:
  void Build(const std::vector<OrderEntry>& entries);

  // The position where a scan for replies to key starting at start stops; the entry count when
  // it runs to the end.
  int32_t ScanEnd(int32_t start, int32_t key) const;

  // The live replies (kinds 1 and 3) whose parent key is key at positions start .. end-1:
  // entries first .. last-1 of Position().
  struct Range {
    int32_t first;
    int32_t last;
  };
  Range Replies(int32_t key, int32_t start, int32_t end) const;
  int32_t Position(int32_t entry) const { return positions_[static_cast<std::size_t>(entry)]; }

 private:
  struct Group {
    int32_t key;
    int32_t first;  // -1 = empty slot
    int32_t last;
  };
  const Group* FindGroup(int32_t key) const;

  int32_t count_ = 0;
  std::size_t leaves_ = 1;
  // Minimum over subtrees of the keys of the entries that stop a scan; INT32_MAX stops nothing
  // (no key is smaller than it).
  std::vector<int32_t> minKey_;
  // The same from each position to the end: a scan that nothing stops is answered at once.
  std::vector<int32_t> suffixMin_;
  // Positions of the live replies, grouped by parent key, each group in storage order.
  std::vector<int32_t> positions_;
  std::vector<Group> groups_;  // open addressing by parent key
};

}  // namespace vorn
