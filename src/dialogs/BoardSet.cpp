#include "dialogs/BoardSet.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vorn {
namespace {

// The Index column's width when its labels are short.
constexpr int kIndexWidth = 110;

QGroupBox* RadioGroup(const QString& caption, const char* name,
                      std::initializer_list<QString> items, QButtonGroup*& group, QWidget* parent) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(QLatin1String(name));
  auto* layout = new QVBoxLayout(box);
  group = new QButtonGroup(box);
  int id = 0;
  for (const QString& item : items) {
    auto* radio = new QRadioButton(item, box);
    radio->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(id));
    group->addButton(radio, id++);
    layout->addWidget(radio);
  }
  layout->addStretch(1);
  return box;
}

}  // namespace

TBoardSetForm::TBoardSetForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("BoardSetForm"));
  setWindowTitle(QStringLiteral("ボード編集"));
  auto* layout = new QHBoxLayout(this);

  sgdBoard_ = new QTableWidget(0, 2, this);
  sgdBoard_->setObjectName(QStringLiteral("SGDBoard"));
  sgdBoard_->setHorizontalHeaderLabels({QStringLiteral("Index"), QStringLiteral("Title")});
  sgdBoard_->verticalHeader()->hide();
  sgdBoard_->verticalHeader()->setDefaultSectionSize(sgdBoard_->fontMetrics().height() + 8);
  sgdBoard_->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgdBoard_->setSelectionMode(QAbstractItemView::SingleSelection);
  sgdBoard_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgdBoard_->setWordWrap(false);
  sgdBoard_->setColumnWidth(0, kIndexWidth);
  sgdBoard_->horizontalHeader()->setStretchLastSection(true);
  sgdBoard_->installEventFilter(this);
  layout->addWidget(sgdBoard_, 1);

  auto* side = new QVBoxLayout();
  rgbSts_ = RadioGroup(QStringLiteral("ボード種別"), "RGBSts",
                       {QStringLiteral("通常(&N)"), QStringLiteral("バイナリ(&B)"),
                        QStringLiteral("バイナリ混在(&M)")},
                       stsGroup_, this);
  rgbAlign_ = RadioGroup(QStringLiteral("ボード属性"), "RGBAlign",
                         {QStringLiteral("ルート／レス書込み"), QStringLiteral("リードオンリー"),
                          QStringLiteral("レス禁止")},
                         alignGroup_, this);
  side->addWidget(rgbSts_);
  side->addWidget(rgbAlign_);
  side->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BTNOK"));
  ok->setAutoDefault(false);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel->setObjectName(QStringLiteral("BTNCancel"));
  cancel->setAutoDefault(false);
  side->addWidget(ok);
  side->addWidget(cancel);
  layout->addLayout(side);

  connect(ok, &QPushButton::clicked, this, &TBoardSetForm::BTNOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(sgdBoard_, &QTableWidget::cellDoubleClicked, this, &TBoardSetForm::BTNOKClick);
  connect(sgdBoard_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (filling_ || row < 0) return;
    logic_.RowSelected(row + 1);
    ShowChoices();
  });
  connect(stsGroup_, &QButtonGroup::idClicked, this, [this](int id) { logic_.SetBoardType(id); });
  connect(alignGroup_, &QButtonGroup::idClicked, this, [this](int id) { logic_.SetBoardAttr(id); });
  resize(520, 320);
}

bool TBoardSetForm::Prepare(const QString& caption) {
  setWindowTitle(caption);
  if (!logic_.Show()) return false;
  filling_ = true;
  // Board 0 is not listed: row r of the grid is board r + 1.
  const int rows = static_cast<int>(logic_.Rows.size()) - 1;
  sgdBoard_->clearContents();
  sgdBoard_->setRowCount(rows);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (int r = 0; r < rows; ++r) {
    const BoardSetRow& row = logic_.Rows[size_t(r + 1)];
    auto* index = new QTableWidgetItem(QtText(row.Index));
    // The padded labels line up only in a fixed-pitch font.
    index->setFont(fixed);
    sgdBoard_->setItem(r, 0, index);
    sgdBoard_->setItem(r, 1, new QTableWidgetItem(QtText(row.Title)));
  }
  // The labels are told apart by their ends (a Nifty-Serve forum's boards differ only in
  // their last letters): the column fits the longest, and the dialog grows to keep the titles.
  const int before = sgdBoard_->columnWidth(0);
  sgdBoard_->resizeColumnToContents(0);
  const int indexWidth = std::max(kIndexWidth, sgdBoard_->columnWidth(0) + 8);
  sgdBoard_->setColumnWidth(0, indexWidth);
  if (indexWidth > before) resize(width() + indexWidth - before, height());
  sgdBoard_->setCurrentCell(logic_.SelectedBoard - 1, 0);
  filling_ = false;
  rgbSts_->setEnabled(logic_.TypeGroupEnabled);
  rgbAlign_->setEnabled(logic_.AttrGroupEnabled);
  ShowChoices();
  sgdBoard_->setFocus();
  return true;
}

void TBoardSetForm::Execute(const QString& caption, const QRect& parentRect) {
  if (!Prepare(caption)) return;
  placer_.PlaceOnce(this, parentRect);
  exec();
}

void TBoardSetForm::ShowChoices() {
  if (QAbstractButton* b = stsGroup_->button(logic_.TypeChoice)) b->setChecked(true);
  if (QAbstractButton* b = alignGroup_->button(logic_.AttrChoice)) b->setChecked(true);
}

void TBoardSetForm::BTNOKClick() {
  logic_.Accept();
  accept();
}

bool TBoardSetForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sgdBoard_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      BTNOKClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn
