#include "writing/EditIF.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "support/FakeEditor.h"
#include "support/TestSupport.h"
#include "text/Dates.h"
#include "writing/RunningEditors.h"

namespace vorn {
namespace {

using test::CrLf;
using test::J;
using Lines = TStringList;
using Markers = std::vector<std::pair<std::string, int32_t>>;

TEST(EditIF, TemporaryFileIsNumberedBeforeTheExtension) {
  EXPECT_EQ(TEditIF("/app/vorntemp.txt", 7).TempFileName, "/app/vorntemp_7.txt");
  EXPECT_EQ(TEditIF("/app/vorntemp", 12).TempFileName, "/app/vorntemp_12");
  // A dot in a folder's name is not an extension.
  EXPECT_EQ(TEditIF("/my.app/temp", 0).TempFileName, "/my.app/temp_0");
  EXPECT_EQ(TEditIF::BackupFileName("/app/vorntemp_7.txt"), "/app/vorntemp_7.BAK");
}

TEST(EditIF, HeadMarkersAreSplitAtCommasWithBlanksDropped) {
  TEditIF e("t.txt", 0);
  e.SetHeadMarkers("%V%W,24dot");
  EXPECT_EQ(e.HeadMarkers, (Markers{{"%V%W", 4}, {"24dot", 5}}));

  TEditIF lead("t.txt", 0);
  // A comma before anything has begun belongs to the marker; half- and full-width blanks go.
  lead.SetHeadMarkers(",ab , c" + J("　") + "d,,");
  EXPECT_EQ(lead.HeadMarkers, (Markers{{",ab", 3}, {"cd", 2}, {",", 1}}));
  // A double-byte character whose second byte is a comma stays whole.
  TEditIF kanji("t.txt", 0);
  kanji.SetHeadMarkers(J("表") + ",x");
  EXPECT_EQ(kanji.HeadMarkers, (Markers{{J("表"), 2}, {"x", 1}}));
}

class EditIFLayout : public ::testing::Test {
 protected:
  EditIFLayout() : e(dir.File("vorntemp.txt"), 1) {
    e.QuotePrefix = ">";
    e.SetHeadMarkers("%V%W,24dot");
    e.UpFileLabel = J("[UP対象ファイル]");
    e.WriteFileLabel = J("[書込ファイル名]");
    e.DefaultTitle = "Title None";
  }
  test::TempDir dir;
  TEditIF e;
};

TEST_F(EditIFLayout, TitleBinaryLinesQuotesAndMarkers) {
  EXPECT_EQ(e.LayOut({}, "", false), Lines{"Title None"});
  // Empty lines: the default title, then the binary lines.
  EXPECT_EQ(e.LayOut({}, "/data/pic.lzh", false),
            (Lines{"Title None", J("[UP対象ファイル]") + "/data/pic.lzh",
                   J("[書込ファイル名]") + "PIC.LZH"}));
  // A title with line breaks: the binary lines go after its first line.
  EXPECT_EQ(e.LayOut({"Re:x\r\nBoard Shift by\r\n 1:a"}, "/d/f.bin", false),
            (Lines{"Re:x", J("[UP対象ファイル]") + "/d/f.bin", J("[書込ファイル名]") + "F.BIN",
                   "Board Shift by", " 1:a"}));
  EXPECT_EQ(e.LayOut({"T", "24dot ABC", "ABC", "%V%Wbig", "", "24do"}, "", false),
            (Lines{"T", "24dot> ABC", ">ABC", "%V%W>big", ">", ">24do"}));
  e.CutBlankQuoteLines = true;
  EXPECT_EQ(e.LayOut({"T", "a", "", " \t" + J("　"), "b"}, "", false), (Lines{"T", ">a", ">b"}));
  // As is: the text of a queued write, untouched.
  EXPECT_EQ(e.LayOut({"T", "", "24dot x"}, "/d/f", true), (Lines{"T", "", "24dot x"}));
  EXPECT_EQ(e.LayOut({}, "", true), Lines{});
}

TEST_F(EditIFLayout, FooterWithDatePlaceholdersUpToTheDelimiter) {
  e.FooterFile = dir.File("sig.txt");
  e.Delimiter = ".";
  test::WriteBytes(e.FooterFile, CrLf({"--", "sent $y", ".", "after delimiter"}));
  Lines out{"T"};
  e.AppendFooter(out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1], "--");
  const std::tm now = CurrentLocalTime();
  EXPECT_EQ(out[2], "sent " + std::to_string(now.tm_year + 1900));

  e.FooterBeforeEdit = true;
  EXPECT_EQ(e.LayOut({"T", "q"}, "", false).size(), 4u);

  e.FooterFile = dir.File("missing.txt");
  out.clear();
  e.AppendFooter(out);
  EXPECT_EQ(out, Lines{"FotterFile:" + dir.File("missing.txt") + " Load Error"});
  e.FooterFile.clear();
  out.clear();
  e.AppendFooter(out);
  EXPECT_TRUE(out.empty());
}

// Runs a whole edit with the fake editor.
class EditIFRun : public EditIFLayout {
 protected:
  EditIFRun() : editor(dir) { e.Delimiter = "."; }

  TEditResult Run(const std::string& command, Lines& lines, bool asIs = false) {
    e.EditorPath = command;
    TPollingEditorWait wait(2);
    return e.EditText(lines, "", asIs, wait);
  }
  bool TempFilesGone() const {
    return !FileExists(e.TempFileName) && !FileExists(TEditIF::BackupFileName(e.TempFileName));
  }

  test::FakeEditor editor;
};

TEST_F(EditIFRun, ReplacedTextIsReadUpToTheDelimiterWithTheFooter) {
  e.FooterFile = dir.File("sig.txt");
  test::WriteBytes(e.FooterFile, CrLf({"-- " + J("たろう")}));
  // A backup the editor left beside the file goes with it.
  test::WriteBytes(TEditIF::BackupFileName(e.TempFileName), "old");
  Lines lines{"Re:Hello", "quoted"};
  const std::string typed = CrLf({J("件名"), J("本文です"), "second", ".", "ignored"});
  EXPECT_EQ(Run(editor.Command("replace", typed), lines), EditDone);
  EXPECT_EQ(lines, (Lines{J("件名"), J("本文です"), "second", "-- " + J("たろう")}));
  EXPECT_TRUE(TempFilesGone());
}

TEST_F(EditIFRun, TheEditorSeesTheMaterialAndAppendedLinesComeBack) {
  Lines lines{"Re:Hello", "quoted"};
  EXPECT_EQ(Run(editor.Command("append", CrLf({"my answer"})), lines), EditDone);
  EXPECT_EQ(lines, (Lines{"Re:Hello", ">quoted", "my answer"}));
}

TEST_F(EditIFRun, TwoQuickSavesKeepTheSecond) {
  // Both saves fall within the same two seconds as the editor's start.
  Lines lines{"T"};
  EXPECT_EQ(Run(editor.Command("twice", CrLf({"T2", "final body"})), lines), EditDone);
  EXPECT_EQ(lines, (Lines{"T2", "final body"}));
}

TEST_F(EditIFRun, ASaveThatKeepsTheOldTimeIsStillNoticed) {
  Lines lines{"T"};
  EXPECT_EQ(Run(editor.Command("sametime", CrLf({"T", "body written fast"})), lines), EditDone);
  EXPECT_EQ(lines, (Lines{"T", "body written fast"}));
}

TEST_F(EditIFRun, NoSaveOrADelimiterFirstIsUnchanged) {
  Lines lines{"T", "q"};
  test::WriteBytes(TEditIF::BackupFileName(e.TempFileName), "old");
  EXPECT_EQ(Run(editor.Command("quit"), lines), EditUnchanged);
  EXPECT_TRUE(TempFilesGone());

  EXPECT_EQ(Run(editor.Command("replace", CrLf({".", "text after"})), lines), EditUnchanged);
  EXPECT_TRUE(TempFilesGone());
}

TEST_F(EditIFRun, TitleWithOnlyBlankLinesGetsNoFooter) {
  e.FooterFile = dir.File("sig.txt");
  test::WriteBytes(e.FooterFile, CrLf({"--sig"}));
  Lines lines{"T"};
  EXPECT_EQ(Run(editor.Command("replace", CrLf({"Title", "", "  ", "."})), lines), EditDone);
  EXPECT_EQ(lines, Lines{"Title"});
}

TEST_F(EditIFRun, AnEmptyFileWithoutDelimiterIsDoneWithNoLines) {
  e.Delimiter.clear();
  Lines lines{"T"};
  EXPECT_EQ(Run(editor.Command("replace", ""), lines), EditDone);
  EXPECT_TRUE(lines.empty());
}

TEST_F(EditIFRun, AsIsEditKeepsTheTextAndAddsNoFooter) {
  e.FooterFile = dir.File("sig.txt");
  test::WriteBytes(e.FooterFile, CrLf({"--sig"}));
  Lines lines{"Queued", "24dot body"};
  EXPECT_EQ(Run(editor.Command("append", CrLf({"more"})), lines, true), EditDone);
  EXPECT_EQ(lines, (Lines{"Queued", "24dot body", "more"}));
}

TEST_F(EditIFRun, EditorThatCannotStartAndTemporaryFileThatCannotBeWritten) {
  Lines lines{"T"};
  EXPECT_EQ(Run(dir.File("no-such-editor"), lines), EditLaunchError);
  EXPECT_EQ(lines, Lines{"T"});

  TEditIF nowhere(dir.File("missing-folder/vorntemp.txt"), 0);
  nowhere.EditorPath = editor.Command("replace", CrLf({"x"}));
  TPollingEditorWait wait(2);
  EXPECT_EQ(nowhere.EditText(lines, "", false, wait), EditTempFileError);
}

TEST_F(EditIFRun, TemporaryFileRemovedByTheEditorIsAnAccessError) {
  // The editor deletes the file: the result cannot be read.
  test::WriteBytes(dir.File("rm-editor.sh"), "#!/bin/sh\neval \"f=\\${$#}\"\nrm -f \"$f\"\n");
  std::filesystem::permissions(dir.File("rm-editor.sh"), std::filesystem::perms::owner_all);
  Lines lines{"T"};
  EXPECT_EQ(Run(dir.File("rm-editor.sh"), lines), EditTempFileError);
}

// Ends the wait from the message pump after some turns, as the window's activation does.
class ActivatingUi final : public UiServices {
 public:
  void Warning(const std::string&) override {}
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::Cancel; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::No; }
  void ProcessMessages() override {
    if (++pumps == activateAfter) onActivate();
  }
  int pumps = 0;
  int activateAfter = 5;
  std::function<void()> onActivate;
};

TEST_F(EditIFRun, WaitingForActivationEndsWhileTheEditorStillRuns) {
  TRunningEditors running;
  running.Add(&e);
  e.WaitForActivation = true;
  const std::string command = editor.Command("keepopen", CrLf({"T", "typed before coming back"}));
  const std::string data = editor.LastDataFile();
  ActivatingUi ui;
  // The user saves and comes back to the program; the editor stays open.
  ui.onActivate = [&] {
    std::string bytes;
    for (int i = 0; i < 500; ++i) {
      if (ReadWholeFile(e.TempFileName, bytes) && bytes.find("typed") != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    running.MarkActivated();
  };
  ScopedUiServices scoped(&ui);
  Lines lines{"T"};
  EXPECT_EQ(Run(command, lines), EditDone);
  EXPECT_EQ(lines, (Lines{"T", "typed before coming back"}));
  EXPECT_EQ(ui.pumps, ui.activateAfter);
  // The editor ends only now.
  e.WaitForActivation = false;
  EXPECT_FALSE(e.EditingEnded());
  test::FakeEditor::Release(data);
  for (int i = 0; i < 500 && !e.EditingEnded(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(e.EditingEnded());
}

TEST(RunningEditors, NumbersWrapAfter999AndActivationReachesAll) {
  TRunningEditors running;
  running.EditorCounter = 998;
  EXPECT_EQ(running.NextNumber(), 998);
  EXPECT_EQ(running.NextNumber(), 999);
  EXPECT_EQ(running.NextNumber(), 0);
  TEditIF a("t.txt", 0), b("t.txt", 1);
  running.Add(&a);
  running.Add(&b);
  running.Remove(&a);
  running.MarkActivated();
  EXPECT_FALSE(a.Activated);
  EXPECT_TRUE(b.Activated);
  EXPECT_EQ(running.Count(), 1);
}

}  // namespace
}  // namespace vorn
