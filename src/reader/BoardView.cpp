#include "reader/BoardView.h"

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogLoader.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleEdit.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "reader/WindowRoles.h"
#include "readerlogic/ReadingState.h"
#include "store/ArticleList.h"
#include "store/ArticleNavigation.h"

namespace vorn {

TBoardView::TBoardView(TLogSession& session, TReadingState& state, TMainCommands& commands,
                       TStatusLine& status, TSelectList* boardList, TArticleGrid* grid,
                       TArticleEdit* view, QObject* parent)
    : QObject(parent),
      session_(session),
      state_(state),
      commands_(commands),
      status_(status),
      boardList_(boardList),
      grid_(grid),
      view_(view) {
  connect(grid_, &TArticleGrid::ArticleDisp, this, &TBoardView::ArticleDisp);
  connect(boardList_, &TSelectList::Left, this, &TBoardView::ListBackToShownBoard);
}

TArticleList* TBoardView::Articles(int32_t board) const {
  TBBSProcess* p = session_.CurrentProcess;
  return p ? p->Boards.GetArticles(board) : nullptr;
}

int32_t TBoardView::CurrentBoard() const {
  const TArticleList* shown = grid_->Board();
  if (!shown) return -1;
  if (Articles(shownBoard_) == shown) return shownBoard_;
  // The grid was given its board past ShowBoard; the board is found by its list.
  TBBSProcess* p = session_.CurrentProcess;
  for (int32_t b = 0; p && b < p->Boards.Count(); ++b) {
    if (p->Boards.GetArticles(b) == shown) return b;
  }
  return -1;
}

int32_t TBoardView::ListBoard() const {
  return boardList_->currentIndex();
}

void TBoardView::ListBackToShownBoard() {
  const int32_t shown = CurrentBoard();
  if (shown >= 0 && shown < boardList_->count() && shown != ListBoard()) SelectBoardInList(shown);
}

TArticleList* TBoardView::CurrentArticles() const {
  return Articles(CurrentBoard());
}

int32_t TBoardView::CurrentPosition() const {
  return grid_->CurrentPosition();
}

void TBoardView::Clear() {
  grid_->ClearRows();
  view_->Clear();
  shownBoard_ = -1;
}

void TBoardView::ShowBoard(int32_t board, TArticleGrid::TSelectMode mode, int32_t index) {
  TArticleList* list = Articles(board);
  if (!list) board = -1;
  SelectBoardInList(board);
  if (board != shownBoard_) {
    shownBoard_ = board;
    emit BoardChanged(board);
  }
  TBBSProcess* p = session_.CurrentProcess;
  grid_->ShowArticles(state_.TreeOrder(), list, index, mode, p ? &p->Members : nullptr);
  // Without a board the grid has nothing to display; the view must not keep an old article.
  if (!list) ArticleDisp(state_.TreeOrder(), 0);
}

void TBoardView::Redraw() {
  const int32_t board = CurrentBoard();
  if (board >= 0) ShowBoard(board, TArticleGrid::SelectIndex, CurrentPosition());
  RefreshBoardLines();
}

void TBoardView::SelectPosition(int32_t position) {
  grid_->SelectPosition(position);
  grid_->CenterCurrentRow(grid_->FixedRows());
}

void TBoardView::ArticleDisp(int32_t order, int32_t position) {
  TMainCommands& commands = commands_;
  status_.SetStatusText(0, QString());
  TArticleList* list = CurrentArticles();
  if (!list || list->OrderCount(order) <= 0) {
    view_->Clear();
    for (const char* name : {"MenuArticleCut", "MenuBoardOut", "MenuPrint"})
      commands.SetEnabled(name, false);
    return;
  }
  commands.SetEnabled("MenuBoardOut", true);
  // No article: the filters show nothing of the board, or only the cursor stands on a row.
  if (position < 0) {
    view_->Clear();
    commands.SetEnabled("MenuArticleCut", false);
    commands.SetEnabled("MenuPrint", false);
    return;
  }
  const ArticleViewText article = ArticleViewLines(list, order, position, session_.LogList);
  const bool shown = article.Result == ArticleViewText::Text;
  if (shown) {
    view_->ShowArticleText(article.Lines);
  } else {
    view_->Clear();
  }
  commands.SetEnabled("MenuArticleCut", shown);
  commands.SetEnabled("MenuPrint", shown);
  state_.RememberArticle({list, list->GetKind(order, position), list->GetKey(order, position),
                          list->GetPostTime(order, position)});
  // Displaying it may have read it.
  RefreshBoardLine(CurrentBoard());
}

void TBoardView::RestoreArticlePosition() {
  TBBSProcess* p = session_.CurrentProcess;
  const ArticlePosition saved = state_.SavedPosition();
  for (int32_t b = 0; p && saved.Board && b < p->Boards.Count(); ++b) {
    TArticleList* list = p->Boards.GetArticles(b);
    if (list != saved.Board) continue;
    const int32_t position = std::max(
        0, FindArticlePosition(*list, state_.TreeOrder(), saved.ArticleKey, saved.PostTime));
    ShowBoard(b, TArticleGrid::SelectIndex, position);
    FocusGrid();
    grid_->CenterCurrentRow(grid_->FixedRows());
    break;
  }
  state_.SetAddingLogs(false);
}

void TBoardView::SetBoardListLines(const std::vector<std::string>& lines) {
  lines_ = lines;
  boardList_->clear();
  for (size_t b = 0; b < lines.size(); ++b)
    boardList_->addItem(QtText(decorator_ ? decorator_(int32_t(b), lines[b]) : lines[b]));
}

void TBoardView::SetLineDecorator(
    std::function<std::string(int32_t, const std::string&)> decorator) {
  decorator_ = std::move(decorator);
}

void TBoardView::RefreshBoardLine(int32_t board) {
  if (!decorator_ || board < 0 || size_t(board) >= lines_.size() || board >= boardList_->count()) {
    return;
  }
  const QString line = QtText(decorator_(board, lines_[size_t(board)]));
  if (boardList_->itemText(board) != line) boardList_->setItemText(board, line);
}

void TBoardView::RefreshBoardLines() {
  for (size_t b = 0; b < lines_.size(); ++b)
    RefreshBoardLine(int32_t(b));
}

void TBoardView::ClearBoardList() {
  lines_.clear();
  boardList_->clear();
}

void TBoardView::SelectBoardInList(int index) {
  boardList_->setCurrentIndex(index);
}

void TBoardView::SetReadingControlsEnabled(bool on) {
  grid_->setEnabled(on);
  view_->setEnabled(on);
}

void TBoardView::FocusGrid() {
  if (!grid_->hasFocus()) grid_->setFocus();
}

}  // namespace vorn
