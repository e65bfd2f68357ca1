#pragma once

#include <string>
#include <vector>

#include "dialoglogic/BBSList.h"

namespace vorn {

// The prefix of a new set and the host family it belongs to.
class TPrefixInputLogic {
 public:
  // selectBBS is the family of the set being copied, or -1 for a new set (any family may be
  // chosen). False when there is no family at all: the dialog closes at once.
  bool Show(const TBBSList* list, int selectBBS);

  // OK with the typed prefix and the chosen family. True closes the dialog; a refusal has been
  // reported to the user and keeps it open.
  bool Ok(const std::string& text, int hostIndex);
  void Cancel();

  std::vector<std::string> HostNames;
  int HostIndex = 0;
  bool HostEnabled = true;

  // Results.
  std::string Prefix;
  int SelectBBS = -1;

 private:
  const TBBSList* list_ = nullptr;
};

// The refusals of a prefix, shared with the set dialog.
std::string NoPrefixMessage();
std::string PrefixInUseMessage();

}  // namespace vorn
