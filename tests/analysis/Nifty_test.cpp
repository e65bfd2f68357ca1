#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/NiftyBoardId.h"
#include "analysis/NiftyTestFixture.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"

namespace vorn {
namespace {

using test::At;
using test::BoardLine;
using test::Header1;
using test::J;
using test::MailLine1;
using test::MailLine2;
using test::RessLine;
using test::RootLine;

class NiftyAnalysis : public test::NiftyFixture {};

const std::string kFxyz = "_FXYZ_____05";

// One board read in full: a root, a reply, a reply to the reply and a reply whose parent is not
// in the log, each ended the way the host ends articles.
TEST_F(NiftyAnalysis, WorkedExampleLineByLine) {
  MakeProcess();
  Lines({"ログイン中です"});                                   // 0
  Raw({BoardLine("fxyz", 5, "雑談 会議室")});                  // 1
  Lines({"電子会議 (1:読む 2:書く E:終了) >"});                // 2 noise outside a body
  Raw({Header1(123, "ABC12345", "たろう", "予定について"),     // 3
       RootLine(5, 99, 7, 30, 12, 34)});                       // 4
  Lines({"本文一行目", "本文二行目", ""});                     // 5-7
  Raw({Header1(124, "DEF54321", "はなこ", "Re: 予定"),         // 8 ends 123 at 6
       RessLine(5, 99, 7, 30, 12, 40, 123)});                  // 9
  Lines({"返信本文", ""});                                     // 10-11
  Raw({Header1(125, "ABC12345", "たろう", "Re^2: 予定"),       // 12 ends 124 at 10
       RessLine(5, 99, 7, 30, 13, 0, 124)});                   // 13
  Lines({"再返信", " \b"});                                    // 14, 15 terminal: 125 ends at 14
  Raw({Header1(126, "GHI11111", "じろう", "古い話"),           // 16
       RessLine(5, 99, 7, 30, 13, 5, 99)});                    // 17
  Lines({"親のない返信", "電子会議 (1:読む 2:書く E:終了) >",  // 18, 19 terminal: 126 ends at 18
         "雑音"});                                             // 20
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(process->NetNo, 0);

  const int32_t board = process->Boards.FindBoardId(kFxyz);
  ASSERT_GE(board, 0);
  EXPECT_EQ(process->Boards.GetBoardNo(board), -1);
  EXPECT_EQ(process->Boards.GetBoardTitle(board), J("雑談 "));
  EXPECT_EQ(ArticleCount(kFxyz), 4);

  const ArticleRecord* root = Article(kFxyz, 123, At(99, 7, 30, 12, 34));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Kind, ArticleKindRoot);
  EXPECT_EQ(root->WriteFlag, 0);
  EXPECT_EQ(root->Number, 123);
  EXPECT_EQ(root->ParentKey, -1);
  EXPECT_EQ(root->ParentNumber, -1);
  EXPECT_EQ(root->WriterId, -1);
  EXPECT_EQ(root->WriterIdText().Str(), "ABC12345");
  EXPECT_EQ(root->Title().Str(), J("予定について"));
  EXPECT_EQ(root->FirstLine, 3);
  EXPECT_EQ(root->BodyOffset, 2);
  EXPECT_EQ(root->LastLine, 6);

  const ArticleRecord* reply = Article(kFxyz, 124, At(99, 7, 30, 12, 40));
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(reply->Kind, ArticleKindRess);
  EXPECT_EQ(reply->ParentKey, 123);
  EXPECT_EQ(reply->ParentNumber, 123);
  EXPECT_EQ(reply->FirstLine, 8);
  EXPECT_EQ(reply->LastLine, 10);
  EXPECT_EQ(LastLine(kFxyz, 125, At(99, 7, 30, 13, 0)), 14);
  EXPECT_EQ(LastLine(kFxyz, 126, At(99, 7, 30, 13, 5)), 18);

  process->SortData();
  TArticleList& a = *Board(kFxyz);
  ASSERT_EQ(a.OrderCount(ArticleSortTree), 5);
  const int32_t numbers[] = {123, 124, 125, 99, 126};
  const int32_t levels[] = {0, 1, 2, 0, 1};
  for (int32_t p = 0; p < 5; ++p) {
    EXPECT_EQ(a.GetNumber(ArticleSortTree, p), numbers[p]) << p;
    EXPECT_EQ(a.GetLevel(ArticleSortTree, p), levels[p]) << p;
  }
  EXPECT_EQ(a.GetKind(ArticleSortTree, 3), ArticleKindMissingRoot);
  EXPECT_EQ(a.OrderCount(ArticleSortNormal), 4);
}

TEST_F(NiftyAnalysis, BoardIdentifiers) {
  MakeProcess();
  Raw({BoardLine("fxyz", 5, "雑談 会議室"), Header1(1, "ABC12345", "a", "t"),
       RootLine(5, 99, 7, 30, 12, 0),
       // An index longer than 8 bytes is kept whole.
       BoardLine("longforumname", 12, "長い名前"), Header1(1, "ABC12345", "a", "t"),
       RootLine(12, 99, 7, 30, 12, 0),
       // Only ASCII letters are upper-cased: the second byte of 'Ｂ' is 'a'.
       BoardLine("Ｂx", 3, "全角"), Header1(1, "ABC12345", "a", "t"),
       RootLine(3, 99, 7, 30, 12, 0)});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount("_FXYZ_____05"), 1);
  EXPECT_EQ(ArticleCount("_LONGFORUMNAME_12"), 1);
  EXPECT_EQ(ArticleCount("_" + J("Ｂ") + "X______03"), 1);
  // A title without a blank stays whole.
  EXPECT_EQ(process->Boards.GetBoardTitle(process->Boards.FindBoardId("_LONGFORUMNAME_12")),
            J("長い名前"));
}

TEST(NiftyBoardId, TitleFromHeader) {
  EXPECT_EQ(BoardTitleFromHeader("abc def (1/2)"), "abc def ");
  EXPECT_EQ(BoardTitleFromHeader("abc"), "abc");
  EXPECT_EQ(BoardTitleFromHeader(" abc"), " abc");
  EXPECT_EQ(BoardTitleFromHeader(""), "");
}

TEST(NiftyBoardId, Split) {
  std::string index = "x";
  int32_t number = -7;
  EXPECT_TRUE(SplitNiftyBoardId("_FXYZ_____05", index, number));
  EXPECT_EQ(index, "FXYZ");
  EXPECT_EQ(number, 5);
  EXPECT_TRUE(SplitNiftyBoardId("`UNKNOWN__12", index, number));
  EXPECT_EQ(index, "UNKNOWN");
  EXPECT_EQ(number, 12);
  // '_' as the second byte of a double-byte character does not end the index.
  const std::string dbcs = "_" + std::string("\x83\x5F", 2) + "______01";
  EXPECT_TRUE(SplitNiftyBoardId(dbcs, index, number));
  EXPECT_EQ(index, std::string("\x83\x5F", 2));
  index = "kept";
  EXPECT_FALSE(SplitNiftyBoardId("_FXYZ____5", index, number));    // 10 bytes
  EXPECT_FALSE(SplitNiftyBoardId("XFXYZXXXXX05", index, number));  // no '_'
  EXPECT_FALSE(SplitNiftyBoardId("_FXYZ_____ab", index, number));  // no number
  EXPECT_EQ(index, "kept");
}

TEST_F(NiftyAnalysis, ArticlesBeforeAnyBoardHeaderGoToAnUnsavedBoard) {
  MakeProcess();
  Raw({Header1(7, "ABC12345", "たろう", "迷子"), RootLine(5, 99, 7, 30, 12, 0)});
  Lines({"本文"});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  const std::string id = "`UNKNOWN__05";
  const int32_t board = process->Boards.FindBoardId(id);
  ASSERT_GE(board, 0);
  EXPECT_EQ(process->Boards.GetBoardNo(board), 5 + RebaseOffset);
  EXPECT_EQ(process->Boards.GetBoardTitle(board), "Unknown");
  EXPECT_EQ(ArticleCount(id), 1);
  EXPECT_EQ(process->GetBoardLabel(board, true), "UNKNOWN :MES:05");

  ASSERT_TRUE(process->Boards.SaveToFile(dir.File("NIF.BRD")));
  EXPECT_EQ(test::ReadBytes(dir.File("NIF.BRD")).find("UNKNOWN"), std::string::npos);
}

TEST_F(NiftyAnalysis, HeaderPairsThatDoNotFitAreDropped) {
  MakeProcess();
  Raw({BoardLine("fxyz", 5, "雑談"),
       // The second header names another board.
       Header1(1, "ABC12345", "a", "wrong board"), RootLine(6, 99, 7, 30, 12, 0),
       // A first header line without a second.
       Header1(2, "ABC12345", "a", "alone"), "noise",
       // Then a proper pair.
       Header1(3, "ABC12345", "a", "kept"), RootLine(5, 99, 7, 30, 12, 1)});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount(kFxyz), 1);
  EXPECT_NE(Article(kFxyz, 3, At(99, 7, 30, 12, 1)), nullptr);
}

// An entry ends one line before a terminal line, two lines before a header (the blank or
// prompt line before it is not the article's).
TEST_F(NiftyAnalysis, WhereEntriesEnd) {
  MakeProcess();
  Raw({BoardLine("fxyz", 5, "a")});                                        // 0
  Raw({Header1(1, "ABC12345", "a", "t"), RootLine(5, 99, 7, 30, 12, 0)});  // 1, 2
  Lines({"b", "b", "b"});                                                  // 3-5
  Raw({BoardLine("abc", 1, "x")});                                         // 6: 1 ends at 4
  Raw({Header1(2, "ABC12345", "a", "t"), RootLine(1, 99, 7, 30, 12, 0)});  // 7, 8
  Lines({"b", "電子会議 (1:読む)"});                                       // 9, 10: ends at 9
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(LastLine(kFxyz, 1, At(99, 7, 30, 12, 0)), 4);
  EXPECT_EQ(LastLine("_ABC______01", 2, At(99, 7, 30, 12, 0)), 9);
}

// The mail list: a mail-mode line switches to the mail box; mails are keyed by a running
// counter and end at a mail footer, which also ends mail mode.
TEST_F(NiftyAnalysis, MailMode) {
  MakeProcess();
  Lines({"MAIL>REA"});                                           // 0
  Raw({MailLine1(1, "はなこ", "DEF54321", 99, 7, 29, 21, 5),     // 1
       MailLine2("おひさしぶり")});                              // 2
  Lines({"", "元気ですか", "受信後 (1:削除 2:保存 E:終了) >"});  // 3-5: ends at 4
  // Mail mode is off again: a mail header alone is not a mail.
  Raw({MailLine1(2, "じろう", "GHI11111", 99, 7, 29, 22, 0), MailLine2("無視")});  // 6, 7
  Lines({"MAIL>REA 2"});                                                           // 8
  Raw({MailLine1(2, "じろう", "GHI11111", 99, 7, 29, 22, 0),                       // 9
       MailLine2("二通目")});                                                      // 10
  Lines({"本文", "action:"});                                                      // 11, 12
  EndOfFile();
  ASSERT_TRUE(Analyze());

  EXPECT_EQ(ArticleCount(process->MailBoardIndex), 2);
  const ArticleRecord* first = Article(process->MailBoardIndex, 0, At(99, 7, 29, 21, 5));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Kind, ArticleKindMail);
  EXPECT_EQ(first->Number, 0);
  EXPECT_EQ(first->WriterIdText().Str(), "DEF54321");
  EXPECT_EQ(first->Title().Str(), J("おひさしぶり"));
  EXPECT_EQ(first->FirstLine, 1);
  EXPECT_EQ(first->BodyOffset, 2);
  EXPECT_EQ(first->LastLine, 4);
  const ArticleRecord* second = Article(process->MailBoardIndex, 1, At(99, 7, 29, 22, 0));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Title().Str(), J("二通目"));
  EXPECT_EQ(second->LastLine, 11);
}

// A board header outside a body changes the board but not mail mode; while mail mode is on no
// notice is looked for. An article's terminal line ends mail mode.
TEST_F(NiftyAnalysis, MailModeOutlivesABoardHeaderOutsideABody) {
  MakeProcess();
  const std::string notice = J("〔定期メンテナンスのお知らせ〕");
  Lines({"MAIL>REA"});
  Raw({BoardLine("fxyz", 5, "a"), notice, Header1(1, "ABC12345", "a", "t"),
       RootLine(5, 99, 7, 30, 12, 0)});
  Lines({"b", " \b"});
  Raw({notice});
  Lines({"x", "y"});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount(kFxyz), 1);
  const std::vector<std::string> expected = {notice + "\r", "x\r", "y\r"};
  EXPECT_EQ(SystemLines(), expected);
}

TEST_F(NiftyAnalysis, MembersOnlyWithMemberAutoAdd) {
  for (const bool autoAdd : {false, true}) {
    SCOPED_TRACE(autoAdd);
    MakeProcess(autoAdd ? "MemberAutoAdd=1" : "");
    log.Clear();
    bool added = false;
    process->Members.AddMemberText("DEF54321", "old", "True", "Short", false, added);
    process->Members.Modified = 0;
    Raw({BoardLine("fxyz", 5, "a"), Header1(1, "ABC12345", "たろう", "t"),
         RootLine(5, 99, 7, 30, 12, 0), Header1(2, "ABC12345", "太郎", "t"),
         RootLine(5, 99, 7, 30, 12, 1), Header1(3, "DEF54321", "はなこ", "t"),
         RootLine(5, 99, 7, 30, 12, 2)});
    Lines({"電子会議 (1:読む 2:書く E:終了) >", "MAIL>REA"});
    Raw({MailLine1(1, "じろう ", "GHI11111", 99, 7, 29, 21, 5), MailLine2("m")});
    EndOfFile();
    ASSERT_TRUE(Analyze());
    TMemberList& m = process->Members;
    if (!autoAdd) {
      EXPECT_EQ(m.Count(), 1);
      EXPECT_EQ(m.Modified, 0);
      EXPECT_FALSE(process->MembersChanged);
      continue;
    }
    EXPECT_TRUE(process->MembersChanged);
    ASSERT_EQ(m.Count(), 3);
    // The latest handle wins; trailing blanks are not part of it.
    EXPECT_EQ(m.GetCurrentHandle(m.FindIdText("ABC12345")), J("太郎"));
    EXPECT_EQ(m.GetTrueHandle(m.FindIdText("ABC12345")), J("太郎"));
    EXPECT_EQ(m.GetCurrentHandle(m.FindIdText("GHI11111")), J("じろう"));
    // A known member keeps its own handles; only the current one follows the log.
    EXPECT_EQ(m.GetTrueHandle(m.FindIdText("DEF54321")), "True");
    EXPECT_EQ(m.GetCurrentHandle(m.FindIdText("DEF54321")), J("はなこ"));
    process->SortData();
    EXPECT_EQ(m.GetIdText(0), "ABC12345");
  }
}

TEST_F(NiftyAnalysis, NoticeRules) {
  // Info3 matches the same line as Info1 and copies that line alone; Info4 reaches past the
  // end of the file; Info5 has an unusable line range and is no rule.
  MakeProcess(
      "Info3=\"%C－－メール\"\r\nInfoLine3=\"0,1\"\r\n"
      "Info4=\"%C最後\"\r\nInfoLine4=\"0,5\"\r\n"
      "Info5=\"%C最後\"\r\nInfoLine5=\"3\"\r\n"
      "Info6=\"%Cはじめ\"\r\nInfoLine6=\"-1,2\"");
  const std::string longLine(300, 'x');
  Lines({"はじめ",                                              // 0: Info6 clipped to line 0
         "ようこそ",                                            // 1
         "－－メールが　２通届いています（未読分　２通）－－",  // 2: Info1 and Info3
         "〔定期メンテナンスのお知らせ〕"});                    // 3: Info2, three lines
  Raw({longLine});                                              // 4
  Lines({"以上", "最後"});                                      // 5, 6: Info4
  EndOfFile();
  ASSERT_TRUE(Analyze());
  const std::vector<std::string> expected = {
      J("はじめ\r"),
      J("ようこそ\r"),
      J("－－メールが　２通届いています（未読分　２通）－－\r"),
      J("－－メールが　２通届いています（未読分　２通）－－\r"),
      J("〔定期メンテナンスのお知らせ〕\r"),
      longLine.substr(0, 255),  // cut, no CR
      J("以上\r"),
      J("最後\r"),  // and nothing of the end line or beyond
  };
  EXPECT_EQ(SystemLines(), expected);
}

// A notice near the end of a log list that does not end with the loader's line: copying stops
// at the last line and the analysis finishes.
TEST_F(NiftyAnalysis, NoticeRangePastTheLastLine) {
  MakeProcess();
  Lines({"〔定期メンテナンスのお知らせ〕", "one"});
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(process->NetNo, 0);
  const std::vector<std::string> expected = {J("〔定期メンテナンスのお知らせ〕\r"), "one\r"};
  EXPECT_EQ(SystemLines(), expected);
}

// The loader appends the set's end line (the compiled Terminal1) after every file. An entry
// open at the end of a file ends with the file's last line, and the next file's first lines
// are not its body.
TEST_F(NiftyAnalysis, EndLineEndsWhatIsOpen) {
  MakeProcess();
  ASSERT_EQ(process->Settings->LogEndLine, "%C \x08\r");
  Raw({BoardLine("fxyz", 5, "a"), Header1(1, "ABC12345", "a", "t"),
       RootLine(5, 99, 7, 30, 12, 0)});                                     // 0-2
  Lines({"body", "last line of file one"});                                 // 3, 4
  EndOfFile();                                                              // 5
  Lines({"opening of file two", "MAIL>REA"});                               // 6, 7
  Raw({MailLine1(1, "a", "DEF54321", 99, 7, 29, 21, 5), MailLine2("m")});   // 8, 9
  Lines({"mail body"});                                                     // 10
  EndOfFile();                                                              // 11
  Lines({"MAIL>REA"});                                                      // 12
  Raw({MailLine1(2, "a", "DEF54321", 99, 7, 29, 21, 6), MailLine2("m2")});  // 13, 14
  Lines({"x"});                                                             // 15
  // A board header in a body ends it two lines before. A first header line at the end of a
  // file does not pair with the next file's first line.
  Raw({BoardLine("fxyz", 5, "a"), Header1(2, "ABC12345", "a", "t")});  // 16, 17
  EndOfFile();                                                         // 18
  Raw({RootLine(5, 99, 7, 30, 12, 9)});                                // 19
  EndOfFile();                                                         // 20
  ASSERT_TRUE(Analyze());

  EXPECT_EQ(LastLine(kFxyz, 1, At(99, 7, 30, 12, 0)), 4);
  // The mail that ended with its file counts: the next mail takes the next key.
  EXPECT_EQ(LastLine(process->MailBoardIndex, 0, At(99, 7, 29, 21, 5)), 10);
  EXPECT_EQ(LastLine(process->MailBoardIndex, 1, At(99, 7, 29, 21, 6)), 14);
  EXPECT_EQ(ArticleCount(kFxyz), 1);
}

// A notice on the first line of a later file: its range would start in the file before, so it
// is clipped to its own file, and the notice is kept (it used to be dropped whole).
TEST_F(NiftyAnalysis, NoticeOnTheFirstLineOfALaterFileIsKept) {
  MakeProcess();
  Lines({"file one", "last line of file one"});
  EndOfFile();
  Lines({"－－メールが　１通届いています（未読分　１通）－－",  // Info1: the line before and it
         "after"});
  EndOfFile();
  Lines({"〔定期メンテナンスのお知らせ〕"});  // Info2: three lines, the file has one
  EndOfFile();
  Lines({"ignored"});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  const std::vector<std::string> expected = {
      J("－－メールが　１通届いています（未読分　１通）－－\r"),
      J("〔定期メンテナンスのお知らせ〕\r")};
  EXPECT_EQ(SystemLines(), expected);
}

// The end line of a file ends the mail being read, but the mail list goes on in the next file:
// its mails are mails of the mail box, counted on, up to the list's footer.
TEST_F(NiftyAnalysis, AMailListThatGoesOnInTheNextFileKeepsItsMails) {
  MakeProcess();
  Lines({"MAIL>LIST", "＞番号  送信者          日付     題名", "MAIL>REA 1"});       // 0-2
  Raw({MailLine1(1, "はなこ", "DEF54321", 99, 7, 29, 21, 5), MailLine2("一通目")});  // 3, 4
  Lines({"", "end of file one"});                                                    // 5, 6
  EndOfFile();                                                                       // 7
  Raw({MailLine1(2, "じろう", "GHI11111", 99, 7, 30, 9, 12), MailLine2("二通目")});  // 8, 9
  Lines({"", "二通目の本文", "受信後 (1:削除 2:保存 3:返信 E:終了) >2"});            // 10-12
  // The footer ended mail mode: a mail header now is no mail.
  Raw({MailLine1(3, "じろう", "GHI11111", 99, 7, 30, 9, 13), MailLine2("無視")});  // 13, 14
  EndOfFile();                                                                     // 15
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount(process->MailBoardIndex), 2);
  EXPECT_EQ(LastLine(process->MailBoardIndex, 0, At(99, 7, 29, 21, 5)), 6);
  const ArticleRecord* second = Article(process->MailBoardIndex, 1, At(99, 7, 30, 9, 12));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Title().Str(), J("二通目"));
  EXPECT_EQ(second->FirstLine, 8);
  EXPECT_EQ(second->LastLine, 11);
}

// Without the end line, the last line of the log list is taken for it.
TEST_F(NiftyAnalysis, LogListWithoutEndLine) {
  MakeProcess();
  Raw({BoardLine("fxyz", 5, "a"), Header1(1, "ABC12345", "a", "t"), RootLine(5, 99, 7, 30, 12, 0)});
  Lines({"body", "final"});
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(LastLine(kFxyz, 1, At(99, 7, 30, 12, 0)), 3);
}

// Colour sequences do not hide a header; the stored lines keep them.
TEST_F(NiftyAnalysis, EscapeSequencesAreRemovedBeforeMatching) {
  MakeProcess();
  Raw({"\x1b[1;33m" + BoardLine("fxyz", 5, "a") + "\x1b[m",
       "\x1b[32m" + Header1(1, "ABC12345", "a", "t") + "\x1b[0m", RootLine(5, 99, 7, 30, 12, 0)});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount(kFxyz), 1);
  EXPECT_EQ(Article(kFxyz, 1, At(99, 7, 30, 12, 0))->Title().Str(), "t");
}

// A malformed board-header pattern ends every body at its first line without a last line.
TEST_F(NiftyAnalysis, MalformedBoardTitleLeavesBodies) {
  MakeProcess("BoardTitle=\"%Q\"");
  Raw({Header1(1, "ABC12345", "a", "t"), RootLine(5, 99, 7, 30, 12, 0)});
  Lines({"b", " \b"});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  const ArticleRecord* a = Article("`UNKNOWN__05", 1, At(99, 7, 30, 12, 0));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->LastLine, 0);
}

TEST_F(NiftyAnalysis, AddedFilesContinueFromTheirFirstLine) {
  MakeProcess();
  Raw({BoardLine("fxyz", 5, "a"), Header1(1, "ABC12345", "a", "t"), RootLine(5, 99, 7, 30, 12, 0)});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  process->SortData();
  const int32_t start = log.Count();
  Raw({BoardLine("fxyz", 5, "a"), Header1(2, "ABC12345", "a", "t"), RootLine(5, 99, 7, 30, 12, 5)});
  EndOfFile();
  ASSERT_TRUE(Analyze(start));
  process->SortData();
  EXPECT_EQ(Board(kFxyz)->OrderCount(ArticleSortNormal), 2);
}

TEST_F(NiftyAnalysis, UnknownSetChangesNothing) {
  MakeProcess();
  Raw({BoardLine("fxyz", 5, "a")});
  EXPECT_FALSE(process->AnalyzeLog(7, log, systemLog, 0));
  EXPECT_EQ(process->NetNo, -1);
  EXPECT_EQ(process->Boards.Count(), 1);  // the mail box
}

TEST_F(NiftyAnalysis, FindWriterHandle) {
  MakeProcess();
  const std::vector<std::string> lines = {
      "noise", "\x1b[32m" + Header1(5, "ABC12345", "たろう", "t") + "\x1b[m",
      Header1(6, "DEF54321", "はなこ", "t")};
  EXPECT_EQ(process->FindWriterHandle(lines), J("たろう"));
  EXPECT_EQ(process->FindWriterHandle({"noise", "more"}), "");
  EXPECT_EQ(process->FindWriterHandle({}), "");
  test::WriteBytes(dir.File("bad.ini"),
                   "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"B\"\r\nSubjectHeader=\"%Q\"\r\n");
  TNifty bad(dir.File("bad.ini"), dir.File("baddef.ini"));
  ASSERT_TRUE(bad.Settings->SelectNet(0));
  EXPECT_EQ(bad.FindWriterHandle(lines), "");
}

TEST_F(NiftyAnalysis, IdChecks) {
  MakeProcess();
  EXPECT_EQ(process->CheckIdNumber(-5), "");
  const std::string message = J("IDは英字3文字+数値5桁で指定して下さい");
  std::string id = "abc12345";
  EXPECT_EQ(process->CheckIdText(id), "");
  EXPECT_EQ(id, "ABC12345");
  id = "aBc12345";
  EXPECT_EQ(process->CheckIdText(id), "");
  EXPECT_EQ(id, "ABC12345");
  for (const char* bad : {"AB123456", "ABC1234", "ABC123456", "ABC1234X", "", "ABC 2345"}) {
    id = bad;
    EXPECT_EQ(process->CheckIdText(id), message) << bad;
    EXPECT_EQ(id, bad);
  }
}

TEST_F(NiftyAnalysis, BoardLabelsAndNames) {
  MakeProcess();
  TBoardList& boards = process->Boards;
  boards.AddBoard(-1, "_FXYZ_____05", "t");
  boards.AddBoard(-1, "_FXYZ____5", "ten bytes");
  boards.AddBoard(-1, "_LONGFORUMNAME_12", "t");
  const int32_t fxyz = boards.FindBoardId("_FXYZ_____05");
  const int32_t mail = boards.FindBoardId(" MAIL       ");
  const int32_t ten = boards.FindBoardId("_FXYZ____5");
  const int32_t longer = boards.FindBoardId("_LONGFORUMNAME_12");
  EXPECT_EQ(process->GetBoardLabel(fxyz, true), "FXYZ    :MES:05");
  EXPECT_EQ(process->GetBoardLabel(fxyz, false), "FXYZ:MES:5");
  EXPECT_EQ(process->GetBoardName(fxyz), "FXYZ  MES(05)");
  EXPECT_EQ(process->GetBoardLabel(mail, true), "MAIL" + std::string(11, ' '));
  EXPECT_EQ(process->GetBoardLabel(mail, false), "MAIL");
  EXPECT_EQ(process->GetBoardName(mail), "MAIL");
  EXPECT_EQ(process->GetBoardLabel(ten, true), "");
  EXPECT_EQ(process->GetBoardName(ten), "");
  EXPECT_EQ(process->GetBoardLabel(longer, true), "LONGFORUMNAME:MES:12");
  EXPECT_EQ(process->GetBoardLabel(-1, true), "");
  EXPECT_EQ(process->GetBoardName(boards.Count()), "");
}

}  // namespace
}  // namespace vorn
