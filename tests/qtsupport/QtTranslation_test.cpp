// Qt's own dialogs under a locale that has no translation (LANG=C), as the program's start
// installs the translation. A program of its own: the locale is read once per process, and the
// environment is set before anything reads it.
#include "qtsupport/QtTranslation.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <cstdlib>

#include "support/GuiTestSupport.h"

namespace vorn {
namespace {

// Before main: the user's environment names no language of its own.
const bool kPlainLocale = [] {
  setenv("LANG", "C", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANGUAGE");
  return true;
}();

// The Cancel button of a standard dialog's button box.
QString CancelText(QDialog& dialog) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  if (!box) return QStringLiteral("(no button box)");
  QPushButton* cancel = box->button(QDialogButtonBox::Cancel);
  return cancel ? cancel->text() : QStringLiteral("(no Cancel)");
}

class QtTranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kPlainLocale);
    test::GuiApp();
  }
  void TearDown() override {
    if (installed) QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  QTranslator* installed = nullptr;
};

TEST_F(QtTranslationTest, UnderLangCTheStandardDialogsSpeakJapanese) {
  ASSERT_EQ(QLocale::system().name(), QStringLiteral("C"));
  installed = InstallQtTranslation(*QCoreApplication::instance());
  ASSERT_NE(installed, nullptr) << "no Qt translation in the system's folder "
                                   "(Debian package qt6-translations-l10n)";
  EXPECT_EQ(QFileInfo(installed->filePath()).fileName(), QStringLiteral("qtbase_ja.qm"));

  const QString cancel = QStringLiteral("キャンセル");
  QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), QStringLiteral("?"),
                  QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), cancel);
  QFileDialog files(nullptr, QStringLiteral("ログファイル指定"));
  files.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(CancelText(files), cancel);
  QColorDialog colour;
  colour.setOption(QColorDialog::DontUseNativeDialog);
  EXPECT_EQ(CancelText(colour), cancel);
  QFontDialog font;
  font.setOption(QFontDialog::DontUseNativeDialog);
  EXPECT_EQ(CancelText(font), cancel);
  test::SaveScreenshot(files, QStringLiteral("file-dialog-lang-c.png"));
  test::SaveScreenshot(colour, QStringLiteral("colour-dialog-lang-c.png"));
  test::SaveScreenshot(font, QStringLiteral("font-dialog-lang-c.png"));
}

TEST_F(QtTranslationTest, AnEnglishLocaleGetsJapaneseToo) {
  installed = InstallQtTranslation(*QCoreApplication::instance(),
                                   QLocale(QLocale::English, QLocale::UnitedStates));
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(QFileInfo(installed->filePath()).fileName(), QStringLiteral("qtbase_ja.qm"));
}

TEST_F(QtTranslationTest, ALocaleWithATranslationOfItsOwnGetsIt) {
  installed = InstallQtTranslation(*QCoreApplication::instance(), QLocale(QLocale::German));
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(QFileInfo(installed->filePath()).fileName(), QStringLiteral("qtbase_de.qm"));
  QMessageBox box(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                  QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
}

}  // namespace
}  // namespace vorn
