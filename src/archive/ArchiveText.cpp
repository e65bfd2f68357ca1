#include "archive/ArchiveText.h"

#include <array>

#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {

void ArchiveText::Append(std::string_view cp932, std::string& out) {
  const size_t start = out.size();
  undecoded_ += static_cast<int64_t>(AppendCp932AsUtf8(cp932, out));
  // Decoding keeps ASCII as it is, so the control characters are those of the text; most
  // texts have none and stay where they were written.
  const auto* added = reinterpret_cast<const unsigned char*>(out.data()) + start;
  const size_t n = out.size() - start;
  size_t first = 0;
  while (first < n && !IsPicturedControl(added[first]))
    ++first;
  if (first == n) return;
  decoded_.assign(out, start + first, n - first);
  out.resize(start + first);
  AppendWithControlPictures(decoded_, out);
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
      default:
        // A control character: its picture.
        break;
    }
    out.append(utf8.data() + plain, i - plain);
    if (replacement) {
      out += replacement;
    } else {
      AppendControlPicture(c, out);
    }
    plain = i + 1;
  }
  out.append(utf8.data() + plain, utf8.size() - plain);
}

}  // namespace vorn
