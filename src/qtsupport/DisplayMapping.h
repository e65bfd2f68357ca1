#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>
#include <cstdint>
#include <string>

namespace vorn {

// Colours and fonts of the settings files on this desktop.

// A settings colour: 0x00BBGGRR, or a system colour (0x80000000 + index) taken from the
// application palette.
QColor QtColor(int32_t color);

// The settings name classic Japanese fonts (ＭＳ ゴシック and its relatives) that this desktop
// does not have. The families to try for a name, best first: the name itself, then the
// installed font of the same kind (fixed-pitch gothic, proportional gothic, mincho).
QStringList FontFamilyCandidates(const QString& name);
// The first candidate that is installed; the system's fixed-pitch font when none is.
QString MapFontFamily(const QString& name);
// A font of the settings: CP932 name, size in points, style bits (bold 1, italic 2, underline
// 4, strike-out 8).
QFont QtFont(const std::string& cp932Name, int pointSize, uint8_t style);

}  // namespace vorn
