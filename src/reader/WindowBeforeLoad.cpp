#include "reader/WindowBeforeLoad.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QWidget>

#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/Navigation.h"
#include "reader/SelectList.h"
#include "reader/WindowRoles.h"
#include "readerlogic/ReadingState.h"
#include "store/ArticleList.h"

namespace vorn {

TWindowBeforeLoad::TWindowBeforeLoad(TReadingState& state, TMainCommands& commands,
                                     TBoardView& view, TNavigation& navigation, TLoadWindow& window)
    : state_(state), commands_(commands), view_(view), navigation_(navigation), window_(window) {
  caption_ = view_.Grid().window()->windowTitle();
  board_ = view_.CurrentBoard();
  TArticleGrid& grid = view_.Grid();
  gridShown_ = grid.Board() != nullptr && board_ >= 0;
  if (gridShown_) {
    // -1 while the filters show nothing of the board.
    position_ = grid.CurrentPosition();
    topRow_ = grid.TopRow();
    if (position_ >= 0 && position_ < grid.Board()->OrderCount(grid.Order()))
      readFlag_ = grid.Board()->GetReadFlag(grid.Order(), position_);
  }
  QAbstractScrollArea* text = view_.View().ActiveView();
  viewScrollV_ = text->verticalScrollBar()->value();
  viewScrollH_ = text->horizontalScrollBar()->value();
  boardListEnabled_ = view_.BoardList().isEnabled();
  readingControlsEnabled_ = grid.isEnabled();
  readModes_[0] = state_.ReadMode(false);
  readModes_[1] = state_.ReadMode(true);
  commandStates_ = commands_.SaveEnabled();
  levelHistory_ = navigation_.LevelHistory();
  focus_ = QApplication::focusWidget();
}

void TWindowBeforeLoad::PutBack(const std::vector<std::string>& boardLines) {
  view_.Grid().window()->setWindowTitle(caption_);
  view_.SetBoardListLines(boardLines);
  const bool boardThere = board_ >= 0 && static_cast<size_t>(board_) < boardLines.size();
  if (gridShown_ && boardThere) {
    // Shown again as the user left it; showing marks the current article read, which it was
    // unless the user had marked it unread again.
    view_.ShowBoard(board_, TArticleGrid::SelectIndex, position_);
    TArticleGrid& grid = view_.Grid();
    if (readFlag_ == 0 && grid.Board() && position_ >= 0) {
      grid.Board()->SetReadFlag(grid.Order(), position_, 0, false);
      grid.viewport()->update();
    }
    grid.SetTopRow(topRow_);
    QAbstractScrollArea* text = view_.View().ActiveView();
    text->verticalScrollBar()->setValue(viewScrollV_);
    text->horizontalScrollBar()->setValue(viewScrollH_);
  } else {
    view_.Clear();
    view_.SelectBoardInList(boardThere ? board_ : -1);
  }
  view_.BoardList().setEnabled(boardListEnabled_);
  view_.SetReadingControlsEnabled(readingControlsEnabled_);
  for (const bool search : {false, true}) {
    window_.SetReadMode(search, readModes_[search ? 1 : 0]);
  }
  // The reading commands and what goes with them outside the menus (the quick filter bar) as
  // the load found them; the commands then exactly as they were.
  window_.EnableReadCommands(readingControlsEnabled_);
  commands_.RestoreEnabled(commandStates_);
  navigation_.RestoreLevelHistory(levelHistory_);
  if (focus_) focus_->setFocus(Qt::OtherFocusReason);
  window_.SetStatusText(0, QStringLiteral("ログの読込みを中止しました"));
}

}  // namespace vorn
