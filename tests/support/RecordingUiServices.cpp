#include "support/RecordingUiServices.h"

namespace vorn {

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

bool RecordingUiServices::ConfirmYesNoDefaultNo(const std::string& text) {
  entries.push_back({Kind::ConfirmYesNoDefaultNo, text});
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
