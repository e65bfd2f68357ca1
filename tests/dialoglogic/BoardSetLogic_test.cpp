#include "dialoglogic/BoardSetLogic.h"

#include <gtest/gtest.h>

#include "support/DialogSamples.h"

namespace vorn {
namespace {

using test::J;

class BoardSetLogic : public ::testing::Test, public test::DialogSamples {
 protected:
  BoardSetLogic() {
    EXPECT_TRUE(netVornLoaded);
    logic.BBS = netVorn.get();
  }
  TBoardSetLogic logic;
};

TEST_F(BoardSetLogic, ListsTheBoardsPastTheFirstAndSelectsTheGivenOne) {
  logic.SetBoardIndex = 2;
  ASSERT_TRUE(logic.Show());
  ASSERT_EQ(logic.Rows.size(), 4u);
  EXPECT_EQ(logic.Rows[1].Index, "  1:general ");
  EXPECT_EQ(logic.Rows[3].Title, J("バイナリボード"));
  EXPECT_EQ(logic.SelectedBoard, 2);
  EXPECT_EQ(logic.SetBoardIndex, -1);
  for (int32_t outside : {0, 4, -1}) {
    logic.SetBoardIndex = outside;
    logic.Show();
    EXPECT_EQ(logic.SelectedBoard, 1);
  }
  // A set with nothing but its mail box has nothing to edit.
  netVorn->ClearData();
  EXPECT_FALSE(CanEditBoards(netVorn.get()));
  EXPECT_FALSE(logic.Show());
  EXPECT_FALSE(CanEditBoards(nullptr));
}

TEST_F(BoardSetLogic, KindAndAttributeAreStoredInPlace) {
  logic.SetBoardIndex = 3;
  logic.Show();
  EXPECT_TRUE(logic.TypeGroupEnabled);
  EXPECT_TRUE(logic.AttrGroupEnabled);
  logic.SetBoardType(1);
  logic.SetBoardAttr(2);
  TBoardList& boards = netVorn->Boards;
  EXPECT_EQ(boards.GetBoardType(3), 1);
  EXPECT_EQ(boards.GetBoardAttr(3), 2);
  EXPECT_EQ(boards.IsArticleBoard(3), 1);
  logic.SetBoardAttr(1);
  EXPECT_EQ(boards.GetBoardType(3), 1);
  EXPECT_EQ(boards.GetBoardAttr(3), 1);

  // Another row shows its own values; a value past the groups' shows as the last choice.
  boards.Board(2)->BoardType = 7;
  logic.RowSelected(2);
  EXPECT_EQ(logic.TypeChoice, 2);
  EXPECT_EQ(logic.AttrChoice, 0);
  logic.RowSelected(3);
  EXPECT_EQ(logic.TypeChoice, 1);
  EXPECT_EQ(logic.AttrChoice, 1);
  logic.Accept();
  EXPECT_EQ(logic.SetBoardIndex, -1);

  // A family without binary work cannot change the kind.
  TBoardSetLogic nif;
  nif.BBS = nifty.get();
  ASSERT_TRUE(nif.Show());
  EXPECT_FALSE(nif.TypeGroupEnabled);
  EXPECT_TRUE(nif.AttrGroupEnabled);
  nif.SetBoardType(1);
  EXPECT_EQ(nifty->Boards.GetBoardType(nif.SelectedBoard), 0);
}

TEST_F(BoardSetLogic, SelectionModeChoosesABoardAndChangesNothing) {
  logic.EditFlag = false;
  logic.SetBoardIndex = 1;
  logic.Show();
  EXPECT_FALSE(logic.TypeGroupEnabled);
  EXPECT_FALSE(logic.AttrGroupEnabled);
  logic.SetBoardAttr(1);
  EXPECT_EQ(netVorn->Boards.GetBoardAttr(1), 0);
  // Closing without OK leaves no board chosen.
  EXPECT_EQ(logic.SetBoardIndex, -1);
  logic.RowSelected(2);
  logic.Accept();
  EXPECT_EQ(logic.SetBoardIndex, 2);
}

}  // namespace
}  // namespace vorn
