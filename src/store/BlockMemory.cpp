#include "store/BlockMemory.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace vorn {
namespace {

// Allocations still allowed; negative means no limit. Files are read on several threads at once.
std::atomic<long> allocationsLeft{-1};

#ifdef __linux__
// Large blocks (the log store's half-megabyte blocks, its index chunks) are carved out of
// 2 MiB regions, so that a big log takes a few thousand mappings instead of one per block. A
// region goes back to the system when its last block is freed; freed blocks are not reused
// before that, so every block handed out is still zero from the kernel. The regions are not
// asked for huge pages: on a virtual machine whose host takes back free memory, the first touch
// of a huge page cost about twenty times that of its small pages (1 GB of them: 10 s against
// 0.5 s), and a whole archive is loaded into memory touched for the first time.
constexpr std::size_t kRegionBytes = std::size_t{2} << 20;
constexpr std::size_t kSmallestRegionBlock = std::size_t{128} << 10;
constexpr std::size_t kLargestRegionBlock = std::size_t{1} << 20;

struct Region {
  std::size_t liveBlocks = 0;
};

std::mutex regionMutex;
std::unordered_map<std::uintptr_t, Region> regions;  // by base address

// Blocks touched ahead of their use for a carving (see Prefaulter); at most this many wait. The
// thread touching them runs only in a core's idle moments, which come in bursts: a short lead
// left the store to touch a third of its pages itself.
constexpr std::size_t kBlocksAhead = 16;

// Blocks of one size are carved from regions of their own: a region whose tail is too small for
// the next block would otherwise be left with a hole.
struct Carving {
  std::size_t blockBytes = 0;
  std::uintptr_t region = 0;  // handing out blocks; 0 = none
  std::size_t carved = 0;     // bytes handed out from it
  // Blocks already carved and touched, handed out before any other (oldest first).
  std::uintptr_t touched[kBlocksAhead] = {};
  std::size_t touchedCount = 0;
};
constexpr int kCarvings = 4;
Carving carvings[kCarvings];
int nextCarving = 0;

// A region of its own, aligned to its size: twice the size is mapped and the rest given back.
// 0 when the memory cannot be had.
std::uintptr_t MapRegion() {
  void* raw =
      ::mmap(nullptr, 2 * kRegionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return 0;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t base = (start + kRegionBytes - 1) & ~(kRegionBytes - 1);
  if (base > start) ::munmap(raw, base - start);
  const std::uintptr_t tail = base + kRegionBytes;
  if (start + 2 * kRegionBytes > tail)
    ::munmap(reinterpret_cast<void*>(tail), start + 2 * kRegionBytes - tail);
  return base;
}

// A block back to its region (regionMutex held); the region goes when its last block does.
void ReleaseToRegion(std::uintptr_t block) {
  const std::uintptr_t base = block & ~(kRegionBytes - 1);
  auto it = regions.find(base);
  if (it == regions.end()) return;
  if (--it->second.liveBlocks == 0) {
    ::munmap(reinterpret_cast<void*>(base), kRegionBytes);
    regions.erase(it);
    for (Carving& c : carvings) {
      if (c.region == base) c.region = 0;
    }
  }
}

Carving& CarvingFor(std::size_t bytes) {
  for (Carving& c : carvings) {
    if (c.blockBytes == bytes) return c;
  }
  // A size not seen yet takes over the least recent slot; its region is left to its blocks.
  Carving& c = carvings[nextCarving];
  nextCarving = (nextCarving + 1) % kCarvings;
  const std::size_t waiting = c.touchedCount;
  c.touchedCount = 0;
  for (std::size_t i = 0; i < waiting; ++i)
    ReleaseToRegion(c.touched[i]);
  if (c.region != 0) {
    auto old = regions.find(c.region);
    if (old != regions.end() && old->second.liveBlocks == 0) {
      ::munmap(reinterpret_cast<void*>(c.region), kRegionBytes);
      regions.erase(old);
    }
  }
  c = Carving{};
  c.blockBytes = bytes;
  return c;
}

// The next block of the carving's size from its region, a new region when it is full
// (regionMutex held). 0 when the memory cannot be had.
std::uintptr_t Carve(Carving& carving) {
  const std::size_t bytes = carving.blockBytes;
  if (carving.region == 0 || carving.carved + bytes > kRegionBytes) {
    const std::uintptr_t base = MapRegion();
    if (base == 0) return 0;
    try {
      regions.emplace(base, Region{});
    } catch (const std::bad_alloc&) {
      ::munmap(reinterpret_cast<void*>(base), kRegionBytes);
      return 0;
    }
    // The region given up keeps living until its blocks are freed.
    auto old = regions.find(carving.region);
    if (old != regions.end() && old->second.liveBlocks == 0) {
      ::munmap(reinterpret_cast<void*>(carving.region), kRegionBytes);
      regions.erase(old);
    }
    carving.region = base;
    carving.carved = 0;
  }
  ++regions[carving.region].liveBlocks;
  const std::uintptr_t block = carving.region + carving.carved;
  carving.carved += bytes;
  return block;
}

// Carves the next blocks of a size ahead of their use and touches every page of them, on a
// thread that runs only while a core would otherwise idle. A warm load stores a few hundred
// megabytes of records and line index on one thread, and the first touch of each page was a
// quarter of its time while the other core mostly waited for it. A block touched ahead is this
// thread's own until it is handed out, and written only with the zeros it already holds.
class Prefaulter final {
 public:
  ~Prefaulter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  // False when no thread could be had: pages are then touched by whoever writes first.
  bool Start() {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

  // Blocks of this size are wanted ahead. A request finding the queue full is dropped: the store
  // touches those pages itself, as without a prefaulter.
  void Ask(std::size_t blockBytes) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (std::size_t i = 0; i < queued_; ++i) {
        if (queue_[(first_ + i) % kQueue] == blockBytes) return;
      }
      if (stop_ || queued_ == kQueue) return;
      queue_[(first_ + queued_++) % kQueue] = blockBytes;
    }
    wake_.notify_one();
  }

 private:
  static constexpr std::size_t kQueue = kCarvings;

  void Run() {
    // Only spare time: a cold load's walk needs both cores more than the store needs its pages
    // ahead. Where the policy is refused the thread runs at the lowest priority (on Linux a
    // thread's nice value is its own).
    sched_param idle{};
    if (::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idle) != 0)
      ::setpriority(PRIO_PROCESS, 0, 19);
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || queued_ > 0; });
      if (stop_) return;
      const std::size_t blockBytes = queue_[first_];
      first_ = (first_ + 1) % kQueue;
      --queued_;
      lock.unlock();
      while (std::uintptr_t block = CarveAhead(blockBytes)) {
        auto* bytes = reinterpret_cast<volatile char*>(block);
        for (std::size_t at = 0; at < blockBytes; at += page)
          bytes[at] = 0;
        if (!KeepAhead(blockBytes, block)) break;
      }
      lock.lock();
    }
  }

  // A block carved for the size's waiting ones, or 0 when enough wait (or the size is gone).
  std::uintptr_t CarveAhead(std::size_t blockBytes) {
    if (Stopping()) return 0;
    std::lock_guard<std::mutex> lock(regionMutex);
    for (Carving& c : carvings) {
      if (c.blockBytes == blockBytes) return c.touchedCount < kBlocksAhead ? Carve(c) : 0;
    }
    return 0;
  }
  // Puts the touched block among the size's waiting ones; false (the block given back) when the
  // size has no room for it any more.
  static bool KeepAhead(std::size_t blockBytes, std::uintptr_t block) {
    std::lock_guard<std::mutex> lock(regionMutex);
    for (Carving& c : carvings) {
      if (c.blockBytes == blockBytes && c.touchedCount < kBlocksAhead) {
        c.touched[c.touchedCount++] = block;
        return true;
      }
    }
    ReleaseToRegion(block);
    return false;
  }
  bool Stopping() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::size_t queue_[kQueue] = {};
  std::size_t first_ = 0, queued_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

std::mutex prefaultMutex;  // over prefaulter and prefaultUsers
Prefaulter* prefaulter = nullptr;
int prefaultUsers = 0;
std::atomic<bool> prefaultPaused{false};

void* AllocateFromRegion(std::size_t bytes, BlockUse use) {
  std::lock_guard<std::mutex> lock(regionMutex);
  bytes = (bytes + 63) & ~std::size_t{63};
  Carving& carving = CarvingFor(bytes);
  std::uintptr_t block = 0;
  if (carving.touchedCount > 0) {
    block = carving.touched[0];
    --carving.touchedCount;
    std::copy(carving.touched + 1, carving.touched + 1 + carving.touchedCount, carving.touched);
  } else {
    block = Carve(carving);
  }
  // Blocks mostly left empty (a log's block for the few lines it keeps itself) never ask:
  // touching the ones after them would make resident what nobody writes.
  if (use == BlockUse::Whole && !prefaultPaused.load(std::memory_order_relaxed)) {
    std::lock_guard<std::mutex> prefaultLock(prefaultMutex);
    if (prefaulter) prefaulter->Ask(bytes);
  }
  return reinterpret_cast<void*>(block);
}

// Blocks larger than a region are mapped one by one, so that freeing one gives its memory back
// at once (the C library keeps freed memory of that size for later instead).
std::unordered_map<std::uintptr_t, std::size_t> largeBlocks;  // by address: mapped bytes

void* AllocateLarge(std::size_t bytes) {
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  std::lock_guard<std::mutex> lock(regionMutex);
  try {
    largeBlocks.emplace(reinterpret_cast<std::uintptr_t>(block), bytes);
  } catch (const std::bad_alloc&) {
    ::munmap(block, bytes);
    return nullptr;
  }
  return block;
}

bool FreeLarge(void* block) {
  std::size_t bytes = 0;
  {
    std::lock_guard<std::mutex> lock(regionMutex);
    auto it = largeBlocks.find(reinterpret_cast<std::uintptr_t>(block));
    if (it == largeBlocks.end()) return false;
    bytes = it->second;
    largeBlocks.erase(it);
  }
  ::munmap(block, bytes);
  return true;
}

// True when the block came from a region (and has been given back).
bool FreeToRegion(void* block) {
  std::lock_guard<std::mutex> lock(regionMutex);
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  if (regions.find(address & ~(kRegionBytes - 1)) == regions.end()) return false;
  ReleaseToRegion(address);
  return true;
}
#endif

}  // namespace

void* AllocateZeroedBlock(std::size_t bytes, BlockUse use) {
  long left = allocationsLeft.load(std::memory_order_relaxed);
  while (left != 0) {
    if (left < 0 || allocationsLeft.compare_exchange_weak(left, left - 1)) break;
  }
  if (left == 0) return nullptr;
#ifdef __linux__
  if (bytes >= kSmallestRegionBlock && bytes <= kLargestRegionBlock) {
    return AllocateFromRegion(bytes, use);
  }
  if (bytes > kLargestRegionBlock) return AllocateLarge(bytes);
#else
  (void)use;
#endif
  return std::calloc(1, bytes == 0 ? 1 : bytes);
}

void FreeBlock(void* block) {
  if (!block) return;
#ifdef __linux__
  if (FreeToRegion(block) || FreeLarge(block)) return;
#endif
  std::free(block);
}

ScopedRegionPrefault::ScopedRegionPrefault(bool wanted) {
#ifdef __linux__
  if (!wanted) return;
  std::lock_guard<std::mutex> lock(prefaultMutex);
  active_ = true;
  if (prefaultUsers++ > 0) return;
  prefaultPaused = false;
  auto fresh = std::unique_ptr<Prefaulter>(new (std::nothrow) Prefaulter);
  if (fresh && fresh->Start()) prefaulter = fresh.release();
#else
  (void)wanted;
#endif
}

ScopedRegionPrefault::~ScopedRegionPrefault() {
#ifdef __linux__
  if (!active_) return;
  Prefaulter* done = nullptr;
  {
    std::lock_guard<std::mutex> lock(prefaultMutex);
    if (--prefaultUsers == 0) done = std::exchange(prefaulter, nullptr);
  }
  if (!done) return;
  delete done;  // joins its thread
  // The blocks still waiting were touched for a load that is over: their pages go back, and
  // they are handed out as fresh ones.
  // Only whole pages inside a block: a page shared with the next block may hold its data.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  std::lock_guard<std::mutex> lock(regionMutex);
  for (Carving& c : carvings) {
    for (std::size_t i = 0; i < c.touchedCount; ++i) {
      const std::uintptr_t from = (c.touched[i] + page - 1) & ~(page - 1);
      const std::uintptr_t to = (c.touched[i] + c.blockBytes) & ~(page - 1);
      if (from < to) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    }
  }
#endif
}

std::size_t BlocksTouchedAhead() {
#ifdef __linux__
  std::lock_guard<std::mutex> lock(regionMutex);
  std::size_t waiting = 0;
  for (const Carving& c : carvings)
    waiting += c.touchedCount;
  return waiting;
#else
  return 0;
#endif
}

void PauseRegionPrefault(bool paused) {
#ifdef __linux__
  prefaultPaused.store(paused, std::memory_order_relaxed);
#else
  (void)paused;
#endif
}

ScopedBlockAllocationLimit::ScopedBlockAllocationLimit(long allowed)
    : previous_(allocationsLeft.load()) {
  allocationsLeft = allowed;
}

ScopedBlockAllocationLimit::~ScopedBlockAllocationLimit() {
  allocationsLeft = previous_;
}

}  // namespace vorn
