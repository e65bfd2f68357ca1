#include "platform/Cp932.h"

#include <unicode/ucnv.h>
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

std::string NativePath(std::string_view cp932Path) {
  return Cp932ToUtf8(cp932Path);
}

std::string FromNativePath(std::string_view nativePath) {
  return Utf8ToCp932(nativePath);
}

}  // namespace vorn
