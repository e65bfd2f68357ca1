#include "reader/BoardView.h"

#include <QBrush>
#include <QTableWidget>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogList.h"
#include "dialogs/QtSupport.h"
#include "reader/DisplayMapping.h"
#include "reader/MainCommands.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "text/CommonSub.h"

namespace vorn {

TBoardView::TBoardView(TVornExplMain& window, QTableWidget* grid, QTextEdit* view)
    : QObject(&window), w_(window), grid_(grid), view_(view) {
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
    if (row != previous) RowChanged(row);
  });
}

TArticleList* TBoardView::Articles(int32_t board) const {
  TBBSProcess* p = w_.CurrentAnalyser();
  return p ? p->Boards.GetArticles(board) : nullptr;
}

void TBoardView::Clear() {
  filling_ = true;
  grid_->setRowCount(0);
  filling_ = false;
  view_->clear();
  board_ = -1;
}

int32_t TBoardView::CurrentPosition() const {
  return board_ < 0 ? -1 : grid_->currentRow();
}

void TBoardView::ShowBoard(int32_t board, int32_t position) {
  TArticleList* list = Articles(board);
  board_ = list ? board : -1;
  const int32_t order = w_.TreeOrder;
  const int32_t count = list ? list->OrderCount(order) : 0;
  const TCommonIniFile& c = w_.CommonIni();
  filling_ = true;
  grid_->setRowCount(0);
  grid_->setRowCount(count);
  if (list) {
    TArticleRows rows(*list, order, w_.CurrentAnalyser()->Members, c.ArticleGridTreeLineType);
    ArticleCells cells;
    for (int32_t i = 0; i < count; ++i) {
      rows.ArticleCellTexts(i, cells);
      const QString texts[3] = {QtText(cells.Number), QtText(cells.Writer), QtText(cells.Title)};
      for (int col = 0; col < 3; ++col) {
        auto* item = new QTableWidgetItem(texts[col]);
        if (c.ArticleGridColor) {
          if (list->GetKind(order, i) == ArticleKindMissingRoot) {
            item->setForeground(QtColor(c.ArticleGridColorVirtual));
          } else if (list->GetWriteFlag(order, i)) {
            item->setForeground(QtColor(c.ArticleGridColorWrite));
          } else if (!list->GetReadFlag(order, i)) {
            item->setForeground(QtColor(c.ArticleGridColorNoRead));
          }
        }
        grid_->setItem(i, col, item);
      }
    }
  }
  filling_ = false;
  if (count == 0) {
    view_->clear();
    DisplayArticle(0);
    return;
  }
  if (position < 0) {
    position = 0;
    if (count > 1 && list->GetKind(order, 0) == ArticleKindMissingRoot) position = 1;
  }
  position = std::min(position, count - 1);
  if (grid_->currentRow() == position) {
    RowChanged(position);
  } else {
    grid_->setCurrentCell(position, 0);
  }
  grid_->scrollToItem(grid_->item(position, 0), QAbstractItemView::PositionAtCenter);
}

void TBoardView::RowChanged(int row) {
  if (filling_ || board_ < 0 || row < 0) return;
  TArticleList* list = Articles(board_);
  if (!list) return;
  const int32_t order = w_.TreeOrder;
  if (row < list->OrderCount(order) && list->GetKind(order, row) != ArticleKindMissingRoot &&
      !list->GetReadFlag(order, row)) {
    list->SetReadFlag(order, row, 1, false);
    for (int col = 0; col < 3; ++col) {
      if (QTableWidgetItem* item = grid_->item(row, col)) item->setForeground(QBrush());
    }
  }
  DisplayArticle(row);
}

void TBoardView::DisplayArticle(int32_t position) {
  TMainCommands& commands = w_.Commands();
  w_.SetStatusText(0, QString());
  TArticleList* list = Articles(board_);
  const int32_t order = w_.TreeOrder;
  if (!list || list->OrderCount(order) == 0) {
    view_->clear();
    for (const char* name : {"MenuArticleCut", "MenuBoardOut", "MenuPrint"}) {
      commands.SetEnabled(name, false);
    }
    return;
  }
  commands.SetEnabled("MenuBoardOut", true);
  const ArticleViewText article = ArticleViewLines(list, order, position, w_.LogList());
  const bool any = article.Result == ArticleViewText::Text;
  const std::vector<std::string>& lines = article.Lines;
  view_->clear();
  if (any) {
    const TCommonIniFile& c = w_.CommonIni();
    QString text;
    for (const std::string& line : lines) {
      std::string_view bare = line;
      while (!bare.empty() && (bare.back() == '\r' || bare.back() == '\n'))
        bare.remove_suffix(1);
      std::string shown = c.ArticleEditESCCut ? StripEscapeSequences(bare) : std::string(bare);
      if (c.ArticleEditReturn) shown = WrapText(ExpandTabs(shown, 8), 80);
      text += QtMessageText(shown) + QLatin1Char('\n');
    }
    QTextCursor cursor(view_->document());
    QTextCharFormat plain;
    plain.setForeground(QtColor(c.ArticleEditFontColor));
    cursor.insertText(text, plain);
    QTextCharFormat marker = plain;
    if (c.ArticleEditColor) marker.setForeground(QtColor(c.ArticleEditEOFColor));
    cursor.insertText(QStringLiteral("[EOF]"), marker);
    view_->moveCursor(QTextCursor::Start);
  }
  commands.SetEnabled("MenuArticleCut", any);
  commands.SetEnabled("MenuPrint", any);
  if (!w_.AddingLogs) {
    w_.SavedPosition = {list, list->GetKind(order, position), list->GetKey(order, position),
                        list->GetPostTime(order, position)};
  }
}

bool TBoardView::SelectFirstNew() {
  TBBSProcess* p = w_.CurrentAnalyser();
  if (!p) return false;
  const int32_t order = w_.TreeOrder;
  for (int32_t b = 0; b < p->Boards.Count(); ++b) {
    const TArticleList* list = p->Boards.GetArticles(b);
    if (!list) continue;
    const int32_t count = list->OrderCount(order);
    for (int32_t j = 0; j < count; ++j) {
      if (list->GetNewFlag(order, j) != 1) continue;
      int32_t found = j;
      if (list->GetKind(order, j) == ArticleKindMissingRoot) {
        if (j + 1 >= count || list->GetNewFlag(order, j + 1) != 1) continue;
        found = j + 1;
      }
      w_.SelectBoardInList(b);
      ShowBoard(b, found);
      return true;
    }
  }
  return false;
}

void TBoardView::RestoreArticlePosition() {
  TBBSProcess* p = w_.CurrentAnalyser();
  const ArticlePosition saved = w_.SavedPosition;
  if (p && saved.Board) {
    for (int32_t b = 0; b < p->Boards.Count(); ++b) {
      TArticleList* list = p->Boards.GetArticles(b);
      if (list != saved.Board) continue;
      const int32_t order = w_.TreeOrder;
      int32_t position = 0;
      for (int32_t j = 0; j < list->OrderCount(order); ++j) {
        if (list->GetKey(order, j) == saved.ArticleKey &&
            list->GetPostTime(order, j) == saved.PostTime) {
          position = j;
          break;
        }
      }
      w_.SelectBoardInList(b);
      ShowBoard(b, position);
      grid_->setFocus();
      break;
    }
  }
  w_.AddingLogs = false;
}

}  // namespace vorn
