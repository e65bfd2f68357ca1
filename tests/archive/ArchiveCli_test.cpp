// vornexpl-cli export run as a real process on the samples: the folder it makes, the summary
// it prints, the exit codes of its failures.

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "archive/ArchiveTestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

class ArchiveCli : public ::testing::Test {
 protected:
  test::ProcessRun Run(std::vector<std::string> args) { return cli.Run(std::move(args)); }
  test::TempDir dir;
  test::CliRunner cli{dir};
};

TEST_F(ArchiveCli, ExportsEachFormatIntoANewFolderAndSaysWhatItDid) {
  for (const char* format : {"jsonl", "mbox", "html"}) {
    const std::string out = dir.File(std::string("site-") + format);
    const auto run = Run({"export", "--format", format, "--out", out, dir.File("NET19990730.LOG")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("アーカイブ出力が終わりました\n形式: " + std::string(format)),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("ボード: 4  記事: 9"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("変換できなかったバイト: 0"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_directory(out));
  }
  EXPECT_TRUE(fs::exists(dir.File("site-jsonl/articles.jsonl")));
  EXPECT_TRUE(fs::exists(dir.File("site-mbox/001-general.mbox")));
  EXPECT_TRUE(fs::exists(dir.File("site-html/index.html")));
}

TEST_F(ArchiveCli, CountsTheBytesThatDoNotDecode) {
  // A title ending in a lead byte, a body with a pair that has no character and a byte that
  // is none: three bytes.
  test::WriteBytes(dir.File("NET20000101.LOG"),
                   test::J("No.1 ｢ボード｣\r\n\r\n-\t\r\n") +
                       "general(1/9) 99/07/30 10:00 t\x82\r\n  1 lines 1024:taro \r\n"
                       "body \x85\x40\xFF\r\n");
  const auto run =
      Run({"export", "--format=jsonl", "--out=" + dir.File("o"), dir.File("NET20000101.LOG")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("変換できなかったバイト: 3"), std::string::npos) << run.err;
}

TEST_F(ArchiveCli, RefusesAFolderThatHoldsFilesAndBadArguments) {
  fs::create_directory(dir.File("used"));
  test::WriteBytes(dir.File("used/mine.txt"), "mine");
  auto run =
      Run({"export", "--format", "html", "--out", dir.File("used"), dir.File("NET19990730.LOG")});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.err.find("出力先のフォルダが空ではありません"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("アーカイブ出力に失敗しました"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(dir.File("used/mine.txt")), "mine");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("used")), fs::directory_iterator()), 1);

  run = Run({"export", "--out", dir.File("x"), dir.File("NET19990730.LOG")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("export needs --format and --out"), std::string::npos) << run.err;
  run = Run({"export", "--format", "pdf", "--out", dir.File("x"), dir.File("NET19990730.LOG")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("--format is mbox, html or jsonl"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir.File("x")));
}

TEST_F(ArchiveCli, MakesTheFoldersAboveTheOneNamed) {
  const auto run = Run(
      {"export", "--format", "mbox", "--out", dir.File("out/x/y"), dir.File("NET19990730.LOG")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir.File("out/x/y/001-general.mbox")));
}

// An export killed with SIGKILL while it writes leaves its scratch file; the next export into
// the folder removes it and goes on. An export that is still writing keeps its folder: a second
// one is refused and leaves the first one's files alone.
TEST_F(ArchiveCli, AKilledExportLeavesNothingInTheWayAndARunningOneKeepsItsFolder) {
  const std::string log = dir.File("NET20000101.LOG");
  test::WriteBytes(log, bench::NetVornLogGenerator(5).Generate(400000));
  const std::string out = dir.File("site");
  const std::vector<std::string> exportArgs = {
      VORNEXPL_CLI, "--settings-dir", cli.Settings(), "export", "--format", "html", "--out", out,
      log};
  // Starts an export and returns once it writes a scratch file; the file's name.
  auto startWriting = [&](pid_t& pid) {
    pid = test::StartProcess(exportArgs, dir.File("bg-out.txt"), dir.File("bg-err.txt"));
    for (int i = 0; i < 6000; ++i) {
      if (fs::is_directory(out)) {
        for (const auto& e : fs::directory_iterator(out)) {
          const std::string name = e.path().filename().string();
          if (name[0] == '.') return name;
        }
      }
      ::usleep(5000);
    }
    return std::string();
  };

  pid_t pid = -1;
  const std::string scratch = startWriting(pid);
  ASSERT_FALSE(scratch.empty()) << "the export wrote no scratch file to catch";
  ::kill(pid, SIGKILL);
  EXPECT_EQ(test::WaitProcess(pid), -1);
  ASSERT_TRUE(fs::exists(out + "/" + scratch)) << "the kill came too late to leave a scratch file";
  // Files the killed export had finished before the one it was writing are plain to see and
  // keep the folder from being taken, rightly; the user removes them, leaving only what a
  // listing does not show.
  for (const auto& e : fs::directory_iterator(out)) {
    if (e.path().filename().string()[0] != '.') fs::remove_all(e.path());
  }

  auto run = Run({"export", "--format", "html", "--out", out, log});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(out + "/index.html"));
  for (const auto& e : fs::directory_iterator(out))
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();

  // A second export while the first one writes.
  fs::remove_all(out);
  const std::string writing = startWriting(pid);
  ASSERT_FALSE(writing.empty());
  run = Run({"export", "--format", "html", "--out", out, log});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.err.find("別のアーカイブ出力がこのフォルダに書き込んでいます: " + out),
            std::string::npos)
      << run.err;
  EXPECT_EQ(test::WaitProcess(pid), 0) << test::ReadBytes(dir.File("bg-err.txt"));
  EXPECT_TRUE(fs::exists(out + "/index.html"));
}

}  // namespace
}  // namespace vorn
