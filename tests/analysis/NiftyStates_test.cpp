// The Nifty-Serve analyser's state machine met by a line it does not expect in each of its
// stages: a board header, a mail-mode line (the mail list's heading), a system notice. Outside a
// body each acts as it does anywhere else, except that while mail mode is on no mail-mode line
// and no notice is looked for; inside a body only a board header acts. A probe entry after the
// line shows where the analysis stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/NiftyTestFixture.h"

namespace vorn {
namespace {

using test::BoardLine;
using test::Header1;
using test::J;
using test::MailLine1;
using test::MailLine2;
using test::RootLine;

enum class Stage {
  Between,           // an article board, nothing open
  ExpectSecond,      // after an article's first header line
  ArticleBody,       // in the body of a stored article
  MailWaiting,       // in the mail list, nothing open
  MailExpectSecond,  // after a mail's first header line
  MailBody,          // in the body of a stored mail
};
enum class Unexpected { BoardHeader, MailModeLine, Notice };

const char* Name(Stage s) {
  static const char* const names[] = {"Between",     "ExpectSecond",     "ArticleBody",
                                      "MailWaiting", "MailExpectSecond", "MailBody"};
  return names[static_cast<int>(s)];
}
const char* Name(Unexpected u) {
  static const char* const names[] = {"board header", "mail-mode line", "notice"};
  return names[static_cast<int>(u)];
}

bool InMail(Stage s) {
  return s == Stage::MailWaiting || s == Stage::MailExpectSecond || s == Stage::MailBody;
}

// Where the analysis stands after the line.
enum class State { HomeBoard, NewBoard, MailList, HomeArticleBody, MailBodyStill };

// What the line must do, by the rules of the analysis.
State Expected(Stage stage, Unexpected line) {
  if (line == Unexpected::BoardHeader) return State::NewBoard;  // ends any body first
  switch (stage) {
    case Stage::Between:
    case Stage::ExpectSecond:
      return line == Unexpected::MailModeLine ? State::MailList : State::HomeBoard;
    case Stage::ArticleBody:
      return State::HomeArticleBody;
    case Stage::MailWaiting:
    case Stage::MailExpectSecond:
      return State::MailList;
    case Stage::MailBody:
      return State::MailBodyStill;
  }
  return State::HomeBoard;
}

const char* const kHome = "_FXYZ_____05";
const char* const kNew = "_FABC_____07";
const char* const kNotice = "〔定期メンテナンスのお知らせ〕";
const char* const kMailNotice = "－－メールが　１通届いています（未読分　１通）－－";

class NiftyUnexpectedLine : public test::NiftyFixture {
 protected:
  void Reach(Stage stage) {
    if (InMail(stage)) {
      Lines({"MAIL>LIST", "＞番号  送信者          日付     題名", "MAIL>REA 1"});
      if (stage == Stage::MailWaiting) return;
      Raw({MailLine1(1, "はなこ", "DEF54321", 99, 7, 29, 21, 5)});
      if (stage == Stage::MailBody) Raw({MailLine2("first mail"), "mail body"});
      return;
    }
    Raw({BoardLine("fxyz", 5, "home"), Header1(100, "ABC12345", "a", "first article"),
         RootLine(5, 99, 7, 30, 10, 0), "body"});
    Lines({"電子会議 (1:読む 2:書く 3:検索 E:終了) >"});
    if (stage == Stage::Between) return;
    Raw({Header1(200, "ABC12345", "a", "second article")});
    if (stage == Stage::ArticleBody) Raw({RootLine(5, 99, 7, 30, 11, 0), "body"});
  }
  void Add(Unexpected line) {
    switch (line) {
      case Unexpected::BoardHeader:
        Raw({BoardLine("fabc", 7, "new board")});
        break;
      case Unexpected::MailModeLine:
        Lines({"MAIL>REA 2"});
        break;
      case Unexpected::Notice:
        Lines({kNotice});
        break;
    }
  }
  void ArticleProbe(int bno) {
    Raw({Header1(300, "GHI11111", "p", "probe"), RootLine(bno, 99, 8, 1, 1, 1), "probe body"});
    Lines({"電子会議 (1:読む 2:書く 3:検索 E:終了) >"});
  }
  void MailProbe() {
    Raw({MailLine1(9, "p", "GHI11111", 99, 8, 1, 1, 1), MailLine2("probe"), "probe body"});
    Lines({"受信後 (1:削除 2:保存 3:返信 E:終了) >E"});
  }
  // An entry where the state says entries go now.
  void Probe(State state) {
    switch (state) {
      case State::HomeBoard:
      case State::HomeArticleBody:  // the probe's header line ends the body
        ArticleProbe(5);
        break;
      case State::NewBoard:
        // A notice shows whether mail mode is still on.
        Lines({kMailNotice});
        ArticleProbe(7);
        break;
      case State::MailList:
        MailProbe();
        break;
      case State::MailBodyStill:
        // A mail body goes on to the list's footer, which ends mail mode; the list is entered
        // again for the probe.
        Lines({"受信後 (1:削除 2:保存 3:返信 E:終了) >2", "MAIL>REA 9"});
        MailProbe();
        break;
    }
  }
  // The board holding a live entry with that title; empty when none does.
  std::string BoardHolding(const std::string& title) {
    for (int32_t b = 0; b < process->Boards.Count(); ++b) {
      const TArticleList* articles = process->Boards.GetArticles(b);
      for (int32_t i = 0; articles && i < articles->Count(); ++i) {
        const ArticleRecord* r = articles->Entry(i);
        if (r->Used == 1 && r->Title().Str() == title) return process->Boards.GetBoardId(b);
      }
    }
    return {};
  }

  void Check(Stage stage, Unexpected line) {
    SCOPED_TRACE(std::string(Name(line)) + " in stage " + Name(stage));
    log.Clear();
    systemLog.Clear();
    MakeProcess();
    Reach(stage);
    Add(line);
    const State state = Expected(stage, line);
    Probe(state);
    EndOfFile();
    ASSERT_TRUE(Analyze());

    const std::string mailBox = process->MailBoardIndex;
    const std::string probeBoard = state == State::NewBoard ? kNew
                                   : state == State::MailList || state == State::MailBodyStill
                                       ? mailBox
                                       : kHome;
    EXPECT_EQ(BoardHolding("probe"), probeBoard);
    EXPECT_EQ(process->Boards.FindBoardId(kNew) >= 0, state == State::NewBoard);
    const bool noticeActs = line == Unexpected::Notice && state == State::HomeBoard;
    const std::vector<std::string> messages = SystemLines();
    auto copied = [&](const char* notice) {
      return std::find(messages.begin(), messages.end(), J(notice) + "\r") != messages.end();
    };
    EXPECT_EQ(copied(kNotice), noticeActs);
    // A board header outside a body leaves mail mode on; one inside a body ends the entry and
    // mail mode with it.
    const bool mailModeOn = line == Unexpected::BoardHeader &&
                            (stage == Stage::MailWaiting || stage == Stage::MailExpectSecond);
    EXPECT_EQ(copied(kMailNotice), state == State::NewBoard && !mailModeOn);
    // A first header line without its second is no entry; the entries read before stay.
    EXPECT_EQ(BoardHolding("second article"), stage == Stage::ArticleBody ? kHome : "");
    EXPECT_EQ(BoardHolding("first mail"), stage == Stage::MailBody ? mailBox : "");
  }
};

TEST_F(NiftyUnexpectedLine, ActsOutsideABodyAndOnlyABoardHeaderActsInside) {
  for (Stage stage : {Stage::Between, Stage::ExpectSecond, Stage::ArticleBody, Stage::MailWaiting,
                      Stage::MailExpectSecond, Stage::MailBody}) {
    for (Unexpected line : {Unexpected::BoardHeader, Unexpected::MailModeLine, Unexpected::Notice})
      Check(stage, line);
  }
}

}  // namespace
}  // namespace vorn
