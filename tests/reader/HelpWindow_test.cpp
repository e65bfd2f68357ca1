// The help command where the desktop has no launcher for documents (the offscreen platform has
// none): the page is shown in a window of the program, and a page that is missing is named.
#include "reader/HelpWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>

#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using Kind = RecordingUiServices::Kind;

class HelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    SetSettingsFolderOverride(dir.Path());
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }
  test::TempDir dir;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(HelpWindowTest, WithoutALauncherThePageIsShownInAWindowThatNamesIt) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
  QWidget parent;
  const QString page = QString::fromStdString(test::SourceDir() + "/doc/vornexpl.html");
  THelpWindow* help = OpenHelpPage(parent, page);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->Browser()->toPlainText().contains(QStringLiteral("Vorn Explorer ヘルプ")));
  EXPECT_TRUE(help->findChild<QLabel*>(QStringLiteral("HelpPagePath"))->text().contains(page));
  // A second F1 brings the same window back.
  help->close();
  EXPECT_EQ(OpenHelpPage(parent, page), help);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_TRUE(test::SaveScreenshot(*help, QStringLiteral("help-window.png")));
}

TEST_F(HelpWindowTest, F1NamesThePageAndAMissingPageIsToldAsSuch) {
  window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                           std::make_unique<test::ScriptedDialogs>());
  // Beside the test program there is no help page.
  const QString page = QtPath(ProgramFolder() + "doc/vornexpl.html");
  window->Command("MenuHelp")->trigger();
  EXPECT_EQ(window->StatusText(0), QStringLiteral("ヘルプページ: ") + page);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_EQ(QtText(ui.entries[0].text), QStringLiteral("ヘルプページが見つかりません\r\n") + page);
}

}  // namespace
}  // namespace vorn
