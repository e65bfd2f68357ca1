#include "store/MiniList.h"

#include <gtest/gtest.h>

#include <cstring>

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
    for (int32_t v = 0; v < 5000; ++v) {
      ASSERT_EQ(*static_cast<const int32_t*>(list.GetItem(v)), v) << perBlock << " per block";
      if (v % perBlock != 0) {
        ASSERT_EQ(static_cast<char*>(list.GetItem(v)) - static_cast<char*>(list.GetItem(v - 1)),
                  std::ptrdiff_t(sizeof(int32_t)));
      }
    }
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

}  // namespace
}  // namespace vorn
