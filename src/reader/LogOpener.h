#pragma once

#include <string>
#include <vector>

#include "reader/MainDialogs.h"

namespace vorn {

class TVornExplMain;

// Opening logs for the main window: the files of the command line and of drops grouped by
// BBS set, the open and add dialogs, and the loading of the files into the reading state.
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
  bool LoadLogFiles(std::vector<std::string> files, const std::string& prefix, bool add);
  bool LeaveLogSet(bool reopen, bool keepData);
  void ShowSystemMessages();
  // Shows the selected board again after the order changed.
  void ShowCurrentBoard();
  // Whether the loaded host family takes binary writes at all, and the one named command.
  bool BinaryWrites() const;
  bool BinaryWriteAllowed(const char* commandName) const;

 private:
  void LoadGroup(const std::vector<std::string>& files, const std::string& prefix);
  TMainDialogHost::LogFileRequest LogFileRequestFor(const TBBSIniFile& ini) const;

  TVornExplMain& w_;
};

}  // namespace vorn
