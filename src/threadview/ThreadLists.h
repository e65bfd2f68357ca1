#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "threadview/ThreadOutline.h"
#include "threadview/TolerantListFile.h"
#include "threadview/WriterLists.h"

namespace vorn {

class TArticleList;

// First line of every thread list file, and the extension of the file beside the set's
// read-pointer file.
inline constexpr std::string_view ThreadListFileHeader = "VornExplorer ThreadListFile Ver.0.01";
inline constexpr std::string_view ThreadListFileExtension = "thr";

// The threads of one BBS set the user watches (their rows are highlighted), ignores (their rows
// are greyed or hidden, as ignored writers' are) and has collapsed, board by board. Threads are
// known by their ThreadKey, so the marks hold across sorts, runs and logs; marks of threads not
// loaded now are kept all the same. A thread is on one of the two lists at most.
//
// The thread list file: the header line, then for each board a line of a backslash and the
// board's number (its key for a board without a number), followed by its lines: Watch,key/time
// and Ignore,key/time for marked threads, CollapseAll when every thread of the board was
// collapsed, then Collapse,key/time for each thread collapsed since (Expand,key/time, after
// CollapseAll, for each one opened again). A placeholder's thread is written key/-.
class TThreadLists final {
 public:
  // The mark of the thread whose first entry is at a position of tree order.
  WriterMark MarkOf(const TArticleList& board, int32_t top) const;
  // False for a position that is no thread's first entry or a thread without a key.
  bool SetMark(const TArticleList& board, int32_t top, WriterMark mark);
  // One byte per position of an order: the mark (WriterMark as a number) of the thread each entry
  // belongs to. Linear in the board.
  void MarkMask(const TArticleList& board, int32_t order, std::vector<uint8_t>& mask) const;
  // Whether any thread of the board is watched or ignored.
  bool AnyMarked(const TArticleList& board) const;

  // The collapsed threads of a board, made when asked for.
  TThreadCollapse& Collapse(const TArticleList& board);
  // Threads watched or ignored, loaded or not.
  int32_t MarkCount() const;
  void Clear();

  // Replaces the lists by those of the file. Damaged lines are skipped and counted; a missing
  // file is an empty one.
  ListFileReport LoadFromFile(const std::string& path);
  // What SaveToFile writes; empty when nothing is left to keep.
  std::string FileText() const;
  // Writes everything atomically; with nothing left to keep the file is removed. A file the last
  // load did not understand in full is kept beside itself first. False when it could not be
  // written.
  bool SaveToFile(const std::string& path) const;

 private:
  struct Section {
    std::string Board;
    std::set<ThreadKey> Watched;
    std::set<ThreadKey> Ignored;
    TThreadCollapse Collapse;
    bool Empty() const;
  };
  const Section* SectionOf(const TArticleList& board) const;
  Section& SectionNamed(const std::string& name);
  bool AddLine(Section& section, std::string_view line);

  std::deque<Section> sections_;
  std::unordered_map<std::string, size_t> byName_;
};

}  // namespace vorn
