#include "archive/MailHeader.h"

#include <cstdint>

namespace vorn {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void AppendBase64(std::string_view bytes, std::string& out) {
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = (uint32_t(uint8_t(bytes[i])) << 16) |
                       (uint32_t(uint8_t(bytes[i + 1])) << 8) | uint8_t(bytes[i + 2]);
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += kBase64[(v >> 6) & 63];
    out += kBase64[v & 63];
  }
  if (i + 1 == bytes.size()) {
    const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += "==";
  } else if (i + 2 == bytes.size()) {
    const uint32_t v = (uint32_t(uint8_t(bytes[i])) << 16) | (uint32_t(uint8_t(bytes[i + 1])) << 8);
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += kBase64[(v >> 6) & 63];
    out += '=';
  }
}

// Bytes of the UTF-8 character that starts at i (1 for a stray continuation byte).
size_t Utf8Length(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80             ? 1
             : (c & 0xE0) == 0xC0 ? 2
             : (c & 0xF0) == 0xE0 ? 3
             : (c & 0xF8) == 0xF0 ? 4
                                  : 1;
  if (i + n > s.size()) n = s.size() - i;
  return n;
}

// Encoded words of at most wordBytes bytes of text each, separated by a folding line break; a
// reader joins adjacent encoded words without a blank. 36 bytes make 60 characters with the
// frame, so "Subject: " and a word stay within 76 characters; 45 bytes make 72, for a word on a
// line of its own.
void AppendEncodedWords(std::string_view utf8, std::string& out, size_t wordBytes = 36) {
  const size_t kWordBytes = wordBytes;
  size_t i = 0;
  bool first = true;
  while (i < utf8.size()) {
    size_t end = i;
    while (end < utf8.size()) {
      const size_t n = Utf8Length(utf8, end);
      if (end + n - i > kWordBytes) break;
      end += n;
    }
    if (!first) out += "\n ";
    first = false;
    out += "=?UTF-8?B?";
    AppendBase64(utf8.substr(i, end - i), out);
    out += "?=";
    i = end;
  }
}

// Printable ASCII that a parser gives back unchanged: no blank at either end or twice in a
// row, nothing that could be read as an encoded word, short enough for one line.
bool PlainHeaderText(std::string_view text, size_t room) {
  if (text.size() > room) return false;
  if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c > 0x7E) return false;
    if (c == ' ' && i + 1 < text.size() && text[i + 1] == ' ') return false;
    if (c == '=' && i + 1 < text.size() && text[i + 1] == '?') return false;
  }
  return true;
}

bool IsAtomChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '/':
    case '?':
    case '^':
    case '_':
    case '`':
    case '{':
    case '|':
    case '}':
    case '~':
      return true;
    default:
      return false;
  }
}

}  // namespace

void AppendTextHeader(std::string_view name, std::string_view utf8, std::string& out) {
  out.append(name);
  out += ':';
  // 78 characters a line: the name, ": " and the text.
  const size_t room = name.size() + 2 < 78 ? 78 - name.size() - 2 : 0;
  if (PlainHeaderText(utf8, room)) {
    if (!utf8.empty()) out += ' ';
    out.append(utf8);
  } else {
    out += ' ';
    AppendEncodedWords(utf8, out);
  }
  out += '\n';
}

void AppendAddressHeader(std::string_view name, std::string_view displayUtf8,
                         std::string_view addrSpec, std::string& out) {
  out.append(name);
  out += ": ";
  if (!displayUtf8.empty()) {
    bool ascii = PlainHeaderText(displayUtf8, 60);
    if (ascii) {
      // A quoted string takes every printable character; only '"' and '\' need a backslash.
      out += '"';
      for (char c : displayUtf8) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
      }
      out += '"';
    } else {
      out += "\n ";
      AppendEncodedWords(displayUtf8, out, 45);
    }
    out += "\n <";
    out.append(addrSpec);
    out += '>';
  } else {
    out.append(addrSpec);
  }
  out += '\n';
}

void AppendStructuredHeader(std::string_view name, std::string_view value, std::string& out) {
  out.append(name);
  out += ": ";
  size_t column = name.size() + 2;
  size_t i = 0;
  while (i < value.size()) {
    size_t blank = value.find(' ', i);
    if (blank == std::string_view::npos) blank = value.size();
    const std::string_view word = value.substr(i, blank - i);
    if (i > 0) {
      if (column + 1 + word.size() > 78) {
        out += "\n ";
        column = 1;
      } else {
        out += ' ';
        ++column;
      }
    }
    out.append(word);
    column += word.size();
    i = blank + 1;
  }
  out += '\n';
}

std::string AtomText(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (IsAtomChar(c)) {
      out += ch;
    } else {
      out += '=';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

namespace {

// mboxrd: a line that is "From " after any number of '>' is written with one more '>'.
bool NeedsFromQuote(std::string_view line) {
  size_t quotes = 0;
  while (quotes < line.size() && line[quotes] == '>')
    ++quotes;
  return line.substr(quotes, 5) == "From ";
}

}  // namespace

void AppendMboxBodyLine(std::string_view utf8Line, std::string& out) {
  if (NeedsFromQuote(utf8Line)) out += '>';
  out.append(utf8Line);
  out += '\n';
}

bool FitsMessageLine(std::string_view utf8Line) {
  constexpr size_t kMaxOctets = 998;
  return utf8Line.size() + (NeedsFromQuote(utf8Line) ? 1 : 0) <= kMaxOctets;
}

void AppendQuotedPrintableLine(std::string_view utf8Line, std::string& out) {
  static const char kHex[] = "0123456789ABCDEF";
  // 75 characters and the '=' of a soft break.
  constexpr size_t kRoom = 75;
  std::string line;
  for (size_t i = 0; i < utf8Line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8Line[i]);
    const bool last = i + 1 == utf8Line.size();
    const bool plain = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
    const size_t width = plain ? 1 : 3;
    // The last character may take the place of the soft break's '='.
    if (line.size() + width > (last ? kRoom + 1 : kRoom)) {
      line += '=';
      AppendMboxBodyLine(line, out);
      line.clear();
    }
    if (plain) {
      line += static_cast<char>(c);
    } else {
      line += '=';
      line += kHex[c >> 4];
      line += kHex[c & 15];
    }
  }
  AppendMboxBodyLine(line, out);
}

}  // namespace vorn
