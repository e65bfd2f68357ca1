#include "analysis/LineIndex.h"

#include <algorithm>
#include <new>

#include "store/BlockMemory.h"

namespace vorn {

LineIndex::LineIndex(int32_t chunkLines) {
  shift_ = 6;  // a chunk holds whole groups
  static_assert(kGroupLines == 64);
  while ((int64_t{1} << shift_) < chunkLines && shift_ < 24)
    ++shift_;
  mask_ = (size_t{1} << shift_) - 1;
  basesBytes_ = ((mask_ + 1) / kGroupLines) * sizeof(uint32_t);
}

char* LineIndex::NewChunk() const {
  return static_cast<char*>(AllocateZeroedBlock(ChunkBytes(), BlockUse::Whole));
}

void LineIndex::FreeChunk(char* chunk) {
  FreeBlock(chunk);
}

bool LineIndex::AddChunk() {
  char* chunk = NewChunk();
  if (!chunk) return false;
  try {
    chunks_.push_back(chunk);
  } catch (const std::bad_alloc&) {
    FreeChunk(chunk);
    return false;
  }
  return true;
}

bool LineIndex::AppendSlow(uint32_t entry) {
  if (!AddChunk()) return false;
  if (Put(entry) || AppendApart(entry)) return true;
  FreeChunk(chunks_.back());
  chunks_.pop_back();
  return false;
}

bool LineIndex::AppendApart(uint32_t entry) {
  try {
    apart_.emplace_back(static_cast<uint32_t>(count_), entry);
  } catch (const std::bad_alloc&) {
    return false;
  }
  Distances(chunks_[count_ >> shift_])[count_ & mask_] = kApart;
  ++count_;
  return true;
}

uint32_t LineIndex::Apart(size_t line) const {
  const auto found = std::lower_bound(
      apart_.begin(), apart_.end(), std::pair<uint32_t, uint32_t>(static_cast<uint32_t>(line), 0));
  return found != apart_.end() && found->first == line ? found->second : 0;
}

void LineIndex::TruncateTo(size_t count) {
  if (count >= count_) return;
  count_ = count;
  // The chunks that hold its entries stay; the next entry goes where the cut one was.
  const size_t chunks = (count_ + mask_) >> shift_;
  for (size_t c = chunks; c < chunks_.size(); ++c)
    FreeChunk(chunks_[c]);
  chunks_.resize(chunks);
  while (!apart_.empty() && apart_.back().first >= count_)
    apart_.pop_back();
}

void LineIndex::Swap(LineIndex& other) {
  chunks_.swap(other.chunks_);
  apart_.swap(other.apart_);
  std::swap(count_, other.count_);
  std::swap(shift_, other.shift_);
  std::swap(mask_, other.mask_);
  std::swap(basesBytes_, other.basesBytes_);
}

void LineIndex::Clear() {
  for (char* chunk : chunks_)
    FreeChunk(chunk);
  chunks_.clear();
  chunks_.shrink_to_fit();
  apart_.clear();
  apart_.shrink_to_fit();
  count_ = 0;
}

}  // namespace vorn
