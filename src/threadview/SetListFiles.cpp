#include "threadview/SetListFiles.h"

#include "platform/AppPaths.h"
#include "platform/FileQuery.h"

namespace vorn {
namespace {

bool IsUpperCaseWord(std::string_view text) {
  bool letter = false;
  for (const char c : text) {
    if (c >= 'a' && c <= 'z') return false;
    if (c >= 'A' && c <= 'Z') letter = true;
  }
  return letter;
}

std::string Cased(std::string_view extension, bool upper) {
  std::string out(extension);
  if (upper) {
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
  }
  return out;
}

}  // namespace

std::string SetListFilePath(std::string_view readPtrFile, std::string_view prefix,
                            std::string_view settingsFolder, std::string_view extension) {
  if (readPtrFile.empty()) {
    return IncludeTrailingSeparator(std::string(settingsFolder)) + std::string(prefix) + "." +
           Cased(extension, IsUpperCaseWord(prefix));
  }
  const std::string path(readPtrFile);
  const std::string folder = ExtractFilePath(path);
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string oldExtension = dot == std::string::npos ? stem : name.substr(dot + 1);
  const std::string result = folder + stem + "." + Cased(extension, IsUpperCaseWord(oldExtension));
  // A read-pointer file that has the list's own extension keeps its name for itself.
  return result == path ? path + "." + Cased(extension, IsUpperCaseWord(oldExtension)) : result;
}

}  // namespace vorn
