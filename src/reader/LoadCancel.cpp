#include "reader/LoadCancel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace vorn {

TLoadCancel::TLoadCancel(QMainWindow& window, QStatusBar& bar, int buttonIndex)
    : QObject(&window), window_(window), button_(new QToolButton(&bar)) {
  button_->setObjectName(QStringLiteral("LoadCancelButton"));
  button_->setText(QStringLiteral("中止"));
  button_->setToolTip(QStringLiteral("読込みを中止します (Esc)"));
  button_->setAutoRaise(true);
  button_->setFocusPolicy(Qt::NoFocus);
  bar.insertPermanentWidget(buttonIndex, button_);
  button_->hide();
  connect(button_, &QToolButton::clicked, this, &TLoadCancel::Request);
}

TLoadCancel::Scope::Scope(TLoadCancel& cancel) : cancel_(cancel) {
  cancel_.Begin();
}

TLoadCancel::Scope::~Scope() {
  cancel_.End();
}

void TLoadCancel::Begin() {
  running_ = true;
  requested_ = false;
  closeAfter_ = false;
  button_->setEnabled(true);
  button_->show();
  // The key may reach any of the window's widgets (the grid, the view, the board list) or the
  // window itself when none has the focus.
  qApp->installEventFilter(this);
}

void TLoadCancel::End() {
  qApp->removeEventFilter(this);
  button_->hide();
  running_ = false;
  requested_ = false;
  if (closeAfter_) {
    closeAfter_ = false;
    // After the caller of the load has finished with it.
    QTimer::singleShot(0, &window_, &QWidget::close);
  }
}

void TLoadCancel::Request() {
  if (!running_) return;
  requested_ = true;
  // Pressed once is enough; the load stops at its next look.
  button_->setEnabled(false);
}

void TLoadCancel::CloseAfterLoad() {
  if (!running_) return;
  closeAfter_ = true;
  Request();
}

void TLoadCancel::PastStopping() {
  if (!running_) return;
  qApp->removeEventFilter(this);
  button_->hide();
}

bool TLoadCancel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
  // A box the load shows (an unreadable file) takes its own Escape.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != &window_ || QApplication::activeModalWidget()) return false;
  Request();
  return true;
}

}  // namespace vorn
