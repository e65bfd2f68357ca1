#include "platform/TextFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>

#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "support/RecordingUiServices.h"
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

TEST(ClassicTextReader, CrLfCrAndLfEndLinesAlike) {
  TempDir dir;
  std::string f = dir.File("a.log");
  // CR LF, CR alone, LF alone, an empty line, no end on the last line.
  WriteBytes(f, "one\r\ntwo\rthree\nfour\r\n\r\nlast");
  EXPECT_EQ(ReadLines(f), (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
  // A file that went through dos2unix or a git checkout: the same lines as before.
  WriteBytes(f, "VornExplorer ReadPtrFile Ver.0.01\n\\12\n\n");
  EXPECT_EQ(ReadLines(f),
            (std::vector<std::string>{"VornExplorer ReadPtrFile Ver.0.01", "\\12", ""}));
  // LF CR is two line ends; an LF that starts the next buffer after a CR belongs to the CR.
  WriteBytes(f, "a\n\rb");
  EXPECT_EQ(ReadLines(f), (std::vector<std::string>{"a", "", "b"}));
  const std::string first((1 << 20) - 1, 'y');
  WriteBytes(f, first + "\n\nz\n");
  EXPECT_EQ(ReadLines(f), (std::vector<std::string>{first, "", "z"}));
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

// Runs a read that must not wait; when it does wait (on a FIFO without a writer), the FIFO is
// given a writer for a moment so that the test ends, and the read counts as failed.
template <class Read>
bool ReturnsAtOnce(const std::string& fifo, Read read) {
  auto done = std::async(std::launch::async, read);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return true;
  const int unblock = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  if (unblock >= 0) ::close(unblock);
  done.wait();
  return false;
}

TEST(SpecialFiles, AFifoOrADeviceIsRefusedWithAMessageAndNeverWaitedFor) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TempDir dir;
  const std::string fifo = dir.File("NET.BRD");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::vector<std::string> lines;
  bool read = true;
  EXPECT_TRUE(ReturnsAtOnce(fifo, [&] { read = ReadClassicTextFile(fifo, lines); }));
  EXPECT_FALSE(read);
  std::string data;
  EXPECT_TRUE(ReturnsAtOnce(fifo, [&] { read = ReadWholeFile(fifo, data); }));
  EXPECT_FALSE(read);
  EXPECT_TRUE(IsSpecialFile(fifo));
  // Told once, naming the file and why.
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, test::J("ファイル:") + fifo + "\r" + test::J("読込み出来ません") +
                                    "\r" + SpecialFileText());
  // Writing does not put a plain file in its place.
  EXPECT_FALSE(WriteFileAtomic(fifo, "x"));
  EXPECT_TRUE(IsSpecialFile(fifo));
  // An endless device is refused the same way, also through a link.
  ASSERT_EQ(::symlink("/dev/zero", dir.File("zero.log").c_str()), 0);
  EXPECT_FALSE(ReadWholeFile(dir.File("zero.log"), data));
  EXPECT_FALSE(IsSpecialFile(dir.Path()));
}

TEST(WriteFileAtomic, ALinkStaysALinkAndItsTargetIsReplacedInItsOwnFolder) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.File("shared").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(dir.File("settings").c_str(), 0700), 0);
  const std::string target = dir.File("shared/NET.PTR");
  WriteBytes(target, "old");
  ::chmod(target.c_str(), 0640);
  // A relative link, and a link to that link.
  const std::string link = dir.File("settings/NET.PTR");
  ASSERT_EQ(::symlink("../shared/NET.PTR", link.c_str()), 0);
  const std::string second = dir.File("settings/again.PTR");
  ASSERT_EQ(::symlink("NET.PTR", second.c_str()), 0);
  ASSERT_TRUE(WriteFileAtomic(second, "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_symlink(second));
  EXPECT_EQ(ReadBytes(target), "new");
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FinalLinkTarget(second), dir.File("settings/../shared/NET.PTR"));
  // Nothing is left in either folder but the files and links.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("shared")), {}), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("settings")), {}), 2);
  // Deleting removes the file the link names; the next write puts it there again.
  EXPECT_TRUE(DeleteFileAt(link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_FALSE(FileExists(target));
  ASSERT_TRUE(WriteFileAtomic(link, "again"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "again");
}

TEST(ScratchFiles, StaleOnesGoAndOnesAWriterHoldsStay) {
  TempDir dir;
  // What a run killed while writing leaves.
  WriteBytes(dir.File(".vorn-AbC123"), "half a board list");
  // Names that only look alike are none of ours.
  WriteBytes(dir.File(".vorn-AbC12"), "x");
  WriteBytes(dir.File("vorn-AbC123"), "x");
  // A writer in another process, still writing.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    std::string path;
    const int fd = CreateScratchFile(dir.Path(), path);
    const char ok = fd >= 0 ? 'y' : 'n';
    if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  auto scratchNames = [&] {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
      const std::string name = e.path().filename().string();
      if (name.size() == 12 && name.starts_with(".vorn-")) names.push_back(name);
    }
    return names;
  };
  ASSERT_EQ(scratchNames().size(), 2u);
  EXPECT_EQ(RemoveStaleScratchFiles(dir.Path()), 1);
  const std::vector<std::string> left = scratchNames();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(left[0], ".vorn-AbC123");
  // The writer is killed: its file is stale now.
  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  EXPECT_EQ(RemoveStaleScratchFiles(dir.Path() + "/"), 1);
  EXPECT_TRUE(scratchNames().empty());
  EXPECT_TRUE(FileExists(dir.File(".vorn-AbC12")));
  EXPECT_TRUE(FileExists(dir.File("vorn-AbC123")));
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
}  // namespace vorn
