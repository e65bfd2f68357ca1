#include "store/BlockMemory.h"

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

// Allocations still allowed; negative means no limit.
long allocationsLeft = -1;

#ifdef __linux__
// Large blocks (the log store's half-megabyte blocks, its index chunks) are carved out of
// 2 MiB regions that the kernel may back with huge pages. Filling a big log touches every page
// of its blocks once, and taking those pages one 4 KiB fault at a time costs more than reading
// the file. A region goes back to the system when its last block is freed; freed blocks are not
// reused before that, so every block handed out is still zero from the kernel.
constexpr std::size_t kRegionBytes = std::size_t{2} << 20;
constexpr std::size_t kSmallestRegionBlock = std::size_t{128} << 10;
constexpr std::size_t kLargestRegionBlock = std::size_t{1} << 20;

struct Region {
  std::size_t liveBlocks = 0;
};

std::mutex regionMutex;
std::unordered_map<std::uintptr_t, Region> regions;  // by base address
std::uintptr_t carving = 0;                          // region handing out blocks; 0 = none
std::size_t carved = 0;                              // bytes handed out from it

void* AllocateFromRegion(std::size_t bytes) {
  std::lock_guard<std::mutex> lock(regionMutex);
  bytes = (bytes + 63) & ~std::size_t{63};
  if (carving == 0 || carved + bytes > kRegionBytes) {
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
    ::madvise(reinterpret_cast<void*>(base), kRegionBytes, MADV_HUGEPAGE);
    try {
      regions.emplace(base, Region{});
    } catch (const std::bad_alloc&) {
      ::munmap(reinterpret_cast<void*>(base), kRegionBytes);
      return nullptr;
    }
    // The region given up keeps living until its blocks are freed.
    auto old = regions.find(carving);
    if (old != regions.end() && old->second.liveBlocks == 0) {
      ::munmap(reinterpret_cast<void*>(carving), kRegionBytes);
      regions.erase(old);
    }
    carving = base;
    carved = 0;
  }
  ++regions[carving].liveBlocks;
  void* block = reinterpret_cast<void*>(carving + carved);
  carved += bytes;
  return block;
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
    if (carving == base) carving = 0;
  }
  return true;
}
#endif

}  // namespace

void* AllocateZeroedBlock(std::size_t bytes) {
  if (allocationsLeft == 0) return nullptr;
  if (allocationsLeft > 0) --allocationsLeft;
#ifdef __linux__
  if (bytes >= kSmallestRegionBlock && bytes <= kLargestRegionBlock) {
    return AllocateFromRegion(bytes);
  }
#endif
  return std::calloc(1, bytes == 0 ? 1 : bytes);
}

void FreeBlock(void* block) {
  if (!block) return;
#ifdef __linux__
  if (FreeToRegion(block)) return;
#endif
  std::free(block);
}

ScopedBlockAllocationLimit::ScopedBlockAllocationLimit(long allowed) : previous_(allocationsLeft) {
  allocationsLeft = allowed;
}

ScopedBlockAllocationLimit::~ScopedBlockAllocationLimit() {
  allocationsLeft = previous_;
}

}  // namespace vorn
