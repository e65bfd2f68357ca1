#include "analysis/NiftyStore.h"

namespace vorn {

// Writers gathered while a log is read are moved into the member list when this many have
// gathered at a board header or mail-mode line, and at the end.
constexpr size_t kNiftyMergeThreshold = 500;

bool NiftyStore::Article(const NiftyEntryFound& e) {
  const int32_t index = p_.Boards.FindBoardId(e.boardId);
  TArticleList* articles = index >= 0 ? p_.Boards.GetArticles(index) : nullptr;
  return articles && Store(articles, e, e.key);
}

bool NiftyStore::Mail(const NiftyEntryFound& e) {
  const int32_t index = p_.Boards.FindBoardId(p_.MailBoardIndex);
  TArticleList* articles = index >= 0 ? p_.Boards.GetArticles(index) : nullptr;
  if (!articles) return false;
  if (!mailKeys_ || mailKeys_->Box() != articles) mailKeys_.emplace(*articles);
  return Store(articles, e, mailKeys_->KeyOf(e.time, -1, e.writerId, e.title));
}

bool NiftyStore::Store(TArticleList* articles, const NiftyEntryFound& e, int32_t key) {
  articles->AddArticle(e.kind, 0, key, key, e.time, e.parent, e.parent, -1, -1, e.writerId, {},
                       e.title, {}, e.firstLine, 2);
  if (p_.Settings->MemberAutoAdd) pending_.Add(std::string(e.writerId), std::string(e.handle));
  open_ = articles;
  openKey_ = key;
  openTime_ = e.time;
  return true;
}

void NiftyStore::MergeMembers(bool force) {
  if (!force && pending_.Count() < kNiftyMergeThreshold) return;
  if (pending_.Count() == 0) return;
  TMemberList& members = p_.Members;
  if (!memberIndexBuilt_) {
    // Adding with lookup finds the first live entry with the ID.
    for (int32_t m = 0; m < members.Count(); ++m) {
      if (members.IsLiveMember(m)) memberIndex_.emplace(members.GetIdText(m), m);
    }
    memberIndexBuilt_ = true;
  }
  for (const auto& [id, handle] : pending_.Entries()) {
    bool added = false;
    auto found = memberIndex_.find(id);
    if (found != memberIndex_.end()) {
      members.SetMember(found->second, 0, id, handle, "", "", added);
    } else if (members.AddMemberText(id, handle, "", "", false, added) && added) {
      memberIndex_.emplace(members.GetIdText(members.Count() - 1), members.Count() - 1);
    }
    if (added) p_.MembersChanged = true;
  }
  pending_.Clear();
}

void StoreFindings(const NiftyBatch& batch, NiftyStore& store) {
  using F = NiftyFinding;
  for (const F& f : batch.items) {
    switch (f.what) {
      case F::Board:
        store.Board(f.number, batch.View(f.boardId), batch.View(f.title));
        break;
      case F::Merge:
        store.MergeMembers(false);
        break;
      case F::Article:
      case F::Mail: {
        NiftyEntryFound e;
        e.boardId = batch.View(f.boardId);
        e.kind = f.kind;
        e.key = f.key;
        e.time = f.time;
        e.parent = f.parent;
        e.firstLine = f.firstLine;
        e.writerId = batch.View(f.writerId);
        e.handle = batch.View(f.handle);
        e.title = batch.View(f.title);
        if (f.what == F::Article) {
          store.Article(e);
        } else {
          store.Mail(e);
        }
        break;
      }
      case F::LastLine:
        store.LastLine(f.firstLine);
        break;
      case F::System:
        store.SystemLine(batch.View(f.title));
        break;
    }
  }
}

bool FindingFits(const NiftyFinding& f, size_t bytes) {
  if (f.what > NiftyFinding::System || f.kind > ArticleKindBinaryMail) return false;
  for (const BatchText& t : {f.boardId, f.title, f.writerId, f.handle}) {
    if (t.at > bytes || t.size > bytes - t.at) return false;
  }
  return true;
}

void ShiftFindingLines(NiftyFinding& f, int32_t by) {
  if (f.what == NiftyFinding::Article || f.what == NiftyFinding::Mail ||
      f.what == NiftyFinding::LastLine)
    f.firstLine += by;
}

}  // namespace vorn
