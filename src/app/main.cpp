#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "reader/VornExplorerMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vorn Explorer"));
  vorn::TVornExplMain window;
  window.show();
  // For looking at the window from scripts: save a picture of it and quit.
  const QString shot = qEnvironmentVariable("VORN_SCREENSHOT");
  if (!shot.isEmpty()) {
    QTimer::singleShot(1500, &window, [&window, shot] {
      window.grab().save(shot);
      QApplication::quit();
    });
  }
  return QApplication::exec();
}
