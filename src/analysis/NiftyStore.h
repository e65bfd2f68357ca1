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
#include "analysis/Nifty.h"
#include "store/ArticleList.h"
#include "store/MailKeys.h"

// The two halves of a Nifty-Serve analysis: the walk over the log (Nifty.cpp) finds boards,
// articles, mails and notices; the store here puts them into the analyser. The walk hands them
// over straight, or in batches to a store on another thread.
namespace vorn {

// Collects (ID text, handle) pairs while a log is read, as a member list with lookup would: one
// entry per ID, the latest non-empty handle winning; a new ID needs a handle.
class NiftyPendingMembers {
 public:
  void Add(const std::string& id, const std::string& handle) {
    if (id.empty()) return;
    auto found = index_.find(id);
    if (found != index_.end()) {
      if (!handle.empty()) entries_[found->second].second = handle;
      return;
    }
    if (handle.empty()) return;
    index_.emplace(id, entries_.size());
    entries_.emplace_back(id, handle);
  }
  size_t Count() const { return entries_.size(); }
  const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }
  void Clear() {
    entries_.clear();
    index_.clear();
  }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// An article or mail as the walk found it. A mail is given its key when it is stored: the key
// counts the mails already in the box.
struct NiftyEntryFound {
  std::string_view boardId;  // of the board it goes to; a mail goes to the mail box
  uint8_t kind = 0;
  int32_t key = 0, time = 0, parent = -1, firstLine = 0;
  std::string_view writerId, handle, title;
};

// Puts what the walk finds into the analyser's boards and members and the system messages, in
// the order it was found. The walk never asks it anything but whether an entry found its board,
// so the walk may run ahead of it on another thread.
class NiftyStore final {
 public:
  NiftyStore(TNifty& process, TLogList& systemLog) : p_(process), systemLog_(systemLog) {}

  void Board(int32_t number, std::string_view id, std::string_view title) {
    p_.Boards.AddBoard(number, id, title);
  }
  // False when the entry's board is not there (memory ran out when it was to be added).
  bool Article(const NiftyEntryFound& e);
  bool Mail(const NiftyEntryFound& e);
  // The last line of the entry stored last.
  void LastLine(int32_t line) {
    if (open_) open_->SetArticleLastLine(openKey_, openTime_, line);
  }
  void SystemLine(std::string_view text) { systemLog_.AddLine(text); }
  // Moves the gathered writers into the member list: once enough have gathered, or now.
  void MergeMembers(bool force);

 private:
  bool Store(TArticleList* articles, const NiftyEntryFound& e, int32_t key);

  TNifty& p_;
  TLogList& systemLog_;
  std::optional<TMailKeys> mailKeys_;  // of the mail box, made at the first mail
  // The list that holds the entry stored last, and its key and time.
  TArticleList* open_ = nullptr;
  int32_t openKey_ = -1;
  int32_t openTime_ = 0;

  NiftyPendingMembers pending_;
  std::unordered_map<std::string, int32_t> memberIndex_;  // ID -> first live entry of Members
  bool memberIndexBuilt_ = false;
};

// One finding of the walk, in a batch.
struct NiftyFinding {
  enum What : uint8_t { Board, Merge, Article, Mail, LastLine, System };
  What what;
  uint8_t kind;
  int32_t number, key, time, parent, firstLine;
  BatchText boardId, title, writerId, handle;
};
using NiftyBatch = FindingBatch<NiftyFinding>;

// Where the walk puts what it finds: straight into the store, or into a batch for the store on
// the other thread.
class NiftyFindings {
 public:
  explicit NiftyFindings(NiftyStore* store) : store_(store) {}

  void Board(int32_t number, std::string_view id, std::string_view title) {
    if (store_) return store_->Board(number, id, title);
    NiftyFinding& f = batch->Add(NiftyFinding::Board);
    f.number = number;
    f.boardId = batch->Keep(id);
    f.title = batch->Keep(title);
  }
  void MergeWhenFull() {
    if (store_) return store_->MergeMembers(false);
    batch->Add(NiftyFinding::Merge);
  }
  // A batch cannot know yet whether the board is there: the walk goes on as if it were (only
  // a shortage of memory keeps it out, and that is told).
  bool Article(const NiftyEntryFound& e) {
    if (store_) return store_->Article(e);
    Keep(NiftyFinding::Article, e);
    return true;
  }
  bool Mail(const NiftyEntryFound& e) {
    if (store_) return store_->Mail(e);
    Keep(NiftyFinding::Mail, e);
    return true;
  }
  void LastLine(int32_t line) {
    if (store_) return store_->LastLine(line);
    batch->Add(NiftyFinding::LastLine).firstLine = line;
  }
  void SystemLine(std::string_view text) {
    if (store_) return store_->SystemLine(text);
    batch->Add(NiftyFinding::System).title = batch->Keep(text);
  }

  NiftyBatch* batch = nullptr;  // where findings go without a store

 private:
  void Keep(NiftyFinding::What what, const NiftyEntryFound& e) {
    NiftyFinding& f = batch->Add(what);
    f.kind = e.kind;
    f.key = e.key;
    f.time = e.time;
    f.parent = e.parent;
    f.firstLine = e.firstLine;
    f.boardId = batch->Keep(e.boardId);
    f.title = batch->Keep(e.title);
    f.writerId = batch->Keep(e.writerId);
    f.handle = batch->Keep(e.handle);
  }

  NiftyStore* store_;
};

// Stores a batch's findings in their order.
void StoreFindings(const NiftyBatch& batch, NiftyStore& store);
// For findings kept between runs: whether one read back is one the walk could have made, its
// texts within a batch's bytes; and its line numbers moved by the lines given.
bool FindingFits(const NiftyFinding& f, size_t bytes);
void ShiftFindingLines(NiftyFinding& f, int32_t by);

}  // namespace vorn
