#include "dialoglogic/NetSelectLogic.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

// A folder as the user would write it: "settings/../" steps taken, links followed as the file
// system follows them, the closing separator kept. A name the file system cannot hold, or one
// of another platform ("C:\logs\"), is left as it is.
std::string NormalisedFolder(const std::string& folder) {
  const std::string native = NativePath(folder);
  const bool otherPlatform =
      native.find('\\') != std::string::npos || (native.size() > 1 && native[1] == ':');
  if (native.empty() || otherPlatform || FromNativePath(native) != folder) return folder;
  std::error_code error;
  std::filesystem::path path = std::filesystem::weakly_canonical(native, error);
  if (error) path = std::filesystem::path(native).lexically_normal();
  std::string normal = path.string();
  if (native.back() == '/' && (normal.empty() || normal.back() != '/')) normal += '/';
  return FromNativePath(normal);
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
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

}  // namespace

FileFilter LogFileFilter(const std::string& logMask, const std::string& logExtention) {
  FileFilter f;
  f.emplace_back(Cp932("指定BBSログファイル(") + logMask + ")", logMask);
  f.emplace_back(Cp932("ログファイル(*.") + logExtention + ")", "*." + logExtention);
  f.emplace_back(Cp932("すべてのファイル(*.*)"), "*.*");
  return f;
}

std::string JoinFileFilter(const FileFilter& filter) {
  std::string out;
  for (const auto& [description, mask] : filter) {
    if (!out.empty()) out += '|';
    out += description + "|" + mask;
  }
  return out;
}

void TNetSelectLogic::Show(const TBBSList& list, const std::vector<std::string>& prefixList) {
  Rows.clear();
  SelectPrefix.clear();
  SelectFilelist.clear();
  PrefixListGiven = !prefixList.empty();
  for (size_t f = 0; f < list.size(); ++f) {
    if (!list[f].IniFile) continue;
    // A set may name its log folder relative to the folder of its settings file.
    const std::string base = ExtractFilePath(list[f].IniFile->FileName());
    for (const NetRecord& r : list[f].IniFile->Nets()) {
      if (PrefixListGiven &&
          std::none_of(prefixList.begin(), prefixList.end(),
                       [&](const std::string& p) { return SameTextIgnoringCase(p, r.Prefix); })) {
        continue;
      }
      Rows.push_back({static_cast<int>(f), r.NetNo, r.Prefix, r.Name,
                      NormalisedFolder(ResolveSetPath(r.LogPath, base)), r.LogMask});
    }
  }
}

bool TNetSelectLogic::Ok(int row) {
  SelectFilelist.clear();
  SelectPrefix.clear();
  if (row < 0 || row >= static_cast<int>(Rows.size())) return false;
  SelectPrefix = Rows[size_t(row)].Prefix;
  return !PrefixListGiven;
}

void TNetSelectLogic::FilesChosen(std::vector<std::string> files) {
  std::sort(files.begin(), files.end());
  SelectFilelist = std::move(files);
}

void TNetSelectLogic::Cancel() {
  SelectPrefix.clear();
  SelectFilelist.clear();
}

std::string TNetSelectLogic::FileDialogFolder(int row) const {
  if (row < 0 || row >= static_cast<int>(Rows.size())) return {};
  return Rows[size_t(row)].LogPath;
}

FileFilter TNetSelectLogic::FileDialogFilter(int row) const {
  const std::string extension = CommonIniFile ? CommonIniFile->LogExtention : "log";
  if (row < 0 || row >= static_cast<int>(Rows.size())) return LogFileFilter("*.*", extension);
  return LogFileFilter(Rows[size_t(row)].LogMask, extension);
}

}  // namespace vorn
