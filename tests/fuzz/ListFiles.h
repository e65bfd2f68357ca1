#pragma once

#include <string>
#include <vector>

#include "store/BoardList.h"
#include "store/MemberList.h"

namespace vorn::fuzz {

// The records of a list as their fields, for comparing a list with the list its own file
// gives back. A text field that ends in a lead byte without its second byte loses that byte in
// the file (it would swallow the closing quote), so such a byte is left out here too.
std::vector<std::string> BoardFields(const TBoardList& boards);
std::vector<std::string> MemberFields(const TMemberList& members);

// Saves the lists to the scratch folder, reads the files into fresh lists, and checks that
// they hold the same records. Boards whose number is not settled are never saved and are left
// out of the comparison.
void CheckListsRoundTrip(const TBoardList& boards, TMemberList& members);

}  // namespace vorn::fuzz
