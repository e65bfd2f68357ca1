#pragma once

#include <QApplication>
#include <QImage>
#include <QString>
#include <QWidget>
#include <string>

namespace vorn::test {

// The application object of the widget tests, made once per test program on the offscreen
// platform (unless the environment names another).
inline QApplication& GuiApp() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vorn-gui-test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Saves a picture of the widget into the folder named by VORN_SCREENSHOT_DIR, when it is set,
// for looking at the dialogs as the tests leave them. True when nothing was asked or it was
// saved.
inline bool SaveScreenshot(QWidget& widget, const QString& fileName) {
  const QString folder = qEnvironmentVariable("VORN_SCREENSHOT_DIR");
  if (folder.isEmpty()) return true;
  return widget.grab().save(folder + QLatin1Char('/') + fileName);
}

}  // namespace vorn::test
