#include "platform/Cp932.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <vector>

namespace vorn {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// The encoder. Opening a converter is costly compared with converting one grid cell, so each
// thread keeps one.
UConverter* Cp932Converter() {
  thread_local ConverterPtr converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr c(ucnv_open("windows-31j", &status));
    if (U_SUCCESS(status) && c) {
      UErrorCode s2 = U_ZERO_ERROR;
      // '?' for characters CP932 cannot hold.
      ucnv_setSubstChars(c.get(), "?", 1, &s2);
    }
    return c;
  }();
  return converter.get();
}

bool IsAscii(std::string_view s) {
  for (unsigned char ch : s) {
    if (ch >= 0x80) return false;
  }
  return true;
}

// The decoder: every byte that does not decode is counted and becomes U+FFFD (the converter's
// own substitution gives U+001A for some of them, which would show as a control character).
struct UndecodedCounter {
  size_t bytes = 0;
};

// A pair without a character whose second byte is ASCII is one undecoded byte followed by that
// ASCII character, as web browsers read Shift_JIS: a broken lead byte never takes a letter of
// the text with it.
void CountUndecoded(const void* context, UConverterToUnicodeArgs* args, const char* codeUnits,
                    int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  auto* counter = static_cast<UndecodedCounter*>(const_cast<void*>(context));
  UChar replacement[2] = {0xFFFD, 0};
  int32_t units = 1;
  if (length == 2 && static_cast<unsigned char>(codeUnits[1]) < 0x80) {
    replacement[1] = static_cast<unsigned char>(codeUnits[1]);
    units = 2;
    counter->bytes += 1;
  } else {
    counter->bytes += size_t(length);
  }
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, replacement, units, 0, err);
}

struct CountingConverter {
  ConverterPtr converter;
  UndecodedCounter counter;
};

CountingConverter& CountingCp932Converter() {
  thread_local CountingConverter c = [] {
    CountingConverter made;
    UErrorCode status = U_ZERO_ERROR;
    made.converter.reset(ucnv_open("windows-31j", &status));
    return made;
  }();
  thread_local bool callbackSet = false;
  if (c.converter && !callbackSet) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(c.converter.get(), CountUndecoded, &c.counter, nullptr, nullptr, &status);
    callbackSet = true;
  }
  return c;
}

constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

void AppendUtf16AsUtf8(const UChar* utf16, int32_t n, std::string& out) {
  // Three bytes a unit at most (a surrogate pair makes four of two units): room first, then
  // the bytes through a pointer.
  const size_t start = out.size();
  out.resize(start + size_t(n) * 3);
  char* p = out.data() + start;
  for (int32_t i = 0; i < n; ++i) {
    uint32_t cp = utf16[i];
    if (cp < 0x80) {
      *p++ = char(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      *p++ = char(0xC0 | (cp >> 6));
      *p++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *p++ = char(0xE0 | (cp >> 12));
      *p++ = char(0x80 | ((cp >> 6) & 0x3F));
      *p++ = char(0x80 | (cp & 0x3F));
    } else {
      *p++ = char(0xF0 | (cp >> 18));
      *p++ = char(0x80 | ((cp >> 12) & 0x3F));
      *p++ = char(0x80 | ((cp >> 6) & 0x3F));
      *p++ = char(0x80 | (cp & 0x3F));
    }
  }
  out.resize(size_t(p - out.data()));
}

// The escape of a file-name byte that CP932 text cannot carry: a marker (0xFE for the bytes
// 0x80-0xBF, 0xFF for 0xC0-0xFF) and 0xA0 plus the byte's low six bits.
constexpr unsigned char kEscapeLow = 0xFE;
constexpr unsigned char kEscapeHigh = 0xFF;

bool HasEscapeMarker(std::string_view s) {
  for (unsigned char ch : s) {
    if (ch >= kEscapeLow) return true;
  }
  return false;
}

bool IsEscapeAt(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c != kEscapeLow && c != kEscapeHigh) return false;
  if (i + 1 >= s.size()) return false;
  const unsigned char d = static_cast<unsigned char>(s[i + 1]);
  return d >= 0xA0 && d <= 0xDF;
}

char EscapedByte(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const unsigned char d = static_cast<unsigned char>(s[i + 1]);
  return static_cast<char>((c == kEscapeLow ? 0x80 : 0xC0) + (d - 0xA0));
}

void AppendEscape(std::string& out, unsigned char b) {
  out += static_cast<char>(b < 0xC0 ? kEscapeLow : kEscapeHigh);
  out += static_cast<char>(0xA0 + (b & 0x3F));
}

// Where the character at i ends: a lead byte takes the byte after it only when that byte can
// be its second, so that a broken character never swallows an escape.
size_t NextCharacter(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  if (lead && i + 1 < s.size()) {
    const unsigned char t = static_cast<unsigned char>(s[i + 1]);
    if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) return i + 2;
  }
  return i + 1;
}

// Plain CP932 to UTF-8, escapes not considered.
std::string DecodeCp932(std::string_view cp932);

// Walks a core string: runs of CP932 text go to `text`, each run of escaped bytes to `bytes`.
template <class Text, class Bytes>
void WalkEscapes(std::string_view s, Text text, Bytes bytes) {
  size_t run = 0;
  size_t i = 0;
  std::string raw;
  while (i < s.size()) {
    if (!IsEscapeAt(s, i)) {
      i = NextCharacter(s, i);
      continue;
    }
    if (i > run) text(s.substr(run, i - run));
    raw.clear();
    while (i < s.size() && IsEscapeAt(s, i)) {
      raw += EscapedByte(s, i);
      i += 2;
    }
    bytes(std::string_view(raw));
    run = i;
  }
  if (i > run) text(s.substr(run, i - run));
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const unsigned char c = static_cast<unsigned char>(text[0]);
  if (c < 0x80) return 1;
  size_t len;
  uint32_t value;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    value = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    value = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    value = c & 0x07;
  } else {
    return 0;
  }
  if (text.size() < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    const unsigned char t = static_cast<unsigned char>(text[k]);
    if ((t & 0xC0) != 0x80) return 0;
    value = (value << 6) | (t & 0x3F);
  }
  if ((len == 3 && value < 0x800) || (len == 4 && (value < 0x10000 || value > 0x10FFFF)) ||
      (value >= 0xD800 && value <= 0xDFFF))
    return 0;
  return len;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  if (!HasEscapeMarker(cp932)) return DecodeCp932(cp932);
  std::string out;
  WalkEscapes(
      cp932, [&](std::string_view text) { out += DecodeCp932(text); },
      [&](std::string_view bytes) {
        // The name's own characters where they are UTF-8; a replacement for each byte that is not.
        for (size_t i = 0; i < bytes.size();) {
          const size_t len = Utf8SequenceLength(bytes.substr(i));
          if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
          } else {
            out.append(bytes.substr(i, len));
            i += len;
          }
        }
      });
  return out;
}

namespace {

// The text of the log as every reader of it sees it: the decoder of AppendCp932AsUtf8.
std::string DecodeCp932(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  AppendCp932AsUtf8(cp932, out);
  return out;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  // UTF-8 to UTF-16 by hand, malformed sequences becoming U+FFFD (then '?').
  std::vector<UChar> utf16;
  utf16.reserve(utf8.size() + 1);
  size_t i = 0;
  while (i < utf8.size()) {
    unsigned char c = utf8[i];
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
    }
    if (len > 1) {
      bool ok = i + len <= utf8.size();
      uint32_t v = c & (0x7F >> len);
      for (size_t k = 1; ok && k < len; ++k) {
        unsigned char t = utf8[i + k];
        if ((t & 0xC0) != 0x80) {
          ok = false;
          len = k;
        } else {
          v = (v << 6) | (t & 0x3F);
        }
      }
      if (!ok && i + len > utf8.size()) len = utf8.size() - i;
      cp = ok ? v : 0xFFFD;
    }
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      utf16.push_back(UChar(0xD800 + (cp >> 10)));
      utf16.push_back(UChar(0xDC00 + (cp & 0x3FF)));
    } else {
      utf16.push_back(UChar(cp > 0x10FFFF ? 0xFFFD : cp));
    }
    i += len;
  }
  // ASCII stands for itself, as in the other direction: the converter's table would turn
  // U+001A, U+001C and U+007F into other control bytes. Runs of the rest go to the converter.
  UConverter* conv = Cp932Converter();
  std::string out;
  out.reserve(utf16.size() * 2);
  for (size_t k = 0; k < utf16.size();) {
    if (utf16[k] < 0x80) {
      out += static_cast<char>(utf16[k++]);
      continue;
    }
    size_t end = k;
    while (end < utf16.size() && utf16[end] >= 0x80)
      ++end;
    if (!conv) {
      out.append(end - k, '?');
      k = end;
      continue;
    }
    ucnv_reset(conv);
    const size_t start = out.size();
    out.resize(start + (end - k) * 2 + 4);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(conv, out.data() + start, int32_t(out.size() - start),
                                      utf16.data() + k, int32_t(end - k), &status);
    if (U_FAILURE(status)) return std::string();
    out.resize(start + size_t(n));
    k = end;
  }
  return out;
}

void AppendControlPicture(unsigned char c, std::string& out) {
  const unsigned code = c == 0x7F ? 0x2421 : 0x2400 + c;
  out += static_cast<char>(0xE0 | (code >> 12));
  out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (code & 0x3F));
}

void AppendWithControlPictures(std::string_view utf8, std::string& out) {
  size_t plain = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (!IsPicturedControl(c)) continue;
    out.append(utf8.data() + plain, i - plain);
    AppendControlPicture(c, out);
    plain = i + 1;
  }
  out.append(utf8.data() + plain, utf8.size() - plain);
}

size_t AppendCp932AsUtf8(std::string_view cp932, std::string& out) {
  // ASCII is copied as it is: the table behind "windows-31j" swaps the control bytes 0x1A,
  // 0x1C and 0x7F, and copying is faster. Runs of double-byte and half-width characters go to
  // ICU whole; a lead byte whose next byte cannot be a trail byte is one undecoded byte, so
  // the byte after it is read on its own.
  CountingConverter& c = CountingCp932Converter();
  thread_local std::vector<UChar> utf16;
  size_t undecoded = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(cp932.data());
  const size_t n = cp932.size();
  size_t i = 0;
  while (i < n) {
    if (bytes[i] < 0x80) {
      size_t j = i + 1;
      while (j < n && bytes[j] < 0x80)
        ++j;
      out.append(cp932.data() + i, j - i);
      i = j;
      continue;
    }
    size_t j = i;
    while (j < n && bytes[j] >= 0x80) {
      if (IsCp932LeadByte(bytes[j])) {
        if (j + 1 >= n || !IsTrailByte(bytes[j + 1])) break;
        j += 2;
      } else {
        ++j;
      }
    }
    if (j == i) {
      out += "\xEF\xBF\xBD";
      ++undecoded;
      ++i;
      continue;
    }
    if (!c.converter) {
      for (size_t k = i; k < j; ++k)
        out += "\xEF\xBF\xBD";
      undecoded += j - i;
      i = j;
      continue;
    }
    utf16.resize((j - i) * 2 + 4);
    c.counter.bytes = 0;
    ucnv_reset(c.converter.get());
    UErrorCode status = U_ZERO_ERROR;
    const int32_t units = ucnv_toUChars(c.converter.get(), utf16.data(), int32_t(utf16.size()),
                                        cp932.data() + i, int32_t(j - i), &status);
    if (U_FAILURE(status)) {
      for (size_t k = i; k < j; ++k)
        out += "\xEF\xBF\xBD";
      undecoded += j - i;
    } else {
      AppendUtf16AsUtf8(utf16.data(), units, out);
      undecoded += c.counter.bytes;
    }
    i = j;
  }
  return undecoded;
}

std::string NativePath(std::string_view cp932Path) {
  if (IsAscii(cp932Path)) return std::string(cp932Path);
  std::string out;
  WalkEscapes(
      cp932Path, [&](std::string_view text) { out += DecodeCp932(text); },
      [&](std::string_view bytes) { out.append(bytes); });
  return out;
}

std::string FromNativePath(std::string_view nativePath) {
  if (IsAscii(nativePath)) return std::string(nativePath);
  std::string out;
  out.reserve(nativePath.size() * 2);
  for (size_t i = 0; i < nativePath.size();) {
    const unsigned char c = static_cast<unsigned char>(nativePath[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const size_t len = Utf8SequenceLength(nativePath.substr(i));
    if (len == 0) {
      AppendEscape(out, c);
      ++i;
      continue;
    }
    // A character goes into CP932 only when it comes back from there as itself: fallbacks
    // (U+00A5 to the backslash, say) and the '?' of characters CP932 lacks would name another
    // file.
    const std::string_view character = nativePath.substr(i, len);
    const std::string encoded = Utf8ToCp932(character);
    if (!encoded.empty() && !HasEscapeMarker(encoded) && DecodeCp932(encoded) == character) {
      out += encoded;
    } else {
      for (size_t k = 0; k < len; ++k)
        AppendEscape(out, static_cast<unsigned char>(character[k]));
    }
    i += len;
  }
  return out;
}

}  // namespace vorn
