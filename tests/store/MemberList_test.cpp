#include "store/MemberList.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/UiServices.h"
#include "store/BlockMemory.h"
#include "store/MailSendList.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kHeader = "VornExplorer MemberListFile Ver.0.01\r\n";

TEST(MemberList, FirstHandleFillsAllThreeAndLaterOnesOnlyTheCurrent) {
  TMemberList members(false);
  bool added = false;
  ASSERT_TRUE(members.AddMember(123, "A", "", "", true, added));
  EXPECT_TRUE(added);
  EXPECT_EQ(members.GetTrueHandle(0), "A");
  EXPECT_EQ(members.GetShortHandle(0), "A");
  members.Modified = 0;
  ASSERT_TRUE(members.AddMember(123, "B", "", "", true, added));
  EXPECT_FALSE(added);
  EXPECT_EQ(members.Count(), 1);
  EXPECT_EQ(members.GetCurrentHandle(0), "B");
  EXPECT_EQ(members.GetTrueHandle(0), "A");
  EXPECT_EQ(members.Modified, 1);
  members.Modified = 0;
  ASSERT_TRUE(members.AddMember(123, "B", "", "", true, added));
  EXPECT_EQ(members.Modified, 0);  // nothing changed

  EXPECT_FALSE(members.AddMember(124, "", "T", "S", true, added));  // no handle
  EXPECT_FALSE(added);
  EXPECT_FALSE(members.AddMember(-1, "X", "", "", true, added));
  EXPECT_EQ(members.Count(), 1);
  // Without lookup every add appends; finding gives the first.
  ASSERT_TRUE(members.AddMember(123, "C", "", "", false, added));
  EXPECT_EQ(members.Count(), 2);
  EXPECT_EQ(members.FindIdNo(123), 0);

  TMemberList texts(true);
  EXPECT_FALSE(texts.AddMemberText("", "h", "", "", true, added));
  const std::string longId(40, 'I');
  ASSERT_TRUE(texts.AddMemberText(longId, "h", "", "", true, added));
  ASSERT_TRUE(texts.AddMemberText(longId, "h2", "", "", true, added));
  EXPECT_FALSE(added);  // the long ID finds the member it made
  EXPECT_EQ(texts.GetIdText(0), longId.substr(0, 31));
  EXPECT_EQ(texts.FindIdText("iiiii"), -1);  // case matters
}

TEST(MemberList, DeletedMembersAreSkippedAndNotSaved) {
  TempDir dir;
  TMemberList members(false);
  bool added;
  for (int32_t id : {1, 2, 3})
    members.AddMember(id, "h" + std::to_string(id), "", "", true, added);
  ASSERT_TRUE(members.DeleteMember(1));
  EXPECT_FALSE(members.DeleteMember(3));
  EXPECT_EQ(members.Count(), 3);
  EXPECT_EQ(members.LiveCount(), 2);
  EXPECT_EQ(members.GetIdNo(1), -1);
  EXPECT_EQ(members.GetTrueHandle(1), "");
  EXPECT_FALSE(members.IsLiveMember(1));
  EXPECT_EQ(members.FindIdNo(2), -1);
  ASSERT_TRUE(members.SaveToFile(dir.File("m.lst")));
  EXPECT_EQ(ReadBytes(dir.File("m.lst")),
            kHeader + "1,\"h1\",\"h1\",\"h1\"\r\n3,\"h3\",\"h3\",\"h3\"\r\n");
}

TEST(MemberList, BinarySearchFindsEveryLiveMemberOfASortedList) {
  std::mt19937 rng(3);
  for (int size : {1, 2, 3, 7, 100, 3000}) {
    TMemberList numbers(false), texts(true);
    bool added;
    for (int i = 0; i < size; ++i) {
      const int32_t id = int32_t(rng() % 5000);
      numbers.AddMember(id, "h", "", "", false, added);
      texts.AddMemberText("ID" + std::to_string(id), "h", "", "", false, added);
      if (rng() % 5 == 0) {
        numbers.DeleteMember(numbers.Count() - 1);
        texts.DeleteMember(texts.Count() - 1);
      }
    }
    numbers.SortMembers();
    texts.SortMembers();
    for (int32_t i = 0; i < size; ++i) {
      const MemberRecord& n = *numbers.Member(i);
      const int32_t found = numbers.SearchIdNo(n.IdNo);
      EXPECT_EQ(found, numbers.FindIdNo(n.IdNo)) << "size " << size << " id " << n.IdNo;
      const std::string id(texts.Member(i)->IdText.View());
      EXPECT_EQ(texts.SearchIdText(id), texts.FindIdText(id)) << "size " << size << " " << id;
    }
    EXPECT_EQ(numbers.SearchIdNo(-5), -1);
    EXPECT_EQ(numbers.SearchIdNo(6000), -1);
    EXPECT_EQ(texts.SearchIdText("ID"), -1);
    EXPECT_EQ(texts.SearchIdText("IE"), -1);
  }
}

TEST(MemberList, FileKeepsEveryByteOfHandles) {
  TempDir dir;
  const std::string path = dir.File("member.lst");
  const std::string handle1 = J("表\"ソ\"") + "\x81\"";
  const std::string handle2 = "  lead, trail  ";
  for (bool textIds : {false, true}) {
    TMemberList members(textIds);
    bool added;
    if (textIds) {
      ASSERT_TRUE(members.AddMemberText("ABC12345", handle1, handle2, J("ソ"), true, added));
      ASSERT_TRUE(members.AddMemberText(" X\"Y", handle2, "", "", true, added));
    } else {
      ASSERT_TRUE(members.AddMember(42, handle1, handle2, J("ソ"), true, added));
      ASSERT_TRUE(members.AddMember(7, handle2, "", "", true, added));
    }
    ASSERT_TRUE(members.SaveToFile(path));
    EXPECT_EQ(members.Modified, 0);
    TMemberList loaded(textIds);
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Modified, 0);
    for (int32_t i = 0; i < 2; ++i) {
      EXPECT_EQ(loaded.GetIdNo(i), members.GetIdNo(i));
      EXPECT_EQ(loaded.GetIdText(i), members.GetIdText(i));
      EXPECT_EQ(loaded.GetCurrentHandle(i), members.GetCurrentHandle(i));
      EXPECT_EQ(loaded.GetTrueHandle(i), members.GetTrueHandle(i));
      EXPECT_EQ(loaded.GetShortHandle(i), members.GetShortHandle(i));
    }
    EXPECT_EQ(loaded.GetTrueHandle(0), handle2);
    EXPECT_EQ(loaded.GetCurrentHandle(0), handle1);
  }
}

TEST(MemberList, AHandleCutInsideACharacterDoesNotSpoilItsLine) {
  TempDir dir;
  const std::string path = dir.File("member.lst");
  const std::string sixteen = J("あいうえおかきくけこさしすせそた");  // 32 bytes, cut to 31
  TMemberList members(false);
  bool added;
  ASSERT_TRUE(members.AddMember(9, sixteen, "", "", true, added));
  ASSERT_TRUE(members.AddMember(10, "next", "", "", true, added));
  EXPECT_EQ(members.GetCurrentHandle(0), sixteen.substr(0, 31));
  ASSERT_TRUE(members.SaveToFile(path));
  TMemberList loaded(false);
  ASSERT_TRUE(loaded.LoadFromFile(path));
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.GetCurrentHandle(0), sixteen.substr(0, 30));  // the half character is gone
  EXPECT_EQ(loaded.GetShortHandle(0), sixteen.substr(0, 30));
  EXPECT_EQ(loaded.GetIdNo(1), 10);
}

TEST(MemberList, LoadingSkipsBadLinesAndAnUnchangedListIsNotWritten) {
  TempDir dir;
  const std::string path = dir.File("member.lst");
  // Blanks around the fields and a bad line: saving the loaded list would write it differently.
  const std::string file = kHeader +
                           "abc,\"T\",\"C\",\"S\"\r\n"  // not a number
                           "5,\"T\",\"C\"\r\n"          // three fields
                           "-3,\"T\",\"C\",\"S\"\r\n"   // negative
                           "6,\"T\",\"\",\"S\"\r\n"     // no current handle
                           " 8 , \"T8\" , \"C8\" , \"S8\"\r\n";
  WriteBytes(path, file);
  TMemberList members(false);
  ASSERT_TRUE(members.LoadFromFile(path));
  ASSERT_EQ(members.Count(), 1);
  EXPECT_EQ(members.GetIdNo(0), 8);
  EXPECT_EQ(members.GetTrueHandle(0), "T8");
  EXPECT_EQ(members.GetCurrentHandle(0), "C8");
  ASSERT_TRUE(members.SaveToFile(path));
  EXPECT_EQ(ReadBytes(path), file);

  TMemberList texts(true);
  WriteBytes(
      path,
      kHeader + "\"\",\"T\",\"C\",\"S\"\r\n\"ID\",\"T\",\"\",\"S\"\r\n\"OK\",\"\",\"C\",\"\"\r\n");
  ASSERT_TRUE(texts.LoadFromFile(path));
  ASSERT_EQ(texts.Count(), 1);
  EXPECT_EQ(texts.GetIdText(0), "OK");
  EXPECT_EQ(texts.GetTrueHandle(0), "C");  // an empty true handle takes the current one

  WriteBytes(path, "VornExplorer MemberListFile Ver.0.02\r\n1,\"a\",\"b\",\"c\"\r\n");
  EXPECT_FALSE(texts.LoadFromFile(path));
  EXPECT_EQ(texts.Count(), 1);
  EXPECT_TRUE(texts.LoadFromFile(dir.File("missing.lst")));
  EXPECT_EQ(texts.Count(), 1);
}

TEST(MemberList, AFailedSaveIsReportedAndLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("member.lst");
  WriteBytes(path, "old file");
  TMemberList members(false);
  bool added;
  ASSERT_TRUE(members.AddMember(1, std::string(30, 'h'), "", "", true, added));
  {
    test::ScopedFileSizeLimit limit(16);
    EXPECT_FALSE(members.SaveToFile(path));
  }
  EXPECT_EQ(ReadBytes(path), "old file");
  EXPECT_EQ(members.Modified, 1);  // still to be saved
  ASSERT_TRUE(members.SaveToFile(path));
  EXPECT_NE(ReadBytes(path), "old file");
}

TEST(MemberList, ClearMarksAChangeAndOutOfMemoryIsReportedOnce) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TMemberList members(false);
  bool added;
  members.Clear();
  EXPECT_EQ(members.Modified, 0);
  ASSERT_TRUE(members.AddMember(1, "a", "", "", true, added));
  members.Modified = 0;
  members.Clear();
  EXPECT_EQ(members.Modified, 1);
  EXPECT_EQ(members.Count(), 0);
  ScopedBlockAllocationLimit none(0);
  EXPECT_FALSE(members.AddMember(1, "a", "", "", true, added));
  EXPECT_FALSE(members.AddMember(2, "b", "", "", true, added));
  EXPECT_FALSE(added);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, J("メンバーリスト追加中にメモリ不足が発生しました\r"
                                  "メンバーリスト追加を中断します"));
}

TEST(MailSendList, HoldsRecipientsInOrder) {
  TMailSendList ids(false);
  EXPECT_EQ(ids.AddRecipientId(12), 0);
  EXPECT_EQ(ids.AddRecipientId(34), 1);
  EXPECT_EQ(TMailSendList::GetRecipientId(&ids, 1), 34);
  EXPECT_EQ(TMailSendList::GetRecipientId(&ids, 2), -1);
  EXPECT_EQ(TMailSendList::GetRecipientId(nullptr, 0), -1);
  TMailSendList texts(true);
  texts.AddRecipientText(std::string(40, 'x'));
  EXPECT_EQ(TMailSendList::GetRecipientText(&texts, 0), std::string(31, 'x'));
  EXPECT_EQ(TMailSendList::GetRecipientText(&texts, -1), "");
}

}  // namespace
}  // namespace vorn
