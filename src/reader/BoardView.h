#pragma once

#include <QObject>
#include <cstdint>
#include <string>

#include "reader/ArticleGrid.h"

namespace vorn {

class TArticleEdit;
class TArticleList;
class TVornExplMain;

// The article last displayed, found again after logs were added.
struct ArticlePosition {
  TArticleList* Board = nullptr;
  uint8_t Kind = 0;
  int32_t ArticleKey = 0;
  int32_t PostTime = 0;
};

// The board shown in the article grid and the article shown in the view. The board is always
// the one selected in the board list: showing a board selects it there (without the list's
// own click handling), and the grid's article display puts the entry at the current row into
// the view, updating the commands that need an article and the remembered article.
class TBoardView final : public QObject {
  Q_OBJECT
 public:
  TBoardView(TVornExplMain& window, TArticleGrid* grid, TArticleEdit* view);

  // Empties the grid (keeping its header row) and the view.
  void Clear();
  // Selects the board in the board list and shows it in the order in use, selecting a row by
  // the mode (the index for SelectIndex). The selected article is displayed.
  void ShowBoard(int32_t board, TArticleGrid::TSelectMode mode = TArticleGrid::SelectFirst,
                 int32_t index = 0);
  // The board shown again at the current position, after its entries or marks changed.
  void Redraw();
  // Makes a position of the shown board current through the grid's selection rules (read mark,
  // display) and centres it.
  void SelectPosition(int32_t position);

  // The board selected in the board list, -1 when none.
  int32_t CurrentBoard() const;
  TArticleList* CurrentArticles() const;
  // The position of the current row in the order in use.
  int32_t CurrentPosition() const;

  // The grid's article display: the entry at the position into the view.
  void ArticleDisp(int32_t order, int32_t position);
  // After logs were added: the article remembered before, or the first of its board.
  void RestoreArticlePosition();

  TArticleGrid& Grid() const { return *grid_; }
  TArticleEdit& View() const { return *view_; }

 signals:
  // Another board than before is shown in the grid.
  void BoardChanged(int32_t board);

 private:
  TArticleList* Articles(int32_t board) const;

  TVornExplMain& w_;
  TArticleGrid* grid_;
  TArticleEdit* view_;
  int32_t shownBoard_ = -1;
};

}  // namespace vorn
