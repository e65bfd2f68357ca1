#pragma once

#include <string>

#include "dialoglogic/BBSList.h"

namespace vorn {

// The three dialogs the BBS settings command runs, shown by the main window (or a test).
class TBBSSetDialogs {
 public:
  virtual ~TBBSSetDialogs() = default;
  struct SetChoice {
    TNetSelectSkbn Skbn = NetSelectNone;
    std::string SelectPrefix;
  };
  struct PrefixChoice {
    std::string Prefix;  // empty when cancelled
    int SelectBBS = -1;
  };
  // The BBS definition dialog.
  virtual SetChoice ChooseSet(const TBBSList& list) = 0;
  // The prefix dialog; selectBBS is the fixed family of a copy or -1.
  virtual PrefixChoice AskPrefix(const TBBSList& list, int selectBBS) = 0;
  // The family's set dialog.
  virtual void EditSet(const TBBSList& list, int family, TNetSelectSkbn skbn,
                       const std::string& readPrefix, const std::string& writePrefix) = 0;
};

// Creates, changes, copies or deletes one BBS set through the dialogs. Returns the number of
// sets of all families afterwards, which decides whether logs can be opened.
int RunBBSSetCommand(const TBBSList& list, TBBSSetDialogs& dialogs);

}  // namespace vorn
