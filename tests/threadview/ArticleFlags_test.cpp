// Flags across runs on both samples, flags of articles not loaded, mails of one minute, and
// damaged or unreadable flag files.
#include "threadview/ArticleFlags.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "store/ArticleList.h"
#include "support/SampleSession.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::WriteBytes;

constexpr int32_t N = ArticleSortNormal;
constexpr int32_t T = ArticleSortTree;

class FlagFileTest : public ::testing::TestWithParam<const char*> {
 protected:
  // A loaded sample whose flags know its mail box.
  std::unique_ptr<test::SampleSession> Loaded(TArticleFlags& flags) {
    auto sample = std::make_unique<test::SampleSession>();
    EXPECT_TRUE(sample->Load(GetParam()));
    flags.SetMailBox(sample->Process().MailBoardNo, sample->Process().MailBoardIndex);
    return sample;
  }
  test::TempDir dir;
};

TEST_P(FlagFileTest, FlagsComeBackOnTheSameArticlesInTheNextRun) {
  const std::string path = dir.File("set.flg");
  TArticleFlags flags;
  {
    auto sample = Loaded(flags);
    TBoardList& boards = sample->Process().Boards;
    // The second mail, and the last article of every other board, as tree order shows them.
    ASSERT_TRUE(flags.SetFlag(*boards.GetArticles(0), N, 1, true));
    for (int32_t b = 1; b < boards.Count(); ++b) {
      const TArticleList& board = *boards.GetArticles(b);
      ASSERT_TRUE(flags.SetFlag(board, T, board.OrderCount(T) - 1, true));
    }
    // Placeholders and positions outside the order cannot be flagged.
    const TArticleList& board1 = *boards.GetArticles(1);
    for (int32_t p = 0; p < board1.OrderCount(T); ++p) {
      if (board1.GetKind(T, p) == ArticleKindMissingRoot) {
        EXPECT_FALSE(flags.SetFlag(board1, T, p, true));
      }
    }
    EXPECT_FALSE(flags.SetFlag(board1, T, 99, true));
    ASSERT_TRUE(flags.SaveToFile(path));
  }
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.substr(0, FlagFileHeader.size() + 2), std::string(FlagFileHeader) + "\r\n");

  TArticleFlags again;
  auto sample = Loaded(again);
  const ListFileReport report = again.LoadFromFile(path);
  EXPECT_EQ(report.State, ListFileState::Read);
  EXPECT_EQ(report.SkippedLines, 0);
  TBoardList& boards = sample->Process().Boards;
  EXPECT_EQ(again.Count(), boards.Count());
  for (int32_t b = 0; b < boards.Count(); ++b) {
    const TArticleList& board = *boards.GetArticles(b);
    const int32_t flagged = b == 0 ? 1 : board.OrderCount(T) - 1;
    const int32_t order = b == 0 ? N : T;
    for (int32_t p = 0; p < board.OrderCount(order); ++p)
      EXPECT_EQ(again.IsFlagged(board, order, p), p == flagged) << "board " << b << " at " << p;
  }
  // Unflagging everything removes the file.
  for (int32_t b = 0; b < boards.Count(); ++b) {
    const TArticleList& board = *boards.GetArticles(b);
    for (int32_t p = 0; p < board.OrderCount(T); ++p)
      again.SetFlag(board, T, p, false);
  }
  EXPECT_EQ(again.Count(), 0);
  ASSERT_TRUE(again.SaveToFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_P(FlagFileTest, FlagsOfArticlesNotLoadedAndBoardsNotKnownAreKept) {
  const std::string path = dir.File("set.flg");
  TArticleFlags flags;
  auto sample = Loaded(flags);
  const TArticleList& board = *sample->Process().Boards.GetArticles(1);
  const std::string own = BoardLineText(board);
  WriteBytes(path, std::string(FlagFileHeader) + "\r\n\\" + own + "\r\n7/1000\r\n\\77\r\n5/6\r\n");
  ASSERT_EQ(flags.LoadFromFile(path).SkippedLines, 0);
  ASSERT_TRUE(flags.SetFlag(board, N, 0, true));
  ASSERT_TRUE(flags.SaveToFile(path));
  const std::string text = ReadBytes(path);
  EXPECT_NE(text.find("\r\n7/1000\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n\\77\r\n5/6\r\n"), std::string::npos) << text;
  EXPECT_EQ(flags.Count(), 3);
}

TEST_P(FlagFileTest, ADamagedFileLoadsWithoutErrorAndKeepsEveryGoodLine) {
  const std::string path = dir.File("set.flg");
  TArticleFlags flags;
  auto sample = Loaded(flags);
  TArticleFlags source;
  source.SetMailBox(sample->Process().MailBoardNo, sample->Process().MailBoardIndex);
  TBoardList& boards = sample->Process().Boards;
  ASSERT_TRUE(source.SetFlag(*boards.GetArticles(0), N, 0, true));
  ASSERT_TRUE(source.SetFlag(*boards.GetArticles(1), N, 0, true));
  ASSERT_TRUE(source.SetFlag(*boards.GetArticles(2), N, 1, true));
  ASSERT_TRUE(source.SaveToFile(path));
  // Damage it: a broken header, a line before any board, half lines, a mail line cut inside
  // its quotes, bytes of another file, a negative key, a lone backslash.
  std::string text = ReadBytes(path);
  text.replace(0, 12, "VornExpl\x1F");
  text.insert(text.find("\r\n") + 2, "3/4\r\n");
  size_t second = text.find("\r\n\\", text.find("\r\n\\") + 1);
  text.insert(second + 2, "12/\r\n/34\r\n-5/3\r\n0,\"10\r\n\x89\xFF\x01junk\r\n\\\r\n");
  WriteBytes(path, text);

  const ListFileReport report = flags.LoadFromFile(path);
  EXPECT_EQ(report.State, ListFileState::Read);
  EXPECT_EQ(report.SkippedLines, 8);
  EXPECT_EQ(flags.Count(), 3);
  EXPECT_TRUE(flags.IsFlagged(*boards.GetArticles(0), N, 0));
  EXPECT_TRUE(flags.IsFlagged(*boards.GetArticles(1), N, 0));
  EXPECT_TRUE(flags.IsFlagged(*boards.GetArticles(2), N, 1));
  // Saving writes the good lines back whole.
  ASSERT_TRUE(flags.SaveToFile(path));
  TArticleFlags clean;
  EXPECT_EQ(clean.LoadFromFile(path).SkippedLines, 0);
  EXPECT_EQ(clean.Count(), 3);
}

TEST_P(FlagFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
  // A folder where the file should be: there, but nothing can be read from it.
  const std::string path = dir.File("set.flg");
  std::filesystem::create_directory(path);
  TArticleFlags flags;
  auto sample = Loaded(flags);
  EXPECT_EQ(flags.LoadFromFile(path).State, ListFileState::Unreadable);
  ASSERT_TRUE(flags.SetFlag(*sample->Process().Boards.GetArticles(1), N, 0, true));
  EXPECT_FALSE(flags.SaveToFile(path));
  EXPECT_TRUE(std::filesystem::is_directory(path));
  // Another path may be written.
  EXPECT_TRUE(flags.SaveToFile(dir.File("other.flg")));
}

INSTANTIATE_TEST_SUITE_P(Samples, FlagFileTest,
                         ::testing::Values("NET19990730.LOG", "NIF19990730.LOG"));

// Mails are numbered afresh in every run: two mails of one minute are told apart by writer
// and title, and a title cut inside a double-byte character still finds its mail.
TEST(MailFlags, MailsOfOneMinuteAreToldApartByWriterAndTitle) {
  test::TempDir dir;
  const std::string cut = std::string(126, 'x') + J("あ");  // 128 bytes: stored cut after 0x82
  auto makeBox = [&](TArticleList& box) {
    box.BoardNo = 0;
    ASSERT_TRUE(
        box.AddArticle(ArticleKindMail, 0, 1, 1, 5000, -1, -1, 1024, -1, "", "", "same", "", 0, 1));
    ASSERT_TRUE(
        box.AddArticle(ArticleKindMail, 0, 2, 2, 5000, -1, -1, 2048, -1, "", "", "same", "", 0, 1));
    ASSERT_TRUE(
        box.AddArticle(ArticleKindMail, 0, 3, 3, 5000, -1, -1, 2048, -1, "", "", cut, "", 0, 1));
    ASSERT_TRUE(box.SortArticles());
  };
  TArticleList box;
  makeBox(box);
  TArticleFlags flags;
  flags.SetMailBox(0, "");
  ASSERT_TRUE(flags.SetFlag(box, N, 1, true));
  ASSERT_TRUE(flags.SetFlag(box, N, 2, true));
  ASSERT_TRUE(flags.SaveToFile(dir.File("m.flg")));

  // The next run numbers the mails in another order.
  TArticleList next;
  next.BoardNo = 0;
  ASSERT_TRUE(
      next.AddArticle(ArticleKindMail, 0, 1, 1, 5000, -1, -1, 2048, -1, "", "", cut, "", 0, 1));
  ASSERT_TRUE(
      next.AddArticle(ArticleKindMail, 0, 2, 2, 5000, -1, -1, 2048, -1, "", "", "same", "", 0, 1));
  ASSERT_TRUE(
      next.AddArticle(ArticleKindMail, 0, 3, 3, 5000, -1, -1, 1024, -1, "", "", "same", "", 0, 1));
  ASSERT_TRUE(next.SortArticles());
  TArticleFlags again;
  again.SetMailBox(0, "");
  ASSERT_EQ(again.LoadFromFile(dir.File("m.flg")).SkippedLines, 0);
  EXPECT_TRUE(again.IsFlagged(next, N, 0));
  EXPECT_TRUE(again.IsFlagged(next, N, 1));
  EXPECT_FALSE(again.IsFlagged(next, N, 2));
}

}  // namespace
}  // namespace vorn
