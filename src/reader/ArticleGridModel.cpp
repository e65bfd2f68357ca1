#include "reader/ArticleGridModel.h"

#include <algorithm>

#include "analysis/DisplayTexts.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "store/ArticleList.h"

namespace vorn {

TArticleGridModel::TArticleGridModel(QObject* parent) : QAbstractTableModel(parent) {}

TArticleGridModel::~TArticleGridModel() = default;

void TArticleGridModel::ShowBoard(const TArticleList* board, int32_t order,
                                  const TMemberList* members, int32_t treeLineType) {
  beginResetModel();
  board_ = board;
  order_ = order == ArticleSortTree ? ArticleSortTree : ArticleSortNormal;
  rows_.reset();
  if (board_) {
    rows_ = std::make_unique<TArticleRows>(*board_, order_, members ? *members : noMembers_,
                                           treeLineType);
  }
  cachedRow_ = -1;
  endResetModel();
}

void TArticleGridModel::Clear() {
  beginResetModel();
  board_ = nullptr;
  rows_.reset();
  cachedRow_ = -1;
  endResetModel();
}

void TArticleGridModel::PositionChanged(int32_t position) {
  if (position < 0 || position >= rowCount()) return;
  if (position == cachedRow_) cachedRow_ = -1;
  emit dataChanged(index(position, 0), index(position, ColumnCount - 1));
}

void TArticleGridModel::SetTitles(const std::string& title1, const std::string& title2,
                                  const std::string& title3) {
  titles_ = {QtText(title1), QtText(title2), QtText(title3)};
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int32_t TArticleGridModel::PositionCount() const {
  return board_ ? board_->OrderCount(order_) : 0;
}

int TArticleGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  const int32_t n = PositionCount();
  return n > 0 ? n : 1;
}

int TArticleGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

const std::array<QString, TArticleGridModel::ColumnCount>& TArticleGridModel::Cells(int row) const {
  if (row != cachedRow_) {
    ArticleCells cells;
    if (rows_) rows_->ArticleCellTexts(row, cells);
    cached_ = {QtText(cells.Number), QtText(cells.Writer), QtText(cells.Title)};
    cachedRow_ = row;
  }
  return cached_;
}

QVariant TArticleGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() < 0 || index.column() >= ColumnCount) return {};
  if (role == Qt::DisplayRole) return Cells(index.row())[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  if (index.column() == ColumnNumber && (role == TreeDepthRole || role == Qt::ToolTipRole)) {
    const int32_t depth = TreeDepth(index.row());
    if (role == TreeDepthRole) return depth;
    if (depth > 0) return QStringLiteral("ツリーの深さ %1").arg(depth);
  }
  return {};
}

int32_t TArticleGridModel::TreeDepth(int row) const {
  if (!board_ || order_ != ArticleSortTree || row < 0 || row >= PositionCount()) return 0;
  return std::max<int32_t>(0, board_->GetLevel(order_, row));
}

QVariant TArticleGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
  if (role == Qt::DisplayRole) return titles_[static_cast<size_t>(section)];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags TArticleGridModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace vorn
