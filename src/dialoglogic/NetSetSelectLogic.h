#pragma once

#include <string>
#include <vector>

#include "dialoglogic/BBSList.h"

namespace vorn {

// What the BBS definition dialog offers and returns: a choice of new, change, delete or copy,
// and for the last three the set they apply to.
class TNetSetSelectLogic {
 public:
  // Lists the name of every set of every family in family order and entry order.
  void Show(const TBBSList& list);

  // Change, delete, copy and the name list are offered only when a set exists.
  bool ChoicesEnabled() const { return !Names.empty(); }
  // The name list is in use for every choice but a new set.
  bool NameListEnabled() const { return ChoicesEnabled() && Choice != NetSelectNew; }

  // OK with the checked choice and the selected name.
  void Ok();
  void Cancel();

  std::vector<std::string> Names;
  std::vector<std::string> Prefixes;  // parallel to Names
  TNetSelectSkbn Choice = NetSelectNew;
  int Selected = -1;

  // Results.
  TNetSelectSkbn Skbn = NetSelectNone;
  std::string SelectPrefix;
};

}  // namespace vorn
