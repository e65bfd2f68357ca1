#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "store/MemberList.h"
#include "threadview/WriterLists.h"

namespace vorn {

class TArticleList;
class TArticleRows;
class TGridRows;

// What the reading aids add to the look of a row: the flag mark and the writer's mark.
class TGridRowLooks {
 public:
  virtual ~TGridRowLooks() = default;
  virtual bool Flagged(const TArticleList& board, int32_t order, int32_t position) const = 0;
  // The mark of a row: watched or ignored, by its writer or by its thread (ignoring wins).
  virtual WriterMark RowMark(const TArticleList& board, int32_t order, int32_t position) const = 0;
  // The background of watched writers' and threads' rows.
  virtual QColor WatchedColor() const = 0;
};

// The rows of the article grid: one per row of the grid's row list (every position of the order
// in use, unless the reading aids hide some or fold threads), the cells computed when the view
// asks for them, so that a board of any size costs only the rows on the screen. A board
// without rows, or no board at all, shows one empty row.
//
// Columns 0 to 2 are the number, the writer and the title; column 3 holds the flag mark, and
// the grid shows it first. A collapsed thread's first row carries "＋" before its number and
// its counts after its title.
//
// The model reads the board, the member list and the row list; it never owns or changes them.
// Whoever frees or re-sorts them must show something else (ShowBoard or Clear) first.
class TArticleGridModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column : int { ColumnNumber, ColumnWriter, ColumnTitle, ColumnFlag, ColumnCount };
  // The depth of a row in the reply tree (0 in posting order), asked of the number column:
  // its text begins with that many tree characters.
  static constexpr int TreeDepthRole = Qt::UserRole + 1;

  explicit TArticleGridModel(QObject* parent = nullptr);
  ~TArticleGridModel() override;

  // Shows the rows of one order of a board. members may be null (no handles then); rows must
  // have been built for this board and order; looks may be null.
  void ShowBoard(const TArticleList* board, int32_t order, const TMemberList* members,
                 int32_t treeLineType, const TGridRows* rows, const TGridRowLooks* looks);
  // Back to one empty row and no board.
  void Clear();
  // The cells of a position changed (its read mark, its flag): the view repaints its row.
  void PositionChanged(int32_t position);
  // Every row may look different (marks of many articles changed).
  void AllChanged();

  // Header texts of the three columns (CP932).
  void SetTitles(const std::string& title1, const std::string& title2, const std::string& title3);

  const TArticleList* Board() const { return board_; }
  int32_t Order() const { return order_; }
  // Positions of the order shown; 0 without a board.
  int32_t PositionCount() const;
  // The reply-tree depth of a row (see TreeDepthRole).
  int32_t TreeDepth(int row) const;
  // The position a row stands for, -1 for none.
  int32_t PositionOfRow(int row) const;
  // What the number cell of a row shows before the number: the reply tree's lines, or the
  // collapsed thread's mark.
  QString NumberPrefix(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // The view asks for the cells of one row one after another; the row's texts are made once.
  const std::array<QString, ColumnCount>& Cells(int row) const;

  const TArticleList* board_ = nullptr;
  int32_t order_ = 0;
  TMemberList noMembers_{false};
  std::unique_ptr<TArticleRows> rows_;
  const TGridRows* gridRows_ = nullptr;
  const TGridRowLooks* looks_ = nullptr;
  std::array<QString, ColumnCount> titles_;
  mutable int cachedRow_ = -1;
  mutable std::array<QString, ColumnCount> cached_;
};

}  // namespace vorn
