#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The short texts of article records (titles, ID texts) live in arenas, one per article list,
// instead of in fixed slots inside every record: a title takes its own length plus one byte, and
// a record holds a pointer to it. Boards of a big archive hold millions of records, and fixed
// slots of 32 and 128 bytes made them the largest part of a loaded archive.
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

// A text field of a record with a capacity of N bytes, kept in the record's arena. The record
// stays trivially copyable; copies share the stored bytes. Values are cut to N bytes by the
// store that sets them (CutToCapacity), even inside a double-byte character, because the stored
// files and the screens were laid out for that capacity.
template <std::size_t N>
struct ArenaString {
  static_assert(N >= 1 && N <= 255, "a stored text has a one-byte length");
  static constexpr std::size_t Capacity = N;

  const char* Stored;  // nullptr = empty

  std::string_view View() const { return ArenaText(Stored); }
  std::string Str() const { return std::string(View()); }
  bool Empty() const { return Stored == nullptr; }
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

  // Keeps the text (at most 255 bytes) and points stored at it; the empty text is nullptr and
  // takes no room. False, with nothing kept, when memory ran out.
  bool Store(std::string_view text, const char*& stored);

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
