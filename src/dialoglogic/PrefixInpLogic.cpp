#include "dialoglogic/PrefixInpLogic.h"

#include "platform/Cp932.h"
#include "platform/UiServices.h"

namespace vorn {

std::string NoPrefixMessage() {
  return Cp932("プレフィックスが設定されていません");
}

std::string PrefixInUseMessage() {
  return Cp932("指定されたプレフィックスは他BBSで使用済みです");
}

bool TPrefixInputLogic::Show(const TBBSList* list, int selectBBS) {
  Prefix.clear();
  HostNames.clear();
  list_ = list;
  if (!list || list->empty()) return false;
  for (const BBSListEntry& e : *list)
    HostNames.push_back(e.Name);
  if (selectBBS >= 0 && selectBBS < static_cast<int>(list->size())) {
    HostIndex = selectBBS;
    HostEnabled = false;
  } else {
    HostIndex = 0;
    HostEnabled = true;
  }
  SelectBBS = selectBBS;
  return true;
}

bool TPrefixInputLogic::Ok(const std::string& text, int hostIndex) {
  if (text.empty()) {
    Ui().Warning(NoPrefixMessage());
    return false;
  }
  if (list_ && FindFamilyOfPrefix(*list_, text) >= 0) {
    Ui().Warning(PrefixInUseMessage());
    return false;
  }
  if (!list_ || hostIndex < 0 || hostIndex >= static_cast<int>(list_->size())) return false;
  SelectBBS = hostIndex;
  Prefix = text;
  return true;
}

void TPrefixInputLogic::Cancel() {
  Prefix.clear();
}

}  // namespace vorn
