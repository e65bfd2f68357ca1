// The quick filter on both sample captures: what passes by title, parent title, body, writer ID
// and handle, plain, by pattern and fuzzy; narrowing while typing gives what a fresh filter gives.
#include "threadview/QuickFilter.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/ArticleSearch.h"
#include "analysis/LogList.h"
#include "regex/AWKStr.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"
#include "support/SampleSession.h"

namespace vorn {
namespace {

using test::J;

constexpr int32_t N = ArticleSortNormal;
constexpr int32_t T = ArticleSortTree;

class QuickFilterTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample.Load(GetParam()));
    filter = std::make_unique<TQuickFilter>(sample.Process().Members, sample.Log());
  }
  TBoardList& Boards() { return sample.Process().Boards; }

  // The numbers of the articles of every board that pass, in posting order.
  std::vector<int32_t> Passing(const QuickFilterCondition& condition) {
    std::string warning;
    EXPECT_TRUE(filter->SetCondition(condition, warning)) << warning;
    std::vector<int32_t> numbers;
    std::vector<uint8_t> mask;
    for (int32_t b = 0; b < Boards().Count(); ++b) {
      const TArticleList& board = *Boards().GetArticles(b);
      filter->MatchBoard(board, N, mask);
      for (int32_t p = 0; p < board.OrderCount(N); ++p) {
        if (mask[size_t(p)]) numbers.push_back(board.GetNumber(N, p));
      }
    }
    return numbers;
  }
  std::vector<int32_t> Plain(const char* utf8) { return Passing({J(utf8), false, false}); }

  test::SampleSession sample;
  std::unique_ptr<TQuickFilter> filter;
};

TEST_P(QuickFilterTest, EveryArticleTheTextSearchFindsPassesAndPlaceholdersNever) {
  const char* words[] = {"オフ会", "よろしく", "Re:", "の", "ボス", "データ", "ありがとう", "x"};
  for (const char* word : words) {
    for (const bool regExp : {false, true}) {
      SearchCondition search;
      search.WordCheckType = regExp;
      search.AwkFuzzy = false;
      search.SearchWord = J(word);
      TAWKStr awk;
      const TArticleMatcher matcher(search, sample.Process().Members, sample.Log(), awk);
      std::string warning;
      ASSERT_TRUE(filter->SetCondition({J(word), regExp, false}, warning));
      std::vector<uint8_t> mask;
      for (int32_t b = 0; b < Boards().Count(); ++b) {
        const TArticleList& board = *Boards().GetArticles(b);
        filter->MatchBoard(board, T, mask);
        for (int32_t p = 0; p < board.OrderCount(T); ++p) {
          if (board.GetKind(T, p) == ArticleKindMissingRoot) {
            EXPECT_EQ(mask[size_t(p)], 0);
          } else if (matcher.Matches(board, T, p)) {
            EXPECT_EQ(mask[size_t(p)], 1) << word << " board " << b << " position " << p;
          }
        }
      }
    }
  }
}

TEST_P(QuickFilterTest, WritersPassByIdAndByHandle) {
  if (std::string(GetParam()).starts_with("NET")) {
    EXPECT_EQ(Plain("2048"), (std::vector<int32_t>{0, 102}));
    EXPECT_EQ(Plain("じろう"), (std::vector<int32_t>{1, 55, 12}));
    // The handle of 3072 is also the name of the placeholder's writer, which never shows.
    EXPECT_EQ(Passing({J("^さぶ"), true, false}), (std::vector<int32_t>{104}));
  } else {
    EXPECT_EQ(Plain("DEF54321"), (std::vector<int32_t>{0, 211, 213}));
    EXPECT_EQ(Plain("さぶろう"), (std::vector<int32_t>{86}));
    EXPECT_EQ(Passing({J("ABC0123[0-9]"), true, false}), (std::vector<int32_t>{212, 87}));
  }
}

TEST_P(QuickFilterTest, TitlesParentTitlesAndBodiesPass) {
  if (std::string(GetParam()).starts_with("NET")) {
    // <104> by its title; nothing of the missing <95> but its reply shows.
    EXPECT_EQ(Plain("夏の"), (std::vector<int32_t>{104}));
    // Body lines only.
    EXPECT_EQ(Plain("喫茶店"), (std::vector<int32_t>{0}));
    EXPECT_EQ(Plain("第5章"), (std::vector<int32_t>{56}));
    EXPECT_EQ(Plain("見つからない"), (std::vector<int32_t>{}));
  } else {
    EXPECT_EQ(Plain("静電気"), (std::vector<int32_t>{212}));
    EXPECT_EQ(Plain("メモリ増設"), (std::vector<int32_t>{211, 212, 213}));
    // Full-width letters: found as typed, or in any width with the fuzzy dictionaries.
    EXPECT_EQ(Plain("CPU"), (std::vector<int32_t>{}));
    EXPECT_EQ(Passing({"CPU", false, true}), (std::vector<int32_t>{231}));
    EXPECT_EQ(Passing({"C.U", true, true}), (std::vector<int32_t>{231}));
  }
}

TEST_P(QuickFilterTest, TypingAndDeletingGiveWhatAFreshFilterGives) {
  // Each step narrows, widens, or changes what the text means; a fresh filter on each text is
  // the reference.
  const std::vector<QuickFilterCondition> steps = {
      {J("は"), false, false},           {J("はな"), false, false},
      {J("はなこ"), false, false},       {J("はな"), false, false},
      {J("は"), false, false},           {J("Re"), true, false},
      {J("Re:"), true, false},           {J("Re:."), true, false},
      {J("Re:"), true, false},           {J("はなこ"), true, false},
      {J("はなこ|じろう"), true, false}, {J("メ"), true, true},
      {J("メモ"), true, true},           {J("メモリ"), false, true},
      {J("メモリ増設"), false, false},   {J("2"), false, false},
      {J("20"), false, false},           {J("204"), false, false},
  };
  TQuickFilter fresh(sample.Process().Members, sample.Log());
  std::vector<uint8_t> typed, reference;
  for (const QuickFilterCondition& step : steps) {
    std::string warning;
    ASSERT_TRUE(filter->SetCondition(step, warning)) << warning;
    ASSERT_TRUE(fresh.SetCondition(step, warning)) << warning;
    for (int32_t b = 0; b < Boards().Count(); ++b) {
      for (const int32_t order : {N, T}) {
        const TArticleList& board = *Boards().GetArticles(b);
        filter->MatchBoard(board, order, typed);
        fresh.Forget();
        fresh.MatchBoard(board, order, reference);
        EXPECT_EQ(typed, reference) << "after typing " << step.Text << " (regExp " << step.RegExp
                                    << ", fuzzy " << step.Fuzzy << ") board " << b;
      }
    }
  }
}

TEST_P(QuickFilterTest, ARefusedPatternLeavesTheFilterOff) {
  std::string warning;
  EXPECT_FALSE(filter->SetCondition({"(Re", true, false}, warning));
  EXPECT_FALSE(warning.empty());
  EXPECT_FALSE(filter->Active());
  std::vector<uint8_t> mask;
  const TArticleList& board = *Boards().GetArticles(1);
  filter->MatchBoard(board, T, mask);
  EXPECT_EQ(mask, std::vector<uint8_t>(size_t(board.OrderCount(T)), 1));
  // The same text as a plain text is fine.
  EXPECT_TRUE(filter->SetCondition({"(Re", false, false}, warning));
  EXPECT_TRUE(warning.empty());
  EXPECT_TRUE(filter->SetCondition({"", true, false}, warning));
  EXPECT_FALSE(filter->Active());
}

INSTANTIATE_TEST_SUITE_P(Samples, QuickFilterTest,
                         ::testing::Values("NET19990730.LOG", "NIF19990730.LOG"));

// A plain text with the fuzzy dictionaries is still that text: its operators are escaped.
TEST(QuickFilterText, APlainTextFindsItsOperatorsLiterally) {
  EXPECT_EQ(EscapeRegExpText("1.0 (a|b)*"), "1\\.0 \\(a\\|b\\)\\*");
  // The second byte of a double-byte character is never escaped (0x5C is a backslash).
  const std::string so = J("ソ");
  ASSERT_EQ(so[1], '\\');
  EXPECT_EQ(EscapeRegExpText(so + "."), so + "\\.");
  EXPECT_TRUE(IsLiteralPattern(J("ソフト")));
  EXPECT_FALSE(IsLiteralPattern("a+"));

  TLogList log{4096, 64};
  TMemberList members(false);
  TArticleList board;
  for (const char* body : {"version 1.0", "version 1x0"}) {
    const int32_t first = log.Count();
    log.AddLine("header");
    log.AddLine(body);
    const int32_t key = first + 1;
    ASSERT_TRUE(board.AddArticle(ArticleKindRoot, 0, key, key, 1000 + key, -1, -1, -1, -1, "", "",
                                 "t", "", first, 1));
    board.SetArticleLastLine(key, 1000 + key, first + 1);
  }
  ASSERT_TRUE(board.SortArticles());
  TQuickFilter filter(members, log);
  std::vector<uint8_t> mask;
  std::string warning;
  for (const bool fuzzy : {false, true}) {
    ASSERT_TRUE(filter.SetCondition({"1.0", false, fuzzy}, warning));
    filter.MatchBoard(board, N, mask);
    EXPECT_EQ(mask, (std::vector<uint8_t>{1, 0})) << "fuzzy " << fuzzy;
  }
  ASSERT_TRUE(filter.SetCondition({"1.0", true, false}, warning));
  filter.MatchBoard(board, N, mask);
  EXPECT_EQ(mask, (std::vector<uint8_t>{1, 1}));
}

// A board big enough to be tested in two halves at once gives what testing each entry one
// after another gives, narrowing included.
TEST(QuickFilterBigBoard, TwoHalvesAtOnceGiveWhatOneAfterAnotherGives) {
  TLogList log{1 << 20, 4096};
  TMemberList members(false);
  bool added = false;
  for (int32_t id = 0; id < 50; ++id)
    members.AddMember(1000 + id, J("ハンドル") + std::to_string(id), "", "", false, added);
  TArticleList board;
  std::mt19937 random(5);
  const std::string words[] = {J("カード"), J("かーど"), J("ｶｰﾄﾞ"), "abc", J("の"), J("話")};
  const int32_t count = TQuickFilter::ParallelFrom + 5000;
  for (int32_t key = 1; key <= count; ++key) {
    const int32_t first = log.Count();
    log.AddLine("header");
    for (int line = 0; line < 3; ++line)
      log.AddLine(words[random() % 6] + words[random() % 6]);
    const int32_t parent = key > 1 && random() % 3 == 0 ? key - 1 : -1;
    ASSERT_TRUE(board.AddArticle(parent < 0 ? ArticleKindRoot : ArticleKindRess, 0, key, key,
                                 1000 + key, parent, parent, 1000 + int32_t(random() % 60), -1, "",
                                 "", words[random() % 6], "", first, 1));
    board.SetArticleLastLine(key, 1000 + key, log.Count() - 1);
  }
  ASSERT_TRUE(board.SortArticles());

  TQuickFilter filter(members, log);
  TQuickFilter single(members, log);
  std::vector<uint8_t> mask;
  std::string warning;
  for (const QuickFilterCondition& c :
       std::vector<QuickFilterCondition>{{J("カ"), false, true},
                                         {J("カー"), false, true},
                                         {J("カード"), false, true},
                                         {J("カードの"), false, false},
                                         {"10", false, false},
                                         {"1", false, false},
                                         {J("ハンドル4"), true, false},
                                         {J("ド.*話"), true, false}}) {
    ASSERT_TRUE(filter.SetCondition(c, warning)) << warning;
    ASSERT_TRUE(single.SetCondition(c, warning)) << warning;
    filter.MatchBoard(board, T, mask);
    int32_t passing = 0;
    for (int32_t p = 0; p < board.OrderCount(T); ++p) {
      ASSERT_EQ(mask[size_t(p)], single.Matches(board, T, p) ? 1 : 0) << c.Text << " at " << p;
      passing += mask[size_t(p)];
    }
    EXPECT_GT(passing, 0) << c.Text;
  }
}

}  // namespace
}  // namespace vorn
