#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileQuery.h"
#include "platform/MappedFile.h"

namespace vorn {

class CacheChecksum;

// A log file as the analysis meets it: its lines in the log, and what it was on disk while it
// was read.
struct AnalysedFile {
  std::string path;
  // The same before and after the file was read, else ok is false: nothing is kept of it.
  FileStamp stamp;
  int32_t firstLine = 0;
  // Its lines, with the end line the loader put after them.
  int32_t lineCount = 0;
};

// What the analysis found in each log file, kept between runs so that a file analysed before
// is not walked again: the findings in the batches they were handed over in (line numbers
// counted from the file's first line) and the walk's state at the file's end.
//
// An entry stands for one file and is found by its path. It holds the whole key it was made
// under (the program's own stamp, the family, the set's patterns, the file's stamp and the walk's
// state at the file's start) and is used only when that key is the one asked for, its checksum
// holds and every length in it fits. Anything else (another program's file, a truncated write,
// a changed log, changed patterns) reads as no entry, and the file is walked and its entry
// written anew. Entries are written to a scratch file and renamed into place, so a run ended at
// any point leaves a complete entry or none.
class AnalysisCache final {
 public:
  // folder ends with the separator; an empty folder keeps nothing.
  explicit AnalysisCache(std::string folder);

  const std::string& Folder() const { return folder_; }
  bool Usable() const { return usable_; }

  // An entry read back and checked, its parts where they lie in the mapped entry file.
  struct Batch {
    int32_t linesWalked = 0;  // from the file's first line
    uint32_t itemCount = 0;
    std::string_view items;  // encoded: DecodeItems
    std::string_view bytes;
  };
  // The batch's findings, each of findingSize bytes, into items. False when they do not decode.
  static bool DecodeItems(const Batch& batch, size_t findingSize, void* items);
  // The most bytes of findings of one entry held decoded at once: 32 MB, or the number of
  // VORN_CACHE_DECODED_AT_ONCE in the environment (the tests take both ways of a replay).
  static size_t DecodedAtOnce();
  class Entry {
   public:
    Entry() = default;
    ~Entry() { Close(); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    // Gives back the pages of the entry before this point: they were taken.
    void TakenUpTo(const char* at);
    void Close();

    std::string_view stateOut;
    std::vector<Batch> batches;

   private:
    friend class AnalysisCache;
    MappedFile map_;
    std::string read_;  // an entry that could not be mapped, read whole
    std::string_view data_;
    size_t released_ = 0;
  };
  // False when there is no entry for the file under this key with this finding size and line
  // count.
  bool Read(std::string_view family, const AnalysedFile& file, std::string_view key,
            size_t findingSize, Entry& entry) const;

  // An entry being made while its file is walked, written as it grows into a scratch file of
  // the folder, which Finish renames into place: a file's findings are never all in memory.
  // A writer not finished removes its scratch file.
  class Writer {
   public:
    Writer(const AnalysisCache& cache, std::string_view family, const AnalysedFile& file,
           std::string_view key, size_t findingSize);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    void AddBatch(int32_t linesWalked, const void* items, uint32_t itemCount,
                  std::string_view bytes);
    // Completes the entry with the walk's state at the file's end and puts it in place. False
    // when it could not be written (the cache is only a help: nothing is told).
    bool Finish(std::string_view stateOut);

   private:
    void Flush();
    std::string target_, scratch_;
    int fd_ = -1;
    bool ok_ = false;
    std::string buffer_;
    std::unique_ptr<CacheChecksum> sum_;
    size_t findingSize_;
  };

  // Where the lines of a log file start (TLogList::MappedFileIndex), kept beside its findings so
  // that an unchanged file is loaded without being read: found by the file's path and used only
  // for the file as it was stamped then (file.stamp), by this program. False when there is none.
  class LineIndexEntry {
   public:
    LineIndexEntry() = default;
    ~LineIndexEntry() { Close(); }
    LineIndexEntry(const LineIndexEntry&) = delete;
    LineIndexEntry& operator=(const LineIndexEntry&) = delete;
    void Close();

    std::string_view index;  // where it lies in the mapped entry (or the entry read whole)

   private:
    friend class AnalysisCache;
    MappedFile map_;
    std::string read_;
  };
  bool ReadLineIndex(const AnalysedFile& file, LineIndexEntry& entry) const;
  // False when it could not be kept (nothing is told).
  bool WriteLineIndex(const AnalysedFile& file, std::string_view index) const;

  // The key of a file's entry: everything its findings depend on.
  std::string Key(std::string_view family, std::string_view settingsKey, const AnalysedFile& file,
                  std::string_view stateIn) const;

  // Bytes of the folder's entries and scratch files.
  static uint64_t FolderBytes(const std::string& folder);
  // Removes every entry and scratch file; false when one could not be removed.
  static bool ClearFolder(const std::string& folder);

 private:
  std::string EntryPath(std::string_view family, const std::string& path) const;
  static bool Parse(std::string_view data, std::string_view key, int32_t lineCount,
                    size_t findingSize, Entry& entry);

  std::string folder_;
  std::string program_;
  bool usable_ = false;
};

// How one analysis uses the cache: the files of the log from its first line analysed on, and
// what the findings of the family's walk depend on beside a file and the walk's state.
struct AnalysisCacheUse {
  const AnalysisCache* cache = nullptr;
  std::string family;
  std::string settingsKey;
  const std::vector<AnalysedFile>* files = nullptr;
  // Out: the files whose findings came from the cache, and those whose findings were kept.
  int32_t filesFromCache = 0;
  int32_t filesKept = 0;

  // The files lie one after another from startLine to the log's end.
  bool Covers(int32_t startLine, int32_t count) const {
    if (!cache || !cache->Usable() || !files || files->empty()) return false;
    int32_t next = startLine;
    for (const AnalysedFile& f : *files) {
      if (f.firstLine != next || f.lineCount < 0) return false;
      next += f.lineCount;
    }
    return next == count;
  }
};

// Writes and reads back the state a walk carries from one line to the next.
class WalkStateWriter {
 public:
  void Int(int64_t v) { out_.append(reinterpret_cast<const char*>(&v), sizeof v); }
  void Text(std::string_view t) {
    Int(static_cast<int64_t>(t.size()));
    out_.append(t);
  }
  std::string& Out() { return out_; }

 private:
  std::string out_;
};

class WalkStateReader {
 public:
  explicit WalkStateReader(std::string_view in) : in_(in) {}
  // False once the state ran short or a value was out of its range; read values are then 0.
  bool Ok() const { return ok_; }
  bool AtEnd() const { return in_.empty(); }
  int64_t Int(int64_t low, int64_t high) {
    int64_t v = 0;
    if (!ok_ || in_.size() < sizeof v) return Fail();
    std::memcpy(&v, in_.data(), sizeof v);
    in_.remove_prefix(sizeof v);
    if (v < low || v > high) return Fail();
    return v;
  }
  std::string Text() {
    const int64_t size = Int(0, static_cast<int64_t>(in_.size()) - 8);
    if (!ok_ || static_cast<size_t>(size) > in_.size()) return Fail(), std::string();
    std::string t(in_.substr(0, static_cast<size_t>(size)));
    in_.remove_prefix(static_cast<size_t>(size));
    return t;
  }

 private:
  int64_t Fail() {
    ok_ = false;
    return 0;
  }
  std::string_view in_;
  bool ok_ = true;
};

}  // namespace vorn
