// Captures seen again, through the loader the window's open and add (Ctrl+A) call: the same
// file in one load, a copy of it added later, a mail of the same minute from someone else, and
// NetVorn replies whose placeholders outlived the sort that made them. Loading files together
// and adding them one by one must give the same boards.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

// Both analysers on a copy of the sample settings and logs.
class LoadAgain : public ::testing::Test {
 protected:
  struct Session {
    explicit Session(const std::string& settings)
        : netVorn(settings + "netvorn.ini", settings + "vorndef.ini"),
          nifty(settings + "nifty.ini", settings + "nifdef.ini"),
          logs({&netVorn, &nifty}) {
      logs.SettingsFolder = settings;
    }
    TNetVorn netVorn;
    TNifty nifty;
    TLogSession logs;
  };

  void SetUp() override {
    settings = test::CopySamples(dir, {"NET19990730.LOG", "NIF19990730.LOG"});
  }

  // A session that loaded the first group of files at once, then added each further group.
  std::unique_ptr<Session> Load(const std::string& prefix,
                                const std::vector<std::vector<std::string>>& groups) {
    auto session = std::make_unique<Session>(settings);
    for (size_t g = 0; g < groups.size(); ++g) {
      const LoadResult result = session->logs.LoadLogFiles(groups[g], prefix, g > 0);
      EXPECT_TRUE(result.Loaded()) << "group " << g;
    }
    return session;
  }

  // Every board in both orders as the grid reads them: kind, number, writer, title, level and
  // the maintained, read and new marks; the lines an article lies on depend on how the files
  // were loaded and are left out.
  static std::vector<std::string> Rows(const TLogSession& logs) {
    std::vector<std::string> rows;
    const TBoardList& boards = logs.CurrentProcess->Boards;
    for (int32_t b = 0; b < boards.Count(); ++b) {
      const TArticleList* list = boards.GetArticles(b);
      rows.push_back("board " + boards.GetBoardId(b));
      for (const int32_t order : {ArticleSortNormal, ArticleSortTree}) {
        for (int32_t p = 0; list && p < list->OrderCount(order); ++p) {
          const ArticleRecord& r = *list->GetArticle(order, p);
          rows.push_back(std::to_string(order) + " k" + std::to_string(r.Kind) + " #" +
                         std::to_string(r.Number) + " w" + std::to_string(r.WriterId) +
                         r.WriterIdText().Str() + " t" + r.Title().Str() + " l" +
                         std::to_string(r.Level) + " m" + std::to_string(r.Maintained) + " r" +
                         std::to_string(r.ReadFlag) + " n" + std::to_string(r.NewFlag));
        }
      }
    }
    return rows;
  }
  // The mails of the mail box (board 0 in both families after sorting) in posting order.
  static std::vector<std::string> Mails(const TLogSession& logs) {
    std::vector<std::string> mails;
    const TArticleList& box = *logs.CurrentProcess->Boards.GetArticles(0);
    for (int32_t p = 0; p < box.OrderCount(ArticleSortNormal); ++p) {
      const ArticleRecord& r = *box.GetArticle(ArticleSortNormal, p);
      mails.push_back("#" + std::to_string(r.Number) + " " + std::to_string(r.WriterId) +
                      r.WriterIdText().Str() + " " + Cp932ToUtf8(r.Title().Str()));
    }
    return mails;
  }
  std::string Write(const std::string& name, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
      bytes += J(line) + "\r\n";
    test::WriteBytes(dir.File(name), bytes);
    return dir.File(name);
  }

  test::TempDir dir;
  std::string settings;
  RecordingUiServices ui;
  ScopedUiServices scoped{&ui};
};

struct Family {
  const char* prefix;
  const char* log;
  // A capture of one mail at the minute of the sample's first mail, from someone else.
  std::vector<std::string> otherMail;
  std::vector<std::string> mailsWithOther;
};

void PrintTo(const Family& f, std::ostream* out) {
  *out << f.prefix;
}

class LoadAgainPerFamily : public LoadAgain, public ::testing::WithParamInterface<Family> {};

TEST_P(LoadAgainPerFamily, AMailSeenAgainIsTheSameMailInOneLoadAndWhenAdded) {
  const Family& f = GetParam();
  const std::string log = dir.File(f.log);
  const std::string copy = dir.File(std::string(f.prefix) + "20000101.LOG");
  std::filesystem::copy_file(log, copy);
  const std::vector<std::string> once = Rows(Load(f.prefix, {{log}})->logs);
  ASSERT_GT(Mails(Load(f.prefix, {{log}})->logs).size(), 1u);

  EXPECT_EQ(Rows(Load(f.prefix, {{log, log}})->logs), once);
  EXPECT_EQ(Rows(Load(f.prefix, {{log, copy}})->logs), once);
  EXPECT_EQ(Rows(Load(f.prefix, {{log}, {copy}})->logs), once);
  EXPECT_EQ(Rows(Load(f.prefix, {{log, copy}, {log}, {copy}})->logs), once);
  EXPECT_TRUE(ui.entries.empty());
}

TEST_P(LoadAgainPerFamily, AMailOfTheSameMinuteFromSomeoneElseIsAnotherMail) {
  const Family& f = GetParam();
  const std::string log = dir.File(f.log);
  const std::string other = Write(std::string(f.prefix) + "20000101.LOG", f.otherMail);
  // Added, it took the key of the first mail of the same minute and wrote over it.
  const auto added = Load(f.prefix, {{log}, {other}});
  EXPECT_EQ(Mails(added->logs), f.mailsWithOther);
  const auto together = Load(f.prefix, {{log, other}});
  EXPECT_EQ(Rows(added->logs), Rows(together->logs));
  // Read once more, nothing changes.
  EXPECT_EQ(Rows(Load(f.prefix, {{log, other}, {other}, {log}})->logs), Rows(together->logs));
}

INSTANTIATE_TEST_SUITE_P(
    Families, LoadAgainPerFamily,
    ::testing::Values(
        Family{"NET",
               "NET19990730.LOG",
               {"Command (?:M", "No.0 ｢メール｣", "", "-\t", "mail 99/07/30 14:20 別の件",
                "  1 lines 4096:さぶろう ", "べつのメールです。", "読み終わりました"},
               {"#0 2048 オフ会の件", "#2 4096 別の件", "#1 3072 Re: 打ち合わせ"}},
        Family{"NIF",
               "NIF19990730.LOG",
               {"ＴＯＰ＞MAIL", "MAIL>REA 1",
                " 1  さぶろう          JKL24680          99/07/29 21:05", "    題名：別の件", "",
                "　べつのメールです。", "受信後 (1:削除 2:保存 3:返信 E:終了) >E", "MAIL>E"},
               {"#0 -1DEF54321 オフ会のお知らせ", "#2 -1JKL24680 別の件",
                "#1 -1MNO13579 データ送付の件"}}),
    [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.prefix); });

// NetVorn boards keep the placeholders of their last sort while a file is added.
TEST_F(LoadAgain, NetVornPlaceholdersOfTheLastSortDoNotOutliveAnAdd) {
  // Article 5 names itself as its parent: its placeholder has its key and time. Adding the
  // capture again stored it a second time, over the placeholder.
  const std::string self =
      Write("NET20000101.LOG", {"Command (?:1", "No.1 ｢雑談ボード｣", "", "-\t",
                                "general(5/9) 99/07/31 10:00 Re: myself", " <5:myself/2048:はなこ>",
                                "  1 lines 2048:はなこ ", "answering myself", "読み終わりました"});
  const std::vector<std::string> together = Rows(Load("NET", {{self, self}})->logs);
  EXPECT_EQ(Rows(Load("NET", {{self}, {self}})->logs), together);
  EXPECT_EQ(Rows(Load("NET", {{self}, {self}, {self}})->logs), together);

  // A reply read before its parent: the parent added later got the reply, and the placeholder
  // of the last sort got it a second time.
  const std::string reply =
      Write("NET20000102.LOG", {"Command (?:1", "No.1 ｢雑談ボード｣", "", "-\t",
                                "general(8/9) 99/07/31 11:00 Re: parent", " <7:parent/1024:たろう>",
                                "  1 lines 2048:はなこ ", "a reply", "読み終わりました"});
  const std::string parent =
      Write("NET20000103.LOG",
            {"Command (?:1", "No.1 ｢雑談ボード｣", "", "-\t", "general(7/9) 99/07/31 10:30 parent",
             "  1 lines 1024:たろう ", "the parent", "読み終わりました"});
  const std::vector<std::string> both = Rows(Load("NET", {{reply, parent}})->logs);
  EXPECT_EQ(Rows(Load("NET", {{reply}, {parent}})->logs), both);
  EXPECT_EQ(Rows(Load("NET", {{parent}, {reply}})->logs), both);
}

// The read mark of an article whose placeholder has its key and time went to the placeholder,
// so the article came back unread in every run.
TEST_F(LoadAgain, AReplyToItselfKeepsItsReadMarkAcrossRuns) {
  const std::string self =
      Write("NET20000101.LOG", {"Command (?:1", "No.1 ｢雑談ボード｣", "", "-\t",
                                "general(5/9) 99/07/31 10:00 Re: myself", " <5:myself/2048:はなこ>",
                                "  1 lines 2048:はなこ ", "answering myself", "読み終わりました"});
  auto first = Load("NET", {{self}});
  TBBSProcess& process = *first->logs.CurrentProcess;
  TArticleList& board = *process.Boards.GetArticles(process.Boards.FindBoardNo(1));
  ASSERT_EQ(board.OrderCount(ArticleSortNormal), 1);
  ASSERT_TRUE(board.SetReadFlag(ArticleSortNormal, 0, 1, false));
  ASSERT_TRUE(process.SaveReadPointers(settings + "NET.PTR"));

  auto next = Load("NET", {{self}});
  TBBSProcess& again = *next->logs.CurrentProcess;
  const TArticleList& read = *again.Boards.GetArticles(again.Boards.FindBoardNo(1));
  ASSERT_EQ(read.OrderCount(ArticleSortNormal), 1);
  EXPECT_EQ(read.GetReadFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(read.GetNewFlag(ArticleSortNormal, 0), 0);
}

}  // namespace
}  // namespace vorn
