#include "qtsupport/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorn {

QTranslator* InstallQtTranslation(QCoreApplication& app, const QLocale& locale) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(&app);
  // qtbase holds the texts of the widgets and of printing. Qt's own texts are English, so an
  // English locale has nothing to translate (its file carries plural rules only): the
  // dialogs would stay English inside a Japanese program.
  const bool english = locale.language() == QLocale::English || locale.language() == QLocale::C;
  if ((!english &&
       translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) ||
      translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), folder)) {
    QCoreApplication::installTranslator(translator);
    return translator;
  }
  delete translator;
  return nullptr;
}

}  // namespace vorn
