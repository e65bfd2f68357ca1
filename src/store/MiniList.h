#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vorn {

// A growable array of fixed-size records kept in blocks. A block never moves once allocated,
// so the address of a record stays valid while the list grows and growing never copies
// records. Records are plain bytes: whatever a record owns is freed by the store that put it
// there, never here.
//
// Blocks hold chunkBytes each, except that a list of large blocks starts small: its first
// blocks grow by doubling from a few records up to the full size. A store made of many small
// lists (a board per list, 100,000 boards) then costs what it holds, not a full block each.
class TMiniList {
 public:
  // chunkBytes is raised to itemSize when smaller.
  TMiniList(int32_t chunkBytes, int32_t itemSize);
  virtual ~TMiniList();
  TMiniList(const TMiniList&) = delete;
  TMiniList& operator=(const TMiniList&) = delete;

  // Appends a byte copy of the record. False, with nothing changed, when a new block was needed
  // and could not be allocated.
  bool AddItem(const void* record) {
    if (room_ == 0) return AddItemToNewBlock(record);
    std::memcpy(next_, record, static_cast<std::size_t>(itemSize_));
    next_ += itemSize_;
    --room_;
    ++count_;
    return true;
  }
  // The same for a record type whose size is the item size, copied without a library call.
  template <class Record>
  bool AddRecord(const Record& record) {
    if (room_ == 0 || itemSize_ != static_cast<int32_t>(sizeof(Record))) return AddItem(&record);
    std::memcpy(next_, &record, sizeof(Record));
    next_ += sizeof(Record);
    --room_;
    ++count_;
    return true;
  }
  // The record's address, or nullptr outside 0 .. Count-1. Valid until Clear.
  void* GetItem(int32_t index) {
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(count_) ? ItemAt(index) : nullptr;
  }
  const void* GetItem(int32_t index) const {
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(count_) ? ItemAt(index) : nullptr;
  }
  // Exchanges the contents of two records; their addresses stay where they are.
  void SwapItems(int32_t a, int32_t b);

  int32_t Count() const { return count_; }
  int32_t ItemSize() const { return itemSize_; }
  int32_t ChunkBytes() const { return chunkBytes_; }
  int32_t ItemsPerChunk() const { return itemsPerChunk_; }
  int32_t BlockCount() const { return static_cast<int32_t>(blocks_.size()); }
  // Records the block holds (the first blocks of a list of large blocks hold fewer).
  int32_t BlockItems(int32_t block) const {
    if (block >= firstFullBlock_) return itemsPerChunk_;
    return block == 0 ? smallItems_ : smallItems_ << (block - 1);
  }

  // Frees every block and forgets every record.
  virtual void Clear();

  // Exchanges all records with another list of the same record and block size (false, and
  // nothing exchanged, otherwise). Record addresses move with their blocks.
  bool SwapRecords(TMiniList& other);

  // A byte copy of every record, for RestoreRecords. Throws std::bad_alloc when there is no
  // memory for it.
  std::vector<char> CopyRecords() const;
  // Puts back the records of a copy: records added since are forgotten (their blocks kept for
  // new ones), the others get their bytes back. What the records own is the caller's to free
  // first. False when records missing since had to be added again and memory ran out.
  bool RestoreRecords(const std::vector<char>& copy);

 protected:
  // Forgets every record but keeps the blocks for the records added next: for lists that are
  // rebuilt from scratch again and again.
  void Truncate() {
    count_ = 0;
    SetNextSlot();
  }

  // Rearranges the records so that position k afterwards holds the record that was at
  // order[k]; order must be a permutation of 0 .. Count-1. Every record moves at most once.
  void Permute(std::vector<int32_t>& order);

  // Orders the records by a comparison of two record addresses; records that compare equal
  // keep their order.
  template <class Less>
  void SortRecords(Less less) {
    std::vector<int32_t> order(static_cast<std::size_t>(count_));
    for (int32_t i = 0; i < count_; ++i)
      order[static_cast<std::size_t>(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int32_t a, int32_t b) { return less(ItemAt(a), ItemAt(b)); });
    Permute(order);
  }

  // Unchecked access for loops that already know the index is inside the list.
  char* ItemAt(int32_t index) const {
    int32_t block, slot;
    Locate(index, block, slot);
    return blocks_[static_cast<std::size_t>(block)] +
           static_cast<std::size_t>(slot) * static_cast<std::size_t>(itemSize_);
  }

 private:
  // The block and the slot in it of a record number.
  void Locate(int32_t index, int32_t& block, int32_t& slot) const {
    if (index >= smallTotal_) {
      const int32_t k = index - smallTotal_;
      block = firstFullBlock_ + k / itemsPerChunk_;
      slot = k % itemsPerChunk_;
    } else if (index < smallItems_) {
      block = 0;
      slot = index;
    } else {
      // Block j + 1 holds the records from smallItems_ << j on.
      const int j = 31 - __builtin_clz(static_cast<uint32_t>(index / smallItems_));
      block = j + 1;
      slot = index - (smallItems_ << j);
    }
  }
  bool AddItemToNewBlock(const void* record);
  // Points next_ and room_ at the slot of record number count_.
  void SetNextSlot();

  std::vector<char*> blocks_;
  char* next_ = nullptr;  // where the next record goes, while room_ > 0
  int32_t room_ = 0;      // free slots from next_ to the end of its block
  int32_t itemSize_;
  int32_t chunkBytes_;
  int32_t itemsPerChunk_;
  int32_t count_ = 0;
  int64_t capacity_ = 0;  // records the allocated blocks hold
  // The small first blocks: block 0 holds smallItems_ records, block j (1 .. firstFullBlock_-1)
  // smallItems_ << (j - 1), smallTotal_ in all; full blocks follow. Without small blocks
  // firstFullBlock_ and smallTotal_ are 0.
  int32_t smallItems_ = 0;
  int32_t firstFullBlock_ = 0;
  int32_t smallTotal_ = 0;
};

// A mini list of storage indices: the posting and tree orders of the article list.
class TIndexList final : public TMiniList {
 public:
  explicit TIndexList(int32_t chunkBytes) : TMiniList(chunkBytes, sizeof(int32_t)) {}
  bool Add(int32_t value) { return AddItem(&value); }
  // The value at a position inside the list.
  int32_t At(int32_t index) const { return *reinterpret_cast<const int32_t*>(ItemAt(index)); }
  using TMiniList::Truncate;
};

}  // namespace vorn
