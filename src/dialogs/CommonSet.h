#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "dialoglogic/CommonSetLogic.h"
#include "qtsupport/QtSupport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vorn {

struct CommonSettings;

// The font, colour and file pickers of the common settings dialog. The program shows the
// platform's; a test answers from a script.
class TCommonSetPickers {
 public:
  virtual ~TCommonSetPickers() = default;
  // The font dialog, started from a sample; only fixed-pitch fonts when asked.
  virtual std::optional<FontChoice> ChooseFont(const FontSample& start, bool fixedPitchOnly) = 0;
  virtual std::optional<TColor> ChooseColor(TColor start) = 0;
  // The file dialog of a browse button, started in the folder of the current text with its
  // name preset. executables: the filter of programs, and the file must exist.
  virtual std::optional<std::string> ChooseFile(const std::string& title,
                                                const std::string& current, bool executables) = 0;
};

class TQtCommonSetPickers final : public TCommonSetPickers {
 public:
  explicit TQtCommonSetPickers(QWidget* parent) : parent_(parent) {}
  std::optional<FontChoice> ChooseFont(const FontSample& start, bool fixedPitchOnly) override;
  std::optional<TColor> ChooseColor(TColor start) override;
  std::optional<std::string> ChooseFile(const std::string& title, const std::string& current,
                                        bool executables) override;

 private:
  QWidget* parent_;
};

// A settings colour from a Qt colour (0x00BBGGRR).
TColor SettingsColor(const QColor& color);

// "共通設定": every key of the common settings on seven pages. The settings change only on OK.
class TCommonSetForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TCommonSetForm(QWidget* parent = nullptr,
                          std::unique_ptr<TCommonSetPickers> pickers = nullptr);
  ~TCommonSetForm() override;

  // Shows the settings modally over the parent rectangle; true when OK stored them.
  bool Execute(CommonSettings* settings, const TBBSList& bbsList, const QRect& parentRect);
  // Fills the controls (the first page shown); false without settings.
  bool Prepare(CommonSettings* settings, const TBBSList& bbsList);

  TCommonSetLogic& Logic() { return logic_; }
  QTabWidget* Pages() const { return pages_; }
  TCommonSetPickers& Pickers() { return *pickers_; }

  void BTNOKClick();
  void BTNCancelClick();

 private:
  QWidget* BuildCommonPage();
  QWidget* BuildArticlePage();
  QWidget* BuildBoardListPage();
  QWidget* BuildArticleGridPage();
  QWidget* BuildArticleEditPage();
  QWidget* BuildInternetPage();
  QWidget* BuildKeyPage();

  QLineEdit* Edit(QWidget* parent, const char* name, std::string* field);
  QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, bool* field);
  QLabel* SampleLabel(QWidget* parent, const char* name, CommonSample sample);
  QPushButton* Button(QWidget* parent, const char* name, const QString& caption);
  QPushButton* FontButton(QWidget* parent, const char* name, CommonSample sample);
  QPushButton* BackgroundButton(QWidget* parent, const char* name, CommonSample sample);
  QPushButton* TextColorButton(QWidget* parent, const char* name, const QString& caption,
                               CommonSample sample);
  QPushButton* BrowseButton(QWidget* parent, const char* name, QLineEdit* edit,
                            const QString& title, bool executables);

  // Logic to controls.
  void ShowFields();
  void ShowSamples();
  void ShowEnabledStates();

  TCommonSetLogic logic_;
  std::unique_ptr<TCommonSetPickers> pickers_;
  CommonSettings* settings_ = nullptr;
  const TBBSList* bbsList_ = nullptr;
  TDialogPlacer placer_;
  bool showing_ = false;

  QTabWidget* pages_ = nullptr;
  std::map<QLineEdit*, std::string*> edits_;
  std::map<QCheckBox*, bool*> checks_;
  std::map<QLabel*, CommonSample> samples_;

  QCheckBox* cbNoPrefix_ = nullptr;
  QComboBox* clNoPrefixBBS_ = nullptr;
  QLineEdit* edJumpRessTitleSrc_ = nullptr;
  QComboBox* cbBoardListDropCount_ = nullptr;
  QPushButton* btnArticleGridColors_[3] = {};
  QComboBox* cbArticleGridTreeType_ = nullptr;
  QPushButton* btnArticleEditBouteColor_ = nullptr;
  QPushButton* btnArticleEditEOFColor_ = nullptr;
  QPushButton* btnArticleEditURLColor_ = nullptr;
  QRadioButton* opBigFontRatio_ = nullptr;
  QRadioButton* opBigFontSet_ = nullptr;
  QLineEdit* edBigFontSize_ = nullptr;
  QPushButton* btnBigFont_ = nullptr;
  QLineEdit* edMailer_ = nullptr;
  QPushButton* btnMailer_ = nullptr;
  QLineEdit* edWWW_ = nullptr;
  QPushButton* btnWWW_ = nullptr;
  QRadioButton* opKeyGo_[3] = {};
  QComboBox* cbKeyScroll_ = nullptr;
  QLabel* lbCacheSize_ = nullptr;
};

}  // namespace vorn
