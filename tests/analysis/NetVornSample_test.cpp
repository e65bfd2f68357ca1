#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "platform/FileQuery.h"
#include "platform/SetPath.h"
#include "store/ArticleList.h"
#include "support/TestSupport.h"
#include "text/Dates.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

using test::J;

const char* const kSampleLog = "NET19990730.LOG";

// The sample capture read with the sample settings folder, the way the loader does it: the
// set found by the log's prefix, the file read, the set's end line appended, lists loaded,
// analysed, sorted. Works on a copy: the settings object writes its defaults file.
class NetVornSample : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    settingsDir = dir.Path() + "/settings/";
    fs::copy(samples / "settings", settingsDir, fs::copy_options::recursive);
    fs::copy_file(samples / kSampleLog, dir.File(kSampleLog));
    Load();
  }

  void Load() {
    process = std::make_unique<TNetVorn>(settingsDir + "netvorn.ini", settingsDir + "vorndef.ini");
    process->AnalysisThreads = test::TestAnalysisThreads();
    TNetVornIniFile& settings = *process->Settings;
    const int index = settings.FindPrefix(LogNamePrefix(kSampleLog));
    ASSERT_GE(index, 0);
    netNo = settings.NetNoAt(index);
    ASSERT_TRUE(settings.SelectNet(netNo));
    const std::string logFile = ResolveSetPath(settings.LogPath, settingsDir) + kSampleLog;
    log.Clear();
    systemLog.Clear();
    ASSERT_EQ(log.LoadFromFile(logFile), TLogList::LoadOk);
    lastFileLine = log.Count() - 1;
    log.AddLine(settings.LogEndLine);
    process->ClearData();
    process->LoadLists(ResolveSetPath(settings.BoardListFile, settingsDir),
                       ResolveSetPath(settings.MemberListFile, settingsDir));
    ASSERT_TRUE(process->AnalyzeLog(netNo, log, systemLog, 0));
    process->SortData();
  }

  TArticleList& Board(int32_t number) {
    const int32_t index = process->Boards.FindBoardNo(number);
    EXPECT_GE(index, 0) << "board " << number;
    return *process->Boards.GetArticles(index);
  }
  std::string Text(int32_t line) { return log.GetLine(line); }

  // One article's place in the log, checked through the lines it shows.
  void ExpectLines(TArticleList& board, int32_t position, int32_t first, int32_t bodyOffset,
                   int32_t last, const char* firstBodyLine, const char* lastBodyLine) {
    SCOPED_TRACE("position " + std::to_string(position));
    EXPECT_EQ(board.GetFirstLine(ArticleSortNormal, position), first);
    EXPECT_EQ(board.GetBodyOffset(ArticleSortNormal, position), bodyOffset);
    EXPECT_EQ(board.GetLastLine(ArticleSortNormal, position), last);
    EXPECT_EQ(Text(first + bodyOffset), J(firstBodyLine));
    EXPECT_EQ(Text(last), J(lastBodyLine));
  }

  test::TempDir dir;
  std::string settingsDir;
  std::unique_ptr<TNetVorn> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
  int32_t netNo = -1;
  int32_t lastFileLine = -1;
};

TEST_F(NetVornSample, BoardsFromTitleAndListLines) {
  const TBoardList& boards = process->Boards;
  ASSERT_EQ(boards.Count(), 4);
  const char* const keys[4] = {"mail", "general", "prog", "binary"};
  const char* const titles[4] = {"メール", "雑談ボード", "プログラミング", "バイナリボード"};
  for (int32_t b = 0; b < 4; ++b) {
    EXPECT_EQ(boards.GetBoardNo(b), b);
    EXPECT_EQ(boards.GetBoardId(b), keys[b]);
    EXPECT_EQ(boards.GetBoardTitle(b), J(titles[b]));
  }
  EXPECT_EQ(process->GetBoardLabel(1, true), "  1:general ");
  EXPECT_EQ(process->NetNo, netNo);
  EXPECT_EQ(lastFileLine, 97);
}

TEST_F(NetVornSample, ThreadOfTheChatBoard) {
  TArticleList& general = Board(1);
  ASSERT_EQ(general.OrderCount(ArticleSortNormal), 4);
  const int32_t keys[4] = {101, 102, 103, 104};
  for (int32_t p = 0; p < 4; ++p) {
    EXPECT_EQ(general.GetKey(ArticleSortNormal, p), keys[p] - RebaseOffset);
    EXPECT_EQ(general.GetNewFlag(ArticleSortNormal, p), 1);
  }
  EXPECT_EQ(general.GetKind(ArticleSortNormal, 0), ArticleKindRoot);
  EXPECT_EQ(general.GetTitle(ArticleSortNormal, 0), J("はじめまして"));
  EXPECT_EQ(general.GetWriterId(ArticleSortNormal, 0), 1024);
  EXPECT_EQ(general.GetPostTime(ArticleSortNormal, 0),
            DateKey(99, 7, 30, 12, 34, 0) - RebaseOffset);
  ExpectLines(general, 0, 30, 2, 33, "はじめまして、たろうです。", "よろしくお願いします。");

  EXPECT_EQ(general.GetKind(ArticleSortNormal, 1), ArticleKindRess);
  EXPECT_EQ(general.GetParentTitle(ArticleSortNormal, 1), J("はじめまして"));
  EXPECT_EQ(general.GetParentWriterId(ArticleSortNormal, 1), 1024);
  ExpectLines(general, 1, 36, 3, 40, "はなこです。こちらこそよろしく。", "(笑)");
  // A reply to a reply, its header line coloured.
  ExpectLines(general, 2, 43, 3, 47, "ありがとうございます。", "今後ともよろしく。");
  // A reply to article 95, which this log does not hold; a terminal line ends it.
  ExpectLines(general, 3, 50, 3, 53, "参加します。", "参加します。");

  // Tree order: 101, 102 under it, 103 under 102, then a placeholder for 95 with 104 under it.
  ASSERT_EQ(general.OrderCount(ArticleSortTree), 5);
  const int32_t treeKeys[5] = {101, 102, 103, 95, 104};
  const int32_t levels[5] = {0, 1, 2, 0, 1};
  for (int32_t p = 0; p < 5; ++p) {
    EXPECT_EQ(general.GetKey(ArticleSortTree, p), treeKeys[p] - RebaseOffset);
    EXPECT_EQ(general.GetLevel(ArticleSortTree, p), levels[p]);
  }
  EXPECT_EQ(general.GetKind(ArticleSortTree, 3), ArticleKindMissingRoot);
  EXPECT_EQ(general.GetTitle(ArticleSortTree, 3), J("夏のオフ会"));
  EXPECT_EQ(general.GetWriterId(ArticleSortTree, 3), 3072);
}

TEST_F(NetVornSample, ProgrammingBinaryAndMailBoards) {
  TArticleList& prog = Board(2);
  ASSERT_EQ(prog.OrderCount(ArticleSortNormal), 2);
  // Colour codes inside the title are gone.
  EXPECT_EQ(prog.GetTitle(ArticleSortNormal, 0), J("C言語の質問"));
  EXPECT_EQ(prog.GetPostTime(ArticleSortNormal, 0), DateKey(99, 7, 29, 23, 15, 0) - RebaseOffset);
  ExpectLines(prog, 0, 62, 2, 65, "ポインタの使い方がわかりません。",
              "配列との違いを教えてください。");
  // The footer ends in the prompt and a read command: stored, the handle cut before it.
  EXPECT_EQ(prog.GetKind(ArticleSortNormal, 1), ArticleKindRess);
  EXPECT_EQ(prog.GetWriterId(ArticleSortNormal, 1), 1024);
  ExpectLines(prog, 1, 68, 3, 71, "教科書の第5章を読んでみてください。",
              "教科書の第5章を読んでみてください。");
  EXPECT_EQ(prog.GetLevel(ArticleSortTree, 1), 1);

  TArticleList& binary = Board(3);
  ASSERT_EQ(binary.OrderCount(ArticleSortNormal), 1);
  EXPECT_EQ(binary.GetKind(ArticleSortNormal, 0), ArticleKindBinaryRoot);
  EXPECT_EQ(binary.GetKey(ArticleSortNormal, 0), 12 - RebaseOffset);
  ExpectLines(binary, 0, 78, 2, 80, "サンプルの画像データです。", "サンプルの画像データです。");

  TArticleList& mail = Board(0);
  ASSERT_EQ(mail.OrderCount(ArticleSortNormal), 2);
  EXPECT_EQ(mail.GetKind(ArticleSortNormal, 0), ArticleKindMail);
  EXPECT_EQ(mail.GetKey(ArticleSortNormal, 0), 0 - RebaseOffset);
  EXPECT_EQ(mail.GetTitle(ArticleSortNormal, 0), J("オフ会の件"));
  EXPECT_EQ(mail.GetWriterId(ArticleSortNormal, 0), 2048);
  ExpectLines(mail, 0, 87, 2, 91, "たろうさん", "駅前の喫茶店です。");
  // The mail open when the file ends keeps its lines to the file's last line.
  EXPECT_EQ(mail.GetKey(ArticleSortNormal, 1), 1 - RebaseOffset);
  EXPECT_EQ(mail.GetWriterId(ArticleSortNormal, 1), 3072);
  ExpectLines(mail, 1, 95, 2, 97, "了解しました。", "了解しました。");
}

TEST_F(NetVornSample, MembersAndSystemMessages) {
  const TMemberList& members = process->Members;
  ASSERT_EQ(members.Count(), 5);
  const int32_t ids[5] = {1024, 2048, 3072, 4096, 5120};
  const char* const handles[5] = {"たろう", "はなこ", "じろう", "さぶろう", "しろう"};
  for (int32_t m = 0; m < 5; ++m) {
    EXPECT_EQ(members.GetIdNo(m), ids[m]);
    EXPECT_EQ(members.GetCurrentHandle(m), J(handles[m]));
  }
  ASSERT_EQ(systemLog.Count(), 3);
  EXPECT_EQ(systemLog.GetLine(0), J("(システム) 本日22:00より定期メンテナンスを行います\r"));
  EXPECT_EQ(systemLog.GetLine(1), J("(2048:はなこ) こんばんは、たろうさん\r"));
  EXPECT_EQ(systemLog.GetLine(2), J("(4096:さぶろう) 今から参加します\r"));
}

// The end of a run: lists and read pointers saved where the set names them, and the next run
// finds the same articles read.
TEST_F(NetVornSample, ListsAndReadPointersSurviveTheNextRun) {
  TNetVornIniFile& settings = *process->Settings;
  const std::string readPtr = ResolveSetPath(settings.ReadPtrFile, settingsDir);
  Board(1).SetReadFlag(ArticleSortNormal, 1, 1, false);
  Board(0).SetReadFlag(ArticleSortNormal, 1, 1, false);
  ASSERT_TRUE(process->SaveLists(ResolveSetPath(settings.BoardListFile, settingsDir),
                                 ResolveSetPath(settings.MemberListFile, settingsDir)));
  ASSERT_TRUE(process->SaveReadPointers(readPtr));
  EXPECT_TRUE(FileExists(settingsDir + "NET.BRD"));
  EXPECT_TRUE(FileExists(settingsDir + "NET.MEM"));

  Load();
  ASSERT_TRUE(process->LoadReadPointers(readPtr));
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortNormal, 0), 0);
  EXPECT_EQ(Board(1).GetReadFlag(ArticleSortNormal, 1), 1);
  EXPECT_EQ(Board(1).GetNewFlag(ArticleSortNormal, 1), 0);
  EXPECT_EQ(Board(0).GetReadFlag(ArticleSortNormal, 0), 0);
  EXPECT_EQ(Board(0).GetReadFlag(ArticleSortNormal, 1), 1);
  EXPECT_EQ(process->Members.Count(), 5);
}

}  // namespace
}  // namespace vorn
