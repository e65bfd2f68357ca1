#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dialoglogic/BBSList.h"

namespace vorn {

struct CommonSettings;

// One row of the set chooser: a set of one family.
struct NetSelectRow {
  int Family = -1;     // index in the BBS list
  int32_t NetNo = -1;  // the set's number in its family's file
  std::string Prefix;
  std::string Name;
  std::string LogPath;
  std::string LogMask;
};

// A file dialog filter as the classic pairs of description and mask.
using FileFilter = std::vector<std::pair<std::string, std::string>>;

// The filter of the log file dialogs: the set's mask, the common log extension, all files.
FileFilter LogFileFilter(const std::string& logMask, const std::string& logExtention);
// The same pairs joined with "|", as the classic dialogs take them.
std::string JoinFileFilter(const FileFilter& filter);

// The logic of the dialog that chooses the BBS set (and its log files) to open.
class TNetSelectLogic {
 public:
  // One row per set of every family in family and entry order; with a prefix list that is not
  // empty only the sets whose prefix (case ignored) is in it.
  void Show(const TBBSList& list, const std::vector<std::string>& prefixList);

  // OK on a row. Sets SelectPrefix; true when the log files are still to be chosen (no prefix
  // list was given), false when the dialog closes now.
  bool Ok(int row);
  // The log files chosen for the row of the last Ok, sorted.
  void FilesChosen(std::vector<std::string> files);
  void Cancel();

  // The file dialog for a row: its folder and filter.
  std::string FileDialogFolder(int row) const;
  FileFilter FileDialogFilter(int row) const;

  // The log extension of the common settings ("log" without them).
  const CommonSettings* CommonIniFile = nullptr;

  std::vector<NetSelectRow> Rows;
  bool PrefixListGiven = false;

  // Results.
  std::string SelectPrefix;
  std::vector<std::string> SelectFilelist;
};

}  // namespace vorn
