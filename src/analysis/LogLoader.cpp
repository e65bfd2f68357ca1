#include "analysis/LogLoader.h"

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "settings/BBSIniFile.h"

namespace vorn {
namespace {

// Clears a flag however the step ends.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

LogSetFiles SelectedSetFiles(const TBBSIniFile& ini) {
  const std::string folder = ExtractFilePath(ini.FileName());
  LogSetFiles f;
  f.BoardListFile = ResolveSetPath(ini.BoardListFile, folder);
  f.MemberListFile = ResolveSetPath(ini.MemberListFile, folder);
  f.UpFile = ResolveSetPath(ini.UpFile, folder);
  f.PadFile = ResolveSetPath(ini.PadFile, folder);
  f.ReadPtrFile = ResolveSetPath(ini.ReadPtrFile, folder);
  f.LogEndLine = ini.LogEndLine;
  return f;
}

std::string SelectedLogFolder(const TBBSIniFile& ini) {
  return ResolveSetPath(ini.LogPath, ExtractFilePath(ini.FileName()));
}

TLogLoader::TLogLoader(TBBSProcess& process, TLogList& log, TLogList& systemLog)
    : process_(process), log_(log), systemLog_(systemLog) {}

int TLogLoader::ReadFiles(const std::vector<std::string>& files, const std::string& logEndLine,
                          std::vector<std::string>& loadedNames, bool& busy,
                          const std::function<void(const std::string&)>& unreadable,
                          const std::function<void()>& fileDone) {
  int loaded = 0;
  for (const std::string& file : files) {
    int32_t result;
    {
      BusyScope scope(busy);
      result = log_.LoadFromFile(file);
    }
    if (result != TLogList::LoadOk) {
      if (unreadable) unreadable(file);
    } else {
      loadedNames.push_back(file);
      log_.AddLine(logEndLine);
      ++loaded;
    }
    if (fileDone) fileDone();
  }
  return loaded;
}

void TLogLoader::LoadLists(const LogSetFiles& files) {
  process_.LoadLists(files.BoardListFile, files.MemberListFile);
}

bool TLogLoader::Analyse(int32_t netNo, int32_t startLine, bool& busy,
                         const std::function<void()>& beforeSort) {
  BusyScope scope(busy);
  if (!process_.AnalyzeLog(netNo, log_, systemLog_, startLine)) return false;
  if (beforeSort) beforeSort();
  process_.SortData();
  return true;
}

void TLogLoader::ReadQueuedWrites(const LogSetFiles& files) {
  process_.ReadUpFile(files.UpFile);
  process_.ReadPadFile(files.PadFile);
  process_.LoadReadPointers(files.ReadPtrFile);
}

}  // namespace vorn
