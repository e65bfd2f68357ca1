#pragma once

#include <QObject>

class QMainWindow;
class QStatusBar;
class QToolButton;

namespace vorn {

// The user's way to stop a load: Escape pressed anywhere in the main window, or the stop button
// the status bar shows beside the progress bar while a load runs. Closing the window during a
// load stops it too, and the window closes once the load has given back what it replaced.
class TLoadCancel final : public QObject {
  Q_OBJECT
 public:
  TLoadCancel(QMainWindow& window, QStatusBar& bar, int buttonIndex);

  // A load runs from the scope's start to its end: Escape and the button stop it meanwhile, and
  // a close asked meanwhile is carried out at its end.
  class Scope {
   public:
    explicit Scope(TLoadCancel& cancel);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    TLoadCancel& cancel_;
  };

  bool Running() const { return running_; }
  // The user asked to stop the load that runs.
  bool Requested() const { return requested_; }
  void Request();
  // The window is to close: the load is stopped and the close comes after it.
  void CloseAfterLoad();
  // The load has gone past the point where it can stop (its sorting): the button goes, and
  // Escape is the window's again.
  void PastStopping();

  QToolButton* Button() const { return button_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Begin();
  void End();

  QMainWindow& window_;
  QToolButton* button_;
  bool running_ = false;
  bool requested_ = false;
  bool closeAfter_ = false;
};

}  // namespace vorn
