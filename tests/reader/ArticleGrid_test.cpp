#include "reader/ArticleGrid.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <vector>

#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleGridModel.h"
#include "reader/ReadingTestSupport.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::AddEntry;
using test::J;

class ArticleGridTest : public ::testing::Test {
 protected:
  ArticleGridTest() : members(false) {
    test::ReadingApp();
    grid.TreeLineType = TreeLineChr2;
    grid.ResetGrid(true);
    grid.resize(500, 300);
    grid.show();
  }

  QString Cell(int32_t position, int column) const {
    return grid.model()->index(position, column).data().toString();
  }
  void Show(TArticleList& board, int32_t order,
            TArticleGrid::TSelectMode mode = TArticleGrid::SelectFirst, int32_t index = 0) {
    grid.ShowArticles(order, &board, index, mode, &members);
  }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&grid, Qt::Key(key), modifiers);
  }

  // Made before any widget.
  QApplication& app_ = test::ReadingApp();
  TMemberList members;
  TArticleGrid grid;
};

// R with replies: A (child of R) with B under it and C under B, then D, a later child of R.
void BuildDeepThread(TArticleList& board) {
  AddEntry(board, ArticleKindRoot, 1, -1, "R", 1024);
  AddEntry(board, ArticleKindRess, 2, 1, "A");
  AddEntry(board, ArticleKindRess, 3, 2, "B");
  AddEntry(board, ArticleKindRess, 4, 3, "C");
  AddEntry(board, ArticleKindRess, 5, 1, "D");
  AddEntry(board, ArticleKindRoot, 6, -1, "S");
  ASSERT_TRUE(board.SortArticles());
}

// A reply whose parent (key 5) is not in the log opens the tree under a placeholder.
void BuildLeadingPlaceholder(TArticleList& board) {
  AddEntry(board, ArticleKindRess, 10, 5, "orphan");
  AddEntry(board, ArticleKindRoot, 11, -1, "root");
  AddEntry(board, ArticleKindRess, 12, 11, "reply");
  ASSERT_TRUE(board.SortArticles());
  ASSERT_EQ(board.GetKind(ArticleSortTree, 0), ArticleKindMissingRoot);
}

TEST_F(ArticleGridTest, TreePrefixesAtDepthThreeWithFullWidthCharacters) {
  TArticleList board;
  BuildDeepThread(board);
  bool added = false;
  members.AddMember(1024, J("たろう"), J("たろう"), J("たろう"), false, added);
  Show(board, ArticleSortTree);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("<1>"));
  EXPECT_EQ(Cell(1, 0), QStringLiteral("├<2>"));
  EXPECT_EQ(Cell(2, 0), QStringLiteral("｜└<3>"));
  EXPECT_EQ(Cell(3, 0), QStringLiteral("｜　└<4>"));
  EXPECT_EQ(Cell(4, 0), QStringLiteral("└<5>"));
  EXPECT_EQ(Cell(5, 0), QStringLiteral("<6>"));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("1024:たろう"));
  EXPECT_EQ(Cell(3, 2), QStringLiteral("C"));
  // Posting order has no prefixes.
  Show(board, ArticleSortNormal);
  EXPECT_EQ(Cell(3, 0), QStringLiteral("<4>"));
  // Half-width characters.
  grid.TreeLineType = TreeLineChr1;
  Show(board, ArticleSortTree);
  EXPECT_EQ(Cell(3, 0), QStringLiteral("| +<4>"));
}

TEST_F(ArticleGridTest, LeadingPlaceholderIsSkippedBySelectFirstHomeAndClicks) {
  TArticleList board;
  BuildLeadingPlaceholder(board);
  QSignalSpy shown(&grid, &TArticleGrid::ArticleDisp);
  Show(board, ArticleSortTree);
  EXPECT_EQ(grid.Row(), 2);  // header row, placeholder, then the orphan
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(shown[0][1].toInt(), 1);
  EXPECT_EQ(board.GetReadFlag(ArticleSortTree, 0), 0);  // the placeholder is never read

  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 4);
  Press(Qt::Key_Home);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.TopRow(), 1);
  Press(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.Row(), 4);
  Press(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid.Row(), 2);

  // Clicking the placeholder changes nothing.
  shown.clear();
  const QRect placeholder = grid.visualRect(grid.model()->index(0, 0));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, placeholder.center());
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(shown.count(), 0);

  // Up under the placeholder leaves the board.
  QSignalSpy under(&grid, &TArticleGrid::RowUnder);
  Press(Qt::Key_Up);
  EXPECT_EQ(under.count(), 1);
  EXPECT_EQ(grid.Row(), 2);
}

TEST_F(ArticleGridTest, DownAndUpStepOverAPlaceholderInsideTheBoard) {
  TArticleList board;
  AddEntry(board, ArticleKindRoot, 10, -1, "first");
  AddEntry(board, ArticleKindRess, 20, 15, "orphan");  // parent 15 missing
  AddEntry(board, ArticleKindRoot, 30, -1, "last");
  ASSERT_TRUE(board.SortArticles());
  ASSERT_EQ(board.GetKind(ArticleSortTree, 1), ArticleKindMissingRoot);
  Show(board, ArticleSortTree);
  EXPECT_EQ(grid.CurrentPosition(), 0);
  Press(Qt::Key_Down);
  EXPECT_EQ(grid.CurrentPosition(), 2);
  Press(Qt::Key_Up);
  EXPECT_EQ(grid.CurrentPosition(), 0);
  // SelectIndex on the placeholder opens the row after it.
  Show(board, ArticleSortTree, TArticleGrid::SelectIndex, 1);
  EXPECT_EQ(grid.CurrentPosition(), 2);
}

TEST_F(ArticleGridTest, EndsOfTheBoardRaiseTheirEventsWithoutMoving) {
  TArticleList board;
  BuildDeepThread(board);
  QSignalSpy under(&grid, &TArticleGrid::RowUnder);
  QSignalSpy over(&grid, &TArticleGrid::RowOver);
  Show(board, ArticleSortNormal);
  Press(Qt::Key_Up);
  EXPECT_EQ(under.count(), 1);
  EXPECT_EQ(grid.CurrentPosition(), 0);
  Show(board, ArticleSortNormal, TArticleGrid::SelectLast);
  EXPECT_EQ(grid.CurrentPosition(), 5);
  Press(Qt::Key_Down);
  EXPECT_EQ(over.count(), 1);
  EXPECT_EQ(grid.CurrentPosition(), 5);
  // With modifiers Up is not the grid's board change.
  Show(board, ArticleSortNormal);
  Press(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(under.count(), 1);
}

TEST_F(ArticleGridTest, SelectingAnUnreadRowReadsItAndKeepsItsNewMarks) {
  TArticleList board;
  BuildDeepThread(board);
  Show(board, ArticleSortNormal, TArticleGrid::SelectIndex, 0);
  EXPECT_TRUE(grid.NoReadFlag());
  EXPECT_EQ(board.GetReadFlag(ArticleSortNormal, 0), 1);
  // Row 2 is unread and drawn in the unread colour; the current row is not coloured.
  EXPECT_EQ(grid.StateColor(2), grid.NoReadArticleColor);
  EXPECT_FALSE(grid.StateColor(0).isValid());
  ASSERT_TRUE(grid.SetRow(grid.FixedRows() + 2));
  EXPECT_TRUE(grid.NoReadFlag());
  EXPECT_EQ(board.GetReadFlag(ArticleSortNormal, 2), 1);
  EXPECT_EQ(board.GetNewFlag(ArticleSortNormal, 2), 1);
  EXPECT_EQ(Cell(2, 0), QStringLiteral("<3>"));
  ASSERT_TRUE(grid.SetRow(grid.FixedRows() + 1));
  EXPECT_FALSE(grid.StateColor(2).isValid());  // read now: the normal colour
  // Back on a read row: the flag tells it was read already; the same row again is refused.
  ASSERT_TRUE(grid.SetRow(grid.FixedRows() + 2));
  EXPECT_FALSE(grid.NoReadFlag());
  QSignalSpy shown(&grid, &TArticleGrid::ArticleDisp);
  EXPECT_FALSE(grid.SetRow(grid.FixedRows() + 2));
  EXPECT_EQ(shown.count(), 0);
}

TEST_F(ArticleGridTest, StateColoursOfPlaceholdersWritesAndBatchedBinaries) {
  TArticleList board;
  AddEntry(board, ArticleKindRess, 60, 50, "orphan");
  AddEntry(board, ArticleKindBinaryRoot, 61, -1, "binary");
  AddEntry(board, ArticleKindRoot, 62, -1, "plain");
  AddEntry(board, ArticleKindRoot, 63, -1, "write", -1, 1);
  ASSERT_TRUE(board.SortArticles());
  // Tree order: placeholder, orphan, binary, plain, write.
  ASSERT_EQ(board.OrderCount(ArticleSortTree), 5);
  board.SetBatchFlag(ArticleSortTree, 2, 1);
  Show(board, ArticleSortTree, TArticleGrid::SelectIndex, 3);
  EXPECT_EQ(grid.StateColor(0), grid.VirtualArticleColor);
  EXPECT_EQ(grid.StateColor(1), grid.NoReadArticleColor);
  EXPECT_EQ(grid.StateColor(2), grid.WriteArticleColor);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("-50-"));
  EXPECT_EQ(Cell(2, 0), QStringLiteral("S<61>"));
  EXPECT_FALSE(grid.StateColor(3).isValid());
  EXPECT_EQ(grid.StateColor(4), grid.WriteArticleColor);
  EXPECT_EQ(Cell(4, 0), QStringLiteral("[書込]"));
  grid.ColorEnabled = false;
  EXPECT_FALSE(grid.StateColor(0).isValid());
}

TEST_F(ArticleGridTest, AShorterBoardLeavesNoStaleRows) {
  TArticleList big;
  for (int32_t k = 1; k <= 60; ++k)
    AddEntry(big, ArticleKindRoot, k, -1, "big " + std::to_string(k));
  ASSERT_TRUE(big.SortArticles());
  TArticleList small;
  for (int32_t k = 1; k <= 3; ++k)
    AddEntry(small, ArticleKindRoot, k, -1, "small " + std::to_string(k));
  ASSERT_TRUE(small.SortArticles());
  Show(big, ArticleSortNormal, TArticleGrid::SelectLast);
  EXPECT_EQ(grid.RowCount(), 61);
  Show(small, ArticleSortNormal, TArticleGrid::SelectLast);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.model()->rowCount(), 3);
  EXPECT_EQ(Cell(2, 2), QStringLiteral("small 3"));
  EXPECT_FALSE(grid.model()->index(3, 2).isValid());
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(ArticleGridTest, AnEmptyBoardShowsOneEmptyRowAndReportsPositionZero) {
  TArticleList board;
  QSignalSpy shown(&grid, &TArticleGrid::ArticleDisp);
  Show(board, ArticleSortTree);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(Cell(0, 0), QString());
  EXPECT_EQ(Cell(0, 2), QString());
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(shown[0][0].toInt(), ArticleSortTree);
  EXPECT_EQ(shown[0][1].toInt(), 0);
  EXPECT_FALSE(grid.StateColor(0).isValid());
}

TEST_F(ArticleGridTest, SelectModes) {
  TArticleList board;
  AddEntry(board, ArticleKindRess, 10, 5, "orphan");
  AddEntry(board, ArticleKindRoot, 11, -1, "root");
  AddEntry(board, ArticleKindRess, 12, 11, "reply");
  AddEntry(board, ArticleKindRoot, 13, -1, "late");
  ASSERT_TRUE(board.SortArticles());
  ASSERT_EQ(board.OrderCount(ArticleSortTree), 5);
  // Tree: placeholder, orphan, root, reply, late. Read everything up to the reply.
  for (int32_t p = 0; p < 4; ++p)
    board.SetReadFlag(ArticleSortTree, p, 1, false);
  Show(board, ArticleSortTree, TArticleGrid::SelectFirstUnread);
  EXPECT_EQ(grid.CurrentPosition(), 4);
  Show(board, ArticleSortTree, TArticleGrid::SelectIndex, 400);
  EXPECT_EQ(grid.CurrentPosition(), 4);
  Show(board, ArticleSortTree, TArticleGrid::SelectLast);
  EXPECT_EQ(grid.CurrentPosition(), 4);
  // All read: the first row, skipping the placeholder.
  Show(board, ArticleSortTree, TArticleGrid::SelectFirstUnread);
  EXPECT_EQ(grid.CurrentPosition(), 1);
  // Posting order has no placeholder.
  board.SetReadFlag(ArticleSortNormal, 2, 0, false);
  Show(board, ArticleSortNormal, TArticleGrid::SelectFirstUnread);
  EXPECT_EQ(grid.CurrentPosition(), 2);
}

TEST_F(ArticleGridTest, TheOwnersKeyHandlerRunsFirstAndMayConsumeTheKey) {
  TArticleList board;
  BuildDeepThread(board);
  Show(board, ArticleSortNormal);
  std::vector<uint16_t> seen;
  QObject::connect(&grid, &TArticleGrid::KeyDown, [&](GridKeyDown* key) {
    if (key->VirtualKey < 16 || key->VirtualKey > 18) seen.push_back(key->VirtualKey);
    if (key->VirtualKey == 40 && key->Modifiers == Qt::ControlModifier) key->Handled = true;
  });
  Press(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(grid.CurrentPosition(), 0);
  Press(Qt::Key_Down);
  EXPECT_EQ(grid.CurrentPosition(), 1);
  Press(Qt::Key_Space);
  EXPECT_EQ(grid.CurrentPosition(), 1);
  Press(Qt::Key_M);
  EXPECT_EQ(seen, (std::vector<uint16_t>{40, 40, 32, 77}));

  // The unread key as the down key; an input method's committed blank counts as that key.
  grid.NoReadProcessDisable = true;
  Press(Qt::Key_Space);
  EXPECT_EQ(grid.CurrentPosition(), 2);
  QInputMethodEvent blank;
  blank.setCommitString(QString(QChar(0x3000)));
  QApplication::sendEvent(&grid, &blank);
  EXPECT_EQ(grid.CurrentPosition(), 3);
  EXPECT_EQ(seen.back(), 40);
}

TEST_F(ArticleGridTest, WithoutHeaderRowsArePositions) {
  TArticleList board;
  BuildDeepThread(board);
  grid.ResetGrid(false);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_TRUE(grid.horizontalHeader()->isHidden());
  Show(board, ArticleSortTree, TArticleGrid::SelectIndex, 3);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.RowCount(), 6);
  grid.ResetGrid(true);
  EXPECT_EQ(grid.Board(), nullptr);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST_F(ArticleGridTest, CenterCurrentRowKeepsAFullPageBelowTheTop) {
  TArticleList board;
  for (int32_t k = 1; k <= 200; ++k)
    AddEntry(board, ArticleKindRoot, k, -1, "t");
  ASSERT_TRUE(board.SortArticles());
  Show(board, ArticleSortNormal, TArticleGrid::SelectIndex, 100);
  const int32_t visible = grid.VisibleRowCount();
  ASSERT_GT(visible, 3);
  EXPECT_EQ(grid.TopRow(), grid.Row() - (visible - 1) / 2);
  Show(board, ArticleSortNormal, TArticleGrid::SelectLast);
  EXPECT_EQ(grid.Row(), 200);
  EXPECT_LE(grid.TopRow(), grid.Row());
  EXPECT_GT(grid.TopRow() + visible, grid.Row());
  Show(board, ArticleSortNormal, TArticleGrid::SelectIndex, 2);
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(ArticleGridTest, ClearRowsForgetsTheBoard) {
  TArticleList board;
  BuildDeepThread(board);
  Show(board, ArticleSortNormal);
  grid.ClearRows();
  EXPECT_EQ(grid.Board(), nullptr);
  EXPECT_EQ(grid.RowCount(), 2);
  QSignalSpy shown(&grid, &TArticleGrid::ArticleDisp);
  EXPECT_TRUE(grid.SetRow(1));
  EXPECT_EQ(shown.count(), 0);
  EXPECT_EQ(board.GetReadFlag(ArticleSortNormal, 1), 0);
}

TEST_F(ArticleGridTest, DisplaySettingsSetColumnsFontAndColours) {
  CommonSettings s;
  s.ArticleGridTitleNoSize = 90;
  s.ArticleGridTitleIDSize = 120;
  s.ArticleGridColorNoRead = clMaroon;
  s.ArticleGridRowHeightPlus = 3;
  s.ArticleGridTreeLineType = 7;  // nonsense: no tree characters
  grid.ApplyDisplaySettings(s, false);
  EXPECT_EQ(grid.Title1Size(), 90);
  EXPECT_EQ(grid.Title2Size(), 120);
  EXPECT_EQ(grid.NoReadArticleColor, QColor(0x80, 0, 0));
  EXPECT_EQ(grid.TreeLineType, TreeLineNone);
  EXPECT_FALSE(grid.HeaderRow());
  EXPECT_EQ(grid.font().family(), MapFontFamily(QtText(s.ArticleGridFontName)));
  EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), QFontMetrics(grid.font()).height() + 3);
}

// The grid's columns with the settings' default widths (150 and 150) in a grid of a width.
class GridColumnsTest : public ArticleGridTest {
 protected:
  void SetWidth(int width) {
    grid.ApplyDisplaySettings(CommonSettings(), true);
    grid.resize(width, 300);
    QCoreApplication::processEvents();
  }
  int Width(int column) const { return grid.columnWidth(column); }
  int TitleRoom() const {
    return grid.viewport()->width() - grid.columnViewportPosition(TArticleGridModel::ColumnTitle);
  }
  int FullWidth(int characters) const {
    return QFontMetrics(grid.font()).horizontalAdvance(QString(characters, QChar(0x3042)));
  }
};

TEST_F(GridColumnsTest, BesideTheViewTheTitleColumnKeepsReadableRoom) {
  // About the grid's width beside the view in a window of 800 pixels.
  SetWidth(320);
  EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
  EXPECT_GE(TitleRoom(), FullWidth(10));
  EXPECT_EQ(grid.columnViewportPosition(TArticleGridModel::ColumnTitle) +
                Width(TArticleGridModel::ColumnTitle),
            grid.viewport()->width());
  EXPECT_LT(Width(0), 150);
  EXPECT_LT(Width(1), 150);
  // The widths of the settings are what is kept, and what comes back in a wider grid.
  EXPECT_EQ(grid.Title1Size(), 150);
  EXPECT_EQ(grid.Title2Size(), 150);
  grid.resize(1000, 300);
  QCoreApplication::processEvents();
  EXPECT_EQ(Width(0), 150);
  EXPECT_EQ(Width(1), 150);
  EXPECT_EQ(Width(2), grid.viewport()->width() - 300 - Width(TArticleGridModel::ColumnFlag));
}

TEST_F(GridColumnsTest, AColumnTheUserWidensKeepsItsWidthAndTheTitleTakesTheRest) {
  SetWidth(800);
  grid.horizontalHeader()->resizeSection(TArticleGridModel::ColumnWriter, 260);
  EXPECT_EQ(grid.Title2Size(), 260);
  EXPECT_EQ(Width(TArticleGridModel::ColumnTitle),
            grid.viewport()->width() - 150 - 260 - Width(TArticleGridModel::ColumnFlag));
  // Too narrow for every column's least width: the grid scrolls sideways instead.
  grid.resize(120, 300);
  QCoreApplication::processEvents();
  EXPECT_TRUE(grid.horizontalScrollBar()->isVisible());
  EXPECT_GE(Width(TArticleGridModel::ColumnTitle), FullWidth(10));
}

// A chain of replies 40 deep: every row shows its whole number with its marks, the deep ones
// with the depth in front of the branches that fit.
TEST_F(GridColumnsTest, DeepThreadsKeepTheirNumbersVisible) {
  TArticleList board;
  AddEntry(board, ArticleKindRoot, 1, -1, "root");
  for (int32_t key = 2; key <= 41; ++key)
    AddEntry(board, ArticleKindRess, key, key - 1, "reply");
  ASSERT_TRUE(board.SortArticles());
  for (int width : {800, 300}) {
    SetWidth(width);
    grid.TreeLineType = TreeLineChr2;
    Show(board, ArticleSortTree);
    const QFontMetrics metrics(grid.font());
    for (int32_t p = 0; p <= 40; ++p) {
      const QString number = QStringLiteral("<%1>").arg(p + 1);
      const QString shown = grid.ShownNumberText(p);
      EXPECT_TRUE(shown.endsWith(number)) << width << ": " << shown.toStdString();
      EXPECT_LE(metrics.horizontalAdvance(shown), Width(0)) << width << ": " << shown.toStdString();
      // Rows that fit are shown as they are.
      if (metrics.horizontalAdvance(Cell(p, 0)) + 6 < Width(0)) {
        EXPECT_EQ(shown, Cell(p, 0));
      }
    }
    EXPECT_TRUE(grid.ShownNumberText(40).startsWith(QStringLiteral("40…"))) << width;
    EXPECT_TRUE(grid.ShownNumberText(40).contains(QStringLiteral("└<41>")));
    EXPECT_EQ(grid.model()->index(40, 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("ツリーの深さ 40"));
  }
}

}  // namespace
}  // namespace vorn
