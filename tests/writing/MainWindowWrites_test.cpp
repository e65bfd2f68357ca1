// Whole writes through the main window on the NetVorn sample, with a scripted editor, dialogs
// that answer from a script, and message boxes that record.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QBrush>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "dialogs/QtSupport.h"
#include "platform/AppPaths.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "reader/BoardView.h"
#include "reader/DisplayMapping.h"
#include "reader/GuiTestSupport.h"
#include "reader/MainCommands.h"
#include "reader/ScriptedDialogs.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "writing/FakeEditor.h"
#include "writing/WriteController.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CrLf;
using test::J;
using Kind = RecordingUiServices::Kind;
using Lines = std::vector<std::string>;

constexpr int32_t kMail = 0, kGeneral = 1, kProg = 2;

class MainWindowWrites : public ::testing::Test {
 protected:
  MainWindowWrites() : editor(dir) {
    test::GuiApp();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    settings = dir.Path() + "/settings/";
    fs::copy(samples / "settings", settings, fs::copy_options::recursive);
    sample = dir.File("NET19990730.LOG");
    fs::copy_file(samples / "NET19990730.LOG", sample);
    test::WriteBytes(settings + "NET.SIG", CrLf({"-- taro"}));
    SetSettingsFolderOverride(settings);
  }
  ~MainWindowWrites() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // A window that has loaded the sample, with the scripted editor.
  TVornExplMain& Start() {
    auto scripted = std::make_unique<test::ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{sample}, std::move(scripted));
    window->show();
    for (int i = 0; i < 200 && window->Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(10);
    EXPECT_EQ(window->Session().CurrentPrefix, "NET");
    window->CommonIni().TempFile = dir.File("vorntemp.txt");
    window->CommonIni().Editer = editor.Command("quit");
    // (The load tells about the sample's system messages.)
    ui.entries.clear();
    return *window;
  }
  QAbstractItemView& Grid() const {
    return *window->findChild<QAbstractItemView*>(QStringLiteral("ArticleGrid1"));
  }
  // The board and article shown, as the user picked them.
  void Pick(int32_t board, int32_t number) {
    window->SelectBoardInList(board);
    TArticleList& list = *window->CurrentAnalyser()->Boards.GetArticles(board);
    int32_t position = 0;
    for (int32_t p = 0; p < list.OrderCount(window->TreeOrder); ++p) {
      if (list.GetNumber(window->TreeOrder, p) == number &&
          !list.GetWriteFlag(window->TreeOrder, p))
        position = p;
    }
    window->BoardView().ShowBoard(board, position);
    window->FocusGrid();
  }
  QString Cell(int row, int column) const {
    return Grid().model()->index(row, column).data().toString();
  }
  QColor CellColor(int row) const {
    const QVariant v = Grid().model()->index(row, 0).data(Qt::ForegroundRole);
    return v.canConvert<QBrush>() ? v.value<QBrush>().color() : v.value<QColor>();
  }
  void Trigger(const char* name) { window->Command(name)->trigger(); }
  Lines FileLines(const std::string& path) const {
    Lines lines;
    ReadClassicTextFile(path, lines);
    return lines;
  }

  test::TempDir dir;
  std::string settings;
  std::string sample;
  test::FakeEditor editor;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  test::ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(MainWindowWrites, AReplyAppearsUnderItsParentInTheWriteColour) {
  TVornExplMain& w = Start();
  Pick(kGeneral, 101);
  const int parentRow = Grid().currentIndex().row();
  w.CommonIni().Editer = editor.Command("append", CrLf({J("よろしく")}));
  QTest::keyClick(&Grid(), Qt::Key_F);
  // The grid shows the board on the new write, right under the parent's thread.
  EXPECT_EQ(w.BoardView().CurrentBoard(), kGeneral);
  const int row = Grid().currentIndex().row();
  EXPECT_TRUE(Cell(row, 0).endsWith(QStringLiteral("[書込]")));
  EXPECT_EQ(Cell(row, 2), QStringLiteral("Re:はじめまして"));
  EXPECT_GT(row, parentRow);
  // Shown again from another article, it keeps the colour of writes.
  Pick(kGeneral, 101);
  EXPECT_EQ(CellColor(row), QtColor(w.CommonIni().ArticleGridColorWrite));
  EXPECT_TRUE(ui.entries.empty());
  // The file commands are back once the editor is gone.
  EXPECT_TRUE(w.Commands().IsEnabled("MenuEnd"));
  EXPECT_TRUE(w.Writer().RunningEditors().Empty());
}

TEST_F(MainWindowWrites, MailJumpReplyEditDeleteAndTheUpFileOnClosing) {
  TVornExplMain& w = Start();
  TBBSProcess& bbs = *w.CurrentAnalyser();

  // A new mail from the board list: the ID editor picks the member.
  dialogs->idAnswers.push_back("2048");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Meeting", "At eight"}));
  w.BoardList().setFocus();
  QTest::keyClick(&w.BoardList(), Qt::Key_M);
  ASSERT_EQ(dialogs->idCaptions.size(), 1u);
  EXPECT_EQ(dialogs->idCaptions[0], QStringLiteral("メール送信先ID指定"));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kMail);
  EXPECT_EQ(Cell(Grid().currentIndex().row(), 2), QStringLiteral("Meeting"));

  // A jump reply from "general" to "prog" leaves its notice behind.
  Pick(kGeneral, 102);
  dialogs->boardAnswers.push_back(kProg);
  w.CommonIni().Editer = editor.Command("append", CrLf({"moved"}));
  QTest::keyClick(&Grid(), Qt::Key_J);
  ASSERT_EQ(dialogs->boardRequests.size(), 1u);
  EXPECT_EQ(dialogs->boardRequests[0].startBoard, kGeneral);
  EXPECT_EQ(dialogs->boardRequests[0].caption, QStringLiteral("移動先ボード指定"));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kProg);
  EXPECT_EQ(w.BoardList().currentIndex(), kProg);
  EXPECT_EQ(Cell(Grid().currentIndex().row(), 2), QStringLiteral("Re:Re: はじめまして"));
  const TArticleList& general = *bbs.Boards.GetArticles(kGeneral);
  EXPECT_GE(general.FindByKeyAndTime(ArticleSortTree, 1, 0), 0);

  // Edit the moved article through the menu, then delete the notice from the grid's pop-up.
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Moved here", "Board Shift by", "x"}));
  Trigger("MenuWEdit");
  EXPECT_EQ(Cell(Grid().currentIndex().row(), 2), QStringLiteral("Moved here"));
  w.SelectBoardInList(kGeneral);
  w.BoardView().ShowBoard(kGeneral, general.FindByKeyAndTime(w.TreeOrder, 1, 0));
  ui.Script(UiAnswer::Yes);
  Trigger("GMenuDel");
  EXPECT_LT(general.FindByKeyAndTime(ArticleSortTree, 1, 0), 0);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, J("この書込みを削除しますか？"));

  // Closing asks about the UP/PAD files; Yes writes them and the window closes.
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text,
            J("UP/PADファイルが編集されている可能性があります\r書込みますか？"));
  EXPECT_EQ(FileLines(settings + "NET.UP"),
            (Lines{"MW", "2048", "", "", "Meeting", "At eight", "-- taro", ".", "", "\\2",
                   "WMoved here", "Board Shift by", "x", ".", "", "Q"}));
  EXPECT_TRUE(FileExists(settings + "NET.BRD"));

  // A second run over the same log reads them back.
  window.reset();
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);  // read the UP file
  TVornExplMain& again = Start();
  const TBBSProcess& back = *again.CurrentAnalyser();
  EXPECT_GE(back.Boards.GetArticles(kMail)->FindByKeyAndTime(ArticleSortNormal, 0, 0), 0);
  const TArticleList& prog = *back.Boards.GetArticles(kProg);
  const int32_t moved = prog.FindByKeyAndTime(ArticleSortNormal, 1, 0);
  ASSERT_GE(moved, 0);
  EXPECT_EQ(prog.GetTitle(ArticleSortNormal, moved), "Moved here");
}

TEST_F(MainWindowWrites, AnOpenEditorKeepsTheWindowFromClosing) {
  TVornExplMain& w = Start();
  Pick(kGeneral, 101);
  const std::string first = editor.Command("waitfor", CrLf({"first", "body"}));
  const std::string firstData = editor.LastDataFile();
  const std::string second = editor.Command("waitfor", CrLf({"second", "body"}));
  const std::string secondData = editor.LastDataFile();
  bool refused = false;
  QTimer::singleShot(50, [&] {
    EXPECT_FALSE(w.Commands().IsEnabled("MenuEnd"));
    EXPECT_FALSE(w.Commands().IsEnabled("MenuOpen"));
    refused = !w.close();
    // The user goes on working: a root article in another board, in a second editor.
    w.CommonIni().Editer = second;
    QTimer::singleShot(50, [&] {
      EXPECT_EQ(w.Writer().RunningEditors().Count(), 2);
      test::FakeEditor::Release(firstData);
      QTimer::singleShot(100, [&] { test::FakeEditor::Release(secondData); });
    });
    w.SelectBoardInList(kProg);
    w.BoardView().ShowBoard(kProg);
    Trigger("BTNRoot");
  });
  w.CommonIni().Editer = first;
  Trigger("BTNRoot");
  EXPECT_TRUE(refused);
  ASSERT_FALSE(ui.entries.empty());
  EXPECT_EQ(ui.entries[0].text,
            J("エディタ起動中です\r起動中エディタを全て終了してから終了して下さい"));
  const TBBSProcess& bbs = *w.CurrentAnalyser();
  // The second editor's write was queued first, inside the first one's wait.
  EXPECT_GE(bbs.Boards.GetArticles(kProg)->FindByKeyAndTime(ArticleSortTree, 0, 0), 0);
  EXPECT_GE(bbs.Boards.GetArticles(kGeneral)->FindByKeyAndTime(ArticleSortTree, 1, 0), 0);
  EXPECT_TRUE(w.Commands().IsEnabled("MenuEnd"));
  EXPECT_TRUE(w.Writer().RunningEditors().Empty());
}

TEST_F(MainWindowWrites, IdAndBoardEditorsFromTheMenus) {
  TVornExplMain& w = Start();
  Pick(kGeneral, 102);
  dialogs->onEditIds = [](TBBSProcess& bbs) {
    bool added = false;
    bbs.Members.SetMember(bbs.Members.FindIdNo(2048), 2048, {}, {}, J("花子"), {}, added);
  };
  QTest::keyClick(&Grid(), Qt::Key_I);
  ASSERT_EQ(dialogs->idEdits.size(), 1u);
  EXPECT_EQ(dialogs->idEdits[0].IdNum, 2048);
  // The grid shows the new handle at once.
  EXPECT_EQ(Cell(Grid().currentIndex().row(), 1), QStringLiteral("2048:花子"));
  Trigger("MenuIDEdit");
  ASSERT_EQ(dialogs->idEdits.size(), 2u);
  EXPECT_EQ(dialogs->idEdits[1].IdNum, -1);

  w.SelectBoardInList(kProg);
  Trigger("MenuBoardEdit");
  ASSERT_EQ(dialogs->boardRequests.size(), 1u);
  EXPECT_FALSE(dialogs->boardRequests[0].choose);
  EXPECT_EQ(dialogs->boardRequests[0].startBoard, 1);
  EXPECT_EQ(w.BoardList().currentIndex(), kProg);
  EXPECT_EQ(w.BoardList().count(), 4);
}

}  // namespace
}  // namespace vorn
