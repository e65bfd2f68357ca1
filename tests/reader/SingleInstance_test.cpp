// One window per settings folder: the lock, the hand-over of a later start's files to the
// running window, and a folder that stays usable after the window was killed.
#include "reader/SingleInstance.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <map>
#include <tuple>

#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

const QString kProgram = QStringLiteral(VORN_BINARY_DIR "/src/app/vornexpl");

TEST(SingleInstance, TheSwitchIsAnOAfterADashOrSlashAndNoFile) {
  EXPECT_TRUE(IsSingleInstanceSwitch("-o"));
  EXPECT_TRUE(IsSingleInstanceSwitch("/O"));
  EXPECT_TRUE(IsSingleInstanceSwitch("-xo"));
  EXPECT_FALSE(IsSingleInstanceSwitch("o"));
  EXPECT_FALSE(IsSingleInstanceSwitch("-x"));
  EXPECT_FALSE(IsSingleInstanceSwitch("/"));
  EXPECT_FALSE(IsSingleInstanceSwitch(""));
  EXPECT_FALSE(IsSingleInstanceSwitch("NET.log"));

  // The files handed on are the existing ones, absolute; a switch in front is none of them,
  // even where a file of its name exists.
  test::TempDir dir;
  test::WriteBytes(dir.File("-o"), "x");
  test::WriteBytes(dir.File("NET1.LOG"), "x");
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.Path())));
  const std::vector<std::string> files =
      CommandLineLogFiles({"-o", "NET1.LOG", "missing.log", "", "-o"});
  QDir::setCurrent(before);
  EXPECT_EQ(files, (std::vector<std::string>{dir.File("NET1.LOG"), dir.File("-o")}));
  // An absolute path begins with "/" as the switch may, but names a file.
  EXPECT_FALSE(IsSingleInstanceSwitch(dir.File("NET1.LOG")));
  EXPECT_EQ(CommandLineLogFiles({dir.File("NET1.LOG")}),
            std::vector<std::string>{dir.File("NET1.LOG")});
}

// Within one process the owner cannot answer while the later start waits, so that start is
// refused, saying which folder is in use; once the owner is gone the folder is free.
TEST(SingleInstance, ALaterStartIsRefusedWhileTheHolderDoesNotAnswer) {
  test::GuiApp();
  test::TempDir dir;
  const std::string folder = dir.Path() + "/";
  auto first = std::make_unique<TSingleInstance>(folder);
  ASSERT_EQ(first->Start({}, 200), TSingleInstance::Outcome::Owner);

  TSingleInstance second(folder);
  EXPECT_EQ(second.Start({}, 300), TSingleInstance::Outcome::Refused);
  EXPECT_NE(second.Refusal().find(folder), std::string::npos);
  EXPECT_NE(second.Refusal().find(Cp932("応答がありません")), std::string::npos);

  // Another spelling of the same folder is the same folder.
  TSingleInstance spelled(dir.Path() + "/./");
  EXPECT_EQ(spelled.Start({}, 200), TSingleInstance::Outcome::Refused);

  first.reset();
  TSingleInstance third(folder);
  EXPECT_EQ(third.Start({}, 200), TSingleInstance::Outcome::Owner);

  // Where the folder cannot hold the lock file, the lock is kept elsewhere and holds as well.
  test::TempDir other;
  const std::string otherFolder = other.Path() + "/";
  fs::create_directory(TSingleInstance::LockFilePath(otherFolder));
  TSingleInstance holder(otherFolder);
  ASSERT_EQ(holder.Start({}, 200), TSingleInstance::Outcome::Owner);
  TSingleInstance later(otherFolder);
  EXPECT_EQ(later.Start({}, 300), TSingleInstance::Outcome::Refused);
}

// A real second start hands its command-line files to the window of the test, which holds the
// folder as the program's own window does; the second ends and writes nothing.
class HandOverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    if (!QFileInfo::exists(kProgram)) GTEST_SKIP() << "vornexpl is not built";
    settings = test::CopySamples(dir, {"NET19990730.LOG"});
    SetSettingsFolderOverride(settings);
    instance = std::make_unique<TSingleInstance>(SettingsFolder());
    ASSERT_EQ(instance->Start({}), TSingleInstance::Outcome::Owner);
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                             std::make_unique<test::ScriptedDialogs>());
    ReceiveOtherStarts(*instance, *window);
    window->show();
  }
  void TearDown() override {
    window.reset();
    instance.reset();
    SetSettingsFolderOverride("");
  }

  // Starts the program beside the test's window, in the folder of the log, with the log named
  // as the user names it there. Its exit code, -1 when it did not end.
  int SecondStart(const QStringList& arguments) {
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(QString::fromStdString(dir.Path()));
    second.start(kProgram,
                 QStringList{QStringLiteral("--settings-dir"), QString::fromStdString(settings)} +
                     arguments);
    // The window answers from its event loop, which must run meanwhile.
    for (int i = 0; i < 1000 && second.state() != QProcess::NotRunning; ++i)
      QTest::qWait(10);
    if (second.state() != QProcess::NotRunning) {
      second.kill();
      second.waitForFinished(5000);
      return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
  }

  // Name, size and modification time of every file of the settings folder.
  std::map<std::string, std::tuple<uintmax_t, int64_t>> FolderState() const {
    std::map<std::string, std::tuple<uintmax_t, int64_t>> state;
    for (const fs::directory_entry& e : fs::directory_iterator(settings)) {
      struct stat st;
      ::stat(e.path().c_str(), &st);
      state[e.path().filename().string()] = {
          e.file_size(), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    return state;
  }

  bool WaitForLoad() {
    for (int i = 0; i < 300 && window->Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(10);
    return !window->Session().CurrentPrefix.empty();
  }

  test::TempDir dir;
  std::string settings;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TSingleInstance> instance;
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(HandOverTest, TheSecondStartsFilesOpenInTheRunningWindow) {
  const auto before = FolderState();
  EXPECT_EQ(SecondStart({QStringLiteral("NET19990730.LOG")}), 0);
  EXPECT_EQ(FolderState(), before);
  ASSERT_TRUE(WaitForLoad());
  EXPECT_EQ(window->Session().LogFileNames,
            (std::vector<std::string>{dir.File("NET19990730.LOG")}));
  EXPECT_EQ(window->BoardList().count(), 4);

  // With the switch the same; a start without files only brings the window forward.
  EXPECT_EQ(SecondStart({QStringLiteral("-o")}), 0);
  EXPECT_EQ(SecondStart({}), 0);
  QTest::qWait(50);
  EXPECT_EQ(window->Session().LogFileNames.size(), 1u);
}

// While a modal dialog works on the window's data (the board editor, a question), the files
// wait for it to close, as a drop would.
TEST_F(HandOverTest, FilesWaitForAModalDialogToClose) {
  QDialog dialog(window.get());
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
  EXPECT_EQ(SecondStart({QStringLiteral("-o"), QStringLiteral("NET19990730.LOG")}), 0);
  QTest::qWait(300);
  EXPECT_TRUE(window->Session().CurrentPrefix.empty());
  dialog.close();
  ASSERT_TRUE(WaitForLoad());
  EXPECT_EQ(window->Session().LogFileNames.size(), 1u);
}

// Two real programs on one folder: a second start, with the switch or without, ends at once
// and the first keeps running; after the first is killed the folder is free for the next.
TEST(SingleInstance, TwoProgramsAndAKilledOne) {
  test::GuiApp();
  if (!QFileInfo::exists(kProgram)) GTEST_SKIP() << "vornexpl is not built";
  test::TempDir settings;
  // A set exists, so no welcome box waits for an answer.
  test::WriteBytes(settings.File("netvorn.ini"),
                   "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Net\"\r\n");
  test::WriteBytes(settings.File("NET1.LOG"), "line\r\n");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  const QStringList folder = {QStringLiteral("--settings-dir"),
                              QString::fromStdString(settings.Path())};
  const std::string lockFile = TSingleInstance::LockFilePath(settings.Path() + "/");
  // The holder writes its process number first into the lock file once it answers.
  auto holder = [&] {
    const std::string text = test::ReadBytes(lockFile);
    return text.substr(0, text.find('\n'));
  };
  auto waitForHolder = [&](const QProcess& p) {
    const std::string pid = std::to_string(p.processId());
    for (int i = 0; i < 200 && holder() != pid; ++i)
      QTest::qWait(50);
    return holder() == pid;
  };

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(kProgram, folder);
  ASSERT_TRUE(first.waitForStarted(5000));
  ASSERT_TRUE(waitForHolder(first)) << "the first never took the folder";

  for (const QStringList& more : {QStringList{QString::fromStdString(settings.File("NET1.LOG"))},
                                  QStringList{QStringLiteral("-o")}}) {
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(kProgram, folder + more);
    ASSERT_TRUE(second.waitForFinished(20000)) << more.join(' ').toStdString();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
  }

  // A window on another folder runs beside the first.
  test::TempDir other;
  test::WriteBytes(other.File("netvorn.ini"), test::ReadBytes(settings.File("netvorn.ini")));
  QProcess beside;
  beside.setProcessEnvironment(env);
  beside.start(kProgram, {QStringLiteral("--settings-dir"), QString::fromStdString(other.Path())});
  ASSERT_TRUE(beside.waitForStarted(5000));
  const std::string besideLock = TSingleInstance::LockFilePath(other.Path() + "/");
  const std::string besidePid = std::to_string(beside.processId());
  for (int i = 0; i < 200 && test::ReadBytes(besideLock).rfind(besidePid + "\n", 0) != 0; ++i)
    QTest::qWait(50);
  EXPECT_EQ(test::ReadBytes(besideLock).rfind(besidePid + "\n", 0), 0u);
  EXPECT_EQ(beside.state(), QProcess::Running);
  beside.kill();
  beside.waitForFinished(5000);

  // kill -9 leaves the lock file and the socket behind, and neither blocks the next start.
  first.kill();
  first.waitForFinished(5000);
  QProcess third;
  third.setProcessEnvironment(env);
  third.start(kProgram, folder);
  ASSERT_TRUE(third.waitForStarted(5000));
  EXPECT_TRUE(waitForHolder(third));
  EXPECT_FALSE(third.waitForFinished(500));
  third.terminate();
  if (!third.waitForFinished(5000)) {
    third.kill();
    third.waitForFinished(5000);
  }
}

}  // namespace
}  // namespace vorn
