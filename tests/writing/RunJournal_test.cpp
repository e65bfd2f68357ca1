#include "writing/RunJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "analysis/Nifty.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "support/PointerEntries.h"
#include "support/WritingFixture.h"
#include "writing/EndOfRun.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CrLf;
using test::J;
using test::PointerEntries;
using Kind = RecordingUiServices::Kind;

// The texts of the pending writes, one line each ("title|body..."), sorted, as a count.
std::map<std::string, int> PendingTexts(const TBBSProcess& bbs) {
  std::map<std::string, int> texts;
  for (const JournalWrite& w : PendingWrites(bbs)) {
    std::string text;
    for (const std::string& line : w.Text)
      text += line + "|";
    ++texts[w.Batch ? "batch " + std::to_string(w.Key) : text];
  }
  return texts;
}

// A run on the sample that keeps a journal, as the window does, and a later start on the same
// settings folder, which begins with nothing but what the files hold.
class RunJournalTest : public test::WritingFixture {
 protected:
  RunJournalTest() {
    loadUi.defaultAnswer = UiAnswer::Yes;
    journal.LoadFinished(false);
  }

  std::string File(const std::string& name) const { return ws.settingsDir + name; }
  // Composes a text in the editor: a root article in "prog", or a reply to article 101.
  void Compose(const std::string& title, bool reply = false) {
    common.Editer = editor.Command("replace", CrLf({title, "body of " + title}));
    const WriteResult r =
        reply ? commands.StartWrite(kGeneral, -1, PositionOfNumber(kGeneral, 101), WriteRess)
              : commands.StartWrite(kProg, -1, -1, WriteRoot);
    ASSERT_TRUE(r.Done);
    journal.WritesChanged();
  }
  // The UP and PAD files written, as Ctrl+S does.
  void Save() {
    ASSERT_TRUE(WriteUpPadFiles(session));
    journal.OutputWritten();
  }

  // The next start: a fresh analyser on the same folder, its start-up recovery answered by
  // script, then the sample loaded (read-back questions: readBack).
  struct NextRun {
    explicit NextRun(const test::SampleWorkspace& ws)
        : netVorn(ws.MakeNetVorn()), session({netVorn.get()}), journal(session) {
      session.SettingsFolder = ws.settingsDir;
    }
    void Start(const test::SampleWorkspace& ws, UiAnswer offer, UiAnswer readBack) {
      ui.Script(offer);
      ScopedUiServices scoped(&ui);
      journal.FindLastRun();
      logs = journal.OfferLastRun();
      ui.answers.clear();
      ui.defaultAnswer = readBack;
      ASSERT_TRUE(session.LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
      journal.LoadFinished(false);
    }
    std::unique_ptr<TNetVorn> netVorn;
    TLogSession session;
    TRunJournal journal;
    RecordingUiServices ui;
    std::vector<std::string> logs;
  };
  int Asked(const NextRun& next, Kind kind) {
    int n = 0;
    for (const auto& e : next.ui.entries)
      n += e.kind == kind;
    return n;
  }

  TRunJournal journal{session};
};

TEST(WriteJournalFormat, EveryByteOfAWriteComesBackAndACutFileIsRefused) {
  WriteJournalContent c;
  c.System = "NetVorn";
  c.Prefix = "NET";
  c.Logs = {"/logs/NET1.LOG", "/logs/with\ttab.LOG"};
  c.Files = {{"/s/NET.UP", 12, 0xFEDCBA9876543210ull}, {"/s/NET.PAD", 0, 1}};
  c.NextFiles = {{"/s/NET.UP", 40, 7}};
  c.Editors = {"/s/vorntemp_0.txt"};
  JournalWrite mail;
  mail.BoardNo = 0;
  mail.BoardId = "mail";
  mail.Kind = ArticleKindMail;
  mail.To = {"2048", "7"};
  // A katakana whose second byte is a backslash, a tab, a lone CR, an empty line.
  mail.Text = {"Title \x83\x5C", "a\tb", "cr\rhere\\n", "", "end\\"};
  JournalWrite batch;
  batch.Batch = true;
  batch.BoardNo = 3;
  batch.BoardId = "binary";
  batch.Kind = ArticleKindBinaryRoot;
  batch.Key = -2029999877;
  batch.Known = true;
  JournalWrite nifty;
  nifty.BoardNo = -1;
  nifty.BoardId = " MAIL       ";
  nifty.TextIds = true;
  nifty.To = {"ABC12345"};
  nifty.Text = {"x"};
  c.Writes = {mail, batch, nifty};
  const std::string bytes = FormatWriteJournal(c);
  WriteJournalContent back;
  ASSERT_TRUE(ParseWriteJournal(bytes, back));
  EXPECT_EQ(FormatWriteJournal(back), bytes);
  ASSERT_EQ(back.Writes.size(), 3u);
  EXPECT_EQ(back.Writes[0].Text, mail.Text);
  EXPECT_EQ(back.Writes[0].To, mail.To);
  EXPECT_EQ(back.Writes[1].Key, batch.Key);
  EXPECT_TRUE(back.Writes[2].TextIds);
  EXPECT_EQ(back.Logs, c.Logs);
  EXPECT_EQ(back.Files, c.Files);
  EXPECT_EQ(back.NextFiles, c.NextFiles);
  EXPECT_EQ(back.Editors, c.Editors);

  // Cut anywhere (a disk that filled, a hand that trimmed it), or changed by hand: refused.
  for (size_t cut = 0; cut < bytes.size(); cut += 7)
    EXPECT_FALSE(ParseWriteJournal(bytes.substr(0, cut), back)) << cut;
  EXPECT_FALSE(ParseWriteJournal(bytes + "x\r\n", back));
  std::string wrongCount = bytes;
  wrongCount.replace(wrongCount.find("\t2\t5\r\n"), 6, "\t2\t9\r\n");
  EXPECT_FALSE(ParseWriteJournal(wrongCount, back));
}

TEST_F(RunJournalTest, WritesOfARunThatDidNotEndAreOfferedOnceAndQueuedAgain) {
  Compose("First root");
  Compose("A reply", true);
  ASSERT_TRUE(FileExists(File("NET.JNL")));
  // The run ends here without its end: no UP file was written.
  EXPECT_FALSE(FileExists(File("NET.UP")));

  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  ASSERT_EQ(Asked(next, Kind::ConfirmYesNo), 1);
  const std::string& question = next.ui.entries[0].text;
  EXPECT_NE(question.find(J("前回の実行は正しく終了しませんでした")), std::string::npos);
  EXPECT_NE(question.find("First root"), std::string::npos);
  EXPECT_NE(question.find("A reply"), std::string::npos);
  EXPECT_EQ(next.logs, std::vector<std::string>{ws.sampleLog});
  EXPECT_EQ(PendingTexts(*next.netVorn), PendingTexts(*netVorn));
  // The reply found its parent again.
  const std::vector<JournalWrite> writes = PendingWrites(*next.netVorn);
  const int32_t parentKey =
      Board(kGeneral).GetKey(ArticleSortTree, PositionOfNumber(kGeneral, 101));
  bool reply = false;
  for (const JournalWrite& w : writes)
    reply = reply || (w.Kind == ArticleKindRess && w.ParentKey == parentKey);
  EXPECT_TRUE(reply);

  // Once: the journal now stands for this run, and the writes are offered by nothing else.
  NextRun third(ws);
  next.journal.Ended();
  third.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_EQ(Asked(third, Kind::ConfirmYesNo), 0);
  EXPECT_TRUE(PendingTexts(*third.netVorn).empty());
}

// Logs of the set loaded before the window asked (a drop at once after the start): the load
// asks, and the start asks nothing more; this run's own journal is never taken for the last.
TEST_F(RunJournalTest, ALoadBeforeTheQuestionAsksItItself) {
  Compose("Early root");
  NextRun next(ws);
  next.journal.FindLastRun();
  ScopedUiServices scoped(&next.ui);
  next.ui.defaultAnswer = UiAnswer::Yes;
  ASSERT_TRUE(next.session.LoadLogFiles({ws.sampleLog}, "NET", false).Loaded());
  next.journal.LoadFinished(false);
  EXPECT_EQ(Asked(next, Kind::ConfirmYesNo), 1);
  EXPECT_EQ(PendingTexts(*next.netVorn), PendingTexts(*netVorn));
  next.ui.entries.clear();
  EXPECT_TRUE(next.journal.OfferLastRun().empty());
  EXPECT_TRUE(next.ui.entries.empty());
  EXPECT_EQ(PendingTexts(*next.netVorn), PendingTexts(*netVorn));
}

TEST_F(RunJournalTest, WritesTheUpFileHoldsAreNeverQueuedTwice) {
  Compose("Saved root");
  Save();
  Compose("Unsaved reply", true);

  // The UP file is as the run left it: it is read back, and the journal adds only the rest.
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  ASSERT_EQ(Asked(next, Kind::ConfirmYesNo), 1);
  EXPECT_EQ(next.ui.entries[0].text.find("Saved root"), std::string::npos);
  EXPECT_EQ(PendingTexts(*next.netVorn), PendingTexts(*netVorn));
}

// The run ends right after writing the UP file, before its journal learns of it: the next
// start reads the file back and must not queue its writes a second time from the journal.
TEST_F(RunJournalTest, AnEndRightAfterTheUpFileWasWrittenQueuesNothingTwice) {
  Compose("Written just before the end");
  Compose("A reply too", true);
  ASSERT_TRUE(WriteUpPadFiles(session));
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_EQ(PendingTexts(*next.netVorn), PendingTexts(*netVorn));
  // Read back or not, nothing the files hold comes twice; declined, the journal brings them.
  Compose("Third");
  NextRun declined(ws);
  declined.Start(ws, UiAnswer::Yes, UiAnswer::No);
  EXPECT_EQ(PendingTexts(*declined.netVorn).size(), 3u);
}

TEST_F(RunJournalTest, AnEditOrDeletionOfAWriteReadBackIsKeptWhenTheFilesAreUnchanged) {
  Compose("Will be edited");
  Compose("Will be deleted");
  Compose("Stays");
  Save();
  // A second run reads the files back, edits one write and deletes another, and is killed.
  NextRun second(ws);
  second.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  TWriteCommands secondCommands(second.session, common, editors, host, wait);
  TArticleList& prog = *second.netVorn->Boards.GetArticles(kProg);
  auto positionOf = [&](const std::string& title) {
    for (int32_t p = 0; p < prog.OrderCount(ArticleSortTree); ++p) {
      const ArticleRecord* r = prog.GetArticle(ArticleSortTree, p);
      if (r->WriteFlag == 1 && r->Title().Str() == title) return p;
    }
    return -1;
  };
  common.Editer = editor.Command("replace", CrLf({"Edited", "new body"}));
  ASSERT_TRUE(secondCommands.EditWrite(kProg, positionOf("Will be edited")).Done);
  ui.Script(UiAnswer::Yes);
  ASSERT_TRUE(secondCommands.DeleteWrite(kProg, positionOf("Will be deleted")).Done);
  second.journal.WritesChanged();
  const auto expected = PendingTexts(*second.netVorn);
  ASSERT_EQ(expected.size(), 2u);

  NextRun third(ws);
  third.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_EQ(Asked(third, Kind::ConfirmYesNo), 1);
  EXPECT_EQ(PendingTexts(*third.netVorn), expected);
}

TEST_F(RunJournalTest, WhenTheUpFileWasSentMeanwhileOnlyWhatItLackedComesBack) {
  Compose("Sent root");
  Save();
  Compose("New reply", true);
  // The terminal program sent the UP file and removed it before the next start.
  ASSERT_TRUE(DeleteFileAt(File("NET.UP")));
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  const auto pending = PendingTexts(*next.netVorn);
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_NE(pending.begin()->first.find("New reply"), std::string::npos);
}

TEST_F(RunJournalTest, WhenTheNextStartIsToldTheUpFileWasSentOnlyWhatItLackedComesBack) {
  Compose("Sent root");
  Save();
  Compose("New reply", true);
  // Its delete button: the file was sent.
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Cancel);
  EXPECT_FALSE(FileExists(File("NET.UP")));
  const auto pending = PendingTexts(*next.netVorn);
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_NE(pending.begin()->first.find("New reply"), std::string::npos);
}

TEST_F(RunJournalTest, NoKeepsTheWritesAsideUnderANameTheUserIsTold) {
  Compose("Declined root");
  const std::string journalBytes = test::ReadBytes(File("NET.JNL"));
  NextRun next(ws);
  next.Start(ws, UiAnswer::No, UiAnswer::Yes);
  EXPECT_TRUE(PendingTexts(*next.netVorn).empty());
  EXPECT_TRUE(next.logs.empty());
  std::string kept;
  for (const auto& entry : fs::directory_iterator(ws.settingsDir)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("NET_notread_") && name.ends_with(".JNL")) kept = entry.path().string();
  }
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(test::ReadBytes(kept), journalBytes);
  ASSERT_EQ(Asked(next, Kind::Information), 1);
  EXPECT_NE(next.ui.entries.back().text.find(kept), std::string::npos);
}

TEST_F(RunJournalTest, AJournalThatCannotBeReadIsKeptBesideAndNotOffered) {
  Compose("Root");
  std::string bytes = test::ReadBytes(File("NET.JNL"));
  test::WriteBytes(File("NET.JNL"), bytes.substr(0, bytes.size() / 2));
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_EQ(Asked(next, Kind::ConfirmYesNo), 0);
  ASSERT_EQ(Asked(next, Kind::Warning), 1);
  EXPECT_EQ(test::ReadBytes(File("NET.JNL.bak")), bytes.substr(0, bytes.size() / 2));
}

TEST_F(RunJournalTest, WritesForABoardTheLogsLackAreKeptAside) {
  Compose("Root in prog");
  std::string bytes = test::ReadBytes(File("NET.JNL"));
  const size_t at = bytes.find("write\t2\tprog");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 12, "write\t77\tgone");
  test::WriteBytes(File("NET.JNL"), bytes);
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_TRUE(PendingTexts(*next.netVorn).empty());
  ASSERT_EQ(Asked(next, Kind::Warning), 1);
  EXPECT_NE(next.ui.entries.back().text.find("NET_notread_"), std::string::npos);
}

TEST_F(RunJournalTest, TheEndOfTheRunAsTheUserChoseLeavesNothingToOffer) {
  Compose("Root");
  journal.Ended();
  EXPECT_FALSE(FileExists(File("NET.JNL")));
  EXPECT_FALSE(FileExists(File("NET.JNR")));
}

// The read marks a journal carries into the read-pointer file are those the end of the run
// would have saved: random marks and unmarks, journalled in random bursts, replayed, and
// compared with SaveReadPointers of the same state. The mail box (mails known by their minute)
// is among the boards.
TEST_F(RunJournalTest, ReadMarksReplayedAreWhatTheEndOfTheRunWouldHaveSaved) {
  std::mt19937 random(7);
  // The run's start: a saved pointer file with some marks, loaded.
  for (int32_t b = 0; b < netVorn->Boards.Count(); ++b) {
    TArticleList& list = Board(b);
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); p += 2)
      list.SetReadFlag(ArticleSortNormal, p, 1, false);
  }
  ASSERT_TRUE(netVorn->SaveReadPointers(File("NET.PTR")));
  Load();
  journal.LoadFinished(false);
  for (int round = 0; round < 30; ++round) {
    for (int n = 0; n < 5; ++n) {
      const int32_t b = static_cast<int32_t>(random() % netVorn->Boards.Count());
      TArticleList& list = Board(b);
      if (list.OrderCount(ArticleSortNormal) == 0) continue;
      const int32_t p = static_cast<int32_t>(random() % list.OrderCount(ArticleSortNormal));
      list.SetReadFlag(ArticleSortNormal, p, random() % 2, false);
    }
    if (random() % 3 == 0) journal.Tick();
  }
  journal.Tick();
  ASSERT_TRUE(netVorn->SaveReadPointers(File("expected.PTR")));

  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_FALSE(PointerEntries(File("expected.PTR")).empty());
  EXPECT_EQ(PointerEntries(File("NET.PTR")), PointerEntries(File("expected.PTR")));
  // Told once, in a box, since nothing was asked.
  ASSERT_EQ(Asked(next, Kind::Information), 1);
}

TEST_F(RunJournalTest, AReadMarkJournalCutShortByACrashKeepsItsWholeLines) {
  TArticleList& general = Board(kGeneral);
  general.SetReadFlag(ArticleSortTree, PositionOfNumber(kGeneral, 101), 1, false);
  journal.Tick();
  const std::string whole = test::ReadBytes(File("NET.JNR"));
  general.SetReadFlag(ArticleSortTree, PositionOfNumber(kGeneral, 102), 1, false);
  journal.Tick();
  const std::string both = test::ReadBytes(File("NET.JNR"));
  ASSERT_GT(both.size(), whole.size() + 3);
  // The power went while the second line was written.
  test::WriteBytes(File("NET.JNR"), both.substr(0, both.size() - 3));
  ReadMarkJournalFile file;
  ASSERT_TRUE(ReadReadMarkJournal(File("NET.JNR"), file));
  ASSERT_EQ(file.Changes.size(), 1u);
  EXPECT_TRUE(file.Changes[0].read);
  EXPECT_EQ(file.Changes[0].board, "1");
}

// Mails are known by their minute alone: the journal tells for each minute how many of its
// mails were read or unread since the last look, a line each, and an identity whose count did
// not change tells nothing.
TEST_F(RunJournalTest, MailsOfOneMinuteAreJournalledByHowManyChanged) {
  int32_t box = -1;
  for (int32_t b = 0; b < netVorn->Boards.Count() && box < 0; ++b) {
    if (netVorn->IsMailBox(b)) box = b;
  }
  ASSERT_GE(box, 0);
  TArticleList& mails = Board(box);
  constexpr int32_t kMinute = 123456;
  for (int32_t n = 0; n < 4; ++n) {
    ASSERT_TRUE(mails.AddArticle(ArticleKindMail, 0, 900000 + n, 900000 + n, kMinute, -1, -1, 1, -1,
                                 "1", "", "same minute", "", 0, 0, nullptr, nullptr));
  }
  ASSERT_TRUE(mails.SortArticles());
  auto mark = [&](int32_t n, bool read) {
    mails.SetReadFlag(ArticleSortNormal, PositionOfNumber(box, 900000 + n, ArticleSortNormal), read,
                      false);
  };
  auto changes = [&]() {
    ReadMarkJournalFile file;
    EXPECT_TRUE(ReadReadMarkJournal(File("NET.JNR"), file));
    std::vector<std::pair<bool, int64_t>> seen;
    for (const ReadMarkChange& c : file.Changes) {
      if (c.time == kMinute) seen.emplace_back(c.read, c.key);
    }
    return seen;
  };
  mark(0, true);
  mark(1, true);
  mark(2, true);
  journal.Tick();
  using Changes = std::vector<std::pair<bool, int64_t>>;
  EXPECT_EQ(changes(), (Changes{{true, -1}, {true, -1}, {true, -1}}));
  // One unread and another read: the count stays, and nothing is told.
  mark(0, false);
  mark(3, true);
  journal.Tick();
  EXPECT_EQ(changes().size(), 3u);
  mark(1, false);
  mark(2, false);
  journal.Tick();
  EXPECT_EQ(changes(), (Changes{{true, -1}, {true, -1}, {true, -1}, {false, -1}, {false, -1}}));
}

TEST_F(RunJournalTest, AnUnattendedEndSavesPointersAndListsAndKeepsTheWrites) {
  Compose("Kept for the next start");
  Board(kGeneral).SetReadFlag(ArticleSortTree, PositionOfNumber(kGeneral, 101), 1, false);
  Board(kProg).SetReadFlag(ArticleSortNormal, 0, 1, false);
  EXPECT_TRUE(journal.SaveUnattended(true).empty());
  ASSERT_TRUE(netVorn->SaveReadPointers(File("expected.PTR")));
  EXPECT_EQ(PointerEntries(File("NET.PTR")), PointerEntries(File("expected.PTR")));
  EXPECT_EQ(PointerEntries(File("NET.PTR")).size(), 2u);
  EXPECT_TRUE(FileExists(File("NET.BRD")));
  EXPECT_TRUE(FileExists(File("NET.MEM")));
  EXPECT_FALSE(FileExists(File("NET.UP")));
  // The marks are in the pointer file: the next start has none to add.
  ReadMarkJournalFile marks;
  ASSERT_TRUE(ReadReadMarkJournal(File("NET.JNR"), marks));
  EXPECT_TRUE(marks.Changes.empty());
  NextRun next(ws);
  next.Start(ws, UiAnswer::Yes, UiAnswer::Yes);
  EXPECT_EQ(Asked(next, Kind::ConfirmYesNo), 1);
  EXPECT_EQ(PendingTexts(*next.netVorn), PendingTexts(*netVorn));
}

TEST(ReadMarkChanges, AForeignPointerFileIsLeftAsItIs) {
  test::TempDir dir;
  const std::string path = dir.File("NET.PTR");
  test::WriteBytes(path, "not a pointer file\r\n1/2\r\n");
  EXPECT_FALSE(ApplyReadMarkChanges(path, {{"1", 5, 6, true}}));
  EXPECT_EQ(test::ReadBytes(path), "not a pointer file\r\n1/2\r\n");
  // A missing one is begun; the mail box holds a minute once per mail.
  const std::string fresh = dir.File("new.PTR");
  ASSERT_TRUE(ApplyReadMarkChanges(
      fresh, {{"mail", -1, 9, true}, {"mail", -1, 9, true}, {"2", 4, 8, true}, {"2", 4, 8, true}}));
  EXPECT_EQ(test::ReadBytes(fresh),
            std::string(ReadPtrFileHeader) + "\r\n\\mail\r\n9\r\n9\r\n\\2\r\n4/8\r\n");
  ASSERT_TRUE(ApplyReadMarkChanges(fresh, {{"mail", -1, 9, false}, {"2", 4, 8, false}}));
  EXPECT_EQ(test::ReadBytes(fresh), std::string(ReadPtrFileHeader) + "\r\n\\mail\r\n9\r\n");
  ASSERT_TRUE(ApplyReadMarkChanges(fresh, {{"mail", -1, 9, false}}));
  EXPECT_FALSE(FileExists(fresh));
}

// Nifty-Serve keeps its writes in the PAD file alone; its journal works the same way.
TEST(RunJournalNifty, AQueuedWriteComesBackOnce) {
  test::TempDir dir;
  const std::string settings = test::CopySamples(dir, {"NIF19990730.LOG"});
  const std::string log = dir.File("NIF19990730.LOG");
  RecordingUiServices ui;
  ui.defaultAnswer = UiAnswer::Yes;
  ScopedUiServices scoped(&ui);
  auto start = [&](TNifty& nifty, TLogSession& session, TRunJournal& journal) {
    session.SettingsFolder = settings;
    journal.FindLastRun();
    journal.OfferLastRun();
    ASSERT_TRUE(session.LoadLogFiles({log}, "NIF", false).Loaded());
    journal.LoadFinished(false);
    (void)nifty;
  };
  TNifty first(settings + "nifty.ini", settings + "nifdef.ini");
  TLogSession firstSession({&first});
  TRunJournal firstJournal(firstSession);
  start(first, firstSession, firstJournal);
  int32_t board = -1;
  for (int32_t b = 0; b < first.Boards.Count() && board < 0; ++b) {
    if (first.Boards.IsArticleBoard(b) == 1) board = b;
  }
  ASSERT_GE(board, 0);
  TArticleList& list = *first.Boards.GetArticles(board);
  ASSERT_TRUE(list.AddArticle(ArticleKindRoot, 1, first.WriteArticleNo++, -1, 0, -1, -1, -1, -1, {},
                              {}, "Nifty root", {}, -1, 1,
                              std::make_unique<TStringList>(TStringList{"Nifty root", "body"})));
  list.SortArticles();
  firstJournal.WritesChanged();

  TNifty second(settings + "nifty.ini", settings + "nifdef.ini");
  TLogSession secondSession({&second});
  TRunJournal secondJournal(secondSession);
  start(second, secondSession, secondJournal);
  EXPECT_EQ(PendingTexts(second), PendingTexts(first));
  ASSERT_TRUE(WriteUpPadFiles(secondSession));
  EXPECT_EQ(test::ReadBytes(settings + "NIF.PAD").find("Nifty root"),
            test::ReadBytes(settings + "NIF.PAD").rfind("Nifty root"));
}

}  // namespace
}  // namespace vorn
