#include "reader/ArticleGridModel.h"

#include <algorithm>

#include "analysis/DisplayTexts.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "store/ArticleList.h"
#include "threadview/GridRows.h"

namespace vorn {
namespace {

const QString kCollapsedMark = QStringLiteral("＋");
const QString kFlagMark = QStringLiteral("★");

}  // namespace

TArticleGridModel::TArticleGridModel(QObject* parent) : QAbstractTableModel(parent) {}

TArticleGridModel::~TArticleGridModel() = default;

void TArticleGridModel::ShowBoard(const TArticleList* board, int32_t order,
                                  const TMemberList* members, int32_t treeLineType,
                                  const TGridRows* rows, const TGridRowLooks* looks) {
  beginResetModel();
  board_ = board;
  order_ = order == ArticleSortTree ? ArticleSortTree : ArticleSortNormal;
  rows_.reset();
  gridRows_ = board_ ? rows : nullptr;
  looks_ = looks;
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
  gridRows_ = nullptr;
  cachedRow_ = -1;
  endResetModel();
}

void TArticleGridModel::PositionChanged(int32_t position) {
  const int row = gridRows_ ? gridRows_->View().RowOf(position) : position;
  if (row < 0 || row >= rowCount()) return;
  if (row == cachedRow_) cachedRow_ = -1;
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TArticleGridModel::AllChanged() {
  cachedRow_ = -1;
  emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void TArticleGridModel::SetTitles(const std::string& title1, const std::string& title2,
                                  const std::string& title3) {
  titles_ = {QtText(title1), QtText(title2), QtText(title3), kFlagMark};
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int32_t TArticleGridModel::PositionCount() const {
  return board_ ? board_->OrderCount(order_) : 0;
}

int32_t TArticleGridModel::PositionOfRow(int row) const {
  if (!board_) return -1;
  if (gridRows_) return gridRows_->View().PositionAt(row);
  return row >= 0 && row < PositionCount() ? row : -1;
}

int TArticleGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  const int32_t n = gridRows_ ? gridRows_->View().RowCount() : PositionCount();
  return n > 0 ? n : 1;
}

int TArticleGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QString TArticleGridModel::NumberPrefix(int row) const {
  const int32_t position = PositionOfRow(row);
  if (position < 0 || !rows_) return {};
  if (gridRows_ && gridRows_->View().CollapsedThreadAt(row).Valid()) return kCollapsedMark;
  return QtText(rows_->TreePrefix(position));
}

const std::array<QString, TArticleGridModel::ColumnCount>& TArticleGridModel::Cells(int row) const {
  if (row != cachedRow_) {
    ArticleCells cells;
    const int32_t position = PositionOfRow(row);
    if (rows_) rows_->ArticleCellTexts(position, cells);
    cached_ = {QtText(cells.Number), QtText(cells.Writer), QtText(cells.Title), QString()};
    const ThreadExtent thread =
        gridRows_ ? gridRows_->View().CollapsedThreadAt(row) : ThreadExtent{};
    if (thread.Valid()) {
      // The mark takes the place of the tree's lines, which a thread's first entry never has.
      cached_[ColumnNumber].prepend(kCollapsedMark);
      const ThreadCounts counts = gridRows_->CountsOf(*board_, thread);
      cached_[ColumnTitle] +=
          QStringLiteral("　（レス%1件・未読%2件）").arg(counts.Replies).arg(counts.Unread);
    }
    if (looks_ && board_ && position >= 0 && looks_->Flagged(*board_, order_, position))
      cached_[ColumnFlag] = kFlagMark;
    cachedRow_ = row;
  }
  return cached_;
}

QVariant TArticleGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() < 0 || index.column() >= ColumnCount) return {};
  if (role == Qt::DisplayRole) return Cells(index.row())[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) {
    const Qt::Alignment horizontal =
        index.column() == ColumnFlag ? Qt::AlignHCenter : Qt::AlignLeft;
    return QVariant::fromValue(horizontal | Qt::AlignVCenter);
  }
  if (role == Qt::BackgroundRole && looks_ && board_) {
    const int32_t position = PositionOfRow(index.row());
    if (position >= 0 && looks_->RowMark(*board_, order_, position) == WriterMark::Watched)
      return looks_->WatchedColor();
  }
  if (index.column() == ColumnNumber && (role == TreeDepthRole || role == Qt::ToolTipRole)) {
    const int32_t depth = TreeDepth(index.row());
    if (role == TreeDepthRole) return depth;
    if (depth > 0) return QStringLiteral("ツリーの深さ %1").arg(depth);
  }
  return {};
}

int32_t TArticleGridModel::TreeDepth(int row) const {
  if (!board_ || order_ != ArticleSortTree) return 0;
  const int32_t position = PositionOfRow(row);
  if (position < 0) return 0;
  return std::max<int32_t>(0, board_->GetLevel(order_, position));
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
