#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Reads a file by the classic text-file convention: a line ends at CR and an LF right after the
// CR is consumed with it; an LF anywhere else is an ordinary byte of the line; byte 0x1A ends
// the file. Lines have no length limit. The path is CP932 like every core text.
class ClassicTextReader {
 public:
  ClassicTextReader() = default;
  ~ClassicTextReader();
  ClassicTextReader(const ClassicTextReader&) = delete;
  ClassicTextReader& operator=(const ClassicTextReader&) = delete;

  // False when the file cannot be opened for reading.
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

// Writes data to a temporary file in the same folder and renames it over path, so that a crash
// or a full disk never leaves a half-written file and never loses the old one. An existing
// file's permissions are kept. False when anything failed; the old file is then unchanged.
bool WriteFileAtomic(const std::string& path, std::string_view data);

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

// Reads the whole file into data. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace vorn
