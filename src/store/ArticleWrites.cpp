#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "store/ArticleRecord.h"

namespace vorn {
namespace {

// Slots live in chunks that never move, found through a directory of fixed size, so that a
// lookup takes no lock. 2^28 slots, far more writes than anyone queues (their records alone
// would take 18 GB); past them a write is refused as when memory runs out.
constexpr uint32_t kChunkBits = 12;
constexpr uint32_t kChunkSlots = 1u << kChunkBits;
constexpr uint32_t kChunks = 1u << 16;

struct WriteTable {
  std::atomic<ArticleWrite*> chunks[kChunks] = {};
  std::mutex mutex;
  std::vector<uint32_t> released;  // slot numbers to hand out again
  uint32_t next = 1;               // the lowest slot never handed out; 0 means none
};

// Made by the first write taken (nullptr when there was no memory for it). Never destroyed:
// records freed by static destructors may still release their slots.
WriteTable* Table() {
  static WriteTable* table = new (std::nothrow) WriteTable;
  return table;
}

}  // namespace

uint32_t TakeArticleWrite() {
  WriteTable* table = Table();
  if (!table) return 0;
  WriteTable& t = *table;
  std::lock_guard<std::mutex> lock(t.mutex);
  uint32_t slot = 0;
  if (!t.released.empty()) {
    slot = t.released.back();
    t.released.pop_back();
  } else {
    if (t.next >= kChunks * kChunkSlots) return 0;
    const uint32_t chunk = t.next >> kChunkBits;
    if (!t.chunks[chunk].load(std::memory_order_relaxed)) {
      auto* fresh = new (std::nothrow) ArticleWrite[kChunkSlots];
      if (!fresh) return 0;
      t.chunks[chunk].store(fresh, std::memory_order_release);
    }
    slot = t.next++;
  }
  *ArticleWriteAt(slot) = ArticleWrite{};
  return slot;
}

void ReleaseArticleWrite(uint32_t slot) {
  if (slot == 0) return;
  WriteTable& t = *Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  *ArticleWriteAt(slot) = ArticleWrite{};
  try {
    t.released.push_back(slot);
  } catch (const std::bad_alloc&) {
    // The slot is lost to this run; the write is freed all the same.
  }
}

ArticleWrite* ArticleWriteAt(uint32_t slot) {
  if (slot == 0) return nullptr;
  ArticleWrite* chunk = Table()->chunks[slot >> kChunkBits].load(std::memory_order_acquire);
  return chunk + (slot & (kChunkSlots - 1));
}

}  // namespace vorn
