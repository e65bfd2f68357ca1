#pragma once

#include <QObject>
#include <cstdint>
#include <string>

class QTableWidget;
class QTextEdit;

namespace vorn {

class TArticleList;
class TVornExplMain;

// The article last displayed, found again after logs were added.
struct ArticlePosition {
  TArticleList* Board = nullptr;
  uint8_t Kind = 0;
  int32_t ArticleKey = 0;
  int32_t PostTime = 0;
};

// The board shown in the article list and the article shown in the view. A plain list of the
// board's articles in the order in use and the article's text, which the threaded grid and the
// rich article view take over; what they share with the loading — which board and article are
// shown, read marks, the remembered article — is kept here.
class TBoardView final : public QObject {
  Q_OBJECT
 public:
  TBoardView(TVornExplMain& window, QTableWidget* grid, QTextEdit* view);

  // Empties the list and the view.
  void Clear();
  // Shows a board, selecting the given position (-1: the first article, skipping a leading
  // placeholder). The selected article is displayed.
  void ShowBoard(int32_t board, int32_t position = -1);
  // The board and the position shown; -1 when none.
  int32_t CurrentBoard() const { return board_; }
  int32_t CurrentPosition() const;
  // The first new article of any board, from the first board on. False when there is none.
  bool SelectFirstNew();
  // After logs were added: the article remembered before, or position 0 of its board.
  void RestoreArticlePosition();

 private:
  void DisplayArticle(int32_t position);
  void RowChanged(int row);
  TArticleList* Articles(int32_t board) const;

  TVornExplMain& w_;
  QTableWidget* grid_;
  QTextEdit* view_;
  int32_t board_ = -1;
  bool filling_ = false;
};

}  // namespace vorn
