#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn {

// One file of an archive export. It is written under a scratch name in the export folder and
// takes its final name only when it is complete, so a crash, a full disk or a cancelled export
// never leaves a half-written file under that name; an existing file is never replaced.
// Writes are buffered; after the first failure every call does nothing and Error() says what
// happened.
class ArchiveFile final {
 public:
  ArchiveFile() = default;
  // A file that was not committed is removed.
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // folder: the export folder as the system names it; name: a plain file name made by the
  // exporter (ASCII, no separator, not starting with a dot).
  bool Open(const std::string& folder, const std::string& name);

  // Appends to the buffer; writes it out once it holds a megabyte.
  void Write(std::string_view data) {
    buffer_.append(data);
    if (buffer_.size() >= kFlushBytes) Flush();
  }
  // The buffer itself, for appending without a copy; call Written() afterwards.
  std::string& Buffer() { return buffer_; }
  void Written() {
    if (buffer_.size() >= kFlushBytes) Flush();
  }

  // Writes the rest, syncs, and gives the file its final name. False when anything failed
  // (the scratch file is then removed).
  bool Commit();
  // Removes the scratch file.
  void Abandon();

  // A name Open gives its scratch files: '.', a name of the exporter, '.', six characters.
  // What a killed export leaves behind looks like this.
  static bool IsScratchName(std::string_view name);

  bool Failed() const { return failed_; }
  // The message for the user (CP932), naming the file and the system's reason.
  const std::string& Error() const { return error_; }
  const std::string& Name() const { return name_; }

 private:
  static constexpr size_t kFlushBytes = size_t(1) << 20;
  bool Flush();
  void Fail(const std::string& path, int error);

  int fd_ = -1;
  std::string folder_;
  std::string name_;
  std::string scratch_;
  std::string buffer_;
  std::string error_;
  bool failed_ = false;
};

}  // namespace vorn
