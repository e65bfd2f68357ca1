#include "platform/TextFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  EXPECT_TRUE(ReadClassicTextFile(path, lines));
  return lines;
}

TEST(ClassicTextReader, LineEndsFollowTheClassicConvention) {
  TempDir dir;
  std::string f = dir.File("a.log");
  // CR LF, CR alone, LF alone inside a line, an empty line, no end on the last line.
  WriteBytes(f, "one\r\ntwo\rthree\nstill three\r\n\r\nlast");
  EXPECT_EQ(ReadLines(f),
            (std::vector<std::string>{"one", "two", "three\nstill three", "", "last"}));
}

TEST(ClassicTextReader, CtrlZEndsTheFile) {
  TempDir dir;
  std::string f = dir.File("z.log");
  WriteBytes(f,
             "a\r\nb\x1A"
             "c\r\nd\r\n");
  EXPECT_EQ(ReadLines(f), (std::vector<std::string>{"a", "b"}));
  WriteBytes(f,
             "a\r\n\x1A"
             "hidden");
  EXPECT_EQ(ReadLines(f), (std::vector<std::string>{"a"}));
}

TEST(ClassicTextReader, LinesLongerThanTheBufferAndCrLfAcrossBuffersStayWhole) {
  TempDir dir;
  std::string f = dir.File("long.log");
  std::string big(3 * 1024 * 1024 + 17, 'x');
  // Put the CR as the last byte of the first 1 MiB chunk so the LF lands in the next chunk.
  std::string first((1 << 20) - 1, 'y');
  WriteBytes(f, first + "\r\n" + big + "\r\nend");
  auto lines = ReadLines(f);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], first);
  EXPECT_EQ(lines[1], big);
  EXPECT_EQ(lines[2], "end");
}

TEST(ClassicTextReader, MissingFileAndFolderFailToOpen) {
  TempDir dir;
  ClassicTextReader r;
  EXPECT_FALSE(r.Open(dir.File("none")));
  EXPECT_FALSE(r.Open(dir.Path()));
}

TEST(WriteFileAtomic, ReplacesAndKeepsPermissions) {
  TempDir dir;
  std::string f = dir.File("list.txt");
  ASSERT_TRUE(WriteTextLinesAtomic(f, {"a", "b"}));
  EXPECT_EQ(ReadBytes(f), "a\r\nb\r\n");
  ::chmod(f.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(f, "new"));
  EXPECT_EQ(ReadBytes(f), "new");
  struct stat st;
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(WriteFileAtomic, FailureLeavesTheOldFileIntact) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  TempDir dir;
  std::string f = dir.File("keep.txt");
  WriteBytes(f, "precious");
  ::chmod(dir.Path().c_str(), 0500);
  EXPECT_FALSE(WriteFileAtomic(f, "lost?"));
  ::chmod(dir.Path().c_str(), 0700);
  EXPECT_EQ(ReadBytes(f), "precious");
}

TEST(WriteFileAtomic, FailsIntoMissingFolderOrOverAFolder) {
  TempDir dir;
  EXPECT_FALSE(WriteFileAtomic(dir.File("no/such/file"), "x"));
  EXPECT_FALSE(WriteFileAtomic(dir.Path(), "x"));
}

TEST(WriteFileAtomic, AWriteThatCannotCompleteLeavesTheOldFileIntact) {
  // A file-size limit makes the write fail part way, as a full disk would, even for root.
  TempDir dir;
  std::string f = dir.File("data");
  WriteBytes(f, "old contents");
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok = WriteFileAtomic(f, std::string(100000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadBytes(f), "old contents");
  // No temporary file is left behind.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace vorn
