#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/LineIndex.h"
#include "platform/MappedFile.h"

namespace vorn {

// The lines the program works on: every line of the opened logs, or the system messages set
// aside by an analyser. Append-only: the lines of a log file are read where they lie in the file,
// mapped into memory, with an index of their positions; other lines (and a file that cannot be
// mapped) have their bytes, each line closed by a zero byte, packed into large blocks. Either
// way a line never moves and never changes until the list is cleared, and readers can hold its
// address instead of a copy. An archive of gigabytes thus costs its index, about 2.06 bytes a
// line, and the pages the kernel lends while lines are looked at.
class TLogList final {
 public:
  // Results of LoadFromFile.
  enum LoadResult : int32_t {
    LoadOk = 0,
    LoadOpenFailed = 1,
    LoadReadFailed = 2,
    LoadOutOfMemory = 3,
    // The watcher asked to stop; the lines read so far stay.
    LoadCancelled = 4,
  };

  // Follows a LoadFromFile: how far the file has been read, and whether to go on. Asked after
  // every piece read and whenever the window is kept alive (every 1000 lines).
  class LoadWatcher {
   public:
    virtual ~LoadWatcher() = default;
    // Bytes of the file read so far.
    virtual void FileBytesRead(uint64_t bytes) = 0;
    // True stops the reading.
    virtual bool StopReading() = 0;
  };

  // Where the list ends: TruncateTo cuts it back there.
  struct Mark {
    int32_t count = 0;
    size_t fills = 0;
    size_t longs = 0;
    int32_t fillBlock = -1;
    uint64_t fill = 0;
    size_t files = 0;
  };

  // Whether log files are mapped (true unless VORN_LOGS_IN_MEMORY is set in the environment);
  // reading them into blocks instead gives the same lines.
  static void SetMapFiles(bool map);
  static bool MapFiles();

  // blockSize: bytes per block (at most 1 GiB); indexChunk: lines per growth step of the
  // index (rounded up to a power of two).
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
  // The same without telling the user of a shortage: the caller does.
  bool AddLineQuietly(std::string_view Text);

  // A copy of the line; empty outside 0 .. Count-1.
  void GetLine(int32_t Index, std::string& Text) const;
  std::string GetLine(int32_t Index) const;

  // The whole stored line, without copying (a log may hold zero bytes); valid until Clear or
  // destruction.
  std::string_view LineView(int32_t Index) const;

  // The stored bytes of the lines first .. last as they lie together in one block, each closed
  // by its zero byte (and by the LF kept after a CR LF line end); empty when they do not (the
  // lines cross into the next block or a line longer than a block is among them). Whatever
  // occurs in one of the lines occurs in it, so a search can rule out a run of lines at once.
  // Lines of a mapped file are separated by their line ends (CR, LF or CR LF) instead of zero
  // bytes; lineEnds, when given, tells which.
  std::string_view StoredSpan(int32_t first, int32_t last, bool* lineEnds = nullptr) const;
  // Ask the processor to fetch what StoredSpan will read for the lines first .. last: their
  // index entries (first) and, once those are near, the lines' bytes (later). A search walking
  // articles in thread order meets their lines scattered through the store.
  void PrefetchIndex(int32_t first, int32_t last) const;
  void PrefetchSpan(int32_t first, int32_t last) const;

  // Reads lines in order faster than LineView, which finds each line's block anew; the
  // analysers walk the whole log with one.
  // A reader that walks a whole archive (releaseBehind) gives back the pages of each part of a
  // mapped file once it has moved past it, so that what it looked at is not kept.
  class Reader {
   public:
    explicit Reader(const TLogList& list, bool releaseBehind = false)
        : list_(list), release_(releaseBehind) {}
    // As LineView.
    std::string_view Line(int32_t index) {
      if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(list_.count_)) return {};
      if (static_cast<uint32_t>(index) < first_ || static_cast<uint32_t>(index) >= next_) {
        const size_t was = block_;
        block_ = static_cast<size_t>(list_.FillBlockOf(index));
        if (release_ && had_ && was != block_) list_.ReleaseBlock(was);
        had_ = true;
        first_ = list_.fills_[block_].firstLine;
        next_ = block_ + 1 < list_.fills_.size() ? list_.fills_[block_ + 1].firstLine : UINT32_MAX;
      }
      const std::string_view line = list_.LineIn(index, block_, next_);
      // Lines are read one after another from data the walk has not touched for a while (a
      // file mapped and indexed earlier): what follows is asked for ahead, as the processor
      // does not guess past the end of a page. A prefetch never faults, past the end either.
      __builtin_prefetch(line.data() + line.size() + kReadAhead);
      return line;
    }

   private:
    static constexpr size_t kReadAhead = 1024;  // bytes
    const TLogList& list_;
    bool release_;
    bool had_ = false;  // block_ names a block
    size_t block_ = 0;
    uint32_t first_ = 1;  // the lines first_ .. next_-1 lie in block_ (none at first)
    uint32_t next_ = 0;
  };

  // Appends the lines of a text file (CR LF, CR alone and LF alone end a line, 0x1A ends the
  // file). Something that is not a regular file is refused (LoadOpenFailed). A line of more than
  // a few megabytes is stored as several lines, cut between characters. Lines added before a
  // failure stay. Running out of memory gives LoadOutOfMemory without a message: the caller
  // tells it. keepWindowAlive: Ui().ProcessMessages every 1000 lines; a worker thread, which
  // must not reach the user interface, passes false.
  int32_t LoadFromFile(const std::string& FileName, LoadWatcher* watcher = nullptr,
                       bool keepWindowAlive = true);

  // The index of the lines that a LoadFromFile of one mapped file added after `from` (a mark
  // taken just before it), in the form LoadIndexedFile takes back: where each line starts, so
  // that the file need not be read again to be loaded while it does not change. False (nothing
  // in out) when those lines are not all of one mapped file's.
  bool MappedFileIndex(const Mark& from, std::string& out) const;
  // Appends the lines of a file as LoadFromFile does, where index (from MappedFileIndex of this
  // file, unchanged since) puts them: the file is mapped and not read. An index that does not fit
  // the file, or a file that cannot be mapped, gives LoadReadFailed with nothing added, and the
  // caller reads the file instead.
  int32_t LoadIndexedFile(const std::string& FileName, std::string_view index,
                          LoadWatcher* watcher = nullptr, bool keepWindowAlive = true);

  Mark End() const {
    return {count_, fills_.size(), longs_.size(), fillBlock_, fill_, files_.size()};
  }
  // Forgets the lines added after the mark was taken (the list must not have been cleared or
  // cut back before the mark since); the lines before it stay where they are.
  void TruncateTo(const Mark& mark);
  // Exchanges all lines with another list (ReportedShortage stays with each list).
  void Swap(TLogList& other);
  // Takes over all lines of another list of the same block size at the end of this one, without
  // copying their text: the other list's blocks become this list's, and the other list is left
  // empty. Costs its index entries, none of its bytes. False, with both lists as they were, when
  // the block sizes differ or memory ran out (no message: the caller tells it). A file's lines
  // are read into a list of their own on a worker thread and taken over here in file order.
  bool Splice(TLogList& other);

  // Gives back every page of the mapped files that the process holds; they are read again
  // when next looked at.
  void ReleasePages() const;
  // The mapped files that changed on disk since they were read, with what became of them
  // (Unchanged ones left out); a file shortened under a reader counts as Shortened.
  struct FileChange {
    std::string path;
    MappedFileState state;
  };
  std::vector<FileChange> ChangedFiles() const;
  int32_t MappedFileCount() const { return static_cast<int32_t>(files_.size()); }

  int32_t Count() const { return count_; }
  int32_t BlockSize() const { return blockSize_; }
  int32_t BlockCount() const { return static_cast<int32_t>(fills_.size() + longs_.size()); }

  // The out-of-memory message has been shown for this list; never reset.
  bool ReportedShortage = false;

 private:
  // Ordinary lines are packed into fill blocks, in line order; a line longer than a block gets
  // a block of its own. The index holds an entry a line: for an ordinary line its offset in its
  // fill block (the block is found from the line number), for a long line kLongLine and its
  // number among the long lines. A line's length is where the next line of its block starts (or
  // where the block's lines end), less its line end: the zero byte that closes it and, when the
  // file had CR LF, the LF kept after it. Nothing else is stored per line.
  static constexpr uint32_t kLongLine = 0x80000000u;
  // A line longer than this is stored as several lines of at most this length, each cut between
  // two characters: a file without line ends (a dump, a binary capture) is read whole in pieces
  // instead of being gathered into one line of gigabytes.
  static constexpr size_t kLongestLine = size_t{4} << 20;
  // A mapped file is indexed in parts of about this many bytes: a reader walking the archive gives
  // back a part's pages once past it, and an index entry (an offset in its part) stays 4 bytes.
  static constexpr uint64_t kMappedPart = uint64_t{64} << 20;
  // No line of a mapped file, with its line end, is longer: longer ones are cut into pieces.
  static constexpr uint64_t kLongestMappedStep = kLongestLine + 2;

  // A block may also be a part of a mapped file (at most kMappedPart bytes and the line running
  // past them): its lines are separated by their line ends instead of zero bytes.
  struct FillBlock {
    char* data;
    uint32_t firstLine;  // the line count when the block was opened
    uint32_t used;       // bytes of its lines, once the block is no longer filled
    bool mapped = false;
  };
  struct LongLine {
    char* data;
    uint64_t length;
  };

  uint32_t Entry(int32_t index) const { return index_.Get(static_cast<size_t>(index)); }
  int32_t FillBlockOf(int32_t index) const;
  // The line at index, which lies in the fill block `block` or is a long line; nextBlockFirst is
  // the first line of the next fill block.
  std::string_view LineIn(int32_t index, size_t block, uint32_t nextBlockFirst) const;
  // In a part of a mapped file: where the line at index ends, with its line end.
  uint64_t MappedLineEnd(int32_t index, size_t block, uint32_t nextBlockFirst) const;
  uint64_t UsedOf(int32_t block) const {
    return block == fillBlock_ ? fill_ : fills_[static_cast<size_t>(block)].used;
  }
  bool NewFillBlock();
  void ReleaseBlock(size_t block) const;
  // Closes the block being filled: the next ordinary line opens a new one.
  void CloseFillBlock();
  // Maps the file and indexes its lines: by reading them, or where index (when given) puts them.
  // kNotMapped when it cannot be mapped.
  static constexpr int32_t kNotMapped = -1;
  int32_t LoadMapped(const std::string& FileName, LoadWatcher* watcher, bool keepWindowAlive,
                     const std::string_view* index);
  int32_t IndexMappedFile(const MappedFile& file, LoadWatcher* watcher);
  // Opens a part of the mapped file `data` at offset `at` (the lines from the next one on lie in
  // it); partBase becomes at. False when memory ran out.
  bool NewMappedPart(const char* data, uint64_t at, uint64_t& partBase);
  int32_t ReplayIndex(const MappedFile& file, std::string_view index, LoadWatcher* watcher);
  bool NewLongLine(std::string_view text);
  bool Shortage();
  bool quietShortage_ = false;  // while a file is read: the loader tells of a shortage
  bool pump_ = true;            // while a file is read: keep the window alive
  // Appends an index entry; false when memory ran out (nothing was added).
  bool AppendEntry(uint32_t entry) {
    if ((count_ & kGroupMask) == 0) return AppendEntrySlow(entry);
    if (!index_.Append(entry)) return false;
    ++count_;
    return true;
  }
  bool AppendEntrySlow(uint32_t entry);
  // Appends n index entries (at most a group of the index) where a group of the index begins;
  // false when memory ran out (nothing was added).
  bool AppendEntries(const uint32_t* entries, size_t n);
  bool IndexLine(uint64_t offset);
  int32_t ReadLines(std::FILE* file, LoadWatcher* watcher);

  // Lines per group of the group table, which names for each group the fill block holding the
  // group's first line or one before it, so that a line's block is found among a few.
  static constexpr uint32_t kGroupLines = 1024;
  static constexpr uint32_t kGroupMask = kGroupLines - 1;

  std::vector<FillBlock> fills_;
  std::vector<LongLine> longs_;
  std::vector<MappedFile> files_;
  LineIndex index_;
  std::vector<uint32_t> groupBlock_;
  int32_t count_ = 0;
  int32_t blockSize_;
  int32_t fillBlock_ = -1;  // the block that takes the next ordinary line; -1 = none yet
  uint64_t fill_ = 0;       // bytes used in it
};

}  // namespace vorn
