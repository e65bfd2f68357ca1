#include "reader/LogOpener.h"

#include <QApplication>
#include <QTableWidget>
#include <cstdio>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "dialogs/QtSupport.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "reader/BoardView.h"
#include "reader/LogFileGroups.h"
#include "reader/MainCommands.h"
#include "reader/ProgressBarREX.h"
#include "reader/SelectList.h"
#include "reader/SystemMsg.h"
#include "reader/VornExplorerMain.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"

namespace vorn {
namespace {

// The wait cursor, the progress bar and the first status panel of a long step, put back
// however the step ends.
class LongStep {
 public:
  explicit LongStep(TVornExplMain& w) : w_(w) {}
  ~LongStep() { End(); }
  LongStep(const LongStep&) = delete;
  LongStep& operator=(const LongStep&) = delete;

  void Begin(const QString& status) {
    w_.SetStatusText(0, status);
    if (!waiting_) QApplication::setOverrideCursor(Qt::WaitCursor);
    waiting_ = true;
  }
  void End() {
    if (waiting_) QApplication::restoreOverrideCursor();
    waiting_ = false;
    w_.ProgressBar()->setValue(0);
    w_.SetStatusText(0, QString());
  }

 private:
  TVornExplMain& w_;
  bool waiting_ = false;
};

std::string BoardLine(const TBBSProcess& p, int32_t board, TArticleList* list) {
  const uint8_t type = p.Boards.GetBoardType(board);
  const uint8_t attr = p.Boards.GetBoardAttr(board);
  int32_t count = 0;
  if (list) {
    for (int32_t i = 0; i < list->OrderCount(ArticleSortNormal); ++i) {
      if (list->GetWriteFlag(ArticleSortNormal, i) == 0) ++count;
    }
  }
  char head[32];
  std::snprintf(head, sizeof head, "%c%c(%4d) ",
                type == 1   ? 'B'
                : type == 2 ? 'M'
                            : '-',
                attr == 1   ? 'R'
                : attr == 2 ? 'W'
                            : '-',
                static_cast<int>(count));
  return head + p.GetBoardLabel(board, true) + " / " + p.Boards.GetBoardTitle(board);
}

}  // namespace

TLogOpener::TLogOpener(TVornExplMain& window) : w_(window) {}
TLogOpener::~TLogOpener() = default;

void TLogOpener::FormActivate() {
  if (w_.PendingFiles.empty()) return;
  // Taken at once: the boxes shown while loading activate the window again.
  std::vector<std::string> files;
  files.swap(w_.PendingFiles);
  if (!LeaveLogSet(true, true)) return;
  const TBBSList& list = w_.BBSList();
  const std::vector<std::string> prefixes = KnownLogPrefixes(files, list);
  if (prefixes.size() == 1) {
    LoadGroup(files, prefixes.front());
  } else if (prefixes.size() > 1) {
    Ui().Information(Cp932("複数BBSのログファイルが指定されています\rBBSを指定して下さい"));
    const TMainDialogHost::NetSelection chosen = w_.Dialogs().SelectNet(list, prefixes);
    if (!chosen.Prefix.empty()) LoadGroup(files, chosen.Prefix);
  } else if (!w_.CommonIni().DefaultPrefix.empty()) {
    const std::string prefix = w_.CommonIni().DefaultPrefix;
    w_.LoadLogFiles(files, prefix,
                    !w_.CurrentPrefix.empty() && SamePrefix(prefix, w_.CurrentPrefix));
  } else {
    Ui().Warning(Cp932("指定されたファイルに対するBBS設定がなされていません"));
  }
}

void TLogOpener::LoadGroup(const std::vector<std::string>& files, const std::string& prefix) {
  // The loaded set is the same whatever case the file names spell its prefix in.
  w_.LoadLogFiles(FilesWithPrefix(files, prefix), prefix,
                  !w_.CurrentPrefix.empty() && SamePrefix(prefix, w_.CurrentPrefix));
}

TMainDialogHost::LogFileRequest TLogOpener::LogFileRequestFor(const TBBSIniFile& ini) const {
  return {Cp932("ログファイル指定"), SelectedLogFolder(ini),
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
  const TBBSList& list = w_.BBSList();
  const int family = FindFamilyOfPrefix(list, w_.CurrentPrefix);
  if (family < 0) return {};
  TBBSIniFile& ini = *list[size_t(family)].IniFile;
  if (!ini.SelectNet(ini.NetNoAt(ini.FindPrefix(w_.CurrentPrefix)))) return {};
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
  TBBSProcess* process = nullptr;
  int32_t netNo = -1;
  int32_t startLine = 0;
  if (!add) {
    const int family = FindFamilyOfPrefix(w_.BBSList(), prefix);
    if (family < 0 || files.empty()) return false;
    process = w_.Process(family);
    if (!process) {
      Ui().Warning(w_.BBSList()[size_t(family)].Name +
                   Cp932("のログ解析はこの版ではまだ使えません"));
      return false;
    }
    w_.SetCurrentProcess(family);
    TBBSIniFile& ini = *process->IniFile;
    netNo = ini.NetNoAt(ini.FindPrefix(prefix));
    if (!ini.SelectNet(netNo)) {
      Ui().Warning(Cp932("指定されたNetNo:") + std::to_string(netNo) +
                   Cp932("の設定が見つかりません"));
      return false;
    }
    w_.CurrentPrefix.clear();
    w_.repaint();
    w_.setWindowTitle(QStringLiteral("VornExplorer - ") + QtText(ini.Name));
    process->WriteArticleNo = 0;
    w_.BoardView().Clear();
    w_.SelectBoardInList(-1);
    w_.ClearBoardList();
    process->ClearData();
    w_.LogList().Clear();
    w_.SystemMsgList().Clear();
  } else {
    process = w_.CurrentAnalyser();
    if (!process || files.empty()) return false;
    TBBSIniFile& ini = *process->IniFile;
    const int index = ini.FindPrefix(w_.CurrentPrefix);
    netNo = ini.NetNoAt(index);
    if (index < 0 || !ini.SelectNet(netNo)) return false;
    startLine = w_.LogList().Count();
  }
  const LogSetFiles setFiles = SelectedSetFiles(*process->IniFile);
  TLogLoader loader(*process, w_.LogList(), w_.SystemMsgList());

  // Nothing to read or write while the data change.
  for (const char* name :
       {"MenuCreateUpFile", "MenuOpenAdd", "MenuArticleCut", "MenuBoardOut", "MenuPrint",
        "MenuLogInfo", "BTNOpenAdd", "BTNSave", "EditMenu", "SetupMenu", "BTNInfo", "MenuInfo"}) {
    commands.SetEnabled(name, false);
  }
  w_.EnableReadCommands(false);
  w_.BoardList().setEnabled(false);
  w_.SetReadingControlsEnabled(false);
  // The settings stay reachable after a load that fails, so that the set can be mended.
  struct SettingsBack {
    TMainCommands& c;
    ~SettingsBack() { c.SetEnabled("SetupMenu", true); }
  } settingsBack{commands};

  LongStep step(w_);
  w_.ProgressBar()->setRange(0, static_cast<int>(files.size()));
  w_.ProgressBar()->SetStep(1);
  w_.ProgressBar()->setValue(0);
  if (!add) w_.LogFileNames.clear();
  step.Begin(QStringLiteral("ログファイル読込み中..."));
  const int loaded = loader.ReadFiles(
      files, setFiles.LogEndLine, w_.LogFileNames, w_.Busy,
      [](const std::string& file) {
        Ui().Warning(Cp932("ファイル:") + file + "\r" + Cp932("読込み出来ません"));
      },
      [this] { w_.ProgressBar()->StepIt(); });
  step.End();
  if (loaded == 0) {
    if (files.size() > 1) Ui().Warning(Cp932("指定されたログファイルは１個も読込み出来ません"));
    return false;
  }

  w_.SetReadMode(false, false);
  w_.SetReadMode(true, false);
  if (!add) {
    w_.SavedPosition.Board = nullptr;
    loader.LoadLists(setFiles);
  }
  step.Begin(QStringLiteral("ログ解析中..."));
  const bool analysed = loader.Analyse(netNo, startLine, w_.Busy, [this] {
    w_.SetStatusText(0, QStringLiteral("データソート中..."));
  });
  step.End();
  if (!analysed) {
    Ui().Warning(Cp932("ログ解析処理が異常終了しました"));
    return false;
  }
  loader.ReadQueuedWrites(setFiles);

  if (!FillBoardList()) {
    Ui().Warning(Cp932("ボードが存在していません"));
    return false;
  }
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
  w_.CurrentPrefix = prefix;
  return true;
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
    if (view.SelectFirstNew()) {
      w_.SetReadMode(false, true);
      w_.FocusGrid();
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
    w_.SelectBoardInList(first);
    view.ShowBoard(first);
  } else {
    w_.SelectBoardInList(0);
    view.ShowBoard(0);
    noNewArticle = false;
    Ui().Warning(Cp932("記事が存在していません"));
  }
  w_.FocusGrid();
  if (noNewArticle) Ui().Information(Cp932("新規記事はありません"));
}

bool TLogOpener::FillBoardList() {
  TBBSProcess* p = w_.CurrentAnalyser();
  w_.ClearBoardList();
  w_.BoardList().setEnabled(false);
  if (!p) return false;
  std::vector<std::string> lines;
  for (int32_t b = 0; b < p->Boards.Count(); ++b) {
    TArticleList* list = p->Boards.GetArticles(b);
    lines.push_back(BoardLine(*p, b, list));
    if (list) list->Modified = 0;
  }
  if (lines.empty()) return false;
  w_.SetBoardListLines(lines);
  w_.BoardList().setEnabled(true);
  w_.SelectBoardInList(0);
  w_.SetReadingControlsEnabled(true);
  for (const char* name :
       {"MenuCreateUpFile", "MenuOpenAdd", "BTNOpenAdd", "MenuLogInfo", "BTNSave"}) {
    w_.Commands().SetEnabled(name, true);
  }
  return true;
}

bool TLogOpener::LeaveLogSet(bool reopen, bool keepData) {
  const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
  TBBSProcess* p = w_.CurrentAnalyser();
  if (p && p->NetNo >= 0 && p->IniFile->SelectNet(p->NetNo) && keepData && !shift) {
    const LogSetFiles files = SelectedSetFiles(*p->IniFile);
    p->SaveLists(files.BoardListFile, files.MemberListFile);
    p->SaveReadPointers(files.ReadPtrFile);
  }
  bool modified = false;
  for (int32_t b = 0; p && b < p->Boards.Count() && !modified; ++b) {
    const TArticleList* list = p->Boards.GetArticles(b);
    modified = list && list->Modified;
  }
  if (modified) {
    switch (Ui().ConfirmYesNoCancel(
        Cp932("UP/PADファイルが編集されている可能性があります\r書込みますか？"))) {
      case UiAnswer::Yes: {
        const LogSetFiles files = SelectedSetFiles(*p->IniFile);
        p->WriteUpFile(files.UpFile);
        p->WritePadFile(files.PadFile);
        return true;
      }
      case UiAnswer::No:
        return true;
      default:
        return false;
    }
  }
  if (!reopen && w_.CommonIni().EndCheck) return Ui().ConfirmYesNo(Cp932("終了しますか？"));
  return true;
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
