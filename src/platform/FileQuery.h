#pragma once

#include <cstdint>
#include <string>

namespace vorn {

// File queries. Paths are CP932 like every core text.

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// The last-write time packed as the classic file date: bits 25-31 year - 1980, 21-24 month,
// 16-20 day, 11-15 hour, 5-10 minute, 0-4 second / 2, in local time. -1 when the file cannot be
// opened for reading. Its grain is two seconds; use FileModTimeNs to notice every change.
int32_t FileDate(const std::string& path);

// The last-write time in nanoseconds since the epoch, -1 when the file does not exist.
int64_t FileModTimeNs(const std::string& path);

// What tells one version of a file from another without reading it: where it lies (device and
// inode), its size and the times of its last write and last change (the change time moves with
// every write, rename into place or change of its inode, and cannot be set back by a program).
struct FileStamp {
  bool ok = false;  // a regular file was found
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedNs = 0, changedNs = 0;
  bool operator==(const FileStamp& o) const {
    return ok == o.ok && device == o.device && inode == o.inode && size == o.size &&
           modifiedNs == o.modifiedNs && changedNs == o.changedNs;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
// The stamp of the regular file at path (links followed); ok false for anything else.
FileStamp StampOfFile(const std::string& path);
// The running program's own stamp as text: a rebuilt or updated program differs.
std::string ProgramStampText();

// The size in bytes, -1 when the file does not exist.
int64_t FileSizeBytes(const std::string& path);

// The folder part of path followed by the file's name exactly as the file system stores it:
// when no file has exactly that name but one name in the folder differs only in ASCII case,
// that one. Empty when the file does not exist.
std::string DiskFileName(const std::string& path);

// This platform keeps no 8.3 aliases: the name part of path, upper-cased (ASCII letters only).
std::string ShortFileNameUpper(const std::string& path);

// Deletes a file. True when it is gone afterwards (also when it never existed). A symbolic link
// is not removed but the file it points to, so that the link names the file again when it is
// written next.
bool DeleteFileAt(const std::string& path);

// The file a path finally names: symbolic links, and links to links, are followed to their end,
// which need not exist yet. A path that is no link is returned as it is.
std::string FinalLinkTarget(const std::string& path);

// True when something that is neither a regular file nor a folder stands at the path (a FIFO, a
// device, a socket): reading it could block for ever or never end.
bool IsSpecialFile(const std::string& path);

// The name part (after the last '/' or '\') and the folder part including its separator.
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);

// The separator of this platform's paths.
constexpr char kPathSeparator = '/';

}  // namespace vorn
