#pragma once

#include <cstdint>
#include <vector>

namespace vorn {

// A rectangle in desktop pixels: a screen's available area, or the main window's place.
struct PlaceRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  bool operator==(const PlaceRect&) const = default;
};

// The main window's layout on a desktop that has never seen it (no Window section in the
// settings yet): three quarters of the screen's available area, centred, the grid a third of
// the window's height when it lies above the view, and when it stands beside the view wide
// enough for number, writer and a readable title.
struct FirstRunLayout {
  PlaceRect Window;
  int32_t GridHeight = 0;  // SeparateVValue
  int32_t GridWidth = 0;   // SeparateHValue
};
FirstRunLayout FirstRunPlacement(const PlaceRect& available);

// Which values of a stored layout the settings held and could use.
struct StoredLayoutValues {
  bool Left = false;
  bool Top = false;
  bool Width = false;
  bool Height = false;
  bool GridHeight = false;
  bool GridWidth = false;
};
// A stored layout whose missing or unusable values are those of the first run on the screen:
// the size from the first-run size, the place centring the window as it is then, the grid's
// share from the window's size. Every value the settings held stays as it was.
FirstRunLayout StoredOrFirstRun(const FirstRunLayout& stored, const StoredLayoutValues& usable,
                                const PlaceRect& available);

// Stored geometry brought onto the screens: on the screen it overlaps most (the first screen
// when it overlaps none), no larger than that screen's available area less the window frame,
// and not smaller than the minimum. Values of any size, such as a width of 2147483647 in a
// hand-edited file, give a window that fits.
PlaceRect KeepOnScreens(const PlaceRect& stored, const std::vector<PlaceRect>& screens,
                        int32_t minimumWidth, int32_t minimumHeight, int32_t frameWidth = 0,
                        int32_t frameHeight = 0);

}  // namespace vorn
