// The window's search: the condition, the search reading mode, the walk from match to match
// over the sample capture, and the dialog as the window opens it.
#include "reader/SearchCommands.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "platform/UiServices.h"
#include "reader/Search.h"
#include "reader/SearchTestAccess.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"

namespace vorn {
namespace {

using test::J;
using Kind = RecordingUiServices::Kind;

class SearchCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    ASSERT_TRUE(sample.Load("NET19990730.LOG"));
  }

  // Steps in one direction until nothing more is found; the titles of the articles shown.
  std::vector<std::string> Steps(bool forward) {
    std::vector<std::string> titles;
    while (search.FindNext(forward, window.newReadMode))
      titles.push_back(Cp932ToUtf8(window.TitleAt(window.board, window.position)));
    return titles;
  }

  // The dialog as the window opens it, driven by the given steps once it is up.
  void OpenDialog(std::function<void(TSearchForm&)> steps) {
    QTimer::singleShot(0, [this, steps] {
      auto* form = qobject_cast<TSearchForm*>(QApplication::activeModalWidget());
      ASSERT_NE(form, nullptr);
      steps(*form);
      if (form->isVisible()) form->reject();
    });
    search.OpenSearchDialog();
  }

  test::SampleSession sample;
  test::SampleWindowAccess window{sample};
  TSearchCommands search{window};
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
};

TEST_F(SearchCommands, SettingAConditionSwitchesTheSearchModeOn) {
  EXPECT_FALSE(search.HasCondition());
  search.SetSearchCondition(false, false, J("はじめ"), "");
  EXPECT_TRUE(search.HasCondition());
  EXPECT_TRUE(window.searchReadMode);
  EXPECT_TRUE(window.searchModeEnabled);
  EXPECT_EQ(search.Condition().SearchWord, J("はじめ"));
  EXPECT_FALSE(search.Condition().WordCheckType);
}

TEST_F(SearchCommands, ForwardAndBackwardWalksAcrossBoardsAndTellsWhenNothingIsLeft) {
  search.SetSearchCondition(true, true, J("はじめ"), "");
  const std::vector<std::string> forward = Steps(true);
  EXPECT_EQ(forward,
            (std::vector<std::string>{"はじめまして", "Re: はじめまして", "Re: Re: はじめまして"}));
  EXPECT_EQ(window.status, QStringLiteral("検索：該当記事は見つかりませんでした"));
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Information);
  EXPECT_EQ(ui.entries[0].text, J("検索：該当記事は見つかりませんでした"));
  // Backward from the last match; the first article of board 0 lies beyond the last match.
  EXPECT_EQ(Steps(false), (std::vector<std::string>{"Re: はじめまして", "はじめまして"}));
  // Without the dialog setting only the status bar tells.
  window.common.NoSearchDialog = false;
  window.board = 0;
  window.position = 0;
  EXPECT_FALSE(search.FindNext(false, false));
  EXPECT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(window.status, QStringLiteral("検索：該当記事は見つかりませんでした"));
  // A match empties the status text.
  EXPECT_TRUE(search.FindNext(true, false));
  EXPECT_TRUE(window.status.isEmpty());
}

TEST_F(SearchCommands, TheSearchReadingStepsOnlyWithAConditionAndKeepsToNewArticles) {
  TSearchReading& reading = search;
  EXPECT_FALSE(reading.SearchConditionExists());
  reading.SearchNext(true, false);
  EXPECT_TRUE(window.shown.empty());
  // Member 1024 wrote 101 and 103, 56 of board 2, and received 102.
  search.SetSearchCondition(true, true, "", "1024");
  TArticleList& general = *sample.Process().Boards.GetArticles(1);
  ASSERT_TRUE(general.SetReadFlag(window.order, 1, 1, true));  // 102 read in an earlier run
  window.newReadMode = true;
  std::vector<std::string> titles;
  for (int i = 0; i < 5; ++i) {
    reading.SearchNext(true, window.newReadMode);
    titles.push_back(Cp932ToUtf8(window.TitleAt(window.board, window.position)));
  }
  EXPECT_EQ(titles,
            (std::vector<std::string>{"はじめまして", "Re: Re: はじめまして", "Re: C言語の質問",
                                      "Re: C言語の質問", "Re: C言語の質問"}));
}

TEST_F(SearchCommands, CancellingTheDialogSwitchesTheSearchModeOffAndOkLeavesItOn) {
  OpenDialog([](TSearchForm& form) {
    form.findChild<QComboBox*>(QStringLiteral("CBSearchWord"))->setEditText(QStringLiteral("オフ"));
    form.findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
  });
  EXPECT_TRUE(window.searchReadMode);
  EXPECT_EQ(search.SearchWordList, std::vector<std::string>{J("オフ")});
  EXPECT_EQ(search.Form().BBS, &sample.Process());
  OpenDialog([](TSearchForm& form) {
    form.findChild<QPushButton*>(QStringLiteral("BTNCancel"))->click();
  });
  EXPECT_FALSE(window.searchReadMode);
  // The condition stays; the mode can be switched on again.
  EXPECT_TRUE(search.HasCondition());
}

TEST_F(SearchCommands, TheDialogsSearchButtonsStepThroughTheMatches) {
  window.board = 0;
  window.position = 0;
  OpenDialog([this](TSearchForm& form) {
    form.findChild<QComboBox*>(QStringLiteral("CBSearchWord"))->setEditText(QStringLiteral("ｵﾌ"));
    auto* after = form.findChild<QPushButton*>(QStringLiteral("BTNAfter"));
    after->click();
    EXPECT_EQ(window.board, 1);
    EXPECT_EQ(Cp932ToUtf8(window.TitleAt(window.board, window.position)), "Re: 夏のオフ会");
    form.findChild<QPushButton*>(QStringLiteral("BTNBefore"))->click();
    EXPECT_EQ(window.board, 0);
    EXPECT_EQ(window.position, 0);
    EXPECT_TRUE(form.isVisible());
    form.findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
  });
  EXPECT_EQ(window.shown.size(), 2u);
  EXPECT_TRUE(window.searchReadMode);
}

}  // namespace
}  // namespace vorn
