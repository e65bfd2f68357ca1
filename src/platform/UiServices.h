#pragma once

#include <string>

namespace vorn {

// Answers of the confirmation boxes. The values are those of the classic message-box results
// because some dialogs hand them on as result codes.
enum class UiAnswer { Yes = 6, No = 7, Cancel = 2 };

// What the core needs of the user's side: message boxes of three kinds and keeping the window
// alive during long loops. Texts are CP932, lines separated by "\r" or "\r\n".
class UiServices {
 public:
  virtual ~UiServices() = default;
  virtual void Warning(const std::string& text) = 0;
  virtual void Information(const std::string& text) = 0;
  virtual bool ConfirmYesNo(const std::string& text) = 0;
  virtual UiAnswer ConfirmYesNoCancel(const std::string& text) = 0;
  // A Yes/No question whose default (Enter) is No: for questions where Yes gives data up.
  virtual bool ConfirmYesNoDefaultNo(const std::string& text) { return ConfirmYesNo(text); }
  // The question asked before an existing UP or PAD file is read again: Yes reads it, No skips
  // it, Cancel stands for "delete" (the dialog's third button). Escape must give No.
  virtual UiAnswer AskLoadCheck(const std::string& text) = 0;
  // Processes pending window messages so that the window stays responsive.
  virtual void ProcessMessages() = 0;
};

// The services in force. Until something is installed, a silent implementation answers No and
// ignores messages, so that core code run from a tool or a test never blocks on a question.
UiServices& Ui();

// Installs services (not owned); nullptr restores the silent default. Returns the previous ones.
UiServices* SetUiServices(UiServices* services);

// Installs services for the lifetime of this object and restores the previous ones after.
class ScopedUiServices {
 public:
  explicit ScopedUiServices(UiServices* services) : previous_(SetUiServices(services)) {}
  ~ScopedUiServices() { SetUiServices(previous_); }
  ScopedUiServices(const ScopedUiServices&) = delete;
  ScopedUiServices& operator=(const ScopedUiServices&) = delete;

 private:
  UiServices* previous_;
};

}  // namespace vorn
