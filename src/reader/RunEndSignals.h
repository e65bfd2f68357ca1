#pragma once

#include <QElapsedTimer>
#include <QObject>

class QSessionManager;
class QSocketNotifier;
class QTimer;

namespace vorn {

class TVornExplMain;

// The ends of a run the program does not choose: SIGTERM and SIGHUP (a logout, a shutdown, a
// service stop), SIGINT (a terminal) and the desktop session's end. Each is a close that cannot
// ask: what the end of a run saves is saved without a question (board list, member list, read
// pointers, settings), and the queued writes stay in the journal of the run, where the next
// start offers them back; nothing goes into the UP and PAD files that the user did not confirm.
//
// The signal handler only writes to a pipe; the work is done here, in whatever event loop runs
// (the main one, an editor's wait, a modal dialog's). A load that runs is stopped first (its
// questions answered as Escape answers them) and what it replaced put back; then the run ends
// by the signal, so that a shell sees 143 for SIGTERM. The desktop session's end saves the same
// and lets the run go on, as the session may still be cancelled.
class TRunEndSignals final : public QObject {
  Q_OBJECT
 public:
  explicit TRunEndSignals(TVornExplMain& window);
  ~TRunEndSignals() override;

  // The desktop session ends (QGuiApplication::commitDataRequest).
  void SaveForSessionEnd();

  // How long a load may take to stop before the run ends regardless.
  static constexpr int LoadStopWaitMs = 3000;

 private:
  void SignalArrived();
  void WaitForLoad();
  // Saves without asking; false for what could not be saved (told on stderr).
  void SaveUnattended();
  [[noreturn]] void EndRun();

  TVornExplMain& window_;
  QSocketNotifier* notifier_ = nullptr;
  QTimer* loadWait_ = nullptr;
  QElapsedTimer waited_;
  int signal_ = 0;
};

}  // namespace vorn
