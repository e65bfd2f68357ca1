// Watched and ignored writers: one list at a time, IDs as each host writes them, the file
// across runs, damaged lines, and the marks of the sample articles.
#include "threadview/WriterLists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store/ArticleList.h"
#include "support/SampleSession.h"
#include "threadview/SetListFiles.h"

namespace vorn {
namespace {

using test::ReadBytes;
using test::WriteBytes;

constexpr int32_t N = ArticleSortNormal;

TEST(WriterLists, AWriterIsOnOneListAtMostAndNumbersAreKeptPlain) {
  TWriterLists lists;
  EXPECT_TRUE(lists.Mark("0012", WriterMark::Watched));
  EXPECT_TRUE(lists.Mark("7", WriterMark::Ignored));
  EXPECT_EQ(lists.Watched(), (std::vector<std::string>{"12"}));
  EXPECT_EQ(lists.MarkOf("12"), WriterMark::Watched);
  EXPECT_TRUE(lists.Mark("12", WriterMark::Ignored));
  EXPECT_TRUE(lists.Watched().empty());
  EXPECT_EQ(lists.Ignored(), (std::vector<std::string>{"7", "12"}));
  EXPECT_TRUE(lists.Mark("7", WriterMark::None));
  EXPECT_EQ(lists.Ignored(), (std::vector<std::string>{"12"}));
  // A host with numeric IDs has no other IDs.
  EXPECT_FALSE(lists.Mark("ABC01234", WriterMark::Watched));
  EXPECT_FALSE(lists.Mark("-3", WriterMark::Watched));
  EXPECT_FALSE(lists.Mark("", WriterMark::Watched));

  TWriterLists text;
  text.SetTextIds(true);
  EXPECT_TRUE(text.Mark(" ABC01234 ", WriterMark::Watched));
  EXPECT_EQ(text.MarkOf("ABC01234"), WriterMark::Watched);
  EXPECT_EQ(text.MarkOf("abc01234"), WriterMark::None);
}

class WriterFileTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample.Load(GetParam()));
    net = std::string(GetParam()).starts_with("NET");
    lists.SetTextIds(sample.Process().Members.TextIds != 0);
  }
  // The marks of a board's articles in posting order.
  std::vector<WriterMark> Marks(const TWriterLists& l, int32_t b) {
    const TArticleList& board = *sample.Process().Boards.GetArticles(b);
    std::vector<WriterMark> marks;
    for (int32_t p = 0; p < board.OrderCount(N); ++p)
      marks.push_back(l.MarkAt(board, N, p));
    return marks;
  }

  test::SampleSession sample;
  TWriterLists lists;
  bool net = true;
};

constexpr WriterMark W = WriterMark::Watched;
constexpr WriterMark I = WriterMark::Ignored;
constexpr WriterMark O = WriterMark::None;

TEST_P(WriterFileTest, MarksFollowTheWritersAcrossRuns) {
  const std::string path = sample.dir.File("set.wrl");
  // NetVorn: 1024 たろう watched, 2048 はなこ ignored; Nifty: ABC01234 たろう, DEF54321 はなこ.
  ASSERT_TRUE(lists.Mark(net ? "1024" : "ABC01234", WriterMark::Watched));
  ASSERT_TRUE(lists.Mark(net ? "2048" : "DEF54321", WriterMark::Ignored));
  const std::vector<WriterMark> board1 =
      net ? std::vector<WriterMark>{W, I, W, O} : std::vector<WriterMark>{I, W, I, O};
  EXPECT_EQ(Marks(lists, 1), board1);
  ASSERT_TRUE(lists.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), std::string(WriterListFileHeader) +
                                 (net ? "\r\nWatch,\"1024\"\r\nIgnore,\"2048\"\r\n"
                                      : "\r\nWatch,\"ABC01234\"\r\nIgnore,\"DEF54321\"\r\n"));

  TWriterLists again;
  again.SetTextIds(lists.TextIds());
  const ListFileReport report = again.LoadFromFile(path);
  EXPECT_EQ(report.State, ListFileState::Read);
  EXPECT_EQ(Marks(again, 1), board1);
  // Taking every writer off removes the file.
  again.Mark(net ? "1024" : "ABC01234", WriterMark::None);
  again.Mark(net ? "2048" : "DEF54321", WriterMark::None);
  ASSERT_TRUE(again.SaveToFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_P(WriterFileTest, ADamagedFileLoadsWithoutErrorAndKeepsEveryGoodLine) {
  const std::string path = sample.dir.File("set.wrl");
  const std::string a = net ? "1024" : "ABC01234";
  const std::string b = net ? "2048" : "DEF54321";
  WriteBytes(path, "VornExplorer WriterListFile Ver.0.0\r\nWatch,\"" + a +
                       "\"\r\nWatch\r\nMaybe,\"77\"\r\nIgnore,\"\r\n\x82\r\nIgnore,\"" + b +
                       "\",\"extra\"\r\nWatch,\"" + b + "\"\r\n");
  const ListFileReport report = lists.LoadFromFile(path);
  EXPECT_EQ(report.State, ListFileState::Read);
  // The header, "Watch", "Maybe", the empty ID and the lone byte.
  EXPECT_EQ(report.SkippedLines, 5);
  EXPECT_EQ(lists.Watched(), (std::vector<std::string>{a}));
  // The first line of a writer given twice wins.
  EXPECT_EQ(lists.Ignored(), (std::vector<std::string>{b}));
  ASSERT_TRUE(lists.SaveToFile(path));
  TWriterLists clean;
  clean.SetTextIds(lists.TextIds());
  EXPECT_EQ(clean.LoadFromFile(path).SkippedLines, 0);
  EXPECT_EQ(clean.Watched(), lists.Watched());
  EXPECT_EQ(clean.Ignored(), lists.Ignored());
}

INSTANTIATE_TEST_SUITE_P(Samples, WriterFileTest,
                         ::testing::Values("NET19990730.LOG", "NIF19990730.LOG"));

TEST(SetListFiles, TheListsLieBesideTheReadPointersWithTheirOwnExtension) {
  EXPECT_EQ(SetListFilePath("/s/NET.PTR", "NET", "/s/", FlagFileExtension), "/s/NET.FLG");
  EXPECT_EQ(SetListFilePath("/s/NET.rp", "NET", "/s/", WriterListFileExtension), "/s/NET.wrl");
  EXPECT_EQ(SetListFilePath("/s/pointers", "NET", "/s/", FlagFileExtension), "/s/pointers.flg");
  EXPECT_EQ(SetListFilePath("/s/NET.flg", "NET", "/s/", FlagFileExtension), "/s/NET.flg.flg");
  EXPECT_EQ(SetListFilePath("", "NIF", "/cfg", FlagFileExtension), "/cfg/NIF.FLG");
}

}  // namespace
}  // namespace vorn
