#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/ArticleKeyIndex.h"
#include "store/ArticleRecord.h"
#include "store/MailSendList.h"
#include "store/MiniList.h"
#include "store/TextArena.h"

namespace vorn {

// The article store of one board: every root article, reply, mail, placeholder and queued write
// as ArticleRecord entries, and the two orders they are read in: posting order and tree order
// (each reply after its parent, indented by its Level). Readers address an entry by order and
// position; positions are valid only until the next SortArticles.
//
// Keys and times come in two views. Raw values, as the logs and the user's writes give them,
// are taken by AddArticle, FindArticle and the setters that find an entry by key and time.
// Stored values, rebased by SortArticles so that log entries order before writes, are what the
// accessors return and the position finders compare.
class TArticleList final : public TMiniList {
 public:
  TArticleList();
  ~TArticleList() override;

  void Clear() override;

  struct TitleHash {
    std::string_view title;  // as the record keeps it
    uint32_t hash;
  };
  // What storing a title alone (no writer's ID text) hashes: a store that looks ahead takes it
  // once for the prefetches and the add (AddArticle's TitleHashed).
  static TitleHash HashTitle(std::string_view Title) {
    const std::string_view kept = CutToCapacity<ArticleRecord::kTitleCapacity>(Title);
    return {kept, TTextArena::PairHash(kept, {})};
  }

  // Adds an entry or refreshes the live entry with the same raw key and time. Text and MailTo,
  // when given, are handed over to the record (an update replaces the old ones; an add that
  // does not store them frees them). False when a placeholder is offered as a write, or when
  // memory ran out.
  bool AddArticle(uint8_t Kind, uint8_t WriteFlag, int32_t ArticleKey, int32_t Number,
                  int32_t PostTime, int32_t ParentKey, int32_t ParentNumber, int32_t WriterId,
                  int32_t ParentWriterId, std::string_view WriterIdText,
                  std::string_view ParentWriterIdText, std::string_view Title,
                  std::string_view ParentTitle, int32_t FirstLine, int32_t BodyOffset,
                  std::unique_ptr<TStringList> Text = nullptr,
                  std::unique_ptr<TMailSendList> MailTo = nullptr,
                  const TitleHash* TitleHashed = nullptr);

  // Storage index of the newest live entry with this raw key and time, or -1. An article wins
  // over a placeholder of the same key and time.
  int32_t FindArticle(int32_t ArticleKey, int32_t PostTime);
  // The storage index of the entry the last AddArticle stored or refreshed (what FindArticle
  // finds by its key and time until the list changes again), or -1 when it stored nothing.
  // The analysers set an article's last line through it without looking the article up again.
  int32_t LastAdded() const { return lastAdded_; }
  // What AddArticle of a new article of this title will read, asked of the memory ahead (see
  // TTextArena::Prefetch): a store that knows the articles coming next waits less for memory.
  void PrefetchTitle(const TitleHash& title, bool storedText) const {
    texts_.Prefetch(title.hash, storedText);
  }
  bool SetArticleLastLine(int32_t ArticleKey, int32_t PostTime, int32_t line);
  // Also marks the board's writes as changed.
  bool SetArticleUsed(int32_t ArticleKey, int32_t PostTime, uint8_t value);
  bool SetReadFlagByKey(int32_t ArticleKey, int32_t PostTime, uint8_t ReadFlag, bool clearNew);

  // The entry at a position of an order, or nullptr outside it. Its key, time and Rebased flag
  // change only through the list: the lookup by key and time follows them.
  ArticleRecord* GetArticle(int32_t order, int32_t position);
  const ArticleRecord* GetArticle(int32_t order, int32_t position) const;
  int32_t OrderCount(int32_t order) const;
  // The storage index at a position of an order, or -1 outside it.
  int32_t StorageIndex(int32_t order, int32_t position) const;

  bool SetReadFlag(int32_t order, int32_t position, uint8_t ReadFlag, bool clearNew);
  bool SetBatchFlag(int32_t order, int32_t position, uint8_t value);

  // The last position of the order whose stored key / time / both match, or -1.
  int32_t FindByKey(int32_t order, int32_t key) const;
  int32_t FindByTime(int32_t order, int32_t time) const;
  int32_t FindByKeyAndTime(int32_t order, int32_t key, int32_t time) const;

  // Rebases, sorts by (time, key), marks the entries before the last restart of article numbers
  // as maintained and rebuilds both orders. False when the posting order could not be built.
  bool SortArticles();
  // Removes the placeholders of the tree and resets every Level, so that the next sort builds
  // the trees from scratch.
  void DropPlaceholders();

  // What RestoreState needs to put the list back as it was: the records, both orders and the
  // list's own fields. Texts stay where they are (the arena only grows until Clear), so the
  // saved records' texts read back as they were.
  struct SavedState {
    std::vector<char> records;
    std::vector<char> normal, tree;
    uint8_t memoryReported = 0;
    uint8_t modified = 0;
    int32_t boardNo = 0;
    std::string boardId;
  };
  // Throws std::bad_alloc when there is no memory for the copy.
  SavedState SaveState() const;
  // Only for a list that has grown since SaveState and was neither cleared nor sorted: the
  // entries added since go (with what they own), the others get their saved bytes back.
  void RestoreState(const SavedState& saved);

  // Field accessors by order and position; outside the order each gives its default.
  uint8_t GetKind(int32_t order, int32_t position) const;
  uint8_t GetWriteFlag(int32_t order, int32_t position) const;
  int32_t GetKey(int32_t order, int32_t position) const;
  int32_t GetParentKey(int32_t order, int32_t position) const;
  int32_t GetNumber(int32_t order, int32_t position) const;
  int32_t GetPostTime(int32_t order, int32_t position) const;
  int32_t GetWriterId(int32_t order, int32_t position) const;
  int32_t GetParentWriterId(int32_t order, int32_t position) const;
  std::string GetWriterIdText(int32_t order, int32_t position) const;
  std::string GetParentWriterIdText(int32_t order, int32_t position) const;
  std::string GetTitle(int32_t order, int32_t position) const;
  std::string GetParentTitle(int32_t order, int32_t position) const;
  int32_t GetFirstLine(int32_t order, int32_t position) const;
  int32_t GetBodyOffset(int32_t order, int32_t position) const;
  int32_t GetLastLine(int32_t order, int32_t position) const;
  int32_t GetLevel(int32_t order, int32_t position) const;
  const TStringList* GetText(int32_t order, int32_t position) const;
  const TMailSendList* GetMailTo(int32_t order, int32_t position) const;
  uint8_t GetBatchFlag(int32_t order, int32_t position) const;
  uint8_t GetMaintained(int32_t order, int32_t position) const;
  uint8_t GetReadFlag(int32_t order, int32_t position) const;
  uint8_t GetNewFlag(int32_t order, int32_t position) const;

  // The entry at a storage index, or nullptr.
  ArticleRecord* Entry(int32_t index) { return static_cast<ArticleRecord*>(GetItem(index)); }
  const ArticleRecord* Entry(int32_t index) const {
    return static_cast<const ArticleRecord*>(GetItem(index));
  }

  uint8_t MemoryReported = 0;
  // The queued writes changed since the UP/PAD output last cleared this.
  uint8_t Modified = 0;
  // Counted up whenever a queued write or batch mark changes, and whenever a read mark is set
  // through the list: a journal of the run compares them instead of walking every board.
  uint32_t WriteChanges = 0;
  uint32_t ReadMarkChanges = 0;
  int32_t BoardNo = 0;
  std::string BoardId;

 private:
  void FreeAttachments();
  // Frees the write's text and recipients an entry holds.
  static void FreeWrite(ArticleRecord& r);
  friend class ArticleSorter;

  void ReportOutOfMemory();
  // Sets a pair of text fields to the values cut to the fields' capacities, kept in this list's
  // arena; an empty value leaves its field as it was.
  // hashed, when given, is the hash of a first text alone, used when the pair is that text.
  template <std::size_t N1, std::size_t N2>
  bool KeepTexts(ArenaPair<N1, N2>& field, std::string_view first, std::string_view second,
                 const TitleHash* hashed = nullptr);
  bool AppendEntry(const ArticleRecord& record) { return AddRecord(record); }
  const TIndexList& OrderList(int32_t order) const {
    return order == ArticleSortTree ? TreeList : NormalList;
  }

  TIndexList NormalList;
  TIndexList TreeList;
  ArticleKeyIndex keyIndex_;
  TTextArena texts_;
  int32_t lastAdded_ = -1;
};

}  // namespace vorn
