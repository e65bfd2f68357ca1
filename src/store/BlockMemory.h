#pragma once

#include <cstddef>

namespace vorn {

// The stores take their memory in large zero-filled blocks and must notice when a block cannot
// be had, so that they can tell the user once and stop adding instead of failing halfway
// through a record. Every block of the stores comes from here.

// A zero-filled block of the given size, or nullptr when the memory cannot be had.
void* AllocateZeroedBlock(std::size_t bytes);
void FreeBlock(void* block);

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
