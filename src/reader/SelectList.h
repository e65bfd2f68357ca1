#pragma once

#include <QComboBox>

namespace vorn {

// The board list: a drop-down list that opens by itself when it gets the focus from the
// keyboard or from the program (not from a click), lets Tab move on even while it is open, and
// reports a right click and the focus leaving it for another control.
class TSelectList final : public QComboBox {
  Q_OBJECT
 public:
  explicit TSelectList(QWidget* parent = nullptr);

  bool MouseEntered() const { return mouseEntered_; }
  // True while the list handles a key press itself (with its list closed): a selection that
  // changes meanwhile was made by a key, not chosen.
  bool HandlingOwnKey() const { return handlingOwnKey_; }

 signals:
  // Client coordinates of a released right button.
  void MouseRClick(int x, int y);
  // A key pressed on the list (its list closed), before the list's own handling; set *handled
  // to consume it.
  void KeyDown(QKeyEvent* event, bool* handled);
  // The focus went to another control, a menu or another popup of the window (not to the
  // list's own popup, nor away with the whole window).
  void Left();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Tab and Shift+Tab move the focus to the next or previous control of the window.
  bool MoveFocusFor(QKeyEvent* event);

  bool mouseEntered_ = false;
  bool handlingOwnKey_ = false;
};

}  // namespace vorn
