// Stopping a load in the main window: Escape pressed while a larger capture is added to, or
// opened in place of, the sample leaves the sample as the user left it; the progress bar moves
// by the load's bytes meanwhile; closing the window during a load stops it and then closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVornLogGenerator.h"
#include "platform/AppPaths.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/ProgressBarREX.h"
#include "reader/QuickFilterBar.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/FakeEditor.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// The tests' recording services, with the window's messages processed where the loader asks
// for it, as the program's own services do: the key presses and timers of the window run
// during the load.
class PumpingUi final : public UiServices {
 public:
  void Warning(const std::string& text) override { recorded.Warning(text); }
  void Information(const std::string& text) override { recorded.Information(text); }
  bool ConfirmYesNo(const std::string& text) override { return recorded.ConfirmYesNo(text); }
  UiAnswer ConfirmYesNoCancel(const std::string& text) override {
    return recorded.ConfirmYesNoCancel(text);
  }
  UiAnswer AskLoadCheck(const std::string& text) override { return recorded.AskLoadCheck(text); }
  void ProcessMessages() override { QCoreApplication::processEvents(); }

  RecordingUiServices recorded;
};

// What the window shows of the loaded logs, and every read mark.
struct Shown {
  QString title;
  std::vector<QString> boardLines;
  int board = -1;
  int32_t position = -1;
  int32_t topRow = -1;
  std::vector<QString> cells;
  QString view;
  std::vector<std::vector<uint8_t>> marks;
  TMainCommands::EnabledStates commands;

  // Each part compared on its own, so that a failure names it.
  void ExpectSameAs(const Shown& o) const {
    EXPECT_EQ(title.toStdString(), o.title.toStdString());
    EXPECT_EQ(boardLines, o.boardLines);
    EXPECT_EQ(board, o.board);
    EXPECT_EQ(position, o.position);
    EXPECT_EQ(topRow, o.topRow);
    EXPECT_EQ(cells, o.cells);
    EXPECT_EQ(view.toStdString(), o.view.toStdString());
    EXPECT_EQ(marks, o.marks);
    for (const auto& [name, on] : o.commands.items)
      EXPECT_EQ(commands.items.at(name), on) << name;
    EXPECT_EQ(commands.menus, o.commands.menus);
  }
};

const char* const kSample = "NET19990730.LOG";

class LoadCancelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    settings = test::CopySamples(dir, {kSample});
    sample = dir.File(kSample);
    SetSettingsFolderOverride(settings);
    // About 3 MB: long enough that the bar passes many values before the key is pressed.
    big = dir.File("NET19990801.LOG");
    std::ofstream(big, std::ios::binary) << bench::NetVornLogGenerator(5).Generate(60000);
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // An empty window, shown and active, with scripted dialogs.
  TVornExplMain& StartEmpty() {
    auto scripted = std::make_unique<test::ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{}, std::move(scripted));
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return *window;
  }

  // The window reading the sample: the chat board open at its third article, the first article
  // of the mail board read before.
  TVornExplMain& StartReading() {
    TVornExplMain& w = StartEmpty();
    // Opened as the user opens it, so that the commands are as the open command leaves them.
    dialogs->netAnswers.push_back({"NET", {sample}});
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(w.Session().LogFileNames, std::vector<std::string>{sample});
    ChooseBoard(1);
    Grid().SetRow(Grid().FixedRows() + 2);
    Grid().setFocus();
    QCoreApplication::processEvents();
    return w;
  }

  TArticleGrid& Grid() const {
    return *window->findChild<TArticleGrid*>(QStringLiteral("ArticleGrid1"));
  }
  TProgressBarREX& Bar() const { return *window->ProgressBar(); }
  QToolButton& StopButton() const {
    return *window->findChild<QToolButton*>(QStringLiteral("LoadCancelButton"));
  }
  void ChooseBoard(int index) {
    window->BoardList().setCurrentIndex(index);
    emit window->BoardList().activated(index);
  }

  Shown Now() const {
    Shown s;
    TVornExplMain& w = *window;
    s.title = w.windowTitle();
    for (int i = 0; i < w.BoardList().count(); ++i)
      s.boardLines.push_back(w.BoardList().itemText(i));
    s.board = w.BoardView().CurrentBoard();
    s.position = Grid().CurrentPosition();
    s.topRow = Grid().TopRow();
    for (int r = 0; r < Grid().model()->rowCount(); ++r) {
      for (int c = 0; c < Grid().model()->columnCount(); ++c)
        s.cells.push_back(Grid().model()->index(r, c).data().toString());
    }
    s.view = window->findChild<TArticleEdit*>(QStringLiteral("ArticleEdit1"))
                 ->HorizontalView()
                 ->toPlainText();
    if (TBBSProcess* p = w.CurrentAnalyser()) {
      for (int32_t b = 0; b < p->Boards.Count(); ++b) {
        std::vector<uint8_t> flags;
        if (const TArticleList* list = p->Boards.GetArticles(b)) {
          for (int32_t i = 0; i < list->OrderCount(w.Reading().TreeOrder()); ++i)
            flags.push_back(list->GetReadFlag(w.Reading().TreeOrder(), i));
        }
        s.marks.push_back(flags);
      }
    }
    s.commands = w.Commands().SaveEnabled();
    return s;
  }

  // Presses `press` once the load has passed `from` of the bar's range, from a timer that runs
  // while the load processes the window's messages; records the bar's values until then.
  void PressDuringLoad(std::function<void()> press, double from = 0.4) {
    timer = std::make_unique<QTimer>();
    timer->setInterval(0);
    QObject::connect(timer.get(), &QTimer::timeout, [this, press, from] {
      if (!window->Loading() || Bar().maximum() <= 0) return;
      if (barValues.empty() || barValues.back() != Bar().value())
        barValues.push_back(Bar().value());
      if (Bar().value() < from * Bar().maximum()) return;
      stopButtonShown = StopButton().isVisible();
      EXPECT_TRUE(test::SaveScreenshot(*window, QStringLiteral("load-under-way.png")));
      timer->stop();
      pressedAt = double(Bar().value()) / Bar().maximum();
      press();
    });
    timer->start();
  }
  void PressEscape() {
    PressDuringLoad([this] {
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus ? focus : window.get(), Qt::Key_Escape);
    });
  }

  // The load was stopped half-way and left the window as before it.
  void ExpectStoppedAndAsBefore(const Shown& before) {
    EXPECT_GT(pressedAt, 0.3);
    EXPECT_LT(pressedAt, 1.0);
    // The bar went up by the bytes in many small steps, not a step per file.
    EXPECT_GE(barValues.size(), 10u);
    EXPECT_TRUE(std::is_sorted(barValues.begin(), barValues.end()));
    EXPECT_TRUE(stopButtonShown);
    EXPECT_FALSE(window->Loading());
    EXPECT_FALSE(window->Reading().Busy());
    EXPECT_FALSE(StopButton().isVisible());
    EXPECT_EQ(Bar().value(), 0);
    EXPECT_EQ(window->Session().LogFileNames, std::vector<std::string>{sample});
    EXPECT_EQ(window->Session().CurrentPrefix, "NET");
    Now().ExpectSameAs(before);
    EXPECT_EQ(window->StatusText(0), QStringLiteral("ログの読込みを中止しました"));
    EXPECT_TRUE(window->QuickFilterBar().isEnabled());
    EXPECT_TRUE(test::SaveScreenshot(*window, QStringLiteral("load-stopped.png")));
    EXPECT_TRUE(ui.recorded.entries.empty());
    // The logs read on: another board opens with its articles.
    ChooseBoard(2);
    EXPECT_EQ(window->BoardView().CurrentBoard(), 2);
    EXPECT_TRUE(Now().view.contains(QStringLiteral("[EOF]")));
  }

  TempDir dir;
  std::string settings, sample, big;
  PumpingUi ui;
  ScopedUiServices installed{&ui};
  test::ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
  std::unique_ptr<QTimer> timer;
  std::vector<int> barValues;
  double pressedAt = 0;
  bool stopButtonShown = false;
};

TEST_F(LoadCancelTest, EscapeDuringAnAddLeavesTheLogsAsTheyWere) {
  TVornExplMain& w = StartReading();
  const Shown before = Now();
  ASSERT_EQ(before.board, 1);
  ASSERT_EQ(before.position, 2);
  ASSERT_EQ(before.marks[1][2], 1);
  dialogs->fileAnswers.push_back({big});
  PressEscape();
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  ASSERT_EQ(dialogs->fileRequests.size(), 1u);
  ExpectStoppedAndAsBefore(before);
  EXPECT_FALSE(w.Reading().AddingLogs());

  // Not stopped, the same add goes through; its sorting cannot be stopped, and the stop button
  // is gone by then.
  int sortingSeen = 0, buttonWhileSorting = 0;
  QTimer watch;
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (w.StatusText(0) != QStringLiteral("データソート中...")) return;
    ++sortingSeen;
    if (StopButton().isVisible()) ++buttonWhileSorting;
  });
  watch.start();
  dialogs->fileAnswers.push_back({big});
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{sample, big}));
  EXPECT_GT(sortingSeen, 0);
  EXPECT_EQ(buttonWhileSorting, 0);
}

TEST_F(LoadCancelTest, EscapeDuringAFreshOpenGivesBackTheLoadedSet) {
  TVornExplMain& w = StartReading();
  const Shown before = Now();
  dialogs->netAnswers.push_back({"NET", {big}});
  PressEscape();
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(dialogs->netSelectPrefixLists.size(), 2u);
  ExpectStoppedAndAsBefore(before);
}

// An archive of several captures is read on the window's workers (one a core); Escape while
// they read stops them and gives back the loaded set, and the archive opened again loads whole.
TEST_F(LoadCancelTest, EscapeWhileWorkersReadAnArchiveGivesBackTheLoadedSet) {
  TVornExplMain& w = StartReading();
  EXPECT_EQ(w.Session().Threads, int32_t(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)));
  std::vector<std::string> archive;
  for (uint32_t f = 0; f < 4; ++f) {
    archive.push_back(dir.File("NET1999080" + std::to_string(f + 2) + ".LOG"));
    std::ofstream(archive.back(), std::ios::binary)
        << bench::NetVornLogGenerator(10 + f).Generate(60000);
  }
  const Shown before = Now();
  dialogs->netAnswers.push_back({"NET", archive});
  QString statusAtPress;
  // The first file alone is a twentieth of the bar (reading is a fifth, analysing the rest).
  PressDuringLoad(
      [&] {
        statusAtPress = w.StatusText(0);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), Qt::Key_Escape);
      },
      0.04);
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(statusAtPress, QStringLiteral("ログファイル読込み中..."));
  EXPECT_LT(pressedAt, 0.2);
  EXPECT_TRUE(std::is_sorted(barValues.begin(), barValues.end()));
  EXPECT_FALSE(window->Loading());
  EXPECT_EQ(window->Session().LogFileNames, std::vector<std::string>{sample});
  Now().ExpectSameAs(before);
  EXPECT_EQ(window->StatusText(0), QStringLiteral("ログの読込みを中止しました"));
  EXPECT_TRUE(ui.recorded.entries.empty());

  // Not stopped, it loads every file, as one thread reads them.
  dialogs->netAnswers.push_back({"NET", archive});
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(w.Session().LogFileNames, archive);
  TLogList oneByOne(524288, 51200);
  for (const std::string& file : archive) {
    ASSERT_EQ(oneByOne.LoadFromFile(file), TLogList::LoadOk);
    oneByOne.AddLine(w.CurrentAnalyser()->IniFile->LogEndLine);
  }
  ASSERT_EQ(w.LogList().Count(), oneByOne.Count());
  for (int32_t i = 0; i < oneByOne.Count(); ++i)
    ASSERT_EQ(w.LogList().LineView(i), oneByOne.LineView(i)) << i;
}

TEST_F(LoadCancelTest, AFilteredBoardComesBackFilteredWithTheFilterKept) {
  TVornExplMain& w = StartReading();
  const int allRows = Grid().model()->rowCount();
  w.QuickFilterBar().TextEdit()->setText(QStringLiteral("はじめまして"));
  QCoreApplication::processEvents();
  Grid().setFocus();
  const Shown before = Now();
  ASSERT_LT(Grid().model()->rowCount(), allRows);
  ASSERT_EQ(before.position, 2);
  dialogs->fileAnswers.push_back({big});
  PressEscape();
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  EXPECT_GT(pressedAt, 0.3);
  EXPECT_EQ(w.Session().LogFileNames, std::vector<std::string>{sample});
  EXPECT_EQ(w.QuickFilterBar().TextEdit()->text(), QStringLiteral("はじめまして"));
  Now().ExpectSameAs(before);
}

TEST_F(LoadCancelTest, EscapeDuringTheFirstOpenLeavesTheEmptyWindow) {
  TVornExplMain& w = StartEmpty();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  const Shown before = Now();
  dialogs->netAnswers.push_back({"NET", {big}});
  PressEscape();
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_GT(pressedAt, 0.3);
  EXPECT_TRUE(w.Session().CurrentPrefix.empty());
  EXPECT_TRUE(w.Session().LogFileNames.empty());
  EXPECT_EQ(w.LogList().Count(), 0);
  EXPECT_FALSE(w.BoardList().isEnabled());
  // The open command switches on the commands that open and end without saving after every
  // open, also one that failed; before the first one they are off.
  Shown after = Now();
  for (const char* name : {"MenuNoSaveOpen", "MenuNoSaveEnd"})
    after.commands.items[name] = before.commands.items.at(name);
  after.ExpectSameAs(before);
  // Opened again without a stop, it loads.
  dialogs->netAnswers.push_back({"NET", {big}});
  QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(w.Session().LogFileNames, std::vector<std::string>{big});
}

TEST_F(LoadCancelTest, TheStopButtonAndClosingTheWindow) {
  TVornExplMain& w = StartReading();
  const Shown before = Now();
  dialogs->fileAnswers.push_back({big});
  PressDuringLoad([this] { StopButton().click(); });
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  ExpectStoppedAndAsBefore(before);

  // Closing during a load stops it, and the window closes with the sample's data.
  ui.recorded.defaultAnswer = UiAnswer::Yes;
  barValues.clear();
  dialogs->fileAnswers.push_back({big});
  PressDuringLoad([this] { window->close(); });
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  EXPECT_GT(pressedAt, 0.3);
  EXPECT_EQ(w.Session().LogFileNames, std::vector<std::string>{sample});
  EXPECT_TRUE(w.isVisible());
  QCoreApplication::processEvents();
  EXPECT_FALSE(w.isVisible());
}

// The end of the run knows which UP and PAD files are this run's own (read back or written by
// it): a stopped open gives that back with the data. Ending afterwards writes the writes of the
// run and keeps no copy of a file the run wrote or read as if it had never been read, which would
// invite the user to send its writes twice.
TEST_F(LoadCancelTest, AStoppedOpenGivesBackWhatTheEndKnowsOfTheUpFile) {
  test::FakeEditor editor(dir);
  const std::string up = settings + "NET.UP";
  for (const bool readBack : {false, true}) {
    SCOPED_TRACE(readBack ? "an UP file read back at the start" : "an UP file written with Ctrl+S");
    window.reset();
    std::filesystem::remove(up);
    if (readBack) {
      test::WriteBytes(up, test::CrLf({"\\1", "WFrom the last run", "text", ".", "", "Q"}));
      ui.recorded.Script(UiAnswer::Yes);
    }
    TVornExplMain& w = StartReading();
    w.CommonIni().TempFile = dir.File("vorntemp.txt");
    // A reply to the chat board's first article of the log.
    auto reply = [&](const char* title) {
      w.CommonIni().Editer = editor.Command("replace", test::CrLf({title, "words"}));
      const TArticleList& board = *w.CurrentAnalyser()->Boards.GetArticles(1);
      const int32_t order = w.Reading().TreeOrder();
      int32_t p = 0;
      while (p < board.OrderCount(order) &&
             (board.GetWriteFlag(order, p) || board.GetKind(order, p) == ArticleKindMissingRoot))
        ++p;
      w.BoardView().ShowBoard(1, TArticleGrid::SelectIndex, p);
      Grid().setFocus();
      QTest::keyClick(&Grid(), Qt::Key_F);
    };
    reply("First reply");
    if (!readBack) w.Command("MenuCreateUpFile")->trigger();
    const std::string before = test::ReadBytes(up);
    ASSERT_FALSE(before.empty());
    reply("Second reply");

    // Another log set opened (the question about the UP/PAD files answered No), then stopped.
    ui.recorded.Script(UiAnswer::No);
    dialogs->netAnswers.push_back({"NET", {big}});
    PressEscape();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(w.Session().LogFileNames, std::vector<std::string>{sample});
    EXPECT_TRUE(w.QuickFilterBar().isEnabled());
    EXPECT_EQ(test::ReadBytes(up), before);

    ui.recorded.entries.clear();
    ui.recorded.Script(UiAnswer::Yes);
    w.Command("MenuEnd")->trigger();
    EXPECT_FALSE(w.isVisible());
    for (const auto& entry : std::filesystem::directory_iterator(settings))
      EXPECT_EQ(entry.path().filename().string().find("_notread_"), std::string::npos)
          << entry.path();
    for (const auto& e : ui.recorded.entries)
      EXPECT_EQ(e.kind, RecordingUiServices::Kind::ConfirmYesNoCancel) << e.text;
    const std::string after = test::ReadBytes(up);
    EXPECT_NE(after.find("PFirst reply"), std::string::npos) << after;
    EXPECT_NE(after.find("PSecond reply"), std::string::npos) << after;
    if (readBack) {
      EXPECT_NE(after.find("WFrom the last run"), std::string::npos) << after;
    }
  }
}

}  // namespace
}  // namespace vorn
