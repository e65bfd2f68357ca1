// vornexpl-cli on what pushes the stores: more boards than the article texts once had room
// for, captures given twice, a writer list of a million entries.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliSampleCopy.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::J;

class CliStores : public test::CliSampleCopy {
 protected:
  CliRun CliWithin(unsigned seconds, std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings-dir", settings});
    return test::RunCli(dir, args, seconds);
  }
  std::string Copy(const std::string& from, const std::string& name) {
    fs::copy_file(from, dir.File(name));
    return dir.File(name);
  }
};

// The text arena of every board took slots of one table of 2^18 for the whole process: past
// 262,143 boards of one article each, articles vanished with a message that memory had run out.
TEST_F(CliStores, MoreBoardsThanTheOldTableOfTextsHeldAreAllLoaded) {
  constexpr int kBoards = 263000;
  const std::string open = J("｢"), close = J("｣"), board = J("板");
  const std::string subject = J(" 99/07/30 12:34 題"), footer = J("  1 lines 1024:たろう ");
  const std::string body = J("本文"), end = J("読み終わりました");
  std::string log;
  log.reserve(size_t{kBoards} * 120);
  for (int b = 1; b <= kBoards; ++b) {
    const std::string n = std::to_string(b);
    log += "No." + n + " " + open + board + n + close + "\r\n-\t\r\n";
    log +=
        "b" + n + "(1/1)" + subject + n + "\r\n" + footer + "\r\n" + body + "\r\n" + end + "\r\n";
  }
  test::WriteBytes(dir.File("NET20000101.LOG"), log);
  const CliRun run = CliWithin(300, {"stats", dir.File("NET20000101.LOG")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.err.empty()) << run.err.substr(0, 200);
  EXPECT_NE(run.out.find("\nboards: 263001\narticles: 263000\n"), std::string::npos) << run.out;
}

// A capture named twice, or a copy of it under another name, is the same capture: its mails
// are not doubled (nor marked as purged by the host, which a second numbering made them).
TEST_F(CliStores, ACaptureGivenTwiceShowsEveryMailOnce) {
  for (const std::string& log : {netLog, dir.File("NIF19990730.LOG")}) {
    SCOPED_TRACE(log);
    const CliRun once = Cli({"articles", log});
    ASSERT_EQ(once.exitCode, 0) << once.err;
    const CliRun mails = Cli({"articles", "--board", "0", log});
    ASSERT_EQ(mails.out.find("<2>"), std::string::npos) << mails.out;
    EXPECT_EQ(Cli({"articles", "--board", "0", log, log}).out, mails.out);
    const std::string copy = Copy(log, fs::path(log).stem().string() + "1.LOG");
    EXPECT_EQ(Cli({"articles", "--board", "0", log, copy}).out, mails.out);
    EXPECT_EQ(Cli({"articles", copy, log, copy}).out, once.out);
    // The counts from boards to members (system messages are copied from every file read).
    auto counts = [](const std::string& stats) {
      const size_t from = stats.find("\nboards:"), to = stats.find("\nsystem messages:");
      return from < to && to != std::string::npos ? stats.substr(from, to - from) : stats;
    };
    EXPECT_EQ(counts(Cli({"stats", log, copy}).out), counts(Cli({"stats", log}).out));
  }
}

// A writer list file (beside the read pointers: NET.PTR gives NET.WRL) of a million writers.
// Reading it compared every line with every writer read before; it took hours. The run is
// stopped after a generous while, so that the quadratic fails instead of hanging the suite.
TEST_F(CliStores, AWriterListOfAMillionWritersIsReadInOnePass) {
  std::string list = "VornExplorer WriterListFile Ver.0.01\r\nIgnore,\"2048\"\r\n";
  list.reserve(20u << 20);
  for (int id = 0; id < 1000000; ++id)
    list += (id % 2 ? "Ignore,\"" : "Watch,\"") + std::to_string(id) + "\"\r\n";
  test::WriteBytes(settings + "/NET.WRL", list);
  test::WriteBytes(settings + "/vornexpl.ini", "[ThreadView]\r\nHideIgnored=1\r\n");
  const CliRun run = CliWithin(300, {"articles", "--board", "1", netLog});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  // 2048 stays ignored (its first line counts), the others are watched: only はなこ's reply
  // is hidden.
  EXPECT_EQ(run.out,
            "<101>\t1024:たろう\tはじめまして\n"
            "　└<103>\t1024:たろう\tRe: Re: はじめまして\n"
            "-95-\t3072:じろう\t夏のオフ会\n"
            "└<104>\t4096:さぶろう\tRe: 夏のオフ会\n");
}

}  // namespace
}  // namespace vorn
