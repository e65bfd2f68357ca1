// The text arena of an article list: where segments end, how they grow, and that the number of
// arenas and texts a process holds is not bounded by anything but memory.
#include "store/TextArena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "store/BlockMemory.h"

namespace vorn {
namespace {

constexpr uint32_t kFirst = TTextArena::FirstSegmentBytes;

// A text of the given length that no other call with another seed repeats.
std::string Text(size_t length, int seed) {
  std::string text(length, 'a');
  for (size_t i = 0; i < length; ++i)
    text[i] = static_cast<char>('a' + (seed + static_cast<int>(i) * 7) % 26);
  if (length >= 4) text.replace(0, 4, std::to_string(1000 + seed % 9000));
  return text;
}

// Texts kept by an arena, with what they must read back as.
struct Kept {
  const char* stored = nullptr;
  std::string text;
};

// A text kept alone: the first of a pair whose second is empty.
Kept Keep(TTextArena& arena, const std::string& text) {
  Kept k{nullptr, text};
  EXPECT_TRUE(arena.StorePair(text, "", k.stored)) << text.size() << " bytes";
  return k;
}

void ExpectReadBack(const std::vector<Kept>& kept) {
  for (const Kept& k : kept) {
    EXPECT_EQ(ArenaText(k.stored), k.text);
    EXPECT_EQ(ArenaSecondText(k.stored), "");
  }
}

TEST(TextArena, ASegmentFilledToTheByteOrOneByteShortAndTheNextText) {
  // A stored pair takes its lengths and two bytes. 128 + 128 fill the first segment to the byte:
  // the next text, of one byte, opens the second segment.
  TTextArena full;
  std::vector<Kept> kept{Keep(full, Text(126, 1)), Keep(full, Text(126, 2))};
  EXPECT_EQ(full.SegmentCount(), 1u);
  EXPECT_EQ(full.SegmentBytes(), kFirst);
  kept.push_back(Keep(full, "x"));
  EXPECT_EQ(full.SegmentCount(), 2u);
  EXPECT_EQ(full.SegmentBytes(), kFirst + 2 * kFirst);
  ExpectReadBack(kept);

  // 128 + 127 leave one byte, too little for any text.
  TTextArena shortOne;
  kept = {Keep(shortOne, Text(126, 3)), Keep(shortOne, Text(125, 4))};
  EXPECT_EQ(shortOne.SegmentCount(), 1u);
  kept.push_back(Keep(shortOne, "y"));
  EXPECT_EQ(shortOne.SegmentCount(), 2u);
  ExpectReadBack(kept);
  // The last byte of the first segment was left alone: the texts on either side of it are
  // whole.
  EXPECT_EQ(kept[1].stored + 2 + 125, kept[0].stored + kFirst - 1);

  // Three bytes short: a text of one byte fits exactly.
  TTextArena threeShort;
  kept = {Keep(threeShort, Text(126, 5)), Keep(threeShort, Text(123, 6)), Keep(threeShort, "z")};
  EXPECT_EQ(threeShort.SegmentCount(), 1u);
  ExpectReadBack(kept);
}

TEST(TextArena, SegmentsDoubleUpToTheLargestAndEveryTextReadsBack) {
  TTextArena arena;
  std::vector<Kept> kept;
  // Texts of 254 bytes take 256 each; well past the point where segments stop growing.
  const int count = 4 * static_cast<int>(TTextArena::LargestSegmentBytes / 256) * 4;
  for (int i = 0; i < count; ++i)
    kept.push_back(Keep(arena, Text(254, i)));
  ExpectReadBack(kept);

  // The segments a model of the doubling expects for these texts.
  size_t segments = 0, bytes = 0, size = 0, room = 0;
  for (int i = 0; i < count; ++i) {
    if (room < 256) {
      size = size == 0 ? kFirst : std::min<size_t>(2 * size, TTextArena::LargestSegmentBytes);
      ++segments;
      bytes += size;
      room = size;
    }
    room -= 256;
  }
  EXPECT_EQ(arena.SegmentCount(), segments);
  EXPECT_EQ(arena.SegmentBytes(), bytes);
  EXPECT_GT(segments, 10u);

  // A pair equal to one stored just before is not stored again; one that differs only in its
  // second text is, and so is the one with the two texts the other way round.
  const char* again = nullptr;
  ASSERT_TRUE(arena.StorePair(kept.back().text, "", again));
  EXPECT_EQ(again, kept.back().stored);
  EXPECT_EQ(arena.SegmentBytes(), bytes);
  const char* first = nullptr;
  const char* other = nullptr;
  const char* swapped = nullptr;
  ASSERT_TRUE(arena.StorePair("Re: a title", "ID00001", first));
  ASSERT_TRUE(arena.StorePair("Re: a title", "ID00002", other));
  ASSERT_TRUE(arena.StorePair("ID00002", "Re: a title", swapped));
  EXPECT_NE(first, other);
  EXPECT_EQ(ArenaText(first), "Re: a title");
  EXPECT_EQ(ArenaSecondText(first), "ID00001");
  EXPECT_EQ(ArenaSecondText(other), "ID00002");
  EXPECT_EQ(ArenaText(swapped), "ID00002");
  EXPECT_EQ(ArenaSecondText(swapped), "Re: a title");
  const char* onlySecond = nullptr;
  ASSERT_TRUE(arena.StorePair("", "ID00003", onlySecond));
  EXPECT_EQ(ArenaText(onlySecond), "");
  EXPECT_EQ(ArenaSecondText(onlySecond), "ID00003");

  // Two empty texts take nothing; cleared, the arena starts over from a small segment.
  const char* empty = kept[0].stored;
  ASSERT_TRUE(arena.StorePair("", "", empty));
  EXPECT_EQ(empty, nullptr);
  EXPECT_EQ(ArenaText(nullptr), "");
  EXPECT_EQ(ArenaSecondText(nullptr), "");
  arena.Clear();
  EXPECT_EQ(arena.SegmentCount(), 0u);
  kept = {Keep(arena, "after clear")};
  EXPECT_EQ(arena.SegmentBytes(), kFirst);
  ExpectReadBack(kept);
}

TEST(TextArena, MemoryRunningOutKeepsNothingAndTheArenaGoesOnAfterwards) {
  TTextArena arena;
  std::vector<Kept> kept{Keep(arena, Text(126, 1)), Keep(arena, Text(126, 2))};  // full
  {
    ScopedBlockAllocationLimit none(0);
    const char* stored = kept[0].stored;
    EXPECT_FALSE(arena.StorePair("no room", "", stored));
    EXPECT_EQ(stored, kept[0].stored);
    EXPECT_EQ(arena.SegmentCount(), 1u);
  }
  kept.push_back(Keep(arena, "room again"));
  ExpectReadBack(kept);
}

// Every arena holds at least one segment, and the segments of all arenas once shared one table
// of 2^18 slots: a process of more boards than that lost articles with a message that memory
// had run out. Each arena here holds one text, all at once.
TEST(TextArena, MoreArenasThanTheOldTableOfSegmentsHeldAllKeepTheirTexts) {
  constexpr size_t kArenas = (size_t{1} << 18) + 100;
  std::vector<std::unique_ptr<TTextArena>> arenas;
  std::vector<const char*> stored(kArenas, nullptr);
  arenas.reserve(kArenas);
  size_t failed = 0;
  for (size_t i = 0; i < kArenas; ++i) {
    arenas.push_back(std::make_unique<TTextArena>());
    if (!arenas.back()->StorePair(std::to_string(i), "", stored[i])) ++failed;
  }
  EXPECT_EQ(failed, 0u);
  size_t wrong = 0;
  for (size_t i = 0; i < kArenas; ++i)
    wrong += ArenaText(stored[i]) != std::to_string(i);
  EXPECT_EQ(wrong, 0u);
  // Arenas freed in the middle leave the others readable, and new ones work.
  for (size_t i = 0; i < kArenas; i += 2)
    arenas[i].reset();
  TTextArena late;
  const char* lateText = nullptr;
  ASSERT_TRUE(late.StorePair("late", "", lateText));
  EXPECT_EQ(ArenaText(lateText), "late");
  EXPECT_EQ(ArenaText(stored[kArenas - 1]), std::to_string(kArenas - 1));
}

}  // namespace
}  // namespace vorn
