#include "dialogs/NetSetSelect.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorn {

TNetSetSelectForm::TNetSetSelectForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("NetSetSelectForm"));
  setWindowTitle(QStringLiteral("BBS定義編集"));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("処理選択"), this);
  auto* groupLayout = new QVBoxLayout(group);
  rbNew_ = new QRadioButton(QStringLiteral("新規作成"), group);
  rbNew_->setObjectName(QStringLiteral("RBNew"));
  rbChange_ = new QRadioButton(QStringLiteral("設定変更"), group);
  rbChange_->setObjectName(QStringLiteral("RBChange"));
  rbDel_ = new QRadioButton(QStringLiteral("削除"), group);
  rbDel_->setObjectName(QStringLiteral("RBDel"));
  rbCopy_ = new QRadioButton(QStringLiteral("設定コピーして新規作成"), group);
  rbCopy_->setObjectName(QStringLiteral("RBCopy"));
  for (QRadioButton* rb : {rbNew_, rbChange_, rbDel_, rbCopy_}) {
    groupLayout->addWidget(rb);
    connect(rb, &QRadioButton::toggled, this, &TNetSetSelectForm::ChoiceChanged);
  }
  layout->addWidget(group);
  cbBBSName_ = new QComboBox(this);
  cbBBSName_->setObjectName(QStringLiteral("CBBBSName"));
  cbBBSName_->setMinimumWidth(260);
  layout->addWidget(cbBBSName_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BTNOK"));
  ok->setDefault(true);
  QPushButton* cancel =
      buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("BTNCancel"));
  connect(ok, &QPushButton::clicked, this, &TNetSetSelectForm::BTNOKClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TNetSetSelectForm::Execute(const TBBSList& list, const QRect& parentRect) {
  logic_.Show(list);
  cbBBSName_->clear();
  for (const std::string& name : logic_.Names)
    cbBBSName_->addItem(QtText(name));
  const bool any = logic_.ChoicesEnabled();
  rbChange_->setEnabled(any);
  rbDel_->setEnabled(any);
  rbCopy_->setEnabled(any);
  (any ? rbChange_ : rbNew_)->setChecked(true);
  if (any) cbBBSName_->setCurrentIndex(0);
  ChoiceChanged();
  placer_.PlaceOnce(this, parentRect);
  if (exec() != QDialog::Accepted) logic_.Cancel();
}

void TNetSetSelectForm::ChoiceChanged() {
  if (rbNew_->isChecked()) logic_.Choice = NetSelectNew;
  if (rbChange_->isChecked()) logic_.Choice = NetSelectChange;
  if (rbDel_->isChecked()) logic_.Choice = NetSelectDel;
  if (rbCopy_->isChecked()) logic_.Choice = NetSelectCopy;
  cbBBSName_->setEnabled(logic_.NameListEnabled());
}

void TNetSetSelectForm::BTNOKClick() {
  logic_.Selected = cbBBSName_->currentIndex();
  logic_.Ok();
  accept();
}

}  // namespace vorn
