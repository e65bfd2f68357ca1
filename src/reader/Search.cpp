#include "reader/Search.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "analysis/ArticleSearch.h"
#include "analysis/BBSProcess.h"
#include "platform/UiServices.h"

namespace vorn {

TSearchForm::TSearchForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SearchForm"));
  setWindowTitle(QStringLiteral("検索"));
  auto* layout = new QHBoxLayout(this);

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  auto* wordPage = new QWidget(pages_);
  wordPage->setObjectName(QStringLiteral("WordSearch"));
  auto* wordLayout = new QVBoxLayout(wordPage);
  cbSearchWord_ = new QComboBox(wordPage);
  cbSearchWord_->setObjectName(QStringLiteral("CBSearchWord"));
  cbSearchWord_->setEditable(true);
  cbSearchWord_->setInsertPolicy(QComboBox::NoInsert);
  cbSearchWord_->setMinimumContentsLength(24);
  wordLayout->addWidget(cbSearchWord_);
  auto* typeRow = new QHBoxLayout();
  opCheckNormal_ = new QRadioButton(QStringLiteral("単純比較"), wordPage);
  opCheckNormal_->setObjectName(QStringLiteral("OPCheckNormal"));
  opCheckAwk_ = new QRadioButton(QStringLiteral("正規表現比較"), wordPage);
  opCheckAwk_->setObjectName(QStringLiteral("OPCheckAwk"));
  auto* typeGroup = new QButtonGroup(this);
  typeGroup->addButton(opCheckNormal_);
  typeGroup->addButton(opCheckAwk_);
  typeRow->addWidget(opCheckNormal_);
  typeRow->addWidget(opCheckAwk_);
  typeRow->addStretch(1);
  wordLayout->addLayout(typeRow);
  cbAwkFuzzy_ = new QCheckBox(QStringLiteral("同一語比較を使用する"), wordPage);
  cbAwkFuzzy_->setObjectName(QStringLiteral("CBAwkFuzzy"));
  wordLayout->addWidget(cbAwkFuzzy_);
  wordLayout->addStretch(1);
  pages_->addTab(wordPage, QStringLiteral("文字列検索"));

  auto* idPage = new QWidget(pages_);
  idPage->setObjectName(QStringLiteral("IDSearch"));
  auto* idLayout = new QVBoxLayout(idPage);
  auto* idRow = new QHBoxLayout();
  edSearchID_ = new QLineEdit(idPage);
  edSearchID_->setObjectName(QStringLiteral("EDSearchID"));
  btnIDSet_ = new QPushButton(QStringLiteral("参照"), idPage);
  btnIDSet_->setObjectName(QStringLiteral("BTNIDSet"));
  btnIDSet_->setAutoDefault(false);
  idRow->addWidget(edSearchID_, 1);
  idRow->addWidget(btnIDSet_);
  idLayout->addLayout(idRow);
  idLayout->addStretch(1);
  pages_->addTab(idPage, QStringLiteral("ID検索"));
  layout->addWidget(pages_, 1);

  auto* buttons = new QVBoxLayout();
  auto button = [this, buttons](const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  QPushButton* ok = button(QStringLiteral("OK(&O)"), "BTNOK");
  ok->setDefault(true);
  QPushButton* cancel = button(QStringLiteral("Cancel(&C)"), "BTNCancel");
  buttons->addSpacing(8);
  QPushButton* before = button(QStringLiteral("前方検索(&B)"), "BTNBefore");
  QPushButton* after = button(QStringLiteral("後方検索(&A)"), "BTNAfter");
  buttons->addStretch(1);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &TSearchForm::BTNOKClick);
  connect(cancel, &QPushButton::clicked, this, &TSearchForm::BTNCancelClick);
  connect(before, &QPushButton::clicked, this, &TSearchForm::BTNBeforeClick);
  connect(after, &QPushButton::clicked, this, &TSearchForm::BTNAfterClick);
  connect(btnIDSet_, &QPushButton::clicked, this, &TSearchForm::BTNIDSetClick);
  connect(opCheckNormal_, &QRadioButton::toggled, this, &TSearchForm::CheckTypeChanged);
  connect(opCheckAwk_, &QRadioButton::toggled, this, &TSearchForm::CheckTypeChanged);
}

void TSearchForm::CheckTypeChanged() {
  cbAwkFuzzy_->setEnabled(opCheckAwk_->isChecked());
}

void TSearchForm::FormShow() {
  CancelFlag = false;
  placer_.PlaceOnce(this, QRect(ParentLeft, ParentTop, ParentWidth, ParentHeight));
  pages_->setCurrentIndex(0);
  cbSearchWord_->clear();
  if (WordList) {
    for (auto it = WordList->rbegin(); it != WordList->rend(); ++it)
      cbSearchWord_->addItem(QtText(*it));
  }
  cbAwkFuzzy_->setChecked(AwkFuzzy);
  (WordCheckType ? opCheckAwk_ : opCheckNormal_)->setChecked(true);
  CheckTypeChanged();
  cbSearchWord_->setEditText(QString());
  edSearchID_->clear();
  SearchWord.clear();
  SearchID.clear();
  cbSearchWord_->setFocus();
}

void TSearchForm::Execute() {
  FormShow();
  exec();
}

bool TSearchForm::AcceptSearch() {
  SearchRequest request;
  request.IdPage = pages_->currentIndex() == 1;
  request.Text = CoreText(cbSearchWord_->currentText());
  request.IdText = CoreText(edSearchID_->text());
  request.RegExp = !opCheckNormal_->isChecked();
  request.Fuzzy = cbAwkFuzzy_->isChecked();
  const std::vector<std::string> before = WordList ? *WordList : std::vector<std::string>();
  const SearchAcceptance accepted =
      AcceptSearchRequest(request, BBS ? &BBS->Members : nullptr, awk_, WordList);
  if (!accepted.Accepted) {
    Ui().Warning(accepted.Warning);
    return false;
  }
  if (WordList && *WordList != before) {
    // The list shows the new text on top; what is typed stays as it is.
    const QString typed = cbSearchWord_->currentText();
    cbSearchWord_->clear();
    for (auto it = WordList->rbegin(); it != WordList->rend(); ++it)
      cbSearchWord_->addItem(QtText(*it));
    cbSearchWord_->setEditText(typed);
  }
  const SearchCondition& c = accepted.Condition;
  SearchWord = c.SearchWord;
  SearchID = c.SearchID;
  AwkFuzzy = c.AwkFuzzy;
  WordCheckType = c.WordCheckType;
  if (c.Exists() && SetSearchParam) SetSearchParam(WordCheckType, AwkFuzzy, SearchWord, SearchID);
  return true;
}

void TSearchForm::BTNOKClick() {
  if (AcceptSearch()) accept();
}

void TSearchForm::BTNCancelClick() {
  reject();
}

void TSearchForm::reject() {
  CancelFlag = true;
  QDialog::reject();
}

void TSearchForm::SearchButton(int key) {
  if (AcceptSearch() && GridKeyDown) GridKeyDown(key, Qt::ShiftModifier);
}

void TSearchForm::BTNBeforeClick() {
  SearchButton(Qt::Key_Up);
}

void TSearchForm::BTNAfterClick() {
  SearchButton(Qt::Key_Down);
}

void TSearchForm::BTNIDSetClick() {
  if (!ChooseId) return;
  const std::optional<std::string> id =
      ChooseId(BBS, QRect(ParentLeft, ParentTop, ParentWidth, ParentHeight));
  if (id) edSearchID_->setText(QtText(*id));
}

}  // namespace vorn
