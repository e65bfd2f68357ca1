#include "platform/FileQuery.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/Cp932.h"

namespace vorn {
namespace {

// Where the name part begins: after the last '/' or '\' that is not the second byte of a
// double-byte character (paths from Windows-era settings use '\', and many CP932 characters end
// in 0x5C).
size_t NameStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char b = path[i];
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      ++i;
    } else if (b == '/' || b == '\\') {
      start = i + 1;
    }
  }
  return start;
}

bool StatPath(const std::string& path, struct stat& st) {
  return ::stat(NativePath(path).c_str(), &st) == 0;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && StatPath(path, st) && S_ISDIR(st.st_mode);
}

int32_t FileDate(const std::string& path) {
  if (::access(NativePath(path).c_str(), R_OK) != 0) return -1;
  struct stat st;
  if (!StatPath(path, st) || S_ISDIR(st.st_mode)) return -1;
  std::time_t t = st.st_mtim.tv_sec;
  std::tm tm{};
  if (!::localtime_r(&t, &tm)) return -1;
  int year = tm.tm_year + 1900 - 1980;
  if (year < 0) return (1 << 21) | (1 << 16);  // before 1980: the earliest packed date
  if (year > 127) year = 127;
  uint32_t packed = (uint32_t(year) << 25) | (uint32_t(tm.tm_mon + 1) << 21) |
                    (uint32_t(tm.tm_mday) << 16) | (uint32_t(tm.tm_hour) << 11) |
                    (uint32_t(tm.tm_min) << 5) | uint32_t(tm.tm_sec / 2);
  return int32_t(packed);
}

int64_t FileModTimeNs(const std::string& path) {
  struct stat st;
  if (!StatPath(path, st)) return -1;
  return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

FileStamp StampOfFile(const std::string& path) {
  FileStamp stamp;
  struct stat st;
  if (!StatPath(path, st) || !S_ISREG(st.st_mode)) return stamp;
  stamp.ok = true;
  stamp.device = static_cast<uint64_t>(st.st_dev);
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return stamp;
}

std::string ProgramStampText() {
  struct stat st;
  if (::stat("/proc/self/exe", &st) != 0) return "?";
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
         std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec);
}

int64_t FileSizeBytes(const std::string& path) {
  struct stat st;
  if (!StatPath(path, st)) return -1;
  return int64_t(st.st_size);
}

std::string DiskFileName(const std::string& path) {
  // On this platform an existing name is already the stored one; a name that differs only in
  // ASCII case (a Windows habit in settings files) finds the file the folder holds.
  if (FileExists(path)) return path;
  size_t start = NameStart(path);
  std::string folder = path.substr(0, start);
  std::string nativeName = NativePath(path.substr(start));
  if (nativeName.empty()) return std::string();
  DIR* dir = ::opendir(folder.empty() ? "." : NativePath(folder).c_str());
  if (!dir) return std::string();
  std::string found;
  while (dirent* e = ::readdir(dir)) {
    std::string entry = e->d_name;
    if (entry.size() != nativeName.size()) continue;
    bool same = true;
    for (size_t i = 0; same && i < entry.size(); ++i) {
      unsigned char a = entry[i], b = nativeName[i];
      if (a >= 'a' && a <= 'z') a -= 32;
      if (b >= 'a' && b <= 'z') b -= 32;
      same = a == b;
    }
    if (same && FileExists(folder + FromNativePath(entry))) {
      found = FromNativePath(entry);
      break;
    }
  }
  ::closedir(dir);
  return found.empty() ? std::string() : folder + found;
}

std::string ShortFileNameUpper(const std::string& path) {
  std::string name = path.substr(NameStart(path));
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char b = name[i];
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      ++i;  // the trail byte of a double-byte character is not a letter
    } else if (b >= 'a' && b <= 'z') {
      name[i] = char(b - 32);
    }
  }
  return name;
}

bool DeleteFileAt(const std::string& path) {
  if (path.empty()) return true;
  if (::unlink(NativePath(FinalLinkTarget(path)).c_str()) == 0) return true;
  return errno == ENOENT;
}

std::string FinalLinkTarget(const std::string& path) {
  std::string native = NativePath(path);
  bool followed = false;
  // As many links as the system itself follows before it gives up on a loop.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string target(size_t(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
    const ssize_t n = ::readlink(native.c_str(), target.data(), target.size());
    if (n <= 0 || size_t(n) >= target.size()) break;
    target.resize(size_t(n));
    if (target.front() != '/') {
      const size_t slash = native.rfind('/');
      if (slash != std::string::npos) target = native.substr(0, slash + 1) + target;
    }
    native = std::move(target);
    followed = true;
  }
  return followed ? FromNativePath(native) : path;
}

bool IsSpecialFile(const std::string& path) {
  struct stat st;
  return !path.empty() && StatPath(path, st) && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

std::string ExtractFileName(const std::string& path) {
  return path.substr(NameStart(path));
}

std::string ExtractFilePath(const std::string& path) {
  return path.substr(0, NameStart(path));
}

}  // namespace vorn
