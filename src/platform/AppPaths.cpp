#include "platform/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"

namespace vorn {
namespace {

std::string& OverrideFolder() {
  static std::string folder;
  return folder;
}

std::optional<std::string>& DecidedFolder() {
  static std::optional<std::string> folder;
  return folder;
}

// The Shift-JIS lead byte test of the text layer, repeated here so that this layer stays below it.
bool IsLeadByteHere(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string& FolderProblem() {
  static std::string problem;
  return problem;
}

// The reason of a failed mkdir as the user reads it, with the system's own words after it.
std::string FolderErrorText(int error) {
  const char* reason = nullptr;
  switch (error) {
    case EACCES:
    case EPERM:
      reason = "書込みが許可されていません";
      break;
    case EROFS:
      reason = "読出し専用のファイルシステムです";
      break;
    case EEXIST:
    case ENOTDIR:
      reason = "同じ名前のファイルがあります";
      break;
    case ENOSPC:
    case EDQUOT:
      reason = "ディスクに空きがありません";
      break;
    case ENAMETOOLONG:
      reason = "名前が長すぎます";
      break;
    default:
      break;
  }
  std::string text = reason ? Cp932(reason) + " (" : std::string("(");
  return text + std::strerror(error) + ")";
}

std::string EnvFolder(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return {};
  return FromNativePath(value);
}

}  // namespace

std::string IncludeTrailingSeparator(const std::string& folder) {
  // Walk the characters so that a trail byte equal to the separator is not taken for one.
  bool endsWithSeparator = false;
  for (size_t i = 0; i < folder.size(); ++i) {
    if (IsLeadByteHere(folder[i]) && i + 1 < folder.size()) {
      ++i;
      endsWithSeparator = false;
    } else {
      endsWithSeparator = folder[i] == kPathSeparator;
    }
  }
  return endsWithSeparator ? folder : folder + kPathSeparator;
}

std::string ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::current_path(ec) / "vornexpl";
  return IncludeTrailingSeparator(FromNativePath(exe.parent_path().string()));
}

std::string UserSettingsFolder() {
  std::string base = EnvFolder("XDG_CONFIG_HOME");
  if (base.empty()) {
    std::string home = EnvFolder("HOME");
    if (home.empty()) return {};
    base = IncludeTrailingSeparator(home) + ".config";
  }
  return IncludeTrailingSeparator(IncludeTrailingSeparator(base) + "VornExplorer");
}

std::string UserCacheFolder() {
  std::string base = EnvFolder("XDG_CACHE_HOME");
  if (base.empty()) {
    std::string home = EnvFolder("HOME");
    if (home.empty()) return {};
    base = IncludeTrailingSeparator(home) + ".cache";
  }
  return IncludeTrailingSeparator(IncludeTrailingSeparator(base) + "VornExplorer");
}

std::string ChooseSettingsFolder(const std::string& overrideFolder,
                                 const std::string& programFolder, const std::string& userFolder) {
  if (!overrideFolder.empty()) return IncludeTrailingSeparator(overrideFolder);
  std::string program = IncludeTrailingSeparator(programFolder);
  if (FileExists(program + "vornexpl.ini")) return program;
  if (userFolder.empty()) return program;
  return IncludeTrailingSeparator(userFolder);
}

void SetSettingsFolderOverride(const std::string& folder) {
  OverrideFolder() = folder;
  DecidedFolder().reset();
}

bool TakeSettingsDirOption(std::vector<std::string>& args) {
  static const std::string option = "--settings-dir";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Past "--" every argument is a file name, whatever it looks like.
    if (arg == "--") break;
    if (arg == option) {
      if (i + 1 >= args.size() || args[i + 1].empty()) return false;
      SetSettingsFolderOverride(FromNativePath(args[i + 1]));
      args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
      return true;
    }
    if (arg.compare(0, option.size() + 1, option + "=") == 0) {
      std::string folder = arg.substr(option.size() + 1);
      if (folder.empty()) return false;
      SetSettingsFolderOverride(FromNativePath(folder));
      args.erase(args.begin() + long(i));
      return true;
    }
  }
  return true;
}

std::string MakeFolderPath(const std::string& folder) {
  const std::string native = NativePath(folder);
  // Each folder on the way, from the top: the first one that cannot be made is the one named.
  for (size_t end = native.find('/', 1);; end = native.find('/', end + 1)) {
    const std::string part = native.substr(0, end);
    struct stat st;
    if (!part.empty() && ::stat(part.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return FromNativePath(part) + ": " + FolderErrorText(ENOTDIR);
    } else if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0) {
      const int error = errno;
      // Made by someone else in the meantime: as good as made here.
      if (!(error == EEXIST && ::stat(part.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
        return FromNativePath(part) + ": " + FolderErrorText(error);
    }
    if (end == std::string::npos) break;
  }
  return std::string();
}

std::string SettingsFolder() {
  std::optional<std::string>& decided = DecidedFolder();
  if (!decided) {
    decided = ChooseSettingsFolder(OverrideFolder(), ProgramFolder(), UserSettingsFolder());
    FolderProblem().clear();
    if (!DirectoryExists(*decided)) {
      const std::string why = MakeFolderPath(*decided);
      if (!why.empty()) {
        FolderProblem() = Cp932("設定フォルダを作成出来ません:") + "\r" + *decided + "\r" + why +
                          "\r" + Cp932("設定は保存されません");
      }
    }
  }
  return *decided;
}

std::string SettingsFolderProblem() {
  SettingsFolder();
  return FolderProblem();
}

std::string CacheFolder() {
  const std::string settings = SettingsFolder();
  if (settings == IncludeTrailingSeparator(ProgramFolder()) || UserCacheFolder().empty())
    return settings + "cache/";
  return UserCacheFolder();
}

std::string SettingsFilePath(std::string_view fileName) {
  return SettingsFolder() + std::string(fileName);
}

std::string FindProgramOnPath(std::string_view name) {
  if (name.empty()) return {};
  std::string nativeName = NativePath(name);
  if (nativeName.find('/') != std::string::npos) {
    return ::access(nativeName.c_str(), X_OK) == 0 ? std::string(name) : std::string();
  }
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    size_t colon = rest.find(':');
    std::string_view dir = rest.substr(0, colon);
    // An empty entry of PATH means the current folder.
    std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/" + nativeName;
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
      return FromNativePath(candidate);
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

std::string DefaultEditorCommand() {
#ifdef _WIN32
  return "notepad.exe";
#else
  // Each of these keeps its process until the file is closed; an editor that hands the file to
  // an already running instance and returns at once would end the edit before it began.
  struct Candidate {
    const char* program;
    const char* alsoNeeded;
    const char* commandLine;
  };
  static const Candidate candidates[] = {
      {"gedit", "gedit", "gedit --wait"},
      {"kate", "kate", "kate --block"},
      {"xterm", "vi", "xterm -e vi"},
  };
  for (const Candidate& c : candidates) {
    if (!FindProgramOnPath(c.program).empty() && !FindProgramOnPath(c.alsoNeeded).empty())
      return c.commandLine;
  }
  return candidates[0].commandLine;
#endif
}

}  // namespace vorn
