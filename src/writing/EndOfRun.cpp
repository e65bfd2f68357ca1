#include "writing/EndOfRun.h"

#include <cstdio>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "settings/CommonIniFile.h"
#include "text/Dates.h"
#include "writing/RunningEditors.h"

namespace vorn {

// The emptied lists of a failed fresh load must not be saved over its set's files.
TBBSProcess* LoadedProcess(TLogSession& session) {
  TBBSProcess* bbs = session.CurrentProcess;
  if (!bbs || session.CurrentPrefix.empty() || bbs->NetNo < 0 || !bbs->IniFile ||
      !bbs->IniFile->SelectNet(bbs->NetNo))
    return nullptr;
  return bbs;
}

std::string KeptFilePath(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  const size_t stemEnd = path.size() - name.size() + (dot == std::string::npos ? name.size() : dot);
  const std::tm now = CurrentLocalTime();
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "_notread_%04d%02d%02d_%02d%02d%02d", now.tm_year + 1900,
                now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
  std::string kept = path.substr(0, stemEnd) + stamp + path.substr(stemEnd);
  for (int n = 2; FileExists(kept); ++n)
    kept = path.substr(0, stemEnd) + stamp + "_" + std::to_string(n) + path.substr(stemEnd);
  return kept;
}

namespace {

void Failed(std::vector<std::string>& failures, const char* label, const std::string& path) {
  failures.push_back(Cp932(label) + path);
}

std::string JoinedLines(const std::vector<std::string>& lines) {
  CrLfTextBuilder text;
  for (const std::string& line : lines)
    text.Line(line);
  return text.Data();
}

// A missing file holds nothing.
std::string BytesOnDisk(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) bytes.clear();
  return bytes;
}

// One of the set's output files: its path and what writing it now would put there.
struct OutputFile {
  bool up;
  const char* label;
  std::string path;
  std::string bytes;
};

std::vector<OutputFile> OutputFiles(TLogSession& session, const TBBSProcess& bbs) {
  std::vector<OutputFile> files;
  if (bbs.HasUpFile())
    files.push_back({true, "UPファイル:", session.SetPath(bbs.IniFile->UpFile),
                     JoinedLines(bbs.UpFileLines())});
  files.push_back({false, "PADファイル:", session.SetPath(bbs.IniFile->PadFile),
                   JoinedLines(bbs.PadFileLines())});
  return files;
}

// A file whose bytes are not what this run read back or wrote (the user declined to read it
// back, or another program changed it since) holds writes that are not among the pending
// ones: before it is replaced it is copied under a name of its own. False when the copy could
// not be made; the file must then stay as it is.
bool KeepUnreadFile(const TBBSProcess& bbs, const OutputFile& file,
                    std::vector<std::string>& kept) {
  const std::string disk = BytesOnDisk(file.path);
  const auto known = bbs.OutputFilesKnown.find(file.path);
  if (disk.empty() || disk == file.bytes ||
      (known != bbs.OutputFilesKnown.end() && known->second == disk))
    return true;
  const std::string keptPath = KeptFilePath(file.path);
  if (!KeepUserFileAs(file.path, keptPath)) return false;
  kept.push_back(keptPath);
  return true;
}

void WriteUpPad(TLogSession& session, TBBSProcess& bbs, std::vector<std::string>& failures) {
  std::vector<std::string> kept;
  for (const OutputFile& file : OutputFiles(session, bbs)) {
    const bool written = KeepUnreadFile(bbs, file, kept) &&
                         (file.up ? bbs.WriteUpFile(file.path) : bbs.WritePadFile(file.path));
    if (!written) Failed(failures, file.label, file.path);
  }
  if (!kept.empty()) {
    std::string text = Cp932("読込まなかった以前のUP/PADファイルは次の名前で残しました");
    for (const std::string& path : kept)
      text += "\r" + path;
    Ui().Information(text);
  }
}

// The board list and member list are one call; when it fails, each is tried once more on its
// own so that the message names the file that is at fault. Whether the read pointers were
// saved.
bool SaveListsAndPointers(TLogSession& session, TBBSProcess& bbs,
                          std::vector<std::string>& failures) {
  const std::string boards = session.SetPath(bbs.IniFile->BoardListFile);
  const std::string members = session.SetPath(bbs.IniFile->MemberListFile);
  const std::string pointers = session.SetPath(bbs.IniFile->ReadPtrFile);
  if (!bbs.SaveLists(boards, members)) {
    if (!bbs.Boards.SaveToFile(boards)) Failed(failures, "ボードリストファイル:", boards);
    if (!bbs.Members.SaveToFile(members)) Failed(failures, "メンバーリストファイル:", members);
  }
  if (bbs.SaveReadPointers(pointers)) return true;
  Failed(failures, "リードポインタファイル:", pointers);
  return false;
}

std::string FailureText(const std::vector<std::string>& failures) {
  std::string text;
  for (const std::string& failure : failures)
    text += failure + "\r";
  return text + Cp932("書込み出来ませんでした");
}

}  // namespace

bool QueuedWritesDiffer(TLogSession& session) {
  TBBSProcess* bbs = session.CurrentProcess;
  if (!bbs || session.CurrentPrefix.empty()) return false;
  if (TBBSProcess* loaded = LoadedProcess(session)) {
    for (const OutputFile& file : OutputFiles(session, *loaded)) {
      if (file.bytes != BytesOnDisk(file.path)) return true;
    }
    return false;
  }
  // The set is gone from the settings (deleted while loaded): its files are not known, so any
  // pending write counts.
  return !bbs->UpFileLines().empty() || !bbs->PadFileLines().empty();
}

bool WriteUpPadFiles(TLogSession& session) {
  TBBSProcess* bbs = LoadedProcess(session);
  if (!bbs) return false;
  std::vector<std::string> failures;
  WriteUpPad(session, *bbs, failures);
  if (!failures.empty()) Ui().Warning(FailureText(failures));
  return failures.empty();
}

bool LeaveLogSet(TLogSession& session, const TRunningEditors& editors, const CommonSettings& common,
                 bool Reopen, bool KeepData, bool ShiftHeld, LeaveOutcome* outcome) {
  LeaveOutcome ignored;
  LeaveOutcome& done = outcome ? *outcome : ignored;
  done = {};
  if (!editors.Empty()) {
    Ui().Warning(Cp932("エディタ起動中です\r") +
                 Cp932(Reopen ? "起動中エディタを全て終了してから再度オープンして下さい"
                              : "起動中エディタを全て終了してから終了して下さい"));
    return false;
  }
  std::vector<std::string> failures;
  TBBSProcess* loaded = LoadedProcess(session);
  if (loaded && KeepData && !ShiftHeld)
    done.PointersSaved = SaveListsAndPointers(session, *loaded, failures);

  // Asked whenever the files would not hold what is pending, however that came about (writes,
  // edits, deletions, batch marks, a refill of the board list, files read back or not).
  const bool changed = QueuedWritesDiffer(session);
  if (changed) {
    switch (Ui().ConfirmYesNoCancel(
        Cp932("UP/PADファイルが編集されている可能性があります\r書込みますか？"))) {
      case UiAnswer::Yes:
        if (loaded) {
          WriteUpPad(session, *loaded, failures);
          done.OutputWritten = true;
        } else {
          // The set is gone from the settings (deleted while loaded): its file names are not
          // known, and another set's files must not be overwritten.
          failures.push_back(Cp932("指定されたNetNo:") +
                             std::to_string(session.CurrentProcess->NetNo) +
                             Cp932("の設定が見つかりません"));
        }
        break;
      case UiAnswer::No:
        break;
      case UiAnswer::Cancel:
        if (!failures.empty()) Ui().Warning(FailureText(failures));
        return false;
    }
  }
  if (!failures.empty()) {
    // Enter keeps the program as it is, with the pending writes.
    return Ui().ConfirmYesNoDefaultNo(
        FailureText(failures) + "\r" +
        Cp932(Reopen ? "このまま別のログを開きますか？" : "このまま終了しますか？"));
  }
  if (!changed && !Reopen && common.EndCheck) return Ui().ConfirmYesNo(Cp932("終了しますか？"));
  return true;
}

}  // namespace vorn
