#include "reader/WindowGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "readerlogic/WindowPlacement.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

constexpr int kMinimumWidth = 200;
constexpr int kMinimumHeight = 150;

PlaceRect ToPlace(const QRect& r) {
  return {r.left(), r.top(), r.width(), r.height()};
}

// The available areas of the screens, the primary one first (where a window that overlaps
// none goes).
std::vector<PlaceRect> AvailableScreens() {
  std::vector<PlaceRect> screens;
  if (const QScreen* primary = QGuiApplication::primaryScreen())
    screens.push_back(ToPlace(primary->availableGeometry()));
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != QGuiApplication::primaryScreen())
      screens.push_back(ToPlace(screen->availableGeometry()));
  }
  return screens;
}

}  // namespace

void PlaceMainWindow(QWidget& window, TCommonIniFile& c) {
  const std::vector<PlaceRect> screens = AvailableScreens();
  FirstRunLayout layout{{c.WindowLeft, c.WindowTop, c.WindowWidth, c.WindowHeight},
                        c.WindowSeparateVValue,
                        c.WindowSeparateHValue};
  if (!screens.empty()) {
    const char* const section = "Window";
    const StoredLayoutValues usable{
        c.KeyUsable(section, "Left"),           c.KeyUsable(section, "Top"),
        c.KeyUsable(section, "Width"),          c.KeyUsable(section, "Height"),
        c.KeyUsable(section, "SeparateVValue"), c.KeyUsable(section, "SeparateHValue")};
    layout = StoredOrFirstRun(layout, usable, screens.front());
    const std::pair<const char*, int32_t> used[] = {
        {"Left", layout.Window.Left},          {"Top", layout.Window.Top},
        {"Width", layout.Window.Width},        {"Height", layout.Window.Height},
        {"SeparateVValue", layout.GridHeight}, {"SeparateHValue", layout.GridWidth}};
    for (SettingsProblem& problem : c.Problems) {
      for (const auto& [key, value] : used) {
        if (problem.Section == section && problem.Key == key)
          problem.UsedInstead = std::to_string(value);
      }
    }
  }
  const PlaceRect place = KeepOnScreens(layout.Window, screens, kMinimumWidth, kMinimumHeight);
  c.WindowSeparateVValue = layout.GridHeight;
  c.WindowSeparateHValue = layout.GridWidth;
  c.WindowLeft = place.Left;
  c.WindowTop = place.Top;
  c.WindowWidth = place.Width;
  c.WindowHeight = place.Height;
  window.move(place.Left, place.Top);
  window.resize(place.Width, place.Height);
}

void KeepFrameOnScreens(QWidget& window) {
  if (window.isMaximized() || window.isMinimized() || window.isFullScreen()) return;
  const QRect frame = window.frameGeometry();
  const QRect inner = window.geometry();
  const PlaceRect stored{frame.left(), frame.top(), inner.width(), inner.height()};
  const PlaceRect kept =
      KeepOnScreens(stored, AvailableScreens(), kMinimumWidth, kMinimumHeight,
                    frame.width() - inner.width(), frame.height() - inner.height());
  if (kept == stored) return;
  window.move(kept.Left, kept.Top);
  window.resize(kept.Width, kept.Height);
}

}  // namespace vorn
