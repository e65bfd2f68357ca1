#include "platform/UiServices.h"

namespace vorn {
namespace {

class SilentUiServices final : public UiServices {
 public:
  void Warning(const std::string&) override {}
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::No; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::No; }
  void ProcessMessages() override {}
};

SilentUiServices silentServices;
UiServices* currentServices = &silentServices;

}  // namespace

UiServices& Ui() {
  return *currentServices;
}

UiServices* SetUiServices(UiServices* services) {
  UiServices* previous = currentServices == &silentServices ? nullptr : currentServices;
  currentServices = services ? services : &silentServices;
  return previous;
}

void RecordingUiServices::Warning(const std::string& text) {
  entries.push_back({Kind::Warning, text});
}

void RecordingUiServices::Information(const std::string& text) {
  entries.push_back({Kind::Information, text});
}

bool RecordingUiServices::ConfirmYesNo(const std::string& text) {
  entries.push_back({Kind::ConfirmYesNo, text});
  return Next() == UiAnswer::Yes;
}

UiAnswer RecordingUiServices::ConfirmYesNoCancel(const std::string& text) {
  entries.push_back({Kind::ConfirmYesNoCancel, text});
  return Next();
}

UiAnswer RecordingUiServices::AskLoadCheck(const std::string& text) {
  entries.push_back({Kind::LoadCheck, text});
  return Next();
}

UiAnswer RecordingUiServices::Next() {
  if (answers.empty()) return defaultAnswer;
  UiAnswer a = answers.front();
  answers.pop_front();
  return a;
}

}  // namespace vorn
