#include "reader/MainDialogs.h"

#include <QFileDialog>
#include <QWidget>
#include <algorithm>

#include "dialogs/BBSSet.h"
#include "dialogs/BoardSet.h"
#include "dialogs/IDEdit.h"
#include "dialogs/NetSelect.h"
#include "dialogs/NetSetSelect.h"
#include "dialogs/PrefixInp.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/About.h"
#include "reader/LoadCheck.h"
#include "settings/NetVornIniFile.h"

namespace vorn {

TQtMainDialogs::TQtMainDialogs(QWidget* window, const CommonSettings* common)
    : window_(window),
      common_(common),
      netSelect_(new TNetSelectForm(window)),
      netSetSelect_(new TNetSetSelectForm(window)),
      prefixInput_(new TPrefixInputForm(window)),
      about_(new TAboutBox(window)),
      loadCheck_(new TLoadCheckForm(window)),
      systemMsg_(new TSystemMsgForm(window)),
      netVornSet_(new TNetVornSetForm(window)),
      niftySet_(new TNiftySetForm(window)),
      idEdit_(new TIDEditForm(window)),
      boardSet_(new TBoardSetForm(window)) {}

// The dialogs are children of the window and go with it.
TQtMainDialogs::~TQtMainDialogs() = default;

QRect TQtMainDialogs::ParentRect() const {
  return window_ ? window_->frameGeometry() : QRect();
}

std::vector<std::string> TQtMainDialogs::OpenLogFiles(const LogFileRequest& request) {
  QFileDialog dialog(window_, QtText(request.Title));
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setDirectory(QtPath(request.Folder));
  dialog.setNameFilter(QtFileFilter(request.Filter));
  std::vector<std::string> files;
  if (dialog.exec() != QDialog::Accepted) return files;
  for (const QString& f : dialog.selectedFiles())
    files.push_back(CorePath(f));
  return files;
}

TMainDialogHost::NetSelection TQtMainDialogs::SelectNet(
    const TBBSList& list, const std::vector<std::string>& prefixList) {
  netSelect_->Execute(common_, list, prefixList, ParentRect());
  return {netSelect_->Logic().SelectPrefix, netSelect_->Logic().SelectFilelist};
}

void TQtMainDialogs::ShowText(const QString& caption, const SystemMsgLook& look,
                              const std::vector<std::string>& lines) {
  systemMsg_->Execute(caption, look, lines);
}

void TQtMainDialogs::ShowAbout() {
  about_->Execute(ParentRect());
}

std::string TQtMainDialogs::ChooseId(TBBSProcess& bbs, const QString& caption) {
  TIDEditLogic& logic = idEdit_->Logic();
  logic.EditFlag = false;
  logic.BBS = &bbs;
  logic.SelectIDNum = -1;
  logic.SelectIDStr.clear();
  logic.SelectHandle.clear();
  logic.StartFlag = true;
  idEdit_->Execute(caption, ParentRect());
  return logic.SelectID;
}

void TQtMainDialogs::EditIds(TBBSProcess& bbs, const IDEditPreset& preset) {
  TIDEditLogic& logic = idEdit_->Logic();
  logic.EditFlag = true;
  logic.BBS = &bbs;
  logic.SelectIDNum = preset.IdNum;
  logic.SelectIDStr = preset.IdStr;
  logic.SelectHandle = preset.Handle;
  logic.StartFlag = true;
  idEdit_->Execute(QStringLiteral("ID編集"), ParentRect());
}

int32_t TQtMainDialogs::EditBoards(TBBSProcess& bbs, bool choose, int32_t startBoard,
                                   const QString& caption) {
  TBoardSetLogic& logic = boardSet_->Logic();
  logic.EditFlag = !choose;
  logic.BBS = &bbs;
  logic.SetBoardIndex = startBoard;
  boardSet_->Execute(caption, ParentRect());
  return choose ? logic.SetBoardIndex : -1;
}

std::string TQtMainDialogs::ChooseBinaryFile() {
  QFileDialog dialog(window_, QStringLiteral("バイナリ送信ファイルの指定"));
  dialog.setObjectName(QStringLiteral("OpenDialog2"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QtFileFilter({{Cp932("すべてのファイル(*.*)"), "*.*"}}));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().front();
  // The path is written into the editor's text and the PAD file, both CP932: a character that
  // does not come back from CP932 unchanged would name another file, or none.
  if (QtText(CoreText(path)) != path) {
    Ui().Warning(Cp932("指定されたファイル名にはシフトJIS(CP932)で書けない文字があります\r") +
                 CoreText(path) +
                 Cp932("\rUP/PADファイルに書けないため、バイナリ送信ファイルにはできません"));
    return {};
  }
  return CorePath(path);
}

TBBSSetDialogs::SetChoice TQtMainDialogs::ChooseSet(const TBBSList& list) {
  netSetSelect_->Execute(list, ParentRect());
  return {netSetSelect_->Logic().Skbn, netSetSelect_->Logic().SelectPrefix};
}

TBBSSetDialogs::PrefixChoice TQtMainDialogs::AskPrefix(const TBBSList& list, int selectBBS) {
  prefixInput_->Execute(list, selectBBS, ParentRect());
  return {prefixInput_->Logic().Prefix, prefixInput_->Logic().SelectBBS};
}

void TQtMainDialogs::EditSet(const TBBSList& list, int family, TNetSelectSkbn skbn,
                             const std::string& readPrefix, const std::string& writePrefix) {
  if (family < 0 || family >= static_cast<int>(list.size())) return;
  TBBSIniFile* ini = list[size_t(family)].IniFile;
  TBBSSetForm* form = dynamic_cast<TNetVornIniFile*>(ini) ? static_cast<TBBSSetForm*>(netVornSet_)
                                                          : static_cast<TBBSSetForm*>(niftySet_);
  TBBSSetForm::Request request;
  request.CommonIniFile = common_;
  request.BBSList = &list;
  request.BBSIniFile = ini;
  request.Skbn = skbn;
  request.ReadPrefix = readPrefix;
  request.WritePrefix = writePrefix;
  form->Execute(request, ParentRect());
}

}  // namespace vorn
