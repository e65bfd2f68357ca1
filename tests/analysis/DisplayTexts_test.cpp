#include "analysis/DisplayTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/LogList.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MailSendList.h"
#include "store/MemberList.h"
#include "support/LoaderTestSupport.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

std::string NumberText(const ArticleRecord& entry) {
  std::string text;
  AppendNumberText(entry, text);
  return text;
}

ArticleRecord Entry(uint8_t kind, int32_t number) {
  ArticleRecord r{};
  r.Used = 1;
  r.Kind = kind;
  r.Number = number;
  r.FirstLine = -1;
  return r;
}

bool AddLogArticle(TArticleList& list, uint8_t kind, int32_t key, int32_t parentKey, int32_t writer,
                   const char* title = "t", int32_t firstLine = 0) {
  return list.AddArticle(kind, 0, key, key, 1000 + key, parentKey, parentKey, writer, -1, "", "",
                         title, "parent", firstLine, 2);
}

TEST(ArticleNumberText, MarksTellMaintainedNewBinaryAndBatchState) {
  struct Case {
    uint8_t kind, maintained, isNew, batch;
    int32_t number;
    const char* expected;
  } const cases[] = {
      {ArticleKindRoot, 1, 1, 0, 12, "(12)"},
      {ArticleKindRess, 1, 0, 0, 12, "|12|"},
      {ArticleKindRoot, 0, 1, 0, 7, "<7>"},
      {ArticleKindMail, 0, 0, 0, 0, "[0]"},
      {ArticleKindBinaryRoot, 0, 1, 0, 12, "B<12>"},
      {ArticleKindBinaryRess, 0, 0, 1, 3, "S[3]"},
      {ArticleKindBinaryMail, 1, 1, 1, 4, "S(4)"},
      {ArticleKindMissingRoot, 1, 1, 0, 95, "-95-"},
      {ArticleKindRoot, 0, 1, 0, -1, "-不明-"},
      {ArticleKindBinaryRoot, 0, 1, 0, -1, "B-不明-"},
      {ArticleKindMissingRoot, 0, 1, 0, -1, "-不明-"},
  };
  for (const Case& c : cases) {
    ArticleRecord r = Entry(c.kind, c.number);
    r.Maintained = c.maintained;
    r.NewFlag = c.isNew;
    r.BatchFlag = c.batch;
    EXPECT_EQ(NumberText(r), J(c.expected)) << c.expected;
  }
  // Queued writes: "B" marks a binary write not yet set for batch download.
  ArticleRecord write = Entry(ArticleKindRess, -1);
  write.WriteFlag = 1;
  EXPECT_EQ(NumberText(write), J("[書込]"));
  write.Kind = ArticleKindBinaryMail;
  EXPECT_EQ(NumberText(write), J("B[書込]"));
  write.BatchFlag = 1;
  EXPECT_EQ(NumberText(write), J("[書込]"));
}

TEST(ArticleCellTexts, WriterShowsTheIdAndTheTrueHandle) {
  TMemberList members(false);
  bool added = false;
  members.AddMember(1024, J("たろう"), J("タロウ"), "", true, added);
  members.AddMember(7, J("なな"), "", "", true, added);
  members.AddMember(99, J("消えた"), "", "", true, added);
  members.DeleteMember(2);

  TArticleList board;
  AddLogArticle(board, ArticleKindRoot, 1, -1, 1024, "first");
  AddLogArticle(board, ArticleKindRoot, 2, -1, 7);
  AddLogArticle(board, ArticleKindRoot, 3, -1, 99);
  AddLogArticle(board, ArticleKindRoot, 4, -1, -1);
  AddLogArticle(board, ArticleKindRoot, 5, -1, 123456);
  auto to = std::make_unique<TMailSendList>(false);
  to->AddRecipientId(1024);
  board.AddArticle(ArticleKindMail, 1, 0, -1, 0, -1, -1, -1, -1, "", "", "mail", "", -1, 1, nullptr,
                   std::move(to));
  board.AddArticle(ArticleKindMail, 1, 1, -1, 0, -1, -1, -1, -1, "", "", "nobody", "", -1, 1);
  board.AddArticle(ArticleKindRoot, 1, 2, -1, 0, -1, -1, -1, -1, "", "", "root", "", -1, 1);
  ASSERT_TRUE(board.SortArticles());

  TArticleRows rows(board, ArticleSortNormal, members, TreeLineChr2);
  ASSERT_EQ(rows.Count(), 8);
  const ArticleCells first = rows.ArticleCellTexts(0);
  EXPECT_EQ(first.Number, "<1>");
  EXPECT_EQ(first.Writer, J("1024:タロウ"));
  EXPECT_EQ(first.Title, "first");
  EXPECT_EQ(rows.ArticleCellTexts(1).Writer, J("   7:なな"));
  // A deleted member is no longer found: the ID alone.
  EXPECT_EQ(rows.ArticleCellTexts(2).Writer, "  99");
  EXPECT_EQ(rows.ArticleCellTexts(3).Writer, "");
  EXPECT_EQ(rows.ArticleCellTexts(4).Writer, "123456");
  // Queued mail: the first recipient as the log's rows show a writer, or "not set".
  EXPECT_EQ(rows.ArticleCellTexts(5).Writer, J("1024:タロウ"));
  EXPECT_EQ(rows.ArticleCellTexts(5).Number, J("[書込]"));
  EXPECT_EQ(rows.ArticleCellTexts(6).Writer, J("未設定"));
  EXPECT_EQ(rows.ArticleCellTexts(7).Writer, "");
  // Outside the order: three empty cells.
  const ArticleCells none = rows.ArticleCellTexts(8);
  EXPECT_TRUE(none.Number.empty() && none.Writer.empty() && none.Title.empty());
  EXPECT_TRUE(rows.ArticleCellTexts(-1).Title.empty());

  // Members added after the first lookup are found.
  members.AddMember(123456, J("ろく"), "", "", true, added);
  EXPECT_EQ(rows.ArticleCellTexts(4).Writer, J("123456:ろく"));
}

TEST(ArticleCellTexts, TextIdsAreRightAlignedInEightColumns) {
  TMemberList members(true);
  bool added = false;
  members.AddMemberText("ABC01234", J("はなこ"), "", "", true, added);
  TArticleList board;
  board.AddArticle(ArticleKindRoot, 0, 1, 1, 10, -1, -1, 0, -1, "ABC01234", "", "a", "", 0, 2);
  board.AddArticle(ArticleKindRoot, 0, 2, 2, 11, -1, -1, 0, -1, "XY1", "", "b", "", 0, 2);
  board.AddArticle(ArticleKindRoot, 0, 3, 3, 12, -1, -1, 0, -1, "", "", "c", "", 0, 2);
  auto to = std::make_unique<TMailSendList>(true);
  to->AddRecipientText("ABC01234");
  board.AddArticle(ArticleKindBinaryMail, 1, 0, -1, 0, -1, -1, -1, -1, "", "", "m", "", -1, 1,
                   nullptr, std::move(to));
  ASSERT_TRUE(board.SortArticles());
  TArticleRows rows(board, ArticleSortTree, members, TreeLineChr2);
  EXPECT_EQ(rows.ArticleCellTexts(0).Writer, J("ABC01234:はなこ"));
  EXPECT_EQ(rows.ArticleCellTexts(1).Writer, "     XY1");
  EXPECT_EQ(rows.ArticleCellTexts(2).Writer, "");
  EXPECT_EQ(rows.ArticleCellTexts(3).Writer, J("ABC01234:はなこ"));
  EXPECT_EQ(rows.ArticleCellTexts(3).Number, J("B[書込]"));
}

// The grid's fill walks the tree bottom-up with 256 depth flags and builds every prefix as it
// goes; the rows compute a prefix on demand from flags kept per position.
std::vector<std::string> ReferencePrefixes(const std::vector<int32_t>& levels,
                                           const TreeStrings& s) {
  std::vector<std::string> prefixes(levels.size());
  int flag[256] = {};
  for (size_t p = levels.size(); p-- > 0;) {
    const int32_t level = levels[p];
    std::string& out = prefixes[p];
    if (level == 0) {
      for (int& f : flag)
        f = 0;
    } else if (level < 256) {
      for (int32_t d = 1; d <= level - 1; ++d)
        out += flag[d - 1] == 1 ? s.Vert : s.Blank;
      out += flag[level - 1] == 1 ? s.Branch : s.Last;
      flag[level - 1] = 1;
      for (int32_t k = level; k < 256; ++k)
        flag[k] = 0;
    } else {
      for (int32_t d = 0; d < level; ++d)
        out += d < 256 && flag[d] == 1 ? s.Vert : s.Blank;
    }
  }
  return prefixes;
}

void ExpectPrefixesMatchReference(const TArticleList& board, const TMemberList& members) {
  std::vector<int32_t> levels;
  for (int32_t p = 0; p < board.OrderCount(ArticleSortTree); ++p)
    levels.push_back(board.GetLevel(ArticleSortTree, p));
  for (int32_t type = 0; type <= 3; ++type) {
    const std::vector<std::string> expected = ReferencePrefixes(levels, TreeStringsFor(type));
    TArticleRows rows(board, ArticleSortTree, members, type);
    // Visible rows are asked for in any order.
    for (int32_t p = static_cast<int32_t>(levels.size()) - 1; p >= 0; p -= 3)
      ASSERT_EQ(rows.TreePrefix(p), expected[static_cast<size_t>(p)]) << "position " << p;
    for (int32_t p = 0; p < static_cast<int32_t>(levels.size()); ++p) {
      ASSERT_EQ(rows.TreePrefix(p), expected[static_cast<size_t>(p)]) << "position " << p;
      std::string number;
      AppendNumberText(*board.GetArticle(ArticleSortTree, p), number);
      ASSERT_EQ(rows.ArticleCellTexts(p).Number, expected[static_cast<size_t>(p)] + number);
    }
    TArticleRows posting(board, ArticleSortNormal, members, type);
    EXPECT_EQ(posting.TreePrefix(0), "");
  }
}

TEST(ArticleCellTexts, TreePrefixesEqualTheGridsBottomUpWalkOnRandomBoards) {
  TMemberList members(false);
  std::mt19937 random(11);
  for (int round = 0; round < 30; ++round) {
    TArticleList board;
    const int32_t n = 1 + static_cast<int32_t>(random() % 300);
    for (int32_t key = 1; key <= n; ++key) {
      const uint32_t pick = random() % 10;
      if (pick < 3 || key == 1) {
        AddLogArticle(board, ArticleKindRoot, key, -1, 1);
      } else if (pick == 3) {
        // A reply to an article the log does not hold: a placeholder above it.
        AddLogArticle(board, ArticleKindRess, key, 100000 + static_cast<int32_t>(random() % 3), 1);
      } else {
        // Mostly to recent articles, so that threads run deep.
        const int32_t back = 1 + static_cast<int32_t>(random() % std::min<uint32_t>(key - 1, 6));
        AddLogArticle(board, ArticleKindRess, key, key - back, 1);
      }
    }
    ASSERT_TRUE(board.SortArticles());
    ExpectPrefixesMatchReference(board, members);
  }
}

TEST(ArticleCellTexts, ThreadsDeeperThanTheDepthFlagsAreIndented) {
  // A chain of 300 replies, a second branch at depth 2, and a root after it.
  TMemberList members(false);
  TArticleList board;
  AddLogArticle(board, ArticleKindRoot, 1, -1, 1);
  for (int32_t key = 2; key <= 301; ++key)
    AddLogArticle(board, ArticleKindRess, key, key - 1, 1);
  AddLogArticle(board, ArticleKindRess, 302, 2, 1);
  AddLogArticle(board, ArticleKindRoot, 303, -1, 1);
  ASSERT_TRUE(board.SortArticles());
  ASSERT_EQ(board.GetLevel(ArticleSortTree, 300), 300);
  ExpectPrefixesMatchReference(board, members);

  TArticleRows rows(board, ArticleSortTree, members, TreeLineChr2);
  // Depth 1 under the root, with the second branch (depth 2) still to come below.
  EXPECT_EQ(rows.TreePrefix(1), J("└"));
  EXPECT_EQ(rows.TreePrefix(2), J("　├"));
  EXPECT_EQ(rows.TreePrefix(3), J("　｜└"));
  EXPECT_EQ(rows.TreePrefix(301), J("　└"));
  TArticleRows halfWidth(board, ArticleSortTree, members, TreeLineChr1);
  EXPECT_EQ(halfWidth.TreePrefix(3), " |+");
}

TEST(BoardListLine, LettersCountAndLabel) {
  test::TempDir dir;
  test::FakeProcess process(dir.File("none.ini"));
  process.Boards.AddBoard(1, "plain", J("普通"));
  process.Boards.AddBoard(2, "bin", "Binary");
  process.Boards.AddBoard(3, "mixed", "Mixed");
  process.Boards.SetBoardAttr(1, 1, 1, 2);
  process.Boards.SetBoardAttr(2, 1, 2, 1);
  TArticleList& plain = *process.Boards.GetArticles(0);
  AddLogArticle(plain, ArticleKindRoot, 1, -1, 1);
  AddLogArticle(plain, ArticleKindRess, 2, 9, 1);
  plain.AddArticle(ArticleKindRoot, 1, 0, -1, 0, -1, -1, -1, -1, "", "", "w", "", -1, 1);
  ASSERT_TRUE(plain.SortArticles());
  ASSERT_EQ(plain.Modified, 1);

  // Placeholders and queued writes are not counted.
  EXPECT_EQ(BoardListLine(process, 0), J("--(   2) plain / 普通"));
  EXPECT_EQ(BoardListLine(process, 1), "BW(   0) bin / Binary");
  EXPECT_EQ(BoardListLine(process, 2), "MR(   0) mixed / Mixed");
  EXPECT_EQ(plain.Modified, 1);
  const std::vector<std::string> lines = FillBoardList(process);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "BW(   0) bin / Binary");
  EXPECT_EQ(plain.Modified, 0);
}

TEST(ArticleViewLines, LogLinesWriteTextsAndEmptyViews) {
  TLogList log(4096, 16);
  for (const char* line : {"header", "subject", "footer", "body 1", "body 2"})
    log.AddLine(line);
  TArticleList board;
  AddLogArticle(board, ArticleKindRoot, 1, -1, 1, "a", 1);
  board.SetArticleLastLine(1, 1001, 3);
  AddLogArticle(board, ArticleKindRess, 2, 77, 1, "b", 2);
  board.SetArticleLastLine(2, 1002, 99);  // past the log's end
  auto text = std::make_unique<TStringList>(TStringList{"title", "line"});
  board.AddArticle(ArticleKindRoot, 1, 0, -1, 0, -1, -1, -1, -1, "", "", "w", "", -1, 1,
                   std::move(text));
  board.AddArticle(ArticleKindRoot, 1, 1, -1, 0, -1, -1, -1, -1, "", "", "x", "", -1, 1);
  ASSERT_TRUE(board.SortArticles());

  ArticleViewText view = ArticleViewLines(&board, ArticleSortNormal, 0, log);
  EXPECT_EQ(view.Result, ArticleViewText::Text);
  EXPECT_EQ(view.Lines, (std::vector<std::string>{"subject", "footer", "body 1"}));
  view = ArticleViewLines(&board, ArticleSortNormal, 1, log);
  EXPECT_EQ(view.Lines, (std::vector<std::string>{"footer", "body 1", "body 2"}));
  view = ArticleViewLines(&board, ArticleSortNormal, 2, log);
  EXPECT_EQ(view.Result, ArticleViewText::Text);
  EXPECT_EQ(view.Lines, (std::vector<std::string>{"title", "line"}));
  EXPECT_EQ(ArticleViewLines(&board, ArticleSortNormal, 3, log).Result, ArticleViewText::NoText);
  // Tree order: 1, the placeholder of 77, 2 under it, the writes.
  ASSERT_EQ(board.GetKind(ArticleSortTree, 1), ArticleKindMissingRoot);
  view = ArticleViewLines(&board, ArticleSortTree, 1, log);
  EXPECT_EQ(view.Result, ArticleViewText::NoText);
  EXPECT_TRUE(view.Lines.empty());
  EXPECT_EQ(ArticleViewLines(&board, ArticleSortTree, 99, log).Result, ArticleViewText::NoText);

  TArticleList empty;
  ASSERT_TRUE(empty.SortArticles());
  EXPECT_EQ(ArticleViewLines(&empty, ArticleSortTree, 0, log).Result, ArticleViewText::NoArticle);
  EXPECT_EQ(ArticleViewLines(nullptr, ArticleSortTree, 0, log).Result, ArticleViewText::NoArticle);
}

}  // namespace
}  // namespace vorn
