#include "writing/EndOfRun.h"

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "writing/RunningEditors.h"

namespace vorn {
namespace {

// The analyser whose set is loaded, with that set selected in its settings; null when none.
TBBSProcess* LoadedProcess(TLogSession& session) {
  TBBSProcess* bbs = session.CurrentProcess;
  if (!bbs || bbs->NetNo < 0 || !bbs->IniFile || !bbs->IniFile->SelectNet(bbs->NetNo))
    return nullptr;
  return bbs;
}

void Failed(std::vector<std::string>& failures, const char* label, const std::string& path) {
  failures.push_back(Cp932(label) + path);
}

void WriteUpPad(TLogSession& session, TBBSProcess& bbs, std::vector<std::string>& failures) {
  const std::string up = session.SetPath(bbs.IniFile->UpFile);
  const std::string pad = session.SetPath(bbs.IniFile->PadFile);
  if (!bbs.WriteUpFile(up)) Failed(failures, "UPファイル:", up);
  if (!bbs.WritePadFile(pad)) Failed(failures, "PADファイル:", pad);
}

// The board list and member list are one call; when it fails, each is tried once more on its
// own so that the message names the file that is at fault.
void SaveListsAndPointers(TLogSession& session, TBBSProcess& bbs,
                          std::vector<std::string>& failures) {
  const std::string boards = session.SetPath(bbs.IniFile->BoardListFile);
  const std::string members = session.SetPath(bbs.IniFile->MemberListFile);
  const std::string pointers = session.SetPath(bbs.IniFile->ReadPtrFile);
  if (!bbs.SaveLists(boards, members)) {
    if (!bbs.Boards.SaveToFile(boards)) Failed(failures, "ボードリストファイル:", boards);
    if (!bbs.Members.SaveToFile(members)) Failed(failures, "メンバーリストファイル:", members);
  }
  if (!bbs.SaveReadPointers(pointers)) Failed(failures, "リードポインタファイル:", pointers);
}

std::string FailureText(const std::vector<std::string>& failures) {
  std::string text;
  for (const std::string& failure : failures)
    text += failure + "\r";
  return text + Cp932("書込み出来ませんでした");
}

bool AnyWriteChanged(const TBBSProcess& bbs) {
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    if (const TArticleList* articles = bbs.Boards.GetArticles(b); articles && articles->Modified)
      return true;
  }
  return false;
}

}  // namespace

bool WriteUpPadFiles(TLogSession& session) {
  TBBSProcess* bbs = LoadedProcess(session);
  if (!bbs) return false;
  std::vector<std::string> failures;
  WriteUpPad(session, *bbs, failures);
  if (!failures.empty()) Ui().Warning(FailureText(failures));
  return failures.empty();
}

bool LeaveLogSet(TLogSession& session, const TRunningEditors& editors, const CommonSettings& common,
                 bool Reopen, bool KeepData, bool ShiftHeld) {
  if (!editors.Empty()) {
    Ui().Warning(Cp932("エディタ起動中です\r") +
                 Cp932(Reopen ? "起動中エディタを全て終了してから再度オープンして下さい"
                              : "起動中エディタを全て終了してから終了して下さい"));
    return false;
  }
  std::vector<std::string> failures;
  TBBSProcess* loaded = LoadedProcess(session);
  if (loaded && KeepData && !ShiftHeld) SaveListsAndPointers(session, *loaded, failures);

  TBBSProcess* bbs = session.CurrentProcess;
  const bool changed = bbs && AnyWriteChanged(*bbs);
  if (changed) {
    switch (Ui().ConfirmYesNoCancel(
        Cp932("UP/PADファイルが編集されている可能性があります\r書込みますか？"))) {
      case UiAnswer::Yes:
        if (loaded) {
          WriteUpPad(session, *loaded, failures);
        } else {
          // The set is gone from the settings (deleted while loaded): its file names are not
          // known, and another set's files must not be overwritten.
          failures.push_back(Cp932("指定されたNetNo:") + std::to_string(bbs->NetNo) +
                             Cp932("の設定が見つかりません"));
        }
        break;
      case UiAnswer::No:
        break;
      case UiAnswer::Cancel:
        if (!failures.empty()) Ui().Warning(FailureText(failures));
        return false;
    }
  }
  if (!failures.empty()) {
    return Ui().ConfirmYesNo(
        FailureText(failures) + "\r" +
        Cp932(Reopen ? "このまま別のログを開きますか？" : "このまま終了しますか？"));
  }
  if (!changed && !Reopen && common.EndCheck) return Ui().ConfirmYesNo(Cp932("終了しますか？"));
  return true;
}

}  // namespace vorn
