#include "analysis/ArticleSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "regex/AWKStr.h"
#include "regex/REScanner.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MemberList.h"
#include "support/SampleSession.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

// Three boards on a small log:
//   board 0 (mail): one mail from 300 to 100
//   board 1: root 10 by 100 "日本語の話題", reply 11 by 200 under it titled "Re:",
//            a reply whose parent is missing (a placeholder in tree order), a queued write
//   board 2: root 20 by 300 with the word only in its header line
class SearchBoards : public ::testing::Test {
 protected:
  void SetUp() override {
    // Line numbers are the indexes of these lines.
    for (const char* line : {
             "mail header", "mail body about lunch",                // 0-1
             "root header", "first body line", "カタカナのアイス",  // 2-4
             "reply header", "reply >quote", "plain reply text",    // 5-7
             "orphan header", "orphan body",                        // 8-9
             "header with needle", "body without",                  // 10-11
         }) {
      log.AddLine(J(line));
    }
    boards.AddBoard(0, "mail", J("メール"));
    boards.AddBoard(1, "general", J("雑談"));
    boards.AddBoard(2, "prog", J("プログラミング"));
    TArticleList& mail = *boards.GetArticles(0);
    Add(mail, ArticleKindMail, 0, -1, 300, 100, "lunch?", "", 0, 1, 1);
    TArticleList& general = *boards.GetArticles(1);
    Add(general, ArticleKindRoot, 10, -1, 100, -1, "日本語の話題", "", 2, 1, 4);
    Add(general, ArticleKindRess, 11, 10, 200, 100, "Re:", "日本語の話題", 5, 1, 7);
    Add(general, ArticleKindRess, 12, 9, 200, 400, "orphan", "missing parent", 8, 1, 9);
    auto text =
        std::make_unique<TStringList>(TStringList{J("queued title"), J("queued needle body")});
    ASSERT_TRUE(general.AddArticle(ArticleKindRoot, 1, 50, -1, 0, -1, -1, -1, -1, "", "",
                                   J("queued title"), "", -1, 1, std::move(text)));
    TArticleList& prog = *boards.GetArticles(2);
    Add(prog, ArticleKindRoot, 20, -1, 300, -1, "other", "", 10, 1, 11);
    for (int32_t b = 0; b < boards.Count(); ++b)
      ASSERT_TRUE(boards.GetArticles(b)->SortArticles());
    bool added = false;
    for (int32_t id : {100, 200, 300})
      ASSERT_TRUE(members.AddMember(id, "h", "", "", true, added));
  }

  void Add(TArticleList& list, uint8_t kind, int32_t key, int32_t parent, int32_t writer,
           int32_t parentWriter, const char* title, const char* parentTitle, int32_t first,
           int32_t bodyOffset, int32_t last) {
    ASSERT_TRUE(list.AddArticle(kind, 0, key, key, 1000 + key, parent, parent, writer, parentWriter,
                                "", "", J(title), J(parentTitle), first, bodyOffset));
    ASSERT_TRUE(list.SetArticleLastLine(key, 1000 + key, last));
  }

  // Every match of the condition, walking forward from before the first board.
  std::vector<std::pair<int32_t, int32_t>> Walk(const SearchCondition& c, int32_t order,
                                                bool forward = true, bool newOnly = false) {
    const TArticleMatcher matcher(c, members, log, awk);
    std::vector<std::pair<int32_t, int32_t>> hits;
    SearchHit at{-1, -1};
    while (true) {
      at = FindSearchMatch(boards, order, at.Board, at.Position, forward, newOnly, matcher);
      if (!at.Found()) break;
      hits.emplace_back(at.Board, boards.GetArticles(at.Board)->GetNumber(order, at.Position));
    }
    return hits;
  }

  static SearchCondition Text(const char* utf8, bool regExp = false, bool fuzzy = false) {
    SearchCondition c;
    c.WordCheckType = regExp;
    c.AwkFuzzy = fuzzy;
    c.SearchWord = J(utf8);
    return c;
  }

  static SearchCondition Id(const std::string& id) {
    SearchCondition c;
    c.SearchID = id;
    return c;
  }

  using Hits = std::vector<std::pair<int32_t, int32_t>>;
  TLogList log{4096, 64};
  TBoardList boards;
  TMemberList members{false};
  TAWKStr awk;
};

TEST_F(SearchBoards, TextIsFoundInTitleParentTitleAndBodyButNotInHeaderLines) {
  // The reply is found through its parent's title; the header line of board 2 is not searched.
  EXPECT_EQ(Walk(Text("日本語"), ArticleSortNormal), (Hits{{1, 10}, {1, 11}}));
  EXPECT_EQ(Walk(Text("アイス"), ArticleSortNormal), (Hits{{1, 10}}));
  EXPECT_EQ(Walk(Text("needle"), ArticleSortNormal), (Hits{{1, -1}}));
  EXPECT_EQ(Walk(Text("header"), ArticleSortNormal), Hits{});
  // The placeholder in tree order carries the missing parent's title but never matches.
  EXPECT_EQ(Walk(Text("missing parent"), ArticleSortTree), (Hits{{1, 12}}));
}

TEST_F(SearchBoards, PlainTextNeverStartsInsideADoubleByteCharacter) {
  // "カ" is 0x83 0x4A: its second byte is "J". A byte-wise find would report it.
  ASSERT_EQ(J("カ")[1], 'J');
  EXPECT_EQ(Walk(Text("J"), ArticleSortNormal), Hits{});
  EXPECT_TRUE(ContainsText(J("xカJ"), "J"));
  EXPECT_FALSE(ContainsText(J("カカ"), J("Jカ").substr(0, 1) + "\x83"));
  EXPECT_TRUE(ContainsText(J("アイス"), J("イス")));
  // A regular expression scans by characters in the engine.
  EXPECT_EQ(Walk(Text("J", true), ArticleSortNormal), Hits{});
}

// One board whose articles begin at the lines starting with "head" and run to the next.
class StoredArticles {
 public:
  StoredArticles(const TLogList& log, const std::vector<std::string>& lines) : log_(log) {
    boards_.AddBoard(1, "b", J("板"));
    TArticleList& list = *boards_.GetArticles(0);
    int32_t key = 1;
    for (int32_t first = 0; first < int32_t(lines.size()); ++first) {
      if (lines[size_t(first)].rfind("head", 0) != 0) continue;
      int32_t last = first + 1;
      while (last + 1 < int32_t(lines.size()) && lines[size_t(last) + 1].rfind("head", 0) != 0)
        ++last;
      EXPECT_TRUE(list.AddArticle(ArticleKindRoot, 0, key, key, 1000 + key, -1, -1, 100, -1, "", "",
                                  "t", "", first, 1));
      EXPECT_TRUE(list.SetArticleLastLine(key, 1000 + key, last));
      ++key;
    }
    EXPECT_TRUE(list.SortArticles());
  }

  // The numbers of the articles a walk finds, in order.
  std::vector<int32_t> Find(const std::string& word, bool regExp = false, bool fuzzy = false) {
    SearchCondition c;
    c.WordCheckType = regExp;
    c.AwkFuzzy = fuzzy;
    c.SearchWord = word;
    const TArticleMatcher matcher(c, members_, log_, awk_);
    std::vector<int32_t> found;
    for (SearchHit at{-1, -1};;) {
      at = FindSearchMatch(boards_, ArticleSortNormal, at.Board, at.Position, true, false, matcher);
      if (!at.Found()) break;
      found.push_back(boards_.GetArticles(0)->GetNumber(ArticleSortNormal, at.Position));
    }
    return found;
  }

 private:
  const TLogList& log_;
  TBoardList boards_;
  TMemberList members_{false};
  TAWKStr awk_;
};

// The plain search rules articles out by searching their lines' stored bytes at once; an
// article whose lines lie in two blocks or around a line longer than a block is searched line by
// line, and a word found in the stored bytes only inside a character is no match.
TEST(SearchStoredLines, ArticlesAcrossBlocksAndLongLinesAreSearchedWhole) {
  TLogList log{48, 4};
  const std::string longLine = std::string(60, 'x') + "LONGNEEDLE";
  std::vector<std::string> lines = {"head a",  "a body one", "a body two BLOCKEDGE",
                                    "head b",  "b one",      longLine,
                                    "b three", "head c",     J("cアc"),
                                    "head d",  "ne",         "edle"};
  for (int pad = 0; pad < 3; ++pad)
    lines.insert(lines.begin() + 1, "padding line " + std::to_string(pad));
  for (const std::string& line : lines)
    ASSERT_TRUE(log.AddLine(line));
  auto lineOf = [&](const std::string& text) {
    return int32_t(std::find(lines.begin(), lines.end(), text) - lines.begin());
  };
  // Article a's lines cross into a second block, article b holds a line longer than a block.
  EXPECT_TRUE(log.StoredSpan(lineOf("head a") + 1, lineOf("a body two BLOCKEDGE")).empty());
  EXPECT_TRUE(log.StoredSpan(lineOf("b one"), lineOf("b three")).empty());
  ASSERT_FALSE(log.StoredSpan(lineOf(J("cアc")), lineOf(J("cアc"))).empty());

  StoredArticles articles(log, lines);
  for (const bool regExp : {false, true}) {
    SCOPED_TRACE(regExp ? "regular expression" : "plain");
    EXPECT_EQ(articles.Find("BLOCKEDGE", regExp), std::vector<int32_t>{1});
    EXPECT_EQ(articles.Find("LONGNEEDLE", regExp), std::vector<int32_t>{2});
    EXPECT_EQ(articles.Find("three", regExp), std::vector<int32_t>{2});
    // "ア" is 0x83 0x41: the stored bytes hold "A", no character does.
    EXPECT_EQ(articles.Find("A", regExp), std::vector<int32_t>{});
    EXPECT_EQ(articles.Find(J("ア"), regExp), std::vector<int32_t>{3});
    // Lines "ne" and "edle" are not one word.
    EXPECT_EQ(articles.Find("needle", regExp), std::vector<int32_t>{});
    EXPECT_EQ(articles.Find("edle", regExp), std::vector<int32_t>{4});
  }
}

// Patterns rule articles out over their stored lines too, as a capture stores them: each line
// followed by a NUL where its CR or LF was (and the LF of a CR LF). A lone lead byte at a line's
// end takes that NUL as its trail there, which must not hide a match in the next line; what
// matches only across a line's end is no match.
TEST(SearchStoredLines, PatternsSearchTheStoredLinesOfACaptureAsEachLine) {
  test::TempDir dir;
  const std::string file = dir.File("NET.LOG");
  test::WriteBytes(file,
                   "head 1\r\nsome text\x82\r\nARCHIVE end\r\n"
                   "head 2\nne\nedle\n"
                   "head 3\r" +
                       J("カタカナ") + "\r" + "head 4\r\n" + J("全角のＡＲＣＨＩＶＥ") + "\r\n");
  TLogList log{4096, 64};
  ASSERT_EQ(log.LoadFromFile(file), TLogList::LoadOk);
  std::vector<std::string> lines;
  for (int32_t i = 0; i < log.Count(); ++i)
    lines.push_back(log.GetLine(i));
  ASSERT_EQ(lines.size(), 10u);
  ASSERT_FALSE(log.StoredSpan(1, 2).empty());
  StoredArticles articles(log, lines);

  EXPECT_EQ(articles.Find("ARCHIVE", true), std::vector<int32_t>{1});
  EXPECT_EQ(articles.Find("ARCHIVE", true, true), (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(articles.Find(".*ARCHIVE", true, true), (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(articles.Find("^ARCHIVE", true), std::vector<int32_t>{1});
  EXPECT_EQ(articles.Find("text.$", true), std::vector<int32_t>{1});
  // The lone lead byte is a character of its own in its line.
  EXPECT_EQ(articles.Find("t\\x82", true), std::vector<int32_t>{1});
  // The NUL in place of the line feed between "ne" and "edle" is in no line.
  EXPECT_EQ(articles.Find("ne\\0edle", true), std::vector<int32_t>{});
  EXPECT_EQ(articles.Find("edle", true), std::vector<int32_t>{2});
  // "カ" is 0x83 0x4A, "タ" 0x83 0x5E: no "J" nor "^" is there.
  EXPECT_EQ(articles.Find("J|\\^", true), std::vector<int32_t>{});
  EXPECT_EQ(articles.Find(J("タカ"), true), std::vector<int32_t>{3});
}

TEST_F(SearchBoards, PlainComparisonTakesPatternCharactersLiterally) {
  EXPECT_EQ(Walk(Text("reply.text"), ArticleSortNormal), Hits{});
  EXPECT_EQ(Walk(Text("reply.text", true), ArticleSortNormal), (Hits{{1, 11}}));
  EXPECT_EQ(Walk(Text(">quote"), ArticleSortNormal), (Hits{{1, 11}}));
  EXPECT_EQ(Walk(Text("^first", true), ArticleSortNormal), (Hits{{1, 10}}));
}

TEST_F(SearchBoards, FuzzySearchMatchesOtherKanaForms) {
  // Hiragana and half-width forms of the katakana in the body.
  EXPECT_EQ(Walk(Text("あいす", true, true), ArticleSortNormal), (Hits{{1, 10}}));
  EXPECT_EQ(Walk(Text("ｱｲｽ", true, true), ArticleSortNormal), (Hits{{1, 10}}));
  EXPECT_EQ(Walk(Text("あいす", true, false), ArticleSortNormal), Hits{});
  EXPECT_EQ(Walk(Text("ＮＥＥＤＬＥ", true, true), ArticleSortNormal), (Hits{{1, -1}}));
}

TEST_F(SearchBoards, IdFindsTheWriterAndTheMemberAddressed) {
  // 100 wrote the root and received the reply and the mail.
  EXPECT_EQ(Walk(Id("100"), ArticleSortNormal), (Hits{{0, 0}, {1, 10}, {1, 11}}));
  // Typed with a leading zero, the number is the same member.
  EXPECT_EQ(Walk(Id("0100"), ArticleSortNormal), (Hits{{0, 0}, {1, 10}, {1, 11}}));
  // The placeholder in tree order stands for member 400 but is not an article.
  EXPECT_EQ(Walk(Id("400"), ArticleSortTree), (Hits{{1, 12}}));
  EXPECT_EQ(Walk(Id("999"), ArticleSortNormal), Hits{});
}

TEST_F(SearchBoards, TextIdsCompareExactly) {
  TMemberList textMembers{true};
  TBoardList textBoards;
  textBoards.AddBoard(-1, "FCOMP", "comp");
  TArticleList& list = *textBoards.GetArticles(0);
  ASSERT_TRUE(list.AddArticle(ArticleKindRoot, 0, 1, 1, 1001, -1, -1, -1, -1, "ABC01234", "", "t",
                              "", 0, 1));
  ASSERT_TRUE(list.AddArticle(ArticleKindRess, 0, 2, 2, 1002, 1, 1, -1, -1, "DEF54321", "ABC01234",
                              "t", "", 0, 1));
  ASSERT_TRUE(list.SortArticles());
  SearchCondition c = Id("ABC01234");
  const TArticleMatcher matcher(c, textMembers, log, awk);
  EXPECT_TRUE(matcher.Matches(list, ArticleSortNormal, 0));
  EXPECT_TRUE(matcher.Matches(list, ArticleSortNormal, 1));
  c.SearchID = "abc01234";
  const TArticleMatcher lower(c, textMembers, log, awk);
  EXPECT_FALSE(lower.Matches(list, ArticleSortNormal, 0));
}

TEST_F(SearchBoards, BackwardSearchReachesEarlierBoardsAndStopsAtTheFirstArticle) {
  const SearchCondition c = Id("100");
  const TArticleMatcher matcher(c, members, log, awk);
  // From the reply (board 1, position 1) backward: the root above, then the mail of board 0.
  SearchHit hit = FindSearchMatch(boards, ArticleSortNormal, 1, 1, false, false, matcher);
  EXPECT_EQ(hit.Board, 1);
  EXPECT_EQ(hit.Position, 0);
  hit = FindSearchMatch(boards, ArticleSortNormal, hit.Board, hit.Position, false, false, matcher);
  EXPECT_EQ(hit.Board, 0);
  EXPECT_EQ(hit.Position, 0);
  // At the first article of board 0 there is nothing above.
  EXPECT_FALSE(FindSearchMatch(boards, ArticleSortNormal, 0, 0, false, false, matcher).Found());
  // Backward walk over everything gives the forward walk reversed.
  Hits backward;
  SearchHit at{-1, -1};
  while ((at = FindSearchMatch(boards, ArticleSortNormal, at.Board, at.Position, false, false,
                               matcher))
             .Found()) {
    backward.emplace_back(at.Board, boards.GetArticles(at.Board)->GetNumber(0, at.Position));
  }
  EXPECT_EQ(backward, (Hits{{1, 11}, {1, 10}, {0, 0}}));
}

TEST_F(SearchBoards, NewOnlySkipsArticlesThatWereReadBefore) {
  TArticleList& general = *boards.GetArticles(1);
  // Read pointers of an earlier run clear the new mark of the root.
  ASSERT_TRUE(general.SetReadFlag(ArticleSortNormal, 0, 1, true));
  EXPECT_EQ(Walk(Text("日本語"), ArticleSortNormal, true, true), (Hits{{1, 11}}));
  EXPECT_EQ(Walk(Text("日本語"), ArticleSortNormal, true, false), (Hits{{1, 10}, {1, 11}}));
}

TEST(SearchWordList, KeepsTenTextsOldestFirstAndDoesNotReorderARepeat) {
  std::vector<std::string> list;
  for (int i = 1; i <= 10; ++i)
    RememberSearchWord(list, "w" + std::to_string(i));
  RememberSearchWord(list, "w3");
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list.front(), "w1");
  EXPECT_EQ(list[2], "w3");
  RememberSearchWord(list, "w11");
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list.front(), "w2");
  EXPECT_EQ(list.back(), "w11");
}

class SearchAccept : public ::testing::Test {
 protected:
  void SetUp() override {
    bool added = false;
    ASSERT_TRUE(numeric.AddMember(1024, "h", "", "", true, added));
    ASSERT_TRUE(text.AddMemberText("ABC01234", "h", "", "", true, added));
  }
  SearchAcceptance Accept(SearchRequest r, const TMemberList* m) {
    return AcceptSearchRequest(r, m, awk, &words);
  }
  TMemberList numeric{false};
  TMemberList text{true};
  TAWKStr awk;
  std::vector<std::string> words;
};

TEST_F(SearchAccept, EachRefusalHasItsMessageAndLeavesTheListAlone) {
  SearchRequest r;
  EXPECT_EQ(Accept(r, &numeric).Warning, J("検索文字列が指定されていません"));
  r.IdPage = true;
  EXPECT_EQ(Accept(r, &numeric).Warning, J("検索IDが指定されていません"));
  r.IdText = "10x4";
  EXPECT_EQ(Accept(r, &numeric).Warning, J("検索IDが数値ではありません"));
  r.IdText = "2048";
  EXPECT_EQ(Accept(r, &numeric).Warning, J("検索IDは存在しません"));
  r.IdText = "1024";
  EXPECT_EQ(Accept(r, nullptr).Warning, J("検索IDは存在しません"));
  // Letters are an ID on a text-ID host, checked against the list as typed.
  r.IdText = "abc01234";
  EXPECT_EQ(Accept(r, &text).Warning, J("検索IDは存在しません"));
  EXPECT_TRUE(words.empty());
}

TEST_F(SearchAccept, AnAcceptedTextOrIdBecomesTheCondition) {
  SearchRequest r;
  r.Text = J("日本");
  r.RegExp = false;
  r.Fuzzy = false;
  SearchAcceptance a = Accept(r, &numeric);
  ASSERT_TRUE(a.Accepted);
  EXPECT_EQ(a.Condition.SearchWord, J("日本"));
  EXPECT_TRUE(a.Condition.SearchID.empty());
  EXPECT_FALSE(a.Condition.WordCheckType);
  EXPECT_EQ(words, std::vector<std::string>{J("日本")});
  r.IdPage = true;
  r.IdText = " 1024";
  a = Accept(r, &numeric);
  ASSERT_TRUE(a.Accepted);
  EXPECT_EQ(a.Condition.SearchID, " 1024");
  EXPECT_TRUE(a.Condition.SearchWord.empty());
  // An ID does not go into the list of texts.
  EXPECT_EQ(words.size(), 1u);
  r.IdText = "ABC01234";
  EXPECT_TRUE(Accept(r, &text).Accepted);
}

TEST_F(SearchAccept, ABadPatternIsRefusedWithWhereItsFaultLies) {
  SearchRequest r;
  r.Text = "ab**";
  r.Fuzzy = false;
  SearchAcceptance a = Accept(r, &numeric);
  ASSERT_FALSE(a.Accepted);
  EXPECT_EQ(a.Warning,
            J("普通の文字、または左括弧\"(\"が必要です\r\n検索文字列：ab**\r\n位置：4文字目"));
  // The fuzzy dictionary rewrites the pattern; the place is still told in the typed text,
  // counting a double-byte character as one.
  r.Text = J("か**");
  r.Fuzzy = true;
  a = Accept(r, &numeric);
  ASSERT_FALSE(a.Accepted);
  EXPECT_NE(a.Warning.find(J("位置：3文字目")), std::string::npos) << Cp932ToUtf8(a.Warning);
  r.Text = "(ab";
  a = Accept(r, &numeric);
  EXPECT_NE(a.Warning.find(J("右(閉じ)括弧が必要です")), std::string::npos);
  EXPECT_NE(a.Warning.find(J("位置：末尾")), std::string::npos);
  EXPECT_TRUE(words.empty());
  // The engine is usable afterwards.
  r.Text = "a+";
  EXPECT_TRUE(Accept(r, &numeric).Accepted);
}

// The sample captures of both families loaded as the window loads them.
class SampleSearch : public ::testing::Test {
 protected:
  bool Load(const char* name) { return sample.Load(name); }
  // Every match, walking forward from before the first board: board index and title.
  std::vector<std::string> Walk(const SearchCondition& c, int32_t order) {
    TBBSProcess& p = sample.Process();
    const TArticleMatcher matcher(c, p.Members, sample.Log(), awk);
    std::vector<std::string> hits;
    SearchHit at{-1, -1};
    while ((at = FindSearchMatch(p.Boards, order, at.Board, at.Position, true, false, matcher))
               .Found()) {
      hits.push_back(std::to_string(at.Board) + " " +
                     Cp932ToUtf8(p.Boards.GetArticles(at.Board)->GetTitle(order, at.Position)));
    }
    return hits;
  }

  test::SampleSession sample;
  TAWKStr awk;
};

TEST_F(SampleSearch, FuzzyKanaSearchWalksEveryMatchOfTheNetVornCapture) {
  ASSERT_TRUE(Load("NET19990730.LOG"));
  SearchCondition c;
  c.WordCheckType = true;
  c.AwkFuzzy = true;
  // Hiragana for the katakana of "オフ会": the mail titled with it (its body names it too) and
  // the reply under the missing "夏のオフ会", found through its parent's title.
  c.SearchWord = J("おふ");
  const std::vector<std::string> tree = Walk(c, ArticleSortTree);
  EXPECT_EQ(tree, (std::vector<std::string>{"0 オフ会の件", "1 Re: 夏のオフ会"}));
  // Half-width katakana find the same; without the dictionary nothing is found.
  c.SearchWord = J("ｵﾌ");
  EXPECT_EQ(Walk(c, ArticleSortTree), tree);
  c.AwkFuzzy = false;
  EXPECT_TRUE(Walk(c, ArticleSortTree).empty());
  // Plain search for the katakana gives the same articles.
  c.WordCheckType = false;
  c.SearchWord = J("オフ");
  EXPECT_EQ(Walk(c, ArticleSortTree), tree);
}

TEST_F(SampleSearch, IdSearchOnTheNiftyCaptureFindsTheWritersArticles) {
  ASSERT_TRUE(Load("NIF19990730.LOG"));
  SearchCondition c;
  // Replies of this host name their parent by number only, so only the writer is compared.
  c.SearchID = "ABC01234";
  EXPECT_EQ(Walk(c, ArticleSortTree),
            (std::vector<std::string>{"1 Re:メモリ増設について", "2 Re:ボス戦の攻略"}));
  c.SearchID = "abc01234";
  EXPECT_TRUE(Walk(c, ArticleSortTree).empty());
}

}  // namespace
}  // namespace vorn
