// The main window's place and layout on the first run and after it, on the screen the test
// runs on: the offscreen platform under CTest, and a real X server (Xvfb, 1400x900) in the
// RealWindow.FirstRunGeometry test, where VORN_EXPECT_SCREEN names the screen's size.
#include "reader/WindowGeometry.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "reader/ArticleGrid.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

class WindowGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    fs::copy(fs::path(test::SourceDir()) / "samples" / "settings", settings,
             fs::copy_options::recursive);
    SetSettingsFolderOverride(settings + "/");
    const QString expected = qEnvironmentVariable("VORN_EXPECT_SCREEN");
    if (!expected.isEmpty()) {
      // The run on the real X server must really be there.
      ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
      const QSize size = QGuiApplication::primaryScreen()->geometry().size();
      ASSERT_EQ(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), expected);
    }
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  TVornExplMain& Start() {
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                             std::make_unique<test::ScriptedDialogs>());
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // The layout is finished once the window has been shown.
    QTest::qWait(50);
    return *window;
  }
  void WriteSettings(const std::string& window) {
    test::WriteBytes(settings + "/vornexpl.ini", "[Common]\r\nVersion=\"1.200000\"\r\n" + window);
  }
  int GridPanelHeight() const {
    return window->findChild<QWidget*>(QStringLiteral("ArticleGridPanel"))->height();
  }
  int GridPanelWidth() const {
    return window->findChild<QWidget*>(QStringLiteral("ArticleGridPanel"))->width();
  }
  static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  test::TempDir dir;
  const std::string settings = dir.Path() + "/settings";
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(WindowGeometryTest, FirstRunTakesThreeQuartersOfTheScreenCentredAndStoresIt) {
  ASSERT_FALSE(fs::exists(settings + "/vornexpl.ini"));
  TVornExplMain& w = Start();
  const QRect available = Available();
  const QRect frame = w.frameGeometry();
  EXPECT_EQ(w.width(), available.width() * 3 / 4);
  EXPECT_EQ(w.height(), available.height() * 3 / 4);
  // Centred, frame and all (a window manager's title bar may push it down a little).
  EXPECT_TRUE(available.contains(frame));
  EXPECT_NEAR(frame.center().x(), available.center().x(), 4);
  EXPECT_NEAR(frame.center().y(), available.center().y(), 20);
  // The grid a third of the window above the view.
  EXPECT_NEAR(GridPanelHeight(), w.height() / 3, 3);

  // Side by side, the grid takes two fifths of the width.
  w.Command("MenuSepHorizontal")->trigger();
  QTest::qWait(20);
  EXPECT_NEAR(GridPanelWidth(), w.width() * 2 / 5, 3);
  const QRect placed = w.geometry();
  const QPoint position = w.pos();
  w.close();
  window.reset();

  // The window's keys, as they always were.
  TIniFilePlus ini(settings + "/vornexpl.ini");
  EXPECT_EQ(ini.ReadInteger("Window", "Width", -1), placed.width());
  EXPECT_EQ(ini.ReadInteger("Window", "Height", -1), placed.height());
  EXPECT_EQ(ini.ReadInteger("Window", "Left", -1), position.x());
  EXPECT_EQ(ini.ReadInteger("Window", "Top", -1), position.y());
  EXPECT_FALSE(ini.ReadBool("Window", "SeparateVertical", true));
  EXPECT_NEAR(ini.ReadInteger("Window", "SeparateHValue", -1), placed.width() * 2 / 5, 3);
}

TEST_F(WindowGeometryTest, StoredGeometryWinsFromThenOn) {
  WriteSettings(
      "[Window]\r\nTop=40\r\nLeft=30\r\nHeight=400\r\nWidth=520\r\nSeparateVValue=150\r\n");
  TVornExplMain& w = Start();
  EXPECT_EQ(w.pos(), QPoint(30, 40));
  EXPECT_EQ(w.size(), QSize(520, 400));
  EXPECT_EQ(GridPanelHeight(), 150);
}

// One bad value (Width=huge) was named, but the window then opened at 600x440 at 0,0.
TEST_F(WindowGeometryTest, ABadOrMissingWindowValueTakesItsFirstRunValue) {
  WriteSettings("[Window]\r\nWidth=huge\r\nSeparateVertical=1\r\n");
  TVornExplMain& w = Start();
  QTest::qWait(20);
  const QRect available = Available();
  EXPECT_EQ(w.width(), available.width() * 3 / 4);
  EXPECT_EQ(w.height(), available.height() * 3 / 4);
  EXPECT_NEAR(w.frameGeometry().center().x(), available.center().x(), 4);
  EXPECT_NEAR(GridPanelHeight(), w.height() / 3, 3);
  // The message names the value, and what is used instead is what the window got.
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_NE(ui.entries[0].text.find("[Window] Width=huge"), std::string::npos);
  EXPECT_NE(ui.entries[0].text.find(" " + std::to_string(w.width())), std::string::npos)
      << ui.entries[0].text;

  // The values that are there are kept: only the height is missing.
  window.reset();
  WriteSettings("[Window]\r\nTop=40\r\nLeft=30\r\nWidth=520\r\nSeparateVValue=150\r\n");
  Start();
  EXPECT_EQ(window->pos(), QPoint(30, 40));
  EXPECT_EQ(window->size(), QSize(520, Available().height() * 3 / 4));
  EXPECT_EQ(GridPanelHeight(), 150);
}

TEST_F(WindowGeometryTest, AHugeOrFarAwayStoredWindowIsKeptOnTheScreen) {
  for (const std::string& window :
       {std::string("[Window]\r\nTop=0\r\nLeft=0\r\nHeight=30000\r\nWidth=30000\r\n"),
        std::string("[Window]\r\nTop=2147483647\r\nLeft=-2147483648\r\nHeight=2147483647\r\n"
                    "Width=2147483647\r\n")}) {
    WriteSettings(window);
    TVornExplMain& w = Start();
    EXPECT_TRUE(Available().contains(w.frameGeometry()))
        << window << " gave " << w.frameGeometry().x() << "," << w.frameGeometry().y() << " "
        << w.frameGeometry().width() << "x" << w.frameGeometry().height();
    w.close();
    this->window.reset();
    // What was used is what is stored.
    TIniFilePlus ini(settings + "/vornexpl.ini");
    EXPECT_LE(ini.ReadInteger("Window", "Width", -1), Available().width());
    EXPECT_LE(ini.ReadInteger("Window", "Height", -1), Available().height());
  }
}

}  // namespace
}  // namespace vorn
