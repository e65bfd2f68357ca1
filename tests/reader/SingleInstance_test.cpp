#include "reader/SingleInstance.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

TEST(SingleInstance, TheSwitchIsAnOAfterADashOrSlash) {
  EXPECT_TRUE(IsSingleInstanceSwitch("-o"));
  EXPECT_TRUE(IsSingleInstanceSwitch("/O"));
  EXPECT_TRUE(IsSingleInstanceSwitch("-xo"));
  EXPECT_FALSE(IsSingleInstanceSwitch("o"));
  EXPECT_FALSE(IsSingleInstanceSwitch("-x"));
  EXPECT_FALSE(IsSingleInstanceSwitch("/"));
  EXPECT_FALSE(IsSingleInstanceSwitch(""));
  EXPECT_FALSE(IsSingleInstanceSwitch("NET.log"));
}

TEST(SingleInstance, TheSecondAsksTheFirstToComeForward) {
  test::GuiApp();
  const QString key = QStringLiteral("vorn-test-") + QUuid::createUuid().toString(QUuid::Id128);
  TSingleInstance first(key);
  ASSERT_TRUE(first.Acquire());
  QSignalSpy activated(&first, &TSingleInstance::ActivationRequested);

  TSingleInstance second(key);
  EXPECT_FALSE(second.Acquire());
  // In one thread the first reads the request only after the second has stopped waiting for
  // it to hang up, so the wait is kept short here.
  bool answered = false;
  QTimer::singleShot(0, [&] { answered = second.ActivateRunning(200); });
  EXPECT_TRUE(activated.wait(3000));
  EXPECT_TRUE(answered);
  QTest::qWait(50);
  EXPECT_EQ(activated.count(), 1);

  // Keys of different settings folders differ; the same folder gives the same key.
  EXPECT_EQ(TSingleInstance::KeyForFolder("/a/"), TSingleInstance::KeyForFolder("/a/"));
  EXPECT_NE(TSingleInstance::KeyForFolder("/a/"), TSingleInstance::KeyForFolder("/b/"));
}

TEST(SingleInstance, NobodyAnswersWhenNoneRuns) {
  test::GuiApp();
  TSingleInstance lone(QStringLiteral("vorn-test-") + QUuid::createUuid().toString(QUuid::Id128));
  EXPECT_FALSE(lone.ActivateRunning(200));
  EXPECT_TRUE(lone.Acquire());
}

// Two real programs on one settings folder: the second, started with -o, finds the first,
// hands over and ends at once; the first keeps running. Without the switch a second one
// starts normally.
TEST(SingleInstance, TwoProcesses) {
  test::GuiApp();
  const QString program = QStringLiteral(VORN_BINARY_DIR "/src/app/vornexpl");
  if (!QFileInfo::exists(program)) GTEST_SKIP() << "vornexpl is not built";
  test::TempDir settings;
  // A set exists, so no welcome box waits for an answer.
  test::WriteBytes(settings.File("netvorn.ini"),
                   "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Net\"\r\n");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  const QStringList args = {QStringLiteral("--settings-dir"),
                            QString::fromStdString(settings.Path()), QStringLiteral("-o")};

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(program, args);
  ASSERT_TRUE(first.waitForStarted(5000));
  // Wait until the first holds the lock: a second one would then be refused.
  const QString key = TSingleInstance::KeyForFolder(settings.Path() + "/");
  TSingleInstance probe(key);
  bool held = false;
  for (int i = 0; i < 200 && !held; ++i) {
    QTest::qWait(50);
    held = probe.ActivateRunning(100);
  }
  ASSERT_TRUE(held) << "the first instance never answered";

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program, args);
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);

  // Without the switch the second program stays.
  QProcess third;
  third.setProcessEnvironment(env);
  third.start(program, {QStringLiteral("--settings-dir"), QString::fromStdString(settings.Path())});
  ASSERT_TRUE(third.waitForStarted(5000));
  EXPECT_FALSE(third.waitForFinished(1500));
  third.kill();
  third.waitForFinished(5000);
  first.kill();
  first.waitForFinished(5000);
}

}  // namespace
}  // namespace vorn
