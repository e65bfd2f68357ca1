#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/BBSProcess.h"

namespace vorn {

class TArticleList;

// Writes a journal file whole, durably: to a scratch file that is synced and renamed over the
// old one, and the folder synced after, so that a power cut leaves either file and never none.
bool WriteJournalFile(const std::string& path, std::string_view bytes);

// The read marks a run changes between two saves of the read-pointer file, in a file beside
// the set's other files. Each change is appended soon after it is made and synced, so that a
// crash or a power cut loses at most the last moments; the next start writes them into the
// read-pointer file as the end of the run would have. The changes are found by comparing the
// boards' marks with what they were at the last look, board by board, only for boards whose
// marks were set since (TArticleList::ReadMarkChanges).
class TReadMarkJournal final {
 public:
  // Begins a new file for the read-pointer file: the boards' marks as they stand are what it
  // holds (it was just read or written). False when the file could not be made.
  bool Begin(const TBBSProcess& bbs, const std::string& path, const std::string& pointerFile);
  // Takes the boards' marks as they stand without noting changes: logs were added, and what
  // their load marked came from the read-pointer file.
  void Rebase(const TBBSProcess& bbs);
  // Appends the changes since the last look and syncs the file. True when there was nothing to
  // write or it was written.
  bool Flush(const TBBSProcess& bbs);
  // Forgets the file, which stays as it is.
  void Close();

  bool Open() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  const std::string& PointerFile() const { return pointerFile_; }

 private:
  struct Board {
    uint32_t seen = 0;
    bool mailBox = false;
    // The identity of every loaded article that is read, in order, once for each such article:
    // (time, key) packed, or the time alone in the mail box, whose mails of a minute share it.
    // A board holds its entries in this order once sorted, so a look is a pass over them, and
    // two looks are compared by going through both together.
    std::vector<uint64_t> read;
  };
  static Board Look(const TBBSProcess& bbs, int32_t board);
  static std::string Header(const std::string& pointerFile);

  std::string path_;
  std::string pointerFile_;
  std::unordered_map<const TArticleList*, Board> boards_;
};

// A journal of read marks as the next start finds it.
struct ReadMarkJournalFile {
  std::string PointerFile;
  std::vector<ReadMarkChange> Changes;
};

// False when the file cannot be read or is not a journal of read marks. A last line that a
// crash cut short is left out.
bool ReadReadMarkJournal(const std::string& path, ReadMarkJournalFile& file);

}  // namespace vorn
