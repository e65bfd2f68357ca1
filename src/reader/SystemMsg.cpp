#include "reader/SystemMsg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "qtsupport/DisplayMapping.h"
#include "settings/CommonIniFile.h"
#include "text/ShiftJisText.h"

namespace vorn {

SystemMsgLook ArticleViewLook(const CommonSettings& c, const QRect& parent,
                              const QSize& viewPanel) {
  SystemMsgLook look;
  look.Parent = parent;
  look.ViewPanel = viewPanel;
  look.FontName = c.ArticleEditFontName;
  look.FontSize = c.ArticleEditFontSize;
  look.FontColor = c.ArticleEditFontColor;
  look.FontStyle = c.ArticleEditFontStyle;
  look.BGColor = c.ArticleEditBGColor;
  look.EofMarker = "[EOF]";
  look.EofColor = c.ArticleEditEOFColor;
  look.EscCut = c.ArticleEditESCCut;
  look.FoldLines = c.ArticleEditReturn;
  look.FoldWidth = 80;
  look.ColorRuns = c.ArticleEditColor;
  return look;
}

TSystemMsgForm::TSystemMsgForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SystemMsgForm"));
  setWindowTitle(QStringLiteral("情報"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  logDisp_ = new QTextEdit(this);
  logDisp_->setObjectName(QStringLiteral("LogDisp"));
  logDisp_->setReadOnly(true);
  logDisp_->setLineWrapMode(QTextEdit::NoWrap);
  logDisp_->installEventFilter(this);
  layout->addWidget(logDisp_, 1);
  auto* row = new QHBoxLayout();
  row->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK(&O)"), this);
  ok->setObjectName(QStringLiteral("BTNOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  row->addWidget(ok);
  row->addStretch(1);
  layout->addLayout(row);
}

void TSystemMsgForm::Prepare(const QString& caption, const SystemMsgLook& look,
                             const std::vector<std::string>& lines) {
  setWindowTitle(caption);
  if (!placer_.Placed()) {
    resize(look.ViewPanel.width() + 8, look.ViewPanel.height() + 60);
    placer_.PlaceOnce(this, look.Parent);
  }
  logDisp_->clear();
  logDisp_->setFont(QtFont(look.FontName, look.FontSize, look.FontStyle));
  QPalette palette = logDisp_->palette();
  palette.setColor(QPalette::Base, QtColor(look.BGColor));
  palette.setColor(QPalette::Text, QtColor(look.FontColor));
  logDisp_->setPalette(palette);

  QString text;
  for (const std::string& line : lines) {
    // Lines the analyser sets aside keep the CR that ended them in the capture.
    std::string_view bare = line;
    while (!bare.empty() && (bare.back() == '\r' || bare.back() == '\n'))
      bare.remove_suffix(1);
    std::string shown = look.EscCut ? StripEscapeSequences(bare) : std::string(bare);
    shown = ExpandTabs(shown, 8);
    if (look.FoldLines && look.FoldWidth > 0) shown = WrapText(shown, look.FoldWidth);
    text += QtMessageText(shown);
    text += QLatin1Char('\n');
  }
  QTextCursor cursor(logDisp_->document());
  QTextCharFormat plain;
  plain.setForeground(QtColor(look.FontColor));
  cursor.insertText(text, plain);
  if (!look.EofMarker.empty()) {
    QTextCharFormat marker = plain;
    if (look.ColorRuns) marker.setForeground(QtColor(look.EofColor));
    cursor.insertText(QtText(look.EofMarker), marker);
  }
  logDisp_->moveCursor(QTextCursor::Start);
}

void TSystemMsgForm::Execute(const QString& caption, const SystemMsgLook& look,
                             const std::vector<std::string>& lines) {
  Prepare(caption, look, lines);
  exec();
}

void TSystemMsgForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

bool TSystemMsgForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == logDisp_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
      accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn
