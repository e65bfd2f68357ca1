// One window per settings folder: the lock, the hand-over of a later start's files to the
// running window, and a folder that stays usable after the window was killed.
#include "reader/SingleInstance.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

  // Where the folder's lock file cannot be taken (something else stands in its place) no
  // start runs: a lock kept elsewhere would be one another account's start cannot see.
  test::TempDir other;
  const std::string otherFolder = other.Path() + "/";
  fs::create_directory(TSingleInstance::LockFilePath(otherFolder));
  TSingleInstance holder(otherFolder);
  EXPECT_EQ(holder.Start({}, 200), TSingleInstance::Outcome::Refused);
  EXPECT_NE(holder.Refusal().find(otherFolder), std::string::npos);
  EXPECT_TRUE(fs::is_directory(TSingleInstance::LockFilePath(otherFolder)));

  // A folder no account can write in holds no lock and needs none.
  TSingleInstance missing(other.Path() + "/not-made/");
  EXPECT_EQ(missing.Start({}, 200), TSingleInstance::Outcome::Owner);
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
      // The running window's journal follows its own load of the files handed over.
      const std::string ext = e.path().extension().string();
      if (ext == ".JNL" || ext == ".JNR") continue;
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
  ASSERT_TRUE(WaitForLoad());
  // The second start wrote nothing; the window that opened the file keeps it in its recent
  // logs, and nothing else.
  auto after = FolderState();
  const std::string ini = test::ReadBytes(settings + "vornexpl.ini");
  EXPECT_EQ(ini.rfind("[RecentLogs]\r\n", 0), 0u) << ini;
  EXPECT_EQ(ini.find("\r\n["), std::string::npos) << ini;
  after.erase("vornexpl.ini");
  EXPECT_EQ(after, before);
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

// A settings folder shared by two accounts (mode 0777). The first account's window makes the
// lock file as writable as the folder; a start by the second account, which can reach neither
// that window's socket nor give it its files, is refused with a message naming the folder and
// runs no window of its own. A start that can neither take nor test the lock refuses as well.
// The second account is "nobody", started through setpriv; without root or setpriv the test is
// skipped.
TEST(SingleInstance, ASecondAccountOnASharedFolderIsRefused) {
  test::GuiApp();
  if (!QFileInfo::exists(kProgram)) GTEST_SKIP() << "vornexpl is not built";
  const QString setpriv = QStringLiteral("/usr/bin/setpriv");
  if (::geteuid() != 0 || !QFileInfo::exists(setpriv) || !::getpwnam("nobody"))
    GTEST_SKIP() << "needs root, setpriv and the account nobody";
  test::TempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const std::string folder = dir.File("shared");
  fs::create_directory(folder);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  test::WriteBytes(folder + "/netvorn.ini",
                   "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Net\"\r\n");
  const std::string lockFile = TSingleInstance::LockFilePath(folder + "/");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  const QStringList onFolder = {QStringLiteral("--settings-dir"), QString::fromStdString(folder)};
  auto holderPid = [&] {
    const std::string text = test::ReadBytes(lockFile);
    return text.substr(0, text.find('\n'));
  };
  auto stop = [](QProcess& p) {
    p.kill();
    p.waitForFinished(5000);
  };
  // A start as nobody; what it says on its terminal within the seconds given.
  auto startAsNobody = [&](QProcess& p) {
    p.setProcessEnvironment(env);
    p.start(setpriv,
            QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), kProgram} +
                onFolder);
    EXPECT_TRUE(p.waitForStarted(5000));
  };
  auto saysWithin = [](QProcess& p, const QString& text, int seconds) {
    QByteArray err;
    for (int i = 0; i < seconds * 20 && !QString::fromUtf8(err).contains(text); ++i) {
      p.waitForReadyRead(50);
      err += p.readAllStandardError();
    }
    return QString::fromUtf8(err);
  };

  // A lock file an older version left, readable and writable by its maker only.
  test::WriteBytes(lockFile, "");
  ASSERT_EQ(::chmod(lockFile.c_str(), 0644), 0);
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(kProgram, onFolder);
  ASSERT_TRUE(first.waitForStarted(5000));
  const std::string firstPid = std::to_string(first.processId());
  for (int i = 0; i < 200 && holderPid() != firstPid; ++i)
    QTest::qWait(50);
  ASSERT_EQ(holderPid(), firstPid) << "the first never took the folder";
  struct stat st;
  ASSERT_EQ(::stat(lockFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0666u);

  QProcess second;
  startAsNobody(second);
  const QString said = saysWithin(second, QString::fromStdString(folder), 20);
  EXPECT_TRUE(said.contains(QString::fromStdString(folder))) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("ほかのユーザー(root)"))) << said.toStdString();
  // Its refusal box is up; it took nothing.
  EXPECT_EQ(holderPid(), firstPid);
  EXPECT_EQ(first.state(), QProcess::Running);
  stop(second);
  stop(first);

  // The lock file of the root account only, readable by nobody else: a start as nobody cannot
  // tell whether a window runs, and refuses.
  ASSERT_EQ(::chmod(lockFile.c_str(), 0600), 0);
  QProcess blind;
  startAsNobody(blind);
  const QString blindSaid = saysWithin(blind, QString::fromStdString(folder), 20);
  EXPECT_TRUE(blindSaid.contains(QString::fromStdString(folder))) << blindSaid.toStdString();
  EXPECT_TRUE(blindSaid.contains(QStringLiteral("ロックファイルを開けない")))
      << blindSaid.toStdString();
  stop(blind);
  for (const auto& entry : fs::directory_iterator(folder)) {
    struct stat owner;
    ASSERT_EQ(::lstat(entry.path().c_str(), &owner), 0);
    EXPECT_EQ(owner.st_uid, 0u) << entry.path() << " was written by the refused start";
  }
}

}  // namespace
}  // namespace vorn
