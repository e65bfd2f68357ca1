#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace vorn {

// Qt's own texts (the buttons of message boxes, the file, colour, font and print dialogs) in
// the language of the locale, from the system's Qt translation folder, or in Japanese where
// that language has no translation there (English, C and POSIX among them): the program's own
// texts are Japanese, so every window then speaks one language. Returns the
// translator installed (owned by app; its filePath() names the file), or null when none could
// be loaded (the dialogs then stay in Qt's English).
QTranslator* InstallQtTranslation(QCoreApplication& app, const QLocale& locale = QLocale::system());

}  // namespace vorn
