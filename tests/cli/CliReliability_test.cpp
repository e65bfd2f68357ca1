// vornexpl-cli run as a real process on what a user's disk holds besides clean captures: files
// whose line ends a tool changed, FIFOs where files belong, a hand-edited NetCount, names
// outside CP932, control characters in logs, a settings folder that cannot be made.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliSampleCopy.h"
#include "support/TestSupport.h"
#include "text/Dates.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::CliSampleCopy;
using test::J;
using test::ReadBytes;
using test::RunCli;
using test::WriteBytes;

std::string ToLf(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += bytes[i];
  }
  return out;
}

// Control characters other than tab and the line feeds between lines, DEL, and the C1
// controls (U+0080-U+009F) in UTF-8: what could steer a terminal.
bool SteersATerminal(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = text[i];
    if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
      return true;
  }
  return false;
}

// A copy of the sample settings folder and the sample logs.
class CliReliability : public CliSampleCopy {};

TEST_F(CliReliability, FilesWithLfLineEndsReadAsWithCrLf) {
  // The set's lists as the end of a run writes them: board 1 binary and closed to replies, a
  // true handle for member 1024, two articles read.
  WriteBytes(settings + "/NET.BRD", "VornExplorer BoardListFile Ver.0.01\r\n1,\"general\",\"" +
                                        J("雑談ボード") + "\",1,1,2\r\n");
  WriteBytes(settings + "/NET.MEM", "VornExplorer MemberListFile Ver.0.01\r\n1024,\"" +
                                        J("タロウ") + "\",\"" + J("たろう") + "\",\"" + J("タ") +
                                        "\"\r\n");
  WriteBytes(settings + "/NET.PTR", "VornExplorer ReadPtrFile Ver.0.01\r\n\\1\r\n101/" +
                                        std::to_string(DateKey(1999, 7, 30, 12, 34, 0)) +
                                        "\r\n102/" +
                                        std::to_string(DateKey(1999, 7, 30, 12, 40, 0)) + "\r\n");
  auto outputs = [&] {
    std::vector<std::string> all;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"boards", netLog}, {"articles", "--board", "1", netLog}, {"stats", netLog}}) {
      const CliRun run = Cli(args);
      EXPECT_EQ(run.exitCode, 0) << run.err;
      EXPECT_EQ(run.err, "");
      all.push_back(run.out.substr(0, run.out.find("read:")));
    }
    return all;
  };
  const std::vector<std::string> crLf = outputs();
  ASSERT_EQ(crLf.size(), 3u);
  EXPECT_NE(crLf[0].find("BW(   4)   1:general  / 雑談ボード"), std::string::npos) << crLf[0];
  EXPECT_NE(crLf[1].find("1024:タロウ"), std::string::npos) << crLf[1];
  EXPECT_NE(crLf[2].find("lines: 99\nboards: 4\narticles: 9\n"), std::string::npos) << crLf[2];
  EXPECT_NE(crLf[2].find("new: 7\n"), std::string::npos) << crLf[2];

  // dos2unix over everything: the log, the lists, the settings.
  std::vector<std::string> files{netLog};
  for (const auto& entry : fs::directory_iterator(settings))
    files.push_back(entry.path().string());
  std::vector<std::string> lfBytes;
  for (const std::string& file : files) {
    WriteBytes(file, ToLf(ReadBytes(file)));
    lfBytes.push_back(ReadBytes(file));
  }
  EXPECT_EQ(outputs(), crLf);
  // Nothing was taken for a file it could not read (the defaults files are written afresh at
  // every start, with CR LF).
  for (size_t i = 0; i < files.size(); ++i)
    EXPECT_EQ(ToLf(ReadBytes(files[i])), lfBytes[i]) << files[i];
  EXPECT_FALSE(fs::exists(settings + "/NET.BRD.bak"));
}

TEST_F(CliReliability, AListFileThatIsNotUnderstoodIsKeptAside) {
  const std::string board = settings + "/NET.BRD";
  const std::string other =
      "VornExplorer BoardListFile Ver.2.00\r\n1;general;" + J("雑談ボード") + ";1;1;2\r\n";
  WriteBytes(board, other);
  const CliRun run = Cli({"boards", netLog});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("ファイル:" + board + "\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(board + ".bak"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(board + ".bak"), other);
  EXPECT_EQ(ReadBytes(board), other);
}

TEST_F(CliReliability, AFifoWhereAFileBelongsIsRefusedAtOnce) {
  // As a log, beside a readable one.
  const std::string fifoLog = dir.File("NET19990731.LOG");
  ASSERT_EQ(::mkfifo(fifoLog.c_str(), 0600), 0);
  CliRun run = Cli({"boards", fifoLog, netLog});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.out.find("general"), std::string::npos);
  EXPECT_NE(
      run.err.find("ファイル:" + fifoLog + "\n読込み出来ません\n通常のファイルではありません"),
      std::string::npos)
      << run.err;

  // As a list file of the set.
  const std::string fifoList = settings + "/NET.MEM";
  ASSERT_EQ(::mkfifo(fifoList.c_str(), 0600), 0);
  run = Cli({"boards", netLog});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(
      run.err.find("ファイル:" + fifoList + "\n読込み出来ません\n通常のファイルではありません"),
      std::string::npos)
      << run.err;

  // As the settings file of a family.
  const std::string fifoIni = settings + "/netvorn.ini";
  fs::remove(fifoIni);
  ASSERT_EQ(::mkfifo(fifoIni.c_str(), 0600), 0);
  run = Cli({"boards", netLog});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("ファイル:" + fifoIni + "\n"), std::string::npos) << run.err;
  // Nothing took the FIFOs' places.
  for (const std::string& fifo : {fifoLog, fifoList, fifoIni})
    EXPECT_TRUE(fs::is_fifo(fifo)) << fifo;
}

TEST_F(CliReliability, AHugeNetCountReadsTheSetsThatArePresent) {
  for (const char* name : {"/netvorn.ini", "/nifty.ini"}) {
    std::string ini = ReadBytes(settings + name);
    const size_t at = ini.find("NetCount=0");
    ASSERT_NE(at, std::string::npos);
    ini.replace(at, 10, "NetCount=2147483647");
    WriteBytes(settings + name, ini);
  }
  const CliRun net = Cli({"boards", netLog});
  EXPECT_EQ(net.exitCode, 0) << net.err;
  EXPECT_EQ(net.out, ReadBytes(test::SourceDir() + "/tests/cli/expected/NET19990730.boards.txt"));
  const CliRun nif = Cli({"boards", dir.File("NIF19990730.LOG")});
  EXPECT_EQ(nif.exitCode, 0) << nif.err;
  EXPECT_EQ(nif.out, ReadBytes(test::SourceDir() + "/tests/cli/expected/NIF19990730.boards.txt"));
}

TEST_F(CliReliability, PathsOutsideCp932ReachTheSystemUnchanged) {
  // The settings folder under a name with é, ü, an emoji and a byte that is no UTF-8.
  const std::string odd = dir.File("set é ü 😀 \xFF");
  fs::rename(settings, odd);
  // A capture that a "?" in place of the character would find instead.
  WriteBytes(dir.File("NET19990730?.LOG"), "decoy\r\n");
  for (const char* name :
       {"NET19990730é.LOG", "NET0730ü.LOG", "NET0730😀.LOG", "NET0730\xFF\xFE.LOG"}) {
    SCOPED_TRACE(name);
    fs::copy_file(netLog, dir.File(name));
    const CliRun run = RunCli(dir, {"--settings-dir", odd, "stats", dir.File(name)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 21), "lines: 99\nboards: 4\na");
  }
  // A name in a message shows as itself.
  const std::string missing = dir.File("NET0101é.LOG");
  CliRun run = RunCli(dir, {"--settings-dir", odd, "boards", missing, netLog});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err, "ファイル:" + missing + "\n読込み出来ません\n");

  // A settings folder made for the run has the name it was given.
  const std::string fresh = dir.File("neu é😀\xFF");
  run = RunCli(dir, {"--settings-dir", fresh, "boards", netLog});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(fs::is_directory(fresh));
  EXPECT_FALSE(fs::exists(dir.File("neu ??\xFF")));
  EXPECT_FALSE(fs::exists(dir.File("neu ??")));
}

TEST_F(CliReliability, NoControlCharacterButTabReachesTheTerminal) {
  // A board title with a lone lead byte before a sequence that sets the terminal's title, an
  // article line with a screen clear, a backspace, a DEL and a byte CP932 does not know.
  std::string log = ReadBytes(netLog);
  const std::string title = J("｢雑談ボード");
  const size_t at = log.find(title);
  ASSERT_NE(at, std::string::npos);
  log.insert(at + title.size(), "\x82\x1B]2;owned\x07");
  const std::string body = J("ありがとうございます。");
  const size_t line = log.find(body);
  ASSERT_NE(line, std::string::npos);
  log.insert(line, "\x1B[2J\x08\x7F\x80\x1B[1;1H");
  WriteBytes(netLog, log);
  const std::string missing = dir.File("NET0101\x1B]2;x\x07.LOG");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"boards", netLog},
           {"articles", netLog},
           {"show", "--board", "1", "--position", "2", "--order", "posting", netLog},
           {"stats", missing, netLog},
           {"articles", "--colour\x1B[31m", netLog}}) {
    SCOPED_TRACE(args[0]);
    const CliRun run = Cli(args);
    EXPECT_GE(run.exitCode, 0);
    EXPECT_FALSE(SteersATerminal(run.out)) << run.out;
    EXPECT_FALSE(SteersATerminal(run.err)) << run.err;
  }
  // The bytes are shown, not dropped: ESC as its picture.
  const CliRun boards = Cli({"boards", netLog});
  EXPECT_NE(boards.out.find("\xE2\x90\x9B]2;owned\xE2\x90\x87"), std::string::npos) << boards.out;
}

// A tab in a title, a handle or a board's title is the log's, not a column of the rows: it
// shows as its picture (U+2409), as the other control characters do, and every row of boards
// and articles keeps its columns.
TEST_F(CliReliability, ATabInsideATitleOrHandleMakesNoColumn) {
  std::string log = ReadBytes(netLog);
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"｢雑談ボード｣", "｢雑談\tボード｣"},
           {"12:34 はじめまして", "12:34 はじめ\tまして"},
           // A writer seen first here: the rows show a writer's first handle.
           {"3 lines 2048:はなこ ", "3 lines 6144:はな\tこ "},
           {"mail 99/07/30 14:20 オフ会の件", "mail 99/07/30 14:20 オフ会\tの件"}}) {
    const size_t at = log.find(J(from));
    ASSERT_NE(at, std::string::npos) << from;
    log.replace(at, J(from).size(), J(to));
  }
  WriteBytes(netLog, log);
  const std::string tab = "\xE2\x90\x89";
  auto tabsIn = [](const std::string& line) { return std::count(line.begin(), line.end(), '\t'); };
  const CliRun boards = Cli({"boards", netLog});
  EXPECT_EQ(boards.exitCode, 0) << boards.err;
  EXPECT_NE(boards.out.find("/ 雑談" + tab + "ボード\n"), std::string::npos) << boards.out;
  EXPECT_EQ(tabsIn(boards.out), 0) << boards.out;

  const CliRun articles = Cli({"articles", netLog});
  EXPECT_EQ(articles.exitCode, 0) << articles.err;
  for (const std::string& shown :
       {"<0>\t2048:はなこ\tオフ会" + tab + "の件\n",
        "<101>\t1024:たろう\tはじめ" + tab + "まして\n",
        "└<102>\t6144:はな" + tab + "こ\tRe: はじめまして\n", "/ 雑談" + tab + "ボード\n"})
    EXPECT_NE(articles.out.find(shown), std::string::npos) << shown << "\n" << articles.out;
  size_t rows = 0;
  for (size_t begin = 0, end; (end = articles.out.find('\n', begin)) != std::string::npos;
       begin = end + 1) {
    const std::string line = articles.out.substr(begin, end - begin);
    const bool boardLine = line.starts_with("--(");
    EXPECT_EQ(tabsIn(line), boardLine ? 0 : 2) << line;
    rows += !boardLine;
  }
  EXPECT_EQ(rows, 10u);

  // An article's own lines keep their tabs: they are text, not columns.
  const CliRun show = Cli({"show", "--board", "1", "--position", "0", netLog});
  EXPECT_NE(show.out.find("はじめ\tまして"), std::string::npos) << show.out;
}

TEST_F(CliReliability, ASettingsFolderThatCannotBeMadeIsNamedWithTheReason) {
  const std::string file = dir.File("plain");
  WriteBytes(file, "a file, not a folder");
  const CliRun run = RunCli(dir, {"--settings-dir", file + "/settings", "boards", netLog});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("設定フォルダを作成出来ません:\n" + file + "/settings/\n" + file +
                         ": 同じ名前のファイルがあります"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace vorn
