#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Opens a file for reading without ever waiting: something that is not a regular file (a FIFO,
// a device, a socket, a folder) is refused, so that a wrong name can neither block the program
// nor feed it without end. nullptr when the file cannot be opened or is refused; notRegular
// (when given) tells which.
std::FILE* OpenRegularFile(const std::string& path, bool* notRegular = nullptr);

// Tells the user, once per path and run, that a file is refused because it is no regular file.
void ReportSpecialFile(const std::string& path);

// The text of that refusal, for a caller that builds its own message: a line to append.
std::string SpecialFileText();

// The first line end (CR or LF) in [p, end), nullptr when there is none. A CR with an LF right
// after it is one line end; the reader of the file takes that LF with it.
const char* FindLineEnd(const char* p, const char* end);

// Reads a file by the classic text-file convention, widened to the line ends files get
// elsewhere: a line ends at CR LF, at CR alone and at LF alone; byte 0x1A ends the file. Lines
// have no length limit. The path is CP932 like every core text.
class ClassicTextReader {
 public:
  ClassicTextReader() = default;
  ~ClassicTextReader();
  ClassicTextReader(const ClassicTextReader&) = delete;
  ClassicTextReader& operator=(const ClassicTextReader&) = delete;

  // False when the file cannot be opened for reading. A file that is not a regular file is
  // refused, and the user told so.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // The next line without its end, as a view that stays valid until the next call. False at the
  // end of the file (or at 0x1A). A file that ends without CR still yields its last line.
  bool ReadLine(std::string_view& line);
  bool ReadLine(std::string& line);

  // True when reading stopped because of an I/O error rather than the end of the file.
  bool Failed() const { return failed_; }

 private:
  bool Fill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool skipLf_ = false;
  std::string joined_;
};

// Reads all lines of a file by the classic convention. False when the file cannot be opened or
// reading fails; the lines read until then are kept.
bool ReadClassicTextFile(const std::string& path, std::vector<std::string>& lines);

// Writes data to a scratch file in the same folder and renames it over path, so that a crash
// or a full disk never leaves a half-written file and never loses the old one. An existing
// file's permissions are kept. A symbolic link at path stays: the file it points to is the one
// replaced, in its own folder. False when anything failed, and when something that is not a
// regular file stands at path; the old file is then unchanged. A new file gets newFileMode
// when it is given (0 to 07777), else the usual permissions under the user's umask.
bool WriteFileAtomic(const std::string& path, std::string_view data, int newFileMode = -1);

// The scratch files WriteFileAtomic writes are named ".vorn-" and six characters. The writer
// holds a lock on its scratch file until it is renamed or removed; the lock ends with the
// process, however it ends.
// Creates and locks a scratch file in folder (native encoding, no separator at the end) and
// returns its descriptor (-1 when it cannot), its native path in scratchPath.
int CreateScratchFile(const std::string& nativeFolder, std::string& scratchPath);

// Removes the scratch files that runs killed while writing left in folder; one that a running
// writer still holds is kept. The number removed.
int RemoveStaleScratchFiles(const std::string& folder);

// Lines joined with CR LF (each line, the last included, followed by CR LF), written atomically.
bool WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines);

// Collects lines for WriteTextLinesAtomic-style output; appending is cheap for big files.
class CrLfTextBuilder {
 public:
  void Line(std::string_view text) {
    data_.append(text);
    data_.append("\r\n");
  }
  const std::string& Data() const { return data_; }
  bool WriteAtomic(const std::string& path) const { return WriteFileAtomic(path, data_); }

 private:
  std::string data_;
};

// Reads the whole file into data. False when it cannot be opened or read; a file that is not a
// regular file is refused, and the user told so.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace vorn
