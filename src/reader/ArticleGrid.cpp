#include "reader/ArticleGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleGridModel.h"
#include "readerlogic/ColumnFit.h"
#include "store/ArticleList.h"

namespace vorn {
namespace {

// The room the style leaves on each side of a cell's text.
int TextMargin(const QWidget& widget) {
  return widget.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &widget) + 1;
}

// Draws a row's text in its state colour. The current row keeps the selection colours.
class TArticleGridDelegate final : public QStyledItemDelegate {
 public:
  explicit TArticleGridDelegate(TArticleGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  // The text a cell of the given width is drawn with.
  QString DrawnText(const QModelIndex& index, int width) const {
    QStyleOptionViewItem option;
    option.initFrom(&grid_);
    option.rect = QRect(0, 0, width, 20);
    initStyleOption(&option, index);
    return option.text;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    // The whole row is the cursor; a focus frame around one cell of it would only mislead.
    option->state &= ~QStyle::State_HasFocus;
    if (index.column() == TArticleGridModel::ColumnNumber) {
      const int depth = index.data(TArticleGridModel::TreeDepthRole).toInt();
      if (depth > 0) {
        option->text = FitTreeNumberText(option->text, depth, option->fontMetrics,
                                         option->rect.width() - 2 * TextMargin(grid_));
      }
    }
    const QColor color = grid_.StateColor(index.row());
    if (color.isValid()) {
      option->palette.setColor(QPalette::Text, color);
      option->palette.setColor(QPalette::Inactive, QPalette::Text, color);
    }
  }

 private:
  TArticleGrid& grid_;
};

bool IsBinaryArticle(uint8_t kind) {
  return kind == ArticleKindBinaryRoot || kind == ArticleKindBinaryRess;
}

}  // namespace

QString FitTreeNumberText(const QString& text, int depth, const QFontMetrics& metrics, int room) {
  depth = std::clamp(depth, 0, int(text.size()));
  if (depth == 0 || metrics.horizontalAdvance(text) <= room) return text;
  const QString number = text.mid(depth);
  const QString depthMark = QString::number(depth) + QChar(0x2026);  // "…"
  const int left = room - metrics.horizontalAdvance(depthMark) - metrics.horizontalAdvance(number);
  // The branches nearest the number, as many as fit; at least the one that leads to it.
  int kept = 1;
  while (kept < depth && metrics.horizontalAdvance(text.mid(depth - kept - 1, kept + 1)) <= left)
    ++kept;
  return depthMark + text.mid(depth - kept, kept) + number;
}

uint16_t ClassicKeyCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      break;
  }
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return static_cast<uint16_t>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return static_cast<uint16_t>(112 + (qtKey - Qt::Key_F1));
  return 0;
}

TArticleGrid::TArticleGrid(QWidget* parent)
    : QTableView(parent), model_(new TArticleGridModel(this)) {
  setModel(model_);
  setItemDelegate(new TArticleGridDelegate(*this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // The title column takes what the others leave; only a grid too narrow for the columns'
  // least widths scrolls sideways.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setShowGrid(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  // Every key must reach the grid as a key press: an input method would swallow the command
  // letters and the unread key while it composes.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int column, int, int width) { ColumnResizedByUser(column, width); });
  ResetGrid(true);
}

TArticleGrid::~TArticleGrid() = default;

int TArticleGrid::RowHeight() const {
  return std::max(1, QFontMetrics(font()).height() + RowHeightPlus);
}

void TArticleGrid::SettleLayout() {
  executeDelayedItemsLayout();
  updateGeometries();
}

void TArticleGrid::ResetGrid(bool header) {
  board_ = nullptr;
  members_ = nullptr;
  headerRow_ = header;
  NoReadProcessDisable = false;
  filling_ = false;
  noReadFlag_ = false;
  model_->SetTitles(Title1, Title2, Title3);
  model_->Clear();
  rows_.ShowAll(0, order_);
  FlagColumnFirst();
  horizontalHeader()->setVisible(header);
  // The title column follows the others; its right edge is the grid's.
  horizontalHeader()->setSectionResizeMode(TArticleGridModel::ColumnTitle, QHeaderView::Fixed);
  FitColumnWidths();
  const int height = RowHeight();
  verticalHeader()->setDefaultSectionSize(height);
  horizontalHeader()->setFixedHeight(height + 4);
  SetCurrentModelRow(0);
  lastRow_ = -1;
  SettleLayout();
}

void TArticleGrid::ClearRows() {
  board_ = nullptr;
  members_ = nullptr;
  filling_ = false;
  model_->Clear();
  rows_.ShowAll(0, order_);
  SetCurrentModelRow(0);
  lastRow_ = -1;
  SettleLayout();
}

int32_t TArticleGrid::PositionCount() const {
  return board_ ? board_->OrderCount(order_) : 0;
}

bool TArticleGrid::IsPlaceholder(int32_t position) const {
  return board_ && position >= 0 && position < PositionCount() &&
         board_->GetKind(order_, position) == ArticleKindMissingRoot;
}

bool TArticleGrid::IsPlaceholderRow(int modelRow) const {
  return IsPlaceholder(rows_.View().PositionAt(modelRow));
}

int32_t TArticleGrid::FirstRowOfBoard() const {
  return IsPlaceholderRow(0) && rows_.View().RowCount() > 1 ? 1 : 0;
}

int TArticleGrid::CurrentModelRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : 0;
}

int32_t TArticleGrid::CurrentPosition() const {
  if (!board_ || PositionCount() == 0) return Row() - FixedRows();
  return rows_.View().PositionAt(CurrentModelRow());
}

void TArticleGrid::BuildRows() {
  if (board_ && aids_) {
    aids_->BuildRows(*board_, order_, rows_);
  } else {
    rows_.ShowAll(PositionCount(), order_);
  }
  model_->ShowBoard(board_, order_, members_, TreeLineType, &rows_, aids_);
  FlagColumnFirst();
}

void TArticleGrid::FlagColumnFirst() {
  // The model keeps the three classic columns first; on the screen the flag comes first. A
  // reset of the model may put the columns back in model order.
  QHeaderView* header = horizontalHeader();
  if (header->visualIndex(TArticleGridModel::ColumnFlag) != 0)
    header->moveSection(header->visualIndex(TArticleGridModel::ColumnFlag), 0);
}

int TArticleGrid::ModelRowForPosition(int32_t position) {
  int row = rows_.View().RowOf(position);
  if (row < 0 && board_ && aids_ && position >= 0 && position < PositionCount() &&
      aids_->RevealPosition(*board_, order_, position)) {
    BuildRows();
    emit RowsChanged();
    row = rows_.View().RowOf(position);
  }
  return row >= 0 ? row : std::max(0, rows_.View().RowAtOrBefore(position));
}

void TArticleGrid::ShowArticles(int32_t order, TArticleList* board, int32_t index, TSelectMode mode,
                                TMemberList* members) {
  order_ = order == ArticleSortTree ? ArticleSortTree : ArticleSortNormal;
  board_ = board;
  members_ = members;
  filling_ = true;
  lastRow_ = -1;
  setUpdatesEnabled(false);
  BuildRows();
  emit RowsChanged();

  if (mode == SelectFirstUnread && NoReadProcessDisable) mode = SelectFirst;
  int32_t target = 0;
  switch (mode) {
    case SelectFirst:
      target = FirstRowOfBoard();
      break;
    case SelectLast:
      target = model_->rowCount() - 1;
      break;
    case SelectFirstUnread: {
      // An unread article in a collapsed thread opens it.
      const int32_t unread = board_ ? rows_.NextUnread(*board_, -1) : -1;
      target = unread >= 0 ? ModelRowForPosition(unread) : FirstRowOfBoard();
      break;
    }
    case SelectIndex:
      target = board_ && index >= 0 && index < PositionCount()
                   ? ModelRowForPosition(index)
                   : std::clamp(index, 0, model_->rowCount() - 1);
      if (IsPlaceholderRow(target) && target < model_->rowCount() - 1) ++target;
      break;
  }
  SetCurrentModelRow(target);
  SettleLayout();
  CenterCurrentRow(FixedRows());
  setUpdatesEnabled(true);
  viewport()->update();
  filling_ = false;
  lastRow_ = -1;
  SelectCell(FixedRows() + target);
}

void TArticleGrid::CenterCurrentRow(int32_t firstDataRow) {
  const int32_t visible = VisibleRowCount();
  if (visible <= 0) return;
  int32_t top = Row() - (visible - 1) / 2;
  if (top < firstDataRow) top = firstDataRow;
  if (RowCount() - top >= visible && top != TopRow()) SetTopRow(top);
}

void TArticleGrid::ApplyDisplaySettings(const CommonSettings& s, bool header) {
  const int32_t tree = s.ArticleGridTreeLineType;
  TreeLineType = tree >= TreeLineNone && tree <= TreeLineDraw ? static_cast<TTreeLineType>(tree)
                                                              : TreeLineNone;
  KeyCodeNoRead = 32;
  KeyCodeHome = 36;
  KeyCodeUp = 38;
  KeyCodeDown = 40;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, QtColor(s.ArticleGridBGColor));
  palette.setColor(QPalette::Text, QtColor(s.ArticleGridFontColor));
  setPalette(palette);
  setFont(QtFont(s.ArticleGridFontName, s.ArticleGridFontSize, s.ArticleGridFontStyle));
  VirtualArticleColor = QtColor(s.ArticleGridColorVirtual);
  WriteArticleColor = QtColor(s.ArticleGridColorWrite);
  NoReadArticleColor = QtColor(s.ArticleGridColorNoRead);
  RowHeightPlus = std::clamp(s.ArticleGridRowHeightPlus, -8, 64);
  Title1 = "No";
  Title2 = "ID:Handle";
  Title3 = "Title";
  title1Size_ = s.ArticleGridTitleNoSize;
  title2Size_ = s.ArticleGridTitleIDSize;
  ColorEnabled = s.ArticleGridColor;
  ResetGrid(header);
}

int32_t TArticleGrid::Row() const {
  const QModelIndex current = currentIndex();
  return FixedRows() + (current.isValid() ? current.row() : 0);
}

bool TArticleGrid::SetRow(int32_t row) {
  return SelectCell(row);
}

int32_t TArticleGrid::TopRow() const {
  return FixedRows() + verticalScrollBar()->value();
}

void TArticleGrid::SetTopRow(int32_t row) {
  verticalScrollBar()->setValue(row - FixedRows());
}

int32_t TArticleGrid::RowCount() const {
  return FixedRows() + model_->rowCount();
}

int32_t TArticleGrid::VisibleRowCount() const {
  return std::max(0, viewport()->height() / RowHeight());
}

std::vector<ColumnWant> TArticleGrid::ColumnWants() const {
  const QFontMetrics metrics(font());
  const int padding = 2 * TextMargin(*this) + 2;
  auto least = [&](const QString& sample) { return metrics.horizontalAdvance(sample) + padding; };
  std::vector<ColumnWant> wants(size_t(model_->columnCount()));
  for (int c = 0; c < int(wants.size()); ++c) {
    ColumnWant& want = wants[size_t(c)];
    switch (c) {
      case TArticleGridModel::ColumnNumber:
        // A five-digit number with its marks under a compressed tree prefix.
        want = {std::clamp(title1Size_, 8, 4000), least(QStringLiteral("00…├<00000>"))};
        break;
      case TArticleGridModel::ColumnWriter:
        // A Nifty-Serve ID.
        want = {std::clamp(title2Size_, 8, 4000), least(QStringLiteral("ABC12345:"))};
        break;
      case TArticleGridModel::ColumnTitle:
        // Ten characters at least, and in a narrow grid nearly half of it: the title is what
        // a reader scans.
        want = {0, std::max(least(QString(10, QChar(0x3042))), viewport()->width() * 9 / 20)};
        break;
      case TArticleGridModel::ColumnFlag: {
        const int width = metrics.horizontalAdvance(QStringLiteral("★")) + 8;
        want = {width, width};
        break;
      }
      default: {
        // Columns of other kinds keep the width they were given.
        const auto given = otherSizes_.find(c);
        const int width = given != otherSizes_.end() ? given->second : columnWidth(c);
        want = {width, width};
        break;
      }
    }
  }
  return wants;
}

void TArticleGrid::SetColumnWidthsQuietly(const std::vector<int32_t>& widths) {
  fittingColumns_ = true;
  for (int c = 0; c < int(widths.size()); ++c) {
    if (columnWidth(c) != widths[size_t(c)]) setColumnWidth(c, widths[size_t(c)]);
  }
  fittingColumns_ = false;
}

void TArticleGrid::FitColumnWidths() {
  SetColumnWidthsQuietly(
      FitColumns(ColumnWants(), TArticleGridModel::ColumnTitle, viewport()->width()));
}

void TArticleGrid::ColumnResizedByUser(int column, int width) {
  if (fittingColumns_ || column == TArticleGridModel::ColumnTitle) return;
  if (column == TArticleGridModel::ColumnNumber) {
    title1Size_ = width;
  } else if (column == TArticleGridModel::ColumnWriter) {
    title2Size_ = width;
  } else {
    otherSizes_[column] = width;
  }
  // The column being dragged keeps the width it is given; the title column takes the rest.
  const std::vector<ColumnWant> wants = ColumnWants();
  std::vector<int32_t> widths(wants.size());
  int64_t others = 0;
  for (int c = 0; c < int(wants.size()); ++c) {
    widths[size_t(c)] = columnWidth(c);
    if (c != TArticleGridModel::ColumnTitle) others += widths[size_t(c)];
  }
  widths[TArticleGridModel::ColumnTitle] = static_cast<int32_t>(std::max<int64_t>(
      wants[TArticleGridModel::ColumnTitle].Minimum, viewport()->width() - others));
  SetColumnWidthsQuietly(widths);
}

QString TArticleGrid::ShownNumberText(int modelRow) const {
  const QModelIndex index = model_->index(modelRow, TArticleGridModel::ColumnNumber);
  return static_cast<const TArticleGridDelegate*>(itemDelegate())
      ->DrawnText(index, columnWidth(TArticleGridModel::ColumnNumber));
}

bool TArticleGrid::viewportEvent(QEvent* event) {
  const bool result = QTableView::viewportEvent(event);
  // The grid's width changes with the window, the splitter and the vertical scroll bar.
  if (event->type() == QEvent::Resize && !fittingColumns_) FitColumnWidths();
  return result;
}

QColor TArticleGrid::StateColor(int modelRow) const {
  if (!ColorEnabled || !board_ || filling_) return {};
  if (modelRow == currentIndex().row()) return {};
  const int32_t position = rows_.View().PositionAt(modelRow);
  const ArticleRecord* entry = board_->GetArticle(order_, position);
  if (!entry) return {};
  if (entry->Kind == ArticleKindMissingRoot) return VirtualArticleColor;
  if (entry->WriteFlag != 0) return WriteArticleColor;
  if (IsBinaryArticle(entry->Kind) && entry->BatchFlag == 1) return WriteArticleColor;
  if (aids_ && aids_->RowMark(*board_, order_, position) == WriterMark::Ignored)
    return IgnoredArticleColor;
  if (entry->ReadFlag == 0) return NoReadArticleColor;
  return {};
}

void TArticleGrid::SetCurrentModelRow(int modelRow) {
  const QModelIndex index = model_->index(modelRow, 0);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  // The row's first column on the screen (the flag), so that the grid never scrolls sideways.
  scrollTo(model_->index(modelRow, TArticleGridModel::ColumnFlag),
           QAbstractItemView::EnsureVisible);
}

bool TArticleGrid::SelectCell(int32_t row) {
  noReadFlag_ = false;
  if (row == lastRow_) return false;
  if (row < FixedRows() || row >= RowCount()) return false;
  const int modelRow = row - FixedRows();
  // The empty row of a board without entries stands for position 0; that of a board whose
  // entries are all filtered out for none.
  const int32_t position = PositionCount() == 0 ? modelRow : rows_.View().PositionAt(modelRow);
  if (!filling_ && board_ && position >= 0 && position < PositionCount()) {
    if (IsPlaceholder(position)) return false;
    if (board_->GetReadFlag(order_, position) == 0) {
      noReadFlag_ = true;
      board_->SetReadFlag(order_, position, 1, false);
      model_->PositionChanged(position);
    }
  }
  SetCurrentModelRow(modelRow);
  // Taken before the owner hears of it: the owner may move the row again from its handler.
  lastRow_ = row;
  if (board_ && !filling_) emit ArticleDisp(order_, position);
  return true;
}

bool TArticleGrid::NormalMovement(int qtKey, Qt::KeyboardModifiers modifiers) {
  const int32_t row = Row();
  const int32_t first = FixedRows();
  const int32_t last = RowCount() - 1;
  const int32_t page = std::max(1, VisibleRowCount());
  int32_t target = row;
  switch (qtKey) {
    case Qt::Key_Up:
      target = row - 1;
      break;
    case Qt::Key_Down:
      target = row + 1;
      break;
    case Qt::Key_PageUp:
      target = std::max(first, row - page);
      break;
    case Qt::Key_PageDown:
      target = std::min(last, row + page);
      break;
    case Qt::Key_Home:
      // The first row that can be selected: a leading placeholder would refuse it.
      if (modifiers & Qt::ControlModifier) target = first + FirstRowOfBoard();
      break;
    case Qt::Key_End:
      if (modifiers & Qt::ControlModifier) target = last;
      break;
    default:
      return false;
  }
  if (target != row && target >= first && target <= last) SelectCell(target);
  return true;
}

void TArticleGrid::HandleKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  const uint16_t pressed = ClassicKeyCode(qtKey);
  GridKeyDown key;
  key.Key = qtKey;
  key.Modifiers = modifiers;
  key.VirtualKey = pressed;
  if (NoReadProcessDisable && pressed == KeyCodeNoRead) {
    key.Key = Qt::Key_Down;
    key.VirtualKey = KeyCodeDown;
  }
  emit KeyDown(&key);
  if (key.Handled) return;

  const int32_t before = Row();
  NormalMovement(key.Key, modifiers);
  if (board_ && Row() == before) {
    const bool plain = modifiers == Qt::NoModifier;
    const int32_t h = FixedRows();
    if (pressed == KeyCodeHome && plain) {
      SelectCell(h + FirstRowOfBoard());
      SetTopRow(h);
    } else if (pressed == KeyCodeUp && plain) {
      const int above = CurrentModelRow() - 1;
      if (above > 0 && IsPlaceholderRow(above)) {
        SelectCell(Row() - 2);
      } else if (above <= 0) {
        emit RowUnder();
      }
    } else if (pressed == KeyCodeDown ||
               (pressed == KeyCodeNoRead && plain && NoReadProcessDisable)) {
      if (Row() >= RowCount() - 1) {
        emit RowOver();
      } else if (IsPlaceholderRow(CurrentModelRow() + 1)) {
        SelectCell(Row() + 2);
      }
    }
  }
  CenterCurrentRow(FixedRows());
}

bool TArticleGrid::OwnerKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  GridKeyDown key;
  key.Key = qtKey;
  key.Modifiers = modifiers;
  key.VirtualKey = ClassicKeyCode(qtKey);
  emit KeyDown(&key);
  return key.Handled;
}

QPoint TArticleGrid::PopupPoint() const {
  const QRect row = visualRect(currentIndex());
  if (!row.isValid()) return {4, 4};
  return {std::max(4, std::min(row.left() + 24, viewport()->width() / 2)), row.bottom()};
}

void TArticleGrid::keyPressEvent(QKeyEvent* event) {
  // The pop-up of the current row, from the keyboard as every desktop list opens it.
  const Qt::KeyboardModifiers shown = event->modifiers() & ~Qt::KeypadModifier;
  if ((event->key() == Qt::Key_F10 && shown == Qt::ShiftModifier) ||
      (event->key() == Qt::Key_Menu && shown == Qt::NoModifier)) {
    emit customContextMenuRequested(PopupPoint());
    event->accept();
    return;
  }
  const uint16_t code = ClassicKeyCode(event->key());
  HandleKey(event->key(), event->modifiers() & ~Qt::KeypadModifier);
  // Tab and keys without a classic code go on to the window (focus chain, shortcuts).
  if (code == 0 || code == 9) {
    event->ignore();
  } else {
    event->accept();
  }
}

void TArticleGrid::inputMethodEvent(QInputMethodEvent* event) {
  // A platform that still routes keys through an input method delivers the unread key as a
  // committed blank (half or full width).
  const QString commit = event->commitString();
  if (event->preeditString().isEmpty() &&
      (commit == QStringLiteral(" ") || commit == QString(QChar(0x3000)))) {
    HandleKey(Qt::Key_Space, Qt::NoModifier);
    event->accept();
    return;
  }
  QTableView::inputMethodEvent(event);
}

bool TArticleGrid::OnTreeLine(const QPoint& point, int32_t& position) const {
  const QModelIndex index = indexAt(point);
  if (!board_ || !index.isValid() || index.column() != TArticleGridModel::ColumnNumber)
    return false;
  const QString prefix = model_->NumberPrefix(index.row());
  if (prefix.isEmpty()) return false;
  // The text starts after the cell's margin; a click up to the end of the lines hits them.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  const int x = point.x() - visualRect(index).left();
  if (x > margin + QFontMetrics(font()).horizontalAdvance(prefix)) return false;
  position = model_->PositionOfRow(index.row());
  return position >= 0;
}

void TArticleGrid::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  int32_t treeLine = -1;
  if (event->button() == Qt::LeftButton && OnTreeLine(event->position().toPoint(), treeLine)) {
    emit TreeLineClicked(treeLine);
    event->accept();
    return;
  }
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && index.isValid()) SelectCell(FixedRows() + index.row());
  // The pop-up that follows a right click acts on the row clicked: it is selected first, a
  // placeholder's thread by its first reply, which stands for it everywhere else.
  if (event->button() == Qt::RightButton && index.isValid()) {
    int row = index.row();
    if (IsPlaceholderRow(row) && row + 1 < model_->rowCount()) ++row;
    if (FixedRows() + row != Row()) SelectCell(FixedRows() + row);
  }
  event->accept();
}

void TArticleGrid::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && FixedRows() + index.row() != Row())
      SelectCell(FixedRows() + index.row());
  }
  event->accept();
}

void TArticleGrid::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
}

void TArticleGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && index.isValid()) emit doubleClicked(index);
  event->accept();
}

bool TArticleGrid::SelectPosition(int32_t position) {
  if (!board_ || position < 0 || position >= PositionCount()) return SetRow(FixedRows() + position);
  return SetRow(FixedRows() + ModelRowForPosition(position));
}

void TArticleGrid::RefreshRows(bool selectNearest) {
  if (!board_) return;
  const int32_t position = CurrentPosition();
  const int32_t top = TopRow();
  setUpdatesEnabled(false);
  filling_ = true;
  BuildRows();
  filling_ = false;
  int row = rows_.View().RowOf(position);
  const bool kept = row >= 0;
  if (!kept) row = std::max(0, rows_.View().RowAtOrBefore(position));
  if (IsPlaceholderRow(row) && row + 1 < model_->rowCount()) ++row;
  SetCurrentModelRow(row);
  if (kept) SetTopRow(top);
  SettleLayout();
  CenterCurrentRow(FixedRows());
  setUpdatesEnabled(true);
  viewport()->update();
  emit RowsChanged();
  if (kept) {
    lastRow_ = FixedRows() + row;
  } else if (selectNearest) {
    lastRow_ = -1;
    SelectCell(FixedRows() + row);
  } else {
    // Only the cursor stands there: choosing the row reads it.
    lastRow_ = -1;
    emit ArticleDisp(order_, -1);
  }
}

void TArticleGrid::RepaintRows() {
  model_->AllChanged();
  viewport()->update();
}

}  // namespace vorn
