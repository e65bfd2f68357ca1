#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "reader/ArticleGrid.h"
#include "reader/ArticleGridModel.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"
#include "text/Dates.h"

namespace vorn::test {

// The main window on copies of the two sample captures and the sample settings, driven as a
// user drives it: keys typed into the window, clicks on the grid's rows, menu items. Messages go
// to ui; pictures to VORN_SCREENSHOT_DIR when it is set.
class SampleWindowTest : public ::testing::Test {
 protected:
  static constexpr const char* kNetVorn = "NET19990730.LOG";
  static constexpr const char* kNifty = "NIF19990730.LOG";
  using Rows = std::vector<QString>;

  void SetUp() override {
    GuiApp();
    settings = CopySamples(dir, {kNetVorn, kNifty});
    SetSettingsFolderOverride(settings);
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // A new window on the screen (the last one goes without its end of a run), with a sample
  // loaded when one is named.
  TVornExplMain& Start(const char* sample = nullptr) {
    window.reset();
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                             std::make_unique<ScriptedDialogs>());
    window->resize(900, 560);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    if (sample) Load(sample);
    return *window;
  }
  void Load(const char* sample) {
    EXPECT_TRUE(window->LoadLogFiles({dir.File(sample)}, std::string(sample).substr(0, 3), false));
    QCoreApplication::processEvents();
  }
  // The window with a sample loaded and a board shown.
  TVornExplMain& Open(const char* sample, int32_t board) {
    Start(sample);
    ChooseBoard(board);
    return *window;
  }
  // The run ends as the user ends it (read marks and settings saved).
  void EndRun() {
    if (window) window->close();
  }
  void ChooseBoard(int index) {
    window->BoardList().setCurrentIndex(index);
    emit window->BoardList().activated(index);
    QCoreApplication::processEvents();
  }
  void Type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->windowHandle(), Qt::Key(key), modifiers);
    QCoreApplication::processEvents();
  }
  void Trigger(const char* name) {
    QAction* action = window->Command(name);
    ASSERT_NE(action, nullptr) << name;
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
    QCoreApplication::processEvents();
  }
  TArticleGrid& Grid() const { return window->ArticleGrid(); }
  QString Cell(int row, int column) const {
    return Grid().model()->index(row, column).data().toString();
  }
  // The number cells of the grid's rows.
  Rows Numbers() const {
    Rows rows;
    for (int r = 0; r < Grid().model()->rowCount(); ++r)
      rows.push_back(Cell(r, TArticleGridModel::ColumnNumber));
    return rows;
  }
  // The row of an article by its number as a cell shows it ("└<104>", a placeholder "-95-"),
  // whatever marks the number wears now (new, read in an earlier run, maintained); -1 when none
  // shows it.
  int RowOf(const QString& shown) const {
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    const QRegularExpression number(
        QStringLiteral("[-<\\[(|]%1[->\\])|]$").arg(digits.match(shown).captured()));
    for (int r = 0; r < Grid().model()->rowCount(); ++r) {
      if (number.match(Cell(r, TArticleGridModel::ColumnNumber)).hasMatch()) return r;
    }
    return -1;
  }
  // Goes to the row showing the number, by clicking it.
  void Click(const QString& shown) {
    const int row = RowOf(shown);
    ASSERT_GE(row, 0) << "no row " << shown.toStdString();
    const QRect cell =
        Grid().visualRect(Grid().model()->index(row, TArticleGridModel::ColumnTitle));
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QCoreApplication::processEvents();
  }
  QString CurrentNumber() const { return Cell(Grid().currentIndex().row(), 0); }
  void Shot(const char* name, QWidget* widget = nullptr) {
    QCoreApplication::processEvents();
    EXPECT_TRUE(SaveScreenshot(widget ? *widget : *window, QString::fromLatin1(name)));
  }
  std::vector<std::string> Messages(RecordingUiServices::Kind kind) const {
    std::vector<std::string> out;
    for (const auto& e : ui.entries) {
      if (e.kind == kind) out.push_back(e.text);
    }
    return out;
  }
  // Key and time of a NetVorn sample article as the set's list files hold them.
  static std::string ArticleLine(int32_t number, int hour, int minute) {
    return std::to_string(number) + "/" + std::to_string(DateKey(1999, 7, 30, hour, minute, 0));
  }

  TempDir dir;
  std::string settings;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

}  // namespace vorn::test
