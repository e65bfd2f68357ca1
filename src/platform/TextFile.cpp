#include "platform/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Cp932.h"

namespace vorn {
namespace {

constexpr size_t kChunk = 1 << 20;
constexpr char kCtrlZ = 0x1A;

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

}  // namespace

ClassicTextReader::~ClassicTextReader() {
  Close();
}

bool ClassicTextReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(NativePath(path).c_str(), "rb");
  if (!file_) return false;
  struct stat st;
  if (::fstat(::fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
    Close();
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
    size_t avail = end_ - begin_;
    const char* cr = static_cast<const char*>(std::memchr(start, '\r', avail));
    size_t len = cr ? size_t(cr - start) : avail;
    const char* z = static_cast<const char*>(std::memchr(start, kCtrlZ, len));
    if (z) {
      // The end-of-file byte: what stands before it is the last line, if anything.
      size_t zlen = size_t(z - start);
      eof_ = true;
      begin_ = end_ = 0;
      Close();
      if (!spans && zlen == 0) return false;
      if (spans || zlen > 0) {
        joined_.append(start, zlen);
        // The view refers to joined_, which stays valid after Close().
        line = joined_;
        return true;
      }
    }
    if (cr) {
      begin_ += len + 1;
      skipLf_ = true;
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

bool WriteFileAtomic(const std::string& path, std::string_view data) {
  const std::string native = NativePath(path);
  if (native.empty()) return false;
  std::string tmpl = FolderOf(native) + "/.vorn-XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  struct stat old;
  if (::stat(native.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      ::close(fd);
      ::unlink(tmpl.c_str());
      return false;
    }
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    // A new file gets the usual permissions under the user's umask, not mkstemp's 0600.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(tmpl.c_str(), native.c_str()) == 0) return true;
  ::unlink(tmpl.c_str());
  return false;
}

bool WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines) {
  CrLfTextBuilder builder;
  for (const auto& l : lines)
    builder.Line(l);
  return builder.WriteAtomic(path);
}

bool ReadWholeFile(const std::string& path, std::string& data) {
  data.clear();
  std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    data.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace vorn
