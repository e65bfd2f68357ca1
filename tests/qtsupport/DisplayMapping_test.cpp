#include "qtsupport/DisplayMapping.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

#include "settings/IniFilePlus.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

TEST(DisplayMapping, ClassicJapaneseFontsBecomeAnInstalledFixedPitchFont) {
  test::GuiApp();
  // Which face stands in for which kind.
  EXPECT_EQ(FontFamilyCandidates(QStringLiteral("ＭＳ ゴシック")).value(1),
            QStringLiteral("IPAGothic"));
  EXPECT_EQ(FontFamilyCandidates(QStringLiteral("MS PGothic")).value(1),
            QStringLiteral("IPAPGothic"));
  EXPECT_EQ(FontFamilyCandidates(QStringLiteral("ＭＳ Ｐ明朝")).value(1),
            QStringLiteral("IPAPMincho"));
  EXPECT_EQ(FontFamilyCandidates(QStringLiteral("ＭＳ 明朝")).value(1),
            QStringLiteral("IPAMincho"));
  EXPECT_EQ(FontFamilyCandidates(QString()).value(0), QStringLiteral("IPAGothic"));
  // IPA Gothic is a dependency of the program, so the default look uses it.
  ASSERT_TRUE(QFontDatabase::hasFamily(QStringLiteral("IPAGothic")));
  EXPECT_EQ(MapFontFamily(QStringLiteral("ＭＳ ゴシック")), QStringLiteral("IPAGothic"));
  EXPECT_EQ(MapFontFamily(QStringLiteral("Osaka－等幅")), QStringLiteral("IPAGothic"));
  EXPECT_EQ(MapFontFamily(QStringLiteral("IPAPGothic")), QStringLiteral("IPAPGothic"));
  const QFont font = QtFont(J("ＭＳ ゴシック"), 12, fsBold | fsUnderline);
  EXPECT_EQ(font.family(), QStringLiteral("IPAGothic"));
  EXPECT_EQ(font.pointSize(), 12);
  EXPECT_TRUE(font.bold());
  EXPECT_FALSE(font.italic());
  EXPECT_TRUE(font.underline());
  EXPECT_EQ(QtFont("x", 0, 0).pointSize(), 9);
}

TEST(DisplayMapping, ColoursOfTheSettings) {
  test::GuiApp();
  EXPECT_EQ(QtColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(QtColor(clNavy), QColor(0, 0, 128));
  EXPECT_EQ(QtColor(0x00336699), QColor(0x99, 0x66, 0x33));
  const QPalette palette = QApplication::palette();
  EXPECT_EQ(QtColor(clWindow), palette.color(QPalette::Active, QPalette::Base));
  EXPECT_EQ(QtColor(clBtnFace), palette.color(QPalette::Active, QPalette::Button));
  EXPECT_EQ(QtColor(clHighlightText), palette.color(QPalette::Active, QPalette::HighlightedText));
  EXPECT_EQ(QtColor(clInfoBk), palette.color(QPalette::Active, QPalette::ToolTipBase));
  EXPECT_TRUE(QtColor(SystemColor(99)).isValid());
}

}  // namespace
}  // namespace vorn
