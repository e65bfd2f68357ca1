// Where the lines of a mapped file start, kept so that an unchanged file is loaded again without
// being read.

#include <string>
#include <string_view>

#include "analysis/LogList.h"
#include "platform/UiServices.h"

namespace vorn {

namespace {

// The index of a mapped file: the number of lines, where the last one ends, and each line's
// start as the distance from the last one's (the first line's from 0), each a base-128 number.
void PutVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7F) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}

bool TakeVarint(const char*& at, const char* end, uint64_t& v) {
  v = 0;
  for (unsigned shift = 0; shift < 64 && at < end; shift += 7) {
    const auto byte = static_cast<unsigned char>(*at++);
    v |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return true;
  }
  return false;
}

}  // namespace

bool TLogList::MappedFileIndex(const Mark& from, std::string& out) const {
  out.clear();
  if (files_.size() != from.files + 1 || longs_.size() != from.longs || fillBlock_ >= 0 ||
      from.fills >= fills_.size() ||
      static_cast<uint32_t>(from.count) != fills_[from.fills].firstLine)
    return false;
  const MappedFile& file = files_.back();
  PutVarint(out, static_cast<uint64_t>(count_ - from.count));
  uint64_t end = 0;
  std::string starts;
  uint64_t last = 0;
  for (size_t b = from.fills; b < fills_.size(); ++b) {
    const FillBlock& block = fills_[b];
    if (!block.mapped || block.data < file.data || block.data > file.data + file.size) return false;
    const auto base = static_cast<uint64_t>(block.data - file.data);
    const uint32_t next =
        b + 1 < fills_.size() ? fills_[b + 1].firstLine : static_cast<uint32_t>(count_);
    for (uint32_t i = block.firstLine; i < next; ++i) {
      const uint32_t entry = Entry(static_cast<int32_t>(i));
      if (entry & kLongLine) return false;
      const uint64_t start = base + entry;
      PutVarint(starts, start - last);
      last = start;
    }
    end = base + block.used;
  }
  PutVarint(out, end);
  out += starts;
  return true;
}

int32_t TLogList::LoadIndexedFile(const std::string& FileName, std::string_view index,
                                  LoadWatcher* watcher, bool keepWindowAlive) {
  if (!MapFiles()) return LoadReadFailed;
  const int32_t result = LoadMapped(FileName, watcher, keepWindowAlive, &index);
  return result == kNotMapped ? LoadReadFailed : result;
}

// The lines where the index puts them, in parts as IndexMappedFile cuts them: a part begins at
// the first line that starts kMappedPart bytes or more past the part before.
int32_t TLogList::ReplayIndex(const MappedFile& file, std::string_view index,
                              LoadWatcher* watcher) {
  const char* at = index.data();
  const char* const indexEnd = at + index.size();
  uint64_t lines = 0, end = 0;
  if (!TakeVarint(at, indexEnd, lines) || !TakeVarint(at, indexEnd, end) || end > file.size ||
      lines > static_cast<uint64_t>(INT32_MAX - count_) ||
      lines > static_cast<uint64_t>(indexEnd - at))
    return LoadReadFailed;
  CloseFillBlock();
  uint64_t partBase = 0;
  if (!NewMappedPart(file.data, 0, partBase)) return Shortage(), LoadOutOfMemory;
  uint64_t start = 0;
  // The entries go over a group of the index at a time once the lines have reached the start
  // of one; a step of one byte, as most lines have, is read without the general loop.
  uint32_t run[LineIndex::kGroupLines];
  size_t inRun = 0;
  auto flush = [&]() {
    const bool ok = AppendEntries(run, inRun);
    inRun = 0;
    return ok;
  };
  for (uint64_t i = 0; i < lines; ++i) {
    uint64_t step = 0;
    if (at < indexEnd && static_cast<unsigned char>(*at) < 0x80) {
      step = static_cast<unsigned char>(*at++);
    } else if (!TakeVarint(at, indexEnd, step)) {
      return LoadReadFailed;
    }
    if (step > kLongestMappedStep || (i == 0) != (step == 0)) return LoadReadFailed;
    start += step;
    if (start >= end) return LoadReadFailed;
    if (start - partBase >= kMappedPart && (!flush() || !NewMappedPart(file.data, start, partBase)))
      return Shortage(), LoadOutOfMemory;
    const auto entry = static_cast<uint32_t>(start - partBase);
    if (inRun == 0 && count_ % LineIndex::kGroupLines != 0) {
      if (!AppendEntry(entry)) return Shortage(), LoadOutOfMemory;
    } else {
      run[inRun++] = entry;
      if (inRun == LineIndex::kGroupLines && !flush()) return Shortage(), LoadOutOfMemory;
    }
    if ((i & 0xFFFF) == 0xFFFF) {
      if (!flush()) return Shortage(), LoadOutOfMemory;
      if (pump_) Ui().ProcessMessages();
      if (watcher && watcher->StopReading()) return LoadCancelled;
    }
  }
  if (!flush()) return Shortage(), LoadOutOfMemory;
  if (at != indexEnd || (lines > 0 && end - start > kLongestMappedStep) || (lines == 0 && end != 0))
    return LoadReadFailed;
  fill_ = end - partBase;
  CloseFillBlock();
  if (watcher) {
    watcher->FileBytesRead(file.size);
    if (watcher->StopReading()) return LoadCancelled;
  }
  return LoadOk;
}

}  // namespace vorn
