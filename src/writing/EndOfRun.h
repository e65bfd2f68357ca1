#pragma once

#include <string>
#include <vector>

namespace vorn {

class TBBSProcess;
class TLogSession;
class TRunningEditors;
struct CommonSettings;

// The analyser whose set is loaded, with that set selected in its settings; null when none.
// After a fresh load that failed nothing is loaded, although the analyser still names the set
// it had.
TBBSProcess* LoadedProcess(TLogSession& session);

// The name a file is kept under when what it holds was not read back: path with "_notread_"
// and the moment put before its extension, numbered on when that is taken.
std::string KeptFilePath(const std::string& path);

// Whether the pending writes and batch marks of the loaded set differ from what its UP and PAD
// files hold on disk (a missing file holding nothing): what ending asks about. With the set
// gone from the settings, whether anything is pending at all.
bool QueuedWritesDiffer(TLogSession& session);

// The UP and PAD files of the loaded set written now (the save command). A file that could not
// be written is named to the user; true when both were written. Nothing happens while no set
// is loaded.
bool WriteUpPadFiles(TLogSession& session);

// Whether the loaded data may be left, for loading other logs (reopen) or for the end of the
// program. Refused while an editor is open. Otherwise the board list, member list and read
// pointers are saved first (unless keepData is off or Shift is held), then, when the queued
// writes differ from the files, the user is asked whether to write the UP and PAD files (Yes,
// No, Cancel); a file that holds writes this run did not read back is kept under a name of its
// own before it is replaced, and the user is told the name. Else,
// when ending with EndCheck on, whether to end. A file that could not be written is named, and
// the user decides whether to go on regardless.
// What LeaveLogSet did on disk, for a journal of the run: the read pointers were saved, and the
// user answered Yes to writing the UP and PAD files.
struct LeaveOutcome {
  bool PointersSaved = false;
  bool OutputWritten = false;
};
bool LeaveLogSet(TLogSession& session, const TRunningEditors& editors, const CommonSettings& common,
                 bool Reopen, bool KeepData, bool ShiftHeld, LeaveOutcome* outcome = nullptr);

}  // namespace vorn
