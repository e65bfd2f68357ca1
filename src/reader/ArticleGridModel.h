#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "store/MemberList.h"

namespace vorn {

class TArticleList;
class TArticleRows;

// The rows of the article grid: one per position of the order in use, its cells computed when
// the view asks for them, so that a board of any size costs only the rows on the screen. A
// board without positions, or no board at all, shows one empty row.
//
// The model reads the board and the member list; it never owns or changes them. Whoever
// frees or re-sorts them must show something else (ShowBoard or Clear) first.
class TArticleGridModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column : int { ColumnNumber, ColumnWriter, ColumnTitle, ColumnCount };
  // The depth of a row in the reply tree (0 in posting order), asked of the number column:
  // its text begins with that many tree characters.
  static constexpr int TreeDepthRole = Qt::UserRole + 1;

  explicit TArticleGridModel(QObject* parent = nullptr);
  ~TArticleGridModel() override;

  // Shows the positions of one order of a board. members may be null (no handles then).
  void ShowBoard(const TArticleList* board, int32_t order, const TMemberList* members,
                 int32_t treeLineType);
  // Back to one empty row and no board.
  void Clear();
  // The cells of a position changed (its read mark): the view repaints that row.
  void PositionChanged(int32_t position);

  // Header texts of the three columns (CP932).
  void SetTitles(const std::string& title1, const std::string& title2, const std::string& title3);

  const TArticleList* Board() const { return board_; }
  int32_t Order() const { return order_; }
  // Positions of the order shown; 0 without a board.
  int32_t PositionCount() const;
  // The reply-tree depth of a row (see TreeDepthRole).
  int32_t TreeDepth(int row) const;

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
  std::array<QString, ColumnCount> titles_;
  mutable int cachedRow_ = -1;
  mutable std::array<QString, ColumnCount> cached_;
};

}  // namespace vorn
