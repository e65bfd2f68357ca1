#include "analysis/LogList.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/Cp932.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "store/BlockMemory.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// The window is kept alive this often while a file is read.
constexpr int32_t kPumpLines = 1000;
// Ctrl-Z: nothing after it belongs to the file.
constexpr char kEndOfFile = 0x1A;
constexpr uint64_t kReadBytes = 128 * 1024;
// Bytes of a mapped file scanned between two looks at the watcher; the pages behind are given
// back as the scan goes on.
constexpr uint64_t kMappedPiece = kReadBytes;
constexpr uint64_t kReleaseBehind = uint64_t{32} << 20;

std::atomic<bool>& MapFilesSetting() {
  static std::atomic<bool> map{std::getenv("VORN_LOGS_IN_MEMORY") == nullptr};
  return map;
}

// The length of a mapped line of `range` bytes, its line end (if any) left out: a line's own
// bytes hold no CR or LF, and a CR LF ends a line as one.
inline size_t MappedLineLength(const char* line, size_t range) {
  if (range > 0 && line[range - 1] == '\n') --range;
  if (range > 0 && line[range - 1] == '\r') --range;
  return range;
}

// The length of the longest start of text, at most limit bytes, that ends between two Shift-JIS
// characters (text starts at a character).
size_t PieceLength(std::string_view text, size_t limit) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t step = IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
    if (at + step > limit) break;
    at += step;
  }
  return at == 0 ? std::min(limit, text.size()) : at;
}

#ifdef __SSE2__
// One bit for each line end (CR or LF) among the 64 bytes at p.
inline uint64_t LineEnds64(const char* p) {
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  auto bits = [&](int part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
    return static_cast<uint64_t>(static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)))));
  };
  return bits(0) | bits(1) << 16 | bits(2) << 32 | bits(3) << 48;
}
#endif

}  // namespace

TLogList::TLogList(int32_t BlockSize, int32_t IndexChunk)
    : index_(IndexChunk),
      blockSize_(BlockSize < 2           ? 2
                 : BlockSize > (1 << 30) ? (1 << 30)
                                         : BlockSize) {}

TLogList::~TLogList() {
  Clear();
}

void TLogList::SetMapFiles(bool map) {
  MapFilesSetting().store(map);
}

bool TLogList::MapFiles() {
  return MapFilesSetting().load();
}

void TLogList::Clear() {
  for (const FillBlock& b : fills_) {
    if (!b.mapped) FreeBlock(b.data);
  }
  for (MappedFile& f : files_)
    UnmapFile(f);
  files_.clear();
  files_.shrink_to_fit();
  for (const LongLine& l : longs_)
    FreeBlock(l.data);
  fills_.clear();
  fills_.shrink_to_fit();
  longs_.clear();
  longs_.shrink_to_fit();
  index_.Clear();
  groupBlock_.clear();
  groupBlock_.shrink_to_fit();
  count_ = 0;
  fillBlock_ = -1;
  fill_ = 0;
}

bool TLogList::Shortage() {
  if (!ReportedShortage && !quietShortage_) {
    ReportedShortage = true;
    static const std::string message =
        Cp932("ログ読込み中にメモリ不足が発生しました\rログ読込みを中断します");
    Ui().Warning(message);
  }
  return false;
}

bool TLogList::NewFillBlock() {
  if (fills_.size() >= INT32_MAX) return false;
  char* data = static_cast<char*>(AllocateZeroedBlock(static_cast<size_t>(blockSize_)));
  if (!data) return false;
  try {
    fills_.push_back({data, static_cast<uint32_t>(count_), 0});
  } catch (const std::bad_alloc&) {
    FreeBlock(data);
    return false;
  }
  if (fillBlock_ >= 0) fills_[static_cast<size_t>(fillBlock_)].used = static_cast<uint32_t>(fill_);
  fillBlock_ = static_cast<int32_t>(fills_.size() - 1);
  fill_ = 0;
  return true;
}

bool TLogList::AppendEntrySlow(uint32_t entry) {
  if (count_ == INT32_MAX) return false;
  if ((count_ & kGroupMask) == 0) {
    try {
      groupBlock_.push_back(static_cast<uint32_t>(fillBlock_ < 0 ? 0 : fillBlock_));
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if (!index_.Append(entry)) {
    if ((count_ & kGroupMask) == 0) groupBlock_.pop_back();
    return false;
  }
  ++count_;
  return true;
}

bool TLogList::AppendEntries(const uint32_t* entries, size_t n) {
  if (n > static_cast<size_t>(INT32_MAX - count_)) return false;
  const bool groupStarts = n > 0 && (count_ & kGroupMask) == 0;
  if (groupStarts) {
    try {
      groupBlock_.push_back(static_cast<uint32_t>(fillBlock_ < 0 ? 0 : fillBlock_));
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if (!index_.AppendRun(entries, n)) {
    if (groupStarts) groupBlock_.pop_back();
    return false;
  }
  count_ += static_cast<int32_t>(n);
  return true;
}

int32_t TLogList::FillBlockOf(int32_t index) const {
  // The last fill block opened at or before the line; blocks opened later hold later lines.
  // A group of lines mostly lies in one block or two.
  const uint32_t line = static_cast<uint32_t>(index);
  const size_t group = line / kGroupLines;
  size_t low = groupBlock_[group];
  for (int step = 0; step < 4; ++step) {
    if (low + 1 >= fills_.size() || fills_[low + 1].firstLine > line)
      return static_cast<int32_t>(low);
    ++low;
  }
  size_t high = group + 1 < groupBlock_.size() ? groupBlock_[group + 1] + 1 : fills_.size();
  while (high - low > 1) {
    const size_t middle = low + (high - low) / 2;
    if (fills_[middle].firstLine <= line) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return static_cast<int32_t>(low);
}

bool TLogList::NewLongLine(std::string_view text) {
  if (longs_.size() >= kLongLine) return false;
  char* data = static_cast<char*>(AllocateZeroedBlock(text.size() + 1));
  if (!data) return false;
  std::memcpy(data, text.data(), text.size());
  try {
    longs_.push_back({data, text.size()});
  } catch (const std::bad_alloc&) {
    FreeBlock(data);
    return false;
  }
  if (!AppendEntry(kLongLine | static_cast<uint32_t>(longs_.size() - 1))) {
    FreeBlock(data);
    longs_.pop_back();
    return false;
  }
  return true;
}

bool TLogList::AddLine(std::string_view Text) {
  const uint64_t length = Text.size();
  if (length >= UINT32_MAX || count_ == INT32_MAX) return Shortage();
  if (length + 1 > static_cast<uint64_t>(blockSize_)) {
    // Longer than a block: the line gets a block of its own, and ordinary lines go on filling
    // the current block.
    return NewLongLine(Text) || Shortage();
  }
  if (fillBlock_ < 0 || fill_ + length + 1 > static_cast<uint64_t>(blockSize_)) {
    if (!NewFillBlock()) return Shortage();
  }
  char* at = fills_[static_cast<size_t>(fillBlock_)].data + fill_;
  if (length) std::memcpy(at, Text.data(), length);
  at[length] = '\0';
  if (!AppendEntry(static_cast<uint32_t>(fill_))) return Shortage();
  fill_ += length + 1;
  return true;
}

bool TLogList::AddLineQuietly(std::string_view Text) {
  const bool quiet = quietShortage_;
  quietShortage_ = true;
  const bool added = AddLine(Text);
  quietShortage_ = quiet;
  return added;
}

void TLogList::GetLine(int32_t Index, std::string& Text) const {
  Text.assign(LineView(Index));
}

std::string TLogList::GetLine(int32_t Index) const {
  return std::string(LineView(Index));
}

std::string_view TLogList::LineView(int32_t Index) const {
  if (static_cast<uint32_t>(Index) >= static_cast<uint32_t>(count_)) return {};
  const size_t block = static_cast<size_t>(FillBlockOf(Index));
  return LineIn(Index, block, block + 1 < fills_.size() ? fills_[block + 1].firstLine : UINT32_MAX);
}

std::string_view TLogList::LineIn(int32_t index, size_t block, uint32_t nextBlockFirst) const {
  const uint32_t entry = Entry(index);
  if (entry & kLongLine) {
    const LongLine& line = longs_[entry & ~kLongLine];
    return std::string_view(line.data, line.length);
  }
  const FillBlock& fill = fills_[block];
  const char* data = fill.data;
  if (fill.mapped) {
    const uint64_t end = MappedLineEnd(index, block, nextBlockFirst);
    return std::string_view(data + entry, MappedLineLength(data + entry, end - entry));
  }
  // The line ends where the next ordinary line of its block starts, or where the block's lines
  // end. Long lines in between live elsewhere.
  uint64_t end = UsedOf(static_cast<int32_t>(block));
  for (int32_t next = index + 1; next < count_ && static_cast<uint32_t>(next) < nextBlockFirst;
       ++next) {
    const uint32_t following = Entry(next);
    if (!(following & kLongLine)) {
      end = following;
      break;
    }
  }
  // The closing zero byte, and an LF kept after it.
  const uint64_t length = end - entry - (data[end - 1] == '\n' ? 2 : 1);
  return std::string_view(data + entry, length);
}

uint64_t TLogList::MappedLineEnd(int32_t index, size_t block, uint32_t nextBlockFirst) const {
  // The file's lines come one after another; only long lines added after the file (until an
  // ordinary line opens a block) may follow them among the part's line numbers.
  const uint32_t following = static_cast<uint32_t>(index + 1) < nextBlockFirst && index + 1 < count_
                                 ? Entry(index + 1)
                                 : kLongLine;
  return following & kLongLine ? UsedOf(static_cast<int32_t>(block)) : following;
}

std::string_view TLogList::StoredSpan(int32_t first, int32_t last, bool* lineEnds) const {
  if (first < 0 || last < first || last >= count_) return {};
  const size_t block = static_cast<size_t>(FillBlockOf(first));
  const uint32_t nextBlockFirst =
      block + 1 < fills_.size() ? fills_[block + 1].firstLine : UINT32_MAX;
  if (static_cast<uint32_t>(last) >= nextBlockFirst) return {};
  for (int32_t i = first; i <= last; ++i) {
    if (Entry(i) & kLongLine) return {};
  }
  if (lineEnds) *lineEnds = fills_[block].mapped;
  if (fills_[block].mapped) {
    const uint64_t end = MappedLineEnd(last, block, nextBlockFirst);
    const uint32_t begin = Entry(first);
    return std::string_view(fills_[block].data + begin, end - begin);
  }
  const char* data = fills_[block].data;
  const std::string_view lastLine = LineIn(last, block, nextBlockFirst);
  const char* begin = data + Entry(first);
  const char* end = lastLine.data() + lastLine.size() + 1;
  if (end < data + UsedOf(static_cast<int32_t>(block)) && *end == '\n') ++end;
  return std::string_view(begin, static_cast<size_t>(end - begin));
}

void TLogList::PrefetchIndex(int32_t first, int32_t last) const {
  if (first < 0 || last < first || last >= count_) return;
  index_.Prefetch(static_cast<size_t>(first));
  const size_t after = static_cast<size_t>(last) + 1;
  if (after < static_cast<size_t>(count_)) index_.Prefetch(after);
}

void TLogList::PrefetchSpan(int32_t first, int32_t last) const {
  if (first < 0 || last < first || last >= count_) return;
  const uint32_t entry = Entry(first);
  if (entry & kLongLine) return;
  const char* data = fills_[static_cast<size_t>(FillBlockOf(first))].data;
  const uint32_t following = last + 1 < count_ ? Entry(last + 1) : kLongLine;
  // An article's lines take a few cache lines; a longer run is left to the processor, which
  // follows a read running through memory by itself.
  const uint32_t end = following & kLongLine ? entry + 1 : std::min(following, entry + 1024);
  for (uint32_t at = entry; at < end; at += 64)
    __builtin_prefetch(data + at);
}

void TLogList::TruncateTo(const Mark& mark) {
  if (mark.count > count_ || mark.fills > fills_.size() || mark.longs > longs_.size() ||
      mark.files > files_.size())
    return;
  for (size_t b = mark.fills; b < fills_.size(); ++b) {
    if (!fills_[b].mapped) FreeBlock(fills_[b].data);
  }
  fills_.resize(mark.fills);
  for (size_t f = mark.files; f < files_.size(); ++f)
    UnmapFile(files_[f]);
  files_.resize(mark.files);
  for (size_t l = mark.longs; l < longs_.size(); ++l)
    FreeBlock(longs_[l].data);
  longs_.resize(mark.longs);
  fillBlock_ = mark.fillBlock;
  fill_ = mark.fill;
  count_ = mark.count;
  index_.TruncateTo(static_cast<size_t>(count_));
  groupBlock_.resize((static_cast<size_t>(count_) + kGroupMask) / kGroupLines);
}

void TLogList::Swap(TLogList& other) {
  fills_.swap(other.fills_);
  longs_.swap(other.longs_);
  files_.swap(other.files_);
  index_.Swap(other.index_);
  groupBlock_.swap(other.groupBlock_);
  std::swap(count_, other.count_);
  std::swap(blockSize_, other.blockSize_);
  std::swap(fillBlock_, other.fillBlock_);
  std::swap(fill_, other.fill_);
}

bool TLogList::Splice(TLogList& other) {
  if (&other == this || other.blockSize_ != blockSize_) return false;
  if (other.count_ == 0) {
    other.Clear();
    return true;
  }
  const size_t moved = static_cast<size_t>(other.count_);
  if (moved > static_cast<size_t>(INT32_MAX - count_) ||
      other.fills_.size() > static_cast<size_t>(INT32_MAX) - fills_.size() ||
      other.longs_.size() >= kLongLine - longs_.size())
    return false;
  // Everything that can fail comes first: room in the tables, then the moved index entries
  // (all or none). Past this point nothing is allocated. A long line's number moves past this
  // list's long lines; an ordinary line's offset in its block stays as it is.
  const size_t total = static_cast<size_t>(count_) + moved;
  try {
    fills_.reserve(fills_.size() + other.fills_.size());
    longs_.reserve(longs_.size() + other.longs_.size());
    files_.reserve(files_.size() + other.files_.size());
    groupBlock_.reserve((total + kGroupMask) / kGroupLines);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint32_t longsBefore = static_cast<uint32_t>(longs_.size());
  // A long line's number moves by longsBefore, written without a branch so that the splice
  // runs in vector code (the check above keeps the sum below the next bit).
  if (!index_.AppendAll(other.index_, [longsBefore](uint32_t entry) {
        return entry + (entry >> 31) * longsBefore;
      }))
    return false;

  // The blocks. The block being filled here is closed: the moved lines follow in blocks of their
  // own, and the last of those takes the lines added next. The closed block's unused tail has
  // never been touched, so it costs address space, not memory.
  const uint32_t first = static_cast<uint32_t>(count_);
  const size_t fillsBefore = fills_.size();
  if (!other.fills_.empty()) {
    // Parts of mapped files among them, and no block being filled there, still close this
    // list's block: the next ordinary line must come after the moved ones.
    CloseFillBlock();
    for (const FillBlock& b : other.fills_)
      fills_.push_back({b.data, b.firstLine + first, b.used, b.mapped});
    if (other.fillBlock_ >= 0) {
      fillBlock_ = static_cast<int32_t>(fillsBefore) + other.fillBlock_;
      fill_ = other.fill_;
    }
  }
  longs_.insert(longs_.end(), other.longs_.begin(), other.longs_.end());
  for (MappedFile& f : other.files_) {
    files_.push_back(std::move(f));
  }
  other.files_.clear();

  // The group table for the groups that begin among the moved lines: the last block opened at
  // or before each group's first line, found by walking blocks and groups together.
  size_t block = fillsBefore > 0 ? fillsBefore - 1 : 0;
  for (size_t group = (static_cast<size_t>(first) + kGroupMask) / kGroupLines;
       group * kGroupLines < total; ++group) {
    const size_t line = group * kGroupLines;
    while (block + 1 < fills_.size() && fills_[block + 1].firstLine <= line)
      ++block;
    groupBlock_.push_back(static_cast<uint32_t>(block));
  }

  count_ = static_cast<int32_t>(total);

  // The other list keeps none of the blocks it gave up; only its index goes.
  other.fills_.clear();
  other.longs_.clear();
  other.Clear();
  return true;
}

void TLogList::CloseFillBlock() {
  if (fillBlock_ >= 0) fills_[static_cast<size_t>(fillBlock_)].used = static_cast<uint32_t>(fill_);
  fillBlock_ = -1;
  fill_ = 0;
}

void TLogList::ReleaseBlock(size_t block) const {
  if (block < fills_.size() && fills_[block].mapped)
    ReleaseMappedPages(fills_[block].data, UsedOf(static_cast<int32_t>(block)));
}

void TLogList::ReleasePages() const {
  for (const MappedFile& f : files_)
    ReleaseMappedPages(f.data, f.size);
}

std::vector<TLogList::FileChange> TLogList::ChangedFiles() const {
  // A file shortened and written on again past its old end is told by its last mapped bytes,
  // which then read as the zero bytes put in place of the lost pages.
  std::vector<FileChange> changes;
  for (const MappedFile& f : files_) {
    const MappedFileState state = CheckMappedFile(f);
    if (state != MappedFileState::Unchanged) changes.push_back({f.path, state});
  }
  return changes;
}

int32_t TLogList::LoadFromFile(const std::string& FileName, LoadWatcher* watcher,
                               bool keepWindowAlive) {
  if (MapFiles()) {
    const int32_t result = LoadMapped(FileName, watcher, keepWindowAlive, nullptr);
    if (result != kNotMapped) return result;
  }
  // A FIFO or a device is refused: it could block the program or never end.
  std::FILE* file = OpenRegularFile(FileName);
  if (!file) return LoadOpenFailed;
  // The blocks are the only buffer: the file is read straight into them.
  std::setvbuf(file, nullptr, _IONBF, 0);
  // A shortage while reading a file is told by the caller, which knows what the load does
  // about it.
  quietShortage_ = true;
  pump_ = keepWindowAlive;
  int32_t result = LoadOutOfMemory;
  try {
    result = ReadLines(file, watcher);
  } catch (const std::bad_alloc&) {
    // Only the gathering of a long line allocates outside the blocks; the lines stored so far
    // stay whole.
  }
  quietShortage_ = false;
  pump_ = true;
  std::fclose(file);
  return result;
}

int32_t TLogList::LoadMapped(const std::string& FileName, LoadWatcher* watcher,
                             bool keepWindowAlive, const std::string_view* index) {
  MappedFile mapped;
  if (!MapFile(FileName, mapped)) return kNotMapped;
  const Mark before = End();
  try {
    files_.push_back(std::move(mapped));
  } catch (const std::bad_alloc&) {
    UnmapFile(mapped);
    return LoadOutOfMemory;
  }
  quietShortage_ = true;
  pump_ = keepWindowAlive;
  const int32_t result =
      index ? ReplayIndex(files_.back(), *index, watcher) : IndexMappedFile(files_.back(), watcher);
  quietShortage_ = false;
  pump_ = true;
  // Lines an index put in place count only whole: the caller reads the file instead.
  if (index && result != LoadOk) TruncateTo(before);
  return result;
}

// Indexes the lines of a mapped file where they lie, in parts of about kMappedPart bytes, as
// ReadLines would cut them: the same line ends, the end at a Ctrl-Z, a line of more than
// kLongestLine bytes cut between characters.
int32_t TLogList::IndexMappedFile(const MappedFile& file, LoadWatcher* watcher) {
  CloseFillBlock();
  const char* data = file.data;
  uint64_t size = file.size;
  uint64_t partBase = 0;
  auto newPart = [&](uint64_t at) { return NewMappedPart(data, at, partBase); };
  if (!newPart(0)) return Shortage(), LoadOutOfMemory;
  int32_t pumpCountdown = kPumpLines;
  bool stopped = false;  // the watcher asked to stop
  auto goOn = [&](uint64_t scanned) {
    if (!watcher) return true;
    watcher->FileBytesRead(scanned);
    stopped = watcher->StopReading();
    return !stopped;
  };
  // Closes the part at the end of what was indexed; the list goes on in blocks of its own.
  auto finish = [&](uint64_t end, int32_t result) {
    fill_ = end - partBase;
    CloseFillBlock();
    return result;
  };
  uint64_t lineStart = 0;
  // Indexes the line that starts at lineStart and ends (without its line end) at `end`.
  auto index = [&](uint64_t end) __attribute__((always_inline)) {
    while (end - lineStart > kLongestLine) {
      const size_t piece =
          PieceLength(std::string_view(data + lineStart, end - lineStart), kLongestLine);
      if (!AppendEntry(static_cast<uint32_t>(lineStart - partBase))) return Shortage();
      lineStart += piece;
      if (lineStart - partBase >= kMappedPart && !newPart(lineStart)) return Shortage();
    }
    return AppendEntry(static_cast<uint32_t>(lineStart - partBase)) || Shortage();
  };
  uint64_t released = 0;
  for (uint64_t pieceStart = 0; pieceStart < size; pieceStart += kMappedPiece) {
    uint64_t pieceEnd = std::min(size, pieceStart + kMappedPiece);
    if (const void* eofMark = std::memchr(data + pieceStart, kEndOfFile, pieceEnd - pieceStart)) {
      size = pieceEnd = static_cast<uint64_t>(static_cast<const char*>(eofMark) - data);
    }
    uint64_t scan = std::max(pieceStart, lineStart);
    // A line end at `at`; a CR followed by LF ends the line with both.
    auto cut = [&](uint64_t at) __attribute__((always_inline)) {
      if (at < lineStart) return true;  // the LF of a CR LF, taken with its CR
      if (!index(at)) return false;
      lineStart = at + 1;
      if (data[at] == '\r' && lineStart < size && data[lineStart] == '\n') ++lineStart;
      if (lineStart - partBase >= kMappedPart && lineStart < size && !newPart(lineStart))
        return Shortage();
      if (--pumpCountdown == 0) {
        // The lines indexed so far end at fill_ whenever the window may look at them.
        pumpCountdown = kPumpLines;
        fill_ = lineStart - partBase;
        if (pump_) Ui().ProcessMessages();
        return goOn(lineStart);
      }
      return true;
    };
#ifdef __SSE2__
    for (; scan + 64 <= pieceEnd; scan += 64) {
      for (uint64_t mask = LineEnds64(data + scan); mask; mask &= mask - 1) {
        if (!cut(scan + static_cast<uint64_t>(__builtin_ctzll(mask))))
          return finish(lineStart, stopped ? LoadCancelled : LoadOutOfMemory);
      }
    }
#endif
    while (scan < pieceEnd) {
      const char* lineEnd = FindLineEnd(data + scan, data + pieceEnd);
      if (!lineEnd) break;
      if (!cut(static_cast<uint64_t>(lineEnd - data)))
        return finish(lineStart, stopped ? LoadCancelled : LoadOutOfMemory);
      scan = static_cast<uint64_t>(lineEnd - data) + 1;
    }
    if (pieceEnd - released >= kReleaseBehind + kMappedPiece) {
      // The pages behind the scan are not looked at again while the file is read.
      const uint64_t upTo = std::min(lineStart, pieceEnd) & ~(kMappedPiece - 1);
      if (upTo > released) {
        ReleaseMappedPages(data + released, upTo - released);
        released = upTo;
      }
    }
    if (!goOn(pieceEnd)) return finish(lineStart, LoadCancelled);
  }
  // What is left is the last line, without a line end.
  if (lineStart < size && !index(size)) return finish(lineStart, LoadOutOfMemory);
  if (lineStart < size) lineStart = size;
  // The files of an archive are all read before the analysis walks them: what was looked at
  // is given back now, or the whole archive would be held at once.
  ReleaseMappedPages(data + released, size - released);
  goOn(size);
  return finish(lineStart, LoadOk);
}

bool TLogList::NewMappedPart(const char* data, uint64_t at, uint64_t& partBase) {
  if (fillBlock_ >= 0)
    fills_[static_cast<size_t>(fillBlock_)].used = static_cast<uint32_t>(at - partBase);
  if (fills_.size() >= INT32_MAX) return false;
  try {
    fills_.push_back({const_cast<char*>(data + at), static_cast<uint32_t>(count_), 0, true});
  } catch (const std::bad_alloc&) {
    return false;
  }
  fillBlock_ = static_cast<int32_t>(fills_.size() - 1);
  partBase = at;
  fill_ = 0;
  return true;
}

bool TLogList::IndexLine(uint64_t offset) {
  if (!AppendEntry(static_cast<uint32_t>(offset))) return Shortage();
  if (pump_ && count_ % kPumpLines == 0) Ui().ProcessMessages();
  return true;
}

// Reads the file straight into the block being filled and cuts the lines out where they lie:
// each line end (CR LF, CR alone or LF alone) becomes the line's closing zero byte, and the LF
// of a CR LF stays where it is (the index tells the line's length from it). A line that runs
// past the end of the block moves to a new block; one longer than a whole block is gathered
// aside and stored in a block of its own.
int32_t TLogList::ReadLines(std::FILE* file, LoadWatcher* watcher) {
  const uint64_t blockBytes = static_cast<uint64_t>(blockSize_);
  if (fillBlock_ < 0 || fill_ >= blockBytes) {
    if (!NewFillBlock()) return Shortage(), LoadOutOfMemory;
  }
  uint64_t end = fill_;  // bytes read into the block; fill_ .. end is not yet cut into lines
  bool skipLf = false;   // the last byte read was a CR: an LF coming next belongs to it
  bool atEnd = false;
  bool failed = false;
  bool longLine = false;  // gathering a line longer than a block in `gathered`
  std::string gathered;
  // Stores the gathered line's leading pieces while it is longer than the longest line, and
  // with `whole` the rest as well. Each goes into a block of its own, even a short rest: the
  // block being filled serves as the read buffer meanwhile.
  auto storeGathered = [&](bool whole) {
    while (gathered.size() > kLongestLine) {
      const size_t piece = PieceLength(gathered, kLongestLine);
      if (!NewLongLine(std::string_view(gathered).substr(0, piece))) return Shortage();
      gathered.erase(0, piece);
    }
    if (!whole) return true;
    if (!NewLongLine(gathered)) return Shortage();
    gathered = std::string();
    return true;
  };
  int32_t pumpCountdown = kPumpLines;
  uint64_t fileBytes = 0;  // read from the file so far
  bool stopped = false;    // the watcher asked to stop
  // After the window was kept alive and after every piece read: the watcher is told how far
  // the file is read and may stop the reading.
  auto goOn = [&]() {
    if (!watcher) return true;
    watcher->FileBytesRead(fileBytes);
    stopped = watcher->StopReading();
    return !stopped;
  };

  for (;;) {
    char* data = fills_[static_cast<size_t>(fillBlock_)].data;
    if (skipLf && fill_ < end) {
      skipLf = false;
      if (data[fill_] == '\n') ++fill_;
    }
    uint64_t lineStart = fill_;
    // The line end at `at` has been dealt with: the next line starts after it, and after an LF
    // that directly follows it when it is a CR.
    auto nextLine = [&](uint64_t at, bool cr) __attribute__((always_inline)) {
      lineStart = at + 1;
      if (!cr) return;
      if (lineStart == end) {
        skipLf = true;
      } else if (data[lineStart] == '\n') {
        ++lineStart;
      }
    };
    // Cuts the line that ends at `at` where it lies; false when it could not be stored. The
    // lines cut so far end at fill_ whenever the window may look at them.
    auto cut = [&](uint64_t at) __attribute__((always_inline)) {
      if (at < lineStart) return true;  // the LF of a CR LF, taken with its CR
      const bool cr = data[at] == '\r';
      data[at] = '\0';
      if (!AppendEntry(static_cast<uint32_t>(lineStart))) {
        fill_ = lineStart;
        return Shortage();
      }
      nextLine(at, cr);
      if (--pumpCountdown == 0) {
        pumpCountdown = kPumpLines;
        fill_ = lineStart;
        if (pump_) Ui().ProcessMessages();
        return goOn();
      }
      return true;
    };
    uint64_t scan = lineStart;
    if (longLine) {
      // A line longer than a block ends at the first line end, if it is in what was read.
      const char* lineEnd = FindLineEnd(data + scan, data + end);
      if (lineEnd) {
        const uint64_t at = static_cast<uint64_t>(lineEnd - data);
        gathered.append(data + lineStart, at - lineStart);
        longLine = false;
        if (!storeGathered(true)) return LoadOutOfMemory;
        if (pump_ && count_ % kPumpLines == 0) Ui().ProcessMessages();
        nextLine(at, *lineEnd == '\r');
        fill_ = scan = lineStart;
      } else {
        scan = end;
      }
    }
#ifdef __SSE2__
    // Most lines are short: find the line ends of 64 bytes at a time instead of searching for
    // every line.
    for (; scan + 64 <= end; scan += 64) {
      for (uint64_t mask = LineEnds64(data + scan); mask; mask &= mask - 1) {
        if (!cut(scan + static_cast<uint64_t>(__builtin_ctzll(mask)))) {
          return stopped ? LoadCancelled : LoadOutOfMemory;
        }
      }
    }
#endif
    while (scan < end) {
      const char* lineEnd = FindLineEnd(data + scan, data + end);
      if (!lineEnd) break;
      if (!cut(static_cast<uint64_t>(lineEnd - data))) {
        return stopped ? LoadCancelled : LoadOutOfMemory;
      }
      scan = static_cast<uint64_t>(lineEnd - data) + 1;
    }
    fill_ = lineStart;

    if (atEnd) {
      // What is left is the last line, without a line end.
      const uint64_t rest = end - fill_;
      if (longLine) {
        gathered.append(data + fill_, rest);
        if (!storeGathered(true)) return LoadOutOfMemory;
      } else if (rest > 0 && end < blockBytes) {
        data[end] = '\0';
        const uint64_t start = fill_;
        fill_ = end + 1;
        if (!IndexLine(start)) {
          fill_ = start;
          return LoadOutOfMemory;
        }
      } else if (rest > 0) {
        const std::string last(data + fill_, rest);
        std::memset(data + fill_, 0, rest);
        if (!AddLine(last)) return LoadOutOfMemory;
      }
      goOn();
      return failed ? LoadReadFailed : LoadOk;
    }

    if (end == blockBytes) {
      // The block is full and ends inside a line.
      const uint64_t rest = end - fill_;
      if (longLine || fill_ == 0) {
        longLine = true;
        gathered.append(data + fill_, rest);
        fill_ = end = 0;  // the block serves as the read buffer until the line ends
        if (!storeGathered(false)) return LoadOutOfMemory;
      } else {
        const uint64_t from = fill_;
        if (!NewFillBlock()) return Shortage(), LoadOutOfMemory;
        char* fresh = fills_.back().data;
        std::memcpy(fresh, data + from, rest);
        std::memset(data + from, 0, rest);
        end = rest;
        data = fresh;
      }
    }

    // Read in pieces small enough to be scanned while they are still in the cache.
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(blockBytes - end, kReadBytes));
    size_t got = std::fread(data + end, 1, wanted, file);
    if (got == 0) {
      atEnd = true;
      failed = std::ferror(file) != 0;
    }
    if (const void* eofMark = std::memchr(data + end, kEndOfFile, got)) {
      got = static_cast<size_t>(static_cast<const char*>(eofMark) - (data + end));
      atEnd = true;
    }
    end += got;
    fileBytes += got;
    if (!goOn()) return LoadCancelled;
  }
}

}  // namespace vorn
