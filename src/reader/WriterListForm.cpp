#include "reader/WriterListForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"

namespace vorn {

TWriterListForm::TWriterListForm(TWriterListEdit& edit, QWidget* parent)
    : QDialog(parent), edit_(edit) {
  setObjectName(QStringLiteral("WriterListForm"));
  setWindowTitle(QStringLiteral("注目・無視する発言者"));
  auto* layout = new QVBoxLayout(this);
  auto* lists = new QGridLayout;
  lists->addWidget(new QLabel(QStringLiteral("注目する発言者（強調表示）"), this), 0, 0);
  lists->addWidget(new QLabel(QStringLiteral("無視する発言者"), this), 0, 1);
  watched_ = new QListWidget(this);
  watched_->setObjectName(QStringLiteral("LBWatched"));
  ignored_ = new QListWidget(this);
  ignored_->setObjectName(QStringLiteral("LBIgnored"));
  lists->addWidget(watched_, 1, 0);
  lists->addWidget(ignored_, 1, 1);
  layout->addLayout(lists);

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("ID:"), this));
  id_ = new QLineEdit(this);
  id_->setObjectName(QStringLiteral("EDWriterId"));
  row->addWidget(id_, 1);
  auto* watch = new QPushButton(QStringLiteral("注目に追加(&W)"), this);
  watch->setObjectName(QStringLiteral("BTNWatch"));
  auto* ignore = new QPushButton(QStringLiteral("無視に追加(&I)"), this);
  ignore->setObjectName(QStringLiteral("BTNIgnore"));
  auto* remove = new QPushButton(QStringLiteral("外す(&D)"), this);
  remove->setObjectName(QStringLiteral("BTNRemove"));
  row->addWidget(watch);
  row->addWidget(ignore);
  row->addWidget(remove);
  layout->addLayout(row);

  hide_ = new QCheckBox(
      QStringLiteral("無視する発言者の記事を一覧に表示しない（しないときは灰色で表示）"), this);
  hide_->setObjectName(QStringLiteral("CBHideIgnored"));
  hide_->setChecked(edit_.HideIgnored);
  layout->addWidget(hide_);
  layout->addWidget(new QLabel(
      QStringLiteral("記事は削除されません。一覧から外すといつでも元どおりに表示されます。"),
      this));

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK(&O)"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BTNOK"));
  QPushButton* cancel =
      buttons->addButton(QStringLiteral("Cancel(&C)"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("BTNCancel"));
  layout->addWidget(buttons);

  connect(watch, &QPushButton::clicked, this, [this] { AddTyped(WriterMark::Watched); });
  connect(ignore, &QPushButton::clicked, this, [this] { AddTyped(WriterMark::Ignored); });
  connect(remove, &QPushButton::clicked, this, &TWriterListForm::RemoveSelected);
  connect(hide_, &QCheckBox::toggled, this, [this](bool on) { edit_.HideIgnored = on; });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Fill();
  resize(520, 360);
}

void TWriterListForm::Fill() {
  for (auto [list, ids] : {std::pair{watched_, &edit_.Lists().Watched()},
                           std::pair{ignored_, &edit_.Lists().Ignored()}}) {
    list->clear();
    for (const std::string& id : *ids) {
      auto* item = new QListWidgetItem(QtText(edit_.Label(id)), list);
      item->setData(Qt::UserRole, QtText(id));
    }
  }
}

void TWriterListForm::AddTyped(WriterMark mark) {
  const std::string warning = edit_.Add(CoreText(id_->text()), mark);
  if (!warning.empty()) {
    Ui().Warning(warning);
    id_->setFocus();
    return;
  }
  id_->clear();
  Fill();
}

void TWriterListForm::RemoveSelected() {
  for (QListWidget* list : {watched_, ignored_}) {
    if (QListWidgetItem* item = list->currentItem(); item && item->isSelected())
      edit_.Remove(CoreText(item->data(Qt::UserRole).toString()));
  }
  Fill();
}

}  // namespace vorn
