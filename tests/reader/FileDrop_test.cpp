// Files dropped on the window as file managers drop them: a uri-list of percent-encoded file
// URLs, taken as a copy. (tests/e2e/drop_files.sh drops them with a real drag.)
#include "reader/FileDrop.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <filesystem>

#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

TEST(FileDrop, TheLocalFilesOfAUriListInItsOrder) {
  test::GuiApp();
  QMimeData data;
  data.setData(QStringLiteral("text/uri-list"),
               "file:///tmp/my%20logs/%E3%83%AD%E3%82%B0%2325.LOG\r\n"
               "# a comment line\r\n"
               "file://localhost/var/NET1.LOG\r\n"
               "file://elsewhere.example/share/NET2.LOG\r\n"
               "https://example.com/NET3.LOG\r\n"
               "file:///tmp/NET4.LOG");
  EXPECT_EQ(DroppedLocalFiles(data),
            (std::vector<std::string>{FromNativePath("/tmp/my logs/ログ#25.LOG"), "/var/NET1.LOG",
                                      "/tmp/NET4.LOG"}));
  // A name in another encoding than UTF-8 keeps its bytes.
  QMimeData latin1;
  latin1.setData(QStringLiteral("text/uri-list"), "file:///tmp/caf%E9.LOG\r\n");
  const std::vector<std::string> kept = DroppedLocalFiles(latin1);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(NativePath(kept[0]), "/tmp/caf\xE9.LOG");
  EXPECT_TRUE(DroppedLocalFiles(QMimeData()).empty());

  EXPECT_EQ(DropActionFor(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction), Qt::CopyAction);
  EXPECT_EQ(DropActionFor(Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
  EXPECT_EQ(DropActionFor(Qt::MoveAction), Qt::IgnoreAction);
}

class DropOnTheWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    fs::copy(samples / "settings", dir.Path() + "/settings", fs::copy_options::recursive);
    SetSettingsFolderOverride(dir.Path() + "/settings/");
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                             std::make_unique<test::ScriptedDialogs>());
    window->show();
    QTest::qWait(10);
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }
  // A drop of these URLs offering these actions; whether the window took it, and how.
  std::pair<bool, Qt::DropAction> Drop(const QList<QUrl>& urls, Qt::DropActions actions) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 200), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return {false, Qt::IgnoreAction};
    QDropEvent drop(QPointF(50, 200), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    for (int i = 0; i < 300 && window->Session().CurrentPrefix.empty() && ui.entries.empty(); ++i)
      QTest::qWait(10);
    return {drop.isAccepted(), drop.dropAction()};
  }

  test::TempDir dir;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(DropOnTheWindow, AMoveOnlyDragIsRefusedSoTheSourceKeepsItsFile) {
  const std::string log = dir.File("NET19990730.LOG");
  fs::copy_file(fs::path(test::SourceDir()) / "samples" / "NET19990730.LOG", log);
  EXPECT_FALSE(Drop({QUrl::fromLocalFile(QString::fromStdString(log))}, Qt::MoveAction).first);
  EXPECT_TRUE(window->Session().CurrentPrefix.empty());
  EXPECT_TRUE(fs::exists(log));
}

TEST_F(DropOnTheWindow, AFolderOfCapturesOpensTheLogsOfItsSet) {
  // Two days of captures (one named outside Shift-JIS) beside a note, a hidden file and a folder
  // of older ones, which are not opened.
  const fs::path folder = fs::path(dir.Path()) / "captures é";
  fs::create_directories(folder / "1998");
  const fs::path sample = fs::path(test::SourceDir()) / "samples" / "NET19990730.LOG";
  fs::copy_file(sample, folder / "NET19990731 \xE9.LOG");
  fs::copy_file(sample, folder / "NET19990730.LOG");
  fs::copy_file(sample, folder / ".NET19990729.LOG");
  fs::copy_file(sample, folder / "1998" / "NET19980101.LOG");
  test::WriteBytes((folder / "notes.txt").string(), "not a capture\r\n");
  const auto [taken, action] = Drop({QUrl::fromLocalFile(QString::fromStdString(folder.string()))},
                                    Qt::CopyAction | Qt::MoveAction);
  EXPECT_TRUE(taken);
  EXPECT_EQ(action, Qt::CopyAction);
  EXPECT_EQ(window->Session().CurrentPrefix, "NET");
  std::vector<std::string> loaded;
  for (const std::string& name : window->Session().LogFileNames)
    loaded.push_back(NativePath(name));
  EXPECT_EQ(loaded, (std::vector<std::string>{(folder / "NET19990730.LOG").string(),
                                              (folder / "NET19990731 \xE9.LOG").string()}));
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));
}

}  // namespace
}  // namespace vorn
