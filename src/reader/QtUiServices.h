#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/UiServices.h"

namespace vorn {

class TLoadCheckForm;

// The user's side of the core in the program: modal message boxes placed on the main window,
// the UP/PAD question through the three-button dialog, and the event loop for long loops.
class QtUiServices final : public UiServices {
 public:
  QtUiServices();
  ~QtUiServices() override;

  // The window the boxes belong to (may change; not owned).
  void SetParent(QWidget* parent) { parent_ = parent; }
  // The dialog of the UP/PAD question (not owned); without one a message box asks.
  void SetLoadCheckForm(TLoadCheckForm* form);

  void Warning(const std::string& text) override;
  void Information(const std::string& text) override;
  bool ConfirmYesNo(const std::string& text) override;
  UiAnswer ConfirmYesNoCancel(const std::string& text) override;
  bool ConfirmYesNoDefaultNo(const std::string& text) override;
  UiAnswer AskLoadCheck(const std::string& text) override;
  void ProcessMessages() override;

 private:
  QPointer<QWidget> parent_;
  QPointer<TLoadCheckForm> loadCheck_;
};

}  // namespace vorn
