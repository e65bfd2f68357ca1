#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/MemberList.h"

namespace vorn {

class TBBSProcess;
class TLogList;

// The columns of the ID editor's grid.
enum TIDEditColumn : int {
  IDEditColumnId = 0,
  IDEditColumnTrueHandle = 1,
  IDEditColumnShortHandle = 2,
  IDEditColumnCurrentHandle = 3,
  IDEditColumnCount = 4,
};

// One live member of the working list as the grid shows it.
struct IDEditRow {
  int32_t Member = -1;  // index in the working list
  std::string Id;       // the text ID, or the number in decimal
  std::string TrueHandle;
  std::string ShortHandle;
  std::string CurrentHandle;
};

// Where the dialog puts the focus when it is shown.
enum class IDEditFocus : int32_t { None, Grid, AddButton, AddHandle };

// The logic of the ID editor: the member list of the loaded set, edited on a working copy that
// reaches the set only through OK in edit mode, or a member picked in selection mode (mail
// recipient, search ID). Messages and questions go through Ui().
class TIDEditLogic {
 public:
  // Shows the dialog: with StartFlag the working list becomes a copy of the set's members. The
  // rows, the selected row, the add boxes and the focus follow. False without a BBS: the dialog
  // closes at once.
  bool Show();

  // Edit mode: only the true and short handles are edited in the grid.
  bool CellSelectable(int column) const;
  // A row was selected: its ID and true handle go into the add boxes.
  void RowSelected(int row);
  // A handle edited in place. Kept in the working list at once, so that a later add or delete,
  // which shows the rows again, keeps it.
  bool SetCell(int row, int column, const std::string& text);

  // The add and delete buttons with the texts of the add boxes. True when the rows changed
  // (the dialog then shows them again); refusals and questions have been through Ui().
  bool Add();
  bool Delete();

  // OK on the current row: the chosen ID, and in edit mode the set's member list rebuilt from
  // the rows.
  void Accept(int row);
  // Escape: true when the dialog may close (edit mode asks whether to discard the edits).
  bool Escape();
  // The working list is being sorted: the dialog must not close.
  bool Busy() const { return busy_; }

  // Published properties, set before Show and read after the dialog closed.
  bool EditFlag = true;
  TBBSProcess* BBS = nullptr;
  std::string SelectID;
  int32_t SelectIDNum = -1;
  std::string SelectIDStr;
  std::string SelectHandle;
  bool StartFlag = true;

  // What the dialog shows.
  std::vector<IDEditRow> Rows;
  bool GridEnabled = false;  // (also the delete button)
  int SelectedRow = 0;
  std::string AddId;
  std::string AddHandle;
  IDEditFocus Focus = IDEditFocus::None;

  const TMemberList* Working() const { return working_.get(); }

 private:
  bool TextIds() const;
  void ShowRows();
  // The ID checked as the set's family checks it; empty with a message shown when refused.
  bool CheckId(std::string& id, int32_t& number) const;
  // The working list's member with the ID (text compared in upper case), -1 when none.
  int32_t FindWorking(const std::string& id, int32_t number) const;

  std::unique_ptr<TMemberList> working_;
  bool busy_ = false;
};

// The ID editor opened on an article: its writer's ID and, for families whose articles carry
// it, the handle found in its lines. Nothing for a queued write or an entry without lines.
struct IDEditPreset {
  int32_t IdNum = -1;
  std::string IdStr;
  std::string Handle;
};
IDEditPreset IdEditPresetOf(const TBBSProcess& bbs, const TLogList& log, int32_t board,
                            int32_t order, int32_t position);

}  // namespace vorn
