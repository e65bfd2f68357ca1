#include "store/ArticleKeyIndex.h"

#include <algorithm>

#include "store/ArticleRecord.h"
#include "store/BlockMemory.h"
#include "store/MiniList.h"

namespace vorn {
namespace {

struct RawView {
  int64_t key;
  int64_t time;
  bool operator==(const RawView&) const = default;
};

RawView RawOf(const ArticleRecord& r) {
  int64_t add = r.Rebased == 1 ? RebaseOffset : 0;
  return {r.ArticleKey + add, r.PostTime + add};
}

uint32_t HashOf(const RawView& v) {
  uint64_t h = static_cast<uint64_t>(v.key) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(v.time);
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return static_cast<uint32_t>(h >> 32);
}

const ArticleRecord& RecordAt(const TMiniList& storage, int32_t index) {
  return *static_cast<const ArticleRecord*>(storage.GetItem(index));
}

}  // namespace

void ArticleKeyIndex::Release() {
  FreeBlock(slots_);
  slots_ = nullptr;
  slotCount_ = 0;
  indexed_ = 0;
  valid_ = false;
  ForgetLargestKey();
}

bool ArticleKeyIndex::AboveEveryKey(const TMiniList& storage, int64_t key) {
  if (scanned_ > storage.Count()) ForgetLargestKey();
  for (; scanned_ < storage.Count(); ++scanned_)
    largestKey_ = std::max(largestKey_, RawOf(RecordAt(storage, scanned_)).key);
  return key > largestKey_;
}

int32_t ArticleKeyIndex::Find(const TMiniList& storage, int32_t key, int32_t time) {
  // A board's articles mostly come in the order of their keys: a key above every stored one is
  // answered without the table, which is then built only when a key comes again.
  if (AboveEveryKey(storage, key)) return -1;
  const RawView wanted{key, time};
  // A placeholder carries the key of the parent it stands for and the time of its reply: for a
  // reply that names itself as its parent, the key and time of that reply. It answers only
  // when no article has that key and time, so that read marks and articles read again go to
  // the article.
  int32_t newest = -1, newestPlaceholder = -1;
  auto consider = [&](int32_t index) {
    const ArticleRecord& r = RecordAt(storage, index);
    if (r.Used != 1 || !(RawOf(r) == wanted)) return;
    int32_t& best = r.Kind == ArticleKindMissingRoot ? newestPlaceholder : newest;
    if (index > best) best = index;
  };
  if (!CatchUp(storage)) {
    // Without memory for the index the lookup still works, only slower.
    for (int32_t i = storage.Count() - 1; i >= 0 && newest < 0; --i)
      consider(i);
    return newest >= 0 ? newest : newestPlaceholder;
  }
  if (slotCount_ == 0) return -1;
  const uint32_t hash = HashOf(wanted);
  const size_t mask = slotCount_ - 1;
  for (size_t pos = hash & mask; slots_[pos].entry != 0; pos = (pos + 1) & mask) {
    if (slots_[pos].hash == hash) consider(slots_[pos].entry - 1);
  }
  return newest >= 0 ? newest : newestPlaceholder;
}

bool ArticleKeyIndex::CatchUp(const TMiniList& storage) {
  if (!valid_ || indexed_ > storage.Count()) {
    if (slots_) {
      for (size_t s = 0; s < slotCount_; ++s)
        slots_[s] = Slot{0, 0};
    }
    indexed_ = 0;
    valid_ = true;
  }
  if (indexed_ == storage.Count()) return true;
  if (slotCount_ < 2 * static_cast<size_t>(storage.Count())) {
    size_t wanted = slotCount_ == 0 ? 16 : slotCount_;
    while (wanted < 2 * static_cast<size_t>(storage.Count()))
      wanted *= 2;
    if (!Rehash(wanted)) {
      Release();
      return false;
    }
  }
  for (; indexed_ < storage.Count(); ++indexed_)
    Insert(storage, indexed_);
  return true;
}

void ArticleKeyIndex::Insert(const TMiniList& storage, int32_t index) {
  const uint32_t hash = HashOf(RawOf(RecordAt(storage, index)));
  const size_t mask = slotCount_ - 1;
  size_t pos = hash & mask;
  while (slots_[pos].entry != 0)
    pos = (pos + 1) & mask;
  slots_[pos] = {index + 1, hash};
}

bool ArticleKeyIndex::Rehash(size_t slotCount) {
  auto* fresh = static_cast<Slot*>(AllocateZeroedBlock(slotCount * sizeof(Slot)));
  if (!fresh) return false;
  const size_t mask = slotCount - 1;
  for (size_t s = 0; s < slotCount_; ++s) {
    if (slots_[s].entry == 0) continue;
    size_t pos = slots_[s].hash & mask;
    while (fresh[pos].entry != 0)
      pos = (pos + 1) & mask;
    fresh[pos] = slots_[s];
  }
  FreeBlock(slots_);
  slots_ = fresh;
  slotCount_ = slotCount;
  return true;
}

}  // namespace vorn
