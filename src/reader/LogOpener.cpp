#include "reader/LogOpener.h"

#include <QApplication>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/SetPath.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/Navigation.h"
#include "reader/ProgressBarREX.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"

namespace vorn {
namespace {

// The window's steps of a load, called by the session's loading routine where they belong.
class WindowLoadHooks final : public LoadHooks {
 public:
  explicit WindowLoadHooks(TVornExplMain& w) : w_(w) {}
  ~WindowLoadHooks() override { SetWaitCursor(false); }
  WindowLoadHooks(const WindowLoadHooks&) = delete;
  WindowLoadHooks& operator=(const WindowLoadHooks&) = delete;

  void FreshLoadStarting(const std::string& setName) override {
    w_.repaint();
    w_.setWindowTitle(QStringLiteral("VornExplorer - ") + QtText(setName));
    w_.BoardView().Clear();
    w_.ClearBoardList();
  }
  void LoadStarting() override {
    w_.Navigation().ClearLevelHistory();
    // An add sorts the boards shown so far again: the grid must not read them meanwhile. The
    // article shown is found again once the load is done.
    w_.ArticleGrid().ClearRows();
    TMainCommands& commands = w_.Commands();
    for (const char* name :
         {"MenuCreateUpFile", "MenuOpenAdd", "MenuArticleCut", "MenuBoardOut", "MenuPrint",
          "MenuLogInfo", "BTNOpenAdd", "BTNSave", "EditMenu", "SetupMenu", "BTNInfo", "MenuInfo"}) {
      commands.SetEnabled(name, false);
    }
    w_.EnableReadCommands(false);
    w_.BoardList().setEnabled(false);
    w_.SetReadingControlsEnabled(false);
  }
  void ShowStatus(const std::string& text) override { w_.SetStatusText(0, QtText(text)); }
  void SetWaitCursor(bool wait) override {
    if (wait == waiting_) return;
    waiting_ = wait;
    if (wait) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  void SetBusy(bool busy) override { w_.Busy = busy; }
  void ProgressStart(int32_t max) override {
    w_.ProgressBar()->setRange(0, max > 0 ? max : 1);
    w_.ProgressBar()->SetStep(1);
    w_.ProgressBar()->setValue(0);
  }
  void ProgressStep() override { w_.ProgressBar()->StepIt(); }
  void ProgressReset() override { w_.ProgressBar()->setValue(0); }
  void ReadingModesOff() override {
    w_.SetReadMode(false, false);
    w_.SetReadMode(true, false);
  }
  void ForgetSavedPosition() override { w_.SavedPosition.Board = nullptr; }

 private:
  TVornExplMain& w_;
  bool waiting_ = false;
};

}  // namespace

TLogOpener::TLogOpener(TVornExplMain& window) : w_(window) {}
TLogOpener::~TLogOpener() = default;

void TLogOpener::FormActivate() {
  if (w_.PendingFiles.empty()) return;
  // Taken at once: the boxes shown while loading activate the window again.
  std::vector<std::string> files;
  files.swap(w_.PendingFiles);
  if (!w_.LeaveLogSet(true, true)) return;
  const LogFileGrouping group =
      GroupLogFiles(files, w_.Session().ProcessList, w_.CommonIni().DefaultPrefix);
  switch (group.Result) {
    case LogFileGrouping::OneSet:
    case LogFileGrouping::DefaultSet:
      Load(group.Files, group.Prefix);
      break;
    case LogFileGrouping::SeveralSets: {
      Ui().Information(Cp932("複数BBSのログファイルが指定されています\rBBSを指定して下さい"));
      const TMainDialogHost::NetSelection chosen =
          w_.Dialogs().SelectNet(w_.BBSList(), group.Prefixes);
      if (!chosen.Prefix.empty()) Load(LogFilesWithPrefix(files, chosen.Prefix), chosen.Prefix);
      break;
    }
    case LogFileGrouping::NoSet:
      Ui().Warning(Cp932("指定されたファイルに対するBBS設定がなされていません"));
      break;
  }
}

void TLogOpener::Load(const std::vector<std::string>& files, const std::string& prefix) {
  // The loaded set is the same whatever case the file names spell its prefix in.
  const std::string& current = w_.Session().CurrentPrefix;
  w_.LoadLogFiles(files, prefix, !current.empty() && SameLogPrefix(prefix, current));
}

TMainDialogHost::LogFileRequest TLogOpener::LogFileRequestFor(const TBBSIniFile& ini) const {
  return {Cp932("ログファイル指定"), w_.Session().SetPath(ini.LogPath),
          LogFileFilter(ini.LogMask, w_.CommonIni().LogExtention)};
}

TMainDialogHost::NetSelection TLogOpener::ChooseLogs() {
  const TBBSList& list = w_.BBSList();
  if (TotalNetCount(list) == 1 && w_.CommonIni().LogOpenOnly) {
    for (const BBSListEntry& family : list) {
      TBBSIniFile* ini = family.IniFile;
      if (!ini || ini->GetNetCount() != 1) continue;
      if (!ini->SelectNet(ini->NetNoAt(0))) return {};
      return {ini->Prefix, w_.Dialogs().OpenLogFiles(LogFileRequestFor(*ini))};
    }
    return {};
  }
  return w_.Dialogs().SelectNet(list, {});
}

std::vector<std::string> TLogOpener::ChooseLogsToAdd() {
  const std::string& current = w_.Session().CurrentPrefix;
  const TBBSList& list = w_.BBSList();
  const int family = FindFamilyOfPrefix(list, current);
  if (family < 0) return {};
  TBBSIniFile& ini = *list[size_t(family)].IniFile;
  if (!ini.SelectNet(ini.NetNoAt(ini.FindPrefix(current)))) return {};
  return w_.Dialogs().OpenLogFiles(LogFileRequestFor(ini));
}

bool TLogOpener::LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix,
                              bool add) {
  if (loading_) return false;
  struct LoadingScope {
    bool& flag;
    explicit LoadingScope(bool& f) : flag(f) { flag = true; }
    ~LoadingScope() { flag = false; }
  } loadingScope(loading_);
  TMainCommands& commands = w_.Commands();
  LoadResult result;
  {
    WindowLoadHooks hooks(w_);
    result = w_.Session().LoadLogFiles(files, prefix, add, hooks);
  }
  // The settings stay reachable after a load that failed on its way, so that the set can be
  // mended; before that nothing was disabled.
  if (result.Failure != LoadFailure::NoSet && result.Failure != LoadFailure::SetNotFound) {
    commands.SetMenuEnabled("SetupMenu", true);
  }
  if (!result.Loaded()) return false;

  for (size_t family = 0; family < w_.BBSList().size(); ++family) {
    if (w_.Process(static_cast<int>(family)) == w_.CurrentAnalyser()) {
      w_.SetCurrentProcess(static_cast<int>(family));
    }
  }
  ShowBoardList(result.BoardLines);
  commands.SetMenuEnabled("EditMenu", true);
  commands.SetMenuEnabled("SetupMenu", true);
  w_.EnableReadCommands(true);
  commands.SetEnabled("MenuIDEdit", true);
  commands.SetEnabled("MenuBoardEdit", true);
  ChooseFirstArticle();
  if (w_.SystemMsgList().Count() > 0) {
    commands.SetEnabled("BTNInfo", true);
    commands.SetEnabled("MenuInfo", true);
    Ui().Information(Cp932("システムメッセージが存在しています"));
  }
  return true;
}

void TLogOpener::ShowBoardList(const std::vector<std::string>& lines) {
  w_.SetBoardListLines(lines);
  w_.BoardList().setEnabled(true);
  w_.SelectBoardInList(0);
  w_.SetReadingControlsEnabled(true);
  for (const char* name :
       {"MenuCreateUpFile", "MenuOpenAdd", "BTNOpenAdd", "MenuLogInfo", "BTNSave"}) {
    w_.Commands().SetEnabled(name, true);
  }
}

void TLogOpener::ChooseFirstArticle() {
  TBoardView& view = w_.BoardView();
  TBBSProcess& p = *w_.CurrentAnalyser();
  if (w_.SavedPosition.Board) {
    view.RestoreArticlePosition();
    return;
  }
  bool noNewArticle = false;
  if (w_.CommonIni().NewModeFlag) {
    if (w_.Navigation().FindArticleForward(true, false, false, -1, 0, true)) {
      w_.SetReadMode(false, true);
      return;
    }
    w_.Commands().SetEnabled("MenuNewReadMode", false);
    w_.Commands().SetEnabled("BTNNewMode", false);
    noNewArticle = true;
  }
  int32_t first = -1;
  for (int32_t b = 0; b < p.Boards.Count() && first < 0; ++b) {
    const TArticleList* list = p.Boards.GetArticles(b);
    if (list && list->OrderCount(w_.TreeOrder) > 0) first = b;
  }
  if (first >= 0) {
    view.ShowBoard(first, TArticleGrid::SelectFirst);
  } else {
    view.ShowBoard(0, TArticleGrid::SelectFirst);
    noNewArticle = false;
    Ui().Warning(Cp932("記事が存在していません"));
  }
  w_.FocusGrid();
  if (noNewArticle) Ui().Information(Cp932("新規記事はありません"));
}

void TLogOpener::ShowSystemMessages() {
  TBBSProcess* p = w_.CurrentAnalyser();
  std::vector<std::string> lines;
  const TLogList& messages = w_.SystemMsgList();
  lines.reserve(size_t(messages.Count()));
  for (int32_t i = 0; i < messages.Count(); ++i)
    lines.push_back(messages.GetLine(i));
  w_.Dialogs().ShowText(p ? QtText(p->InfoDialogTitle) : QStringLiteral("情報"),
                        w_.TextDialogLook(), lines);
}

}  // namespace vorn
