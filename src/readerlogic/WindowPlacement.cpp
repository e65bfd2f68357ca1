#include "readerlogic/WindowPlacement.h"

#include <algorithm>
#include <climits>

namespace vorn {
namespace {

int64_t Overlap(const PlaceRect& a, const PlaceRect& b) {
  const int64_t left = std::max<int64_t>(a.Left, b.Left);
  const int64_t right = std::min<int64_t>(int64_t(a.Left) + a.Width, int64_t(b.Left) + b.Width);
  const int64_t top = std::max<int64_t>(a.Top, b.Top);
  const int64_t bottom = std::min<int64_t>(int64_t(a.Top) + a.Height, int64_t(b.Top) + b.Height);
  return right > left && bottom > top ? (right - left) * (bottom - top) : 0;
}

// A length that fits the room, unless the room is smaller than the minimum.
int32_t FitLength(int32_t wanted, int32_t minimum, int32_t room) {
  return std::max<int32_t>(1, std::min(std::max(wanted, minimum), room));
}

// A start that keeps [start, start + length) inside [roomStart, roomStart + room) when it can.
int32_t FitStart(int32_t start, int32_t length, int32_t roomStart, int32_t room) {
  const int64_t last = int64_t(roomStart) + room - length;
  return static_cast<int32_t>(
      std::clamp<int64_t>(start, roomStart, std::max<int64_t>(roomStart, last)));
}

}  // namespace

FirstRunLayout FirstRunPlacement(const PlaceRect& available) {
  FirstRunLayout layout;
  PlaceRect& w = layout.Window;
  w.Width = std::max<int32_t>(1, available.Width * 3 / 4);
  w.Height = std::max<int32_t>(1, available.Height * 3 / 4);
  w.Left = available.Left + (available.Width - w.Width) / 2;
  w.Top = available.Top + (available.Height - w.Height) / 2;
  layout.GridHeight = w.Height / 3;
  layout.GridWidth = w.Width * 2 / 5;
  return layout;
}

FirstRunLayout StoredOrFirstRun(const FirstRunLayout& stored, const StoredLayoutValues& usable,
                                const PlaceRect& available) {
  const FirstRunLayout first = FirstRunPlacement(available);
  FirstRunLayout layout = stored;
  PlaceRect& w = layout.Window;
  if (!usable.Width) w.Width = first.Window.Width;
  if (!usable.Height) w.Height = first.Window.Height;
  // (A stored size of any value centres without overflowing; the screens' fit comes later.)
  auto centred = [](int32_t start, int32_t room, int32_t length) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t(start) + (int64_t(room) - length) / 2, INT32_MIN, INT32_MAX));
  };
  if (!usable.Left) w.Left = centred(available.Left, available.Width, w.Width);
  if (!usable.Top) w.Top = centred(available.Top, available.Height, w.Height);
  if (!usable.GridHeight) layout.GridHeight = std::max<int32_t>(1, w.Height / 3);
  // A stored width of any value gives a share without overflowing.
  if (!usable.GridWidth)
    layout.GridWidth = static_cast<int32_t>(std::max<int64_t>(1, int64_t(w.Width) * 2 / 5));
  return layout;
}

PlaceRect KeepOnScreens(const PlaceRect& stored, const std::vector<PlaceRect>& screens,
                        int32_t minimumWidth, int32_t minimumHeight, int32_t frameWidth,
                        int32_t frameHeight) {
  PlaceRect kept = stored;
  if (screens.empty()) {
    kept.Width = std::max(kept.Width, minimumWidth);
    kept.Height = std::max(kept.Height, minimumHeight);
    return kept;
  }
  // The outer rectangle is what has to lie on a screen; its size is bounded first, so that an
  // overlap can be measured at all.
  PlaceRect outer = stored;
  outer.Width =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t(stored.Width) + frameWidth, 1, 1 << 20));
  outer.Height =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t(stored.Height) + frameHeight, 1, 1 << 20));
  const PlaceRect* screen = &screens.front();
  int64_t best = 0;
  for (const PlaceRect& s : screens) {
    const int64_t overlap = Overlap(outer, s);
    if (overlap > best) {
      best = overlap;
      screen = &s;
    }
  }
  kept.Width = FitLength(stored.Width, minimumWidth, screen->Width - frameWidth);
  kept.Height = FitLength(stored.Height, minimumHeight, screen->Height - frameHeight);
  kept.Left = FitStart(stored.Left, kept.Width + frameWidth, screen->Left, screen->Width);
  kept.Top = FitStart(stored.Top, kept.Height + frameHeight, screen->Top, screen->Height);
  return kept;
}

}  // namespace vorn
