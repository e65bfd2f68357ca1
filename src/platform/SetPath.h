#pragma once

#include <string>
#include <string_view>

namespace vorn {

// The files a BBS set names (board list, member list, read pointers, UP, PAD, footer, log
// folder) may be given relative to the settings folder, so that a settings folder keeps
// working wherever it is copied. A relative path is taken from folder (a folder ending with
// its separator, as SettingsFolder gives it); an absolute path ('/' or '\' first, or a drive
// letter and ':') and the empty text (no file) stay as they are.
std::string ResolveSetPath(std::string_view path, std::string_view folder);

// The same against the program's settings folder (AppPaths).
std::string ResolveSetPath(std::string_view path);

}  // namespace vorn
