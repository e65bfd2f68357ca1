// Opening logs in the main window: the sample capture with the sample settings folder, added
// files, unreadable files, files without a set, and what is shown first.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "analysis/LogReadWorkers.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/ProfileFile.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "reader/SystemMsg.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "support/FakeEditor.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::J;
using test::ScriptedDialogs;
using test::TempDir;
using Kind = RecordingUiServices::Kind;

const char* const kSample = "NET19990730.LOG";
constexpr int32_t kSampleLines = 98;  // lines of the capture; the set's end line follows

class LogLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    // The sample settings name the log folder as the settings folder's parent.
    settings = test::CopySamples(dir, {kSample});
    sample = dir.File(kSample);
    SetSettingsFolderOverride(settings);
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  TVornExplMain& Start(std::vector<std::string> arguments = {}) {
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::move(arguments), std::move(scripted));
    return *window;
  }
  // The next day's capture: one article in the chat board.
  std::string NextDayLog() const {
    const std::string nextDay = dir.File("NET19990731.LOG");
    test::WriteBytes(nextDay, J("No.1 ｢雑談ボード｣\r\n\r\n-\t\r\n"
                                "general(300/300) 99/07/31 09:00 next day\r\n"
                                "  1 lines 1024:たろう \r\nbody\r\n"));
    return nextDay;
  }
  // A copy of the sample under another name.
  std::string Copy(const std::string& name) {
    fs::copy_file(sample, dir.File(name), fs::copy_options::overwrite_existing);
    return dir.File(name);
  }
  std::vector<std::string> BoardLines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < window->BoardList().count(); ++i) {
      lines.push_back(window->BoardList().itemText(i).toStdString());
    }
    return lines;
  }
  TArticleGrid& Grid() const {
    return *window->findChild<TArticleGrid*>(QStringLiteral("ArticleGrid1"));
  }
  // Rows of articles (an empty board shows one empty row).
  int32_t GridRows() const { return Grid().RowCount() - Grid().FixedRows(); }
  QString Cell(int32_t position, int column) const {
    return Grid().model()->index(position, column).data().toString();
  }
  QString ViewText() const {
    return window->findChild<TArticleEdit*>(QStringLiteral("ArticleEdit1"))
        ->HorizontalView()
        ->toPlainText();
  }
  // A board chosen in the board list, as the user chooses it.
  void ChooseBoard(int index) {
    window->BoardList().setCurrentIndex(index);
    emit window->BoardList().activated(index);
  }
  std::vector<std::string> Texts(Kind kind) const {
    std::vector<std::string> out;
    for (const auto& e : ui.entries) {
      if (e.kind == kind) out.push_back(e.text);
    }
    return out;
  }
  bool Enabled(const char* name) const { return window->Commands().IsEnabled(name); }

  TempDir dir;
  std::string settings;
  std::string sample;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(LogLoadingTest, TheSampleFromTheCommandLine) {
  TVornExplMain& w = Start({sample});
  ASSERT_EQ(w.Reading().PendingFiles(), (std::vector<std::string>{sample}));
  w.show();
  for (int i = 0; i < 100 && w.Session().CurrentPrefix.empty(); ++i)
    QTest::qWait(10);
  ASSERT_EQ(w.Session().CurrentPrefix, "NET");
  EXPECT_TRUE(w.Reading().PendingFiles().empty());
  EXPECT_EQ(w.windowTitle(), QStringLiteral("VornExplorer - サンプルネット"));
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{sample}));
  EXPECT_EQ(w.LogList().Count(), kSampleLines + 1);
  EXPECT_EQ(w.SystemMsgList().Count(), 3);
  // Each board's unread articles beside its total: the first mail is read by now.
  EXPECT_EQ(BoardLines(),
            (std::vector<std::string>{"--(   2)[未読   1]   0:mail     / メール",
                                      "--(   4)[未読   4]   1:general  / 雑談ボード",
                                      "--(   2)[未読   2]   2:prog     / プログラミング",
                                      "--(   1)[未読   1]   3:binary   / バイナリボード"}));
  // The first board with articles, from its first article; it is read now.
  EXPECT_EQ(w.BoardList().currentIndex(), 0);
  EXPECT_EQ(w.BoardView().CurrentBoard(), 0);
  EXPECT_EQ(Grid().CurrentPosition(), 0);
  EXPECT_EQ(GridRows(), 2);
  EXPECT_TRUE(ViewText().startsWith(QStringLiteral("mail 99/07/30 14:20 オフ会の件")));
  EXPECT_TRUE(ViewText().endsWith(QStringLiteral("駅前の喫茶店です。\n[EOF]")));
  const TArticleList* mail = w.CurrentAnalyser()->Boards.GetArticles(0);
  EXPECT_EQ(w.Reading().SavedPosition().Board, mail);
  EXPECT_EQ(mail->GetReadFlag(w.Reading().TreeOrder(), 0), 1);
  EXPECT_EQ(mail->GetReadFlag(w.Reading().TreeOrder(), 1), 0);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("<0>"));

  // No message box between the start and the first article; that system messages exist is
  // told in the status bar.
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_EQ(w.StatusText(0), QStringLiteral("システムメッセージが存在しています"));
  for (const char* name :
       {"BTNInfo", "MenuInfo", "MenuOpenAdd", "BTNOpenAdd", "MenuLogInfo", "MenuCreateUpFile",
        "BTNSave", "MenuCopy", "MenuWRoot", "BTNNext", "MenuIDEdit", "MenuBBSSet", "MenuBoardOut",
        "MenuArticleCut", "MenuWRootBinary", "BTNBatch"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_FALSE(Enabled("BTNSearchMode"));
  EXPECT_FALSE(Enabled("BTNLevelRestore"));
  EXPECT_TRUE(w.BoardList().isEnabled());

  w.Command("MenuInfo")->trigger();
  ASSERT_EQ(dialogs->texts.size(), 1u);
  EXPECT_EQ(dialogs->texts[0].first, QStringLiteral("システム／チャットメッセージ"));
  EXPECT_EQ(dialogs->texts[0].second.size(), 3u);
  w.Command("MenuLogInfo")->trigger();
  EXPECT_EQ(dialogs->texts[1].second, (std::vector<std::string>{sample}));

  // Choosing a board in the list shows it.
  ChooseBoard(1);
  EXPECT_EQ(w.BoardView().CurrentBoard(), 1);
  EXPECT_TRUE(ViewText().contains(QStringLiteral("はじめまして、たろうです。")));
}

TEST_F(LogLoadingTest, AddingAFileContinuesTheLogAndReturnsToTheArticle) {
  TVornExplMain& w = Start();
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  ui.entries.clear();
  // The user reads the third article of the chat board.
  ChooseBoard(1);
  Grid().SetRow(Grid().FixedRows() + 2);
  const QString shown = ViewText();
  const TArticleList* general = w.CurrentAnalyser()->Boards.GetArticles(1);
  EXPECT_EQ(w.Reading().SavedPosition().Board, general);
  const int32_t key = general->GetKey(w.Reading().TreeOrder(), 2);
  const std::string second = Copy("NET19990731.LOG");
  dialogs->fileAnswers.push_back({second});
  w.Command("MenuOpenAdd")->trigger();
  ASSERT_EQ(dialogs->fileRequests.size(), 1u);
  // The sample set keeps its logs beside the settings folder.
  EXPECT_EQ(fs::canonical(dialogs->fileRequests[0].Folder), fs::canonical(dir.Path()));
  // The new lines follow the old ones, each file with its end line.
  EXPECT_EQ(w.LogList().Count(), 2 * (kSampleLines + 1));
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{sample, second}));
  EXPECT_EQ(w.Session().CurrentPrefix, "NET");
  EXPECT_FALSE(w.Reading().AddingLogs());
  EXPECT_EQ(w.BoardList().currentIndex(), 1);
  EXPECT_EQ(w.BoardView().CurrentBoard(), 1);
  EXPECT_EQ(w.CurrentAnalyser()->Boards.GetArticles(1)->GetKey(w.Reading().TreeOrder(),
                                                               Grid().CurrentPosition()),
            key);
  EXPECT_EQ(ViewText(), shown);
  EXPECT_EQ(Texts(Kind::Warning), std::vector<std::string>{});
}

TEST_F(LogLoadingTest, DroppingFilesOfTheLoadedSetAddsThem) {
  TVornExplMain& w = Start();
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  w.DropFiles({Copy("net2.log")});
  EXPECT_EQ(w.LogList().Count(), 2 * (kSampleLines + 1));
  EXPECT_EQ(w.Session().LogFileNames.size(), 2u);
  // Another name of no set, with the default prefix: loaded afresh under it.
  w.CommonIni().DefaultPrefix = "NET";
  const std::string other = Copy("capture.txt");
  w.LoadLogFiles({sample}, "NET", false);
  EXPECT_EQ(w.Session().LogFileNames.size(), 1u);
  w.Session().CurrentPrefix = "OTHER";
  w.DropFiles({other});
  EXPECT_EQ(w.Session().CurrentPrefix, "NET");
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{other}));
  EXPECT_EQ(w.LogList().Count(), kSampleLines + 1);
}

TEST_F(LogLoadingTest, AnUnreadableFileAmongReadableOnes) {
  TVornExplMain& w = Start();
  // A folder cannot be read as a log.
  const std::string folder = dir.File("NET0.LOG");
  fs::create_directory(folder);
  EXPECT_TRUE(w.LoadLogFiles({folder, sample}, "NET", false));
  EXPECT_EQ(Texts(Kind::Warning),
            std::vector<std::string>{J("ファイル:") + folder + "\r" + J("読込み出来ません")});
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{sample}));
  EXPECT_EQ(w.LogList().Count(), kSampleLines + 1);
  EXPECT_EQ(w.BoardList().count(), 4);
}

TEST_F(LogLoadingTest, NoFileReadable) {
  TVornExplMain& w = Start();
  const std::string a = dir.File("NET1.LOG");
  const std::string b = dir.File("NET2.LOG");
  fs::create_directory(a);
  fs::create_directory(b);
  EXPECT_FALSE(w.LoadLogFiles({a, b}, "NET", false));
  EXPECT_EQ(Texts(Kind::Warning),
            (std::vector<std::string>{J("ファイル:") + a + "\r" + J("読込み出来ません"),
                                      J("ファイル:") + b + "\r" + J("読込み出来ません"),
                                      J("指定されたログファイルは１個も読込み出来ません")}));
  EXPECT_TRUE(w.Session().CurrentPrefix.empty());
  EXPECT_FALSE(w.Reading().Busy());
  EXPECT_FALSE(Enabled("MenuOpenAdd"));
  EXPECT_FALSE(Enabled("EditMenu"));
  EXPECT_FALSE(w.BoardList().isEnabled());
  // The settings stay reachable, so that the set can be mended.
  EXPECT_TRUE(Enabled("MenuBBSSet"));
  // A single unreadable file has said so itself.
  ui.entries.clear();
  EXPECT_FALSE(w.LoadLogFiles({a}, "NET", false));
  EXPECT_EQ(Texts(Kind::Warning).size(), 1u);
}

TEST_F(LogLoadingTest, NoSetForThePrefix) {
  TVornExplMain& w = Start();
  EXPECT_FALSE(w.LoadLogFiles({Copy("XYZ1.LOG")}, "XYZ", false));
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_FALSE(w.LoadLogFiles({}, "NET", false));
  EXPECT_TRUE(ui.entries.empty());
  w.DropFiles({dir.File("XYZ1.LOG")});
  EXPECT_EQ(Texts(Kind::Warning),
            std::vector<std::string>{J("指定されたファイルに対するBBS設定がなされていません")});
  EXPECT_EQ(w.LogList().Count(), 0);
}

TEST_F(LogLoadingTest, FilesOfBothFamiliesDroppedTogether) {
  fs::copy_file(fs::path(test::SourceDir()) / "samples" / "NIF19990730.LOG",
                dir.File("NIF19990730.LOG"));
  const std::string nifty = dir.File("NIF19990730.LOG");
  TVornExplMain& w = Start();
  dialogs->netAnswers.push_back({"NIF", {}});
  w.DropFiles({sample, nifty});
  ASSERT_EQ(dialogs->netSelectPrefixLists.size(), 1u);
  EXPECT_EQ(dialogs->netSelectPrefixLists[0], (std::vector<std::string>{"NET", "NIF"}));
  ASSERT_EQ(w.Session().CurrentPrefix, "NIF");
  EXPECT_EQ(w.CurrentProcess(), 1);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("VornExplorer - サンプルニフティ"));
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{nifty}));
  ASSERT_GT(w.BoardList().count(), 1);
  EXPECT_TRUE(w.BoardList().itemText(0).startsWith(QStringLiteral("--(")));
  EXPECT_GT(GridRows(), 0);
  EXPECT_FALSE(ViewText().isEmpty());
  EXPECT_EQ(Texts(Kind::Warning), std::vector<std::string>{});
  // Nifty-Serve takes no binary writes.
  EXPECT_FALSE(Enabled("MenuWRootBinary"));
  EXPECT_FALSE(Enabled("BTNBatch"));
  EXPECT_TRUE(Enabled("MenuWRoot"));
}

TEST_F(LogLoadingTest, BoardsWithoutArticles) {
  TVornExplMain& w = Start();
  const std::string empty = dir.File("NET5.LOG");
  test::WriteBytes(empty, "ATZ\r\nOK\r\n");
  EXPECT_TRUE(w.LoadLogFiles({empty}, "NET", false));
  EXPECT_EQ(Texts(Kind::Warning), std::vector<std::string>{J("記事が存在していません")});
  EXPECT_EQ(w.BoardList().currentIndex(), 0);
  EXPECT_EQ(GridRows(), 1);
  EXPECT_EQ(Cell(0, 0), QString());
  EXPECT_TRUE(ViewText().isEmpty());
  EXPECT_FALSE(Enabled("MenuArticleCut"));
}

TEST_F(LogLoadingTest, NewArticleModeAfterOpening) {
  TVornExplMain& w = Start();
  w.CommonIni().NewModeFlag = true;
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  // Everything is new at first: the first new article, in new-article mode.
  EXPECT_TRUE(w.Reading().NewReadMode());
  EXPECT_TRUE(w.Command("BTNNewMode")->isChecked());
  EXPECT_EQ(w.StatusText(1), QStringLiteral("新規"));
  EXPECT_EQ(w.BoardView().CurrentBoard(), 0);
  EXPECT_EQ(Texts(Kind::Information), std::vector<std::string>{});

  // Every article read and the pointers saved: nothing is new at the next opening.
  TBBSProcess& p = *w.CurrentAnalyser();
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    TArticleList* list = p.Boards.GetArticles(b);
    for (int32_t i = 0; list && i < list->OrderCount(ArticleSortNormal); ++i) {
      list->SetReadFlag(ArticleSortNormal, i, 1, false);
    }
  }
  ASSERT_TRUE(w.LeaveLogSet(true, true));
  ui.entries.clear();
  w.SetReadMode(true, true);
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  EXPECT_FALSE(w.Reading().NewReadMode());
  EXPECT_FALSE(w.Reading().SearchReadMode());
  EXPECT_EQ(w.StatusText(1), QString());
  EXPECT_FALSE(Enabled("MenuNewReadMode"));
  EXPECT_FALSE(Enabled("BTNNewMode"));
  EXPECT_EQ(w.BoardView().CurrentBoard(), 0);
  EXPECT_EQ(Texts(Kind::Information), (std::vector<std::string>{J("新規記事はありません")}));
  // The numbers have lost their new marks.
  EXPECT_EQ(Cell(0, 0), QStringLiteral("[0]"));
}

TEST_F(LogLoadingTest, SystemMessagesInTheTextDialog) {
  TVornExplMain& w = Start();
  w.resize(800, 600);
  w.show();
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  QCoreApplication::processEvents();
  if (!qEnvironmentVariableIsEmpty("VORN_SCREENSHOT_DIR")) {
    // The chat board's thread, one reply read.
    ChooseBoard(1);
    Grid().SetRow(Grid().FixedRows() + 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(test::SaveScreenshot(w, QStringLiteral("main-loaded.png")));
  }
  w.Command("BTNInfo")->trigger();
  ASSERT_EQ(dialogs->texts.size(), 1u);
  // The real dialog with what the window gave.
  TSystemMsgForm form(&w);
  const SystemMsgLook look = w.TextDialogLook();
  form.Prepare(dialogs->texts[0].first, look, dialogs->texts[0].second);
  EXPECT_EQ(form.size(), look.ViewPanel + QSize(8, 60));
  EXPECT_EQ(form.LogDisp()->toPlainText(),
            QStringLiteral("(システム) 本日22:00より定期メンテナンスを行います\n"
                           "(2048:はなこ) こんばんは、たろうさん\n"
                           "(4096:さぶろう) 今から参加します\n[EOF]"));
  form.show();
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("systemmsg-sample.png")));
}

TEST_F(LogLoadingTest, TreeOrderOpensAfterALeadingPlaceholder) {
  TVornExplMain& w = Start();
  ASSERT_EQ(w.Reading().TreeOrder(), 1);
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  ChooseBoard(1);
  EXPECT_EQ(GridRows(), 5);
  EXPECT_EQ(Cell(3, 0), QStringLiteral("-95-"));
  EXPECT_EQ(Cell(2, 0), QStringLiteral("　└<103>"));
  // Posting order has no placeholder.
  w.Command("MenuNormal")->trigger();
  EXPECT_EQ(w.Reading().TreeOrder(), 0);
  EXPECT_EQ(GridRows(), 4);
  EXPECT_EQ(Grid().CurrentPosition(), 0);
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// Answers nothing and records warnings. The first time the window's event loop runs during a
// load (a message box, or the loader keeping the window alive) it does what the user might do
// meanwhile.
class PumpingUi final : public UiServices {
 public:
  void Warning(const std::string& text) override {
    warnings.push_back(text);
    ProcessMessages();
  }
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::No; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::No; }
  void ProcessMessages() override {
    if (meanwhile) std::exchange(meanwhile, nullptr)();
  }
  std::function<void()> meanwhile;
  std::vector<std::string> warnings;
};

TEST_F(LogLoadingTest, WhatComesDuringALoadWaitsForItsEnd) {
  // A capture long enough that the reader and the analyser keep the window alive.
  std::string big;
  const std::string text = test::ReadBytes(sample);
  for (int i = 0; i < 40; ++i)
    big += text;
  const std::string bigFile = dir.File("NET1.LOG");
  test::WriteBytes(bigFile, big);
  const std::string dropped = Copy("NET2.LOG");
  // Its warning comes between two files, when the loader is not busy reading.
  const std::string unreadable = dir.File("NET0.LOG");
  fs::create_directory(unreadable);

  PumpingUi pumping;
  ScopedUiServices pump(&pumping);
  TVornExplMain& w = Start();
  w.show();
  // (Closing meanwhile stops the load and closes afterwards: LoadCancel_test.)
  bool openedAgain = true;
  pumping.meanwhile = [&] {
    w.DropFiles({dropped});
    openedAgain = w.LoadLogFiles({dropped}, "NET", true);
  };
  ASSERT_TRUE(w.LoadLogFiles({unreadable, bigFile}, "NET", false));
  EXPECT_FALSE(openedAgain);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{bigFile}));
  // The dropped file follows as an addition once the load is over.
  for (int i = 0; i < 100 && w.Session().LogFileNames.size() < 2; ++i)
    QTest::qWait(10);
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{bigFile, dropped}));
  EXPECT_TRUE(w.Reading().PendingFiles().empty());
  EXPECT_EQ(pumping.warnings.size(), 1u);
}

// Commands that could do nothing while a load runs look disabled meanwhile, also for a load
// that a drop started, and are back afterwards.
TEST_F(LogLoadingTest, OpeningEndingAndSettingsLookDisabledDuringALoad) {
  PumpingUi pumping;
  ScopedUiServices pump(&pumping);
  TVornExplMain& w = Start();
  w.show();
  const char* const commands[] = {"MenuOpen",      "BTNOpen",       "MenuNoSaveOpen",
                                  "MenuOpenAdd",   "BTNOpenAdd",    "MenuEnd",
                                  "MenuNoSaveEnd", "MenuCommonSet", "MenuBBSSet"};
  std::vector<std::string> enabledMeanwhile;
  int loads = 0;
  pumping.meanwhile = [&] {
    ++loads;
    for (const char* name : commands) {
      if (Enabled(name)) enabledMeanwhile.push_back(name);
    }
  };
  ASSERT_TRUE(Enabled("MenuOpen"));
  ASSERT_TRUE(Enabled("MenuEnd"));
  w.DropFiles({sample});
  for (int i = 0; i < 100 && w.Session().CurrentPrefix.empty(); ++i)
    QTest::qWait(10);
  ASSERT_EQ(w.Session().CurrentPrefix, "NET");
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(enabledMeanwhile, std::vector<std::string>{});
  for (const char* name : {"MenuOpen", "BTNOpen", "MenuOpenAdd", "MenuEnd", "MenuCommonSet"})
    EXPECT_TRUE(Enabled(name)) << name;
}

// Every (board, key, time) of the loaded set that is marked read, raw as the logs give them.
std::set<std::tuple<int32_t, int64_t, int64_t>> ReadArticles(const TBBSProcess& process) {
  std::set<std::tuple<int32_t, int64_t, int64_t>> read;
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    const TArticleList* articles = process.Boards.GetArticles(b);
    for (int32_t p = 0; articles && p < articles->OrderCount(ArticleSortNormal); ++p) {
      const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, p);
      if (r->ReadFlag == 1) {
        read.emplace(process.Boards.GetBoardNo(b), int64_t{r->ArticleKey} + RebaseOffset,
                     int64_t{r->PostTime} + RebaseOffset);
      }
    }
  }
  return read;
}

// The user reads in one day's log, opens another day's log over it, reads there and ends. The
// next run opens the first day again: what was read there is read, and nothing else. The end
// of a run used to rebuild the read-pointer file from the loaded log alone, so the first day
// came back unread.
TEST_F(LogLoadingTest, ReadMarksOfALogNotLoadedOutliveTheRun) {
  const std::string nextDay = NextDayLog();
  std::set<std::tuple<int32_t, int64_t, int64_t>> readFirstDay;
  {
    TVornExplMain& w = Start();
    ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
    ChooseBoard(1);
    Grid().SetRow(Grid().FixedRows() + 2);
    ChooseBoard(2);
    readFirstDay = ReadArticles(*w.CurrentAnalyser());
    ASSERT_GE(readFirstDay.size(), 3u);

    dialogs->netAnswers.push_back({"NET", {nextDay}});
    w.Command("MenuOpen")->trigger();
    ASSERT_EQ(w.Session().LogFileNames, (std::vector<std::string>{nextDay}));
    ASSERT_EQ(ReadArticles(*w.CurrentAnalyser()).size(), 1u);  // the article shown
    ASSERT_TRUE(w.close());
  }

  TVornExplMain& w = Start();
  ASSERT_TRUE(w.LoadLogFiles({nextDay}, "NET", false));
  EXPECT_EQ(ReadArticles(*w.CurrentAnalyser()).size(), 1u);
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  // Showing the first board reads its first article, which was read already.
  EXPECT_EQ(ReadArticles(*w.CurrentAnalyser()), readFirstDay);
}

// Adding logs keeps this run's read marks: the articles the user marked unread stay unread
// through an add (whose read-pointer file is the one the run began with) and are saved unread.
TEST_F(LogLoadingTest, AddingLogsKeepsTheReadMarksOfThisRun) {
  const std::string nextDay = NextDayLog();
  std::set<std::tuple<int32_t, int64_t, int64_t>> allRead;
  {
    TVornExplMain& w = Start();
    ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
    ui.Script(UiAnswer::Yes);
    w.Command("MenuReadPtrSet")->trigger();
    allRead = ReadArticles(*w.CurrentAnalyser());
    ASSERT_GE(allRead.size(), 8u);
    ASSERT_TRUE(w.close());
  }

  TVornExplMain& w = Start();
  ASSERT_TRUE(w.LoadLogFiles({sample}, "NET", false));
  ASSERT_EQ(ReadArticles(*w.CurrentAnalyser()), allRead);
  ui.Script(UiAnswer::Yes);
  w.Command("MenuReadPtrClear")->trigger();
  // (The article on the screen is read again as it is shown.)
  ASSERT_LE(ReadArticles(*w.CurrentAnalyser()).size(), 1u);
  dialogs->fileAnswers.push_back({nextDay});
  w.Command("MenuOpenAdd")->trigger();
  ASSERT_EQ(w.Session().LogFileNames, (std::vector<std::string>{sample, nextDay}));
  // Only the article shown again after the add is read.
  const auto afterAdd = ReadArticles(*w.CurrentAnalyser());
  EXPECT_LE(afterAdd.size(), 1u);
  ASSERT_TRUE(w.close());

  TVornExplMain& next = Start();
  ASSERT_TRUE(next.LoadLogFiles({sample}, "NET", false));
  // What was saved, and the first article the load shows.
  EXPECT_LE(ReadArticles(*next.CurrentAnalyser()).size(), 2u);
  for (const auto& read : afterAdd)
    EXPECT_TRUE(ReadArticles(*next.CurrentAnalyser()).contains(read));
}

// A loaded log changed on disk while the window shows it. Written on past its end (the terminal
// program capturing today): nothing is said and the lines stay. Written anew in place, shorter,
// as an editor may do it: the window says so, names the file and loads the same files again, so
// the grid and the view show what the file now holds, never bytes of the old one; the read
// marks of the run are kept.
TEST_F(LogLoadingTest, ALogChangedOnDiskIsToldAndLoadedAgain) {
  const std::string nextDay = NextDayLog();
  TVornExplMain& w = Start();
  w.show();
  ASSERT_TRUE(w.LoadLogFiles({sample, nextDay}, "NET", false));
  ui.Script(UiAnswer::Yes);
  w.Command("MenuReadPtrSet")->trigger();
  const auto allRead = ReadArticles(*w.CurrentAnalyser());
  ASSERT_FALSE(allRead.empty());
  const int32_t lines = w.Session().LogList.Count();
  auto lookAgain = [&] {
    ui.entries.clear();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    QTest::qWait(50);
  };
  auto hasLine = [&](const std::string& text) {
    const TLogList& log = w.Session().LogList;
    for (int32_t i = 0; i < log.Count(); ++i) {
      if (log.LineView(i) == text) return true;
    }
    return false;
  };

  {
    std::ofstream out(nextDay, std::ios::binary | std::ios::app);
    out << "Command (?:\r\n";
  }
  lookAgain();
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_EQ(w.Session().LogList.Count(), lines);

  // In place: the same file, shorter, another title.
  {
    std::ofstream out(nextDay, std::ios::binary | std::ios::trunc);
    out << J(
        "No.1 ｢雑談ボード｣\r\n\r\n-\t\r\n"
        "general(300/300) 99/07/31 09:00 short\r\n"
        "  1 lines 1024:たろう \r\nbody\r\n");
  }
  ASSERT_TRUE(hasLine("general(300/300) 99/07/31 09:00 next day") ||
              !hasLine("general(300/300) 99/07/31 09:00 short"));
  lookAgain();
  const std::vector<std::string> warnings = Texts(Kind::Warning);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], J("読込み中のログファイルが変更されました\r") + nextDay + "\r\r" +
                             J("ログを読み込み直します"));
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{sample, nextDay}));
  EXPECT_TRUE(hasLine("general(300/300) 99/07/31 09:00 short"));
  EXPECT_FALSE(hasLine("general(300/300) 99/07/31 09:00 next day"));
  // The marks of the run came back with the load (the article keeps its number and time).
  EXPECT_EQ(ReadArticles(*w.CurrentAnalyser()), allRead);
  // Told once: the files loaded again are what is on disk.
  lookAgain();
  EXPECT_TRUE(ui.entries.empty());
}

// What the analysis found in each log is kept in the cache folder and taken at the next load
// instead of analysing the unchanged logs again; the common settings show the cache's size,
// empty it and switch it off.
TEST_F(LogLoadingTest, TheAnalysisCacheIsShownClearedAndSwitchedOffInTheCommonSettings) {
  const std::string nextDay = NextDayLog();
  const fs::path folder = fs::path(std::getenv("XDG_CACHE_HOME")) / "VornExplorer";
  fs::remove_all(folder);
  auto entries = [&] {
    std::map<std::string, fs::file_time_type> written;
    if (fs::is_directory(folder)) {
      for (const auto& e : fs::directory_iterator(folder))
        written[e.path().string()] = e.last_write_time();
    }
    return written;
  };
  TVornExplMain& w = Start();
  ASSERT_TRUE(w.LoadLogFiles({sample, nextDay}, "NET", false));
  // For each log, what was found in it and where its lines start.
  const auto kept = entries();
  EXPECT_EQ(kept.size(), 4u);
  std::vector<std::string> lines;
  for (int32_t i = 0; i < w.Session().LogList.Count(); ++i)
    lines.push_back(w.Session().LogList.GetLine(i));
  const std::vector<std::string> boards = BoardLines();
  // Taken, not made again.
  ASSERT_TRUE(w.LoadLogFiles({sample, nextDay}, "NET", false));
  EXPECT_EQ(entries(), kept);
  EXPECT_EQ(BoardLines(), boards);
  ASSERT_EQ(w.Session().LogList.Count(), int32_t(lines.size()));
  for (int32_t i = 0; i < w.Session().LogList.Count(); ++i)
    ASSERT_EQ(w.Session().LogList.GetLine(i), lines[size_t(i)]) << "line " << i;

  auto inSettings = [&](const std::function<void(QWidget&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      QWidget* form = QApplication::activeModalWidget();
      ASSERT_NE(form, nullptr);
      act(*form);
      form->findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
      seen = true;
    });
    w.Command("MenuCommonSet")->trigger();
    ASSERT_TRUE(seen);
  };
  inSettings([&](QWidget& form) {
    auto* size = form.findChild<QLabel*>(QStringLiteral("LBCacheSize"));
    ASSERT_NE(size, nullptr);
    EXPECT_TRUE(size->text().startsWith(QStringLiteral("使用量 "))) << size->text().toStdString();
    EXPECT_FALSE(size->text().endsWith(QStringLiteral(" 0 KB"))) << size->text().toStdString();
    EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("common-settings-cache.png")));
    form.findChild<QPushButton*>(QStringLiteral("BTNClearCache"))->click();
    EXPECT_EQ(size->text(), QStringLiteral("使用量 0 KB"));
    EXPECT_TRUE(entries().empty());
    auto* use = form.findChild<QCheckBox*>(QStringLiteral("CBAnalysisCache"));
    ASSERT_NE(use, nullptr);
    EXPECT_TRUE(use->isChecked());
    use->setChecked(false);
  });
  EXPECT_EQ(w.Session().Cache, nullptr);
  ASSERT_TRUE(w.LoadLogFiles({sample, nextDay}, "NET", false));
  EXPECT_TRUE(entries().empty());
  EXPECT_EQ(BoardLines(), boards);
  std::vector<std::string> again;
  for (int32_t i = 0; i < w.Session().LogList.Count(); ++i)
    again.push_back(w.Session().LogList.GetLine(i));
  EXPECT_EQ(again, lines);
  ASSERT_TRUE(w.close());
  EXPECT_EQ(ProfileFile(settings + "vornexpl.ini").ReadString("Reading", "AnalysisCache", ""), "0");
}

// The number of files read at a time, set in the common settings as the user sets it: taken by
// the next load at once, kept for the next run, and a hand-edited value out of range told and
// replaced by the default. The logs read with any number are the same.
TEST_F(LogLoadingTest, TheFilesReadAtATimeAreSetInTheCommonSettings) {
  const std::string nextDay = NextDayLog();
  auto setThreads = [&](TVornExplMain& w, const QString& value) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      QWidget* form = QApplication::activeModalWidget();
      ASSERT_NE(form, nullptr);
      auto* edit = form->findChild<QLineEdit*>(QStringLiteral("EDReadThreads"));
      ASSERT_NE(edit, nullptr);
      EXPECT_EQ(edit->text(), QString::number(w.Session().Threads == DefaultReadThreads(8)
                                                  ? w.CommonIni().ReadThreads
                                                  : w.Session().Threads));
      edit->setText(value);
      EXPECT_TRUE(test::SaveScreenshot(*form, QStringLiteral("common-settings-threads.png")));
      form->findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
      seen = true;
    });
    w.Command("MenuCommonSet")->trigger();
    ASSERT_TRUE(seen);
  };
  std::vector<std::string> lines;
  {
    TVornExplMain& w = Start();
    EXPECT_EQ(w.Session().Threads, DefaultReadThreads(8));
    setThreads(w, QStringLiteral("3"));
    EXPECT_EQ(w.Session().Threads, 3);
    ASSERT_TRUE(w.LoadLogFiles({sample, nextDay}, "NET", false));
    for (int32_t i = 0; i < w.Session().LogList.Count(); ++i)
      lines.push_back(w.Session().LogList.GetLine(i));
    // Out of range: the number stays.
    setThreads(w, QStringLiteral("65"));
    EXPECT_EQ(w.Session().Threads, 3);
    ASSERT_TRUE(w.close());
  }
  {
    TVornExplMain& w = Start();
    EXPECT_EQ(w.Session().Threads, 3);
    setThreads(w, QStringLiteral("1"));
    ASSERT_TRUE(w.LoadLogFiles({sample, nextDay}, "NET", false));
    std::vector<std::string> again;
    for (int32_t i = 0; i < w.Session().LogList.Count(); ++i)
      again.push_back(w.Session().LogList.GetLine(i));
    EXPECT_EQ(again, lines);
    ASSERT_TRUE(w.close());
  }
  ProfileFile ini(settings + "vornexpl.ini");
  EXPECT_EQ(ini.ReadString("Reading", "ReadThreads", ""), "1");
  ASSERT_TRUE(ini.WriteString("Reading", "ReadThreads", "-2"));
  ui.entries.clear();
  TVornExplMain& w = Start();
  w.show();
  QTest::qWait(50);
  EXPECT_EQ(w.Session().Threads, DefaultReadThreads(8));
  const std::vector<std::string> warnings = Texts(Kind::Warning);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("[Reading] ReadThreads=-2"), std::string::npos);
}

// Memory running out while a log is added (the address space of the process is limited, as a
// user's session limit does it): the window lives on with one message, and what was loaded
// before is shown and kept, with the write read back from the UP file and the one made in this
// run, which the end of the run still writes. Run in a child process of its own, since the limit
// holds for the whole process.
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(LogLoadingTest, MemoryRunningOutInAnAddKeepsWhatWasLoadedAndThePendingWrite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto addUnderALimit = [this] {
    std::vector<std::string> failed;
    auto check = [&failed](bool ok, const char* what) {
      if (!ok) failed.push_back(what);
    };
    // A reply the last run left in the UP file, read back by the fresh load.
    test::WriteBytes(settings + "NET.UP", "\\1\r\nWPending reply\r\nStill here\r\n.\r\n");
    TVornExplMain& w = Start();
    w.show();
    ui.Script(UiAnswer::Yes);  // read the UP file back
    w.DropFiles({sample});
    auto pendingWrites = [&w] {
      int count = 0;
      const TBoardList& boards = w.CurrentAnalyser()->Boards;
      for (int32_t b = 0; b < boards.Count(); ++b) {
        const TArticleList* list = boards.GetArticles(b);
        for (int32_t p = 0; list && p < list->OrderCount(0); ++p)
          count += list->GetTitle(0, p) == "Pending reply";
      }
      return count;
    };
    check(w.Session().CurrentPrefix == "NET", "the sample was loaded");
    check(pendingWrites() == 1, "the pending write was read back");
    // And one written in this run, which only the end of the run puts into the UP file.
    test::FakeEditor editor(dir);
    w.CommonIni().TempFile = dir.File("vorntemp.txt");
    w.CommonIni().Editer = editor.Command("append", test::CrLf({"Written today"}));
    w.BoardView().SelectBoardInList(1);
    w.BoardList().setFocus();
    QTest::keyClick(&w.BoardList(), Qt::Key_W);
    const int32_t lines = w.LogList().Count();
    const std::vector<std::string> boardLines = BoardLines();

    // A capture of a gigabyte without a line end; sparse, so it costs no disk.
    const std::string huge = dir.File("NET19990731.LOG");
    { std::ofstream create(huge); }
    check(::truncate(huge.c_str(), off_t{1} << 30) == 0, "the big file was made");
    ui.entries.clear();
    rlimit before{};
    ::getrlimit(RLIMIT_AS, &before);
    rlimit limited = before;
    limited.rlim_cur = test::AddressSpaceInUse() + (rlim_t{96} << 20);
    check(::setrlimit(RLIMIT_AS, &limited) == 0, "the limit was set");
    dialogs->fileAnswers.push_back({huge});
    w.Command("MenuOpenAdd")->trigger();
    ::setrlimit(RLIMIT_AS, &before);

    check(ui.entries.size() == 1 && ui.entries[0].kind == Kind::Warning &&
              ui.entries[0].text.rfind(J("ログ読込み中にメモリ不足が発生しました\r"), 0) == 0,
          "one message tells of the memory");
    check(w.Session().LogFileNames == std::vector<std::string>{sample}, "the files are as before");
    check(w.LogList().Count() == lines, "the lines are as before");
    check(w.Session().CurrentPrefix == "NET", "the set is still loaded");
    check(BoardLines() == boardLines, "the board list is shown again");
    check(w.BoardView().CurrentBoard() >= 0, "a board is shown");
    check(pendingWrites() == 1, "the pending write is kept");
    check(!w.Loading(), "the load has ended");
    // Ending the run asks about the UP file and writes both writes into it.
    ui.entries.clear();
    ui.Script(UiAnswer::Yes);
    w.close();
    std::vector<std::string> up;
    ReadClassicTextFile(settings + "NET.UP", up);
    check(std::count(up.begin(), up.end(), "Still here") == 1, "the UP file keeps the old write");
    check(std::count(up.begin(), up.end(), "Written today") == 1,
          "the UP file holds the new write");
    for (const std::string& f : failed)
      std::cerr << "not so: " << f << "\n";
    std::cerr << (failed.empty() ? "all held\n" : "");
    std::cerr.flush();
    std::_Exit(failed.empty() ? 0 : 1);
  };
  EXPECT_EXIT(addUnderALimit(), ::testing::ExitedWithCode(0), "all held");
}
#endif

}  // namespace
}  // namespace vorn
