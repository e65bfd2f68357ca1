#include "reader/RunEndSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "platform/Cp932.h"
#include "platform/SignalPipe.h"
#include "reader/LoadCancel.h"
#include "reader/VornExplorerMain.h"
#include "reader/WriteController.h"
#include "settings/CommonIniFile.h"

namespace vorn {

TRunEndSignals::TRunEndSignals(TVornExplMain& window) : QObject(&window), window_(window) {
  const int fd = TSignalPipe::Install({SIGTERM, SIGHUP, SIGINT});
  if (fd >= 0) {
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TRunEndSignals::SignalArrived);
  }
  loadWait_ = new QTimer(this);
  loadWait_->setInterval(20);
  connect(loadWait_, &QTimer::timeout, this, &TRunEndSignals::WaitForLoad);
#if QT_CONFIG(sessionmanager)
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { SaveForSessionEnd(); });
#endif
}

// Once the window is gone there is nothing left to save: the signals end the process as usual.
TRunEndSignals::~TRunEndSignals() {
  TSignalPipe::Release({SIGTERM, SIGHUP, SIGINT});
}

void TRunEndSignals::SignalArrived() {
  const bool again = signal_ != 0;
  for (int taken; (taken = TSignalPipe::Take()) != 0;) {
    if (signal_ == 0) signal_ = taken;
  }
  if (signal_ == 0) return;
  // A second signal while a load is being stopped does not wait for it.
  if (again || !window_.Loading()) EndRun();
  waited_.start();
  window_.LoadCancelControl().Request();
  loadWait_->start();
}

void TRunEndSignals::WaitForLoad() {
  if (!window_.Loading() || waited_.elapsed() > LoadStopWaitMs) EndRun();
  // A question the load asks (whether to read an UP file back, a warning) gets the answer
  // Escape gives, which keeps everything as it is.
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
}

void TRunEndSignals::SaveUnattended() {
  // While a load still runs, its boards and members are not to be saved; what it replaced was
  // saved before it began.
  const bool loading = window_.Loading();
  std::vector<std::string> failures = window_.Writer().Journal().SaveUnattended(!loading);
  window_.StoreLayoutSettings();
  if (!window_.CommonIni().SaveSettings())
    failures.push_back(Cp932("設定ファイル:") + window_.CommonIni().FileName());
  for (const std::string& failure : failures)
    std::fprintf(stderr, "vornexpl: %s: not saved\n", Cp932ToUtf8(failure).c_str());
}

void TRunEndSignals::SaveForSessionEnd() {
  SaveUnattended();
}

void TRunEndSignals::EndRun() {
  SaveUnattended();
  TSignalPipe::EndBy(signal_);
}

}  // namespace vorn
