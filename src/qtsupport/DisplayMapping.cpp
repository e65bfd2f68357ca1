#include "qtsupport/DisplayMapping.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

#include "qtsupport/QtSupport.h"
#include "settings/IniFilePlus.h"

namespace vorn {
namespace {

struct SystemRole {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// The classic system colours in index order, by the palette role that plays their part.
constexpr SystemRole kSystemRoles[25] = {
    {QPalette::Active, QPalette::Mid},              // clScrollBar
    {QPalette::Active, QPalette::Dark},             // clBackground
    {QPalette::Active, QPalette::Highlight},        // clActiveCaption
    {QPalette::Inactive, QPalette::Mid},            // clInactiveCaption
    {QPalette::Active, QPalette::Window},           // clMenu
    {QPalette::Active, QPalette::Base},             // clWindow
    {QPalette::Active, QPalette::Shadow},           // clWindowFrame
    {QPalette::Active, QPalette::WindowText},       // clMenuText
    {QPalette::Active, QPalette::Text},             // clWindowText
    {QPalette::Active, QPalette::HighlightedText},  // clCaptionText
    {QPalette::Active, QPalette::Window},           // clActiveBorder
    {QPalette::Inactive, QPalette::Window},         // clInactiveBorder
    {QPalette::Active, QPalette::Mid},              // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},        // clHighlight
    {QPalette::Active, QPalette::HighlightedText},  // clHighlightText
    {QPalette::Active, QPalette::Button},           // clBtnFace
    {QPalette::Active, QPalette::Mid},              // clBtnShadow
    {QPalette::Disabled, QPalette::Text},           // clGrayText
    {QPalette::Active, QPalette::ButtonText},       // clBtnText
    {QPalette::Inactive, QPalette::Text},           // clInactiveCaptionText
    {QPalette::Active, QPalette::Light},            // clBtnHighlight
    {QPalette::Active, QPalette::Shadow},           // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},         // cl3DLight
    {QPalette::Active, QPalette::ToolTipText},      // clInfoText
    {QPalette::Active, QPalette::ToolTipBase},      // clInfoBk
};

// Full-width Latin letters and digits as ASCII, blanks dropped, lower case, so that the spellings
// of one face compare: "ＭＳ Ｐゴシック" becomes "mspゴシック".
QString Normalised(const QString& name) {
  QString out;
  for (QChar c : name) {
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) c = QChar(char16_t(u - 0xFEE0));
    if (c.isSpace() || c == QChar(0x3000)) continue;
    out += c.toLower();
  }
  return out;
}

bool Installed(const QString& family) {
  return QFontDatabase::hasFamily(family);
}

}  // namespace

QColor QtColor(int32_t color) {
  if (IsSystemColor(color)) {
    const int index = SystemColorIndex(color);
    const QPalette palette = QApplication::palette();
    if (index >= 0 && index < 25) {
      return palette.color(kSystemRoles[index].group, kSystemRoles[index].role);
    }
    return palette.color(QPalette::Window);
  }
  const auto c = static_cast<uint32_t>(color);
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QStringList FontFamilyCandidates(const QString& name) {
  QStringList out;
  if (!name.trimmed().isEmpty()) out << name;
  const QString n = Normalised(name);
  const bool mincho = n.contains(QStringLiteral("明朝")) || n.contains(QStringLiteral("mincho"));
  // "ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic": proportional faces.
  const bool proportional =
      n.contains(QStringLiteral("pゴシック")) || n.contains(QStringLiteral("p明朝")) ||
      n.contains(QStringLiteral("pgothic")) || n.contains(QStringLiteral("pmincho")) ||
      n.contains(QStringLiteral("uigothic"));
  if (mincho) {
    if (proportional) out << QStringLiteral("IPAPMincho");
    out << QStringLiteral("IPAMincho");
  } else if (proportional) {
    out << QStringLiteral("IPAPGothic");
  }
  // Logs and the grid assume a fixed pitch, so every other face, known or not, is the gothic.
  out << QStringLiteral("IPAGothic") << QStringLiteral("Noto Sans Mono CJK JP")
      << QStringLiteral("VL Gothic");
  out.removeDuplicates();
  return out;
}

QString MapFontFamily(const QString& name) {
  for (const QString& family : FontFamilyCandidates(name)) {
    if (Installed(family)) return family;
  }
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont QtFont(const std::string& cp932Name, int pointSize, uint8_t style) {
  QFont font(MapFontFamily(QtText(cp932Name)));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(pointSize > 0 ? pointSize : 9);
  font.setBold(style & fsBold);
  font.setItalic(style & fsItalic);
  font.setUnderline(style & fsUnderline);
  font.setStrikeOut(style & fsStrikeOut);
  return font;
}

}  // namespace vorn
