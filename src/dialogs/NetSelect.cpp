#include "dialogs/NetSelect.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vorn {

TNetSelectForm::TNetSelectForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("NetSelectForm"));
  setWindowTitle(QStringLiteral("BBS選択"));
  auto* layout = new QVBoxLayout(this);
  sgdNetSelect_ = new QTableWidget(0, 3, this);
  sgdNetSelect_->setObjectName(QStringLiteral("SGDNetSelect"));
  sgdNetSelect_->setHorizontalHeaderLabels(
      {QStringLiteral("Prefix"), QStringLiteral("BBS Name"), QStringLiteral("LogFile Path")});
  sgdNetSelect_->verticalHeader()->hide();
  sgdNetSelect_->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgdNetSelect_->setSelectionMode(QAbstractItemView::SingleSelection);
  sgdNetSelect_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgdNetSelect_->horizontalHeader()->setStretchLastSection(true);
  sgdNetSelect_->setWordWrap(false);
  layout->addWidget(sgdNetSelect_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BTNOK"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("BTNCancel"));
  connect(ok, &QPushButton::clicked, this, &TNetSelectForm::BTNOKClick);
  connect(buttons, &QDialogButtonBox::rejected, this, [this] {
    logic_.Cancel();
    reject();
  });
  connect(sgdNetSelect_, &QTableWidget::cellDoubleClicked, this, &TNetSelectForm::BTNOKClick);
  layout->addWidget(buttons);
  resize(520, 260);
}

void TNetSelectForm::Prepare(const CommonSettings* common, const TBBSList& list,
                             const std::vector<std::string>& prefixList) {
  logic_.CommonIniFile = common;
  logic_.Show(list, prefixList);
  const int rows = static_cast<int>(logic_.Rows.size());
  sgdNetSelect_->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    const NetSelectRow& row = logic_.Rows[size_t(r)];
    sgdNetSelect_->setItem(r, 0, new QTableWidgetItem(QtText(row.Prefix)));
    sgdNetSelect_->setItem(r, 1, new QTableWidgetItem(QtText(row.Name)));
    sgdNetSelect_->setItem(r, 2, new QTableWidgetItem(QtPath(row.LogPath)));
  }
  SetColumnWidths();
  if (rows > 0) sgdNetSelect_->setCurrentCell(0, 0);
  sgdNetSelect_->setFocus();
}

void TNetSelectForm::SetColumnWidths() {
  // The rest is known only once the dialog is laid out; before, the grid has a default width.
  const int rest = std::max(100, sgdNetSelect_->viewport()->width() - 50);
  sgdNetSelect_->setColumnWidth(0, 50);
  sgdNetSelect_->setColumnWidth(1, rest / 2);
}

void TNetSelectForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  SetColumnWidths();
}

void TNetSelectForm::Execute(const CommonSettings* common, const TBBSList& list,
                             const std::vector<std::string>& prefixList, const QRect& parentRect) {
  Prepare(common, list, prefixList);
  placer_.PlaceOnce(this, parentRect);
  if (exec() != QDialog::Accepted) logic_.Cancel();
}

void TNetSelectForm::BTNOKClick() {
  const int row = sgdNetSelect_->currentRow();
  if (!logic_.Ok(row)) {
    accept();
    return;
  }
  QFileDialog dialog(this, QStringLiteral("ログファイル指定"));
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setDirectory(QtPath(logic_.FileDialogFolder(row)));
  dialog.setNameFilter(QtFileFilter(logic_.FileDialogFilter(row)));
  // Cancelling the file dialog leaves the set chooser open for another choice.
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<std::string> files;
  for (const QString& f : dialog.selectedFiles())
    files.push_back(CorePath(f));
  logic_.FilesChosen(std::move(files));
  accept();
}

void TNetSelectForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    BTNOKClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vorn
