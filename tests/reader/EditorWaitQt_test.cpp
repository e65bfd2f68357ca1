#include "reader/EditorWaitQt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "platform/TextFile.h"
#include "support/WritingFixture.h"

namespace vorn {
namespace {

using test::CrLf;

QApplication& App() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test-writing-gui";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

// The write commands with the window's wait: a nested event loop per editor.
class EditorWaitQt : public test::WritingFixture {
 protected:
  EditorWaitQt() : qtCommands(session, common, editors, host, qtWait) { App(); }
  TQtEditorWait qtWait{5};
  TWriteCommands qtCommands;
};

TEST_F(EditorWaitQt, TheWindowKeepsWorkingAndASecondWriteNestsItsOwnLoop) {
  const std::string outer = editor.Command("waitfor", CrLf({"outer", "outer body"}));
  const std::string outerData = editor.LastDataFile();
  const std::string inner = editor.Command("waitfor", CrLf({"inner", "inner body"}));
  const std::string innerData = editor.LastDataFile();

  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(5);
  WriteResult second;
  // While the first editor is open the user starts another write; the first editor ends before
  // the second.
  QTimer::singleShot(30, [&] {
    EXPECT_EQ(editors.Count(), 1);
    common.Editer = inner;
    QTimer::singleShot(30, [&] { test::FakeEditor::Release(outerData); });
    QTimer::singleShot(120, [&] { test::FakeEditor::Release(innerData); });
    second = qtCommands.StartWrite(kProg, -1, -1, WriteRoot);
  });
  common.Editer = outer;
  const WriteResult first = qtCommands.StartWrite(kGeneral, -1, -1, WriteRoot);

  ASSERT_TRUE(first.Done);
  ASSERT_TRUE(second.Done);
  EXPECT_EQ(TextOf(Write(kGeneral, first.ArticleKey)).front(), "outer");
  EXPECT_EQ(TextOf(Write(kProg, second.ArticleKey)).front(), "inner");
  EXPECT_GT(ticks, 5);
  EXPECT_TRUE(editors.Empty());
  EXPECT_EQ(host.fileCommands, (std::vector<bool>{false, false, true}));
}

TEST_F(EditorWaitQt, ComingBackToTheProgramEndsAnActivationWait) {
  common.EditerEndActivate = true;
  TEditorActivationWatcher watcher(editors);
  const std::string command = editor.Command("keepopen", CrLf({"T", "saved, editor left open"}));
  const std::string data = editor.LastDataFile();
  common.Editer = command;
  // The user saves, then activates the program again (the editor stays open).
  // (Once: the wait notices the activation only at its own next poll.)
  bool cameBack = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (cameBack || editors.Empty()) return;
    std::string bytes;
    if (ReadWholeFile(editors.Editors()[0]->TempFileName, bytes) &&
        bytes.find("saved") != std::string::npos) {
      watcher.ApplicationStateChanged(Qt::ApplicationInactive);
      EXPECT_FALSE(editors.Editors()[0]->Activated);
      watcher.ApplicationStateChanged(Qt::ApplicationActive);
      cameBack = true;
    }
  });
  poll.start(5);
  const WriteResult r = qtCommands.StartWrite(kGeneral, -1, -1, WriteRoot);
  test::FakeEditor::Release(data);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(TextOf(Write(kGeneral, r.ArticleKey))[1], "saved, editor left open");
}

}  // namespace
}  // namespace vorn
