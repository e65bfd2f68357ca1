#include "archive/ArchiveText.h"

#include <array>

#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {

void ArchiveText::Append(std::string_view cp932, std::string& out) {
  undecoded_ += static_cast<int64_t>(AppendCp932AsUtf8(cp932, out));
}

void ArchiveText::AppendLogLine(std::string_view cp932Line, std::string& out) {
  if (cp932Line.find('\x1b') == std::string_view::npos) {
    Append(cp932Line, out);
    return;
  }
  stripped_ = StripEscapeSequences(cp932Line);
  Append(stripped_, out);
}

namespace {

// The bytes AppendHtmlEscaped writes otherwise: & < > " ', the control characters but tab and
// line feed, DEL, and the lead byte of U+0080 .. U+00BF (checked further).
constexpr std::array<bool, 256> EscapedBytes() {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c)
    table[static_cast<size_t>(c)] = c != '\t' && c != '\n';
  for (unsigned char c : {'&', '<', '>', '"', '\'', '\x7F', '\xC2'})
    table[c] = true;
  return table;
}
constexpr std::array<bool, 256> kEscaped = EscapedBytes();

}  // namespace

void AppendHtmlEscaped(std::string_view utf8, std::string& out) {
  size_t plain = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (!kEscaped[c]) continue;
    const char* replacement = nullptr;
    char picture[4];
    switch (c) {
      case '&':
        replacement = "&amp;";
        break;
      case '<':
        replacement = "&lt;";
        break;
      case '>':
        replacement = "&gt;";
        break;
      case '"':
        replacement = "&quot;";
        break;
      case '\'':
        replacement = "&#39;";
        break;
      case 0xC2:
        if (i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
          // U+0080 .. U+009F, the C1 controls: not text in HTML either.
          out.append(utf8.data() + plain, i - plain);
          out += "\xEF\xBF\xBD";
          ++i;
          plain = i + 1;
        }
        continue;
      default: {
        // U+2400 + c, U+2421 for DEL.
        const unsigned code = c == 0x7F ? 0x2421 : 0x2400 + c;
        picture[0] = static_cast<char>(0xE0 | (code >> 12));
        picture[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        picture[2] = static_cast<char>(0x80 | (code & 0x3F));
        picture[3] = '\0';
        replacement = picture;
      }
    }
    out.append(utf8.data() + plain, i - plain);
    out += replacement;
    plain = i + 1;
  }
  out.append(utf8.data() + plain, utf8.size() - plain);
}

}  // namespace vorn
