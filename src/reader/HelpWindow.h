#pragma once

#include <QDialog>

class QLabel;
class QTextBrowser;

namespace vorn {

// The help page in a window of the program, for a desktop without a launcher for documents.
// It names the page's file too, so that it can be opened in a browser by hand. Not modal:
// the user reads the help beside the window it describes.
class THelpWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the page (a local HTML file) and brings the window to the front.
  void ShowPage(const QString& path);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QLabel* where_;
  QTextBrowser* browser_;
};

// The help command's fallback and message: the page opened by the desktop when it can, in a
// window of the program otherwise; a missing page is named in a warning. Returns the help
// window when one is shown.
THelpWindow* OpenHelpPage(QWidget& parent, const QString& path);

}  // namespace vorn
