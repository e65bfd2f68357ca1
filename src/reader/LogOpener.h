#pragma once

#include <string>
#include <vector>

#include "reader/MainDialogs.h"

namespace vorn {

class TVornExplMain;

// Opening logs for the main window: the files of the command line and of drops grouped by
// BBS set, the open and add dialogs, the window's part of loading around the session's
// loading routine (cursor, status texts, progress, commands, the board list and the first
// article), and leaving the loaded set for another one or the end.
class TLogOpener {
 public:
  explicit TLogOpener(TVornExplMain& window);
  ~TLogOpener();

  // Loads the pending files, grouped by the sets their names begin with.
  void FormActivate();
  // The set and files to open: the file dialog directly when only one set exists and the
  // settings ask for it, the set chooser otherwise.
  TMainDialogHost::NetSelection ChooseLogs();
  // Files to add to the loaded set; empty when none were chosen.
  std::vector<std::string> ChooseLogsToAdd();
  bool LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix, bool add);
  // A load is under way (also between its steps, while message boxes are open).
  bool Loading() const { return loading_; }
  void ShowSystemMessages();

 private:
  void Load(const std::vector<std::string>& files, const std::string& prefix);
  TMainDialogHost::LogFileRequest LogFileRequestFor(const TBBSIniFile& ini) const;
  void ShowBoardList(const std::vector<std::string>& lines);
  void ChooseFirstArticle();

  TVornExplMain& w_;
  bool loading_ = false;
};

}  // namespace vorn
