#include "dialogs/IDEdit.h"

#include <QCloseEvent>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vorn {
namespace {

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  // Enter in an edit box must not press a button of the dialog.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TIDEditForm::TIDEditForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("IDEditForm"));
  setWindowTitle(QStringLiteral("ID編集"));
  auto* layout = new QVBoxLayout(this);

  sgdId_ = new QTableWidget(0, IDEditColumnCount, this);
  sgdId_->setObjectName(QStringLiteral("SGDID"));
  sgdId_->setHorizontalHeaderLabels({QStringLiteral("ID"), QStringLiteral("True Handle"),
                                     QStringLiteral("Short Handle"),
                                     QStringLiteral("Current Handle")});
  sgdId_->verticalHeader()->hide();
  sgdId_->verticalHeader()->setDefaultSectionSize(sgdId_->fontMetrics().height() + 8);
  sgdId_->setSelectionMode(QAbstractItemView::SingleSelection);
  sgdId_->setWordWrap(false);
  // The ID column keeps its width; the three handles share the rest, also when resized.
  QHeaderView* header = sgdId_->horizontalHeader();
  header->setSectionResizeMode(IDEditColumnId, QHeaderView::Fixed);
  sgdId_->setColumnWidth(IDEditColumnId, 60);
  for (int c = IDEditColumnTrueHandle; c < IDEditColumnCount; ++c)
    header->setSectionResizeMode(c, QHeaderView::Stretch);
  sgdId_->installEventFilter(this);
  layout->addWidget(sgdId_, 1);

  panelAddDel_ = new QGroupBox(QStringLiteral("ID追加／削除"), this);
  panelAddDel_->setObjectName(QStringLiteral("PanelAddDel"));
  auto* addDel = new QHBoxLayout(panelAddDel_);
  edAddId_ = new QLineEdit(panelAddDel_);
  edAddId_->setObjectName(QStringLiteral("EDAddID"));
  edAddHandle_ = new QLineEdit(panelAddDel_);
  edAddHandle_->setObjectName(QStringLiteral("EDAddHandle"));
  btnAddId_ = Button(QStringLiteral("追加(&A)"), "BTNAddID", panelAddDel_);
  btnDelId_ = Button(QStringLiteral("削除(&D)"), "BTNDelID", panelAddDel_);
  addDel->addWidget(new QLabel(QStringLiteral("ID"), panelAddDel_));
  addDel->addWidget(edAddId_, 1);
  addDel->addWidget(new QLabel(QStringLiteral("Handle"), panelAddDel_));
  addDel->addWidget(edAddHandle_, 2);
  addDel->addWidget(btnAddId_);
  addDel->addWidget(btnDelId_);
  layout->addWidget(panelAddDel_);

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  QPushButton* ok = Button(QStringLiteral("OK"), "BTNOK", this);
  QPushButton* cancel = Button(QStringLiteral("キャンセル"), "BTNCancel", this);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(btnAddId_, &QPushButton::clicked, this, &TIDEditForm::BTNAddIDClick);
  connect(btnDelId_, &QPushButton::clicked, this, &TIDEditForm::BTNDelIDClick);
  connect(ok, &QPushButton::clicked, this, &TIDEditForm::BTNOKClick);
  // Cancel closes without a question; only Escape asks.
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (!logic_.Busy()) QDialog::reject();
  });
  connect(sgdId_, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int, int) { SGDIDCurrentCellChanged(row, column); });
  connect(sgdId_, &QTableWidget::itemChanged, this, &TIDEditForm::SGDIDItemChanged);
  connect(sgdId_, &QTableWidget::cellDoubleClicked, this, [this] {
    if (!logic_.EditFlag) BTNOKClick();
  });
  resize(560, 360);
}

bool TIDEditForm::Prepare(const QString& caption) {
  setWindowTitle(caption);
  if (!logic_.Show()) return false;
  panelAddDel_->setVisible(logic_.EditFlag);
  if (logic_.EditFlag) {
    sgdId_->setSelectionBehavior(QAbstractItemView::SelectItems);
    sgdId_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
  } else {
    sgdId_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgdId_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  }
  FillGrid();
  ApplyFocus();
  return true;
}

void TIDEditForm::Execute(const QString& caption, const QRect& parentRect) {
  if (!Prepare(caption)) return;
  placer_.PlaceOnce(this, parentRect);
  exec();
}

void TIDEditForm::FillGrid() {
  filling_ = true;
  const int rows = static_cast<int>(logic_.Rows.size());
  sgdId_->clearContents();
  sgdId_->setRowCount(std::max(rows, 1));
  for (int r = 0; r < rows; ++r) {
    const IDEditRow& row = logic_.Rows[size_t(r)];
    const std::string* texts[] = {&row.Id, &row.TrueHandle, &row.ShortHandle, &row.CurrentHandle};
    for (int c = 0; c < IDEditColumnCount; ++c) {
      auto* item = new QTableWidgetItem(QtText(*texts[c]));
      Qt::ItemFlags flags = Qt::ItemIsEnabled;
      if (logic_.CellSelectable(c)) flags |= Qt::ItemIsSelectable;
      if (logic_.EditFlag && logic_.CellSelectable(c)) flags |= Qt::ItemIsEditable;
      item->setFlags(flags);
      sgdId_->setItem(r, c, item);
    }
  }
  // At least the classic 60 pixels, and wide enough for the longest ID in this font (text IDs
  // of eight characters did not fit).
  int idWidth = 60;
  for (const IDEditRow& row : logic_.Rows)
    idWidth = std::max(idWidth, sgdId_->fontMetrics().horizontalAdvance(QtText(row.Id)) + 12);
  sgdId_->setColumnWidth(IDEditColumnId, idWidth);
  sgdId_->setEnabled(logic_.GridEnabled);
  btnDelId_->setEnabled(logic_.GridEnabled);
  if (logic_.GridEnabled) {
    sgdId_->setCurrentCell(logic_.SelectedRow,
                           logic_.EditFlag ? IDEditColumnTrueHandle : IDEditColumnId);
    sgdId_->scrollToItem(sgdId_->currentItem());
  }
  edAddId_->setText(QtText(logic_.AddId));
  edAddHandle_->setText(QtText(logic_.AddHandle));
  filling_ = false;
}

void TIDEditForm::ApplyFocus() {
  switch (logic_.Focus) {
    case IDEditFocus::Grid:
      sgdId_->setFocus();
      break;
    case IDEditFocus::AddButton:
      btnAddId_->setFocus();
      break;
    case IDEditFocus::AddHandle:
      edAddHandle_->setFocus();
      break;
    case IDEditFocus::None:
      break;
  }
}

void TIDEditForm::SGDIDCurrentCellChanged(int row, int column) {
  if (filling_ || row < 0) return;
  // The ID and the current handle are not edited: the cursor moves on to a handle.
  if (!logic_.CellSelectable(column)) {
    filling_ = true;
    sgdId_->setCurrentCell(
        row, column == IDEditColumnId ? IDEditColumnTrueHandle : IDEditColumnShortHandle);
    filling_ = false;
  }
  logic_.RowSelected(row);
  edAddId_->setText(QtText(logic_.AddId));
  edAddHandle_->setText(QtText(logic_.AddHandle));
}

void TIDEditForm::SGDIDItemChanged(QTableWidgetItem* item) {
  if (filling_ || !item) return;
  logic_.SetCell(item->row(), item->column(), CoreText(item->text()));
}

void TIDEditForm::BTNAddIDClick() {
  logic_.AddId = CoreText(edAddId_->text());
  logic_.AddHandle = CoreText(edAddHandle_->text());
  setCursor(Qt::WaitCursor);
  const bool changed = logic_.Add();
  unsetCursor();
  if (!changed) return;
  FillGrid();
  ApplyFocus();
}

void TIDEditForm::BTNDelIDClick() {
  logic_.AddId = CoreText(edAddId_->text());
  logic_.AddHandle = CoreText(edAddHandle_->text());
  if (!logic_.Delete()) return;
  FillGrid();
  ApplyFocus();
}

void TIDEditForm::BTNOKClick() {
  if (logic_.Busy()) return;
  // An edit still open in the grid counts.
  if (QWidget* editor = sgdId_->focusWidget(); editor && editor != sgdId_) sgdId_->setFocus();
  logic_.Accept(logic_.GridEnabled ? sgdId_->currentRow() : -1);
  accept();
}

void TIDEditForm::reject() {
  if (logic_.Busy() || !logic_.Escape()) return;
  QDialog::reject();
}

void TIDEditForm::closeEvent(QCloseEvent* event) {
  if (logic_.Busy()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool TIDEditForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sgdId_ && event->type() == QEvent::KeyPress && !logic_.EditFlag) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      BTNOKClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn
