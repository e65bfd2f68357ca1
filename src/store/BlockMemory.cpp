#include "store/BlockMemory.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

#ifdef __linux__
#include <sys/mman.h>
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

// Blocks of one size are carved from regions of their own: a region whose tail is too small for
// the next block would otherwise be left with a hole.
struct Carving {
  std::size_t blockBytes = 0;
  std::uintptr_t region = 0;  // handing out blocks; 0 = none
  std::size_t carved = 0;     // bytes handed out from it
};
constexpr int kCarvings = 4;
Carving carvings[kCarvings];
int nextCarving = 0;

Carving& CarvingFor(std::size_t bytes) {
  for (Carving& c : carvings) {
    if (c.blockBytes == bytes) return c;
  }
  // A size not seen yet takes over the least recent slot; its region is left to its blocks.
  Carving& c = carvings[nextCarving];
  nextCarving = (nextCarving + 1) % kCarvings;
  if (c.region != 0) {
    auto old = regions.find(c.region);
    if (old != regions.end() && old->second.liveBlocks == 0) {
      ::munmap(reinterpret_cast<void*>(c.region), kRegionBytes);
      regions.erase(old);
    }
  }
  c = Carving{bytes, 0, 0};
  return c;
}

void* AllocateFromRegion(std::size_t bytes) {
  std::lock_guard<std::mutex> lock(regionMutex);
  bytes = (bytes + 63) & ~std::size_t{63};
  Carving& carving = CarvingFor(bytes);
  if (carving.region == 0 || carving.carved + bytes > kRegionBytes) {
    // Map twice the size to find an aligned region inside, then give back the rest.
    void* raw = ::mmap(nullptr, 2 * kRegionBytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t base = (start + kRegionBytes - 1) & ~(kRegionBytes - 1);
    if (base > start) ::munmap(raw, base - start);
    const std::uintptr_t tail = base + kRegionBytes;
    if (start + 2 * kRegionBytes > tail)
      ::munmap(reinterpret_cast<void*>(tail), start + 2 * kRegionBytes - tail);
    try {
      regions.emplace(base, Region{});
    } catch (const std::bad_alloc&) {
      ::munmap(reinterpret_cast<void*>(base), kRegionBytes);
      return nullptr;
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
  void* block = reinterpret_cast<void*>(carving.region + carving.carved);
  carving.carved += bytes;
  return block;
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
  const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(block) & ~(kRegionBytes - 1);
  auto it = regions.find(base);
  if (it == regions.end()) return false;
  if (--it->second.liveBlocks == 0) {
    ::munmap(reinterpret_cast<void*>(base), kRegionBytes);
    regions.erase(it);
    for (Carving& c : carvings) {
      if (c.region == base) c.region = 0;
    }
  }
  return true;
}
#endif

}  // namespace

void* AllocateZeroedBlock(std::size_t bytes) {
  long left = allocationsLeft.load(std::memory_order_relaxed);
  while (left != 0) {
    if (left < 0 || allocationsLeft.compare_exchange_weak(left, left - 1)) break;
  }
  if (left == 0) return nullptr;
#ifdef __linux__
  if (bytes >= kSmallestRegionBlock && bytes <= kLargestRegionBlock) {
    return AllocateFromRegion(bytes);
  }
  if (bytes > kLargestRegionBlock) return AllocateLarge(bytes);
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

ScopedBlockAllocationLimit::ScopedBlockAllocationLimit(long allowed)
    : previous_(allocationsLeft.load()) {
  allocationsLeft = allowed;
}

ScopedBlockAllocationLimit::~ScopedBlockAllocationLimit() {
  allocationsLeft = previous_;
}

}  // namespace vorn
