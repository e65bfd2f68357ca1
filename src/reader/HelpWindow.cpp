#include "reader/HelpWindow.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"

namespace vorn {

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Vorn Explorer ヘルプ"));
  auto* layout = new QVBoxLayout(this);
  where_ = new QLabel(this);
  where_->setObjectName(QStringLiteral("HelpPagePath"));
  where_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  where_->setWordWrap(true);
  layout->addWidget(where_);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  // Links out of the page go to the desktop; those within it stay here.
  browser_->setOpenExternalLinks(true);
  layout->addWidget(browser_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(buttons);
  resize(760, 640);
}

void THelpWindow::ShowPage(const QString& path) {
  where_->setText(QStringLiteral("ヘルプページ: %1").arg(path));
  browser_->setSource(QUrl::fromLocalFile(path));
  show();
  raise();
  activateWindow();
}

THelpWindow* OpenHelpPage(QWidget& parent, const QString& path) {
  if (!QFileInfo::exists(path)) {
    Ui().Warning(CoreText(QStringLiteral("ヘルプページが見つかりません\r\n") + path));
    return nullptr;
  }
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return nullptr;
  auto* window = parent.findChild<THelpWindow*>(QStringLiteral("HelpWindow"));
  if (!window) window = new THelpWindow(&parent);
  window->ShowPage(path);
  return window;
}

}  // namespace vorn
