#include "dialogs/PrefixInp.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorn {

TPrefixInputForm::TPrefixInputForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PrefixInputForm"));
  setWindowTitle(QStringLiteral("プレフィックス指定"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  edPrefix_ = new QLineEdit(this);
  edPrefix_->setObjectName(QStringLiteral("EDPrefix"));
  cbHost_ = new QComboBox(this);
  cbHost_->setObjectName(QStringLiteral("CBHost"));
  form->addRow(QStringLiteral("プレフィックス"), edPrefix_);
  form->addRow(QStringLiteral("ホスト種類"), cbHost_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BTNOK"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("BTNCancel"));
  connect(ok, &QPushButton::clicked, this, &TPrefixInputForm::BTNOKClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  setMinimumWidth(300);
}

void TPrefixInputForm::Execute(const TBBSList& list, int selectBBS, const QRect& parentRect) {
  edPrefix_->clear();
  cbHost_->clear();
  if (!logic_.Show(&list, selectBBS)) return;
  for (const std::string& name : logic_.HostNames)
    cbHost_->addItem(QtText(name));
  cbHost_->setCurrentIndex(logic_.HostIndex);
  cbHost_->setEnabled(logic_.HostEnabled);
  edPrefix_->setFocus();
  placer_.PlaceOnce(this, parentRect);
  if (exec() != QDialog::Accepted) logic_.Cancel();
}

void TPrefixInputForm::BTNOKClick() {
  if (logic_.Ok(CoreText(edPrefix_->text()), cbHost_->currentIndex())) accept();
}

}  // namespace vorn
