// The reading aids in the main window, driven by their keys, menus, the grid's pop-up, clicks
// and the filter bar on both sample captures: what the grid shows, what the status bar says and
// what is written to the settings folder. Pictures go to VORN_SCREENSHOT_DIR when it is set.
#include "reader/ThreadCommands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
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
#include "reader/VornExplorerMain.h"
#include "reader/WriterListForm.h"
#include "store/ArticleList.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

// Grid texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace vorn {
namespace {

namespace fs = std::filesystem;
using Kind = RecordingUiServices::Kind;

class ThreadReadingTest : public test::SampleWindowTest {
 protected:
  // Every row as vornexpl-cli prints it.
  Rows Lines() const {
    Rows rows;
    for (int r = 0; r < Grid().model()->rowCount(); ++r) {
      if (Cell(r, 0).isEmpty() && Cell(r, 2).isEmpty()) continue;
      rows.push_back(Cell(r, 0) + '\t' + Cell(r, 1) + '\t' + Cell(r, 2));
    }
    return rows;
  }
  // Text typed into a control one character at a time, as the keyboard delivers it.
  static void TypeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QCoreApplication::sendEvent(widget, &press);
      QCoreApplication::sendEvent(widget, &release);
    }
    QCoreApplication::processEvents();
  }
  QLabel* FilterStatus() const {
    return window->findChild<QLabel*>(QStringLiteral("FilterStatusPanel"));
  }
};

TEST_F(ThreadReadingTest, ThreadsCollapseAndExpandByKeysMenusPopUpAndClicks) {
  Open(kNetVorn, 1);
  ASSERT_EQ(Numbers(), (Rows{"<101>", "└<102>", "　└<103>", "-95-", "└<104>"}));
  ASSERT_EQ(CurrentNumber(), "<101>");

  // C folds the thread of the current article; its first row counts what it holds.
  Type(Qt::Key_C);
  EXPECT_EQ(Numbers(), (Rows{"＋<101>", "-95-", "└<104>"}));
  EXPECT_TRUE(
      Cell(0, TArticleGridModel::ColumnTitle).endsWith(QStringLiteral("（レス2件・未読2件）")));
  Shot("thread-collapsed.png");
  Type(Qt::Key_C);
  EXPECT_EQ(Numbers().size(), 5u);

  // Everything folded; the thread under the placeholder holds one reply, nothing to fold.
  Type(Qt::Key_Backslash);
  EXPECT_EQ(Numbers(), (Rows{"＋<101>", "-95-", "└<104>"}));
  Type(Qt::Key_Asterisk, Qt::ShiftModifier);
  EXPECT_EQ(Numbers().size(), 5u);
  Trigger("MenuCollapseAll");
  EXPECT_EQ(Numbers().size(), 3u);
  Trigger("MenuExpandAll");
  EXPECT_EQ(Numbers().size(), 5u);

  // A click on the tree's lines of a reply folds its thread, on the mark opens it again.
  const QRect line = Grid().visualRect(Grid().model()->index(2, TArticleGridModel::ColumnNumber));
  QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier,
                    line.topLeft() + QPoint(6, 4));
  EXPECT_EQ(Numbers(), (Rows{"＋<101>", "-95-", "└<104>"}));
  const QRect mark = Grid().visualRect(Grid().model()->index(0, TArticleGridModel::ColumnNumber));
  QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier,
                    mark.topLeft() + QPoint(6, 4));
  EXPECT_EQ(Numbers().size(), 5u);
  EXPECT_EQ(CurrentNumber(), "<101>") << "a click on the lines does not move the cursor";

  // Space reaches the unread articles inside folded threads, opening them.
  Trigger("MenuCollapseAll");
  Type(Qt::Key_Space);
  EXPECT_EQ(CurrentNumber(), "└<102>");
  EXPECT_EQ(Numbers(), (Rows{"<101>", "└<102>", "　└<103>", "-95-", "└<104>"}));
  Type(Qt::Key_Space);
  Type(Qt::Key_Space);
  EXPECT_EQ(CurrentNumber(), "└<104>");
  EXPECT_EQ(Numbers(), (Rows{"<101>", "└<102>", "　└<103>", "-95-", "└<104>"}));

  // The grid's pop-up, on the current article.
  Click("<101>");
  Trigger("GMenuThreadToggle");
  EXPECT_EQ(Numbers(), (Rows{"＋<101>", "-95-", "└<104>"}));
  EXPECT_EQ(CurrentNumber(), "＋<101>");

  // Posting order has no threads to fold.
  Trigger("MenuNormal");
  Type(Qt::Key_C);
  EXPECT_EQ(Numbers().size(), 4u);
  EXPECT_EQ(window->StatusText(0), QStringLiteral("スレッドの開閉はツリー順の表示で使えます"));
}

TEST_F(ThreadReadingTest, ThreadsCollapseOnTheNiftyServeSample) {
  Open(kNifty, 2);
  ASSERT_EQ(Numbers(), (Rows{"<85>", "└<87>", "-42-", "└<86>"}));
  Trigger("GMenuCollapseAll");
  EXPECT_EQ(Numbers(), (Rows{"＋<85>", "-42-", "└<86>"}));
  EXPECT_TRUE(Cell(0, 2).endsWith(QStringLiteral("（レス1件・未読1件）")));
  Trigger("GMenuExpandAll");
  EXPECT_EQ(Numbers().size(), 4u);
}

// The filter bar's rows against vornexpl-cli's on both samples.
TEST_F(ThreadReadingTest, TheQuickFilterShowsWhatTheToolPrintsAndEscapeClearsIt) {
  struct Case {
    const char* sample;
    int32_t board;
    const char* text;
    bool regExp;
    bool fuzzy;
  };
  for (const Case& c :
       {Case{kNetVorn, 1, "はじめ", false, false}, Case{kNetVorn, 1, "2048", false, false},
        Case{kNetVorn, 1, "^Re: [^R]", true, false}, Case{kNifty, 1, "cpu", false, true},
        Case{kNifty, 1, "ABC0123[0-9]|GHI", true, false}}) {
    SCOPED_TRACE(c.text);
    Open(c.sample, c.board);
    const Rows all = Lines();
    TQuickFilterBar& bar = window->QuickFilterBar();
    // Ctrl+Shift+F puts the cursor into the bar; the text is typed there.
    Type(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(bar.TextEdit()->hasFocus());
    window->findChild<QCheckBox*>(QStringLiteral("CBQuickFilterRegExp"))->setChecked(c.regExp);
    window->findChild<QCheckBox*>(QStringLiteral("CBQuickFilterFuzzy"))->setChecked(c.fuzzy);
    TypeText(bar.TextEdit(), QString::fromUtf8(c.text));

    QStringList args{"--settings-dir",
                     QString::fromStdString(settings),
                     "articles",
                     "--board",
                     QString::number(c.board),
                     "--filter",
                     QString::fromUtf8(c.text)};
    if (c.regExp) args << "--regex";
    if (c.fuzzy) args << "--fuzzy";
    args << QString::fromStdString(dir.File(c.sample));
    QProcess cli;
    cli.start(QStringLiteral(VORNEXPL_CLI), args);
    ASSERT_TRUE(cli.waitForFinished(20000));
    const Rows printed = [&] {
      Rows rows;
      for (const QString& line : QString::fromUtf8(cli.readAllStandardOutput()).split('\n'))
        if (!line.isEmpty()) rows.push_back(line);
      return rows;
    }();
    EXPECT_EQ(Lines(), printed);
    EXPECT_LT(printed.size(), all.size());
    ASSERT_NE(FilterStatus(), nullptr);
    EXPECT_TRUE(FilterStatus()->isVisible());
    const int total = c.sample == kNetVorn ? 4 : 4;
    EXPECT_EQ(FilterStatus()->text(),
              QStringLiteral("%1件中%2件を表示").arg(total).arg(printed.size()));
    if (c.text == std::string("はじめ")) Shot("quick-filter.png");

    // Escape in the bar clears it and reading goes on in the grid.
    Type(Qt::Key_Escape);
    EXPECT_TRUE(bar.Empty());
    EXPECT_TRUE(Grid().hasFocus());
    EXPECT_EQ(Lines(), all);
    EXPECT_FALSE(FilterStatus()->isVisible());
  }
  // "/" in the grid goes to the bar too; a refused pattern filters nothing and says why.
  Type(Qt::Key_Slash);
  TQuickFilterBar& bar = window->QuickFilterBar();
  ASSERT_TRUE(bar.TextEdit()->hasFocus());
  window->findChild<QCheckBox*>(QStringLiteral("CBQuickFilterRegExp"))->setChecked(true);
  TypeText(bar.TextEdit(), QStringLiteral("(Re"));
  EXPECT_EQ(Numbers().size(), 4u);
  EXPECT_FALSE(window->StatusText(0).isEmpty());
}

TEST_F(ThreadReadingTest, CatchUpMarksAThreadOrTheBoardReadAndTheBoardListCountsUnread) {
  Open(kNetVorn, 1);
  auto line = [&](int board) { return window->BoardList().itemText(board); };
  // The first article was read on opening the board.
  EXPECT_TRUE(line(1).startsWith(QStringLiteral("--(   4)[未読   3]"))) << line(1).toStdString();
  Type(Qt::Key_R);
  const TArticleList& board = *window->CurrentAnalyser()->Boards.GetArticles(1);
  for (int32_t p = 0; p < 3; ++p)
    EXPECT_EQ(board.GetReadFlag(ArticleSortTree, p), 1);
  EXPECT_EQ(board.GetReadFlag(ArticleSortTree, 4), 0);
  EXPECT_TRUE(line(1).startsWith(QStringLiteral("--(   4)[未読   1]")));
  EXPECT_EQ(window->StatusText(0), QStringLiteral("スレッドの2件を既読にしました"));
  Shot("catch-up-thread.png");

  // The board, after asking.
  ChooseBoard(2);
  ui.Script(UiAnswer::No);
  Type(Qt::Key_R, Qt::ShiftModifier);
  EXPECT_TRUE(line(2).startsWith(QStringLiteral("--(   2)[未読   1]")));
  ui.Script(UiAnswer::Yes);
  Trigger("MenuBoardRead");
  EXPECT_TRUE(line(2).startsWith(QStringLiteral("--(   2)[未読   0]")));
  EXPECT_EQ(Messages(Kind::ConfirmYesNo).size(), 2u);
  // And a thread from the menu and the pop-up.
  ChooseBoard(0);
  Trigger("GMenuThreadRead");
  Trigger("MenuThreadRead");
  EXPECT_TRUE(line(0).startsWith(QStringLiteral("--(   2)[未読   1]")));
}

TEST_F(ThreadReadingTest, FlagsShowInTheirColumnFilterTheGridAndComeBackNextRun) {
  Open(kNetVorn, 1);
  Click("<103>");
  Type(Qt::Key_T);
  EXPECT_EQ(Cell(2, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  EXPECT_EQ(Cell(1, TArticleGridModel::ColumnFlag), QString());
  const std::string file = settings + "NET.FLG";
  EXPECT_EQ(test::ReadBytes(file),
            "VornExplorer FlagFile Ver.0.01\r\n\\1\r\n" + ArticleLine(103, 13, 2) + "\r\n");
  // The pop-up and the menu flag too; the mail box keeps its mails by time, writer and title.
  Click("<101>");
  Trigger("GMenuFlag");
  ChooseBoard(0);
  Trigger("MenuFlag");
  Shot("flags.png");

  // Only flagged articles: Shift+T and the menu's check mark.
  ChooseBoard(1);
  Type(Qt::Key_T, Qt::ShiftModifier);
  EXPECT_TRUE(window->Commands().IsChecked("MenuFlaggedOnly"));
  EXPECT_EQ(Numbers(), (Rows{"<101>", "　└<103>"}));
  EXPECT_EQ(FilterStatus()->text(), QStringLiteral("4件中2件を表示"));
  Shot("flagged-only.png");
  Trigger("MenuFlaggedOnly");
  EXPECT_EQ(Numbers().size(), 5u);

  // The next run (another window on the same settings) finds them again.
  Open(kNetVorn, 1);
  EXPECT_EQ(Cell(0, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  EXPECT_EQ(Cell(2, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  ChooseBoard(0);
  EXPECT_EQ(Cell(0, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  // Taking a flag off writes the file again. (What was read in the first run, which did not
  // end, is read again: its journal brought the marks back, so the flagged mail is picked.)
  QTest::mouseClick(
      Grid().viewport(), Qt::LeftButton, Qt::NoModifier,
      Grid().visualRect(Grid().model()->index(0, TArticleGridModel::ColumnTitle)).center());
  Trigger("MenuFlag");
  ChooseBoard(1);
  Click("[101]");
  Type(Qt::Key_T);
  EXPECT_EQ(test::ReadBytes(file),
            "VornExplorer FlagFile Ver.0.01\r\n\\1\r\n" + ArticleLine(103, 13, 2) + "\r\n");
}

TEST_F(ThreadReadingTest, WatchedAndIgnoredWritersFromThePopUpAndTheDialog) {
  Open(kNetVorn, 1);
  // はなこ (2048) wrote <102>: ignored from the pop-up, greyed.
  Click("└<102>");
  window->Commands().GridPopup()->aboutToShow();
  QAction* ignore = window->Command("GMenuIgnoreWriter");
  ASSERT_TRUE(ignore->isEnabled());
  EXPECT_FALSE(ignore->isChecked());
  ignore->trigger();
  EXPECT_EQ(test::ReadBytes(settings + "NET.WRL"),
            "VornExplorer WriterListFile Ver.0.01\r\nIgnore,\"2048\"\r\n");
  Click("<101>");
  EXPECT_EQ(Grid().StateColor(1), Grid().IgnoredArticleColor);
  // たろう (1024) watched: highlighted rows.
  window->Commands().GridPopup()->aboutToShow();
  window->Command("GMenuWatchWriter")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(Grid().model()->index(2, 2).data(Qt::BackgroundRole).value<QColor>(),
            window->ThreadCommands().WatchedColor());
  EXPECT_FALSE(Grid().model()->index(3, 2).data(Qt::BackgroundRole).isValid());
  Shot("writers-greyed.png");

  // The dialog: ignored writers hidden instead of greyed, and じろう (3072) watched by typing the
  // ID.
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* form = qobject_cast<TWriterListForm*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    seen = true;
    EXPECT_EQ(form->findChild<QListWidget*>(QStringLiteral("LBWatched"))->item(0)->text(),
              QStringLiteral("1024:たろう"));
    EXPECT_EQ(form->findChild<QListWidget*>(QStringLiteral("LBIgnored"))->item(0)->text(),
              QStringLiteral("2048:はなこ"));
    auto* id = form->findChild<QLineEdit*>(QStringLiteral("EDWriterId"));
    id->setText(QStringLiteral("abc"));
    form->findChild<QPushButton*>(QStringLiteral("BTNWatch"))->click();
    id->setText(QStringLiteral("3072"));
    form->findChild<QPushButton*>(QStringLiteral("BTNWatch"))->click();
    form->findChild<QCheckBox*>(QStringLiteral("CBHideIgnored"))->setChecked(true);
    EXPECT_TRUE(test::SaveScreenshot(*form, QStringLiteral("writers-dialog.png")));
    form->findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
  });
  Trigger("MenuWriterList");
  EXPECT_TRUE(seen);
  EXPECT_EQ(Messages(Kind::Warning), (std::vector<std::string>{test::J("IDが数値ではありません")}));
  EXPECT_EQ(Numbers(), (Rows{"<101>", "　└<103>", "-95-", "└<104>"}));
  EXPECT_EQ(test::ReadBytes(settings + "NET.WRL"),
            "VornExplorer WriterListFile Ver.0.01\r\nWatch,\"1024\"\r\nWatch,\"3072\"\r\n"
            "Ignore,\"2048\"\r\n");
  EXPECT_NE(test::ReadBytes(settings + "vornexpl.ini").find("[ThreadView]\r\nHideIgnored=1"),
            std::string::npos);
  Shot("writers-hidden.png");
  // Nothing was deleted: taking the writer off the list shows the article again.
  window->Commands().GridPopup()->aboutToShow();
  Click("<101>");
  EXPECT_EQ(window->CurrentAnalyser()->Boards.GetArticles(1)->OrderCount(ArticleSortTree), 5);
}

TEST_F(ThreadReadingTest, IgnoredWritersOfTheNiftyServeSampleByTheirTextIds) {
  Open(kNifty, 1);
  Click("<211>");
  window->Commands().GridPopup()->aboutToShow();
  window->Command("GMenuIgnoreWriter")->trigger();
  EXPECT_EQ(test::ReadBytes(settings + "NIF.WRL"),
            "VornExplorer WriterListFile Ver.0.01\r\nIgnore,\"DEF54321\"\r\n");
  EXPECT_EQ(Grid().StateColor(2), Grid().IgnoredArticleColor) << "<213> by the same writer";
  // Taken off again from the pop-up.
  window->Commands().GridPopup()->aboutToShow();
  EXPECT_TRUE(window->Command("GMenuIgnoreWriter")->isChecked());
  window->Command("GMenuIgnoreWriter")->trigger();
  EXPECT_FALSE(fs::exists(settings + "NIF.WRL"));
}

TEST_F(ThreadReadingTest, DamagedFlagAndWriterFilesLoadWithoutAnErrorAndKeepTheirEntries) {
  const std::string damaged = "VornExplorer FlagFile Ver.0.0\r\n" + ArticleLine(102, 12, 40) +
                              "\r\n\\1\r\n" + ArticleLine(101, 12, 34) + "\r\n12/\r\n\x81\r\n" +
                              ArticleLine(104, 13, 10) + "\r\n\\";
  test::WriteBytes(settings + "NET.FLG", damaged);
  test::WriteBytes(settings + "NET.WRL",
                   "VornExplorer WriterListFile\r\nIgnore,\"\r\nWatch,\"4096\"\r\nIgnore\r\n");
  Open(kNetVorn, 1);
  EXPECT_TRUE(Messages(Kind::Warning).empty());
  EXPECT_EQ(Cell(0, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  EXPECT_EQ(Cell(1, TArticleGridModel::ColumnFlag), QString()) << "its line came before a board";
  EXPECT_EQ(Cell(4, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  EXPECT_EQ(Grid().model()->index(4, 2).data(Qt::BackgroundRole).value<QColor>(),
            window->ThreadCommands().WatchedColor());
  // The next change writes the good entries back whole.
  Click("<103>");
  Type(Qt::Key_T);
  EXPECT_EQ(test::ReadBytes(settings + "NET.FLG"),
            "VornExplorer FlagFile Ver.0.01\r\n\\1\r\n" + ArticleLine(101, 12, 34) + "\r\n" +
                ArticleLine(103, 13, 2) + "\r\n" + ArticleLine(104, 13, 10) + "\r\n");
  // What was not understood of it is kept beside it, and the user told where.
  EXPECT_EQ(test::ReadBytes(settings + "NET.FLG.bak"), damaged);
  const std::vector<std::string> warnings = Messages(Kind::Warning);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(settings + "NET.FLG.bak"), std::string::npos);
}

}  // namespace
}  // namespace vorn
