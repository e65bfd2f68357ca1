#pragma once

#include <QDialog>
#include <memory>

#include "dialoglogic/BBSSetLogic.h"
#include "qtsupport/QtSupport.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QVBoxLayout;

namespace vorn {

// "BBS設定": the settings of one BBS set on three pages (basic settings, log analysis values,
// advanced settings). The family dialogs add their own switches; the logic they map lives in
// TBBSSetLogic and its family classes.
class TBBSSetForm : public QDialog {
  Q_OBJECT
 public:
  ~TBBSSetForm() override;

  struct Request {
    const CommonSettings* CommonIniFile = nullptr;
    const TBBSList* BBSList = nullptr;
    TBBSIniFile* BBSIniFile = nullptr;
    TNetSelectSkbn Skbn = NetSelectNone;
    std::string ReadPrefix;
    std::string WritePrefix;
  };
  // Fills the dialog for the request; false when it has nothing to show.
  bool Prepare(const Request& request);
  // Prepare, then show modally over the parent rectangle.
  void Execute(const Request& request, const QRect& parentRect);

  TBBSSetLogic& Logic() { return *logic_; }
  QTabWidget* Pages() const { return pages_; }

  // The buttons' handlers, public so that a test can drive the dialog without a click.
  void BTNOKClick();
  void BTNCancelClick();

 protected:
  TBBSSetForm(std::unique_ptr<TBBSSetLogic> logic, const QString& caption, QWidget* parent);

  // Family controls: a place under the file rows of the basic page, and the advanced page.
  QVBoxLayout* BasicFamilyArea() const { return basicFamily_; }
  QVBoxLayout* AdvancedArea() const { return advanced_; }
  // Hides the UP file row and the UP group (families without an UP file).
  void HideUpFile();

  // Family switches: logic to controls and back.
  virtual void ShowFamilyFields() = 0;
  virtual void ReadFamilyFields() = 0;

 private:
  void BuildBasicPage();
  void BuildAnalysisPage();
  void BuildAdvancedPage();
  QLineEdit* AddEditRow(QGridLayout* grid, int row, const QString& label, const char* name);
  QLineEdit* AddFileRow(QGridLayout* grid, int row, const QString& label, const char* name,
                        const char* buttonName, const QString& dialogTitle);
  void BrowseFile(QLineEdit* edit, const QString& title);
  void BTNLogPathClick();
  void BTNBBSSaveClick();
  void BTNBBSReadClick();

  void ShowFields();
  void ReadFields();
  void ShowValueRow();
  void ShowGrid();

  std::unique_ptr<TBBSSetLogic> logic_;
  TDialogPlacer placer_;
  bool updating_ = false;

  QTabWidget* pages_ = nullptr;
  QVBoxLayout* basicFamily_ = nullptr;
  QVBoxLayout* advanced_ = nullptr;
  QLineEdit* edPrefix_ = nullptr;
  QLineEdit* edName_ = nullptr;
  QLineEdit* edFilePath_ = nullptr;
  QLineEdit* edFileMask_ = nullptr;
  QLineEdit* edBoardListFile_ = nullptr;
  QLineEdit* edMemberListFile_ = nullptr;
  QLineEdit* edReadPtrFile_ = nullptr;
  QLineEdit* edUpFile_ = nullptr;
  QLineEdit* edPadFile_ = nullptr;
  QLineEdit* edSignatureFile_ = nullptr;
  QWidget* upFileGroup_ = nullptr;
  QCheckBox* cbUpFileAddDate_ = nullptr;
  QLineEdit* edUpFileAddDateStr_ = nullptr;
  QCheckBox* cbPadFileAddDate_ = nullptr;
  QLineEdit* edPadFileAddDateStr_ = nullptr;
  QTableWidget* sgdNetData_ = nullptr;
  QPlainTextEdit* edValue_ = nullptr;
  QCheckBox* cbDefault_ = nullptr;
  QPushButton* btnValueSet_ = nullptr;

 protected:
  // The PAD group of the advanced page, for the family's PAD switch.
  QVBoxLayout* padGroup_ = nullptr;
};

// "NetVorn - BBS設定".
class TNetVornSetForm final : public TBBSSetForm {
  Q_OBJECT
 public:
  explicit TNetVornSetForm(QWidget* parent = nullptr);

 protected:
  void ShowFamilyFields() override;
  void ReadFamilyFields() override;

 private:
  TNetVornSetLogic& Family();
  void CBHostPatchClick();

  QCheckBox* cbSerialHeader_;
  QCheckBox* cbHeaderDisp_;
  QCheckBox* cbMente_;
  QCheckBox* cbHostPatch_;
  QCheckBox* cbPadFileBatchDown_;
  QRadioButton* opKTC_;
  QRadioButton* opMPN_;
};

// "NiftyServe - BBS設定".
class TNiftySetForm final : public TBBSSetForm {
  Q_OBJECT
 public:
  explicit TNiftySetForm(QWidget* parent = nullptr);

 protected:
  void ShowFamilyFields() override;
  void ReadFamilyFields() override;

 private:
  TNiftySetLogic& Family();

  QCheckBox* cbMemberAutoAdd_;
};

}  // namespace vorn
