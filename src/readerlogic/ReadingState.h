#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

class TArticleList;

// The article last displayed, found again after logs were added.
struct ArticlePosition {
  TArticleList* Board = nullptr;
  uint8_t Kind = 0;
  int32_t ArticleKey = 0;
  int32_t PostTime = 0;
};

// What the main window's commands share about reading: the log files waiting to be loaded, the
// family the open commands start from, the order the grid shows, the two reading modes, the
// article to find again after an add, whether a load is under way and whether the end of the
// run saves. The window owns it; its helpers are handed it and never reach it through the
// window.
class TReadingState final {
 public:
  // Log files waiting to be loaded (CP932 paths as the file system stores them); an empty path
  // is not kept.
  const std::vector<std::string>& PendingFiles() const { return pendingFiles_; }
  bool HasPendingFiles() const { return !pendingFiles_.empty(); }
  void AddPendingFile(std::string path);
  void ClearPendingFiles() { pendingFiles_.clear(); }
  // Everything that waits, taken at once (the boxes shown while loading activate the window
  // again, and must not see the same files).
  std::vector<std::string> TakePendingFiles();

  // The family (index in the BBS list) the open commands start from.
  int CurrentProcess() const { return currentProcess_; }
  void SetCurrentProcess(int family) { currentProcess_ = family; }

  // The order the grid shows: 1 tree order, 0 posting order (TArticleSort).
  uint8_t TreeOrder() const { return treeOrder_; }
  void SetTreeOrder(bool tree) { treeOrder_ = tree ? 1 : 0; }

  // The new-article and the search reading modes.
  bool NewReadMode() const { return newReadMode_; }
  bool SearchReadMode() const { return searchReadMode_; }
  bool ReadMode(bool search) const { return search ? searchReadMode_ : newReadMode_; }
  void SetReadMode(bool search, bool on) { (search ? searchReadMode_ : newReadMode_) = on; }
  // The status bar's mode panel: "新規", "検索", both joined by "/", or empty (CP932).
  std::string ModeIndicator() const;

  // While logs are added, or a settings dialog is open, the article displayed is not
  // remembered: the one remembered before is found again afterwards.
  bool AddingLogs() const { return addingLogs_; }
  void SetAddingLogs(bool on) { addingLogs_ = on; }
  const ArticlePosition& SavedPosition() const { return savedPosition_; }
  // The article displayed; ignored while logs are added.
  void RememberArticle(const ArticlePosition& position);
  void ForgetSavedPosition() { savedPosition_.Board = nullptr; }

  // A load's loops run; closing and reloading are refused meanwhile.
  bool Busy() const { return busy_; }
  void SetBusy(bool busy) { busy_ = busy; }

  // Whether the end of the run saves the lists, read pointers and pending writes (off for the
  // commands that end or open without saving).
  bool SaveData() const { return saveData_; }
  void SetSaveData(bool save) { saveData_ = save; }

 private:
  std::vector<std::string> pendingFiles_;
  int currentProcess_ = 0;
  uint8_t treeOrder_ = 1;
  bool newReadMode_ = false;
  bool searchReadMode_ = false;
  bool addingLogs_ = false;
  ArticlePosition savedPosition_;
  bool busy_ = false;
  bool saveData_ = true;
};

}  // namespace vorn
