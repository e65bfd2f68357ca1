#include "dialogs/BBSSet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/AppPaths.h"
#include "platform/FileQuery.h"

namespace vorn {
namespace {

const char* const kAllFiles = "すべてのファイル (*)";

}  // namespace

TBBSSetForm::TBBSSetForm(std::unique_ptr<TBBSSetLogic> logic, const QString& caption,
                         QWidget* parent)
    : QDialog(parent), logic_(std::move(logic)) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl"));
  layout->addWidget(pages_);
  BuildBasicPage();
  BuildAnalysisPage();
  BuildAdvancedPage();

  auto* bottom = new QHBoxLayout();
  auto* save = new QPushButton(QStringLiteral("保存"), this);
  save->setObjectName(QStringLiteral("BTNBBSSave"));
  save->setToolTip(QStringLiteral("ログ解析設定をファイルに保存します"));
  auto* read = new QPushButton(QStringLiteral("読込"), this);
  read->setObjectName(QStringLiteral("BTNBBSRead"));
  read->setToolTip(QStringLiteral("ログ解析設定をファイルから読込みます"));
  connect(save, &QPushButton::clicked, this, &TBBSSetForm::BTNBBSSaveClick);
  connect(read, &QPushButton::clicked, this, &TBBSSetForm::BTNBBSReadClick);
  bottom->addWidget(save);
  bottom->addWidget(read);
  bottom->addStretch(1);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BTNOK"));
  ok->setDefault(true);
  QPushButton* cancel =
      buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("BTNCancel"));
  connect(ok, &QPushButton::clicked, this, &TBBSSetForm::BTNOKClick);
  connect(cancel, &QPushButton::clicked, this, &TBBSSetForm::BTNCancelClick);
  bottom->addWidget(buttons);
  layout->addLayout(bottom);
  resize(600, 500);
}

TBBSSetForm::~TBBSSetForm() = default;

QLineEdit* TBBSSetForm::AddEditRow(QGridLayout* grid, int row, const QString& label,
                                   const char* name) {
  auto* edit = new QLineEdit(grid->parentWidget());
  edit->setObjectName(QString::fromLatin1(name));
  auto* caption = new QLabel(label, grid->parentWidget());
  caption->setBuddy(edit);
  grid->addWidget(caption, row, 0);
  grid->addWidget(edit, row, 1);
  return edit;
}

QLineEdit* TBBSSetForm::AddFileRow(QGridLayout* grid, int row, const QString& label,
                                   const char* name, const char* buttonName,
                                   const QString& dialogTitle) {
  QLineEdit* edit = AddEditRow(grid, row, label, name);
  auto* button = new QPushButton(QStringLiteral("参照"), grid->parentWidget());
  button->setObjectName(QString::fromLatin1(buttonName));
  grid->addWidget(button, row, 2);
  if (dialogTitle.isEmpty()) {
    connect(button, &QPushButton::clicked, this, &TBBSSetForm::BTNLogPathClick);
  } else {
    connect(button, &QPushButton::clicked, this,
            [this, edit, dialogTitle] { BrowseFile(edit, dialogTitle); });
  }
  return edit;
}

void TBBSSetForm::BuildBasicPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabBasic"));
  auto* outer = new QVBoxLayout(page);
  auto* grid = new QGridLayout();
  outer->addLayout(grid);
  int row = 0;
  edPrefix_ = AddEditRow(grid, row++, QStringLiteral("プレフィックス"), "EDPrefix");
  edName_ = AddEditRow(grid, row++, QStringLiteral("BBS名称"), "EDName");
  edFilePath_ =
      AddFileRow(grid, row++, QStringLiteral("ログパス"), "EDFilePath", "BTNLogPath", QString());
  edFileMask_ = AddEditRow(grid, row++, QStringLiteral("ログファイルマスク"), "EDFileMask");
  edBoardListFile_ =
      AddFileRow(grid, row++, QStringLiteral("ボードリストファイル"), "EDBoardListFile",
                 "BTNBoardListFile", QStringLiteral("ボードリストファイル指定"));
  edMemberListFile_ =
      AddFileRow(grid, row++, QStringLiteral("メンバーリストファイル"), "EDMemberListFile",
                 "BTNMemberListFile", QStringLiteral("メンバーリストファイル指定"));
  edReadPtrFile_ =
      AddFileRow(grid, row++, QStringLiteral("リードポインタファイル"), "EDReadPtrFile",
                 "BTNReadPtrFile", QStringLiteral("リードポインタファイル指定"));
  edUpFile_ = AddFileRow(grid, row++, QStringLiteral("UPファイル"), "EDUpFile", "BTNUpFile",
                         QStringLiteral("UPファイル指定"));
  edPadFile_ = AddFileRow(grid, row++, QStringLiteral("PADファイル"), "EDPadFile", "BTNPadFile",
                          QStringLiteral("PADファイル指定"));
  edSignatureFile_ = AddFileRow(grid, row++, QStringLiteral("署名ファイル"), "EDSignatureFile",
                                "BTNSignatureFile", QStringLiteral("署名ファイル指定"));
  grid->setColumnStretch(1, 1);
  basicFamily_ = new QVBoxLayout();
  outer->addLayout(basicFamily_);
  outer->addStretch(1);
  pages_->addTab(page, QStringLiteral("基本設定"));
}

void TBBSSetForm::BuildAnalysisPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabNetData"));
  auto* layout = new QVBoxLayout(page);
  sgdNetData_ = new QTableWidget(0, 2, page);
  sgdNetData_->setObjectName(QStringLiteral("SGDNetData"));
  sgdNetData_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
  sgdNetData_->verticalHeader()->hide();
  sgdNetData_->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgdNetData_->setSelectionMode(QAbstractItemView::SingleSelection);
  sgdNetData_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgdNetData_->setWordWrap(false);
  sgdNetData_->horizontalHeader()->setStretchLastSection(false);
  sgdNetData_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  sgdNetData_->verticalHeader()->setDefaultSectionSize(sgdNetData_->fontMetrics().height() + 6);
  layout->addWidget(sgdNetData_, 1);
  edValue_ = new QPlainTextEdit(page);
  edValue_->setObjectName(QStringLiteral("EDValue"));
  edValue_->setMaximumHeight(80);
  layout->addWidget(edValue_);
  auto* row = new QHBoxLayout();
  cbDefault_ = new QCheckBox(QStringLiteral("デフォルト設定"), page);
  cbDefault_->setObjectName(QStringLiteral("CBDefault"));
  btnValueSet_ = new QPushButton(QStringLiteral("設定"), page);
  btnValueSet_->setObjectName(QStringLiteral("BTNValueSet"));
  row->addWidget(cbDefault_);
  row->addStretch(1);
  row->addWidget(btnValueSet_);
  layout->addLayout(row);
  pages_->addTab(page, QStringLiteral("ログ解析設定"));

  connect(sgdNetData_, &QTableWidget::currentCellChanged, this, [this](int current, int, int, int) {
    if (updating_) return;
    logic_->SelectRow(current);
    ShowValueRow();
  });
  connect(cbDefault_, &QCheckBox::clicked, this, [this](bool checked) {
    logic_->SetDefaultChecked(checked);
    ShowValueRow();
  });
  connect(edValue_, &QPlainTextEdit::textChanged, this, [this] {
    if (updating_) return;
    logic_->EditMemo(CoreText(edValue_->toPlainText()));
    btnValueSet_->setEnabled(logic_->SetEnabled);
  });
  connect(btnValueSet_, &QPushButton::clicked, this, [this] {
    logic_->SetValue();
    if (logic_->Row >= 0) {
      sgdNetData_->item(logic_->Row, 1)->setText(QtText(logic_->Values[size_t(logic_->Row)]));
    }
    ShowValueRow();
  });
}

void TBBSSetForm::BuildAdvancedPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabAdvanced"));
  advanced_ = new QVBoxLayout(page);

  auto* up = new QGroupBox(QStringLiteral("UPファイル"), page);
  up->setObjectName(QStringLiteral("GBUpFile"));
  auto* upLayout = new QGridLayout(up);
  cbUpFileAddDate_ = new QCheckBox(QStringLiteral("日付を付けたコピーを作成する"), up);
  cbUpFileAddDate_->setObjectName(QStringLiteral("CBUpFileAddDate"));
  edUpFileAddDateStr_ = new QLineEdit(up);
  edUpFileAddDateStr_->setObjectName(QStringLiteral("EDUpFileAddDateStr"));
  upLayout->addWidget(cbUpFileAddDate_, 0, 0, 1, 2);
  upLayout->addWidget(new QLabel(QStringLiteral("日付書式"), up), 1, 0);
  upLayout->addWidget(edUpFileAddDateStr_, 1, 1);
  upFileGroup_ = up;
  advanced_->addWidget(up);

  auto* pad = new QGroupBox(QStringLiteral("PADファイル"), page);
  pad->setObjectName(QStringLiteral("GBPadFile"));
  padGroup_ = new QVBoxLayout(pad);
  auto* padGrid = new QGridLayout();
  cbPadFileAddDate_ = new QCheckBox(QStringLiteral("日付を付けたコピーを作成する"), pad);
  cbPadFileAddDate_->setObjectName(QStringLiteral("CBPadFileAddDate"));
  edPadFileAddDateStr_ = new QLineEdit(pad);
  edPadFileAddDateStr_->setObjectName(QStringLiteral("EDPadFileAddDateStr"));
  padGrid->addWidget(cbPadFileAddDate_, 0, 0, 1, 2);
  padGrid->addWidget(new QLabel(QStringLiteral("日付書式"), pad), 1, 0);
  padGrid->addWidget(edPadFileAddDateStr_, 1, 1);
  padGroup_->addLayout(padGrid);
  advanced_->addWidget(pad);
  pages_->addTab(page, QStringLiteral("高度設定"));
}

void TBBSSetForm::HideUpFile() {
  for (const char* name : {"EDUpFile", "BTNUpFile"}) {
    if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) w->hide();
  }
  for (QLabel* label : findChildren<QLabel*>()) {
    if (label->buddy() == edUpFile_) label->hide();
  }
  upFileGroup_->hide();
}

bool TBBSSetForm::Prepare(const Request& request) {
  logic_->CommonIniFile = request.CommonIniFile;
  logic_->BBSList = request.BBSList;
  logic_->BBSIniFile = request.BBSIniFile;
  logic_->Skbn = request.Skbn;
  logic_->ReadPrefix = request.ReadPrefix;
  logic_->WritePrefix = request.WritePrefix;
  if (!logic_->Show()) return false;
  pages_->setCurrentIndex(0);
  ShowGrid();
  ShowFields();
  return true;
}

void TBBSSetForm::Execute(const Request& request, const QRect& parentRect) {
  if (!Prepare(request)) return;
  placer_.PlaceOnce(this, parentRect);
  exec();
}

void TBBSSetForm::ShowGrid() {
  updating_ = true;
  const int rows = static_cast<int>(logic_->ItemNames.size());
  sgdNetData_->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    sgdNetData_->setItem(r, 0, new QTableWidgetItem(QtText(logic_->ItemNames[size_t(r)])));
    sgdNetData_->setItem(r, 1, new QTableWidgetItem(QtText(logic_->Values[size_t(r)])));
  }
  // The name column takes a third; the value column reaches past the screen's right edge so
  // that long patterns are read by scrolling, not cut.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int screenWidth = screen ? screen->geometry().width() : 1024;
  // The grid is as wide as the page, which the dialog's width gives before it is first shown.
  const int gridWidth = isVisible() ? sgdNetData_->viewport()->width() : width() - 48;
  sgdNetData_->setColumnWidth(0, std::max(80, gridWidth / 3));
  sgdNetData_->setColumnWidth(1, screenWidth + 10);
  sgdNetData_->setCurrentCell(logic_->Row < 0 ? 0 : logic_->Row, 0);
  updating_ = false;
  ShowValueRow();
}

void TBBSSetForm::ShowValueRow() {
  updating_ = true;
  edValue_->setPlainText(QtText(logic_->Memo));
  edValue_->setEnabled(logic_->MemoEnabled);
  cbDefault_->setChecked(logic_->DefaultChecked);
  cbDefault_->setEnabled(logic_->Row >= 0);
  btnValueSet_->setEnabled(logic_->SetEnabled);
  updating_ = false;
}

void TBBSSetForm::ShowFields() {
  const BBSSetFields& f = logic_->Fields;
  edPrefix_->setText(QtText(f.Prefix));
  edName_->setText(QtText(f.Name));
  edFilePath_->setText(QtPath(f.FilePath));
  edFileMask_->setText(QtText(f.FileMask));
  edBoardListFile_->setText(QtPath(f.BoardListFile));
  edMemberListFile_->setText(QtPath(f.MemberListFile));
  edReadPtrFile_->setText(QtPath(f.ReadPtrFile));
  edUpFile_->setText(QtPath(f.UpFile));
  edPadFile_->setText(QtPath(f.PadFile));
  edSignatureFile_->setText(QtPath(f.SignatureFile));
  cbUpFileAddDate_->setChecked(f.UpFileAddDate);
  edUpFileAddDateStr_->setText(QtText(f.UpFileAddDateStr));
  cbPadFileAddDate_->setChecked(f.PadFileAddDate);
  edPadFileAddDateStr_->setText(QtText(f.PadFileAddDateStr));
  ShowFamilyFields();
}

void TBBSSetForm::ReadFields() {
  BBSSetFields& f = logic_->Fields;
  f.Prefix = CoreText(edPrefix_->text());
  f.Name = CoreText(edName_->text());
  f.FilePath = CorePath(edFilePath_->text());
  f.FileMask = CoreText(edFileMask_->text());
  f.BoardListFile = CorePath(edBoardListFile_->text());
  f.MemberListFile = CorePath(edMemberListFile_->text());
  f.ReadPtrFile = CorePath(edReadPtrFile_->text());
  f.UpFile = CorePath(edUpFile_->text());
  f.PadFile = CorePath(edPadFile_->text());
  f.SignatureFile = CorePath(edSignatureFile_->text());
  f.UpFileAddDate = cbUpFileAddDate_->isChecked();
  f.UpFileAddDateStr = CoreText(edUpFileAddDateStr_->text());
  f.PadFileAddDate = cbPadFileAddDate_->isChecked();
  f.PadFileAddDateStr = CoreText(edPadFileAddDateStr_->text());
  ReadFamilyFields();
}

void TBBSSetForm::BrowseFile(QLineEdit* edit, const QString& title) {
  const QFileInfo current(edit->text());
  QFileDialog dialog(this, title);
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QString::fromUtf8(kAllFiles));
  if (!edit->text().isEmpty()) {
    dialog.setDirectory(current.absolutePath());
    dialog.selectFile(current.fileName());
  }
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    edit->setText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
  }
}

void TBBSSetForm::BTNLogPathClick() {
  const QString current = edFilePath_->text();
  const QString start = !current.isEmpty() && QFileInfo(current).isDir()
                            ? current
                            : QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  const QString folder =
      QFileDialog::getExistingDirectory(this, QStringLiteral("ログパス指定"), start);
  if (folder.isEmpty()) return;
  edFilePath_->setText(QtPath(IncludeTrailingSeparator(CorePath(folder))));
}

void TBBSSetForm::BTNBBSSaveClick() {
  ReadFields();
  if (!logic_->CanSaveAnalysis()) return;
  QFileDialog dialog(this, QStringLiteral("保存BBS設定ファイル指定"));
  dialog.setObjectName(QStringLiteral("SaveDialog1"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters({QStringLiteral("iniファイル (*.ini)"), QString::fromUtf8(kAllFiles)});
  dialog.setDefaultSuffix(QStringLiteral("ini"));
  dialog.setDirectory(QtPath(logic_->SettingsFolder()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  logic_->SaveAnalysisTo(CorePath(dialog.selectedFiles().first()));
}

void TBBSSetForm::BTNBBSReadClick() {
  ReadFields();
  QFileDialog dialog(this, QStringLiteral("読込BBS設定ファイル指定"));
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("iniファイル (*.ini)"), QString::fromUtf8(kAllFiles)});
  dialog.setDirectory(QtPath(logic_->SettingsFolder()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  if (logic_->LoadAnalysisFrom(CorePath(dialog.selectedFiles().first()))) {
    ShowGrid();
    ShowFields();
  }
}

void TBBSSetForm::BTNOKClick() {
  ReadFields();
  if (logic_->Ok()) accept();
}

void TBBSSetForm::BTNCancelClick() {
  logic_->Cancel();
  reject();
}

// NetVorn.

TNetVornSetForm::TNetVornSetForm(QWidget* parent)
    : TBBSSetForm(std::make_unique<TNetVornSetLogic>(), QStringLiteral("NetVorn - BBS設定"),
                  parent) {
  setObjectName(QStringLiteral("NetVornSetForm"));
  cbSerialHeader_ = new QCheckBox(QStringLiteral("シリアルヘッダを使用する"), this);
  cbSerialHeader_->setObjectName(QStringLiteral("CBSerialHeader"));
  BasicFamilyArea()->addWidget(cbSerialHeader_);

  cbPadFileBatchDown_ =
      new QCheckBox(QStringLiteral("バッチセット時にバッチダウンコマンドを発行する"), this);
  cbPadFileBatchDown_->setObjectName(QStringLiteral("CBPadFileBatchDown"));
  padGroup_->addWidget(cbPadFileBatchDown_);

  auto* host = new QGroupBox(QStringLiteral("ホストシステム"), this);
  auto* hostLayout = new QVBoxLayout(host);
  cbHeaderDisp_ = new QCheckBox(QStringLiteral("ヘッダ行を表示する"), host);
  cbHeaderDisp_->setObjectName(QStringLiteral("CBHeaderDisp"));
  cbMente_ = new QCheckBox(QStringLiteral("記事メンテナンス対応"), host);
  cbMente_->setObjectName(QStringLiteral("CBMente"));
  cbHostPatch_ = new QCheckBox(QStringLiteral("Vorn互換ホストシステム独自の問題に対応"), host);
  cbHostPatch_->setObjectName(QStringLiteral("CBHostPatch"));
  opKTC_ = new QRadioButton(QStringLiteral("KTC-BBS"), host);
  opKTC_->setObjectName(QStringLiteral("OPKTC"));
  opMPN_ = new QRadioButton(QStringLiteral("MPN-BBS"), host);
  opMPN_->setObjectName(QStringLiteral("OPMPN"));
  hostLayout->addWidget(cbHeaderDisp_);
  hostLayout->addWidget(cbMente_);
  hostLayout->addWidget(cbHostPatch_);
  auto* variants = new QHBoxLayout();
  variants->addSpacing(20);
  variants->addWidget(opKTC_);
  variants->addWidget(opMPN_);
  variants->addStretch(1);
  hostLayout->addLayout(variants);
  AdvancedArea()->addWidget(host);
  AdvancedArea()->addStretch(1);
  connect(cbHostPatch_, &QCheckBox::clicked, this, &TNetVornSetForm::CBHostPatchClick);
}

TNetVornSetLogic& TNetVornSetForm::Family() {
  return static_cast<TNetVornSetLogic&>(Logic());
}

void TNetVornSetForm::ShowFamilyFields() {
  const TNetVornSetLogic& f = Family();
  cbSerialHeader_->setChecked(f.SerialHeader);
  cbHeaderDisp_->setChecked(f.HeaderDisp);
  cbMente_->setChecked(f.Mente);
  cbHostPatch_->setChecked(f.HostPatch);
  cbPadFileBatchDown_->setChecked(f.PadFileBatchDown);
  // Both variant buttons may be off, which exclusive buttons cannot show.
  opKTC_->setAutoExclusive(false);
  opMPN_->setAutoExclusive(false);
  opKTC_->setChecked(f.KTC);
  opMPN_->setChecked(f.MPN);
  opKTC_->setAutoExclusive(true);
  opMPN_->setAutoExclusive(true);
  opKTC_->setEnabled(f.VariantsEnabled);
  opMPN_->setEnabled(f.VariantsEnabled);
}

void TNetVornSetForm::ReadFamilyFields() {
  TNetVornSetLogic& f = Family();
  f.SerialHeader = cbSerialHeader_->isChecked();
  f.HeaderDisp = cbHeaderDisp_->isChecked();
  f.Mente = cbMente_->isChecked();
  f.PadFileBatchDown = cbPadFileBatchDown_->isChecked();
  f.SetHostPatch(cbHostPatch_->isChecked());
  f.KTC = f.HostPatch && opKTC_->isChecked();
  f.MPN = f.HostPatch && opMPN_->isChecked();
}

void TNetVornSetForm::CBHostPatchClick() {
  ReadFamilyFields();
  ShowFamilyFields();
}

// Nifty-Serve.

TNiftySetForm::TNiftySetForm(QWidget* parent)
    : TBBSSetForm(std::make_unique<TNiftySetLogic>(), QStringLiteral("NiftyServe - BBS設定"),
                  parent) {
  setObjectName(QStringLiteral("NiftySetForm"));
  cbMemberAutoAdd_ =
      new QCheckBox(QStringLiteral("記事からメンバーリストへの自動追加を行う"), this);
  cbMemberAutoAdd_->setObjectName(QStringLiteral("CBMemberAutoAdd"));
  BasicFamilyArea()->addWidget(cbMemberAutoAdd_);
  AdvancedArea()->addStretch(1);
  HideUpFile();
}

TNiftySetLogic& TNiftySetForm::Family() {
  return static_cast<TNiftySetLogic&>(Logic());
}

void TNiftySetForm::ShowFamilyFields() {
  cbMemberAutoAdd_->setChecked(Family().MemberAutoAdd);
}

void TNiftySetForm::ReadFamilyFields() {
  Family().MemberAutoAdd = cbMemberAutoAdd_->isChecked();
}

}  // namespace vorn
