#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/UiServices.h"

namespace vorn {

// Records every message and answers questions from a script, in order. A question asked with
// the script used up gets the default answer.
class RecordingUiServices final : public UiServices {
 public:
  enum class Kind {
    Warning,
    Information,
    ConfirmYesNo,
    ConfirmYesNoDefaultNo,
    ConfirmYesNoCancel,
    LoadCheck
  };
  struct Entry {
    Kind kind;
    std::string text;
  };

  void Warning(const std::string& text) override;
  void Information(const std::string& text) override;
  bool ConfirmYesNo(const std::string& text) override;
  bool ConfirmYesNoDefaultNo(const std::string& text) override;
  UiAnswer ConfirmYesNoCancel(const std::string& text) override;
  UiAnswer AskLoadCheck(const std::string& text) override;
  // A load or another long step lets the window's messages through here.
  void ProcessMessages() override {
    ++pumps;
    if (OnPump) OnPump();
  }

  void Script(UiAnswer answer) { answers.push_back(answer); }

  std::vector<Entry> entries;
  std::deque<UiAnswer> answers;
  UiAnswer defaultAnswer = UiAnswer::No;
  long pumps = 0;
  // Called at every ProcessMessages (a test's look at the window during a load).
  std::function<void()> OnPump;

 private:
  UiAnswer Next();
};

}  // namespace vorn
