#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

class TMiniList;

// Answers the two questions the reply tree is built from, over a board sorted by time and key,
// in logarithmic time instead of by scanning the rest of the board for every parent:
// - where a scan for the replies of a key, starting at a position, stops: at the first live
//   entry that is not a placeholder and has a smaller key (past it the scan has left the
//   parent's replies);
// - which live replies to a key lie between the start and that stop, in storage order.
class ReplyIndex final {
 public:
  // Indexes the article records at storage positions 0 .. count-1.
  void Build(const TMiniList& storage, int32_t count);

  // The position where a scan for replies to key starting at start stops; the entry count when
  // it runs to the end.
  int32_t ScanEnd(int32_t start, int32_t key) const;

  // The live replies (kinds 1 and 3) whose parent key is key, at positions start .. end-1:
  // entries first .. last-1 of Position().
  struct Range {
    int32_t first;
    int32_t last;
  };
  Range Replies(int32_t key, int32_t start, int32_t end) const;
  int32_t Position(int32_t entry) const {
    return static_cast<int32_t>(replies_[static_cast<std::size_t>(entry)] & 0xFFFFFFFFu);
  }

 private:
  static uint64_t Code(int32_t key, int32_t position) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(key) ^ 0x80000000u) << 32) |
           static_cast<uint32_t>(position);
  }

  int32_t count_ = 0;
  std::size_t leaves_ = 1;
  // Minimum over subtrees of the keys of the entries that stop a scan; INT32_MAX stops nothing
  // (no key is smaller than it).
  std::vector<int32_t> minKey_;
  // (parent key, position) of every live reply, sorted.
  std::vector<uint64_t> replies_;
};

}  // namespace vorn
