#pragma once

#include <QObject>

class QKeyEvent;

namespace vorn {

class TArticleEdit;
class TArticleGrid;

// The reading keys in the article view. A click into the text (to select, or to follow a
// link) puts the keyboard there; every key of the grid goes on working from it, as the grid's
// owners answer it there: Space pages through the article and then goes to the next unread
// one, the letters start the writes and the thread commands, Ctrl with the arrows walks the
// tree, Page Up and Down page, Escape goes to the board list. Up and Down scroll the text one
// line from the page shown; the other keys the view has a meaning of its own for without
// modifiers (Left, Right, Home, End) keep it. After a move the keyboard stays in the view,
// where the user reads.
class TViewReadingKeys final : public QObject {
  Q_OBJECT
 public:
  TViewReadingKeys(TArticleEdit& view, TArticleGrid& grid, QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // True when the key was taken.
  bool KeyDown(QKeyEvent& key);

  TArticleEdit& view_;
  TArticleGrid& grid_;
};

}  // namespace vorn
