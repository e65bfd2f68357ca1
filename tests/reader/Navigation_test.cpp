// Reading the sample captures in the main window with the keyboard: key presses go to the
// window as the platform delivers them (shortcuts first, then the focused control).
#include "reader/Navigation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <utility>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "reader/VerticalTextView.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::J;
using Kind = RecordingUiServices::Kind;
// Board index and article number.
using Place = std::pair<int32_t, int32_t>;

const char* const kNetVorn = "NET19990730.LOG";
const char* const kNifty = "NIF19990730.LOG";

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    fs::copy(samples / "settings", dir.Path() + "/settings", fs::copy_options::recursive);
    for (const char* name : {kNetVorn, kNifty})
      fs::copy_file(samples / name, dir.File(name));
    SetSettingsFolderOverride(dir.Path() + "/settings/");
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // The window on the screen with a sample loaded; the messages of the load are forgotten.
  TVornExplMain& Open(const char* sample, int width = 800, int height = 600) {
    auto scripted = std::make_unique<test::ScriptedDialogs>();
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{}, std::move(scripted));
    TVornExplMain& w = *window;
    w.resize(width, height);
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    Load(sample);
    return w;
  }
  void Load(const char* sample) {
    const std::string prefix = std::string(sample).substr(0, 3);
    EXPECT_TRUE(window->LoadLogFiles({dir.File(sample)}, prefix, false));
    QCoreApplication::processEvents();
    ui.entries.clear();
  }

  // A key typed by the user, to whatever control has the focus.
  void Type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->windowHandle(), Qt::Key(key), modifiers);
  }

  TArticleGrid& Grid() const { return window->ArticleGrid(); }
  int32_t Order() const { return window->Reading().TreeOrder(); }
  Place Shown() const {
    const TArticleList* list = window->BoardView().CurrentArticles();
    const int32_t position = Grid().CurrentPosition();
    return {window->BoardView().CurrentBoard(), list ? list->GetNumber(Order(), position) : -1};
  }
  QString ViewText() const { return window->ArticleEdit().HorizontalView()->toPlainText(); }
  // The view shows the article of the current row.
  bool ViewShowsCurrentArticle() const {
    const TArticleList* list = window->BoardView().CurrentArticles();
    const std::string title = list->GetTitle(Order(), Grid().CurrentPosition());
    return ViewText().contains(QtText(title));
  }
  TArticleList& Board(int32_t b) const { return *window->CurrentAnalyser()->Boards.GetArticles(b); }
  void ChooseBoard(int index) {
    window->BoardList().setCurrentIndex(index);
    emit window->BoardList().activated(index);
  }
  // Goes to the article with the number in the shown board by clicking its row.
  void Click(int32_t number) {
    const TArticleList* list = window->BoardView().CurrentArticles();
    for (int32_t p = 0; p < list->OrderCount(Order()); ++p) {
      if (list->GetNumber(Order(), p) != number ||
          list->GetKind(Order(), p) == ArticleKindMissingRoot) {
        continue;
      }
      const QRect row = Grid().visualRect(Grid().model()->index(p, 0));
      QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
      return;
    }
    ADD_FAILURE() << "no article " << number;
  }
  std::vector<std::string> Texts(Kind kind) const {
    std::vector<std::string> out;
    for (const auto& e : ui.entries) {
      if (e.kind == kind) out.push_back(e.text);
    }
    return out;
  }
  bool Enabled(const char* name) const { return window->Commands().IsEnabled(name); }

  test::TempDir dir;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(NavigationTest, SpaceReadsEveryUnreadArticleOfBothSamplesThenSaysNoneAreLeft) {
  const std::pair<const char*, std::vector<Place>> samples[] = {
      {kNetVorn,
       {{0, 0}, {0, 1}, {1, 101}, {1, 102}, {1, 103}, {1, 104}, {2, 55}, {2, 56}, {3, 12}}},
      {kNifty, {{0, 0}, {0, 1}, {1, 211}, {1, 212}, {1, 213}, {1, 231}, {2, 85}, {2, 87}, {2, 86}}},
  };
  for (const auto& [sample, expected] : samples) {
    SCOPED_TRACE(sample);
    Open(sample);
    ASSERT_TRUE(Grid().hasFocus());
    std::vector<Place> read = {Shown()};
    for (size_t i = 1; i < expected.size(); ++i) {
      Type(Qt::Key_Space);
      read.push_back(Shown());
      EXPECT_TRUE(ViewShowsCurrentArticle()) << read.back().second;
      EXPECT_EQ(window->BoardList().currentIndex(), read.back().first);
    }
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(ui.entries.empty());
    // Everything is read: the reader stays where it is and is told so.
    Type(Qt::Key_Space);
    EXPECT_EQ(Shown(), expected.back());
    EXPECT_EQ(window->StatusText(0), QStringLiteral("未読記事は存在しません"));
    EXPECT_EQ(Texts(Kind::Information), std::vector<std::string>{J("未読記事は存在しません")});
    // Without the box when the settings say so; the tool button does the same as the key.
    window->CommonIni().NoReadDialog = false;
    window->Command("BTNNoRead")->trigger();
    EXPECT_EQ(ui.entries.size(), 1u);
    EXPECT_EQ(window->StatusText(0), QStringLiteral("未読記事は存在しません"));
    for (int32_t b = 0; b < window->CurrentAnalyser()->Boards.Count(); ++b) {
      for (int32_t p = 0; p < Board(b).OrderCount(ArticleSortNormal); ++p)
        EXPECT_EQ(Board(b).GetReadFlag(ArticleSortNormal, p), 1) << b << " " << p;
    }
    window.reset();
  }
}

TEST_F(NavigationTest, SpaceGoesBackToUnreadArticlesSkippedEarlier) {
  TVornExplMain& w = Open(kNetVorn);
  // The reader starts in the middle: the chat board's third article.
  ChooseBoard(1);
  Click(103);
  ui.entries.clear();
  std::vector<Place> read;
  for (int i = 0; i < 7; ++i) {
    Type(Qt::Key_Space);
    read.push_back(Shown());
  }
  // On to the later boards, round to the first, then the one skipped in the chat board.
  EXPECT_EQ(read,
            (std::vector<Place>{{1, 104}, {2, 55}, {2, 56}, {3, 12}, {0, 1}, {1, 102}, {1, 102}}));
  EXPECT_EQ(w.StatusText(0), QStringLiteral("未読記事は存在しません"));

  // An unread article above the current one, in the only board that still has one.
  Board(1).SetReadFlag(Order(), 0, 0, false);
  Click(103);
  ui.entries.clear();
  Type(Qt::Key_Space);
  EXPECT_EQ(Shown(), Place(1, 101));
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(NavigationTest, CtrlLeftJumpsToTheParentAndCtrlRightComesBack) {
  TVornExplMain& w = Open(kNetVorn);
  ChooseBoard(1);
  Click(103);
  EXPECT_FALSE(Enabled("BTNLevelRestore"));
  Type(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 102));
  EXPECT_TRUE(ViewShowsCurrentArticle());
  EXPECT_TRUE(Enabled("BTNLevelRestore"));
  w.Command("BTNLevelParent")->trigger();
  EXPECT_EQ(Shown(), Place(1, 101));
  // A root has no parent: nothing happens, nothing is remembered.
  Type(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 101));
  EXPECT_EQ(w.Navigation().LevelHistory().size(), 2u);
  Type(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 102));
  EXPECT_TRUE(Enabled("BTNLevelRestore"));
  w.Command("BTNLevelRestore")->trigger();
  EXPECT_EQ(Shown(), Place(1, 103));
  EXPECT_FALSE(Enabled("BTNLevelRestore"));
  Type(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 103));

  // A reply under a placeholder: its root is not in the logs, so there is nowhere to go.
  Click(104);
  Type(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 104));
  EXPECT_TRUE(w.Navigation().LevelHistory().empty());

  // Moving on forgets the way back.
  Click(103);
  Type(Qt::Key_Left, Qt::ControlModifier);
  ASSERT_TRUE(Enabled("BTNLevelRestore"));
  Type(Qt::Key_Space);
  EXPECT_FALSE(Enabled("BTNLevelRestore"));
  EXPECT_TRUE(w.Navigation().LevelHistory().empty());
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(NavigationTest, UpAndDownPastTheEndsOfABoardGoToTheNeighbouringBoards) {
  TVornExplMain& w = Open(kNifty);
  ChooseBoard(1);
  ASSERT_EQ(Shown(), Place(1, 211));
  Type(Qt::Key_Up);
  EXPECT_EQ(Shown(), Place(0, 1));
  EXPECT_TRUE(ViewShowsCurrentArticle());
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(1, 211));
  for (int32_t number : {212, 213, 231}) {
    Type(Qt::Key_Down);
    EXPECT_EQ(Shown(), Place(1, number));
  }
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(2, 85));
  // Down steps over the placeholder of the game board; the tool buttons press the same keys.
  w.Command("BTNNext")->trigger();
  EXPECT_EQ(Shown(), Place(2, 87));
  w.Command("BTNNext")->trigger();
  EXPECT_EQ(Shown(), Place(2, 86));
  // The last board's last row stays.
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(2, 86));
  w.Command("BTNBefore")->trigger();
  EXPECT_EQ(Shown(), Place(2, 87));
  // The first board's first row stays too.
  ChooseBoard(0);
  Type(Qt::Key_Up);
  EXPECT_EQ(Shown(), Place(0, 0));
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(NavigationTest, TheNewArticleModeSkipsOldArticles) {
  TVornExplMain& w = Open(kNetVorn);
  // Read up to the first article of the programming board, then close the set as the user
  // does: the read pointers are written and the next opening finds only the rest new.
  for (int i = 0; i < 6; ++i)
    Type(Qt::Key_Space);
  ASSERT_EQ(Shown(), Place(2, 55));
  ASSERT_TRUE(w.LeaveLogSet(true, true));
  Load(kNetVorn);
  EXPECT_EQ(Shown(), Place(0, 0));
  EXPECT_EQ(Board(0).GetNewFlag(Order(), 0), 0);

  // Choosing a board opens it at its first new article, or at its first row when it has none.
  ChooseBoard(2);
  EXPECT_EQ(Shown(), Place(2, 56));
  EXPECT_TRUE(Grid().hasFocus());
  ChooseBoard(1);
  EXPECT_EQ(Shown(), Place(1, 101));

  Type(Qt::Key_N, Qt::ControlModifier);
  ASSERT_TRUE(w.Reading().NewReadMode());
  EXPECT_EQ(w.StatusText(1), QStringLiteral("新規"));
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(2, 56));
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(3, 12));
  EXPECT_TRUE(ui.entries.empty());
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(3, 12));
  EXPECT_EQ(w.StatusText(0), QStringLiteral("これより下に該当記事は存在しません"));
  EXPECT_EQ(Texts(Kind::Information),
            std::vector<std::string>{J("これより下に該当記事は存在しません")});
  Type(Qt::Key_Up);
  EXPECT_EQ(Shown(), Place(2, 56));
  // Showing an article clears the status text.
  EXPECT_EQ(w.StatusText(0), QString());
  Type(Qt::Key_Up);
  EXPECT_EQ(Shown(), Place(2, 56));
  EXPECT_EQ(w.StatusText(0), QStringLiteral("これより上に該当記事は存在しません"));

  // In the mode a chosen board opens at its first row.
  ChooseBoard(2);
  EXPECT_EQ(Shown(), Place(2, 55));
  // Out of the mode, Down is the grid's own step again.
  Type(Qt::Key_N, Qt::ControlModifier);
  EXPECT_FALSE(w.Reading().NewReadMode());
  EXPECT_EQ(w.StatusText(1), QString());
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(2, 56));
}

TEST_F(NavigationTest, LevelAndModifierKeys) {
  TVornExplMain& w = Open(kNetVorn);
  ChooseBoard(1);
  ASSERT_EQ(Shown(), Place(1, 101));
  // Ctrl+Down: the next article at this level or above; the placeholder's thread counts as a
  // root, shown by its reply.
  Type(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 104));
  Type(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(2, 55));
  w.Command("BTNLevelBefore")->trigger();
  EXPECT_EQ(Shown(), Place(1, 104));
  w.Command("BTNLevelNext")->trigger();
  EXPECT_EQ(Shown(), Place(2, 55));
  // Alt+Up: the previous new article (everything is new on a first opening).
  Type(Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(Shown(), Place(1, 104));
  Type(Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(Shown(), Place(1, 103));
  // Shift with Ctrl outside the new-article mode is no command: the grid steps by itself.
  Type(Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 102));
  // In the mode it is a level step among new articles.
  w.SetReadMode(false, true);
  Type(Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 101));
  Type(Qt::Key_Down, Qt::AltModifier | Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 104));
  EXPECT_TRUE(ui.entries.empty());
}

// Answers the search keys as the search will.
class FakeSearch final : public TSearchReading {
 public:
  bool SearchConditionExists() const override { return exists; }
  void SearchNext(bool forward, bool newOnly) override { calls.emplace_back(forward, newOnly); }
  bool exists = true;
  std::vector<std::pair<bool, bool>> calls;
};

TEST_F(NavigationTest, SearchKeysWithoutSearchSettingsSaySo) {
  TVornExplMain& w = Open(kNetVorn);
  Type(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Shown(), Place(0, 0));
  EXPECT_EQ(Texts(Kind::Information), std::vector<std::string>{J("検索設定がされていません")});
  EXPECT_FALSE(Enabled("BTNSearchMode"));
  ui.entries.clear();
  // In the search mode Up and Down with any modifiers are search keys.
  w.SetReadMode(true, true);
  EXPECT_EQ(w.StatusText(1), QStringLiteral("検索"));
  for (Qt::KeyboardModifiers m : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::AltModifier),
                                  Qt::KeyboardModifiers(Qt::ControlModifier)}) {
    Type(Qt::Key_Up, m);
  }
  EXPECT_EQ(Texts(Kind::Information), std::vector<std::string>(3, J("検索設定がされていません")));
  EXPECT_EQ(Shown(), Place(0, 0));

  // With a search joined the keys reach it, new articles only in the new-article mode.
  FakeSearch search;
  w.Navigation().SetSearchReading(&search);
  ui.entries.clear();
  Type(Qt::Key_Down);
  w.SetReadMode(false, true);
  Type(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(search.calls, (std::vector<std::pair<bool, bool>>{{true, false}, {false, true}}));
  EXPECT_TRUE(ui.entries.empty());
  search.exists = false;
  Type(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(search.calls.size(), 2u);
  EXPECT_EQ(ui.entries.size(), 1u);
  search.exists = true;
  w.EnableReadCommands(true);
  EXPECT_TRUE(Enabled("BTNSearchMode"));
  EXPECT_TRUE(Enabled("MenuSearchMode"));
  w.Navigation().SetSearchReading(nullptr);
}

TEST_F(NavigationTest, MarkingEveryArticleReadOrUnread) {
  TVornExplMain& w = Open(kNetVorn);
  ChooseBoard(1);
  Click(102);
  auto readCount = [&] {
    int n = 0;
    for (int32_t b = 0; b < 4; ++b) {
      for (int32_t p = 0; p < Board(b).OrderCount(ArticleSortNormal); ++p)
        n += Board(b).GetReadFlag(ArticleSortNormal, p);
    }
    return n;
  };
  ASSERT_EQ(readCount(), 3);
  ui.Script(UiAnswer::No);
  w.Command("MenuReadPtrSet")->trigger();
  EXPECT_EQ(readCount(), 3);
  ui.Script(UiAnswer::Yes);
  w.Command("MenuReadPtrSet")->trigger();
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[1].kind, Kind::ConfirmYesNo);
  EXPECT_EQ(ui.entries[1].text, J("全ての記事を既読にします\n\rよろしいですか？"));
  EXPECT_EQ(readCount(), 9);
  // The grid shows the same article again; the numbers keep their new marks.
  EXPECT_EQ(Shown(), Place(1, 102));
  EXPECT_EQ(Grid().model()->index(0, 0).data().toString(), QStringLiteral("<101>"));
  EXPECT_FALSE(Grid().StateColor(0).isValid());
  ui.entries.clear();
  Type(Qt::Key_Space);
  EXPECT_EQ(Texts(Kind::Information), std::vector<std::string>{J("未読記事は存在しません")});

  ui.Script(UiAnswer::Yes);
  w.Command("MenuReadPtrClear")->trigger();
  EXPECT_EQ(ui.entries.back().text, J("全ての記事を未読にします\n\rよろしいですか？"));
  // Only the article shown again is read.
  EXPECT_EQ(readCount(), 1);
  EXPECT_EQ(Shown(), Place(1, 102));
  EXPECT_TRUE(Grid().StateColor(0).isValid());
  Type(Qt::Key_Space);
  EXPECT_EQ(Shown(), Place(1, 103));
}

TEST_F(NavigationTest, SwitchingTreeAndPostingOrderKeepsTheArticle) {
  TVornExplMain& w = Open(kNifty);
  ChooseBoard(2);
  Click(86);
  ASSERT_EQ(Grid().CurrentPosition(), 3);
  const QString shown = ViewText();
  w.Command("MenuNormal")->trigger();
  EXPECT_EQ(w.Reading().TreeOrder(), 0);
  EXPECT_EQ(Shown(), Place(2, 86));
  EXPECT_EQ(Grid().CurrentPosition(), 1);
  EXPECT_EQ(ViewText(), shown);
  EXPECT_EQ(Grid().model()->index(1, 0).data().toString(), QStringLiteral("<86>"));
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(2, 87));
  w.Command("MenuTree")->trigger();
  EXPECT_EQ(w.Reading().TreeOrder(), 1);
  EXPECT_EQ(Shown(), Place(2, 87));
  EXPECT_EQ(Grid().CurrentPosition(), 1);
  EXPECT_TRUE(w.CommonIni().ArticleGridSortTree);
}

TEST_F(NavigationTest, TheBoardListOpensABoardOnEnterNotWhileMovingThroughIt) {
  TVornExplMain& w = Open(kNetVorn);
  TSelectList& list = w.BoardList();
  // A click puts the focus there without dropping the list down.
  list.setFocus(Qt::MouseFocusReason);
  ASSERT_TRUE(list.hasFocus());
  Type(Qt::Key_Down);
  Type(Qt::Key_Down);
  EXPECT_EQ(list.currentIndex(), 2);
  EXPECT_EQ(Grid().Board(), &Board(0));
  Type(Qt::Key_Return);
  EXPECT_EQ(Shown(), Place(2, 55));
  EXPECT_TRUE(Grid().hasFocus());
  // Escape in the grid goes back to the list, which drops down as the keyboard reaches it;
  // closed again without a choice, Escape there goes back to the board.
  Type(Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_TRUE(list.view()->isVisible());
  list.hidePopup();
  QCoreApplication::processEvents();
  ASSERT_TRUE(list.hasFocus());
  Type(Qt::Key_Escape);
  EXPECT_TRUE(Grid().hasFocus());
  EXPECT_EQ(Shown(), Place(2, 55));
}

TEST_F(NavigationTest, TheViewKeysScrollAndTheUnreadKeyPagesFirstWhenAsked) {
  TVornExplMain& w = Open(kNetVorn, 420, 270);
  w.CommonIni().NoReadType = false;
  ChooseBoard(1);
  QScrollBar* bar = w.ArticleEdit().HorizontalView()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0) << "the view must be smaller than the article";
  ASSERT_EQ(bar->value(), 0);
  Type(Qt::Key_Right);
  EXPECT_EQ(bar->value(), 1);
  Type(Qt::Key_Left);
  EXPECT_EQ(bar->value(), 0);
  Type(Qt::Key_PageDown);
  EXPECT_EQ(bar->value(), std::min(bar->maximum(), w.ArticleEdit().ScrollStep));
  Type(Qt::Key_PageUp);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(Shown(), Place(1, 101));
  // The unread key pages down to the end of the article before it moves on.
  int pages = 0;
  while (Shown() == Place(1, 101) && pages < 20) {
    Type(Qt::Key_Space);
    ++pages;
  }
  EXPECT_GT(pages, 1);
  EXPECT_EQ(Shown(), Place(1, 102));
  EXPECT_EQ(bar->value(), 0);
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

TEST_F(NavigationTest, ViewCommandsKeepReading) {
  TVornExplMain& w = Open(kNetVorn);
  ChooseBoard(1);
  Click(103);
  TArticleEdit& view = w.ArticleEdit();
  // Vertical writing: the same article, the page counted in columns, the setting kept.
  const int32_t horizontalStep = view.ScrollStep;
  Type(Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(view.EditStyle(), TArticleEdit::esVertical);
  EXPECT_TRUE(w.Commands().IsChecked("MenuArticleRotate"));
  EXPECT_TRUE(w.CommonIni().ArticleEditVertical);
  EXPECT_EQ(view.ActiveView(), static_cast<QAbstractScrollArea*>(view.VerticalView()));
  EXPECT_NE(view.ScrollStep, horizontalStep);
  EXPECT_EQ(Shown(), Place(1, 103));
  Type(Qt::Key_Space);
  EXPECT_EQ(Shown(), Place(1, 104));
  w.Command("MenuArticleRotate")->trigger();
  EXPECT_EQ(view.EditStyle(), TArticleEdit::esNormal);
  EXPECT_FALSE(w.CommonIni().ArticleEditVertical);
  EXPECT_EQ(view.ScrollStep, horizontalStep);
  EXPECT_TRUE(ViewShowsCurrentArticle());

  // Without the header row, rows are positions; the board opens at its first article.
  w.Command("MenuArticleHeader")->trigger();
  EXPECT_FALSE(Grid().HeaderRow());
  EXPECT_FALSE(w.CommonIni().WindowDispArticleTitle);
  EXPECT_EQ(Grid().Row(), 0);
  EXPECT_EQ(Shown(), Place(1, 101));
  Type(Qt::Key_Down);
  EXPECT_EQ(Grid().Row(), 1);
  EXPECT_EQ(Shown(), Place(1, 102));
  Type(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 101));
  w.Command("MenuArticleHeader")->trigger();
  EXPECT_TRUE(Grid().HeaderRow());
  EXPECT_EQ(Grid().Row(), 1);

  // New display settings keep the article being read.
  Click(103);
  w.CommonIni().ArticleGridFontSize = 12;
  w.ApplyDisplaySettings();
  EXPECT_EQ(Shown(), Place(1, 103));
  EXPECT_TRUE(ViewShowsCurrentArticle());
  EXPECT_EQ(Grid().font().pointSize(), 12);

  // Tool bar and status bar come and go, and the settings follow.
  w.Command("MenuToolBar")->trigger();
  EXPECT_FALSE(w.Commands().ToolBar()->isVisible());
  EXPECT_FALSE(w.CommonIni().WindowDispToolBar);
  w.Command("MenuStatusBar")->trigger();
  EXPECT_FALSE(w.CommonIni().WindowDispStatusBar);
  w.Command("MenuStatusBar")->trigger();
  EXPECT_TRUE(w.CommonIni().WindowDispStatusBar);
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(NavigationTest, TheViewsPopUpMenuHoldsTheCopyCommands) {
  TVornExplMain& w = Open(kNetVorn);
  QMenu* popup = w.Commands().ViewPopup();
  ASSERT_EQ(popup->objectName(), QStringLiteral("ArticleEditPopupMenu"));
  QStringList names;
  for (QAction* a : popup->actions())
    names << a->objectName();
  EXPECT_EQ(names, (QStringList{"EMenuCopy", "EMenuCopyA", "EMenuBCopy", "EMenuBCopyA",
                                "EMenuBHCopy", "EMenuBHCopyA"}));
  // A right click into the text opens it.
  QWidget* text = w.ArticleEdit().HorizontalView()->viewport();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                          text->mapToGlobal(QPoint(20, 20)));
  QCoreApplication::sendEvent(text, &event);
  EXPECT_TRUE(popup->isVisible());
  popup->hide();
}

}  // namespace
}  // namespace vorn
