#include "platform/SetPath.h"

#include "platform/AppPaths.h"

namespace vorn {
namespace {

bool IsAbsolutePath(std::string_view path) {
  if (path.empty()) return false;
  if (path[0] == '/' || path[0] == '\\') return true;
  const unsigned char drive = static_cast<unsigned char>(path[0]);
  return path.size() >= 2 && path[1] == ':' &&
         ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'));
}

}  // namespace

std::string ResolveSetPath(std::string_view path, std::string_view folder) {
  if (path.empty() || IsAbsolutePath(path) || folder.empty()) return std::string(path);
  return IncludeTrailingSeparator(std::string(folder)) + std::string(path);
}

std::string ResolveSetPath(std::string_view path) {
  if (path.empty() || IsAbsolutePath(path)) return std::string(path);
  return ResolveSetPath(path, SettingsFolder());
}

}  // namespace vorn
