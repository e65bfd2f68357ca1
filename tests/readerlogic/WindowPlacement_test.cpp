#include "readerlogic/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>

namespace vorn {
namespace {

bool Inside(const PlaceRect& r, const PlaceRect& s) {
  return r.Left >= s.Left && r.Top >= s.Top &&
         int64_t(r.Left) + r.Width <= int64_t(s.Left) + s.Width &&
         int64_t(r.Top) + r.Height <= int64_t(s.Top) + s.Height;
}

TEST(WindowPlacementTest, FirstRunTakesThreeQuartersCentredWithTheGridAThird) {
  const FirstRunLayout layout = FirstRunPlacement({0, 0, 1400, 900});
  EXPECT_EQ(layout.Window, (PlaceRect{175, 112, 1050, 675}));
  EXPECT_EQ(layout.GridHeight, 225);
  EXPECT_EQ(layout.GridWidth, 420);
  // A panel at the top and a second screen's offset move the centre with the available area.
  const FirstRunLayout right = FirstRunPlacement({1920, 32, 1280, 992});
  EXPECT_EQ(right.Window, (PlaceRect{2080, 156, 960, 744}));
}

TEST(WindowPlacementTest, MissingOrBadStoredValuesTakeTheFirstRunOnesAndTheOthersStay) {
  const PlaceRect screen{0, 0, 1400, 900};
  const FirstRunLayout stored{{40, 30, 600, 440}, 150, 250};
  const StoredLayoutValues all{true, true, true, true, true, true};
  EXPECT_EQ(StoredOrFirstRun(stored, all, screen).Window, stored.Window);
  EXPECT_EQ(StoredOrFirstRun(stored, all, screen).GridHeight, 150);

  // Width=huge: the first-run width, the place and height as stored.
  StoredLayoutValues noWidth = all;
  noWidth.Width = false;
  const FirstRunLayout wide = StoredOrFirstRun({{40, 30, INT_MAX, 440}, 150, 250}, noWidth, screen);
  EXPECT_EQ(wide.Window, (PlaceRect{40, 30, 1050, 440}));
  EXPECT_EQ(wide.GridWidth, 250);

  // Nothing usable: the first run itself.
  const FirstRunLayout none = StoredOrFirstRun({{0, 0, 600, 440}, 120, 300}, {}, screen);
  const FirstRunLayout first = FirstRunPlacement(screen);
  EXPECT_EQ(none.Window, first.Window);
  EXPECT_EQ(none.GridHeight, first.GridHeight);
  EXPECT_EQ(none.GridWidth, first.GridWidth);

  // Only a size: centred at that size, the grid's share of it; extreme sizes do not overflow.
  StoredLayoutValues sizeOnly;
  sizeOnly.Width = sizeOnly.Height = true;
  const FirstRunLayout sized = StoredOrFirstRun({{0, 0, 800, 600}, 0, 0}, sizeOnly, screen);
  EXPECT_EQ(sized.Window, (PlaceRect{300, 150, 800, 600}));
  EXPECT_EQ(sized.GridHeight, 200);
  EXPECT_EQ(sized.GridWidth, 320);
  const FirstRunLayout extreme =
      StoredOrFirstRun({{0, 0, INT_MIN, INT_MAX}, 0, 0}, sizeOnly, screen);
  EXPECT_TRUE(Inside(KeepOnScreens(extreme.Window, {screen}, 200, 150), screen));
}

TEST(WindowPlacementTest, StoredGeometryOnAScreenStaysAsItIs) {
  const std::vector<PlaceRect> screens{{0, 0, 1400, 900}};
  const PlaceRect stored{40, 30, 600, 440};
  EXPECT_EQ(KeepOnScreens(stored, screens, 200, 150), stored);
  // On the second of two screens too.
  const std::vector<PlaceRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  const PlaceRect second{2000, 100, 1000, 800};
  EXPECT_EQ(KeepOnScreens(second, two, 200, 150), second);
}

TEST(WindowPlacementTest, HugeOrFarAwayGeometryIsBroughtOntoAScreen) {
  const PlaceRect screen{0, 0, 1400, 900};
  const std::vector<PlaceRect> screens{screen};
  for (const PlaceRect& stored :
       {PlaceRect{0, 0, 30000, 30000}, PlaceRect{0, 0, INT_MAX, INT_MAX},
        PlaceRect{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, PlaceRect{INT_MIN, INT_MIN, 600, 440},
        PlaceRect{-300, 500, 800, 800}, PlaceRect{5000, 0, 600, 440},
        PlaceRect{100, 100, -20, 0}}) {
    const PlaceRect kept = KeepOnScreens(stored, screens, 200, 150);
    EXPECT_TRUE(Inside(kept, screen))
        << stored.Left << "," << stored.Top << " " << stored.Width << "x" << stored.Height << " -> "
        << kept.Left << "," << kept.Top << " " << kept.Width << "x" << kept.Height;
    EXPECT_GE(kept.Width, 200);
    EXPECT_GE(kept.Height, 150);
  }
  // A window that was on a monitor since unplugged keeps its size and comes to the first.
  const PlaceRect kept = KeepOnScreens({2500, 300, 600, 440}, screens, 200, 150);
  EXPECT_EQ(kept, (PlaceRect{800, 300, 600, 440}));
}

TEST(WindowPlacementTest, TheFrameIsKeptOnTheScreenToo) {
  const PlaceRect screen{0, 24, 1400, 876};
  const PlaceRect kept = KeepOnScreens({0, 0, 30000, 30000}, {screen}, 200, 150, 10, 40);
  EXPECT_EQ(kept, (PlaceRect{0, 24, 1390, 836}));
}

TEST(WindowPlacementTest, TheScreenOverlappedMostIsTheOneKept) {
  const std::vector<PlaceRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  // Mostly on the right screen, too wide for it: it shrinks to that screen.
  const PlaceRect kept = KeepOnScreens({1800, 0, 3000, 500}, two, 200, 150);
  EXPECT_EQ(kept, (PlaceRect{1920, 0, 1280, 500}));
}

}  // namespace
}  // namespace vorn
