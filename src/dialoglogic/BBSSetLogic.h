#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialoglogic/BBSList.h"
#include "settings/BBSIniFile.h"

namespace vorn {

struct CommonSettings;

// The edit boxes and check boxes of the basic page that every family shares.
struct BBSSetFields {
  std::string Prefix;
  std::string Name;
  std::string FilePath;  // the log folder
  std::string FileMask;
  std::string BoardListFile;
  std::string MemberListFile;
  std::string ReadPtrFile;
  std::string UpFile;
  bool UpFileAddDate = false;
  std::string UpFileAddDateStr;
  std::string PadFile;
  bool PadFileAddDate = false;
  std::string PadFileAddDateStr;
  std::string SignatureFile;
};

// The logic of the settings dialog of one BBS set: what it shows for a new, changed or copied
// set, the editing of the analysis values, and what OK checks and stores. The families add
// their own switches by overriding the four family operations.
class TBBSSetLogic {
 public:
  virtual ~TBBSSetLogic();

  // Inputs, set before Show.
  const CommonSettings* CommonIniFile = nullptr;
  const TBBSList* BBSList = nullptr;
  TBBSIniFile* BBSIniFile = nullptr;
  TNetSelectSkbn Skbn = NetSelectNone;
  std::string ReadPrefix;
  std::string WritePrefix;

  // Fills the fields and the value grid. False when there is nothing to show (no choice, a
  // deletion, missing inputs, or the set to change is gone): the dialog closes at once.
  bool Show();

  BBSSetFields Fields;
  std::vector<std::string> ItemNames;  // one grid row per analysis item
  std::vector<std::string> Values;

  // Editing the value of one grid row.
  void SelectRow(int row);
  // The user checks or unchecks "default setting".
  void SetDefaultChecked(bool checked);
  // The user changed the text of the memo.
  void EditMemo(const std::string& text);
  // The set button: the memo's text becomes the row's value.
  void SetValue();
  int Row = -1;
  std::string Memo;
  bool MemoEnabled = false;
  bool DefaultChecked = false;
  bool SetEnabled = false;
  std::string ItemDefault(int row) const;

  // OK: checks the prefix and the name, stores the fields into the family's settings object
  // and saves the set. True closes the dialog; a refusal has been reported and keeps it open.
  bool Ok();
  void Cancel();

  // Saving and reading the analysis values in a file of their own. CanSaveAnalysis refuses
  // (with the message) a set without a name; SaveAnalysisTo asks before overwriting a file.
  bool CanSaveAnalysis() const;
  bool SaveAnalysisTo(const std::string& fileName);
  bool LoadAnalysisFrom(const std::string& fileName);

  // The folder of the family's settings file, where new sets keep their files.
  std::string SettingsFolder() const;

 protected:
  // A second settings object of the family on the same files, to read entries and items.
  virtual std::unique_ptr<TBBSIniFile> CreateWorkSettings() = 0;
  // The family's own switches after the base show, with the work object on the entry read.
  virtual void ShowFamilyFields() = 0;
  // Copies the family's switches into BBSIniFile.
  virtual void StoreFamilyFields() = 0;
  virtual bool SaveAnalysisFile(const std::string& fileName) = 0;
  virtual bool LoadAnalysisFile(const std::string& fileName) = 0;

  TBBSIniFile& Work() { return *work_; }
  // Whether the entry read from the work object (change and copy) exists.
  bool EntryRead() const { return entryRead_; }

 private:
  void ClearFields();

  std::unique_ptr<TBBSIniFile> work_;
  int32_t target_ = -1;
  bool entryRead_ = false;
};

// The NetVorn family's switches.
class TNetVornSetLogic final : public TBBSSetLogic {
 public:
  // The host patch switch enables the two variant buttons; switching it off clears them.
  void SetHostPatch(bool on);

  bool SerialHeader = false;
  bool HeaderDisp = false;
  bool Mente = true;
  bool HostPatch = false;
  bool KTC = false;
  bool MPN = false;
  bool VariantsEnabled = false;
  bool PadFileBatchDown = false;

 protected:
  std::unique_ptr<TBBSIniFile> CreateWorkSettings() override;
  void ShowFamilyFields() override;
  void StoreFamilyFields() override;
  bool SaveAnalysisFile(const std::string& fileName) override;
  bool LoadAnalysisFile(const std::string& fileName) override;
};

// The Nifty-Serve family's switch. Nifty-Serve has no UP file.
class TNiftySetLogic final : public TBBSSetLogic {
 public:
  bool MemberAutoAdd = false;

 protected:
  std::unique_ptr<TBBSIniFile> CreateWorkSettings() override;
  void ShowFamilyFields() override;
  void StoreFamilyFields() override;
  bool SaveAnalysisFile(const std::string& fileName) override;
  bool LoadAnalysisFile(const std::string& fileName) override;
};

// The messages of the set dialog.
std::string NoBBSNameMessage();

}  // namespace vorn
