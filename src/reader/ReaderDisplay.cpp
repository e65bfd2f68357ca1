#include "reader/ReaderDisplay.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

#include "platform/Cp932.h"
#include "settings/IniFilePlus.h"

namespace vorn {
namespace {

// The palette roles that play the parts of the classic system colours, by index.
constexpr QPalette::ColorRole kSystemRoles[] = {
    QPalette::Mid,              // clScrollBar
    QPalette::Dark,             // clBackground
    QPalette::Highlight,        // clActiveCaption
    QPalette::Mid,              // clInactiveCaption
    QPalette::Window,           // clMenu
    QPalette::Base,             // clWindow
    QPalette::Shadow,           // clWindowFrame
    QPalette::WindowText,       // clMenuText
    QPalette::Text,             // clWindowText
    QPalette::HighlightedText,  // clCaptionText
    QPalette::Window,           // clActiveBorder
    QPalette::Window,           // clInactiveBorder
    QPalette::Mid,              // clAppWorkSpace
    QPalette::Highlight,        // clHighlight
    QPalette::HighlightedText,  // clHighlightText
    QPalette::Button,           // clBtnFace
    QPalette::Mid,              // clBtnShadow
    QPalette::PlaceholderText,  // clGrayText
    QPalette::ButtonText,       // clBtnText
    QPalette::Text,             // clInactiveCaptionText
    QPalette::Light,            // clBtnHighlight
    QPalette::Shadow,           // cl3DDkShadow
    QPalette::Midlight,         // cl3DLight
    QPalette::ToolTipText,      // clInfoText
    QPalette::ToolTipBase,      // clInfoBk
};

// Full-width Latin letters as ASCII, blanks dropped, lower case: "ＭＳ Ｐゴシック" ->
// "mspゴシック".
QString Normalised(const QString& name) {
  QString out;
  for (QChar c : name) {
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) c = QChar(char16_t(u - 0xFEE0));
    if (c.isSpace()) continue;
    out += c.toLower();
  }
  return out;
}

}  // namespace

QColor ReaderColor(int32_t color) {
  const auto c = static_cast<uint32_t>(color);
  if (IsSystemColor(static_cast<TColor>(c))) {
    const int index = SystemColorIndex(static_cast<TColor>(c));
    const QPalette palette = QApplication::palette();
    if (index >= 0 && index < int(std::size(kSystemRoles)))
      return palette.color(kSystemRoles[index]);
    return palette.color(QPalette::Window);
  }
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QString ReaderFontFamily(const QString& name) {
  if (!name.trimmed().isEmpty() && QFontDatabase::hasFamily(name)) return name;
  const QString n = Normalised(name);
  const bool mincho = n.contains(QStringLiteral("明朝")) || n.contains(QStringLiteral("mincho"));
  const bool proportional =
      n.contains(QStringLiteral("pゴシック")) || n.contains(QStringLiteral("p明朝")) ||
      n.contains(QStringLiteral("pgothic")) || n.contains(QStringLiteral("pmincho")) ||
      n.contains(QStringLiteral("uigothic"));
  QStringList candidates;
  if (mincho)
    candidates << (proportional ? QStringLiteral("IPAPMincho") : QStringLiteral("IPAMincho"));
  if (proportional && !mincho) candidates << QStringLiteral("IPAPGothic");
  candidates << QStringLiteral("IPAGothic") << QStringLiteral("Noto Sans Mono CJK JP");
  for (const QString& family : candidates)
    if (QFontDatabase::hasFamily(family)) return family;
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont ReaderFont(const std::string& cp932Name, int32_t pointSize, uint8_t style) {
  QFont font(ReaderFontFamily(ReaderText(cp932Name)));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(pointSize > 0 ? pointSize : 9);
  font.setBold(style & fsBold);
  font.setItalic(style & fsItalic);
  font.setUnderline(style & fsUnderline);
  font.setStrikeOut(style & fsStrikeOut);
  return font;
}

QString ReaderText(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

}  // namespace vorn
