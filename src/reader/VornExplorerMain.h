#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "dialoglogic/BBSList.h"
#include "reader/MainDialogs.h"
#include "reader/WindowRoles.h"
#include "readerlogic/ReadingState.h"

class QAction;
class QLabel;
class QSplitter;

namespace vorn {

class TArticleEdit;
class TArticleGrid;
class TBoardView;
class TBBSIniFile;
class TBBSProcess;
class TCommonIniFile;
class TLogList;
class TLogSession;
class TNetVorn;
class TNifty;
class TLoadCancel;
class TLoadCheckForm;
class TLogOpener;
class TMainCommands;
class TNavigation;
class TProgressBarREX;
class TQuickFilterBar;
class TRecentLogsMenu;
class TThreadCommands;
class TSelectList;
class TCommonSetForm;
class TExportCommands;
class TMainWindowAccess;
class TSearchCommands;
class TWriteController;

// The main window: the menu bar, tool bar, board list bar, the grid and view panels around a
// splitter, and the four-panel status bar with the progress bar inside it. It owns the common
// settings, the host families and the reading state, makes the helpers that carry the commands
// (board view, navigation, opening logs, writing, search, export) and hands each the parts it
// works on; the helpers reach the window only through the roles it implements.
class TVornExplMain final : public QMainWindow, public TLoadWindow {
  Q_OBJECT
 public:
  // arguments: the command line after the program's name, CP932, without the settings-folder
  // option. dialogs: the modal dialogs to use; the real ones when none is given.
  explicit TVornExplMain(std::vector<std::string> arguments,
                         std::unique_ptr<TMainDialogHost> dialogs = nullptr,
                         QWidget* parent = nullptr);
  ~TVornExplMain() override;

  // A command by its component name (MenuOpen, BTNNext, GMenuRess...).
  QAction* Command(const char* name) const;
  TMainCommands& Commands() const { return *commands_; }
  TMainDialogHost& Dialogs() const { return *dialogs_; }
  // The write commands, the editors open and the end of a run.
  TWriteController& Writer() const { return *writer_; }
  // The UP/PAD question dialog of the real dialogs, null with other dialogs.
  TLoadCheckForm* LoadCheckForm() const;

  TCommonIniFile& CommonIni() const { return *commonIni_; }
  // The host families, NetVorn first, as the settings dialogs see them.
  const TBBSList& BBSList() const { return bbsList_; }
  // The analyser of a family, in the order of the BBS list.
  TBBSProcess* Process(int family) const;
  // The family whose sets the open commands start from: the first that holds a set.
  int CurrentProcess() const { return reading_.CurrentProcess(); }
  // The loaded data: analysers, the one in use, its prefix, the log lines and their files.
  TLogSession& Session() const { return *session_; }
  TBBSProcess* CurrentAnalyser() const;
  // Every line of the loaded logs, and the host's system messages.
  TLogList& LogList() const;
  TLogList& SystemMsgList() const;
  TBoardView& BoardView() const { return *boardView_; }
  TNavigation& Navigation() const { return *navigation_; }
  TSelectList& BoardList() const { return *boardList_; }
  TArticleGrid& ArticleGrid() const { return *articleGrid1_; }
  TArticleEdit& ArticleEdit() const { return *articleEdit1_; }
  void FocusGrid();

  // Status bar panels 0 to 3.
  QString StatusText(int panel) const override;
  void SetStatusText(int panel, const QString& text) override;
  TProgressBarREX* ProgressBar() const { return progressBar1_; }

  // The reading state shared by the commands.
  TReadingState& Reading() { return reading_; }
  const TReadingState& Reading() const { return reading_; }
  // The grid and the view side by side (else the view below the grid).
  bool HorizontalLayout() const { return horizontalLayout_; }

  // Opening logs.
  bool Loading() const;
  void FormActivate();
  // Files dropped on the window (CP932 paths).
  void DropFiles(const std::vector<std::string>& files);
  void OpenLogDialog(bool save);
  void AddLogDialog();
  bool LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix, bool add);
  // Files chosen to open (Ctrl+O, a recent set) after the loaded data were left: sorted and
  // loaded as a fresh set.
  void LoadChosenLogs(std::vector<std::string> files, const std::string& prefix);

  // Commands.
  void MenuBBSSetClick();
  void MenuHelpClick();
  void MenuAboutClick();
  void MenuLogInfoClick();
  // ファイル → アーカイブ出力: the loaded logs exported through TArchiveExportDialog.
  void MenuArchiveExportClick();
  // The common settings dialog; its changes are shown at once.
  void MenuCommonSetClick();
  // The search condition and its walk; export, copy and print.
  TSearchCommands& SearchCommands() const { return *searchCommands_; }
  TExportCommands& ExportCommands() const { return *exportCommands_; }
  // Collapsed threads, the quick filter, catch-up, flags, watched and ignored writers.
  TThreadCommands& ThreadCommands() const { return *threads_; }
  TQuickFilterBar& QuickFilterBar() const { return *quickFilterBar_; }
  void EnableReadCommands(bool on) override;
  void ShowModeIndicator();
  // Switches a reading mode (new articles, or search matches) on or off as its menu item does.
  void SetReadMode(bool search, bool on) override;
  void ArrangeVertical();
  void ArrangeHorizontal();
  // The common settings' looks of the board list, grid and view; the board is shown again.
  void ApplyDisplaySettings();
  void SetArticleScrollStep();
  void MenuArticleRotateClick();
  void MenuArticleHeaderClick();
  // The check whether the loaded data may be left for another load or the end.
  bool LeaveLogSet(bool reopen, bool keepData) override;
  // The look of the text dialog: the article view's current settings and the window's place.
  SystemMsgLook TextDialogLook() const override;
  void ShowLoadedSetName(const std::string& setName) override;
  void LoadWaitingFilesLater() override;

  // The address of the help page beside the program.
  static std::string HelpAddress();

  // Stops a load, as Escape does.
  TLoadCancel& LoadCancelControl() const { return *loadCancel_; }
  // The window's place, splitter and column widths into the common settings, as closing
  // stores them.
  void StoreLayoutSettings();
  // How often the loaded logs are looked at on disk.
  static constexpr int LogCheckIntervalMs = 2000;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate(const std::vector<std::string>& arguments);
  void CreatePanels();
  void CreateStatusBar();
  void ConnectCommands();
  void ApplyWindowSettings();
  void ApplySplitSize();
  void RecordWindowGeometry();
  void SetOpenCommands(bool on);
  void ToggleReadMode(bool search, bool fromButton);
  void ToggleToolBar();
  void ToggleStatusBar();
  void SetOrder(bool tree);
  // A loaded log shortened, written anew or replaced on disk: told, and the set loaded again,
  // so that no line is shown from bytes that are no longer the log's.
  void CheckLogFiles();
  // The common settings' number of files read at a time.
  void ApplyReadThreads();

  std::unique_ptr<TCommonIniFile> commonIni_;
  std::unique_ptr<TNetVorn> netVorn_;
  std::unique_ptr<TNifty> nifty_;
  std::vector<TBBSProcess*> processList_;  // parallel to bbsList_
  TBBSList bbsList_;
  std::unique_ptr<TLogSession> session_;
  TReadingState reading_;
  bool created_ = false;
  bool horizontalLayout_ = false;
  TBoardView* boardView_ = nullptr;
  TNavigation* navigation_ = nullptr;
  std::unique_ptr<TMainDialogHost> dialogs_;
  std::unique_ptr<TLogOpener> opener_;
  TWriteController* writer_ = nullptr;
  bool welcomePending_ = false;
  bool shownOnce_ = false;
  bool checkingLogs_ = false;
  std::string toldLogChange_;  // told, and the set not left: not told again

  TMainCommands* commands_ = nullptr;
  QWidget* boardListPanel_ = nullptr;
  TSelectList* boardList_ = nullptr;
  QSplitter* splitter1_ = nullptr;
  QWidget* articleGridPanel_ = nullptr;
  TArticleGrid* articleGrid1_ = nullptr;
  QWidget* articleEditPanel_ = nullptr;
  TArticleEdit* articleEdit1_ = nullptr;
  QLabel* statusPanels_[4] = {};
  TProgressBarREX* progressBar1_ = nullptr;
  TLoadCancel* loadCancel_ = nullptr;
  std::unique_ptr<TMainWindowAccess> searchAccess_;
  TSearchCommands* searchCommands_ = nullptr;
  TExportCommands* exportCommands_ = nullptr;
  TThreadCommands* threads_ = nullptr;
  TQuickFilterBar* quickFilterBar_ = nullptr;
  TRecentLogsMenu* recentLogs_ = nullptr;
  TCommonSetForm* commonSetForm_ = nullptr;
};

}  // namespace vorn
