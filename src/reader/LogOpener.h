#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialoglogic/BBSList.h"
#include "reader/MainDialogs.h"

namespace vorn {

class TBoardView;
class TLoadCancel;
class TLoadWindow;
class TLogSession;
class TMainCommands;
class TNavigation;
class TProgressBarREX;
class TReadingState;
struct CommonSettings;

// Opening logs for the main window: the files of the command line and of drops grouped by
// BBS set, the open and add dialogs, the window's part of loading around the session's
// loading routine (cursor, status texts, progress, commands, the board list and the first
// article), and leaving the loaded set for another one or the end.
class TLogOpener {
 public:
  TLogOpener(TLogSession& session, const CommonSettings& common, TReadingState& state,
             const TBBSList& bbsList, TMainDialogHost& dialogs, TMainCommands& commands,
             TBoardView& view, TNavigation& navigation, TProgressBarREX& progress,
             TLoadCancel& cancel, TLoadWindow& window);
  ~TLogOpener();

  // Loads the pending files, grouped by the sets their names begin with; not while a load is
  // under way (the files wait for its end).
  void FormActivate();
  // The set and files to open: the file dialog directly when only one set exists and the
  // settings ask for it, the set chooser otherwise.
  TMainDialogHost::NetSelection ChooseLogs();
  // Files to add to the loaded set; empty when none were chosen.
  std::vector<std::string> ChooseLogsToAdd();
  // Loads the files into the set with the prefix (add: into the loaded set); false while
  // another load is under way. Files that arrived meanwhile are loaded afterwards.
  bool LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix, bool add);
  // A load is under way (also between its steps, while message boxes are open).
  bool Loading() const { return loading_; }
  void ShowSystemMessages();

  // Told of every load that succeeded (add: logs added to the loaded set), before its board
  // list and first board are shown.
  std::function<void(bool add)> Loaded;
  // Told before a load begins to change the loaded data.
  std::function<void()> LoadStarting;

 private:
  void Load(const std::vector<std::string>& files, const std::string& prefix);
  bool LoadNow(const std::vector<std::string>& files, const std::string& prefix, bool add);
  TMainDialogHost::LogFileRequest LogFileRequestFor(const TBBSIniFile& ini) const;
  void ShowBoardList(const std::vector<std::string>& lines);
  // The loaded set's boards in the list and its commands enabled, after a load or after one
  // that gave back what was loaded before it.
  void ShowLoaded(const std::vector<std::string>& boardLines);
  void ChooseFirstArticle();

  TLogSession& session_;
  const CommonSettings& common_;
  TReadingState& state_;
  const TBBSList& bbsList_;
  TMainDialogHost& dialogs_;
  TMainCommands& commands_;
  TBoardView& view_;
  TNavigation& navigation_;
  TProgressBarREX& progress_;
  TLoadCancel& cancel_;
  TLoadWindow& window_;
  bool loading_ = false;
};

}  // namespace vorn
