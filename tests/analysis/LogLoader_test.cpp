#include "analysis/LogLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/DisplayTexts.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "support/LoaderTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"
#include "text/Dates.h"

namespace vorn {
namespace {

using test::J;
using Kind = RecordingUiServices::Kind;

// The window's look as the hooks leave it, and the look at each message box.
class StateHooks final : public LoadHooks {
 public:
  void FreshLoadStarting(const std::string& name) override { events.push_back("fresh " + name); }
  void LoadStarting() override { events.push_back("start"); }
  void ShowStatus(const std::string& text) override {
    status = text;
    if (!text.empty()) statuses.push_back(Cp932ToUtf8(text));
  }
  void SetWaitCursor(bool on) override { wait = on; }
  void SetBusy(bool on) override { busy = on; }
  void ProgressStart(int32_t max) override {
    progressMax = max;
    progress = 0;
  }
  void ProgressStep() override { ++progress; }
  void ProgressReset() override { progress = 0; }
  void ReadingModesOff() override { events.push_back("modes off"); }
  void ForgetSavedPosition() override { events.push_back("forget position"); }

  bool Idle() const { return !wait && !busy && status.empty() && progress == 0; }

  std::vector<std::string> events;
  std::vector<std::string> statuses;
  std::string status;
  bool wait = false;
  bool busy = false;
  int32_t progressMax = -1;
  int32_t progress = 0;
};

// Message boxes recorded together with the cursor in force when each was shown.
class CursorCheckingUi final : public UiServices {
 public:
  explicit CursorCheckingUi(const StateHooks& hooks) : hooks_(hooks) {}
  void Warning(const std::string& text) override { Record(Kind::Warning, text); }
  void Information(const std::string& text) override { Record(Kind::Information, text); }
  bool ConfirmYesNo(const std::string& text) override {
    return Record(Kind::ConfirmYesNo, text), false;
  }
  UiAnswer ConfirmYesNoCancel(const std::string& text) override {
    return Record(Kind::ConfirmYesNoCancel, text), UiAnswer::No;
  }
  UiAnswer AskLoadCheck(const std::string& text) override {
    return Record(Kind::LoadCheck, text), UiAnswer::No;
  }
  void ProcessMessages() override {}

  std::vector<std::string> texts;
  int shownWithWaitCursor = 0;

 private:
  void Record(Kind, const std::string& text) {
    texts.push_back(text);
    if (hooks_.wait) ++shownWithWaitCursor;
  }
  const StateHooks& hooks_;
};

std::vector<std::string> WarningTexts(const RecordingUiServices& ui) {
  std::vector<std::string> texts;
  for (const auto& entry : ui.entries) {
    EXPECT_EQ(entry.kind, Kind::Warning) << Cp932ToUtf8(entry.text);
    texts.push_back(entry.text);
  }
  return texts;
}

std::vector<std::string> ToCp932(const std::vector<std::string>& utf8) {
  std::vector<std::string> lines;
  for (const std::string& line : utf8)
    lines.push_back(J(line));
  return lines;
}

// ---------------------------------------------------------------------------------------------
// The sample capture with the real analyser.

class LoadSample : public ::testing::Test {
 protected:
  void SetUp() override {
    process = ws.MakeNetVorn();
    session = std::make_unique<TLogSession>(std::vector<TBBSProcess*>{process.get()});
    session->SettingsFolder = ws.settingsDir;
  }
  std::string Missing(const char* name) const { return ws.dir.File(name); }

  test::SampleWorkspace ws;
  std::unique_ptr<TNetVorn> process;
  std::unique_ptr<TLogSession> session;
  RecordingUiServices ui;
  ScopedUiServices scoped{&ui};
};

TEST_F(LoadSample, FreshLoadReachesTheReadingStateWithoutWritingAnything) {
  const std::vector<std::string> settingsFiles = ws.SettingsFiles();
  StateHooks hooks;
  const LoadResult result = session->LoadLogFiles({ws.sampleLog}, "NET", false, hooks);
  ASSERT_TRUE(result.Loaded());
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_EQ(result.FilesLoaded, 1);
  EXPECT_EQ(result.NetNo, 0);
  EXPECT_EQ(result.StartLine, 0);
  EXPECT_EQ(result.BoardLines, ToCp932(test::ExpectedLines("NET19990730.boards.txt")));
  EXPECT_EQ(session->CurrentProcess, process.get());
  EXPECT_EQ(session->CurrentPrefix, "NET");
  EXPECT_EQ(session->LogFileNames, std::vector<std::string>{ws.sampleLog});
  // 98 lines of the file and the set's end line.
  ASSERT_EQ(session->LogList.Count(), 99);
  EXPECT_EQ(session->LogList.GetLine(98), process->Settings->LogEndLine);
  EXPECT_EQ(session->SystemMsgList.Count(), 3);

  EXPECT_EQ(hooks.events, (std::vector<std::string>{"fresh " + J("サンプルネット"), "start",
                                                    "modes off", "forget position"}));
  EXPECT_EQ(hooks.statuses, (std::vector<std::string>{"ログファイル読込み中...", "ログ解析中...",
                                                      "データソート中..."}));
  EXPECT_EQ(hooks.progressMax, 1);
  EXPECT_TRUE(hooks.Idle());
  // No list, pointer, UP or PAD file.
  EXPECT_EQ(ws.SettingsFiles(), settingsFiles);
}

// Logs of the other family replace the loaded data and make its analyser the current one.
TEST_F(LoadSample, EachFamilyLoadsItsOwnSet) {
  TNifty nifty(ws.settingsDir + "nifty.ini", ws.settingsDir + "nifdef.ini");
  TLogSession both({process.get(), &nifty});
  both.SettingsFolder = ws.settingsDir;
  EXPECT_EQ(both.CurrentProcess, process.get());
  const std::string nifLog = ws.dir.File("NIF19990730.LOG");
  std::filesystem::copy_file(test::SourceDir() + "/samples/NIF19990730.LOG", nifLog);

  ASSERT_TRUE(both.LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  LoadResult result = both.LoadLogFiles({nifLog}, "NIF", false);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(both.CurrentProcess, &nifty);
  EXPECT_EQ(both.CurrentPrefix, "NIF");
  EXPECT_EQ(result.BoardLines, ToCp932(test::ExpectedLines("NIF19990730.boards.txt")));
  EXPECT_EQ(both.LogList.Count(), 81);
  EXPECT_EQ(both.LogFileNames, std::vector<std::string>{nifLog});
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(LoadSample, ReadPointersOfTheSetAreAppliedAfterSorting) {
  test::WriteBytes(ws.settingsDir + "NET.PTR", "VornExplorer ReadPtrFile Ver.0.01\r\n\\1\r\n101/" +
                                                   std::to_string(DateKey(99, 7, 30, 12, 34, 0)) +
                                                   "\r\n");
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  const TArticleList& general = *process->Boards.GetArticles(1);
  EXPECT_EQ(general.GetReadFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(general.GetNewFlag(ArticleSortNormal, 0), 0);
  EXPECT_EQ(general.GetReadFlag(ArticleSortNormal, 1), 0);
  EXPECT_EQ(general.GetNewFlag(ArticleSortNormal, 1), 1);
}

// The writes the last run queued in the UP file come back with a fresh load, after the user
// agreed; an add must not queue them a second time.
TEST_F(LoadSample, QueuedWritesAreReadBackOncePerFreshLoad) {
  test::WriteBytes(ws.settingsDir + "NET.UP", "MW\r\n1024\r\n\r\n\r\nhello\r\nbody\r\n.\r\n");
  // Yes twice: a second question, had there been one, would read the file again.
  ui.Script(UiAnswer::Yes);
  ui.Script(UiAnswer::Yes);
  LoadResult result = session->LoadLogFiles({ws.sampleLog}, "NET", false);
  ASSERT_TRUE(result.Loaded());
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::LoadCheck);
  const TArticleList& mail = *process->Boards.GetArticles(0);
  ASSERT_EQ(mail.OrderCount(ArticleSortNormal), 3);
  TArticleRows rows(mail, ArticleSortNormal, process->Members, TreeLineChr2);
  const ArticleCells write = rows.ArticleCellTexts(2);
  EXPECT_EQ(write.Number, J("[書込]"));
  EXPECT_EQ(write.Writer, J("1024たろう"));
  EXPECT_EQ(write.Title, "hello");
  // The board list counts log articles only, and the writes now match the UP file.
  EXPECT_EQ(result.BoardLines[0], J("--(   2)   0:mail     / メール"));
  EXPECT_EQ(mail.Modified, 0);

  result = session->LoadLogFiles({ws.sampleLog}, "NET", true);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(mail.OrderCount(ArticleSortNormal), 3);
}

// A second capture of the same set, added to the first: the analysis goes on from its first
// line, what was loaded stays, and articles it repeats are updated, not doubled.
TEST_F(LoadSample, AddedFilesAreAnalysedFromTheirFirstLine) {
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  process->Boards.GetArticles(1)->SetReadFlag(ArticleSortNormal, 0, 1, false);
  const std::string second = ws.dir.File("NET19990731.LOG");
  test::WriteBytes(second,
                   J("No.1 ｢雑談ボード｣\r\n-\t\r\n"
                     "general(104/131) 99/07/30 13:10 Re: 夏のオフ会\r\n"
                     " <95:夏のオフ会/3072:じろう>\r\n"
                     "  3 lines 4096:さぶろう \r\n参加します。\r\n\r\n-\t\r\n"
                     "general(105/131) 99/07/31 09:00 おはよう\r\n"
                     "  2 lines 5120:しろう \r\nおはようございます。\r\n\r\n読み終わりました\r\n"));
  StateHooks hooks;
  const LoadResult result = session->LoadLogFiles({second}, "NET", true, hooks);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(result.StartLine, 99);
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"start", "modes off"}));
  EXPECT_EQ(session->LogFileNames, (std::vector<std::string>{ws.sampleLog, second}));
  EXPECT_EQ(session->LogList.Count(), 99 + 13 + 1);
  EXPECT_EQ(session->CurrentPrefix, "NET");

  const TArticleList& general = *process->Boards.GetArticles(1);
  ASSERT_EQ(general.OrderCount(ArticleSortNormal), 5);
  EXPECT_EQ(general.GetReadFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(general.GetNumber(ArticleSortNormal, 3), 104);
  EXPECT_EQ(general.GetFirstLine(ArticleSortNormal, 3), 101);
  EXPECT_EQ(general.GetNumber(ArticleSortNormal, 4), 105);
  EXPECT_EQ(general.GetFirstLine(ArticleSortNormal, 4), 107);
  EXPECT_EQ(general.GetLastLine(ArticleSortNormal, 4), 109);
  EXPECT_EQ(result.BoardLines[1], J("--(   5)   1:general  / 雑談ボード"));
}

TEST_F(LoadSample, AnUnreadableFileAmongReadableOnesIsReportedAndSkipped) {
  const std::string missing = Missing("NET19990101.LOG");
  StateHooks hooks;
  CursorCheckingUi boxes(hooks);
  ScopedUiServices inner(&boxes);
  const LoadResult result = session->LoadLogFiles({missing, ws.sampleLog}, "NET", false, hooks);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(result.FilesLoaded, 1);
  EXPECT_EQ(boxes.texts,
            std::vector<std::string>{J("ファイル:") + missing + "\r" + J("読込み出来ません")});
  EXPECT_EQ(boxes.shownWithWaitCursor, 0);
  EXPECT_EQ(hooks.progressMax, 2);
  EXPECT_EQ(session->LogFileNames, std::vector<std::string>{ws.sampleLog});
  EXPECT_EQ(session->LogList.Count(), 99);
  EXPECT_TRUE(hooks.Idle());
}

TEST_F(LoadSample, WhenNoFileCanBeReadTheLoadEndsEmpty) {
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  const std::string a = Missing("NET1.LOG"), b = Missing("NET2.LOG");
  StateHooks hooks;
  LoadResult result = session->LoadLogFiles({a, b}, "NET", false, hooks);
  EXPECT_EQ(result.Failure, LoadFailure::NoFileRead);
  EXPECT_EQ(WarningTexts(ui),
            (std::vector<std::string>{J("ファイル:") + a + "\r" + J("読込み出来ません"),
                                      J("ファイル:") + b + "\r" + J("読込み出来ません"),
                                      J("指定されたログファイルは１個も読込み出来ません")}));
  // A fresh load clears what was loaded before it reads.
  EXPECT_EQ(session->CurrentPrefix, "");
  EXPECT_EQ(session->LogList.Count(), 0);
  EXPECT_TRUE(session->LogFileNames.empty());
  EXPECT_TRUE(hooks.Idle());
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"fresh " + J("サンプルネット"), "start"}));

  // A single file gets its own message only.
  ui.entries.clear();
  result = session->LoadLogFiles({a}, "NET", false);
  EXPECT_EQ(result.Failure, LoadFailure::NoFileRead);
  EXPECT_EQ(WarningTexts(ui),
            std::vector<std::string>{J("ファイル:") + a + "\r" + J("読込み出来ません")});
}

TEST_F(LoadSample, APrefixWithoutSetChangesNothingAndSaysNothing) {
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  StateHooks hooks;
  EXPECT_EQ(session->LoadLogFiles({ws.sampleLog}, "XYZ", false, hooks).Failure, LoadFailure::NoSet);
  EXPECT_EQ(session->LoadLogFiles({}, "NET", false, hooks).Failure, LoadFailure::NoSet);
  EXPECT_TRUE(ui.entries.empty());
  EXPECT_TRUE(hooks.events.empty());
  EXPECT_EQ(session->CurrentPrefix, "NET");
  EXPECT_EQ(session->LogList.Count(), 99);
  EXPECT_EQ(process->Boards.Count(), 4);

  // Nothing is loaded to add to.
  TLogSession empty({process.get()});
  EXPECT_EQ(empty.LoadLogFiles({ws.sampleLog}, "NET", true).Failure, LoadFailure::NoSet);
  EXPECT_TRUE(ui.entries.empty());
}

// ---------------------------------------------------------------------------------------------
// The loading sequence seen from an analyser that records it.

class LoadWithFake : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteBytes(
        dir.File("fake.ini"),
        "[Common]\r\nNetCount=7\r\n[Net7]\r\nPrefix=\"FAK\"\r\nName=\"Fake BBS\"\r\n"
        "BoardListFile=\"F.BRD\"\r\nMemberListFile=\"sub/F.MEM\"\r\n"
        "UpFile=\"/elsewhere/F.UP\"\r\nPadFile=\"F.PAD\"\r\nReadPtrFile=\"F.PTR\"\r\n");
    test::WriteBytes(dir.File("FAK1.LOG"), "one\r\ntwo\r\n");
    test::WriteBytes(dir.File("FAK2.LOG"), "three\r\n");
    process = std::make_unique<test::FakeProcess>(dir.File("fake.ini"));
    session = std::make_unique<TLogSession>(std::vector<TBBSProcess*>{process.get()});
    session->SettingsFolder = dir.Path();
  }
  std::string In(const char* name) const { return dir.Path() + "/" + name; }

  test::TempDir dir;
  std::unique_ptr<test::FakeProcess> process;
  std::unique_ptr<TLogSession> session;
  RecordingUiServices ui;
  ScopedUiServices scoped{&ui};
};

TEST_F(LoadWithFake, TheAnalyserIsDrivenInOrderWithTheSetsFiles) {
  LoadResult result = session->LoadLogFiles({In("FAK1.LOG"), In("FAK2.LOG")}, "fak", false);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(process->calls,
            (std::vector<std::string>{
                "ClearData", "LoadLists " + In("F.BRD") + " " + In("sub/F.MEM"),
                "AnalyzeLog 7 from 0 of 5", "SortData", "ReadUpFile /elsewhere/F.UP",
                "ReadPadFile " + In("F.PAD"), "LoadReadPointers " + In("F.PTR")}));
  const char* const lines[] = {"one", "two", "<end>", "three", "<end>"};
  for (int32_t i = 0; i < 5; ++i)
    EXPECT_EQ(session->LogList.GetLine(i), lines[i]);
  EXPECT_EQ(session->CurrentPrefix, "fak");
  EXPECT_EQ(process->WriteArticleNo, 0);

  // An add reads the new file after the old lines and leaves the queued writes alone: they
  // were read back by the fresh load and are in the article lists.
  process->calls.clear();
  process->WriteArticleNo = 3;
  result = session->LoadLogFiles({In("FAK2.LOG")}, "FAK", true);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(result.StartLine, 5);
  EXPECT_EQ(process->calls, (std::vector<std::string>{"AnalyzeLog 7 from 5 of 7", "SortData",
                                                      "LoadReadPointers " + In("F.PTR")}));
  EXPECT_EQ(process->WriteArticleNo, 3);
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(LoadWithFake, ASetThatCannotBeSelectedIsReportedBeforeAnythingIsCleared) {
  ASSERT_TRUE(session->LoadLogFiles({In("FAK1.LOG")}, "FAK", false).Loaded());
  process->calls.clear();
  process->Ini->refuseSelect = true;
  StateHooks hooks;
  const LoadResult result = session->LoadLogFiles({In("FAK2.LOG")}, "FAK", false, hooks);
  EXPECT_EQ(result.Failure, LoadFailure::SetNotFound);
  EXPECT_EQ(WarningTexts(ui),
            std::vector<std::string>{J("指定されたNetNo:7の設定が見つかりません")});
  EXPECT_TRUE(process->calls.empty());
  EXPECT_TRUE(hooks.events.empty());
  EXPECT_EQ(session->LogList.Count(), 3);
  EXPECT_EQ(session->CurrentPrefix, "FAK");
}

TEST_F(LoadWithFake, AFailedAnalysisIsReportedAndNothingIsReadBack) {
  process->analyseResult = false;
  StateHooks hooks;
  const LoadResult result = session->LoadLogFiles({In("FAK1.LOG")}, "FAK", false, hooks);
  EXPECT_EQ(result.Failure, LoadFailure::AnalysisFailed);
  EXPECT_EQ(WarningTexts(ui), std::vector<std::string>{J("ログ解析処理が異常終了しました")});
  EXPECT_EQ(process->calls.back(), "AnalyzeLog 7 from 0 of 3");
  EXPECT_EQ(session->CurrentPrefix, "");
  EXPECT_TRUE(hooks.Idle());
}

TEST_F(LoadWithFake, AnAnalysisThatLeavesNoBoardIsReported) {
  process->addBoard = false;
  const LoadResult result = session->LoadLogFiles({In("FAK1.LOG")}, "FAK", false);
  EXPECT_EQ(result.Failure, LoadFailure::NoBoards);
  EXPECT_EQ(WarningTexts(ui), std::vector<std::string>{J("ボードが存在していません")});
  EXPECT_TRUE(result.BoardLines.empty());
  EXPECT_EQ(session->CurrentPrefix, "");
}

TEST_F(LoadWithFake, MemoryRunningOutLeavesTheWindowIdle) {
  process->throwInAnalysis = true;
  StateHooks hooks;
  EXPECT_THROW(session->LoadLogFiles({In("FAK1.LOG")}, "FAK", false, hooks), std::bad_alloc);
  EXPECT_TRUE(hooks.Idle());
}

// ---------------------------------------------------------------------------------------------

TEST(GroupLogFiles, FilesGoWithTheSetTheirNamesBeginWith) {
  test::TempDir dir;
  test::WriteBytes(dir.File("a.ini"),
                   "[Common]\r\nNetCount=1\r\n[Net0]\r\nPrefix=\"NET\"\r\n"
                   "[Net1]\r\nPrefix=\"abc\"\r\n");
  test::WriteBytes(dir.File("b.ini"), "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NIF\"\r\n");
  test::FakeProcess first(dir.File("a.ini")), second(dir.File("b.ini"));
  const std::vector<TBBSProcess*> processes{&first, &second};

  LogFileGrouping g =
      GroupLogFiles({"/logs/net0730.log", "/logs/other.log", "/logs/NET0731.LOG"}, processes, "");
  EXPECT_EQ(g.Result, LogFileGrouping::OneSet);
  EXPECT_EQ(g.Prefix, "net");
  EXPECT_EQ(g.Files, (std::vector<std::string>{"/logs/net0730.log", "/logs/NET0731.LOG"}));

  // abc123.log and ABC_2.log are of two prefixes; only the first names a set here.
  g = GroupLogFiles({"ABC_2.log", "nif1.log", "abc123.log", "NET.LOG"}, processes, "NET");
  EXPECT_EQ(g.Result, LogFileGrouping::SeveralSets);
  EXPECT_EQ(g.Prefixes, (std::vector<std::string>{"nif", "abc", "NET"}));
  EXPECT_TRUE(g.Files.empty());
  EXPECT_EQ(LogFilesWithPrefix({"ABC_2.log", "abc123.log", "ABC7.log"}, "ABC"),
            (std::vector<std::string>{"abc123.log", "ABC7.log"}));

  g = GroupLogFiles({"x1.log", "y.log"}, processes, "NIF");
  EXPECT_EQ(g.Result, LogFileGrouping::DefaultSet);
  EXPECT_EQ(g.Prefix, "NIF");
  EXPECT_EQ(g.Files, (std::vector<std::string>{"x1.log", "y.log"}));

  g = GroupLogFiles({"x1.log"}, processes, "");
  EXPECT_EQ(g.Result, LogFileGrouping::NoSet);
  EXPECT_TRUE(g.Prefixes.empty());
}

TEST(GroupLogFiles, CaseFoldsOnlyOutsideDoubleByteCharacters) {
  EXPECT_TRUE(SameLogPrefix("Net", "nET"));
  // Two characters whose second bytes are 'A' and 'a'.
  EXPECT_FALSE(SameLogPrefix("\x83\x41", "\x83\x61"));
  EXPECT_FALSE(SameLogPrefix("NET", "NETS"));
}

}  // namespace
}  // namespace vorn
