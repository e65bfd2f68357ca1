#include "reader/SelectList.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace vorn {

TSelectList::TSelectList(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setFocusPolicy(Qt::StrongFocus);
  view()->installEventFilter(this);
}

void TSelectList::focusInEvent(QFocusEvent* event) {
  QComboBox::focusInEvent(event);
  // Focus that comes back with the window or from a closing popup is not a new arrival.
  switch (event->reason()) {
    case Qt::MouseFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      return;
    default:
      break;
  }
  if (mouseEntered_ || count() == 0) return;
  // Opened after the focus change has finished, so that the popup takes the keyboard.
  QTimer::singleShot(0, this, [this] {
    if (hasFocus() && !view()->isVisible()) showPopup();
  });
}

void TSelectList::focusOutEvent(QFocusEvent* event) {
  // The list's own popup, or another window, takes the keyboard for a while; the control has
  // not been left for another one.
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
    mouseEntered_ = false;
  }
  QComboBox::focusOutEvent(event);
  const bool ownPopup = reason == Qt::PopupFocusReason && view()->isVisible();
  if (reason != Qt::ActiveWindowFocusReason && !ownPopup) emit Left();
}

void TSelectList::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) mouseEntered_ = true;
  QComboBox::mousePressEvent(event);
}

void TSelectList::mouseReleaseEvent(QMouseEvent* event) {
  QComboBox::mouseReleaseEvent(event);
  if (event->button() == Qt::RightButton) {
    const QPoint p = event->position().toPoint();
    emit MouseRClick(p.x(), p.y());
  }
}

bool TSelectList::MoveFocusFor(QKeyEvent* event) {
  if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) return false;
  const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
  if (view()->isVisible()) hidePopup();
  if (QWidget* w = window()) {
    QWidget* next = back ? previousInFocusChain() : nextInFocusChain();
    while (next && next != this &&
           (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() || !next->isEnabled())) {
      next = back ? next->previousInFocusChain() : next->nextInFocusChain();
    }
    if (next && next != this && w->isAncestorOf(next)) {
      next->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    }
  }
  return true;
}

void TSelectList::keyPressEvent(QKeyEvent* event) {
  if (MoveFocusFor(event)) return;
  bool handled = false;
  emit KeyDown(event, &handled);
  if (handled) {
    event->accept();
    return;
  }
  handlingOwnKey_ = true;
  QComboBox::keyPressEvent(event);
  handlingOwnKey_ = false;
}

bool TSelectList::eventFilter(QObject* watched, QEvent* event) {
  // While the list is open the popup has the keyboard; Tab still leaves the control.
  if (watched == view() && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      // The item under the highlight becomes the selection, as Enter would make it.
      const QModelIndex current = view()->currentIndex();
      if (current.isValid() && current.row() != currentIndex()) {
        setCurrentIndex(current.row());
        emit activated(current.row());
      }
      return MoveFocusFor(key);
    }
  }
  return QComboBox::eventFilter(watched, event);
}

}  // namespace vorn
