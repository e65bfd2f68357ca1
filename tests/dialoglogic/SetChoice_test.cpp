// The small choosers of BBS set management: definition, prefix, set to open, and the command
// that runs them.
#include <gtest/gtest.h>

#include <deque>

#include "dialoglogic/BBSSetCommand.h"
#include "dialoglogic/NetSelectLogic.h"
#include "dialoglogic/NetSetSelectLogic.h"
#include "dialoglogic/PrefixInpLogic.h"
#include "platform/UiServices.h"
#include "support/DialogTestSupport.h"
#include "support/RecordingUiServices.h"

namespace vorn {
namespace {

using test::AddSet;
using test::Families;
using test::J;
using Kind = RecordingUiServices::Kind;

TEST(NetSetSelectLogic, OffersOnlyNewWithoutSetsAndNamesInFamilyOrder) {
  Families f;
  TNetSetSelectLogic logic;
  logic.Show(f.list);
  EXPECT_FALSE(logic.ChoicesEnabled());
  EXPECT_EQ(logic.Choice, NetSelectNew);
  EXPECT_FALSE(logic.NameListEnabled());
  logic.Ok();
  EXPECT_EQ(logic.Skbn, NetSelectNew);
  EXPECT_EQ(logic.SelectPrefix, "");

  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Nifty A"));
  ASSERT_TRUE(AddSet(*f.netVorn, "NETB", "Net B"));
  ASSERT_TRUE(AddSet(*f.netVorn, "NETA", "Net A"));
  logic.Show(f.list);
  EXPECT_EQ(logic.Names, (std::vector<std::string>{"Net B", "Net A", "Nifty A"}));
  EXPECT_EQ(logic.Choice, NetSelectChange);
  EXPECT_EQ(logic.Selected, 0);
  EXPECT_TRUE(logic.NameListEnabled());
  logic.Choice = NetSelectCopy;
  logic.Selected = 2;
  logic.Ok();
  EXPECT_EQ(logic.Skbn, NetSelectCopy);
  EXPECT_EQ(logic.SelectPrefix, "NIF");
  logic.Cancel();
  EXPECT_EQ(logic.Skbn, NetSelectNone);
  EXPECT_EQ(logic.SelectPrefix, "");
}

TEST(PrefixInputLogic, RefusesEmptyAndUsedPrefixesAcrossFamilies) {
  Families f;
  ASSERT_TRUE(AddSet(*f.netVorn, "NET", "Net"));
  RecordingUiServices ui;
  ScopedUiServices installed(&ui);
  TPrefixInputLogic logic;
  EXPECT_FALSE(logic.Show(nullptr, -1));
  TBBSList none;
  EXPECT_FALSE(logic.Show(&none, -1));

  ASSERT_TRUE(logic.Show(&f.list, -1));
  EXPECT_EQ(logic.HostNames.size(), 2u);
  EXPECT_EQ(logic.HostIndex, 0);
  EXPECT_TRUE(logic.HostEnabled);
  EXPECT_FALSE(logic.Ok("", 1));
  EXPECT_FALSE(logic.Ok("net", 1));
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].text, J("プレフィックスが設定されていません"));
  EXPECT_EQ(ui.entries[1].text, J("指定されたプレフィックスは他BBSで使用済みです"));
  EXPECT_EQ(logic.Prefix, "");
  ASSERT_TRUE(logic.Ok("NIF", 1));
  EXPECT_EQ(logic.Prefix, "NIF");
  EXPECT_EQ(logic.SelectBBS, 1);

  // A copy keeps the family of its source.
  ASSERT_TRUE(logic.Show(&f.list, 1));
  EXPECT_EQ(logic.Prefix, "");
  EXPECT_EQ(logic.HostIndex, 1);
  EXPECT_FALSE(logic.HostEnabled);
  logic.Cancel();
  EXPECT_EQ(logic.Prefix, "");
}

TEST(NetSelectLogic, RowsFilterAndTheFileDialogOfARow) {
  Families f;
  ASSERT_TRUE(AddSet(*f.netVorn, "NET", "Net", "/net/"));
  ASSERT_TRUE(AddSet(*f.netVorn, "OLD", "Old", "/old/"));
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Nifty", "/nif/"));
  CommonSettings common;
  common.LogExtention = "cap";
  TNetSelectLogic logic;
  logic.CommonIniFile = &common;
  logic.Show(f.list, {});
  ASSERT_EQ(logic.Rows.size(), 3u);
  EXPECT_EQ(logic.Rows[2].Prefix, "NIF");
  EXPECT_EQ(logic.Rows[2].Family, 1);
  EXPECT_EQ(logic.Rows[1].LogPath, "/old/");

  // The Nifty row's own mask, though NetVorn rows come first.
  EXPECT_TRUE(logic.Ok(2));
  EXPECT_EQ(logic.SelectPrefix, "NIF");
  EXPECT_EQ(logic.FileDialogFolder(2), "/nif/");
  EXPECT_EQ(JoinFileFilter(logic.FileDialogFilter(2)),
            J("指定BBSログファイル(NIF*.log)|NIF*.log|ログファイル(*.cap)|*.cap|"
              "すべてのファイル(*.*)|*.*"));
  logic.FilesChosen({"/nif/b.log", "/nif/a.log"});
  EXPECT_EQ(logic.SelectFilelist, (std::vector<std::string>{"/nif/a.log", "/nif/b.log"}));

  // With a prefix list only those sets, and only the set is asked for.
  logic.Show(f.list, {"nif", "net"});
  ASSERT_EQ(logic.Rows.size(), 2u);
  EXPECT_EQ(logic.Rows[0].Prefix, "NET");
  EXPECT_FALSE(logic.Ok(1));
  EXPECT_EQ(logic.SelectPrefix, "NIF");
  EXPECT_FALSE(logic.Ok(5));
  EXPECT_EQ(logic.SelectPrefix, "");

  TNetSelectLogic bare;
  bare.Show(f.list, {});
  EXPECT_NE(JoinFileFilter(bare.FileDialogFilter(0)).find(J("ログファイル(*.log)|*.log")),
            std::string::npos);
}

TEST(DialogPosition, CentredOnTheParentAndInsideTheScreen) {
  const DialogPosition p = CentredDialogPosition(100, 50, 601, 401, 201, 101, 1024, 768);
  EXPECT_EQ(p.Left, 100 + 300 - 100);
  EXPECT_EQ(p.Top, 50 + 200 - 50);
  const DialogPosition right = CentredDialogPosition(900, 700, 400, 200, 300, 150, 1024, 768);
  EXPECT_EQ(right.Left, 1024 - 300 - 1);
  EXPECT_EQ(right.Top, 768 - 150 - 1);
  const DialogPosition left = CentredDialogPosition(-500, -400, 200, 100, 300, 150, 1024, 768);
  EXPECT_EQ(left.Left, 0);
  EXPECT_EQ(left.Top, 0);
}

// Dialogs that answer from a script and record what they were asked.
class ScriptedSetDialogs final : public TBBSSetDialogs {
 public:
  SetChoice ChooseSet(const TBBSList&) override {
    ++chooseCount;
    return choice;
  }
  PrefixChoice AskPrefix(const TBBSList&, int selectBBS) override {
    askedFamily = selectBBS;
    return prefix;
  }
  void EditSet(const TBBSList&, int family, TNetSelectSkbn skbn, const std::string& readPrefix,
               const std::string& writePrefix) override {
    edits.push_back({family, skbn, readPrefix, writePrefix});
  }

  struct Edit {
    int family;
    TNetSelectSkbn skbn;
    std::string readPrefix, writePrefix;
  };
  SetChoice choice;
  PrefixChoice prefix;
  int askedFamily = -99;
  int chooseCount = 0;
  std::vector<Edit> edits;
};

TEST(BBSSetCommand, RunsTheDialogsOfEachChoice) {
  Families f;
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Nifty"));
  RecordingUiServices ui;
  ScopedUiServices installed(&ui);
  ScriptedSetDialogs d;

  d.choice = {NetSelectNone, ""};
  EXPECT_EQ(RunBBSSetCommand(f.list, d), 1);
  EXPECT_TRUE(d.edits.empty());

  // A new set: the family is the one chosen with the prefix.
  d.choice = {NetSelectNew, ""};
  d.prefix = {"NEW", 0};
  RunBBSSetCommand(f.list, d);
  EXPECT_EQ(d.askedFamily, -1);
  ASSERT_EQ(d.edits.size(), 1u);
  EXPECT_EQ(d.edits[0].family, 0);
  EXPECT_EQ(d.edits[0].writePrefix, "NEW");

  // A copy keeps the source's family; an empty prefix ends the command.
  d.choice = {NetSelectCopy, "nif"};
  d.prefix = {"", -1};
  RunBBSSetCommand(f.list, d);
  EXPECT_EQ(d.askedFamily, 1);
  EXPECT_EQ(d.edits.size(), 1u);
  d.prefix = {"NIF2", 0};
  RunBBSSetCommand(f.list, d);
  ASSERT_EQ(d.edits.size(), 2u);
  EXPECT_EQ(d.edits[1].family, 1);
  EXPECT_EQ(d.edits[1].skbn, NetSelectCopy);
  EXPECT_EQ(d.edits[1].readPrefix, "nif");
  EXPECT_EQ(d.edits[1].writePrefix, "NIF2");

  // A change of a prefix no family holds does nothing.
  d.choice = {NetSelectChange, "ZZZ"};
  RunBBSSetCommand(f.list, d);
  EXPECT_EQ(d.edits.size(), 2u);
  EXPECT_TRUE(ui.entries.empty());
}

TEST(BBSSetCommand, DeletingAsksAndTheLastDeletionLeavesNoSet) {
  Families f;
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", J("ニフティ")));
  RecordingUiServices ui;
  ScopedUiServices installed(&ui);
  ScriptedSetDialogs d;
  d.choice = {NetSelectDel, "NIF"};

  ui.Script(UiAnswer::No);
  EXPECT_EQ(RunBBSSetCommand(f.list, d), 1);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::ConfirmYesNo);
  EXPECT_EQ(ui.entries[0].text, J("BBS:ニフティ\r\n本当に削除しますか？"));

  ui.Script(UiAnswer::Yes);
  EXPECT_EQ(RunBBSSetCommand(f.list, d), 0);
  ASSERT_EQ(ui.entries.size(), 3u);
  EXPECT_EQ(ui.entries[2].kind, Kind::Information);
  EXPECT_EQ(ui.entries[2].text, J("削除しました"));
  f.Reload();
  EXPECT_EQ(TotalNetCount(f.list), 0);
  EXPECT_TRUE(d.edits.empty());
}

// Sets of one family in the shipped settings files plus two added ones; one of the three is
// deleted through the command, and the program starts again.
void DeleteOneOfThreeSets(int family, int victim) {
  const std::string samples = test::SourceDir() + "/samples/settings/";
  Families f;
  for (const char* name : {"netvorn.ini", "vorndef.ini", "nifty.ini", "nifdef.ini"})
    test::WriteBytes(f.dir.File(name), test::ReadBytes(samples + name));
  f.Reload();
  auto settings = [&](int which) -> TBBSIniFile& {
    return which == 0 ? static_cast<TBBSIniFile&>(*f.netVorn) : *f.nifty;
  };
  TBBSIniFile& ini = settings(family);
  ASSERT_EQ(ini.GetNetCount(), 1);
  const std::string first = ini.Nets()[0].Prefix;
  ASSERT_TRUE(AddSet(ini, "SECOND", "Second"));
  // The third set carries an analysis value of its own, which must survive as well.
  ini.NetNo = -1;
  ini.Prefix = "THIRD";
  ini.Name = "Third";
  ASSERT_TRUE(ini.SetItemValue(0, "third's own value"));
  ASSERT_TRUE(ini.SaveNet());
  f.Reload();
  const std::vector<std::string> prefixes{first, "SECOND", "THIRD"};
  ASSERT_EQ(settings(family).GetNetCount(), 3);

  RecordingUiServices ui;
  ScopedUiServices installed(&ui);
  ui.Script(UiAnswer::Yes);
  ScriptedSetDialogs d;
  d.choice = {NetSelectDel, prefixes[size_t(victim)]};
  EXPECT_EQ(RunBBSSetCommand(f.list, d), 3);
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[1].text, J("削除しました"));

  f.Reload();
  TBBSIniFile& after = settings(family);
  std::vector<std::string> left;
  for (const NetRecord& r : after.Nets())
    left.push_back(r.Prefix);
  std::vector<std::string> expected = prefixes;
  expected.erase(expected.begin() + victim);
  EXPECT_EQ(left, expected);
  if (victim != 2 && after.FindPrefix("THIRD") >= 0) {
    ASSERT_TRUE(after.SelectNet(after.NetNoAt(after.FindPrefix("THIRD"))));
    EXPECT_EQ(after.ItemValue(0), "third's own value");
  }
  // The other family is untouched.
  EXPECT_EQ(settings(1 - family).GetNetCount(), 1);
}

TEST(BBSSetCommand, DeletingASetKeepsEveryOtherSetOfBothFamiliesAfterARestart) {
  // The shipped settings files keep NetCount at the highest set number, and adding sets keeps
  // it so. Deleting the second-highest set used to lower NetCount below the highest, which
  // the next start then never loaded.
  for (int family = 0; family < 2; ++family) {
    for (int victim = 0; victim < 3; ++victim) {
      SCOPED_TRACE("family " + std::to_string(family) + ", set " + std::to_string(victim));
      DeleteOneOfThreeSets(family, victim);
    }
  }
}

}  // namespace
}  // namespace vorn
