#pragma once

#include <QColor>
#include <QTableView>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "reader/ArticleGridModel.h"
#include "settings/CommonIniFile.h"
#include "threadview/GridRows.h"

class QFontMetrics;

namespace vorn {

class TArticleGridModel;
struct ColumnWant;
class TArticleList;
class TMemberList;
struct CommonSettings;

// A key press as the grid's owner sees it first. VirtualKey is the classic key code the
// grid's key settings use (32 Space, 36 Home, 38 Up, 40 Down, 65.. letters); 0 for keys
// without one. The owner sets Handled to consume the key.
struct GridKeyDown {
  int Key = 0;  // Qt::Key
  Qt::KeyboardModifiers Modifiers;
  uint16_t VirtualKey = 0;
  bool Handled = false;
};

// The number cell's text as it fits a width: a tree prefix too deep for the cell gives way to
// the depth in digits and the branches nearest the number, so that the number and its marks
// always show. depth is the number of tree characters the text begins with.
QString FitTreeNumberText(const QString& text, int depth, const QFontMetrics& metrics, int room);

// The classic key code of a Qt key (Space 32, PageUp 33 .. Down 40, Escape 27, Enter 13,
// Backspace 8, Shift 16, Control 17, Alt 18, digits and letters their ASCII upper-case codes,
// F1.. 112..); 0 for the others.
uint16_t ClassicKeyCode(int qtKey);

// The reading aids of the grid's owner: which rows a board shows (filters, hidden writers,
// collapsed threads), how a row looks, and opening a collapsed thread to show an article in it.
class TGridAids : public TGridRowLooks {
 public:
  virtual void BuildRows(const TArticleList& board, int32_t order, TGridRows& rows) = 0;
  // The article at the position lies in a collapsed thread: open it. True when a thread was
  // opened (the rows must be built again).
  virtual bool RevealPosition(const TArticleList& board, int32_t order, int32_t position) = 0;
};

// The list of a board's articles: one row per position of the order in use, the reply tree
// drawn in front of the numbers, rows coloured by state, placeholder rows never selectable,
// an article marked read when its row is selected. With reading aids (SetAids) a row stands
// for the position the aids' row list names: filters leave rows out and collapsed threads
// fold; without them, and while they hide nothing, row and position are the same.
//
// Rows are counted as the owner counts them: when the header row is shown it is row 0 and
// the article at row r of the list is row r + 1 (FixedRows() is the offset), otherwise row r.
class TArticleGrid final : public QTableView {
  Q_OBJECT
 public:
  enum TSelectMode : int32_t {
    SelectFirst = 0,
    SelectLast = 1,
    SelectFirstUnread = 2,
    SelectIndex = 3
  };

  explicit TArticleGrid(QWidget* parent = nullptr);
  ~TArticleGrid() override;

  // Forgets the board and the members, shows the header row or not, sets the columns (the
  // title column taking the width the others leave), the row height and the tree characters,
  // and leaves one empty row.
  void ResetGrid(bool header);
  // One empty row. The board is forgotten too, so nothing the grid does afterwards can reach
  // a board its owner is about to free.
  void ClearRows();
  // Shows a board in an order and selects a row by the select mode; the selected row is then
  // accepted as if the user had chosen it (read mark, ArticleDisp).
  void ShowArticles(int32_t order, TArticleList* board, int32_t index, TSelectMode mode,
                    TMemberList* members);
  // Scrolls the current row to the middle of the view, unless that would leave less than a
  // page of rows below the top row.
  void CenterCurrentRow(int32_t firstDataRow);

  // The grid part of the common settings (section ArticleGrid): tree characters, colours,
  // font, row spacing, titles and column widths, then ResetGrid(header). The owner shows its
  // board again afterwards.
  void ApplyDisplaySettings(const CommonSettings& settings, bool header);

  // Rows as the owner counts them (see above).
  int32_t Row() const;
  // Makes a row current through the selection rules; false when it is refused.
  bool SetRow(int32_t row);
  int32_t TopRow() const;
  void SetTopRow(int32_t row);
  int32_t RowCount() const;
  int32_t FixedRows() const { return headerRow_ ? 1 : 0; }
  // Rows that fit the view completely.
  int32_t VisibleRowCount() const;
  // The position of the current row; for the empty row of a board without entries 0, of a
  // board whose entries are all filtered out -1.
  int32_t CurrentPosition() const;
  // Makes the row of a position current through the selection rules, opening the collapsed
  // thread it lies in; a position the filters hide gives the nearest row above it.
  bool SelectPosition(int32_t position);

  // The reading aids (null: none). The owner shows the board again afterwards.
  void SetAids(TGridAids* aids) { aids_ = aids; }
  // The rows of the board shown.
  const TGridRows& Rows() const { return rows_; }
  // The rows built again after the aids changed, the current article kept where it still shows.
  // Where it does not, the nearest row above becomes current: through the selection rules
  // when selectNearest is set (a thread folded away under the cursor), otherwise only as the
  // cursor, without reading it (a filter typed), and the article is no longer displayed.
  void RefreshRows(bool selectNearest);
  // Every row is painted again (marks of many articles changed).
  void RepaintRows();
  // A key pressed elsewhere (the article view) given to the grid's owners as if it had been
  // pressed on the grid, without the grid's own movement; true when one of them took it.
  bool OwnerKey(int qtKey, Qt::KeyboardModifiers modifiers);
  // Where the pop-up of the current row opens from the keyboard (viewport coordinates).
  QPoint PopupPoint() const;

  TArticleList* Board() const { return board_; }
  int32_t Order() const { return order_; }
  TMemberList* Members() const { return members_; }
  bool HeaderRow() const { return headerRow_; }
  // The width of column 0 / 1 as the settings or the user last gave it; the columns are
  // narrower while the grid is too narrow for them and a readable title. The value set is
  // used by the next ResetGrid.
  int32_t Title1Size() const { return title1Size_; }
  int32_t Title2Size() const { return title2Size_; }
  void SetTitle1Size(int32_t width) { title1Size_ = width; }
  void SetTitle2Size(int32_t width) { title2Size_ = width; }
  // The columns' widths for the grid's width now (see FitColumns): the title column takes
  // what the others leave, and they give way to it down to their least readable width.
  void FitColumnWidths();
  // The number cell of a row as it is drawn at the column's width now.
  QString ShownNumberText(int modelRow) const;
  // Set by the last accepted row selection when its article had been unread.
  bool NoReadFlag() const { return noReadFlag_; }
  // The colour a row's text is drawn in, or an invalid colour for the normal one.
  QColor StateColor(int modelRow) const;

  std::string Title1 = "No";
  std::string Title2 = "ID:Handle";
  std::string Title3 = "Title";
  int32_t RowHeightPlus = 0;
  QColor VirtualArticleColor = Qt::blue;
  QColor WriteArticleColor = Qt::red;
  QColor NoReadArticleColor = Qt::gray;
  // The text of ignored writers' rows, while they are greyed rather than hidden.
  QColor IgnoredArticleColor = Qt::lightGray;
  bool ColorEnabled = true;
  // The unread key moves down like the down key, and SelectFirstUnread acts as SelectFirst.
  bool NoReadProcessDisable = false;
  uint16_t KeyCodeNoRead = 32;
  uint16_t KeyCodeHome = 36;
  uint16_t KeyCodeUp = 38;
  uint16_t KeyCodeDown = 40;
  TTreeLineType TreeLineType = TreeLineNone;

 signals:
  // Up was pressed on the first article row.
  void RowUnder();
  // Down was pressed on the last row.
  void RowOver();
  // A row other than a placeholder became current (position 0 of an empty board included).
  void ArticleDisp(int32_t order, int32_t index);
  // Every key press, before the grid moves; set Handled to consume it.
  void KeyDown(vorn::GridKeyDown* key);
  // The tree's lines (or a collapsed thread's mark) in front of a number were clicked.
  void TreeLineClicked(int32_t position);
  // The rows were built again (a board shown, the aids changed).
  void RowsChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  // The selection rules: refuses the current row again and placeholder rows, marks an unread
  // article read, makes the row current and raises ArticleDisp.
  bool SelectCell(int32_t row);
  // Makes a model row current without the rules (while filling).
  void SetCurrentModelRow(int modelRow);
  void HandleKey(int qtKey, Qt::KeyboardModifiers modifiers);
  bool NormalMovement(int qtKey, Qt::KeyboardModifiers modifiers);
  bool IsPlaceholder(int32_t position) const;
  bool IsPlaceholderRow(int modelRow) const;
  int32_t PositionCount() const;
  int32_t FirstRowOfBoard() const;
  void BuildRows();
  void FlagColumnFirst();
  // The model row showing a position, opening its collapsed thread; the nearest row above for a
  // position the filters hide.
  int ModelRowForPosition(int32_t position);
  int CurrentModelRow() const;
  bool OnTreeLine(const QPoint& point, int32_t& position) const;
  int RowHeight() const;
  // Lays out the rows now, so that the scroll range is right before the grid is shown again.
  void SettleLayout();
  std::vector<ColumnWant> ColumnWants() const;
  // A column the user resized keeps that width; the title column takes the rest.
  void ColumnResizedByUser(int column, int width);
  void SetColumnWidthsQuietly(const std::vector<int32_t>& widths);

  TArticleGridModel* model_;
  TGridAids* aids_ = nullptr;
  TGridRows rows_;
  TArticleList* board_ = nullptr;
  TMemberList* members_ = nullptr;
  int32_t order_ = 0;
  bool headerRow_ = true;
  bool filling_ = false;
  bool noReadFlag_ = false;
  int32_t lastRow_ = -1;
  int32_t title1Size_ = 64;
  int32_t title2Size_ = 64;
  // Widths the user gave columns other than the first two and the title.
  std::map<int, int32_t> otherSizes_;
  bool fittingColumns_ = false;
};

}  // namespace vorn
