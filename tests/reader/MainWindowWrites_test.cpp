// Whole writes through the main window on both sample captures: a real external editor (a
// shell script started as a process), dialogs that answer from a script or the real ID and
// board editors, and message boxes that record. Pictures of the window with a pending write and
// of the two editors are saved when VORN_SCREENSHOT_DIR is set.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "dialogs/BoardSet.h"
#include "dialogs/IDEdit.h"
#include "platform/AppPaths.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/Search.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "reader/WriteController.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"
#include "support/FakeEditor.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowWriteFixture.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CrLf;
using test::J;
using Kind = RecordingUiServices::Kind;
using Lines = std::vector<std::string>;

// The shared write fixture, with the dialogs scripted unless a test asks for the real ones, and
// what the grid shows of the pending writes.
class MainWindowWrites : public test::WindowWriteFixture {
 protected:
  TVornExplMain& Start(const char* log, const std::string& prefix, bool realDialogs = false) {
    return WindowWriteFixture::Start(log, prefix, realDialogs);
  }
  QString Cell(int row, int column) const {
    return Grid().model()->index(row, column).data().toString();
  }
  int CurrentRow() const { return Grid().currentIndex().row(); }
  QString CurrentTitle() const { return Cell(CurrentRow(), 2); }
  // A row the grid shows as a pending write: marked, and in the write colour unless it is the
  // current row (drawn in the selection's colours).
  bool ShownAsWrite(int row) const {
    return Cell(row, 0).endsWith(QStringLiteral("[書込]")) &&
           (row == CurrentRow() || window->ArticleGrid().StateColor(row) ==
                                       QtColor(window->CommonIni().ArticleGridColorWrite));
  }
  // The current row is a pending write; seen from the row above it, it has the write colour.
  bool CurrentShownAsWrite() {
    const int row = CurrentRow();
    if (row <= 0 || !ShownAsWrite(row)) return false;
    Key(Qt::Key_Up);
    const bool coloured = ShownAsWrite(row);
    Key(Qt::Key_Down);
    return coloured && CurrentRow() == row;
  }
  // The titles of the pending writes the grid shows for a board, top to bottom (tree order:
  // replies under their parents, new threads at the end).
  std::vector<QString> WritesShown(int32_t board) {
    window->BoardView().ShowBoard(board, TArticleGrid::SelectFirst);
    std::vector<QString> titles;
    for (int row = 0; row < Grid().model()->rowCount(); ++row) {
      if (ShownAsWrite(row)) titles.push_back(Cell(row, 2));
    }
    return titles;
  }
  // The log lines of an article as a reply quotes them.
  Lines Quoted(int32_t board, int32_t number) const {
    const TArticleList& list = Board(board);
    Lines lines;
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); ++p) {
      if (list.GetNumber(ArticleSortNormal, p) != number || list.GetWriteFlag(ArticleSortNormal, p))
        continue;
      for (int32_t l = list.GetFirstLine(ArticleSortNormal, p);
           l <= list.GetLastLine(ArticleSortNormal, p); ++l)
        lines.push_back(">" + window->LogList().GetLine(l));
    }
    return lines;
  }
};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(MainWindowWrites, NetVornWritesGoThroughTheGridIntoTheUpAndPadFilesAndComeBack) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  TBBSProcess& bbs = *w.CurrentAnalyser();
  const std::string untitled = w.CommonIni().DefaultTitle;

  // A new article from the board list: the user adds a line under the default title.
  w.CommonIni().Editer = editor.Command("append", CrLf({"Hello all"}));
  BoardListKey(kGeneral, Qt::Key_W);
  EXPECT_EQ(w.BoardView().CurrentBoard(), kGeneral);
  EXPECT_TRUE(CurrentShownAsWrite());
  EXPECT_EQ(CurrentTitle(), QtText(untitled));

  // A reply to 101 appears right away under its parent, in the write colour.
  Pick(kGeneral, 101);
  const int parentRow = CurrentRow();
  w.CommonIni().Editer = editor.Command("append", CrLf({J("よろしく")}));
  Key(Qt::Key_F);
  EXPECT_GT(CurrentRow(), parentRow);
  EXPECT_TRUE(CurrentShownAsWrite());
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Re:はじめまして"));
  const Lines quoted = Quoted(kGeneral, 101);
  ASSERT_FALSE(quoted.empty());

  // A new mail from the board list: the ID editor picks the member.
  dialogs->idAnswers.push_back("2048");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Meeting", "At eight"}));
  BoardListKey(kGeneral, Qt::Key_M);
  ASSERT_EQ(dialogs->idCaptions, (std::vector<QString>{QStringLiteral("メール送信先ID指定")}));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kMail);
  EXPECT_TRUE(CurrentShownAsWrite());
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Meeting"));

  // A binary upload in the binary board (made binary as the board editor does).
  bbs.Boards.SetBoardAttr(kBinary, 1, 1, 0);
  const std::string upload = dir.File("pic.lzh");
  test::WriteBytes(upload, "LZH");
  dialogs->binaryFiles.push_back(upload);
  Pick(kBinary, 12);
  w.CommonIni().Editer = editor.Command("append", CrLf({"A picture"}));
  Key(Qt::Key_W, Qt::ShiftModifier);
  EXPECT_EQ(dialogs->binaryFileAsked, 1);
  EXPECT_TRUE(CurrentShownAsWrite());
  // The log's binary article marked for the batch download.
  Pick(kBinary, 12);
  Key(Qt::Key_S);
  EXPECT_TRUE(Cell(CurrentRow(), 0).startsWith(QLatin1Char('S')));

  // A jump reply from "general" to "prog" leaves its notice behind and shows the new thread.
  Pick(kGeneral, 102);
  dialogs->boardAnswers.push_back(kProg);
  w.CommonIni().Editer = editor.Command("append", CrLf({"moved"}));
  Key(Qt::Key_J);
  ASSERT_EQ(dialogs->boardRequests.size(), 1u);
  EXPECT_EQ(dialogs->boardRequests[0].startBoard, kGeneral);
  EXPECT_EQ(dialogs->boardRequests[0].caption, QStringLiteral("移動先ボード指定"));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kProg);
  EXPECT_EQ(w.BoardList().currentIndex(), kProg);
  EXPECT_TRUE(CurrentShownAsWrite());
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Re:Re: はじめまして"));
  // (The picture from the row above, where the write shows in its colour.)
  Key(Qt::Key_Up);
  EXPECT_TRUE(test::SaveScreenshot(w, QStringLiteral("window-pending-write.png")));
  Key(Qt::Key_Down);
  EXPECT_TRUE(Messages().empty());
  // Keys so far: 0 root, 1 reply, 2 mail, 3 binary, 4 notice, 5 jump reply.
  EXPECT_EQ(bbs.WriteArticleNo, 6);

  // The moved article edited again with its key, the notice deleted from the grid's pop-up.
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Moved here", "Board Shift by", "x"}));
  Key(Qt::Key_E);
  EXPECT_EQ(w.BoardView().CurrentBoard(), kProg);
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Moved here"));
  EXPECT_TRUE(CurrentShownAsWrite());
  PickWrite(kGeneral, 4);
  const int rows = Grid().model()->rowCount();
  ui.Script(UiAnswer::Yes);
  Trigger("GMenuDel");
  EXPECT_EQ(Messages(), Lines{J("この書込みを削除しますか？")});
  EXPECT_EQ(Grid().model()->rowCount(), rows - 1);
  EXPECT_EQ(WritesShown(kGeneral),
            (std::vector<QString>{QStringLiteral("Re:はじめまして"), QtText(untitled)}));

  // Closing asks about the UP/PAD files; Yes writes them and the window closes.
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(Messages(), Lines{J("UP/PADファイルが編集されている可能性があります\r書込みますか？")});
  EXPECT_EQ(FileLines(settings + "NET.UP"),
            Join({{"MW", "2048", "", "", "Meeting", "At eight", "-- taro", ".", ""},
                  {"\\1", "W" + untitled, "Hello all", "-- taro", ".", ""},
                  {"101", J("PRe:はじめまして")},
                  quoted,
                  {J("よろしく"), "-- taro", ".", ""},
                  {"Q\\2", "WMoved here", "Board Shift by", "x", ".", ""},
                  {"Q\\3", "12", "SQ"}}));
  EXPECT_EQ(FileLines(settings + "NET.PAD"),
            (Lines{"*U", "3", upload, "PIC.LZH", untitled, "A picture", "-- taro", ".", "*DB"}));
  EXPECT_TRUE(FileExists(settings + "NET.BRD"));

  // A second run over the same log reads them back into the grid.
  window.reset();
  ui.Script(UiAnswer::Yes);  // read the UP file
  ui.Script(UiAnswer::Yes);  // read the PAD file
  Start("NET19990730.LOG", "NET");
  EXPECT_EQ(WritesShown(kMail), std::vector<QString>{QStringLiteral("Meeting")});
  EXPECT_EQ(WritesShown(kGeneral),
            (std::vector<QString>{QStringLiteral("Re:はじめまして"), QtText(untitled)}));
  EXPECT_EQ(WritesShown(kProg), std::vector<QString>{QStringLiteral("Moved here")});
  EXPECT_EQ(WritesShown(kBinary), std::vector<QString>{QtText(untitled)});
  Pick(kBinary, 12);
  EXPECT_TRUE(Cell(CurrentRow(), 0).startsWith(QLatin1Char('S')));
}

TEST_F(MainWindowWrites, NiftyServeWritesGoIntoThePadFileAndComeBack) {
  TVornExplMain& w = Start("NIF19990730.LOG", "NIF");
  const TBBSProcess& bbs = *w.CurrentAnalyser();
  ASSERT_EQ(bbs.Boards.IsArticleBoard(kMail), 0);

  // A root article in the forum's board, then a reply to 211.
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Hello", "first words"}));
  Pick(kFcomp, 211);
  Key(Qt::Key_W);
  EXPECT_TRUE(CurrentShownAsWrite());
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Hello"));
  // With RoorWriteJump off the grid stays on the parent and shows the reply among its rows.
  w.CommonIni().RoorWriteJump = false;
  Pick(kFcomp, 211);
  const int parentRow = CurrentRow();
  // (The view's own row count: it learns of new rows only when the grid is shown again.)
  const int rows = w.ArticleGrid().verticalHeader()->count();
  w.CommonIni().Editer = editor.Command("append", CrLf({"Thanks"}));
  Key(Qt::Key_F);
  EXPECT_EQ(CurrentRow(), parentRow);
  EXPECT_EQ(w.ArticleGrid().verticalHeader()->count(), rows + 1);
  EXPECT_EQ(WritesShown(kFcomp), (std::vector<QString>{QStringLiteral("Re:メモリ増設について"),
                                                       QStringLiteral("Hello")}));
  w.CommonIni().RoorWriteJump = true;
  const Lines quoted = Quoted(kFcomp, 211);

  // A mail reply to the writer of 212 goes to the mail box, the grid staying where it was.
  Pick(kFcomp, 212);
  const int row = CurrentRow();
  w.CommonIni().Editer = editor.Command("replace", CrLf({"About memory", "ok"}));
  Key(Qt::Key_M);
  EXPECT_EQ(w.BoardView().CurrentBoard(), kFcomp);
  EXPECT_EQ(CurrentRow(), row);
  // A new mail from the board list to a member picked by text ID.
  dialogs->idAnswers.push_back("MNO13579");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Data", "Got it"}));
  BoardListKey(kFcomp, Qt::Key_M);
  EXPECT_EQ(w.BoardView().CurrentBoard(), kMail);
  EXPECT_TRUE(CurrentShownAsWrite());

  // The family has no binary writes: refused before any dialog or editor.
  Pick(kFcomp, 211);
  Key(Qt::Key_W, Qt::ShiftModifier);
  Key(Qt::Key_F, Qt::ShiftModifier);
  EXPECT_EQ(Messages(), (Lines{J("このホストシステムでのバイナリルート書込はサポートしていません"),
                               J("このホストシステムでのバイナリレス書込はサポートしていません")}));
  EXPECT_EQ(dialogs->binaryFileAsked, 0);

  // The root edited (from the menu), the mail reply deleted (with its key).
  PickWrite(kFcomp, 0);
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Hello again", "edited"}));
  Trigger("MenuWEdit");
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Hello again"));
  EXPECT_TRUE(CurrentShownAsWrite());
  PickWrite(kMail, 2);
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  Key(Qt::Key_D);
  EXPECT_EQ(WritesShown(kMail), std::vector<QString>{QStringLiteral("Data")});

  // Closing: the PAD file only (the family has no UP file).
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(FileLines(settings + "NIF.PAD"),
            Join({{"*M", "MNO13579", "Data", "Got it", "-- taro", "."},
                  {"*W", "FCOMP", "3", "Hello again", "edited", "."},
                  {"*F", "FCOMP", "3", "211", J("Re:メモリ増設について")},
                  quoted,
                  {"Thanks", "-- taro", "."}}));
  EXPECT_FALSE(FileExists(settings + "NIF.UP"));

  window.reset();
  ui.Script(UiAnswer::Yes);  // read the PAD file
  Start("NIF19990730.LOG", "NIF");
  EXPECT_EQ(WritesShown(kMail), std::vector<QString>{QStringLiteral("Data")});
  EXPECT_EQ(WritesShown(kFcomp), (std::vector<QString>{QStringLiteral("Re:メモリ増設について"),
                                                       QStringLiteral("Hello again")}));
}

TEST_F(MainWindowWrites, AnOpenEditorKeepsTheWindowFromClosingAndFromOpeningLogs) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
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
    // A log dropped on the window is not opened either.
    w.DropFiles({dir.File("NIF19990730.LOG")});
    // The user goes on working: a root article in another board, in a second editor.
    w.CommonIni().Editer = second;
    QTimer::singleShot(50, [&] {
      EXPECT_EQ(w.Writer().RunningEditors().Count(), 2);
      test::FakeEditor::Release(firstData);
      QTimer::singleShot(100, [&] { test::FakeEditor::Release(secondData); });
    });
    w.BoardView().ShowBoard(kProg);
    Trigger("BTNRoot");
  });
  w.CommonIni().Editer = first;
  Trigger("BTNRoot");
  EXPECT_TRUE(refused);
  EXPECT_EQ(
      Messages(),
      (Lines{J("エディタ起動中です\r起動中エディタを全て終了してから終了して下さい"),
             J("エディタ起動中です\r起動中エディタを全て終了してから再度オープンして下さい")}));
  EXPECT_EQ(w.Session().CurrentPrefix, "NET");
  const TBBSProcess& bbs = *w.CurrentAnalyser();
  // The second editor's write was queued first, inside the first one's wait.
  EXPECT_GE(bbs.Boards.GetArticles(kProg)->FindByKeyAndTime(ArticleSortTree, 0, 0), 0);
  EXPECT_GE(bbs.Boards.GetArticles(kGeneral)->FindByKeyAndTime(ArticleSortTree, 1, 0), 0);
  // The first write shows at once although the user had gone to another board.
  EXPECT_EQ(w.BoardView().CurrentBoard(), kGeneral);
  EXPECT_EQ(CurrentTitle(), QStringLiteral("first"));
  EXPECT_TRUE(CurrentShownAsWrite());
  EXPECT_TRUE(w.Commands().IsEnabled("MenuEnd"));
  EXPECT_TRUE(w.Commands().IsEnabled("MenuOpen"));
  EXPECT_TRUE(w.Writer().RunningEditors().Empty());
}

TEST_F(MainWindowWrites, AnUpFileThatCannotBeWrittenIsNamedAndTheUserDecidesOnEnding) {
  // The set's UP file lies in a folder that does not exist.
  std::string ini = test::ReadBytes(settings + "netvorn.ini");
  ini.replace(ini.find("UpFile=\"NET.UP\""), 15, "UpFile=\"none/NET.UP\"");
  test::WriteBytes(settings + "netvorn.ini", ini);
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Note", "text"}));
  BoardListKey(kGeneral, Qt::Key_W);
  const std::string failed =
      J("UPファイル:") + settings + "none/NET.UP\r" + J("書込み出来ませんでした");
  Trigger("MenuCreateUpFile");
  EXPECT_EQ(Messages(), Lines{failed});

  // Ending without saving: the UP/PAD question, then the failure and whether to end anyway.
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  ui.Script(UiAnswer::No);
  Trigger("MenuNoSaveEnd");
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(w.Reading().SaveData());
  EXPECT_EQ(Messages(), (Lines{J("UP/PADファイルが編集されている可能性があります\r書込みますか？"),
                               failed + "\r" + J("このまま終了しますか？")}));
  ui.entries.clear();
  ui.Script(UiAnswer::No);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(Messages().size(), 1u);
}

// The board editor refills the board list with the boards' new letters; a write made before
// it still waits for the UP file, and ending still asks about it.
TEST_F(MainWindowWrites, AWriteMadeBeforeTheBoardEditorIsStillAskedAboutAtTheEnd) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Before the board editor", "text"}));
  BoardListKey(kGeneral, Qt::Key_W);
  ASSERT_EQ(WritesShown(kGeneral), std::vector<QString>{QStringLiteral("Before the board editor")});
  Trigger("MenuBoardEdit");
  ASSERT_EQ(dialogs->boardRequests.size(), 1u);
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(Messages(), Lines{J("UP/PADファイルが編集されている可能性があります\r書込みますか？")});
  const Lines up = FileLines(settings + "NET.UP");
  EXPECT_NE(std::find(up.begin(), up.end(), "WBefore the board editor"), up.end());
}

// The real dialogs, as the user meets them: the board made binary in the board editor, the file
// of a binary upload picked in the open dialog, the destination of a jump reply and the
// recipient of a new mail (and the search's ID) picked in the board and ID editors.
TEST_F(MainWindowWrites, TheRealDialogsSetTheBoardAndPickTheFileTheDestinationAndTheRecipient) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET", true);
  const TBBSProcess& bbs = *w.CurrentAnalyser();
  // Runs the user's part in the next modal dialog of the type.
  // (Counted: a dialog that never opens would leave its part undone without a failure.)
  int dialogsMet = 0;
  auto inDialog = [&](auto* type, auto&& act) {
    QTimer::singleShot(0, [&, act] {
      auto* dialog = qobject_cast<decltype(type)>(QApplication::activeModalWidget());
      if (!dialog) {
        ADD_FAILURE() << "no dialog";
        return;
      }
      ++dialogsMet;
      act(*dialog);
    });
  };
  auto grid = [](QWidget& dialog, const char* name) {
    return dialog.findChild<QTableWidget*>(QString::fromLatin1(name));
  };
  auto ok = [](QWidget& dialog) {
    dialog.findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
  };

  w.BoardView().ShowBoard(kProg);
  inDialog(static_cast<TBoardSetForm*>(nullptr), [&](TBoardSetForm& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ボード編集"));
    EXPECT_EQ(grid(d, "SGDBoard")->currentRow(), 0);
    grid(d, "SGDBoard")->setCurrentCell(kBinary - 1, 1);  // board 0 is not listed
    d.findChild<QRadioButton*>(QStringLiteral("RGBSts_1"))->click();
    EXPECT_TRUE(test::SaveScreenshot(d, QStringLiteral("BoardSetForm-edit.png")));
    ok(d);
  });
  Trigger("MenuBoardEdit");
  EXPECT_EQ(bbs.Boards.GetBoardType(kBinary), 1);
  // The board list is filled again and keeps its place.
  EXPECT_EQ(w.BoardList().count(), 4);
  EXPECT_EQ(w.BoardList().currentIndex(), kProg);

  // A binary upload there: the file comes from the open dialog.
  const std::string upload = dir.File("pic.lzh");
  test::WriteBytes(upload, "LZH");
  Pick(kBinary, 12);
  w.CommonIni().Editer = editor.Command("append", CrLf({"A picture"}));
  inDialog(static_cast<QFileDialog*>(nullptr), [&](QFileDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("バイナリ送信ファイルの指定"));
    d.selectFile(QtText(upload));
    static_cast<QDialog&>(d).accept();  // as the dialog's open button
  });
  Key(Qt::Key_W, Qt::ShiftModifier);
  EXPECT_TRUE(CurrentShownAsWrite());
  const TArticleList& binary = *bbs.Boards.GetArticles(kBinary);
  const ArticleRecord* sent =
      binary.GetArticle(ArticleSortNormal, binary.FindByKeyAndTime(ArticleSortNormal, 0, 0));
  ASSERT_TRUE(sent && sent->Text() && sent->Text()->size() > 2);
  EXPECT_EQ((*sent->Text())[1], J("[UP対象ファイル]") + upload);

  Pick(kGeneral, 102);
  w.CommonIni().Editer = editor.Command("append", CrLf({"moved"}));
  inDialog(static_cast<TBoardSetForm*>(nullptr), [&](TBoardSetForm& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("移動先ボード指定"));
    EXPECT_EQ(grid(d, "SGDBoard")->currentRow(), kGeneral - 1);
    grid(d, "SGDBoard")->setCurrentCell(kProg - 1, 1);
    EXPECT_TRUE(test::SaveScreenshot(d, QStringLiteral("BoardSetForm-choose.png")));
    ok(d);
  });
  Key(Qt::Key_J);
  EXPECT_EQ(w.BoardView().CurrentBoard(), kProg);
  EXPECT_TRUE(CurrentShownAsWrite());

  w.CommonIni().Editer = editor.Command("replace", CrLf({"Meeting", "At eight"}));
  inDialog(static_cast<TIDEditForm*>(nullptr), [&](TIDEditForm& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("メール送信先ID指定"));
    QTableWidget* ids = grid(d, "SGDID");
    for (int r = 0; r < ids->rowCount(); ++r) {
      if (ids->item(r, 0)->text() == QStringLiteral("3072")) ids->setCurrentCell(r, 0);
    }
    EXPECT_TRUE(test::SaveScreenshot(d, QStringLiteral("IDEditForm-choose.png")));
    ok(d);
  });
  BoardListKey(kGeneral, Qt::Key_M);
  EXPECT_EQ(w.BoardView().CurrentBoard(), kMail);
  EXPECT_EQ(CurrentTitle(), QStringLiteral("Meeting"));
  const TArticleList& mail = *bbs.Boards.GetArticles(kMail);
  const ArticleRecord* written =
      mail.GetArticle(ArticleSortNormal, mail.FindByKeyAndTime(ArticleSortNormal, 3, 0));
  ASSERT_TRUE(written && written->MailTo());
  EXPECT_EQ(TMailSendList::GetRecipientId(written->MailTo(), 0), 3072);

  // The ID editor on the writer of an article, its row first; a handle changed there shows in
  // the grid at once.
  Pick(kGeneral, 102);
  inDialog(static_cast<TIDEditForm*>(nullptr), [&](TIDEditForm& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ID編集"));
    QTableWidget* ids = grid(d, "SGDID");
    EXPECT_EQ(ids->item(ids->currentRow(), 0)->text(), QStringLiteral("2048"));
    ids->item(ids->currentRow(), 1)->setText(QStringLiteral("花子"));
    EXPECT_TRUE(test::SaveScreenshot(d, QStringLiteral("IDEditForm-edit.png")));
    ok(d);
  });
  Trigger("GMenuIDEdit");
  EXPECT_EQ(Cell(CurrentRow(), 1), QStringLiteral("2048:花子"));
  // From the menu no member is offered first.
  inDialog(static_cast<TIDEditForm*>(nullptr), [&](TIDEditForm& d) {
    EXPECT_EQ(grid(d, "SGDID")->currentRow(), 0);
    d.findChild<QPushButton*>(QStringLiteral("BTNCancel"))->click();
  });
  Trigger("MenuIDEdit");

  // The search dialog's ID button picks the ID in the ID editor.
  inDialog(static_cast<TSearchForm*>(nullptr), [&](TSearchForm& search) {
    inDialog(static_cast<TIDEditForm*>(nullptr), [&](TIDEditForm& d) {
      EXPECT_EQ(d.windowTitle(), QStringLiteral("検索ID指定"));
      grid(d, "SGDID")->setCurrentCell(3, 0);
      ok(d);
    });
    search.findChild<QPushButton*>(QStringLiteral("BTNIDSet"))->click();
    EXPECT_EQ(search.findChild<QLineEdit*>(QStringLiteral("EDSearchID"))->text(),
              QStringLiteral("4096"));
    search.reject();
  });
  Trigger("MenuSearch");
  EXPECT_EQ(dialogsMet, 8);
  EXPECT_TRUE(ui.entries.empty());
}

}  // namespace
}  // namespace vorn
