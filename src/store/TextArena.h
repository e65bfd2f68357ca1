#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The short texts of article records (titles, ID texts) live in arenas, one per article list,
// instead of in fixed slots inside every record: a text takes its own length plus one byte, and
// a record holds a pointer to a pair of them (its own title and ID, its parent's). Boards of a
// big archive hold millions of records, and fixed slots of 32 and 128 bytes made them the
// largest part of a loaded archive; a pointer for each text was still a quarter of a record.
//
// A field points straight at its stored bytes, so it reads back without its arena and without a
// table shared by every arena: a record copied out of its list still shows its title, for as
// long as the list keeps its texts (until it is cleared or destroyed), and how many boards,
// articles and texts a process holds is bounded by its memory alone.

// The text stored at an address: a length byte and that many bytes; nullptr is the empty text.
inline std::string_view ArenaText(const char* stored) {
  if (!stored) return {};
  return std::string_view(stored + 1, static_cast<unsigned char>(stored[0]));
}

// The second text of a pair stored at an address: it follows the first.
inline std::string_view ArenaSecondText(const char* stored) {
  if (!stored) return {};
  return ArenaText(stored + 1 + static_cast<unsigned char>(stored[0]));
}

// Two text fields of a record with capacities of N1 and N2 bytes, kept as one in the record's
// arena: the first text, then the second, each a length byte and its bytes; nullptr is two empty
// texts. The record stays trivially copyable; copies share the stored bytes. Values are cut to
// their capacity by the store that sets them (CutToCapacity), even inside a double-byte
// character, because the stored files and the screens were laid out for that capacity.
template <std::size_t N1, std::size_t N2>
struct ArenaPair {
  static_assert(N1 >= 1 && N1 <= 255 && N2 >= 1 && N2 <= 255, "a text has a one-byte length");

  // Where the pair is stored; nullptr = both empty.
  const char* Stored() const {
    const char* stored;
    std::memcpy(&stored, storedBytes, sizeof stored);
    return stored;
  }
  void SetStored(const char* stored) { std::memcpy(storedBytes, &stored, sizeof stored); }

  std::string_view First() const { return ArenaText(Stored()); }
  std::string_view Second() const { return ArenaSecondText(Stored()); }

  // The address as bytes: a record holding the pair keeps the 4-byte alignment of its numbers
  // instead of taking 4 bytes of padding for a pointer's 8.
  unsigned char storedBytes[sizeof(const char*)];
};

// One text of a record, as its fields read back.
struct StoredText {
  std::string_view text;

  std::string_view View() const { return text; }
  std::string Str() const { return std::string(text); }
  bool Empty() const { return text.empty(); }
};

// The first N bytes of a value, as a field of capacity N keeps it.
template <std::size_t N>
constexpr std::string_view CutToCapacity(std::string_view text) {
  return text.size() > N ? text.substr(0, N) : text;
}

// Where one article list keeps its texts. Texts are appended and never removed one by one; the
// arena frees all of them at once. A text equal to one stored recently is not stored again:
// replies repeat their parent's title and writers' IDs repeat throughout a board.
class TTextArena final {
 public:
  // The first segment is small (most boards hold a few articles); each next one is twice the
  // last, up to the largest.
  static constexpr uint32_t FirstSegmentBytes = 256;
  static constexpr uint32_t LargestSegmentBytes = 16384;

  TTextArena() = default;
  ~TTextArena();
  TTextArena(const TTextArena&) = delete;
  TTextArena& operator=(const TTextArena&) = delete;

  // Keeps the two texts (at most 255 bytes each) as a pair and points stored at it; two empty
  // texts are nullptr and take no room. False, with nothing kept, when memory ran out.
  bool StorePair(std::string_view first, std::string_view second, const char*& stored) {
    return StorePair(first, second, stored, PairHash(first, second));
  }
  // The same, with the pair's hash already taken (PairHash of the same two texts).
  bool StorePair(std::string_view first, std::string_view second, const char*& stored,
                 uint32_t hash);
  static uint32_t PairHash(std::string_view first, std::string_view second);
  // Asks the memory ahead for what StorePair of the pair of this hash will read: its slot among
  // the recent texts, or (once the slot has come) the stored text the slot names. Only a hint:
  // nothing changes, and a pair stored meanwhile is still stored right.
  void Prefetch(uint32_t hash, bool storedText) const;

  // Frees every text; pointers given out before must not be read again.
  void Clear();

  // Bytes taken by the segments, and how many there are.
  std::size_t SegmentBytes() const { return segmentBytes_; }
  std::size_t SegmentCount() const { return segments_.size(); }

 private:
  bool NewSegment(uint32_t atLeast);
  struct Recent {
    const char* stored;  // nullptr = empty
    uint32_t hash;       // of the text: most other texts are told apart without reading them
  };
  Recent* RecentSlot(uint32_t hash);

  std::vector<char*> segments_;
  char* current_ = nullptr;  // the segment being filled
  uint32_t used_ = 0;        // bytes used in it
  uint32_t size_ = 0;        // its size
  std::size_t segmentBytes_ = 0;
  // Recently stored texts by a hash of their bytes; grows with the list.
  std::vector<Recent> recent_;
  std::size_t stored_ = 0;  // texts stored since the last growth of recent_
};

}  // namespace vorn
