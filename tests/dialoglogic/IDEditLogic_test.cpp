#include "dialoglogic/IDEditLogic.h"

#include <gtest/gtest.h>

#include "store/ArticleList.h"
#include "support/DialogSamples.h"
#include "support/RecordingUiServices.h"

namespace vorn {
namespace {

using test::J;
using Kind = RecordingUiServices::Kind;
using Strings = std::vector<std::string>;

class IDEditLogic : public ::testing::Test, public test::DialogSamples {
 protected:
  IDEditLogic() {
    EXPECT_TRUE(netVornLoaded);
    EXPECT_TRUE(niftyLoaded);
    logic.BBS = netVorn.get();
  }
  Strings Ids() const {
    Strings ids;
    for (const IDEditRow& r : logic.Rows)
      ids.push_back(r.Id);
    return ids;
  }
  Strings Members(const TBBSProcess& bbs) const {
    Strings out;
    const TMemberList& m = bbs.Members;
    for (int32_t i = 0; i < m.Count(); ++i) {
      if (!m.IsLiveMember(i)) continue;
      out.push_back((m.TextIds ? m.GetIdText(i) : std::to_string(m.GetIdNo(i))) + "/" +
                    m.GetTrueHandle(i) + "/" + m.GetShortHandle(i) + "/" + m.GetCurrentHandle(i));
    }
    return out;
  }
  Strings Messages() const {
    Strings texts;
    for (const auto& e : ui.entries)
      texts.push_back(e.text);
    return texts;
  }

  TIDEditLogic logic;
  RecordingUiServices ui;
  ScopedUiServices scoped{&ui};
};

TEST_F(IDEditLogic, ShowsTheMembersAndPreselectsTheWriter) {
  EXPECT_FALSE(TIDEditLogic().Show());
  logic.SelectIDNum = 3072;
  ASSERT_TRUE(logic.Show());
  EXPECT_EQ(Ids(), (Strings{"1024", "2048", "3072", "4096", "5120"}));
  EXPECT_EQ(logic.Rows[1].TrueHandle, J("はなこ"));
  EXPECT_TRUE(logic.GridEnabled);
  EXPECT_EQ(logic.SelectedRow, 2);
  EXPECT_EQ(logic.AddId, "3072");
  EXPECT_EQ(logic.AddHandle, J("じろう"));
  EXPECT_EQ(logic.Focus, IDEditFocus::Grid);
  EXPECT_FALSE(logic.StartFlag);
  // Only the true and short handles are edited in place.
  EXPECT_FALSE(logic.CellSelectable(IDEditColumnId));
  EXPECT_TRUE(logic.CellSelectable(IDEditColumnTrueHandle));
  EXPECT_TRUE(logic.CellSelectable(IDEditColumnShortHandle));
  EXPECT_FALSE(logic.CellSelectable(IDEditColumnCurrentHandle));

  // A writer who is not in the list is offered for adding.
  logic.StartFlag = true;
  logic.SelectIDNum = 7777;
  logic.SelectHandle = J("ななこ");
  logic.Show();
  EXPECT_EQ(logic.SelectedRow, 0);
  EXPECT_EQ(logic.AddId, "7777");
  EXPECT_EQ(logic.AddHandle, J("ななこ"));
  EXPECT_EQ(logic.Focus, IDEditFocus::AddButton);
  logic.SelectHandle.clear();
  logic.Show();
  EXPECT_EQ(logic.Focus, IDEditFocus::AddHandle);

  // No members: nothing to select.
  netVorn->Members.Clear();
  logic.StartFlag = true;
  logic.SelectIDNum = -1;
  logic.Show();
  EXPECT_TRUE(logic.Rows.empty());
  EXPECT_FALSE(logic.GridEnabled);
  EXPECT_EQ(logic.Focus, IDEditFocus::None);
}

TEST_F(IDEditLogic, AddChecksInOrderAndKeepsTheListSorted) {
  logic.Show();
  auto add = [&](const std::string& id, const std::string& handle) {
    logic.AddId = id;
    logic.AddHandle = handle;
    return logic.Add();
  };
  EXPECT_FALSE(add("", "x"));
  EXPECT_FALSE(add("1500", ""));
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(add("1500", "x"));
  ui.Script(UiAnswer::Yes);
  EXPECT_FALSE(add("abc", "x"));
  ui.Script(UiAnswer::Yes);
  EXPECT_FALSE(add("100000", "x"));
  ui.Script(UiAnswer::Yes);
  EXPECT_FALSE(add("2048", "x"));
  EXPECT_EQ(
      Messages(),
      (Strings{J("IDを指定して下さい"), J("Handleを指定して下さい"), J("ID:1500\r\n追加しますか？"),
               J("ID:abc\r\n追加しますか？"), J("IDに有効な数値を指定して下さい"),
               J("ID:100000\r\n追加しますか？"), J("IDは0から99999までの間の数値で指定して下さい"),
               J("ID:2048\r\n追加しますか？"), J("指定されたIDはすでに登録済です")}));

  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(add("1500", J("いちご")));
  EXPECT_EQ(Ids(), (Strings{"1024", "1500", "2048", "3072", "4096", "5120"}));
  EXPECT_EQ(logic.SelectedRow, 1);
  EXPECT_EQ(logic.Rows[1].CurrentHandle, J("いちご"));
  EXPECT_EQ(logic.Rows[1].TrueHandle, J("いちご"));
  // The set's list changes only through OK.
  EXPECT_EQ(netVorn->Members.LiveCount(), 5);
}

TEST_F(IDEditLogic, DeleteAndInPlaceEditsReachTheSetThroughOk) {
  logic.Show();
  // A true handle edited in the grid survives the refresh of a delete.
  ASSERT_TRUE(logic.SetCell(0, IDEditColumnTrueHandle, J("太郎")));
  EXPECT_FALSE(logic.SetCell(0, IDEditColumnCurrentHandle, "x"));
  ASSERT_TRUE(logic.SetCell(1, IDEditColumnShortHandle, J("はな")));

  logic.AddId = "9999";
  ui.Script(UiAnswer::Yes);
  EXPECT_FALSE(logic.Delete());
  logic.AddId = "4096";
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(logic.Delete());
  EXPECT_EQ(Messages(),
            (Strings{J("ID:9999\r\n削除しますか？"), J("指定されたIDは存在しません"),
                     J("ID:4096\r\n削除しますか？"), J("ID:4096\r\n削除が正常終了しました")}));
  EXPECT_EQ(ui.entries.back().kind, Kind::Information);
  EXPECT_EQ(Ids(), (Strings{"1024", "2048", "3072", "5120"}));
  EXPECT_EQ(logic.SelectedRow, 0);
  EXPECT_EQ(logic.Rows[0].TrueHandle, J("太郎"));

  logic.Accept(1);
  EXPECT_EQ(logic.SelectID, "2048");
  EXPECT_EQ(Members(*netVorn),
            (Strings{"1024/" + J("太郎/たろう/たろう"), "2048/" + J("はなこ/はな/はなこ"),
                     "3072/" + J("じろう/じろう/じろう"), "5120/" + J("しろう/しろう/しろう")}));
  EXPECT_TRUE(netVorn->Members.Modified);
  // The rebuilt list is still ordered for the binary search of the grid.
  EXPECT_EQ(netVorn->Members.SearchIdNo(5120), 3);
}

TEST_F(IDEditLogic, CancelAndSelectionModeLeaveTheSetAlone) {
  const Strings before = Members(*netVorn);
  logic.Show();
  logic.SetCell(0, IDEditColumnTrueHandle, "changed");
  // Escape in edit mode asks; nothing was accepted.
  ui.Script(UiAnswer::No);
  EXPECT_FALSE(logic.Escape());
  ui.Script(UiAnswer::Yes);
  EXPECT_TRUE(logic.Escape());
  EXPECT_EQ(Messages(), (Strings{J("編集結果を破棄しますか？"), J("編集結果を破棄しますか？")}));
  EXPECT_EQ(Members(*netVorn), before);

  TIDEditLogic pick;
  pick.BBS = netVorn.get();
  pick.EditFlag = false;
  ASSERT_TRUE(pick.Show());
  EXPECT_TRUE(pick.CellSelectable(IDEditColumnId));
  EXPECT_FALSE(pick.SetCell(0, IDEditColumnTrueHandle, "x"));
  EXPECT_TRUE(pick.Escape());
  pick.Accept(3);
  EXPECT_EQ(pick.SelectID, "4096");
  EXPECT_EQ(Members(*netVorn), before);
  EXPECT_EQ(ui.entries.size(), 2u);
}

TEST_F(IDEditLogic, TextIdsAreCheckedAndComparedInUpperCase) {
  logic.BBS = nifty.get();
  logic.SelectIDStr = "GHI56789";
  ASSERT_TRUE(logic.Show());
  EXPECT_EQ(logic.Rows[logic.SelectedRow].Id, "GHI56789");
  auto add = [&](const std::string& id) {
    logic.AddId = id;
    logic.AddHandle = "h";
    ui.Script(UiAnswer::Yes);
    return logic.Add();
  };
  EXPECT_FALSE(add("ghi56789"));
  EXPECT_EQ(ui.entries.back().text, J("指定されたIDはすでに登録済です"));
  EXPECT_FALSE(add("ab1"));
  EXPECT_TRUE(add("xyz00001"));
  EXPECT_EQ(logic.Rows[logic.SelectedRow].Id, "XYZ00001");
  EXPECT_EQ(logic.Rows.back().Id, "XYZ00001");
  logic.Accept(logic.SelectedRow);
  EXPECT_EQ(logic.SelectID, "XYZ00001");
  EXPECT_GE(nifty->Members.FindIdText("XYZ00001"), 0);
}

TEST_F(IDEditLogic, PresetFromAnArticle) {
  TArticleList& general = *netVorn->Boards.GetArticles(1);
  int32_t p = -1;
  for (int32_t i = 0; i < general.OrderCount(ArticleSortTree); ++i) {
    if (general.GetNumber(ArticleSortTree, i) == 102) p = i;
  }
  ASSERT_GE(p, 0);
  IDEditPreset preset = IdEditPresetOf(*netVorn, netVornSession.LogList, 1, ArticleSortTree, p);
  EXPECT_EQ(preset.IdNum, 2048);
  EXPECT_EQ(preset.Handle, "");

  // A Nifty-Serve article names its writer's handle in its header.
  TArticleList& comp = *nifty->Boards.GetArticles(1);
  preset = IdEditPresetOf(*nifty, niftySession.LogList, 1, ArticleSortNormal, 0);
  EXPECT_EQ(preset.IdStr, comp.GetWriterIdText(ArticleSortNormal, 0));
  EXPECT_EQ(preset.Handle, J("はなこ"));

  // A queued write has no writer to offer.
  general.AddArticle(ArticleKindRoot, 1, 0, -1, 0, -1, -1, -1, -1, {}, {}, "w", {}, -1, 1,
                     std::make_unique<TStringList>(TStringList{"w"}));
  general.SortArticles();
  preset = IdEditPresetOf(*netVorn, netVornSession.LogList, 1, ArticleSortTree,
                          general.FindByKeyAndTime(ArticleSortTree, 0, 0));
  EXPECT_EQ(preset.IdNum, -1);
  EXPECT_EQ(preset.IdStr, "");
}

}  // namespace
}  // namespace vorn
