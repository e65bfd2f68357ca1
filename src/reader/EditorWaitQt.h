#pragma once

#include <QObject>

#include "writing/EditIF.h"

namespace vorn {

class TRunningEditors;

// The window's wait for an editor: a nested event loop of its own, so the window goes on
// working, other commands run and further editors open, each with its own loop inside the
// earlier one. A timer asks the editor whether it is done.
class TQtEditorWait final : public TEditorWait {
 public:
  explicit TQtEditorWait(int intervalMs = 50) : intervalMs_(intervalMs) {}
  void WaitUntilDone(TEditIF& editor) override;

 private:
  int intervalMs_;
};

// Tells every running editor when the program becomes active again, for editors that wait for
// the user to come back rather than for the editor to end.
class TEditorActivationWatcher final : public QObject {
  Q_OBJECT
 public:
  explicit TEditorActivationWatcher(TRunningEditors& editors, QObject* parent = nullptr);
  void ApplicationStateChanged(Qt::ApplicationState state);

 private:
  TRunningEditors& editors_;
};

}  // namespace vorn
