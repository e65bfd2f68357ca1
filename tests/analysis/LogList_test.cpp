#include "analysis/LogList.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "store/BlockMemory.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::TempDir;
using test::WriteBytes;

std::vector<std::string> Lines(const TLogList& list) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < list.Count(); ++i)
    lines.push_back(list.GetLine(i));
  return lines;
}

std::vector<std::string> Load(const std::string& bytes, int32_t blockSize = 524288,
                              int32_t* result = nullptr) {
  TempDir dir;
  WriteBytes(dir.File("a.log"), bytes);
  TLogList list(blockSize, 16);
  int32_t rc = list.LoadFromFile(dir.File("a.log"));
  if (result) *result = rc;
  EXPECT_EQ(rc, TLogList::LoadOk);
  for (int32_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(std::string(list.LinePtr(i)), std::string(list.LineView(i)).c_str());
  }
  return Lines(list);
}

using L = std::vector<std::string>;

TEST(LogList, LineEndsFollowTheClassicTextConvention) {
  EXPECT_EQ(Load("a\r\nb\r\n\r\nc"), (L{"a", "b", "", "c"}));
  EXPECT_EQ(Load("a\rb\r\rc\r"), (L{"a", "b", "", "c"}));
  EXPECT_EQ(Load("a\nb\nc\n"), (L{"a\nb\nc\n"}));
  EXPECT_EQ(Load("a\n\rb\r\n\n"), (L{"a\n", "b", "\n"}));
  EXPECT_EQ(Load(""), (L{}));
  EXPECT_EQ(Load("\r\n"), (L{""}));
  // Ctrl-Z ends the file, also in the middle of a line.
  EXPECT_EQ(Load("a\r\nb\x1A"
                 "c\r\nd\r\n"),
            (L{"a", "b"}));
  EXPECT_EQ(Load("a\r\n\x1A"
                 "hidden\r\n"),
            (L{"a"}));
  // Zero bytes are part of the line; readers of LinePtr see up to the first.
  EXPECT_EQ(Load(std::string("x\0y\r\n", 5)), (L{std::string("x\0y", 3)}));
}

TEST(LogList, OutsideTheListLinesAreEmptyAndPointersNull) {
  TLogList list(64, 4);
  ASSERT_TRUE(list.AddLine("one"));
  EXPECT_EQ(list.GetLine(1), "");
  EXPECT_EQ(list.GetLine(-1), "");
  EXPECT_EQ(list.LinePtr(1), nullptr);
  EXPECT_EQ(list.LinePtr(-1), nullptr);
  std::string text = "stale";
  list.GetLine(5, text);
  EXPECT_EQ(text, "");
  EXPECT_STREQ(list.LinePtr(0), "one");
}

TEST(LogList, BlocksFillUpAndLongLinesGetABlockOfTheirOwn) {
  TLogList list(16, 4);
  ASSERT_TRUE(list.AddLine(std::string(15, 'a')));  // exactly BlockSize - 1: a block alone
  ASSERT_TRUE(list.AddLine("b"));
  EXPECT_EQ(list.BlockCount(), 2);
  ASSERT_TRUE(list.AddLine(std::string(14, 'c')));  // does not fit behind "b"
  EXPECT_EQ(list.BlockCount(), 3);
  const std::string huge(40000, 'h');  // longer than the block and than any scratch buffer
  ASSERT_TRUE(list.AddLine(huge));
  ASSERT_TRUE(list.AddLine(""));  // goes on filling the block before the long line
  EXPECT_EQ(list.BlockCount(), 4);
  EXPECT_EQ(Lines(list), (L{std::string(15, 'a'), "b", std::string(14, 'c'), huge, ""}));
  const char* first = list.LinePtr(0);
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(list.AddLine("more"));
  EXPECT_EQ(list.LinePtr(0), first);  // lines never move

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.BlockCount(), 0);
  ASSERT_TRUE(list.AddLine("again"));
  EXPECT_EQ(list.BlockCount(), 1);
  EXPECT_EQ(list.GetLine(0), "again");
}

// Random files with every kind of line end, Ctrl-Z, long lines and lines that straddle the
// blocks, read with tiny blocks, must give exactly the lines of the plain classic reader.
TEST(LogList, LoadingGivesTheLinesOfThePlainReaderForAnyBlockSize) {
  std::mt19937 rng(7);
  TempDir dir;
  const std::string path = dir.File("r.log");
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int pieces = int(rng() % 40);
    for (int i = 0; i < pieces; ++i) {
      switch (rng() % 10) {
        case 0:
          bytes += "\r\n";
          break;
        case 1:
          bytes += '\r';
          break;
        case 2:
          bytes += '\n';
          break;
        case 3:
          if (rng() % 8 == 0) bytes += '\x1A';
          break;
        case 4:
          bytes += std::string(rng() % 300, char('A' + rng() % 26));
          break;
        case 5:
          bytes += '\0';
          break;
        default:
          bytes += std::string(rng() % 12, char('a' + rng() % 26));
          break;
      }
    }
    WriteBytes(path, bytes);
    std::vector<std::string> expected;
    ASSERT_TRUE(ReadClassicTextFile(path, expected));
    const int32_t blockSize = int32_t(2 + rng() % 70);
    TLogList list(blockSize, 3);
    // Sometimes the block already holds lines when the file comes.
    if (rng() % 2) {
      ASSERT_TRUE(list.AddLine("before"));
      expected.insert(expected.begin(), "before");
    }
    ASSERT_EQ(list.LoadFromFile(path), TLogList::LoadOk);
    ASSERT_TRUE(list.AddLine("after"));
    expected.push_back("after");
    ASSERT_EQ(Lines(list), expected) << "round " << round << " block size " << blockSize;
  }
}

TEST(LogList, FilesAppendAndTheWindowIsKeptAlive) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TempDir dir;
  std::string a, b;
  for (int i = 0; i < 2500; ++i)
    a += "line " + std::to_string(i) + "\r\n";
  WriteBytes(dir.File("a.log"), a);
  WriteBytes(dir.File("b.log"), "b1\r\nb2");
  TLogList list(524288, 51200);
  ASSERT_EQ(list.LoadFromFile(dir.File("a.log")), TLogList::LoadOk);
  EXPECT_EQ(ui.pumps, 2);
  ASSERT_EQ(list.LoadFromFile(dir.File("b.log")), TLogList::LoadOk);
  ASSERT_EQ(list.Count(), 2502);
  EXPECT_EQ(list.GetLine(2499), "line 2499");
  EXPECT_EQ(list.GetLine(2501), "b2");
}

TEST(LogList, FailuresGiveTheirResultCodesAndKeepWhatWasRead) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TempDir dir;
  TLogList list(64, 4);
  EXPECT_EQ(list.LoadFromFile(dir.File("missing.log")), TLogList::LoadOpenFailed);
  EXPECT_EQ(list.LoadFromFile(dir.Path()), TLogList::LoadOpenFailed);
  // The kernel refuses to read the start of a process's own memory.
  EXPECT_EQ(list.LoadFromFile("/proc/self/mem"), TLogList::LoadReadFailed);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(ui.entries.empty());

  std::string text;
  for (int i = 0; i < 40; ++i)
    text += "0123456789\r\n";
  WriteBytes(dir.File("a.log"), text);
  {
    ScopedBlockAllocationLimit limit(3);  // the first block, an index chunk, one more block
    EXPECT_EQ(list.LoadFromFile(dir.File("a.log")), TLogList::LoadOutOfMemory);
  }
  EXPECT_GT(list.Count(), 0);
  EXPECT_LT(list.Count(), 40);
  EXPECT_EQ(list.GetLine(0), "0123456789");
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, test::J("ログ読込み中にメモリ不足が発生しました\r"
                                        "ログ読込みを中断します"));
  // Told once for the life of the list, even across Clear.
  list.Clear();
  ScopedBlockAllocationLimit none(0);
  EXPECT_FALSE(list.AddLine("x"));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(ui.entries.size(), 1u);
}

}  // namespace
}  // namespace vorn
