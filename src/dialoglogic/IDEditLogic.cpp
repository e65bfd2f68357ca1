#include "dialoglogic/IDEditLogic.h"

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "store/ArticleList.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// ASCII letters upper-cased; the second byte of a double-byte character is left alone.
std::string UpperId(const std::string& id) {
  std::string out = id;
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(out[i])) {
      ++i;
    } else if (out[i] >= 'a' && out[i] <= 'z') {
      out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
  }
  return out;
}

std::string IdMessage(const std::string& id, const char* what) {
  return Cp932("ID:") + id + "\r\n" + Cp932(what);
}

}  // namespace

bool TIDEditLogic::TextIds() const {
  return BBS && BBS->Members.TextIds != 0;
}

bool TIDEditLogic::Show() {
  if (!BBS) return false;
  if (StartFlag || !working_ || working_->TextIds != BBS->Members.TextIds) {
    working_ = std::make_unique<TMemberList>(TextIds());
    const TMemberList& members = BBS->Members;
    for (int32_t i = 0; i < members.Count(); ++i) {
      if (!members.IsLiveMember(i)) continue;
      MemberRecord copy = *members.Member(i);
      working_->AddItem(&copy);
    }
  }
  StartFlag = false;
  SelectID.clear();
  AddId.clear();
  AddHandle.clear();
  ShowRows();
  return true;
}

void TIDEditLogic::ShowRows() {
  Rows.clear();
  const bool textIds = TextIds();
  for (int32_t i = 0; i < working_->Count(); ++i) {
    const MemberRecord* m = working_->Member(i);
    if (!m || m->Deleted) continue;
    Rows.push_back({i, textIds ? m->IdText.Str() : std::to_string(m->IdNo), m->TrueHandle.Str(),
                    m->ShortHandle.Str(), m->CurrentHandle.Str()});
  }
  GridEnabled = !Rows.empty();

  const bool preset = textIds ? !SelectIDStr.empty() : SelectIDNum >= 0;
  const std::string presetId = textIds ? SelectIDStr : std::to_string(SelectIDNum);
  int found = -1;
  for (size_t r = 0; preset && r < Rows.size() && found < 0; ++r) {
    if (Rows[r].Id == presetId) found = static_cast<int>(r);
  }
  SelectedRow = found >= 0 ? found : 0;
  if (GridEnabled) RowSelected(SelectedRow);
  if (preset && found < 0) {
    AddId = presetId;
    AddHandle = SelectHandle;
    Focus = AddHandle.empty() ? IDEditFocus::AddHandle : IDEditFocus::AddButton;
  } else {
    Focus = GridEnabled ? IDEditFocus::Grid : IDEditFocus::None;
  }
}

bool TIDEditLogic::CellSelectable(int column) const {
  return !EditFlag || column == IDEditColumnTrueHandle || column == IDEditColumnShortHandle;
}

void TIDEditLogic::RowSelected(int row) {
  if (row < 0 || row >= static_cast<int>(Rows.size())) return;
  SelectedRow = row;
  AddId = Rows[static_cast<size_t>(row)].Id;
  AddHandle = Rows[static_cast<size_t>(row)].TrueHandle;
}

bool TIDEditLogic::SetCell(int row, int column, const std::string& text) {
  if (!EditFlag || !working_ || row < 0 || row >= static_cast<int>(Rows.size())) return false;
  IDEditRow& shown = Rows[static_cast<size_t>(row)];
  MemberRecord* m = working_->Member(shown.Member);
  if (!m) return false;
  if (column == IDEditColumnTrueHandle) {
    m->TrueHandle.Assign(text);
    shown.TrueHandle = m->TrueHandle.Str();
  } else if (column == IDEditColumnShortHandle) {
    m->ShortHandle.Assign(text);
    shown.ShortHandle = m->ShortHandle.Str();
  } else {
    return false;
  }
  return true;
}

bool TIDEditLogic::CheckId(std::string& id, int32_t& number) const {
  std::string message;
  number = -1;
  if (TextIds()) {
    message = BBS->CheckIdText(id);
  } else {
    number = TextToNumber(id);
    if (number == NoNumber) {
      Ui().Warning(Cp932("IDに有効な数値を指定して下さい"));
      return false;
    }
    message = BBS->CheckIdNumber(number);
  }
  if (message.empty()) return true;
  Ui().Warning(message);
  return false;
}

int32_t TIDEditLogic::FindWorking(const std::string& id, int32_t number) const {
  if (!TextIds()) return working_->FindIdNo(number);
  const std::string upper = UpperId(id);
  for (int32_t i = 0; i < working_->Count(); ++i) {
    if (working_->IsLiveMember(i) && UpperId(working_->GetIdText(i)) == upper) return i;
  }
  return -1;
}

bool TIDEditLogic::Add() {
  if (!working_) return false;
  std::string id = AddId;
  const std::string handle = AddHandle;
  if (id.empty()) {
    Ui().Warning(Cp932("IDを指定して下さい"));
    return false;
  }
  if (handle.empty()) {
    Ui().Warning(Cp932("Handleを指定して下さい"));
    return false;
  }
  if (!Ui().ConfirmYesNo(IdMessage(id, "追加しますか？"))) return false;
  int32_t number = -1;
  if (!CheckId(id, number)) return false;
  if (FindWorking(id, number) >= 0) {
    Ui().Warning(Cp932("指定されたIDはすでに登録済です"));
    return false;
  }
  bool added = false;
  const bool ok = TextIds() ? working_->AddMemberText(id, handle, {}, {}, false, added)
                            : working_->AddMember(number, handle, {}, {}, false, added);
  if (!ok || !added) {
    Ui().Warning(IdMessage(id, "追加が異常終了しました"));
    return false;
  }
  busy_ = true;
  working_->SortMembers();
  busy_ = false;
  SelectIDNum = number;
  SelectIDStr = TextIds() ? id : std::string();
  SelectHandle = handle;
  ShowRows();
  return true;
}

bool TIDEditLogic::Delete() {
  if (!working_) return false;
  std::string id = AddId;
  if (id.empty()) {
    Ui().Warning(Cp932("IDを指定して下さい"));
    return false;
  }
  if (!Ui().ConfirmYesNo(IdMessage(id, "削除しますか？"))) return false;
  int32_t number = -1;
  if (!CheckId(id, number)) return false;
  const int32_t index = FindWorking(id, number);
  if (index < 0) {
    Ui().Warning(Cp932("指定されたIDは存在しません"));
    return false;
  }
  if (!working_->DeleteMember(index)) {
    Ui().Warning(IdMessage(id, "削除が異常終了しました"));
    return false;
  }
  Ui().Information(IdMessage(id, "削除が正常終了しました"));
  SelectIDNum = -1;
  SelectIDStr.clear();
  SelectHandle.clear();
  ShowRows();
  return true;
}

void TIDEditLogic::Accept(int row) {
  SelectID = row >= 0 && row < static_cast<int>(Rows.size()) ? Rows[static_cast<size_t>(row)].Id
                                                             : std::string();
  if (!EditFlag || !BBS) return;
  TMemberList& members = BBS->Members;
  members.Clear();
  bool added = false;
  for (const IDEditRow& r : Rows) {
    if (TextIds()) {
      members.AddMemberText(r.Id, r.CurrentHandle, r.TrueHandle, r.ShortHandle, false, added);
    } else if (const int32_t number = TextToNumber(r.Id); number >= 0) {
      members.AddMember(number, r.CurrentHandle, r.TrueHandle, r.ShortHandle, false, added);
    }
  }
}

bool TIDEditLogic::Escape() {
  if (!EditFlag) return true;
  return Ui().ConfirmYesNo(Cp932("編集結果を破棄しますか？"));
}

IDEditPreset IdEditPresetOf(const TBBSProcess& bbs, const TLogList& log, int32_t board,
                            int32_t order, int32_t position) {
  IDEditPreset preset;
  const TArticleList* articles = bbs.Boards.GetArticles(board);
  const ArticleRecord* r = articles ? articles->GetArticle(order, position) : nullptr;
  if (!r || r->WriteFlag != 0 || r->FirstLine < 0) return preset;
  std::vector<std::string> lines;
  for (int32_t line = r->FirstLine; line <= r->LastLine; ++line)
    lines.push_back(log.GetLine(line));
  if (bbs.Members.TextIds) {
    preset.IdStr = r->WriterIdText().Str();
  } else {
    preset.IdNum = r->WriterId;
  }
  preset.Handle = bbs.FindWriterHandle(lines);
  return preset;
}

}  // namespace vorn
