#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// Text as the archive files hold it: UTF-8 decoded as the window and the tool decode it, log
// lines without their terminal sequences, and control characters as the pictures the article
// view shows (a tab stays). Counts the bytes of the log that did not decode (each shown as
// U+FFFD) for the export's summary.
class ArchiveText final {
 public:
  // Appends the shown form of CP932 text.
  void Append(std::string_view cp932, std::string& out);
  std::string Utf8(std::string_view cp932) {
    std::string out;
    Append(cp932, out);
    return out;
  }
  // A log line: terminal sequences removed as the article view removes them, then as Append.
  void AppendLogLine(std::string_view cp932Line, std::string& out);

  int64_t UndecodedBytes() const { return undecoded_; }

 private:
  int64_t undecoded_ = 0;
  std::string stripped_;
  std::string decoded_;
};

// The one escaping routine of the HTML pages: every text that comes from the log or the
// settings passes through it, in element content and in attribute values alike. & < > " ' are
// written as references; control characters, which HTML does not allow as text, are shown as
// their pictures (U+2400 ..), a tab and a line feed stay.
void AppendHtmlEscaped(std::string_view utf8, std::string& out);

}  // namespace vorn
