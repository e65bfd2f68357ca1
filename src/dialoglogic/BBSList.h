#pragma once

#include <string>
#include <vector>

namespace vorn {

class TBBSIniFile;

// What the settings dialogs are asked to do with a BBS set.
enum TNetSelectSkbn : int {
  NetSelectNone = 0,
  NetSelectNew = 1,
  NetSelectChange = 2,
  NetSelectDel = 3,
  NetSelectCopy = 4,
};

// One host family as the settings dialogs see it: the name shown for the host type and the
// family's settings object (owned by the family's analyser). The main window lists its
// analysers in this form, NetVorn first, Nifty-Serve second.
struct BBSListEntry {
  std::string Name;
  TBBSIniFile* IniFile = nullptr;
};
using TBBSList = std::vector<BBSListEntry>;

// Sets of every family together.
int TotalNetCount(const TBBSList& list);
// Index of the first family whose settings hold a set with the prefix (case ignored), -1 if
// none.
int FindFamilyOfPrefix(const TBBSList& list, const std::string& prefix);

// Where a modal dialog goes the first time it is shown: centred on the parent's rectangle and
// moved left or up when it would reach the right or bottom edge of the screen.
struct DialogPosition {
  int Left = 0;
  int Top = 0;
};
DialogPosition CentredDialogPosition(int parentLeft, int parentTop, int parentWidth,
                                     int parentHeight, int ownWidth, int ownHeight, int screenWidth,
                                     int screenHeight);

}  // namespace vorn
