#pragma once

#include <QApplication>
#include <cstdint>
#include <string>

#include "store/ArticleList.h"

namespace vorn::test {

// The application object of the reading widget tests, on the offscreen platform unless the
// environment names another.
inline QApplication& ReadingApp() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vorn-reading-test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

// One log entry of a test board: key and number are the same, times follow the keys.
inline void AddEntry(TArticleList& board, uint8_t kind, int32_t key, int32_t parentKey,
                     const std::string& title, int32_t writer = -1, uint8_t writeFlag = 0) {
  board.AddArticle(kind, writeFlag, key, key, 1000 + key, parentKey, parentKey, writer, -1, "", "",
                   title, "", writeFlag ? -1 : key, 0);
}

}  // namespace vorn::test
