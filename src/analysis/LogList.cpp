#include "analysis/LogList.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/Cp932.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "store/BlockMemory.h"

namespace vorn {
namespace {

// The window is kept alive this often while a file is read.
constexpr int32_t kPumpLines = 1000;
// Ctrl-Z: nothing after it belongs to the file.
constexpr char kEndOfFile = 0x1A;
constexpr uint64_t kReadBytes = 128 * 1024;

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
    : index_(static_cast<int32_t>(sizeof(LineRef)) * (IndexChunk < 1 ? 1 : IndexChunk),
             static_cast<int32_t>(sizeof(LineRef))),
      blockSize_(BlockSize < 2 ? 2 : BlockSize) {}

TLogList::~TLogList() {
  Clear();
}

void TLogList::Clear() {
  for (const Block& b : blocks_)
    FreeBlock(b.data);
  blocks_.clear();
  blocks_.shrink_to_fit();
  index_.Clear();
  fillBlock_ = -1;
  fill_ = 0;
}

bool TLogList::Shortage() {
  if (!ReportedShortage) {
    ReportedShortage = true;
    static const std::string message =
        Cp932("ログ読込み中にメモリ不足が発生しました\rログ読込みを中断します");
    Ui().Warning(message);
  }
  return false;
}

bool TLogList::NewBlock(uint64_t size) {
  if (blocks_.size() >= UINT32_MAX) return false;
  char* data = static_cast<char*>(AllocateZeroedBlock(size));
  if (!data) return false;
  try {
    blocks_.push_back({data, size});
  } catch (const std::bad_alloc&) {
    FreeBlock(data);
    return false;
  }
  return true;
}

bool TLogList::AddLine(std::string_view Text) {
  const uint64_t length = Text.size();
  if (length >= UINT32_MAX || Count() == INT32_MAX) return Shortage();
  LineRef ref;
  ref.length = static_cast<uint32_t>(length);
  const bool ownBlock = length + 1 > static_cast<uint64_t>(blockSize_);
  if (ownBlock) {
    // Longer than a block: the line gets a block of its own, and ordinary lines go on filling
    // the current block.
    if (!NewBlock(length + 1)) return Shortage();
    ref.block = static_cast<uint32_t>(blocks_.size() - 1);
    ref.offset = 0;
  } else {
    if (fillBlock_ < 0 || fill_ + length + 1 > static_cast<uint64_t>(blockSize_)) {
      if (!NewBlock(static_cast<uint64_t>(blockSize_))) return Shortage();
      fillBlock_ = static_cast<int32_t>(blocks_.size() - 1);
      fill_ = 0;
    }
    ref.block = static_cast<uint32_t>(fillBlock_);
    ref.offset = static_cast<uint32_t>(fill_);
  }
  char* at = blocks_[ref.block].data + ref.offset;
  if (length) std::memcpy(at, Text.data(), length);
  at[length] = '\0';
  if (!index_.AddRecord(ref)) {
    if (ownBlock) {
      FreeBlock(blocks_.back().data);
      blocks_.pop_back();
    }
    return Shortage();
  }
  if (!ownBlock) fill_ += length + 1;
  return true;
}

void TLogList::GetLine(int32_t Index, std::string& Text) const {
  Text.assign(LineView(Index));
}

std::string TLogList::GetLine(int32_t Index) const {
  return std::string(LineView(Index));
}

const char* TLogList::LinePtr(int32_t Index) const {
  const LineRef* ref = Ref(Index);
  if (!ref) return nullptr;
  return blocks_[ref->block].data + ref->offset;
}

std::string_view TLogList::LineView(int32_t Index) const {
  const LineRef* ref = Ref(Index);
  if (!ref) return {};
  return std::string_view(blocks_[ref->block].data + ref->offset, ref->length);
}

int32_t TLogList::LoadFromFile(const std::string& FileName) {
  // A FIFO or a device is refused: it could block the program or never end.
  std::FILE* file = OpenRegularFile(FileName);
  if (!file) return LoadOpenFailed;
  // The blocks are the only buffer: the file is read straight into them.
  std::setvbuf(file, nullptr, _IONBF, 0);
  const int32_t result = ReadLines(file);
  std::fclose(file);
  return result;
}

bool TLogList::IndexLine(uint32_t block, uint64_t offset, uint64_t length) {
  LineRef ref{block, static_cast<uint32_t>(offset), static_cast<uint32_t>(length)};
  if (Count() == INT32_MAX || !index_.AddRecord(ref)) return Shortage();
  if (Count() % kPumpLines == 0) Ui().ProcessMessages();
  return true;
}

// Reads the file straight into the block being filled and cuts the lines out where they lie:
// each line end (CR LF, CR alone or LF alone) becomes the line's closing zero byte. A line
// that runs past the end of the block moves to a new block; one longer than a whole block is
// gathered aside and stored in a block of its own.
int32_t TLogList::ReadLines(std::FILE* file) {
  const uint64_t blockBytes = static_cast<uint64_t>(blockSize_);
  if (fillBlock_ < 0 || fill_ >= blockBytes) {
    if (!NewBlock(blockBytes)) return Shortage(), LoadOutOfMemory;
    fillBlock_ = static_cast<int32_t>(blocks_.size() - 1);
    fill_ = 0;
  }
  uint64_t end = fill_;  // bytes read into the block; fill_ .. end is not yet cut into lines
  bool skipLf = false;   // the last byte read was a CR: an LF coming next belongs to it
  bool atEnd = false;
  bool failed = false;
  bool longLine = false;  // gathering a line longer than a block in `gathered`
  std::string gathered;
  int32_t pumpCountdown = kPumpLines;

  for (;;) {
    char* data = blocks_[static_cast<size_t>(fillBlock_)].data;
    if (skipLf && fill_ < end) {
      skipLf = false;
      if (data[fill_] == '\n') data[fill_++] = '\0';
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
        data[lineStart++] = '\0';
      }
    };
    // Cuts the line that ends at `at` where it lies; false when it could not be stored.
    const uint32_t block = static_cast<uint32_t>(fillBlock_);
    auto cut = [&](uint64_t at) __attribute__((always_inline)) {
      if (at < lineStart) return true;  // the LF of a CR LF, taken with its CR
      const bool cr = data[at] == '\r';
      data[at] = '\0';
      const LineRef ref{block, static_cast<uint32_t>(lineStart),
                        static_cast<uint32_t>(at - lineStart)};
      if (index_.Count() == INT32_MAX || !index_.AddRecord(ref)) return Shortage();
      if (--pumpCountdown == 0) {
        pumpCountdown = kPumpLines;
        Ui().ProcessMessages();
      }
      nextLine(at, cr);
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
        if (!AddLine(gathered)) return LoadOutOfMemory;
        gathered = std::string();
        if (Count() % kPumpLines == 0) Ui().ProcessMessages();
        nextLine(at, *lineEnd == '\r');
        scan = lineStart;
      } else {
        scan = end;
      }
    }
#ifdef __SSE2__
    // Most lines are short: find the line ends of 64 bytes at a time instead of searching for
    // every line.
    for (; scan + 64 <= end; scan += 64) {
      for (uint64_t mask = LineEnds64(data + scan); mask; mask &= mask - 1) {
        if (!cut(scan + static_cast<uint64_t>(__builtin_ctzll(mask)))) return LoadOutOfMemory;
      }
    }
#endif
    while (scan < end) {
      const char* lineEnd = FindLineEnd(data + scan, data + end);
      if (!lineEnd) break;
      if (!cut(static_cast<uint64_t>(lineEnd - data))) return LoadOutOfMemory;
      scan = static_cast<uint64_t>(lineEnd - data) + 1;
    }
    fill_ = lineStart;

    if (atEnd) {
      // What is left is the last line, without a line end.
      const uint64_t rest = end - fill_;
      if (longLine) {
        gathered.append(data + fill_, rest);
        if (!AddLine(gathered)) return LoadOutOfMemory;
      } else if (rest > 0 && end < blockBytes) {
        data[end] = '\0';
        if (!IndexLine(static_cast<uint32_t>(fillBlock_), fill_, rest)) return LoadOutOfMemory;
        fill_ = end + 1;
      } else if (rest > 0) {
        const std::string last(data + fill_, rest);
        std::memset(data + fill_, 0, rest);
        if (!AddLine(last)) return LoadOutOfMemory;
      }
      return failed ? LoadReadFailed : LoadOk;
    }

    if (end == blockBytes) {
      // The block is full and ends inside a line.
      const uint64_t rest = end - fill_;
      if (longLine || fill_ == 0) {
        longLine = true;
        gathered.append(data + fill_, rest);
        fill_ = end = 0;  // the block serves as the read buffer until the line ends
      } else {
        if (!NewBlock(blockBytes)) return Shortage(), LoadOutOfMemory;
        char* fresh = blocks_.back().data;
        std::memcpy(fresh, data + fill_, rest);
        std::memset(data + fill_, 0, rest);
        fillBlock_ = static_cast<int32_t>(blocks_.size() - 1);
        fill_ = 0;
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
  }
}

}  // namespace vorn
