#include "store/BlockMemory.h"

#include <cstdlib>

namespace vorn {
namespace {

// Allocations still allowed; negative means no limit.
long allocationsLeft = -1;

}  // namespace

void* AllocateZeroedBlock(std::size_t bytes) {
  if (allocationsLeft == 0) return nullptr;
  if (allocationsLeft > 0) --allocationsLeft;
  return std::calloc(1, bytes == 0 ? 1 : bytes);
}

void FreeBlock(void* block) {
  std::free(block);
}

ScopedBlockAllocationLimit::ScopedBlockAllocationLimit(long allowed) : previous_(allocationsLeft) {
  allocationsLeft = allowed;
}

ScopedBlockAllocationLimit::~ScopedBlockAllocationLimit() {
  allocationsLeft = previous_;
}

}  // namespace vorn
