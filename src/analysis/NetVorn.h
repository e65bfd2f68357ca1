#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/BBSProcess.h"
#include "settings/NetVornIniFile.h"

namespace vorn {

// The analyser of hosts of the NetVorn family ("NetVorn及び互換"): numbered boards, numbered
// members, articles made of a header group (header, subject, optional reply information,
// footer) and a body that runs to the next header or a terminal line.
class TNetVorn final : public TBBSProcess {
 public:
  // Creates its settings object from the settings file and the defaults file.
  TNetVorn(const std::string& settingsFile, const std::string& defaultsFile);

  std::string GetSystemName() const override;
  // Also adds the mail box, board 0 "mail".
  void ClearData() override;
  bool AnalyzeLog(int32_t NetNo, TLogList& Log, TLogList& SystemLog, int32_t StartLine) override;
  void SortData() override;
  // Read the pending writes back from the UP and PAD files (formats in NetVornUpPad.h). A file
  // that holds anything is read only when the user agrees; the user may also have it deleted.
  // True when the file was read, empty or missing; false when it was not read.
  bool ReadUpFile(const std::string& UpFile) override;
  bool ReadPadFile(const std::string& PadFile) override;
  // Replace the file with the pending writes, or remove it when there are none, and write the
  // dated copy when the BBS entry asks for one. False for an empty file name, or when the file
  // or its copy could not be written (the old file then stays as it was). A written UP file
  // clears the boards' Modified flags.
  bool WriteUpFile(const std::string& UpFile) override;
  bool WritePadFile(const std::string& PadFile) override;
  std::vector<std::string> UpFileLines() const override;
  std::vector<std::string> PadFileLines() const override;
  // IDs run from 0 to 99999.
  std::string CheckIdNumber(int32_t Id) const override;
  std::string CheckIdText(std::string& Id) const override;
  // "<number>:<key>", or "%3d:%-8s" padded; empty for a board without number or key.
  std::string GetBoardLabel(int32_t BoardIndex, bool Padded) const override;

  TNetVornIniFile* Settings;  // the same object as IniFile
  // The last analysis added members, so SortData sorts them.
  bool MembersChanged = false;

 private:
  explicit TNetVorn(std::unique_ptr<TNetVornIniFile> settings);
};

}  // namespace vorn
