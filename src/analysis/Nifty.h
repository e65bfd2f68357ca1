#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "settings/NiftyIniFile.h"

namespace vorn {

// The analyser of Nifty-Serve logs: boards keyed by forum index and board number, member IDs of
// three letters and five digits, articles made of two header lines and a body that runs to the
// next header or a terminal line, a mail list entered by a mail-mode line, and system notices
// copied aside. Queued writes leave through the PAD file; there is no UP file.
class TNifty final : public TBBSProcess {
 public:
  // Creates its settings object from the settings file and the defaults file.
  TNifty(const std::string& settingsFile, const std::string& defaultsFile);

  std::string GetSystemName() const override;
  // Also adds the mail box " MAIL       ".
  void ClearData() override;
  // A line equal to the set's LogEndLine (what the loader appends after every log file) ends
  // whatever is open with the line before it, so nothing runs on into the next file; a mail
  // list goes on in the next file. Notice rules copy only lines of the file the notice is in,
  // their range clipped to it.
  bool AnalyzeLog(int32_t NetNo, TLogList& Log, TLogList& SystemLog, int32_t StartLine) override;
  void SortData() override;
  // Nifty-Serve has no UP file: both do nothing and succeed.
  bool ReadUpFile(const std::string& UpFile) override;
  bool WriteUpFile(const std::string& UpFile) override;
  // Asks before reading a non-empty file: Yes reads it, No leaves it (false), the dialog's
  // delete button (Cancel) deletes it (false). Consecutive mails of the file with the same
  // text to different recipients come back as one mail to all of them.
  bool ReadPadFile(const std::string& PadFile) override;
  // Replaces the file atomically with every queued write, and writes the dated copy when the
  // set asks for one; with no queued writes removes the file. False when a file could not be
  // written or the old one removed: the old file is then still there.
  bool WritePadFile(const std::string& PadFile) override;
  bool HasUpFile() const override { return false; }
  std::vector<std::string> PadFileLines() const override;
  // Every number is accepted.
  std::string CheckIdNumber(int32_t Id) const override;
  // Three letters and five digits; upper-cases the letters.
  std::string CheckIdText(std::string& Id) const override;
  // "FXYZ    :MES:05" padded, "FXYZ:MES:5" not; "MAIL" for the mail box.
  std::string GetBoardLabel(int32_t BoardIndex, bool Padded) const override;
  // "FXYZ  MES(05)"; "MAIL" for the mail box.
  std::string GetBoardName(int32_t BoardIndex) const override;
  // The handle of the first line that the set's first header pattern takes, trailing blanks
  // removed; empty when none does.
  std::string FindWriterHandle(const std::vector<std::string>& Lines) const override;

  TNiftyIniFile* Settings;  // the same object as IniFile
  // The last analysis added members, so SortData sorts them.
  bool MembersChanged = false;

 private:
  explicit TNifty(std::unique_ptr<TNiftyIniFile> settings);
};

// A log line as the patterns see it: terminal sequences removed, cut to its first 255 bytes,
// and followed by a CR when it is shorter than that. The buffer is reused.
void PrepareNiftyLine(std::string_view line, std::string& text);

}  // namespace vorn
