#include "archive/ArchiveFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Cp932.h"

namespace vorn {

ArchiveFile::~ArchiveFile() {
  Abandon();
}

bool ArchiveFile::Open(const std::string& folder, const std::string& name) {
  Abandon();
  folder_ = folder;
  name_ = name;
  failed_ = false;
  error_.clear();
  buffer_.clear();
  buffer_.reserve(kFlushBytes + 65536);
  // A dot name: the export folder lists only finished files to anyone who looks meanwhile.
  std::string tmpl = folder + "/." + name + ".XXXXXX";
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) {
    Fail(folder + "/" + name, errno);
    return false;
  }
  scratch_ = tmpl;
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  return true;
}

bool ArchiveFile::Flush() {
  if (failed_ || fd_ < 0) {
    buffer_.clear();
    return false;
  }
  const char* data = buffer_.data();
  size_t left = buffer_.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(folder_ + "/" + name_, errno);
      return false;
    }
    data += n;
    left -= size_t(n);
  }
  buffer_.clear();
  return true;
}

bool ArchiveFile::Commit() {
  if (fd_ < 0 || failed_) {
    Abandon();
    return false;
  }
  if (!Flush()) {
    Abandon();
    return false;
  }
  const std::string target = folder_ + "/" + name_;
  if (::fsync(fd_) != 0) {
    Fail(target, errno);
    Abandon();
    return false;
  }
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) {
    Fail(target, errno);
    Abandon();
    return false;
  }
  // The final name is taken only if nobody holds it: renameat2 refuses to replace, and where
  // the file system cannot do that, a hard link does the same.
  if (::renameat2(AT_FDCWD, scratch_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    const int renameError = errno;
    if (renameError != EINVAL && renameError != ENOSYS) {
      Fail(target, renameError);
      Abandon();
      return false;
    }
    if (::link(scratch_.c_str(), target.c_str()) != 0) {
      Fail(target, errno);
      Abandon();
      return false;
    }
    ::unlink(scratch_.c_str());
  }
  scratch_.clear();
  return true;
}

void ArchiveFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!scratch_.empty()) {
    ::unlink(scratch_.c_str());
    scratch_.clear();
  }
  buffer_.clear();
}

bool ArchiveFile::IsScratchName(std::string_view name) {
  constexpr size_t kRandom = 6;  // mkstemp's XXXXXX
  const auto alnum = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  };
  if (name.size() < 2 + kRandom + 2 || name.front() != '.' || name[1] == '.') return false;
  const std::string_view inner = name.substr(1, name.size() - 1 - kRandom - 1);
  if (name[name.size() - kRandom - 1] != '.') return false;
  for (char c : name.substr(name.size() - kRandom)) {
    if (!alnum(c)) return false;
  }
  for (char c : inner) {
    if (!alnum(c) && c != '-' && c != '_' && c != '.') return false;
  }
  return inner.ends_with(".jsonl") || inner.ends_with(".mbox") || inner.ends_with(".html");
}

void ArchiveFile::Fail(const std::string& path, int error) {
  if (failed_) return;
  failed_ = true;
  static const std::string kCannotWrite = Cp932("ファイルを書き込めませんでした: ");
  error_ = kCannotWrite + FromNativePath(path) + " (" + std::strerror(error) + ")";
}

}  // namespace vorn
