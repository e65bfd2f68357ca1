#pragma once

#include <QDialog>
#include <string>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vorn {

class TCommonIniFile;
class TLogSession;
class TReadingState;

// ファイル → アーカイブ出力: the loaded logs into a new folder as JSON Lines, mbox files or an
// HTML site. The user picks the format and the folder (typed, or chosen with 参照...), presses
// 出力, watches the progress bar (中止 stops), and reads the summary in the dialog.
class TArchiveExportDialog final : public QDialog {
  Q_OBJECT
 public:
  // reading: its Busy flag refuses closing and reloading while the export runs.
  TArchiveExportDialog(const TLogSession& session, const TCommonIniFile& settings,
                       TReadingState& reading, QWidget* parent = nullptr);

  // The summary of the last export (CP932), empty before one.
  const std::string& Summary() const { return summary_; }

 private:
  void ChooseFolder();
  void Export();
  void reject() override;

  const TLogSession& session_;
  const TCommonIniFile& settings_;
  TReadingState& reading_;
  QButtonGroup* format_;
  QLineEdit* folder_;
  QPushButton* browse_;
  QProgressBar* progress_;
  QLabel* summaryLabel_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool running_ = false;
  bool cancelled_ = false;
  std::string summary_;
};

}  // namespace vorn
