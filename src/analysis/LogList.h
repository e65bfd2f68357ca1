#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "store/MiniList.h"

namespace vorn {

// The lines the program works on: every line of the opened logs, or the system messages set
// aside by an analyser. Append-only: the bytes of each line, closed by a zero byte, are packed
// into large blocks with an index of positions, so that a line never moves and never changes
// until the list is cleared and readers can hold its address instead of a copy.
class TLogList final {
 public:
  // Results of LoadFromFile.
  enum LoadResult : int32_t {
    LoadOk = 0,
    LoadOpenFailed = 1,
    LoadReadFailed = 2,
    LoadOutOfMemory = 3,
  };

  // blockSize: bytes per block; indexChunk: lines per growth step of the index.
  TLogList(int32_t BlockSize, int32_t IndexChunk);
  ~TLogList();
  TLogList(const TLogList&) = delete;
  TLogList& operator=(const TLogList&) = delete;

  // Forgets every line; the next line opens a new block and is line 0 again.
  void Clear();

  // Appends one line. A line too long for a block gets a block of its own, so nothing of a
  // user's log is ever cut. False when memory ran out: the user is told once per list and the
  // line is not stored.
  bool AddLine(std::string_view Text);

  // A copy of the line; empty outside 0 .. Count-1.
  void GetLine(int32_t Index, std::string& Text) const;
  std::string GetLine(int32_t Index) const;

  // The stored zero-terminated bytes of the line, without copying; nullptr outside the list.
  // Valid until Clear or destruction.
  const char* LinePtr(int32_t Index) const;
  // The whole stored line (a log may hold zero bytes, which LinePtr readers cannot see past).
  std::string_view LineView(int32_t Index) const;

  // Appends the lines of a text file (CR LF, CR alone and LF alone end a line, 0x1A ends the
  // file). Something that is not a regular file is refused (LoadOpenFailed). Lines added before
  // a failure stay.
  int32_t LoadFromFile(const std::string& FileName);

  int32_t Count() const { return index_.Count(); }
  int32_t BlockSize() const { return blockSize_; }
  int32_t BlockCount() const { return static_cast<int32_t>(blocks_.size()); }

  // The out-of-memory message has been shown for this list; never reset.
  bool ReportedShortage = false;

 private:
  struct Block {
    char* data;
    uint64_t size;
  };
  struct LineRef {
    uint32_t block;
    uint32_t offset;
    uint32_t length;
  };

  const LineRef* Ref(int32_t index) const {
    return static_cast<const LineRef*>(index_.GetItem(index));
  }
  bool NewBlock(uint64_t size);
  bool Shortage();
  bool IndexLine(uint32_t block, uint64_t offset, uint64_t length);
  int32_t ReadLines(std::FILE* file);

  std::vector<Block> blocks_;
  TMiniList index_;
  int32_t blockSize_;
  int32_t fillBlock_ = -1;  // the block that takes the next ordinary line; -1 = none yet
  uint64_t fill_ = 0;       // bytes used in it
};

}  // namespace vorn
