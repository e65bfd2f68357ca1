#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/NetVornTestFixture.h"
#include "analysis/NetVornUpPad.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingUiServices.h"
#include "text/Dates.h"

namespace vorn {
namespace {

using test::CrLfLines;
using test::J;
using test::WriteView;

// CP932 lines of UTF-8 literals.
std::vector<std::string> Js(std::initializer_list<std::string_view> lines) {
  std::vector<std::string> out;
  for (std::string_view line : lines)
    out.push_back(J(line));
  return out;
}

class NetVornUpPad : public test::NetVornFixture {
 protected:
  void SetUp() override { ui.defaultAnswer = UiAnswer::Yes; }

  // Analyses the log lines added so far and sorts, as loading does.
  void Load() {
    ASSERT_TRUE(Analyze());
    process->SortData();
    UseBinaryHeadings(*process);
  }

  std::string up = dir.File("NET.UP");
  std::string pad = dir.File("NET.PAD");
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
};

TEST_F(NetVornUpPad, RootsAndAReplyOfOneBoard) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(123, false);
  Load();
  AddWrite(12, ArticleKindRoot, -1, Js({"first", "body 1"}));
  AddWrite(12, ArticleKindRoot, -1, Js({"second", "body 2", ""}));
  AddWrite(12, ArticleKindRess, 123, Js({"Re: title 123", "body 3"}));
  ASSERT_EQ(Board(12)->Modified, 1);

  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up),
            CrLfLines(Js({"\\12", "Wfirst", "body 1", ".", "", "Wsecond", "body 2", "", ".", "",
                          "123", "PRe: title 123", "body 3", ".", "", "Q"})));
  EXPECT_EQ(Board(12)->Modified, 0);
  // Text writes never go to the PAD file; without anything for it, there is none.
  ASSERT_TRUE(process->WritePadFile(pad));
  EXPECT_FALSE(FileExists(pad));
}

TEST_F(NetVornUpPad, BatchMarksAreTypedInFrontOfTheNextLine) {
  MakeProcess("PadFileBatchCommand=1");
  BoardTitle(12);
  LogArticle(122, true);
  LogArticle(123, true);
  LogArticle(124, true);
  Load();
  MarkBatch(12, 123);
  MarkBatch(12, 124);
  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up), CrLfLines({"\\12", "123", "S124", "SQ"}));
  ASSERT_TRUE(process->WritePadFile(pad));
  EXPECT_EQ(test::ReadBytes(pad), CrLfLines({"*DB"}));
}

TEST_F(NetVornUpPad, SerialHeadersPutAPercentBeforeEveryNumber) {
  MakeProcess("SerialHeader=1");
  BoardTitle(12);
  LogArticle(123, true);
  LogArticle(124, true);
  Load();
  MarkBatch(12, 123);
  MarkBatch(12, 124);
  AddWrite(12, ArticleKindRess, 124, Js({"re", "b"}));
  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up),
            CrLfLines({"\\12", "%123", "S%124", "S%124", "Pre", "b", ".", "", "Q"}));
  // No batch command unless the entry asks for it.
  ASSERT_TRUE(process->WritePadFile(pad));
  EXPECT_FALSE(FileExists(pad));

  auto next = NextStart();
  ASSERT_TRUE(next->ReadUpFile(up));
  EXPECT_EQ(test::PendingWrites(*next), test::PendingWrites(*process));
  EXPECT_EQ(test::BatchMarks(*next), test::BatchMarks(*process));
}

// A held-back "Q" goes in front of the next board's line, or stands alone when a board without
// writes comes between; a root after a batch mark is typed after the "S".
TEST_F(NetVornUpPad, HeldBackCommandsAcrossBoards) {
  MakeProcess();
  BoardTitle(3);
  LogArticle(30, true);
  BoardTitle(5);
  LogArticle(50, false);
  BoardTitle(6);
  LogArticle(60, false);
  BoardTitle(7);
  LogArticle(70, true);
  LogArticle(71, false);
  Load();
  MarkBatch(3, 30);
  AddWrite(5, ArticleKindRoot, -1, Js({"a", "x"}));
  MarkBatch(7, 70);
  AddWrite(7, ArticleKindRoot, -1, Js({"b", "y"}));
  AddWrite(7, ArticleKindRess, 71, Js({"c", "z"}));

  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up),
            CrLfLines({"\\3", "30", "SQ\\5", "Wa", "x",  ".",  "",  "Q", "\\7", "70",
                       "SWb", "y",  ".",     "",   "71", "Pc", "z", ".", "",    "Q"}));

  auto next = NextStart();
  ASSERT_TRUE(next->ReadUpFile(up));
  EXPECT_EQ(test::PendingWrites(*next), test::PendingWrites(*process));
  EXPECT_EQ(test::BatchMarks(*next), test::BatchMarks(*process));
  EXPECT_EQ(next->WriteArticleNo, 3);
}

TEST_F(NetVornUpPad, MailsToOneAndToSeveralMembers) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, false, -1, 1024);
  LogArticle(101, false, -1, 2048);
  Load();
  AddWrite(0, ArticleKindMail, -1, Js({"こんにちは", "本文"}), {1024});
  AddWrite(0, ArticleKindMail, -1, Js({"all", "text"}), {1024, 2048});
  AddWrite(12, ArticleKindRoot, -1, Js({"root", "r"}));

  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up),
            CrLfLines(Js({"MW", "1024", "",      "",  "こんにちは", "本文", ".",    "",
                          "MW", "1024", "2048",  "",  "",           "all",  "text", ".",
                          "",   "\\12", "Wroot", "r", ".",          "",     "Q"})));

  auto next = NextStart();
  ASSERT_TRUE(next->ReadUpFile(up));
  const std::vector<WriteView> writes = test::PendingWrites(*next);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[1].recipients, (std::vector<int32_t>{1024, 2048}));
  EXPECT_EQ(writes, test::PendingWrites(*process));
}

TEST_F(NetVornUpPad, MailRecipientFormsAndUnknownMembersOnReading) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, false, -1, 1024);
  LogArticle(101, false, -1, 2048);
  Load();
  test::WriteBytes(up, CrLfLines({
                           "MW",    "1024",  "",     "",     "one",  "b1",   ".",
                           "",  // the written form
                           "MW",    "1024",  "Y",    "2048", "",     "",     "two",
                           ".",  // each ID confirmed
                           "MW",    "1024",  "9999", "",     "",     "lost", "W not a root",
                           "\\12",  ".",     "",     "mw",   "2048", "Y",    "",
                           "three", ".",  // any case
                           "\\12",  "Wkept", "k",    ".",    "",
                       }));
  ASSERT_TRUE(process->ReadUpFile(up));
  const std::vector<WriteView> writes = test::PendingWrites(*process);
  ASSERT_EQ(writes.size(), 4u);
  EXPECT_EQ(writes[0], (WriteView{0, ArticleKindMail, -1, {1024}, "one", {"one", "b1"}}));
  EXPECT_EQ(writes[1], (WriteView{0, ArticleKindMail, -1, {1024, 2048}, "two", {"two"}}));
  // Member 9999 is unknown: that mail is dropped, and none of its lines is taken for a
  // command.
  EXPECT_EQ(writes[2], (WriteView{0, ArticleKindMail, -1, {2048}, "three", {"three"}}));
  EXPECT_EQ(writes[3], (WriteView{12, ArticleKindRoot, -1, {}, "kept", {"kept", "k"}}));
  EXPECT_EQ(process->WriteArticleNo, 4);
}

TEST_F(NetVornUpPad, RepliesAndBatchMarksForArticlesTheLogLacks) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, true);
  LogArticle(101, false, 90);  // a reply whose parent the log does not show
  Load();
  // Reply to the missing parent's placeholder.
  const int32_t placeholder = Board(12)->FindByKey(ArticleSortTree, 90 - RebaseOffset);
  ASSERT_GE(placeholder, 0);
  ASSERT_EQ(Board(12)->GetKind(ArticleSortTree, placeholder), ArticleKindMissingRoot);
  AddWrite(12, ArticleKindRess, 90, Js({"to 90", "x"}));
  test::WriteBytes(up, CrLfLines({"\\12", "100", "S600", "S500", "Pto 500", "y", ".", "", "Q"}));
  ASSERT_TRUE(process->ReadUpFile(up));

  // Article 600 is not in the log: a placeholder binary root carries its mark.
  const std::set<std::pair<int32_t, int64_t>> marks{{12, 100}, {12, 600}};
  EXPECT_EQ(test::BatchMarks(*process), marks);
  TArticleList* board = Board(12);
  const int32_t position = board->FindByKey(ArticleSortNormal, 600 - RebaseOffset);
  ASSERT_GE(position, 0);
  EXPECT_EQ(board->GetKind(ArticleSortNormal, position), ArticleKindBinaryRoot);
  EXPECT_EQ(board->GetWriteFlag(ArticleSortNormal, position), 0);
  EXPECT_EQ(board->GetText(ArticleSortNormal, position), nullptr);
  const std::vector<WriteView> writes = test::PendingWrites(*process);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[1].parentKey, 500 - RebaseOffset);
  // The placeholder counts as one of the writes' keys.
  EXPECT_EQ(process->WriteArticleNo, 3);

  // The placeholder has no time, so it comes first.
  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up), CrLfLines({"\\12", "600", "S100", "S90", "Pto 90", "x", ".", "",
                                            "500", "Pto 500", "y", ".", "", "Q"}));
}

// A placeholder without a time answers to the raw key and time of the write numbered like its
// article; that number is passed over.
TEST_F(NetVornUpPad, AWriteNeverReplacesABatchPlaceholder) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  SetBoardType(12, 2);
  test::WriteBytes(up, CrLfLines({"\\12", "3", "S", "Wa", ".", ""}));
  ASSERT_TRUE(process->ReadUpFile(up));
  test::WriteBytes(pad,
                   CrLfLines({"*UM", "12", "f", "F", "b", ".", "*UM", "12", "g", "G", "c", "."}));
  ASSERT_TRUE(process->ReadPadFile(pad));
  EXPECT_EQ(test::BatchMarks(*process), (std::set<std::pair<int32_t, int64_t>>{{12, 3}}));
  std::vector<std::string> titles;
  for (const WriteView& w : test::PendingWrites(*process))
    titles.push_back(w.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(process->WriteArticleNo, 5);
}

TEST_F(NetVornUpPad, MalformedUpLinesAreSkipped) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  test::WriteBytes(up, CrLfLines({
                           "W before any board",
                           "x",
                           ".",  // no board yet
                           "\\77",
                           "Wunknown board",
                           ".",  // not in the board list
                           "\\0",
                           "Wmail box number",
                           ".",  // ignored: still no board
                           "\\12",
                           "S",
                           "P no selection",
                           "W",
                           "100",
                           "Wdrops the selection",
                           "%100",
                           "Wroot",
                           "text",
                           ".",
                       }));
  ASSERT_TRUE(process->ReadUpFile(up));
  const std::vector<WriteView> writes = test::PendingWrites(*process);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], (WriteView{12, ArticleKindRoot, -1, {}, "root", {"root", "text"}}));
  EXPECT_TRUE(test::BatchMarks(*process).empty());
}

TEST_F(NetVornUpPad, PadRecordsOfEveryKind) {
  MakeProcess("PadFileBatchCommand=1");
  BoardTitle(20);
  LogArticle(201, true);
  BoardTitle(21);
  LogArticle(211, true, -1, 2048);
  Load();
  SetBoardType(20, 1);
  SetBoardType(21, 2);
  const std::string file = J("[UP対象ファイル]");
  const std::string name = J("[書込ファイル名]");
  AddWrite(20, ArticleKindBinaryRoot, -1,
           {"bin root", file + J("C:\\画像\\a.lzh"), name + "A.LZH", "about a"});
  AddWrite(20, ArticleKindBinaryRess, 201, {"bin reply", file + "b.lzh", name + "B.LZH"});
  AddWrite(21, ArticleKindBinaryRoot, -1, {"mixed root", file + "c", name + "C", "1", "2"});
  AddWrite(21, ArticleKindBinaryRess, 211, {"mixed reply", file + "d", name + "D", ""});
  AddWrite(21, ArticleKindBinaryRoot, -1, {"no headings", "c:\\e", "E"});
  AddWrite(0, ArticleKindBinaryMail, -1, {"bin mail", file + "f", name + "F", "hi"}, {2048});
  MarkBatch(21, 211);

  ASSERT_TRUE(process->WritePadFile(pad));
  EXPECT_EQ(test::ReadBytes(pad),
            CrLfLines({"*B",         "2048",     "f",       "F",     "bin mail",
                       "hi",         ".",        "*U",      "20",    J("C:\\画像\\a.lzh"),
                       "A.LZH",      "bin root", "about a", ".",     "*UF",
                       "20",         "201",      "b.lzh",   "B.LZH", "bin reply",
                       ".",          "*UM",      "21",      "c",     "C",
                       "mixed root", "1",        "2",       ".",     "*UMF",
                       "21",         "211",      "d",       "D",     "mixed reply",
                       "",           ".",        "*DB"}));
  // Binary writes never go to the UP file; the batch mark does.
  ASSERT_TRUE(process->WriteUpFile(up));
  EXPECT_EQ(test::ReadBytes(up), CrLfLines({"\\21", "211", "SQ"}));

  auto next = NextStart();
  ASSERT_TRUE(next->ReadPadFile(pad));
  std::vector<WriteView> expected = test::PendingWrites(*process);
  std::erase_if(expected, [](const WriteView& w) { return w.title == "no headings"; });
  EXPECT_EQ(test::PendingWrites(*next), expected);
  // "*DB" is not read back: the marks come from the UP file.
  EXPECT_TRUE(test::BatchMarks(*next).empty());
}

TEST_F(NetVornUpPad, PadRecordsWithInvalidTargetsAreSkippedWhole) {
  MakeProcess("SerialHeader=1");
  BoardTitle(20);
  LogArticle(201, true);
  BoardTitle(30);
  LogArticle(301, true);
  Load();
  SetBoardType(20, 1);  // board 30 stays a normal board
  test::WriteBytes(pad, CrLfLines({
                            "*U",         "30",   "f",    "F", "normal board",
                            "*U",         ".",  // type 0
                            "*U",         "99",   "f",    "F", "unknown board",
                            ".",  //
                            "*UF",        "20",   "201",  "f", "F",
                            "no percent", ".",  // serial: needs '%'
                            "*B",         "9999", "f",    "F", "unknown member",
                            ".",  //
                            "*UF",        "20",   "%201", "f", "F",
                            "kept",       "body", ".",  //
                            "*DB",
                        }));
  ASSERT_TRUE(process->ReadPadFile(pad));
  const std::vector<WriteView> writes = test::PendingWrites(*process);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0],
            (WriteView{20,
                       ArticleKindBinaryRess,
                       201 - RebaseOffset,
                       {},
                       "kept",
                       {"kept", J("[UP対象ファイル]f"), J("[書込ファイル名]F"), "body"}}));
}

TEST_F(NetVornUpPad, NothingPendingRemovesTheOldFiles) {
  MakeProcess("PadFileBatchCommand=1");
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  test::WriteBytes(up, "old\r\n");
  test::WriteBytes(pad, "old\r\n");
  Board(12)->Modified = 1;
  EXPECT_TRUE(process->WriteUpFile(up));
  EXPECT_TRUE(process->WritePadFile(pad));
  EXPECT_FALSE(FileExists(up));
  EXPECT_FALSE(FileExists(pad));
  EXPECT_EQ(Board(12)->Modified, 0);
  // Without a file name there is nothing to write to.
  EXPECT_FALSE(process->WriteUpFile(""));
  EXPECT_FALSE(process->WritePadFile(""));
}

TEST_F(NetVornUpPad, DatedCopiesBesideTheFiles) {
  EXPECT_EQ(DatedCopyPath("NET.UP", "_0730"), "NET_0730.UP");
  EXPECT_EQ(DatedCopyPath("/a.b/NET", "_0730"), "/a.b/NET_0730");
  EXPECT_EQ(DatedCopyPath("up.old/NET.x.PAD", "-1"), "up.old/NET.x-1.PAD");
  // 0x5C as the second byte of a character is no folder separator.
  EXPECT_EQ(DatedCopyPath(J("表.UP"), "_1"), J("表_1.UP"));

  MakeProcess(
      "UpFileAddDate=1\r\nUpFileAddDateStr=\"_%_MONTH_%%_DAY_%\"\r\nPadFileAddDate=1\r\n"
      "PadFileAddDateStr=\"\"\r\nPadFileBatchCommand=1");
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  MarkBatch(12, 100);
  const std::string before = ExpandDatePlaceholders("_%_MONTH_%%_DAY_%", CurrentLocalTime());
  ASSERT_TRUE(process->WriteUpFile(up));
  ASSERT_TRUE(process->WritePadFile(pad));
  const std::string after = ExpandDatePlaceholders("_%_MONTH_%%_DAY_%", CurrentLocalTime());
  const std::string copy =
      FileExists(DatedCopyPath(up, before)) ? DatedCopyPath(up, before) : DatedCopyPath(up, after);
  EXPECT_EQ(test::ReadBytes(copy), test::ReadBytes(up));
  EXPECT_EQ(test::ReadBytes(up), CrLfLines({"\\12", "100", "SQ"}));
  // An empty template asks for no copy: only the two files and the copy exist.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    files += entry.path().extension() == ".UP" || entry.path().extension() == ".PAD";
  EXPECT_EQ(files, 3u);
}

TEST_F(NetVornUpPad, TheUserIsAskedBeforeAFileIsReadBack) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, false);
  Load();
  const std::string content = CrLfLines({"\\12", "Wa", ".", "", "Q"});

  // Missing and empty files are read without a question.
  EXPECT_TRUE(process->ReadUpFile(up));
  test::WriteBytes(up, "");
  EXPECT_TRUE(process->ReadUpFile(up));
  EXPECT_TRUE(ui.entries.empty());

  test::WriteBytes(up, content);
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(process->ReadUpFile(up));
  EXPECT_TRUE(test::PendingWrites(*process).empty());
  EXPECT_EQ(test::ReadBytes(up), content);

  ui.Script(UiAnswer::Cancel);  // the dialog's delete button
  EXPECT_FALSE(process->ReadUpFile(up));
  EXPECT_FALSE(FileExists(up));
  EXPECT_TRUE(test::PendingWrites(*process).empty());

  test::WriteBytes(up, content);
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(process->ReadUpFile(up));
  EXPECT_EQ(test::PendingWrites(*process).size(), 1u);

  test::WriteBytes(pad, CrLfLines({"*DB"}));
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(process->ReadPadFile(pad));
  EXPECT_TRUE(FileExists(pad));

  ASSERT_EQ(ui.entries.size(), 4u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ui.entries[i].kind, RecordingUiServices::Kind::LoadCheck);
    EXPECT_EQ(ui.entries[i].text, J("UPファイルが存在しています\r\n読込みますか？"));
  }
  EXPECT_EQ(ui.entries[3].text, J("PADファイルが存在しています\r\n読込みますか？"));
}

TEST_F(NetVornUpPad, AFailedWriteKeepsTheOldFilesAndIsReported) {
  MakeProcess("PadFileBatchCommand=1");
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  MarkBatch(12, 100);
  std::string longBody(4096, 'x');
  AddWrite(12, ArticleKindRoot, -1, {"t", longBody});
  AddWrite(12, ArticleKindBinaryRoot, -1,
           {"b", J("[UP対象ファイル]f"), J("[書込ファイル名]F"), longBody});
  test::WriteBytes(up, "old up\r\n");
  test::WriteBytes(pad, "old pad\r\n");
  {
    // As on a full disk.
    test::ScopedFileSizeLimit limit(1024);
    EXPECT_FALSE(process->WriteUpFile(up));
    EXPECT_FALSE(process->WritePadFile(pad));
  }
  EXPECT_EQ(test::ReadBytes(up), "old up\r\n");
  EXPECT_EQ(test::ReadBytes(pad), "old pad\r\n");
  // The writes are still unsaved, so the end of the run asks again.
  EXPECT_EQ(Board(12)->Modified, 1);

  EXPECT_FALSE(process->WriteUpFile(dir.File("missing/NET.UP")));
  EXPECT_FALSE(process->WritePadFile(dir.File("missing/NET.PAD")));
  std::filesystem::create_directory(dir.File("folder.UP"));
  std::filesystem::create_directory(dir.File("folder.UP/inside"));
  EXPECT_FALSE(process->WriteUpFile(dir.File("folder.UP")));
  EXPECT_EQ(Board(12)->Modified, 1);

  // A failed removal is a failure too: the old file would send its writes again.
  Board(12)->SetArticleUsed(0, 0, 0);
  Board(12)->SetArticleUsed(1, 0, 0);
  Board(12)->SetBatchFlag(ArticleSortNormal, 0, 0);
  Board(12)->SortArticles();
  EXPECT_FALSE(process->WriteUpFile(dir.File("folder.UP")));
  EXPECT_TRUE(process->WriteUpFile(up));
  EXPECT_FALSE(FileExists(up));
}

TEST_F(NetVornUpPad, ACopyThatCannotBeWrittenIsReported) {
  MakeProcess("UpFileAddDate=1\r\nUpFileAddDateStr=\"/missing/x\"");
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  MarkBatch(12, 100);
  EXPECT_FALSE(process->WriteUpFile(up));
  // The file itself was written.
  EXPECT_EQ(test::ReadBytes(up), CrLfLines({"\\12", "100", "SQ"}));
}

TEST_F(NetVornUpPad, TruncatedFilesKeepTheEntriesBeforeTheCut) {
  MakeProcess();
  BoardTitle(12);
  LogArticle(100, true);
  Load();
  SetBoardType(12, 2);
  test::WriteBytes(up, CrLfLines({"\\12", "100", "SWfirst", "a", ".", "", "Wsecond", "b"}));
  ASSERT_TRUE(process->ReadUpFile(up));
  test::WriteBytes(pad, CrLfLines({"*UM", "12", "f", "F", "one", ".", "*UM", "12", "g", "G", "two",
                                   "cut here"}));
  ASSERT_TRUE(process->ReadPadFile(pad));
  test::WriteBytes(pad, CrLfLines({"*UM", "12", "h", "H", "three", ".", "*UMF", "12"}));
  ASSERT_TRUE(process->ReadPadFile(pad));
  std::vector<std::string> titles;
  for (const WriteView& w : test::PendingWrites(*process))
    titles.push_back(w.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"first", "one", "three"}));
  EXPECT_EQ(test::BatchMarks(*process), (std::set<std::pair<int32_t, int64_t>>{{12, 100}}));
}

}  // namespace
}  // namespace vorn
