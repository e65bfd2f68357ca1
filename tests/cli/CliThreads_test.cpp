// vornexpl-cli reading archives on several threads: random archives of both host families, cut
// into daily files at random lines (an article, a mail or the mail box open across a file's
// end), give byte for byte what one thread gives, unreadable files among them included, and
// the logs read where they lie in their files give what the logs read into memory give. What the
// analysis keeps of each file between runs gives, read back, what analysing the file gives.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
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
  // Each test starts from an empty cache, also when they all run in one process.
  void SetUp() override {
    CliSampleCopy::SetUp();
    fs::remove_all(CacheFolder());
  }

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
  std::string Everything(const std::vector<std::string>& files, int threads, bool cache = true) {
    const std::string t = std::to_string(threads);
    std::string all;
    auto run = [&](std::vector<std::string> args) {
      args.insert(args.begin(), {"--threads", t});
      if (!cache) args.insert(args.begin(), "--no-cache");
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
    // The times differ from run to run, and so does what came from the cache.
    const size_t times = all.rfind("read:");
    lastStats = all.substr(times);
    return all.substr(0, times);
  }
  int32_t StatsCount(const std::string& name) const {
    const size_t at = lastStats.find(name + ": ");
    return at == std::string::npos ? -1 : std::atoi(lastStats.c_str() + at + name.size() + 2);
  }
  static std::string CacheFolder() {
    return std::string(std::getenv("XDG_CACHE_HOME")) + "/VornExplorer";
  }

  // The logs read into memory on one thread without the cache, as the tool read them before it
  // mapped them, against the mapped logs on 1, 2 and 3 threads, each from an empty cache (the
  // first of the tool's runs keeps each file's findings, the others read them back). On 3
  // threads a file's findings are read back a batch at a time, as those of a big file are.
  void ExpectSameOnEveryThreadCount(const std::vector<std::string>& files) {
    ::setenv("VORN_LOGS_IN_MEMORY", "1", 1);
    const std::string one = Everything(files, 1, false);
    ::unsetenv("VORN_LOGS_IN_MEMORY");
    ASSERT_NE(one.find("articles: "), std::string::npos) << one.substr(0, 2000);
    EXPECT_EQ(StatsCount("files from the cache"), 0);
    EXPECT_EQ(StatsCount("files kept in the cache"), 0);
    int32_t readable = 0, nonEmpty = 0;
    for (const std::string& f : files) {
      readable += fs::is_regular_file(f) ? 1 : 0;
      // An empty file is read, not mapped: it has no index to keep.
      nonEmpty += fs::is_regular_file(f) && fs::file_size(f) > 0 ? 1 : 0;
    }
    for (const int threads : {1, 2, 3}) {
      fs::remove_all(CacheFolder());
      if (threads == 3) ::setenv("VORN_CACHE_DECODED_AT_ONCE", "0", 1);
      const std::string many = Everything(files, threads);
      ::unsetenv("VORN_CACHE_DECODED_AT_ONCE");
      ASSERT_EQ(many.size(), one.size()) << threads << " threads";
      EXPECT_TRUE(many == one) << threads << " threads";
      EXPECT_EQ(StatsCount("files from the cache"), readable) << threads << " threads";
      EXPECT_EQ(StatsCount("files indexed from the cache"), nonEmpty) << threads << " threads";
    }
  }

  std::mt19937 random{20261209};
  std::string lastStats;  // the times and cache counts of the last Everything
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

// The files of the cache folder whose names begin with prefix.
std::vector<std::string> CacheEntries(const std::string& folder, const std::string& prefix = "") {
  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().filename().string().starts_with(prefix)) entries.push_back(e.path().string());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Whatever stands in the cache in place of a file's findings (a byte changed, a write cut short,
// another file's entry, noise, a file of another program) is not taken for them: that file is
// analysed again, its findings are kept anew, and the result is the one without a cache.
TEST_F(CliThreads, EntriesThatAreNotTheFilesOwnAreAnalysedAgain) {
  bench::NetVornLogGenerator generator(11);
  const std::vector<std::string> files =
      WriteArchive("NET", SplitLines(generator.GenerateDay(600000, 99, 2, 1)), 6);
  const std::string plain = Everything(files, 2, false);
  EXPECT_EQ(Everything(files, 2), plain);
  const int32_t all = int32_t(files.size());
  EXPECT_EQ(StatsCount("files from the cache"), all);

  std::vector<std::string> entries = CacheEntries(CacheFolder(), "netvorn-");
  ASSERT_EQ(entries.size(), files.size()) << testing::PrintToString(entries);
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return fs::file_size(a) > fs::file_size(b);
  });
  // A byte of the found texts (titles, handles) changed: every length and number still fits,
  // only the checksum tells. After the magic: the key, the lines, the finding size, the records
  // (a batch's: its tag, lines walked, findings, their encoded size, text bytes, the findings,
  // the texts).
  std::string bytes = test::ReadBytes(entries[0]);
  uint32_t keySize = 0, encoded = 0, textBytes = 0;
  std::memcpy(&keySize, bytes.data() + 8, 4);
  const size_t record = 12 + keySize + 8;
  std::memcpy(&encoded, bytes.data() + record + 12, 4);
  std::memcpy(&textBytes, bytes.data() + record + 16, 4);
  const size_t texts = record + 20 + encoded;
  ASSERT_GT(textBytes, 0u);
  ASSERT_LT(texts + textBytes, bytes.size());
  bytes[texts + textBytes / 2] ^= 0x01;
  test::WriteBytes(entries[0], bytes);
  bytes = test::ReadBytes(entries[1]);
  test::WriteBytes(entries[1], bytes.substr(0, bytes.size() / 2));
  test::WriteBytes(entries[2], test::ReadBytes(entries[3]));
  std::string noise(test::ReadBytes(entries[4]).size(), '\0');
  for (char& c : noise)
    c = char(random());
  test::WriteBytes(entries[4], noise);
  test::WriteBytes(entries[5], "VORNAC01" + std::string(4000, '\xff'));
  for (const int threads : {1, 2}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    // The first of the tool's runs analyses the five again and keeps them; the others take them.
    const std::string cached = Everything(files, threads);
    EXPECT_TRUE(cached == plain);
    EXPECT_EQ(StatsCount("files from the cache"), all);
    // Cut each entry short again; an empty one too.
    for (const std::string& entry : CacheEntries(CacheFolder())) {
      bytes = test::ReadBytes(entry);
      test::WriteBytes(entry, bytes.substr(0, threads == 1 ? bytes.size() - 1 : 0));
    }
    CliRun r = Cli({"--threads", std::to_string(threads), "stats", files[0], files[1], files[2],
                    files[3], files[4], files[5]});
    EXPECT_NE(r.out.find("files from the cache: 0\nfiles kept in the cache: 6\n"),
              std::string::npos)
        << r.out;
  }
  // The same of the kept line indexes: a byte of the lines' starts changed, an index cut in half,
  // another file's, noise, nothing. Each of those files is read again, and its index kept anew.
  Everything(files, 2);
  std::vector<std::string> indexes = CacheEntries(CacheFolder(), "lines-");
  ASSERT_EQ(indexes.size(), files.size());
  bytes = test::ReadBytes(indexes[0]);
  std::memcpy(&keySize, bytes.data() + 8, 4);
  ASSERT_LT(12 + keySize + 4, bytes.size());
  bytes[12 + keySize + (bytes.size() - 16 - keySize) / 2] ^= 0x01;
  test::WriteBytes(indexes[0], bytes);
  bytes = test::ReadBytes(indexes[1]);
  test::WriteBytes(indexes[1], bytes.substr(0, bytes.size() / 2));
  test::WriteBytes(indexes[2], test::ReadBytes(indexes[3]));
  noise.assign(test::ReadBytes(indexes[4]).size(), '\0');
  for (char& c : noise)
    c = char(random());
  test::WriteBytes(indexes[4], noise);
  const CliRun r = Cli({"stats", files[0], files[1], files[2], files[3], files[4], files[5]});
  EXPECT_NE(r.out.find("files from the cache: 6\nfiles kept in the cache: 0\n"
                       "files indexed from the cache: 2\n"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(Everything(files, 2) == plain);
  EXPECT_EQ(StatsCount("files indexed from the cache"), all);
}

// A log written on, written anew with as many bytes, or only touched is analysed again, and so is
// every file after it whose analysis starts from a state the changed file now ends in; a change
// of the set's patterns analyses every file again. Each time the result is the one without a
// cache.
TEST_F(CliThreads, ChangedLogsAndPatternsAreAnalysedAgain) {
  bench::NetVornLogGenerator generator(12);
  const std::vector<std::string> files =
      WriteArchive("NET", SplitLines(generator.GenerateDay(500000, 99, 2, 1)), 5);
  const int32_t all = int32_t(files.size());
  std::string bytes;
  for (const int threads : {1, 2}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    fs::remove_all(CacheFolder());
    Everything(files, threads);
    EXPECT_EQ(StatsCount("files from the cache"), all);
    EXPECT_EQ(StatsCount("files indexed from the cache"), all);
    bytes = test::ReadBytes(files[1]);
    test::WriteBytes(files[1], bytes + bytes.substr(0, bytes.size() / 3));
    bytes = test::ReadBytes(files[3]);
    for (char& c : bytes)
      c = c == '1' ? '2' : c == '2' ? '1' : c;
    test::WriteBytes(files[3], bytes);
    fs::last_write_time(files[4], fs::last_write_time(files[4]) - std::chrono::hours(24));
    // Only the two unchanged files are loaded from their kept indexes; the first of them at
    // least is not walked again.
    const CliRun changed = Cli({"--threads", std::to_string(threads), "stats", files[0], files[1],
                                files[2], files[3], files[4]});
    EXPECT_NE(changed.out.find("files indexed from the cache: 2\n"), std::string::npos)
        << changed.out;
    EXPECT_EQ(changed.out.find("files from the cache: 0\n"), std::string::npos) << changed.out;
    const std::string cached = Everything(files, threads);
    EXPECT_EQ(StatsCount("files from the cache"), all);
    EXPECT_TRUE(cached == Everything(files, threads, false));
  }
  const CliRun first = Cli({"stats", files[0], files[1], files[2], files[3], files[4]});
  bytes = test::ReadBytes(files[2]);
  test::WriteBytes(files[2], bytes + "\r\n");
  const CliRun appended = Cli({"stats", files[0], files[1], files[2], files[3], files[4]});
  EXPECT_NE(first.out.find("files from the cache: 5\n"), std::string::npos) << first.out;
  EXPECT_NE(appended.out.find("files indexed from the cache: 4\n"), std::string::npos)
      << appended.out;
  // The files before it are taken from the cache; the appended one is walked again, and with
  // it what follows only if it now ends in another state.
  EXPECT_EQ(appended.out.find("files from the cache: 0\n"), std::string::npos) << appended.out;
  EXPECT_EQ(appended.out.find("files from the cache: 5\n"), std::string::npos) << appended.out;

  const std::string ini = settings + "/netvorn.ini";
  std::string text = test::ReadBytes(ini);
  const size_t at = text.find("SerialHeader=0");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 14, "SerialHeader=1");
  test::WriteBytes(ini, text);
  const std::string plain = Everything(files, 2, false);
  Everything(files, 2);
  const CliRun again = Cli({"stats", files[0], files[1], files[2], files[3], files[4]});
  EXPECT_NE(again.out.find("files from the cache: 5\n"), std::string::npos) << again.out;
  EXPECT_TRUE(Everything(files, 2) == plain);
}

// Where the cache cannot be kept (a file stands in place of its folder) every load analyses
// everything and gives the same result; nothing is told.
TEST_F(CliThreads, ACacheThatCannotBeKeptChangesNothing) {
  bench::NetVornLogGenerator generator(13);
  const std::vector<std::string> files =
      WriteArchive("NET", SplitLines(generator.GenerateDay(200000, 99, 2, 1)), 3);
  const std::string plain = Everything(files, 2, false);
  fs::remove_all(CacheFolder());
  test::WriteBytes(CacheFolder(), "not a folder");
  EXPECT_EQ(Everything(files, 2), plain);
  EXPECT_EQ(StatsCount("files kept in the cache"), 0);
  fs::remove(CacheFolder());
}

// A run killed while it wrote an entry leaves its scratch file: one a day old is removed by the
// next run, a newer one may be another run's still being written and stays.
TEST_F(CliThreads, ScratchFilesOfKilledRunsGoAndOnesBeingWrittenStay) {
  fs::create_directories(CacheFolder());
  const std::string killed = CacheFolder() + "/.vorn-AbC123",
                    held = CacheFolder() + "/.vorn-Held00";
  test::WriteBytes(killed, "VORNAC03 half");
  // An entry still being written: this process holds its lock, as a running writer does.
  const int fd = ::open(held.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  // Those of versions that did not lock them go once they are a day old.
  const std::string oldUnlocked = CacheFolder() + "/.vac-AbC123",
                    recentUnlocked = CacheFolder() + "/.vac-XyZ789";
  test::WriteBytes(oldUnlocked, "VORNAC01 half");
  test::WriteBytes(recentUnlocked, "VORNAC01 half");
  fs::last_write_time(oldUnlocked, fs::file_time_type::clock::now() - std::chrono::hours(25));
  EXPECT_EQ(Cli({"boards", netLog}).exitCode, 0);
  EXPECT_FALSE(fs::exists(killed));
  EXPECT_TRUE(fs::exists(held));
  EXPECT_FALSE(fs::exists(oldUnlocked));
  EXPECT_TRUE(fs::exists(recentUnlocked));
  ::close(fd);
  // The entries of that run were written through scratch files of their own, all renamed.
  size_t scratch = 0;
  for (const auto& e : fs::directory_iterator(CacheFolder()))
    scratch += e.path().filename().string().starts_with(".vorn-") ? 1 : 0;
  EXPECT_EQ(scratch, 1u);
}

}  // namespace
}  // namespace vorn
