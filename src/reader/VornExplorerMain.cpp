#include "reader/VornExplorerMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <optional>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "analysis/LogReadWorkers.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "dialoglogic/BBSSetCommand.h"
#include "dialogs/CommonSet.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/Process.h"
#include "platform/UiServices.h"
#include "qtsupport/DialogPlacement.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArchiveExportDialog.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/ExportCommands.h"
#include "reader/FileDrop.h"
#include "reader/HelpWindow.h"
#include "reader/LoadCancel.h"
#include "reader/LogOpener.h"
#include "reader/MainCommands.h"
#include "reader/MainDialogs.h"
#include "reader/Navigation.h"
#include "reader/ProgressBarREX.h"
#include "reader/QuickFilterBar.h"
#include "reader/RecentLogsMenu.h"
#include "reader/SearchCommands.h"
#include "reader/SearchWindowAccess.h"
#include "reader/SelectList.h"
#include "reader/SystemMsg.h"
#include "reader/ThreadCommands.h"
#include "reader/ToolIcons.h"
#include "reader/VerticalTextView.h"
#include "reader/ViewReadingKeys.h"
#include "reader/WindowGeometry.h"
#include "reader/WriteController.h"
#include "settings/CommonIniFile.h"
#include "settings/NetVornIniFile.h"
#include "settings/NiftyIniFile.h"
#include "store/ArticleList.h"
#include "store/ArticleNavigation.h"

namespace vorn {
namespace {

// The whole of a command line argument as an absolute path, so that the list of loaded files
// names them fully whatever folder the program was started in.
std::string AbsolutePath(const std::string& cp932Path) {
  return CorePath(QFileInfo(QtPath(cp932Path)).absoluteFilePath());
}

std::string TrimmedText(const std::string& text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t'))
    ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
    --e;
  return text.substr(b, e - b);
}

}  // namespace

TVornExplMain::TVornExplMain(std::vector<std::string> arguments,
                             std::unique_ptr<TMainDialogHost> dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
  setObjectName(QStringLiteral("VornExplMain"));
  setWindowTitle(QStringLiteral("Vorn Explorer"));
  setWindowIcon(ProgramIcon());
  FormCreate(arguments);
}

TVornExplMain::~TVornExplMain() = default;

QAction* TVornExplMain::Command(const char* name) const {
  return commands_->Action(name);
}

TBBSProcess* TVornExplMain::Process(int family) const {
  return family >= 0 && family < static_cast<int>(processList_.size())
             ? processList_[size_t(family)]
             : nullptr;
}

TBBSProcess* TVornExplMain::CurrentAnalyser() const {
  return session_->CurrentProcess;
}

TLogList& TVornExplMain::LogList() const {
  return session_->LogList;
}

TLogList& TVornExplMain::SystemMsgList() const {
  return session_->SystemMsgList;
}

void TVornExplMain::FocusGrid() {
  boardView_->FocusGrid();
}

TLoadCheckForm* TVornExplMain::LoadCheckForm() const {
  auto* real = dynamic_cast<TQtMainDialogs*>(dialogs_.get());
  return real ? real->LoadCheckForm() : nullptr;
}

QString TVornExplMain::StatusText(int panel) const {
  return panel >= 0 && panel < 4 ? statusPanels_[panel]->text() : QString();
}

void TVornExplMain::SetStatusText(int panel, const QString& text) {
  if (panel < 0 || panel >= 4) return;
  statusPanels_[panel]->setText(text);
  statusPanels_[panel]->repaint();
}

void TVornExplMain::FormCreate(const std::vector<std::string>& arguments) {
  // 1-4: the commands with their keys, the panels, the status bar with the progress bar.
  commands_ = new TMainCommands(*this);
  CreatePanels();
  CreateStatusBar();
  setAcceptDrops(true);
  InstallDialogPlacement();
  ShowModeIndicator();

  // 5: the common settings and the host families; the current one is the first holding a set.
  commonIni_ = std::make_unique<TCommonIniFile>(SettingsFilePath("vornexpl.ini"));
  netVorn_ =
      std::make_unique<TNetVorn>(SettingsFilePath("netvorn.ini"), SettingsFilePath("vorndef.ini"));
  nifty_ = std::make_unique<TNifty>(SettingsFilePath("nifty.ini"), SettingsFilePath("nifdef.ini"));
  processList_ = {netVorn_.get(), nifty_.get()};
  bbsList_ = {{netVorn_->Name, netVorn_->IniFile}, {nifty_->Name, nifty_->IniFile}};
  for (TBBSProcess* p : processList_) {
    if (!p) continue;
    p->BinaryFileHeader = Cp932("[UP対象ファイル]");
    p->WriteFileHeader = Cp932("[書込ファイル名]");
    p->ProgressBar = progressBar1_;
  }
  session_ = std::make_unique<TLogSession>(processList_);
  ApplyReadThreads();
  reading_.SetCurrentProcess(0);
  for (size_t i = 0; i < bbsList_.size(); ++i) {
    if (bbsList_[i].IniFile->GetNetCount() > 0) {
      reading_.SetCurrentProcess(static_cast<int>(i));
      break;
    }
  }
  if (!dialogs_) dialogs_ = std::make_unique<TQtMainDialogs>(this, commonIni_.get());
  // The helpers get the parts they work on and the window's roles, never the window.
  boardView_ = new TBoardView(*session_, reading_, *commands_, *this, boardList_, articleGrid1_,
                              articleEdit1_, this);
  navigation_ =
      new TNavigation(*boardView_, *session_, reading_, *commonIni_, *commands_, *this, this);
  new TViewReadingKeys(*articleEdit1_, *articleGrid1_, this);
  writer_ = new TWriteController(*session_, *commonIni_, reading_, *boardView_, *navigation_,
                                 *commands_, *dialogs_, bbsList_, this);
  opener_ = std::make_unique<TLogOpener>(*session_, *commonIni_, reading_, bbsList_, *dialogs_,
                                         *commands_, *boardView_, *navigation_, *progressBar1_,
                                         *loadCancel_, *this);
  navigation_->SetWriteKeys(writer_);
  searchAccess_ = std::make_unique<TMainWindowAccess>(*session_, *commonIni_, reading_, *boardView_,
                                                      *commands_, *this, *this, *this);
  searchCommands_ = new TSearchCommands(*searchAccess_, this);
  searchCommands_->GridKeyDown = [this](int key, Qt::KeyboardModifiers modifiers) {
    navigation_->GridKeyWithModifiers(key, int(modifiers));
  };
  navigation_->SetSearchReading(searchCommands_);
  exportCommands_ = new TExportCommands(*searchAccess_, nullptr, this);
  exportCommands_->ConnectCommands(*commands_);
  // The reading aids come after the navigation: the grid's keys reach them when it is done.
  threads_ = new TThreadCommands(*session_, reading_, *commonIni_, *commands_, *boardView_, *this,
                                 *quickFilterBar_, *statusBar(), this, this);
  navigation_->ShownMask = [this](const TArticleList& board, int32_t order,
                                  std::vector<uint8_t>& shown) {
    threads_->ShownMask(board, order, shown);
  };
  recentLogs_ = new TRecentLogsMenu(*commonIni_, *commands_, *session_, bbsList_, this);
  recentLogs_->Open = [this](const RecentLogSet& set) {
    if (!Loading() && LeaveLogSet(true, true)) LoadChosenLogs(set.Files, set.Prefix);
  };
  opener_->Loaded = [this](bool add) {
    threads_->LoadFinished(add);
    recentLogs_->LoadFinished(add);
  };
  writer_->FollowLoads(*opener_);
  auto* logWatch = new QTimer(this);
  logWatch->setInterval(LogCheckIntervalMs);
  connect(logWatch, &QTimer::timeout, this, &TVornExplMain::CheckLogFiles);
  logWatch->start();
  // The search dialog picks the ID to look for in the ID editor.
  searchCommands_->ChooseId = [this](TBBSProcess* bbs, const QRect&) -> std::optional<std::string> {
    std::string id = bbs ? dialogs_->ChooseId(*bbs, QStringLiteral("検索ID指定")) : std::string();
    if (id.empty()) return std::nullopt;
    return id;
  };
  ConnectCommands();
  writer_->ConnectCommands();

  // 6: window and layout from the settings.
  ApplyWindowSettings();

  // 7: nothing to read yet.
  boardList_->setEnabled(false);
  articleGrid1_->setEnabled(false);
  articleEdit1_->setEnabled(false);
  const bool anySet = bbsList_[size_t(reading_.CurrentProcess())].IniFile->GetNetCount() > 0;
  commands_->SetEnabled("MenuOpen", anySet);
  commands_->SetEnabled("BTNOpen", anySet);
  for (const char* name : {"MenuNoSaveOpen", "MenuCreateUpFile", "MenuOpenAdd", "MenuArticleCut",
                           "MenuBoardOut", "MenuPrint", "MenuNoSaveEnd", "MenuLogInfo",
                           "BTNOpenAdd", "BTNSave", "BTNInfo", "MenuInfo"}) {
    commands_->SetEnabled(name, false);
  }
  commands_->SetMenuEnabled("EditMenu", false);
  commands_->SetChecked("BTNNewMode", false);
  commands_->SetChecked("BTNSearchMode", false);
  EnableReadCommands(false);

  // 8: the welcome, or the files of the command line.
  if (TotalNetCount(bbsList_) == 0) {
    // Shown once the window is on the screen, so that the box has a window to sit on.
    welcomePending_ = true;
  } else {
    for (const std::string& argument : arguments) {
      if (argument.empty() || !FileExists(argument)) continue;
      const std::string onDisk = DiskFileName(AbsolutePath(argument));
      reading_.AddPendingFile(onDisk);
    }
  }
  created_ = true;
}

void TVornExplMain::CreatePanels() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  boardListPanel_ = new QWidget(central);
  boardListPanel_->setObjectName(QStringLiteral("BoardListPanel"));
  auto* boardLayout = new QVBoxLayout(boardListPanel_);
  boardLayout->setContentsMargins(4, 2, 4, 2);
  boardList_ = new TSelectList(boardListPanel_);
  boardList_->setObjectName(QStringLiteral("BoardList"));
  boardLayout->addWidget(boardList_);
  layout->addWidget(boardListPanel_);

  splitter1_ = new QSplitter(Qt::Vertical, central);
  splitter1_->setObjectName(QStringLiteral("Splitter1"));
  splitter1_->setChildrenCollapsible(false);
  splitter1_->setHandleWidth(5);
  articleGridPanel_ = new QWidget(splitter1_);
  articleGridPanel_->setObjectName(QStringLiteral("ArticleGridPanel"));
  auto* gridLayout = new QVBoxLayout(articleGridPanel_);
  gridLayout->setContentsMargins(0, 0, 0, 0);
  gridLayout->setSpacing(0);
  quickFilterBar_ = new TQuickFilterBar(articleGridPanel_);
  gridLayout->addWidget(quickFilterBar_);
  articleGrid1_ = new TArticleGrid(articleGridPanel_);
  articleGrid1_->setObjectName(QStringLiteral("ArticleGrid1"));
  articleGrid1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(articleGrid1_, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    commands_->GridPopup()->popup(articleGrid1_->viewport()->mapToGlobal(p));
  });
  gridLayout->addWidget(articleGrid1_);
  articleEditPanel_ = new QWidget(splitter1_);
  articleEditPanel_->setObjectName(QStringLiteral("ArticleEditPanel"));
  auto* editLayout = new QVBoxLayout(articleEditPanel_);
  editLayout->setContentsMargins(0, 0, 0, 0);
  articleEdit1_ = new TArticleEdit(articleEditPanel_);
  articleEdit1_->setObjectName(QStringLiteral("ArticleEdit1"));
  // The pop-up belongs to the text shown, in either writing direction.
  for (QAbstractScrollArea* view :
       {static_cast<QAbstractScrollArea*>(articleEdit1_->HorizontalView()),
        static_cast<QAbstractScrollArea*>(articleEdit1_->VerticalView())}) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    // The text area has its new size when it hears of it; the panel hears first.
    view->viewport()->installEventFilter(this);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& p) {
      commands_->ViewPopup()->popup(view->viewport()->mapToGlobal(p));
    });
  }
  // A clicked link is opened by the view; reading goes on in the grid.
  connect(articleEdit1_, &TArticleEdit::LinkClicked, this, [this] { articleGrid1_->setFocus(); });
  editLayout->addWidget(articleEdit1_);
  splitter1_->setStretchFactor(0, 0);
  splitter1_->setStretchFactor(1, 1);
  layout->addWidget(splitter1_, 1);
  setCentralWidget(central);
}

void TVornExplMain::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setSizeGripEnabled(false);
  static constexpr int kWidths[4] = {0, 80, 100, 50};
  for (int i = 0; i < 4; ++i) {
    statusPanels_[i] = new QLabel(bar);
    statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    statusPanels_[i]->setFrameShape(QFrame::Panel);
    statusPanels_[i]->setFrameShadow(QFrame::Sunken);
    if (kWidths[i] > 0) statusPanels_[i]->setFixedWidth(kWidths[i]);
    bar->addPermanentWidget(statusPanels_[i], i == 0 ? 1 : 0);
  }
  // The progress bar sits in panel 2 and follows it when the status bar is resized.
  progressBar1_ = new TProgressBarREX(statusPanels_[2]);
  progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
  progressBar1_->setRange(0, 100);
  progressBar1_->setValue(0);
  progressBar1_->SetStep(1);
  progressBar1_->SetBarColor(clGray);
  auto* inPanel = new QVBoxLayout(statusPanels_[2]);
  inPanel->setContentsMargins(1, 2, 1, 0);
  inPanel->addWidget(progressBar1_);
  // The stop button of a load, beside the progress bar.
  loadCancel_ = new TLoadCancel(*this, *bar, 3);
}

void TVornExplMain::ConnectCommands() {
  auto on = [this](const char* name, auto handler) {
    if (QAction* a = commands_->Action(name)) connect(a, &QAction::triggered, this, handler);
  };
  on("MenuOpen", [this] { OpenLogDialog(true); });
  on("BTNOpen", [this] { OpenLogDialog(true); });
  on("MenuNoSaveOpen", [this] { OpenLogDialog(false); });
  on("MenuOpenAdd", [this] { AddLogDialog(); });
  on("BTNOpenAdd", [this] { AddLogDialog(); });
  on("MenuLogInfo", [this] { MenuLogInfoClick(); });
  on("MenuInfo", [this] { opener_->ShowSystemMessages(); });
  on("BTNInfo", [this] { opener_->ShowSystemMessages(); });
  on("MenuBBSSet", [this] { MenuBBSSetClick(); });
  on("MenuHelp", [this] { MenuHelpClick(); });
  on("MenuAbout", [this] { MenuAboutClick(); });
  on("MenuEnd", [this] {
    reading_.SetSaveData(true);
    close();
  });
  on("MenuNoSaveEnd", [this] {
    reading_.SetSaveData(false);
    close();
  });
  on("MenuNewReadMode", [this] { ToggleReadMode(false, false); });
  on("BTNNewMode", [this] { ToggleReadMode(false, true); });
  on("MenuSearchMode", [this] { ToggleReadMode(true, false); });
  on("BTNSearchMode", [this] { ToggleReadMode(true, true); });
  on("MenuToolBar", [this] { ToggleToolBar(); });
  on("MenuSearch", [this] { searchCommands_->OpenSearchDialog(); });
  on("BTNSearch", [this] { searchCommands_->OpenSearchDialog(); });
  on("MenuArchiveExport", [this] { MenuArchiveExportClick(); });
  on("MenuCommonSet", [this] { MenuCommonSetClick(); });
  on("MenuStatusBar", [this] { ToggleStatusBar(); });
  // (Radio items: the one chosen is checked, the other not.)
  on("MenuSepVertical", [this] {
    if (horizontalLayout_) ArrangeVertical();
  });
  on("MenuSepHorizontal", [this] {
    if (!horizontalLayout_) ArrangeHorizontal();
  });
  on("MenuTree", [this] { SetOrder(true); });
  on("MenuNormal", [this] { SetOrder(false); });
  on("MenuArticleHeader", [this] { MenuArticleHeaderClick(); });
  on("MenuArticleRotate", [this] { MenuArticleRotateClick(); });
}

void TVornExplMain::ApplyWindowSettings() {
  TCommonIniFile& c = *commonIni_;
  PlaceMainWindow(*this, c);
  if (c.WindowStyle) setWindowState(windowState() | Qt::WindowMaximized);
  if (c.WindowSeparateVertical) {
    commands_->SetChecked("MenuSepVertical", true);
    commands_->SetChecked("MenuSepHorizontal", false);
    const int32_t kept = c.WindowSeparateHValue;
    ArrangeVertical();
    c.WindowSeparateHValue = kept;
  } else {
    commands_->SetChecked("MenuSepVertical", false);
    commands_->SetChecked("MenuSepHorizontal", true);
    const int32_t kept = c.WindowSeparateVValue;
    ArrangeHorizontal();
    c.WindowSeparateVValue = kept;
  }
  reading_.SetTreeOrder(c.ArticleGridSortTree);
  commands_->SetChecked("MenuTree", reading_.TreeOrder() == 1);
  commands_->SetChecked("MenuNormal", reading_.TreeOrder() == 0);
  commands_->ToolBar()->setVisible(c.WindowDispToolBar);
  commands_->SetChecked("MenuToolBar", c.WindowDispToolBar);
  statusBar()->setVisible(c.WindowDispStatusBar);
  commands_->SetChecked("MenuStatusBar", c.WindowDispStatusBar);
  commands_->SetChecked("MenuArticleHeader", c.WindowDispArticleTitle);
  ApplyDisplaySettings();
}

void TVornExplMain::ApplyDisplaySettings() {
  const TCommonIniFile& c = *commonIni_;
  const QFont boardFont = QtFont(c.BoardListFontName, c.BoardListFontSize, c.BoardListFontStyle);
  boardList_->setFont(boardFont);
  QPalette boardPalette = boardList_->palette();
  boardPalette.setColor(QPalette::Base, QtColor(c.BoardListBGColor));
  boardPalette.setColor(QPalette::Button, QtColor(c.BoardListBGColor));
  boardPalette.setColor(QPalette::Text, QtColor(c.BoardListFontColor));
  boardPalette.setColor(QPalette::ButtonText, QtColor(c.BoardListFontColor));
  boardList_->setPalette(boardPalette);
  boardList_->setMaxVisibleItems(std::max(1, c.BoardListDropCount));
  // The bar holds the list with six pixels above and below the font's character height.
  const int boardHeight = QFontMetrics(boardFont).height() + 12;
  boardList_->setFixedHeight(std::max(boardHeight - 4, boardList_->minimumSizeHint().height()));
  boardListPanel_->setFixedHeight(std::max(boardHeight, boardList_->height() + 4));

  // The reset below moves the grid to its first row; the reader stays at the article shown.
  const int32_t board = boardView_->CurrentBoard();
  const int32_t position = articleGrid1_->CurrentPosition();
  articleGrid1_->ApplyDisplaySettings(c, commands_->IsChecked("MenuArticleHeader"));
  articleEdit1_->ApplyDisplaySettings(c);
  commands_->SetChecked("MenuArticleRotate", c.ArticleEditVertical);
  SetArticleScrollStep();
  if (!CurrentAnalyser()) {
    articleGrid1_->ClearRows();
  } else if (board >= 0) {
    boardView_->ShowBoard(board, TArticleGrid::SelectIndex, position);
  }
}

void TVornExplMain::SetArticleScrollStep() {
  articleEdit1_->SetArticleScrollStep(commonIni_->VScrollSize);
}

void TVornExplMain::MenuArticleRotateClick() {
  const bool vertical = articleEdit1_->EditStyle() == TArticleEdit::esNormal;
  articleEdit1_->SetEditStyle(vertical ? TArticleEdit::esVertical : TArticleEdit::esNormal);
  commonIni_->ArticleEditVertical = vertical;
  commands_->SetChecked("MenuArticleRotate", vertical);
  // A page is counted in lines across the view, or in columns along it.
  SetArticleScrollStep();
}

void TVornExplMain::MenuArticleHeaderClick() {
  const bool header = !articleGrid1_->HeaderRow();
  commands_->SetChecked("MenuArticleHeader", header);
  commonIni_->WindowDispArticleTitle = header;
  const int32_t board = boardView_->CurrentBoard();
  articleGrid1_->ResetGrid(header);
  if (board >= 0) boardView_->ShowBoard(board, TArticleGrid::SelectFirst);
}

void TVornExplMain::ArrangeVertical() {
  commonIni_->WindowSeparateHValue = articleGridPanel_->width();
  horizontalLayout_ = false;
  splitter1_->setOrientation(Qt::Vertical);
  ApplySplitSize();
}

void TVornExplMain::ArrangeHorizontal() {
  commonIni_->WindowSeparateVValue = articleGridPanel_->height();
  horizontalLayout_ = true;
  splitter1_->setOrientation(Qt::Horizontal);
  ApplySplitSize();
}

void TVornExplMain::ApplySplitSize() {
  const int wanted = std::max(
      20, horizontalLayout_ ? commonIni_->WindowSeparateHValue : commonIni_->WindowSeparateVValue);
  const int total = horizontalLayout_ ? splitter1_->width() : splitter1_->height();
  // Before the window is shown the splitter has no size yet; showEvent comes back here.
  if (total <= wanted) {
    splitter1_->setSizes({wanted, wanted});
    return;
  }
  splitter1_->setSizes({wanted, total - wanted - splitter1_->handleWidth()});
}

void TVornExplMain::EnableReadCommands(bool on) {
  if (threads_) threads_->EnableCommands(on);
  for (const char* name :
       {"WriteMenu", "BTNRoot", "BTNRess", "BTNMail", "BTNJumpRess", "BTNEdit", "BTNDel",
        "BTNBefore", "BTNNext", "BTNNoRead", "BTNPageUp", "BTNPageDown", "BTNSearch",
        "MenuNewReadMode", "BTNNewMode", "BTNLevelBefore", "BTNLevelNext", "BTNLevelParent"}) {
    commands_->SetEnabled(name, on);
  }
  // Search-mode reading needs a search condition, going back a parent jump before it.
  const bool search = on && navigation_->SearchConditionExists();
  commands_->SetEnabled("BTNSearchMode", search);
  commands_->SetEnabled("MenuSearchMode", search);
  commands_->SetEnabled("BTNLevelRestore", on && !navigation_->LevelHistory().empty());
  if (!on) {
    commands_->SetEnabled("BTNBatch", false);
    return;
  }
  // The binary commands follow what the host family can do.
  const TBBSProcess* p = CurrentAnalyser();
  const bool batch = p && p->BinaryBatchSetFlag;
  const bool mail = p && p->WriteBinaryMailFlag;
  const bool root = p && p->WriteBinaryRootFlag;
  const bool ress = p && p->WriteBinaryRessFlag;
  const std::pair<const char*, bool> binary[] = {
      {"BTNBatch", batch},       {"MenuWBatch", batch},         {"GMenuBatch", batch},
      {"MenuWMailBinary", mail}, {"GMenuMailBinary", mail},     {"MenuWRootBinary", root},
      {"GMenuRootBinary", root}, {"MenuWJumpRessBinary", root}, {"GMenuJumpRessBinary", root},
      {"MenuWRessBinary", ress}, {"GMenuRessBinary", ress}};
  for (const auto& [name, allowed] : binary)
    commands_->SetEnabled(name, allowed);
}

void TVornExplMain::ShowModeIndicator() {
  SetStatusText(1, QtText(reading_.ModeIndicator()));
}

void TVornExplMain::SetReadMode(bool search, bool on) {
  if (reading_.ReadMode(search) != on) ToggleReadMode(search, false);
}

void TVornExplMain::ToggleReadMode(bool search, bool fromButton) {
  const char* button = search ? "BTNSearchMode" : "BTNNewMode";
  const char* menu = search ? "MenuSearchMode" : "MenuNewReadMode";
  // The button toggles itself; the menu toggles the button.
  if (!fromButton) commands_->SetChecked(button, !commands_->IsChecked(button));
  const bool onNow = commands_->IsChecked(button);
  reading_.SetReadMode(search, onNow);
  commands_->SetChecked(menu, onNow);
  ShowModeIndicator();
}

void TVornExplMain::ToggleToolBar() {
  const bool show = !commands_->ToolBar()->isVisible();
  commands_->ToolBar()->setVisible(show);
  commands_->SetChecked("MenuToolBar", show);
  commonIni_->WindowDispToolBar = show;
}

void TVornExplMain::ToggleStatusBar() {
  const bool show = !statusBar()->isVisible();
  statusBar()->setVisible(show);
  commands_->SetChecked("MenuStatusBar", show);
  commonIni_->WindowDispStatusBar = show;
}

void TVornExplMain::SetOrder(bool tree) {
  commands_->SetChecked("MenuTree", tree);
  commands_->SetChecked("MenuNormal", !tree);
  const TArticleList* list = boardView_->CurrentArticles();
  const int32_t before = articleGrid1_->CurrentPosition();
  const ArticleRecord* shown = list ? list->GetArticle(reading_.TreeOrder(), before) : nullptr;
  reading_.SetTreeOrder(tree);
  commonIni_->ArticleGridSortTree = tree;
  const int32_t board = boardView_->CurrentBoard();
  if (board < 0) return;
  // The article read stays the one shown, at its place in the other order.
  const int32_t position =
      shown ? FindArticlePosition(*list, reading_.TreeOrder(), shown->ArticleKey, shown->PostTime)
            : -1;
  if (position >= 0) {
    boardView_->ShowBoard(board, TArticleGrid::SelectIndex, position);
  } else {
    boardView_->ShowBoard(board, TArticleGrid::SelectFirst);
  }
}

void TVornExplMain::SetOpenCommands(bool on) {
  // They stay off while an editor is open.
  on = on && (!writer_ || writer_->RunningEditors().Empty());
  for (const char* name : {"MenuOpen", "MenuNoSaveOpen", "BTNOpen", "MenuNoSaveEnd", "MenuEnd"}) {
    commands_->SetEnabled(name, on);
  }
}

bool TVornExplMain::Loading() const {
  return opener_->Loading();
}

void TVornExplMain::FormActivate() {
  opener_->FormActivate();
}

void TVornExplMain::DropFiles(const std::vector<std::string>& files) {
  // A drop during a load is kept for after it, added to what already waits.
  if (!Loading()) reading_.ClearPendingFiles();
  for (const std::string& f : files)
    reading_.AddPendingFile(DiskFileName(f));
  if (reading_.HasPendingFiles()) FormActivate();
}

void TVornExplMain::OpenLogDialog(bool save) {
  if (Loading() || !LeaveLogSet(true, save)) return;
  TMainDialogHost::NetSelection chosen = opener_->ChooseLogs();
  LoadChosenLogs(std::move(chosen.Files), chosen.Prefix);
}

void TVornExplMain::LoadChosenLogs(std::vector<std::string> files, const std::string& prefix) {
  if (files.empty()) return;
  std::sort(files.begin(), files.end());
  SetOpenCommands(false);
  LoadLogFiles(files, prefix, false);
  SetOpenCommands(true);
}

void TVornExplMain::AddLogDialog() {
  if (session_->CurrentPrefix.empty() || Loading()) return;
  reading_.SetAddingLogs(true);
  std::vector<std::string> files = opener_->ChooseLogsToAdd();
  if (files.empty()) {
    // Nothing is added, so the shown article may go on being remembered.
    reading_.SetAddingLogs(false);
    return;
  }
  std::sort(files.begin(), files.end());
  SetOpenCommands(false);
  const std::string prefix = session_->CurrentPrefix;
  if (!LoadLogFiles(std::move(files), prefix, true)) reading_.SetAddingLogs(false);
  SetOpenCommands(true);
}

bool TVornExplMain::LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix,
                                 bool add) {
  return opener_->LoadLogFiles(files, prefix, add);
}

void TVornExplMain::LoadWaitingFilesLater() {
  QTimer::singleShot(0, this, &TVornExplMain::FormActivate);
}

void TVornExplMain::ShowLoadedSetName(const std::string& setName) {
  repaint();
  setWindowTitle(QStringLiteral("VornExplorer - ") + QtText(setName));
}

bool TVornExplMain::LeaveLogSet(bool reopen, bool keepData) {
  return writer_->LeaveLogSet(reopen, keepData);
}

void TVornExplMain::MenuBBSSetClick() {
  // The dialogs must not move the remembered article.
  reading_.SetAddingLogs(true);
  const int total = RunBBSSetCommand(bbsList_, *dialogs_);
  reading_.SetAddingLogs(false);
  // (An editor may be open: the open commands then stay off until it is closed.)
  const bool on = total > 0 && writer_->RunningEditors().Empty();
  for (const char* name : {"MenuOpen", "MenuNoSaveOpen", "MenuNoSaveEnd", "BTNOpen"}) {
    commands_->SetEnabled(name, on);
  }
}

void TVornExplMain::MenuCommonSetClick() {
  // The dialog must not move the remembered article.
  reading_.SetAddingLogs(true);
  if (!commonSetForm_) commonSetForm_ = new TCommonSetForm(this);
  commonSetForm_->Execute(commonIni_.get(), bbsList_, frameGeometry());
  reading_.SetAddingLogs(false);
  ApplyDisplaySettings();
  threads_->SettingsChanged();
  ApplyReadThreads();
}

void TVornExplMain::ApplyReadThreads() {
  // By default one file a core: more than eight at a time would only hold more files at once.
  const int32_t chosen = commonIni_->ReadThreads;
  session_->Threads = chosen > 0 ? chosen : DefaultReadThreads(8);
  session_->KeepAnalyses(commonIni_->AnalysisCache);
}

std::string TVornExplMain::HelpAddress() {
  return "file://" + ProgramFolder() + "doc/vornexpl.html";
}

void TVornExplMain::MenuHelpClick() {
  const std::string address = HelpAddress();
  const std::string browser = TrimmedText(commonIni_->WWW);
  if (commonIni_->WWWSet && !browser.empty()) {
    // Quoted, so that a folder name with blanks stays one argument.
    const bool blank = address.find_first_of(" \t") != std::string::npos;
    const std::string command = browser + " " + (blank ? "\"" + address + "\"" : address);
    if (!RunProgram(command)) Ui().Warning(Cp932("WWWブラウザの起動に失敗しました"));
    return;
  }
  // Where the page is stays in sight, should the desktop's launcher fail without a word.
  const QString page = QtPath(ProgramFolder() + "doc/vornexpl.html");
  SetStatusText(0, QStringLiteral("ヘルプページ: ") + page);
  OpenHelpPage(*this, page);
}

void TVornExplMain::MenuAboutClick() {
  dialogs_->ShowAbout();
}

void TVornExplMain::MenuLogInfoClick() {
  std::vector<std::string> names = session_->LogFileNames;
  std::sort(names.begin(), names.end());
  dialogs_->ShowText(QStringLiteral("使用ログファイル一覧"), TextDialogLook(), names);
}

void TVornExplMain::MenuArchiveExportClick() {
  if (reading_.Busy() || session_->CurrentPrefix.empty() || !session_->CurrentProcess) {
    Ui().Information(Cp932("出力するログが読み込まれていません"));
    return;
  }
  TArchiveExportDialog dialog(*session_, *commonIni_, reading_, this);
  dialog.exec();
}

SystemMsgLook TVornExplMain::TextDialogLook() const {
  return ArticleViewLook(*commonIni_, frameGeometry(), articleEditPanel_->size());
}

bool TVornExplMain::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::StatusTip:
      // Hints go to the first status panel, which the other panels leave room for.
      SetStatusText(0, static_cast<QStatusTipEvent*>(event)->tip());
      return true;
    case QEvent::WindowActivate:
      if (reading_.HasPendingFiles()) LoadWaitingFilesLater();
      // Back from the terminal program or an editor, where a log may have been changed.
      QTimer::singleShot(0, this, &TVornExplMain::CheckLogFiles);
      break;
    default:
      break;
  }
  return QMainWindow::event(event);
}

void TVornExplMain::CheckLogFiles() {
  // Not during a load, a question or an editor's run: the check comes again.
  if (checkingLogs_ || Loading() || session_->CurrentPrefix.empty() ||
      QApplication::activeModalWidget() || !writer_->RunningEditors().Empty())
    return;
  std::string changed;
  for (const TLogList::FileChange& change : session_->LogsChangedOnDisk())
    changed += "\r" + change.path;
  if (changed.empty() || changed == toldLogChange_) return;
  toldLogChange_ = changed;
  checkingLogs_ = true;
  Ui().Warning(Cp932("読込み中のログファイルが変更されました") + changed + "\r\r" +
               Cp932("ログを読み込み直します"));
  // The same files in the same order: the analysis carries its state from file to file.
  const std::vector<std::string> files = session_->LogFileNames;
  const std::string prefix = session_->CurrentPrefix;
  if (!Loading() && LeaveLogSet(true, true)) {
    SetOpenCommands(false);
    if (LoadLogFiles(files, prefix, false)) toldLogChange_.clear();
    SetOpenCommands(true);
  }
  checkingLogs_ = false;
}

bool TVornExplMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && articleEdit1_ &&
      watched == articleEdit1_->ActiveView()->viewport()) {
    // The view's panel was resized: the page step follows the view's size, and the grid, which
    // shares the room with the view, keeps its current row in the middle.
    articleEdit1_->update();
    articleGrid1_->CenterCurrentRow(articleGrid1_->FixedRows());
    SetArticleScrollStep();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TVornExplMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  QTimer::singleShot(0, this, [this] {
    KeepFrameOnScreens(*this);
    ApplySplitSize();
    // Hand-edited values that could not be used, told once; the end of the run stores what
    // was used instead.
    // The settings folder first: the boxes after it are about what could not be kept there.
    if (const std::string folder = SettingsFolderProblem(); !folder.empty()) Ui().Warning(folder);
    const std::string problems = commonIni_->ProblemsMessage();
    if (!problems.empty()) {
      Ui().Warning(problems + "\r\n\r\n" + Cp932("終了時に代わりの値が保存されます。"));
    }
    if (welcomePending_) {
      welcomePending_ = false;
      Ui().Information(
          Cp932("Vorn Explorerへようこそ！\r\nBBS設定がなされていません\r\n"
                "メニューの「設定」→「BBS設定」によりBBS設定を行って下さい"));
    }
    // The window counts as activated when it first appears, also where the platform does not
    // say so.
    writer_->RecoverLastRun();
    if (reading_.HasPendingFiles()) FormActivate();
  });
}

void TVornExplMain::RecordWindowGeometry() {
  if (!created_) return;
  if (isMaximized()) {
    commonIni_->WindowStyle = true;
  } else if (!isMinimized()) {
    commonIni_->WindowStyle = false;
    commonIni_->WindowHeight = height();
    commonIni_->WindowWidth = width();
    commonIni_->WindowTop = pos().y();
    commonIni_->WindowLeft = pos().x();
  }
}

void TVornExplMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  RecordWindowGeometry();
}

void TVornExplMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  RecordWindowGeometry();
}

void TVornExplMain::StoreLayoutSettings() {
  TCommonIniFile& c = *commonIni_;
  if (!isMinimized() && !isMaximized()) {
    c.WindowTop = pos().y();
    c.WindowLeft = pos().x();
  }
  if (horizontalLayout_) {
    c.WindowSeparateHValue = articleGridPanel_->width();
    c.WindowSeparateVertical = false;
  } else {
    c.WindowSeparateVValue = articleGridPanel_->height();
    c.WindowSeparateVertical = true;
  }
  c.ArticleGridTitleNoSize = articleGrid1_->Title1Size();
  c.ArticleGridTitleIDSize = articleGrid1_->Title2Size();
}

void TVornExplMain::closeEvent(QCloseEvent* event) {
  // While a load runs the window pumps its messages between the steps too, where Busy is off;
  // the data it works on must not go away under it. Closing stops the load, and the window
  // closes once the load has put back what it replaced.
  if (Loading()) {
    loadCancel_->CloseAfterLoad();
    event->ignore();
    return;
  }
  if (reading_.Busy()) {
    event->ignore();
    return;
  }
  if (!LeaveLogSet(false, reading_.SaveData())) {
    reading_.SetSaveData(true);
    event->ignore();
    return;
  }
  StoreLayoutSettings();
  if (!commonIni_->SaveSettings()) {
    Ui().Warning(Cp932("設定ファイル:") + commonIni_->FileName() + "\r" +
                 Cp932("書込み出来ません"));
  }
  event->accept();
}

void TVornExplMain::dragEnterEvent(QDragEnterEvent* event) {
  // A file manager offers its files as a uri-list; taken as a copy, never as a move.
  const Qt::DropAction action = DropActionFor(event->possibleActions());
  if (action == Qt::IgnoreAction || DroppedLocalFiles(*event->mimeData()).empty()) return;
  event->setDropAction(action);
  event->accept();
}

void TVornExplMain::dragMoveEvent(QDragMoveEvent* event) {
  const Qt::DropAction action = DropActionFor(event->possibleActions());
  if (action == Qt::IgnoreAction) return;
  event->setDropAction(action);
  event->accept();
}

void TVornExplMain::dropEvent(QDropEvent* event) {
  const Qt::DropAction action = DropActionFor(event->possibleActions());
  if (action == Qt::IgnoreAction) return;
  const std::vector<std::string> paths = DroppedLocalFiles(*event->mimeData());
  event->setDropAction(action);
  event->accept();
  // Loading opens message boxes, and a folder's files are listed: after the drop has ended.
  QTimer::singleShot(0, this, [this, paths] { DropFiles(ExpandDroppedFolders(paths)); });
}

}  // namespace vorn
