// The window on what a user's disk and desktop hand it besides plain names: file names outside
// CP932 (é, ü, an emoji, bytes that are no UTF-8) on the command line as main() passes them and
// dropped as the desktop drops them; and the program's start on a settings folder that a killed
// run left scratch files in, or on one that cannot be made.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
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
    settings = test::CopySamples(dir, {});
    sample = (fs::path(test::SourceDir()) / "samples" / "NET19990730.LOG").string();
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

// The program itself, on the offscreen platform, asked to take a picture and end.
struct ProgramRun {
  bool ended = false;
  QString errors;
};

ProgramRun RunProgram(const std::string& settingsFolder, const std::string& picture) {
  ProgramRun run;
  const QString program = QStringLiteral(VORN_BINARY_DIR "/src/app/vornexpl");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("VORN_SCREENSHOT"), QString::fromStdString(picture));
  env.insert(QStringLiteral("VORN_SCREENSHOT_DELAY"), QStringLiteral("300"));
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program,
                {QStringLiteral("--settings-dir"), QString::fromStdString(settingsFolder)});
  run.ended = process.waitForStarted(5000) && process.waitForFinished(20000);
  if (!run.ended) process.kill();
  process.waitForFinished(2000);
  run.errors = QString::fromUtf8(process.readAllStandardError());
  return run;
}

TEST(StartUp, ScratchFilesOfKilledRunsGoAndOnesBeingWrittenStay) {
  if (!QFileInfo::exists(QStringLiteral(VORN_BINARY_DIR "/src/app/vornexpl")))
    GTEST_SKIP() << "vornexpl is not built";
  TempDir settings;
  // A set exists, so no welcome box waits for an answer.
  WriteBytes(settings.File("netvorn.ini"),
             "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Net\"\r\n");
  WriteBytes(settings.File(".vorn-Ab12Cd"), "half a board list of a killed run");
  // A writer that is still writing: this process, holding its file's lock.
  const int held = ::open(settings.File(".vorn-Held00").c_str(), O_CREAT | O_RDWR, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const ProgramRun run = RunProgram(settings.Path(), settings.File("window.png"));
  EXPECT_TRUE(run.ended) << run.errors.toStdString();
  EXPECT_TRUE(fs::exists(settings.File("window.png")));
  EXPECT_FALSE(fs::exists(settings.File(".vorn-Ab12Cd")));
  EXPECT_TRUE(fs::exists(settings.File(".vorn-Held00")));
  ::close(held);
}

TEST(StartUp, ASettingsFolderThatCannotBeMadeIsNamedWithTheReason) {
  if (!QFileInfo::exists(QStringLiteral(VORN_BINARY_DIR "/src/app/vornexpl")))
    GTEST_SKIP() << "vornexpl is not built";
  TempDir dir;
  const std::string file = dir.File("plain");
  WriteBytes(file, "a file, not a folder");
  const ProgramRun run = RunProgram(file + "/VornExplorer", dir.File("window.png"));
  EXPECT_TRUE(run.ended) << run.errors.toStdString();
  EXPECT_TRUE(run.errors.contains(QString::fromStdString("設定フォルダを作成出来ません:\n" + file +
                                                         "/VornExplorer/\n" + file +
                                                         ": 同じ名前のファイルがあります")))
      << run.errors.toStdString();
  // The window still came up.
  EXPECT_TRUE(fs::exists(dir.File("window.png")));
}

}  // namespace
}  // namespace vorn
