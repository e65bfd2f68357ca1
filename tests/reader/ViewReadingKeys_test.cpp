// The reading keys after a click into the article view, typed as the platform delivers them
// (shortcuts first, then the control that has the keyboard), on the NetVorn sample: every key
// of the grid works there, and the arrows scroll from the page shown.
#include "reader/ViewReadingKeys.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <filesystem>
#include <utility>

#include "analysis/BBSProcess.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/ArticleGridModel.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/QuickFilterBar.h"
#include "reader/SelectList.h"
#include "reader/ThreadCommands.h"
#include "reader/VornExplorerMain.h"
#include "store/ArticleList.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
// Board index and article number.
using Place = std::pair<int32_t, int32_t>;

class ViewReadingKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    fs::copy(samples / "settings", dir.Path() + "/settings", fs::copy_options::recursive);
    fs::copy_file(samples / "NET19990730.LOG", dir.File("NET19990730.LOG"));
    SetSettingsFolderOverride(dir.Path() + "/settings/");
    auto scripted = std::make_unique<test::ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{}, std::move(scripted));
    window->resize(700, 500);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(window->LoadLogFiles({dir.File("NET19990730.LOG")}, "NET", false));
    // A view a few lines high, so that the sample's articles need more than one page.
    auto* splitter = window->findChild<QSplitter*>(QStringLiteral("Splitter1"));
    splitter->setSizes({splitter->height() - 60, 60});
    QCoreApplication::processEvents();
    ui.entries.clear();
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  QPlainTextEdit& Text() const { return *window->ArticleEdit().HorizontalView(); }
  void ClickIntoTheView() {
    QTest::mouseClick(Text().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    ASSERT_TRUE(Text().hasFocus());
  }
  void Type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->windowHandle(), Qt::Key(key), modifiers);
  }
  Place Shown() const {
    const TArticleList* list = window->BoardView().CurrentArticles();
    const int32_t position = window->ArticleGrid().CurrentPosition();
    const int32_t order = window->Reading().TreeOrder();
    return {window->BoardView().CurrentBoard(), list ? list->GetNumber(order, position) : -1};
  }
  void ShowArticle(int32_t board, int32_t number) {
    window->BoardList().setCurrentIndex(board);
    emit window->BoardList().activated(board);
    const TArticleList* list = window->BoardView().CurrentArticles();
    const int32_t order = window->Reading().TreeOrder();
    for (int32_t p = 0; p < list->OrderCount(order); ++p) {
      if (list->GetNumber(order, p) == number && list->GetKind(order, p) != ArticleKindMissingRoot)
        window->BoardView().SelectPosition(p);
    }
    ASSERT_EQ(Shown(), Place(board, number));
  }

  // The number cells of the grid's rows.
  std::vector<QString> Numbers() const {
    std::vector<QString> rows;
    const QAbstractItemModel* model = window->ArticleGrid().model();
    for (int r = 0; r < model->rowCount(); ++r)
      rows.push_back(model->index(r, TArticleGridModel::ColumnNumber).data().toString());
    return rows;
  }
  QString Cell(int row, int column) const {
    return window->ArticleGrid().model()->index(row, column).data().toString();
  }
  uint8_t ReadFlagOf(int32_t treePosition) const {
    return window->BoardView().CurrentArticles()->GetReadFlag(ArticleSortTree, treePosition);
  }

  test::TempDir dir;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  test::ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(ViewReadingKeysTest, SpacePagesThroughTheArticleThenGoesToTheNextUnread) {
  ASSERT_EQ(Shown(), Place(0, 0));
  ClickIntoTheView();
  QScrollBar* bar = Text().verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0) << "the first article fits the view";
  // The default settings have the grid's unread key jump at once; in the view the article is
  // read to its end first.
  ASSERT_TRUE(window->CommonIni().NoReadType);
  int pages = 0;
  while (Shown() == Place(0, 0) && pages < 20) {
    const int before = bar->value();
    Type(Qt::Key_Space);
    if (Shown() == Place(0, 0)) {
      EXPECT_GT(bar->value(), before);
    }
    ++pages;
  }
  EXPECT_GT(pages, 1);
  EXPECT_EQ(Shown(), Place(0, 1));
  EXPECT_EQ(bar->value(), 0);
  EXPECT_TRUE(Text().hasFocus());
  // On across the end of the board, to the next one's first unread article.
  for (int i = 0; i < 20 && Shown() == Place(0, 1); ++i)
    Type(Qt::Key_Space);
  EXPECT_EQ(Shown(), Place(1, 101));
  EXPECT_TRUE(Text().hasFocus());
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(ViewReadingKeysTest, TreeMovesWritesAndEscapeWorkFromTheView) {
  ShowArticle(1, 103);
  ClickIntoTheView();
  Type(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 102));
  EXPECT_TRUE(Text().hasFocus());
  Type(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Shown(), Place(1, 103));
  // Plain arrows keep scrolling the text.
  Type(Qt::Key_Down);
  EXPECT_EQ(Shown(), Place(1, 103));

  Type(Qt::Key_I);
  ASSERT_EQ(dialogs->idEdits.size(), 1u);
  ClickIntoTheView();
  Type(Qt::Key_J);
  ASSERT_EQ(dialogs->boardRequests.size(), 1u);
  EXPECT_EQ(dialogs->boardRequests[0].caption, QStringLiteral("移動先ボード指定"));

  // Escape goes to the board list, which drops down as the keyboard reaches it.
  ClickIntoTheView();
  Type(Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window->BoardList().view()->isVisible());
  window->BoardList().hidePopup();
}

// The thread keys did nothing from the view while Space and the write letters worked there.
TEST_F(ViewReadingKeysTest, TheThreadKeysWorkFromTheViewAsFromTheGrid) {
  ShowArticle(1, 101);
  const std::vector<QString> open{"<101>", "└<102>", "　└<103>", "-95-", "└<104>"};
  ASSERT_EQ(Numbers(), open);
  auto fromTheView = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    ClickIntoTheView();
    Type(key, modifiers);
    QCoreApplication::processEvents();
  };
  fromTheView(Qt::Key_C);
  EXPECT_EQ(Numbers(), (std::vector<QString>{"＋<101>", "-95-", "└<104>"}));
  EXPECT_TRUE(Text().hasFocus()) << "reading goes on in the view";
  fromTheView(Qt::Key_Asterisk, Qt::ShiftModifier);
  EXPECT_EQ(Numbers(), open);
  fromTheView(Qt::Key_Backslash);
  EXPECT_EQ(Numbers().front(), QStringLiteral("＋<101>"));
  fromTheView(Qt::Key_Asterisk);
  EXPECT_EQ(Numbers(), open);

  // Catch-up and back: the thread, then the article shown unread again, then the thread.
  fromTheView(Qt::Key_R);
  EXPECT_EQ(window->StatusText(0), QStringLiteral("スレッドの2件を既読にしました"));
  fromTheView(Qt::Key_U);
  EXPECT_EQ(ReadFlagOf(0), 0);
  fromTheView(Qt::Key_U, Qt::ShiftModifier);
  EXPECT_EQ(window->StatusText(0), QStringLiteral("スレッドの2件を未読にしました"));
  ui.Script(UiAnswer::No);
  fromTheView(Qt::Key_R, Qt::ShiftModifier);
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, RecordingUiServices::Kind::ConfirmYesNo);

  // Flags and the flagged view, watched and ignored threads, unread articles only.
  fromTheView(Qt::Key_T);
  EXPECT_EQ(Cell(0, TArticleGridModel::ColumnFlag), QStringLiteral("★"));
  fromTheView(Qt::Key_T, Qt::ShiftModifier);
  EXPECT_TRUE(window->ThreadCommands().FlaggedOnly());
  fromTheView(Qt::Key_T, Qt::ShiftModifier);
  fromTheView(Qt::Key_H);
  EXPECT_EQ(window->ArticleGrid().model()->index(1, 2).data(Qt::BackgroundRole).value<QColor>(),
            window->ThreadCommands().WatchedColor());
  fromTheView(Qt::Key_X);
  EXPECT_EQ(window->ArticleGrid().StateColor(1), window->ArticleGrid().IgnoredArticleColor);
  fromTheView(Qt::Key_X);
  fromTheView(Qt::Key_L);
  EXPECT_TRUE(window->ThreadCommands().UnreadOnly());
  EXPECT_TRUE(window->Commands().IsChecked("MenuUnreadOnly"));
  fromTheView(Qt::Key_L);
  EXPECT_FALSE(window->ThreadCommands().UnreadOnly());

  // "/" leaves the view for the filter bar.
  fromTheView(Qt::Key_Slash);
  EXPECT_TRUE(window->QuickFilterBar().TextEdit()->hasFocus());
}

// After paging, Down jumped back to where the click had left the caret.
TEST_F(ViewReadingKeysTest, UpAndDownScrollOneLineFromThePageShown) {
  // The sample's articles are short: a mail waiting in the UP file, of forty lines, is read.
  std::string up = "MW\r\n1024\r\n\r\n\r\nlong\r\n";
  for (int i = 1; i <= 40; ++i)
    up += "line " + std::to_string(i) + "\r\n";
  test::WriteBytes(dir.Path() + "/settings/NET.UP", up + ".\r\n");
  ui.Script(UiAnswer::Yes);
  ASSERT_TRUE(window->LoadLogFiles({dir.File("NET19990730.LOG")}, "NET", false));
  const TArticleList* mail = window->CurrentAnalyser()->Boards.GetArticles(0);
  const int32_t order = window->Reading().TreeOrder();
  for (int32_t p = 0; p < mail->OrderCount(order); ++p) {
    if (mail->GetWriteFlag(order, p)) window->BoardView().SelectPosition(p);
  }
  ASSERT_EQ(Shown(), Place(0, -1));
  ClickIntoTheView();
  QScrollBar* bar = Text().verticalScrollBar();
  ASSERT_GT(bar->maximum(), 10);
  Type(Qt::Key_PageDown);
  Type(Qt::Key_PageDown);
  const int paged = bar->value();
  ASSERT_GT(paged, 1);
  ASSERT_LT(paged, bar->maximum());
  Type(Qt::Key_Down);
  EXPECT_EQ(bar->value(), paged + 1);
  Type(Qt::Key_Up);
  Type(Qt::Key_Up);
  EXPECT_EQ(bar->value(), paged - 1);
  EXPECT_EQ(Shown(), Place(0, -1)) << "plain arrows stay in the article";
  EXPECT_TRUE(Text().hasFocus());
}

}  // namespace
}  // namespace vorn
