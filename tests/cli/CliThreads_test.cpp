// vornexpl-cli reading archives on several threads: random archives of both host families, cut
// into daily files at random lines (an article, a mail or the mail box open across a file's
// end), give byte for byte what one thread gives, unreadable files among them included, and
// the logs read where they lie in their files give what the logs read into memory give.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "analysis/NetVornLogGenerator.h"
#include "cli/CliSampleCopy.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::CliSampleCopy;

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class CliThreads : public CliSampleCopy {
 protected:
  // Writes the lines as files of `prefix` for consecutive days, cut at random lines; each file
  // ends its lines in CR LF, LF or CR, some without an end after the last line; now and then a
  // file is empty. Returns the files in order.
  std::vector<std::string> WriteArchive(const std::string& prefix,
                                        const std::vector<std::string>& lines, int files) {
    std::vector<size_t> cuts{0, lines.size()};
    for (int f = 1; f < files; ++f)
      cuts.push_back(random() % (lines.size() + 1));
    std::sort(cuts.begin(), cuts.end());
    std::vector<std::string> paths;
    for (size_t f = 0; f + 1 < cuts.size(); ++f) {
      const char* const ends[] = {"\r\n", "\n", "\r"};
      const char* end = ends[random() % 5 < 3 ? 0 : random() % 3];
      std::string bytes;
      for (size_t l = cuts[f]; l < cuts[f + 1]; ++l)
        bytes += lines[l] + end;
      if (!bytes.empty() && random() % 4 == 0) bytes.resize(bytes.size() - std::strlen(end));
      char name[32];
      std::snprintf(name, sizeof name, "%s199901%02zu.LOG", prefix.c_str(), f + 1);
      paths.push_back(dir.File(name));
      test::WriteBytes(paths.back(), bytes);
    }
    return paths;
  }

  // What the tool prints of the archive read on `threads` threads: the board list, the articles
  // in both orders, the counts, every article's text as exported, and the messages.
  std::string Everything(const std::vector<std::string>& files, int threads) {
    const std::string t = std::to_string(threads);
    std::string all;
    auto run = [&](std::vector<std::string> args) {
      args.insert(args.begin(), {"--threads", t});
      args.insert(args.end(), files.begin(), files.end());
      const CliRun r = Cli(args);
      all += "exit " + std::to_string(r.exitCode) + "\n" + r.out + r.err;
    };
    run({"boards", "--unread"});
    run({"articles"});
    run({"articles", "--order", "posting"});
    // The quick filter searches the articles' lines, ruling most out by their stored bytes.
    run({"articles", "--filter", "e"});
    run({"articles", "--filter", "[0-9]e.*[a-z]", "--regex"});
    const std::string out = dir.File("export");
    run({"export", "--format", "jsonl", "--out", out});
    all += test::ReadBytes(out + "/articles.jsonl");
    fs::remove_all(out);
    run({"stats"});
    // The times differ from run to run.
    return all.substr(0, all.rfind("read:"));
  }

  // The logs read into memory on one thread, as the tool read them before it mapped them,
  // against the mapped logs on 1, 2 and 3 threads.
  void ExpectSameOnEveryThreadCount(const std::vector<std::string>& files) {
    ::setenv("VORN_LOGS_IN_MEMORY", "1", 1);
    const std::string one = Everything(files, 1);
    ::unsetenv("VORN_LOGS_IN_MEMORY");
    ASSERT_NE(one.find("articles: "), std::string::npos) << one.substr(0, 2000);
    for (const int threads : {1, 2, 3}) {
      const std::string many = Everything(files, threads);
      ASSERT_EQ(many.size(), one.size()) << threads << " threads";
      EXPECT_TRUE(many == one) << threads << " threads";
    }
  }

  std::mt19937 random{20261209};
};

TEST_F(CliThreads, RandomNetVornArchivesReadAsOnOneThread) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    bench::NetVornLogGenerator generator(uint32_t(100 + round));
    generator.SetShortLines(round == 1);
    std::vector<std::string> lines;
    for (int day = 1; day <= 3; ++day) {
      const std::vector<std::string> more =
          SplitLines(generator.GenerateDay(150000 + int64_t(random() % 100000), 99, 1, day));
      lines.insert(lines.end(), more.begin(), more.end());
    }
    // Lines longer than a block of the line store, in article bodies of each third of the
    // archive, so in different files: each file's own long lines are numbered from 0.
    for (size_t l = 0; round == 2 && l < 3; ++l) {
      size_t at = l * lines.size() / 3 + 1;
      while (at < lines.size() && lines[at - 1].find(" lines ") == std::string::npos)
        ++at;
      lines.insert(lines.begin() + long(at),
                   std::string(600000 + random() % 100000, char('x' + l)));
    }
    ExpectSameOnEveryThreadCount(WriteArchive("NET", lines, 4 + int(random() % 8)));
  }
}

TEST_F(CliThreads, RandomNiftyArchivesReadAsOnOneThread) {
  // Pieces of the sample capture in random order: forums, mail reading and notices meet every
  // kind of file end.
  const std::vector<std::string> sample =
      SplitLines(test::ReadBytes(test::SourceDir() + "/samples/NIF19990730.LOG"));
  ASSERT_GT(sample.size(), 50u);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<std::string> lines;
    for (int piece = 0; piece < 30; ++piece) {
      const size_t from = random() % sample.size();
      const size_t count = 1 + random() % 40;
      for (size_t l = from; l < std::min(sample.size(), from + count); ++l)
        lines.push_back(sample[l]);
    }
    ExpectSameOnEveryThreadCount(WriteArchive("NIF", lines, 3 + int(random() % 10)));
  }
}

// A folder and a missing file among the captures: the same messages in the same order, the same
// exit code, the same logs from the files that could be read.
TEST_F(CliThreads, UnreadableFilesKeepTheirMessagesInOrder) {
  bench::NetVornLogGenerator generator(7);
  std::vector<std::string> files =
      WriteArchive("NET", SplitLines(generator.GenerateDay(400000, 99, 2, 1)), 5);
  fs::create_directory(dir.File("NET19990203.LOG"));
  files.insert(files.begin() + 1, dir.File("NET19990203.LOG"));
  files.insert(files.begin() + 4, dir.File("NET19990204.LOG"));
  files.push_back(dir.File("NET19990205.LOG"));
  const std::string one = Everything(files, 1);
  EXPECT_NE(one.find("exit 3"), std::string::npos);
  const size_t folder = one.find("NET19990203.LOG"), missing = one.find("NET19990204.LOG");
  ASSERT_NE(folder, std::string::npos);
  ASSERT_NE(missing, std::string::npos);
  EXPECT_LT(folder, missing);
  for (const int threads : {2, 3})
    EXPECT_EQ(Everything(files, threads), one) << threads << " threads";

  // --threads is a number of threads.
  for (const char* bad : {"0", "65", "two", ""}) {
    const CliRun r = Cli({"--threads", bad, "boards", files.front()});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.err.find("--threads needs a number from 1 to 64"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace vorn
