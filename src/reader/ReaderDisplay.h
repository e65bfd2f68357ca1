#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// Colours, fonts and texts of the settings as the reading widgets show them.

// A settings colour: 0x00BBGGRR, or a classic system colour (0x80000000 + index) taken from
// the application palette.
QColor ReaderColor(int32_t color);

// The installed family for a font name of the settings. The settings name the classic
// Japanese fonts ("ＭＳ ゴシック", "ＭＳ 明朝", "ＭＳ Ｐゴシック"), which this desktop does
// not have; they map to the installed IPA faces of the same kind. Logs and the grid are laid
// out for a fixed pitch, so every unknown name falls back to the fixed-pitch gothic.
QString ReaderFontFamily(const QString& name);

// A font of the settings: CP932 name, size in points, style bits (bold 1, italic 2,
// underline 4, strike-out 8).
QFont ReaderFont(const std::string& cp932Name, int32_t pointSize, uint8_t style);

// CP932 text for a widget. Invalid sequences show as the replacement character.
QString ReaderText(std::string_view cp932);

}  // namespace vorn
