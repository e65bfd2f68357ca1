#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"

namespace vorn {

// A colour as settings files hold it: 0x00BBGGRR for a plain colour, 0x80000000 plus the index
// of a system colour (window background, button face, ...) for colours that follow the desktop
// theme. The GUI maps both kinds to real colours.
using TColor = int32_t;

constexpr TColor SystemColorBase = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) {
  return SystemColorBase | index;
}
constexpr bool IsSystemColor(TColor c) {
  return (c & SystemColorBase) != 0;
}
constexpr int SystemColorIndex(TColor c) {
  return c & 0xFF;
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

// The colour's name ("clWindow"), empty when it has none.
std::string ColorName(TColor color);
// A colour name, matched without regard to case. False when the name is not known.
bool ColorFromName(const std::string& name, TColor& color);
// The written form: the name, otherwise "$" and eight upper-case hexadecimal digits.
std::string ColorToText(TColor color);
// A name, a decimal integer or "$" with hexadecimal digits. False for anything else.
bool ColorFromText(const std::string& text, TColor& color);

// Font style bits, stored as the low byte of an integer.
using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// A settings file with the program's value conventions: strings written in double quotes (so
// that leading and trailing blanks survive), Booleans as 1 and 0, floats with six decimals,
// colours by name or "$" value, font styles as integers. Reading never fails: a missing key or
// a value that does not convert gives the caller's default.
//
// Every write goes to disk at once and atomically; a caller that writes many keys wraps them
// in BeginBatch/EndBatch so that they go out as one write. Writes report failure with false.
class TIniFilePlus {
 public:
  explicit TIniFilePlus(const std::string& fileName);
  virtual ~TIniFilePlus() = default;
  TIniFilePlus(const TIniFilePlus&) = delete;
  TIniFilePlus& operator=(const TIniFilePlus&) = delete;

  const std::string& FileName() const { return file_.Path(); }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // Decimal, or hexadecimal after "$" or "0x"; anything else gives the default.
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;
  // Any non-zero integer is true.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
  double ReadFloatValue(const std::string& section, const std::string& key,
                        double defaultValue) const;
  TColor ReadColorValue(const std::string& section, const std::string& key,
                        TColor defaultValue) const;
  TFontStyles ReadStyleValue(const std::string& section, const std::string& key,
                             TFontStyles defaultValue) const;

  // Writes the value as given, without quotes.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  // Every text the program writes to a settings file goes through here. A line break cannot be
  // held by an ini line, so CR and LF bytes are left out rather than split the file.
  bool WriteQuotedString(const std::string& section, const std::string& key,
                         const std::string& text);
  bool WriteInteger(const std::string& section, const std::string& key, int32_t value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);
  bool WriteFloatValue(const std::string& section, const std::string& key, double value);
  bool WriteColorValue(const std::string& section, const std::string& key, TColor color);
  bool WriteStyleValue(const std::string& section, const std::string& key, TFontStyles style);

  bool SectionExists(const std::string& section) const { return file_.SectionExists(section); }
  bool ValueExists(const std::string& section, const std::string& key) const {
    return file_.KeyExists(section, key);
  }
  std::vector<std::string> ReadSection(const std::string& section) const {
    return file_.ReadSection(section);
  }
  // The names of the sections in the file, in file order.
  std::vector<std::string> ReadSectionNames() const { return file_.ReadSectionNames(); }
  bool EraseSection(const std::string& section) { return file_.EraseSection(section); }
  bool DeleteKey(const std::string& section, const std::string& key) {
    return file_.DeleteKey(section, key);
  }

  void BeginBatch() { file_.BeginBatch(); }
  // False when a write of the batch failed.
  bool EndBatch() { return file_.EndBatch(); }

 private:
  ProfileFile file_;
};

// A batch that ends with the scope; Finish() ends it early and tells whether it was written.
class IniBatch {
 public:
  explicit IniBatch(TIniFilePlus& ini) : ini_(&ini) { ini_->BeginBatch(); }
  ~IniBatch() {
    if (ini_) ini_->EndBatch();
  }
  IniBatch(const IniBatch&) = delete;
  IniBatch& operator=(const IniBatch&) = delete;
  bool Finish() {
    bool ok = ini_->EndBatch();
    ini_ = nullptr;
    return ok;
  }

 private:
  TIniFilePlus* ini_;
};

// The standard integer reading of settings values: blanks around, an optional sign, decimal
// digits, or "$" or "0x" with up to eight hexadecimal digits (taken as the 32 bits they spell).
bool ParseIniInteger(const std::string& text, int32_t& value);

}  // namespace vorn
