// ファイル → アーカイブ出力 in the main window, offscreen: the menu's own action opens the
// dialog, which the test drives as a user does (format, folder typed or chosen, 出力, 中止).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "analysis/NetVornLogGenerator.h"
#include "archive/ArchiveTestSupport.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "reader/ArticleEdit.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

class ArchiveExportWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    SetSettingsFolderOverride(dir.Path());
    for (const auto& entry :
         fs::directory_iterator(fs::path(test::SourceDir()) / "samples" / "settings"))
      fs::copy_file(entry.path(), dir.File(entry.path().filename().string()));
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }
  TVornExplMain& Open(const std::string& log) {
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                             std::make_unique<test::ScriptedDialogs>());
    window->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->LoadLogFiles({log}, "NET", false));
    return *window;
  }
  // Triggers the menu's action; drive runs on the dialog once it is up, and closes it.
  void WithDialog(const std::function<void(QDialog&)>& drive) {
    QAction* action = window->findChild<QAction*>("MenuArchiveExport");
    ASSERT_NE(action, nullptr);
    bool driven = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->objectName(), "ArchiveExportDialog");
      drive(*dialog);
      driven = true;
      dialog->findChild<QPushButton*>("BTNCancel")->click();
    });
    action->trigger();
    EXPECT_TRUE(driven);
  }

  test::TempDir dir;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(ArchiveExportWindowTest, TheMenuEntryExportsWithProgressAndSummary) {
  const std::string log = dir.File("NET20000101.LOG");
  test::WriteBytes(log, bench::NetVornLogGenerator(3).Generate(20000));
  TVornExplMain& w = Open(log);
  QAction* action = w.findChild<QAction*>("MenuArchiveExport");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "アーカイブ出力(&R)...");
  EXPECT_TRUE(w.findChild<QMenu*>("FileMenu")->actions().contains(action));

  const std::string out = dir.File("site");
  std::vector<int> progress;
  QString summary;
  WithDialog([&](QDialog& d) {
    // The folder proposed: a new one named after the set.
    EXPECT_TRUE(d.findChild<QLineEdit*>("EDFolder")->text().endsWith("NET-archive"));
    d.findChild<QLineEdit*>("EDFolder")->setText(QString::fromStdString(out));
    d.findChild<QRadioButton*>("RBMbox")->click();
    auto* bar = d.findChild<QProgressBar*>("ProgressBar");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { progress.push_back(v); });
    QTest::mouseClick(d.findChild<QPushButton*>("BTNOK"), Qt::LeftButton);
    summary = d.findChild<QLabel*>("LBSummary")->text();
    // Kept to be looked at, beside the mail reader's and the browser's screens.
    const std::string screens = std::string(VORN_BINARY_DIR) + "/tests/archive/screens";
    fs::create_directories(screens);
    EXPECT_TRUE(d.grab().save(QString::fromStdString(screens + "/archive-export-dialog.png")));
  });
  EXPECT_TRUE(summary.startsWith("アーカイブ出力が終わりました\n形式: mbox"))
      << summary.toStdString();
  EXPECT_TRUE(summary.contains("変換できなかったバイト: 0")) << summary.toStdString();
  EXPECT_TRUE(fs::exists(out + "/001-board1.mbox"));
  // The bar moved on the way, and ended full.
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.back(), 1000);
  EXPECT_GT(
      std::count_if(progress.begin(), progress.end(), [](int v) { return v > 0 && v < 1000; }), 2);
  EXPECT_FALSE(w.Reading().Busy());
}

TEST_F(ArchiveExportWindowTest, TheFolderChooserAndCancelling) {
  const std::string log = dir.File("NET20000101.LOG");
  test::WriteBytes(log, bench::NetVornLogGenerator(3).Generate(20000));
  Open(log);
  // A chosen folder that holds files gets a new folder inside it.
  fs::create_directory(dir.File("chosen"));
  test::WriteBytes(dir.File("chosen/other.txt"), "x");
  QString folder, summary;
  WithDialog([&](QDialog& d) {
    QTimer::singleShot(0, [&] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(chooser, nullptr);
      EXPECT_EQ(chooser->objectName(), "ArchiveFolderChooser");
      chooser->setDirectory(QString::fromStdString(dir.Path()));
      chooser->selectFile(QString::fromStdString(dir.File("chosen")));
      QMetaObject::invokeMethod(chooser, "accept");
    });
    d.findChild<QPushButton*>("BTNFolder")->click();
    folder = d.findChild<QLineEdit*>("EDFolder")->text();
    d.findChild<QRadioButton*>("RBJsonl")->click();
    // 中止 pressed while the export runs.
    QTimer::singleShot(0, [&] { d.findChild<QPushButton*>("BTNCancel")->click(); });
    QTest::mouseClick(d.findChild<QPushButton*>("BTNOK"), Qt::LeftButton);
    summary = d.findChild<QLabel*>("LBSummary")->text();
    EXPECT_TRUE(d.isVisible()) << "中止 stops the export, not the dialog";
  });
  EXPECT_EQ(folder.toStdString(), dir.File("chosen/NET-archive"));
  EXPECT_TRUE(summary.startsWith("アーカイブ出力を中止しました")) << summary.toStdString();
  EXPECT_FALSE(fs::exists(dir.File("chosen/NET-archive/articles.jsonl")));
  EXPECT_EQ(test::ReadBytes(dir.File("chosen/other.txt")), "x");
}

// Terminal sequences, control bytes and bytes that do not decode: the window's article view,
// vornexpl-cli show and the archive written from the window's menu show the same text.
TEST_F(ArchiveExportWindowTest, TheViewTheToolAndTheExportShowTheSameText) {
  const std::string log = dir.File("NET20000101.LOG");
  test::WriteBytes(log, test::ControlBytesCapture());
  TVornExplMain& w = Open(log);
  w.BoardList().setCurrentIndex(1);
  emit w.BoardList().activated(1);
  QCoreApplication::processEvents();
  std::string body;
  for (const std::string& line : test::ControlBytesShown())
    body += line + "\n";
  const std::string view =
      w.findChild<TArticleEdit*>("ArticleEdit1")->HorizontalView()->toPlainText().toStdString();
  EXPECT_NE(view.find("controls\n"), std::string::npos) << view;
  EXPECT_NE(view.find("\n" + body), std::string::npos) << view;

  const auto show = test::RunProcess(dir, {VORNEXPL_CLI, "--settings-dir", dir.Path(), "show",
                                           "--board", "1", "--position", "0", log});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_TRUE(show.out.ends_with("\n" + body)) << show.out;

  const std::string out = dir.File("site");
  WithDialog([&](QDialog& d) {
    d.findChild<QLineEdit*>("EDFolder")->setText(QString::fromStdString(out));
    d.findChild<QRadioButton*>("RBJsonl")->click();
    QTest::mouseClick(d.findChild<QPushButton*>("BTNOK"), Qt::LeftButton);
  });
  const auto objects = test::JsonLines(test::ReadBytes(out + "/articles.jsonl"));
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]["body"].get<std::string>() + "\n", body);
}

TEST_F(ArchiveExportWindowTest, WithoutLoadedLogsTheUserIsTold) {
  window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                           std::make_unique<test::ScriptedDialogs>());
  window->findChild<QAction*>("MenuArchiveExport")->trigger();
  ASSERT_FALSE(ui.entries.empty());
  EXPECT_EQ(Cp932ToUtf8(ui.entries.back().text), "出力するログが読み込まれていません");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace vorn
