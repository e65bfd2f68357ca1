#include "platform/TextFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"

namespace vorn {
namespace {

constexpr size_t kChunk = 1 << 20;
constexpr char kCtrlZ = 0x1A;
constexpr std::string_view kScratchPrefix = ".vorn-";
// mkstemp's six characters after the prefix.
constexpr size_t kScratchNameLength = kScratchPrefix.size() + 6;

std::string FolderOf(const std::string& nativePath) {
  size_t slash = nativePath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return nativePath.substr(0, slash);
}

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= size_t(n);
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path, bool* special) {
  if (special) *special = false;
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (special) *special = IsSpecialFile(path);
    return nullptr;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    if (special) *special = !S_ISDIR(st.st_mode);
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

const char* FindLineEnd(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
    if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; p < end; ++p) {
    if (*p == '\r' || *p == '\n') return p;
  }
  return nullptr;
}

std::string SpecialFileText() {
  static const std::string text = Cp932("通常のファイルではありません(FIFO・デバイス等)");
  return text;
}

void ReportSpecialFile(const std::string& path) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!reported.insert(path).second) return;
  }
  Ui().Warning(Cp932("ファイル:") + path + "\r" + Cp932("読込み出来ません") + "\r" +
               SpecialFileText());
}

ClassicTextReader::~ClassicTextReader() {
  Close();
}

bool ClassicTextReader::Open(const std::string& path) {
  Close();
  bool special = false;
  file_ = OpenRegularFile(path, &special);
  if (!file_) {
    if (special) ReportSpecialFile(path);
    return false;
  }
  buffer_.resize(kChunk);
  begin_ = end_ = 0;
  eof_ = failed_ = skipLf_ = false;
  return true;
}

void ClassicTextReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

bool ClassicTextReader::Fill() {
  if (eof_ || !file_) return false;
  size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (n == 0) {
    if (std::ferror(file_)) failed_ = true;
    eof_ = true;
    return false;
  }
  begin_ = 0;
  end_ = n;
  return true;
}

bool ClassicTextReader::ReadLine(std::string_view& line) {
  if (!file_) return false;
  joined_.clear();
  bool spans = false;  // the line began in an earlier buffer
  for (;;) {
    if (begin_ == end_ && !Fill()) {
      if (!spans) return false;
      line = joined_;
      return true;
    }
    if (skipLf_) {
      skipLf_ = false;
      if (buffer_[begin_] == '\n') {
        ++begin_;
        continue;
      }
    }
    const char* start = buffer_.data() + begin_;
    const char* const stop = buffer_.data() + end_;
    const char* lineEnd = FindLineEnd(start, stop);
    const char* p = lineEnd ? lineEnd : stop;
    if (const void* z = std::memchr(start, kCtrlZ, size_t(p - start)))
      p = static_cast<const char*>(z);
    const size_t len = size_t(p - start);
    if (p < stop && *p == kCtrlZ) {
      // The end-of-file byte: what stands before it is the last line, if anything.
      joined_.append(start, len);
      eof_ = true;
      begin_ = end_ = 0;
      Close();
      if (!spans && len == 0) return false;
      // The view refers to joined_, which stays valid after Close().
      line = joined_;
      return true;
    }
    if (p < stop) {
      // CR LF, CR alone and LF alone each end a line.
      begin_ += len + 1;
      skipLf_ = *p == '\r';
      if (spans) {
        joined_.append(start, len);
        line = joined_;
      } else {
        line = std::string_view(start, len);
      }
      return true;
    }
    joined_.append(start, len);
    spans = true;
    begin_ = end_;
  }
}

bool ClassicTextReader::ReadLine(std::string& line) {
  std::string_view view;
  if (!ReadLine(view)) return false;
  line.assign(view.data(), view.size());
  return true;
}

bool ReadClassicTextFile(const std::string& path, std::vector<std::string>& lines) {
  ClassicTextReader reader;
  if (!reader.Open(path)) return false;
  std::string_view line;
  while (reader.ReadLine(line))
    lines.emplace_back(line);
  return !reader.Failed();
}

int CreateScratchFile(const std::string& nativeFolder, std::string& scratchPath) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string name = nativeFolder + "/" + std::string(kScratchPrefix) + "XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // A file system without locks still gets its file written; the cleaner then never takes
    // it for stale, because it cannot lock it either.
    if (::flock(fd, LOCK_EX) != 0 && errno != ENOLCK && errno != EINVAL && errno != ENOTSUP) {
      ::close(fd);
      ::unlink(name.c_str());
      return -1;
    }
    // A cleaner may have taken the file for a stale one in the moment between its creation and
    // the lock: then it is gone from the folder and another is made.
    struct stat mine, named;
    if (::fstat(fd, &mine) == 0 && ::stat(name.c_str(), &named) == 0 && SameFile(mine, named)) {
      scratchPath = std::move(name);
      return fd;
    }
    ::close(fd);
  }
  return -1;
}

int RemoveStaleScratchFiles(const std::string& folder) {
  std::string nativeFolder = NativePath(folder);
  while (nativeFolder.size() > 1 && nativeFolder.back() == '/')
    nativeFolder.pop_back();
  if (nativeFolder.empty()) nativeFolder = ".";
  DIR* dir = ::opendir(nativeFolder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != kScratchNameLength || !name.starts_with(kScratchPrefix)) continue;
    const std::string path = nativeFolder + "/" + std::string(name);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) continue;
    struct stat held, named;
    // The lock is free only when no writer holds the file any more: its process has ended.
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && SameFile(held, named) &&
        ::unlink(path.c_str()) == 0) {
      ++removed;
    }
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

bool WriteFileAtomic(const std::string& path, std::string_view data, int newFileMode) {
  if (path.empty()) return false;
  // The file a link points to is replaced in its own folder, and the link keeps pointing at it.
  const std::string native = NativePath(FinalLinkTarget(path));
  if (native.empty()) return false;
  struct stat old;
  const bool exists = ::stat(native.c_str(), &old) == 0;
  // A folder, a FIFO or a device is not replaced by a plain file.
  if (exists && !S_ISREG(old.st_mode)) return false;
  std::string scratch;
  const int fd = CreateScratchFile(FolderOf(native), scratch);
  if (fd < 0) return false;
  if (exists) {
    ::fchmod(fd, old.st_mode & 07777);
  } else if (newFileMode >= 0) {
    ::fchmod(fd, mode_t(newFileMode) & 07777);
  } else {
    // A new file gets the usual permissions under the user's umask, not mkstemp's 0600.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  // The scratch file stays open, and so locked, until it has its final name.
  const bool ok =
      WriteAll(fd, data) && ::fsync(fd) == 0 && ::rename(scratch.c_str(), native.c_str()) == 0;
  if (!ok) ::unlink(scratch.c_str());
  ::close(fd);
  return ok;
}

bool WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines) {
  CrLfTextBuilder builder;
  for (const auto& l : lines)
    builder.Line(l);
  return builder.WriteAtomic(path);
}

bool ReadWholeFile(const std::string& path, std::string& data) {
  data.clear();
  bool special = false;
  std::FILE* f = OpenRegularFile(path, &special);
  if (!f) {
    if (special) ReportSpecialFile(path);
    return false;
  }
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    data.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace vorn
