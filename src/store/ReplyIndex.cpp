#include "store/ReplyIndex.h"

#include <algorithm>
#include <climits>

#include "store/ArticleRecord.h"
#include "store/MiniList.h"

namespace vorn {

void ReplyIndex::Build(const TMiniList& storage, int32_t count) {
  count_ = count;
  leaves_ = 1;
  while (leaves_ < static_cast<size_t>(count))
    leaves_ *= 2;
  minKey_.assign(2 * leaves_, INT32_MAX);
  replies_.clear();
  for (int32_t i = 0; i < count; ++i) {
    const auto& r = *static_cast<const ArticleRecord*>(storage.GetItem(i));
    if (r.Used != 1) continue;
    if (r.Kind != ArticleKindMissingRoot) minKey_[leaves_ + static_cast<size_t>(i)] = r.ArticleKey;
    if (IsReplyKind(r.Kind)) replies_.push_back(Code(r.ParentKey, i));
  }
  for (size_t n = leaves_ - 1; n >= 1; --n)
    minKey_[n] = std::min(minKey_[2 * n], minKey_[2 * n + 1]);
  // Positions were visited in order, so sorting by key keeps each key's replies in storage order.
  std::sort(replies_.begin(), replies_.end());
}

int32_t ReplyIndex::ScanEnd(int32_t start, int32_t key) const {
  if (start >= count_) return count_;
  size_t n = leaves_ + static_cast<size_t>(start);
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
  return std::min(count_, static_cast<int32_t>(n - leaves_));
}

ReplyIndex::Range ReplyIndex::Replies(int32_t key, int32_t start, int32_t end) const {
  if (start >= end) return {0, 0};
  auto first = std::lower_bound(replies_.begin(), replies_.end(), Code(key, start));
  auto last = std::lower_bound(first, replies_.end(), Code(key, end));
  return {static_cast<int32_t>(first - replies_.begin()),
          static_cast<int32_t>(last - replies_.begin())};
}

}  // namespace vorn
