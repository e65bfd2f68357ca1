#include "reader/EditorWaitQt.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include "writing/RunningEditors.h"

namespace vorn {

void TQtEditorWait::WaitUntilDone(TEditIF& editor) {
  if (editor.EditingEnded()) return;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(intervalMs_);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (editor.EditingEnded()) loop.quit();
  });
  poll.start();
  loop.exec();
}

TEditorActivationWatcher::TEditorActivationWatcher(TRunningEditors& editors, QObject* parent)
    : QObject(parent), editors_(editors) {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::applicationStateChanged, this,
            &TEditorActivationWatcher::ApplicationStateChanged);
  }
}

void TEditorActivationWatcher::ApplicationStateChanged(Qt::ApplicationState state) {
  if (state == Qt::ApplicationActive) editors_.MarkActivated();
}

}  // namespace vorn
