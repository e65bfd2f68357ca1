#include "store/MiniList.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "store/BlockMemory.h"

namespace vorn {

namespace {

// Lists of blocks from this size on start with small blocks, the first of about this many bytes.
constexpr int32_t kSmallStartChunkBytes = 512;
constexpr int32_t kSmallestBlockBytes = 64;

}  // namespace

TMiniList::TMiniList(int32_t chunkBytes, int32_t itemSize)
    : itemSize_(itemSize < 1 ? 1 : itemSize),
      chunkBytes_(chunkBytes < itemSize_ ? itemSize_ : chunkBytes),
      itemsPerChunk_(chunkBytes_ / itemSize_) {
  if (chunkBytes_ < kSmallStartChunkBytes) return;
  const int32_t smallest = std::max(1, kSmallestBlockBytes / itemSize_);
  int doublings = 0;
  while ((itemsPerChunk_ >> (doublings + 1)) >= smallest)
    ++doublings;
  if (doublings == 0) return;
  smallItems_ = itemsPerChunk_ >> doublings;
  firstFullBlock_ = doublings + 1;
  smallTotal_ = smallItems_ << doublings;
}

TMiniList::~TMiniList() {
  TMiniList::Clear();
}

void TMiniList::SetNextSlot() {
  int32_t block, slot;
  Locate(count_, block, slot);
  if (static_cast<std::size_t>(block) >= blocks_.size()) {
    next_ = nullptr;
    room_ = 0;
    return;
  }
  next_ = blocks_[static_cast<std::size_t>(block)] +
          static_cast<std::size_t>(slot) * static_cast<std::size_t>(itemSize_);
  room_ = BlockItems(block) - slot;
}

bool TMiniList::AddItemToNewBlock(const void* record) {
  if (capacity_ < int64_t{count_} + 1) {
    if (count_ == INT32_MAX) return false;
    const int32_t items = BlockItems(static_cast<int32_t>(blocks_.size()));
    char* block = static_cast<char*>(AllocateZeroedBlock(
        static_cast<size_t>(items) * static_cast<size_t>(itemSize_), BlockUse::Whole));
    if (!block) return false;
    try {
      blocks_.push_back(block);
    } catch (const std::bad_alloc&) {
      FreeBlock(block);
      return false;
    }
    capacity_ += items;
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
  capacity_ = 0;
  count_ = 0;
  SetNextSlot();
}

bool TMiniList::SwapRecords(TMiniList& other) {
  if (itemSize_ != other.itemSize_ || chunkBytes_ != other.chunkBytes_) return false;
  blocks_.swap(other.blocks_);
  std::swap(next_, other.next_);
  std::swap(room_, other.room_);
  std::swap(count_, other.count_);
  std::swap(capacity_, other.capacity_);
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
