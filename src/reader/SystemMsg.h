#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "qtsupport/QtSupport.h"

class QTextEdit;

namespace vorn {

struct CommonSettings;

// How the text dialog shows its lines: the article view's current look, and the caller's place.
struct SystemMsgLook {
  QRect Parent;     // the caller's window
  QSize ViewPanel;  // the article view panel, which gives the first size
  std::string FontName;
  int FontSize = 9;
  int32_t FontColor = 0;
  uint8_t FontStyle = 0;
  int32_t BGColor = 0;
  std::string EofMarker;
  int32_t EofColor = 0;
  bool EscCut = true;
  bool FoldLines = true;
  int FoldWidth = 80;
  bool ColorRuns = true;
};

// The look of the text dialog as the article view's settings give it now.
SystemMsgLook ArticleViewLook(const CommonSettings& settings, const QRect& parent,
                              const QSize& viewPanel);

// "情報": a text dialog for the host's system messages or the list of loaded log files.
class TSystemMsgForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TSystemMsgForm(QWidget* parent = nullptr);

  // Fills the dialog (caption and CP932 lines) without showing it; the first call also gives
  // it its size and place.
  void Prepare(const QString& caption, const SystemMsgLook& look,
               const std::vector<std::string>& lines);
  void Execute(const QString& caption, const SystemMsgLook& look,
               const std::vector<std::string>& lines);

  QTextEdit* LogDisp() const { return logDisp_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The dialog sees Escape and Enter before the text box does.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTextEdit* logDisp_;
  TDialogPlacer placer_;
};

}  // namespace vorn
