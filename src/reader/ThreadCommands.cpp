#include "reader/ThreadCommands.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/QuickFilterBar.h"
#include "reader/WindowRoles.h"
#include "reader/WriterListForm.h"
#include "readerlogic/ReadingState.h"
#include "store/ArticleList.h"
#include "threadview/QuickFilter.h"
#include "threadview/WriterListEdit.h"

namespace vorn {
namespace {

constexpr int kShift = Qt::ShiftModifier;
constexpr int kModifierMask =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// The items of the thread menu and the grid's pop-up that need a loaded set.
const char* const kGridItems[] = {"GMenuThreadToggle", "GMenuCollapseAll", "GMenuExpandAll",
                                  "GMenuThreadRead",   "GMenuBoardRead",   "GMenuFlag",
                                  "GMenuWatchWriter",  "GMenuIgnoreWriter"};

}  // namespace

TThreadCommands::TThreadCommands(TLogSession& session, TReadingState& state,
                                 TMainCommands& commands, TBoardView& view, TStatusLine& status,
                                 TQuickFilterBar& bar, QStatusBar& statusBar, QWidget* dialogParent,
                                 QObject* parent)
    : QObject(parent),
      session_(session),
      state_(state),
      commands_(commands),
      view_(view),
      status_(status),
      bar_(bar),
      dialogParent_(dialogParent),
      filterStatus_(new QLabel(&statusBar)),
      settings_(ReadThreadViewSettings(SettingsFilePath("vornexpl.ini"))) {
  filterStatus_->setObjectName(QStringLiteral("FilterStatusPanel"));
  filterStatus_->setFrameShape(QFrame::Panel);
  filterStatus_->setFrameShadow(QFrame::Sunken);
  filterStatus_->hide();
  statusBar.insertPermanentWidget(1, filterStatus_);

  TArticleGrid& grid = view_.Grid();
  grid.IgnoredArticleColor = QtColor(settings_.IgnoredColor);
  grid.SetAids(this);
  // After the navigation's handler: the keys it leaves alone.
  connect(&grid, &TArticleGrid::KeyDown, this, &TThreadCommands::GridKey);
  connect(&grid, &TArticleGrid::TreeLineClicked, this, &TThreadCommands::ToggleThreadAt);
  connect(&grid, &TArticleGrid::RowsChanged, this, &TThreadCommands::UpdateFilterStatus);
  connect(&bar_, &TQuickFilterBar::ConditionChanged, this, &TThreadCommands::FilterChanged);
  connect(&bar_, &TQuickFilterBar::Leave, this, [this] { view_.FocusGrid(); });
  view_.SetLineDecorator([this](int32_t board, const std::string& line) {
    const TBBSProcess* p = session_.CurrentProcess;
    return BoardLineWithUnread(line, CountBoard(p ? p->Boards.GetArticles(board) : nullptr).Unread);
  });
  ConnectCommands();
}

// The grid and the board view go with the window, as this does; neither is called afterwards.
TThreadCommands::~TThreadCommands() = default;

void TThreadCommands::ConnectCommands() {
  auto on = [this](const char* name, auto handler) {
    if (QAction* a = commands_.Action(name)) connect(a, &QAction::triggered, this, handler);
  };
  for (const char* prefix : {"Menu", "GMenu"}) {
    const std::string p(prefix);
    on((p + "ThreadToggle").c_str(), [this] { ToggleThread(); });
    on((p + "CollapseAll").c_str(), [this] { SetAllCollapsed(true); });
    on((p + "ExpandAll").c_str(), [this] { SetAllCollapsed(false); });
    on((p + "ThreadRead").c_str(), [this] { MarkThreadRead(); });
    on((p + "BoardRead").c_str(), [this] { MarkBoardRead(); });
    on((p + "Flag").c_str(), [this] { ToggleFlag(); });
  }
  on("MenuQuickFilter", [this] { FocusFilter(); });
  on("MenuFlaggedOnly", [this](bool checked) { SetFlaggedOnly(checked); });
  on("MenuWriterList", [this] { EditWriters(); });
  on("GMenuWatchWriter", [this](bool checked) { MarkWriter(WriterMark::Watched, checked); });
  on("GMenuIgnoreWriter", [this](bool checked) { MarkWriter(WriterMark::Ignored, checked); });
  if (QMenu* popup = commands_.GridPopup())
    connect(popup, &QMenu::aboutToShow, this, &TThreadCommands::UpdatePopup);
}

void TThreadCommands::EnableCommands(bool on) {
  commands_.SetMenuEnabled("ThreadMenu", on);
  for (const char* name : kGridItems)
    commands_.SetEnabled(name, on);
  bar_.setEnabled(on);
}

void TThreadCommands::LoadFinished(bool add) {
  const TBBSProcess* p = session_.CurrentProcess;
  if (add && filter_) {
    filter_->Forget();
    return;
  }
  collapse_.clear();
  aids_.Open(session_);
  filter_ = p ? std::make_unique<TQuickFilter>(p->Members, session_.LogList) : nullptr;
  // The bar keeps its text from one set to the next.
  if (filter_) {
    std::string warning;
    bar_.ShowRefused(!filter_->SetCondition(bar_.Condition(), warning));
  }
}

bool TThreadCommands::Current(TArticleList*& board, int32_t& position) const {
  board = view_.CurrentArticles();
  position = view_.CurrentPosition();
  return board && position >= 0 && position < board->OrderCount(state_.TreeOrder());
}

void TThreadCommands::Say(const char* utf8) {
  status_.SetStatusText(0, QString::fromUtf8(utf8));
}

bool TThreadCommands::TreeOrderOrSay() {
  if (state_.TreeOrder() == ArticleSortTree) return true;
  Say("スレッドの開閉はツリー順の表示で使えます");
  return false;
}

// ---------------------------------------------------------------------------------------------
// The grid's rows and looks.

void TThreadCommands::BuildRows(const TArticleList& board, int32_t order, TGridRows& rows) {
  const GridRowRules rules{filter_.get(),         flaggedOnly_,   &aids_.Flags,
                           settings_.HideIgnored, &aids_.Writers, &collapse_[&board]};
  rows.Build(board, order, rules);
}

bool TThreadCommands::RevealPosition(const TArticleList& board, int32_t order, int32_t position) {
  if (order != ArticleSortTree) return false;
  auto found = collapse_.find(&board);
  if (found == collapse_.end()) return false;
  const ThreadExtent thread = ThreadAt(board, position);
  if (!thread.Valid() || !found->second.IsCollapsed(board, thread.Top)) return false;
  return found->second.SetCollapsed(board, thread.Top, false);
}

bool TThreadCommands::Flagged(const TArticleList& board, int32_t order, int32_t position) const {
  return aids_.Flags.IsFlagged(board, order, position);
}

WriterMark TThreadCommands::Writer(const TArticleList& board, int32_t order,
                                   int32_t position) const {
  return aids_.Writers.MarkAt(board, order, position);
}

QColor TThreadCommands::WatchedColor() const {
  return QtColor(settings_.WatchedColor);
}

bool TThreadCommands::Shows(const TArticleList& board, int32_t order, int32_t position) {
  if (settings_.HideIgnored &&
      aids_.Writers.MarkAt(board, order, position) == WriterMark::Ignored) {
    return false;
  }
  if (flaggedOnly_ && !aids_.Flags.IsFlagged(board, order, position)) return false;
  return !filter_ || filter_->Matches(board, order, position);
}

// ---------------------------------------------------------------------------------------------
// Keys and commands.

void TThreadCommands::GridKey(GridKeyDown* key) {
  if (key->Handled) return;
  const int modifiers = int(key->Modifiers) & kModifierMask;
  const bool plain = modifiers == 0;
  const bool shiftOnly = modifiers == kShift;
  bool handled = true;
  switch (key->Key) {
    case Qt::Key_C:
      if (plain) {
        ToggleThread();
      } else {
        handled = false;
      }
      break;
    case Qt::Key_Backslash:
    case Qt::Key_yen:
      // Some layouts need Shift for the key.
      if (plain || shiftOnly) {
        SetAllCollapsed(true);
      } else {
        handled = false;
      }
      break;
    case Qt::Key_Asterisk:
      if (plain || shiftOnly) {
        SetAllCollapsed(false);
      } else {
        handled = false;
      }
      break;
    case Qt::Key_R:
      if (plain) {
        MarkThreadRead();
      } else if (shiftOnly) {
        MarkBoardRead();
      } else {
        handled = false;
      }
      break;
    case Qt::Key_T:
      if (plain) {
        ToggleFlag();
      } else if (shiftOnly) {
        SetFlaggedOnly(!flaggedOnly_);
      } else {
        handled = false;
      }
      break;
    case Qt::Key_Slash:
      if (plain || shiftOnly) {
        FocusFilter();
      } else {
        handled = false;
      }
      break;
    default:
      handled = false;
      break;
  }
  if (handled) key->Handled = true;
}

void TThreadCommands::ToggleThreadAt(int32_t position) {
  TArticleList* board = view_.CurrentArticles();
  if (!board || !TreeOrderOrSay()) return;
  const ThreadExtent thread = ThreadAt(*board, position);
  if (!thread.Valid()) return;
  TThreadCollapse& collapse = collapse_[board];
  const bool collapsed = !collapse.IsCollapsed(*board, thread.Top);
  collapse.SetCollapsed(*board, thread.Top, collapsed);
  view_.Grid().RefreshRows(true);
  if (collapsed && view_.Grid().Rows().Filtering()) Say("フィルタ中はスレッドを閉じずに表示します");
}

void TThreadCommands::ToggleThread() {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  ToggleThreadAt(position);
}

void TThreadCommands::SetAllCollapsed(bool collapsed) {
  TArticleList* board = view_.CurrentArticles();
  if (!board || !TreeOrderOrSay()) return;
  TThreadCollapse& collapse = collapse_[board];
  collapsed ? collapse.CollapseAll() : collapse.ExpandAll();
  view_.Grid().RefreshRows(true);
}

void TThreadCommands::MarkThreadRead() {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  const int32_t marked = vorn::MarkThreadRead(*board, state_.TreeOrder(), position);
  view_.Grid().RepaintRows();
  view_.RefreshBoardLine(view_.CurrentBoard());
  status_.SetStatusText(0, QStringLiteral("スレッドの%1件を既読にしました").arg(marked));
}

void TThreadCommands::MarkBoardRead() {
  TArticleList* board = view_.CurrentArticles();
  if (!board || board->OrderCount(ArticleSortNormal) == 0) return;
  if (!Ui().ConfirmYesNo(Cp932("このボードの全記事を既読にします\r\nよろしいですか？"))) return;
  const int32_t marked = vorn::MarkBoardRead(*board);
  view_.Grid().RepaintRows();
  view_.RefreshBoardLine(view_.CurrentBoard());
  status_.SetStatusText(0, QStringLiteral("ボードの%1件を既読にしました").arg(marked));
}

void TThreadCommands::ToggleFlag() {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  const int32_t order = state_.TreeOrder();
  if (!aids_.Flags.SetFlag(*board, order, position,
                           !aids_.Flags.IsFlagged(*board, order, position))) {
    Say("この行にはフラグを付けられません（書込みと親記事のない行）");
    return;
  }
  if (!aids_.SaveFlags())
    Ui().Warning(Cp932("フラグファイルに書込めませんでした\r\n") + aids_.FlagFile);
  if (flaggedOnly_) {
    view_.Grid().RefreshRows(false);
  } else {
    view_.Grid().RepaintRows();
  }
}

void TThreadCommands::SetFlaggedOnly(bool on) {
  flaggedOnly_ = on;
  commands_.SetChecked("MenuFlaggedOnly", on);
  view_.Grid().RefreshRows(false);
}

void TThreadCommands::FocusFilter() {
  if (bar_.isEnabled()) bar_.FocusText();
}

void TThreadCommands::FilterChanged() {
  if (!filter_) return;
  std::string warning;
  const bool accepted = filter_->SetCondition(bar_.Condition(), warning);
  bar_.ShowRefused(!accepted);
  if (!accepted) {
    // The first line of the engine's report; the grid shows every article meanwhile.
    const std::string first = warning.substr(0, warning.find('\r'));
    status_.SetStatusText(0, QtText(first));
  }
  view_.Grid().RefreshRows(false);
}

void TThreadCommands::UpdateFilterStatus() {
  const TGridRows& rows = view_.Grid().Rows();
  const bool filtering = rows.Filtering() && view_.CurrentArticles();
  bar_.ShowCount(filtering, rows.ShownArticles(), rows.TotalArticles());
  filterStatus_->setVisible(filtering);
  if (filtering) {
    filterStatus_->setText(
        QStringLiteral("%1件中%2件を表示").arg(rows.TotalArticles()).arg(rows.ShownArticles()));
  }
}

void TThreadCommands::UpdatePopup() {
  TArticleList* board;
  int32_t position;
  std::string id;
  if (Current(board, position)) {
    if (const ArticleRecord* entry = board->GetArticle(state_.TreeOrder(), position)) {
      if (entry->Kind != ArticleKindMissingRoot) id = aids_.Writers.WriterIdOf(*entry);
    }
  }
  const WriterMark mark = id.empty() ? WriterMark::None : aids_.Writers.MarkOf(id);
  for (const auto& [name, which] : {std::pair{"GMenuWatchWriter", WriterMark::Watched},
                                    std::pair{"GMenuIgnoreWriter", WriterMark::Ignored}}) {
    if (QAction* a = commands_.Action(name)) {
      a->setCheckable(true);
      a->setChecked(mark == which);
    }
    commands_.SetEnabled(name, !id.empty() && commands_.IsEnabled("GMenuFlag"));
  }
}

void TThreadCommands::MarkWriter(WriterMark mark, bool on) {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  const ArticleRecord* entry = board->GetArticle(state_.TreeOrder(), position);
  const std::string id =
      entry && entry->Kind != ArticleKindMissingRoot ? aids_.Writers.WriterIdOf(*entry) : "";
  if (id.empty()) return;
  aids_.Writers.Mark(id, on ? mark : WriterMark::None);
  if (!aids_.SaveWriters())
    Ui().Warning(Cp932("発言者リストファイルに書込めませんでした\r\n") + aids_.WriterFile);
  // Hidden writers leave the rows; the row under the cursor may go with them.
  view_.Grid().RefreshRows(false);
}

void TThreadCommands::EditWriters() {
  const TBBSProcess* p = session_.CurrentProcess;
  if (!p || aids_.WriterFile.empty()) return;
  TWriterListEdit edit(aids_.Writers, settings_.HideIgnored, *p);
  TWriterListForm form(edit, dialogParent_);
  if (form.exec() != QDialog::Accepted) return;
  aids_.Writers = edit.Lists();
  if (!aids_.SaveWriters())
    Ui().Warning(Cp932("発言者リストファイルに書込めませんでした\r\n") + aids_.WriterFile);
  if (edit.HideIgnored != settings_.HideIgnored) {
    settings_.HideIgnored = edit.HideIgnored;
    if (!WriteThreadViewSettings(SettingsFilePath("vornexpl.ini"), settings_))
      Ui().Warning(Cp932("設定ファイルに書込めませんでした\r\n") +
                   SettingsFilePath("vornexpl.ini"));
  }
  view_.Grid().RefreshRows(false);
}

}  // namespace vorn
