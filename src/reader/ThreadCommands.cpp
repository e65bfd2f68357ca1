#include "reader/ThreadCommands.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <tuple>

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
#include "reader/SelectList.h"
#include "reader/WindowRoles.h"
#include "reader/WriterListForm.h"
#include "readerlogic/ReadingState.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "threadview/QuickFilter.h"
#include "threadview/WriterListEdit.h"

namespace vorn {
namespace {

constexpr int kShift = Qt::ShiftModifier;
constexpr int kModifierMask =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// The items of the grid's pop-up that need a loaded set (the thread menu follows as a whole).
const char* const kGridItems[] = {"GMenuThreadToggle", "GMenuCollapseAll", "GMenuExpandAll",
                                  "GMenuThreadRead",   "GMenuBoardRead",   "GMenuArticleUnread",
                                  "GMenuThreadUnread", "GMenuFlag",        "GMenuWatchThread",
                                  "GMenuIgnoreThread", "GMenuWatchWriter", "GMenuIgnoreWriter"};

// Ignoring wins: a watched writer's article in an ignored thread is ignored.
WriterMark Combined(WriterMark writer, WriterMark thread) {
  if (writer == WriterMark::Ignored || thread == WriterMark::Ignored) return WriterMark::Ignored;
  if (writer == WriterMark::Watched || thread == WriterMark::Watched) return WriterMark::Watched;
  return WriterMark::None;
}

}  // namespace

TThreadCommands::TThreadCommands(TLogSession& session, TReadingState& state,
                                 const CommonSettings& common, TMainCommands& commands,
                                 TBoardView& view, TStatusLine& status, TQuickFilterBar& bar,
                                 QStatusBar& statusBar, QWidget* dialogParent, QObject* parent)
    : QObject(parent),
      session_(session),
      state_(state),
      common_(common),
      commands_(commands),
      view_(view),
      status_(status),
      bar_(bar),
      dialogParent_(dialogParent),
      filterStatus_(new QLabel(&statusBar)),
      settings_(ReadThreadViewSettings(SettingsFilePath("vornexpl.ini"))),
      ignoredAsRead_(common.IgnoredAsRead) {
  filterStatus_->setObjectName(QStringLiteral("FilterStatusPanel"));
  filterStatus_->setFrameShape(QFrame::Panel);
  filterStatus_->setFrameShadow(QFrame::Sunken);
  filterStatus_->hide();
  statusBar.insertPermanentWidget(1, filterStatus_);

  TArticleGrid& grid = view_.Grid();
  grid.IgnoredArticleColor = QtColor(settings_.IgnoredColor);
  grid.SetAids(this);
  // After the navigation's handlers: the keys it leaves alone.
  connect(&grid, &TArticleGrid::KeyDown, this, &TThreadCommands::GridKey);
  connect(&view_.BoardList(), &TSelectList::KeyDown, this, &TThreadCommands::BoardListKey);
  connect(&grid, &TArticleGrid::TreeLineClicked, this, &TThreadCommands::ToggleThreadAt);
  connect(&grid, &TArticleGrid::RowsChanged, this, &TThreadCommands::UpdateFilterStatus);
  connect(&bar_, &TQuickFilterBar::ConditionChanged, this, &TThreadCommands::FilterChanged);
  connect(&bar_, &TQuickFilterBar::UnreadOnlyChanged, this, &TThreadCommands::SetUnreadOnly);
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
    on((p + "ArticleUnread").c_str(), [this] { MarkArticleUnread(); });
    on((p + "ThreadUnread").c_str(), [this] { MarkThreadUnread(); });
    on((p + "Flag").c_str(), [this] { ToggleFlag(); });
    on((p + "WatchThread").c_str(), [this](bool c) { MarkThread(WriterMark::Watched, c); });
    on((p + "IgnoreThread").c_str(), [this](bool c) { MarkThread(WriterMark::Ignored, c); });
    on((p + "WatchWriter").c_str(), [this](bool c) { MarkWriter(WriterMark::Watched, c); });
    on((p + "IgnoreWriter").c_str(), [this](bool c) { MarkWriter(WriterMark::Ignored, c); });
  }
  on("MenuQuickFilter", [this] { FocusFilter(); });
  on("MenuFlaggedOnly", [this](bool checked) { SetFlaggedOnly(checked); });
  on("MenuUnreadOnly", [this](bool checked) { SetUnreadOnly(checked); });
  on("MenuWriterList", [this] { EditWriters(); });
  // The check marks of the watch and ignore items follow the current article.
  for (QMenu* menu : {commands_.GridPopup(), commands_.Menu("ThreadMenu")}) {
    if (menu) connect(menu, &QMenu::aboutToShow, this, &TThreadCommands::UpdateMarkItems);
  }
}

void TThreadCommands::EnableCommands(bool on) {
  commands_.SetMenuEnabled("ThreadMenu", on);
  for (const char* name : kGridItems)
    commands_.SetEnabled(name, on);
  bar_.setEnabled(on);
}

void TThreadCommands::LoadFinished(bool add) {
  const TBBSProcess* p = session_.CurrentProcess;
  marksBoard_ = nullptr;
  if (!add || !filter_) {
    aids_.Open(session_);
    threadFileWarned_ = false;
    filter_ = p ? std::make_unique<TQuickFilter>(p->Members, session_.LogList) : nullptr;
    // The bar keeps its text from one set to the next.
    if (filter_) {
      std::string warning;
      bar_.ShowRefused(!filter_->SetCondition(bar_.Condition(), warning));
    }
  } else {
    filter_->Forget();
  }
  if (common_.IgnoredAsRead) TakeIgnoredAsRead();
}

void TThreadCommands::SettingsChanged() {
  const bool switchedOn = common_.IgnoredAsRead && !ignoredAsRead_;
  ignoredAsRead_ = common_.IgnoredAsRead;
  if (!switchedOn || !session_.CurrentProcess) return;
  const int32_t marked = TakeIgnoredAsRead();
  view_.Grid().RepaintRows();
  view_.RefreshBoardLines();
  status_.SetStatusText(0, QStringLiteral("無視した記事%1件を既読にしました").arg(marked));
}

int32_t TThreadCommands::TakeIgnoredAsRead() {
  TBBSProcess* p = session_.CurrentProcess;
  if (!p) return 0;
  int32_t marked = 0;
  std::vector<uint8_t> threads;
  for (int32_t b = 0; b < p->Boards.Count(); ++b) {
    TArticleList* board = p->Boards.GetArticles(b);
    if (!board) continue;
    const int32_t n = board->OrderCount(ArticleSortNormal);
    aids_.Threads.MarkMask(*board, ArticleSortNormal, threads);
    for (int32_t position = 0; position < n; ++position) {
      const ArticleRecord* entry = board->GetArticle(ArticleSortNormal, position);
      if (entry->ReadFlag != 0 || entry->WriteFlag != 0) continue;
      const WriterMark thread = WriterMark(threads[size_t(position)]);
      if (Combined(aids_.Writers.MarkOf(*entry), thread) != WriterMark::Ignored) continue;
      board->SetReadFlag(ArticleSortNormal, position, 1, false);
      ++marked;
    }
  }
  return marked;
}

bool TThreadCommands::Current(TArticleList*& board, int32_t& position) const {
  board = view_.CurrentArticles();
  position = view_.CurrentPosition();
  return board && position >= 0 && position < board->OrderCount(state_.TreeOrder());
}

int32_t TThreadCommands::CurrentThreadTop(TArticleList*& board) const {
  int32_t position;
  if (!Current(board, position)) return -1;
  const ThreadExtent thread =
      ThreadAt(*board, TreePositionOf(*board, state_.TreeOrder(), position));
  return thread.Valid() ? thread.Top : -1;
}

void TThreadCommands::Say(const char* utf8) {
  status_.SetStatusText(0, QString::fromUtf8(utf8));
}

bool TThreadCommands::TreeOrderOrSay() {
  if (state_.TreeOrder() == ArticleSortTree) return true;
  Say("スレッドの開閉はツリー順の表示で使えます");
  return false;
}

void TThreadCommands::SaveThreadLists() {
  if (aids_.SaveThreads()) return;
  // Told once a run: collapsing is done often, and the file does not go away meanwhile.
  if (threadFileWarned_ || aids_.ThreadFile.empty()) return;
  threadFileWarned_ = true;
  Ui().Warning(Cp932("スレッドリストファイルに書込めませんでした\r\n") + aids_.ThreadFile);
}

// ---------------------------------------------------------------------------------------------
// The grid's rows and looks.

GridRowRules TThreadCommands::Rules(const TArticleList& board, bool collapse) {
  GridRowRules rules{filter_.get(),         flaggedOnly_,   &aids_.Flags,
                     settings_.HideIgnored, &aids_.Writers, nullptr};
  if (collapse) rules.Collapse = &aids_.Threads.Collapse(board);
  rules.Threads = &aids_.Threads;
  rules.UnreadOnly = unreadOnly_;
  return rules;
}

void TThreadCommands::BuildRows(const TArticleList& board, int32_t order, TGridRows& rows) {
  rows.Build(board, order, Rules(board, true));
  // The looks of the rows ask for the thread marks of the board shown, a row at a time.
  aids_.Threads.MarkMask(board, order, threadMarks_);
  marksBoard_ = &board;
  marksOrder_ = order;
}

void TThreadCommands::ShownMask(const TArticleList& board, int32_t order,
                                std::vector<uint8_t>& shown) {
  TGridRows rows;
  rows.Build(board, order, Rules(board, false));
  const int32_t n = board.OrderCount(order);
  shown.assign(size_t(n), 0);
  for (int32_t p = 0; p < n; ++p)
    shown[size_t(p)] = rows.Passes(p) ? 1 : 0;
}

bool TThreadCommands::RevealPosition(const TArticleList& board, int32_t order, int32_t position) {
  if (order != ArticleSortTree) return false;
  TThreadCollapse& collapse = aids_.Threads.Collapse(board);
  const ThreadExtent thread = ThreadAt(board, position);
  if (!thread.Valid() || !collapse.IsCollapsed(board, thread.Top)) return false;
  if (!collapse.SetCollapsed(board, thread.Top, false)) return false;
  SaveThreadLists();
  return true;
}

bool TThreadCommands::Flagged(const TArticleList& board, int32_t order, int32_t position) const {
  return aids_.Flags.IsFlagged(board, order, position);
}

WriterMark TThreadCommands::RowMark(const TArticleList& board, int32_t order,
                                    int32_t position) const {
  WriterMark thread = WriterMark::None;
  if (&board == marksBoard_ && order == marksOrder_ && position >= 0 &&
      size_t(position) < threadMarks_.size()) {
    thread = WriterMark(threadMarks_[size_t(position)]);
  } else if (aids_.Threads.AnyMarked(board)) {
    const ThreadExtent t = ThreadAt(board, TreePositionOf(board, order, position));
    if (t.Valid()) thread = aids_.Threads.MarkOf(board, t.Top);
  }
  return Combined(aids_.Writers.MarkAt(board, order, position), thread);
}

QColor TThreadCommands::WatchedColor() const {
  return QtColor(settings_.WatchedColor);
}

// ---------------------------------------------------------------------------------------------
// Keys and commands.

void TThreadCommands::GridKey(GridKeyDown* key) {
  if (key->Handled) return;
  const int modifiers = int(key->Modifiers) & kModifierMask;
  const bool plain = modifiers == 0;
  const bool shiftOnly = modifiers == kShift;
  // Letters with Shift or alone; the signs also where a layout needs Shift for them.
  if (!plain && !shiftOnly) return;
  auto toggleThread = [this](WriterMark mark) {
    TArticleList* board;
    const int32_t top = CurrentThreadTop(board);
    MarkThread(mark, top >= 0 && aids_.Threads.MarkOf(*board, top) != mark);
  };
  auto toggleWriter = [this](WriterMark mark) {
    std::string id;
    MarkWriter(mark, CurrentWriterMark(id) != mark);
  };
  bool handled = true;
  switch (key->Key) {
    case Qt::Key_C:
      plain ? ToggleThread() : void(handled = false);
      break;
    case Qt::Key_Backslash:
    case Qt::Key_yen:
      SetAllCollapsed(true);
      break;
    case Qt::Key_Asterisk:
      SetAllCollapsed(false);
      break;
    case Qt::Key_R:
      plain ? MarkThreadRead() : MarkBoardRead();
      break;
    case Qt::Key_U:
      plain ? MarkArticleUnread() : MarkThreadUnread();
      break;
    case Qt::Key_T:
      plain ? ToggleFlag() : SetFlaggedOnly(!flaggedOnly_);
      break;
    case Qt::Key_H:
      plain ? toggleThread(WriterMark::Watched) : toggleWriter(WriterMark::Watched);
      break;
    case Qt::Key_X:
      plain ? toggleThread(WriterMark::Ignored) : toggleWriter(WriterMark::Ignored);
      break;
    case Qt::Key_L:
      plain ? SetUnreadOnly(!unreadOnly_) : void(handled = false);
      break;
    case Qt::Key_Slash:
      FocusFilter();
      break;
    default:
      handled = false;
      break;
  }
  if (handled) key->Handled = true;
}

void TThreadCommands::BoardListKey(QKeyEvent* event, bool* handled) {
  if (*handled) return;
  const int modifiers = int(event->modifiers()) & kModifierMask;
  if (event->key() != Qt::Key_R || modifiers != kShift) return;
  // Catch-up of the board chosen in the list, as a news reader's group list offers it.
  MarkBoardRead(view_.ListBoard());
  *handled = true;
}

void TThreadCommands::ToggleThreadAt(int32_t position) {
  TArticleList* board = view_.CurrentArticles();
  if (!board || !TreeOrderOrSay()) return;
  const ThreadExtent thread = ThreadAt(*board, position);
  if (!thread.Valid()) return;
  TThreadCollapse& collapse = aids_.Threads.Collapse(*board);
  const bool collapsed = !collapse.IsCollapsed(*board, thread.Top);
  if (!collapse.SetCollapsed(*board, thread.Top, collapsed)) return;
  SaveThreadLists();
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
  TThreadCollapse& collapse = aids_.Threads.Collapse(*board);
  collapsed ? collapse.CollapseAll() : collapse.ExpandAll();
  SaveThreadLists();
  view_.Grid().RefreshRows(true);
}

void TThreadCommands::ReadMarksChanged(int32_t board) {
  view_.Grid().RepaintRows();
  view_.RefreshBoardLine(board);
}

void TThreadCommands::MarkThreadRead() {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  const int32_t marked = vorn::MarkThreadRead(*board, state_.TreeOrder(), position);
  ReadMarksChanged(view_.CurrentBoard());
  status_.SetStatusText(0, QStringLiteral("スレッドの%1件を既読にしました").arg(marked));
}

void TThreadCommands::MarkBoardRead(int32_t index) {
  const TBBSProcess* p = session_.CurrentProcess;
  if (index < 0) index = view_.CurrentBoard();
  TArticleList* board = p && index >= 0 ? p->Boards.GetArticles(index) : nullptr;
  if (!board || board->OrderCount(ArticleSortNormal) == 0) return;
  if (!Ui().ConfirmYesNo(Cp932("このボードの全記事を既読にします\r\nよろしいですか？"))) return;
  const int32_t marked = vorn::MarkBoardRead(*board);
  ReadMarksChanged(index);
  status_.SetStatusText(0, QStringLiteral("ボードの%1件を既読にしました").arg(marked));
}

void TThreadCommands::MarkArticleUnread() {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  const int32_t order = state_.TreeOrder();
  const ArticleRecord* entry = board->GetArticle(order, position);
  if (entry->Kind == ArticleKindMissingRoot || entry->WriteFlag != 0) {
    Say("この行は未読にできません（書込みと親記事のない行）");
    return;
  }
  board->SetReadFlag(order, position, 0, false);
  ReadMarksChanged(view_.CurrentBoard());
  Say("記事を未読にしました");
}

void TThreadCommands::MarkThreadUnread() {
  TArticleList* board;
  int32_t position;
  if (!Current(board, position)) return;
  const int32_t marked = vorn::MarkThreadUnread(*board, state_.TreeOrder(), position);
  ReadMarksChanged(view_.CurrentBoard());
  status_.SetStatusText(0, QStringLiteral("スレッドの%1件を未読にしました").arg(marked));
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

void TThreadCommands::SetUnreadOnly(bool on) {
  unreadOnly_ = on;
  commands_.SetChecked("MenuUnreadOnly", on);
  bar_.SetUnreadOnly(on);
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
    filterWarning_ = QtText(warning.substr(0, warning.find('\r')));
    status_.SetStatusText(0, filterWarning_);
  } else if (!filterWarning_.isEmpty()) {
    // The report of a pattern since mended goes, unless something else was told meanwhile.
    if (status_.StatusText(0) == filterWarning_) status_.SetStatusText(0, QString());
    filterWarning_.clear();
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

WriterMark TThreadCommands::CurrentWriterMark(std::string& id) const {
  TArticleList* board;
  int32_t position;
  id.clear();
  if (!Current(board, position)) return WriterMark::None;
  const ArticleRecord* entry = board->GetArticle(state_.TreeOrder(), position);
  if (entry && entry->Kind != ArticleKindMissingRoot) id = aids_.Writers.WriterIdOf(*entry);
  return id.empty() ? WriterMark::None : aids_.Writers.MarkOf(id);
}

void TThreadCommands::UpdateMarkItems() {
  std::string id;
  const WriterMark writer = CurrentWriterMark(id);
  TArticleList* board;
  const int32_t top = CurrentThreadTop(board);
  ThreadKey key;
  const bool threadKnown = top >= 0 && ThreadKeyAt(*board, top, key);
  const WriterMark thread = threadKnown ? aids_.Threads.MarkOf(*board, top) : WriterMark::None;
  const bool on = commands_.IsEnabled("GMenuFlag");
  for (const char* prefix : {"Menu", "GMenu"}) {
    const std::string p(prefix);
    const std::tuple<std::string, WriterMark, WriterMark, bool> items[] = {
        {p + "WatchWriter", WriterMark::Watched, writer, !id.empty()},
        {p + "IgnoreWriter", WriterMark::Ignored, writer, !id.empty()},
        {p + "WatchThread", WriterMark::Watched, thread, threadKnown},
        {p + "IgnoreThread", WriterMark::Ignored, thread, threadKnown}};
    for (const auto& [name, which, mark, known] : items) {
      if (QAction* a = commands_.Action(name.c_str())) {
        a->setCheckable(true);
        a->setChecked(mark == which);
      }
      commands_.SetEnabled(name.c_str(), known && on);
    }
  }
}

void TThreadCommands::MarkWriter(WriterMark mark, bool on) {
  std::string id;
  CurrentWriterMark(id);
  if (id.empty()) {
    Say("この行には発言者がありません");
    return;
  }
  aids_.Writers.Mark(id, on ? mark : WriterMark::None);
  if (!aids_.SaveWriters())
    Ui().Warning(Cp932("発言者リストファイルに書込めませんでした\r\n") + aids_.WriterFile);
  if (on && mark == WriterMark::Ignored && common_.IgnoredAsRead) {
    TakeIgnoredAsRead();
    view_.RefreshBoardLines();
  }
  // Hidden writers leave the rows; the row under the cursor may go with them.
  view_.Grid().RefreshRows(false);
}

void TThreadCommands::MarkThread(WriterMark mark, bool on) {
  TArticleList* board;
  const int32_t top = CurrentThreadTop(board);
  if (top < 0 || !aids_.Threads.SetMark(*board, top, on ? mark : WriterMark::None)) {
    Say("このスレッドには印を付けられません（書込みとメール）");
    return;
  }
  SaveThreadLists();
  if (on && mark == WriterMark::Ignored && common_.IgnoredAsRead) {
    TakeIgnoredAsRead();
    view_.RefreshBoardLines();
  }
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
  if (common_.IgnoredAsRead) {
    TakeIgnoredAsRead();
    view_.RefreshBoardLines();
  }
  view_.Grid().RefreshRows(false);
}

}  // namespace vorn
