#include "reader/ArchiveExportDialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "archive/ArchiveExport.h"
#include "qtsupport/QtSupport.h"
#include "readerlogic/ReadingState.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

// The bar follows the export and the dialog stays alive; 中止 answers at the next step.
class DialogProgress final : public ArchiveProgress {
 public:
  DialogProgress(QProgressBar& bar, const bool& cancelled) : bar_(bar), cancelled_(cancelled) {}
  void Start(int64_t total) override {
    total_ = total > 0 ? total : 1;
    bar_.setRange(0, 1000);
    bar_.setValue(0);
    QCoreApplication::processEvents();
  }
  bool Step(int64_t done) override {
    bar_.setValue(static_cast<int>(std::min<int64_t>(done, total_) * 1000 / total_));
    QCoreApplication::processEvents();
    return !cancelled_;
  }

 private:
  QProgressBar& bar_;
  const bool& cancelled_;
  int64_t total_ = 1;
};

}  // namespace

TArchiveExportDialog::TArchiveExportDialog(const TLogSession& session,
                                           const TCommonIniFile& settings, TReadingState& reading,
                                           QWidget* parent)
    : QDialog(parent), session_(session), settings_(settings), reading_(reading) {
  setObjectName(QStringLiteral("ArchiveExportDialog"));
  setWindowTitle(QStringLiteral("アーカイブ出力"));
  auto* layout = new QVBoxLayout(this);

  auto* formats = new QGroupBox(QStringLiteral("形式"), this);
  formats->setObjectName(QStringLiteral("RGFormat"));
  auto* formatLayout = new QVBoxLayout(formats);
  format_ = new QButtonGroup(this);
  const struct {
    ArchiveFormat format;
    const char* name;
    QString caption;
  } choices[] = {
      {ArchiveFormat::Html, "RBHtml", QStringLiteral("HTML（ブラウザで読むサイト）")},
      {ArchiveFormat::Mbox, "RBMbox", QStringLiteral("mbox（メールソフトでスレッド表示）")},
      {ArchiveFormat::Jsonl, "RBJsonl", QStringLiteral("JSON Lines（スクリプト用）")},
  };
  for (const auto& choice : choices) {
    auto* button = new QRadioButton(choice.caption, formats);
    button->setObjectName(QString::fromLatin1(choice.name));
    format_->addButton(button, static_cast<int>(choice.format));
    formatLayout->addWidget(button);
  }
  format_->button(static_cast<int>(ArchiveFormat::Html))->setChecked(true);
  layout->addWidget(formats);

  layout->addWidget(
      new QLabel(QStringLiteral("出力先フォルダ（新しいフォルダか空のフォルダ）"), this));
  auto* folderRow = new QHBoxLayout;
  folder_ = new QLineEdit(this);
  folder_->setObjectName(QStringLiteral("EDFolder"));
  folder_->setMinimumWidth(420);
  browse_ = new QPushButton(QStringLiteral("参照..."), this);
  browse_->setObjectName(QStringLiteral("BTNFolder"));
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse_);
  layout->addLayout(folderRow);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar"));
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  layout->addWidget(progress_);
  summaryLabel_ = new QLabel(this);
  summaryLabel_->setObjectName(QStringLiteral("LBSummary"));
  summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summaryLabel_->setWordWrap(true);
  // Room for the summary's four lines (and a message that takes two), so the dialog does not
  // jump when it appears.
  summaryLabel_->setMinimumHeight(summaryLabel_->fontMetrics().lineSpacing() * 6);
  summaryLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(summaryLabel_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(QStringLiteral("出力"), this);
  ok_->setObjectName(QStringLiteral("BTNOK"));
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("閉じる"), this);
  cancel_->setObjectName(QStringLiteral("BTNCancel"));
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  // A new folder beside the set's logs, named after the set.
  std::string logFolder;
  if (const TBBSProcess* process = session_.CurrentProcess; process && process->IniFile) {
    if (!process->IniFile->LogPath.empty()) logFolder = session_.SetPath(process->IniFile->LogPath);
  }
  if (logFolder.empty()) logFolder = CorePath(QDir::homePath());
  folder_->setText(
      QDir::cleanPath(QtText(SuggestArchiveFolder(logFolder, session_.CurrentPrefix))));

  connect(browse_, &QPushButton::clicked, this, [this] { ChooseFolder(); });
  connect(ok_, &QPushButton::clicked, this, [this] { Export(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void TArchiveExportDialog::ChooseFolder() {
  QFileDialog chooser(this, QStringLiteral("出力先フォルダ"), folder_->text());
  chooser.setObjectName(QStringLiteral("ArchiveFolderChooser"));
  chooser.setFileMode(QFileDialog::Directory);
  chooser.setOption(QFileDialog::ShowDirsOnly, true);
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  const std::string chosen = CorePath(chooser.selectedFiles().front());
  // A folder that already holds files gets a new folder inside it.
  const std::string suggested = SuggestArchiveFolder(chosen, session_.CurrentPrefix);
  QDir dir(QtText(chosen));
  folder_->setText(dir.isEmpty() ? QtText(chosen) : QtText(suggested));
}

void TArchiveExportDialog::Export() {
  if (running_) return;
  ArchiveRequest request;
  request.Process = session_.CurrentProcess;
  request.Log = &session_.LogList;
  request.Prefix = session_.CurrentPrefix;
  if (request.Process && request.Process->IniFile) request.SetName = request.Process->IniFile->Name;
  request.Format = static_cast<ArchiveFormat>(format_->checkedId());
  request.Folder = CorePath(folder_->text().trimmed());
  request.Options = ArchiveOptionsFrom(settings_);
  if (session_.CurrentPrefix.empty()) request.Process = nullptr;  // nothing loaded

  running_ = true;
  cancelled_ = false;
  reading_.SetBusy(true);
  for (QWidget* w : std::initializer_list<QWidget*>{ok_, browse_, folder_})
    w->setEnabled(false);
  for (QAbstractButton* b : format_->buttons())
    b->setEnabled(false);
  cancel_->setText(QStringLiteral("中止"));
  summaryLabel_->clear();
  DialogProgress progress(*progress_, cancelled_);
  request.Progress = &progress;
  setCursor(Qt::WaitCursor);
  const ArchiveResult result = ExportArchive(request);
  unsetCursor();
  summary_ = ArchiveSummary(request, result);
  QString shown = QtText(summary_);
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  summaryLabel_->setText(shown);
  summaryLabel_->setStyleSheet(
      result.Result == ArchiveResult::Done ? QString() : QStringLiteral("color: #b00000;"));
  if (result.Result == ArchiveResult::Done) progress_->setValue(progress_->maximum());
  reading_.SetBusy(false);
  running_ = false;
  for (QWidget* w : std::initializer_list<QWidget*>{ok_, browse_, folder_})
    w->setEnabled(true);
  for (QAbstractButton* b : format_->buttons())
    b->setEnabled(true);
  cancel_->setText(QStringLiteral("閉じる"));
  // Another export goes to a new folder.
  if (result.Result != ArchiveResult::Failed || result.Files > 0) {
    const QFileInfo info(folder_->text());
    folder_->setText(
        QtText(SuggestArchiveFolder(CorePath(info.absolutePath()), session_.CurrentPrefix)));
  }
}

void TArchiveExportDialog::reject() {
  if (running_) {
    cancelled_ = true;
    return;
  }
  QDialog::reject();
}

}  // namespace vorn
