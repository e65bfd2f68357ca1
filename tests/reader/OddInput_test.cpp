// The window on what a user's disk and desktop hand it besides plain names: file names outside
// CP932 (é, ü, an emoji, bytes that are no UTF-8) on the command line as main() passes them and
// dropped as the desktop drops them.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "dialogs/QtSupport.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "reader/GuiTestSupport.h"
#include "reader/ScriptedDialogs.h"
#include "reader/VornExplorerMain.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteBytes;

constexpr int32_t kSampleLines = 98;  // lines of the sample capture; the set's end line follows

class OddPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    settings = dir.Path() + "/settings/";
    fs::copy(samples / "settings", settings, fs::copy_options::recursive);
    sample = (samples / "NET19990730.LOG").string();
    SetSettingsFolderOverride(settings);
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }
  TVornExplMain& Start(std::vector<std::string> arguments) {
    auto scripted = std::make_unique<test::ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::move(arguments), std::move(scripted));
    return *window;
  }

  TempDir dir;
  std::string settings;
  std::string sample;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  test::ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(OddPathsTest, NamesOutsideCp932FromTheCommandLineAndDropped) {
  const std::string folder = dir.Path() + "/logs é ü";
  fs::create_directory(folder);
  const std::string first = folder + "/NET19990730é.LOG";
  const std::string second = folder + "/NET0731😀\xFF.LOG";
  fs::copy_file(sample, first);
  fs::copy_file(sample, second);
  // What a "?" in place of the characters would name instead.
  fs::create_directory(dir.Path() + "/logs ? ?");
  WriteBytes(dir.Path() + "/logs ? ?/NET19990730?.LOG", "decoy\r\n");
  WriteBytes(folder + "/NET19990730?.LOG", "decoy\r\n");

  // As main() hands the command line over.
  TVornExplMain& w = Start({FromNativePath(first)});
  w.show();
  for (int i = 0; i < 200 && w.Session().CurrentPrefix.empty(); ++i)
    QTest::qWait(10);
  ASSERT_EQ(w.Session().CurrentPrefix, "NET");
  ASSERT_EQ(w.Session().LogFileNames.size(), 1u);
  EXPECT_EQ(NativePath(w.Session().LogFileNames[0]), first);
  EXPECT_EQ(w.LogList().Count(), kSampleLines + 1);
  // The list of files in use shows the name as it is.
  w.Command("MenuLogInfo")->trigger();
  ASSERT_FALSE(dialogs->texts.empty());
  ASSERT_EQ(dialogs->texts.back().second.size(), 1u);
  EXPECT_EQ(QtText(dialogs->texts.back().second[0]), QString::fromStdString(first));

  // Dropped: the desktop sends the name's bytes percent-encoded.
  QMimeData data;
  data.setUrls(
      {QUrl::fromEncoded("file://" + QByteArray::fromStdString(second).toPercentEncoding("/"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &drop);
  for (int i = 0; i < 200 && w.Session().LogFileNames.size() < 2; ++i)
    QTest::qWait(10);
  ASSERT_EQ(w.Session().LogFileNames.size(), 2u);
  EXPECT_EQ(NativePath(w.Session().LogFileNames[1]), second);
  EXPECT_EQ(w.LogList().Count(), 2 * (kSampleLines + 1));
  for (const auto& e : ui.entries)
    EXPECT_EQ(e.kind, RecordingUiServices::Kind::Information) << Cp932ToUtf8(e.text);
}

}  // namespace
}  // namespace vorn
