#include "analysis/NetVornStore.h"

#include <cstddef>

namespace vorn {

TArticleList* NetVornStore::ArticleBoard(int32_t number, std::string_view key) {
  // Article after article goes to the same board under the same key, and adding that board
  // again would change nothing.
  if (articleBoard_ && number == articleBoardNo_ && key == articleBoardKey_) return articleBoard_;
  TBoardList& boards = p_.Boards;
  const bool added = boards.AddBoard(number, key, "");
  const int32_t boardIndex = boards.FindBoardNo(number);
  TArticleList* articles = boardIndex >= 0 ? boards.GetArticles(boardIndex) : nullptr;
  articleBoard_ = added ? articles : nullptr;
  articleBoardNo_ = number;
  articleBoardKey_ = key;
  return articles;
}

bool NetVornStore::Article(const NetVornArticleFound& a) {
  TArticleList* articles = ArticleBoard(a.board, a.boardKey);
  if (!articles) return false;
  int32_t key = a.key, number = a.number;
  if (a.isMail) {
    if (!mailKeys_ || mailKeys_->Box() != articles) mailKeys_.emplace(*articles);
    key = number = mailKeys_->KeyOf(a.postTime, a.writerId, {}, a.title);
  }
  const bool stored = articles->AddArticle(
      a.kind, 0, key, number, a.postTime, a.parentKey, a.parentNumber, a.writerId, a.parentWriterId,
      {}, {}, a.title, a.parentTitle, a.firstLine, a.bodyOffset, nullptr, nullptr, a.titleHash);
  pending_.Add(a.writerId, a.handle);
  if (a.hasRess) pending_.Add(a.parentWriterId, a.parentHandle);
  open_ = articles;
  openKey_ = key;
  openTime_ = a.postTime;
  openIndex_ = stored ? articles->LastAdded() : -1;
  return true;
}

void NetVornStore::LastLine(int32_t line) {
  if (!open_) return;
  // Nothing has been added to the board since the article was stored: it is still the entry
  // its key and time would find.
  if (ArticleRecord* r = openIndex_ >= 0 ? open_->Entry(openIndex_) : nullptr) {
    r->LastLine = line;
  } else {
    open_->SetArticleLastLine(openKey_, openTime_, line);
  }
}

void NetVornStore::MergeMembers() {
  TMemberList& members = p_.Members;
  if (pending_.Count() == 0) return;
  if (!memberIndexBuilt_) {
    // Adding with lookup finds the first live entry with the ID.
    for (int32_t m = 0; m < members.Count(); ++m) {
      if (members.IsLiveMember(m)) memberIndex_.emplace(members.GetIdNo(m), m);
    }
    memberIndexBuilt_ = true;
  }
  for (const auto& [id, handle] : pending_.Entries()) {
    bool added = false;
    auto found = memberIndex_.find(id);
    if (found != memberIndex_.end()) {
      members.SetMember(found->second, id, "", handle, "", "", added);
    } else if (members.AddMember(id, handle, "", "", false, added) && added) {
      memberIndex_.emplace(id, members.Count() - 1);
    }
    if (added) p_.MembersChanged = true;
  }
  pending_.Clear();
}

void StoreFindings(const NetVornBatch& batch, NetVornStore& store) {
  using F = NetVornFinding;
  // Storing an article mostly waits for memory: its board's slot of recent titles, then the
  // title that slot names. Both are asked for a few articles ahead, the slot first.
  // Each title is hashed once, for both prefetches and the store, when the slot is asked for.
  constexpr size_t kSlotAhead = 8, kTextAhead = 3;
  constexpr size_t kHashes = 16;
  static_assert(kHashes > kSlotAhead);
  TArticleList::TitleHash hashes[kHashes];
  size_t hashed = 0;  // the findings below have their title's hash in hashes
  auto hashOf = [&](size_t k) -> const TArticleList::TitleHash& {
    for (; hashed <= k; ++hashed) {
      const F& a = batch.items[hashed];
      if (a.what == F::Article)
        hashes[hashed % kHashes] = TArticleList::HashTitle(batch.View(a.title));
    }
    return hashes[k % kHashes];
  };
  auto prefetch = [&](size_t k, bool storedText) {
    if (k >= batch.items.size()) return;
    const F& a = batch.items[k];
    if (a.what == F::Article && !a.isMail)
      store.PrefetchArticle(a.board, batch.View(a.boardKey), hashOf(k), storedText);
  };
  for (size_t k = 0; k < batch.items.size(); ++k) {
    const F& f = batch.items[k];
    prefetch(k + kSlotAhead, false);
    prefetch(k + kTextAhead, true);
    switch (f.what) {
      case F::Board:
        store.BoardLine(f.board, batch.View(f.boardKey), batch.View(f.title));
        break;
      case F::Merge:
        store.MergeWhenFull();
        break;
      case F::Article: {
        NetVornArticleFound a;
        a.board = f.board;
        a.boardKey = batch.View(f.boardKey);
        a.kind = f.kind;
        a.isMail = f.isMail;
        a.hasRess = f.hasRess;
        a.key = f.key;
        a.number = f.number;
        a.postTime = f.postTime;
        a.parentKey = f.parentKey;
        a.parentNumber = f.parentNumber;
        a.writerId = f.writerId;
        a.parentWriterId = f.parentWriterId;
        a.firstLine = f.firstLine;
        a.bodyOffset = f.bodyOffset;
        a.title = batch.View(f.title);
        a.parentTitle = batch.View(f.parentTitle);
        a.handle = batch.View(f.handle);
        a.parentHandle = batch.View(f.parentHandle);
        a.titleHash = &hashOf(k);
        store.Article(a);
        break;
      }
      case F::LastLine:
        store.LastLine(f.firstLine);
        break;
      case F::Member:
        store.Member(f.writerId, batch.View(f.handle));
        break;
      case F::System:
        store.SystemLine(batch.View(f.title));
        break;
    }
  }
}

bool FindingFits(const NetVornFinding& f, size_t bytes) {
  const auto* raw = reinterpret_cast<const unsigned char*>(&f);
  if (raw[offsetof(NetVornFinding, isMail)] > 1 || raw[offsetof(NetVornFinding, hasRess)] > 1)
    return false;
  if (f.what > NetVornFinding::System || f.kind > ArticleKindBinaryMail) return false;
  for (const BatchText& t : {f.boardKey, f.title, f.parentTitle, f.handle, f.parentHandle}) {
    if (t.at > bytes || t.size > bytes - t.at) return false;
  }
  return true;
}

void ShiftFindingLines(NetVornFinding& f, int32_t by) {
  if (f.what == NetVornFinding::Article || f.what == NetVornFinding::LastLine) f.firstLine += by;
}

}  // namespace vorn
