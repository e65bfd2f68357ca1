#include "reader/ViewReadingKeys.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/VerticalTextView.h"

namespace vorn {
namespace {

constexpr Qt::KeyboardModifiers kModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// The keys that start a write or open a dialog of their own: the keyboard goes where the
// command leaves it.
bool LeavesTheView(int key) {
  switch (key) {
    case Qt::Key_W:
    case Qt::Key_M:
    case Qt::Key_F:
    case Qt::Key_P:
    case Qt::Key_J:
    case Qt::Key_G:
    case Qt::Key_E:
    case Qt::Key_D:
    case Qt::Key_S:
    case Qt::Key_I:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
      return true;
    default:
      return false;
  }
}

}  // namespace

TViewReadingKeys::TViewReadingKeys(TArticleEdit& view, TArticleGrid& grid, QObject* parent)
    : QObject(parent), view_(view), grid_(grid) {
  view_.HorizontalView()->installEventFilter(this);
  view_.VerticalView()->installEventFilter(this);
}

bool TViewReadingKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && KeyDown(*static_cast<QKeyEvent*>(event))) return true;
  return QObject::eventFilter(watched, event);
}

bool TViewReadingKeys::KeyDown(QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & kModifiers;
  const int code = key.key();
  const bool plain = modifiers == Qt::NoModifier;
  const bool arrow =
      code == Qt::Key_Up || code == Qt::Key_Down || code == Qt::Key_Left || code == Qt::Key_Right;
  if (code == Qt::Key_Space) {
    // The rest of the article first, whatever the grid's unread key does with it.
    if (!view_.PageForwardOrEnd()) return true;
  } else if (plain && (code == Qt::Key_Up || code == Qt::Key_Down) &&
             view_.EditStyle() == TArticleEdit::esNormal) {
    // From the page shown, not from where a click left the caret pages ago.
    code == Qt::Key_Up ? view_.ScrollLineBack() : view_.ScrollLineForward();
    return true;
  } else if (arrow && (plain || ((code == Qt::Key_Left || code == Qt::Key_Right) &&
                                 modifiers != Qt::ControlModifier))) {
    // The view's own movement: sideways in the text, or through the columns when vertical.
    return false;
  }
  QAbstractScrollArea* shown = view_.ActiveView();
  if (!grid_.OwnerKey(code, modifiers)) return false;
  // A move leaves the keyboard in the grid; reading goes on here. A command that took it
  // elsewhere (the board list, the filter bar, a dialog) keeps it there.
  const QWidget* focus = QApplication::focusWidget();
  const bool stillReading = focus == &grid_ || focus == shown;
  if (!LeavesTheView(code) && stillReading && shown == view_.ActiveView() && view_.isEnabled())
    shown->setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace vorn
