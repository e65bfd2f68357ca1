#include "reader/ViewReadingKeys.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "reader/ArticleEdit.h"
#include "reader/Navigation.h"
#include "reader/VerticalTextView.h"

namespace vorn {
namespace {

constexpr Qt::KeyboardModifiers kModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

bool IsWriteLetter(int key) {
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
      return true;
    default:
      return false;
  }
}

}  // namespace

TViewReadingKeys::TViewReadingKeys(TArticleEdit& view, TNavigation& navigation, QObject* parent)
    : QObject(parent), view_(view), navigation_(navigation) {
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
  bool stay = true;  // the keyboard stays in the view afterwards
  if (code == Qt::Key_Space) {
    // The rest of the article first, whatever the grid's unread key does with it.
    if (!view_.PageForwardOrEnd()) return true;
  } else if (code == Qt::Key_Up || code == Qt::Key_Down || code == Qt::Key_Left ||
             code == Qt::Key_Right) {
    // Without a modifier the arrows scroll the text; with one they move as in the grid.
    if (modifiers == Qt::NoModifier) return false;
    if ((code == Qt::Key_Left || code == Qt::Key_Right) && modifiers != Qt::ControlModifier)
      return false;
  } else if (code == Qt::Key_PageUp || code == Qt::Key_PageDown) {
    // Paged by the step the settings give, as from the grid.
  } else if (code == Qt::Key_Escape || code == Qt::Key_Backspace) {
    stay = false;
  } else if (IsWriteLetter(code) &&
             (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
    stay = false;
  } else {
    return false;
  }
  QAbstractScrollArea* shown = view_.ActiveView();
  navigation_.GridKeyWithModifiers(code, int(modifiers));
  if (stay && shown == view_.ActiveView() && view_.isEnabled())
    shown->setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace vorn
