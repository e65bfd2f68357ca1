#include "reader/Navigation.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "reader/WindowRoles.h"
#include "readerlogic/ReadingState.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/ArticleNavigation.h"
#include "threadview/ThreadOutline.h"

namespace vorn {
namespace {

constexpr int kShift = Qt::ShiftModifier;
constexpr int kCtrl = Qt::ControlModifier;
constexpr int kAlt = Qt::AltModifier;
constexpr int kModifierMask =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Until the write commands are joined to the window, their keys say so.
void WritingNotYetAvailable(const QString& feature) {
  Ui().Information(CoreText(feature + QStringLiteral("の機能はこの版ではまだ使えません")));
}

}  // namespace

TNavigation::TNavigation(TBoardView& view, TLogSession& session, TReadingState& state,
                         const CommonSettings& common, TMainCommands& commands, TStatusLine& status,
                         QObject* parent)
    : QObject(parent),
      view_(view),
      session_(session),
      state_(state),
      common_(common),
      commands_(commands),
      status_(status) {
  TArticleGrid& grid = view_.Grid();
  connect(&grid, &TArticleGrid::KeyDown, this, &TNavigation::ArticleGrid1KeyDown);
  connect(&grid, &TArticleGrid::RowUnder, this, &TNavigation::ArticleGrid1RowUnder);
  connect(&grid, &TArticleGrid::RowOver, this, &TNavigation::ArticleGrid1RowOver);
  // Positions of a parent jump belong to the board they were taken in.
  connect(&view_, &TBoardView::BoardChanged, this, &TNavigation::ClearLevelHistory);
  TSelectList& list = view_.BoardList();
  connect(&list, &TSelectList::KeyDown, this, &TNavigation::BoardListKeyDown);
  // A selection the list makes while it handles a key itself only moves through the list;
  // the board is opened by Enter (or by choosing it from the open list, or with the mouse).
  connect(&list, &QComboBox::activated, this, [this] {
    if (!view_.BoardList().HandlingOwnKey()) BoardListClick();
  });
  ConnectCommands();
}

void TNavigation::ConnectCommands() {
  auto on = [this](const char* name, auto handler) {
    if (QAction* a = commands_.Action(name)) connect(a, &QAction::triggered, this, handler);
  };
  on("BTNNext", [this] { SendKeyToGrid(Qt::Key_Down); });
  on("BTNBefore", [this] { SendKeyToGrid(Qt::Key_Up); });
  on("BTNNoRead", [this] { SendKeyToGrid(Qt::Key_Space); });
  on("GMenuNoRead", [this] { SendKeyToGrid(Qt::Key_Space); });
  on("GMenuIDEdit", [this] { SendKeyToGrid(Qt::Key_I); });
  on("BTNLevelNext", [this] { GridKeyWithModifiers(Qt::Key_Down, kCtrl); });
  on("BTNLevelBefore", [this] { GridKeyWithModifiers(Qt::Key_Up, kCtrl); });
  on("BTNLevelParent", [this] { GridKeyWithModifiers(Qt::Key_Left, kCtrl); });
  on("BTNLevelRestore", [this] { GridKeyWithModifiers(Qt::Key_Right, kCtrl); });
  on("BTNPageDown", [this] { view_.View().PageForward(); });
  on("BTNPageUp", [this] { view_.View().PageBack(); });
  on("MenuReadPtrClear", [this] { MenuReadPtrClearClick(); });
  on("MenuReadPtrSet", [this] { MenuReadPtrSetClick(); });
}

TBBSProcess* TNavigation::Analyser() const {
  return session_.CurrentProcess;
}

int32_t TNavigation::Order() const {
  return state_.TreeOrder();
}

bool TNavigation::SearchConditionExists() const {
  return search_ && search_->SearchConditionExists();
}

void TNavigation::NothingFound(const char* utf8Text) {
  const QString text = QString::fromUtf8(utf8Text);
  status_.SetStatusText(0, text);
  if (common_.NoReadDialog) Ui().Information(CoreText(text));
}

bool TNavigation::FindArticleForward(bool newOnly, bool level, bool message, int32_t position,
                                     int32_t board, bool acrossBoards) {
  TBBSProcess* p = Analyser();
  if (!p || board < 0 || board >= p->Boards.Count()) return true;
  const ArticleSpot spot =
      FindArticleForwardFrom(p->Boards, Order(), board, position, {newOnly, level, acrossBoards});
  if (!spot.Found()) {
    if (message) NothingFound("これより下に該当記事は存在しません");
    return false;
  }
  if (spot.Board != board || position == -1) {
    view_.ShowBoard(spot.Board, TArticleGrid::SelectIndex, spot.Position);
  } else {
    view_.SelectPosition(spot.Position);
  }
  view_.FocusGrid();
  return true;
}

bool TNavigation::FindArticleBackward(bool newOnly, bool level, bool message, int32_t position,
                                      int32_t board, bool acrossBoards) {
  TBBSProcess* p = Analyser();
  if (!p || board < 0 || board >= p->Boards.Count()) return true;
  const ArticleSpot spot =
      FindArticleBackwardFrom(p->Boards, Order(), board, position, {newOnly, level, acrossBoards});
  if (!spot.Found()) {
    if (message) NothingFound("これより上に該当記事は存在しません");
    return false;
  }
  if (spot.Board == board) {
    view_.SelectPosition(spot.Position);
  } else {
    view_.ShowBoard(spot.Board, TArticleGrid::SelectIndex, spot.Position);
  }
  return true;
}

void TNavigation::ArticleGrid1KeyDown(GridKeyDown* key) {
  const int modifiers = int(key->Modifiers) & kModifierMask;
  bool handled = true;
  switch (key->Key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      handled = UpDownKey(key->Key == Qt::Key_Down, modifiers);
      break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const bool left = key->Key == Qt::Key_Left;
      if (modifiers == kCtrl) {
        left ? LevelParent() : LevelRestore();
      } else if (modifiers == 0) {
        left ? view_.View().ScrollLineBack() : view_.View().ScrollLineForward();
      } else {
        handled = false;
      }
      break;
    }
    case Qt::Key_PageUp:
      view_.View().PageBack();
      break;
    case Qt::Key_PageDown:
      view_.View().PageForward();
      break;
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
      view_.BoardList().setFocus(Qt::OtherFocusReason);
      break;
    case Qt::Key_Space:
      NextUnread();
      break;
    default:
      handled = WriteKey(key->Key, modifiers);
      break;
  }
  if (handled) key->Handled = true;
}

bool TNavigation::UpDownKey(bool down, int modifiers) {
  const bool newMode = state_.NewReadMode();
  if (modifiers == kShift || state_.SearchReadMode()) {
    ClearLevelHistory();
    SearchKey(down);
    return true;
  }
  bool newOnly = true;
  bool level = false;
  if (modifiers == 0 && newMode) {
    // new articles only
  } else if (modifiers == kCtrl) {
    newOnly = newMode;
    level = true;
  } else if (modifiers == kAlt) {
    // new articles only
  } else if (modifiers == (kAlt | kCtrl) ||
             (newMode && (modifiers & kShift) && (modifiers & (kAlt | kCtrl)) &&
              (modifiers & ~(kShift | kAlt | kCtrl)) == 0)) {
    level = true;
  } else {
    return false;
  }
  ClearLevelHistory();
  const int32_t board = view_.CurrentBoard();
  const int32_t position = view_.CurrentPosition();
  if (down) {
    FindArticleForward(newOnly, level, true, position, board, true);
  } else {
    FindArticleBackward(newOnly, level, true, position, board, true);
  }
  return true;
}

void TNavigation::SearchKey(bool forward) {
  if (!SearchConditionExists()) {
    Ui().Information(Cp932("検索設定がされていません"));
    return;
  }
  search_->SearchNext(forward, state_.NewReadMode());
}

bool TNavigation::WriteKey(int qtKey, int modifiers) {
  const bool plain = modifiers == 0;
  const bool plainOrShift = plain || modifiers == kShift;
  bool needsEntry = true;
  char letter = 0;
  switch (qtKey) {
    case Qt::Key_W:
      needsEntry = false;
      [[fallthrough]];
    case Qt::Key_M:
    case Qt::Key_F:
    case Qt::Key_P:
    case Qt::Key_J:
    case Qt::Key_G:
      if (plainOrShift) letter = char(qtKey);
      break;
    case Qt::Key_E:
    case Qt::Key_D:
      if (plain) letter = char(qtKey);
      break;
    case Qt::Key_S:
      letter = 'S';
      break;
    case Qt::Key_I:
      if (plain) letter = 'I';
      needsEntry = false;
      break;
    default:
      break;
  }
  if (!letter) return false;
  if (letter != 'I') ClearLevelHistory();
  const TArticleList* board = view_.CurrentArticles();
  if (needsEntry && (!board || board->OrderCount(ArticleSortNormal) == 0)) return true;
  // A filter that shows nothing of the board leaves no article to act on.
  if (needsEntry && view_.CurrentPosition() < 0) return true;
  const bool shift = (modifiers & kShift) != 0;
  if (writeKeys_) {
    writeKeys_->GridWriteKey(letter, shift);
  } else {
    WritingNotYetAvailable(letter == 'I' ? QStringLiteral("ID編集") : QStringLiteral("書込み"));
  }
  return true;
}

void TNavigation::GridKeyWithModifiers(int qtKey, int modifiers) {
  GridKeyDown key;
  key.Key = qtKey;
  key.Modifiers = Qt::KeyboardModifiers(modifiers);
  key.VirtualKey = ClassicKeyCode(qtKey);
  ArticleGrid1KeyDown(&key);
}

void TNavigation::SendKeyToGrid(int qtKey) {
  const QString text = qtKey == Qt::Key_Space ? QStringLiteral(" ") : QString();
  QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
  QCoreApplication::sendEvent(&view_.Grid(), &press);
}

void TNavigation::ArticleGrid1RowUnder() {
  TBBSProcess* p = Analyser();
  if (!p) return;
  const int32_t board = NearestBoardWithEntries(p->Boards, Order(), view_.CurrentBoard(), -1);
  if (board >= 0) view_.ShowBoard(board, TArticleGrid::SelectLast);
}

void TNavigation::ArticleGrid1RowOver() {
  TBBSProcess* p = Analyser();
  if (!p) return;
  const int32_t board = NearestBoardWithEntries(p->Boards, Order(), view_.CurrentBoard(), 1);
  if (board >= 0) view_.ShowBoard(board, TArticleGrid::SelectFirst);
}

void TNavigation::ArticleGrid1RowOverNoRead() {
  TBBSProcess* p = Analyser();
  int32_t board = -1;
  if (p && ShownMask) {
    board = BoardWithShownUnreadAfter(p->Boards, Order(), view_.CurrentBoard(), ShownMask);
  } else if (p) {
    board = BoardWithUnreadAfter(p->Boards, Order(), view_.CurrentBoard());
  }
  if (board < 0) {
    NothingFound("未読記事は存在しません");
    return;
  }
  view_.ShowBoard(board, TArticleGrid::SelectFirstUnread);
}

void TNavigation::NextUnread() {
  ClearLevelHistory();
  if (view_.CurrentBoard() < 0) return;
  const CommonSettings& c = common_;
  if (!c.NoReadType && (!c.NoReadTypeNew || view_.Grid().NoReadFlag())) {
    if (!view_.View().PageForwardOrEnd()) return;
  }
  if (const TArticleList* board = view_.CurrentArticles()) {
    // The grid's rows know what the reading aids hide; a collapsed thread is opened.
    const int32_t next = view_.Grid().Rows().NextUnread(*board, view_.CurrentPosition());
    if (next >= 0) {
      view_.SelectPosition(next);
      return;
    }
  }
  ArticleGrid1RowOverNoRead();
}

void TNavigation::LevelParent() {
  const TArticleList* board = view_.CurrentArticles();
  if (!board) return;
  const int32_t position = view_.CurrentPosition();
  const int32_t parent = LevelParentPosition(*board, Order(), position);
  if (parent < 0) return;
  view_.SelectPosition(parent);
  levelHistory_.push_back(position);
  commands_.SetEnabled("BTNLevelRestore", true);
}

void TNavigation::LevelRestore() {
  if (!levelHistory_.empty()) {
    const int32_t position = levelHistory_.back();
    levelHistory_.pop_back();
    const TArticleList* board = view_.CurrentArticles();
    if (board && position >= 0 && position < board->OrderCount(Order()))
      view_.SelectPosition(position);
  }
  if (levelHistory_.empty()) commands_.SetEnabled("BTNLevelRestore", false);
}

void TNavigation::ClearLevelHistory() {
  levelHistory_.clear();
  commands_.SetEnabled("BTNLevelRestore", false);
}

void TNavigation::BoardListClick() {
  const int32_t board = view_.ListBoard();
  if (board < 0) return;
  bool found = false;
  if (!state_.NewReadMode()) found = FindArticleForward(true, false, false, -1, board, false);
  if (!found) {
    view_.ShowBoard(board, TArticleGrid::SelectFirst);
    view_.FocusGrid();
  }
}

void TNavigation::OpenBoard(int32_t board) {
  view_.SelectBoardInList(board);
  BoardListClick();
}

void TNavigation::BoardListKeyDown(QKeyEvent* event, bool* handled) {
  const int modifiers = int(event->modifiers()) & kModifierMask;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
      ClearLevelHistory();
      BoardListClick();
      view_.FocusGrid();
      *handled = true;
      return;
    case Qt::Key_M:
    case Qt::Key_W:
      if (modifiers != 0 && modifiers != kShift) return;
      if (writeKeys_) {
        writeKeys_->BoardListWriteKey(char(event->key()), modifiers == kShift);
      } else {
        WritingNotYetAvailable(QStringLiteral("書込み"));
      }
      view_.FocusGrid();
      *handled = true;
      return;
    default:
      return;
  }
}

void TNavigation::SetAllRead(bool read) {
  TBBSProcess* p = Analyser();
  if (!p) return;
  const char* question = read ? "全ての記事を既読にします\n\rよろしいですか？"
                              : "全ての記事を未読にします\n\rよろしいですか？";
  if (!Ui().ConfirmYesNo(Cp932(question))) return;
  SetAllReadFlags(p->Boards, read ? 1 : 0);
  view_.Redraw();
}

void TNavigation::MenuReadPtrClearClick() {
  SetAllRead(false);
}

void TNavigation::MenuReadPtrSetClick() {
  SetAllRead(true);
}

}  // namespace vorn
