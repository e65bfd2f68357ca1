#include "dialoglogic/BBSSetCommand.h"

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "settings/BBSIniFile.h"

namespace vorn {
namespace {

void DeleteSet(TBBSIniFile& ini, const std::string& prefix) {
  const int index = ini.FindPrefix(prefix);
  if (index < 0) return;
  const int32_t netNo = ini.NetNoAt(index);
  if (!ini.SelectNet(netNo)) return;
  if (!Ui().ConfirmYesNo(Cp932("BBS:") + ini.Name + "\r\n" + Cp932("本当に削除しますか？"))) return;
  if (ini.DeleteNet(netNo)) {
    Ui().Information(Cp932("削除しました"));
  } else {
    Ui().Warning(Cp932("削除に失敗しました"));
  }
}

void RunOnce(const TBBSList& list, TBBSSetDialogs& dialogs) {
  const TBBSSetDialogs::SetChoice choice = dialogs.ChooseSet(list);
  if (choice.Skbn == NetSelectNone) return;
  int family = -1;
  if (choice.Skbn != NetSelectNew) {
    family = FindFamilyOfPrefix(list, choice.SelectPrefix);
    if (family < 0) return;
  }
  std::string writePrefix = choice.SelectPrefix;
  if (choice.Skbn == NetSelectNew || choice.Skbn == NetSelectCopy) {
    const TBBSSetDialogs::PrefixChoice p =
        dialogs.AskPrefix(list, choice.Skbn == NetSelectCopy ? family : -1);
    if (p.Prefix.empty()) return;
    if (choice.Skbn == NetSelectNew) family = p.SelectBBS;
    writePrefix = p.Prefix;
  }
  if (family < 0 || family >= static_cast<int>(list.size()) || !list[size_t(family)].IniFile) {
    return;
  }
  if (choice.Skbn == NetSelectDel) {
    DeleteSet(*list[size_t(family)].IniFile, choice.SelectPrefix);
  } else {
    dialogs.EditSet(list, family, choice.Skbn, choice.SelectPrefix, writePrefix);
  }
}

}  // namespace

int RunBBSSetCommand(const TBBSList& list, TBBSSetDialogs& dialogs) {
  RunOnce(list, dialogs);
  return TotalNetCount(list);
}

}  // namespace vorn
