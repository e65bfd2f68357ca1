#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/NetVornTestFixture.h"
#include "platform/UiServices.h"

namespace vorn {
namespace {

using test::At;
using test::J;

class NetVornAnalysis : public test::NetVornFixture {};

// A capture of a board with one reply and one root, line by line as the default templates read
// it, starting at line 100.
TEST_F(NetVornAnalysis, WorkedExampleLineByLine) {
  MakeProcess();
  for (int i = 0; i < 100; ++i)
    Line("filler");
  Lines({
      "No.3 ｢雑談｣",                                    // 100 board title
      "-\t",                                            // 101 header
      "general(123/130) 99/07/30 12:34 Meeting notes",  // 102 subject
      " <120:Re: plans/1024:taro>",                     // 103 reply information
      "  12 lines 2048:hanako ",                        // 104 footer
      "body one",                                       // 105
      "body two",                                       // 106
      "",                                               // 107
      "-\t",                                            // 108 next header ends the reply
      "general(124/130) 99/07/30 12:50 Second",         // 109 subject
      "  2 lines 1024:taro ",                           // 110 footer right after the subject
      "root body",                                      // 111
  });
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(process->NetNo, 0);

  const int32_t board = process->Boards.FindBoardNo(3);
  ASSERT_GE(board, 0);
  EXPECT_EQ(process->Boards.GetBoardId(board), "general");
  EXPECT_EQ(process->Boards.GetBoardTitle(board), J("雑談"));

  const ArticleRecord* reply = Article(3, 123, At(99, 7, 30, 12, 34));
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(reply->Kind, ArticleKindRess);
  EXPECT_EQ(reply->WriteFlag, 0);
  EXPECT_EQ(reply->Number, 123);
  EXPECT_EQ(reply->ParentKey, 120);
  EXPECT_EQ(reply->ParentNumber, 120);
  EXPECT_EQ(reply->ParentTitle().Str(), "Re: plans");
  EXPECT_EQ(reply->ParentWriterId, 1024);
  EXPECT_EQ(reply->WriterId, 2048);
  EXPECT_EQ(reply->Title().Str(), "Meeting notes");
  EXPECT_EQ(reply->FirstLine, 102);
  EXPECT_EQ(reply->BodyOffset, 3);
  EXPECT_EQ(reply->LastLine, 106);

  // Line 108 was the next article's header, so 109 is read as its subject; 110 is no reply
  // information and is taken as the footer at once.
  const ArticleRecord* root = Article(3, 124, At(99, 7, 30, 12, 50));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Kind, ArticleKindRoot);
  EXPECT_EQ(root->ParentKey, -1);
  EXPECT_EQ(root->ParentNumber, -1);
  EXPECT_EQ(root->ParentWriterId, -1);
  EXPECT_EQ(root->FirstLine, 109);
  EXPECT_EQ(root->BodyOffset, 2);
  // Open at the end of a log that has no end line: up to the line before the last.
  EXPECT_EQ(root->LastLine, 110);

  EXPECT_EQ(Handle(2048), "hanako");
  EXPECT_EQ(Handle(1024), "taro");
  EXPECT_TRUE(process->MembersChanged);
  EXPECT_EQ(systemLog.Count(), 0);
}

TEST_F(NetVornAnalysis, NothingIsReadBeforeTheFirstBoardOrTheNextHeader) {
  MakeProcess();
  Lines({
      "-\t",  // no current board yet
      "general(1/9) 99/07/30 12:00 lost",
      "  1 lines 1:a ",
      "No.4 ｢Tech｣",
      "general(2/9) 99/07/30 12:01 not after a header",
      "  1 lines 1:a ",
      "-\t",
      "tech(3/9) 99/07/30 12:02 kept",
      "  1 lines 1:a ",
      "body",
  });
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount(4), 1);
  EXPECT_NE(Article(4, 3, At(99, 7, 30, 12, 2)), nullptr);
  EXPECT_EQ(ArticleCount(0), 0);
}

TEST_F(NetVornAnalysis, TerminalLinesEndTheBodyAndWaitForAHeader) {
  MakeProcess();
  Lines({
      "No.1 ｢a｣", "-\t",
      "general(10/20) 99/07/30 12:00 first",  // 2
      "  2 lines 7:x ", "line", "",
      "ファイルを転送します",  // 6: Terminal3, a prefix of the line is enough
      "general(11/20) 99/07/30 12:10 no header before it", "  2 lines 7:x ", "-\t",
      "general(12/20) 99/07/30 12:20 second",  // 10
      "  2 lines 7:x ", "text", "",
      "削除しますか(Y/N)",  // 14: Terminal4
  });
  ASSERT_TRUE(Analyze());
  const ArticleRecord* first = Article(1, 10, At(99, 7, 30, 12, 0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->LastLine, 4);
  EXPECT_EQ(Article(1, 11, At(99, 7, 30, 12, 10)), nullptr);
  const ArticleRecord* second = Article(1, 12, At(99, 7, 30, 12, 20));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->FirstLine, 10);
  EXPECT_EQ(second->LastLine, 12);
}

TEST_F(NetVornAnalysis, BinaryArticlesAndBoardTitlesInsideABody) {
  MakeProcess();
  Lines({
      "No.7 ｢Files｣",
      "-\t",
      "bin(5/6) 99/07/30 14:00 picture",
      "  [pic.lzh] 12KB 3072:jiro ",
      "about the picture",
      "-\t",
      "bin(6/6) 99/07/30 14:05 Re: picture",
      " <5:picture/3072:jiro>",
      "  [fix.lzh] 2KB 1024:taro ",
      "fixed",
      "No.0 ｢メール｣",  // 10: inside a body nothing but a header or terminal counts
      "more of the reply",
      "",
      "-\t",
      "bin(7/7) 99/07/30 14:10 still board 7",
      "  1 lines 1024:taro ",
  });
  ASSERT_TRUE(Analyze());
  const ArticleRecord* root = Article(7, 5, At(99, 7, 30, 14, 0));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Kind, ArticleKindBinaryRoot);
  EXPECT_EQ(root->WriterId, 3072);
  EXPECT_EQ(root->LastLine, 3);
  const ArticleRecord* ress = Article(7, 6, At(99, 7, 30, 14, 5));
  ASSERT_NE(ress, nullptr);
  EXPECT_EQ(ress->Kind, ArticleKindBinaryRess);
  EXPECT_EQ(ress->ParentKey, 5);
  EXPECT_EQ(ress->ParentTitle().Str(), "picture");
  EXPECT_EQ(ress->LastLine, 11);
  EXPECT_EQ(Handle(1024), "taro");
  EXPECT_NE(Article(7, 7, At(99, 7, 30, 14, 10)), nullptr);
  EXPECT_EQ(ArticleCount(0), 0);
}

TEST_F(NetVornAnalysis, MailsAreCountedFromZeroAndTheLastOneKeepsItsLines) {
  MakeProcess();
  Lines({
      "No.0 ｢メール｣", "-\t",
      "mail 99/07/30 14:20 hello",  // 2
      "  4 lines 2048:hanako ", "mail body", "",
      "次のメールを確認しますか (Y/N)?Y",  // 6
      "-\t",
      "mail 99/07/30 14:25 again",  // 8
      "  [data.lzh] 3KB 3072:jiro ", "second mail",
      "last line",  // 11
  });
  EndOfFile();
  ASSERT_TRUE(Analyze());
  const ArticleRecord* first = Article(0, 0, At(99, 7, 30, 14, 20));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Kind, ArticleKindMail);
  EXPECT_EQ(first->Number, 0);
  EXPECT_EQ(first->ParentKey, -1);
  EXPECT_EQ(first->WriterId, 2048);
  EXPECT_EQ(first->Title().Str(), "hello");
  EXPECT_EQ(first->FirstLine, 2);
  EXPECT_EQ(first->BodyOffset, 2);
  EXPECT_EQ(first->LastLine, 4);
  const ArticleRecord* second = Article(0, 1, At(99, 7, 30, 14, 25));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Kind, ArticleKindBinaryMail);
  EXPECT_EQ(second->Number, 1);
  EXPECT_EQ(second->FirstLine, 8);
  EXPECT_EQ(second->LastLine, 11);
  EXPECT_EQ(process->Boards.GetBoardId(process->Boards.FindBoardNo(0)), "mail");
}

// The loader appends the entry's end line after every file; the article open at the end of a
// file must keep its lines up to the file's last line and no more.
TEST_F(NetVornAnalysis, EachLogFileEndsTheArticleOpenInIt) {
  MakeProcess();
  EXPECT_EQ(process->Settings->LogEndLine, J("%C読み終わりました"));
  Lines({
      "No.2 ｢Talk｣", "-\t",
      "talk(1/2) 99/07/30 10:00 first file",  // 2
      "  3 lines 1:a ", "first body",
      "first file's last line",  // 5
  });
  EndOfFile();  // 6
  Lines({
      "continues in the next capture",  // 7: no open body any more: ignored
      "", "-\t",
      "talk(2/2) 99/07/30 11:00 second file",  // 10
      "  3 lines 1:a ", "second body",
      "second file's last line",  // 13
  });
  EndOfFile();  // 14
  ASSERT_TRUE(Analyze());
  const ArticleRecord* first = Article(2, 1, At(99, 7, 30, 10, 0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->LastLine, 5);
  const ArticleRecord* second = Article(2, 2, At(99, 7, 30, 11, 0));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->FirstLine, 10);
  EXPECT_EQ(second->LastLine, 13);
}

TEST_F(NetVornAnalysis, AFileEndingInTheHeaderGroupDoesNotLeakIntoTheNext) {
  MakeProcess();
  Lines({"No.2 ｢Talk｣", "-\t", "talk(1/2) 99/07/30 10:00 cut off"});
  EndOfFile();
  // Without the end of the file this would be taken as the cut-off article's footer.
  Lines({"  3 lines 1:a ", "text"});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(ArticleCount(2), 0);
}

TEST_F(NetVornAnalysis, AnEmptyEndLineDoesNotEndBodiesAtEmptyLines) {
  MakeProcess("Terminal1=\"\"");
  EXPECT_TRUE(process->Settings->LogEndLine.empty());
  Lines({"No.2 ｢Talk｣", "-\t", "talk(1/2) 99/07/30 10:00 t", "  3 lines 1:a ", "one", "", "two",
         "three"});
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(Article(2, 1, At(99, 7, 30, 10, 0))->LastLine, 6);
}

// A host may print its prompt and echo the next command right after a footer; the body was
// shown only after a read-type command.
TEST_F(NetVornAnalysis, PromptOnThePlainFooterLine) {
  MakeProcess();
  Lines({
      "No.1 ｢a｣",
      "-\t",
      "general(1/9) 99/07/30 12:00 read",
      "  3 lines 2048:hanako Command (?:R",
      "body",
      "-\t",
      "general(2/9) 99/07/30 12:01 written",
      "  3 lines 1024:taro Command (?:W",
      "-\t",
      "general(3/9) 99/07/30 12:02 bare prompt",
      "  3 lines 3072:jiro Command (?:",
      "-\t",
      "general(4/9) 99/07/30 12:03 v for view",
      "  3 lines 4096:saburo Command (?:V",
  });
  ASSERT_TRUE(Analyze());
  EXPECT_NE(Article(1, 1, At(99, 7, 30, 12, 0)), nullptr);
  EXPECT_EQ(Handle(2048), "hanako");
  EXPECT_EQ(Article(1, 2, At(99, 7, 30, 12, 1)), nullptr);
  EXPECT_EQ(Handle(1024), "<none>");
  // The byte before the line end decides: ':' is no command.
  EXPECT_EQ(Article(1, 3, At(99, 7, 30, 12, 2)), nullptr);
  EXPECT_NE(Article(1, 4, At(99, 7, 30, 12, 3)), nullptr);
  EXPECT_EQ(Handle(4096), "saburo");
}

TEST_F(NetVornAnalysis, PromptOnTheMpnFooterLine) {
  MakeProcess("MPN=1");
  Lines({
      "No.1 ｢a｣",
      "-\t",
      "general(1/9) 99/07/30 12:00 read",
      "  3 lines 2048:hanako Command (?:R",
      "-\t",
      "general(2/9) 99/07/30 12:01 written",
      "  3 lines 1024:taro Command (?:W",
      "-\t",
      "general(3/9) 99/07/30 12:02 bare prompt",
      "  3 lines 3072:jiro Command (?:",
      "-\t",
      "general(4/9) 99/07/30 12:03 no prompt",
      "  3 lines 4096:saburo ",
  });
  ASSERT_TRUE(Analyze());
  EXPECT_NE(Article(1, 1, At(99, 7, 30, 12, 0)), nullptr);
  EXPECT_EQ(Handle(2048), "hanako");
  EXPECT_EQ(Article(1, 2, At(99, 7, 30, 12, 1)), nullptr);
  // Nothing after the prompt: the first read-type command is assumed.
  EXPECT_NE(Article(1, 3, At(99, 7, 30, 12, 2)), nullptr);
  EXPECT_EQ(Handle(3072), "jiro");
  EXPECT_NE(Article(1, 4, At(99, 7, 30, 12, 3)), nullptr);
  EXPECT_EQ(Handle(4096), "saburo");
}

TEST_F(NetVornAnalysis, PromptOnTheLineAfterAKtcFooter) {
  MakeProcess("KTC=1");
  Lines({
      "No.1 ｢a｣",
      "-\t",
      "general(1/9) 99/07/30 12:00 read",  // 2
      "  3 lines 2048:hanako ",
      "Command (?:R",  // 4: not part of the body
      "body",
      "",
      "-\t",
      "general(2/9) 99/07/30 12:01 written",
      "  3 lines 1024:taro ",
      "Command (?:W",
      "-\t",
      "general(3/9) 99/07/30 12:02 no prompt",  // 12
      "  3 lines 3072:jiro ",
      "body at once",
      "-\t",
      "general(4/9) 99/07/30 12:03 bare prompt",  // 16
      "  3 lines 4096:saburo ",
      "Command (?:",
      "-\t",
      "general(5/9) 99/07/30 12:04 footer is the last line",
      "  3 lines 5120:shiro ",
  });
  ASSERT_TRUE(Analyze());
  const ArticleRecord* read = Article(1, 1, At(99, 7, 30, 12, 0));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->FirstLine, 2);
  EXPECT_EQ(read->BodyOffset, 3);
  // KTC footers keep the handle as captured.
  EXPECT_EQ(Handle(2048), "hanako ");
  EXPECT_EQ(Article(1, 2, At(99, 7, 30, 12, 1)), nullptr);
  const ArticleRecord* plain = Article(1, 3, At(99, 7, 30, 12, 2));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->BodyOffset, 2);  // the command line of an earlier article does not carry over
  const ArticleRecord* bare = Article(1, 4, At(99, 7, 30, 12, 3));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->BodyOffset, 3);
  EXPECT_EQ(Article(1, 5, At(99, 7, 30, 12, 4)), nullptr);
}

TEST_F(NetVornAnalysis, KtcMailsAmongArticlesSwitchToTheMailBox) {
  MakeProcess("KTC=1");
  Lines({
      "-\t",  // a KTC capture starts in the mail box
      "mail 99/07/30 09:00 before any board",
      "  1 lines 2048:hanako ",
      "text",
      "No.3 ｢Talk｣",  // a body line
      "読み終わりました",
      "No.3 ｢Talk｣",
      "-\t",
      "talk(8/9) 99/07/30 10:00 an article",
      "  1 lines 1024:taro ",
      "text",
      "-\t",
      "mail 99/07/30 10:05 a mail shown in the board",
      "  1 lines 3072:jiro ",
      "text",
      "-\t",
      "talk(9/9) 99/07/30 10:10 read as a mail now",
      "  1 lines 1024:taro ",
      "text",
  });
  ASSERT_TRUE(Analyze());
  EXPECT_NE(Article(0, 0, At(99, 7, 30, 9, 0)), nullptr);
  EXPECT_NE(Article(3, 8, At(99, 7, 30, 10, 0)), nullptr);
  const ArticleRecord* mail = Article(0, 1, At(99, 7, 30, 10, 5));
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->Kind, ArticleKindMail);
  // The mail box stays current until the next board title, where every subject is a mail's.
  const ArticleRecord* after = Article(0, 2, At(99, 7, 30, 10, 10));
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(after->Kind, ArticleKindMail);
  EXPECT_EQ(after->Title().Str(), "read as a mail now");
  EXPECT_EQ(ArticleCount(3), 1);
}

TEST_F(NetVornAnalysis, SerialHeadersGiveKeysAndParents) {
  MakeProcess("SerialHeader=1");
  Lines({
      "No.1 ｢a｣",
      "-\bNo. 5123 <No. 5120>",
      "general(45/130) 99/07/30 12:34 Re: x",
      " <44:x/1024:taro>",
      "  3 lines 2048:hanako ",
      "body",
      "",
      "-\bNo. 5124",  // a serial root header ends the reply
      "general(46/130) 99/07/30 12:40 y",
      "  3 lines 1024:taro ",
      "body",
      "",
      "-\t",  // a plain header is still a header
      "general(47/130) 99/07/30 12:50 z",
      "  3 lines 1024:taro ",
  });
  ASSERT_TRUE(Analyze());
  const ArticleRecord* reply = Article(1, 5123, 5123);
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(reply->Kind, ArticleKindRess);
  EXPECT_EQ(reply->Number, 45);
  EXPECT_EQ(reply->ParentKey, 5120);
  EXPECT_EQ(reply->ParentNumber, 44);
  EXPECT_EQ(reply->LastLine, 5);
  const ArticleRecord* root = Article(1, 5124, 5124);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Number, 46);
  EXPECT_EQ(root->ParentKey, -1);
  EXPECT_NE(Article(1, 47, 47), nullptr);
}

TEST_F(NetVornAnalysis, HiddenHeaderAndFooterLinesPlaceTheArticle) {
  MakeProcess("HeaderDisp=1", "NoDispHeaderLine=0\r\nNoDispFotterLine=0");
  Lines({
      "No.1 ｢a｣",
      "-\t",
      "general(1/9) 99/07/30 12:00 root",
      "  3 lines 1:a ",  // 3
      "body",
      "",
      "-\t",  // 6
      "general(2/9) 99/07/30 12:01 Re: root",
      " <1:root/1:a>",
      "  3 lines 1:a ",  // 9
      "body",
  });
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(process->HeaderOffset, 0);
  const ArticleRecord* root = Article(1, 1, At(99, 7, 30, 12, 0));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FirstLine, 3 + 0 - 2 - 1);
  EXPECT_EQ(root->BodyOffset, 3);
  EXPECT_EQ(root->LastLine, 6 - 0 - 1);
  const ArticleRecord* ress = Article(1, 2, At(99, 7, 30, 12, 1));
  ASSERT_NE(ress, nullptr);
  EXPECT_EQ(ress->FirstLine, 9 + 0 - 3 - 1);
  EXPECT_EQ(ress->BodyOffset, 4);

  MakeProcess();
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(process->HeaderOffset, -1);
  EXPECT_EQ(Article(1, 1, At(99, 7, 30, 12, 0))->FirstLine, 2);
}

TEST_F(NetVornAnalysis, IdListsAndSystemMessages) {
  MakeProcess();
  Lines({
      "(システム) 22:00より保守",
      "----+--------------------",
      " 1024:たろう",
      "2048:はなこ",
      "No.5 ｢After the list｣",  // ends the list and is read as what it is
      "(1024:たろう) chat",
      "-\t",
      "five(1/1) 99/07/30 12:00 (not a message)",
      "  1 lines 3072:じろう ",
      "(a body line)",
  });
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(Handle(1024), J("たろう"));
  EXPECT_EQ(Handle(2048), J("はなこ"));
  EXPECT_EQ(Handle(3072), J("じろう"));
  EXPECT_GE(process->Boards.FindBoardNo(5), 0);
  ASSERT_EQ(systemLog.Count(), 2);
  EXPECT_EQ(systemLog.GetLine(0), J("(システム) 22:00より保守\r"));
  EXPECT_EQ(systemLog.GetLine(1), J("(1024:たろう) chat\r"));
}

TEST_F(NetVornAnalysis, TerminalColoursAreRemovedBeforeMatching) {
  MakeProcess();
  Lines({
      "\x1b[36mNo.6 ｢Colour｣\x1b[0m",
      "\x1b[1m-\t\x1b[0m",
      "six(1/1) 99/07/30 12:00 \x1b[32mgreen\x1b[0m title",
      "  1 lines 1:\x1b[33ma\x1b[0m ",
      "body",
  });
  ASSERT_TRUE(Analyze());
  const ArticleRecord* article = Article(6, 1, At(99, 7, 30, 12, 0));
  ASSERT_NE(article, nullptr);
  EXPECT_EQ(article->Title().Str(), "green title");
  EXPECT_EQ(Handle(1), "a");
}

// Notes the size of the member list whenever the analyser pumps messages (every 100 lines).
class CountingUi final : public UiServices {
 public:
  explicit CountingUi(const TMemberList& members) : members_(members) {}
  void Warning(const std::string&) override {}
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::No; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::No; }
  void ProcessMessages() override { seen.push_back(members_.Count()); }
  std::vector<int32_t> seen;

 private:
  const TMemberList& members_;
};

// Member list blocks of 60 IDs, each after its own board title: what has gathered is merged
// into the member list at the tenth title (540 > 499), not before, and the rest at the end.
TEST_F(NetVornAnalysis, MembersAreMergedInBatchesOfMoreThan499) {
  MakeProcess();
  for (int block = 0; block < 11; ++block) {
    Line("No." + std::to_string(block + 1) + " ｢b｣");  // at 62 * block
    Line("----+--------------------");
    for (int k = 0; k < 60; ++k)
      Line(std::to_string(block * 60 + k + 1) + ":m");
  }
  CountingUi ui(process->Members);
  ScopedUiServices scoped(&ui);
  ASSERT_TRUE(Analyze());
  // Messages are pumped at lines 0, 100, ..., 600; the tenth title is line 558. (On two
  // threads they are pumped as batches are stored, and only the end is the same.)
  if (AnalysisThreads() == 1) {
    ASSERT_GE(ui.seen.size(), 7u);
    EXPECT_EQ(ui.seen[5], 0);    // line 500
    EXPECT_EQ(ui.seen[6], 540);  // line 600
  }
  EXPECT_EQ(process->Members.Count(), 660);
  EXPECT_TRUE(process->MembersChanged);
}

TEST_F(NetVornAnalysis, FiveHundredMembersAreMergedNotFourHundredNinetyNine) {
  MakeProcess();
  auto filler = [this](int32_t upTo) {
    while (log.Count() < upTo)
      Line("...");
  };
  Line("No.1 ｢b｣");
  Line("----+--------------------");
  for (int k = 0; k < 499; ++k)
    Line(std::to_string(k + 1) + ":m");
  filler(550);
  Line("No.2 ｢b｣");  // 550: 499 gathered
  Line("----+--------------------");
  Line("500:m");
  filler(650);
  Line("No.3 ｢b｣");  // 650: 500 gathered
  filler(701);
  CountingUi ui(process->Members);
  ScopedUiServices scoped(&ui);
  ASSERT_TRUE(Analyze());
  EXPECT_EQ(process->Members.Count(), 500);
  if (AnalysisThreads() > 1) return;  // pumped as batches are stored
  ASSERT_EQ(ui.seen.size(), 8u);
  EXPECT_EQ(ui.seen[6], 0);    // line 600
  EXPECT_EQ(ui.seen[7], 500);  // line 700
}

TEST_F(NetVornAnalysis, KnownMembersGetTheirCurrentHandleUpdated) {
  MakeProcess();
  bool added = false;
  process->Members.AddMember(1024, "old", "", "", true, added);
  Lines({"----+--------------------", "1024:taro", "2048:hanako", "", "No.1 ｢a｣", "-\t",
         "general(1/9) 99/07/30 12:00 renamed", "  1 lines 2048:hanako2 ", "body"});
  ASSERT_TRUE(Analyze());
  ASSERT_EQ(process->Members.Count(), 2);
  EXPECT_EQ(process->Members.GetCurrentHandle(0), "taro");
  // The latest handle of a run wins.
  EXPECT_EQ(Handle(2048), "hanako2");
  EXPECT_EQ(process->Members.GetTrueHandle(0), "old");
  EXPECT_TRUE(process->MembersChanged);  // 2048 is new
  ASSERT_TRUE(Analyze());                // everyone is known now
  EXPECT_FALSE(process->MembersChanged);
}

TEST_F(NetVornAnalysis, AnUnknownEntryIsRefused) {
  MakeProcess();
  Line("No.1 ｢a｣");
  EXPECT_FALSE(process->AnalyzeLog(7, log, systemLog, 0));
  EXPECT_EQ(process->NetNo, -1);
  EXPECT_EQ(process->Boards.FindBoardNo(1), -1);
}

TEST_F(NetVornAnalysis, AddedFilesAreAnalysedFromTheirFirstLine) {
  MakeProcess();
  Lines({"No.1 ｢a｣", "-\t", "general(1/9) 99/07/30 12:00 one", "  1 lines 1:a ", "body"});
  EndOfFile();
  ASSERT_TRUE(Analyze());
  const int32_t start = log.Count();
  Lines({"No.1 ｢a｣", "-\t", "general(1/9) 99/07/30 12:00 one again", "  1 lines 1:a ", "body",
         "-\t", "general(2/9) 99/07/30 12:05 two", "  1 lines 1:a ", "body"});
  EndOfFile();
  ASSERT_TRUE(Analyze(start));
  EXPECT_EQ(ArticleCount(1), 2);
  const ArticleRecord* again = Article(1, 1, At(99, 7, 30, 12, 0));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Title().Str(), "one again");
  EXPECT_EQ(again->FirstLine, start + 2);
}

TEST_F(NetVornAnalysis, MailBoxLabelsAndIdChecks) {
  MakeProcess();
  TBoardList& boards = process->Boards;
  ASSERT_EQ(boards.Count(), 1);
  EXPECT_EQ(boards.GetBoardNo(0), 0);
  EXPECT_EQ(boards.GetBoardId(0), "mail");
  EXPECT_EQ(boards.GetBoardTitle(0), J("メール"));
  EXPECT_EQ(boards.IsArticleBoard(0), 0);
  EXPECT_EQ(process->MailBoardNo, 0);
  EXPECT_TRUE(process->IsMailBox(0));

  boards.AddBoard(5, "general", "");
  boards.AddBoard(12, "", "untitled");
  boards.AddBoard(123, "averylongkey", "");
  const int32_t five = boards.FindBoardNo(5);
  EXPECT_EQ(process->GetBoardLabel(five, true), "  5:general ");
  EXPECT_EQ(process->GetBoardLabel(five, false), "5:general");
  EXPECT_EQ(process->GetBoardLabel(boards.FindBoardNo(12), true), "");
  EXPECT_EQ(process->GetBoardLabel(boards.FindBoardNo(123), true), "123:averylongkey");
  EXPECT_EQ(process->GetBoardLabel(99, true), "");
  EXPECT_EQ(process->GetBoardName(five), "general");
  EXPECT_EQ(process->GetSystemName(), "NetVorn");

  EXPECT_EQ(process->CheckIdNumber(0), "");
  EXPECT_EQ(process->CheckIdNumber(99999), "");
  EXPECT_EQ(process->CheckIdNumber(100000), J("IDは0から99999までの間の数値で指定して下さい"));
  EXPECT_EQ(process->CheckIdNumber(-1), J("IDは0から99999までの間の数値で指定して下さい"));
  std::string id = "abc";
  EXPECT_EQ(process->CheckIdText(id), "");
}

}  // namespace
}  // namespace vorn
