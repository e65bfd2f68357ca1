// The main window on a settings folder of its own, with dialogs and message boxes that answer
// from a script.
#include "analysis/LogLoader.h"
#include "reader/VornExplorerMain.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <fstream>
#include <thread>

#include "platform/AppPaths.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "settings/CommonIniFile.h"
#include "support/DialogTestSupport.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::AddSet;
using test::J;
using test::ScriptedDialogs;
using test::TempDir;
using test::WriteBytes;
using Kind = RecordingUiServices::Kind;

// Qt's complaints during a test, such as an ambiguous shortcut.
QStringList& QtMessages() {
  static QStringList messages;
  return messages;
}

void CollectQtMessages(QtMsgType, const QMessageLogContext&, const QString& text) {
  QtMessages() << text;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    SetSettingsFolderOverride(dir.Path());
    QtMessages().clear();
    previousHandler = qInstallMessageHandler(CollectQtMessages);
  }
  void TearDown() override {
    window.reset();
    qInstallMessageHandler(previousHandler);
    SetSettingsFolderOverride("");
  }

  // The sets the program finds at start.
  void AddNetVornSet(const std::string& prefix, const std::string& name) {
    TNetVornIniFile ini(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
    ASSERT_TRUE(AddSet(ini, prefix, name, dir.Path() + "/logs/"));
  }
  void AddNiftySet(const std::string& prefix, const std::string& name) {
    TNiftyIniFile ini(dir.File("nifty.ini"), dir.File("nifdef.ini"));
    ASSERT_TRUE(AddSet(ini, prefix, name, dir.Path() + "/nlogs/"));
  }

  TVornExplMain& Start(std::vector<std::string> arguments = {}) {
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::move(arguments), std::move(scripted));
    return *window;
  }

  void ShowActive(TVornExplMain& w) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QCoreApplication::processEvents();
  }

  std::string File(const std::string& name, const std::string& text = "line\r\n") {
    const std::string path = dir.File(name);
    WriteBytes(path, text);
    return path;
  }

  bool Enabled(const char* name) { return window->Commands().IsEnabled(name); }

  TempDir dir;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
  QtMessageHandler previousHandler = nullptr;
};

TEST_F(MainWindowTest, MenusCarryTheirCaptionsAndNoKeyHasTwoOwners) {
  TVornExplMain& w = Start();
  struct Expected {
    const char* name;
    const char* caption;
    const char* keys;
  };
  const Expected items[] = {
      {"MenuOpen", "ログを開く(&O)", "Ctrl+O"},
      {"MenuOpenAdd", "ログを追加する(&A)", "Ctrl+A"},
      {"MenuNoSaveOpen", "データを更新しないでログを開く", "Ctrl+Shift+O"},
      {"MenuCreateUpFile", "UP/PADファイル出力(&S)", "Ctrl+S"},
      {"MenuBoardOut", "ボード内全記事のファイル出力(&B)", "Ctrl+B"},
      {"MenuEnd", "終了(&X)", "Ctrl+Q"},
      {"MenuNewReadMode", "新規記事閲覧モード", "Ctrl+N"},
      {"MenuCopy", "記事コピー(&C)", "Ctrl+C"},
      {"MenuCopyA", "記事コピー（追加）\tCtrl+A", ""},
      {"MenuBCopyA", "記事引用コピー（追加）", "Ctrl+Shift+A"},
      {"MenuBHCopy", "記事引用コピー（ハンドル付）", "Ctrl+Shift+Alt+C"},
      {"MenuSearch", "検索設定(&F)", "Ctrl+F"},
      {"MenuInfo", "システムメッセージ", "Ctrl+I"},
      {"MenuLogInfo", "使用ログファイル一覧", "Ctrl+L"},
      {"MenuArticleRotate", "記事内容縦書き", "Ctrl+R"},
      {"MenuWJumpRessBinary", "バイナリボード移動レス書き(&K)\tShift+J", ""},
      {"MenuBBSSet", "BBS設定(&B)", ""},
      {"MenuHelp", "HTMLヘルプ", "F1"},
      {"GMenuNoRead", "未読サーチ(&N)\tSpace", ""},
      {"EMenuCopyA", "記事コピー（追加）\tCtrl+A", ""},
  };
  for (const Expected& e : items) {
    QAction* a = w.Command(e.name);
    ASSERT_NE(a, nullptr) << e.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(e.caption)) << e.name;
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(e.keys))) << e.name;
  }
  QAction* open = w.Command("BTNOpen");
  EXPECT_EQ(open->toolTip(), QStringLiteral("ログを開く"));
  EXPECT_EQ(open->statusTip(), QStringLiteral("ログファイルをオープンします"));
  EXPECT_TRUE(w.Command("BTNSearchMode")->isCheckable());

  // Twenty-three tool buttons, every one with a picture, fitting a window 800 pixels wide.
  QToolBar* bar = w.Commands().ToolBar();
  int buttons = 0;
  for (QAction* a : bar->actions()) {
    if (a->isSeparator()) continue;
    ++buttons;
    EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
  }
  EXPECT_EQ(buttons, 23);
  w.resize(800, 500);
  w.show();
  QCoreApplication::processEvents();
  EXPECT_LE(bar->sizeHint().width(), 800);
  for (QAction* a : bar->actions()) {
    EXPECT_TRUE(bar->widgetForAction(a) && bar->widgetForAction(a)->isVisible())
        << a->objectName().toStdString();
  }

  // Two actions with one key in one window would leave the key dead.
  QSet<QString> keys;
  for (QAction* a : w.findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    const QString key = a->shortcut().toString();
    EXPECT_FALSE(keys.contains(key)) << key.toStdString();
    keys.insert(key);
  }
}

TEST_F(MainWindowTest, WithoutSetsWelcomesAndIgnoresTheCommandLine) {
  const std::string log = File("NET1.log");
  TVornExplMain& w = Start({log});
  EXPECT_TRUE(w.Reading().PendingFiles().empty());
  EXPECT_FALSE(Enabled("MenuOpen"));
  EXPECT_FALSE(Enabled("BTNOpen"));
  EXPECT_FALSE(Enabled("MenuOpenAdd"));
  EXPECT_FALSE(Enabled("EditMenu"));
  EXPECT_FALSE(Enabled("MenuCopy"));
  EXPECT_FALSE(Enabled("WriteMenu"));
  EXPECT_FALSE(Enabled("BTNNext"));
  EXPECT_TRUE(Enabled("MenuBBSSet"));
  EXPECT_TRUE(ui.entries.empty());
  ShowActive(w);
  QTest::qWait(20);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Information);
  EXPECT_EQ(ui.entries[0].text, J("Vorn Explorerへようこそ！\r\nBBS設定がなされていません\r\n"
                                  "メニューの「設定」→「BBS設定」によりBBS設定を行って下さい"));
}

// Hand-edited values the program cannot use are told once the window is up; not again at the
// next start, since the values used instead are what the end of the run stores.
TEST_F(MainWindowTest, UnusableSettingsAreToldOnceAfterTheStart) {
  AddNetVornSet("NET", "Net");
  WriteBytes(dir.File("vornexpl.ini"),
             "[Common]\r\nVersion=\"1.200000\"\r\n[BoardList]\r\nFontSize=abc\r\n"
             "DropCount=-3\r\n[ArticleEdit]\r\nFontColor=clNotAColour\r\n");
  TVornExplMain& w = Start();
  EXPECT_TRUE(ui.entries.empty());
  ShowActive(w);
  QTest::qWait(20);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  const std::string& text = ui.entries[0].text;
  for (const std::string& part :
       {dir.File("vornexpl.ini"), std::string("[BoardList] FontSize=abc") + J(" → ") + "9",
        std::string("[BoardList] DropCount=-3") + J(" → ") + "25",
        std::string("[ArticleEdit] FontColor=clNotAColour") + J(" → ") + "clBlack"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(w.BoardList().maxVisibleItems(), 25);
  ASSERT_TRUE(w.close());
  window.reset();
  ui.entries.clear();
  ShowActive(Start());
  QTest::qWait(20);
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(MainWindowTest, CommandLineFilesThatExistArePending) {
  AddNiftySet("NIF", "Forum");
  const std::string log = File("NIF1.log");
  TVornExplMain& w = Start({"-o", log, dir.File("missing.log"), ""});
  EXPECT_EQ(w.Reading().PendingFiles(), (std::vector<std::string>{log}));
  // The current family is the first that holds a set.
  EXPECT_EQ(w.CurrentProcess(), 1);
  EXPECT_TRUE(Enabled("MenuOpen"));
  EXPECT_FALSE(Enabled("MenuNoSaveOpen"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Vorn Explorer"));
}

TEST_F(MainWindowTest, CtrlAOpensTheAddDialogWithoutAmbiguity) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  // As a load leaves it: a set in use and adding allowed.
  w.Session().CurrentPrefix = "NET";
  w.Commands().SetEnabled("MenuOpenAdd", true);
  ShowActive(w);
  QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs->fileRequests.size(), 1u);
  const auto& request = dialogs->fileRequests[0];
  EXPECT_EQ(request.Title, J("ログファイル指定"));
  EXPECT_EQ(request.Folder, dir.Path() + "/logs/");
  EXPECT_EQ(JoinFileFilter(request.Filter),
            J("指定BBSログファイル(NET*.log)|NET*.log|ログファイル(*.log)|*.log|"
              "すべてのファイル(*.*)|*.*"));
  // Nothing chosen: the shown article is remembered again.
  EXPECT_FALSE(w.Reading().AddingLogs());
  for (const QString& m : QtMessages()) {
    EXPECT_FALSE(m.contains(QStringLiteral("Ambiguous"))) << m.toStdString();
  }
}

TEST_F(MainWindowTest, DroppedFilesOfTwoSetsAskWhichToLoad) {
  AddNetVornSet("NET", "Net");
  AddNetVornSet("OLD", "Old net");
  TVornExplMain& w = Start();
  const std::string a = File("net7.log");
  const std::string b = File("OLD1.log");
  const std::string c = File("NET8.log");
  // Dropped as the desktop drops them.
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QtPath(a)), QUrl::fromLocalFile(QtPath(dir.File("gone.log"))),
                QUrl::fromLocalFile(QtPath(b)), QUrl::fromLocalFile(QtPath(c))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &drop);
  for (int i = 0; i < 100 && ui.entries.empty(); ++i)
    QTest::qWait(10);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Information);
  EXPECT_EQ(ui.entries[0].text, J("複数BBSのログファイルが指定されています\rBBSを指定して下さい"));
  ASSERT_EQ(dialogs->netSelectPrefixLists.size(), 1u);
  EXPECT_EQ(dialogs->netSelectPrefixLists[0], (std::vector<std::string>{"net", "OLD"}));
  EXPECT_TRUE(w.Reading().PendingFiles().empty());
  EXPECT_TRUE(w.Session().CurrentPrefix.empty());
}

TEST_F(MainWindowTest, DroppedFilesWithoutASetAreRefused) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  w.DropFiles({File("OTHER1.log"), File("X.log")});
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_EQ(ui.entries[0].text, J("指定されたファイルに対するBBS設定がなされていません"));
  EXPECT_TRUE(dialogs->netSelectPrefixLists.empty());
  // Nothing that exists: nothing happens at all.
  w.DropFiles({dir.File("none1.log")});
  EXPECT_EQ(ui.entries.size(), 1u);
}

TEST_F(MainWindowTest, OpenAsksForFilesDirectlyOnlyForASingleSet) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  w.Command("MenuOpen")->trigger();
  EXPECT_EQ(dialogs->fileRequests.size(), 1u);
  EXPECT_TRUE(dialogs->netSelectPrefixLists.empty());

  w.CommonIni().LogOpenOnly = false;
  w.Command("BTNOpen")->trigger();
  EXPECT_EQ(dialogs->fileRequests.size(), 1u);
  ASSERT_EQ(dialogs->netSelectPrefixLists.size(), 1u);
  EXPECT_TRUE(dialogs->netSelectPrefixLists[0].empty());
  // Nothing chosen: the open commands stay as they were.
  EXPECT_TRUE(Enabled("MenuOpen"));
  EXPECT_TRUE(Enabled("MenuEnd"));
}

TEST_F(MainWindowTest, DeletingTheLastSetDisablesOpening) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  ASSERT_TRUE(Enabled("MenuOpen"));
  dialogs->setChoices.push_back({NetSelectDel, "NET"});
  ui.Script(UiAnswer::Yes);
  w.Command("MenuBBSSet")->trigger();
  EXPECT_FALSE(w.Reading().AddingLogs());
  EXPECT_EQ(TotalNetCount(w.BBSList()), 0);
  for (const char* name : {"MenuOpen", "BTNOpen", "MenuNoSaveOpen", "MenuNoSaveEnd"}) {
    EXPECT_FALSE(Enabled(name)) << name;
  }
  // A new set through the dialogs makes opening possible again.
  dialogs->setChoices.push_back({NetSelectNew, ""});
  dialogs->prefixAnswers.push_back({"NEW", 0});
  w.Command("MenuBBSSet")->trigger();
  ASSERT_EQ(dialogs->edits.size(), 1u);
  EXPECT_EQ(dialogs->edits[0].family, 0);
  EXPECT_EQ(dialogs->edits[0].skbn, NetSelectNew);
}

TEST_F(MainWindowTest, LayoutComesFromTheSettingsAndGoesBackOnClose) {
  AddNetVornSet("NET", "Net");
  WriteBytes(dir.File("vornexpl.ini"),
             "[Common]\r\nVersion=\"1.200000\"\r\n"
             "[Window]\r\nTop=30\r\nLeft=40\r\nWidth=700\r\nHeight=500\r\n"
             "SeparateVertical=0\r\nSeparateHValue=250\r\nSeparateVValue=90\r\n"
             "DispToolBar=0\r\n[ArticleGrid]\r\nSortTree=0\r\n");
  TVornExplMain& w = Start();
  EXPECT_TRUE(w.HorizontalLayout());
  EXPECT_EQ(w.Reading().TreeOrder(), 0);
  EXPECT_TRUE(w.Commands().IsChecked("MenuNormal"));
  EXPECT_FALSE(w.Commands().IsChecked("MenuTree"));
  EXPECT_TRUE(w.Commands().IsChecked("MenuSepHorizontal"));
  EXPECT_FALSE(w.Commands().IsChecked("MenuToolBar"));
  EXPECT_TRUE(w.Commands().IsChecked("MenuStatusBar"));
  // The arrangement does not overwrite the other direction's value read from the file.
  EXPECT_EQ(w.CommonIni().WindowSeparateVValue, 90);
  ShowActive(w);
  QTest::qWait(20);
  EXPECT_FALSE(w.Commands().ToolBar()->isVisible());
  EXPECT_EQ(w.width(), 700);
  auto* splitter = w.findChild<QSplitter*>(QStringLiteral("Splitter1"));
  ASSERT_NE(splitter, nullptr);
  EXPECT_EQ(splitter->orientation(), Qt::Horizontal);
  EXPECT_EQ(splitter->sizes().value(0), 250);

  // The other arrangement keeps the width for later.
  w.Command("MenuSepVertical")->trigger();
  EXPECT_FALSE(w.HorizontalLayout());
  EXPECT_EQ(splitter->orientation(), Qt::Vertical);
  EXPECT_EQ(w.CommonIni().WindowSeparateHValue, 250);
  w.Command("MenuTree")->trigger();
  EXPECT_EQ(w.Reading().TreeOrder(), 1);
  ASSERT_TRUE(w.close());
  TCommonIniFile saved(dir.File("vornexpl.ini"));
  EXPECT_TRUE(saved.WindowSeparateVertical);
  EXPECT_EQ(saved.WindowSeparateHValue, 250);
  EXPECT_EQ(saved.WindowSeparateVValue, splitter->sizes().value(0));
  EXPECT_EQ(saved.WindowWidth, 700);
  EXPECT_TRUE(saved.ArticleGridSortTree);
  EXPECT_FALSE(saved.WindowDispToolBar);
}

TEST_F(MainWindowTest, BusyRefusesToClose) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  ShowActive(w);
  w.Reading().SetBusy(true);
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(FileExists(dir.File("vornexpl.ini")));
  w.Reading().SetBusy(false);
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(FileExists(dir.File("vornexpl.ini")));
}

TEST_F(MainWindowTest, HintsAndModesInTheStatusBar) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  ShowActive(w);
  w.Command("BTNInfo")->showStatusText(&w);
  EXPECT_EQ(w.StatusText(0), QStringLiteral("ホストからのシステムメッセージを表示します"));
  // As a load leaves them.
  w.Commands().SetMenuEnabled("EditMenu", true);
  w.EnableReadCommands(true);
  w.Command("MenuNewReadMode")->trigger();
  EXPECT_TRUE(w.Reading().NewReadMode());
  EXPECT_TRUE(w.Command("BTNNewMode")->isChecked());
  EXPECT_EQ(w.StatusText(1), QStringLiteral("新規"));
  w.Reading().SetReadMode(true, true);
  w.ShowModeIndicator();
  EXPECT_EQ(w.StatusText(1), QStringLiteral("新規/検索"));
  w.Command("BTNNewMode")->trigger();
  EXPECT_FALSE(w.Reading().NewReadMode());
  EXPECT_FALSE(w.Command("MenuNewReadMode")->isChecked());
  EXPECT_EQ(w.StatusText(1), QStringLiteral("検索"));
}

TEST_F(MainWindowTest, LogFileListIsShownSorted) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  w.Session().LogFileNames = {"/b/NET2.log", "/a/NET9.log", "/b/NET1.log"};
  w.MenuLogInfoClick();
  ASSERT_EQ(dialogs->texts.size(), 1u);
  EXPECT_EQ(dialogs->texts[0].first, QStringLiteral("使用ログファイル一覧"));
  EXPECT_EQ(dialogs->texts[0].second,
            (std::vector<std::string>{"/a/NET9.log", "/b/NET1.log", "/b/NET2.log"}));
  w.Command("MenuAbout")->trigger();
  EXPECT_EQ(dialogs->aboutShown, 1);
}

TEST_F(MainWindowTest, HelpGoesToTheBrowserOfTheSettings) {
  AddNetVornSet("NET", "Net");
  TVornExplMain& w = Start();
  // A browser that writes down what it was given.
  const std::string out = dir.File("browser-args.txt");
  const std::string browser =
      File("browser.sh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + out + "\n");
  ASSERT_EQ(::chmod(browser.c_str(), 0755), 0);
  w.CommonIni().WWWSet = true;
  w.CommonIni().WWW = "  " + browser + " ";
  w.Command("MenuHelp")->trigger();
  for (int i = 0; i < 200 && test::ReadBytes(out).empty(); ++i)
    QTest::qWait(10);
  EXPECT_EQ(test::ReadBytes(out), TVornExplMain::HelpAddress() + "\n");
  EXPECT_EQ(TVornExplMain::HelpAddress(), "file://" + ProgramFolder() + "doc/vornexpl.html");
  EXPECT_TRUE(ui.entries.empty());

  w.CommonIni().WWW = dir.File("no-such-browser");
  w.Command("MenuHelp")->trigger();
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_EQ(ui.entries[0].text, J("WWWブラウザの起動に失敗しました"));
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// The real dialogs open modally over the window; Escape leaves each without a choice.
TEST(QtMainDialogs, OpenModallyAndCancelWithEscape) {
  test::GuiApp();
  test::Families f;
  ASSERT_TRUE(AddSet(*f.netVorn, "NET", "Net"));
  QWidget window;
  window.resize(600, 400);
  window.show();
  CommonSettings common;
  TQtMainDialogs dialogs(&window, &common);
  int closed = 0;
  auto escapeLater = [&closed] {
    QTimer::singleShot(50, [&closed] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        QTest::keyClick(modal, Qt::Key_Escape);
        ++closed;
      }
    });
  };
  escapeLater();
  EXPECT_EQ(dialogs.ChooseSet(f.list).Skbn, NetSelectNone);
  escapeLater();
  EXPECT_TRUE(dialogs.SelectNet(f.list, {}).Prefix.empty());
  escapeLater();
  EXPECT_TRUE(dialogs.AskPrefix(f.list, -1).Prefix.empty());
  escapeLater();
  dialogs.EditSet(f.list, 0, NetSelectChange, "NET", "NET");
  EXPECT_EQ(closed, 4);
}

}  // namespace
}  // namespace vorn
