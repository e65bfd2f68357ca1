#include "analysis/AnalysisCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/TextFile.h"

// Inlined: the checksum runs over every byte of a warm start's entries.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace vorn {
namespace {

constexpr std::string_view kMagic = "VORNAC04";
constexpr std::string_view kLineIndexMagic = "VORNLI02";
// Every entry ends with a checksum of the bytes before it.
constexpr size_t kSumBytes = 8;
// The entries of line indexes are named as those of a family of this name.
constexpr std::string_view kLineIndexFamily = "lines";
constexpr std::string_view kEntrySuffix = ".vac";
// Entries are written through the locked scratch files of the platform (CreateScratchFile).
constexpr std::string_view kScratchPrefix = ".vorn-";
// Earlier versions wrote unlocked scratch files of their own; one this old was left by a run
// that ended before it could rename it.
constexpr std::string_view kUnlockedScratchPrefix = ".vac-";
constexpr time_t kStaleScratchSeconds = 24 * 60 * 60;

void PutU32(std::string& out, uint32_t v) {
  out.append(reinterpret_cast<const char*>(&v), 4);
}
void PutI32(std::string& out, int32_t v) {
  out.append(reinterpret_cast<const char*>(&v), 4);
}

// Reads the parts of an entry in order; any read past its end fails the whole entry.
class Parts {
 public:
  explicit Parts(std::string_view in) : in_(in) {}
  bool U32(uint32_t& v) { return Take(&v, 4); }
  bool I32(int32_t& v) { return Take(&v, 4); }
  bool View(size_t size, std::string_view& v) {
    if (size > in_.size()) return false;
    v = in_.substr(0, size);
    in_.remove_prefix(size);
    return true;
  }
  bool AtEnd() const { return in_.empty(); }

 private:
  bool Take(void* v, size_t n) {
    if (in_.size() < n) return false;
    std::memcpy(v, in_.data(), n);
    in_.remove_prefix(n);
    return true;
  }
  std::string_view in_;
};

// An entry that cannot be mapped, read whole. Quiet: a cache that cannot be read is no cache.
bool ReadEntryFile(const std::string& path, std::string& data) {
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    data.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (ok && done < data.size()) {
      const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok = false;
      if (n > 0) done += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  return ok;
}

// The folder's native path without the separator at its end.
std::string NativeFolder(const std::string& folder) {
  std::string native = NativePath(folder);
  while (native.size() > 1 && native.back() == '/')
    native.pop_back();
  return native;
}

bool IsUnlockedScratch(std::string_view name) {
  return name.starts_with(kUnlockedScratchPrefix);
}

bool IsEntryOrScratch(std::string_view name) {
  return name.starts_with(kScratchPrefix) || IsUnlockedScratch(name) ||
         (name.size() > kEntrySuffix.size() && name.ends_with(kEntrySuffix));
}

// Calls f(native path, stat, is an unlocked scratch file) for each entry and scratch file of the
// folder.
template <class F>
void EachFile(const std::string& folder, F&& f) {
  if (folder.empty()) return;
  const std::string native = NativePath(folder);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    if (!IsEntryOrScratch(e->d_name)) continue;
    const std::string path = native + e->d_name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    f(path, st, IsUnlockedScratch(e->d_name));
  }
  ::closedir(dir);
}

// Findings are kept each as the bytes in which it differs from the last finding of its kind
// before it in the batch (its first byte names the kind): the kind, a bit for each other byte
// telling whether it differs, and those bytes. Findings of a kind differ in a few fields.
void EncodeFindings(const char* items, uint32_t count, size_t size, std::string& out) {
  std::vector<char> last(256 * size, '\0');
  const size_t maskBytes = (size - 1 + 7) / 8;
  // Room for the most a batch can take, written through a pointer and cut to what was written:
  // the walk that makes the entry is what a first load waits for.
  const size_t start = out.size();
  out.resize(start + size_t{count} * (1 + maskBytes + size - 1));
  char* to = out.data() + start;
  for (uint32_t k = 0; k < count; ++k) {
    const char* item = items + size_t{k} * size;
    char* before = last.data() + static_cast<unsigned char>(item[0]) * size;
    *to++ = item[0];
    char* mask = to;
    std::memset(mask, 0, maskBytes);
    to += maskBytes;
    for (size_t j = 1; j < size; ++j) {
      const char d = static_cast<char>(item[j] ^ before[j]);
      if (d == 0) continue;
      mask[(j - 1) / 8] = static_cast<char>(mask[(j - 1) / 8] | (1 << ((j - 1) % 8)));
      *to++ = d;
    }
    std::memcpy(before, item, size);
  }
  out.resize(static_cast<size_t>(to - out.data()));
}

bool DecodeFindings(std::string_view in, uint32_t count, size_t size, char* items) {
  std::vector<char> last(256 * size, '\0');
  const size_t maskBytes = (size - 1 + 7) / 8;
  size_t at = 0;
  for (uint32_t k = 0; k < count; ++k) {
    char* item = items + size_t{k} * size;
    if (in.size() - at < 1 + maskBytes) return false;
    item[0] = in[at++];
    char* before = last.data() + static_cast<unsigned char>(item[0]) * size;
    const char* mask = in.data() + at;
    at += maskBytes;
    // Most bytes of a finding are those of the last one of its kind: copy them all, then change
    // only the bytes the mask names (a warm start decodes millions of findings).
    std::memcpy(item + 1, before + 1, size - 1);
    for (size_t m = 0; m < maskBytes; ++m) {
      for (unsigned bits = static_cast<unsigned char>(mask[m]); bits != 0; bits &= bits - 1) {
        const size_t j = 1 + m * 8 + static_cast<size_t>(__builtin_ctz(bits));
        if (j >= size) break;
        if (at >= in.size()) return false;
        item[j] = static_cast<char>(before[j] ^ in[at++]);
      }
    }
    std::memcpy(before, item, size);
  }
  return at == in.size();
}

}  // namespace

AnalysisCache::AnalysisCache(std::string folder) : folder_(std::move(folder)) {
  program_ = ProgramStampText();
  // Without the program's stamp an entry of another build could pass for this one's.
  if (folder_.empty() || program_ == "?") return;
  if (!MakeFolderPath(folder_).empty()) return;
  usable_ = true;
  RemoveStaleScratchFiles(folder_);
  const time_t now = std::time(nullptr);
  EachFile(folder_, [&](const std::string& path, const struct stat& st, bool unlocked) {
    if (unlocked && now - st.st_mtime > kStaleScratchSeconds) ::unlink(path.c_str());
  });
}

std::string AnalysisCache::EntryPath(std::string_view family, const std::string& path) const {
  // FNV-1a of the path: one entry per log file, replaced when the file changes.
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : path) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char name[40];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(h));
  return folder_ + std::string(family) + "-" + name + std::string(kEntrySuffix);
}

std::string AnalysisCache::Key(std::string_view family, std::string_view settingsKey,
                               const AnalysedFile& file, std::string_view stateIn) const {
  WalkStateWriter k;
  k.Text(program_);
  k.Text(family);
  k.Text(settingsKey);
  k.Text(file.path);
  k.Int(static_cast<int64_t>(file.stamp.device));
  k.Int(static_cast<int64_t>(file.stamp.inode));
  k.Int(static_cast<int64_t>(file.stamp.size));
  k.Int(file.stamp.modifiedNs);
  k.Int(file.stamp.changedNs);
  k.Text(stateIn);
  return std::move(k.Out());
}

namespace {
enum : uint32_t { kBatchRecord = 1, kStateRecord = 2 };
// Bytes collected before they are written and checksummed.
constexpr size_t kWriteBuffer = 1 << 20;
bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}
}  // namespace

// XXH3 of the bytes added, reading a few gigabytes a second: a warm start checks every
// entry whole before it takes anything from it.
class CacheChecksum final {
 public:
  CacheChecksum() { XXH3_64bits_reset(&state_); }
  void Add(std::string_view data) { XXH3_64bits_update(&state_, data.data(), data.size()); }
  uint64_t Sum() const { return XXH3_64bits_digest(&state_); }
  static uint64_t Of(std::string_view data) { return XXH3_64bits(data.data(), data.size()); }

 private:
  XXH3_state_t state_;
};

namespace {
void PutSum(std::string& out, uint64_t v) {
  out.append(reinterpret_cast<const char*>(&v), kSumBytes);
}
uint64_t StoredSum(std::string_view data) {
  uint64_t v;
  std::memcpy(&v, data.data() + data.size() - kSumBytes, kSumBytes);
  return v;
}
}  // namespace

AnalysisCache::Writer::Writer(const AnalysisCache& cache, std::string_view family,
                              const AnalysedFile& file, std::string_view key, size_t findingSize)
    : sum_(std::make_unique<CacheChecksum>()), findingSize_(findingSize) {
  if (!cache.usable_) return;
  target_ = NativePath(cache.EntryPath(family, file.path));
  // Held, and so locked, until it has its name: another run's cleaner leaves it alone.
  fd_ = CreateScratchFile(NativeFolder(cache.folder_), scratch_);
  if (fd_ < 0) return;
  ok_ = true;
  buffer_.reserve(kWriteBuffer + (1 << 16));
  buffer_.append(kMagic);
  PutU32(buffer_, static_cast<uint32_t>(key.size()));
  buffer_.append(key);
  PutI32(buffer_, file.lineCount);
  PutU32(buffer_, static_cast<uint32_t>(findingSize));
}

AnalysisCache::Writer::~Writer() {
  if (fd_ >= 0) {
    ::unlink(scratch_.c_str());
    ::close(fd_);
  }
}

void AnalysisCache::Writer::Flush() {
  if (!ok_) return;
  sum_->Add(buffer_);
  ok_ = WriteAll(fd_, buffer_);
  buffer_.clear();
}

void AnalysisCache::Writer::AddBatch(int32_t linesWalked, const void* items, uint32_t itemCount,
                                     std::string_view bytes) {
  if (!ok_) return;
  PutU32(buffer_, kBatchRecord);
  PutI32(buffer_, linesWalked);
  PutU32(buffer_, itemCount);
  const size_t encodedSize = buffer_.size();
  PutU32(buffer_, 0);
  PutU32(buffer_, static_cast<uint32_t>(bytes.size()));
  const size_t encoded = buffer_.size();
  EncodeFindings(static_cast<const char*>(items), itemCount, findingSize_, buffer_);
  const auto size = static_cast<uint32_t>(buffer_.size() - encoded);
  std::memcpy(buffer_.data() + encodedSize, &size, 4);
  buffer_.append(bytes);
  if (buffer_.size() >= kWriteBuffer) Flush();
}

bool AnalysisCache::Writer::Finish(std::string_view stateOut) {
  if (!ok_) return false;
  PutU32(buffer_, kStateRecord);
  PutU32(buffer_, static_cast<uint32_t>(stateOut.size()));
  buffer_.append(stateOut);
  Flush();
  // The checksum itself is not checksummed.
  PutSum(buffer_, sum_->Sum());
  Flush();
  // Not synced: an entry the system lost in a crash fails its checksum and is made again.
  const bool renamed = ok_ && ::rename(scratch_.c_str(), target_.c_str()) == 0;
  if (!renamed) ::unlink(scratch_.c_str());
  ::close(fd_);
  fd_ = -1;
  return renamed;
}

void AnalysisCache::Entry::TakenUpTo(const char* at) {
  if (!map_.data || at <= map_.data) return;
  // Whole pages only: the page `at` lies in is still being read. Pages go back a few
  // megabytes at a time: each give-back stops every core the process runs on to forget the
  // pages' addresses, which cost more than the replay of what lay on them when done per batch.
  const size_t page = 4096;
  const size_t step = size_t{8} << 20;
  const size_t upTo = static_cast<size_t>(at - map_.data) / page * page;
  if (upTo < released_ + step) return;
  ReleaseMappedPages(map_.data + released_, upTo - released_);
  released_ = upTo;
}

void AnalysisCache::Entry::Close() {
  if (map_.data) UnmapFile(map_);
  map_ = MappedFile();
  read_.clear();
  data_ = {};
  released_ = 0;
  batches.clear();
  stateOut = {};
}

bool AnalysisCache::Read(std::string_view family, const AnalysedFile& file, std::string_view key,
                         size_t findingSize, Entry& entry) const {
  entry.Close();
  if (!usable_ || !file.stamp.ok) return false;
  const std::string path = EntryPath(family, file.path);
  if (MapFile(path, entry.map_)) {
    entry.data_ = std::string_view(entry.map_.data, entry.map_.size);
  } else if (ReadEntryFile(path, entry.read_)) {
    entry.data_ = entry.read_;
  } else {
    return false;
  }
  if (Parse(entry.data_, key, file.lineCount, findingSize, entry)) return true;
  entry.Close();
  return false;
}

bool AnalysisCache::Parse(std::string_view data, std::string_view key, int32_t lineCount,
                          size_t findingSize, Entry& entry) {
  if (data.size() < kMagic.size() + kSumBytes || data.substr(0, kMagic.size()) != kMagic)
    return false;
  Parts parts(data.substr(kMagic.size(), data.size() - kMagic.size() - kSumBytes));
  uint32_t keySize = 0, size = 0;
  int32_t lines = 0;
  std::string_view storedKey;
  // The key first: an entry made for another version of the file is not checksummed in vain.
  if (!parts.U32(keySize) || !parts.View(keySize, storedKey) || storedKey != key) return false;
  if (!parts.I32(lines) || lines != lineCount) return false;
  if (!parts.U32(size) || size != findingSize) return false;
  // Checked in pieces, each given back once checked: an entry can be as big as its log.
  CacheChecksum sum;
  const std::string_view summed = data.substr(0, data.size() - kSumBytes);
  for (size_t at = 0; at < summed.size(); at += kWriteBuffer * 8) {
    sum.Add(summed.substr(at, kWriteBuffer * 8));
    entry.TakenUpTo(summed.data() + std::min(summed.size(), at + kWriteBuffer * 8));
  }
  if (sum.Sum() != StoredSum(data)) return false;
  entry.released_ = 0;  // read again as the findings are taken
  for (;;) {
    uint32_t tag = 0;
    if (!parts.U32(tag)) return false;
    if (tag == kStateRecord) break;
    if (tag != kBatchRecord) return false;
    Batch batch;
    uint32_t encoded = 0, bytes = 0;
    if (!parts.I32(batch.linesWalked) || !parts.U32(batch.itemCount) || !parts.U32(encoded) ||
        !parts.U32(bytes) || !parts.View(encoded, batch.items) || !parts.View(bytes, batch.bytes))
      return false;
    // Each finding takes at least its kind's byte.
    if (batch.linesWalked < 0 || batch.linesWalked > lines || batch.itemCount > encoded)
      return false;
    entry.batches.push_back(batch);
  }
  uint32_t stateSize = 0;
  return parts.U32(stateSize) && parts.View(stateSize, entry.stateOut) && parts.AtEnd();
}

size_t AnalysisCache::DecodedAtOnce() {
  if (const char* bytes = std::getenv("VORN_CACHE_DECODED_AT_ONCE"))
    return static_cast<size_t>(std::strtoull(bytes, nullptr, 10));
  return size_t{32} << 20;
}

bool AnalysisCache::DecodeItems(const Batch& batch, size_t findingSize, void* items) {
  return DecodeFindings(batch.items, batch.itemCount, findingSize, static_cast<char*>(items));
}

void AnalysisCache::LineIndexEntry::Close() {
  if (map_.data) UnmapFile(map_);
  map_ = MappedFile();
  read_.clear();
  index = {};
}

bool AnalysisCache::ReadLineIndex(const AnalysedFile& file, LineIndexEntry& entry) const {
  entry.Close();
  if (!usable_ || !file.stamp.ok) return false;
  // Mapped, not read: the index is taken once, where it lies in the page cache.
  const std::string path = EntryPath(kLineIndexFamily, file.path);
  std::string_view data;
  if (MapFile(path, entry.map_))
    data = std::string_view(entry.map_.data, entry.map_.size);
  else if (ReadEntryFile(path, entry.read_))
    data = entry.read_;
  else
    return false;
  const std::string key = Key(kLineIndexFamily, {}, file, {});
  const bool ok = [&] {
    if (data.size() < kLineIndexMagic.size() + 4 + kSumBytes ||
        data.substr(0, kLineIndexMagic.size()) != kLineIndexMagic)
      return false;
    Parts parts(
        data.substr(kLineIndexMagic.size(), data.size() - kLineIndexMagic.size() - kSumBytes));
    uint32_t keySize = 0;
    std::string_view storedKey;
    if (!parts.U32(keySize) || !parts.View(keySize, storedKey) || storedKey != key) return false;
    if (CacheChecksum::Of(data.substr(0, data.size() - kSumBytes)) != StoredSum(data)) return false;
    const size_t at = kLineIndexMagic.size() + 4 + keySize;
    entry.index = data.substr(at, data.size() - kSumBytes - at);
    return true;
  }();
  if (!ok) entry.Close();
  return ok;
}

bool AnalysisCache::WriteLineIndex(const AnalysedFile& file, std::string_view index) const {
  if (!usable_ || !file.stamp.ok) return false;
  const std::string key = Key(kLineIndexFamily, {}, file, {});
  std::string data;
  data.reserve(kLineIndexMagic.size() + 4 + kSumBytes + key.size() + index.size());
  data.append(kLineIndexMagic);
  PutU32(data, static_cast<uint32_t>(key.size()));
  data.append(key);
  data.append(index);
  PutSum(data, CacheChecksum::Of(data));
  std::string scratch;
  const int fd = CreateScratchFile(NativeFolder(folder_), scratch);
  if (fd < 0) return false;
  // Not synced, as the findings: a lost index fails its checksum and is made again.
  const bool ok =
      WriteAll(fd, data) &&
      ::rename(scratch.c_str(), NativePath(EntryPath(kLineIndexFamily, file.path)).c_str()) == 0;
  if (!ok) ::unlink(scratch.c_str());
  ::close(fd);
  return ok;
}

uint64_t AnalysisCache::FolderBytes(const std::string& folder) {
  uint64_t bytes = 0;
  EachFile(folder, [&](const std::string&, const struct stat& st, bool) {
    bytes += static_cast<uint64_t>(st.st_size);
  });
  return bytes;
}

bool AnalysisCache::ClearFolder(const std::string& folder) {
  bool ok = true;
  EachFile(folder, [&](const std::string& path, const struct stat&, bool) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) ok = false;
  });
  return ok;
}

}  // namespace vorn
