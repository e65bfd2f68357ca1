#include "analysis/LogList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
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

// Every case runs with log files mapped and with log files read into blocks: both give the same
// lines.
class LogListMode : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { TLogList::SetMapFiles(GetParam()); }
  void TearDown() override { TLogList::SetMapFiles(true); }
};
using LogList = LogListMode;
using LogListSplice = LogListMode;
std::string ModeName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Mapped" : "InMemory";
}

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
  return Lines(list);
}

using L = std::vector<std::string>;

TEST_P(LogList, CrLfCrAndLfEndLinesAlike) {
  EXPECT_EQ(Load("a\r\nb\r\n\r\nc"), (L{"a", "b", "", "c"}));
  EXPECT_EQ(Load("a\rb\r\rc\r"), (L{"a", "b", "", "c"}));
  // A log that went through a tool writing LF alone reads as the same lines.
  EXPECT_EQ(Load("a\nb\n\nc\n"), (L{"a", "b", "", "c"}));
  EXPECT_EQ(Load("a\n\rb\r\n\n"), (L{"a", "", "b", ""}));
  EXPECT_EQ(Load(""), (L{}));
  EXPECT_EQ(Load("\r\n"), (L{""}));
  // Ctrl-Z ends the file, also in the middle of a line.
  EXPECT_EQ(Load("a\r\nb\x1A"
                 "c\r\nd\r\n"),
            (L{"a", "b"}));
  EXPECT_EQ(Load("a\r\n\x1A"
                 "hidden\r\n"),
            (L{"a"}));
  // Zero bytes are part of the line.
  EXPECT_EQ(Load(std::string("x\0y\r\n", 5)), (L{std::string("x\0y", 3)}));
}

TEST_P(LogList, OutsideTheListLinesAreEmptyAndPointersNull) {
  TLogList list(64, 4);
  ASSERT_TRUE(list.AddLine("one"));
  EXPECT_EQ(list.GetLine(1), "");
  EXPECT_EQ(list.GetLine(-1), "");
  EXPECT_EQ(list.LineView(1).data(), nullptr);
  EXPECT_EQ(list.LineView(-1).data(), nullptr);
  std::string text = "stale";
  list.GetLine(5, text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(list.LineView(0), "one");
}

TEST_P(LogList, BlocksFillUpAndLongLinesGetABlockOfTheirOwn) {
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
  const char* first = list.LineView(0).data();
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(list.AddLine("more"));
  EXPECT_EQ(list.LineView(0).data(), first);  // lines never move

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.BlockCount(), 0);
  ASSERT_TRUE(list.AddLine("again"));
  EXPECT_EQ(list.BlockCount(), 1);
  EXPECT_EQ(list.GetLine(0), "again");
}

// Random files with every kind of line end, Ctrl-Z, long lines and lines that straddle the
// blocks, read with tiny blocks, must give exactly the lines of the plain classic reader.
TEST_P(LogList, LoadingGivesTheLinesOfThePlainReaderForAnyBlockSize) {
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
    // The stored span of a run of lines holds each of them where it lies, so a search of the
    // span misses no line's text.
    for (int run = 0; run < 10; ++run) {
      const int32_t first = int32_t(rng() % uint32_t(list.Count()));
      const int32_t last = first + int32_t(rng() % 4);
      const std::string_view span = list.StoredSpan(first, last);
      if (last >= list.Count()) {
        EXPECT_TRUE(span.empty());
        continue;
      }
      if (span.empty()) continue;
      EXPECT_EQ(span.data(), list.LineView(first).data());
      for (int32_t i = first; i <= last; ++i) {
        const std::string_view line = list.LineView(i);
        EXPECT_TRUE(line.data() >= span.data() &&
                    line.data() + line.size() <= span.data() + span.size())
            << "round " << round << " line " << i;
      }
    }
  }
  // With blocks larger than any line, the lines of a run always lie together.
  TLogList big(524288, 16);
  ASSERT_EQ(big.LoadFromFile(path), TLogList::LoadOk);
  for (int32_t i = 0; i + 1 < big.Count(); ++i)
    EXPECT_FALSE(big.StoredSpan(i, i + 1).empty()) << i;
}

// The window may show lines while a file is being read (it pumps messages): every line read so
// far, the last one too, must read back whole at that moment.
class CheckingUiServices final : public UiServices {
 public:
  CheckingUiServices(const TLogList& list, const std::vector<std::string>& expected)
      : list_(list), expected_(expected) {}
  void Warning(const std::string&) override {}
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::No; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::No; }
  void ProcessMessages() override {
    ++pumps;
    const int32_t last = list_.Count() - 1;
    ASSERT_GE(last, 0);
    ASSERT_LT(size_t(last), expected_.size());
    ASSERT_EQ(list_.GetLine(last), expected_[size_t(last)]) << "line " << last;
  }
  int pumps = 0;

 private:
  const TLogList& list_;
  const std::vector<std::string>& expected_;
};

// Thousands of lines of every length around the block size, zero bytes at their ends, both line
// ends, long lines in between and lines added between files, read back through the index.
TEST_P(LogList, ManyLinesInSmallBlocksReadBackWholeDuringAndAfterLoading) {
  std::mt19937 rng(11);
  TempDir dir;
  for (int32_t blockSize : {7, 40, 4096}) {
    TLogList list(blockSize, 100);
    std::vector<std::string> expected;
    CheckingUiServices ui(list, expected);
    ScopedUiServices scope(&ui);
    for (int file = 0; file < 3; ++file) {
      std::string bytes;
      for (int i = 0; i < 3000; ++i) {
        const uint32_t kind = rng() % 20;
        const size_t length =
            kind == 0 ? size_t(blockSize) + rng() % 50 : rng() % size_t(blockSize);
        for (size_t k = 0; k < length; ++k)
          bytes += char('a' + rng() % 26);
        if (kind == 1) bytes += '\0';
        if (kind == 2) bytes += '\n';
        bytes += rng() % 2 ? "\r\n" : "\r";
      }
      // A file of its own each time: the list reads the earlier ones where they lie.
      const std::string path =
          dir.File("m" + std::to_string(blockSize) + "_" + std::to_string(file) + ".log");
      WriteBytes(path, bytes);
      std::vector<std::string> lines;
      ASSERT_TRUE(ReadClassicTextFile(path, lines));
      expected.insert(expected.end(), lines.begin(), lines.end());
      ASSERT_EQ(list.LoadFromFile(path), TLogList::LoadOk);
      ASSERT_TRUE(list.AddLine("end of file " + std::to_string(file)));
      expected.push_back("end of file " + std::to_string(file));
    }
    EXPECT_GT(ui.pumps, 5);
    ASSERT_EQ(list.Count(), int32_t(expected.size()));
    for (int32_t i = 0; i < list.Count(); ++i) {
      ASSERT_EQ(list.GetLine(i), expected[size_t(i)])
          << "block size " << blockSize << " line " << i;
    }
  }
}

// A load given up cuts the list back to where it ended before: the lines before stay where
// they are, and the list takes new lines as if the cut ones had never been read.
TEST_P(LogList, CutBackToAMarkTheListGoesOnAsBeforeIt) {
  std::mt19937 rng(5);
  TempDir dir;
  for (int round = 0; round < 100; ++round) {
    const int32_t blockSize = int32_t(4 + rng() % 40);
    TLogList list(blockSize, 4);
    std::vector<std::string> expected;
    auto addSome = [&](int n) {
      for (int i = 0; i < n; ++i) {
        std::string line(rng() % size_t(blockSize + 10), char('a' + rng() % 26));
        ASSERT_TRUE(list.AddLine(line));
        expected.push_back(line);
      }
    };
    addSome(int(rng() % 30));
    const TLogList::Mark mark = list.End();
    const std::vector<std::string> kept = expected;
    const char* firstLine = list.Count() ? list.LineView(0).data() : nullptr;
    addSome(int(rng() % 30));
    WriteBytes(dir.File("c.log"), "read\r\nfrom a file\r\n");
    ASSERT_EQ(list.LoadFromFile(dir.File("c.log")), TLogList::LoadOk);
    list.TruncateTo(mark);
    expected = kept;
    ASSERT_EQ(Lines(list), expected) << "round " << round;
    if (firstLine) {
      EXPECT_EQ(list.LineView(0).data(), firstLine);
    }
    addSome(int(rng() % 30));
    ASSERT_EQ(list.LoadFromFile(dir.File("c.log")), TLogList::LoadOk);
    expected.push_back("read");
    expected.push_back("from a file");
    ASSERT_EQ(Lines(list), expected) << "round " << round;

    TLogList other(blockSize, 4);
    ASSERT_TRUE(other.AddLine("other"));
    other.Swap(list);
    EXPECT_EQ(Lines(other), expected);
    EXPECT_EQ(Lines(list), L{"other"});
  }
}

// Reading stops when its watcher asks; what was read stays, and the watcher saw the bytes.
TEST_P(LogList, AWatcherFollowsTheReadingAndCanStopIt) {
  class Watcher final : public TLogList::LoadWatcher {
   public:
    void FileBytesRead(uint64_t bytes) override {
      EXPECT_GE(bytes, last);
      last = bytes;
    }
    bool StopReading() override { return ++asked == stopAt; }
    uint64_t last = 0;
    int asked = 0, stopAt = -1;
  };
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 30000; ++i)
    bytes += "line " + std::to_string(i) + "\r\n";
  WriteBytes(dir.File("w.log"), bytes);
  Watcher whole;
  TLogList list(524288, 51200);
  ASSERT_EQ(list.LoadFromFile(dir.File("w.log"), &whole), TLogList::LoadOk);
  EXPECT_EQ(whole.last, bytes.size());
  EXPECT_GE(whole.asked, 30);
  Watcher stopping;
  stopping.stopAt = 3;
  TLogList cut(524288, 51200);
  EXPECT_EQ(cut.LoadFromFile(dir.File("w.log"), &stopping), TLogList::LoadCancelled);
  EXPECT_GT(cut.Count(), 0);
  EXPECT_LT(cut.Count(), 30000);
  for (int32_t i = 0; i < cut.Count(); ++i)
    ASSERT_EQ(cut.GetLine(i), "line " + std::to_string(i));
}

TEST_P(LogList, FilesAppendAndTheWindowIsKeptAlive) {
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

TEST_P(LogList, FailuresGiveTheirResultCodesAndKeepWhatWasRead) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TempDir dir;
  TLogList list(64, 4);
  EXPECT_EQ(list.LoadFromFile(dir.File("missing.log")), TLogList::LoadOpenFailed);
  EXPECT_EQ(list.LoadFromFile(dir.Path()), TLogList::LoadOpenFailed);
  // Neither a FIFO without a writer nor an endless device blocks or fills the memory.
  ASSERT_EQ(::mkfifo(dir.File("fifo.log").c_str(), 0600), 0);
  EXPECT_EQ(list.LoadFromFile(dir.File("fifo.log")), TLogList::LoadOpenFailed);
  EXPECT_EQ(list.LoadFromFile("/dev/zero"), TLogList::LoadOpenFailed);
  // The kernel refuses to read the start of a process's own memory.
  EXPECT_EQ(list.LoadFromFile("/proc/self/mem"), TLogList::LoadReadFailed);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(ui.entries.empty());

  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "0123456789\r\n";
  WriteBytes(dir.File("a.log"), text);
  {
    // Read into blocks: the first block, an index chunk, one more block; mapped: three chunks
    // of the index.
    ScopedBlockAllocationLimit limit(3);
    EXPECT_EQ(list.LoadFromFile(dir.File("a.log")), TLogList::LoadOutOfMemory);
  }
  EXPECT_GT(list.Count(), 0);
  EXPECT_LT(list.Count(), 300);
  EXPECT_EQ(list.GetLine(0), "0123456789");
  // The reading of a file tells nothing: its caller ends the load and tells it once.
  EXPECT_TRUE(ui.entries.empty());
  // A line added otherwise tells it, once for the life of the list, even across Clear.
  list.Clear();
  ScopedBlockAllocationLimit none(0);
  EXPECT_FALSE(list.AddLine("x"));
  EXPECT_FALSE(list.AddLine("y"));
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, test::J("ログ読込み中にメモリ不足が発生しました\r"
                                        "ログ読込みを中断します"));
}

// A line of many megabytes (a file without line ends) is stored as lines of at most 4 MB, each
// cut between two characters, and nothing is lost.
TEST_P(LogList, AHugeLineIsStoredInPiecesCutBetweenCharacters) {
  TempDir dir;
  constexpr size_t kLongest = size_t{4} << 20;
  // An odd start puts the 4 MB mark in the middle of a double-byte character.
  std::string huge = "x";
  while (huge.size() < 2 * kLongest + 1000)
    huge += "\x82\xa0";
  WriteBytes(dir.File("h.log"), "ab\r\n" + huge + "\r\ncd\r\n");
  // Without any line end, the last line of the file; a zero byte is a character like any other.
  const std::string zeros(2 * kLongest + 17, '\0');
  WriteBytes(dir.File("z.log"), zeros);
  for (const int32_t blockSize : {65536, 524288}) {
    TLogList list(blockSize, 1024);
    ASSERT_EQ(list.LoadFromFile(dir.File("h.log")), TLogList::LoadOk);
    ASSERT_EQ(list.Count(), 5) << blockSize;
    EXPECT_EQ(list.GetLine(0), "ab");
    EXPECT_EQ(list.GetLine(4), "cd");
    std::string joined;
    for (int32_t i = 1; i <= 3; ++i) {
      const std::string piece = list.GetLine(i);
      EXPECT_LE(piece.size(), kLongest);
      if (i > 1) {
        EXPECT_EQ(piece.substr(0, 2), "\x82\xa0") << "piece " << i;
      }
      joined += piece;
    }
    EXPECT_TRUE(joined == huge);

    ASSERT_EQ(list.LoadFromFile(dir.File("z.log")), TLogList::LoadOk);
    ASSERT_EQ(list.Count(), 8);
    EXPECT_EQ(list.LineView(5).size() + list.LineView(6).size() + list.LineView(7).size(),
              zeros.size());
    EXPECT_TRUE(list.LineView(7) == std::string_view(zeros).substr(0, 17));
  }
}

// The stored span of lines first .. last, when there is one, is exactly their bytes one after
// another, each closed by its zero byte (and the LF kept after a CR LF), or in a mapped file by
// its line end: nothing of another line, and no line of another list's block taken for a
// neighbour.
void ExpectSpanHoldsExactlyTheLines(const TLogList& list, int32_t first, int32_t last) {
  bool lineEnds = false;
  const std::string_view span = list.StoredSpan(first, last, &lineEnds);
  if (span.empty()) return;
  size_t at = 0;
  for (int32_t i = first; i <= last; ++i) {
    const std::string_view line = list.LineView(i);
    ASSERT_EQ(span.data() + at, line.data()) << "line " << i << " of " << first << ".." << last;
    at += line.size();
    if (lineEnds) {
      ASSERT_TRUE(at == span.size() || span[at] == '\r' || span[at] == '\n') << "line " << i;
      if (at < span.size() && span[at] == '\r') ++at;
    } else {
      ASSERT_LT(at, span.size());
      ASSERT_EQ(span[at], '\0');
      ++at;
    }
    if (at < span.size() && span[at] == '\n') ++at;
  }
  EXPECT_EQ(at, span.size()) << first << ".." << last;
}

void ExpectLines(const TLogList& list, const std::vector<std::string>& expected,
                 const std::string& what) {
  ASSERT_EQ(list.Count(), int32_t(expected.size())) << what;
  TLogList::Reader reader(list);
  for (int32_t i = 0; i < list.Count(); ++i) {
    ASSERT_EQ(list.LineView(i), expected[size_t(i)]) << what << " line " << i;
    ASSERT_EQ(reader.Line(i), expected[size_t(i)]) << what << " line " << i;
  }
}

// Lists filled as a worker fills them (a file read, lines added, long lines among them) and
// taken over one after another: every line reads back as it was, the stored spans hold only
// their own lines, and the list goes on taking lines, files and further lists afterwards.
TEST_P(LogListSplice, TakenOverListsReadBackAsIfTheirLinesHadBeenAddedHere) {
  std::mt19937 rng(23);
  TempDir dir;
  int files = 0;
  for (int round = 0; round < 80; ++round) {
    const int32_t blockSize = int32_t(4 + rng() % 60);
    const std::string what = "round " + std::to_string(round);
    TLogList list(blockSize, int32_t(1 + rng() % 64));
    std::vector<std::string> expected;
    auto fill = [&](TLogList& into, std::vector<std::string>& lines) {
      const int pieces = int(rng() % 6);
      for (int p = 0; p < pieces; ++p) {
        if (rng() % 3 == 0) {
          // A file: short lines, lines around the block size, CR LF and LF ends.
          std::string bytes;
          const int n = int(rng() % (rng() % 4 == 0 ? 3000 : 30));
          for (int i = 0; i < n; ++i) {
            bytes += std::string(rng() % 5 == 0 ? size_t(blockSize) + rng() % 9 : rng() % 12,
                                 char('a' + rng() % 26));
            bytes += rng() % 2 ? "\r\n" : "\n";
          }
          const std::string path = dir.File("s" + std::to_string(files++) + ".log");
          WriteBytes(path, bytes);
          std::vector<std::string> read;
          ASSERT_TRUE(ReadClassicTextFile(path, read));
          ASSERT_EQ(into.LoadFromFile(path, nullptr, false), TLogList::LoadOk);
          lines.insert(lines.end(), read.begin(), read.end());
        } else {
          const int n = int(rng() % 20);
          for (int i = 0; i < n; ++i) {
            const std::string line(rng() % 4 == 0 ? size_t(blockSize) + rng() % 20 : rng() % 10,
                                   char('A' + rng() % 26));
            ASSERT_TRUE(into.AddLine(line));
            lines.push_back(line);
          }
        }
      }
    };
    std::vector<TLogList::Mark> marks;
    std::vector<std::vector<std::string>> marked;
    fill(list, expected);
    const int lists = 1 + int(rng() % 5);
    for (int k = 0; k < lists; ++k) {
      if (rng() % 3 == 0) {
        marks.push_back(list.End());
        marked.push_back(expected);
      }
      TLogList other(blockSize, int32_t(1 + rng() % 64));
      std::vector<std::string> otherLines;
      fill(other, otherLines);
      ASSERT_TRUE(list.Splice(other)) << what;
      EXPECT_EQ(other.Count(), 0);
      EXPECT_EQ(other.BlockCount(), 0);
      expected.insert(expected.end(), otherLines.begin(), otherLines.end());
      // The list it gave its lines to never reads them through it: it may go on.
      ASSERT_TRUE(other.AddLine("reused"));
      fill(list, expected);
      ExpectLines(list, expected, what);
    }
    for (int run = 0; run < 200 && list.Count() > 0; ++run) {
      const int32_t first = int32_t(rng() % uint32_t(list.Count()));
      const int32_t last = std::min(list.Count() - 1, first + int32_t(rng() % 6));
      ExpectSpanHoldsExactlyTheLines(list, first, last);
    }
    // Cut back past the lists taken over: the lines before the mark stay, and the list goes on.
    if (!marks.empty()) {
      const size_t m = rng() % marks.size();
      list.TruncateTo(marks[m]);
      expected = marked[m];
      ExpectLines(list, expected, what + " cut back");
      TLogList other(blockSize, 8);
      std::vector<std::string> otherLines;
      fill(other, otherLines);
      ASSERT_TRUE(list.Splice(other));
      expected.insert(expected.end(), otherLines.begin(), otherLines.end());
      ASSERT_TRUE(list.AddLine("end"));
      expected.push_back("end");
      ExpectLines(list, expected, what + " after the cut");
      for (int32_t first = 0; first < list.Count(); ++first)
        ExpectSpanHoldsExactlyTheLines(list, first, std::min(list.Count() - 1, first + 3));
    }
  }
}

TEST_P(LogListSplice, EmptyListsOnEitherSideAndWhatCannotBeTakenOver) {
  TLogList empty(64, 4);
  TLogList lines(64, 4);
  ASSERT_TRUE(lines.AddLine("one"));
  ASSERT_TRUE(lines.AddLine(std::string(100, 'L')));
  ASSERT_TRUE(lines.AddLine("three"));
  // Nothing taken into an empty list: it holds the lines as the other did.
  ASSERT_TRUE(empty.Splice(lines));
  ExpectLines(empty, {"one", std::string(100, 'L'), "three"}, "into an empty list");
  // An empty list taken over changes nothing, and the list fills its block on.
  TLogList none(64, 4);
  const TLogList::Mark before = empty.End();
  ASSERT_TRUE(empty.Splice(none));
  EXPECT_EQ(empty.End().fills, before.fills);
  ASSERT_TRUE(empty.AddLine("four"));
  EXPECT_EQ(empty.BlockCount(), 2);
  ExpectSpanHoldsExactlyTheLines(empty, 2, 3);
  EXPECT_FALSE(empty.StoredSpan(2, 3).empty());

  // Another block size, or the list itself: refused, both as they were.
  TLogList wider(128, 4);
  ASSERT_TRUE(wider.AddLine("wide"));
  EXPECT_FALSE(empty.Splice(wider));
  EXPECT_FALSE(empty.Splice(empty));
  ExpectLines(wider, {"wide"}, "refused");
  ExpectLines(empty, {"one", std::string(100, 'L'), "three", "four"}, "refused");

  // No memory for the index entries: refused, both as they were.
  TLogList many(64, 4);
  std::vector<std::string> manyLines;
  for (int i = 0; i < 200; ++i) {
    manyLines.push_back("m" + std::to_string(i));
    ASSERT_TRUE(many.AddLine(manyLines.back()));
  }
  {
    ScopedBlockAllocationLimit limit(2);
    EXPECT_FALSE(empty.Splice(many));
  }
  ExpectLines(many, manyLines, "no memory");
  ExpectLines(empty, {"one", std::string(100, 'L'), "three", "four"}, "no memory");
  ASSERT_TRUE(empty.Splice(many));
  std::vector<std::string> all{"one", std::string(100, 'L'), "three", "four"};
  all.insert(all.end(), manyLines.begin(), manyLines.end());
  ExpectLines(empty, all, "taken at last");
}

// A log that changes on disk while its lines are held: today's capture written on by the
// terminal program, a file shortened, written anew in place, or replaced under its name. The
// lines held never crash the program (a look past a shortened end reads zero bytes) and every
// change is told for what it is.
TEST(LogListMapped, ALogChangedOnDiskIsToldForWhatItIsAndNeverCrashesAReader) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 20000; ++i)
    bytes += "line " + std::to_string(i) + "\r\n";
  const std::string path = dir.File("today.log");
  auto load = [&](TLogList& list) {
    ASSERT_EQ(list.LoadFromFile(path), TLogList::LoadOk);
    ASSERT_EQ(list.MappedFileCount(), 1);
  };
  auto state = [](const TLogList& list) {
    const std::vector<TLogList::FileChange> changes = list.ChangedFiles();
    return changes.empty() ? MappedFileState::Unchanged : changes[0].state;
  };

  // Written on: the lines held stay as they were; the next load takes the new ones.
  WriteBytes(path, bytes);
  {
    TLogList list(524288, 1024);
    load(list);
    EXPECT_EQ(state(list), MappedFileState::Unchanged);
    {
      std::ofstream out(path, std::ios::binary | std::ios::app);
      out << "appended\r\n";
    }
    EXPECT_EQ(state(list), MappedFileState::Appended);
    ASSERT_EQ(list.Count(), 20000);
    EXPECT_EQ(list.GetLine(19999), "line 19999");
    TLogList again(524288, 1024);
    load(again);
    EXPECT_EQ(again.Count(), 20001);
    EXPECT_EQ(again.GetLine(20000), "appended");
  }
  // Shortened to a few lines: reading every line held, the lost ones too, does not crash.
  WriteBytes(path, bytes);
  {
    TLogList list(524288, 1024);
    load(list);
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    EXPECT_EQ(state(list), MappedFileState::Shortened);
    EXPECT_EQ(list.GetLine(0), "line 0");
    size_t seen = 0;
    TLogList::Reader reader(list, true);
    for (int32_t i = 0; i < list.Count(); ++i)
      seen += reader.Line(i).size();
    EXPECT_GT(seen, 0u);
    EXPECT_EQ(list.GetLine(19999).find_first_not_of('\0'), std::string::npos);
    list.ReleasePages();
    // Written on again past the old end: the zero bytes in place of the lost end tell it.
    WriteBytes(path, bytes + "more\r\n");
    EXPECT_EQ(state(list), MappedFileState::Replaced);
  }
  // Written anew in place, to the same size: not taken for an unchanged file.
  WriteBytes(path, bytes);
  {
    TLogList list(524288, 1024);
    load(list);
    std::string changed = bytes;
    changed[10] = 'X';
    timespec later[2] = {{0, UTIME_OMIT}, {0, 0}};
    WriteBytes(path, changed);
    ::clock_gettime(CLOCK_REALTIME, &later[1]);
    later[1].tv_sec += 5;  // a file system may keep times coarser than the test's pace
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(state(list), MappedFileState::Replaced);
  }
  // Replaced under its name (saved by an editor that writes a new file) or removed: the lines
  // held are still those of the file that was read.
  WriteBytes(path, bytes);
  for (const bool removed : {false, true}) {
    TLogList list(524288, 1024);
    load(list);
    if (removed) {
      ASSERT_EQ(::unlink(path.c_str()), 0);
    } else {
      WriteBytes(path + ".new", "other\r\n");
      ASSERT_EQ(::rename((path + ".new").c_str(), path.c_str()), 0);
    }
    EXPECT_EQ(state(list), MappedFileState::Replaced) << removed;
    EXPECT_EQ(list.GetLine(19999), "line 19999");
    WriteBytes(path, bytes);
  }
}

// Two lists reading the same file, lists cut back and cleared: every mapping is given back once,
// and a guard for one file does not outlive it.
TEST(LogListMapped, MappingsEndWithTheirLines) {
  TempDir dir;
  WriteBytes(dir.File("a.log"), "a1\r\na2\r\n");
  WriteBytes(dir.File("b.log"), "b1\nb2");
  TLogList list(64, 4);
  ASSERT_EQ(list.LoadFromFile(dir.File("a.log")), TLogList::LoadOk);
  const TLogList::Mark mark = list.End();
  ASSERT_EQ(list.LoadFromFile(dir.File("b.log")), TLogList::LoadOk);
  ASSERT_TRUE(list.AddLine("end"));
  EXPECT_EQ(list.MappedFileCount(), 2);
  EXPECT_EQ(Lines(list), (L{"a1", "a2", "b1", "b2", "end"}));
  list.TruncateTo(mark);
  EXPECT_EQ(list.MappedFileCount(), 1);
  ASSERT_TRUE(list.AddLine("after"));
  EXPECT_EQ(Lines(list), (L{"a1", "a2", "after"}));
  TLogList other(64, 4);
  ASSERT_EQ(other.LoadFromFile(dir.File("b.log")), TLogList::LoadOk);
  ASSERT_TRUE(list.Splice(other));
  EXPECT_EQ(list.MappedFileCount(), 2);
  EXPECT_EQ(other.MappedFileCount(), 0);
  EXPECT_EQ(Lines(list), (L{"a1", "a2", "after", "b1", "b2"}));
  list.Clear();
  EXPECT_EQ(list.MappedFileCount(), 0);
  // Removed and shortened after the lists let go of them: nothing is told, nothing read.
  ASSERT_EQ(::truncate(dir.File("a.log").c_str(), 0), 0);
  EXPECT_TRUE(list.ChangedFiles().empty());
}

// A file loaded from the index kept of it (where its lines start) has the lines, spans and
// parts of the file read: every line end, a Ctrl-Z, zero bytes, lines cut into pieces, a file
// past the size of a mapped part, lines before and after it.
TEST(LogListMapped, AFileLoadedFromItsIndexHasTheLinesOfReadingIt) {
  TempDir dir;
  std::mt19937 rng(32);
  std::vector<std::string> files;
  for (int round = 0; round < 200; ++round) {
    std::string bytes;
    const int pieces = int(rng() % 40);
    for (int i = 0; i < pieces; ++i) {
      const char* const ends[] = {"\r\n", "\r", "\n", "\x1A", "\0"};
      const uint32_t pick = rng() % 8;
      bytes += pick < 5 ? std::string(ends[pick], pick == 4 ? 1 : std::strlen(ends[pick]))
                        : std::string(rng() % (pick == 5 ? 300 : 12), char('a' + rng() % 26));
    }
    if (bytes.empty()) continue;  // an empty file is not mapped
    files.push_back(dir.File("r" + std::to_string(round) + ".log"));
    WriteBytes(files.back(), bytes);
  }
  std::string huge = "x";
  while (huge.size() < (size_t{9} << 20))
    huge += "\x82\xa0";
  files.push_back(dir.File("huge.log"));
  WriteBytes(files.back(), "ab\r\n" + huge + "\r\ncd");
  // Past one part of 64 MB, then a line cut into pieces.
  std::string big;
  for (int i = 0; big.size() < (size_t{65} << 20); ++i)
    big += "line " + std::to_string(i) + std::string(40, '.') + (i % 3 ? "\r\n" : "\n");
  files.push_back(dir.File("big.log"));
  WriteBytes(files.back(), big + huge + "\r\n" + big.substr(0, 1 << 20));
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    const bool before = rng() % 2;
    TLogList read(4096, 64), indexed(4096, 64);
    if (before) {
      ASSERT_TRUE(read.AddLine("before") && indexed.AddLine("before"));
    }
    const TLogList::Mark mark = read.End();
    ASSERT_EQ(read.LoadFromFile(path), TLogList::LoadOk);
    std::string index;
    ASSERT_TRUE(read.MappedFileIndex(mark, index));
    ASSERT_EQ(indexed.LoadIndexedFile(path, index), TLogList::LoadOk);
    ASSERT_TRUE(read.AddLine("after") && indexed.AddLine("after"));
    ASSERT_EQ(indexed.Count(), read.Count());
    ASSERT_EQ(indexed.BlockCount(), read.BlockCount());
    for (int32_t i = 0; i < read.Count(); ++i) {
      ASSERT_EQ(indexed.LineView(i), read.LineView(i)) << "line " << i;
      if (rng() % 8) continue;
      bool readEnds = false, indexedEnds = false;
      const int32_t last = std::min(read.Count() - 1, i + int32_t(rng() % 3));
      ASSERT_EQ(indexed.StoredSpan(i, last, &indexedEnds), read.StoredSpan(i, last, &readEnds));
      ASSERT_EQ(indexedEnds, readEnds);
    }
  }
}

// An index that does not fit the file (cut short, run on, a line past the file's end or longer
// than a line is kept, another file's for a shorter file) loads nothing, and the list goes on
// as before; lines read into memory have no index to keep.
TEST(LogListMapped, AnIndexThatDoesNotFitTheFileLoadsNothing) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 3000; ++i)
    bytes += "line " + std::to_string(i) + "\r\n";
  const std::string path = dir.File("a.log"), shorter = dir.File("b.log");
  WriteBytes(path, bytes);
  WriteBytes(shorter, bytes.substr(0, bytes.size() / 2));
  TLogList read(4096, 64);
  ASSERT_EQ(read.LoadFromFile(path), TLogList::LoadOk);
  std::string index;
  ASSERT_TRUE(read.MappedFileIndex(TLogList::Mark(), index));
  EXPECT_FALSE(read.MappedFileIndex(read.End(), index));  // no file after that mark
  ASSERT_TRUE(read.MappedFileIndex(TLogList::Mark(), index));
  std::string longLine = index;
  longLine[longLine.size() - 1] = '\x80';
  longLine += std::string("\x80\x80\x80\x01", 4);
  const std::vector<std::string> misfits = {index.substr(0, index.size() - 1), index + '\x05',
                                            std::string(), "\xff\xff", longLine};
  TLogList list(4096, 64);
  ASSERT_TRUE(list.AddLine("kept"));
  for (const std::string& misfit : misfits)
    EXPECT_EQ(list.LoadIndexedFile(path, misfit), TLogList::LoadReadFailed);
  EXPECT_EQ(list.LoadIndexedFile(shorter, index), TLogList::LoadReadFailed);
  EXPECT_EQ(list.MappedFileCount(), 0);
  ASSERT_TRUE(list.AddLine("next"));
  ASSERT_EQ(list.LoadIndexedFile(path, index), TLogList::LoadOk);
  EXPECT_EQ(list.Count(), 3002);
  EXPECT_EQ(Lines(list)[1], "next");
  EXPECT_EQ(list.GetLine(3001), "line 2999");

  TLogList::SetMapFiles(false);
  TLogList inMemory(4096, 64);
  EXPECT_EQ(inMemory.LoadIndexedFile(path, index), TLogList::LoadReadFailed);
  ASSERT_EQ(inMemory.LoadFromFile(path), TLogList::LoadOk);
  EXPECT_FALSE(inMemory.MappedFileIndex(TLogList::Mark(), index));
  TLogList::SetMapFiles(true);
}

INSTANTIATE_TEST_SUITE_P(Files, LogList, ::testing::Bool(), ModeName);
INSTANTIATE_TEST_SUITE_P(Files, LogListSplice, ::testing::Bool(), ModeName);

}  // namespace
}  // namespace vorn
