// What readers of mutt, slrn and Thunderbird expect of threads, in the main window on the
// samples: watching and ignoring a thread or a writer by keys, the ignored taken as read (the
// kill file), catch-up from the board list, an article or thread unread again, unread articles
// only, collapsed threads in the next run, and queued mail in the grid as the log's rows.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "reader/ArticleGrid.h"
#include "reader/ArticleGridModel.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/QuickFilterBar.h"
#include "reader/SampleWindowTest.h"
#include "reader/SelectList.h"
#include "reader/ThreadCommands.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

class ThreadMarksTest : public test::SampleWindowTest {
 protected:
  bool Watched(int row) const {
    return Grid().model()->index(row, 2).data(Qt::BackgroundRole).value<QColor>() ==
           window->ThreadCommands().WatchedColor();
  }
  bool Greyed(int row) const { return Grid().StateColor(row) == Grid().IgnoredArticleColor; }
  QString BoardLine(int board) const { return window->BoardList().itemText(board); }
  TArticleList& Board(int32_t index) const {
    return *window->CurrentAnalyser()->Boards.GetArticles(index);
  }
  // The next run: this one ends as the user ends it, and the sample is opened again.
  void NextRun(int32_t board) {
    EndRun();
    Open(kNetVorn, board);
  }
};

TEST_F(ThreadMarksTest, ThreadsAndWritersAreWatchedAndIgnoredByKeysAndKeptInTheSetsFiles) {
  Open(kNetVorn, 1);
  ASSERT_EQ(Numbers(), (Rows{"<101>", "└<102>", "　└<103>", "-95-", "└<104>"}));
  // H watches the thread of the article read: every row of it.
  Type(Qt::Key_H);
  EXPECT_TRUE(Watched(0) && Watched(1) && Watched(2));
  EXPECT_FALSE(Watched(4));
  // X on the reply under the placeholder ignores that thread: greyed, not hidden.
  Click("└<104>");
  Type(Qt::Key_X);
  Click("<101>");
  EXPECT_TRUE(Greyed(RowOf("└<104>")));
  EXPECT_EQ(test::ReadBytes(settings + "NET.THR"),
            "VornExplorer ThreadListFile Ver.0.01\r\n\\1\r\nWatch," + ArticleLine(101, 12, 34) +
                "\r\nIgnore,95/-\r\n");
  // The menus show the marks of the current article's thread.
  window->Commands().Menu("ThreadMenu")->aboutToShow();
  EXPECT_TRUE(window->Command("MenuWatchThread")->isChecked());
  EXPECT_FALSE(window->Command("MenuIgnoreThread")->isChecked());
  Shot("thread-watched.png");

  // Shift+H and Shift+X mark the writer: はなこ (2048) of <102> watched, then ignored.
  Click("└<102>");
  Type(Qt::Key_H, Qt::ShiftModifier);
  EXPECT_EQ(test::ReadBytes(settings + "NET.WRL"),
            "VornExplorer WriterListFile Ver.0.01\r\nWatch,\"2048\"\r\n");
  Type(Qt::Key_X, Qt::ShiftModifier);
  EXPECT_EQ(test::ReadBytes(settings + "NET.WRL"),
            "VornExplorer WriterListFile Ver.0.01\r\nIgnore,\"2048\"\r\n");
  Click("<101>");
  EXPECT_TRUE(Greyed(1)) << "an ignored writer in a watched thread is ignored";
  // Shift+X again takes the writer off the list.
  Click("└<102>");
  Type(Qt::Key_X, Qt::ShiftModifier);
  EXPECT_FALSE(fs::exists(settings + "NET.WRL"));

  // The next run finds the threads as they were left; H again takes the mark off.
  NextRun(1);
  EXPECT_TRUE(Watched(0));
  EXPECT_TRUE(Greyed(RowOf("└<104>")));
  Click("<101>");
  Type(Qt::Key_H);
  EXPECT_FALSE(Watched(2));
  EXPECT_EQ(test::ReadBytes(settings + "NET.THR"),
            "VornExplorer ThreadListFile Ver.0.01\r\n\\1\r\nIgnore,95/-\r\n");
}

// The kill file of slrn and tin: with the setting on, what is ignored counts as read.
TEST_F(ThreadMarksTest, WithTheSettingTheIgnoredAreTakenAsReadAndSpacePassesThemOver) {
  Open(kNetVorn, 1);
  EXPECT_TRUE(BoardLine(1).startsWith(QStringLiteral("--(   4)[未読   3]")));
  // はなこ (2048) ignored before the setting: greyed, still unread.
  Click("└<102>");
  Type(Qt::Key_X, Qt::ShiftModifier);
  Click("<101>");
  Board(1).SetReadFlag(ArticleSortTree, 1, 0, false);
  // The common settings dialog, as the user sets it.
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* form = QApplication::activeModalWidget();
    ASSERT_NE(form, nullptr);
    auto* box = form->findChild<QCheckBox*>(QStringLiteral("CBKeyIgnoredAsRead"));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    QTabWidget* pages = form->findChild<QTabWidget*>();
    pages->setCurrentIndex(pages->count() - 1);
    EXPECT_TRUE(test::SaveScreenshot(*form, QStringLiteral("common-settings-keys.png")));
    form->findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
    seen = true;
  });
  window->Command("MenuCommonSet")->trigger();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(window->CommonIni().IgnoredAsRead);
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 1), 1);
  EXPECT_TRUE(BoardLine(1).startsWith(QStringLiteral("--(   4)[未読   2]")))
      << BoardLine(1).toStdString();
  EXPECT_TRUE(window->StatusText(0).startsWith(QStringLiteral("無視した記事")));

  // Ignoring a thread now takes its articles as read at once; Space never stops at them.
  Click("└<104>");
  Board(1).SetReadFlag(ArticleSortTree, 4, 0, false);
  Type(Qt::Key_X);
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 4), 1);
  Click("<101>");
  Type(Qt::Key_Space);
  EXPECT_EQ(CurrentNumber(), "　└<103>");
  Type(Qt::Key_Space);
  EXPECT_NE(window->BoardView().CurrentBoard(), 1) << "nothing unread left that is not ignored";

  // The next run reads the setting and takes the ignored as read when it loads: <102> is left
  // unread (U works on anything) for it to find.
  ChooseBoard(1);
  Click("└<102>");
  Type(Qt::Key_U);
  ASSERT_EQ(Board(1).GetReadFlag(ArticleSortTree, 1), 0);
  NextRun(1);
  EXPECT_NE(test::ReadBytes(settings + "vornexpl.ini").find("[Reading]\r\nIgnoredAsRead=1"),
            std::string::npos);
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 1), 1);
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 4), 1);
}

TEST_F(ThreadMarksTest, CatchUpFromTheBoardListAndUnreadAgain) {
  Open(kNetVorn, 1);
  // Shift+R in the board list on a board chosen there, not the board shown, after asking.
  TSelectList& list = window->BoardList();
  list.setCurrentIndex(2);
  ui.Script(UiAnswer::Yes);
  QTest::keyClick(&list, Qt::Key_R, Qt::ShiftModifier);
  QCoreApplication::processEvents();
  EXPECT_TRUE(BoardLine(2).startsWith(QStringLiteral("--(   2)[未読   0]")));
  EXPECT_TRUE(BoardLine(1).startsWith(QStringLiteral("--(   4)[未読   3]")));
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(window->StatusText(0), QStringLiteral("ボードの2件を既読にしました"));
  list.hidePopup();

  // U makes the article read unread again; Shift+U its whole thread.
  Click("　└<103>");
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 2), 1);
  EXPECT_TRUE(BoardLine(1).startsWith(QStringLiteral("--(   4)[未読   2]")));
  Type(Qt::Key_U);
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 2), 0);
  EXPECT_TRUE(BoardLine(1).startsWith(QStringLiteral("--(   4)[未読   3]")));
  Click("<101>");
  Type(Qt::Key_U, Qt::ShiftModifier);
  EXPECT_TRUE(BoardLine(1).startsWith(QStringLiteral("--(   4)[未読   4]")));
  // Space reads them again in order.
  Type(Qt::Key_Space);
  EXPECT_EQ(CurrentNumber(), "└<102>");
  // The thread menu does what U does.
  Click("└<104>");
  window->Command("MenuArticleUnread")->trigger();
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortTree, 4), 0);
}

TEST_F(ThreadMarksTest, UnreadOnlyAndCollapsedThreadsOfTheNextRun) {
  Open(kNetVorn, 1);
  // L, the menu item and the bar's switch are one switch.
  Type(Qt::Key_L);
  EXPECT_EQ(Numbers(), (Rows{"└<102>", "　└<103>", "└<104>"}));
  EXPECT_TRUE(window->Commands().IsChecked("MenuUnreadOnly"));
  auto* box = window->findChild<QCheckBox*>(QStringLiteral("CBQuickFilterUnread"));
  EXPECT_TRUE(box->isChecked());
  // Reading keeps the rows; showing the board again leaves out what was read.
  Type(Qt::Key_Space);
  const QString read = CurrentNumber();
  EXPECT_EQ(Numbers().size(), 3u);
  ChooseBoard(1);
  const Rows unread = Numbers();
  EXPECT_EQ(unread.size(), 2u);
  EXPECT_EQ(std::count(unread.begin(), unread.end(), read), 0) << read.toStdString();
  Shot("unread-only.png");
  box->setChecked(false);
  EXPECT_EQ(Numbers().size(), 5u);
  EXPECT_FALSE(window->Commands().IsChecked("MenuUnreadOnly"));

  // Collapsed threads are kept as the flags are, and come back in the next run.
  Click("<101>");
  Type(Qt::Key_C);
  ASSERT_EQ(Numbers(), (Rows{"＋<101>", "-95-", "└<104>"}));
  EXPECT_EQ(test::ReadBytes(settings + "NET.THR"),
            "VornExplorer ThreadListFile Ver.0.01\r\n\\1\r\n"
            "Collapse," +
                ArticleLine(101, 12, 34) + "\r\n");
  ChooseBoard(2);
  Type(Qt::Key_Backslash);
  NextRun(1);
  // (Read in the last run: no longer new, in square brackets.)
  EXPECT_EQ(Numbers(), (Rows{"＋[101]", "-95-", "└<104>"}));
  // A thread without replies gets no mark when everything is collapsed.
  Type(Qt::Key_Backslash);
  for (int r = 0; r < Grid().model()->rowCount(); ++r) {
    EXPECT_FALSE(Cell(r, TArticleGridModel::ColumnTitle).contains(QStringLiteral("（レス0件")))
        << Cell(r, 2).toStdString();
  }
  EXPECT_NE(test::ReadBytes(settings + "NET.THR").find("\\2\r\nCollapseAll\r\n"),
            std::string::npos);
}

TEST_F(ThreadMarksTest, AQueuedMailShowsItsRecipientAsTheLogsRowsShowAWriter) {
  test::WriteBytes(settings + "NET.UP", "MW\r\n1024\r\n\r\n\r\nhello\r\nbody\r\n.\r\n");
  ui.Script(UiAnswer::Yes);
  Open(kNetVorn, 0);
  int row = -1;
  for (int r = 0; r < Grid().model()->rowCount(); ++r) {
    if (Cell(r, TArticleGridModel::ColumnNumber) == QStringLiteral("[書込]")) row = r;
  }
  ASSERT_GE(row, 0);
  EXPECT_EQ(Cell(row, TArticleGridModel::ColumnWriter), QStringLiteral("1024:たろう"));
  Shot("queued-mail.png");
}

}  // namespace
}  // namespace vorn
