#include <QApplication>

#include "reader/VornExplorerMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vorn Explorer"));
  vorn::TVornExplMain window;
  window.show();
  return QApplication::exec();
}
