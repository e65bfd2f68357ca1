#include "store/ArticleKeyIndex.h"

#include <new>

#include "store/ArticleRecord.h"
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

int32_t ArticleKeyIndex::Find(const TMiniList& storage, int32_t key, int32_t time) {
  const RawView wanted{key, time};
  if (!CatchUp(storage)) {
    // Without memory for the index the lookup still works, only slower.
    for (int32_t i = storage.Count() - 1; i >= 0; --i) {
      const ArticleRecord& r = RecordAt(storage, i);
      if (r.Used == 1 && RawOf(r) == wanted) return i;
    }
    return -1;
  }
  if (slots_.empty()) return -1;
  const uint32_t hash = HashOf(wanted);
  const size_t mask = slots_.size() - 1;
  for (size_t pos = hash & mask; slots_[pos].head >= 0; pos = (pos + 1) & mask) {
    if (slots_[pos].hash != hash || !(RawOf(RecordAt(storage, slots_[pos].head)) == wanted)) {
      continue;
    }
    for (int32_t i = slots_[pos].head; i >= 0; i = older_[static_cast<size_t>(i)]) {
      if (RecordAt(storage, i).Used == 1) return i;
    }
    return -1;
  }
  return -1;
}

bool ArticleKeyIndex::CatchUp(const TMiniList& storage) {
  try {
    if (!valid_ || indexed_ > storage.Count()) {
      slots_.clear();
      older_.clear();
      indexed_ = 0;
      valid_ = true;
    }
    if (indexed_ == storage.Count()) return true;
    older_.resize(static_cast<size_t>(storage.Count()));
    if (slots_.size() < 2 * static_cast<size_t>(storage.Count())) {
      size_t wanted = slots_.empty() ? 16 : slots_.size();
      while (wanted < 2 * static_cast<size_t>(storage.Count()))
        wanted *= 2;
      Rehash(wanted);
    }
    for (; indexed_ < storage.Count(); ++indexed_)
      Insert(storage, indexed_);
    return true;
  } catch (const std::bad_alloc&) {
    valid_ = false;
    slots_ = {};
    older_ = {};
    return false;
  }
}

void ArticleKeyIndex::Insert(const TMiniList& storage, int32_t index) {
  const RawView view = RawOf(RecordAt(storage, index));
  const uint32_t hash = HashOf(view);
  const size_t mask = slots_.size() - 1;
  size_t pos = hash & mask;
  for (; slots_[pos].head >= 0; pos = (pos + 1) & mask) {
    if (slots_[pos].hash == hash && RawOf(RecordAt(storage, slots_[pos].head)) == view) {
      older_[static_cast<size_t>(index)] = slots_[pos].head;
      slots_[pos].head = index;
      return;
    }
  }
  slots_[pos] = {index, hash};
  older_[static_cast<size_t>(index)] = -1;
}

void ArticleKeyIndex::Rehash(size_t slotCount) {
  std::vector<Slot> old(slotCount, Slot{-1, 0});
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.head < 0) continue;
    size_t pos = s.hash & mask;
    while (slots_[pos].head >= 0)
      pos = (pos + 1) & mask;
    slots_[pos] = s;
  }
}

}  // namespace vorn
