#pragma once

#include <map>
#include <set>
#include <string>

namespace vorn::test {

// A read-pointer file as its boards and their lines, whatever order the boards come in.
std::map<std::string, std::multiset<std::string>> PointerEntries(const std::string& path);

}  // namespace vorn::test
