#include "settings/IniFilePlus.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "text/Numbers.h"

namespace vorn {
namespace {

struct NamedColor {
  TColor color;
  const char* name;
};

// Plain colours first, then the system colours in index order; a colour with two names (none
// here) would be written with the first.
constexpr std::array<NamedColor, 41> kColorNames = {{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
}};

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string WithoutLineBreaks(const std::string& text) {
  if (text.find_first_of("\r\n") == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

}  // namespace

bool ParseIniInteger(const std::string& text, int32_t& value) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t'))
    ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
    --e;
  bool negative = false;
  if (b < e && (text[b] == '+' || text[b] == '-')) negative = text[b++] == '-';
  if (b >= e) return false;
  if (text[b] == '$' ||
      (text[b] == '0' && b + 1 < e && (text[b + 1] == 'x' || text[b + 1] == 'X'))) {
    b += text[b] == '$' ? 1 : 2;
    if (b >= e || e - b > 8) return false;
    uint32_t bits = 0;
    for (size_t i = b; i < e; ++i) {
      int d = HexDigit(text[i]);
      if (d < 0) return false;
      bits = bits << 4 | uint32_t(d);
    }
    if (negative) bits = 0u - bits;
    value = static_cast<int32_t>(bits);
    return true;
  }
  int64_t n = 0;
  for (size_t i = b; i < e; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
    if (n > int64_t(INT32_MAX) + 1) return false;
  }
  if (negative) n = -n;
  if (n > INT32_MAX || n < INT32_MIN) return false;
  value = static_cast<int32_t>(n);
  return true;
}

std::string ColorName(TColor color) {
  for (const NamedColor& c : kColorNames) {
    if (c.color == color) return c.name;
  }
  return {};
}

bool ColorFromName(const std::string& name, TColor& color) {
  for (const NamedColor& c : kColorNames) {
    if (EqualNoCase(name, c.name)) {
      color = c.color;
      return true;
    }
  }
  return false;
}

std::string ColorToText(TColor color) {
  std::string name = ColorName(color);
  if (!name.empty()) return name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<uint32_t>(color));
  return buf;
}

bool ColorFromText(const std::string& text, TColor& color) {
  return ColorFromName(text, color) || ParseIniInteger(text, color);
}

TIniFilePlus::TIniFilePlus(const std::string& fileName) : file_(fileName) {}

std::string TIniFilePlus::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const {
  return file_.ReadString(section, key, defaultValue);
}

int32_t TIniFilePlus::ReadInteger(const std::string& section, const std::string& key,
                                  int32_t defaultValue) const {
  int32_t value;
  return ParseIniInteger(file_.ReadString(section, key, ""), value) ? value : defaultValue;
}

bool TIniFilePlus::ReadBool(const std::string& section, const std::string& key,
                            bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TIniFilePlus::ReadFloatValue(const std::string& section, const std::string& key,
                                    double defaultValue) const {
  std::string text = file_.ReadString(section, key, "");
  if (text.empty()) return defaultValue;
  double value = TextToFloat(text);
  // Not a number converts to NoFloat, which is below 0 as well.
  return value > 0 ? value : defaultValue;
}

TColor TIniFilePlus::ReadColorValue(const std::string& section, const std::string& key,
                                    TColor defaultValue) const {
  std::string text = file_.ReadString(section, key, "");
  TColor color;
  // A hand-edited value that is neither a name nor a number falls back like a missing one.
  if (text.empty() || !ColorFromText(text, color)) return defaultValue;
  return color;
}

TFontStyles TIniFilePlus::ReadStyleValue(const std::string& section, const std::string& key,
                                         TFontStyles defaultValue) const {
  return static_cast<TFontStyles>(ReadInteger(section, key, defaultValue) & 0xFF);
}

bool TIniFilePlus::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
  return file_.WriteString(section, key, value);
}

bool TIniFilePlus::WriteQuotedString(const std::string& section, const std::string& key,
                                     const std::string& text) {
  return file_.WriteString(section, key, "\"" + WithoutLineBreaks(text) + "\"");
}

bool TIniFilePlus::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  return file_.WriteString(section, key, std::to_string(value));
}

bool TIniFilePlus::WriteBool(const std::string& section, const std::string& key, bool value) {
  return file_.WriteString(section, key, value ? "1" : "0");
}

bool TIniFilePlus::WriteFloatValue(const std::string& section, const std::string& key,
                                   double value) {
  // to_chars, not printf: the GUI runs under the user's locale, whose decimal comma must not
  // reach the file.
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
  std::string text = result.ec == std::errc() ? std::string(buf, result.ptr) : "0.000000";
  return WriteQuotedString(section, key, text);
}

bool TIniFilePlus::WriteColorValue(const std::string& section, const std::string& key,
                                   TColor color) {
  return WriteQuotedString(section, key, ColorToText(color));
}

bool TIniFilePlus::WriteStyleValue(const std::string& section, const std::string& key,
                                   TFontStyles style) {
  return WriteInteger(section, key, style & 0xFF);
}

}  // namespace vorn
