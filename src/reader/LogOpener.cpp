#include "reader/LogOpener.h"

#include <QApplication>
#include <algorithm>
#include <iterator>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/SetPath.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/LoadCancel.h"
#include "reader/MainCommands.h"
#include "reader/Navigation.h"
#include "reader/ProgressBarREX.h"
#include "reader/SelectList.h"
#include "reader/WindowBeforeLoad.h"
#include "reader/WindowRoles.h"
#include "readerlogic/ReadingState.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"

namespace vorn {
namespace {

// The window's steps of a load, called by the session's loading routine where they belong.
// The progress bar follows the load's bytes across all its files, from the first file read to
// the last line analysed; the analysers' own steps are not shown meanwhile, or the bar would
// jump between the two counts.
class WindowLoadHooks final : public LoadHooks {
 public:
  WindowLoadHooks(TLogSession& session, TLoadWindow& window, TReadingState& state,
                  TMainCommands& commands, TBoardView& view, TNavigation& navigation,
                  TProgressBarREX& progress, TLoadCancel& cancel)
      : session_(session),
        window_(window),
        state_(state),
        commands_(commands),
        view_(view),
        navigation_(navigation),
        progress_(progress),
        cancel_(cancel) {
    for (TBBSProcess* p : session_.ProcessList) {
      analyserBars_.push_back(p ? p->ProgressBar : nullptr);
      if (p) p->ProgressBar = nullptr;
    }
  }
  ~WindowLoadHooks() override {
    SetWaitCursor(false);
    progress_.setValue(0);
    for (size_t i = 0; i < session_.ProcessList.size() && i < analyserBars_.size(); ++i) {
      if (TBBSProcess* p = session_.ProcessList[i]) p->ProgressBar = analyserBars_[i];
    }
  }
  WindowLoadHooks(const WindowLoadHooks&) = delete;
  WindowLoadHooks& operator=(const WindowLoadHooks&) = delete;

  void FreshLoadStarting(const std::string& setName) override {
    window_.ShowLoadedSetName(setName);
    view_.Clear();
    view_.ClearBoardList();
  }
  void LoadStarting() override {
    navigation_.ClearLevelHistory();
    // An add sorts the boards shown so far again: the grid must not read them meanwhile. The
    // article shown is found again once the load is done.
    view_.Grid().ClearRows();
    for (const char* name :
         {"MenuCreateUpFile", "MenuOpenAdd", "MenuArticleCut", "MenuBoardOut", "MenuPrint",
          "MenuLogInfo", "BTNOpenAdd", "BTNSave", "EditMenu", "SetupMenu", "BTNInfo", "MenuInfo"}) {
      commands_.SetEnabled(name, false);
    }
    window_.EnableReadCommands(false);
    view_.BoardList().setEnabled(false);
    view_.SetReadingControlsEnabled(false);
  }
  void ShowStatus(const std::string& text) override { window_.SetStatusText(0, QtText(text)); }
  void SetWaitCursor(bool wait) override {
    if (wait == waiting_) return;
    waiting_ = wait;
    if (wait) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  void SetBusy(bool busy) override { state_.SetBusy(busy); }
  // The bar runs once for the whole load; the steps and resets of its phases would move it
  // back and forth.
  void ProgressStart(int32_t) override {
    progress_.setRange(0, kBarSteps);
    progress_.setValue(0);
    shown_ = 0;
  }
  void ProgressStep() override {}
  void ProgressReset() override {}
  void LoadProgress(int64_t done, int64_t total) override {
    if (total <= 0) return;
    // The analysis is done; the sorting that follows goes through.
    if (done >= total) cancel_.PastStopping();
    const int shown = static_cast<int>(std::clamp<int64_t>(done, 0, total) * kBarSteps / total);
    if (shown == shown_) return;
    shown_ = shown;
    progress_.setValue(shown);
  }
  bool CancelRequested() override { return cancel_.Requested(); }
  void ReadingModesOff() override {
    window_.SetReadMode(false, false);
    window_.SetReadMode(true, false);
  }
  void ForgetSavedPosition() override { state_.ForgetSavedPosition(); }

 private:
  static constexpr int kBarSteps = 1000;

  TLogSession& session_;
  TLoadWindow& window_;
  TReadingState& state_;
  TMainCommands& commands_;
  TBoardView& view_;
  TNavigation& navigation_;
  TProgressBarREX& progress_;
  TLoadCancel& cancel_;
  std::vector<AnalysisProgress*> analyserBars_;
  int shown_ = 0;
  bool waiting_ = false;
};

}  // namespace

TLogOpener::TLogOpener(TLogSession& session, const CommonSettings& common, TReadingState& state,
                       const TBBSList& bbsList, TMainDialogHost& dialogs, TMainCommands& commands,
                       TBoardView& view, TNavigation& navigation, TProgressBarREX& progress,
                       TLoadCancel& cancel, TLoadWindow& window)
    : session_(session),
      common_(common),
      state_(state),
      bbsList_(bbsList),
      dialogs_(dialogs),
      commands_(commands),
      view_(view),
      navigation_(navigation),
      progress_(progress),
      cancel_(cancel),
      window_(window) {}
TLogOpener::~TLogOpener() = default;

void TLogOpener::FormActivate() {
  // Files that arrive while a load runs wait for its end (see LoadLogFiles).
  if (loading_ || !state_.HasPendingFiles()) return;
  // Taken at once: the boxes shown while loading activate the window again.
  const std::vector<std::string> files = state_.TakePendingFiles();
  if (!window_.LeaveLogSet(true, true)) return;
  const LogFileGrouping group = GroupLogFiles(files, session_.ProcessList, common_.DefaultPrefix);
  switch (group.Result) {
    case LogFileGrouping::OneSet:
    case LogFileGrouping::DefaultSet:
      Load(group.Files, group.Prefix);
      break;
    case LogFileGrouping::SeveralSets: {
      Ui().Information(Cp932("複数BBSのログファイルが指定されています\rBBSを指定して下さい"));
      const TMainDialogHost::NetSelection chosen = dialogs_.SelectNet(bbsList_, group.Prefixes);
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
  const std::string& current = session_.CurrentPrefix;
  LoadLogFiles(files, prefix, !current.empty() && SameLogPrefix(prefix, current));
}

TMainDialogHost::LogFileRequest TLogOpener::LogFileRequestFor(const TBBSIniFile& ini) const {
  return {Cp932("ログファイル指定"), session_.SetPath(ini.LogPath),
          LogFileFilter(ini.LogMask, common_.LogExtention)};
}

TMainDialogHost::NetSelection TLogOpener::ChooseLogs() {
  const TBBSList& list = bbsList_;
  if (TotalNetCount(list) == 1 && common_.LogOpenOnly) {
    for (const BBSListEntry& family : list) {
      TBBSIniFile* ini = family.IniFile;
      if (!ini || ini->GetNetCount() != 1) continue;
      if (!ini->SelectNet(ini->NetNoAt(0))) return {};
      return {ini->Prefix, dialogs_.OpenLogFiles(LogFileRequestFor(*ini))};
    }
    return {};
  }
  return dialogs_.SelectNet(list, {});
}

std::vector<std::string> TLogOpener::ChooseLogsToAdd() {
  const std::string& current = session_.CurrentPrefix;
  const TBBSList& list = bbsList_;
  const int family = FindFamilyOfPrefix(list, current);
  if (family < 0) return {};
  TBBSIniFile& ini = *list[size_t(family)].IniFile;
  if (!ini.SelectNet(ini.NetNoAt(ini.FindPrefix(current)))) return {};
  return dialogs_.OpenLogFiles(LogFileRequestFor(ini));
}

bool TLogOpener::LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix,
                              bool add) {
  if (loading_) return false;
  const bool loaded = LoadNow(files, prefix, add);
  if (state_.HasPendingFiles()) window_.LoadWaitingFilesLater();
  return loaded;
}

namespace {

// The commands that do nothing while a load runs (opening, ending) look disabled meanwhile,
// however the load was started (a dialog, a drop, the command line); afterwards they are as
// they were. The settings menu and adding follow the load's own steps.
class OpenCommandsOffWhileLoading {
 public:
  explicit OpenCommandsOffWhileLoading(TMainCommands& commands) : commands_(commands) {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      wasEnabled_[i] = commands_.IsEnabled(kNames[i]);
      commands_.SetEnabled(kNames[i], false);
    }
  }
  ~OpenCommandsOffWhileLoading() {
    for (size_t i = 0; i < std::size(kNames); ++i)
      commands_.SetEnabled(kNames[i], wasEnabled_[i]);
  }
  OpenCommandsOffWhileLoading(const OpenCommandsOffWhileLoading&) = delete;
  OpenCommandsOffWhileLoading& operator=(const OpenCommandsOffWhileLoading&) = delete;

 private:
  static constexpr const char* kNames[] = {"MenuOpen", "MenuNoSaveOpen", "BTNOpen", "MenuNoSaveEnd",
                                           "MenuEnd"};
  TMainCommands& commands_;
  bool wasEnabled_[std::size(kNames)] = {};
};

}  // namespace

bool TLogOpener::LoadNow(const std::vector<std::string>& files, const std::string& prefix,
                         bool add) {
  struct LoadingScope {
    bool& flag;
    explicit LoadingScope(bool& f) : flag(f) { flag = true; }
    ~LoadingScope() { flag = false; }
  } loadingScope(loading_);
  if (LoadStarting) LoadStarting();
  const TLoadCancel::Scope cancelScope(cancel_);
  TWindowBeforeLoad before(state_, commands_, view_, navigation_, window_);
  const OpenCommandsOffWhileLoading openCommandsOff(commands_);
  TMainCommands& commands = commands_;
  // The article shown, for a load that gives back what was loaded before it.
  const ArticlePosition shownBefore = state_.SavedPosition();
  LoadResult result;
  {
    WindowLoadHooks hooks(session_, window_, state_, commands_, view_, navigation_, progress_,
                          cancel_);
    result = session_.LoadLogFiles(files, prefix, add, hooks);
  }
  if (result.Failure == LoadFailure::Cancelled) {
    before.PutBack(result.BoardLines);
    return false;
  }
  // The settings stay reachable after a load that failed on its way, so that the set can be
  // mended; before that nothing was disabled.
  if (result.Failure != LoadFailure::NoSet && result.Failure != LoadFailure::SetNotFound) {
    commands.SetMenuEnabled("SetupMenu", true);
  }
  // (A stopped load was put back whole above.)
  if (result.Failure == LoadFailure::OutOfMemory && !result.BoardLines.empty()) {
    // What was loaded before is back: it is shown and read as before the load.
    ShowLoaded(result.BoardLines);
    state_.RememberArticle(shownBefore);
    view_.RestoreArticlePosition();
    if (view_.CurrentBoard() < 0) view_.ShowBoard(0, TArticleGrid::SelectFirst);
    return false;
  }
  if (!result.Loaded()) return false;
  if (Loaded) Loaded(add);

  ShowLoaded(result.BoardLines);
  ChooseFirstArticle();
  if (session_.SystemMsgList.Count() > 0) {
    // Told in the status bar, not in a box: the first article is there to be read, and the
    // messages are one command away.
    window_.SetStatusText(0, QStringLiteral("システムメッセージが存在しています"));
  }
  return true;
}

void TLogOpener::ShowLoaded(const std::vector<std::string>& boardLines) {
  TMainCommands& commands = commands_;
  for (size_t family = 0; family < bbsList_.size() && family < session_.ProcessList.size();
       ++family) {
    if (session_.ProcessList[family] == session_.CurrentProcess) {
      state_.SetCurrentProcess(static_cast<int>(family));
    }
  }
  ShowBoardList(boardLines);
  commands.SetMenuEnabled("EditMenu", true);
  commands.SetMenuEnabled("SetupMenu", true);
  window_.EnableReadCommands(true);
  commands.SetEnabled("MenuIDEdit", true);
  commands.SetEnabled("MenuBoardEdit", true);
  if (session_.SystemMsgList.Count() > 0) {
    commands.SetEnabled("BTNInfo", true);
    commands.SetEnabled("MenuInfo", true);
  }
}

void TLogOpener::ShowBoardList(const std::vector<std::string>& lines) {
  view_.SetBoardListLines(lines);
  view_.BoardList().setEnabled(true);
  view_.SelectBoardInList(0);
  view_.SetReadingControlsEnabled(true);
  for (const char* name :
       {"MenuCreateUpFile", "MenuOpenAdd", "BTNOpenAdd", "MenuLogInfo", "BTNSave"}) {
    commands_.SetEnabled(name, true);
  }
}

void TLogOpener::ChooseFirstArticle() {
  TBoardView& view = view_;
  TBBSProcess& p = *session_.CurrentProcess;
  if (state_.SavedPosition().Board) {
    view.RestoreArticlePosition();
    return;
  }
  bool noNewArticle = false;
  if (common_.NewModeFlag) {
    if (navigation_.FindArticleForward(true, false, false, -1, 0, true)) {
      window_.SetReadMode(false, true);
      return;
    }
    commands_.SetEnabled("MenuNewReadMode", false);
    commands_.SetEnabled("BTNNewMode", false);
    noNewArticle = true;
  }
  int32_t first = -1;
  for (int32_t b = 0; b < p.Boards.Count() && first < 0; ++b) {
    const TArticleList* list = p.Boards.GetArticles(b);
    if (list && list->OrderCount(state_.TreeOrder()) > 0) first = b;
  }
  if (first >= 0) {
    view.ShowBoard(first, TArticleGrid::SelectFirst);
  } else {
    view.ShowBoard(0, TArticleGrid::SelectFirst);
    noNewArticle = false;
    Ui().Warning(Cp932("記事が存在していません"));
  }
  view.FocusGrid();
  if (noNewArticle) Ui().Information(Cp932("新規記事はありません"));
}

void TLogOpener::ShowSystemMessages() {
  TBBSProcess* p = session_.CurrentProcess;
  std::vector<std::string> lines;
  const TLogList& messages = session_.SystemMsgList;
  lines.reserve(size_t(messages.Count()));
  for (int32_t i = 0; i < messages.Count(); ++i)
    lines.push_back(messages.GetLine(i));
  dialogs_.ShowText(p ? QtText(p->InfoDialogTitle) : QStringLiteral("情報"),
                    window_.TextDialogLook(), lines);
}

}  // namespace vorn
