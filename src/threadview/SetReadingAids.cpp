#include "threadview/SetReadingAids.h"

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "threadview/SetListFiles.h"

namespace vorn {

void TSetReadingAids::Open(const TLogSession& session) {
  const TBBSProcess* process = session.CurrentProcess;
  if (!process || session.CurrentPrefix.empty() || !process->IniFile) {
    Flags.Clear();
    Writers.Clear();
    Threads.Clear();
    FlagFile.clear();
    WriterFile.clear();
    ThreadFile.clear();
    FlagsRead = WritersRead = ThreadsRead = {};
    return;
  }
  const std::string readPtrFile = session.SetPath(process->IniFile->ReadPtrFile);
  const std::string folder =
      session.SettingsFolder.empty() ? SettingsFolder() : session.SettingsFolder;
  FlagFile = SetListFilePath(readPtrFile, session.CurrentPrefix, folder, FlagFileExtension);
  WriterFile = SetListFilePath(readPtrFile, session.CurrentPrefix, folder, WriterListFileExtension);
  Flags.SetMailBox(process->MailBoardNo, process->MailBoardIndex);
  FlagsRead = Flags.LoadFromFile(FlagFile);
  Writers.SetTextIds(process->Members.TextIds != 0);
  WritersRead = Writers.LoadFromFile(WriterFile);
  ThreadFile = SetListFilePath(readPtrFile, session.CurrentPrefix, folder, ThreadListFileExtension);
  ThreadsRead = Threads.LoadFromFile(ThreadFile);
}

bool TSetReadingAids::SaveFlags() const {
  return !FlagFile.empty() && Flags.SaveToFile(FlagFile);
}

bool TSetReadingAids::SaveWriters() const {
  return !WriterFile.empty() && Writers.SaveToFile(WriterFile);
}

bool TSetReadingAids::SaveThreads() const {
  return !ThreadFile.empty() && Threads.SaveToFile(ThreadFile);
}

}  // namespace vorn
