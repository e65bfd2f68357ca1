#include "store/BlockMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace vorn {
namespace {

struct Block {
  unsigned char* data;
  std::size_t bytes;
  unsigned char fill;
};

bool AllAre(const Block& b, unsigned char value) {
  return std::all_of(b.data, b.data + b.bytes, [&](unsigned char c) { return c == value; });
}

// The touching thread runs only on an idle core: on a busy machine it may take a while.
bool WaitForBlocksAhead() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (BlocksTouchedAhead() == 0) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Blocks touched ahead are handed out zero, once each, and ending the load gives back the pages
// of those still waiting without reaching into a neighbour: the sizes include ones whose blocks
// do not start on a page.
TEST(BlockMemory, BlocksTouchedAheadAreZeroAndLeaveTheirNeighboursAlone) {
  std::vector<Block> blocks;
  auto take = [&](std::size_t bytes) {
    auto* data = static_cast<unsigned char*>(AllocateZeroedBlock(bytes, BlockUse::Whole));
    ASSERT_NE(data, nullptr);
    Block b{data, bytes, static_cast<unsigned char>(1 + blocks.size() % 250)};
    EXPECT_TRUE(AllAre(b, 0)) << "block " << blocks.size() << " of " << bytes << " bytes";
    std::fill(b.data, b.data + b.bytes, b.fill);
    blocks.push_back(b);
  };
  const std::size_t sizes[] = {std::size_t{256} << 10, 200000, 135232};
  {
    ScopedRegionPrefault prefault(true);
    for (std::size_t bytes : sizes) {
      take(bytes);
      if (!WaitForBlocksAhead()) GTEST_SKIP() << "no idle moment to touch blocks ahead in";
      for (int i = 0; i < 40; ++i)
        take(bytes);
      WaitForBlocksAhead();
    }
    ASSERT_GT(BlocksTouchedAhead(), 0u);
  }
  for (std::size_t bytes : sizes) {
    for (int i = 0; i < 20; ++i)
      take(bytes);  // the ones given back first
  }
  for (const Block& b : blocks)
    EXPECT_TRUE(AllAre(b, b.fill)) << static_cast<const void*>(b.data);
  std::vector<std::pair<const unsigned char*, std::size_t>> spans;
  for (const Block& b : blocks)
    spans.emplace_back(b.data, b.bytes);
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i)
    EXPECT_LE(spans[i - 1].first + spans[i - 1].second, spans[i].first) << "block handed out twice";
  for (const Block& b : blocks)
    FreeBlock(b.data);
}

}  // namespace
}  // namespace vorn
