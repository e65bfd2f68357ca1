#include "store/MiniList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "store/BlockMemory.h"

namespace vorn {
namespace {

struct Record {
  int32_t value;
  char pad[96];
};

Record Make(int32_t v) {
  Record r{};
  r.value = v;
  std::memset(r.pad, 'a' + v % 26, sizeof r.pad);
  return r;
}

int32_t ValueAt(TMiniList& list, int32_t i) {
  return static_cast<Record*>(list.GetItem(i))->value;
}

TEST(MiniList, GrowsBlockByBlockWithoutMovingRecords) {
  TMiniList list(250, sizeof(Record));  // two records per block
  ASSERT_EQ(list.ItemsPerChunk(), 2);
  Record r0 = Make(0), r1 = Make(1), r2 = Make(2);
  ASSERT_TRUE(list.AddItem(&r0));
  EXPECT_EQ(list.BlockCount(), 1);
  void* first = list.GetItem(0);
  ASSERT_TRUE(list.AddItem(&r1));
  EXPECT_EQ(list.BlockCount(), 1);
  ASSERT_TRUE(list.AddItem(&r2));
  EXPECT_EQ(list.BlockCount(), 2);
  for (int32_t v = 3; v < 50; ++v) {
    Record r = Make(v);
    ASSERT_TRUE(list.AddItem(&r));
  }
  EXPECT_EQ(list.GetItem(0), first);
  EXPECT_EQ(std::memcmp(list.GetItem(2), &r2, sizeof r2), 0);
  EXPECT_EQ(ValueAt(list, 49), 49);
  EXPECT_EQ(list.GetItem(-1), nullptr);
  EXPECT_EQ(list.GetItem(list.Count()), nullptr);

  list.SwapItems(0, 49);
  EXPECT_EQ(ValueAt(list, 0), 49);
  EXPECT_EQ(ValueAt(list, 49), 0);
  EXPECT_EQ(std::memcmp(list.GetItem(49), &r0, sizeof r0), 0);

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.BlockCount(), 0);
  EXPECT_EQ(list.GetItem(0), nullptr);
  ASSERT_TRUE(list.AddItem(&r1));
  EXPECT_EQ(ValueAt(list, 0), 1);
}

// Records are found by block and slot without dividing; every block size must give back every
// record, the last of a block and the first of the next too.
TEST(MiniList, EveryRecordIsFoundWhateverTheRecordsPerBlock) {
  for (int32_t perBlock : {1, 2, 3, 7, 64, 372, 1000}) {
    TMiniList list(perBlock * int32_t(sizeof(int32_t)), sizeof(int32_t));
    ASSERT_EQ(list.ItemsPerChunk(), perBlock);
    for (int32_t v = 0; v < 5000; ++v)
      ASSERT_TRUE(list.AddItem(&v));
    // Records of one block lie side by side; a list of large blocks starts with smaller ones.
    int32_t block = 0;
    int32_t blockStart = 0;
    for (int32_t v = 0; v < 5000; ++v) {
      ASSERT_EQ(*static_cast<const int32_t*>(list.GetItem(v)), v) << perBlock << " per block";
      if (v == blockStart + list.BlockItems(block)) {
        blockStart = v;
        ++block;
      } else if (v != 0) {
        ASSERT_EQ(static_cast<char*>(list.GetItem(v)) - static_cast<char*>(list.GetItem(v - 1)),
                  std::ptrdiff_t(sizeof(int32_t)));
      }
    }
    EXPECT_EQ(block + 1, list.BlockCount()) << perBlock << " per block";
  }
}

TEST(MiniList, BlockSmallerThanARecordHoldsOne) {
  TMiniList list(10, sizeof(Record));
  EXPECT_EQ(list.ChunkBytes(), int32_t(sizeof(Record)));
  EXPECT_EQ(list.ItemsPerChunk(), 1);
  Record r = Make(7);
  ASSERT_TRUE(list.AddItem(&r));
  ASSERT_TRUE(list.AddItem(&r));
  EXPECT_EQ(list.BlockCount(), 2);
}

TEST(MiniList, FailedBlockAllocationAddsNothing) {
  TMiniList list(250, sizeof(Record));
  ScopedBlockAllocationLimit limit(1);
  Record r = Make(5);
  ASSERT_TRUE(list.AddItem(&r));
  ASSERT_TRUE(list.AddItem(&r));  // still room in the first block
  EXPECT_FALSE(list.AddItem(&r));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.BlockCount(), 1);
  EXPECT_EQ(list.GetItem(2), nullptr);
}

TEST(MiniList, AListOfLargeBlocksStartsSmallAndGrowsToFullBlocks) {
  TMiniList list(32768, sizeof(Record));
  const int32_t full = list.ItemsPerChunk();
  ASSERT_GT(full, 100);
  Record r = Make(0);
  ASSERT_TRUE(list.AddItem(&r));
  // One record costs a small block, not 32 KB.
  EXPECT_EQ(list.BlockCount(), 1);
  EXPECT_LE(int64_t{list.BlockItems(0)} * list.ItemSize(), 512);
  std::vector<void*> addresses{list.GetItem(0)};
  for (int32_t v = 1; v < 20 * full; ++v) {
    Record next = Make(v);
    ASSERT_TRUE(list.AddItem(&next));
    addresses.push_back(list.GetItem(v));
  }
  // The blocks double up to the full size and stay there; every record is where it was put.
  int64_t held = 0;
  for (int32_t b = 0; b < list.BlockCount(); ++b) {
    if (b > 1) {
      EXPECT_GE(list.BlockItems(b), list.BlockItems(b - 1));
    }
    EXPECT_LE(list.BlockItems(b), full);
    held += list.BlockItems(b);
  }
  EXPECT_EQ(list.BlockItems(list.BlockCount() - 1), full);
  EXPECT_GE(held, list.Count());
  EXPECT_LT(held - list.Count(), full);
  for (int32_t v = 0; v < list.Count(); ++v) {
    ASSERT_EQ(list.GetItem(v), addresses[size_t(v)]);
    ASSERT_EQ(ValueAt(list, v), v);
  }
  // Records in blocks of different sizes exchange whole.
  list.SwapItems(0, list.Count() - 1);
  EXPECT_EQ(ValueAt(list, 0), list.Count() - 1);
  EXPECT_EQ(ValueAt(list, list.Count() - 1), 0);
  Record last = Make(list.Count() - 1);
  EXPECT_EQ(std::memcmp(list.GetItem(0), &last, sizeof last), 0);
  list.Clear();
  ASSERT_TRUE(list.AddItem(&r));
  EXPECT_EQ(list.BlockCount(), 1);
  EXPECT_EQ(ValueAt(list, 0), 0);
}

}  // namespace
}  // namespace vorn
