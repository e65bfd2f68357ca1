#include "text/ShiftJisText.h"

namespace vorn {

namespace {

constexpr bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// Where a control string that starts at the ESC at i ends: ESC ']' (a window title), 'P', 'X',
// '^' or '_', up to and including BEL or ESC '\'. The terminal showed none of it. i when there
// is no such string or it does not end in the text: the ESC alone is dropped then, and the rest
// stays readable. Trail bytes are never BEL or ESC, so the scan may go byte by byte.
size_t StringSequenceEnd(std::string_view text, size_t i) {
  if (i + 1 >= text.size()) return i;
  const char kind = text[i + 1];
  if (kind != ']' && kind != 'P' && kind != 'X' && kind != '^' && kind != '_') return i;
  for (size_t j = i + 2; j < text.size(); ++j) {
    if (text[j] == '\x07') return j + 1;
    if (text[j] == '\x1b') return j + 1 < text.size() && text[j + 1] == '\\' ? j + 2 : i;
  }
  return i;
}

}  // namespace

std::string QuoteDoubled(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (size_t i = 0; i < text.size();) {
    size_t len = CharLengthAt(text, i);
    out.append(text.data() + i, len);
    if (len == 1 && text[i] == '"') out += '"';
    i += len;
  }
  return out;
}

std::string StripEscapeSequences(std::string_view text) {
  if (text.find('\x1b') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      size_t len = CharLengthAt(text, i);
      out.append(text.data() + i, len);
      i += len;
    } else if (c != 0x1B) {
      out += static_cast<char>(c);
      ++i;
    } else if (i + 1 < n && text[i + 1] == '[') {
      // A sequence ends at its final byte. Colour sequences end in 'm'; cursor and erase
      // sequences (ESC[2J, ESC[K) end in other letters and must not swallow the text after
      // them. A byte that cannot belong to a sequence ends it and is kept.
      size_t j = i + 2;
      while (j < n && static_cast<unsigned char>(text[j]) >= 0x20 &&
             static_cast<unsigned char>(text[j]) <= 0x3F)
        ++j;
      if (j < n && static_cast<unsigned char>(text[j]) >= 0x40 &&
          static_cast<unsigned char>(text[j]) <= 0x7E)
        ++j;
      i = j;
    } else if (const size_t end = StringSequenceEnd(text, i); end > i) {
      i = end;
    } else {
      ++i;
    }
  }
  return out;
}

std::string WrapText(std::string_view text, int width) {
  if (width <= 0 || text.size() <= static_cast<size_t>(width)) return std::string(text);
  const size_t w = static_cast<size_t>(width);
  std::string out;
  out.reserve(text.size() + 2 * (text.size() / w + 1));
  size_t i = 0;
  while (i < text.size()) {
    const size_t start = i;
    while (i < text.size()) {
      size_t len = CharLengthAt(text, i);
      // A character that would cross the width starts the next piece; one that is wider
      // than the whole width (a double-byte character at width 1) gets a piece of its own.
      if (i - start + len > w && i > start) break;
      i += len;
    }
    if (start > 0) out += "\r\n";
    out.append(text.data() + start, i - start);
  }
  return out;
}

std::string ExpandTabs(std::string_view text, int tabWidth) {
  // Without a usable width there is no next tab stop; the text stays as it is.
  if (tabWidth < 1 || text.find('\t') == std::string_view::npos) return std::string(text);
  const size_t tw = static_cast<size_t>(tabWidth);
  std::string out;
  out.reserve(text.size() + 8 * tw);
  size_t column = 0;
  for (char c : text) {
    if (c == '\t') {
      size_t blanks = tw - column % tw;
      out.append(blanks, ' ');
      column += blanks;
    } else {
      out += c;
      column = (c == '\n') ? 0 : column + 1;
    }
  }
  return out;
}

bool IsBlankText(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (static_cast<unsigned char>(c) == 0x81 && i + 1 < text.size() &&
               text[i + 1] == 0x40) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

std::string LogNamePrefix(std::string_view path) {
  // The folder ends at the last free '/' or '\'; a '\' that is the second byte of a
  // double-byte character belongs to the name.
  size_t nameStart = 0;
  for (size_t i = 0; i < path.size();) {
    size_t len = CharLengthAt(path, i);
    if (len == 1 && (path[i] == '/' || path[i] == '\\')) nameStart = i + 1;
    i += len;
  }
  size_t end = nameStart;
  while (end < path.size()) {
    unsigned char c = static_cast<unsigned char>(path[end]);
    if (c == '.' || IsDigit(c)) break;
    end += CharLengthAt(path, end);
  }
  return std::string(path.substr(nameStart, end - nameStart));
}

}  // namespace vorn
