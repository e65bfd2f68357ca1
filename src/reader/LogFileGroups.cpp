#include "reader/LogFileGroups.h"

#include <algorithm>

#include "text/CommonSub.h"

namespace vorn {

bool SamePrefix(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::vector<std::string> KnownLogPrefixes(const std::vector<std::string>& files,
                                          const TBBSList& list) {
  std::vector<std::string> prefixes;
  for (const std::string& file : files) {
    const std::string prefix = LogNamePrefix(file);
    if (prefix.empty() || FindFamilyOfPrefix(list, prefix) < 0) continue;
    if (std::none_of(prefixes.begin(), prefixes.end(),
                     [&](const std::string& p) { return SamePrefix(p, prefix); })) {
      prefixes.push_back(prefix);
    }
  }
  return prefixes;
}

std::vector<std::string> FilesWithPrefix(const std::vector<std::string>& files,
                                         const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& file : files) {
    if (SamePrefix(LogNamePrefix(file), prefix)) out.push_back(file);
  }
  return out;
}

}  // namespace vorn
