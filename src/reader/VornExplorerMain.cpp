#include "reader/VornExplorerMain.h"

namespace vorn {

TVornExplMain::TVornExplMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("VornExplMain"));
  setWindowTitle(QStringLiteral("Vorn Explorer"));
  resize(800, 600);
}

}  // namespace vorn
