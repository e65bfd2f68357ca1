#include "analysis/LogLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogReadWorkers.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "store/ArticleList.h"
#include "store/BlockMemory.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// The cache finds a file's findings by its path: the same file named from another folder is
// the same file.
std::string AbsoluteLogPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) return path;
  return IncludeTrailingSeparator(FromNativePath(cwd)) + path;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The board list lines of what was loaded before a load that was given up. Unlike FillBoardList
// the boards stay marked as changed where they were: a write not yet in the UP file is then
// still offered for it at the end of the run.
std::vector<std::string> BoardLinesKeepingMarks(const TBBSProcess& process) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(process.Boards.Count()));
  for (int32_t b = 0; b < process.Boards.Count(); ++b)
    lines.push_back(BoardListLine(process, b));
  return lines;
}

// Puts the window back into its idle look when an exception (memory exhausted) leaves the load
// half-way: normal cursor, progress bar 0, status text empty, not busy.
class IdleOnUnwind {
 public:
  explicit IdleOnUnwind(LoadHooks& hooks) : hooks_(hooks) {}
  ~IdleOnUnwind() {
    if (!armed_) return;
    hooks_.SetBusy(false);
    hooks_.SetWaitCursor(false);
    hooks_.ProgressReset();
    hooks_.ShowStatus(std::string());
  }
  IdleOnUnwind(const IdleOnUnwind&) = delete;
  IdleOnUnwind& operator=(const IdleOnUnwind&) = delete;
  void Disarm() { armed_ = false; }

 private:
  LoadHooks& hooks_;
  bool armed_ = true;
};

// What a load gives up to when it is cancelled: everything it may change, as it was.
//
// A fresh load replaces the loaded data: the data is moved aside whole (nothing is copied) and
// the load fills empty lists; giving up moves it back. An add changes the loaded data in place
// (the window keeps pointing at its boards): the records are copied first and written back.
class LoadUndo {
 public:
  // Neither given up nor let go (an exception left the load): what was loaded comes back.
  ~LoadUndo() { Restore(); }
  LoadUndo(const LoadUndo&) = delete;
  LoadUndo& operator=(const LoadUndo&) = delete;

  // loaded: the analyser whose set was loaded before this load (the session's CurrentProcess).
  LoadUndo(TLogSession& session, TBBSProcess& process, TBBSProcess* loaded)
      : session_(session),
        process_(process),
        previousProcess_(loaded),
        heldLog_(session.LogList.BlockSize(), 51200),
        heldMessages_(session.SystemMsgList.BlockSize(), 1024),
        heldMembers_(process.Members.TextIds != 0) {}

  // Before a fresh load: the loaded data goes aside and the lists are left empty.
  void MoveAside() {
    fresh_ = true;
    SaveScalars();
    previousPrefix_ = session_.CurrentPrefix;
    heldBoards_.Swap(process_.Boards);
    heldMembers_.Swap(process_.Members);
    heldLog_.Swap(session_.LogList);
    heldMessages_.Swap(session_.SystemMsgList);
    heldFileNames_.swap(session_.LogFileNames);
    armed_ = true;
  }

  // Before an add: a copy of every record the analysis may change or add to. False when there
  // is no memory for it; the add then cannot be cancelled.
  bool Copy() {
    fresh_ = false;
    SaveScalars();
    previousPrefix_ = session_.CurrentPrefix;
    logMark_ = session_.LogList.End();
    messagesMark_ = session_.SystemMsgList.End();
    fileNames_ = session_.LogFileNames.size();
    try {
      boards_ = process_.Boards.CopyRecords();
      members_ = process_.Members.CopyRecords();
      membersDeleted_ = process_.Members.DeletedCount;
      membersModified_ = process_.Members.Modified;
      membersReported_ = process_.Members.MemoryReported;
      boardsReported_ = process_.Boards.MemoryReported;
      articles_.reserve(static_cast<size_t>(process_.Boards.Count()));
      for (int32_t b = 0; b < process_.Boards.Count(); ++b) {
        const TArticleList* list = process_.Boards.GetArticles(b);
        articles_.push_back(list ? list->SaveState() : TArticleList::SavedState());
      }
    } catch (const std::bad_alloc&) {
      boards_ = {};
      members_ = {};
      articles_ = {};
      return false;
    }
    armed_ = true;
    return true;
  }

  bool Armed() const { return armed_; }

  // The load went through: what was held goes.
  void Drop() { armed_ = false; }

  // The load is given up: the data is back as it was before it.
  void Restore() {
    if (!armed_) return;
    armed_ = false;
    if (fresh_) {
      process_.Boards.Swap(heldBoards_);
      process_.Members.Swap(heldMembers_);
      session_.LogList.Swap(heldLog_);
      session_.SystemMsgList.Swap(heldMessages_);
      session_.LogFileNames.swap(heldFileNames_);
    } else {
      for (int32_t b = 0; b < process_.Boards.Count() && static_cast<size_t>(b) < articles_.size();
           ++b) {
        if (TArticleList* list = process_.Boards.GetArticles(b)) list->RestoreState(articles_[b]);
      }
      process_.Boards.RestoreBoards(boards_);
      process_.Boards.MemoryReported = boardsReported_;
      process_.Members.RestoreRecords(members_);
      process_.Members.DeletedCount = membersDeleted_;
      process_.Members.Modified = membersModified_;
      process_.Members.MemoryReported = membersReported_;
      session_.LogList.TruncateTo(logMark_);
      session_.SystemMsgList.TruncateTo(messagesMark_);
      session_.LogFileNames.resize(fileNames_);
    }
    process_.NetNo = netNo_;
    process_.MailBoardNo = mailBoardNo_;
    process_.MailBoardIndex = mailBoardIndex_;
    process_.WriteArticleNo = writeArticleNo_;
    process_.GenerateBoardTitle = generateBoardTitle_;
    process_.HeaderOffset = headerOffset_;
    process_.OutputFilesKnown.swap(outputFilesKnown_);
    session_.CurrentProcess = previousProcess_;
    session_.CurrentPrefix = previousPrefix_;
    // The load selected its own set in the settings; the loaded one is selected again, so
    // that what the window reads of the set (its files, its patterns) is the loaded set's.
    TBBSProcess* loaded = session_.CurrentProcess;
    if (loaded && loaded->IniFile && !session_.CurrentPrefix.empty()) {
      const int32_t index = loaded->IniFile->FindPrefix(session_.CurrentPrefix);
      if (index >= 0) loaded->IniFile->SelectNet(loaded->IniFile->NetNoAt(index));
    }
  }

 private:
  void SaveScalars() {
    netNo_ = process_.NetNo;
    mailBoardNo_ = process_.MailBoardNo;
    mailBoardIndex_ = process_.MailBoardIndex;
    writeArticleNo_ = process_.WriteArticleNo;
    generateBoardTitle_ = process_.GenerateBoardTitle;
    headerOffset_ = process_.HeaderOffset;
    // Which UP and PAD files are this run's own: the end of the run keeps any other aside.
    outputFilesKnown_ = process_.OutputFilesKnown;
  }

  TLogSession& session_;
  TBBSProcess& process_;
  TBBSProcess* previousProcess_;
  bool armed_ = false;
  bool fresh_ = false;
  std::string previousPrefix_;
  int32_t netNo_ = -1, mailBoardNo_ = -1, writeArticleNo_ = 0, headerOffset_ = 0;
  std::string mailBoardIndex_, generateBoardTitle_;
  std::map<std::string, std::string> outputFilesKnown_;
  // A fresh load's: the data moved aside.
  TBoardList heldBoards_;
  TLogList heldLog_;
  TLogList heldMessages_;
  TMemberList heldMembers_;
  std::vector<std::string> heldFileNames_;
  // An add's: copies and marks.
  std::vector<char> boards_, members_;
  int32_t membersDeleted_ = 0;
  uint8_t membersModified_ = 0, membersReported_ = 0, boardsReported_ = 0;
  std::vector<TArticleList::SavedState> articles_;
  TLogList::Mark logMark_, messagesMark_;
  size_t fileNames_ = 0;
};

// Counts a load's progress in bytes of its files and asks the window whether to go on. A byte
// counts once as it is read and four times as it is analysed, which is about what each costs,
// so that the bar moves at an even pace.
class LoadProgressCounter final : public TLogList::LoadWatcher, public AnalysisProgress {
 public:
  static constexpr int64_t kReadWeight = 1;
  static constexpr int64_t kAnalyseWeight = 4;

  LoadProgressCounter(LoadHooks& hooks, const std::vector<std::string>& files) : hooks_(hooks) {
    for (const std::string& file : files) {
      struct stat info;
      const int64_t size =
          ::stat(NativePath(file).c_str(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : 0;
      sizes_.push_back(size);
      totalBytes_ += size;
    }
    total_ = totalBytes_ * (kReadWeight + kAnalyseWeight);
  }

  int64_t TotalBytes() const { return totalBytes_; }
  int64_t FileSize(size_t file) const { return file < sizes_.size() ? sizes_[file] : 0; }

  // Reading: file number `file` starts.
  void StartFile(size_t file) {
    file_ = file;
    fileRead_ = 0;
  }
  // The file was read (or given up) from line `first` to before line `end`.
  void FileDone(int32_t first, int32_t end) {
    readBefore_ += sizes_[file_];
    fileRead_ = 0;
    files_.push_back({first, end, sizes_[file_]});
    Report();
  }
  void FileBytesRead(uint64_t bytes) override {
    fileRead_ = std::min<int64_t>(static_cast<int64_t>(bytes), sizes_[file_]);
    Report();
  }
  // Reading on workers: bytes of the current file read so far, and of the files after it.
  void WorkersRead(uint64_t fileBytes, int64_t ahead) {
    fileRead_ = std::min<int64_t>(static_cast<int64_t>(fileBytes), sizes_[file_]);
    ahead_ = ahead;
    Report();
  }
  bool StopReading() override { return Cancel(); }

  // Analysis: steps of 1000 lines from the first line analysed, passed on to the window's own
  // bar.
  void StartAnalysis(int32_t startLine, AnalysisProgress* forward) {
    startLine_ = startLine;
    forward_ = forward;
    steps_ = 0;
  }
  void SetMax(int max) override {
    if (forward_) forward_->SetMax(max);
  }
  void Step() override {
    if (forward_) forward_->Step();
    ++steps_;
    analysed_ = BytesBefore(startLine_ + steps_ * 1000);
    Report();
  }
  bool Cancelled() override { return Cancel(); }
  void AnalysisDone() {
    analysed_ = readBefore_;
    Report();
  }

  // The window asked to stop, now or before.
  bool Cancel() {
    if (!cancelled_) cancelled_ = hooks_.CancelRequested();
    return cancelled_;
  }
  bool WasCancelled() const { return cancelled_; }

 private:
  struct FileLines {
    int32_t first;
    int32_t end;
    int64_t bytes;
  };

  // Bytes of the files read before a line, the file it lies in counted by its share of lines.
  int64_t BytesBefore(int64_t line) const {
    int64_t bytes = 0;
    for (const FileLines& f : files_) {
      if (line >= f.end) {
        bytes += f.bytes;
      } else if (line > f.first) {
        bytes += f.bytes * (line - f.first) / (f.end - f.first);
        break;
      } else {
        break;
      }
    }
    return bytes;
  }

  void Report() {
    const int64_t read = std::min(readBefore_ + fileRead_ + ahead_, totalBytes_);
    const int64_t done = read * kReadWeight + std::min(analysed_, readBefore_) * kAnalyseWeight;
    if (done == reported_) return;
    reported_ = done;
    hooks_.LoadProgress(done, total_);
  }

  LoadHooks& hooks_;
  std::vector<int64_t> sizes_;
  std::vector<FileLines> files_;
  int64_t totalBytes_ = 0;
  int64_t total_ = 0;
  size_t file_ = 0;
  int64_t fileRead_ = 0;
  int64_t ahead_ = 0;
  int64_t readBefore_ = 0;
  int64_t analysed_ = 0;
  int64_t reported_ = -1;
  int32_t startLine_ = 0;
  int64_t steps_ = 0;
  AnalysisProgress* forward_ = nullptr;
  bool cancelled_ = false;
};

// The read marks of the articles loaded before an add, by article list and by each article's key
// and time as the log gave them (an add sorts the lists again, which moves their records): the
// read-pointer file the add applies is what the run began with, and what the user has marked
// read or unread since stays as the user left it. An article that was only a placeholder before
// is new to the run and takes its mark from the file.
class ReadMarksBeforeAdd {
 public:
  explicit ReadMarksBeforeAdd(TBBSProcess& process) {
    for (int32_t b = 0; b < process.Boards.Count(); ++b) {
      TArticleList* list = process.Boards.GetArticles(b);
      if (!list) continue;
      std::unordered_map<uint64_t, uint8_t>& marks = boards_[list];
      marks.reserve(static_cast<size_t>(list->Count()));
      for (int32_t i = 0; i < list->Count(); ++i) {
        const ArticleRecord* r = list->Entry(i);
        if (r && r->Used && r->Kind != ArticleKindMissingRoot)
          marks[Identity(*r)] = static_cast<uint8_t>(r->ReadFlag | (r->NewFlag << 1));
      }
    }
  }
  void PutBack() const {
    for (const auto& [list, marks] : boards_) {
      for (int32_t i = 0; i < list->Count(); ++i) {
        ArticleRecord* r = list->Entry(i);
        if (!r || !r->Used || r->Kind == ArticleKindMissingRoot) continue;
        const auto found = marks.find(Identity(*r));
        if (found == marks.end()) continue;
        r->ReadFlag = found->second & 1;
        r->NewFlag = (found->second >> 1) & 1;
      }
    }
  }

 private:
  static uint64_t Identity(const ArticleRecord& r) {
    const int64_t offset = r.Rebased ? RebaseOffset : 0;
    return (static_cast<uint64_t>(static_cast<uint32_t>(r.ArticleKey + offset)) << 32) |
           static_cast<uint32_t>(r.PostTime + offset);
  }
  std::unordered_map<TArticleList*, std::unordered_map<uint64_t, uint8_t>> boards_;
};

LoadResult Failed(LoadResult result, LoadFailure failure) {
  result.Failure = failure;
  return result;
}

}  // namespace

bool SameLogPrefix(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // The second byte of a double-byte character is compared as it is, so that two different
  // characters never fold together.
  bool trail = false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (trail ? a[i] != b[i] : AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    trail = !trail && IsLeadByte(a[i]);
  }
  return true;
}

std::vector<std::string> LogFilesWithPrefix(const std::vector<std::string>& files,
                                            const std::string& prefix) {
  std::vector<std::string> matching;
  for (const std::string& file : files) {
    if (SameLogPrefix(LogNamePrefix(file), prefix)) matching.push_back(file);
  }
  return matching;
}

LogFileGrouping GroupLogFiles(const std::vector<std::string>& files,
                              const std::vector<TBBSProcess*>& processList,
                              const std::string& defaultPrefix) {
  LogFileGrouping grouping;
  for (const std::string& file : files) {
    const std::string prefix = LogNamePrefix(file);
    bool seen = false;
    for (const std::string& known : grouping.Prefixes)
      seen = seen || SameLogPrefix(known, prefix);
    if (seen) continue;
    for (const TBBSProcess* process : processList) {
      if (process && process->IniFile && process->IniFile->FindPrefix(prefix) >= 0) {
        grouping.Prefixes.push_back(prefix);
        break;
      }
    }
  }
  if (grouping.Prefixes.size() == 1) {
    grouping.Result = LogFileGrouping::OneSet;
    grouping.Prefix = grouping.Prefixes.front();
    grouping.Files = LogFilesWithPrefix(files, grouping.Prefix);
  } else if (grouping.Prefixes.size() > 1) {
    grouping.Result = LogFileGrouping::SeveralSets;
  } else if (!defaultPrefix.empty()) {
    grouping.Result = LogFileGrouping::DefaultSet;
    grouping.Prefix = defaultPrefix;
    grouping.Files = files;
  }
  return grouping;
}

TLogSession::TLogSession(std::vector<TBBSProcess*> processList)
    : ProcessList(std::move(processList)) {
  for (TBBSProcess* process : ProcessList) {
    if (process && process->IniFile && process->IniFile->GetNetCount() > 0) {
      CurrentProcess = process;
      break;
    }
  }
  if (!CurrentProcess && !ProcessList.empty()) CurrentProcess = ProcessList.front();
}

TBBSProcess* TLogSession::ProcessOfPrefix(const std::string& prefix) const {
  for (TBBSProcess* process : ProcessList) {
    if (process && process->IniFile && process->IniFile->FindPrefix(prefix) >= 0) return process;
  }
  return nullptr;
}

std::vector<TLogList::FileChange> TLogSession::LogsChangedOnDisk() const {
  std::vector<TLogList::FileChange> changed = LogList.ChangedFiles();
  std::erase_if(changed, [](const TLogList::FileChange& change) {
    return change.state == MappedFileState::Appended;
  });
  return changed;
}

std::string TLogSession::SetPath(std::string_view path) const {
  return SettingsFolder.empty() ? ResolveSetPath(path) : ResolveSetPath(path, SettingsFolder);
}

void TLogSession::KeepAnalyses(bool keep) {
  if (keep && !userCache_) userCache_ = std::make_unique<AnalysisCache>(CacheFolder());
  Cache = keep ? userCache_.get() : nullptr;
}

LoadResult TLogSession::LoadLogFiles(const std::vector<std::string>& files,
                                     const std::string& prefix, bool add) {
  LoadHooks none;
  return LoadLogFiles(files, prefix, add, none);
}

LoadResult TLogSession::LoadLogFiles(const std::vector<std::string>& files,
                                     const std::string& prefix, bool add, LoadHooks& hooks) {
  try {
    return LoadLogFilesOrThrow(files, prefix, add, hooks);
  } catch (const std::bad_alloc&) {
    // The load's undo has put back what was loaded before, unless the load had gone through
    // already; the window is idle again.
  }
  LoadResult result;
  std::string message = Cp932("ログ読込み中にメモリ不足が発生しました\rログ読込みを中止しました");
  if (CurrentProcess && !CurrentPrefix.empty()) {
    message += Cp932("\r読込み前のログと書込みはそのまま残っています");
    try {
      result.BoardLines = BoardLinesKeepingMarks(*CurrentProcess);
    } catch (const std::bad_alloc&) {
      result.BoardLines.clear();
    }
  }
  Ui().Warning(message);
  return Failed(std::move(result), LoadFailure::OutOfMemory);
}

LoadResult TLogSession::LoadLogFilesOrThrow(const std::vector<std::string>& files,
                                            const std::string& prefix, bool add, LoadHooks& hooks) {
  LoadResult result;

  // The set. A fresh load takes the first analyser that knows the prefix; an add looks the
  // loaded set up again on the analyser that holds it.
  TBBSProcess* const loadedProcess = CurrentProcess;
  TBBSProcess* process = nullptr;
  if (add) {
    if (!CurrentProcess || CurrentPrefix.empty() || !CurrentProcess->IniFile ||
        CurrentProcess->IniFile->FindPrefix(CurrentPrefix) < 0)
      return Failed(std::move(result), LoadFailure::NoSet);
    process = CurrentProcess;
  } else {
    process = ProcessOfPrefix(prefix);
    if (!process) return Failed(std::move(result), LoadFailure::NoSet);
    CurrentProcess = process;
  }
  TBBSIniFile& ini = *process->IniFile;
  result.NetNo = ini.NetNoAt(ini.FindPrefix(add ? CurrentPrefix : prefix));
  if (files.empty()) return Failed(std::move(result), LoadFailure::NoSet);
  if (!ini.SelectNet(result.NetNo)) {
    Ui().Warning(Cp932("指定されたNetNo:") + std::to_string(result.NetNo) +
                 Cp932("の設定が見つかりません"));
    return Failed(std::move(result), LoadFailure::SetNotFound);
  }

  IdleOnUnwind idle(hooks);
  LoadProgressCounter progress(hooks, files);
  // Held until the load has gone through, so that cancelling it gives back what was loaded.
  auto undo = std::make_unique<LoadUndo>(*this, *process, loadedProcess);
  if (add) {
    result.StartLine = LogList.Count();
    undo->Copy();
  } else {
    undo->MoveAside();
    CurrentPrefix.clear();
    hooks.FreshLoadStarting(ini.Name);
    process->WriteArticleNo = 0;
    process->ClearData();
    result.StartLine = 0;
  }
  hooks.LoadStarting();
  // A cancelled load ends here: the data it replaced or changed is as it was.
  auto cancelled = [&]() {
    hooks.SetBusy(false);
    hooks.SetWaitCursor(false);
    hooks.ProgressReset();
    hooks.ShowStatus(std::string());
    idle.Disarm();
    undo->Restore();
    undo.reset();
    if (CurrentProcess && !CurrentPrefix.empty())
      result.BoardLines = BoardLinesKeepingMarks(*CurrentProcess);
    return Failed(std::move(result), LoadFailure::Cancelled);
  };
  auto cancelRequested = [&]() { return undo->Armed() && progress.Cancel(); };

  // Reading. What the set keeps is named by the selected set; the analysis below selects it
  // again, so the paths are taken now.
  const std::string logEndLine = ini.LogEndLine;
  const std::string boardListFile = SetPath(ini.BoardListFile);
  const std::string memberListFile = SetPath(ini.MemberListFile);
  const std::string upFile = SetPath(ini.UpFile);
  const std::string padFile = SetPath(ini.PadFile);
  const std::string readPtrFile = SetPath(ini.ReadPtrFile);

  static const std::string kReading = Cp932("ログファイル読込み中...");
  static const std::string kFile = Cp932("ファイル:");
  static const std::string kUnreadable = Cp932("読込み出来ません");
  hooks.ProgressStart(static_cast<int32_t>(files.size()));
  hooks.ShowStatus(kReading);
  hooks.SetWaitCursor(true);
  // Lines and records are stored on this thread while the workers read and walk, and the
  // pages they go to can be touched on a core the workers leave idle. The sort that follows
  // keeps every core busy itself.
  std::optional<ScopedRegionPrefault> prefault(std::in_place, Threads > 1);
  auto phase = std::chrono::steady_clock::now();
  const TLogList::Mark readMark = LogList.End();
  const size_t namesBefore = LogFileNames.size();
  // Each file's stamp before it is read (workers read ahead), to be kept with what the
  // analysis finds in it when the file did not change while it was read.
  std::vector<AnalysedFile> analysedFiles;
  if (Cache) {
    analysedFiles.resize(files.size());
    for (size_t f = 0; f < files.size(); ++f) {
      analysedFiles[f].path = AbsoluteLogPath(files[f]);
      analysedFiles[f].stamp = StampOfFile(files[f]);
    }
  }
  // Several files are read at a time on workers; the lines are taken in file order, so that
  // the log is the same as read one file after another.
  std::unique_ptr<LogReadWorkers> workers;
  if (Threads > 1 && files.size() > 1) {
    workers = std::make_unique<LogReadWorkers>(files, Threads, LogList.BlockSize(), Cache,
                                               Cache ? &analysedFiles : nullptr);
    if (!workers->Start()) workers.reset();
  }
  // Waiting for a worker keeps the window alive, follows the workers' bytes and asks whether
  // to go on, as reading a file here does.
  auto readOnWorkers = [&](size_t f, bool& indexed) {
    auto lookUp = [&]() {
      Ui().ProcessMessages();
      int64_t ahead = 0;
      for (size_t k = f + 1; k < files.size() && k <= f + static_cast<size_t>(Threads); ++k)
        ahead +=
            std::min<int64_t>(static_cast<int64_t>(workers->BytesRead(k)), progress.FileSize(k));
      progress.WorkersRead(workers->BytesRead(f), ahead);
      return !undo->Armed() || !progress.StopReading();
    };
    int32_t read = workers->Wait(f, lookUp);
    if (AnalysisCache::LineIndexEntry* kept =
            read == TLogList::LoadOk ? workers->KeptIndex(f) : nullptr) {
      read = ReadLogFile(LogList, files[f], Cache, Cache ? &analysedFiles[f] : nullptr,
                         undo->Armed() ? static_cast<TLogList::LoadWatcher*>(&progress) : nullptr,
                         true, indexed, kept);
    } else {
      indexed = workers->Indexed(f);
      if (read != TLogList::LoadCancelled && read != TLogList::LoadOutOfMemory &&
          !LogList.Splice(workers->Lines(f)))
        read = TLogList::LoadOutOfMemory;
    }
    if (read == TLogList::LoadCancelled || read == TLogList::LoadOutOfMemory) return read;
    // Once a file, also when none had to be waited for: the window stays alive and may stop.
    if (!lookUp()) read = TLogList::LoadCancelled;
    workers->Taken(f);
    return read;
  };
  for (size_t f = 0; f < files.size(); ++f) {
    const std::string& file = files[f];
    if (cancelRequested()) {
      workers.reset();
      return cancelled();
    }
    const int32_t linesBefore = LogList.Count();
    progress.StartFile(f);
    hooks.SetBusy(true);
    bool indexed = false;
    int32_t read = TLogList::LoadOk;
    if (workers) {
      read = readOnWorkers(f, indexed);
    } else {
      read = ReadLogFile(LogList, file, Cache, Cache ? &analysedFiles[f] : nullptr,
                         undo->Armed() ? static_cast<TLogList::LoadWatcher*>(&progress) : nullptr,
                         true, indexed);
    }
    if (indexed && read == TLogList::LoadOk) ++result.FilesIndexedFromCache;
    hooks.SetBusy(false);
    // The end line keeps a file's lines from running on into the next file's; without it the
    // load cannot go on (and the shortage is told once, below).
    const bool endLine = read == TLogList::LoadOk ||
                         (read != TLogList::LoadCancelled && read != TLogList::LoadOutOfMemory &&
                          LogList.Count() > linesBefore);
    if (endLine && !LogList.AddLineQuietly(logEndLine)) read = TLogList::LoadOutOfMemory;
    if (read == TLogList::LoadCancelled || read == TLogList::LoadOutOfMemory) {
      // The workers are stopped and joined before anything is put back.
      workers.reset();
    }
    if (read == TLogList::LoadCancelled) return cancelled();
    if (read == TLogList::LoadOutOfMemory) {
      // The load ends the way a failed allocation ends it. An add whose records could not be
      // copied has changed nothing but the lines read so far.
      if (!undo->Armed()) {
        LogList.TruncateTo(readMark);
        LogFileNames.resize(namesBefore);
      }
      throw std::bad_alloc();
    }
    if (read == TLogList::LoadOk) {
      LogFileNames.push_back(file);
      ++result.FilesLoaded;
    } else {
      // The lines read before the failure stay, closed by their end line.
      hooks.SetWaitCursor(false);
      Ui().Warning(kFile + file + "\r" + kUnreadable +
                   (IsSpecialFile(file) ? "\r" + SpecialFileText() : std::string()));
      hooks.SetWaitCursor(true);
    }
    if (Cache) {
      AnalysedFile& a = analysedFiles[f];
      a.firstLine = linesBefore;
      a.lineCount = LogList.Count() - linesBefore;
      if (read != TLogList::LoadOk || StampOfFile(file) != a.stamp) a.stamp = FileStamp();
    }
    progress.FileDone(linesBefore, LogList.Count());
    hooks.ProgressStep();
  }
  workers.reset();
  result.ReadSeconds = SecondsSince(phase);
  hooks.SetWaitCursor(false);
  hooks.ProgressReset();
  hooks.ShowStatus(std::string());
  if (cancelRequested()) return cancelled();

  if (result.FilesLoaded == 0) {
    if (files.size() > 1) Ui().Warning(Cp932("指定されたログファイルは１個も読込み出来ません"));
    idle.Disarm();
    undo->Drop();  // a fresh load that read nothing leaves nothing loaded
    return Failed(std::move(result), LoadFailure::NoFileRead);
  }
  hooks.ReadingModesOff();
  if (!add) {
    hooks.ForgetSavedPosition();
    process->LoadLists(boardListFile, memberListFile);
  }

  // Analysis and sorting. The analyser steps the counter, which passes the steps on to the
  // window's bar and stops the analysis when the window asks.
  hooks.ShowStatus(Cp932("ログ解析中..."));
  hooks.SetWaitCursor(true);
  hooks.SetBusy(true);
  std::unique_ptr<ReadMarksBeforeAdd> marksBefore;
  if (add) marksBefore = std::make_unique<ReadMarksBeforeAdd>(*process);
  phase = std::chrono::steady_clock::now();
  bool analysed = false;
  {
    // The window's own bar comes back however the analysis ends.
    struct BarBack {
      TBBSProcess& process;
      AnalysisProgress* bar;
      ~BarBack() {
        process.ProgressBar = bar;
        process.Cache = nullptr;
        process.AnalysisFiles.clear();
      }
    } barBack{*process, process->ProgressBar};
    if (undo->Armed()) {
      progress.StartAnalysis(result.StartLine, barBack.bar);
      process->ProgressBar = &progress;
    }
    process->AnalysisThreads = Threads;
    process->Cache = Cache;
    process->AnalysisFiles = std::move(analysedFiles);
    analysed = process->AnalyzeLog(result.NetNo, LogList, SystemMsgList, result.StartLine);
  }
  result.AnalyseSeconds = SecondsSince(phase);
  result.FilesFromCache = process->FilesFromCache;
  result.FilesKeptInCache = process->FilesKeptInCache;
  // Sorting is not cancelled: once it has begun the load goes through.
  if (progress.WasCancelled() || cancelRequested()) return cancelled();
  progress.AnalysisDone();
  // What the load replaced or changed is no longer needed.
  undo->Drop();
  undo.reset();
  prefault.reset();
  if (analysed) {
    hooks.ShowStatus(Cp932("データソート中..."));
    phase = std::chrono::steady_clock::now();
    process->SortData();
    result.SortSeconds = SecondsSince(phase);
  }
  hooks.SetBusy(false);
  hooks.SetWaitCursor(false);
  hooks.ShowStatus(std::string());
  hooks.ProgressReset();
  idle.Disarm();
  if (!analysed) {
    Ui().Warning(Cp932("ログ解析処理が異常終了しました"));
    return Failed(std::move(result), LoadFailure::AnalysisFailed);
  }

  // What the last run left for this one: the queued writes, then the read marks. The writes
  // are read back once per fresh load: after an add they are in the article lists already,
  // and reading the files again would queue every one of them a second time.
  if (!add) {
    process->ReadUpFile(upFile);
    process->ReadPadFile(padFile);
  }
  process->LoadReadPointers(readPtrFile);
  if (marksBefore) marksBefore->PutBack();

  result.BoardLines = FillBoardList(*process);
  if (result.BoardLines.empty()) {
    Ui().Warning(Cp932("ボードが存在していません"));
    return Failed(std::move(result), LoadFailure::NoBoards);
  }
  CurrentPrefix = add ? CurrentPrefix : prefix;
  return result;
}

}  // namespace vorn
