#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/LogList.h"
#include "analysis/Nifty.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "platform/UiServices.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"
#include "text/Dates.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

using test::J;

const char* const kSampleLog = "NIF19990730.LOG";
const std::string kComp = "_FCOMP____03";
const std::string kGame = "_FGAME____07";

// The sample capture read with the sample settings folder, the way the loader does it: the set
// found by the log's prefix, each file read with the set's end line after it, lists loaded,
// analysed, sorted. Works on a copy: the settings object writes its defaults file.
class NiftySample : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    settingsDir = dir.Path() + "/settings/";
    fs::copy(samples / "settings", settingsDir, fs::copy_options::recursive);
    fs::copy_file(samples / kSampleLog, dir.File(kSampleLog));
    Load({kSampleLog});
  }

  void Load(const std::vector<std::string>& files) {
    process = std::make_unique<TNifty>(settingsDir + "nifty.ini", settingsDir + "nifdef.ini");
    process->AnalysisThreads = test::TestAnalysisThreads();
    TNiftyIniFile& settings = *process->Settings;
    const int index = settings.FindPrefix(LogNamePrefix(files[0]));
    ASSERT_GE(index, 0);
    netNo = settings.NetNoAt(index);
    ASSERT_TRUE(settings.SelectNet(netNo));
    log.Clear();
    systemLog.Clear();
    lastFileLine.clear();
    for (const std::string& file : files) {
      ASSERT_EQ(log.LoadFromFile(ResolveSetPath(settings.LogPath, settingsDir) + file),
                TLogList::LoadOk);
      lastFileLine.push_back(log.Count() - 1);
      log.AddLine(settings.LogEndLine);
    }
    process->ClearData();
    process->LoadLists(Path(settings.BoardListFile), Path(settings.MemberListFile));
    ASSERT_TRUE(process->AnalyzeLog(netNo, log, systemLog, 0));
    process->SortData();
  }

  std::string Path(const std::string& setPath) { return ResolveSetPath(setPath, settingsDir); }

  TArticleList& Board(const std::string& id) {
    const int32_t index = process->Boards.FindBoardId(id);
    EXPECT_GE(index, 0) << id;
    return *process->Boards.GetArticles(index);
  }

  // One entry's place in the log, checked through the lines it shows.
  void ExpectLines(TArticleList& board, int32_t position, int32_t first, int32_t last,
                   const char* firstBodyLine, const char* lastBodyLine) {
    SCOPED_TRACE("position " + std::to_string(position));
    EXPECT_EQ(board.GetFirstLine(ArticleSortNormal, position), first);
    EXPECT_EQ(board.GetBodyOffset(ArticleSortNormal, position), 2);
    EXPECT_EQ(board.GetLastLine(ArticleSortNormal, position), last);
    EXPECT_EQ(log.GetLine(first + 3), J(firstBodyLine));
    EXPECT_EQ(StripEscapeSequences(log.GetLine(last)), J(lastBodyLine));
  }

  test::TempDir dir;
  std::string settingsDir;
  std::unique_ptr<TNifty> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
  int32_t netNo = -1;
  std::vector<int32_t> lastFileLine;
};

TEST_F(NiftySample, Boards) {
  const TBoardList& boards = process->Boards;
  ASSERT_EQ(boards.Count(), 3);
  // Sorted by identifier: the mail box's leading blank comes first.
  const std::string ids[3] = {" MAIL       ", kComp, kGame};
  const char* const titles[3] = {"メール ", "パソコン初心者 ", "ＲＰＧ攻略 "};
  for (int32_t b = 0; b < 3; ++b) {
    EXPECT_EQ(boards.GetBoardNo(b), -1);
    EXPECT_EQ(boards.GetBoardId(b), ids[b]);
    EXPECT_EQ(boards.GetBoardTitle(b), J(titles[b]));
  }
  EXPECT_EQ(process->GetBoardLabel(1, true), "FCOMP   :MES:03");
  EXPECT_EQ(process->GetBoardName(2), "FGAME  MES(07)");
  EXPECT_EQ(process->NetNo, netNo);
  EXPECT_EQ(lastFileLine[0], 79);
}

TEST_F(NiftySample, ThreadsOfTheTwoForums) {
  TArticleList& comp = Board(kComp);
  ASSERT_EQ(comp.OrderCount(ArticleSortNormal), 4);
  const int32_t keys[4] = {211, 212, 213, 231};
  for (int32_t p = 0; p < 4; ++p)
    EXPECT_EQ(comp.GetKey(ArticleSortNormal, p), keys[p] - RebaseOffset);
  EXPECT_EQ(comp.GetTitle(ArticleSortNormal, 0), J("メモリ増設について"));
  EXPECT_EQ(comp.GetWriterIdText(ArticleSortNormal, 0), "DEF54321");
  EXPECT_EQ(comp.GetPostTime(ArticleSortNormal, 0), DateKey(99, 7, 28, 21, 15, 0) - RebaseOffset);
  ExpectLines(comp, 0, 16, 20, "　メモリを６４ＭＢに増やそうと思います。",
              "　注意点があれば教えてください。");
  ExpectLines(comp, 1, 22, 26, "　静電気に気をつけてください。",
              "　必ず電源を切ってから作業しましょう。");
  // Ended by a terminal line.
  ExpectLines(comp, 2, 28, 31, "　ありがとうございました。無事に増設できました。",
              "　ありがとうございました。無事に増設できました。");
  // The capture ends inside this article: it keeps its lines to the file's last line.
  ExpectLines(comp, 3, 75, 79, "　ＣＰＵを交換したいのですが、", "　ソケットの形が違うようで");
  const int32_t levels[4] = {0, 1, 2, 0};
  for (int32_t p = 0; p < 4; ++p)
    EXPECT_EQ(comp.GetLevel(ArticleSortTree, p), levels[p]);

  TArticleList& game = Board(kGame);
  ASSERT_EQ(game.OrderCount(ArticleSortNormal), 3);
  // A coloured header line.
  EXPECT_EQ(game.GetTitle(ArticleSortNormal, 0), J("ボス戦の攻略"));
  ExpectLines(game, 0, 36, 40, "　最後のボスが倒せません。", "　レベルはいくつ必要ですか？");
  ExpectLines(game, 1, 42, 45, "　地図はデータライブラリに登録してあります。",
              "　地図はデータライブラリに登録してあります。");
  ExpectLines(game, 2, 47, 50, "　レベル４５あれば楽勝です。", "　レベル４５あれば楽勝です。");
  // Tree: 85 with 87 under it, then a placeholder for 42 with 86 under it.
  ASSERT_EQ(game.OrderCount(ArticleSortTree), 4);
  const int32_t treeNumbers[4] = {85, 87, 42, 86};
  const int32_t treeLevels[4] = {0, 1, 0, 1};
  for (int32_t p = 0; p < 4; ++p) {
    EXPECT_EQ(game.GetNumber(ArticleSortTree, p), treeNumbers[p]);
    EXPECT_EQ(game.GetLevel(ArticleSortTree, p), treeLevels[p]);
  }
  EXPECT_EQ(game.GetKind(ArticleSortTree, 2), ArticleKindMissingRoot);

  // The writer's handle as the ID editor is offered it.
  std::vector<std::string> lines;
  for (int32_t l = 36; l <= 40; ++l)
    lines.push_back(log.GetLine(l));
  EXPECT_EQ(process->FindWriterHandle(lines), J("じろう"));
}

TEST_F(NiftySample, MailsMembersAndSystemMessages) {
  TArticleList& mail = Board(" MAIL       ");
  ASSERT_EQ(mail.OrderCount(ArticleSortNormal), 2);
  EXPECT_EQ(mail.GetKind(ArticleSortNormal, 0), ArticleKindMail);
  EXPECT_EQ(mail.GetKey(ArticleSortNormal, 0), 0 - RebaseOffset);
  EXPECT_EQ(mail.GetTitle(ArticleSortNormal, 0), J("オフ会のお知らせ"));
  EXPECT_EQ(mail.GetWriterIdText(ArticleSortNormal, 0), "DEF54321");
  ExpectLines(mail, 0, 58, 62, "　来月のオフ会は８月２１日（土）です。", "　参加できますか？");
  EXPECT_EQ(mail.GetKey(ArticleSortNormal, 1), 1 - RebaseOffset);
  EXPECT_EQ(mail.GetWriterIdText(ArticleSortNormal, 1), "MNO13579");
  ExpectLines(mail, 1, 65, 69, "　昨日のデータ、届きましたか。",
              "　１００％の圧縮率でした\\(^o^)/");

  const TMemberList& members = process->Members;
  ASSERT_EQ(members.Count(), 5);
  const char* const ids[5] = {"ABC01234", "DEF54321", "GHI56789", "JKL24680", "MNO13579"};
  const char* const handles[5] = {"たろう", "はなこ", "じろう", "さぶろう", "しろう"};
  for (int32_t m = 0; m < 5; ++m) {
    EXPECT_EQ(members.GetIdText(m), ids[m]);
    EXPECT_EQ(members.GetCurrentHandle(m), J(handles[m]));
  }

  const std::vector<std::string> expected = {
      J("たろう　さん、こんばんは。\r"),
      J("－－メールが　２通届いています（未読分　２通）－－\r"),
      J("〔定期メンテナンスのお知らせ〕\r"),
      J("８月１日（日）２：００～６：００はサービスを停止します。\r"),
      J("ご迷惑をおかけしますが、ご了承ください。\r"),
  };
  std::vector<std::string> lines;
  for (int32_t i = 0; i < systemLog.Count(); ++i)
    lines.push_back(systemLog.GetLine(i));
  EXPECT_EQ(lines, expected);
}

// A second log file loaded with the sample: the article open at the end of the sample keeps
// its own lines and does not run on into the next file's opening.
TEST_F(NiftySample, TwoFilesLoadedTogether) {
  const char* const next = "NIF19990731.LOG";
  test::WriteBytes(dir.File(next), J("ATDT 0570-00-0000\r\nCONNECT 9600\r\nUser-ID: ABC01234\r\n"));
  Load({kSampleLog, next});
  ASSERT_EQ(lastFileLine.size(), 2u);
  TArticleList& comp = Board(kComp);
  EXPECT_EQ(comp.GetLastLine(ArticleSortNormal, 3), lastFileLine[0]);
  EXPECT_EQ(comp.GetLastLine(ArticleSortNormal, 3), 79);
}

// The end of a run and the next: lists, read pointers and the PAD file saved where the set
// names them, and found again.
TEST_F(NiftySample, ListsReadPointersAndPadFileSurviveTheNextRun) {
  TNiftyIniFile& settings = *process->Settings;
  Board(kComp).SetReadFlag(ArticleSortNormal, 1, 1, false);
  Board(" MAIL       ").SetReadFlag(ArticleSortNormal, 1, 1, false);

  TArticleList& game = Board(kGame);
  const int32_t parent = game.GetKey(ArticleSortNormal, 0);
  const std::string title = J("Re:ボス戦の攻略");
  auto text = std::make_unique<TStringList>(TStringList{title, J("がんばって")});
  ASSERT_TRUE(game.AddArticle(ArticleKindRess, 1, process->WriteArticleNo++, -1, 0, parent, -1, -1,
                              -1, {}, {}, title, {}, -1, 1, std::move(text)));
  game.SortArticles();

  ASSERT_TRUE(process->SaveLists(Path(settings.BoardListFile), Path(settings.MemberListFile)));
  ASSERT_TRUE(process->SaveReadPointers(Path(settings.ReadPtrFile)));
  ASSERT_TRUE(process->WritePadFile(Path(settings.PadFile)));
  EXPECT_EQ(test::ReadBytes(settingsDir + "NIF.PAD"),
            "*F\r\nFGAME\r\n7\r\n85\r\n" + J("Re:ボス戦の攻略\r\nがんばって\r\n") + ".\r\n");

  Load({kSampleLog});
  RecordingUiServices ui;
  ui.defaultAnswer = UiAnswer::Yes;
  ScopedUiServices scoped(&ui);
  process->WriteArticleNo = 0;
  ASSERT_TRUE(process->ReadPadFile(Path(process->Settings->PadFile)));
  ASSERT_TRUE(process->LoadReadPointers(Path(process->Settings->ReadPtrFile)));
  EXPECT_EQ(Board(kComp).GetReadFlag(ArticleSortNormal, 0), 0);
  EXPECT_EQ(Board(kComp).GetReadFlag(ArticleSortNormal, 1), 1);
  EXPECT_EQ(Board(kComp).GetNewFlag(ArticleSortNormal, 1), 0);
  EXPECT_EQ(Board(" MAIL       ").GetReadFlag(ArticleSortNormal, 1), 1);
  TArticleList& again = Board(kGame);
  ASSERT_EQ(again.OrderCount(ArticleSortNormal), 4);
  EXPECT_EQ(again.GetWriteFlag(ArticleSortNormal, 3), 1);
  EXPECT_EQ(again.GetParentKey(ArticleSortNormal, 3), parent);
  EXPECT_EQ(again.GetLevel(ArticleSortTree, 2), 1);  // 85, 87, the reply
  EXPECT_EQ(process->Boards.Count(), 3);
}

}  // namespace
}  // namespace vorn
