#pragma once

#include <string>

#include "threadview/ArticleFlags.h"
#include "threadview/ThreadLists.h"
#include "threadview/WriterLists.h"

namespace vorn {

class TLogSession;

// The flags, the watched and ignored writers and the watched, ignored and collapsed threads of
// the set loaded now, with the files they are kept in beside the set's read-pointer file.
class TSetReadingAids final {
 public:
  // Reads the files of the session's current set (after a fresh load), or, with no set loaded,
  // empties the lists and forgets the files.
  void Open(const TLogSession& session);

  // Write the lists to their files at once (the user's own choices are never left to the end
  // of a run). False when there is no set or the file could not be written.
  bool SaveFlags() const;
  bool SaveWriters() const;
  bool SaveThreads() const;

  TArticleFlags Flags;
  TWriterLists Writers;
  TThreadLists Threads;
  std::string FlagFile;
  std::string WriterFile;
  std::string ThreadFile;
  // What reading the files found.
  ListFileReport FlagsRead;
  ListFileReport WritersRead;
  ListFileReport ThreadsRead;
};

}  // namespace vorn
