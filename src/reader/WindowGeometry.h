#pragma once

class QWidget;

namespace vorn {

class TCommonIniFile;

// The main window's place on the desktop. Without a Window section in the settings (the first
// run) it gets a size that suits the screen, centred, and the grid's share of it; otherwise
// the stored position and size, brought onto the screens when they would leave them (a screen
// since removed, a hand-edited size). A value of the section that is missing or could not be
// used takes its first-run value, and the settings' report of it names that value. The
// settings' Window values are set to what was used.
void PlaceMainWindow(QWidget& window, TCommonIniFile& settings);

// Once the window is on the screen its frame is known: the frame too is kept on the screens.
void KeepFrameOnScreens(QWidget& window);

}  // namespace vorn
