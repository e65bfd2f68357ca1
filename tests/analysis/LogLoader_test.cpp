#include "analysis/LogLoader.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/ArticleSearch.h"
#include "analysis/DisplayTexts.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "regex/AWKStr.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BlockMemory.h"
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
    // Run again with the files read and analysed on two threads: every case the same.
    session->Threads = test::TestAnalysisThreads();
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
  EXPECT_EQ(write.Writer, J("1024:たろう"));
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
// Progress by bytes and cancelling a load.

// A capture of board 1 of the sample set with `count` articles from number `first` on, every
// third one a reply, big enough for many progress reports.
std::string BigCapture(int first, int count) {
  std::string log = J("No.1 ｢雑談ボード｣\r\n");
  for (int n = first; n < first + count; ++n) {
    char date[40];
    std::snprintf(date, sizeof date, "99/08/%02d %02d:%02d", 1 + n % 28, n % 24, n % 60);
    log += "-\t\r\ngeneral(" + std::to_string(n) + "/99999) " + date + " title " +
           std::to_string(n) + "\r\n";
    if (n % 3 == 0) log += " <" + std::to_string(n - 2) + J(":元の題/3072:じろう>\r\n");
    log += J("  3 lines 4096:さぶろう \r\n本文の一行目\r\n二行目です\r\n三行目\r\n\r\n");
  }
  return log + J("読み終わりました\r\n");
}

// What the window can see of a loaded set: every line, every board with every article of both
// orders with its marks, the members, the set.
std::vector<std::string> Observable(TLogSession& session) {
  std::vector<std::string> seen;
  seen.push_back("prefix " + session.CurrentPrefix);
  for (int32_t i = 0; i < session.LogList.Count(); ++i)
    seen.push_back("line " + session.LogList.GetLine(i));
  for (int32_t i = 0; i < session.SystemMsgList.Count(); ++i)
    seen.push_back("message " + session.SystemMsgList.GetLine(i));
  for (const std::string& name : session.LogFileNames)
    seen.push_back("file " + name);
  TBBSProcess* process = session.CurrentProcess;
  if (!process) return seen;
  seen.push_back("net " + std::to_string(process->NetNo) + " selected " +
                 std::to_string(process->IniFile->NetNo));
  for (const std::string& line : FillBoardList(*process))
    seen.push_back("board " + line);
  for (int32_t b = 0; b < process->Boards.Count(); ++b) {
    const TArticleList* list = process->Boards.GetArticles(b);
    for (int32_t order : {ArticleSortNormal, ArticleSortTree}) {
      for (int32_t p = 0; p < list->OrderCount(order); ++p) {
        const ArticleRecord& r = *list->GetArticle(order, p);
        seen.push_back(std::to_string(b) + "/" + std::to_string(order) + " key " +
                       std::to_string(r.ArticleKey) + " time " + std::to_string(r.PostTime) +
                       " kind " + std::to_string(r.Kind) + " level " + std::to_string(r.Level) +
                       " lines " + std::to_string(r.FirstLine) + "-" + std::to_string(r.LastLine) +
                       " read " + std::to_string(r.ReadFlag) + " new " + std::to_string(r.NewFlag) +
                       " write " + std::to_string(r.WriteFlag) + " " + r.Title().Str() + " / " +
                       r.ParentTitle().Str());
      }
    }
  }
  for (int32_t m = 0; m < process->Members.Count(); ++m) {
    seen.push_back("member " + std::to_string(process->Members.GetIdNo(m)) +
                   process->Members.GetIdText(m) + " " + process->Members.GetCurrentHandle(m));
  }
  return seen;
}

// The window's side of progress and cancelling: it records what it is told and asks to stop
// once the progress has passed a point.
class CancellingHooks final : public LoadHooks {
 public:
  explicit CancellingHooks(double stopAt) : stopAt_(stopAt) {}
  void LoadProgress(int64_t done, int64_t total) override {
    EXPECT_GE(done, last_);
    EXPECT_LE(done, total);
    last_ = done;
    total_ = total;
  }
  bool CancelRequested() override {
    ++asked;
    if (total_ > 0 && double(last_) > stopAt_ * double(total_)) stopped = true;
    if (asked == stopAtAsk) stopped = true;
    return stopped;
  }
  int stopAtAsk = -1;  // or at this question
  void SetBusy(bool on) override { busy = on; }
  void SetWaitCursor(bool on) override { wait = on; }

  int64_t last_ = 0, total_ = 0;
  int asked = 0;
  bool stopped = false, busy = false, wait = false;

 private:
  double stopAt_;
};

TEST_F(LoadSample, ProgressCountsTheBytesOfAllFilesReadAndAnalysed) {
  const std::string a = ws.dir.File("NET19990801.LOG"), b = ws.dir.File("NET19990802.LOG");
  test::WriteBytes(a, BigCapture(200, 3000));
  test::WriteBytes(b, BigCapture(3200, 1000));
  const int64_t bytes = int64_t(std::filesystem::file_size(a) + std::filesystem::file_size(b));
  CancellingHooks hooks(2.0);  // never stops
  ASSERT_TRUE(session->LoadLogFiles({a, b}, "NET", false, hooks).Loaded());
  EXPECT_EQ(hooks.total_, bytes * 5);
  EXPECT_EQ(hooks.last_, hooks.total_);
  EXPECT_GT(hooks.asked, 20);
}

// No second thread can be started for the analysis (the address space is limited below what a
// thread's stack takes, as a user's session limit may do): the load walks the log on its own
// thread and gives what a load on one thread gives. Run in a child process of its own, since
// the limit holds for the whole process.
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(LoadSample, WithoutASecondThreadTheAnalysisRunsOnOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string log = ws.dir.File("NET19990801.LOG");
  test::WriteBytes(log, BigCapture(200, 300));
  session->Threads = 1;
  ASSERT_TRUE(session->LoadLogFiles({log}, "NET", false).Loaded());
  const std::vector<std::string> one = Observable(*session);
  const auto loadUnderALimit = [&] {
    session->Threads = 2;
    rlimit before{};
    ::getrlimit(RLIMIT_AS, &before);
    rlimit limited = before;
    limited.rlim_cur = test::AddressSpaceInUse() + (rlim_t{6} << 20);
    const bool limitSet = ::setrlimit(RLIMIT_AS, &limited) == 0;
    const bool loaded = session->LoadLogFiles({log}, "NET", false).Loaded();
    ::setrlimit(RLIMIT_AS, &before);
    const bool same = limitSet && loaded && Observable(*session) == one;
    std::cerr << (same ? "the same" : "not the same") << std::endl;
    std::_Exit(same ? 0 : 1);
  };
  EXPECT_EXIT(loadUnderALimit(), ::testing::ExitedWithCode(0), "the same");
}
#endif

TEST_F(LoadSample, ACancelledFreshLoadLeavesTheLoadedSetAsItWas) {
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  TArticleList& general = *process->Boards.GetArticles(1);
  ASSERT_TRUE(general.SetReadFlag(ArticleSortNormal, 1, 1, false));
  const std::vector<std::string> before = Observable(*session);
  const std::string big = ws.dir.File("NET19990801.LOG");
  test::WriteBytes(big, BigCapture(200, 4000));

  // Stopped while reading, and while analysing.
  for (double stopAt : {0.05, 0.5}) {
    SCOPED_TRACE(stopAt);
    CancellingHooks hooks(stopAt);
    const LoadResult result = session->LoadLogFiles({big}, "NET", false, hooks);
    EXPECT_EQ(result.Failure, LoadFailure::Cancelled);
    EXPECT_TRUE(hooks.stopped);
    EXPECT_LT(hooks.last_, hooks.total_);
    EXPECT_EQ(result.BoardLines, FillBoardList(*process));
    EXPECT_EQ(Observable(*session), before);
    EXPECT_FALSE(hooks.busy || hooks.wait);
  }
  EXPECT_TRUE(ui.entries.empty());
  // The set stays usable: the same load, not cancelled, goes through.
  ASSERT_TRUE(session->LoadLogFiles({big}, "NET", false).Loaded());
  EXPECT_EQ(process->Boards.GetArticles(1)->OrderCount(ArticleSortNormal), 4000);
}

// An add changes the loaded boards in place; cancelled, it gives them back as they were: the
// articles it had updated, their read marks, the members and lines it had added.
TEST_F(LoadSample, ACancelledAddLeavesTheLoadedArticlesAndTheirReadMarksAsTheyWere) {
  const std::string first = ws.dir.File("NET19990801.LOG");
  test::WriteBytes(first, BigCapture(200, 300));
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog, first}, "NET", false).Loaded());
  TArticleList* general = process->Boards.GetArticles(1);
  for (int32_t p = 0; p < 40; p += 3)
    ASSERT_TRUE(general->SetReadFlag(ArticleSortNormal, p, 1, true));
  const std::vector<std::string> before = Observable(*session);
  // The added capture repeats the loaded articles (which it updates) before new ones, and
  // brings a board of its own.
  const std::string added = ws.dir.File("NET19990802.LOG");
  test::WriteBytes(
      added, BigCapture(200, 4000) + J("No.9 ｢新しいボード｣\r\n-\t\r\nnewboard(1/1) 99/08/01 10:00 "
                                       "new\r\n  1 lines 7777:ななこ \r\nbody\r\n\r\n"));

  for (double stopAt : {0.1, 0.6, 0.95}) {
    SCOPED_TRACE(stopAt);
    CancellingHooks hooks(stopAt);
    const LoadResult result = session->LoadLogFiles({added}, "NET", true, hooks);
    EXPECT_EQ(result.Failure, LoadFailure::Cancelled);
    EXPECT_EQ(Observable(*session), before);
    EXPECT_EQ(process->Boards.GetArticles(1), general);
  }
  // Gone through after all, the add gives what it gives in a session where nothing was
  // cancelled.
  ASSERT_TRUE(session->LoadLogFiles({added}, "NET", true).Loaded());
  auto other = ws.MakeNetVorn();
  TLogSession plain({other.get()});
  plain.SettingsFolder = ws.settingsDir;
  ASSERT_TRUE(plain.LoadLogFiles({ws.sampleLog, first}, "NET", false).Loaded());
  TArticleList* plainGeneral = other->Boards.GetArticles(1);
  for (int32_t p = 0; p < 40; p += 3)
    ASSERT_TRUE(plainGeneral->SetReadFlag(ArticleSortNormal, p, 1, true));
  ASSERT_TRUE(plain.LoadLogFiles({added}, "NET", true).Loaded());
  EXPECT_EQ(Observable(*session), Observable(plain));
}

// Titles around the capacity of the record, a double-byte character across the cut among
// them, loaded from a capture: the grid shows the first 127 bytes, a search finds what is
// kept and not what was cut, and read marks go through the read-pointer file to the next run.
TEST_F(LoadSample, TitlesAroundTheCapacityShowSearchAndReadBackAsCut) {
  std::string log = J("No.1 ｢雑談ボード｣\r\n");
  std::vector<std::string> titles;
  for (int length = 120; length <= 135; ++length) {
    const int n = 200 + length;
    // A character of two bytes from byte 126 on when the length is odd: the cut at 127 keeps
    // its first byte only.
    std::string title(size_t(length % 2 ? 126 : 125), char('a' + length % 26));
    while (title.size() < size_t(length))
      title += "\x93\xfa";  // a double-byte character
    title.resize(size_t(length));
    titles.push_back(title);
    log += "-\t\r\ngeneral(" + std::to_string(n) +
           "/999) 99/08/01 10:" + std::to_string(10 + length - 120) + " " + title + "\r\n" +
           J("  1 lines 4096:さぶろう \r\nbody\r\n\r\n");
  }
  const std::string capture = ws.dir.File("NET19990801.LOG");
  test::WriteBytes(capture, log + J("読み終わりました\r\n"));
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog, capture}, "NET", false).Loaded());
  const TArticleList& general = *process->Boards.GetArticles(1);
  TArticleRows rows(general, ArticleSortNormal, process->Members, TreeLineChr2);
  TAWKStr awk;
  for (size_t k = 0; k < titles.size(); ++k) {
    const std::string& title = titles[k];
    const int32_t p = general.FindByKey(ArticleSortNormal, int32_t(320 + k) - RebaseOffset);
    ASSERT_GE(p, 0) << k;
    EXPECT_EQ(rows.ArticleCellTexts(p).Title, title.substr(0, 127)) << title.size();
    // Found: the bytes before the cut. Not found: bytes that run over it (the body does not
    // hold them), found again once the title is short enough to keep them.
    SearchCondition kept, over;
    kept.WordCheckType = over.WordCheckType = false;
    kept.SearchWord = title.substr(100, 20);
    over.SearchWord = title.substr(0, 129);
    const TArticleMatcher keptMatcher(kept, process->Members, session->LogList, awk);
    const TArticleMatcher overMatcher(over, process->Members, session->LogList, awk);
    EXPECT_TRUE(keptMatcher.Matches(general, ArticleSortNormal, p)) << title.size();
    EXPECT_EQ(overMatcher.Matches(general, ArticleSortNormal, p), title.size() <= 127)
        << title.size();
    if (k % 2) process->Boards.GetArticles(1)->SetReadFlag(ArticleSortNormal, p, 1, true);
  }
  const std::string pointers = ws.settingsDir + "NET.PTR";
  ASSERT_TRUE(process->SaveReadPointers(pointers));
  auto next = ws.MakeNetVorn();
  TLogSession nextRun({next.get()});
  nextRun.SettingsFolder = ws.settingsDir;
  ASSERT_TRUE(nextRun.LoadLogFiles({ws.sampleLog, capture}, "NET", false).Loaded());
  EXPECT_EQ(Observable(nextRun), Observable(*session));
}

// Every point where a load asks whether to go on, for an add to a Nifty-Serve set (whose
// analysis first takes the placeholders off every board).
TEST(LoadCancel, AnAddToANiftySetCancelledAtAnyPointChangesNothing) {
  test::SampleWorkspace ws;
  RecordingUiServices ui;
  ScopedUiServices scoped(&ui);
  const std::string log = ws.dir.File("NIF19990730.LOG");
  std::filesystem::copy_file(test::SourceDir() + "/samples/NIF19990730.LOG", log);
  TNifty nifty(ws.settingsDir + "nifty.ini", ws.settingsDir + "nifdef.ini");
  TLogSession session({&nifty});
  session.Threads = test::TestAnalysisThreads();
  session.SettingsFolder = ws.settingsDir;
  ASSERT_TRUE(session.LoadLogFiles({log}, "NIF", false).Loaded());
  nifty.Boards.GetArticles(1)->SetReadFlag(ArticleSortNormal, 0, 1, true);
  const std::vector<std::string> before = Observable(session);
  CancellingHooks counting(2.0);
  {
    // How often a whole add asks, seen in a session of its own.
    TNifty other(ws.settingsDir + "nifty.ini", ws.settingsDir + "nifdef.ini");
    TLogSession plain({&other});
    plain.SettingsFolder = ws.settingsDir;
    ASSERT_TRUE(plain.LoadLogFiles({log}, "NIF", false).Loaded());
    ASSERT_TRUE(plain.LoadLogFiles({log}, "NIF", true, counting).Loaded());
  }
  ASSERT_GE(counting.asked, 3);
  for (int ask = 1; ask <= counting.asked; ++ask) {
    CancellingHooks hooks(2.0);
    hooks.stopAtAsk = ask;
    EXPECT_EQ(session.LoadLogFiles({log}, "NIF", true, hooks).Failure, LoadFailure::Cancelled)
        << "question " << ask;
    ASSERT_EQ(Observable(session), before) << "question " << ask;
  }
  EXPECT_TRUE(ui.entries.empty());
}

// Files read on worker threads give the load of one thread: the same lines, analysis and
// messages in file order, and a cancel or a shortage at any point puts back what was loaded.
TEST_F(LoadSample, ReadingOnWorkersGivesTheLoadOfOneThread) {
  std::vector<std::string> files;
  for (int f = 0; f < 5; ++f) {
    files.push_back(ws.dir.File("NET1999080" + std::to_string(f + 1) + ".LOG"));
    test::WriteBytes(files.back(), BigCapture(200 + 700 * f, f == 2 ? 0 : 700 + 300 * f));
  }
  files.insert(files.begin() + 1, ws.sampleLog);
  files.insert(files.begin() + 3, Missing("NET19990901.LOG"));
  files.insert(files.begin() + 5, ws.dir.Path());
  auto loaded = [&](int32_t threads, std::vector<std::string>& warnings) {
    auto other = ws.MakeNetVorn();
    TLogSession plain({other.get()});
    plain.SettingsFolder = ws.settingsDir;
    plain.Threads = threads;
    ui.entries.clear();
    const LoadResult result = plain.LoadLogFiles(files, "NET", false);
    EXPECT_TRUE(result.Loaded());
    EXPECT_EQ(result.FilesLoaded, 6);
    warnings = WarningTexts(ui);
    return Observable(plain);
  };
  std::vector<std::string> oneWarnings;
  const std::vector<std::string> one = loaded(1, oneWarnings);
  ASSERT_EQ(oneWarnings.size(), 2u);
  for (const int32_t threads : {2, 3, 8}) {
    std::vector<std::string> warnings;
    EXPECT_EQ(loaded(threads, warnings), one) << threads << " threads";
    EXPECT_EQ(warnings, oneWarnings) << threads << " threads";
  }

  // Cancelled at each of the first questions, all asked while workers read: as before, for a
  // fresh load and an add; then memory running out in a worker, or in the taking over.
  files.erase(files.begin() + 3);
  files.erase(files.begin() + 4);
  session->Threads = 3;
  ASSERT_TRUE(session->LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  ASSERT_TRUE(process->Boards.GetArticles(1)->SetReadFlag(ArticleSortNormal, 1, 1, false));
  const std::vector<std::string> before = Observable(*session);
  ui.entries.clear();
  for (const bool add : {false, true}) {
    for (int ask = 1; ask <= 2 * int(files.size()); ++ask) {
      CancellingHooks hooks(2.0);
      hooks.stopAtAsk = ask;
      EXPECT_EQ(session->LoadLogFiles(files, "NET", add, hooks).Failure, LoadFailure::Cancelled)
          << "question " << ask << (add ? " of an add" : "");
      ASSERT_EQ(Observable(*session), before) << "question " << ask << (add ? " of an add" : "");
      EXPECT_FALSE(hooks.busy || hooks.wait);
    }
  }
  EXPECT_TRUE(ui.entries.empty());
  // Files read into blocks take a block every half megabyte; mapped ones only their index.
  for (const bool mapped : {false, true}) {
    TLogList::SetMapFiles(mapped);
    for (const long allowed :
         mapped ? std::vector<long>{0L, 1L, 2L} : std::vector<long>{0L, 3L, 6L, 9L}) {
      ui.entries.clear();
      {
        ScopedBlockAllocationLimit limit(allowed);
        EXPECT_EQ(session->LoadLogFiles(files, "NET", true).Failure, LoadFailure::OutOfMemory)
            << allowed << (mapped ? " mapped" : "");
      }
      EXPECT_EQ(Observable(*session), before) << allowed;
      const std::vector<std::string> warnings = WarningTexts(ui);
      EXPECT_EQ(warnings.size(), 1u) << allowed << (mapped ? " mapped: " : ": ")
                                     << Cp932ToUtf8(warnings.empty() ? "" : warnings.front());
    }
  }
  TLogList::SetMapFiles(true);
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

TEST_F(LoadWithFake, MemoryRunningOutLeavesTheWindowIdleWithWhatWasLoadedBefore) {
  ASSERT_TRUE(session->LoadLogFiles({In("FAK1.LOG")}, "FAK", false).Loaded());
  process->throwInAnalysis = true;
  ui.entries.clear();
  StateHooks hooks;
  const LoadResult result = session->LoadLogFiles({In("FAK2.LOG")}, "FAK", false, hooks);
  EXPECT_EQ(result.Failure, LoadFailure::OutOfMemory);
  EXPECT_TRUE(hooks.Idle());
  // The analysis stepped the loader's counter; the analyser is left without it.
  EXPECT_EQ(process->ProgressBar, nullptr);
  EXPECT_EQ(session->CurrentPrefix, "FAK");
  ASSERT_EQ(session->LogList.Count(), 3);
  EXPECT_EQ(session->LogList.GetLine(0), "one");
  EXPECT_EQ(process->Boards.Count(), 1);
  EXPECT_EQ(result.BoardLines.size(), 1u);
  EXPECT_EQ(WarningTexts(ui),
            (std::vector<std::string>{test::J("ログ読込み中にメモリ不足が発生しました\r"
                                              "ログ読込みを中止しました\r"
                                              "読込み前のログと書込みはそのまま残っています")}));

  // Memory running out while a file is read ends the load the same way, with one message.
  process->throwInAnalysis = false;
  ui.entries.clear();
  {
    ScopedBlockAllocationLimit none(0);
    EXPECT_EQ(session->LoadLogFiles({In("FAK2.LOG")}, "FAK", false).Failure,
              LoadFailure::OutOfMemory);
  }
  EXPECT_EQ(session->LogFileNames, (std::vector<std::string>{In("FAK1.LOG")}));
  ASSERT_EQ(session->LogList.Count(), 3);
  EXPECT_EQ(session->LogList.GetLine(0), "one");
  EXPECT_EQ(session->CurrentPrefix, "FAK");
  EXPECT_EQ(WarningTexts(ui).size(), 1u);
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
