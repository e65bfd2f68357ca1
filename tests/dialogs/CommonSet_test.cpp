// The common settings dialog's widget: every control shows its key and hands back what the
// user changed; font, colour and file buttons through scripted pickers. Pictures of every page
// are saved when VORN_SCREENSHOT_DIR is set.
#include "dialogs/CommonSet.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <deque>

#include "qtsupport/DisplayMapping.h"
#include "settings/CommonIniFile.h"
#include "support/DialogTestSupport.h"
#include "support/GuiTestSupport.h"

namespace vorn {
namespace {

using test::AddSet;
using test::Families;
using test::J;

class ScriptedPickers final : public TCommonSetPickers {
 public:
  std::optional<FontChoice> ChooseFont(const FontSample& start, bool fixedPitchOnly) override {
    fontStarts.push_back(start);
    fixedPitch.push_back(fixedPitchOnly);
    return Next(fonts);
  }
  std::optional<TColor> ChooseColor(TColor start) override {
    colorStarts.push_back(start);
    return Next(colors);
  }
  std::optional<std::string> ChooseFile(const std::string& title, const std::string& current,
                                        bool executables) override {
    fileRequests.push_back({title, current, executables});
    return Next(files);
  }

  struct FileRequest {
    std::string title, current;
    bool executables;
  };
  std::deque<std::optional<FontChoice>> fonts;
  std::deque<std::optional<TColor>> colors;
  std::deque<std::optional<std::string>> files;
  std::vector<FontSample> fontStarts;
  std::vector<bool> fixedPitch;
  std::vector<TColor> colorStarts;
  std::vector<FileRequest> fileRequests;

 private:
  template <class T>
  static std::optional<T> Next(std::deque<std::optional<T>>& script) {
    if (script.empty()) return std::nullopt;
    std::optional<T> answer = script.front();
    script.pop_front();
    return answer;
  }
};

template <class T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// The edit boxes and their keys.
const std::pair<const char*, std::string CommonSettings::*> kEdits[] = {
    {"EDEditer", &CommonSettings::Editer},
    {"EDLogExtention", &CommonSettings::LogExtention},
    {"EDTempFile", &CommonSettings::TempFile},
    {"EDBouteChr", &CommonSettings::ArticleBouteChr},
    {"EDDefaultTitle", &CommonSettings::DefaultTitle},
    {"EDRessTitle", &CommonSettings::RessTitle},
    {"EDJumpRessTitleSrc", &CommonSettings::JumpRessTitleSrc},
    {"EDJumpRessTitleDist", &CommonSettings::JumpRessTitleDist},
    {"EDArticleEditBouteChr", &CommonSettings::ArticleEditBouteChr},
    {"EDArticleEditBigFontPrefix", &CommonSettings::ArticleEditBigFontPrefix},
    {"EDArticleEditURLChr", &CommonSettings::ArticleEditURLChr},
    {"EDInetMailer", &CommonSettings::Mailer},
    {"EDInetWWW", &CommonSettings::WWW},
};

// The check boxes and their keys.
const std::pair<const char*, bool CommonSettings::*> kChecks[] = {
    {"CBEditerEndActivate", &CommonSettings::EditerEndActivate},
    {"CBLogOpenNewMode", &CommonSettings::NewModeFlag},
    {"CBFotterAddBefore", &CommonSettings::FotterAddBefore},
    {"CBBouteBlankCut", &CommonSettings::BouteBlankCut},
    {"CBJumpRessWriteSrc", &CommonSettings::JumpRessWriteSrc},
    {"CBArticleGridColor", &CommonSettings::ArticleGridColor},
    {"CBArticleEditESCCut", &CommonSettings::ArticleEditESCCut},
    {"CBArticleEditWordWrap", &CommonSettings::ArticleEditWordWrap},
    {"CBArticleEditReturn", &CommonSettings::ArticleEditReturn},
    {"CBArticleEditColor", &CommonSettings::ArticleEditColor},
    {"CBArticleEditURL", &CommonSettings::ArticleEditURL},
    {"CBInetURLClick", &CommonSettings::URLClick},
    {"CBInetMailer", &CommonSettings::MailerSet},
    {"CBInetWWW", &CommonSettings::WWWSet},
    {"CBKeyNoReadDialog", &CommonSettings::NoReadDialog},
    {"CBKEYRootWriteJump", &CommonSettings::RoorWriteJump},
    {"CBKeyNoSearchDialog", &CommonSettings::NoSearchDialog},
    {"CBEndCheck", &CommonSettings::EndCheck},
    {"CBKeyLogOpenOnly", &CommonSettings::LogOpenOnly},
};

class CommonSetForm : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    ASSERT_TRUE(AddSet(*f.netVorn, "NET", J("ネット")));
    ASSERT_TRUE(AddSet(*f.nifty, "NIF", J("ニフティ")));
    auto scripted = std::make_unique<ScriptedPickers>();
    pickers = scripted.get();
    form = std::make_unique<TCommonSetForm>(nullptr, std::move(scripted));
  }

  Families f;
  ScriptedPickers* pickers = nullptr;
  std::unique_ptr<TCommonSetForm> form;
};

TEST_F(CommonSetForm, EveryControlShowsItsKey) {
  CommonSettings c;
  c.Editer = J("/opt/エディタ");
  c.ArticleBouteChr = J("＞");
  c.DefaultPrefix = "NIF";
  c.BoardListDropCount = 40;
  c.ArticleGridTreeLineType = 1;
  c.VScrollSize = 0;
  c.NoReadType = false;
  c.NoReadTypeNew = false;
  c.ArticleEditBigFontSet = true;
  c.ArticleGridRowHeightPlus = 7;
  c.ArticleEditBigFontSize = 1.75;
  c.MailerSet = false;
  ASSERT_TRUE(form->Prepare(&c, f.list));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("共通設定"));
  EXPECT_EQ(form->Pages()->currentIndex(), 0);
  const QString pages[] = {QStringLiteral("共通"),       QStringLiteral("記事"),
                           QStringLiteral("ボード一覧"), QStringLiteral("記事一覧"),
                           QStringLiteral("記事表示"),   QStringLiteral("Internet"),
                           QStringLiteral("キー")};
  ASSERT_EQ(form->Pages()->count(), 7);
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(form->Pages()->tabText(i), pages[i]);
  for (const auto& [name, key] : kEdits)
    EXPECT_EQ(Child<QLineEdit>(*form, name)->text(), QtText(c.*key)) << name;
  for (const auto& [name, key] : kChecks)
    EXPECT_EQ(Child<QCheckBox>(*form, name)->isChecked(), c.*key) << name;
  EXPECT_TRUE(Child<QCheckBox>(*form, "CBNoPrefix")->isChecked());
  EXPECT_EQ(Child<QComboBox>(*form, "CLNoPrefixBBS")->currentText(), QStringLiteral("ニフティ"));
  EXPECT_EQ(Child<QComboBox>(*form, "CBBoardListDropCount")->currentText(), QStringLiteral("40"));
  EXPECT_EQ(Child<QComboBox>(*form, "CBArticleGridTreeType")->currentText(),
            QStringLiteral("半角文字で描画"));
  EXPECT_EQ(Child<QComboBox>(*form, "CBKeyScroll")->currentText(), QStringLiteral("30%スクロール"));
  EXPECT_TRUE(Child<QRadioButton>(*form, "OPKeyGoScroll2")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(*form, "OPArticleEditBigFontSet")->isChecked());
  EXPECT_EQ(Child<QLineEdit>(*form, "EDArticleGridRowPlus")->text(), QStringLiteral("7"));
  EXPECT_EQ(Child<QLineEdit>(*form, "EDArticleEditBigFontSize")->text(),
            QStringLiteral("1.750000"));
  // What the switches enable.
  EXPECT_FALSE(Child<QLineEdit>(*form, "EDArticleEditBigFontSize")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(*form, "BTNArticleEditFontBig")->isEnabled());
  EXPECT_FALSE(Child<QLineEdit>(*form, "EDInetMailer")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(*form, "BTNInetMailer")->isEnabled());
  // The samples wear the settings' fonts and colours; the URL sample is underlined.
  QLabel* url = Child<QLabel>(*form, "LBArticleEditURL");
  EXPECT_TRUE(url->font().underline());
  EXPECT_EQ(url->palette().color(QPalette::WindowText), QtColor(c.ArticleEditURLColor));
  QLabel* noRead = Child<QLabel>(*form, "LBArticleGridNoRead");
  EXPECT_EQ(noRead->palette().color(QPalette::WindowText), QtColor(c.ArticleGridColorNoRead));
  EXPECT_EQ(noRead->palette().color(QPalette::Window), QtColor(c.ArticleGridBGColor));

  form->show();
  for (int i = 0; i < form->Pages()->count(); ++i) {
    form->Pages()->setCurrentIndex(i);
    EXPECT_TRUE(test::SaveScreenshot(*form, QStringLiteral("commonset-%1.png").arg(i)));
  }
  form->hide();
}

TEST_F(CommonSetForm, EveryControlWritesItsKeyOnOk) {
  CommonSettings c;
  c.JumpRessWriteSrc = true;
  ASSERT_TRUE(form->Prepare(&c, f.list));
  int n = 0;
  for (const auto& [name, key] : kEdits) {
    QLineEdit* edit = Child<QLineEdit>(*form, name);
    edit->setEnabled(true);
    edit->setText(QStringLiteral("値%1").arg(++n));
  }
  for (const auto& [name, key] : kChecks)
    Child<QCheckBox>(*form, name)->click();
  Child<QCheckBox>(*form, "CBNoPrefix")->click();
  Child<QComboBox>(*form, "CLNoPrefixBBS")->setCurrentIndex(0);
  Child<QComboBox>(*form, "CBBoardListDropCount")->setCurrentIndex(1);
  Child<QComboBox>(*form, "CBArticleGridTreeType")->setCurrentIndex(0);
  Child<QComboBox>(*form, "CBKeyScroll")->setCurrentIndex(3);
  Child<QRadioButton>(*form, "OPKeyGoScroll1")->click();
  Child<QLineEdit>(*form, "EDArticleGridRowPlus")->setText(QStringLiteral("5"));
  Child<QLineEdit>(*form, "EDArticleEditBigFontSize")->setText(QStringLiteral("2"));
  const CommonSettings before = c;
  form->BTNOKClick();
  n = 0;
  for (const auto& [name, key] : kEdits)
    EXPECT_EQ(QtText(c.*key), QStringLiteral("値%1").arg(++n)) << name;
  for (const auto& [name, key] : kChecks)
    EXPECT_EQ(c.*key, !(before.*key)) << name;
  EXPECT_EQ(c.DefaultPrefix, "NET");
  EXPECT_EQ(c.BoardListDropCount, 10);
  EXPECT_EQ(c.ArticleGridTreeLineType, 0);
  EXPECT_EQ(c.VScrollSize, 3);
  EXPECT_FALSE(c.NoReadType);
  EXPECT_TRUE(c.NoReadTypeNew);
  EXPECT_EQ(c.ArticleGridRowHeightPlus, 5);
  EXPECT_EQ(c.ArticleEditBigFontSize, 2.0);
}

TEST_F(CommonSetForm, CancelChangesNothing) {
  CommonSettings c;
  ASSERT_TRUE(form->Prepare(&c, f.list));
  const CommonSettings before = c;
  Child<QLineEdit>(*form, "EDEditer")->setText(QStringLiteral("other"));
  Child<QCheckBox>(*form, "CBEndCheck")->click();
  pickers->colors.push_back(0x00FF00);
  Child<QPushButton>(*form, "BTNArticleGridBGColor")->click();
  form->BTNCancelClick();
  EXPECT_TRUE(c == before);
  // Showing again shows the settings, not the abandoned edits.
  ASSERT_TRUE(form->Prepare(&c, f.list));
  EXPECT_EQ(Child<QLineEdit>(*form, "EDEditer")->text(), QtText(c.Editer));
  EXPECT_NE(Child<QLabel>(*form, "LBArticleGridFont")->palette().color(QPalette::Window),
            QColor(0, 255, 0));
}

TEST_F(CommonSetForm, FontColourAndFileButtonsGoThroughTheirPickers) {
  CommonSettings c;
  ASSERT_TRUE(form->Prepare(&c, f.list));
  Child<QCheckBox>(*form, "CBArticleGridFontFixPitch")->click();
  pickers->fonts.push_back(FontChoice{"IPAGothic", 14, fsBold, 0x0000FF});
  Child<QPushButton>(*form, "BTNArticleGridFont")->click();
  ASSERT_EQ(pickers->fixedPitch.size(), 1u);
  EXPECT_TRUE(pickers->fixedPitch[0]);
  EXPECT_EQ(pickers->fontStarts[0].FontName, c.ArticleGridFontName);
  QLabel* write = Child<QLabel>(*form, "LBArticleGridWrite");
  EXPECT_EQ(write->font().pointSize(), 14);
  EXPECT_TRUE(write->font().bold());
  EXPECT_EQ(write->palette().color(QPalette::WindowText), QtColor(c.ArticleGridColorWrite));
  // A cancelled picker changes nothing.
  Child<QPushButton>(*form, "BTNArticleGridVirtualColor")->click();
  pickers->colors.push_back(0x123456);
  Child<QPushButton>(*form, "BTNArticleEditBGColor")->click();
  EXPECT_EQ(Child<QLabel>(*form, "LBArticleEditFontBig")->palette().color(QPalette::Window),
            QtColor(0x123456));
  pickers->files.push_back(std::string("/usr/bin/emacs"));
  Child<QPushButton>(*form, "BTNEditPath")->click();
  ASSERT_EQ(pickers->fileRequests.size(), 1u);
  EXPECT_EQ(pickers->fileRequests[0].title, J("エディタ実行ファイル指定"));
  EXPECT_EQ(pickers->fileRequests[0].current, c.Editer);
  EXPECT_TRUE(pickers->fileRequests[0].executables);
  pickers->files.push_back(std::string("/tmp/new.txt"));
  Child<QPushButton>(*form, "BTNTempFile")->click();
  EXPECT_FALSE(pickers->fileRequests[1].executables);
  form->BTNOKClick();
  EXPECT_EQ(c.Editer, "/usr/bin/emacs");
  EXPECT_EQ(c.TempFile, "/tmp/new.txt");
  EXPECT_EQ(c.ArticleGridFontName, "IPAGothic");
  EXPECT_EQ(c.ArticleGridFontColor, 0x0000FF);
  EXPECT_EQ(c.ArticleGridColorVirtual, CommonSettings().ArticleGridColorVirtual);
  EXPECT_EQ(c.ArticleEditBGColor, 0x123456);
}

TEST_F(CommonSetForm, SwitchesEnableTheirControlsWhenClicked) {
  CommonSettings c;
  c.JumpRessWriteSrc = true;
  ASSERT_TRUE(form->Prepare(&c, f.list));
  QLineEdit* src = Child<QLineEdit>(*form, "EDJumpRessTitleSrc");
  EXPECT_TRUE(src->isEnabled());
  Child<QCheckBox>(*form, "CBJumpRessWriteSrc")->click();
  EXPECT_FALSE(src->isEnabled());
  QPushButton* virtualColor = Child<QPushButton>(*form, "BTNArticleGridVirtualColor");
  EXPECT_TRUE(virtualColor->isEnabled());
  Child<QCheckBox>(*form, "CBArticleGridColor")->click();
  EXPECT_FALSE(virtualColor->isEnabled());
  QComboBox* bbs = Child<QComboBox>(*form, "CLNoPrefixBBS");
  EXPECT_FALSE(bbs->isEnabled());
  Child<QCheckBox>(*form, "CBNoPrefix")->click();
  EXPECT_TRUE(bbs->isEnabled());
  bbs->setCurrentIndex(1);
  Child<QCheckBox>(*form, "CBNoPrefix")->click();
  EXPECT_EQ(bbs->currentIndex(), -1);
  // The ratio: the sample at the view size times the ratio when the box is left.
  QLineEdit* ratio = Child<QLineEdit>(*form, "EDArticleEditBigFontSize");
  ratio->setText(QStringLiteral("2"));
  emit ratio->editingFinished();
  EXPECT_EQ(Child<QLabel>(*form, "LBArticleEditFontBig")->font().pointSize(),
            c.ArticleEditFontSize * 2);
  Child<QRadioButton>(*form, "OPArticleEditBigFontSet")->click();
  EXPECT_FALSE(ratio->isEnabled());
  form->BTNOKClick();
  EXPECT_EQ(c.DefaultPrefix, "");
  EXPECT_TRUE(c.ArticleEditBigFontSet);
  EXPECT_EQ(c.ArticleEditFontBigSize, c.ArticleEditFontSize * 2);
}

}  // namespace
}  // namespace vorn
