#include "store/MailKeys.h"

#include <functional>

#include "store/ArticleList.h"

namespace vorn {
namespace {

// Keys and times as the log gave them and FindArticle compares them (sorting stores them reduced
// by RebaseOffset).
int32_t Raw(int32_t stored, uint8_t rebased) {
  return rebased ? static_cast<int32_t>(int64_t{stored} + RebaseOffset) : stored;
}

bool IsLogMail(const ArticleRecord& r) {
  return r.Used == 1 && r.WriteFlag == 0 &&
         (r.Kind == ArticleKindMail || r.Kind == ArticleKindBinaryMail);
}

}  // namespace

std::size_t TMailKeys::IdentityHash::operator()(const Identity& id) const {
  std::size_t h = std::hash<std::string>()(id.title);
  h = h * 31 + std::hash<std::string>()(id.writerIdText);
  h = h * 31 + static_cast<uint32_t>(id.writerId);
  return h * 31 + static_cast<uint32_t>(id.time);
}

TMailKeys::TMailKeys(const TArticleList& box) : box_(&box) {
  for (int32_t i = 0; i < box.Count(); ++i) {
    const ArticleRecord& r = *box.Entry(i);
    if (!IsLogMail(r)) continue;
    const int32_t key = Raw(r.ArticleKey, r.Rebased);
    if (key >= next_) next_ = key + 1;
    keys_.try_emplace(
        Identity{Raw(r.PostTime, r.Rebased), r.WriterId, r.WriterIdText().Str(), r.Title().Str()},
        key);
  }
}

int32_t TMailKeys::KeyOf(int32_t PostTime, int32_t WriterId, std::string_view WriterIdText,
                         std::string_view Title) {
  Identity id{PostTime, WriterId,
              std::string(CutToCapacity<ArticleRecord::kWriterIdCapacity>(WriterIdText)),
              std::string(CutToCapacity<ArticleRecord::kTitleCapacity>(Title))};
  const auto [at, added] = keys_.try_emplace(std::move(id), next_);
  if (added) ++next_;
  return at->second;
}

}  // namespace vorn
