#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "reader/ArticleGrid.h"

namespace vorn {

class TArticleEdit;
class TArticleList;
class TLogSession;
class TMainCommands;
class TReadingState;
class TSelectList;
class TStatusLine;

// The board shown in the article grid and the article shown in the view: the selection
// controller that joins the board list, the grid and the view. Every command acts on the board
// the grid shows. Showing a board selects it in the board list (without the list's own click
// handling); the user may move the list's selection to another board with the keys, which only
// chooses it: the grid keeps its board until the chosen one is opened, and a list left without
// opening it goes back to the board shown. The grid's article display puts the entry at the
// current row into the view, updating the commands that need an article and the remembered
// article.
class TBoardView final : public QObject {
  Q_OBJECT
 public:
  TBoardView(TLogSession& session, TReadingState& state, TMainCommands& commands,
             TStatusLine& status, TSelectList* boardList, TArticleGrid* grid, TArticleEdit* view,
             QObject* parent = nullptr);

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

  // The board the grid shows, -1 when none.
  int32_t CurrentBoard() const;
  TArticleList* CurrentArticles() const;
  // The board selected in the board list, which the list opens when the user chooses it; it
  // differs from the board shown while the user moves through the list.
  int32_t ListBoard() const;
  // The position of the current row in the order in use.
  int32_t CurrentPosition() const;

  // The grid's article display: the entry at the position into the view.
  void ArticleDisp(int32_t order, int32_t position);
  // After logs were added: the article remembered before, or the first of its board.
  void RestoreArticlePosition();

  // The board list: its lines (CP932), and a line selected without opening its board (the list
  // opens a board only when the user chooses one, never on a change made here).
  void SetBoardListLines(const std::vector<std::string>& lines);
  // Gives every board list line a form of its own (the unread count beside the total); null
  // shows the lines as they are.
  void SetLineDecorator(std::function<std::string(int32_t, const std::string&)> decorator);
  // A board's line, or every line, made again after its articles' marks changed.
  void RefreshBoardLine(int32_t board);
  void RefreshBoardLines();
  void ClearBoardList();
  void SelectBoardInList(int index);
  // The grid and the view take input, or not.
  void SetReadingControlsEnabled(bool on);
  void FocusGrid();

  TSelectList& BoardList() const { return *boardList_; }
  TArticleGrid& Grid() const { return *grid_; }
  TArticleEdit& View() const { return *view_; }

 signals:
  // Another board than before is shown in the grid.
  void BoardChanged(int32_t board);

 private:
  TArticleList* Articles(int32_t board) const;
  // The list shows the board the grid shows again.
  void ListBackToShownBoard();

  TLogSession& session_;
  TReadingState& state_;
  TMainCommands& commands_;
  TStatusLine& status_;
  TSelectList* boardList_;
  TArticleGrid* grid_;
  TArticleEdit* view_;
  int32_t shownBoard_ = -1;
  std::vector<std::string> lines_;
  std::function<std::string(int32_t, const std::string&)> decorator_;
};

}  // namespace vorn
