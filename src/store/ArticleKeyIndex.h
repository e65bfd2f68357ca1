#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn {

class TMiniList;
struct ArticleRecord;

// Finds the newest live article with a given raw key and time without walking the whole board:
// the analysers look up every article they read, which would otherwise cost time quadratic in
// the size of a board. The index follows appends by itself (it catches up on the next lookup);
// anything that moves records or changes keys or times in place must call Invalidate.
class ArticleKeyIndex final {
 public:
  ArticleKeyIndex() = default;
  ~ArticleKeyIndex() { Release(); }
  ArticleKeyIndex(const ArticleKeyIndex&) = delete;
  ArticleKeyIndex& operator=(const ArticleKeyIndex&) = delete;

  void Invalidate() {
    valid_ = false;
    ForgetLargestKey();
  }
  // Invalidates the index and gives its memory back until the next lookup: a sorted board is
  // seldom looked up by key again, and a big archive holds millions of entries.
  void Release();

  // The highest storage index of an entry with Used 1 whose raw key and time (stored values
  // with the rebasing offset added back when the entry is rebased) equal the arguments, an
  // article before a placeholder; -1 when there is none.
  int32_t Find(const TMiniList& storage, int32_t key, int32_t time);

 private:
  // One slot per entry, entries with the same key and time in slots of their own (that is
  // rare: an article captured twice). At most half the slots are taken.
  struct Slot {
    int32_t entry;  // storage index + 1; 0 = empty slot
    uint32_t hash;  // of the key and time: places the slot and skips most foreign entries
  };

  // True when no entry has the key: it is above every stored one.
  bool AboveEveryKey(const TMiniList& storage, int64_t key);
  void ForgetLargestKey() {
    scanned_ = 0;
    largestKey_ = INT64_MIN;
  }
  bool CatchUp(const TMiniList& storage);
  void Insert(const TMiniList& storage, int32_t index);
  bool Rehash(size_t slotCount);

  // In blocks of the stores' memory, which a big table gives back to the system when freed.
  Slot* slots_ = nullptr;
  size_t slotCount_ = 0;  // a power of two, or 0
  int32_t indexed_ = 0;
  bool valid_ = false;
  // The largest raw key of the entries before scanned_.
  int32_t scanned_ = 0;
  int64_t largestKey_ = INT64_MIN;
};

}  // namespace vorn
