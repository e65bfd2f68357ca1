// The search dialog: what it shows, what it checks, what it hands over. A picture is saved when
// VORN_SCREENSHOT_DIR is set.
#include "reader/Search.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "platform/UiServices.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/SampleSession.h"

namespace vorn {
namespace {

using test::J;
using Kind = RecordingUiServices::Kind;

template <class T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class SearchForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample.Load("NET19990730.LOG"));
    form.WordList = &words;
    form.BBS = &sample.Process();
    form.SetSearchParam = [this](bool type, bool fuzzy, const std::string& word,
                                 const std::string& id) {
      params.push_back({type, fuzzy, word, id});
    };
    form.GridKeyDown = [this](int key, Qt::KeyboardModifiers modifiers) {
      keys.emplace_back(key, modifiers);
    };
  }

  QComboBox* Words() { return Child<QComboBox>(form, "CBSearchWord"); }
  QLineEdit* IdEdit() { return Child<QLineEdit>(form, "EDSearchID"); }
  QPushButton* Button(const char* name) { return Child<QPushButton>(form, name); }

  struct Param {
    bool type, fuzzy;
    std::string word, id;
  };
  QApplication& app = test::GuiApp();  // before the dialog
  test::SampleSession sample;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::vector<std::string> words;
  std::vector<Param> params;
  std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;
  TSearchForm form;
};

TEST_F(SearchForm, ShowsTheTextPageWithTheWordsNewestFirstAndEmptyFields) {
  words = {J("古い"), J("新しい")};
  form.WordCheckType = false;
  form.AwkFuzzy = true;
  form.SearchWord = "stale";
  form.CancelFlag = true;
  form.Pages()->setCurrentIndex(1);
  IdEdit()->setText(QStringLiteral("123"));
  form.FormShow();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("検索"));
  EXPECT_EQ(form.Pages()->currentIndex(), 0);
  EXPECT_EQ(form.Pages()->tabText(0), QStringLiteral("文字列検索"));
  EXPECT_EQ(form.Pages()->tabText(1), QStringLiteral("ID検索"));
  ASSERT_EQ(Words()->count(), 2);
  EXPECT_EQ(Words()->itemText(0), QStringLiteral("新しい"));
  EXPECT_EQ(Words()->currentText(), QString());
  EXPECT_TRUE(IdEdit()->text().isEmpty());
  EXPECT_TRUE(form.SearchWord.empty());
  EXPECT_FALSE(form.CancelFlag);
  EXPECT_TRUE(Child<QRadioButton>(form, "OPCheckNormal")->isChecked());
  QCheckBox* fuzzy = Child<QCheckBox>(form, "CBAwkFuzzy");
  EXPECT_TRUE(fuzzy->isChecked());
  EXPECT_FALSE(fuzzy->isEnabled());
  Child<QRadioButton>(form, "OPCheckAwk")->click();
  EXPECT_TRUE(fuzzy->isEnabled());
  for (const char* name : {"BTNOK", "BTNCancel", "BTNBefore", "BTNAfter", "BTNIDSet"})
    EXPECT_NE(form.findChild<QPushButton*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(Button("BTNBefore")->text(), QStringLiteral("前方検索(&B)"));
  EXPECT_EQ(Button("BTNAfter")->text(), QStringLiteral("後方検索(&A)"));

  form.show();
  Words()->setEditText(QStringLiteral("オフ会"));
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("search-text.png")));
  form.Pages()->setCurrentIndex(1);
  IdEdit()->setText(QStringLiteral("1024"));
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("search-id.png")));
  form.hide();
}

TEST_F(SearchForm, OkWithNothingTypedWarnsAndKeepsTheDialogOpen) {
  form.FormShow();
  form.show();
  Button("BTNOK")->click();
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_EQ(ui.entries[0].text, J("検索文字列が指定されていません"));
  EXPECT_TRUE(params.empty());
  form.hide();
}

TEST_F(SearchForm, AnIdWithLettersOnANumericHostIsRefused) {
  form.FormShow();
  form.Pages()->setCurrentIndex(1);
  IdEdit()->setText(QStringLiteral("10a4"));
  EXPECT_FALSE(form.AcceptSearch());
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, J("検索IDが数値ではありません"));
  IdEdit()->setText(QStringLiteral("1024"));
  ASSERT_TRUE(form.AcceptSearch());
  ASSERT_EQ(params.size(), 1u);
  EXPECT_EQ(params[0].id, "1024");
  EXPECT_TRUE(params[0].word.empty());
  EXPECT_TRUE(words.empty());
}

TEST_F(SearchForm, TheSearchButtonsHandTheConditionOverAndStepWhileTheDialogStaysOpen) {
  form.FormShow();
  form.show();
  Child<QRadioButton>(form, "OPCheckAwk")->click();
  Child<QCheckBox>(form, "CBAwkFuzzy")->setChecked(false);
  Words()->setEditText(QStringLiteral("はじめ"));
  Button("BTNAfter")->click();
  Button("BTNBefore")->click();
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], std::make_pair(int(Qt::Key_Down), Qt::KeyboardModifiers(Qt::ShiftModifier)));
  EXPECT_EQ(keys[1], std::make_pair(int(Qt::Key_Up), Qt::KeyboardModifiers(Qt::ShiftModifier)));
  ASSERT_EQ(params.size(), 2u);
  EXPECT_TRUE(params[0].type);
  EXPECT_FALSE(params[0].fuzzy);
  EXPECT_EQ(params[0].word, J("はじめ"));
  // The text went into the list once, and the list shows it.
  EXPECT_EQ(words, std::vector<std::string>{J("はじめ")});
  EXPECT_EQ(Words()->itemText(0), QStringLiteral("はじめ"));
  EXPECT_EQ(Words()->currentText(), QStringLiteral("はじめ"));
  // A pattern the engine refuses: the message with its place, no step.
  Words()->setEditText(QStringLiteral("(はじめ"));
  Button("BTNAfter")->click();
  EXPECT_EQ(keys.size(), 2u);
  ASSERT_FALSE(ui.entries.empty());
  EXPECT_NE(ui.entries.back().text.find(J("位置：末尾")), std::string::npos);
  form.hide();
}

TEST_F(SearchForm, TheEleventhTextDropsTheOldest) {
  for (int i = 1; i <= 11; ++i) {
    form.FormShow();
    Words()->setEditText(QStringLiteral("w%1").arg(i));
    ASSERT_TRUE(form.AcceptSearch());
  }
  ASSERT_EQ(words.size(), 10u);
  EXPECT_EQ(words.front(), "w2");
  form.FormShow();
  EXPECT_EQ(Words()->count(), 10);
  EXPECT_EQ(Words()->itemText(0), QStringLiteral("w11"));
  EXPECT_EQ(Words()->itemText(9), QStringLiteral("w2"));
}

TEST_F(SearchForm, EscapeCancelsAndOkAccepts) {
  bool cancelled = false;
  QTimer::singleShot(0, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
  form.Execute();
  cancelled = form.CancelFlag;
  EXPECT_TRUE(cancelled);
  QTimer::singleShot(0, [&] {
    Words()->setEditText(QStringLiteral("abc"));
    Button("BTNOK")->click();
  });
  form.Execute();
  EXPECT_FALSE(form.CancelFlag);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.SearchWord, "abc");
}

TEST_F(SearchForm, EnterInTheTextBoxIsOk) {
  QTimer::singleShot(0, [&] {
    Words()->setEditText(QStringLiteral("abc"));
    QTest::keyClick(Words()->lineEdit(), Qt::Key_Return);
    if (form.isVisible()) form.reject();
  });
  form.Execute();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.SearchWord, "abc");
}

TEST_F(SearchForm, TheIdPickerFillsTheIdBox) {
  std::vector<TBBSProcess*> asked;
  form.ChooseId = [&](TBBSProcess* bbs, const QRect&) -> std::optional<std::string> {
    asked.push_back(bbs);
    return asked.size() == 1 ? std::optional<std::string>("2048") : std::nullopt;
  };
  form.FormShow();
  form.Pages()->setCurrentIndex(1);
  Button("BTNIDSet")->click();
  EXPECT_EQ(IdEdit()->text(), QStringLiteral("2048"));
  // Cancelling the picker leaves the box as it was.
  Button("BTNIDSet")->click();
  EXPECT_EQ(IdEdit()->text(), QStringLiteral("2048"));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], &sample.Process());
}

}  // namespace
}  // namespace vorn
