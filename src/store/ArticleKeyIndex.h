#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

class TMiniList;
struct ArticleRecord;

// Finds the newest live article with a given raw key and time without walking the whole board:
// the analysers look up every article they read, which would otherwise cost time quadratic in
// the size of a board. The index follows appends by itself (it catches up on the next lookup);
// anything that moves records or changes keys or times in place must call Invalidate.
class ArticleKeyIndex final {
 public:
  void Invalidate() { valid_ = false; }

  // The highest storage index of an entry with Used 1 whose raw key and time (stored values
  // with the rebasing offset added back when the entry is rebased) equal the arguments; -1 when
  // there is none.
  int32_t Find(const TMiniList& storage, int32_t key, int32_t time);

 private:
  struct Slot {
    int32_t head;   // newest storage index with this raw key and time; -1 = empty slot
    uint32_t hash;  // of the key and time: places the slot and skips most foreign entries
  };

  bool CatchUp(const TMiniList& storage);
  void Insert(const TMiniList& storage, int32_t index);
  void Rehash(size_t slotCount);

  std::vector<Slot> slots_;
  std::vector<int32_t> older_;  // per storage index: the next older entry with the same key
  int32_t indexed_ = 0;
  bool valid_ = false;
};

}  // namespace vorn
