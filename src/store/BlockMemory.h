#pragma once

#include <cstddef>

namespace vorn {

// The stores take their memory in large zero-filled blocks and must notice when a block cannot
// be had, so that they can tell the user once and stop adding instead of failing halfway
// through a record. Every block of the stores comes from here.

// How much of a block its user will write: the stores that fill theirs from the first byte to
// the last (records, line indexes) say Whole, and further blocks of that size are then touched
// ahead while a ScopedRegionPrefault lives.
enum class BlockUse { Sparse, Whole };

// A zero-filled block of the given size, or nullptr when the memory cannot be had.
void* AllocateZeroedBlock(std::size_t bytes, BlockUse use = BlockUse::Sparse);
void FreeBlock(void* block);

// While one lives (and `wanted`), a thread that runs only on an otherwise idle core carves and
// touches the next blocks of each size asked for Whole, handed out before any other, so that
// the thread filling the stores does not stop at the first touch of every page. Loads that
// store much on one thread while another core waits keep one for their length; blocks still
// waiting when the last one ends give their pages back.
class ScopedRegionPrefault {
 public:
  explicit ScopedRegionPrefault(bool wanted);
  ~ScopedRegionPrefault();
  ScopedRegionPrefault(const ScopedRegionPrefault&) = delete;
  ScopedRegionPrefault& operator=(const ScopedRegionPrefault&) = delete;

 private:
  bool active_ = false;
};

// Pauses touching ahead, or takes it up again, for a ScopedRegionPrefault that lives. A load's
// walk of a log keeps both cores busy, and pages touched on the side then only slow it (both
// cores' caches go to pages nobody reads yet); replaying what the cache kept leaves one idle.
void PauseRegionPrefault(bool paused);

// Blocks carved ahead and not handed out yet. Tests wait on it to meet the prefaulter's work.
std::size_t BlocksTouchedAhead();

// Lets the next `allowed` block allocations succeed and makes every later one fail, for as long
// as the object lives. Tests use it to walk the stores' out-of-memory paths.
class ScopedBlockAllocationLimit {
 public:
  explicit ScopedBlockAllocationLimit(long allowed);
  ~ScopedBlockAllocationLimit();
  ScopedBlockAllocationLimit(const ScopedBlockAllocationLimit&) = delete;
  ScopedBlockAllocationLimit& operator=(const ScopedBlockAllocationLimit&) = delete;

 private:
  long previous_;
};

}  // namespace vorn
