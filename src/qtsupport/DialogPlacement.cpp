#include "qtsupport/DialogPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>

#include "dialoglogic/BBSList.h"

namespace vorn {
namespace {

constexpr const char* kPlacedProperty = "vornDialogPlaced";

class DialogPlacementFilter final : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow() || dialog->property(kPlacedProperty).toBool()) return false;
    dialog->setProperty(kPlacedProperty, true);
    // The rectangle its caller gave, or the window it belongs to. A dialog that moved itself
    // without one keeps its place.
    QRect parent = dialog->property(DialogParentRectProperty).toRect();
    QWidget* anchor = DialogAnchorWindow(dialog);
    if (!parent.isValid()) {
      if (dialog->testAttribute(Qt::WA_Moved) || !anchor) return false;
      parent = anchor->frameGeometry();
    }
    // A message box, among others, takes its final size while it handles its showing, so the
    // dialog handles it first (this filter lets it through now) and is placed afterwards, still
    // before it appears on the screen. Later showings keep the place: Qt would otherwise centre
    // it on its parent again each time.
    QCoreApplication::sendEvent(dialog, event);
    const QScreen* screen = anchor && anchor->screen() ? anchor->screen() : dialog->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize own = dialog->frameGeometry().size().expandedTo(dialog->size());
    dialog->move(CentredDialogPoint(parent, own, area));
    return true;
  }
};

}  // namespace

QPoint CentredDialogPoint(const QRect& parent, const QSize& own, const QRect& screenArea) {
  // Worked out with the area's corner as the origin.
  const DialogPosition p = CentredDialogPosition(
      parent.left() - screenArea.left(), parent.top() - screenArea.top(), parent.width(),
      parent.height(), own.width(), own.height(), screenArea.width(), screenArea.height());
  return {p.Left + screenArea.left(), p.Top + screenArea.top()};
}

QWidget* DialogAnchorWindow(const QWidget* dialog) {
  QWidget* root = dialog ? dialog->parentWidget() : nullptr;
  while (root && root->parentWidget())
    root = root->parentWidget();
  if (root && root->isVisible()) return root->window();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != dialog && w->isVisible() && qobject_cast<QMainWindow*>(w)) return w;
  }
  return nullptr;
}

void InstallDialogPlacement() {
  static DialogPlacementFilter* filter = nullptr;
  if (filter || !qApp) return;
  filter = new DialogPlacementFilter(qApp);
  qApp->installEventFilter(filter);
}

}  // namespace vorn
