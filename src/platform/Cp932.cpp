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

// Opening a converter is costly compared with converting one grid cell, so each thread keeps one.
UConverter* Cp932Converter() {
  thread_local ConverterPtr converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr c(ucnv_open("windows-31j", &status));
    if (U_SUCCESS(status) && c) {
      UErrorCode s2 = U_ZERO_ERROR;
      // '?' for characters CP932 cannot hold, U+FFFD (the default) for bytes it cannot read.
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

// The converter of AppendCp932AsUtf8: the same table, but every byte that does not decode is
// counted and becomes U+FFFD (the plain converter gives U+001A for some of them).
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

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  UConverter* conv = Cp932Converter();
  std::string out;
  if (!conv) {
    // Without ICU data there is nothing sensible to decode to: keep ASCII, mark the rest.
    for (unsigned char ch : cp932)
      out += ch < 0x80 ? std::string(1, char(ch)) : "\xEF\xBF\xBD";
    return out;
  }
  ucnv_reset(conv);
  std::vector<UChar> utf16(cp932.size() * 2 + 4);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv, utf16.data(), int32_t(utf16.size()), cp932.data(),
                            int32_t(cp932.size()), &status);
  if (U_FAILURE(status)) return out;
  // UTF-16 to UTF-8 by hand: three bytes per unit at most, surrogate pairs four per pair.
  out.reserve(size_t(n) * 3);
  for (int32_t i = 0; i < n; ++i) {
    uint32_t cp = utf16[size_t(i)];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && utf16[size_t(i) + 1] >= 0xDC00 &&
        utf16[size_t(i) + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[size_t(i) + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

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
  UConverter* conv = Cp932Converter();
  if (!conv) {
    std::string out;
    for (UChar u : utf16)
      out += u < 0x80 ? char(u) : '?';
    return out;
  }
  ucnv_reset(conv);
  std::string out(utf16.size() * 2 + 4, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(conv, out.data(), int32_t(out.size()), utf16.data(),
                              int32_t(utf16.size()), &status);
  if (U_FAILURE(status)) return std::string();
  out.resize(size_t(n));
  return out;
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
  return Cp932ToUtf8(cp932Path);
}

std::string FromNativePath(std::string_view nativePath) {
  return Utf8ToCp932(nativePath);
}

}  // namespace vorn
