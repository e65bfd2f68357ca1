#include "dialoglogic/BoardSetLogic.h"

#include "analysis/BBSProcess.h"

namespace vorn {
namespace {

int32_t Choice(uint8_t value) {
  return value <= 1 ? value : 2;
}

}  // namespace

bool CanEditBoards(const TBBSProcess* bbs) {
  return bbs && bbs->Boards.Count() >= 2;
}

bool TBoardSetLogic::Show() {
  Rows.clear();
  SelectedBoard = -1;
  if (!CanEditBoards(BBS)) return false;
  const TBoardList& boards = BBS->Boards;
  for (int32_t b = 0; b < boards.Count(); ++b)
    Rows.push_back({BBS->GetBoardLabel(b, true), boards.GetBoardTitle(b)});
  const int32_t last = boards.Count() - 1;
  SelectedBoard = SetBoardIndex >= 1 && SetBoardIndex <= last ? SetBoardIndex : 1;
  SetBoardIndex = -1;
  AttrGroupEnabled = EditFlag;
  TypeGroupEnabled =
      EditFlag && (BBS->BinaryBatchSetFlag || BBS->WriteBinaryRootFlag || BBS->WriteBinaryRessFlag);
  RowSelected(SelectedBoard);
  return true;
}

void TBoardSetLogic::RowSelected(int32_t board) {
  if (!BBS || board < 1 || board >= BBS->Boards.Count()) return;
  SelectedBoard = board;
  TypeChoice = Choice(BBS->Boards.GetBoardType(board));
  AttrChoice = Choice(BBS->Boards.GetBoardAttr(board));
}

void TBoardSetLogic::SetBoardType(int32_t choice) {
  if (!BBS || !TypeGroupEnabled || SelectedBoard < 1 || choice < 0 || choice > 2) return;
  TBoardList& boards = BBS->Boards;
  boards.SetBoardAttr(SelectedBoard, boards.IsArticleBoard(SelectedBoard),
                      static_cast<uint8_t>(choice), boards.GetBoardAttr(SelectedBoard));
  TypeChoice = choice;
}

void TBoardSetLogic::SetBoardAttr(int32_t choice) {
  if (!BBS || !AttrGroupEnabled || SelectedBoard < 1 || choice < 0 || choice > 2) return;
  TBoardList& boards = BBS->Boards;
  boards.SetBoardAttr(SelectedBoard, boards.IsArticleBoard(SelectedBoard),
                      boards.GetBoardType(SelectedBoard), static_cast<uint8_t>(choice));
  AttrChoice = choice;
}

void TBoardSetLogic::Accept() {
  if (!EditFlag) SetBoardIndex = SelectedBoard;
}

}  // namespace vorn
