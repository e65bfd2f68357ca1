#include "dialoglogic/BBSSetLogic.h"

#include "dialoglogic/PrefixInpLogic.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "settings/CommonIniFile.h"
#include "settings/NetVornIniFile.h"
#include "settings/NiftyIniFile.h"

namespace vorn {

std::string NoBBSNameMessage() {
  return Cp932("BBS名称が設定されていません");
}

TBBSSetLogic::~TBBSSetLogic() = default;

std::string TBBSSetLogic::SettingsFolder() const {
  return BBSIniFile ? ExtractFilePath(BBSIniFile->FileName()) : std::string();
}

void TBBSSetLogic::ClearFields() {
  Fields = BBSSetFields();
}

bool TBBSSetLogic::Show() {
  work_.reset();
  if (Skbn == NetSelectNone || Skbn == NetSelectDel || !BBSIniFile || !BBSList) return false;
  work_ = CreateWorkSettings();
  if (!work_) return false;

  const int count = work_->ItemCount();
  ItemNames.assign(size_t(count), std::string());
  Values.assign(size_t(count), std::string());
  for (int i = 0; i < count; ++i)
    ItemNames[size_t(i)] = work_->ItemName(i);

  ClearFields();
  target_ = -1;
  entryRead_ = false;
  if (Skbn == NetSelectChange || Skbn == NetSelectCopy) {
    const int index = work_->FindPrefix(ReadPrefix);
    if (index >= 0 && work_->SelectNet(work_->NetNoAt(index))) {
      entryRead_ = true;
      if (Skbn == NetSelectChange) target_ = work_->NetNo;
    } else if (Skbn == NetSelectChange) {
      return false;
    }
  }

  if (Skbn == NetSelectNew || Skbn == NetSelectCopy) {
    const std::string folder = SettingsFolder();
    const std::string extension = CommonIniFile ? CommonIniFile->LogExtention : "log";
    Fields.Prefix = WritePrefix;
    Fields.FilePath = folder;
    Fields.FileMask = WritePrefix + "*." + extension;
    Fields.BoardListFile = folder + WritePrefix + ".bl";
    Fields.MemberListFile = folder + WritePrefix + ".id";
    Fields.ReadPtrFile = folder + WritePrefix + ".rp";
    Fields.UpFile = folder + WritePrefix + ".up";
    Fields.PadFile = folder + WritePrefix + ".pad";
  }
  if (Skbn == NetSelectChange) {
    const TBBSIniFile& w = *work_;
    Fields.Prefix = w.Prefix;
    Fields.Name = w.Name;
    Fields.FilePath = w.LogPath;
    Fields.FileMask = w.LogMask;
    Fields.BoardListFile = w.BoardListFile;
    Fields.MemberListFile = w.MemberListFile;
    Fields.ReadPtrFile = w.ReadPtrFile;
    Fields.UpFile = w.UpFile;
    Fields.UpFileAddDate = w.UpFileAddDate;
    Fields.UpFileAddDateStr = w.UpFileAddDateStr;
    Fields.PadFile = w.PadFile;
    Fields.PadFileAddDate = w.PadFileAddDate;
    Fields.PadFileAddDateStr = w.PadFileAddDateStr;
  }
  for (int i = 0; i < count; ++i) {
    Values[size_t(i)] = entryRead_ ? work_->ItemValue(i) : work_->ItemDefault(i);
  }
  if (entryRead_) Fields.SignatureFile = work_->FotterFile;

  ShowFamilyFields();
  SelectRow(0);
  return true;
}

std::string TBBSSetLogic::ItemDefault(int row) const {
  return work_ ? work_->ItemDefault(row) : std::string();
}

void TBBSSetLogic::SelectRow(int row) {
  if (row < 0 || row >= static_cast<int>(Values.size())) {
    Row = -1;
    Memo.clear();
    MemoEnabled = DefaultChecked = SetEnabled = false;
    return;
  }
  Row = row;
  Memo = Values[size_t(row)];
  DefaultChecked = Memo == ItemDefault(row);
  MemoEnabled = !DefaultChecked;
  SetEnabled = false;
}

void TBBSSetLogic::SetDefaultChecked(bool checked) {
  if (Row < 0) return;
  DefaultChecked = checked;
  MemoEnabled = !checked;
  if (checked) {
    Memo = ItemDefault(Row);
    SetEnabled = true;
  }
}

void TBBSSetLogic::EditMemo(const std::string& text) {
  if (Row < 0) return;
  Memo = text;
  SetEnabled = true;
}

void TBBSSetLogic::SetValue() {
  if (Row < 0) return;
  Values[size_t(Row)] = Memo;
  SetEnabled = false;
}

bool TBBSSetLogic::Ok() {
  if (!work_ || !BBSIniFile || !BBSList) return false;
  const std::string& prefix = Fields.Prefix;
  if (prefix.empty()) {
    Ui().Warning(NoPrefixMessage());
    return false;
  }
  const int own = work_->FindPrefix(prefix);
  const bool ownPrefix = target_ >= 0 && own >= 0 && work_->NetNoAt(own) == target_;
  if (!ownPrefix && FindFamilyOfPrefix(*BBSList, prefix) >= 0) {
    Ui().Warning(PrefixInUseMessage());
    return false;
  }
  if (Fields.Name.empty()) {
    Ui().Warning(NoBBSNameMessage());
    return false;
  }

  TBBSIniFile& ini = *BBSIniFile;
  const int32_t remembered = ini.Prefix.empty() ? -1 : ini.NetNo;
  // The dialog shows only some of an entry's keys; the others must keep the entry's own values
  // rather than take those of whichever entry the settings object held last.
  if (target_ < 0 || !ini.SelectNet(target_)) {
    ini.UpFileCommandExtract = false;
    ini.PadFileBatchCommand = false;
    ini.Mente = false;
    ini.SerialHeader = false;
  }
  ini.NetNo = target_;
  ini.Prefix = Fields.Prefix;
  ini.Name = Fields.Name;
  ini.LogPath = Fields.FilePath;
  ini.LogMask = Fields.FileMask;
  ini.BoardListFile = Fields.BoardListFile;
  ini.MemberListFile = Fields.MemberListFile;
  ini.ReadPtrFile = Fields.ReadPtrFile;
  ini.UpFile = Fields.UpFile;
  ini.UpFileAddDate = Fields.UpFileAddDate;
  ini.UpFileAddDateStr = Fields.UpFileAddDateStr;
  ini.PadFile = Fields.PadFile;
  ini.PadFileAddDate = Fields.PadFileAddDate;
  ini.PadFileAddDateStr = Fields.PadFileAddDateStr;
  ini.FotterFile = Fields.SignatureFile;
  StoreFamilyFields();
  for (size_t i = 0; i < Values.size(); ++i)
    ini.SetItemValue(static_cast<int>(i), Values[i]);

  const bool saved = ini.SaveNet();
  const std::string head = Cp932("BBS:") + Fields.Name + "\r" + Cp932("設定");
  const bool change = target_ >= 0;
  if (saved) {
    Ui().Information(head + Cp932(change ? "変更しました" : "登録しました"));
  } else {
    Ui().Warning(head + Cp932(change ? "変更に失敗しました" : "登録に失敗しました"));
  }
  if (remembered >= 0) ini.SelectNet(remembered);
  work_.reset();
  return true;
}

void TBBSSetLogic::Cancel() {
  Skbn = NetSelectNone;
  work_.reset();
}

bool TBBSSetLogic::CanSaveAnalysis() const {
  if (Fields.Name.empty()) {
    Ui().Warning(NoBBSNameMessage());
    return false;
  }
  return true;
}

bool TBBSSetLogic::SaveAnalysisTo(const std::string& fileName) {
  if (FileExists(fileName)) {
    const std::string question = Cp932("ファイル:") + fileName + Cp932("は既に存在しています") +
                                 "\n\r" + Cp932("上書きしますか？");
    if (Ui().ConfirmYesNoCancel(question) != UiAnswer::Yes) return false;
  }
  if (!SaveAnalysisFile(fileName)) {
    Ui().Warning(Cp932("ファイル:") + fileName + "\r" + Cp932("書込み出来ません"));
    return false;
  }
  return true;
}

bool TBBSSetLogic::LoadAnalysisFrom(const std::string& fileName) {
  if (!LoadAnalysisFile(fileName)) {
    Ui().Warning(Cp932("ファイル:") + fileName + "\r" +
                 Cp932("BBS設定ファイルとして読込み出来ません"));
    return false;
  }
  SelectRow(Row < 0 ? 0 : Row);
  return true;
}

// NetVorn.

void TNetVornSetLogic::SetHostPatch(bool on) {
  HostPatch = on;
  VariantsEnabled = on;
  if (!on) KTC = MPN = false;
}

std::unique_ptr<TBBSIniFile> TNetVornSetLogic::CreateWorkSettings() {
  auto* own = dynamic_cast<TNetVornIniFile*>(BBSIniFile);
  if (!own) return nullptr;
  return std::make_unique<TNetVornIniFile>(own->FileName(), own->DefaultsFile);
}

void TNetVornSetLogic::ShowFamilyFields() {
  SerialHeader = HeaderDisp = PadFileBatchDown = false;
  Mente = true;
  SetHostPatch(false);
  if (!EntryRead()) return;
  const auto& w = static_cast<const TNetVornIniFile&>(Work());
  SerialHeader = w.SerialHeader;
  Mente = w.Mente;
  HeaderDisp = w.HeaderDisp;
  if (w.KTC || w.MPN) {
    SetHostPatch(true);
    KTC = w.KTC;
    MPN = !w.KTC;
  }
  if (Skbn == NetSelectChange) PadFileBatchDown = w.PadFileBatchCommand;
}

void TNetVornSetLogic::StoreFamilyFields() {
  auto* s = dynamic_cast<TNetVornIniFile*>(BBSIniFile);
  if (!s) return;
  s->PadFileBatchCommand = PadFileBatchDown;
  s->SerialHeader = SerialHeader;
  s->Mente = Mente;
  s->KTC = HostPatch && KTC;
  s->MPN = HostPatch && MPN && !KTC;
  s->HeaderDisp = HeaderDisp;
}

bool TNetVornSetLogic::SaveAnalysisFile(const std::string& fileName) {
  auto* own = dynamic_cast<TNetVornIniFile*>(BBSIniFile);
  if (!own) return false;
  TNetVornIniFile file(fileName, own->DefaultsFile);
  file.BBSName = Fields.Name;
  for (size_t i = 0; i < Values.size(); ++i)
    file.SetItemValue(static_cast<int>(i), Values[i]);
  file.Mente = Mente;
  file.KTC = HostPatch && KTC;
  file.MPN = HostPatch && MPN && !KTC;
  return file.ExportNetData();
}

bool TNetVornSetLogic::LoadAnalysisFile(const std::string& fileName) {
  auto* own = dynamic_cast<TNetVornIniFile*>(BBSIniFile);
  if (!own || !FileExists(fileName)) return false;
  TNetVornIniFile file(fileName, own->DefaultsFile);
  if (!file.ImportNetData()) return false;
  Fields.Name = file.BBSName;
  for (size_t i = 0; i < Values.size(); ++i)
    Values[i] = file.ItemValue(static_cast<int>(i));
  Mente = file.Mente;
  SetHostPatch(file.KTC || file.MPN);
  KTC = file.KTC;
  MPN = !file.KTC && file.MPN;
  return true;
}

// Nifty-Serve.

std::unique_ptr<TBBSIniFile> TNiftySetLogic::CreateWorkSettings() {
  auto* own = dynamic_cast<TNiftyIniFile*>(BBSIniFile);
  if (!own) return nullptr;
  return std::make_unique<TNiftyIniFile>(own->FileName(), own->DefaultsFile);
}

void TNiftySetLogic::ShowFamilyFields() {
  MemberAutoAdd = false;
  if (Skbn == NetSelectNew) Fields.Name = "Nifty-Serve";
  if (!EntryRead()) return;
  MemberAutoAdd = static_cast<const TNiftyIniFile&>(Work()).MemberAutoAdd;
}

void TNiftySetLogic::StoreFamilyFields() {
  if (auto* s = dynamic_cast<TNiftyIniFile*>(BBSIniFile)) s->MemberAutoAdd = MemberAutoAdd;
}

bool TNiftySetLogic::SaveAnalysisFile(const std::string& fileName) {
  auto* own = dynamic_cast<TNiftyIniFile*>(BBSIniFile);
  if (!own) return false;
  TNiftyIniFile file(fileName, own->DefaultsFile);
  file.BBSName = Fields.Name;
  for (size_t i = 0; i < Values.size(); ++i)
    file.SetItemValue(static_cast<int>(i), Values[i]);
  return file.ExportNetData();
}

bool TNiftySetLogic::LoadAnalysisFile(const std::string& fileName) {
  auto* own = dynamic_cast<TNiftyIniFile*>(BBSIniFile);
  if (!own || !FileExists(fileName)) return false;
  TNiftyIniFile file(fileName, own->DefaultsFile);
  if (!file.ImportNetData()) return false;
  Fields.Name = file.BBSName;
  for (size_t i = 0; i < Values.size(); ++i)
    Values[i] = file.ItemValue(static_cast<int>(i));
  return true;
}

}  // namespace vorn
