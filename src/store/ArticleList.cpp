#include "store/ArticleList.h"

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "store/ArticleSort.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

// A big board's records fill blocks of this size, which the block allocator carves from regions
// that come zeroed from the system; smaller blocks would come from the C library's heap and be
// cleared by hand first (a load writes millions of records once each).
constexpr int32_t kArticleChunkBytes = 262144;
constexpr int32_t kOrderChunkBytes = 512;

uint8_t Flag(uint8_t value) {
  return value != 0 ? 1 : 0;
}

}  // namespace

TArticleList::TArticleList()
    : TMiniList(kArticleChunkBytes, sizeof(ArticleRecord)),
      NormalList(kOrderChunkBytes),
      TreeList(kOrderChunkBytes) {}

TArticleList::~TArticleList() {
  FreeAttachments();
}

void TArticleList::FreeWrite(ArticleRecord& r) {
  ArticleWrite* write = ArticleWriteAt(r.WriteSlot);
  if (!write) return;
  delete write->Text;
  delete write->MailTo;
  ReleaseArticleWrite(r.WriteSlot);
  r.WriteSlot = 0;
}

void TArticleList::FreeAttachments() {
  for (int32_t i = 0; i < Count(); ++i)
    FreeWrite(*Entry(i));
}

void TArticleList::Clear() {
  FreeAttachments();
  NormalList.Clear();
  TreeList.Clear();
  Modified = 0;
  TMiniList::Clear();
  texts_.Clear();
  lastAdded_ = -1;
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

template <std::size_t N1, std::size_t N2>
bool TArticleList::KeepTexts(ArenaPair<N1, N2>& field, std::string_view first,
                             std::string_view second, const TitleHash* hashed) {
  // An update leaves a field alone when its value is empty or unchanged: reading the same logs
  // again stores nothing new.
  first = CutToCapacity<N1>(first);
  second = CutToCapacity<N2>(second);
  if (first.empty()) first = field.First();
  if (second.empty()) second = field.Second();
  if (first == field.First() && second == field.Second()) return true;
  const char* stored = nullptr;
  const bool known = hashed && second.empty() && first.data() == hashed->title.data() &&
                     first.size() == hashed->title.size();
  if (!texts_.StorePair(first, second, stored,
                        known ? hashed->hash : TTextArena::PairHash(first, second)))
    return false;
  field.SetStored(stored);
  return true;
}

bool TArticleList::AddArticle(uint8_t Kind, uint8_t WriteFlag, int32_t ArticleKey, int32_t Number,
                              int32_t PostTime, int32_t ParentKey, int32_t ParentNumber,
                              int32_t WriterId, int32_t ParentWriterId,
                              std::string_view WriterIdText, std::string_view ParentWriterIdText,
                              std::string_view Title, std::string_view ParentTitle,
                              int32_t FirstLine, int32_t BodyOffset,
                              std::unique_ptr<TStringList> Text,
                              std::unique_ptr<TMailSendList> MailTo, const TitleHash* TitleHashed) {
  lastAdded_ = -1;
  WriteFlag = Flag(WriteFlag);
  if (Kind == ArticleKindMissingRoot && WriteFlag == 1) return false;
  if (WriteFlag == 1) {
    Modified = 1;
    ++WriteChanges;
  }

  const int32_t found = FindArticle(ArticleKey, PostTime);
  if (found >= 0) {
    if (Kind == ArticleKindMissingRoot) return true;
    // The log or the user gave this entry again: refresh it, but keep what the user did with
    // it (read, batch) and what the analyser learnt later (its last line).
    ArticleRecord& r = *Entry(found);
    // The texts and the room for a write's attachments first: when one cannot be had the entry
    // stays as it was.
    ArticleRecord::TextPair own = r.OwnTexts, parent = r.ParentTexts;
    if (!KeepTexts(own, Title, WriterIdText, TitleHashed) ||
        !KeepTexts(parent, ParentTitle, ParentWriterIdText) ||
        ((Text || MailTo) && r.WriteSlot == 0 && (r.WriteSlot = TakeArticleWrite()) == 0)) {
      ReportOutOfMemory();
      return false;
    }
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
    r.OwnTexts = own;
    r.ParentTexts = parent;
    r.FirstLine = FirstLine;
    r.BodyOffset = BodyOffset;
    if (Kind == ArticleKindRoot || Kind == ArticleKindBinaryRoot || Kind == ArticleKindMail ||
        Kind == ArticleKindBinaryMail) {
      r.Level = 0;  // replies keep their place in the tree until it is built again
    }
    if (ArticleWrite* write = ArticleWriteAt(r.WriteSlot)) {
      if (Text) {
        delete write->Text;
        write->Text = Text.release();
      }
      if (MailTo) {
        delete write->MailTo;
        write->MailTo = MailTo.release();
      }
    }
    r.Rebased = 0;
    r.NewFlag = 1;
    lastAdded_ = found;
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
  if (!KeepTexts(r.OwnTexts, Title, WriterIdText, TitleHashed) ||
      !KeepTexts(r.ParentTexts, ParentTitle, ParentWriterIdText)) {
    ReportOutOfMemory();
    return false;
  }
  r.FirstLine = FirstLine;
  r.BodyOffset = BodyOffset;
  r.LastLine = 0;
  r.Level = 0;
  r.NewFlag = 1;
  if (Text || MailTo) {
    r.WriteSlot = TakeArticleWrite();
    if (r.WriteSlot == 0) {
      ReportOutOfMemory();
      return false;
    }
    *ArticleWriteAt(r.WriteSlot) = ArticleWrite{Text.get(), MailTo.get()};
  }
  if (!AppendEntry(r)) {
    ReleaseArticleWrite(r.WriteSlot);  // the text and recipients stay the caller's
    ReportOutOfMemory();
    return false;
  }
  Text.release();
  MailTo.release();
  lastAdded_ = Count() - 1;
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
  ++WriteChanges;
  return true;
}

bool TArticleList::SetReadFlagByKey(int32_t ArticleKey, int32_t PostTime, uint8_t ReadFlag,
                                    bool clearNew) {
  ArticleRecord* r = Entry(FindArticle(ArticleKey, PostTime));
  if (!r) return false;
  r->ReadFlag = Flag(ReadFlag);
  if (clearNew) r->NewFlag = 0;
  ++ReadMarkChanges;
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
  ++ReadMarkChanges;
  return true;
}

bool TArticleList::SetBatchFlag(int32_t order, int32_t position, uint8_t value) {
  ArticleRecord* r = GetArticle(order, position);
  if (!r) return false;
  r->BatchFlag = Flag(value);
  Modified = 1;
  ++WriteChanges;
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

TArticleList::SavedState TArticleList::SaveState() const {
  SavedState saved;
  saved.records = CopyRecords();
  saved.normal = NormalList.CopyRecords();
  saved.tree = TreeList.CopyRecords();
  saved.memoryReported = MemoryReported;
  saved.modified = Modified;
  saved.boardNo = BoardNo;
  saved.boardId = BoardId;
  return saved;
}

void TArticleList::RestoreState(const SavedState& saved) {
  const int32_t keep = static_cast<int32_t>(saved.records.size() / sizeof(ArticleRecord));
  for (int32_t i = keep; i < Count(); ++i)
    FreeWrite(*Entry(i));
  RestoreRecords(saved.records);
  NormalList.RestoreRecords(saved.normal);
  TreeList.RestoreRecords(saved.tree);
  MemoryReported = saved.memoryReported;
  Modified = saved.modified;
  BoardNo = saved.boardNo;
  BoardId = saved.boardId;
  keyIndex_.Invalidate();
  lastAdded_ = -1;
}

bool TArticleList::SortArticles() {
  return ArticleSorter(*this).Run();
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
VORN_ARTICLE_ACCESSOR(std::string, GetWriterIdText, r->WriterIdText().Str(), "")
VORN_ARTICLE_ACCESSOR(std::string, GetParentWriterIdText, r->ParentWriterIdText().Str(), "")
VORN_ARTICLE_ACCESSOR(std::string, GetTitle, r->Title().Str(), "")
VORN_ARTICLE_ACCESSOR(std::string, GetParentTitle, r->ParentTitle().Str(), "")
VORN_ARTICLE_ACCESSOR(int32_t, GetFirstLine, r->FirstLine, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetBodyOffset, r->BodyOffset, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetLastLine, r->LastLine, 0)
VORN_ARTICLE_ACCESSOR(int32_t, GetLevel, r->Level, 0)
VORN_ARTICLE_ACCESSOR(const TStringList*, GetText, r->Text(), nullptr)
VORN_ARTICLE_ACCESSOR(const TMailSendList*, GetMailTo, r->MailTo(), nullptr)
VORN_ARTICLE_ACCESSOR(uint8_t, GetBatchFlag, r->BatchFlag, 0)
VORN_ARTICLE_ACCESSOR(uint8_t, GetMaintained, r->Maintained, 0)
VORN_ARTICLE_ACCESSOR(uint8_t, GetReadFlag, r->ReadFlag, 0)
VORN_ARTICLE_ACCESSOR(uint8_t, GetNewFlag, r->NewFlag, 0)

#undef VORN_ARTICLE_ACCESSOR

}  // namespace vorn
