// The board list, the grid and the view agree on the board: moving through the board list only
// chooses a board; the view, the writes and the moves act on the board the grid shows until the
// chosen one is opened. Driven through the window's own keys and clicks on the NetVorn sample.
#include "reader/BoardView.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QPlainTextEdit>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/FakeEditor.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::J;

// Boards of the NetVorn sample: the mail box opens first.
constexpr int32_t kMail = 0, kGeneral = 1;

class BoardListAndGrid : public ::testing::Test {
 protected:
  BoardListAndGrid() : editor(dir) {
    test::GuiApp();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    fs::copy(samples / "settings", dir.Path() + "/settings", fs::copy_options::recursive);
    fs::copy_file(samples / "NET19990730.LOG", dir.File("NET19990730.LOG"));
    SetSettingsFolderOverride(dir.Path() + "/settings/");
  }
  ~BoardListAndGrid() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // The window as the user sees it after opening the sample and closing its information box.
  TVornExplMain& Open() {
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{dir.File("NET19990730.LOG")},
                                             std::make_unique<test::ScriptedDialogs>());
    TVornExplMain& w = *window;
    w.resize(800, 600);
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    for (int i = 0; i < 200 && w.Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(10);
    EXPECT_EQ(w.Session().CurrentPrefix, "NET");
    w.CommonIni().TempFile = dir.File("vorntemp.txt");
    w.CommonIni().Editer = editor.Command("append", J("Reply from the test.\r\n"));
    ui.entries.clear();
    return w;
  }

  // A key typed by the user: to the open popup when one is up, else to whatever has the focus.
  void Type(int key) {
    QCoreApplication::processEvents();
    if (QWidget* popup = QApplication::activePopupWidget()) {
      QWidget* target = popup->focusWidget() ? popup->focusWidget() : popup;
      QTest::keyClick(target, Qt::Key(key));
    } else {
      QTest::keyClick(window->windowHandle(), Qt::Key(key));
    }
    QCoreApplication::processEvents();
  }
  // A click on the row of the shown board's article with this title.
  void ClickRow(const std::string& title) {
    TArticleGrid& grid = window->ArticleGrid();
    const TArticleList* shown = grid.Board();
    ASSERT_NE(shown, nullptr);
    const int32_t order = window->Reading().TreeOrder();
    for (int32_t p = 0; p < shown->OrderCount(order); ++p) {
      if (shown->GetTitle(order, p) != title) continue;
      const QRect row = grid.visualRect(grid.model()->index(p, 0));
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
      QCoreApplication::processEvents();
      return;
    }
    ADD_FAILURE() << "no row with that title";
  }
  TArticleList& Board(int32_t b) const { return *window->CurrentAnalyser()->Boards.GetArticles(b); }
  QString ViewText() const { return window->ArticleEdit().HorizontalView()->toPlainText(); }
  // The queued writes of a board, in posting order.
  std::vector<const ArticleRecord*> Writes(int32_t b) const {
    std::vector<const ArticleRecord*> writes;
    const TArticleList& list = Board(b);
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); ++p) {
      if (list.GetWriteFlag(ArticleSortNormal, p))
        writes.push_back(list.GetArticle(ArticleSortNormal, p));
    }
    return writes;
  }

  test::TempDir dir;
  test::FakeEditor editor;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(BoardListAndGrid, AReplyGoesToTheArticleClickedInTheBoardShownNotTheBoardTheListMovedTo) {
  TVornExplMain& w = Open();
  TSelectList& list = w.BoardList();
  ASSERT_EQ(w.ArticleGrid().Board(), &Board(kMail));
  // Escape reaches the list (which drops down), Escape closes it, Down moves its selection.
  Type(Qt::Key_Escape);
  EXPECT_TRUE(list.view()->isVisible());
  Type(Qt::Key_Escape);
  EXPECT_FALSE(list.view()->isVisible());
  ASSERT_TRUE(list.hasFocus());
  Type(Qt::Key_Down);
  EXPECT_EQ(list.currentIndex(), kGeneral);
  // The grid still shows the mail box, and every command works on it.
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kMail));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kMail);

  const TArticleList& mail = Board(kMail);
  const std::string title = mail.GetTitle(w.Reading().TreeOrder(), 1);
  ClickRow(title);
  EXPECT_TRUE(ViewText().contains(QtText(title))) << ViewText().toStdString();
  // Back in the grid, the list shows the board the grid shows again.
  EXPECT_EQ(list.currentIndex(), kMail);

  Type(Qt::Key_F);
  const std::vector<const ArticleRecord*> writes = Writes(kMail);
  ASSERT_EQ(writes.size(), 1u);
  // In the mail box a reply is a mail to the writer, quoting the mail clicked.
  ASSERT_NE(writes[0]->Text(), nullptr);
  const auto& text = *writes[0]->Text();
  EXPECT_TRUE(std::any_of(text.begin(), text.end(), [&](const std::string& line) {
    return line.front() == '>' && line.find(title) != std::string::npos;
  }));
  EXPECT_TRUE(Writes(kGeneral).empty());
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kMail));
}

TEST_F(BoardListAndGrid, TheBoardChosenInTheListIsOpenedByEnterOrByAWriteThere) {
  TVornExplMain& w = Open();
  TSelectList& list = w.BoardList();
  Type(Qt::Key_Escape);
  Type(Qt::Key_Escape);
  Type(Qt::Key_Down);
  // The moves of the grid keep to the board shown while the list has moved on.
  w.Command("BTNNext")->trigger();
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kMail));
  EXPECT_EQ(w.ArticleGrid().CurrentPosition(), 1);
  EXPECT_EQ(list.currentIndex(), kGeneral);
  // W in the list opens the board chosen there and writes a new thread into it.
  list.setFocus(Qt::MouseFocusReason);
  QTest::keyClick(&list, Qt::Key_W);
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kGeneral));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kGeneral);
  ASSERT_EQ(Writes(kGeneral).size(), 1u);
  EXPECT_TRUE(Writes(kMail).empty());

  // Moved away again and opened with Enter.
  list.setFocus(Qt::MouseFocusReason);
  Type(Qt::Key_Up);
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kGeneral));
  Type(Qt::Key_Return);
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kMail));
  EXPECT_EQ(list.currentIndex(), kMail);
  EXPECT_TRUE(w.ArticleGrid().hasFocus());
}

TEST_F(BoardListAndGrid, AWheelOverTheListOpensTheBoardItTurnsTo) {
  TVornExplMain& w = Open();
  TSelectList& list = w.BoardList();
  // The wheel turned one step down over the list, the pointer resting there.
  const QPoint at = list.rect().center();
  QWheelEvent wheel(at, list.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&list, &wheel);
  QCoreApplication::processEvents();
  ASSERT_EQ(list.currentIndex(), kGeneral);
  EXPECT_EQ(w.ArticleGrid().Board(), &Board(kGeneral));
  EXPECT_EQ(w.BoardView().CurrentBoard(), kGeneral);
}

}  // namespace
}  // namespace vorn
