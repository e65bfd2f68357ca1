#include "archive/ArchiveText.h"

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

void AppendHtmlEscaped(std::string_view utf8, std::string& out) {
  size_t plain = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
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
      default:
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
          // U+2400 + c, U+2421 for DEL.
          const unsigned code = c == 0x7F ? 0x2421 : 0x2400 + c;
          picture[0] = static_cast<char>(0xE0 | (code >> 12));
          picture[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
          picture[2] = static_cast<char>(0x80 | (code & 0x3F));
          picture[3] = '\0';
          replacement = picture;
        } else if (c == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
          // U+0080 .. U+009F, the C1 controls: not text in HTML either.
          out.append(utf8.data() + plain, i - plain);
          out += "\xEF\xBF\xBD";
          ++i;
          plain = i + 1;
          continue;
        }
    }
    if (replacement) {
      out.append(utf8.data() + plain, i - plain);
      out += replacement;
      plain = i + 1;
    }
  }
  out.append(utf8.data() + plain, utf8.size() - plain);
}

}  // namespace vorn
