#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/IniFilePlus.h"

namespace vorn {

// One BBS entry of a host family's settings file, kept in section "Net<NetNo>".
struct NetRecord {
  int32_t NetNo = -1;
  std::string Prefix;
  std::string Name;
  std::string LogPath;
  std::string LogMask;
  std::string BoardListFile;
  std::string MemberListFile;
  std::string FotterFile;
  std::string UpFile;
  bool UpFileAddDate = false;
  std::string UpFileAddDateStr;
  bool UpFileCommandExtract = false;
  std::string PadFile;
  bool PadFileAddDate = false;
  std::string PadFileAddDateStr;
  bool PadFileBatchCommand = false;
  std::string ReadPtrFile;
};

// The settings file of one host family: the list of BBS entries the user defined, the fields of
// the entry currently selected, and the interface through which dialogs and analysers reach
// the family's analysis items.
class TBBSIniFile : public TIniFilePlus {
 public:
  // Opens the file and loads its entries.
  explicit TBBSIniFile(const std::string& fileName);
  ~TBBSIniFile() override = default;

  // Number of entries.
  virtual int GetNetCount() const;
  // Index of the entry with that number, -1 if none.
  virtual int FindNetNo(int32_t netNo) const;
  // Index of the first entry whose prefix equals the text without regard to ASCII case.
  virtual int FindPrefix(const std::string& prefix) const;
  // Number of the entry at an index, -1 outside the list.
  virtual int32_t NetNoAt(int index) const;
  // Copies the entry into the current fields and clears Mente, SerialHeader and LogEndLine.
  // False, with the fields unchanged, when there is no such entry. Families read their analysis
  // keys afterwards.
  virtual bool SelectNet(int32_t netNo);
  // Stores the current fields as an entry (a new one, numbered into the first gap, when NetNo
  // names none) and rewrites its section. False when the current prefix is empty or no entry
  // has it, or when the file could not be written. Families write their analysis keys
  // afterwards.
  virtual bool SaveNet();

  // The family's analysis items. Texts outside 0 to ItemCount() - 1 are empty.
  virtual int ItemCount() const = 0;
  virtual std::string ItemName(int index) const = 0;
  virtual std::string ItemDefault(int index) const = 0;
  virtual std::string ItemValue(int index) const = 0;
  // The form the analyser uses: compiled for log patterns, the value itself for the others.
  virtual std::string ItemPattern(int index) const = 0;
  virtual bool SetItemValue(int index, const std::string& text) = 0;

  void LoadNets();
  // Writes [Common] NetCount and the keys of the entry at index into its section.
  bool WriteNet(int index);
  // Removes the entry and erases its section. Deleting the highest entry lowers NetCount by
  // one, never below the number of an entry that remains. False when there is no such entry or
  // the file could not be written.
  bool DeleteNet(int32_t netNo);

  // The entries, sorted by number.
  const std::vector<NetRecord>& Nets() const { return nets_; }

  // The entries are the sections Net0 up to and including Net<NetCount> that the file holds.
  int32_t NetCount = 0;

  // The current entry.
  std::string Prefix;
  int32_t NetNo = -1;
  std::string Name;
  std::string LogPath;
  std::string LogMask;
  std::string BoardListFile;
  std::string MemberListFile;
  std::string FotterFile;
  std::string UpFile;
  bool UpFileAddDate = false;
  std::string UpFileAddDateStr;
  bool UpFileCommandExtract = false;
  std::string PadFile;
  bool PadFileAddDate = false;
  std::string PadFileAddDateStr;
  bool PadFileBatchCommand = false;
  std::string ReadPtrFile;

  // Filled by the family when an entry is selected.
  bool Mente = false;         // the host renumbers and purges articles
  bool SerialHeader = false;  // the host shows serial article headers
  std::string LogEndLine;     // appended to the log after each log file

 protected:
  static std::string NetSection(int32_t netNo) { return "Net" + std::to_string(netNo); }

 private:
  NetRecord CurrentRecord(int32_t netNo) const;

  std::vector<NetRecord> nets_;
};

}  // namespace vorn
