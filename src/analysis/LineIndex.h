#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace vorn {

// One 32-bit entry per line of a line list (where the line lies in its block), kept in about
// 2.06 bytes a line: an archive holds tens of millions of lines, and their index is what memory
// pays for every one of them.
//
// Lines go in groups of 64. Lines of one block follow each other, so a group's entries mostly lie
// within 64 KB of its first: the group keeps its first entry whole and every line's distance from
// it in 16 bits. An entry that does not fit so (a line in the next block, a long line's number, a
// line after lines of more than 1 KB on average) is kept whole beside, found by its line number:
// a few per block change. The index grows in chunks of a fixed number of lines, each a block of
// memory.
class LineIndex final {
 public:
  static constexpr size_t kGroupLines = 64;

  // chunkLines: lines per chunk, rounded up to a power of two of at least a group.
  explicit LineIndex(int32_t chunkLines);
  ~LineIndex() { Clear(); }
  LineIndex(const LineIndex&) = delete;
  LineIndex& operator=(const LineIndex&) = delete;

  size_t Count() const { return count_; }
  uint32_t Get(size_t line) const {
    const char* chunk = chunks_[line >> shift_];
    const size_t in = line & mask_;
    const uint16_t distance = Distances(chunk)[in];
    if (distance == kApart) [[unlikely]]
      return Apart(line);
    return Bases(chunk)[in / kGroupLines] + distance;
  }
  // False, with nothing added, when memory ran out.
  bool Append(uint32_t entry) {
    if (count_ == Capacity()) return AppendSlow(entry);
    return Put(entry) || AppendApart(entry);
  }
  // Appends every entry of other, each as map(entry) gives it. All or nothing: false, with this
  // index as it was, when memory ran out.
  template <class Map>
  bool AppendAll(const LineIndex& other, Map&& map);
  // Appends n entries (at most a group) at once, where a group begins (Count() a multiple of
  // kGroupLines). All or nothing: false, with nothing added, when memory ran out.
  bool AppendRun(const uint32_t* entries, size_t n);

  void TruncateTo(size_t count);
  void Swap(LineIndex& other);
  void Clear();
  void Prefetch(size_t line) const {
    const char* chunk = chunks_[line >> shift_];
    __builtin_prefetch(Distances(chunk) + (line & mask_));
    __builtin_prefetch(Bases(chunk) + (line & mask_) / kGroupLines);
  }

 private:
  static constexpr uint16_t kApart = 0xffff;

  size_t Capacity() const { return chunks_.size() << shift_; }
  // A chunk holds its groups' first entries, then every line's distance from its group's.
  static const uint32_t* Bases(const char* chunk) {
    return reinterpret_cast<const uint32_t*>(chunk);
  }
  static uint32_t* Bases(char* chunk) { return reinterpret_cast<uint32_t*>(chunk); }
  const uint16_t* Distances(const char* chunk) const {
    return reinterpret_cast<const uint16_t*>(chunk + basesBytes_);
  }
  uint16_t* Distances(char* chunk) const {
    return reinterpret_cast<uint16_t*>(chunk + basesBytes_);
  }
  // Whether entry at line lies apart from the first entry of its group `base`.
  static bool IsApart(size_t line, uint32_t entry, uint32_t base) {
    return line % kGroupLines != 0 && (entry < base || entry - base >= kApart);
  }
  // Stores entry at the next line, in a chunk already there; false when it lies apart (nothing
  // stored: AppendApart keeps it beside).
  bool Put(uint32_t entry) {
    char* chunk = chunks_[count_ >> shift_];
    const size_t in = count_ & mask_;
    uint32_t& base = Bases(chunk)[in / kGroupLines];
    if (in % kGroupLines == 0) base = entry;
    if (IsApart(count_, entry, base)) return false;
    Distances(chunk)[in] = static_cast<uint16_t>(entry - base);
    ++count_;
    return true;
  }
  // Stores n entries (at most a group) where a group begins, in a chunk already there; false,
  // with nothing stored, when an entry kept apart found no memory.
  bool PutGroup(const uint32_t* entries, size_t n);
  bool AppendSlow(uint32_t entry);
  // A chunk more at the end; false when memory ran out.
  bool AddChunk();
  bool AppendApart(uint32_t entry);
  uint32_t Apart(size_t line) const;
  char* NewChunk() const;
  static void FreeChunk(char* chunk);
  size_t ChunkBytes() const { return basesBytes_ + (mask_ + 1) * sizeof(uint16_t); }

  std::vector<char*> chunks_;
  // The entries kept whole, by line, in line order.
  std::vector<std::pair<uint32_t, uint32_t>> apart_;
  size_t count_ = 0;
  unsigned shift_;
  size_t mask_;
  size_t basesBytes_;
};

template <class Map>
bool LineIndex::AppendAll(const LineIndex& other, Map&& map) {
  const size_t moved = other.count_;
  const size_t before = count_;
  // The chunks come first; an entry that has to lie apart is the only other allocation, and
  // when it fails everything appended is cut off again.
  const size_t chunksNeeded = (count_ + moved + mask_) >> shift_;
  std::vector<char*> fresh;
  try {
    chunks_.reserve(chunksNeeded);
    fresh.reserve(chunksNeeded - chunks_.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
  while (chunks_.size() + fresh.size() < chunksNeeded) {
    char* chunk = NewChunk();
    if (!chunk) {
      for (char* c : fresh)
        FreeChunk(c);
      return false;
    }
    fresh.push_back(chunk);
  }
  chunks_.insert(chunks_.end(), fresh.begin(), fresh.end());
  // Group by group of this index. Its groups fall across two groups of the other index at the
  // same place each time, so two of the other's groups are decoded side by side (a window that
  // slides a group at a time) and each of this index's groups reads its entries at a fixed
  // offset there. Every loop runs over a whole group without branches, which the compiler turns
  // into vector code; entries kept apart are rare and taken one by one. A splice of millions of
  // lines costs well under a nanosecond a line.
  size_t apart = 0;  // the other index's next entry kept apart
  size_t j = 0;      // the other index's next line to take
  auto entryOf = [&](size_t line) {
    const char* chunk = other.chunks_[line >> other.shift_];
    const size_t in = line & other.mask_;
    const uint16_t distance = other.Distances(chunk)[in];
    if (distance != kApart) return map(Bases(chunk)[in / kGroupLines] + distance);
    while (other.apart_[apart].first < line)
      ++apart;
    return map(other.apart_[apart].second);
  };
  // The other's group `group` into out, mapped; lines past its end are left as they come.
  auto decode = [&](size_t group, uint32_t* __restrict out) {
    const size_t first = group * kGroupLines;
    if (first >= moved) return;
    const char* chunk = other.chunks_[first >> other.shift_];
    const size_t in = first & other.mask_;
    const uint32_t base = Bases(chunk)[in / kGroupLines];
    const uint16_t* __restrict distances = other.Distances(chunk) + in;
    uint32_t anyApart = 0;
    for (size_t i = 0; i < kGroupLines; ++i) {
      out[i] = map(base + distances[i]);
      anyApart |= distances[i] == kApart;
    }
    if (anyApart) [[unlikely]] {
      // Lines already taken entry by entry are not looked up again: the search goes forward.
      for (size_t i = 0; i < kGroupLines && first + i < moved; ++i) {
        if (distances[i] == kApart && first + i >= j) out[i] = entryOf(first + i);
      }
    }
  };

  // This index's open group is filled up entry by entry.
  for (; j < moved && count_ % kGroupLines != 0; ++j) {
    const uint32_t entry = entryOf(j);
    if (!Put(entry) && !AppendApart(entry)) {
      TruncateTo(before);
      return false;
    }
  }
  if (j == moved) return true;
  const size_t offset = j % kGroupLines;
  size_t group = j / kGroupLines;
  uint32_t window[2 * kGroupLines];
  decode(group, window);
  decode(group + 1, window + kGroupLines);
  while (j < moved) {
    const size_t n = std::min(kGroupLines, moved - j);
    if (!PutGroup(window + offset, n)) {
      TruncateTo(before);
      return false;
    }
    j += n;
    std::memcpy(window, window + kGroupLines, kGroupLines * sizeof(uint32_t));
    decode(++group + 1, window + kGroupLines);
  }
  return true;
}

inline bool LineIndex::PutGroup(const uint32_t* __restrict entries, size_t n) {
  char* chunk = chunks_[count_ >> shift_];
  const size_t in = count_ & mask_;
  const uint32_t base = entries[0];
  uint16_t* __restrict distances = Distances(chunk) + in;
  uint32_t anyApart = 0;
  auto put = [&](size_t i) {
    const uint32_t distance = entries[i] - base;
    const uint32_t isApart = (entries[i] < base) | (distance >= kApart);
    distances[i] = isApart ? kApart : static_cast<uint16_t>(distance);
    anyApart |= isApart;
  };
  // A whole group in a loop of fixed length, which the compiler makes vector code of.
  if (n == kGroupLines) {
    for (size_t i = 0; i < kGroupLines; ++i)
      put(i);
  } else {
    for (size_t i = 0; i < n; ++i)
      put(i);
  }
  if (anyApart) [[unlikely]] {
    const size_t apartBefore = apart_.size();
    for (size_t i = 0; i < n; ++i) {
      if (distances[i] != kApart) continue;
      try {
        apart_.emplace_back(static_cast<uint32_t>(count_ + i), entries[i]);
      } catch (const std::bad_alloc&) {
        apart_.resize(apartBefore);
        return false;
      }
    }
  }
  Bases(chunk)[in / kGroupLines] = base;
  count_ += n;
  return true;
}

inline bool LineIndex::AppendRun(const uint32_t* entries, size_t n) {
  if (n == 0) return true;
  if (count_ == Capacity() && !AddChunk()) return false;
  return PutGroup(entries, n);
}

}  // namespace vorn
