#include "store/MiniList.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "store/BlockMemory.h"

namespace vorn {

TMiniList::TMiniList(int32_t chunkBytes, int32_t itemSize)
    : itemSize_(itemSize < 1 ? 1 : itemSize),
      chunkBytes_(chunkBytes < itemSize_ ? itemSize_ : chunkBytes),
      itemsPerChunk_(chunkBytes_ / itemSize_),
      reciprocal_(UINT64_MAX / static_cast<uint64_t>(itemsPerChunk_) + 1) {}

TMiniList::~TMiniList() {
  TMiniList::Clear();
}

void TMiniList::SetNextSlot() {
  const std::size_t block = static_cast<std::size_t>(count_ / itemsPerChunk_);
  if (block >= blocks_.size()) {
    next_ = nullptr;
    room_ = 0;
    return;
  }
  const int32_t slot = count_ % itemsPerChunk_;
  next_ = blocks_[block] + static_cast<std::size_t>(slot) * static_cast<std::size_t>(itemSize_);
  room_ = itemsPerChunk_ - slot;
}

bool TMiniList::AddItemToNewBlock(const void* record) {
  if (static_cast<int64_t>(blocks_.size()) * itemsPerChunk_ < int64_t{count_} + 1) {
    if (count_ == INT32_MAX) return false;
    char* block = static_cast<char*>(AllocateZeroedBlock(static_cast<size_t>(chunkBytes_)));
    if (!block) return false;
    try {
      blocks_.push_back(block);
    } catch (const std::bad_alloc&) {
      FreeBlock(block);
      return false;
    }
  }
  std::memcpy(ItemAt(count_), record, static_cast<size_t>(itemSize_));
  ++count_;
  SetNextSlot();
  return true;
}

void TMiniList::SwapItems(int32_t a, int32_t b) {
  if (a == b || a < 0 || b < 0 || a >= count_ || b >= count_) return;
  char* pa = ItemAt(a);
  char* pb = ItemAt(b);
  char buffer[256];
  for (int32_t done = 0; done < itemSize_;) {
    size_t n = std::min<size_t>(sizeof buffer, static_cast<size_t>(itemSize_ - done));
    std::memcpy(buffer, pa + done, n);
    std::memcpy(pa + done, pb + done, n);
    std::memcpy(pb + done, buffer, n);
    done += static_cast<int32_t>(n);
  }
}

void TMiniList::Clear() {
  for (char* block : blocks_)
    FreeBlock(block);
  blocks_.clear();
  blocks_.shrink_to_fit();
  count_ = 0;
  SetNextSlot();
}

bool TMiniList::SwapRecords(TMiniList& other) {
  if (itemSize_ != other.itemSize_ || chunkBytes_ != other.chunkBytes_) return false;
  blocks_.swap(other.blocks_);
  std::swap(next_, other.next_);
  std::swap(room_, other.room_);
  std::swap(count_, other.count_);
  return true;
}

std::vector<char> TMiniList::CopyRecords() const {
  const size_t size = static_cast<size_t>(itemSize_);
  std::vector<char> copy(static_cast<size_t>(count_) * size);
  for (int32_t i = 0; i < count_; ++i)
    std::memcpy(copy.data() + static_cast<size_t>(i) * size, ItemAt(i), size);
  return copy;
}

bool TMiniList::RestoreRecords(const std::vector<char>& copy) {
  const size_t size = static_cast<size_t>(itemSize_);
  const int32_t count = static_cast<int32_t>(copy.size() / size);
  const int32_t inPlace = count < count_ ? count : count_;
  for (int32_t i = 0; i < inPlace; ++i)
    std::memcpy(ItemAt(i), copy.data() + static_cast<size_t>(i) * size, size);
  count_ = inPlace;
  SetNextSlot();
  for (int32_t i = inPlace; i < count; ++i) {
    if (!AddItem(copy.data() + static_cast<size_t>(i) * size)) return false;
  }
  return true;
}

void TMiniList::Permute(std::vector<int32_t>& order) {
  const size_t size = static_cast<size_t>(itemSize_);
  std::unique_ptr<char[]> held(new char[size]);
  for (int32_t start = 0; start < count_; ++start) {
    if (order[static_cast<size_t>(start)] == start) continue;
    // Follow the cycle through start: each position takes the record it is owed and is then
    // marked done by pointing at itself.
    std::memcpy(held.get(), ItemAt(start), size);
    int32_t to = start;
    // Records further along the cycle are fetched ahead: a big board's records are mostly out
    // of the cache, and waiting for each in turn would cost more than moving them.
    int32_t ahead = order[static_cast<size_t>(start)];
    for (int step = 0; step < 4 && ahead != start; ++step)
      ahead = order[static_cast<size_t>(ahead)];
    for (;;) {
      int32_t from = order[static_cast<size_t>(to)];
      order[static_cast<size_t>(to)] = to;
      if (from == start) {
        std::memcpy(ItemAt(to), held.get(), size);
        break;
      }
      if (ahead != start) {
        const char* next = ItemAt(ahead);
        for (size_t line = 0; line < size; line += 64)
          __builtin_prefetch(next + line);
        ahead = order[static_cast<size_t>(ahead)];
      }
      std::memcpy(ItemAt(to), ItemAt(from), size);
      to = from;
    }
  }
}

}  // namespace vorn
