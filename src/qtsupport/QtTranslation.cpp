#include "qtsupport/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorn {

QTranslator* InstallQtTranslation(QCoreApplication& app, const QLocale& locale) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(&app);
  // qtbase holds the texts of the widgets and of printing.
  if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
      translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), folder)) {
    QCoreApplication::installTranslator(translator);
    return translator;
  }
  delete translator;
  return nullptr;
}

}  // namespace vorn
