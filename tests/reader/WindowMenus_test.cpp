// The main window's menus and pop-up as a user meets them: the grid's pop-up on the row clicked
// and from the keyboard, mnemonics that teach the grid's letters, the write menu's letters,
// Ctrl+Q, the radio items, the recent logs, the file commands during a load, the filter bar
// beside the view, and the order of the first boxes. Pictures go to VORN_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVornLogGenerator.h"
#include "platform/AppPaths.h"
#include "reader/ArticleGrid.h"
#include "reader/ArticleGridModel.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/QuickFilterBar.h"
#include "reader/SampleWindowTest.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "readerlogic/WindowPlacement.h"
#include "settings/CommonIniFile.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using Kind = RecordingUiServices::Kind;

class WindowMenusTest : public test::SampleWindowTest {
 protected:
  // A right click on a row as the platform delivers it: the press, then the context menu.
  void RightClick(int row) {
    const QPoint point =
        Grid().visualRect(Grid().model()->index(row, TArticleGridModel::ColumnTitle)).center();
    QTest::mousePress(Grid().viewport(), Qt::RightButton, Qt::NoModifier, point);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, point, Grid().viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(Grid().viewport(), &menu);
    QTest::mouseRelease(Grid().viewport(), Qt::RightButton, Qt::NoModifier, point);
    QCoreApplication::processEvents();
  }
  QMenu& Popup() const { return *window->Commands().GridPopup(); }
};

// The pop-up acted on the current row: right-click <102>, ignore its writer, and the writer of
// the row read before was ignored.
TEST_F(WindowMenusTest, ThePopUpActsOnTheRowRightClickedAndOpensFromTheKeyboard) {
  Start(kNetVorn);
  ChooseBoard(1);
  ASSERT_EQ(CurrentNumber(), "<101>");
  RightClick(RowOf("<102>"));
  EXPECT_EQ(CurrentNumber(), "└<102>");
  ASSERT_TRUE(Popup().isVisible());
  Shot("grid-popup.png", &Popup());
  window->Command("GMenuIgnoreWriter")->trigger();
  Popup().hide();
  // はなこ (2048) wrote <102>; たろう (1024) wrote <101>.
  EXPECT_EQ(test::ReadBytes(settings + "NET.WRL"),
            "VornExplorer WriterListFile Ver.0.01\r\nIgnore,\"2048\"\r\n");
  // A placeholder is no article: its thread's first reply is chosen.
  RightClick(RowOf("-95-"));
  EXPECT_EQ(CurrentNumber(), "└<104>");
  Popup().hide();

  // Shift+F10 and the menu key open it for the current row.
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
    Grid().setFocus();
    QTest::keyClick(window->windowHandle(), key, modifiers);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Popup().isVisible()) << key;
    Popup().hide();
  }
}

// A pop-up item's mnemonic never names another command's key of the grid.
TEST_F(WindowMenusTest, MnemonicsTeachTheGridsLettersAndTheWriteMenuShowsThem) {
  Start(kNetVorn);
  struct Item {
    QChar mnemonic;
    QString key;
    QString name;
  };
  auto items = [](const QMenu& menu) {
    std::vector<Item> out;
    for (const QAction* a : menu.actions()) {
      if (a->isSeparator() || a->menu()) continue;
      const QString text = a->text();
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      const qsizetype tab = text.indexOf(QLatin1Char('\t'));
      out.push_back({amp >= 0 ? text.at(amp + 1).toUpper() : QChar(),
                     tab >= 0 ? text.mid(tab + 1) : QString(), a->objectName()});
    }
    return out;
  };
  for (QMenu* menu : {&Popup(), window->Commands().Menu("ThreadMenu")}) {
    const std::vector<Item> all = items(*menu);
    std::set<QChar> letters;
    for (const Item& item : all) {
      if (item.key.size() == 1 && item.key.at(0).isLetter()) letters.insert(item.key.at(0));
    }
    EXPECT_GE(letters.size(), 7u);
    for (const Item& item : all) {
      if (item.mnemonic.isNull() || !letters.contains(item.mnemonic)) continue;
      EXPECT_EQ(item.key, QString(item.mnemonic))
          << item.name.toStdString() << " teaches " << QString(item.mnemonic).toStdString();
    }
  }
  // The write menu shows its letters, as the thread menu shows its own.
  const std::map<QString, QString> letters{{"MenuWRoot", "W"},
                                           {"MenuWRess", "F"},
                                           {"MenuWMail", "M"},
                                           {"MenuWBatch", "S"},
                                           {"MenuWRootBinary", "Shift+W"},
                                           {"MenuWRessBinary", "Shift+F"},
                                           {"MenuWMailBinary", "Shift+M"},
                                           {"MenuWJumpRess", "J"},
                                           {"MenuWJumpRessBinary", "Shift+J"},
                                           {"MenuWEdit", "E"},
                                           {"MenuWDel", "D"}};
  for (const Item& item : items(*window->Commands().Menu("WriteMenu")))
    EXPECT_EQ(item.key, letters.at(item.name)) << item.name.toStdString();
}

TEST_F(WindowMenusTest, LayoutAndOrderAreRadioItemsAndCtrlQEndsTheProgram) {
  TVornExplMain& w = Start(kNetVorn);
  for (const auto& [first, second] :
       {std::pair{"MenuSepVertical", "MenuSepHorizontal"}, std::pair{"MenuTree", "MenuNormal"}}) {
    QAction* a = w.Command(first);
    QAction* b = w.Command(second);
    ASSERT_NE(a->actionGroup(), nullptr);
    EXPECT_EQ(a->actionGroup(), b->actionGroup());
    EXPECT_TRUE(a->actionGroup()->isExclusive());
    EXPECT_TRUE(a->isChecked());
    b->trigger();
    EXPECT_TRUE(b->isChecked());
    EXPECT_FALSE(a->isChecked());
    // Choosing the chosen one again leaves it chosen.
    b->trigger();
    EXPECT_TRUE(b->isChecked());
  }
  EXPECT_TRUE(w.HorizontalLayout());
  EXPECT_EQ(w.Reading().TreeOrder(), 0);
  QMenu* view = w.Commands().Menu("DispMenu");
  view->popup(w.mapToGlobal(QPoint(40, 20)));
  Shot("view-menu.png", view);
  view->hide();

  QTest::keyClick(w.windowHandle(), Qt::Key_Q, Qt::ControlModifier);
  QCoreApplication::processEvents();
  EXPECT_FALSE(w.isVisible());
}

// Every other file command was greyed during a load; アーカイブ出力 stayed enabled.
TEST_F(WindowMenusTest, ArchiveExportAndRecentLogsAreGreyedDuringALoad) {
  const std::string big = dir.File("NET19990801.LOG");
  std::ofstream(big, std::ios::binary) << bench::NetVornLogGenerator(3).Generate(5000);
  TVornExplMain& w = Start(kNetVorn);
  EXPECT_TRUE(w.Commands().IsEnabled("MenuArchiveExport"));
  QMenu* recent = w.Commands().Menu("MenuRecentLogs");
  EXPECT_TRUE(recent->menuAction()->isEnabled());
  int looks = 0;
  ui.OnPump = [&] {
    if (!w.Loading()) return;
    ++looks;
    EXPECT_FALSE(w.Commands().IsEnabled("MenuArchiveExport"));
    EXPECT_FALSE(w.Commands().IsEnabled("MenuOpen"));
    EXPECT_FALSE(recent->menuAction()->isEnabled());
  };
  ASSERT_TRUE(w.LoadLogFiles({big}, "NET", true));
  ui.OnPump = nullptr;
  EXPECT_GT(looks, 0);
  EXPECT_TRUE(w.Commands().IsEnabled("MenuArchiveExport"));
  EXPECT_TRUE(recent->menuAction()->isEnabled());
}

TEST_F(WindowMenusTest, RecentLogsOpenAgainAsCtrlODoesAndAreKeptForTheNextRun) {
  TVornExplMain& w = Start(kNetVorn);
  QMenu* recent = w.Commands().Menu("MenuRecentLogs");
  auto captions = [&] {
    std::vector<QString> out;
    for (const QAction* a : recent->actions()) {
      if (a->objectName().startsWith(QStringLiteral("MenuRecentLog")) &&
          a->objectName() != QStringLiteral("MenuRecentLogsClear"))
        out.push_back(a->text());
    }
    return out;
  };
  EXPECT_EQ(captions(), (std::vector<QString>{"&1 NET  NET19990730.LOG"}));
  Load(kNifty);
  EXPECT_EQ(captions(),
            (std::vector<QString>{"&1 NIF  NIF19990730.LOG", "&2 NET  NET19990730.LOG"}));
  Shot("recent-logs.png", recent);
  // Opening one asks what opening asks (nothing here) and reads the set as Ctrl+O does.
  w.findChild<QAction*>(QStringLiteral("MenuRecentLog2"))->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(w.Session().CurrentPrefix, "NET");
  EXPECT_EQ(w.Session().LogFileNames, (std::vector<std::string>{dir.File(kNetVorn)}));
  EXPECT_EQ(captions().front(), QStringLiteral("&1 NET  NET19990730.LOG"));

  // Ten at most, kept in vornexpl.ini at once.
  for (int day = 1; day <= 10; ++day) {
    const std::string name =
        "NET199908" + std::string(day < 10 ? "0" : "") + std::to_string(day) + ".LOG";
    fs::copy_file(dir.File(kNetVorn), dir.File(name));
    ASSERT_TRUE(w.LoadLogFiles({dir.File(name)}, "NET", false));
  }
  ASSERT_EQ(captions().size(), 10u);
  EXPECT_EQ(captions().front(), QStringLiteral("&1 NET  NET19990810.LOG"));
  EXPECT_EQ(captions().back(), QStringLiteral("&0 NET  NET19990801.LOG"));
  const std::string ini = test::ReadBytes(settings + "vornexpl.ini");
  EXPECT_NE(ini.find("[RecentLogs]\r\nSet1=\"\"NET\",\""), std::string::npos) << ini;
  // Logs added to the set make it larger in its place.
  ASSERT_TRUE(w.LoadLogFiles({dir.File(kNetVorn)}, "NET", true));
  EXPECT_EQ(captions().front(), QStringLiteral("&1 NET  NET19990810.LOG 他1件"));

  // The next run finds them; a set whose files are gone is offered for removal.
  window.reset();
  fs::remove(dir.File("NET19990801.LOG"));
  Start();
  recent = window->Commands().Menu("MenuRecentLogs");
  ASSERT_EQ(captions().size(), 10u);
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  window->findChild<QAction*>(QStringLiteral("MenuRecentLog10"))->trigger();
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::ConfirmYesNo);
  EXPECT_EQ(captions().size(), 9u);
  EXPECT_TRUE(window->Session().CurrentPrefix.empty());
}

TEST_F(WindowMenusTest, TheFilterBarKeepsRoomBesideTheViewAndForgetsAMendedPattern) {
  // The first run's layout on a 1366x768 screen, the grid beside the view.
  const FirstRunLayout first = FirstRunPlacement({0, 0, 1366, 738});
  TVornExplMain& w = Start(kNetVorn);
  w.resize(first.Window.Width, first.Window.Height);
  w.CommonIni().WindowSeparateHValue = first.GridWidth;
  w.Command("MenuSepHorizontal")->trigger();
  QTest::qWait(50);
  TQuickFilterBar& bar = w.QuickFilterBar();
  EXPECT_GE(bar.TextEdit()->width(), bar.LeastTextWidth());
  EXPECT_FALSE(bar.OneLine());
  // Every control of the bar shows whole.
  for (const char* name : {"CBQuickFilterRegExp", "CBQuickFilterFuzzy", "CBQuickFilterUnread",
                           "BTNQuickFilterClear", "EDQuickFilter"}) {
    const QWidget* control = bar.findChild<QWidget*>(QString::fromLatin1(name));
    const QRect inBar(control->mapTo(&bar, QPoint(0, 0)), control->size());
    EXPECT_TRUE(bar.rect().contains(inBar)) << name;
    EXPECT_GE(control->width(), control->minimumSizeHint().width()) << name;
  }
  Shot("filter-bar-beside.png");
  // Above the view there is room for one line.
  w.Command("MenuSepVertical")->trigger();
  QTest::qWait(50);
  EXPECT_TRUE(bar.OneLine());

  // A pattern being typed is refused and said so; once it is whole, the message goes.
  ChooseBoard(1);
  bar.findChild<QCheckBox*>(QStringLiteral("CBQuickFilterRegExp"))->setChecked(true);
  bar.TextEdit()->setText(QStringLiteral("(Re"));
  EXPECT_FALSE(w.StatusText(0).isEmpty());
  bar.TextEdit()->setText(QStringLiteral("(Re)"));
  EXPECT_TRUE(w.StatusText(0).isEmpty());
  // A message of something else is left alone.
  bar.TextEdit()->setText(QStringLiteral("(R"));
  w.SetStatusText(0, QStringLiteral("ほかの知らせ"));
  bar.TextEdit()->setText(QStringLiteral("(R)"));
  EXPECT_EQ(w.StatusText(0), QStringLiteral("ほかの知らせ"));
}

// The box that names a settings folder that cannot be made sat behind the welcome box.
TEST_F(WindowMenusTest, ASettingsFolderThatCannotBeMadeIsToldBeforeTheWelcome) {
  test::WriteBytes(dir.File("a-file"), "not a folder");
  SetSettingsFolderOverride(dir.File("a-file") + "/settings");
  ASSERT_FALSE(SettingsFolderProblem().empty());
  Start();
  QTest::qWait(20);
  const auto& entries = ui.entries;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].kind, Kind::Warning);
  EXPECT_EQ(entries[0].text, SettingsFolderProblem());
  EXPECT_EQ(entries[1].kind, Kind::Information);
  EXPECT_NE(entries[1].text.find(test::J("ようこそ")), std::string::npos);
}

}  // namespace
}  // namespace vorn
