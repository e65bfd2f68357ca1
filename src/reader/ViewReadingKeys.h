#pragma once

#include <QObject>

class QKeyEvent;

namespace vorn {

class TArticleEdit;
class TNavigation;

// The reading keys in the article view. A click into the text (to select, or to follow a
// link) puts the keyboard there; the keys of the grid go on working from it: Space pages
// through the article and then goes to the next unread one, the letters start the writes,
// Ctrl with the arrows walks the tree, Page Up and Down page, Escape goes to the board list.
// The keys the view has a meaning of its own for without modifiers (the arrows, Home, End)
// keep it. After a move the keyboard stays in the view, where the user reads.
class TViewReadingKeys final : public QObject {
  Q_OBJECT
 public:
  TViewReadingKeys(TArticleEdit& view, TNavigation& navigation, QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // True when the key was taken.
  bool KeyDown(QKeyEvent& key);

  TArticleEdit& view_;
  TNavigation& navigation_;
};

}  // namespace vorn
