#include "writing/EndOfRun.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "support/RecordingUiServices.h"
#include "support/WritingFixture.h"

namespace vorn {
namespace {

using test::CrLf;
using test::J;
using Lines = std::vector<std::string>;
using Kind = RecordingUiServices::Kind;

// The sample with three queued writes: a mail to 2048, a reply to article 101 of "general" and
// a root article in "prog", each composed in the scripted editor.
class EndOfRun : public test::WritingFixture {
 protected:
  EndOfRun() {
    test::WriteBytes(File("NET.SIG"), CrLf({"-- taro"}));
    host.shown = kMail;
    host.recipient = "2048";
    common.Editer = editor.Command("replace", CrLf({"Meeting", "See you at eight"}));
    EXPECT_TRUE(commands.StartWrite(kMail, -1, -1, WriteRoot).Done);
    common.Editer = editor.Command("replace", CrLf({"Re:Hello", "Welcome"}));
    EXPECT_TRUE(commands.StartWrite(kGeneral, -1, PositionOfNumber(kGeneral, 101), WriteRess).Done);
    common.Editer = editor.Command("replace", CrLf({"Question", "About pointers", "."}));
    EXPECT_TRUE(commands.StartWrite(kProg, -1, -1, WriteRoot).Done);
    // One article read, so that there are read pointers to keep.
    Board(kGeneral).SetReadFlag(ArticleSortTree, PositionOfNumber(kGeneral, 101), 1, false);
    ui.entries.clear();
  }

  std::string File(const std::string& name) const { return ws.settingsDir + name; }
  bool Leave(bool reopen, bool keepData = true, bool shift = false) {
    return LeaveLogSet(session, editors, common, reopen, keepData, shift);
  }
  Lines FileLines(const std::string& name) const {
    Lines lines;
    ReadClassicTextFile(File(name), lines);
    return lines;
  }
  // Makes a file of the set impossible to write: a folder stands in its place.
  void Block(const std::string& name) {
    DeleteFileAt(File(name));
    std::filesystem::create_directory(File(name));
  }
  bool ListsSaved() const {
    return FileExists(File("NET.BRD")) && FileExists(File("NET.MEM")) &&
           FileExists(File("NET.PTR"));
  }
  const std::string upPadQuestion =
      J("UP/PADファイルが編集されている可能性があります\r書込みますか？");
};

TEST_F(EndOfRun, YesWritesTheUpFileThatTheNextRunReadsBack) {
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(Leave(false));
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::ConfirmYesNoCancel);
  EXPECT_EQ(ui.entries[0].text, upPadQuestion);
  EXPECT_TRUE(ListsSaved());
  EXPECT_EQ(FileLines("NET.UP"), (Lines{"MW",
                                        "2048",
                                        "",
                                        "",
                                        "Meeting",
                                        "See you at eight",
                                        "-- taro",
                                        ".",
                                        "",
                                        "\\1",
                                        "101",
                                        "P" + std::string("Re:Hello"),
                                        "Welcome",
                                        "-- taro",
                                        ".",
                                        "",
                                        "Q\\2",
                                        "WQuestion",
                                        "About pointers",
                                        "-- taro",
                                        ".",
                                        "",
                                        "Q"}));
  // Nothing binary: no PAD file.
  EXPECT_FALSE(FileExists(File("NET.PAD")));
  EXPECT_FALSE(Board(kGeneral).Modified);

  // The next run over the same log asks, reads the writes back and keeps the read mark.
  auto again = ws.MakeNetVorn();
  TLogSession next({again.get()});
  next.SettingsFolder = ws.settingsDir;
  RecordingUiServices nextUi;
  nextUi.Script(UiAnswer::Yes);
  {
    ScopedUiServices scopedNext(&nextUi);
    ASSERT_TRUE(next.LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  }
  ASSERT_EQ(nextUi.entries.size(), 1u);
  EXPECT_EQ(nextUi.entries[0].kind, Kind::LoadCheck);
  const TArticleList& general = *again->Boards.GetArticles(kGeneral);
  const TArticleList& prog = *again->Boards.GetArticles(kProg);
  const TArticleList& mail = *again->Boards.GetArticles(kMail);
  auto writes = [](const TArticleList& list) {
    Lines titles;
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); ++p) {
      if (list.GetWriteFlag(ArticleSortNormal, p))
        titles.push_back(list.GetTitle(ArticleSortNormal, p));
    }
    return titles;
  };
  EXPECT_EQ(writes(general), Lines{"Re:Hello"});
  EXPECT_EQ(writes(prog), Lines{"Question"});
  EXPECT_EQ(writes(mail), Lines{"Meeting"});
  // The reply is under article 101 again.
  for (int32_t p = 0; p < general.OrderCount(ArticleSortTree); ++p) {
    if (general.GetWriteFlag(ArticleSortTree, p)) {
      const int32_t parent =
          general.FindByKey(ArticleSortTree, general.GetParentKey(ArticleSortTree, p));
      ASSERT_GE(parent, 0);
      EXPECT_EQ(general.GetNumber(ArticleSortTree, parent), 101);
    }
  }
  EXPECT_EQ(general.GetReadFlag(ArticleSortTree, 0), 1);
}

TEST_F(EndOfRun, NoKeepsTheUpFileAndCancelKeepsRunning) {
  ui.Script(UiAnswer::Cancel);
  EXPECT_FALSE(Leave(false));
  // The lists were saved before the question.
  EXPECT_TRUE(ListsSaved());
  EXPECT_FALSE(FileExists(File("NET.UP")));

  ui.Script(UiAnswer::No);
  EXPECT_TRUE(Leave(false));
  EXPECT_FALSE(FileExists(File("NET.UP")));
  EXPECT_EQ(ui.entries.size(), 2u);
  // Ending without saving the data still asks about the writes.
  ui.Script(UiAnswer::No);
  EXPECT_TRUE(Leave(false, false));
  EXPECT_EQ(ui.entries.size(), 3u);
}

TEST_F(EndOfRun, ShiftOrEndingWithoutSavingLeavesTheListsAlone) {
  ui.Script(UiAnswer::No);
  EXPECT_TRUE(Leave(false, true, true));
  EXPECT_FALSE(FileExists(File("NET.BRD")));
  EXPECT_FALSE(FileExists(File("NET.PTR")));
  ui.Script(UiAnswer::No);
  EXPECT_TRUE(Leave(true, false));
  EXPECT_FALSE(FileExists(File("NET.BRD")));
  EXPECT_EQ(ui.entries.size(), 2u);
}

TEST_F(EndOfRun, SavingClearsTheChangeSoEndingAsksOnlyWhatEndCheckAsks) {
  EXPECT_TRUE(WriteUpPadFiles(session));
  EXPECT_TRUE(FileExists(File("NET.UP")));
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_TRUE(Leave(false));
  EXPECT_TRUE(ui.entries.empty());

  common.EndCheck = true;
  EXPECT_TRUE(Leave(true));
  EXPECT_TRUE(ui.entries.empty());
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(Leave(false));
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(Leave(false));
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].kind, Kind::ConfirmYesNo);
  EXPECT_EQ(ui.entries[0].text, J("終了しますか？"));
}

TEST_F(EndOfRun, ARunningEditorRefusesAndSavesNothing) {
  TEditIF open(common.TempFile, 5);
  editors.Add(&open);
  EXPECT_FALSE(Leave(true));
  EXPECT_FALSE(Leave(false));
  EXPECT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].text,
            J("エディタ起動中です\r起動中エディタを全て終了してから再度オープンして下さい"));
  EXPECT_EQ(ui.entries[1].text,
            J("エディタ起動中です\r起動中エディタを全て終了してから終了して下さい"));
  EXPECT_FALSE(FileExists(File("NET.BRD")));
}

TEST_F(EndOfRun, FilesThatCannotBeWrittenAreNamedAndEndingIsAsked) {
  Block("NET.BRD");
  Block("NET.UP");
  ui.Script(UiAnswer::Yes);  // write the UP and PAD files
  ui.Script(UiAnswer::No);   // do not end regardless
  EXPECT_FALSE(Leave(false));
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[1].kind, Kind::ConfirmYesNoDefaultNo);
  EXPECT_EQ(ui.entries[1].text, J("ボードリストファイル:") + File("NET.BRD") + "\r" +
                                    J("UPファイル:") + File("NET.UP") + "\r" +
                                    J("書込み出来ませんでした") + "\r" +
                                    J("このまま終了しますか？"));
  // The writes still count as changed; the member list and read pointers were written.
  EXPECT_TRUE(Board(kGeneral).Modified);
  EXPECT_TRUE(FileExists(File("NET.PTR")));

  // Opening other logs asks in its own words; Yes goes on.
  ui.entries.clear();
  ui.Script(UiAnswer::No);
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(Leave(true));
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_NE(ui.entries[1].text.find(J("このまま別のログを開きますか？")), std::string::npos);

  // The save command names the file it could not write.
  ui.entries.clear();
  EXPECT_FALSE(WriteUpPadFiles(session));
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_EQ(ui.entries[0].text,
            J("UPファイル:") + File("NET.UP") + "\r" + J("書込み出来ませんでした"));
}

// A fresh load that could read no file has emptied the data; the set it left still names its
// files, which must not be replaced by the empty lists nor asked about.
TEST_F(EndOfRun, AfterAFailedFreshLoadNothingIsSavedOrAsked) {
  ui.Script(UiAnswer::Yes);
  ASSERT_TRUE(Leave(false));
  const std::string boards = test::ReadBytes(File("NET.BRD"));
  const std::string up = test::ReadBytes(File("NET.UP"));
  ASSERT_FALSE(up.empty());
  {
    ScopedUiServices quiet(&loadUi);
    EXPECT_FALSE(session.LoadLogFiles({ws.dir.File("no-such.LOG")}, "NET", false).Loaded());
  }
  ui.entries.clear();
  EXPECT_TRUE(Leave(false));
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_EQ(test::ReadBytes(File("NET.BRD")), boards);
  EXPECT_EQ(test::ReadBytes(File("NET.UP")), up);
}

TEST_F(EndOfRun, CancelAfterAFailedListSaveStillTells) {
  Block("NET.PTR");
  ui.Script(UiAnswer::Cancel);
  EXPECT_FALSE(Leave(false));
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[1].kind, Kind::Warning);
  EXPECT_EQ(ui.entries[1].text,
            J("リードポインタファイル:") + File("NET.PTR") + "\r" + J("書込み出来ませんでした"));
}

}  // namespace
}  // namespace vorn
