#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/AnalysisPipe.h"
#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "store/ArticleList.h"
#include "store/MailKeys.h"

// The two halves of a NetVorn-family analysis: the walk over the log (NetVorn.cpp) finds boards,
// articles, members and system messages; the store here puts them into the analyser. The walk
// hands them over straight, or in batches to a store on another thread.
namespace vorn {

// Collects (ID, handle) pairs while a log is read and hands them to the member list in batches,
// so that the member list is not searched for every article. One entry per ID, the latest
// non-empty handle winning, as adding to a member list with lookup does.
class NetVornPendingMembers {
 public:
  void Add(int32_t id, std::string_view handle) {
    if (id == -1) return;
    auto found = index_.find(id);
    if (found != index_.end()) {
      if (!handle.empty()) entries_[found->second].second = handle;
      return;
    }
    if (handle.empty()) return;
    index_.emplace(id, entries_.size());
    entries_.emplace_back(id, std::string(handle));
  }
  size_t Count() const { return entries_.size(); }
  const std::vector<std::pair<int32_t, std::string>>& Entries() const { return entries_; }
  void Clear() {
    entries_.clear();
    index_.clear();
  }

 private:
  std::vector<std::pair<int32_t, std::string>> entries_;
  std::unordered_map<int32_t, size_t> index_;
};

// Members are merged whenever more than this many have gathered at a board line (and at the end
// of a run).
constexpr size_t kNetVornMergeThreshold = 499;

// An article as the walk over the log found it. A mail is given its key when it is stored: the
// key counts the mails already in the box.
struct NetVornArticleFound {
  int32_t board = -1;
  std::string_view boardKey;
  uint8_t kind = 0;
  bool isMail = false;
  bool hasRess = false;
  int32_t key = 0, number = 0, postTime = 0, parentKey = -1, parentNumber = -1;
  int32_t writerId = -1, parentWriterId = -1, firstLine = 0, bodyOffset = 0;
  std::string_view title, parentTitle, handle, parentHandle;
  // The title's hash, when the store took it ahead (TArticleList::HashTitle of title).
  const TArticleList::TitleHash* titleHash = nullptr;
};

// Puts what the walk over the log finds into the analyser's boards and members and the system
// messages, in the order it was found. The walk never asks it anything but whether an article
// found a board, so the walk may run ahead of it on another thread.
class NetVornStore final {
 public:
  NetVornStore(TNetVorn& process, TLogList& systemLog) : p_(process), systemLog_(systemLog) {}

  // A board title or board list line made the board current.
  void BoardLine(int32_t number, std::string_view key, std::string_view title) {
    articleBoard_ = nullptr;  // the board may take another key
    p_.Boards.AddBoard(number, key, title);
    MergeWhenFull();
  }
  void MergeWhenFull() {
    if (pending_.Count() > kNetVornMergeThreshold) MergeMembers();
  }
  // False when the article's board could not be added.
  bool Article(const NetVornArticleFound& a);
  // An article to be stored soon: what storing it will read is asked of the memory ahead, when
  // it goes to the board the last one went to (see TArticleList::PrefetchTitle).
  void PrefetchArticle(int32_t board, std::string_view key, const TArticleList::TitleHash& title,
                       bool storedText) const {
    if (articleBoard_ && board == articleBoardNo_ && key == articleBoardKey_)
      articleBoard_->PrefetchTitle(title, storedText);
  }
  // The last line of the article stored last.
  void LastLine(int32_t line);
  void Member(int32_t id, std::string_view handle) { pending_.Add(id, handle); }
  void SystemLine(std::string_view text) { systemLog_.AddLine(text); }
  void MergeMembers();

 private:
  // The board an article is stored in, added or given its key first.
  TArticleList* ArticleBoard(int32_t number, std::string_view key);

  TNetVorn& p_;
  TLogList& systemLog_;
  std::optional<TMailKeys> mailKeys_;  // of the mail box, made at the first mail

  // The board the last article went to, its number and the key it was given; reset whenever
  // a board line may have changed a board.
  TArticleList* articleBoard_ = nullptr;
  int32_t articleBoardNo_ = -1;
  std::string articleBoardKey_;

  // The article whose body is being read, found again by its key and time to set its last line.
  TArticleList* open_ = nullptr;
  int32_t openKey_ = 0;
  int32_t openTime_ = 0;
  int32_t openIndex_ = -1;  // its storage index, -1 when it was not stored

  NetVornPendingMembers pending_;
  std::unordered_map<int32_t, int32_t> memberIndex_;  // ID -> first live entry of Members
  bool memberIndexBuilt_ = false;
};

// One finding of the walk, in a batch.
struct NetVornFinding {
  enum What : uint8_t { Board, Merge, Article, LastLine, Member, System };
  What what;
  uint8_t kind;
  bool isMail, hasRess;
  int32_t board, key, number, postTime, parentKey, parentNumber, writerId, parentWriterId,
      firstLine, bodyOffset;
  BatchText boardKey, title, parentTitle, handle, parentHandle;
};
using NetVornBatch = FindingBatch<NetVornFinding>;

// Where the walk puts what it finds: straight into the store, or into a batch for the store on
// the other thread.
class NetVornFindings {
 public:
  explicit NetVornFindings(NetVornStore* store) : store_(store) {}

  void BoardLine(int32_t number, std::string_view key, std::string_view title) {
    if (store_) return store_->BoardLine(number, key, title);
    NetVornFinding& f = batch->Add(NetVornFinding::Board);
    f.board = number;
    f.boardKey = batch->Keep(key);
    f.title = batch->Keep(title);
  }
  void MergeWhenFull() {
    if (store_) return store_->MergeWhenFull();
    batch->Add(NetVornFinding::Merge);
  }
  // A batch cannot know yet whether the article's board can be added: the walk goes on as if
  // it could (only a shortage of memory refuses it, and that is told).
  bool Article(const NetVornArticleFound& a) {
    if (store_) return store_->Article(a);
    NetVornFinding& f = batch->Add(NetVornFinding::Article);
    f.kind = a.kind;
    f.isMail = a.isMail;
    f.hasRess = a.hasRess;
    f.board = a.board;
    f.key = a.key;
    f.number = a.number;
    f.postTime = a.postTime;
    f.parentKey = a.parentKey;
    f.parentNumber = a.parentNumber;
    f.writerId = a.writerId;
    f.parentWriterId = a.parentWriterId;
    f.firstLine = a.firstLine;
    f.bodyOffset = a.bodyOffset;
    f.boardKey = batch->Keep(a.boardKey);
    f.title = batch->Keep(a.title);
    f.parentTitle = batch->Keep(a.parentTitle);
    f.handle = batch->Keep(a.handle);
    f.parentHandle = batch->Keep(a.parentHandle);
    return true;
  }
  void LastLine(int32_t line) {
    if (store_) return store_->LastLine(line);
    batch->Add(NetVornFinding::LastLine).firstLine = line;
  }
  void Member(int32_t id, std::string_view handle) {
    if (store_) return store_->Member(id, handle);
    if (id == -1) return;  // never a member
    NetVornFinding& f = batch->Add(NetVornFinding::Member);
    f.writerId = id;
    f.handle = batch->Keep(handle);
  }
  void SystemLine(std::string_view text) {
    if (store_) return store_->SystemLine(text);
    batch->Add(NetVornFinding::System).title = batch->Keep(text);
  }

  NetVornBatch* batch = nullptr;  // where findings go without a store

 private:
  NetVornStore* store_;
};

// Stores a batch's findings in their order.
void StoreFindings(const NetVornBatch& batch, NetVornStore& store);
// For findings kept between runs: whether one read back is one the walk could have made, its
// texts within a batch's bytes; and its line numbers moved by the lines given.
bool FindingFits(const NetVornFinding& f, size_t bytes);
void ShiftFindingLines(NetVornFinding& f, int32_t by);

}  // namespace vorn
