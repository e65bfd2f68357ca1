#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

class TBBSProcess;

// One board as the board editor lists it.
struct BoardSetRow {
  std::string Index;  // the padded board label
  std::string Title;
};

// The logic of the board editor: the kind and attribute of each board of the loaded set,
// changed in place, or the destination board of a jump reply picked in selection mode. Board 0
// (the mail box of a numbered host) is not listed; a row's number is its board's index.
class TBoardSetLogic {
 public:
  // Fills the rows and selects SetBoardIndex (row 1 when it is outside the list), which then
  // becomes -1. False without a BBS or without a board past the first: the dialog closes.
  bool Show();

  // A row was selected: the radio groups show its kind and attribute (0, 1, anything else 2).
  void RowSelected(int32_t board);
  // A click in a radio group stores the choice in the board at once.
  void SetBoardType(int32_t choice);
  void SetBoardAttr(int32_t choice);
  // OK or a double click: in selection mode the current row is the result.
  void Accept();

  // Published properties.
  bool EditFlag = true;
  TBBSProcess* BBS = nullptr;
  // In: the row to select. Out: the chosen board, or -1.
  int32_t SetBoardIndex = -1;

  // What the dialog shows. Rows[0] stands for board 0 and is not shown.
  std::vector<BoardSetRow> Rows;
  int32_t SelectedBoard = -1;
  bool TypeGroupEnabled = false;
  bool AttrGroupEnabled = false;
  int32_t TypeChoice = 0;
  int32_t AttrChoice = 0;
};

// Whether the board editor has anything to show for the set: at least two boards.
bool CanEditBoards(const TBBSProcess* bbs);

}  // namespace vorn
