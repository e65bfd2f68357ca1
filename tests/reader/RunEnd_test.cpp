// The ends of a run the program does not choose, with real processes and real signals. A child
// (this test program started again) runs the main window as the program does, with the
// run-end handling the program installs; when it has reached the moment a scenario names it
// says "ready" on its output, and the test sends it a signal. Then a start on the same settings
// folder is checked: the read pointers, the lists, and the writes offered back once.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <map>
#include <set>

#include "analysis/NetVornLogGenerator.h"
#include "platform/FileQuery.h"
#include "reader/RunEndSignals.h"
#include "reader/WriteController.h"
#include "support/PointerEntries.h"
#include "support/WindowWriteFixture.h"
#include "writing/WriteJournal.h"

namespace vorn {
namespace {

using test::CrLf;
using test::J;
using test::PointerEntries;
using Kind = RecordingUiServices::Kind;

constexpr const char* kScenario = "VORN_RUN_END_SCENARIO";
constexpr const char* kFolder = "VORN_RUN_END_FOLDER";
constexpr const char* kEditor = "VORN_RUN_END_EDITOR";
constexpr const char* kLongEditor = "VORN_RUN_END_LONG_EDITOR";
constexpr const char* kLog = "VORN_RUN_END_LOG";

// ---------------------------------------------------------------------------------------------
// The child: the program's window on the folder, driven to the scenario's moment.

void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

// The program's own services but for the boxes, which answer Yes (the UP/PAD question, the
// read-back questions): the window's messages are processed during long work, as the
// program's are.
class YesUi final : public UiServices {
 public:
  void Warning(const std::string&) override {}
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return true; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::Yes; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::Yes; }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
};

template <class Done>
bool WaitUntil(Done done, int ms) {
  for (int waited = 0; waited < ms && !done(); waited += 10)
    QTest::qWait(10);
  return done();
}

TEST(RunEndChild, Play) {
  const char* scenario = std::getenv(kScenario);
  if (!scenario) GTEST_SKIP() << "started by the run-end tests only";
  const std::string folder = std::getenv(kFolder);
  const std::string what = scenario;
  test::GuiApp();
  SetSettingsFolderOverride(folder + "/settings/");
  YesUi ui;
  ScopedUiServices scoped(&ui);
  TVornExplMain window({std::getenv(kLog)});
  new TRunEndSignals(window);
  window.show();
  ASSERT_TRUE(WaitUntil([&] { return !window.Session().CurrentPrefix.empty(); }, 20000));
  window.CommonIni().TempFile = folder + "/vorntemp.txt";
  window.CommonIni().Editer = std::getenv(kEditor);
  // A reply to the first article, then two articles read.
  window.FocusGrid();
  QTest::keyClick(&window.ArticleGrid(), Qt::Key_Down);
  QTest::keyClick(&window.ArticleGrid(), Qt::Key_F);
  ASSERT_EQ(PendingWrites(*window.CurrentAnalyser()).size(), 1u);
  QTest::keyClick(&window.ArticleGrid(), Qt::Key_Down);
  QTest::keyClick(&window.ArticleGrid(), Qt::Key_Down);
  // What the end of the run would save, for the test to compare.
  ASSERT_TRUE(window.CurrentAnalyser()->SaveReadPointers(folder + "/expected.PTR"));

  QTimer poll;
  if (what == "editor") {
    // A root article whose editor stays open: the signal comes during its wait.
    window.CommonIni().Editer = std::getenv(kLongEditor);
    QTimer::singleShot(0, &window, [&] { QTest::keyClick(&window.ArticleGrid(), Qt::Key_W); });
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!window.Writer().RunningEditors().Empty()) {
        poll.stop();
        Say("ready");
      }
    });
    poll.start(5);
  } else if (what == "dialog") {
    QTimer::singleShot(0, &window, [&] {
      QDialog dialog(&window);
      dialog.setModal(true);
      QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == &dialog) {
          poll.stop();
          Say("ready");
        }
      });
      poll.start(5);
      dialog.exec();
    });
  } else if (what == "load") {
    // Other logs, big enough to be loading still when the signal comes; the writes and marks so
    // far were saved before them (the UP/PAD question answered Yes).
    const std::string big = folder + "/NET20000101.LOG";
    std::ofstream(big, std::ios::binary) << bench::NetVornLogGenerator(5).Generate(400000);
    QTimer::singleShot(0, &window, [&, big] { window.DropFiles({big}); });
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (window.Loading()) {
        poll.stop();
        Say("ready");
      }
    });
    poll.start(5);
  } else if (what == "kill") {
    // Once every read mark has reached the journal (the folder held no read pointers before).
    std::vector<std::string> expected;
    ASSERT_TRUE(ReadClassicTextFile(folder + "/expected.PTR", expected));
    ASSERT_TRUE(WaitUntil(
        [&] {
          std::vector<std::string> lines;
          if (!ReadClassicTextFile(folder + "/settings/NET.JNR", lines)) return false;
          const std::set<std::string> journaled(lines.begin(), lines.end());
          for (size_t i = 1; i < expected.size(); ++i) {
            if (!expected[i].starts_with("\\") && !journaled.count("+" + expected[i])) return false;
          }
          return true;
        },
        30000));
    Say("ready");
  } else {
    Say("ready");
  }
  // Until the signal ends the process.
  QTest::qWait(60000);
  ADD_FAILURE() << "no signal came";
}

// ---------------------------------------------------------------------------------------------
// The parent: the child started, signalled, and its folder checked after it.

class RunEnd : public test::WindowWriteFixture {
 protected:
  RunEnd() {
    replyEditor = editor.Command("append", CrLf({"REPLY-MARKER body"}));
    longEditor = editor.Command("keepopen", CrLf({"Never saved", "LONG-MARKER"}));
  }

  // Starts the child on a copy of the samples and returns when it says "ready"; false when it
  // did not.
  bool StartChild(const std::string& scenario, const std::string& log = "NET19990730.LOG") {
    int out[2];
    if (::pipe(out) != 0) return false;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    child = ::fork();
    if (child == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      ::setenv(kScenario, scenario.c_str(), 1);
      ::setenv(kFolder, dir.Path().c_str(), 1);
      ::setenv(kEditor, replyEditor.c_str(), 1);
      ::setenv(kLongEditor, longEditor.c_str(), 1);
      ::setenv(kLog, dir.File(log).c_str(), 1);
      ::execl(self.c_str(), self.c_str(), "--gtest_filter=RunEndChild.Play", nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    std::string said;
    char c;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    ::fcntl(out[0], F_SETFL, O_NONBLOCK);
    while (std::chrono::steady_clock::now() < until) {
      const ssize_t n = ::read(out[0], &c, 1);
      if (n == 1) {
        said += c;
        if (said.ends_with("ready\n")) break;
      } else if (n == 0) {
        break;
      } else {
        ::usleep(10000);
      }
    }
    ::close(out[0]);
    return said.ends_with("ready\n");
  }
  // Sends the signal and waits for the child's end; its wait status, or -1 after 20 s.
  int Signal(int signal) {
    const auto sent = std::chrono::steady_clock::now();
    ::kill(child, signal);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() - sent > std::chrono::seconds(20)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
      }
      ::usleep(10000);
    }
    ended = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    child = -1;
    return status;
  }
  ~RunEnd() override {
    if (child > 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
    }
  }

  // The next start on the folder: the journal's offer and the read-back questions answered
  // Yes, the log loaded.
  void StartAgain(const std::string& log = "NET19990730.LOG", const std::string& prefix = "NET") {
    ui.defaultAnswer = UiAnswer::Yes;
    Start(log, prefix, false);
  }
  int Count(const std::string& text, const std::string& marker) {
    int n = 0;
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
      ++n;
    return n;
  }
  std::string PendingTexts() {
    std::string all;
    for (const JournalWrite& w : PendingWrites(Bbs())) {
      for (const std::string& line : w.Text)
        all += line + "\n";
    }
    return all;
  }
  bool Offered(const std::vector<RecordingUiServices::Entry>& entries) {
    for (const auto& e : entries) {
      if (e.kind == Kind::ConfirmYesNo &&
          e.text.find(J("前回の実行は正しく終了しませんでした")) != std::string::npos)
        return true;
    }
    return false;
  }

  std::string replyEditor;
  std::string longEditor;
  pid_t child = -1;
  double ended = 0;
};

TEST_F(RunEnd, TermSavesListsPointersAndSettingsAndTheNextStartOffersTheReplyOnce) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    for (const char* name : {"NET.PTR", "NET.BRD", "NET.MEM", "NET.JNL", "NET.JNR", "vornexpl.ini"})
      DeleteFileAt(settings + name);
    ASSERT_TRUE(StartChild("idle"));
    const int status = Signal(signal);
    // Ended by the signal after saving, as a shell reports it (143 for SIGTERM), and soon.
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_LT(ended, 5.0);
    EXPECT_FALSE(FileExists(settings + "NET.UP"));
    EXPECT_FALSE(FileExists(settings + "NET.PAD"));
    EXPECT_TRUE(FileExists(settings + "NET.BRD"));
    EXPECT_TRUE(FileExists(settings + "NET.MEM"));
    EXPECT_TRUE(FileExists(settings + "vornexpl.ini"));
    EXPECT_FALSE(PointerEntries(dir.File("expected.PTR")).empty());
    EXPECT_EQ(PointerEntries(settings + "NET.PTR"), PointerEntries(dir.File("expected.PTR")));
    EXPECT_EQ(Count(test::ReadBytes(settings + "NET.JNL"), "REPLY-MARKER"), 1);
  }

  StartAgain();
  EXPECT_TRUE(Offered(startEntries));
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
  // Once: ending with Yes writes it into the UP file, and nothing is left to offer.
  window->close();
  EXPECT_EQ(Count(test::ReadBytes(settings + "NET.UP"), "REPLY-MARKER"), 1);
  EXPECT_FALSE(FileExists(settings + "NET.JNL"));
  StartAgain();
  EXPECT_FALSE(Offered(startEntries));
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
}

TEST_F(RunEnd, KillLosesAtMostTheLastMomentsOfReading) {
  ASSERT_TRUE(StartChild("kill"));
  const int status = Signal(SIGKILL);
  ASSERT_TRUE(WIFSIGNALED(status));
  // Nothing was saved at the end; the journal holds the reply and the read marks.
  EXPECT_FALSE(FileExists(settings + "NET.PTR"));
  StartAgain();
  EXPECT_TRUE(Offered(startEntries));
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
  EXPECT_EQ(PointerEntries(settings + "NET.PTR"), PointerEntries(dir.File("expected.PTR")));
}

TEST_F(RunEnd, TermWhileAnEditorIsOpenKeepsWhatWasQueuedBefore) {
  ASSERT_TRUE(StartChild("editor"));
  const int status = Signal(SIGTERM);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  test::FakeEditor::Release(editor.LastDataFile());
  EXPECT_EQ(PointerEntries(settings + "NET.PTR"), PointerEntries(dir.File("expected.PTR")));
  StartAgain();
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
  EXPECT_EQ(Count(PendingTexts(), "LONG-MARKER"), 0);
  // The text the editor saved is not queued, but kept from this run's editors and named.
  std::string told;
  for (const auto& e : startEntries) {
    if (e.kind == Kind::Information) told += e.text;
  }
  std::string kept;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("vorntemp_") && name.find("_notread_") != std::string::npos)
      kept = entry.path().string();
  }
  ASSERT_FALSE(kept.empty());
  EXPECT_NE(told.find(kept), std::string::npos);
  EXPECT_EQ(Count(test::ReadBytes(kept), "LONG-MARKER"), 1);
}

TEST_F(RunEnd, TermWhileAModalDialogIsUpSavesAsWell) {
  ASSERT_TRUE(StartChild("dialog"));
  const int status = Signal(SIGTERM);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(PointerEntries(settings + "NET.PTR"), PointerEntries(dir.File("expected.PTR")));
  StartAgain();
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
}

TEST_F(RunEnd, TermDuringALoadStopsItAndKeepsWhatWasSavedBeforeIt) {
  ASSERT_TRUE(StartChild("load"));
  const int status = Signal(SIGTERM);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_LT(ended, TRunEndSignals::LoadStopWaitMs / 1000.0 + 2);
  // The end before the load wrote the reply into the UP file (Yes) and saved the pointers.
  EXPECT_EQ(Count(test::ReadBytes(settings + "NET.UP"), "REPLY-MARKER"), 1);
  EXPECT_EQ(PointerEntries(settings + "NET.PTR"), PointerEntries(dir.File("expected.PTR")));
  StartAgain();
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
}

TEST_F(RunEnd, TermOnNiftyServeKeepsItsWritesForThePadFile) {
  ASSERT_TRUE(StartChild("idle", "NIF19990730.LOG"));
  const int status = Signal(SIGTERM);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(FileExists(settings + "NIF.PAD"));
  EXPECT_EQ(PointerEntries(settings + "NIF.PTR"), PointerEntries(dir.File("expected.PTR")));
  StartAgain("NIF19990730.LOG", "NIF");
  EXPECT_TRUE(Offered(startEntries));
  EXPECT_EQ(Count(PendingTexts(), "REPLY-MARKER"), 1);
  window->close();
  EXPECT_EQ(Count(test::ReadBytes(settings + "NIF.PAD"), "REPLY-MARKER"), 1);
}

#if QT_CONFIG(sessionmanager)
// The desktop session's end saves as a signal does and lets the run go on: the session may
// still be cancelled.
TEST_F(RunEnd, TheSessionsEndSavesWithoutAskingAndTheRunGoesOn) {
  Start("NET19990730.LOG", "NET", false);
  auto* runEnd = new TRunEndSignals(*window);
  (void)runEnd;
  window->CommonIni().Editer = replyEditor;
  Pick(kGeneral, 101);
  Key(Qt::Key_F);
  Key(Qt::Key_Down);
  ASSERT_TRUE(Bbs().SaveReadPointers(dir.File("expected.PTR")));
  ui.entries.clear();
  // The signal as the session manager sends it; the program never looks at the manager.
  alignas(QSessionManager) unsigned char manager[sizeof(QSessionManager)] = {};
  emit test::GuiApp().commitDataRequest(*reinterpret_cast<QSessionManager*>(manager));
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(PointerEntries(settings + "NET.PTR"), PointerEntries(dir.File("expected.PTR")));
  EXPECT_TRUE(FileExists(settings + "NET.BRD"));
  EXPECT_TRUE(FileExists(settings + "vornexpl.ini"));
  EXPECT_FALSE(FileExists(settings + "NET.UP"));
  EXPECT_EQ(Count(test::ReadBytes(settings + "NET.JNL"), "REPLY-MARKER"), 1);
}
#endif

}  // namespace
}  // namespace vorn
