#include "writing/WriteCommands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "analysis/DisplayTexts.h"
#include "platform/FileQuery.h"
#include "support/RecordingUiServices.h"
#include "support/WritingFixture.h"

namespace vorn {
namespace {

using test::CrLf;
using test::J;
using Lines = TStringList;

class WriteCommands : public test::WritingFixture {};

TEST_F(WriteCommands, AReplyIsQueuedUnderItsParentAsAWrite) {
  const int32_t parent = PositionOfNumber(kGeneral, 101);
  ASSERT_GE(parent, 0);
  const int32_t parentKey = Board(kGeneral).GetKey(ArticleSortTree, parent);
  test::WriteBytes(ws.settingsDir + "NET.SIG", CrLf({"-- taro", ".", "not this"}));
  // The editor is shown the title and the quoted article; the user adds an answer.
  common.Editer = editor.Command("append", CrLf({J("返事です")}));
  const WriteResult r = commands.StartWrite(kGeneral, -1, parent, WriteRess);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(r.Board, kGeneral);
  EXPECT_EQ(r.ArticleKey, 0);
  EXPECT_EQ(r.Refresh, WriteRefresh::ShowWrite);
  EXPECT_EQ(netVorn->WriteArticleNo, 1);
  EXPECT_TRUE(Board(kGeneral).Modified);

  const ArticleRecord* w = Write(kGeneral, 0);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->Kind, ArticleKindRess);
  EXPECT_EQ(w->ParentKey, parentKey);
  EXPECT_EQ(w->Title().Str(), J("Re:はじめまして"));
  // Title, the quoted article, the answer and the set's signature (named relative to the
  // settings folder).
  EXPECT_EQ(TextOf(w),
            (Lines{J("Re:はじめまして"), J(">general(101/130) 99/07/30 12:34 はじめまして"),
                   J(">  5 lines 1024:たろう "), J(">はじめまして、たろうです。"),
                   J(">よろしくお願いします。"), J("返事です"), "-- taro"}));

  // In tree order it follows its parent's replies one level below the parent, and the grid
  // shows it as a write.
  const int32_t at = Board(kGeneral).FindByKeyAndTime(ArticleSortTree, 0, 0);
  EXPECT_EQ(Board(kGeneral).GetLevel(ArticleSortTree, at),
            Board(kGeneral).GetLevel(ArticleSortTree, parent) + 1);
  TArticleRows rows(Board(kGeneral), ArticleSortTree, netVorn->Members, TreeLineNone);
  EXPECT_NE(rows.ArticleCellTexts(at).Number.find(J("[書込]")), std::string::npos);

  // The editor was listed while it ran and the file commands came back after.
  EXPECT_EQ(host.fileCommands, (std::vector<bool>{false, true}));
  EXPECT_TRUE(editors.Empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WriteCommands, MailToAChosenMember) {
  host.shown = kMail;
  host.recipient = "2048";
  common.Editer = editor.Command("replace", CrLf({J("お知らせ"), J("本文")}));
  const WriteResult r = commands.StartWrite(kMail, -1, -1, WriteRoot);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(r.Board, kMail);
  EXPECT_EQ(r.Refresh, WriteRefresh::ShowWrite);
  const ArticleRecord* w = Write(kMail, r.ArticleKey);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->Kind, ArticleKindMail);
  EXPECT_EQ(TMailSendList::GetRecipientId(w->MailTo(), 0), 2048);
  EXPECT_EQ(w->MailTo()->Count(), 1);
  // The signature's error line follows the body.
  EXPECT_EQ(TextOf(w)[1], J("本文"));

  // Without RoorWriteJump the mail box is shown again where it was.
  common.RoorWriteJump = false;
  common.Editer = editor.Command("replace", CrLf({"again", "body"}));
  EXPECT_EQ(commands.StartWrite(kMail, -1, -1, WriteRoot).Refresh, WriteRefresh::RedrawCurrent);
}

TEST_F(WriteCommands, NewMailRefusals) {
  host.shown = kMail;
  common.Editer = editor.Command("replace", CrLf({"T", "body"}));
  // Nothing chosen: silently nothing.
  EXPECT_FALSE(commands.StartWrite(kMail, -1, -1, WriteRoot).Done);
  EXPECT_EQ(host.recipientAsked, 1);
  host.recipient = "abc";
  EXPECT_FALSE(commands.StartWrite(kMail, -1, -1, WriteRoot).Done);
  netVorn->Members.Clear();
  EXPECT_FALSE(commands.StartWrite(kMail, -1, -1, WriteRoot).Done);
  EXPECT_EQ(host.recipientAsked, 2);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{J("ID:abc指定エラーです"), J("IDが登録されていません")}));
  // No editor was started for any of them.
  EXPECT_TRUE(host.fileCommands.empty());
  EXPECT_EQ(netVorn->WriteArticleNo, 0);
}

TEST_F(WriteCommands, MailReplyFromAnArticleBoardGoesToTheWriter) {
  const int32_t p = PositionOfNumber(kGeneral, 102);
  common.Editer = editor.Command("append", CrLf({"private answer"}));
  const WriteResult r = commands.StartWrite(kGeneral, -1, p, WriteMail);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(r.Board, kMail);
  EXPECT_EQ(r.Refresh, WriteRefresh::None);
  const ArticleRecord* w = Write(kMail, r.ArticleKey);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->Kind, ArticleKindMail);
  EXPECT_EQ(TMailSendList::GetRecipientId(w->MailTo(), 0), 2048);
  EXPECT_EQ(w->ParentKey, -1);
}

TEST_F(WriteCommands, JumpReplyLeavesItsNoticeInTheSourceBoard) {
  const int32_t p = PositionOfNumber(kGeneral, 101);
  const int32_t sourceKey = Board(kGeneral).GetKey(ArticleSortTree, p);
  common.Editer = editor.Command("append", CrLf({"moved here"}));
  const WriteResult r = commands.StartWrite(kGeneral, kProg, p, WriteRess);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(r.Board, kProg);
  EXPECT_EQ(r.NoticeBoard, kGeneral);
  EXPECT_EQ(r.Refresh, WriteRefresh::ShowWrite);

  const ArticleRecord* notice = Write(kGeneral, 0);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->Kind, ArticleKindRess);
  EXPECT_EQ(notice->ParentKey, sourceKey);
  EXPECT_EQ(TextOf(notice), Lines{J("2:progへ移動します(t/o)")});

  const ArticleRecord* moved = Write(kProg, 1);
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->Kind, ArticleKindRoot);
  EXPECT_EQ(moved->ParentKey, -1);
  const Lines text = TextOf(moved);
  ASSERT_GE(text.size(), 5u);
  EXPECT_EQ(Lines(text.begin(), text.begin() + 4),
            (Lines{J("Re:はじめまして"), "Board Shift by", J(" 1:general 101:はじめまして"),
                   J("  wrote by 1024:たろう")}));
  EXPECT_EQ(netVorn->WriteArticleNo, 2);
}

TEST_F(WriteCommands, JumpReplyFromAReadOnlyBoardLeavesNoNotice) {
  netVorn->Boards.SetBoardAttr(kGeneral, 1, 0, 1);
  common.Editer = editor.Command("append", CrLf({"moved"}));
  const WriteResult r =
      commands.StartWrite(kGeneral, kProg, PositionOfNumber(kGeneral, 101), WriteRess);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(r.NoticeBoard, -1);
  EXPECT_TRUE(Write(kProg, 0));
  EXPECT_EQ(Board(kGeneral).Modified, 0);
}

TEST_F(WriteCommands, ChecksRefuseInTheirOrder) {
  TBoardList& boards = netVorn->Boards;
  const int32_t p = PositionOfNumber(kGeneral, 101);
  auto refusal = [&](int32_t source, int32_t dest, TWriteType type) {
    ui.entries.clear();
    EXPECT_FALSE(commands.StartWrite(source, dest, p, type).Done);
    return ui.entries.size() == 1 ? ui.entries[0].text : std::string("(none)");
  };
  boards.SetBoardAttr(kBinary, 1, 1, 0);
  EXPECT_EQ(refusal(kBinary, -1, WriteRoot),
            J("このボードはバイナリボードのため、通常記事を書込めません"));
  EXPECT_EQ(refusal(kGeneral, -1, WriteBinaryRess),
            J("このボードは通常ボードのため、バイナリ記事を書込めません"));
  EXPECT_EQ(refusal(kGeneral, kGeneral, WriteRess),
            J("レス元と同じボードです、通常のレス操作を行って下さい"));
  // A jump reply is checked against its destination.
  EXPECT_EQ(refusal(kGeneral, kBinary, WriteRess),
            J("このボードはバイナリボードのため、通常記事を書込めません"));
  boards.SetBoardAttr(kGeneral, 1, 0, 1);
  EXPECT_EQ(refusal(kGeneral, -1, WriteRoot), J("このボードは書込み禁止です"));
  boards.SetBoardAttr(kGeneral, 1, 0, 2);
  EXPECT_EQ(refusal(kGeneral, -1, WriteRess), J("このボードはレス禁止です"));
  // A board whose number was never settled.
  boards.Board(kGeneral)->BoardNo = 2030000000;
  EXPECT_EQ(refusal(kGeneral, -1, WriteRoot), J("情報不明ボードのため、記事書込は出来ません。"));
  EXPECT_TRUE(host.fileCommands.empty());

  // Mail replies pass on read-only, no-reply and binary boards, and on an unsettled one.
  common.Editer = editor.Command("append", CrLf({"mail"}));
  ui.entries.clear();
  EXPECT_TRUE(commands.StartWrite(kGeneral, -1, p, WriteMail).Done);
  boards.SetBoardAttr(kGeneral, 1, 1, 1);
  EXPECT_TRUE(commands.StartWrite(kGeneral, -1, p, WriteMail).Done);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WriteCommands, MaintainedArticles) {
  const int32_t p = PositionOfNumber(kGeneral, 102);
  Board(kGeneral).GetArticle(ArticleSortTree, p)->Maintained = 1;
  netVorn->IniFile->Mente = true;
  common.Editer = editor.Command("append", CrLf({"answer"}));

  // Without serial headers the reply becomes a root article of the board.
  WriteResult r = commands.StartWrite(kGeneral, -1, p, WriteRess);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(Messages(),
            std::vector<std::string>{
                J("この記事はホスト側でメンテナンス済みです\r強制的にルート書込とします")});
  EXPECT_EQ(Write(kGeneral, r.ArticleKey)->Kind, ArticleKindRoot);
  EXPECT_EQ(Write(kGeneral, r.ArticleKey)->ParentKey, -1);

  // With them the user is warned and the reply stays a reply.
  netVorn->IniFile->SerialHeader = true;
  ui.entries.clear();
  r = commands.StartWrite(kGeneral, -1, PositionOfNumber(kGeneral, 102), WriteRess);
  ASSERT_TRUE(r.Done);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, RecordingUiServices::Kind::Information);
  EXPECT_EQ(Write(kGeneral, r.ArticleKey)->Kind, ArticleKindRess);

  // A mail reply stays a mail, without a word.
  netVorn->IniFile->SerialHeader = false;
  ui.entries.clear();
  r = commands.StartWrite(kGeneral, -1, PositionOfNumber(kGeneral, 102), WriteMail);
  EXPECT_EQ(Write(kMail, r.ArticleKey)->Kind, ArticleKindMail);
  // A jump reply drops its notice instead.
  r = commands.StartWrite(kGeneral, kProg, PositionOfNumber(kGeneral, 102), WriteRess);
  EXPECT_EQ(r.NoticeBoard, -1);
  EXPECT_EQ(Write(kProg, r.ArticleKey)->Kind, ArticleKindRoot);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WriteCommands, ReplyToAQueuedWriteDoesNothing) {
  common.Editer = editor.Command("replace", CrLf({"root", "body"}));
  ASSERT_TRUE(commands.StartWrite(kGeneral, -1, -1, WriteRoot).Done);
  const int32_t p = Board(kGeneral).FindByKeyAndTime(ArticleSortTree, 0, 0);
  host.fileCommands.clear();
  EXPECT_FALSE(commands.StartWrite(kGeneral, -1, p, WriteRess).Done);
  EXPECT_FALSE(commands.StartWrite(kGeneral, -1, p, WriteMail).Done);
  EXPECT_EQ(netVorn->WriteArticleNo, 1);
  EXPECT_TRUE(editors.Empty());
  EXPECT_EQ(host.fileCommands.back(), true);
}

TEST_F(WriteCommands, BinaryWritesAskForTheFile) {
  netVorn->Boards.SetBoardAttr(kBinary, 1, 1, 0);
  common.Editer = editor.Command("append", CrLf({"the file"}));
  // Cancelled: nothing, and the editor slot is given back.
  EXPECT_FALSE(commands.StartWrite(kBinary, -1, -1, WriteBinaryRoot).Done);
  EXPECT_EQ(host.fileAsked, 1);
  EXPECT_EQ(host.fileCommands, (std::vector<bool>{false, true}));

  host.binaryFile = ws.dir.File("pic.lzh");
  test::WriteBytes(host.binaryFile, "LZH");
  const WriteResult r = commands.StartWrite(kBinary, -1, -1, WriteBinaryRoot);
  ASSERT_TRUE(r.Done);
  const ArticleRecord* w = Write(kBinary, r.ArticleKey);
  EXPECT_EQ(w->Kind, ArticleKindBinaryRoot);
  EXPECT_EQ(TextOf(w)[1], J("[UP対象ファイル]") + host.binaryFile);
  EXPECT_EQ(TextOf(w)[2], J("[書込ファイル名]") + "PIC.LZH");
}

TEST_F(WriteCommands, EditorFailuresAreToldAndNothingIsQueued) {
  common.Editer = ws.dir.File("no-such-editor");
  EXPECT_FALSE(commands.StartWrite(kGeneral, -1, -1, WriteRoot).Done);
  common.Editer = editor.Command("replace", CrLf({"x"}));
  common.TempFile = ws.dir.File("missing-folder/vorntemp.txt");
  EXPECT_FALSE(commands.StartWrite(kGeneral, -1, -1, WriteRoot).Done);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{J("エディタ起動エラーが発生しました"),
                                      J("テンポラリファイルへのアクセスエラーが発生しました")}));
  // Closing the editor without saving: nothing, and nothing said.
  common.TempFile = ws.dir.File("vorntemp.txt");
  common.Editer = editor.Command("quit");
  ui.entries.clear();
  EXPECT_FALSE(commands.StartWrite(kGeneral, -1, -1, WriteRoot).Done);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(netVorn->WriteArticleNo, 0);
  EXPECT_TRUE(editors.Empty());
}

TEST_F(WriteCommands, EditAndDeleteAWrite) {
  common.Editer = editor.Command("replace", CrLf({"first title", "first body"}));
  const WriteResult made = commands.StartWrite(kGeneral, -1, -1, WriteRoot);
  ASSERT_TRUE(made.Done);
  Board(kGeneral).Modified = 0;
  int32_t p = Board(kGeneral).FindByKeyAndTime(ArticleSortTree, made.ArticleKey, 0);

  // The editor gets the write's text as it is, without quoting or signature.
  common.Editer = editor.Command("append", CrLf({"added line"}));
  const WriteResult edited = commands.EditWrite(kGeneral, p);
  ASSERT_TRUE(edited.Done);
  EXPECT_EQ(edited.Refresh, WriteRefresh::ShowWrite);
  const Lines before = TextOf(Write(kGeneral, made.ArticleKey));
  EXPECT_EQ(before.front(), "first title");
  EXPECT_EQ(before.back(), "added line");
  EXPECT_EQ(before.size(), 5u);  // title, body, the sample signature's two lines, the added line
  EXPECT_TRUE(Board(kGeneral).Modified);
  EXPECT_EQ(netVorn->WriteArticleNo, 1);

  // An emptied title takes the default.
  common.Editer = editor.Command("replace", CrLf({"", "new body"}));
  p = Board(kGeneral).FindByKeyAndTime(ArticleSortTree, made.ArticleKey, 0);
  ASSERT_TRUE(commands.EditWrite(kGeneral, p).Done);
  EXPECT_EQ(TextOf(Write(kGeneral, made.ArticleKey)), (Lines{common.DefaultTitle, "new body"}));
  EXPECT_EQ(Write(kGeneral, made.ArticleKey)->Title().Str(), common.DefaultTitle);

  // Log articles are neither edited nor deleted.
  EXPECT_FALSE(commands.EditWrite(kGeneral, PositionOfNumber(kGeneral, 101)).Done);
  EXPECT_FALSE(commands.DeleteWrite(kGeneral, PositionOfNumber(kGeneral, 101)).Done);
  EXPECT_TRUE(ui.entries.empty());

  p = Board(kGeneral).FindByKeyAndTime(ArticleSortTree, made.ArticleKey, 0);
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(commands.DeleteWrite(kGeneral, p).Done);
  EXPECT_TRUE(Write(kGeneral, made.ArticleKey));
  ui.Script(UiAnswer::Yes);
  const WriteResult deleted = commands.DeleteWrite(kGeneral, p);
  EXPECT_TRUE(deleted.Done);
  EXPECT_EQ(deleted.Refresh, WriteRefresh::RedrawCurrent);
  EXPECT_FALSE(Write(kGeneral, made.ArticleKey));
  EXPECT_EQ(Messages(), (std::vector<std::string>{J("この書込みを削除しますか？"),
                                                  J("この書込みを削除しますか？")}));
}

TEST_F(WriteCommands, BatchMarkOnBinaryLogArticles) {
  const int32_t p = PositionOfNumber(kBinary, 12);
  ASSERT_GE(p, 0);
  ASSERT_EQ(Board(kBinary).GetKind(ArticleSortTree, p), ArticleKindBinaryRoot);
  EXPECT_TRUE(commands.ToggleBatchSet(kBinary, p).Done);
  EXPECT_EQ(Board(kBinary).GetBatchFlag(ArticleSortTree, p), 1);
  EXPECT_TRUE(Board(kBinary).Modified);
  EXPECT_TRUE(commands.ToggleBatchSet(kBinary, p).Done);
  EXPECT_EQ(Board(kBinary).GetBatchFlag(ArticleSortTree, p), 0);
  // Not for text articles.
  EXPECT_FALSE(commands.ToggleBatchSet(kGeneral, PositionOfNumber(kGeneral, 101)).Done);

  Board(kBinary).GetArticle(ArticleSortTree, p)->Maintained = 1;
  netVorn->IniFile->Mente = true;
  EXPECT_FALSE(commands.ToggleBatchSet(kBinary, p).Done);
  EXPECT_EQ(Board(kBinary).GetBatchFlag(ArticleSortTree, p), 0);
  netVorn->IniFile->SerialHeader = true;
  EXPECT_TRUE(commands.ToggleBatchSet(kBinary, p).Done);
  EXPECT_EQ(Board(kBinary).GetBatchFlag(ArticleSortTree, p), 1);
  // Clearing is always allowed, without a word.
  netVorn->IniFile->SerialHeader = false;
  EXPECT_TRUE(commands.ToggleBatchSet(kBinary, p).Done);
  EXPECT_EQ(Board(kBinary).GetBatchFlag(ArticleSortTree, p), 0);
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].text,
            J("この記事はホスト側でメンテナンス済みです\rバッチセット出来ません"));
  EXPECT_EQ(ui.entries[1].kind, RecordingUiServices::Kind::Information);
}

// Starts a second write from the first one's wait, as a user does who goes on working while an
// editor is open, and lets the two editors finish in a given order.
class NestingUi final : public UiServices {
 public:
  void Warning(const std::string&) override {}
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::Cancel; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::No; }
  void ProcessMessages() override {
    if (!started) {
      started = true;
      startSecond();
    }
    ++pumps;
    if (pumps == 20 && releaseInner) releaseInner();
  }
  bool started = false;
  int pumps = 0;
  std::function<void()> startSecond;
  std::function<void()> releaseInner;
};

class TwoEditors : public test::WritingFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(TwoEditors, BothWritesArriveWhicheverEditorEndsFirst) {
  const bool outerFirst = GetParam();
  const std::string outerCommand = editor.Command("waitfor", CrLf({"outer", "outer body"}));
  const std::string outerData = editor.LastDataFile();
  const std::string innerCommand = editor.Command("waitfor", CrLf({"inner", "inner body"}));
  const std::string innerData = editor.LastDataFile();

  NestingUi nesting;
  WriteResult inner;
  nesting.startSecond = [&] {
    EXPECT_EQ(editors.Count(), 1);
    common.Editer = innerCommand;
    if (outerFirst) test::FakeEditor::Release(outerData);
    inner = commands.StartWrite(kProg, -1, -1, WriteRoot);
  };
  nesting.releaseInner = [&] {
    EXPECT_EQ(editors.Count(), 2);
    // The two are on files of their own.
    EXPECT_NE(editors.Editors()[0]->TempFileName, editors.Editors()[1]->TempFileName);
    test::FakeEditor::Release(innerData);
    if (!outerFirst) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      test::FakeEditor::Release(outerData);
    }
  };
  ScopedUiServices scopedNesting(&nesting);
  common.Editer = outerCommand;
  const WriteResult outer = commands.StartWrite(kGeneral, -1, -1, WriteRoot);

  ASSERT_TRUE(outer.Done);
  ASSERT_TRUE(inner.Done);
  EXPECT_EQ(TextOf(Write(kProg, inner.ArticleKey)).front(), "inner");
  EXPECT_EQ(TextOf(Write(kGeneral, outer.ArticleKey)).front(), "outer");
  EXPECT_NE(inner.ArticleKey, outer.ArticleKey);
  EXPECT_TRUE(editors.Empty());
  // The file commands stayed off until the last editor was gone.
  EXPECT_EQ(host.fileCommands, (std::vector<bool>{false, false, true}));
}

INSTANTIATE_TEST_SUITE_P(EitherOrder, TwoEditors, ::testing::Bool());

TEST_F(WriteCommands, TitleTemplates) {
  const int32_t p = PositionOfNumber(kGeneral, 102);
  auto expand = [&](std::string_view t, int32_t dest = -1, int32_t pos = -2) {
    return ExpandTitleTemplate(*netVorn, t, kGeneral, pos == -2 ? p : pos, dest, ArticleSortTree);
  };
  EXPECT_EQ(expand("$W/$w/$e/$q/$r"), J("GENERAL/general/1:general/1/雑談ボード"));
  EXPECT_EQ(expand("$h/$j/$J/$k/$l", kProg), J("2/prog/PROG/2:prog/プログラミング"));
  EXPECT_EQ(expand("$a:$s by $d:$f"), J("102:Re: はじめまして by 2048:はなこ"));
  // Codes whose board or article is missing, and unknown letters, give the letter.
  EXPECT_EQ(expand("$h$k$a$d", -1, -1), "hkad");
  EXPECT_EQ(expand("$x$Z"), "xZ");
  EXPECT_EQ(expand("a\\nb\\\\nc\\$s"), "a\r\nb\\nc$s");
  // A '$' before anything but a letter stays, and so does a trailing '\' or '$'.
  EXPECT_EQ(expand("$100 \\"), "$100 \\");
  EXPECT_EQ(expand("x$"), "x$");
  // Double-byte characters are whole: the second byte of 表 is a backslash.
  EXPECT_EQ(expand(J("表n$s")), J("表nRe: はじめまして"));
  EXPECT_EQ(expand("\\" + J("表")), J("表"));
  // A writer missing from the member list has no short handle.
  netVorn->Members.Clear();
  EXPECT_EQ(expand("[$f]"), "[]");
}

TEST_F(WriteCommands, GridKeysStartTheirCommands) {
  const int32_t p = PositionOfNumber(kGeneral, 101);
  WriteResult r;
  common.Editer = editor.Command("append", CrLf({"answer"}));
  EXPECT_FALSE(commands.GridKey('X', false, kGeneral, p, r));
  ASSERT_TRUE(commands.GridKey('P', false, kGeneral, p, r));
  EXPECT_TRUE(r.Done);
  EXPECT_EQ(Write(kGeneral, r.ArticleKey)->Kind, ArticleKindRess);

  // A jump reply asks for the destination from the current board; Escape there writes nothing.
  ASSERT_TRUE(commands.GridKey('J', false, kGeneral, p, r));
  EXPECT_FALSE(r.Done);
  EXPECT_EQ(host.jumpAskedFrom, std::vector<int32_t>{kGeneral});
  host.jumpDest = kProg;
  ASSERT_TRUE(commands.GridKey('G', false, kGeneral, p, r));
  EXPECT_TRUE(r.Done);
  EXPECT_EQ(r.Board, kProg);
  // Not on a queued write, and not in the mail box.
  const int32_t write = Board(kGeneral).FindByKeyAndTime(ArticleSortTree, 0, 0);
  commands.GridKey('J', false, kGeneral, write, r);
  commands.GridKey('J', false, kMail, 0, r);
  EXPECT_EQ(host.jumpAskedFrom.size(), 2u);

  // Keys that need an article do nothing on an empty board; W still writes.
  netVorn->Boards.AddBoard(9, "empty", "Empty");
  const int32_t empty = netVorn->Boards.FindBoardNo(9);
  host.fileCommands.clear();
  for (char key : {'F', 'M', 'J', 'E', 'D', 'S'}) {
    EXPECT_TRUE(commands.GridKey(key, false, empty, -1, r));
    EXPECT_FALSE(r.Done);
  }
  EXPECT_TRUE(host.fileCommands.empty());
  common.Editer = editor.Command("replace", CrLf({"first", "words"}));
  ASSERT_TRUE(commands.GridKey('W', false, empty, -1, r));
  EXPECT_TRUE(r.Done);

  // E and D act on the write.
  common.Editer = editor.Command("append", CrLf({"more"}));
  const int32_t w = Board(empty).FindByKeyAndTime(ArticleSortTree, r.ArticleKey, 0);
  ASSERT_TRUE(commands.GridKey('E', false, empty, w, r));
  EXPECT_EQ(TextOf(Write(empty, r.ArticleKey)).back(), "more");
  ui.Script(UiAnswer::Yes);
  ASSERT_TRUE(commands.GridKey('D', false, empty, w, r));
  EXPECT_FALSE(Write(empty, r.ArticleKey));
  EXPECT_TRUE(Messages() == std::vector<std::string>{J("この書込みを削除しますか？")});
}

TEST_F(WriteCommands, ShiftedKeysNeedTheFamilysBinaryWrites) {
  netVorn->WriteBinaryRootFlag = netVorn->WriteBinaryRessFlag = netVorn->WriteBinaryMailFlag =
      false;
  const int32_t p = PositionOfNumber(kGeneral, 101);
  WriteResult r;
  for (char key : {'W', 'F', 'M', 'J'})
    commands.GridKey(key, true, kGeneral, p, r);
  commands.BoardListKey('W', true, kGeneral, r);
  commands.BoardListKey('W', true, kMail, r);
  commands.BoardListKey('M', true, kGeneral, r);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                J("このホストシステムでのバイナリルート書込はサポートしていません"),
                J("このホストシステムでのバイナリレス書込はサポートしていません"),
                J("このホストシステムでのバイナリメール作成はサポートしていません"),
                J("このホストシステムでのバイナリジャンプレス書込はサポートしていません"),
                J("このホストシステムでのバイナリルート書込はサポートしていません"),
                J("このホストシステムでのバイナリメール作成はサポートしていません"),
                J("このホストシステムでのバイナリメール作成はサポートしていません")}));
  EXPECT_TRUE(host.jumpAskedFrom.empty());
  EXPECT_TRUE(host.fileCommands.empty());
}

TEST_F(WriteCommands, BoardListKeysOpenTheBoardFirst) {
  WriteResult r;
  host.shown = kProg;
  host.recipient = "1024";
  common.Editer = editor.Command("replace", CrLf({"new mail", "hello"}));
  ASSERT_TRUE(commands.BoardListKey('M', false, kProg, r));
  EXPECT_EQ(host.opened, std::vector<int32_t>{kMail});
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(Write(kMail, r.ArticleKey)->Kind, ArticleKindMail);
  EXPECT_EQ(r.Refresh, WriteRefresh::ShowWrite);

  common.Editer = editor.Command("replace", CrLf({"root", "text"}));
  ASSERT_TRUE(commands.BoardListKey('W', false, kProg, r));
  EXPECT_EQ(host.opened, (std::vector<int32_t>{kMail, kProg}));
  EXPECT_EQ(Write(kProg, r.ArticleKey)->Kind, ArticleKindRoot);
  EXPECT_FALSE(commands.BoardListKey('F', false, kProg, r));
}

TEST_F(WriteCommands, ABoardMovedWhileTheEditorIsOpenStillGetsItsWrite) {
  const std::string command = editor.Command("waitfor", CrLf({"moved board", "body"}));
  const std::string data = editor.LastDataFile();
  NestingUi meanwhile;
  // Logs are added meanwhile and bring a board that sorts first.
  meanwhile.startSecond = [&] {
    netVorn->Boards.AddBoard(-1, "aaa", "New");
    netVorn->Boards.SortBoards();
    test::FakeEditor::Release(data);
  };
  ScopedUiServices scopedMeanwhile(&meanwhile);
  common.Editer = command;
  host.shown = kGeneral + 1;
  const WriteResult r = commands.StartWrite(kGeneral, -1, -1, WriteRoot);
  ASSERT_TRUE(r.Done);
  EXPECT_EQ(r.Board, kGeneral + 1);
  EXPECT_EQ(netVorn->Boards.GetBoardId(r.Board), "general");
  EXPECT_TRUE(Write(kGeneral + 1, r.ArticleKey));
}

}  // namespace
}  // namespace vorn
