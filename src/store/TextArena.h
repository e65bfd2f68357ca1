#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The short texts of article records (titles, ID texts) live in arenas, one per article list,
// instead of in fixed slots inside every record: a title takes its own length plus one byte, and
// a record holds a 4-byte handle. Boards of a big archive hold millions of records, and fixed
// slots of 32 and 128 bytes made them the largest part of a loaded archive.
//
// A handle names a segment and an offset. The segments of every arena are registered in one
// table, so a handle reads back without its arena: a record copied out of its list still shows
// its title, for as long as the list keeps its texts (until it is cleared or destroyed).
namespace text_arena {

constexpr unsigned kOffsetBits = 14;
constexpr uint32_t kOffsetMask = (uint32_t{1} << kOffsetBits) - 1;
// The largest segment; a stored text (a length byte and at most 255 bytes) fits any segment.
constexpr uint32_t kLargestSegment = uint32_t{1} << kOffsetBits;
constexpr uint32_t kSegmentSlots = uint32_t{1} << (32 - kOffsetBits);

// Segment base addresses by segment number; number 0 is never used, so handle 0 is free to
// mean the empty text.
extern const char* segmentBases[kSegmentSlots];

}  // namespace text_arena

// The text behind a handle: a length byte and that many bytes.
inline std::string_view ArenaText(uint32_t handle) {
  if (handle == 0) return {};
  const char* at = text_arena::segmentBases[handle >> text_arena::kOffsetBits] +
                   (handle & text_arena::kOffsetMask);
  return std::string_view(at + 1, static_cast<unsigned char>(at[0]));
}

// A text field of a record with a capacity of N bytes, kept in the record's arena. The record
// stays trivially copyable; copies share the stored bytes. Values are cut to N bytes by the
// store that sets them (CutToCapacity), even inside a double-byte character, because the stored
// files and the screens were laid out for that capacity.
template <std::size_t N>
struct ArenaString {
  static_assert(N >= 1 && N <= 255, "a stored text has a one-byte length");
  static constexpr std::size_t Capacity = N;

  uint32_t Handle;  // 0 = empty

  std::string_view View() const { return ArenaText(Handle); }
  std::string Str() const { return std::string(View()); }
  bool Empty() const { return Handle == 0; }
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
  TTextArena() = default;
  ~TTextArena();
  TTextArena(const TTextArena&) = delete;
  TTextArena& operator=(const TTextArena&) = delete;

  // Keeps the text (at most 255 bytes) and sets its handle; the empty text is handle 0 and
  // takes no room. False, with nothing kept, when memory or segment numbers ran out.
  bool Store(std::string_view text, uint32_t& handle);

  // Frees every text; handles given out before must not be read again.
  void Clear();

  // Bytes taken by the segments.
  std::size_t SegmentBytes() const { return segmentBytes_; }

 private:
  bool NewSegment(uint32_t atLeast);
  struct Recent {
    uint32_t handle;  // 0 = empty
    uint32_t hash;    // of the text: most other texts are told apart without reading them
  };
  Recent* RecentSlot(uint32_t hash);

  struct Segment {
    uint32_t number;
    char* base;
  };
  std::vector<Segment> segments_;
  char* current_ = nullptr;  // the segment being filled
  uint32_t currentNumber_ = 0;
  uint32_t used_ = 0;  // bytes used in it
  uint32_t size_ = 0;  // its size
  std::size_t segmentBytes_ = 0;
  // Handles of recently stored texts by a hash of their bytes; grows with the list.
  std::vector<Recent> recent_;
  std::size_t stored_ = 0;  // texts stored since the last growth of recent_
};

}  // namespace vorn
