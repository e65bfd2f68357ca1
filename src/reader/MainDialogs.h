#pragma once

#include <QPointer>
#include <QRect>
#include <memory>
#include <string>
#include <vector>

#include "dialoglogic/BBSSetCommand.h"
#include "dialoglogic/IDEditLogic.h"
#include "dialoglogic/NetSelectLogic.h"
#include "reader/SystemMsg.h"

class QWidget;

namespace vorn {

struct CommonSettings;
class TAboutBox;
class TBBSProcess;
class TBoardSetForm;
class TIDEditForm;
class TLoadCheckForm;
class TNetSelectForm;
class TNetSetSelectForm;
class TNetVornSetForm;
class TNiftySetForm;
class TPrefixInputForm;

// The modal dialogs the main window opens. The program shows the real ones; a test gives a
// host that answers from a script.
class TMainDialogHost : public TBBSSetDialogs {
 public:
  // The open-file dialog for log files; several existing files may be chosen. Empty when the
  // user cancelled.
  struct LogFileRequest {
    std::string Title;
    std::string Folder;
    FileFilter Filter;
  };
  virtual std::vector<std::string> OpenLogFiles(const LogFileRequest& request) = 0;

  // The BBS chooser. With a prefix list only the set is asked for; otherwise also its files.
  struct NetSelection {
    std::string Prefix;
    std::vector<std::string> Files;
  };
  virtual NetSelection SelectNet(const TBBSList& list,
                                 const std::vector<std::string>& prefixList) = 0;

  // The text dialog with the given caption and CP932 lines.
  virtual void ShowText(const QString& caption, const SystemMsgLook& look,
                        const std::vector<std::string>& lines) = 0;
  virtual void ShowAbout() = 0;

  // The ID editor picking a member (the caption says what for); the chosen ID, or empty.
  virtual std::string ChooseId(TBBSProcess& bbs, const QString& caption) = 0;
  // The ID editor on the set's members, the writer of an article offered first.
  virtual void EditIds(TBBSProcess& bbs, const IDEditPreset& preset) = 0;
  // The board editor: editing the boards, or choosing one (from startBoard) with the caption
  // given. The chosen board, or -1 (always -1 when editing).
  virtual int32_t EditBoards(TBBSProcess& bbs, bool choose, int32_t startBoard,
                             const QString& caption) = 0;
  // The open dialog for the file a binary write sends; empty when cancelled.
  virtual std::string ChooseBinaryFile() = 0;
};

// The real dialogs, each made once and kept so that it opens where it was placed the first
// time.
class TQtMainDialogs final : public TMainDialogHost {
 public:
  TQtMainDialogs(QWidget* window, const CommonSettings* common);
  ~TQtMainDialogs() override;

  std::vector<std::string> OpenLogFiles(const LogFileRequest& request) override;
  NetSelection SelectNet(const TBBSList& list, const std::vector<std::string>& prefixList) override;
  void ShowText(const QString& caption, const SystemMsgLook& look,
                const std::vector<std::string>& lines) override;
  void ShowAbout() override;
  std::string ChooseId(TBBSProcess& bbs, const QString& caption) override;
  void EditIds(TBBSProcess& bbs, const IDEditPreset& preset) override;
  int32_t EditBoards(TBBSProcess& bbs, bool choose, int32_t startBoard,
                     const QString& caption) override;
  std::string ChooseBinaryFile() override;
  SetChoice ChooseSet(const TBBSList& list) override;
  PrefixChoice AskPrefix(const TBBSList& list, int selectBBS) override;
  void EditSet(const TBBSList& list, int family, TNetSelectSkbn skbn, const std::string& readPrefix,
               const std::string& writePrefix) override;

  TLoadCheckForm* LoadCheckForm() const { return loadCheck_; }

 private:
  QRect ParentRect() const;

  QPointer<QWidget> window_;
  const CommonSettings* common_;
  // Made in the classic order: set chooser, set definition, prefix, about, UP/PAD question,
  // text dialog; the family set dialogs with them.
  TNetSelectForm* netSelect_;
  TNetSetSelectForm* netSetSelect_;
  TPrefixInputForm* prefixInput_;
  TAboutBox* about_;
  TLoadCheckForm* loadCheck_;
  TSystemMsgForm* systemMsg_;
  TNetVornSetForm* netVornSet_;
  TNiftySetForm* niftySet_;
  TIDEditForm* idEdit_;
  TBoardSetForm* boardSet_;
};

}  // namespace vorn
