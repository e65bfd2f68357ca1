#include "store/TextArena.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "store/BlockMemory.h"

namespace vorn {
namespace {

// The table of recent texts starts small, so that a board of one article costs little, and
// grows fourfold up to the most slots.
constexpr std::size_t kFirstRecentSlots = 8;
constexpr std::size_t kMostRecentSlots = 4096;

uint64_t HashOf(std::string_view text) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
  }
  uint64_t tail = 0;
  // The empty text may have no bytes at all (a null data pointer).
  if (i < text.size()) std::memcpy(&tail, text.data() + i, text.size() - i);
  h = (h ^ tail) * 0x94D049BB133111EBull;
  return h ^ (h >> 31);
}

}  // namespace

uint32_t TTextArena::PairHash(std::string_view first, std::string_view second) {
  return static_cast<uint32_t>((HashOf(first) * 0x9E3779B97F4A7C15ull ^ HashOf(second)) >> 32);
}

TTextArena::~TTextArena() {
  Clear();
}

void TTextArena::Clear() {
  for (char* segment : segments_)
    FreeBlock(segment);
  segments_.clear();
  segments_.shrink_to_fit();
  recent_.clear();
  recent_.shrink_to_fit();
  current_ = nullptr;
  used_ = size_ = 0;
  segmentBytes_ = 0;
  stored_ = 0;
}

bool TTextArena::NewSegment(uint32_t atLeast) {
  uint32_t size = size_ == 0 ? FirstSegmentBytes : std::min(size_ * 2, LargestSegmentBytes);
  if (size < atLeast) size = atLeast;
  try {
    segments_.reserve(segments_.size() + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  char* segment = static_cast<char*>(AllocateZeroedBlock(size));
  if (!segment) return false;
  segments_.push_back(segment);
  current_ = segment;
  used_ = 0;
  size_ = size;
  segmentBytes_ += size;
  return true;
}

TTextArena::Recent* TTextArena::RecentSlot(uint32_t hash) {
  if (recent_.size() < kMostRecentSlots && stored_ >= 4 * recent_.size()) {
    // A bigger list repeats over a longer stretch: a bigger table, started afresh.
    const std::size_t slots =
        recent_.empty() ? kFirstRecentSlots : std::min(recent_.size() * 4, kMostRecentSlots);
    try {
      recent_.assign(slots, Recent{nullptr, 0});
    } catch (const std::bad_alloc&) {
      recent_.clear();
    }
    stored_ = 0;
  }
  if (recent_.empty()) return nullptr;
  return &recent_[hash & (recent_.size() - 1)];
}

void TTextArena::Prefetch(uint32_t hash, bool storedText) const {
  if (recent_.empty()) return;
  const Recent& slot = recent_[hash & (recent_.size() - 1)];
  if (!storedText) {
    __builtin_prefetch(&slot);
  } else if (slot.stored && slot.hash == hash) {
    __builtin_prefetch(slot.stored);
  }
}

bool TTextArena::StorePair(std::string_view first, std::string_view second, const char*& stored,
                           uint32_t hash) {
  if (first.empty() && second.empty()) {
    stored = nullptr;
    return true;
  }
  if (first.size() > 255 || second.size() > 255) return false;
  Recent* slot = RecentSlot(hash);
  if (slot && slot->stored && slot->hash == hash && ArenaText(slot->stored) == first &&
      ArenaSecondText(slot->stored) == second) {
    stored = slot->stored;
    return true;
  }
  const uint32_t bytes = static_cast<uint32_t>(first.size() + second.size()) + 2;
  if (!current_ || used_ + bytes > size_) {
    if (!NewSegment(bytes)) return false;
  }
  char* at = current_ + used_;
  at[0] = static_cast<char>(first.size());
  if (!first.empty()) std::memcpy(at + 1, first.data(), first.size());
  at[1 + first.size()] = static_cast<char>(second.size());
  if (!second.empty()) std::memcpy(at + 2 + first.size(), second.data(), second.size());
  used_ += bytes;
  ++stored_;
  if (slot) *slot = Recent{at, hash};
  stored = at;
  return true;
}

}  // namespace vorn
