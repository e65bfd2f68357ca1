// vornexpl-cli run as a real process on the sample captures, its output compared with the
// expected files beside this test.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliSampleCopy.h"
#include "support/TestSupport.h"
#include "text/Dates.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::CliSampleCopy;
using test::RunCli;

std::string Expected(const std::string& name) {
  return test::ReadBytes(test::SourceDir() + "/tests/cli/expected/" + name);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CliOnSamples : public CliSampleCopy {
 protected:
  void ExpectOutput(const std::vector<std::string>& args, const std::string& expected) {
    SCOPED_TRACE(expected);
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Expected(expected));
  }
};

TEST_F(CliOnSamples, BoardsArticlesAndArticleLinesOfTheNetVornSample) {
  ExpectOutput({"boards", netLog}, "NET19990730.boards.txt");
  ExpectOutput({"articles", netLog}, "NET19990730.articles.txt");
  ExpectOutput({"articles", "--order", "posting", netLog}, "NET19990730.articles-posting.txt");
  ExpectOutput({"show", "--board", "2", "--position", "1", netLog},
               "NET19990730.show-board2-tree1.txt");
  ExpectOutput({"show", "--board=2", "--position=0", "--order=tree", netLog},
               "NET19990730.show-board2-tree0.txt");
  ExpectOutput({"--order", "posting", "show", "--board", "0", "--position", "1", netLog},
               "NET19990730.show-board0-posting1.txt");

  // One board alone: its rows without the board line.
  const CliRun one = Cli({"articles", "--board", "2", netLog});
  EXPECT_EQ(one.exitCode, 0);
  EXPECT_EQ(one.out, "<55>\t3072:じろう\tC言語の質問\n└<56>\t1024:たろう\tRe: C言語の質問\n");

  // Only what the settings layer completes; nothing of a run's end is written.
  EXPECT_EQ(FilesIn(settings),
            (std::vector<std::string>{"NET.SIG", "NIF.SIG", "netvorn.ini", "nifdef.ini",
                                      "nifty.ini", "vorndef.ini"}));
}

TEST_F(CliOnSamples, BoardsArticlesAndArticleLinesOfTheNiftyServeSample) {
  const std::string nifLog = dir.File("NIF19990730.LOG");
  ExpectOutput({"boards", nifLog}, "NIF19990730.boards.txt");
  ExpectOutput({"articles", nifLog}, "NIF19990730.articles.txt");
  ExpectOutput({"articles", "--order", "posting", nifLog}, "NIF19990730.articles-posting.txt");
  ExpectOutput({"show", "--board", "1", "--position", "1", nifLog},
               "NIF19990730.show-board1-tree1.txt");
  ExpectOutput({"show", "--order", "posting", "--board", "0", "--position", "1", nifLog},
               "NIF19990730.show-board0-posting1.txt");
  // The placeholder of a missing parent has no lines.
  const CliRun placeholder = Cli({"show", "--board", "2", "--position", "2", nifLog});
  EXPECT_EQ(placeholder.exitCode, 0);
  EXPECT_EQ(placeholder.out, "");

  const CliRun stats = Cli({"stats", nifLog});
  EXPECT_EQ(stats.out.substr(0, stats.out.find("read:")),
            "lines: 81\nboards: 3\narticles: 9\nreplies: 4\nplaceholders: 1\nwrites: 0\nnew: 9\n"
            "members: 5\nsystem messages: 5\n");
  EXPECT_EQ(FilesIn(settings),
            (std::vector<std::string>{"NET.SIG", "NIF.SIG", "netvorn.ini", "nifdef.ini",
                                      "nifty.ini", "vorndef.ini"}));
}

// Questions get No: a pending UP file is neither read nor deleted.
TEST_F(CliOnSamples, QuestionsAreAnsweredNo) {
  const std::string up = settings + "/NET.UP";
  const std::string queued = "MW\r\n1024\r\n\r\n\r\nhello\r\nbody\r\n.\r\n";
  test::WriteBytes(up, queued);
  const CliRun run = Cli({"articles", "--board", "0", netLog});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "<0>\t2048:はなこ\tオフ会の件\n<1>\t3072:じろう\tRe: 打ち合わせ\n");
  EXPECT_EQ(run.err, "UPファイルが存在しています\n読込みますか？\n(answered No)\n");
  EXPECT_EQ(test::ReadBytes(up), queued);
}

TEST_F(CliOnSamples, StatsCountWhatWasLoaded) {
  const CliRun run = Cli({"stats", netLog});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string expected =
      "lines: 99\nboards: 4\narticles: 9\nreplies: 4\nplaceholders: 1\nwrites: 0\nnew: 9\n"
      "members: 5\nsystem messages: 3\n";
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);
  for (const char* time : {"\nread: ", "\nanalyse: ", "\nsort: ", "\ntotal: "})
    EXPECT_NE(run.out.find(time), std::string::npos) << time;
}

TEST_F(CliOnSamples, TheSetIsChosenByThePrefixOfTheFileNames) {
  // Lower case names the same set; a file of no set is left out with a note.
  fs::copy_file(netLog, dir.File("net0730.log"));
  test::WriteBytes(dir.File("other.log"), "x\r\n");
  CliRun run = Cli({"boards", dir.File("net0730.log"), dir.File("other.log")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Expected("NET19990730.boards.txt"));
  EXPECT_NE(run.err.find("other.log"), std::string::npos);

  // No set for the prefix, found or forced.
  const std::string noSet = "指定されたファイルに対するBBS設定がなされていません\n";
  run = Cli({"boards", dir.File("other.log")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, noSet);
  run = Cli({"--prefix", "XYZ", "boards", netLog});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, noSet);

  // Logs of two sets: the user has to choose.
  run = Cli({"boards", netLog, dir.File("NIF19990730.LOG")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(
      run.err,
      "複数BBSのログファイルが指定されています\nBBSを指定して下さい\n(choose one with --prefix)\n");

  // Forcing the set takes every file under it.
  run = Cli({"--prefix", "net", "boards", dir.File("other.log"), netLog});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, Expected("NET19990730.boards.txt"));
}

TEST_F(CliOnSamples, UnreadableFilesAndEmptyResultsAreErrors) {
  const std::string missing = dir.File("NET0101.LOG");
  CliRun run = Cli({"boards", missing, netLog});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.out, Expected("NET19990730.boards.txt"));
  EXPECT_EQ(run.err, "ファイル:" + missing + "\n読込み出来ません\n");

  run = Cli({"boards", missing, dir.File("NET0102.LOG")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ファイル:" + missing +
                         "\n読込み出来ません\nファイル:" + dir.File("NET0102.LOG") +
                         "\n読込み出来ません\n指定されたログファイルは１個も読込み出来ません\n");
}

TEST_F(CliOnSamples, CommandLineMistakesAreUsageErrors) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"boards"},
                                             {"list", netLog},
                                             {"show", "--board", "1", netLog},
                                             {"articles", "--order", "date", netLog},
                                             {"articles", "--board", "-1", netLog},
                                             {"articles", "--colour", netLog},
                                             {"boards", "-x", netLog},
                                             {"-x", "boards", netLog},
                                             {"stats", netLog, "-u"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exitCode, 2) << args[0];
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
    EXPECT_EQ(run.out, "");
  }
  // A short option is named as what it is, not read as a log file of no set.
  CliRun run = Cli({"boards", "-x", netLog});
  EXPECT_EQ(run.err.rfind("vornexpl-cli: unknown option -x\n", 0), 0u) << run.err;
  // Behind "--" a name that begins with "-" is a log file (here of no set).
  run = Cli({"boards", "--", "-x"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(run.err, "指定されたファイルに対するBBS設定がなされていません\n");
  run = Cli({"articles", "--board", "4", netLog});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("no board 4"), std::string::npos);
  run = Cli({"show", "--board", "3", "--position", "1", netLog});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("no position 1"), std::string::npos);
  run = RunCli(dir, {"boards", "--settings-dir"});
  EXPECT_EQ(run.exitCode, 2);
}

// Help and version are answered wherever they stand, also behind the options a launcher puts
// first, on stdout with exit code 0.
TEST_F(CliOnSamples, HelpAndVersionWhereverTheyStand) {
  const std::string settingsOption = "--settings-dir=" + settings;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"},
                                             {"-h"},
                                             {settingsOption, "--help"},
                                             {"boards", netLog, "-h"},
                                             {"articles", "--colour", "--help"}}) {
    const CliRun run = RunCli(dir, args);
    EXPECT_EQ(run.exitCode, 0) << args.back();
    EXPECT_EQ(run.out.rfind("usage: vornexpl-cli", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("--version"), std::string::npos);
    EXPECT_EQ(run.err, "");
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--version"}, {settingsOption, "--version"}, {"stats", "--version", netLog}}) {
    const CliRun run = RunCli(dir, args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "vornexpl-cli 1.20\n");
    EXPECT_EQ(run.err, "");
  }
  // After "--" they are file names like any other.
  const CliRun run = RunCli(dir, {settingsOption, "boards", "--", "--help"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_EQ(run.out.find("usage:"), std::string::npos);
}

// A settings value that cannot be used is named on stderr; the output is what it always is.
TEST_F(CliOnSamples, UnusableSettingsValuesAreNamed) {
  test::WriteBytes(settings + "/vornexpl.ini",
                   "[Common]\r\nVersion=1.2\r\n[ArticleGrid]\r\nTreeLineType=abc\r\n");
  const CliRun run = Cli({"boards", netLog});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Expected("NET19990730.boards.txt"));
  EXPECT_NE(run.err.find("[ArticleGrid] TreeLineType=abc → 2"), std::string::npos) << run.err;
}

// A capture of several files, written as CP932 with CR LF from UTF-8 lines.
std::string WriteCapture(const test::TempDir& dir, const std::string& name,
                         const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += test::J(line) + "\r\n";
  test::WriteBytes(dir.File(name), bytes);
  return dir.File(name);
}

// The host's mail notice opens the second capture: its rule copies the line before it too,
// which lies in the first file. The range is clipped to the file and the notice kept.
TEST_F(CliOnSamples, ANiftyNoticeOnTheFirstLineOfTheSecondFileIsKept) {
  const std::string one = WriteCapture(dir, "NIF20000101.LOG", {"ATDT 0570-00-0000", "NO CARRIER"});
  const std::string two =
      WriteCapture(dir, "NIF20000102.LOG",
                   {"－－メールが　１通届いています（未読分　１通）－－", "ＴＯＰ＞GO FCOMP"});
  const CliRun run = Cli({"stats", one, two});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("\nsystem messages: 1\n"), std::string::npos) << run.out;
}

// The capture was cut in the middle of reading mail: the second file goes on with the next
// mail of the list, which is a mail of the mail box and ends at the list's footer.
TEST_F(CliOnSamples, ANiftyMailListThatGoesOnInTheSecondFileKeepsItsMails) {
  const std::string one = WriteCapture(
      dir, "NIF20000101.LOG",
      {"ＴＯＰ＞MAIL", "MAIL>REA 1", " 1  はなこ            DEF54321          99/07/29 21:05",
       "    題名：オフ会のお知らせ", "", "　来月のオフ会は８月２１日（土）です。"});
  const std::string two = WriteCapture(
      dir, "NIF20000102.LOG",
      {" 2  しろう            MNO13579          99/07/30 09:12", "    題名：データ送付の件", "",
       "　昨日のデータ、届きましたか。", "受信後 (1:削除 2:保存 3:返信 E:終了) >E", "MAIL>E"});
  CliRun run = Cli({"articles", "--board", "0", one, two});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "<0>\tDEF54321:はなこ\tオフ会のお知らせ\n"
            "<1>\tMNO13579:しろう\tデータ送付の件\n");
  run = Cli({"show", "--board", "0", "--position", "1", one, two});
  EXPECT_EQ(run.out,
            " 2  しろう            MNO13579          99/07/30 09:12\n"
            "    題名：データ送付の件\n\n　昨日のデータ、届きましたか。\n");
}

// The host purged the board and numbered it again between the two captures: articles 10 and 11
// exist twice. The new reply answers the new 10; it used to show under the purged old one.
TEST_F(CliOnSamples, OnARenumberedNetVornBoardTheNewReplyShowsUnderTheNewArticle) {
  const std::string one = WriteCapture(
      dir, "NET19990701.LOG",
      {"Command (?:1", "No.1 ｢雑談ボード｣", "", "-\t", "general(9/11) 99/07/01 10:00 Nine",
       "  1 lines 1024:たろう ", "body nine", "", "-\t", "general(10/11) 99/07/01 11:00 Old ten",
       "  1 lines 1024:たろう ", "body old ten", "", "-\t",
       "general(11/11) 99/07/01 12:00 Re: Old ten", " <10:Old ten/1024:たろう>",
       "  1 lines 2048:はなこ ", "answer to the old ten"});
  const std::string two = WriteCapture(
      dir, "NET19990801.LOG",
      {"Command (?:1", "No.1 ｢雑談ボード｣", "", "-\t", "general(10/11) 99/08/01 09:00 New ten",
       "  1 lines 3072:じろう ", "body new ten", "", "-\t",
       "general(11/11) 99/08/01 09:30 Re: New ten", " <10:New ten/3072:じろう>",
       "  1 lines 1024:たろう ", "answer to the new ten"});
  const CliRun run = Cli({"articles", "--board", "1", one, two});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  // The old numbering is marked as purged (in brackets).
  EXPECT_EQ(run.out,
            "(9)\t1024:たろう\tNine\n"
            "(10)\t1024:たろう\tOld ten\n"
            "└(11)\t2048:はなこ\tRe: Old ten\n"
            "<10>\t3072:じろう\tNew ten\n"
            "└<11>\t1024:たろう\tRe: New ten\n");
}

// The read-pointer or flag file line of a NetVorn sample article: key and time as the log gives
// them.
std::string ArticleLine(int32_t number, int day, int hour, int minute) {
  return std::to_string(number) + "/" + std::to_string(DateKey(1999, 7, day, hour, minute, 0));
}

// The quick filter, flagged articles only and hidden ignored writers print the rows the grid
// shows with the same aids; the tool reads the set's lists and writes none of them.
TEST_F(CliOnSamples, TheFilteredRowsAreTheGridsRows) {
  CliRun run = Cli({"articles", "--filter", "はなこ", netLog});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "--(   2)   0:mail     / メール\n<0>\t2048:はなこ\tオフ会の件\n"
            "--(   4)   1:general  / 雑談ボード\n└<102>\t2048:はなこ\tRe: はじめまして\n"
            "--(   2)   2:prog     / プログラミング\n--(   1)   3:binary   / バイナリボード\n");
  run = Cli({"articles", "--board", "1", "--order", "posting", "--filter", "^Re: [^R]", "--regex",
             netLog});
  // <103> by its parent's title.
  EXPECT_EQ(run.out,
            "<102>\t2048:はなこ\tRe: はじめまして\n<103>\t1024:たろう\tRe: Re: はじめまして\n"
            "<104>\t4096:さぶろう\tRe: 夏のオフ会\n");
  run =
      Cli({"articles", "--board", "1", "--filter", "cpu", "--fuzzy", dir.File("NIF19990730.LOG")});
  EXPECT_EQ(run.out, "<231>\tGHI56789:じろう\tＣＰＵの交換\n");
  run = Cli({"articles", "--board", "1", "--filter", "cpu", dir.File("NIF19990730.LOG")});
  EXPECT_EQ(run.out, "");

  // Flags beside the read pointers (NET.PTR gives NET.FLG), a damaged line among them.
  test::WriteBytes(settings + "/NET.FLG", "VornExplorer FlagFile Ver.0.01\r\n\\1\r\n" +
                                              ArticleLine(103, 30, 13, 2) + "\r\n12/\r\n" +
                                              ArticleLine(101, 30, 12, 34) + "\r\n");
  run = Cli({"articles", "--board", "1", "--flagged", netLog});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "<101>\t1024:たろう\tはじめまして\n　└<103>\t1024:たろう\tRe: Re: はじめまして\n");
  run = Cli({"articles", "--board", "1", "--flagged", "--filter", "Re:", netLog});
  EXPECT_EQ(run.out, "　└<103>\t1024:たろう\tRe: Re: はじめまして\n");

  // Ignored writers are hidden only when the settings say so.
  test::WriteBytes(settings + "/NET.WRL",
                   "VornExplorer WriterListFile Ver.0.01\r\nIgnore,\"2048\"\r\n");
  const std::string all =
      "<101>\t1024:たろう\tはじめまして\n"
      "└<102>\t2048:はなこ\tRe: はじめまして\n"
      "　└<103>\t1024:たろう\tRe: Re: はじめまして\n"
      "-95-\t3072:じろう\t夏のオフ会\n"
      "└<104>\t4096:さぶろう\tRe: 夏のオフ会\n";
  EXPECT_EQ(Cli({"articles", "--board", "1", netLog}).out, all);
  test::WriteBytes(settings + "/vornexpl.ini", "[ThreadView]\r\nHideIgnored=1\r\n");
  run = Cli({"articles", "--board", "1", netLog});
  EXPECT_EQ(run.out,
            "<101>\t1024:たろう\tはじめまして\n"
            "　└<103>\t1024:たろう\tRe: Re: はじめまして\n"
            "-95-\t3072:じろう\t夏のオフ会\n"
            "└<104>\t4096:さぶろう\tRe: 夏のオフ会\n");
  EXPECT_EQ(FilesIn(settings),
            (std::vector<std::string>{"NET.FLG", "NET.SIG", "NET.WRL", "NIF.SIG", "netvorn.ini",
                                      "nifdef.ini", "nifty.ini", "vorndef.ini", "vornexpl.ini"}));

  // A pattern the engine refuses, and aids given to the wrong command.
  run = Cli({"articles", "--filter", "(Re", "--regex", netLog});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("(Re"), std::string::npos);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"articles", "--regex", netLog},
                                             {"boards", "--filter", "x", netLog},
                                             {"articles", "--unread", netLog},
                                             {"articles", "--filter", netLog}}) {
    run = Cli(args);
    EXPECT_EQ(run.exitCode, 2) << args[1];
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << args[1];
  }
}

// A pattern may not name the codes the engine keeps for a line's start and end: one ending in
// "\xFFFE" matched only where a stored line happened to end, so whether an article was found
// depended on whether its lines were searched one by one or joined.
TEST_F(CliOnSamples, APatternNamingALineEndMarkerIsRefusedWithItsPlace) {
  for (const bool fuzzy : {false, true}) {
    std::vector<std::string> args = {"articles", "--filter", "はじめまして\\xFFFE", "--regex"};
    if (fuzzy) args.push_back("--fuzzy");
    args.push_back(netLog);
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exitCode, 2) << fuzzy;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("不正な１６進数コード表記です。"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("位置：7文字目"), std::string::npos) << run.err;
  }
}

TEST_F(CliOnSamples, TheBoardListShowsUnreadCountsBesideTheTotals) {
  test::WriteBytes(settings + "/NET.PTR", "VornExplorer ReadPtrFile Ver.0.01\r\n\\1\r\n" +
                                              ArticleLine(101, 30, 12, 34) + "\r\n" +
                                              ArticleLine(102, 30, 12, 40) + "\r\n");
  const CliRun run = Cli({"boards", "--unread", netLog});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "--(   2)[未読   2]   0:mail     / メール\n--(   4)[未読   2]   1:general  / 雑談ボード\n"
      "--(   2)[未読   2]   2:prog     / プログラミング\n"
      "--(   1)[未読   1]   3:binary   / バイナリボード\n");
}

}  // namespace
}  // namespace vorn
