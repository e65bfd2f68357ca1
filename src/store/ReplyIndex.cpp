#include "store/ReplyIndex.h"

#include <algorithm>
#include <climits>

#include "store/ArticleRecord.h"

namespace vorn {
namespace {

std::size_t HashKey(int32_t key) {
  uint64_t h = static_cast<uint32_t>(key) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(h >> 32);
}

}  // namespace

void ReplyIndex::Build(const std::vector<OrderEntry>& entries) {
  count_ = static_cast<int32_t>(entries.size());
  leaves_ = 1;
  while (leaves_ < entries.size())
    leaves_ *= 2;
  minKey_.assign(2 * leaves_, INT32_MAX);
  suffixMin_.assign(entries.size() + 1, INT32_MAX);
  std::vector<uint64_t> replies;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const OrderEntry& e = entries[i];
    if (e.used != 1) continue;
    if (e.kind != ArticleKindMissingRoot) minKey_[leaves_ + i] = e.key;
    if (IsReplyKind(e.kind)) {
      replies.push_back(
          (static_cast<uint64_t>(static_cast<uint32_t>(e.parentKey) ^ 0x80000000u) << 32) |
          static_cast<uint32_t>(i));
    }
  }
  for (std::size_t n = leaves_ - 1; n >= 1; --n) {
    minKey_[n] = std::min(minKey_[2 * n], minKey_[2 * n + 1]);
  }
  for (std::size_t i = entries.size(); i-- > 0;) {
    suffixMin_[i] = std::min(suffixMin_[i + 1], minKey_[leaves_ + i]);
  }

  // Positions were visited in order, so sorting by parent key keeps each group in storage
  // order.
  std::sort(replies.begin(), replies.end());
  positions_.resize(replies.size());
  for (std::size_t r = 0; r < replies.size(); ++r) {
    positions_[r] = static_cast<int32_t>(replies[r] & 0xFFFFFFFFu);
  }
  std::size_t slots = 16;
  while (slots < 2 * replies.size())
    slots *= 2;
  groups_.assign(slots, Group{0, -1, -1});
  for (std::size_t r = 0; r < replies.size();) {
    const uint64_t keyBits = replies[r] >> 32;
    std::size_t end = r + 1;
    while (end < replies.size() && replies[end] >> 32 == keyBits)
      ++end;
    const int32_t key = static_cast<int32_t>(static_cast<uint32_t>(keyBits) ^ 0x80000000u);
    std::size_t slot = HashKey(key) & (slots - 1);
    while (groups_[slot].first >= 0)
      slot = (slot + 1) & (slots - 1);
    groups_[slot] = {key, static_cast<int32_t>(r), static_cast<int32_t>(end)};
    r = end;
  }
}

const ReplyIndex::Group* ReplyIndex::FindGroup(int32_t key) const {
  const std::size_t mask = groups_.size() - 1;
  for (std::size_t slot = HashKey(key) & mask; groups_[slot].first >= 0; slot = (slot + 1) & mask) {
    if (groups_[slot].key == key) return &groups_[slot];
  }
  return nullptr;
}

int32_t ReplyIndex::ScanEnd(int32_t start, int32_t key) const {
  if (start >= count_ || suffixMin_[static_cast<std::size_t>(start)] >= key) return count_;
  std::size_t n = leaves_ + static_cast<std::size_t>(start);
  // Climb until a subtree to the right of start holds a smaller key, then descend into the
  // leftmost leaf that does.
  while (minKey_[n] >= key) {
    while (n & 1)
      n >>= 1;
    if (n == 0) return count_;
    ++n;
  }
  while (n < leaves_) {
    n *= 2;
    if (minKey_[n] >= key) ++n;
  }
  return static_cast<int32_t>(n - leaves_);
}

ReplyIndex::Range ReplyIndex::Replies(int32_t key, int32_t start, int32_t end) const {
  if (start >= end) return {0, 0};
  const Group* group = FindGroup(key);
  if (!group) return {0, 0};
  auto begin = positions_.begin() + group->first;
  auto stop = positions_.begin() + group->last;
  auto first = std::lower_bound(begin, stop, start);
  auto last = std::lower_bound(first, stop, end);
  return {static_cast<int32_t>(first - positions_.begin()),
          static_cast<int32_t>(last - positions_.begin())};
}

}  // namespace vorn
