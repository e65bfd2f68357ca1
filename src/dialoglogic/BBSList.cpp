#include "dialoglogic/BBSList.h"

#include "settings/BBSIniFile.h"

namespace vorn {

int TotalNetCount(const TBBSList& list) {
  int total = 0;
  for (const BBSListEntry& e : list) {
    if (e.IniFile) total += e.IniFile->GetNetCount();
  }
  return total;
}

int FindFamilyOfPrefix(const TBBSList& list, const std::string& prefix) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].IniFile && list[i].IniFile->FindPrefix(prefix) >= 0) return static_cast<int>(i);
  }
  return -1;
}

DialogPosition CentredDialogPosition(int parentLeft, int parentTop, int parentWidth,
                                     int parentHeight, int ownWidth, int ownHeight, int screenWidth,
                                     int screenHeight) {
  DialogPosition p;
  p.Left = parentLeft + parentWidth / 2 - ownWidth / 2;
  p.Top = parentTop + parentHeight / 2 - ownHeight / 2;
  if (p.Left + ownWidth >= screenWidth) p.Left = screenWidth - ownWidth - 1;
  if (p.Top + ownHeight >= screenHeight) p.Top = screenHeight - ownHeight - 1;
  // A parent partly off the left or top edge must not push the dialog's title bar off screen.
  if (p.Left < 0) p.Left = 0;
  if (p.Top < 0) p.Top = 0;
  return p;
}

}  // namespace vorn
