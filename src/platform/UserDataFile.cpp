#include "platform/UserDataFile.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"

namespace vorn {
namespace {

constexpr char kCtrlZ = 0x1A;

// Bytes are remembered by their length and hash: the files may be large, and only this run's
// own verdicts are compared with them.
struct Fingerprint {
  size_t size = 0;
  size_t hash = 0;
  bool operator==(const Fingerprint&) const = default;
};

Fingerprint FingerprintOf(std::string_view bytes) {
  return {bytes.size(), std::hash<std::string_view>()(bytes)};
}

// The bytes of each file that may be replaced without a copy, by the file's canonical name.
class Ledger {
 public:
  void Set(const std::string& key, std::string_view bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    safe_[key] = FingerprintOf(bytes);
  }
  void Forget(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    safe_.erase(key);
  }
  bool IsSafe(const std::string& key, std::string_view bytes) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = safe_.find(key);
    return found != safe_.end() && found->second == FingerprintOf(bytes);
  }

 private:
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Fingerprint> safe_;
};

Ledger& TheLedger() {
  static Ledger ledger;
  return ledger;
}

// The file a path names, however it is spelled: links followed, the folder resolved.
std::string CanonicalName(const std::string& path) {
  const std::string native = NativePath(FinalLinkTarget(path));
  const size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(folder.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) + "/" + name : native;
}

// Nothing but end-of-file bytes after the first one, and the last line ended: a rewrite loses
// nothing of it. Every file the program writes ends its last line; one that does not was most
// likely cut short, in the middle of what its last line said.
bool WholeText(std::string_view bytes) {
  const size_t z = bytes.find(kCtrlZ);
  if (z != std::string_view::npos) {
    if (bytes.find_first_not_of(kCtrlZ, z) != std::string_view::npos) return false;
    bytes = bytes.substr(0, z);
  }
  return TextEndsItsLastLine(bytes);
}

// A copy of bytes beside path under the first free backup name (or one holding them already),
// with the permissions given; empty when none could be made.
std::string KeepBytesBeside(const std::string& path, std::string_view bytes, int mode) {
  // A copy, not a second link: an editor that writes in place would change both names at once.
  for (int n = 1; n < 100; ++n) {
    const std::string candidate = path + ".bak" + (n == 1 ? std::string() : std::to_string(n));
    struct stat st;
    if (::lstat(NativePath(candidate).c_str(), &st) == 0) {
      std::string existing;
      if (S_ISREG(st.st_mode) && ReadWholeFile(candidate, existing) && existing == bytes)
        return candidate;
      continue;
    }
    return WriteFileAtomic(candidate, bytes, mode) ? candidate : std::string();
  }
  return {};
}

enum class OnDisk { Nothing, Safe, Kept, Refused };

// What stands at the final target of path before it is replaced or removed: nothing (or an
// empty file), bytes this run may replace, bytes copied aside just now (named in kept), or
// something that must stay (not a regular file, unreadable, or no copy could be made).
OnDisk KeepBeforeReplacing(const std::string& path, const std::string& target, std::string& kept) {
  struct stat st;
  if (::stat(NativePath(target).c_str(), &st) != 0) return OnDisk::Nothing;
  if (!S_ISREG(st.st_mode)) return OnDisk::Refused;
  if (st.st_size == 0) return OnDisk::Nothing;
  std::string bytes;
  if (!ReadWholeFile(target, bytes)) return OnDisk::Refused;
  if (bytes.empty()) return OnDisk::Nothing;
  if (TheLedger().IsSafe(CanonicalName(target), bytes)) return OnDisk::Safe;
  kept = KeepBytesBeside(target, bytes, st.st_mode & 07777);
  if (kept.empty()) {
    Ui().Warning(Cp932("ファイル:") + path + "\r" +
                 Cp932("読み取れない内容を含みますが、元のファイルを別名で残すことが出来ないため"
                       "書換えませんでした"));
    return OnDisk::Refused;
  }
  TheLedger().Set(CanonicalName(target), bytes);
  Ui().Warning(
      Cp932("ファイル:") + path + "\r" +
      Cp932("読み取れない内容を含むため、書換える前に元のファイルを次の名前で残しました:") + "\r" +
      kept);
  return OnDisk::Kept;
}

}  // namespace

bool TextEndsItsLastLine(std::string_view bytes) {
  return bytes.empty() || bytes.back() == '\r' || bytes.back() == '\n';
}

void NoteUserFileRead(const std::string& path, std::string_view bytes, bool understood) {
  if (path.empty()) return;
  if (understood) {
    TheLedger().Set(CanonicalName(path), bytes);
  } else {
    TheLedger().Forget(CanonicalName(path));
  }
}

bool WriteUserFile(const std::string& path, std::string_view data) {
  if (path.empty()) return false;
  const std::string target = FinalLinkTarget(path);
  std::string kept;
  if (KeepBeforeReplacing(path, target, kept) == OnDisk::Refused) return false;
  if (!WriteFileAtomic(path, data)) return false;
  TheLedger().Set(CanonicalName(target), data);
  return true;
}

bool RemoveUserFile(const std::string& path) {
  if (path.empty()) return true;
  const std::string target = FinalLinkTarget(path);
  std::string kept;
  if (KeepBeforeReplacing(path, target, kept) == OnDisk::Refused) return false;
  if (!DeleteFileAt(path)) return false;
  TheLedger().Forget(CanonicalName(target));
  return true;
}

bool KeepUserFileAs(const std::string& path, const std::string& keptPath) {
  const std::string target = FinalLinkTarget(path);
  struct stat st;
  std::string bytes;
  if (::stat(NativePath(target).c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !ReadWholeFile(target, bytes) || FileExists(keptPath) ||
      !WriteFileAtomic(keptPath, bytes, st.st_mode & 07777))
    return false;
  TheLedger().Set(CanonicalName(target), bytes);
  return true;
}

std::string KeepUserFileNotUnderstood(const std::string& path) {
  const std::string target = FinalLinkTarget(path);
  std::string bytes;
  struct stat st;
  std::string backup;
  if (::stat(NativePath(target).c_str(), &st) == 0 && ReadWholeFile(target, bytes)) {
    backup = KeepBytesBeside(target, bytes, st.st_mode & 07777);
    if (!backup.empty()) TheLedger().Set(CanonicalName(target), bytes);
  }
  std::string message =
      Cp932("ファイル:") + path + "\r" + Cp932("読み取れない形式のため読み込みません") + "\r";
  if (backup.empty()) {
    message += Cp932("元のファイルを別名で残すことが出来ませんでした");
  } else {
    message += Cp932("元のファイルは次の名前で残しました:") + "\r" + backup;
  }
  Ui().Warning(message);
  return backup;
}

bool UserFileText::Read(const std::string& path) {
  return ReadWholeFile(path, Bytes);
}

void ForEachClassicLine(std::string_view bytes, const std::function<void(std::string_view)>& line) {
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  if (const void* z = std::memchr(p, kCtrlZ, bytes.size())) end = static_cast<const char*>(z);
  while (p < end) {
    const char* lineEnd = FindLineEnd(p, end);
    if (!lineEnd) {
      line(std::string_view(p, size_t(end - p)));
      return;
    }
    line(std::string_view(p, size_t(lineEnd - p)));
    p = lineEnd + 1;
    if (*lineEnd == '\r' && p < end && *p == '\n') ++p;
  }
}

void UserFileText::ForEachLine(const std::function<void(std::string_view)>& line) const {
  ForEachClassicLine(Bytes, line);
}

void UserFileText::Note(const std::string& path, bool linesUnderstood) const {
  NoteUserFileRead(path, Bytes, linesUnderstood && WholeText(Bytes));
}

}  // namespace vorn
