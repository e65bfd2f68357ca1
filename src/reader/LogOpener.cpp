#include "reader/LogOpener.h"

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "reader/LogFileGroups.h"
#include "reader/VornExplorerMain.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"

namespace vorn {

TLogOpener::TLogOpener(TVornExplMain& window) : w_(window) {}
TLogOpener::~TLogOpener() = default;

void TLogOpener::FormActivate() {
  if (w_.PendingFiles.empty()) return;
  // Taken at once: the boxes shown while loading activate the window again.
  std::vector<std::string> files;
  files.swap(w_.PendingFiles);
  if (!LeaveLogSet(true, true)) return;
  const TBBSList& list = w_.BBSList();
  const std::vector<std::string> prefixes = KnownLogPrefixes(files, list);
  if (prefixes.size() == 1) {
    LoadGroup(files, prefixes.front());
  } else if (prefixes.size() > 1) {
    Ui().Information(Cp932("複数BBSのログファイルが指定されています\rBBSを指定して下さい"));
    const TMainDialogHost::NetSelection chosen = w_.Dialogs().SelectNet(list, prefixes);
    if (!chosen.Prefix.empty()) LoadGroup(files, chosen.Prefix);
  } else if (!w_.CommonIni().DefaultPrefix.empty()) {
    const std::string& prefix = w_.CommonIni().DefaultPrefix;
    w_.LoadLogFiles(files, prefix, SamePrefix(prefix, w_.CurrentPrefix));
  } else {
    Ui().Warning(Cp932("指定されたファイルに対するBBS設定がなされていません"));
  }
}

void TLogOpener::LoadGroup(const std::vector<std::string>& files, const std::string& prefix) {
  // The loaded set is the same whatever case the file names spell its prefix in.
  w_.LoadLogFiles(FilesWithPrefix(files, prefix), prefix,
                  !w_.CurrentPrefix.empty() && SamePrefix(prefix, w_.CurrentPrefix));
}

TMainDialogHost::LogFileRequest TLogOpener::LogFileRequestFor(const TBBSIniFile& ini) const {
  return {Cp932("ログファイル指定"), ini.LogPath,
          LogFileFilter(ini.LogMask, w_.CommonIni().LogExtention)};
}

TMainDialogHost::NetSelection TLogOpener::ChooseLogs() {
  const TBBSList& list = w_.BBSList();
  if (TotalNetCount(list) == 1 && w_.CommonIni().LogOpenOnly) {
    for (const BBSListEntry& family : list) {
      TBBSIniFile* ini = family.IniFile;
      if (!ini || ini->GetNetCount() != 1) continue;
      if (!ini->SelectNet(ini->NetNoAt(0))) return {};
      return {ini->Prefix, w_.Dialogs().OpenLogFiles(LogFileRequestFor(*ini))};
    }
    return {};
  }
  return w_.Dialogs().SelectNet(list, {});
}

std::vector<std::string> TLogOpener::ChooseLogsToAdd() {
  const TBBSList& list = w_.BBSList();
  const int family = FindFamilyOfPrefix(list, w_.CurrentPrefix);
  if (family < 0) return {};
  TBBSIniFile& ini = *list[size_t(family)].IniFile;
  if (!ini.SelectNet(ini.NetNoAt(ini.FindPrefix(w_.CurrentPrefix)))) return {};
  return w_.Dialogs().OpenLogFiles(LogFileRequestFor(ini));
}

bool TLogOpener::LoadLogFiles(std::vector<std::string> files, const std::string& prefix, bool add) {
  (void)files;
  (void)prefix;
  (void)add;
  // Loading arrives with the analysers.
  Ui().Information(Cp932("ログの読込みはこの版ではまだ使えません"));
  return false;
}

bool TLogOpener::LeaveLogSet(bool reopen, bool keepData) {
  (void)reopen;
  (void)keepData;
  return true;
}

void TLogOpener::ShowSystemMessages() {}

void TLogOpener::ShowCurrentBoard() {}

bool TLogOpener::BinaryWrites() const {
  return false;
}

bool TLogOpener::BinaryWriteAllowed(const char*) const {
  return false;
}

}  // namespace vorn
