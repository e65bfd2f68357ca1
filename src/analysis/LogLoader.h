#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/AnalysisCache.h"
#include "analysis/LogList.h"

namespace vorn {

class TBBSProcess;

// The steps of a load that belong to the window: cursor, status text, progress bar, the Busy
// flag and the commands and panels a load disables or empties. The loader calls each hook at
// the point where the window does that step; every default does nothing, so a front end
// without a window overrides only what it shows.
class LoadHooks {
 public:
  virtual ~LoadHooks() = default;
  // A fresh load found its set and is about to replace the loaded data: the window repaints,
  // takes the caption "VornExplorer - " + the set's name and empties the grid (keeping its
  // header row), the article view and the board list. The analyser's data and the log lists
  // are cleared right after this call.
  virtual void FreshLoadStarting(const std::string& /*setName*/) {}
  // Every load past its set, before the first file is read: the window empties its parent-jump
  // history and disables the commands and controls of the reading state.
  virtual void LoadStarting() {}
  // Status panel 0, repainted at once; the empty text clears it.
  virtual void ShowStatus(const std::string& /*text*/) {}
  virtual void SetWaitCursor(bool /*wait*/) {}
  // Set while a file is read and while the analyser runs; the window refuses to close then.
  virtual void SetBusy(bool /*busy*/) {}
  // The progress bar of the file reading: a run of max steps, one step per file, back to 0.
  // (The analysis steps the analyser's own ProgressBar.)
  virtual void ProgressStart(int32_t /*max*/) {}
  virtual void ProgressStep() {}
  virtual void ProgressReset() {}
  // At least one file was read: both reading modes are switched off as their commands do.
  virtual void ReadingModesOff() {}
  // A fresh load, before the lists are read: the article position saved for an add is
  // forgotten.
  virtual void ForgetSavedPosition() {}

  // The progress of the whole load, across all its files: done out of total, both in the
  // same units, which count each byte of the files once as it is read and four times as it is
  // analysed (reading a byte costs about a quarter of analysing it), so that the bar moves at
  // an even pace from the first file read to the last line analysed. Sorting comes after
  // done reaches total. Called often (every few hundred microseconds of work): a window
  // should redraw its bar only when the shown value changes.
  virtual void LoadProgress(int64_t /*done*/, int64_t /*total*/) {}
  // Asked as often, right after the window's messages were processed (Ui().ProcessMessages):
  // true cancels the load. A load is cancelled while it reads and analyses; once the sorting
  // has begun it goes through. A cancelled load returns LoadFailure::Cancelled with what was
  // loaded before it back in place (lines, boards, articles with their read marks and queued
  // writes, members, the set selected); it shows no message.
  virtual bool CancelRequested() { return false; }
};

// Why a load did not reach the reading state.
enum class LoadFailure : int32_t {
  None = 0,
  // No analyser holds a set with the prefix, no set is loaded to add to, or the list of files
  // is empty. Nothing was changed and nothing was shown.
  NoSet,
  // The set's NetNo could not be selected. The user was told; nothing was changed.
  SetNotFound,
  // Not one file could be read. The user was told about every file.
  NoFileRead,
  // AnalyzeLog reported failure. The user was told.
  AnalysisFailed,
  // The analysis left no board. The user was told.
  NoBoards,
  // The window asked to stop (LoadHooks::CancelRequested). What was loaded before is back,
  // BoardLines are its board list lines, and nothing was shown.
  Cancelled,
  // Memory ran out. What was loaded before is back where the load had not yet gone through
  // (BoardLines are its board list lines); the user was told once.
  OutOfMemory,
};

struct LoadResult {
  bool Loaded() const { return Failure == LoadFailure::None; }

  LoadFailure Failure = LoadFailure::None;
  // Files read completely, each followed by the set's end line.
  int32_t FilesLoaded = 0;
  // The set's number, -1 when no set was found.
  int32_t NetNo = -1;
  // First line of the log list the analysis started at: 0 for a fresh load, the line count
  // before the new files for an add.
  int32_t StartLine = 0;
  // The board list lines (BoardListLine of every board, in store order) once the load got that
  // far; the window fills its board list control with them.
  std::vector<std::string> BoardLines;
  // Wall time of reading the files, of AnalyzeLog and of SortData.
  double ReadSeconds = 0;
  double AnalyseSeconds = 0;
  double SortSeconds = 0;
  // Files whose analysis came from the cache, and files whose analysis was kept in it.
  int32_t FilesFromCache = 0;
  int32_t FilesKeptInCache = 0;
  // Files loaded where the index the cache keeps of them put their lines, without being read.
  int32_t FilesIndexedFromCache = 0;
};

// The part of the window's reading state that loading fills: the analysers, the one whose set
// is loaded, the loaded lines and the names of the files they came from.
//
// LoadLogFiles reads, analyses and sorts, then reads back what the set keeps for the next run
// (UP file and PAD file on a fresh load, read pointers on every load). It has no step that writes:
// saving the lists, the read pointers and the UP and PAD files is the end of a run, and belongs to
// its caller.
class TLogSession final {
 public:
  // processList: the analysers, not owned, in the order their sets are looked up (NetVorn
  // family first). CurrentProcess starts as the first of them that holds a set, else the first.
  explicit TLogSession(std::vector<TBBSProcess*> processList);
  TLogSession(const TLogSession&) = delete;
  TLogSession& operator=(const TLogSession&) = delete;

  // Loads the files into the set with the prefix. add false replaces the loaded data; add true
  // appends the files to the set loaded now (CurrentProcess, CurrentPrefix) and analyses from
  // the first new line. Failures are told through Ui() and returned. On success CurrentPrefix
  // is the prefix and every board's Modified flag is cleared. Running out of memory ends the
  // load (LoadFailure::OutOfMemory), never the program.
  LoadResult LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix,
                          bool add, LoadHooks& hooks);
  LoadResult LoadLogFiles(const std::vector<std::string>& files, const std::string& prefix,
                          bool add);

  // The first analyser whose settings hold a set with the prefix (case ignored), or null.
  TBBSProcess* ProcessOfPrefix(const std::string& prefix) const;

  // A path named by the selected set, taken from SettingsFolder when it is relative.
  std::string SetPath(std::string_view path) const;

  // The loaded logs shortened or written anew on disk since they were read: what was shown of
  // them may no longer be their text. (One written on past its end, today's capture, keeps the
  // lines that were read; its new lines come with the next load.)
  std::vector<TLogList::FileChange> LogsChangedOnDisk() const;

  std::vector<TBBSProcess*> ProcessList;
  TBBSProcess* CurrentProcess = nullptr;
  // Prefix of the loaded set; empty while nothing is loaded and during a fresh load.
  std::string CurrentPrefix;
  // Every line of every loaded file, each file followed by the set's end line.
  TLogList LogList{524288, 51200};
  // The system and chat messages the analyser set aside.
  TLogList SystemMsgList{32768, 1024};
  // How many files a load reads at a time, each on a worker thread; 1 reads them one after
  // another on the calling thread. The lines are the same either way.
  int32_t Threads = 1;
  // Where the analysis keeps what it found in each file for the next load; null keeps nothing.
  const AnalysisCache* Cache = nullptr;
  // Cache set to the program's cache folder (CacheFolder), or to none.
  void KeepAnalyses(bool keep);
  // The files read since the last fresh load, as they were named.
  std::vector<std::string> LogFileNames;
  // The folder relative paths of a set are taken from; empty for the program's settings folder.
  std::string SettingsFolder;

 private:
  std::unique_ptr<AnalysisCache> userCache_;
  LoadResult LoadLogFilesOrThrow(const std::vector<std::string>& files, const std::string& prefix,
                                 bool add, LoadHooks& hooks);
};

// The files named on the command line or dropped on the window, and what is to be done with
// them.
struct LogFileGrouping {
  enum Kind : int32_t {
    // Files of one known set: load Files under Prefix.
    OneSet,
    // Files of several known sets: the user chooses one of Prefixes, then LogFilesWithPrefix.
    SeveralSets,
    // No file names a known set but a default prefix is set: every file under Prefix.
    DefaultSet,
    // No file names a known set and there is no default: nothing can be loaded.
    NoSet,
  };
  Kind Result = NoSet;
  // The distinct prefixes (case ignored) of the files that name a set of some analyser, in
  // order of first appearance, spelled as in the first file that has them.
  std::vector<std::string> Prefixes;
  std::string Prefix;
  std::vector<std::string> Files;
};

// Groups files by the prefix of their names (LogNamePrefix).
LogFileGrouping GroupLogFiles(const std::vector<std::string>& files,
                              const std::vector<TBBSProcess*>& processList,
                              const std::string& defaultPrefix);
// The files whose prefix equals the given one, case ignored, in their order.
std::vector<std::string> LogFilesWithPrefix(const std::vector<std::string>& files,
                                            const std::string& prefix);
// Prefixes compare without regard to ASCII case.
bool SameLogPrefix(std::string_view a, std::string_view b);

}  // namespace vorn
