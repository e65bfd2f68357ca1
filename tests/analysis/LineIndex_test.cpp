#include "analysis/LineIndex.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "store/BlockMemory.h"

namespace vorn {
namespace {

// Entries as a line list makes them, in stretches: lines of one block one after another (short
// steps, now and then one of many kilobytes), a new block starting again near 0, long lines'
// numbers with the top bit set.
std::vector<uint32_t> Entries(std::mt19937& rng, size_t count) {
  std::vector<uint32_t> entries;
  uint32_t offset = 0, longs = 0;
  while (entries.size() < count) {
    switch (rng() % 16) {
      case 0:
        offset = rng() % 100;  // the next block
        break;
      case 1:
        entries.push_back(0x80000000u | longs++);
        continue;
      case 2:
        offset += 1000 + rng() % 200000;  // a line of many kilobytes before this one
        break;
      default:
        offset += 1 + rng() % 80;
    }
    entries.push_back(offset);
  }
  return entries;
}

void Expect(const LineIndex& index, const std::vector<uint32_t>& entries, const char* where) {
  ASSERT_EQ(index.Count(), entries.size()) << where;
  for (size_t i = 0; i < entries.size(); ++i)
    ASSERT_EQ(index.Get(i), entries[i]) << where << ", line " << i;
}

// Whatever the entries, the chunk size and where the index is cut back, taken over or swapped,
// every line reads back its own entry, the extreme ones included.
TEST(LineIndex, EveryLineReadsBackItsEntry) {
  std::mt19937 rng(20261210);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    LineIndex index(static_cast<int32_t>(1 + rng() % 200));
    std::vector<uint32_t> expected;
    const std::vector<uint32_t> entries = Entries(rng, 1 + rng() % 3000);
    for (uint32_t e : entries) {
      ASSERT_TRUE(index.Append(e));
      expected.push_back(e);
    }
    for (uint32_t extreme : {0u, 0xfffeu, 0xffffu, 0x10000u, 0x7fffffffu, 0xffffffffu}) {
      ASSERT_TRUE(index.Append(extreme));
      expected.push_back(extreme);
    }
    Expect(index, expected, "appended");

    // Cut back inside a group, and go on from there.
    const size_t cut = rng() % (expected.size() + 1);
    index.TruncateTo(cut);
    expected.resize(cut);
    Expect(index, expected, "cut back");
    for (uint32_t e : Entries(rng, rng() % 100)) {
      ASSERT_TRUE(index.Append(e));
      expected.push_back(e);
    }
    Expect(index, expected, "appended after the cut");

    // Another index of another chunk size, its groups falling elsewhere in this one.
    LineIndex other(static_cast<int32_t>(1 + rng() % 64));
    std::vector<uint32_t> taken = Entries(rng, rng() % 500);
    for (uint32_t e : taken)
      ASSERT_TRUE(other.Append(e));
    ASSERT_TRUE(index.AppendAll(other, [](uint32_t e) { return e ^ 1u; }));
    for (uint32_t e : taken)
      expected.push_back(e ^ 1u);
    Expect(index, expected, "taken over");
    Expect(other, taken, "the other after");

    index.Swap(other);
    Expect(other, expected, "swapped");
    Expect(index, taken, "swapped back");
  }
}

// Out of memory: nothing is added, and what was there stays.
TEST(LineIndex, WhatCannotBeAddedLeavesTheIndexAsItWas) {
  std::mt19937 rng(7);
  constexpr size_t kChunk = LineIndex::kGroupLines;  // the smallest chunk
  LineIndex index(1);
  std::vector<uint32_t> expected = Entries(rng, kChunk - 20);
  for (uint32_t e : expected)
    ASSERT_TRUE(index.Append(e));
  LineIndex other(1);
  for (uint32_t e : Entries(rng, 6 * kChunk))
    ASSERT_TRUE(other.Append(e));
  {
    ScopedBlockAllocationLimit limit(3);  // 6 more chunks wanted
    EXPECT_FALSE(index.AppendAll(other, [](uint32_t e) { return e; }));
  }
  Expect(index, expected, "refused");
  {
    ScopedBlockAllocationLimit none(0);
    for (size_t i = expected.size(); i < kChunk; ++i) {  // the chunk has room: no memory needed
      ASSERT_TRUE(index.Append(7));
      expected.push_back(7);
    }
    EXPECT_FALSE(index.Append(1));
  }
  Expect(index, expected, "full");
}

}  // namespace
}  // namespace vorn
