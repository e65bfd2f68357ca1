#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/NiftyPadFile.h"
#include "analysis/NiftyTestFixture.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "store/MailSendList.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingUiServices.h"
#include "text/Dates.h"

namespace vorn {
namespace {

using test::BoardLine;
using test::Header1;
using test::J;
using test::ReadBytes;
using test::RessLine;
using test::RootLine;
using test::WriteBytes;

const std::string kFxyz = "_FXYZ_____05";
const std::string kAbc = "_ABC______01";

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines)
    out += line + "\r\n";
  return out;
}

// A queued write as the PAD file carries it.
struct Write {
  uint8_t kind;
  int32_t parentKey;
  TStringList text;
  std::vector<std::string> recipients;
  bool operator==(const Write&) const = default;
};

class NiftyPad : public test::NiftyFixture {
 protected:
  void SetUp() override {
    MakeProcess("PadFile=\"NIF.PAD\"");
    padFile = dir.File("NIF.PAD");
  }

  // Two boards; board FXYZ 5 holds article 123 and a reply to the absent article 99.
  void LoadLog(test::NiftyHarness& into) {
    into.Raw({BoardLine("fxyz", 5, "雑談 会議室"), Header1(123, "ABC12345", "たろう", "予定"),
              RootLine(5, 99, 7, 30, 12, 34)});
    into.Lines({"本文", " \b"});
    into.Raw({Header1(126, "GHI11111", "じろう", "古い話"), RessLine(5, 99, 7, 30, 13, 5, 99)});
    into.Lines({"本文", " \b"});
    into.Raw({BoardLine("abc", 1, "別の会議室")});
    into.EndOfFile();
    ASSERT_TRUE(into.Analyze());
    into.process->SortData();
  }

  // Queues a write the way the write commands do.
  static void Queue(TNifty& p, const std::string& board, const Write& w) {
    TArticleList* a = p.Boards.GetArticles(p.Boards.FindBoardId(board));
    ASSERT_NE(a, nullptr) << board;
    std::unique_ptr<TMailSendList> mailTo;
    if (w.kind == ArticleKindMail) {
      mailTo = std::make_unique<TMailSendList>(true);
      for (const std::string& id : w.recipients)
        mailTo->AddRecipientText(id);
    }
    ASSERT_TRUE(a->AddArticle(w.kind, 1, p.WriteArticleNo++, -1, 0, w.parentKey, -1, -1, -1, {}, {},
                              w.text.empty() ? "" : w.text[0], {}, -1, 1,
                              std::make_unique<TStringList>(w.text), std::move(mailTo)));
    a->SortArticles();
  }

  // The queued writes of a board, in posting order.
  static std::vector<Write> Writes(TNifty& p, const std::string& board) {
    std::vector<Write> out;
    TArticleList* a = p.Boards.GetArticles(p.Boards.FindBoardId(board));
    if (!a) return out;
    for (int32_t i = 0; i < a->OrderCount(ArticleSortNormal); ++i) {
      const ArticleRecord* r = a->GetArticle(ArticleSortNormal, i);
      if (r->WriteFlag != 1) continue;
      Write w{r->Kind, r->ParentKey, r->Text() ? *r->Text() : TStringList{}, {}};
      if (r->MailTo()) {
        for (int32_t k = 0; k < r->MailTo()->Count(); ++k)
          w.recipients.push_back(TMailSendList::GetRecipientText(r->MailTo(), k));
      }
      EXPECT_EQ(r->Title().Str(), w.text.empty() ? "" : w.text[0].substr(0, 127));
      out.push_back(std::move(w));
    }
    return out;
  }

  // The stored key of the log article with this number, or of the placeholder carrying it.
  int32_t StoredKey(TNifty& p, const std::string& board, int32_t number) {
    TArticleList* a = p.Boards.GetArticles(p.Boards.FindBoardId(board));
    for (int32_t i = 0; i < a->OrderCount(ArticleSortTree); ++i) {
      if (a->GetNumber(ArticleSortTree, i) == number && a->GetWriteFlag(ArticleSortTree, i) == 0)
        return a->GetKey(ArticleSortTree, i);
    }
    ADD_FAILURE() << "no article " << number;
    return -1;
  }

  // A second analyser over the same settings and log, the way the next run starts.
  std::unique_ptr<test::NiftyHarness> StartNextRun() {
    auto next = std::make_unique<test::NiftyHarness>();
    WriteBytes(next->dir.File("nifty.ini"), ReadBytes(dir.File("nifty.ini")));
    next->process =
        std::make_unique<TNifty>(next->dir.File("nifty.ini"), next->dir.File("nifdef.ini"));
    next->process->ClearData();
    EXPECT_TRUE(next->process->Settings->SelectNet(0));
    LoadLog(*next);
    return next;
  }

  std::string padFile;
};

TEST_F(NiftyPad, ExactLines) {
  process->Boards.AddBoard(-1, kFxyz, "t");
  process->Boards.SortBoardsById();
  Queue(*process, kFxyz, {ArticleKindRoot, -1, {"Title", "Body"}, {}});
  Queue(*process, " MAIL       ", {ArticleKindMail, -1, {"Re", "Hi"}, {"ABC12345"}});
  ASSERT_TRUE(process->WritePadFile(padFile));
  EXPECT_EQ(ReadBytes(padFile),
            CrLf({"*M", "ABC12345", "Re", "Hi", ".", "*W", "FXYZ", "5", "Title", "Body", "."}));
}

TEST_F(NiftyPad, ReplyToALogArticleKeepsItsParent) {
  LoadLog(*this);
  const int32_t parent = StoredKey(*process, kFxyz, 123);
  EXPECT_EQ(parent, 123 - RebaseOffset);
  Queue(*process, kFxyz, {ArticleKindRess, parent, {J("Re: 予定"), J("了解")}, {}});
  // A reply to the article that is not in the log: its placeholder's key.
  Queue(*process, kFxyz,
        {ArticleKindRess, StoredKey(*process, kFxyz, 99), {J("Re: 古い"), "x"}, {}});
  ASSERT_TRUE(process->WritePadFile(padFile));
  EXPECT_EQ(ReadBytes(padFile), CrLf({"*F", "FXYZ", "5", "123", J("Re: 予定"), J("了解"), ".", "*F",
                                      "FXYZ", "5", "99", J("Re: 古い"), "x", "."}));

  RecordingUiServices ui;
  ui.Script(UiAnswer::Yes);
  ScopedUiServices scoped(&ui);
  auto next = StartNextRun();
  ASSERT_TRUE(next->process->ReadPadFile(padFile));
  EXPECT_EQ(next->process->WriteArticleNo, 2);
  TArticleList& a = *next->Board(kFxyz);
  // In tree order each reply sits under its parent: the nearest entry before it one level up.
  std::vector<int32_t> parentNumbers;
  for (int32_t p = 0; p < a.OrderCount(ArticleSortTree); ++p) {
    if (a.GetWriteFlag(ArticleSortTree, p) != 1) continue;
    const int32_t level = a.GetLevel(ArticleSortTree, p);
    EXPECT_EQ(level, 1);
    int32_t q = p - 1;
    while (q >= 0 && a.GetLevel(ArticleSortTree, q) != level - 1)
      --q;
    ASSERT_GE(q, 0);
    parentNumbers.push_back(a.GetNumber(ArticleSortTree, q));
    EXPECT_EQ(a.GetParentKey(ArticleSortTree, p), a.GetKey(ArticleSortTree, q));
  }
  EXPECT_EQ(parentNumbers, (std::vector<int32_t>{123, 99}));
}

TEST_F(NiftyPad, ReadingSkipsWhatDoesNotFitAndStopsAtACutEntry) {
  LoadLog(*this);
  WriteBytes(padFile, CrLf({
                          "junk",
                          "*W",
                          "FXYZ",
                          "100",
                          "skipped: board number",
                          ".",
                          "*M",
                          "",
                          "skipped: no recipient",
                          ".",
                          "*W",
                          "NOPE",
                          "5",
                          "skipped: no such board",
                          ".",
                          "*W",
                          "fxyz",
                          "5",
                          "skipped: the index is taken as written",
                          ".",
                          "*F",
                          "FXYZ",
                          "5",
                          "-3",
                          "skipped: negative parent",
                          ".",
                          "*W",
                          "FXYZ",
                          "5",
                          "Good",
                          "*W",
                          "line",
                          ".",
                          "*M",
                          "ABC12345",
                          "Mail",
                          ".",
                          "*W",
                          "ABC",
                          "1",
                          "Cut",
                          "more",
                      }));
  RecordingUiServices ui;
  ui.Script(UiAnswer::Yes);
  ScopedUiServices scoped(&ui);
  ASSERT_TRUE(process->ReadPadFile(padFile));
  // The two whole entries for boards the log lacks are named: the file will be kept when it
  // is replaced.
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].kind, RecordingUiServices::Kind::LoadCheck);
  EXPECT_EQ(ui.entries[0].text, J("PADファイルが存在しています\r\n読込みますか？"));
  EXPECT_EQ(ui.entries[1].kind, RecordingUiServices::Kind::Warning);
  EXPECT_TRUE(ui.entries[1].text.starts_with(J("PADファイルの書込みのうち2件は")));

  const std::vector<Write> fxyz = {{ArticleKindRoot, -1, {"Good", "*W", "line"}, {}}};
  EXPECT_EQ(Writes(*process, kFxyz), fxyz);
  const std::vector<Write> mail = {{ArticleKindMail, -1, {"Mail"}, {"ABC12345"}}};
  EXPECT_EQ(Writes(*process, process->MailBoardIndex), mail);
  EXPECT_TRUE(Writes(*process, kAbc).empty());
  EXPECT_EQ(process->WriteArticleNo, 2);
}

TEST_F(NiftyPad, AFileEndingRightAfterATitleAddsNothingForIt) {
  LoadLog(*this);
  WriteBytes(padFile, CrLf({"*W", "FXYZ", "5", "First", ".", "*F", "FXYZ", "5", "123", "Title"}));
  RecordingUiServices ui;
  ui.defaultAnswer = UiAnswer::Yes;
  ScopedUiServices scoped(&ui);
  ASSERT_TRUE(process->ReadPadFile(padFile));
  const std::vector<Write> expected = {{ArticleKindRoot, -1, {"First"}, {}}};
  EXPECT_EQ(Writes(*process, kFxyz), expected);
}

TEST_F(NiftyPad, TheLoadCheckQuestion) {
  LoadLog(*this);
  const std::string content = CrLf({"*W", "FXYZ", "5", "T", "."});
  RecordingUiServices ui;
  ScopedUiServices scoped(&ui);

  // No: the file stays and nothing is read.
  WriteBytes(padFile, content);
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(process->ReadPadFile(padFile));
  EXPECT_EQ(ReadBytes(padFile), content);
  EXPECT_TRUE(Writes(*process, kFxyz).empty());

  // Delete (the dialog's third button): the file goes, nothing is read.
  ui.Script(UiAnswer::Cancel);
  EXPECT_FALSE(process->ReadPadFile(padFile));
  EXPECT_FALSE(FileExists(padFile));
  EXPECT_TRUE(Writes(*process, kFxyz).empty());

  // No file, or an empty one: nothing to ask.
  EXPECT_TRUE(process->ReadPadFile(padFile));
  WriteBytes(padFile, "");
  EXPECT_TRUE(process->ReadPadFile(padFile));
  EXPECT_EQ(ui.entries.size(), 2u);
}

TEST_F(NiftyPad, NoWritesRemovesTheOldFile) {
  WriteBytes(padFile, CrLf({"*W", "OLD", "1", "T", "."}));
  EXPECT_TRUE(process->WritePadFile(padFile));
  EXPECT_FALSE(FileExists(padFile));
  EXPECT_TRUE(process->WritePadFile(padFile));
  EXPECT_FALSE(process->WritePadFile(""));
}

// A failed write leaves the old file as it was and says so.
TEST_F(NiftyPad, FailedWritesKeepTheOldFile) {
  LoadLog(*this);
  Queue(*process, kFxyz, {ArticleKindRoot, -1, {"A title long enough", "and a body line"}, {}});
  EXPECT_FALSE(process->WritePadFile(dir.File("missing/NIF.PAD")));

  const std::string old = CrLf({"*W", "FXYZ", "5", "Old", "."});
  WriteBytes(padFile, old);
  {
    test::ScopedFileSizeLimit limit(16);
    EXPECT_FALSE(process->WritePadFile(padFile));
  }
  EXPECT_EQ(ReadBytes(padFile), old);
  // Nothing half-written is left beside it.
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    ++files;
  EXPECT_EQ(files, 3u);  // nifty.ini, nifdef.ini, NIF.PAD
  EXPECT_TRUE(process->WritePadFile(padFile));
  EXPECT_NE(ReadBytes(padFile), old);
}

TEST_F(NiftyPad, DatedCopy) {
  MakeProcess("PadFile=\"NIF.PAD\"\r\nPadFileAddDate=1\r\nPadFileAddDateStr=\"_%_MONTH_%%_DAY_%\"");
  process->Boards.AddBoard(-1, kFxyz, "t");
  Queue(*process, kFxyz, {ArticleKindRoot, -1, {"T"}, {}});
  const std::string before =
      DatedFileName(padFile, ExpandDatePlaceholders("_%_MONTH_%%_DAY_%", CurrentLocalTime()));
  ASSERT_TRUE(process->WritePadFile(padFile));
  const std::string after =
      DatedFileName(padFile, ExpandDatePlaceholders("_%_MONTH_%%_DAY_%", CurrentLocalTime()));
  const std::string dated = FileExists(before) ? before : after;
  ASSERT_TRUE(FileExists(dated));
  EXPECT_EQ(ReadBytes(dated), ReadBytes(padFile));
  EXPECT_EQ(ExtractFileName(dated).size(), std::string("NIF_0730.PAD").size());
}

TEST(NiftyPadFileName, Dated) {
  EXPECT_EQ(DatedFileName("NIFTY.PAD", "_0730"), "NIFTY_0730.PAD");
  EXPECT_EQ(DatedFileName("/a.b/NIFTY", "_0730"), "/a.b/NIFTY_0730");
  EXPECT_EQ(DatedFileName("/x/NIF.TY.PAD", "_1"), "/x/NIF.TY_1.PAD");
}

// The host takes one recipient per mail entry: a mail to several members goes out once per
// recipient and comes back as the one mail it was.
TEST_F(NiftyPad, MailToSeveralMembers) {
  LoadLog(*this);
  const std::string mailBox = process->MailBoardIndex;
  Queue(*process, mailBox, {ArticleKindMail, -1, {"Hello", "all"}, {"ABC12345", "DEF54321"}});
  // The same text twice to one member stays two mails.
  Queue(*process, mailBox, {ArticleKindMail, -1, {"Ping"}, {"GHI11111"}});
  Queue(*process, mailBox, {ArticleKindMail, -1, {"Ping"}, {"GHI11111"}});
  ASSERT_TRUE(process->WritePadFile(padFile));
  EXPECT_EQ(ReadBytes(padFile), CrLf({"*M", "ABC12345", "Hello", "all", ".",  //
                                      "*M", "DEF54321", "Hello", "all", ".",  //
                                      "*M", "GHI11111", "Ping", ".",          //
                                      "*M", "GHI11111", "Ping", "."}));

  RecordingUiServices ui;
  ui.defaultAnswer = UiAnswer::Yes;
  ScopedUiServices scoped(&ui);
  auto next = StartNextRun();
  ASSERT_TRUE(next->process->ReadPadFile(padFile));
  EXPECT_EQ(Writes(*next->process, mailBox), Writes(*process, mailBox));
}

// Random queued writes written and read back by the next run over the same log are the same
// writes, and writing them again gives the same file.
TEST_F(NiftyPad, RoundTripOfRandomWrites) {
  LoadLog(*this);
  const std::string mailBox = process->MailBoardIndex;
  const std::vector<std::string> pieces = {
      "abc",     J("日本語の本文"), "%", "%%",   "\\",    "\\n",
      J("表示"), J("ソフト"),       " ", "*W",   "*M",    "..",
      J("ｶﾀｶﾅ"), "\"q\"",           "",  "100%", J("～"), "\t"};
  const std::vector<std::string> ids = {"ABC12345", "DEF54321", "GHI11111", "XYZ99999"};
  const int32_t parents[] = {StoredKey(*process, kFxyz, 123), StoredKey(*process, kFxyz, 99)};

  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    auto line = [&] {
      std::string s;
      for (size_t k = pick(4); k > 0; --k)
        s += pieces[pick(pieces.size())];
      return s;
    };

    // The writes of the last seed go: every board starts without writes.
    for (int32_t b = 0; b < process->Boards.Count(); ++b) {
      TArticleList* a = process->Boards.GetArticles(b);
      for (int32_t i = 0; i < a->Count(); ++i) {
        const ArticleRecord* r = a->Entry(i);
        if (r->WriteFlag == 1) a->SetArticleUsed(r->ArticleKey, r->PostTime, 0);
      }
      a->SortArticles();
    }
    std::set<TStringList> texts;
    const size_t count = 1 + pick(12);
    for (size_t k = 0; k < count; ++k) {
      Write w{ArticleKindRoot, -1, {}, {}};
      do {
        // A title of "." is a title; a "." line in the body would end the text early.
        w.text = {pick(8) == 0 ? "." : line()};
        for (size_t n = pick(4); n > 0; --n) {
          std::string body = line();
          w.text.push_back(body == "." ? ".." : body);
        }
      } while (!texts.insert(w.text).second);
      std::string board = pick(2) ? kFxyz : kAbc;
      switch (pick(3)) {
        case 0:
          break;
        case 1:
          board = kFxyz;
          w.kind = ArticleKindRess;
          w.parentKey = parents[pick(2)];
          break;
        default: {
          board = mailBox;
          w.kind = ArticleKindMail;
          std::vector<std::string> pool = ids;
          std::shuffle(pool.begin(), pool.end(), rng);
          w.recipients.assign(pool.begin(), pool.begin() + 1 + pick(3));
        }
      }
      Queue(*process, board, w);
    }

    ASSERT_TRUE(process->WritePadFile(padFile));
    const std::string written = ReadBytes(padFile);
    RecordingUiServices ui;
    ui.defaultAnswer = UiAnswer::Yes;
    ScopedUiServices scoped(&ui);
    auto next = StartNextRun();
    ASSERT_TRUE(next->process->ReadPadFile(padFile));
    for (const std::string& board : {kFxyz, kAbc, mailBox})
      EXPECT_EQ(Writes(*next->process, board), Writes(*process, board)) << board;
    ASSERT_TRUE(next->process->WritePadFile(padFile));
    EXPECT_EQ(ReadBytes(padFile), written);
  }
}

}  // namespace
}  // namespace vorn
