#include "store/TextArena.h"

#include <cstring>
#include <mutex>
#include <new>

#include "store/BlockMemory.h"

namespace vorn {
namespace text_arena {

const char* segmentBases[kSegmentSlots] = {};

}  // namespace text_arena

namespace {

// The first segment of an arena is small (most boards hold a few articles); each next one is
// twice the last, up to the largest a handle can address.
constexpr uint32_t kFirstSegment = 256;
constexpr std::size_t kFirstRecentSlots = 64;
constexpr std::size_t kMostRecentSlots = 4096;

// Segment numbers are handed out and taken back by every arena of the process; readers only
// ever look up numbers they were given, so reading needs no lock.
std::mutex numberMutex;
std::vector<uint32_t> freeNumbers;
uint32_t nextNumber = 1;

bool TakeSegmentNumber(const char* base, uint32_t& number) {
  std::lock_guard<std::mutex> lock(numberMutex);
  if (!freeNumbers.empty()) {
    number = freeNumbers.back();
    freeNumbers.pop_back();
  } else if (nextNumber < text_arena::kSegmentSlots) {
    number = nextNumber++;
  } else {
    return false;
  }
  text_arena::segmentBases[number] = base;
  return true;
}

void GiveBackSegmentNumber(uint32_t number) {
  std::lock_guard<std::mutex> lock(numberMutex);
  text_arena::segmentBases[number] = nullptr;
  try {
    freeNumbers.push_back(number);
  } catch (const std::bad_alloc&) {
    // The number is lost to this process; there are hundreds of thousands.
  }
}

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
  std::memcpy(&tail, text.data() + i, text.size() - i);
  h = (h ^ tail) * 0x94D049BB133111EBull;
  return h ^ (h >> 31);
}

}  // namespace

TTextArena::~TTextArena() {
  Clear();
}

void TTextArena::Clear() {
  for (const Segment& segment : segments_) {
    GiveBackSegmentNumber(segment.number);
    FreeBlock(segment.base);
  }
  segments_.clear();
  segments_.shrink_to_fit();
  recent_.clear();
  recent_.shrink_to_fit();
  current_ = nullptr;
  currentNumber_ = 0;
  used_ = size_ = 0;
  segmentBytes_ = 0;
  stored_ = 0;
}

bool TTextArena::NewSegment(uint32_t atLeast) {
  uint32_t size = size_ == 0 ? kFirstSegment : size_ * 2;
  if (size > text_arena::kLargestSegment) size = text_arena::kLargestSegment;
  if (size < atLeast) size = atLeast;
  char* segment = static_cast<char*>(AllocateZeroedBlock(size));
  if (!segment) return false;
  uint32_t number = 0;
  try {
    segments_.reserve(segments_.size() + 1);
  } catch (const std::bad_alloc&) {
    FreeBlock(segment);
    return false;
  }
  if (!TakeSegmentNumber(segment, number)) {
    FreeBlock(segment);
    return false;
  }
  segments_.push_back({number, segment});
  current_ = segment;
  currentNumber_ = number;
  used_ = 0;
  size_ = size;
  segmentBytes_ += size;
  return true;
}

TTextArena::Recent* TTextArena::RecentSlot(uint32_t hash) {
  if (recent_.size() < kMostRecentSlots && stored_ >= 4 * recent_.size()) {
    // A bigger list repeats over a longer stretch: a bigger table, started afresh.
    const std::size_t slots = recent_.empty() ? kFirstRecentSlots : recent_.size() * 4;
    try {
      recent_.assign(slots, Recent{0, 0});
    } catch (const std::bad_alloc&) {
      recent_.clear();
    }
    stored_ = 0;
  }
  if (recent_.empty()) return nullptr;
  return &recent_[hash & (recent_.size() - 1)];
}

bool TTextArena::Store(std::string_view text, uint32_t& handle) {
  if (text.empty()) {
    handle = 0;
    return true;
  }
  if (text.size() > 255) return false;
  const uint32_t hash = static_cast<uint32_t>(HashOf(text) >> 32);
  Recent* slot = RecentSlot(hash);
  if (slot && slot->handle != 0 && slot->hash == hash && ArenaText(slot->handle) == text) {
    handle = slot->handle;
    return true;
  }
  const uint32_t bytes = static_cast<uint32_t>(text.size()) + 1;
  if (!current_ || used_ + bytes > size_) {
    if (!NewSegment(bytes)) return false;
  }
  char* at = current_ + used_;
  at[0] = static_cast<char>(text.size());
  std::memcpy(at + 1, text.data(), text.size());
  handle = (currentNumber_ << text_arena::kOffsetBits) | used_;
  used_ += bytes;
  ++stored_;
  if (slot) *slot = Recent{handle, hash};
  return true;
}

}  // namespace vorn
