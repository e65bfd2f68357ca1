#pragma once

#include <string>
#include <vector>

#include "dialogs/BBSList.h"

namespace vorn {

// Log files named on the command line or dropped on the window, grouped by the BBS set their
// names begin with.

// The distinct prefixes (case ignored) of the files that name a set of some family, in the
// order in which they first appear, spelled as in the first file that has them.
std::vector<std::string> KnownLogPrefixes(const std::vector<std::string>& files,
                                          const TBBSList& list);
// The files whose prefix equals the given one, case ignored, in their order.
std::vector<std::string> FilesWithPrefix(const std::vector<std::string>& files,
                                         const std::string& prefix);
// Prefixes compare without regard to ASCII case everywhere.
bool SamePrefix(const std::string& a, const std::string& b);

}  // namespace vorn
