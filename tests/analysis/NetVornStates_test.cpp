// The NetVorn analyser's state machine met by a line it does not expect in each of its stages:
// a board title, a board-list line, a member-ID list, a system message. Outside a body each of
// them must act as it does anywhere else (a board title cutting off an article's header group
// still changes the board); inside a body it is body text. A probe entry after the line shows
// where the analysis stands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/NetVornTestFixture.h"

namespace vorn {
namespace {

using test::J;

enum class Stage {
  WaitHeader,       // a board is current, nothing open
  WaitSubject,      // after an article's header line
  WaitRess,         // after its subject line
  WaitFooter,       // after its reply-information line
  InBody,           // in the body of a stored article
  InIdList,         // in a member-ID list
  MailWaitSubject,  // the mail box: after a mail's header line
  MailWaitFooter,   // after its subject line
  MailBody,         // in the body of a stored mail
};
enum class Unexpected { BoardTitle, BoardList, IdList, SystemMessage };

const char* Name(Stage s) {
  static const char* const names[] = {"WaitHeader",      "WaitSubject",    "WaitRess",
                                      "WaitFooter",      "InBody",         "InIdList",
                                      "MailWaitSubject", "MailWaitFooter", "MailBody"};
  return names[static_cast<int>(s)];
}
const char* Name(Unexpected u) {
  static const char* const names[] = {"board title", "board-list line", "ID list",
                                      "system message"};
  return names[static_cast<int>(u)];
}

bool InMailBox(Stage s) {
  return s == Stage::MailWaitSubject || s == Stage::MailWaitFooter || s == Stage::MailBody;
}
bool InABody(Stage s) {
  return s == Stage::InBody || s == Stage::MailBody;
}

const char* const kMessage = "(システム) 22時より定期メンテナンスを行います";

class NetVornUnexpectedLine : public test::NetVornFixture {
 protected:
  void Reach(Stage stage) {
    if (InMailBox(stage)) {
      Lines({"No.0 ｢メール｣", "-\t"});
      if (stage == Stage::MailWaitSubject) return;
      Line("mail 99/07/30 14:20 cut mail");
      if (stage == Stage::MailBody) Lines({"  2 lines 2048:hanako ", "mail body"});
      return;
    }
    BoardTitle(1);
    LogArticle(100, false);
    Line("読み終わりました");
    switch (stage) {
      case Stage::WaitHeader:
        break;
      case Stage::WaitSubject:
        Line("-\t");
        break;
      case Stage::WaitRess:
        Lines({"-\t", "general(200/999) 99/07/30 12:00 cut article"});
        break;
      case Stage::WaitFooter:
        Lines({"-\t", "general(200/999) 99/07/30 12:00 cut article", " <100:title/1024:m1024>"});
        break;
      case Stage::InBody:
        Lines({"-\t", "general(200/999) 99/07/30 12:00 open article", "  3 lines 1024:m1024 ",
               "body"});
        break;
      case Stage::InIdList:
        Lines({"----+--------------------", " 1024:m1024"});
        break;
      default:
        break;
    }
  }
  void Add(Unexpected line) {
    switch (line) {
      case Unexpected::BoardTitle:
        Line("No.5 ｢board5｣");
        break;
      case Unexpected::BoardList:
        Line(" 5.  \\five\tfive board");
        break;
      case Unexpected::IdList:
        Lines({"----+--------------------", " 4096:しろう"});
        break;
      case Unexpected::SystemMessage:
        Line(kMessage);
        break;
    }
  }
  // An entry of the board: a mail in the mail box, an article elsewhere.
  void Probe(int32_t board) {
    if (board == 0) {
      Lines({"-\t", "mail 99/07/30 15:00 probe", "  1 lines 2048:hanako ", "probe body"});
    } else {
      Lines(
          {"-\t", "general(300/999) 99/07/30 15:00 probe", "  1 lines 2048:hanako ", "probe body"});
    }
  }
  // The number of the board holding a live entry with that title; -99 when none does.
  int32_t BoardHolding(const std::string& title) {
    for (int32_t b = 0; b < process->Boards.Count(); ++b) {
      const TArticleList* articles = process->Boards.GetArticles(b);
      for (int32_t i = 0; articles && i < articles->Count(); ++i) {
        const ArticleRecord* r = articles->Entry(i);
        if (r->Used == 1 && r->Title().Str() == title) return process->Boards.GetBoardNo(b);
      }
    }
    return -99;
  }
  bool SystemLogHas(const std::string& text) {
    for (int32_t i = 0; i < systemLog.Count(); ++i) {
      if (systemLog.GetLine(i) == text) return true;
    }
    return false;
  }

  void Check(Stage stage, Unexpected line) {
    SCOPED_TRACE(std::string(Name(line)) + " in stage " + Name(stage));
    log.Clear();
    systemLog.Clear();
    MakeProcess();
    Reach(stage);
    Add(line);
    // Inside a body the line is text; anywhere else it acts.
    const bool acts = !InABody(stage);
    const bool changesBoard =
        acts && (line == Unexpected::BoardTitle || line == Unexpected::BoardList);
    const int32_t home = InMailBox(stage) ? 0 : 1;
    const int32_t board = changesBoard ? 5 : home;
    Probe(board);
    EndOfFile();
    ASSERT_TRUE(Analyze());

    EXPECT_EQ(BoardHolding("probe"), board);
    EXPECT_EQ(process->Boards.FindBoardNo(5) >= 0, changesBoard);
    EXPECT_EQ(Handle(4096) == J("しろう"), acts && line == Unexpected::IdList);
    EXPECT_EQ(SystemLogHas(J(kMessage) + "\r"), acts && line == Unexpected::SystemMessage);
    // A header group cut off is no entry; an entry whose body held the line keeps it.
    EXPECT_EQ(BoardHolding("cut article"), -99);
    EXPECT_EQ(BoardHolding("cut mail"), stage == Stage::MailBody ? 0 : -99);
    if (stage == Stage::InBody) {
      const int32_t open = BoardHolding("open article");
      EXPECT_EQ(open, 1);
    }
  }
};

TEST_F(NetVornUnexpectedLine, ActsOutsideABodyAndIsTextInside) {
  for (Stage stage :
       {Stage::WaitHeader, Stage::WaitSubject, Stage::WaitRess, Stage::WaitFooter, Stage::InBody,
        Stage::InIdList, Stage::MailWaitSubject, Stage::MailWaitFooter, Stage::MailBody}) {
    for (Unexpected line : {Unexpected::BoardTitle, Unexpected::BoardList, Unexpected::IdList,
                            Unexpected::SystemMessage}) {
      Check(stage, line);
    }
  }
}

}  // namespace
}  // namespace vorn
