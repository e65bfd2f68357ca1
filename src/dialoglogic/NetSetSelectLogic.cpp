#include "dialoglogic/NetSetSelectLogic.h"

#include "settings/BBSIniFile.h"

namespace vorn {

void TNetSetSelectLogic::Show(const TBBSList& list) {
  Names.clear();
  Prefixes.clear();
  for (const BBSListEntry& family : list) {
    if (!family.IniFile) continue;
    for (const NetRecord& r : family.IniFile->Nets()) {
      Names.push_back(r.Name);
      Prefixes.push_back(r.Prefix);
    }
  }
  if (Names.empty()) {
    Choice = NetSelectNew;
    Selected = -1;
  } else {
    Choice = NetSelectChange;
    Selected = 0;
  }
}

void TNetSetSelectLogic::Ok() {
  Skbn = Choice;
  SelectPrefix.clear();
  if (Choice != NetSelectNew) {
    if (Selected < 0 || Selected >= static_cast<int>(Prefixes.size())) {
      // Nothing to change, delete or copy: the same as cancelling.
      Skbn = NetSelectNone;
      return;
    }
    SelectPrefix = Prefixes[size_t(Selected)];
  }
}

void TNetSetSelectLogic::Cancel() {
  Skbn = NetSelectNone;
  SelectPrefix.clear();
}

}  // namespace vorn
