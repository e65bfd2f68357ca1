// The window's writing as the user meets it, on both samples, with the real dialogs and a real
// external editor: what the editor hands back, what ending asks, and that nothing composed is
// lost on the way to the UP and PAD files.
#include "reader/WriteController.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QTableWidget>
#include <QUrl>

#include "dialogs/BoardSet.h"
#include "platform/FileQuery.h"
#include "reader/QtUiServices.h"
#include "support/WindowWriteFixture.h"

namespace vorn {
namespace {

using test::CrLf;
using test::J;
using test::ReadBytes;
using test::WriteBytes;
using Kind = RecordingUiServices::Kind;
using Lines = std::vector<std::string>;

const std::string kUpPadQuestion =
    J("UP/PADファイルが編集されている可能性があります\r書込みますか？");

class WindowWrites : public test::WindowWriteFixture {
 protected:
  // Makes the binary board of the NetVorn sample a binary board, as the board editor does.
  void BinaryBoard() {
    InDialog<TBoardSetForm>([](TBoardSetForm& d) {
      d.findChild<QTableWidget*>(QStringLiteral("SGDBoard"))->setCurrentCell(kBinary - 1, 1);
      d.findChild<QRadioButton*>(QStringLiteral("RGBSts_1"))->click();
      Click(d, "BTNOK");
    });
    Trigger("MenuBoardEdit");
    ASSERT_EQ(Bbs().Boards.GetBoardType(kBinary), 1);
  }
  // The file the user picks in the binary-file dialog.
  void PickFile(const std::string& nativePath) {
    InDialog<QFileDialog>([nativePath](QFileDialog& d) {
      d.selectFile(QString::fromStdString(nativePath));
      static_cast<QDialog&>(d).accept();
    });
  }
  std::string KeptFile(const std::string& begin, const std::string& extension) const {
    for (const std::string& path : SettingsFiles(begin)) {
      if (path.ends_with(extension)) return path;
    }
    return {};
  }
};

// Earlier pending writes that the user chose not to read back are not thrown away by the new
// files: each is kept beside them under a name that says it was not read, and the user is told.
TEST_F(WindowWrites, FilesNotReadBackAreKeptBesideTheNewOnes) {
  const std::string oldUp = CrLf({"\\1", "WEarlier root", "composed last time", ".", "", "Q"});
  const std::string oldPad =
      CrLf({"*U", "3", "/home/taro/old.lzh", "OLD.LZH", "Earlier upload", "body", "."});
  WriteBytes(settings + "NET.UP", oldUp);
  WriteBytes(settings + "NET.PAD", oldPad);
  ui.Script(UiAnswer::No);  // the UP file is not read back
  ui.Script(UiAnswer::No);  // nor the PAD file
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  ASSERT_TRUE(Writes(kGeneral).empty());

  w.CommonIni().Editer = editor.Command("replace", CrLf({"New root", "written today"}));
  BoardListKey(kGeneral, Qt::Key_W);
  ASSERT_EQ(Writes(kGeneral).size(), 1u);
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  Trigger("MenuEnd");
  EXPECT_FALSE(w.isVisible());

  EXPECT_EQ(FileLines(settings + "NET.UP"),
            (Lines{"\\1", "WNew root", "written today", "-- taro", ".", "", "Q"}));
  EXPECT_FALSE(FileExists(settings + "NET.PAD"));
  const std::string keptUp = KeptFile("NET_notread_", ".UP");
  const std::string keptPad = KeptFile("NET_notread_", ".PAD");
  ASSERT_FALSE(keptUp.empty());
  ASSERT_FALSE(keptPad.empty());
  EXPECT_EQ(ReadBytes(keptUp), oldUp);
  EXPECT_EQ(ReadBytes(keptPad), oldPad);
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].text, kUpPadQuestion);
  EXPECT_EQ(ui.entries[1].kind, Kind::Information);
  EXPECT_EQ(ui.entries[1].text, J("読込まなかった以前のUP/PADファイルは次の名前で残しました\r") +
                                    keptUp + "\r" + keptPad);
}

// Nifty-Serve keeps everything in its PAD file. A file not read back makes ending ask even
// when nothing was composed (the file does not hold what is pending); No leaves it as it is.
TEST_F(WindowWrites, ANiftyPadFileNotReadBackIsKeptToo) {
  const std::string oldPad = CrLf({"*W", "FCOMP", "3", "Earlier", "from the last run", "."});
  WriteBytes(settings + "NIF.PAD", oldPad);
  ui.Script(UiAnswer::No);
  Start("NIF19990730.LOG", "NIF");
  ui.entries.clear();
  ui.Script(UiAnswer::No);
  EXPECT_TRUE(window->close());
  EXPECT_EQ(Messages(), Lines{kUpPadQuestion});
  EXPECT_EQ(ReadBytes(settings + "NIF.PAD"), oldPad);
  EXPECT_TRUE(SettingsFiles("NIF_notread_").empty());

  window.reset();
  ui.Script(UiAnswer::No);
  TVornExplMain& w = Start("NIF19990730.LOG", "NIF");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Today", "new words"}));
  BoardListKey(kFcomp, Qt::Key_W);
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(FileLines(settings + "NIF.PAD"),
            (Lines{"*W", "FCOMP", "3", "Today", "new words", "-- taro", "."}));
  const std::string kept = KeptFile("NIF_notread_", ".PAD");
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(ReadBytes(kept), oldPad);
}

// Writes read back for a board the loaded log lacks (an UP file from another day's log) find
// no place in the window: the user is told at once, and the file is kept when it is replaced.
TEST_F(WindowWrites, WritesReadBackWithoutAPlaceAreKept) {
  const std::string oldUp = CrLf({"\\77", "WFor a board of another day", "text", ".", "", "\\1",
                                  "WEarlier root", "composed last time", ".", "", "Q"});
  WriteBytes(settings + "NET.UP", oldUp);
  ui.Script(UiAnswer::Yes);
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  ASSERT_EQ(Writes(kGeneral).size(), 1u);
  const auto warning = std::find_if(startEntries.begin(), startEntries.end(),
                                    [](const auto& e) { return e.kind == Kind::Warning; });
  ASSERT_NE(warning, startEntries.end());
  EXPECT_TRUE(warning->text.starts_with(J("UPファイルの書込みのうち1件は")));

  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  Trigger("MenuEnd");
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(FileLines(settings + "NET.UP"),
            (Lines{"\\1", "WEarlier root", "composed last time", ".", "", "Q"}));
  const std::string kept = KeptFile("NET_notread_", ".UP");
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(ReadBytes(kept), oldUp);
}

// A binary write whose file lines the editor lost or moved keeps them where the PAD file needs
// them, and the user is told; the write goes into the PAD file.
TEST_F(WindowWrites, ABinaryWriteKeepsItsFileLines) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  BinaryBoard();
  const std::string upload = dir.File("pic.lzh");
  WriteBytes(upload, "LZH");
  const std::string fileLine = J("[UP対象ファイル]") + upload;
  const std::string nameLine = J("[書込ファイル名]PIC.LZH");
  const std::string told =
      J("[UP対象ファイル]と[書込ファイル名]の行はバイナリ書込みの2行目と3行目に必要です\r"
        "この2行を戻して書込みました。内容は書込編集で確かめて下さい");

  // The user replaces the whole text, file lines included.
  Pick(kBinary, 12);
  PickFile(upload);
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Picture", "see attached"}));
  Key(Qt::Key_W, Qt::ShiftModifier);
  EXPECT_EQ(Messages(), Lines{told});
  ASSERT_EQ(Writes(kBinary).size(), 1u);
  EXPECT_EQ(Writes(kBinary)[0], (Lines{"Picture", fileLine, nameLine, "see attached", "-- taro"}));

  // Edited again: the lines moved below the body, another file named there.
  ui.entries.clear();
  const std::string other = J("[UP対象ファイル]") + dir.File("other.lzh");
  w.CommonIni().Editer = editor.Command(
      "replace", CrLf({"Picture 2", "body first", other, J("[書込ファイル名]OTHER.LZH")}));
  PickWrite(kBinary, 0);
  Key(Qt::Key_E);
  EXPECT_EQ(Messages(), Lines{told});
  EXPECT_EQ(Writes(kBinary)[0],
            (Lines{"Picture 2", other, J("[書込ファイル名]OTHER.LZH"), "body first"}));

  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(FileLines(settings + "NET.PAD"),
            (Lines{"*U", "3", dir.File("other.lzh"), "OTHER.LZH", "Picture 2", "body first", "."}));
}

// With EditerEndActivate the user may come back to the window only to read on while the editor
// still runs and nothing is saved: the wait goes on, and the later save is queued.
TEST_F(WindowWrites, ComingBackWhileTheEditorRunsUnsavedKeepsWaiting) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  w.CommonIni().EditerEndActivate = true;
  w.CommonIni().Editer = editor.Command("waitfor", CrLf({"Later", "saved after a look back"}));
  const std::string data = editor.LastDataFile();
  const std::string temp = dir.File("vorntemp_0.txt");
  auto comeBack = [] {
    emit static_cast<QGuiApplication*>(QCoreApplication::instance())
        ->applicationStateChanged(Qt::ApplicationActive);
  };
  // The user's steps while the editor is open, one look every 10 ms.
  bool stillWaiting = false;
  int step = 0;
  int ticks = 0;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    ++ticks;
    if (step == 0 && w.Writer().RunningEditors().Count() == 1) {
      comeBack();  // a look at the article, nothing saved yet
      step = 1;
      ticks = 0;
    } else if (step == 1 && ticks == 10) {
      stillWaiting = w.Writer().RunningEditors().Count() == 1 && FileExists(temp);
      test::FakeEditor::Release(data);  // the user saves
      step = 2;
    } else if (step == 2 && ReadBytes(temp).find("saved after") != std::string::npos) {
      comeBack();
      step = 3;
    }
  });
  user.start(10);
  BoardListKey(kGeneral, Qt::Key_W);
  EXPECT_TRUE(stillWaiting);
  ASSERT_EQ(Writes(kGeneral).size(), 1u);
  EXPECT_EQ(Writes(kGeneral)[0], (Lines{"Later", "saved after a look back", "-- taro"}));
  EXPECT_FALSE(FileExists(temp));
}

// Editors of this platform save with LF line ends, old ones with CR: every line end ends a
// line, and none reaches the UP file inside a line.
TEST_F(WindowWrites, TheEditedTextIsReadWithAnyLineEnds) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  w.CommonIni().Editer = editor.Command("replace", "LF title\nfirst\nsecond\n");
  BoardListKey(kGeneral, Qt::Key_W);
  w.CommonIni().Editer = editor.Command("replace", "CR title\rone\r\rtwo");
  BoardListKey(kProg, Qt::Key_W);
  EXPECT_EQ(Writes(kGeneral), (std::vector<Lines>{{"LF title", "first", "second", "-- taro"}}));
  EXPECT_EQ(Writes(kProg), (std::vector<Lines>{{"CR title", "one", "", "two", "-- taro"}}));
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  const std::string up = ReadBytes(settings + "NET.UP");
  EXPECT_EQ(up, CrLf({"\\1", "WLF title", "first", "second", "-- taro", ".", "", "Q\\2",
                      "WCR title", "one", "", "two", "-- taro", ".", "", "Q"}));
}

// A file whose name CP932 cannot hold would be written into the PAD file as another name.
TEST_F(WindowWrites, ABinaryFileWhoseNameIsNotCp932IsRefused) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  BinaryBoard();
  const std::string native = dir.Path() + "/caf\xc3\xa9_\xc3\xbc.lzh";  // café_ü.lzh
  WriteBytes(native, "LZH");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Picture", "body"}));
  Pick(kBinary, 12);
  PickFile(native);
  Key(Qt::Key_W, Qt::ShiftModifier);
  EXPECT_EQ(dialogsMet, 2);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_TRUE(ui.entries[0].text.starts_with(
      J("指定されたファイル名にはシフトJIS(CP932)で書けない文字があります\r")));
  EXPECT_TRUE(Writes(kBinary).empty());
}

// A reply quotes the article as the view shows it: the log's colour sequences stay behind.
TEST_F(WindowWrites, QuotedLinesCarryNoTerminalSequences) {
  TVornExplMain& w = Start("NIF19990730.LOG", "NIF");
  // The article of the board whose log lines hold a colour sequence.
  const TArticleList& list = Board(kFcomp);
  int32_t coloured = -1;
  for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal) && coloured < 0; ++p) {
    const ArticleRecord* r = list.GetArticle(ArticleSortNormal, p);
    for (int32_t l = r->FirstLine; r->FirstLine >= 0 && l <= r->LastLine; ++l) {
      if (w.LogList().GetLine(l).find('\x1b') != std::string::npos) coloured = r->Number;
    }
  }
  ASSERT_GE(coloured, 0);
  Pick(kFcomp, coloured);
  w.CommonIni().Editer = editor.Command("append", CrLf({"My answer"}));
  Key(Qt::Key_F);
  ASSERT_EQ(Writes(kFcomp).size(), 1u);
  const Lines text = Writes(kFcomp)[0];
  EXPECT_GT(text.size(), 3u);
  for (const std::string& line : text)
    EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(w.close());
  const std::string pad = ReadBytes(settings + "NIF.PAD");
  EXPECT_NE(pad.find("My answer"), std::string::npos);
  EXPECT_EQ(pad.find('\x1b'), std::string::npos);
}

// An editor that cannot be started leaves no temporary file behind.
TEST_F(WindowWrites, AnEditorThatCannotStartLeavesNoTemporaryFile) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  w.CommonIni().Editer = dir.File("no-such-editor");
  BoardListKey(kGeneral, Qt::Key_W);
  EXPECT_EQ(Messages(), Lines{J("エディタ起動エラーが発生しました")});
  EXPECT_FALSE(FileExists(dir.File("vorntemp_0.txt")));
  EXPECT_TRUE(Writes(kGeneral).empty());
}

// After the save command nothing is left to ask about, in either family.
TEST_F(WindowWrites, AfterTheSaveCommandEndingAsksNothing) {
  for (const auto& [log, prefix, board] :
       {std::tuple{"NIF19990730.LOG", "NIF", kFcomp}, {"NET19990730.LOG", "NET", kGeneral}}) {
    SCOPED_TRACE(prefix);
    TVornExplMain& w = Start(log, prefix);
    w.CommonIni().Editer = editor.Command("replace", CrLf({"Saved", "at once"}));
    BoardListKey(board, Qt::Key_W);
    Trigger("MenuCreateUpFile");
    ui.entries.clear();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(FileExists(settings + prefix + ".PAD") || FileExists(settings + prefix + ".UP"));
    window.reset();
  }
}

// The roads that refill the board list after a write was queued: the board editor with OK or
// Cancel, adding a log, and dropping a log of the loaded BBS answered No at the write question.
// Ending still asks, and Yes writes the reply.
enum class Road { BoardEditorOk, BoardEditorCancel, AddLog, DropAnsweredNo };

class QueuedWriteThenRefill : public WindowWrites,
                              public ::testing::WithParamInterface<std::tuple<bool, Road>> {};

TEST_P(QueuedWriteThenRefill, EndingStillAsksAndWritesTheReply) {
  const auto [nifty, road] = GetParam();
  const std::string prefix = nifty ? "NIF" : "NET";
  TVornExplMain& w = Start(prefix + "19990730.LOG", prefix);
  const int32_t board = nifty ? kFcomp : kGeneral;
  Pick(board, nifty ? 211 : 101);
  w.CommonIni().Editer = editor.Command("append", CrLf({"Reply that must not vanish"}));
  Key(Qt::Key_F);
  ASSERT_EQ(Writes(board).size(), 1u);
  ui.entries.clear();

  const std::string junk = dir.File(prefix + "19990731.LOG");
  WriteBytes(junk, CrLf({"junk line one", "junk line two"}));
  switch (road) {
    case Road::BoardEditorOk:
    case Road::BoardEditorCancel:
      InDialog<TBoardSetForm>([road](TBoardSetForm& d) {
        Click(d, road == Road::BoardEditorOk ? "BTNOK" : "BTNCancel");
      });
      Trigger("MenuBoardEdit");
      EXPECT_EQ(dialogsMet, 1);
      break;
    case Road::AddLog:
      PickFile(junk);
      Trigger("MenuOpenAdd");
      EXPECT_EQ(dialogsMet, 1);
      EXPECT_EQ(w.Session().LogFileNames.size(), 2u);
      break;
    case Road::DropAnsweredNo: {
      ui.Script(UiAnswer::No);
      QMimeData mime;
      mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(junk))});
      // The drag comes over the window, then is let go there.
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                            Qt::NoModifier);
      QApplication::sendEvent(&w, &enter);
      ASSERT_TRUE(enter.isAccepted());
      QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&w, &drop);
      EXPECT_TRUE(drop.isAccepted());
      for (int i = 0; i < 300 && w.Session().LogFileNames.size() < 2; ++i)
        QTest::qWait(10);
      EXPECT_EQ(w.Session().LogFileNames.size(), 2u);
      ASSERT_FALSE(ui.entries.empty());
      EXPECT_EQ(ui.entries[0].text, kUpPadQuestion);
      break;
    }
  }
  ui.entries.clear();
  ui.Script(UiAnswer::Yes);
  Trigger("MenuEnd");
  EXPECT_FALSE(w.isVisible());
  ASSERT_FALSE(ui.entries.empty());
  EXPECT_EQ(ui.entries[0].text, kUpPadQuestion);
  const std::string file = settings + prefix + (nifty ? ".PAD" : ".UP");
  EXPECT_NE(ReadBytes(file).find("Reply that must not vanish"), std::string::npos);
}

std::string RoadName(const ::testing::TestParamInfo<std::tuple<bool, Road>>& info) {
  static const char* const roads[] = {"BoardEditorOk", "BoardEditorCancel", "AddLog", "Drop"};
  return std::string(std::get<0>(info.param) ? "Nifty" : "NetVorn") +
         roads[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(BothSamples, QueuedWriteThenRefill,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(Road::BoardEditorOk,
                                                              Road::BoardEditorCancel, Road::AddLog,
                                                              Road::DropAnsweredNo)),
                         RoadName);

// The settings folder's name holds a double quote: the editor still gets the file.
class QuotedSettingsFolder : public test::WindowWriteFixture {
 protected:
  QuotedSettingsFolder() : WindowWriteFixture("my \"vorn\" settings") {}
};

TEST_F(QuotedSettingsFolder, TheEditorGetsTheTemporaryFile) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET", true, true);
  ASSERT_NE(w.CommonIni().TempFile.find('"'), std::string::npos);
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Quoted", "folder"}));
  BoardListKey(kGeneral, Qt::Key_W);
  EXPECT_EQ(Writes(kGeneral), (std::vector<Lines>{{"Quoted", "folder", "-- taro"}}));
}

// With the program's own message boxes: when the UP file cannot be written, Enter at the
// question whether to end anyway keeps the program and the pending write.
TEST_F(WindowWrites, EnterAtTheFailedWriteQuestionKeepsTheData) {
  TVornExplMain& w = Start("NET19990730.LOG", "NET");
  std::filesystem::create_directory(settings + "NET.UP");
  w.CommonIni().Editer = editor.Command("replace", CrLf({"Kept", "by Enter"}));
  BoardListKey(kGeneral, Qt::Key_W);
  QtUiServices boxes;
  boxes.SetParent(&w);
  ScopedUiServices real(&boxes);
  std::vector<QString> seen;
  QTimer enter;
  QObject::connect(&enter, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      seen.push_back(box->text());
      QTest::keyClick(box, Qt::Key_Return);
    }
  });
  enter.start(10);
  EXPECT_FALSE(w.close());
  enter.stop();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[1].endsWith(QStringLiteral("このまま終了しますか？")));
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(Writes(kGeneral).size(), 1u);
}

}  // namespace
}  // namespace vorn
