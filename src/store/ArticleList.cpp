#include "store/ArticleList.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "store/ReplyIndex.h"
#include "text/CommonSub.h"

namespace vorn {
namespace {

constexpr int32_t kArticleChunkBytes = 32768;
constexpr int32_t kOrderChunkBytes = 512;
// Long loops let the window breathe this often.
constexpr int32_t kPumpEvery = 1000;

uint8_t Flag(uint8_t value) {
  return value != 0 ? 1 : 0;
}

void PumpEvery(int64_t step) {
  if (step % kPumpEvery == 0) Ui().ProcessMessages();
}

}  // namespace

TArticleList::TArticleList()
    : TMiniList(kArticleChunkBytes, sizeof(ArticleRecord)),
      NormalList(kOrderChunkBytes),
      TreeList(kOrderChunkBytes) {}

TArticleList::~TArticleList() {
  FreeAttachments();
}

void TArticleList::FreeAttachments() {
  for (int32_t i = 0; i < Count(); ++i) {
    ArticleRecord& r = *Entry(i);
    delete r.Text;
    delete r.MailTo;
    r.Text = nullptr;
    r.MailTo = nullptr;
  }
}

void TArticleList::Clear() {
  FreeAttachments();
  NormalList.Clear();
  TreeList.Clear();
  Modified = 0;
  TMiniList::Clear();
  MemoryReported = 0;
  keyIndex_.Invalidate();
}

void TArticleList::ReportOutOfMemory() {
  if (MemoryReported) return;
  MemoryReported = 1;
  static const std::string message =
      Cp932("記事リスト追加中にメモリ不足が発生しました\r記事リスト追加を中断します");
  Ui().Warning("Board  " + std::to_string(BoardNo) + ":" + BoardId + "\r" + message);
}

bool TArticleList::AppendEntry(const ArticleRecord& record) {
  return AddItem(&record);
}

bool TArticleList::AddArticle(uint8_t Kind, uint8_t WriteFlag, int32_t ArticleKey, int32_t Number,
                              int32_t PostTime, int32_t ParentKey, int32_t ParentNumber,
                              int32_t WriterId, int32_t ParentWriterId,
                              std::string_view WriterIdText, std::string_view ParentWriterIdText,
                              std::string_view Title, std::string_view ParentTitle,
                              int32_t FirstLine, int32_t BodyOffset,
                              std::unique_ptr<TStringList> Text,
                              std::unique_ptr<TMailSendList> MailTo) {
  WriteFlag = Flag(WriteFlag);
  if (Kind == ArticleKindMissingRoot && WriteFlag == 1) return false;
  if (WriteFlag == 1) Modified = 1;

  const int32_t found = FindArticle(ArticleKey, PostTime);
  if (found >= 0) {
    if (Kind == ArticleKindMissingRoot) return true;
    // The log or the user gave this entry again: refresh it, but keep what the user did with
    // it (read, batch) and what the analyser learnt later (its last line).
    ArticleRecord& r = *Entry(found);
    r.Used = 1;
    r.Kind = Kind;
    r.WriteFlag = WriteFlag;
    r.ArticleKey = ArticleKey;
    r.Number = Number;
    r.PostTime = PostTime;
    r.ParentKey = ParentKey;
    r.ParentNumber = ParentNumber;
    r.WriterId = WriterId;
    r.ParentWriterId = ParentWriterId;
    if (!WriterIdText.empty()) r.WriterIdText.Assign(WriterIdText);
    if (!ParentWriterIdText.empty()) r.ParentWriterIdText.Assign(ParentWriterIdText);
    if (!Title.empty()) r.Title.Assign(Title);
    if (!ParentTitle.empty()) r.ParentTitle.Assign(ParentTitle);
    r.FirstLine = FirstLine;
    r.BodyOffset = BodyOffset;
    if (!IsReplyKind(Kind)) r.Level = 0;
    if (Text) {
      delete r.Text;
      r.Text = Text.release();
    }
    if (MailTo) {
      delete r.MailTo;
      r.MailTo = MailTo.release();
    }
    r.Rebased = 0;
    r.NewFlag = 1;
    return true;
  }

  ArticleRecord r{};
  r.Used = 1;
  r.Kind = Kind;
  r.WriteFlag = WriteFlag;
  r.ArticleKey = ArticleKey;
  r.ParentKey = ParentKey;
  r.Number = Number;
  r.ParentNumber = ParentNumber;
  r.PostTime = PostTime;
  r.WriterId = WriterId;
  r.ParentWriterId = ParentWriterId;
  r.WriterIdText.Assign(WriterIdText);
  r.ParentWriterIdText.Assign(ParentWriterIdText);
  r.Title.Assign(Title);
  r.ParentTitle.Assign(ParentTitle);
  r.FirstLine = FirstLine;
  r.BodyOffset = BodyOffset;
  r.LastLine = 0;
  r.Level = 0;
  r.Text = Text.get();
  r.MailTo = MailTo.get();
  r.NewFlag = 1;
  if (!AppendEntry(r)) {
    ReportOutOfMemory();
    return false;
  }
  Text.release();
  MailTo.release();
  return true;
}

int32_t TArticleList::FindArticle(int32_t ArticleKey, int32_t PostTime) {
  return keyIndex_.Find(*this, ArticleKey, PostTime);
}

bool TArticleList::SetArticleLastLine(int32_t ArticleKey, int32_t PostTime, int32_t line) {
  ArticleRecord* r = Entry(FindArticle(ArticleKey, PostTime));
  if (!r) return false;
  r->LastLine = line;
  return true;
}

bool TArticleList::SetArticleUsed(int32_t ArticleKey, int32_t PostTime, uint8_t value) {
  ArticleRecord* r = Entry(FindArticle(ArticleKey, PostTime));
  if (!r) return false;
  r->Used = Flag(value);
  Modified = 1;
  return true;
}

bool TArticleList::SetReadFlagByKey(int32_t ArticleKey, int32_t PostTime, uint8_t ReadFlag,
                                    bool clearNew) {
  ArticleRecord* r = Entry(FindArticle(ArticleKey, PostTime));
  if (!r) return false;
  r->ReadFlag = Flag(ReadFlag);
  if (clearNew) r->NewFlag = 0;
  return true;
}

int32_t TArticleList::StorageIndex(int32_t order, int32_t position) const {
  const TIndexList& list = OrderList(order);
  if (position < 0 || position >= list.Count()) return -1;
  return list.At(position);
}

ArticleRecord* TArticleList::GetArticle(int32_t order, int32_t position) {
  return Entry(StorageIndex(order, position));
}

const ArticleRecord* TArticleList::GetArticle(int32_t order, int32_t position) const {
  return Entry(StorageIndex(order, position));
}

int32_t TArticleList::OrderCount(int32_t order) const {
  return OrderList(order).Count();
}

bool TArticleList::SetReadFlag(int32_t order, int32_t position, uint8_t ReadFlag, bool clearNew) {
  ArticleRecord* r = GetArticle(order, position);
  if (!r) return false;
  r->ReadFlag = Flag(ReadFlag);
  if (clearNew) r->NewFlag = 0;
  return true;
}

bool TArticleList::SetBatchFlag(int32_t order, int32_t position, uint8_t value) {
  ArticleRecord* r = GetArticle(order, position);
  if (!r) return false;
  r->BatchFlag = Flag(value);
  Modified = 1;
  return true;
}

int32_t TArticleList::FindByKey(int32_t order, int32_t key) const {
  for (int32_t p = OrderCount(order) - 1; p >= 0; --p) {
    if (GetArticle(order, p)->ArticleKey == key) return p;
  }
  return -1;
}

int32_t TArticleList::FindByTime(int32_t order, int32_t time) const {
  for (int32_t p = OrderCount(order) - 1; p >= 0; --p) {
    if (GetArticle(order, p)->PostTime == time) return p;
  }
  return -1;
}

int32_t TArticleList::FindByKeyAndTime(int32_t order, int32_t key, int32_t time) const {
  for (int32_t p = OrderCount(order) - 1; p >= 0; --p) {
    const ArticleRecord* r = GetArticle(order, p);
    if (r->ArticleKey == key && r->PostTime == time) return p;
  }
  return -1;
}

void TArticleList::DropPlaceholders() {
  for (int32_t i = 0; i < Count(); ++i) {
    ArticleRecord& r = *Entry(i);
    if (r.Kind == ArticleKindMissingRoot) r.Used = 0;
    r.Level = 0;
  }
}

bool TArticleList::SortArticles() {
  Rebase();
  // Rebasing changed the raw view of entries with a missing key or time, and sorting moves
  // every entry: the key index starts again on the next lookup.
  keyIndex_.Invalidate();
  if (!OrderByTimeAndKey()) {
    ReportOutOfMemory();
    return false;
  }
  MarkMaintained();
  BuildTreeOrder();
  return BuildNormalOrder();
}

void TArticleList::Rebase() {
  for (int32_t i = 0; i < Count(); ++i) {
    PumpEvery(i + 1);
    ArticleRecord& r = *static_cast<ArticleRecord*>(static_cast<void*>(ItemAt(i)));
    if (r.WriteFlag != 0 || r.Rebased != 0) continue;
    bool changed = false;
    for (int32_t* value : {&r.PostTime, &r.ArticleKey, &r.ParentKey}) {
      if (*value >= 0) {
        *value -= RebaseOffset;
        changed = true;
      }
    }
    if (changed) r.Rebased = 1;
  }
}

bool TArticleList::OrderByTimeAndKey() {
  // Sorts a compact (time, key, index) table and then moves every record once, instead of
  // exchanging whole records. Ties in both time and key keep their storage order.
  struct SortKey {
    uint64_t timeAndKey;
    int32_t index;
  };
  const int32_t n = Count();
  try {
    std::vector<SortKey> keys(static_cast<size_t>(n));
    bool sorted = true;
    for (int32_t i = 0; i < n; ++i) {
      const auto& r = *reinterpret_cast<const ArticleRecord*>(ItemAt(i));
      uint64_t k = (static_cast<uint64_t>(static_cast<uint32_t>(r.PostTime) ^ 0x80000000u) << 32) |
                   (static_cast<uint32_t>(r.ArticleKey) ^ 0x80000000u);
      keys[static_cast<size_t>(i)] = {k, i};
      if (i > 0 && k < keys[static_cast<size_t>(i) - 1].timeAndKey) sorted = false;
    }
    if (sorted) return true;
    Ui().ProcessMessages();
    std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) {
      return a.timeAndKey != b.timeAndKey ? a.timeAndKey < b.timeAndKey : a.index < b.index;
    });
    Ui().ProcessMessages();
    std::vector<int32_t> order(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
      order[static_cast<size_t>(i)] = keys[static_cast<size_t>(i)].index;
    keys = {};
    Permute(order);
    Ui().ProcessMessages();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void TArticleList::MarkMaintained() {
  // The host renumbers or purges a board by starting its numbers again; whatever lies before
  // the last restart is gone from the host.
  int32_t previous = RebaseOffset;
  int32_t restart = 0;
  for (int32_t i = 0; i < Count(); ++i) {
    PumpEvery(i + 1);
    const ArticleRecord& r = *Entry(i);
    if (r.Used != 1 || r.Kind == ArticleKindMissingRoot || r.WriteFlag != 0 || r.Number < 0) {
      continue;
    }
    if (previous >= r.Number) restart = i;
    previous = r.Number;
  }
  for (int32_t i = 0; i < restart; ++i)
    Entry(i)->Maintained = 1;
}

void TArticleList::BuildTreeOrder() {
  TreeList.Truncate();
  const int32_t walked = Count();  // placeholders appended below are not walked themselves
  ReplyIndex replies;
  // One open scan for replies: the parent's key, the level of its replies minus one, and the
  // replies still to place (entries of the reply index).
  struct Scan {
    int32_t key;
    int32_t level;
    int32_t next;
    int32_t last;
  };
  std::vector<Scan> scans;
  int64_t steps = 0;

  auto open = [&](int32_t key, int32_t level, int32_t start) {
    ReplyIndex::Range range = replies.Replies(key, start, replies.ScanEnd(start, key));
    scans.push_back({key, level, range.first, range.last});
  };
  // Places every reply the scan for `key` from `start` reaches, depth first, each reply
  // followed by its own replies.
  auto attachReplies = [&](int32_t key, int32_t start) -> bool {
    open(key, 0, start);
    while (!scans.empty()) {
      Scan& scan = scans.back();
      if (scan.next == scan.last) {
        scans.pop_back();
        continue;
      }
      const int32_t position = replies.Position(scan.next++);
      const int32_t level = scan.level + 1;
      ArticleRecord& reply = *Entry(position);
      reply.Level = level;
      if (!TreeList.Add(position)) return false;
      PumpEvery(++steps);
      open(reply.ArticleKey, level, position + 1);
    }
    return true;
  };

  bool failed = false;
  try {
    replies.Build(*this, walked);
    for (int32_t i = 0; i < walked && !failed; ++i) {
      PumpEvery(++steps);
      const ArticleRecord& e = *Entry(i);
      if (e.Used != 1 || e.Level != 0) continue;
      if (!IsReplyKind(e.Kind)) {
        failed = !TreeList.Add(i) || !attachReplies(e.ArticleKey, i + 1);
        continue;
      }
      // A reply nobody placed: its parent is not here (or comes later). It and every later
      // orphan of the same parent go under one placeholder that stands for the parent.
      ArticleRecord p{};
      p.Used = 1;
      p.Kind = ArticleKindMissingRoot;
      p.ArticleKey = e.ParentKey;
      p.Number = e.ParentNumber;
      p.ParentKey = -1;
      p.ParentNumber = -1;
      p.PostTime = e.PostTime;
      p.WriterId = e.ParentWriterId;
      p.ParentWriterId = -1;
      p.WriterIdText = e.ParentWriterIdText;
      p.Title = e.ParentTitle;
      p.FirstLine = -1;
      p.BodyOffset = -1;
      p.NewFlag = 1;
      p.Rebased = 1;
      failed = !AppendEntry(p) || !TreeList.Add(Count() - 1) || !attachReplies(p.ArticleKey, i);
    }
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) ReportOutOfMemory();
}

bool TArticleList::BuildNormalOrder() {
  NormalList.Truncate();
  for (int32_t i = 0; i < Count(); ++i) {
    PumpEvery(i + 1);
    const ArticleRecord& r = *Entry(i);
    if (r.Used == 0 || r.Kind == ArticleKindMissingRoot) continue;
    if (!NormalList.Add(i)) {
      ReportOutOfMemory();
      return false;
    }
  }
  return true;
}

// Field accessors: the field of the entry at the position, or the field's default outside the
// order (NoNumber for the time, which callers compare against).
#define VORN_ARTICLE_ACCESSOR(Type, Name, Expression, Default)             \
  Type TArticleList::Name(int32_t order, int32_t position) const {         \
    const ArticleRecord* r = GetArticle(order, position);                  \
    return r ? static_cast<Type>(Expression) : static_cast<Type>(Default); \
  }

VORN_ARTICLE_ACCESSOR(uint8_t, GetKind, r->Kind, ArticleKindMissingRoot)
VORN_ARTICLE_ACCESSOR(uint8_t, GetWriteFlag, r->WriteFlag, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetKey, r->ArticleKey, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetParentKey, r->ParentKey, -1)
VORN_ARTICLE_ACCESSOR(int32_t, GetNumber, r->Number, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetPostTime, r->PostTime, NoNumber)
VORN_ARTICLE_ACCESSOR(int32_t, GetWriterId, r->WriterId, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetParentWriterId, r->ParentWriterId, 0)
VORN_ARTICLE_ACCESSOR(std::string, GetWriterIdText, r->WriterIdText.Str(), "")
VORN_ARTICLE_ACCESSOR(std::string, GetParentWriterIdText, r->ParentWriterIdText.Str(), "")
VORN_ARTICLE_ACCESSOR(std::string, GetTitle, r->Title.Str(), "")
VORN_ARTICLE_ACCESSOR(std::string, GetParentTitle, r->ParentTitle.Str(), "")
VORN_ARTICLE_ACCESSOR(int32_t, GetFirstLine, r->FirstLine, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetBodyOffset, r->BodyOffset, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetLastLine, r->LastLine, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetLevel, r->Level, 0)
VORN_ARTICLE_ACCESSOR(const TStringList*, GetText, r->Text, nullptr)
VORN_ARTICLE_ACCESSOR(const TMailSendList*, GetMailTo, r->MailTo, nullptr)
VORN_ARTICLE_ACCESSOR(uint8_t, GetBatchFlag, r->BatchFlag, 0)
VORN_ARTICLE_ACCESSOR(uint8_t, GetMaintained, r->Maintained, 0)
VORN_ARTICLE_ACCESSOR(uint8_t, GetReadFlag, r->ReadFlag, 0)
VORN_ARTICLE_ACCESSOR(uint8_t, GetNewFlag, r->NewFlag, 0)

#undef VORN_ARTICLE_ACCESSOR

}  // namespace vorn
