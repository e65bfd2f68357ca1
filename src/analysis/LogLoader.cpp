#include "analysis/LogLoader.h"

#include <chrono>
#include <utility>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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

std::string TLogSession::SetPath(std::string_view path) const {
  return SettingsFolder.empty() ? ResolveSetPath(path) : ResolveSetPath(path, SettingsFolder);
}

LoadResult TLogSession::LoadLogFiles(const std::vector<std::string>& files,
                                     const std::string& prefix, bool add) {
  LoadHooks none;
  return LoadLogFiles(files, prefix, add, none);
}

LoadResult TLogSession::LoadLogFiles(const std::vector<std::string>& files,
                                     const std::string& prefix, bool add, LoadHooks& hooks) {
  LoadResult result;

  // The set. A fresh load takes the first analyser that knows the prefix; an add looks the
  // loaded set up again on the analyser that holds it.
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
  if (add) {
    result.StartLine = LogList.Count();
  } else {
    CurrentPrefix.clear();
    hooks.FreshLoadStarting(ini.Name);
    process->WriteArticleNo = 0;
    process->ClearData();
    LogList.Clear();
    SystemMsgList.Clear();
    result.StartLine = 0;
  }
  hooks.LoadStarting();

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
  if (!add) LogFileNames.clear();
  hooks.SetWaitCursor(true);
  auto phase = std::chrono::steady_clock::now();
  for (const std::string& file : files) {
    const int32_t linesBefore = LogList.Count();
    hooks.SetBusy(true);
    const int32_t read = LogList.LoadFromFile(file);
    hooks.SetBusy(false);
    if (read == TLogList::LoadOk) {
      LogFileNames.push_back(file);
      LogList.AddLine(logEndLine);
      ++result.FilesLoaded;
    } else {
      // The lines read before the failure stay; the end line keeps them from running on
      // into the next file's lines.
      if (LogList.Count() > linesBefore) LogList.AddLine(logEndLine);
      hooks.SetWaitCursor(false);
      Ui().Warning(kFile + file + "\r" + kUnreadable +
                   (IsSpecialFile(file) ? "\r" + SpecialFileText() : std::string()));
      hooks.SetWaitCursor(true);
    }
    hooks.ProgressStep();
  }
  result.ReadSeconds = SecondsSince(phase);
  hooks.SetWaitCursor(false);
  hooks.ProgressReset();
  hooks.ShowStatus(std::string());

  if (result.FilesLoaded == 0) {
    if (files.size() > 1) Ui().Warning(Cp932("指定されたログファイルは１個も読込み出来ません"));
    idle.Disarm();
    return Failed(std::move(result), LoadFailure::NoFileRead);
  }
  hooks.ReadingModesOff();
  if (!add) {
    hooks.ForgetSavedPosition();
    process->LoadLists(boardListFile, memberListFile);
  }

  // Analysis and sorting.
  hooks.ShowStatus(Cp932("ログ解析中..."));
  hooks.SetWaitCursor(true);
  hooks.SetBusy(true);
  phase = std::chrono::steady_clock::now();
  const bool analysed = process->AnalyzeLog(result.NetNo, LogList, SystemMsgList, result.StartLine);
  result.AnalyseSeconds = SecondsSince(phase);
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

  result.BoardLines = FillBoardList(*process);
  if (result.BoardLines.empty()) {
    Ui().Warning(Cp932("ボードが存在していません"));
    return Failed(std::move(result), LoadFailure::NoBoards);
  }
  CurrentPrefix = add ? CurrentPrefix : prefix;
  return result;
}

}  // namespace vorn
