#pragma once

#include <QPointer>
#include <QRect>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/BBSSetCommand.h"
#include "dialogs/NetSelectLogic.h"
#include "reader/SystemMsg.h"

class QWidget;

namespace vorn {

struct CommonSettings;
class TAboutBox;
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
};

}  // namespace vorn
