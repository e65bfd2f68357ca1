#pragma once

#include <string>

#include "threadview/ArticleFlags.h"
#include "threadview/WriterLists.h"

namespace vorn {

class TLogSession;

// The flags and the watched and ignored writers of the set loaded now, with the files they are
// kept in beside the set's read-pointer file.
class TSetReadingAids final {
 public:
  // Reads both files of the session's current set (after a fresh load), or, with no set
  // loaded, empties both lists and forgets the files.
  void Open(const TLogSession& session);

  // Write the lists to their files at once (the user's own choices are never left to the end
  // of a run). False when there is no set or the file could not be written.
  bool SaveFlags() const;
  bool SaveWriters() const;

  TArticleFlags Flags;
  TWriterLists Writers;
  std::string FlagFile;
  std::string WriterFile;
  // What reading the files found.
  ListFileReport FlagsRead;
  ListFileReport WritersRead;
};

}  // namespace vorn
