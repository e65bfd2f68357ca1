#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vorn {

// Where a dialog goes: centred on the parent's rectangle (halves truncated toward zero), moved
// left or up when it would reach the right or bottom edge of the screen's area, and never past
// its left or top edge.
QPoint CentredDialogPoint(const QRect& parent, const QSize& own, const QRect& screenArea);

// The window a dialog belongs to: the outermost window of its parents, or the program's main
// window when it has none. Null when no such window is on the screen.
QWidget* DialogAnchorWindow(const QWidget* dialog);

// Places every dialog of the program the first time it is shown, once it has taken its size and
// frame: centred on the rectangle its caller gave in the property below, or else on the window it
// belongs to, and kept inside the screen. Later showings keep that place; a dialog that moved
// itself without giving a rectangle keeps its own. Installed once for the application; further
// calls do nothing.
void InstallDialogPlacement();
inline constexpr const char* DialogParentRectProperty = "vornDialogParentRect";

}  // namespace vorn
