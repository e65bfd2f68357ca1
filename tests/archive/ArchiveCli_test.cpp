// vornexpl-cli export run as a real process on the samples: the folder it makes, the summary
// it prints, the exit codes of its failures.

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/ArchiveTestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

class ArchiveCli : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    settings = dir.Path() + "/settings";
    fs::copy(samples / "settings", settings, fs::copy_options::recursive);
    fs::copy_file(samples / "NET19990730.LOG", dir.File("NET19990730.LOG"));
  }
  test::ProcessRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {VORNEXPL_CLI, "--settings-dir", settings});
    return test::RunProcess(dir, args);
  }
  test::TempDir dir;
  std::string settings;
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

}  // namespace
}  // namespace vorn
