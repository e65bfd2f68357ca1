#include "dialoglogic/NetSelectLogic.h"

#include <algorithm>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

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
                      ResolveSetPath(r.LogPath, base), r.LogMask});
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
