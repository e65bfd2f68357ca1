#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorn {

class TBBSIniFile;
class TBBSProcess;
class TLogList;

// The files of the selected BBS set that loading reads, resolved against the folder of the
// family's settings file (a set may name them relative to it).
struct LogSetFiles {
  std::string BoardListFile;
  std::string MemberListFile;
  std::string UpFile;
  std::string PadFile;
  std::string ReadPtrFile;
  std::string LogEndLine;
};
LogSetFiles SelectedSetFiles(const TBBSIniFile& ini);
// The set's log folder, resolved the same way.
std::string SelectedLogFolder(const TBBSIniFile& ini);

// The core of opening logs, without a window: log files into the line store, then the
// analyser over the new lines. The main window wraps every step in its cursor, status texts and
// messages; a tool calls the steps in a row. Steps in order: ReadFiles, (fresh load) LoadLists,
// Analyse, ReadQueuedWrites.
class TLogLoader {
 public:
  TLogLoader(TBBSProcess& process, TLogList& log, TLogList& systemLog);

  // Appends each file to the log in list order and, after each file read whole, the set's end
  // line. The names of the files read are appended to loadedNames; unreadable reports a file
  // that could not be read (lines read before the failure stay). busy is set while a file is
  // being read; fileDone runs after every file. Returns the number of files read.
  int ReadFiles(const std::vector<std::string>& files, const std::string& logEndLine,
                std::vector<std::string>& loadedNames, bool& busy,
                const std::function<void(const std::string&)>& unreadable,
                const std::function<void()>& fileDone);
  // The board list and member list of a fresh load; their result does not stop the load.
  void LoadLists(const LogSetFiles& files);
  // Analyses the lines from startLine on and, when that succeeds, sorts; beforeSort runs in
  // between. busy is set for the whole step. False when the analysis failed.
  bool Analyse(int32_t netNo, int32_t startLine, bool& busy,
               const std::function<void()>& beforeSort);
  // The queued writes of the UP and PAD files and the read pointers; results are not needed.
  void ReadQueuedWrites(const LogSetFiles& files);

 private:
  TBBSProcess& process_;
  TLogList& log_;
  TLogList& systemLog_;
};

}  // namespace vorn
