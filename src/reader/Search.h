#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "qtsupport/QtSupport.h"
#include "regex/AWKStr.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QTabWidget;

namespace vorn {

class TBBSProcess;

// "検索": the search condition, a text (plain or a regular expression, optionally with the
// fuzzy dictionaries) or a member ID. OK hands the condition over and closes; the two search
// buttons hand it over and step to the previous or next match while the dialog stays open.
class TSearchForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TSearchForm(QWidget* parent = nullptr);

  // The main window's geometry, for placing the dialog the first time.
  int ParentTop = 0;
  int ParentLeft = 0;
  int ParentHeight = 0;
  int ParentWidth = 0;
  // The last search texts, oldest first (the window's list, not owned).
  std::vector<std::string>* WordList = nullptr;
  bool WordCheckType = true;
  bool AwkFuzzy = true;
  // The loaded set's analyser, whose member list the ID is checked against.
  TBBSProcess* BBS = nullptr;
  // Results.
  std::string SearchWord;
  std::string SearchID;
  bool CancelFlag = false;
  // Raised with an accepted condition.
  std::function<void(bool wordCheckType, bool awkFuzzy, const std::string& searchWord,
                     const std::string& searchID)>
      SetSearchParam;
  // The grid's key handler: the search buttons send Shift+Up and Shift+Down to it.
  std::function<void(int key, Qt::KeyboardModifiers modifiers)> GridKeyDown;
  // The ID picker ("検索ID指定"): the chosen ID, nullopt when none was chosen.
  std::function<std::optional<std::string>(TBBSProcess* bbs, const QRect& parentRect)> ChooseId;

  // FormShow, then shown modally.
  void Execute();
  void FormShow();
  // The checks of OK and the search buttons; hands the condition over when they pass.
  bool AcceptSearch();

  void BTNOKClick();
  void BTNCancelClick();
  void BTNBeforeClick();
  void BTNAfterClick();
  void BTNIDSetClick();

  QTabWidget* Pages() const { return pages_; }

 public slots:
  // Escape and the window's close button cancel as the Cancel button does.
  void reject() override;

 private:
  void SearchButton(int key);
  void CheckTypeChanged();

  TDialogPlacer placer_;
  TAWKStr awk_;
  QTabWidget* pages_;
  QComboBox* cbSearchWord_;
  QRadioButton* opCheckNormal_;
  QRadioButton* opCheckAwk_;
  QCheckBox* cbAwkFuzzy_;
  QLineEdit* edSearchID_;
  QPushButton* btnIDSet_;
};

}  // namespace vorn
