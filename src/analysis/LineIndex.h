#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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
  bool AppendSlow(uint32_t entry);
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
  // Everything that can fail comes first: the chunks, and room for the entries that will lie
  // apart (other's groups fall differently in this index, so they are counted anew).
  size_t apart = 0;
  uint32_t base = count_ % kGroupLines == 0
                      ? 0
                      : Bases(chunks_[count_ >> shift_])[(count_ & mask_) / kGroupLines];
  for (size_t j = 0; j < moved; ++j) {
    const size_t line = count_ + j;
    const uint32_t entry = map(other.Get(j));
    if (line % kGroupLines == 0) base = entry;
    if (IsApart(line, entry, base)) ++apart;
  }
  const size_t chunksNeeded = (count_ + moved + mask_) >> shift_;
  std::vector<char*> fresh;
  try {
    apart_.reserve(apart_.size() + apart);
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
  for (size_t j = 0; j < moved; ++j) {
    const uint32_t entry = map(other.Get(j));
    if (!Put(entry)) AppendApart(entry);  // room was made above: cannot fail
  }
  return true;
}

}  // namespace vorn
