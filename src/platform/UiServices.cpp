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

}  // namespace vorn
