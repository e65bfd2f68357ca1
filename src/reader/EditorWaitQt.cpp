#include "reader/EditorWaitQt.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>

#include "writing/RunningEditors.h"

namespace vorn {

void TQtEditorWait::WaitUntilDone(TEditIF& editor) {
  if (editor.EditingEnded()) return;
  QEventLoop loop;
  QTimer poll;
  // The first looks come soon, so that an editor that is done at once (a script, a program
  // that hands the file to a running instance) is noticed at once; a long edit is looked at
  // every intervalMs_.
  int interval = 1;
  poll.setInterval(interval);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (editor.EditingEnded()) {
      loop.quit();
    } else if (interval < intervalMs_) {
      interval = std::min(interval * 2, intervalMs_);
      poll.setInterval(interval);
    }
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
