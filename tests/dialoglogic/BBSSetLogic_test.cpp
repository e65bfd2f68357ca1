#include "dialoglogic/BBSSetLogic.h"

#include <gtest/gtest.h>

#include "platform/UiServices.h"
#include "support/DialogTestSupport.h"
#include "support/RecordingUiServices.h"

namespace vorn {
namespace {

using test::AddSet;
using test::Families;
using test::J;
using Kind = RecordingUiServices::Kind;

class BBSSetLogicTest : public ::testing::Test {
 protected:
  void SetUp() override { common.LogExtention = "log"; }

  template <class Logic>
  bool Show(Logic& logic, TBBSIniFile* ini, TNetSelectSkbn skbn, const std::string& readPrefix,
            const std::string& writePrefix) {
    logic.CommonIniFile = &common;
    logic.BBSList = &f.list;
    logic.BBSIniFile = ini;
    logic.Skbn = skbn;
    logic.ReadPrefix = readPrefix;
    logic.WritePrefix = writePrefix;
    return logic.Show();
  }

  Families f;
  CommonSettings common;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
};

TEST_F(BBSSetLogicTest, NewNetVornSetGetsMaskAndFileNamesFromItsPrefix) {
  common.LogExtention = "txt";
  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectNew, "", "NET"));
  const std::string folder = f.Folder();
  EXPECT_EQ(logic.Fields.Prefix, "NET");
  EXPECT_EQ(logic.Fields.FilePath, folder);
  EXPECT_EQ(logic.Fields.FileMask, "NET*.txt");
  EXPECT_EQ(logic.Fields.BoardListFile, folder + "NET.bl");
  EXPECT_EQ(logic.Fields.MemberListFile, folder + "NET.id");
  EXPECT_EQ(logic.Fields.ReadPtrFile, folder + "NET.rp");
  EXPECT_EQ(logic.Fields.UpFile, folder + "NET.up");
  EXPECT_EQ(logic.Fields.PadFile, folder + "NET.pad");
  EXPECT_EQ(logic.Fields.Name, "");
  EXPECT_EQ(logic.Fields.SignatureFile, "");
  // The grid lists every item with its default; maintenance is on for a new set.
  ASSERT_EQ(logic.Values.size(), size_t(NetVornItemCount));
  EXPECT_EQ(logic.ItemNames[0], f.netVorn->ItemName(0));
  for (int i = 0; i < NetVornItemCount; ++i)
    EXPECT_EQ(logic.Values[size_t(i)], logic.ItemDefault(i));
  EXPECT_TRUE(logic.Mente);
  EXPECT_FALSE(logic.HostPatch);
  EXPECT_FALSE(logic.VariantsEnabled);

  // Without common settings the extension is "log".
  TNetVornSetLogic plain;
  plain.BBSList = &f.list;
  plain.BBSIniFile = f.netVorn.get();
  plain.Skbn = NetSelectNew;
  plain.WritePrefix = "NET";
  ASSERT_TRUE(plain.Show());
  EXPECT_EQ(plain.Fields.FileMask, "NET*.log");

  logic.Fields.Name = J("テスト局");
  ASSERT_TRUE(logic.Ok());
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Information);
  EXPECT_EQ(ui.entries[0].text, J("BBS:テスト局\r設定登録しました"));
  f.Reload();
  ASSERT_EQ(f.netVorn->GetNetCount(), 1);
  ASSERT_TRUE(f.netVorn->SelectNet(f.netVorn->NetNoAt(0)));
  EXPECT_EQ(f.netVorn->Prefix, "NET");
  EXPECT_EQ(f.netVorn->PadFile, folder + "NET.pad");
  EXPECT_TRUE(f.netVorn->Mente);
}

TEST_F(BBSSetLogicTest, RefusalsKeepTheDialogOpen) {
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Nifty"));
  ASSERT_TRUE(AddSet(*f.netVorn, "NET", "Net"));
  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectNew, "", "NEW"));
  logic.Fields.Name = "x";

  logic.Fields.Prefix = "";
  EXPECT_FALSE(logic.Ok());
  // A prefix of the other family is refused as well, and so is one spelled in another case.
  logic.Fields.Prefix = "nif";
  EXPECT_FALSE(logic.Ok());
  logic.Fields.Prefix = "NET";
  EXPECT_FALSE(logic.Ok());
  logic.Fields.Prefix = "NEW";
  logic.Fields.Name = "";
  EXPECT_FALSE(logic.Ok());
  ASSERT_EQ(ui.entries.size(), 4u);
  EXPECT_EQ(ui.entries[0].text, J("プレフィックスが設定されていません"));
  EXPECT_EQ(ui.entries[1].text, J("指定されたプレフィックスは他BBSで使用済みです"));
  EXPECT_EQ(ui.entries[2].text, J("指定されたプレフィックスは他BBSで使用済みです"));
  EXPECT_EQ(ui.entries[3].text, J("BBS名称が設定されていません"));
  for (const auto& e : ui.entries)
    EXPECT_EQ(e.kind, Kind::Warning);
  EXPECT_EQ(f.netVorn->GetNetCount(), 1);
}

TEST_F(BBSSetLogicTest, ChangeKeepsItsOwnPrefixButNotAnother) {
  ASSERT_TRUE(AddSet(*f.netVorn, "AAA", "First"));
  ASSERT_TRUE(AddSet(*f.netVorn, "BBB", "Second"));
  // The entry's keys that the dialog does not show must survive a change.
  f.netVorn->SelectNet(1);
  f.netVorn->UpFileCommandExtract = true;
  ASSERT_TRUE(f.netVorn->SaveNet());
  f.netVorn->SelectNet(0);

  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectChange, "bbb", "bbb"));
  EXPECT_EQ(logic.Fields.Prefix, "BBB");
  EXPECT_EQ(logic.Fields.Name, "Second");
  EXPECT_EQ(logic.Fields.SignatureFile, "/sig/BBB.txt");
  logic.Fields.Prefix = "AAA";
  EXPECT_FALSE(logic.Ok());
  logic.Fields.Prefix = "bbb";
  logic.Fields.Name = "Renamed";
  ASSERT_TRUE(logic.Ok());
  EXPECT_EQ(ui.entries.back().text, J("BBS:Renamed\r設定変更しました"));
  // The object is back on the entry it held before.
  EXPECT_EQ(f.netVorn->Prefix, "AAA");

  f.Reload();
  ASSERT_EQ(f.netVorn->GetNetCount(), 2);
  ASSERT_TRUE(f.netVorn->SelectNet(1));
  EXPECT_EQ(f.netVorn->Prefix, "bbb");
  EXPECT_EQ(f.netVorn->Name, "Renamed");
  EXPECT_TRUE(f.netVorn->UpFileCommandExtract);

  // A set that went away meanwhile cannot be changed.
  TNetVornSetLogic gone;
  EXPECT_FALSE(Show(gone, f.netVorn.get(), NetSelectChange, "ZZZ", "ZZZ"));
  EXPECT_FALSE(Show(gone, f.netVorn.get(), NetSelectDel, "AAA", "AAA"));
  EXPECT_FALSE(Show(gone, f.netVorn.get(), NetSelectNone, "AAA", "AAA"));
  EXPECT_FALSE(Show(gone, f.nifty.get(), NetSelectNew, "", "X"));  // not a NetVorn file
}

TEST_F(BBSSetLogicTest, CopyTakesSignatureAndValuesButNotNameOrPaths) {
  ASSERT_TRUE(AddSet(*f.netVorn, "SRC", "Source", "/elsewhere/"));
  f.netVorn->SelectNet(0);
  f.netVorn->SetItemValue(NetVornItemCommandRead, "XX");
  f.netVorn->KTC = true;
  f.netVorn->MPN = true;
  f.netVorn->PadFileBatchCommand = true;
  f.netVorn->UpFileAddDate = true;
  ASSERT_TRUE(f.netVorn->SaveNet());

  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectCopy, "SRC", "DST"));
  EXPECT_EQ(logic.Fields.Prefix, "DST");
  EXPECT_EQ(logic.Fields.Name, "");
  EXPECT_EQ(logic.Fields.FilePath, f.Folder());
  EXPECT_EQ(logic.Fields.SignatureFile, "/sig/SRC.txt");
  EXPECT_FALSE(logic.Fields.UpFileAddDate);
  EXPECT_EQ(logic.Values[NetVornItemCommandRead], "XX");
  // KTC wins over MPN; the batch command is taken over only by a change.
  EXPECT_TRUE(logic.HostPatch);
  EXPECT_TRUE(logic.VariantsEnabled);
  EXPECT_TRUE(logic.KTC);
  EXPECT_FALSE(logic.MPN);
  EXPECT_FALSE(logic.PadFileBatchDown);

  TNetVornSetLogic change;
  ASSERT_TRUE(Show(change, f.netVorn.get(), NetSelectChange, "SRC", "SRC"));
  EXPECT_TRUE(change.PadFileBatchDown);
  EXPECT_TRUE(change.Fields.UpFileAddDate);
  EXPECT_EQ(change.Fields.FilePath, "/elsewhere/");

  logic.Fields.Name = "Copy";
  logic.SetHostPatch(false);
  EXPECT_FALSE(logic.KTC);
  ASSERT_TRUE(logic.Ok());
  f.Reload();
  ASSERT_EQ(f.netVorn->GetNetCount(), 2);
  ASSERT_TRUE(f.netVorn->SelectNet(f.netVorn->NetNoAt(f.netVorn->FindPrefix("DST"))));
  EXPECT_EQ(f.netVorn->ItemValue(NetVornItemCommandRead), "XX");
  EXPECT_FALSE(f.netVorn->KTC);
  EXPECT_FALSE(f.netVorn->MPN);
  EXPECT_EQ(f.netVorn->FotterFile, "/sig/SRC.txt");
}

TEST_F(BBSSetLogicTest, ValueEditingFollowsTheDefault) {
  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectNew, "", "NET"));
  EXPECT_EQ(logic.Row, 0);
  EXPECT_TRUE(logic.DefaultChecked);
  EXPECT_FALSE(logic.MemoEnabled);
  EXPECT_FALSE(logic.SetEnabled);

  logic.SelectRow(NetVornItemCommandRead);
  logic.SetDefaultChecked(false);
  EXPECT_TRUE(logic.MemoEnabled);
  logic.EditMemo("ZZ");
  EXPECT_TRUE(logic.SetEnabled);
  // Nothing reaches the row before the set button.
  EXPECT_EQ(logic.Values[NetVornItemCommandRead], logic.ItemDefault(NetVornItemCommandRead));
  logic.SetValue();
  EXPECT_EQ(logic.Values[NetVornItemCommandRead], "ZZ");

  logic.SelectRow(0);
  logic.SelectRow(NetVornItemCommandRead);
  EXPECT_EQ(logic.Memo, "ZZ");
  EXPECT_FALSE(logic.DefaultChecked);
  EXPECT_TRUE(logic.MemoEnabled);
  EXPECT_FALSE(logic.SetEnabled);
  // Checking the default puts it into the memo, and the set button stores it.
  logic.SetDefaultChecked(true);
  EXPECT_EQ(logic.Memo, logic.ItemDefault(NetVornItemCommandRead));
  EXPECT_FALSE(logic.MemoEnabled);
  EXPECT_TRUE(logic.SetEnabled);
  logic.SetValue();
  EXPECT_EQ(logic.Values[NetVornItemCommandRead], logic.ItemDefault(NetVornItemCommandRead));

  logic.SelectRow(-1);
  EXPECT_EQ(logic.Row, -1);
  logic.EditMemo("ignored");
  logic.SetValue();
  EXPECT_FALSE(logic.SetEnabled);
}

TEST_F(BBSSetLogicTest, NiftyNewSetIsNamedAndHasItsSwitch) {
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Forum"));
  f.nifty->SelectNet(0);
  f.nifty->MemberAutoAdd = true;
  ASSERT_TRUE(f.nifty->SaveNet());

  TNiftySetLogic fresh;
  ASSERT_TRUE(Show(fresh, f.nifty.get(), NetSelectNew, "", "NEW"));
  EXPECT_EQ(fresh.Fields.Name, "Nifty-Serve");
  EXPECT_FALSE(fresh.MemberAutoAdd);
  EXPECT_EQ(fresh.Values.size(), size_t(NiftyItemCount));

  TNiftySetLogic change;
  ASSERT_TRUE(Show(change, f.nifty.get(), NetSelectChange, "NIF", "NIF"));
  EXPECT_TRUE(change.MemberAutoAdd);
  change.MemberAutoAdd = false;
  ASSERT_TRUE(change.Ok());
  f.Reload();
  ASSERT_TRUE(f.nifty->SelectNet(0));
  EXPECT_FALSE(f.nifty->MemberAutoAdd);
}

TEST_F(BBSSetLogicTest, AnalysisFilesRoundTripAndAskBeforeOverwriting) {
  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectNew, "", "NET"));
  EXPECT_FALSE(logic.CanSaveAnalysis());
  EXPECT_EQ(ui.entries.back().text, J("BBS名称が設定されていません"));
  logic.Fields.Name = J("交換用");
  EXPECT_TRUE(logic.CanSaveAnalysis());
  logic.Values[NetVornItemInfo] = "%C[%S]";
  logic.SetHostPatch(true);
  logic.MPN = true;
  logic.Mente = false;
  const std::string file = f.dir.File("share.ini");
  ASSERT_TRUE(logic.SaveAnalysisTo(file));

  // An existing file is overwritten only on Yes.
  ui.entries.clear();
  logic.Values[NetVornItemInfo] = "changed";
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(logic.SaveAnalysisTo(file));
  ui.Script(UiAnswer::Cancel);
  EXPECT_FALSE(logic.SaveAnalysisTo(file));
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].kind, Kind::ConfirmYesNoCancel);
  EXPECT_EQ(ui.entries[0].text,
            J("ファイル:") + file + J("は既に存在しています") + "\n\r" + J("上書きしますか？"));

  TNetVornSetLogic other;
  ASSERT_TRUE(Show(other, f.netVorn.get(), NetSelectNew, "", "OTH"));
  ASSERT_TRUE(other.LoadAnalysisFrom(file));
  EXPECT_EQ(other.Fields.Name, J("交換用"));
  EXPECT_EQ(other.Values[NetVornItemInfo], "%C[%S]");
  EXPECT_TRUE(other.HostPatch);
  EXPECT_TRUE(other.MPN);
  EXPECT_FALSE(other.KTC);
  EXPECT_FALSE(other.Mente);

  // A file without the section is not taken, and says so.
  ui.entries.clear();
  test::WriteBytes(f.dir.File("plain.ini"), "[Other]\r\nA=1\r\n");
  EXPECT_FALSE(other.LoadAnalysisFrom(f.dir.File("plain.ini")));
  EXPECT_FALSE(other.LoadAnalysisFrom(f.dir.File("missing.ini")));
  EXPECT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(other.Values[NetVornItemInfo], "%C[%S]");
}

TEST_F(BBSSetLogicTest, AFailedSaveIsReported) {
  TNetVornSetLogic logic;
  ASSERT_TRUE(Show(logic, f.netVorn.get(), NetSelectNew, "", "NET"));
  logic.Fields.Name = "x";
  // The analysis file cannot be written into a folder that does not exist.
  EXPECT_FALSE(logic.SaveAnalysisTo(f.dir.File("no/such/folder/x.ini")));
  ASSERT_FALSE(ui.entries.empty());
  EXPECT_EQ(ui.entries.back().kind, Kind::Warning);
}

}  // namespace
}  // namespace vorn
