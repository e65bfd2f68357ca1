#include "reader/VerticalTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

#include "reader/StyledArticle.h"

namespace vorn {
namespace {

// Full-width characters that vertical type turns with the line: brackets, dashes, the long
// vowel mark, wave dashes and ellipses.
bool TurnsInVerticalText(char16_t u) {
  switch (u) {
    case 0x2010:  // ‐
    case 0x2015:  // ―
    case 0x2025:  // ‥
    case 0x2026:  // …
    case 0x2212:  // −
    case 0x2500:  // ─
    case 0x2501:  // ━
    case 0x3008:  // 〈 〉 《 》 「 」 『 』 【 】
    case 0x3009:
    case 0x300A:
    case 0x300B:
    case 0x300C:
    case 0x300D:
    case 0x300E:
    case 0x300F:
    case 0x3010:
    case 0x3011:
    case 0x3014:  // 〔 〕
    case 0x3015:
    case 0x301C:  // 〜
    case 0x30FC:  // ー
    case 0xFF08:  // （ ）
    case 0xFF09:
    case 0xFF0D:  // －
    case 0xFF1C:  // ＜ ＝ ＞
    case 0xFF1D:
    case 0xFF1E:
    case 0xFF3B:  // ［ ］
    case 0xFF3D:
    case 0xFF3F:  // ＿
    case 0xFF5B:  // ｛ ｜ ｝ ～
    case 0xFF5C:
    case 0xFF5D:
    case 0xFF5E:
      return true;
    default:
      return false;
  }
}

bool IsSmallKana(char16_t u) {
  switch (u) {
    case 0x3041:
    case 0x3043:
    case 0x3045:
    case 0x3047:
    case 0x3049:
    case 0x3063:
    case 0x3083:
    case 0x3085:
    case 0x3087:
    case 0x308E:
    case 0x30A1:
    case 0x30A3:
    case 0x30A5:
    case 0x30A7:
    case 0x30A9:
    case 0x30C3:
    case 0x30E3:
    case 0x30E5:
    case 0x30E7:
    case 0x30EE:
    case 0x30F5:
    case 0x30F6:
      return true;
    default:
      return false;
  }
}

int FontIndex(uint8_t look) {
  return (look & StyledArticle::BigFont) ? 1 : 0;
}

}  // namespace

TVerticalTextView::TVerticalTextView(QWidget* parent) : QAbstractScrollArea(parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setCursor(Qt::IBeamCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void TVerticalTextView::SetArticle(const StyledArticle* article, const ArticleViewLooks& looks) {
  article_ = article;
  looks_ = looks;
  selectionStart_ = selectionEnd_ = 0;
  selecting_ = false;
  Relayout();
  horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
  verticalScrollBar()->setValue(0);
  viewport()->update();
}

void TVerticalTextView::SetWrap(bool wrap) {
  if (wrap_ == wrap) return;
  wrap_ = wrap;
  setVerticalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  Relayout();
  viewport()->update();
}

void TVerticalTextView::ClearSelection() {
  selectionStart_ = selectionEnd_ = 0;
  viewport()->update();
}

int TVerticalTextView::ColumnStep() const {
  return std::max(1, lineSpacing_[0]);
}

const QFont& TVerticalTextView::FontOf(uint8_t look) const {
  return FontIndex(look) ? looks_.bigFont : looks_.font;
}

QColor TVerticalTextView::ColorOf(uint8_t look) const {
  switch (look & StyledArticle::ColorMask) {
    case StyledArticle::ColorBig:
      return looks_.big;
    case StyledArticle::ColorQuote:
      return looks_.quote;
    case StyledArticle::ColorEof:
      return looks_.eof;
    case StyledArticle::ColorUrl:
      return looks_.url;
    default:
      return looks_.text;
  }
}

TVerticalTextView::Setting TVerticalTextView::SettingOf(QChar c) {
  const char16_t u = c.unicode();
  // Half-width text: Latin, half-width katakana, the pictures of control characters.
  if (u < 0x0100 || (u >= 0xFF61 && u <= 0xFF9F) || (u >= 0x2400 && u <= 0x2421))
    return Setting::Turned;
  if (TurnsInVerticalText(u)) return Setting::Turned;
  if (u == 0x3001 || u == 0x3002 || u == 0xFF0C || u == 0xFF0E) return Setting::Raised;
  if (IsSmallKana(u)) return Setting::Nudged;
  return Setting::Upright;
}

int TVerticalTextView::Advance(QChar c, uint8_t look) const {
  if (SettingOf(c) != Setting::Turned) return cell_[static_cast<size_t>(FontIndex(look))];
  return std::max(1, QFontMetrics(FontOf(look)).horizontalAdvance(c));
}

void TVerticalTextView::Relayout() {
  const int fromRight = horizontalScrollBar()->maximum() - horizontalScrollBar()->value();
  columns_.clear();
  contentWidth_ = 0;
  contentHeight_ = 0;
  const QFontMetrics fonts[2] = {QFontMetrics(looks_.font), QFontMetrics(looks_.bigFont)};
  for (size_t f = 0; f < 2; ++f) {
    cell_[f] = std::max(1, fonts[f].horizontalAdvance(QChar(0x3042)));
    lineSpacing_[f] = std::max(1, fonts[f].lineSpacing());
  }
  if (article_) {
    // Half-width advances of the two fonts, measured once per layout.
    std::array<std::array<int, 256>, 2> narrow{};
    for (size_t f = 0; f < 2; ++f)
      for (int u = 0; u < 256; ++u)
        narrow[f][static_cast<size_t>(u)] =
            std::max(1, fonts[f].horizontalAdvance(QChar(char16_t(u))));
    const int available = wrap_ ? std::max(cell_[1], viewport()->height() - 2 * Margin()) : INT_MAX;
    for (size_t i = 0; i < article_->lines.size(); ++i) {
      const StyledArticle::Line& line = article_->lines[i];
      Column column;
      column.line = static_cast<int32_t>(i);
      column.width = lineSpacing_[0];
      column.tops.push_back(0);
      int y = 0;
      for (int32_t k = 0; k < static_cast<int32_t>(line.text.size()); ++k) {
        const QChar c = line.text[k];
        const uint8_t look = line.looks[static_cast<size_t>(k)];
        const size_t f = static_cast<size_t>(FontIndex(look));
        int advance = cell_[f];
        if (SettingOf(c) == Setting::Turned) {
          advance = c.unicode() < 256 ? narrow[f][c.unicode()]
                                      : std::max(1, fonts[f].horizontalAdvance(c));
        }
        if (wrap_ && column.count > 0 && y + advance > available) {
          contentHeight_ = std::max(contentHeight_, y);
          columns_.push_back(std::move(column));
          column = Column();
          column.line = static_cast<int32_t>(i);
          column.first = k;
          column.width = lineSpacing_[0];
          column.tops.push_back(0);
          y = 0;
        }
        y += advance;
        column.tops.push_back(y);
        ++column.count;
        column.width = std::max(column.width, lineSpacing_[f]);
      }
      contentHeight_ = std::max(contentHeight_, y);
      columns_.push_back(std::move(column));
    }
    int total = 2 * Margin();
    for (const Column& column : columns_)
      total += column.width;
    int x = total - Margin();
    for (Column& column : columns_) {
      x -= column.width;
      column.x = x;
    }
    contentWidth_ = total;
    contentHeight_ += 2 * Margin();
  }
  UpdateScrollBars();
  // Keep the place being read: the distance from the start of the text (the right end).
  QScrollBar* bar = horizontalScrollBar();
  bar->setValue(bar->maximum() - std::min(fromRight, bar->maximum()));
}

void TVerticalTextView::UpdateScrollBars() {
  QScrollBar* h = horizontalScrollBar();
  const int width = viewport()->width();
  h->setRange(0, std::max(0, contentWidth_ - width));
  h->setPageStep(std::max(1, width));
  h->setSingleStep(ColumnStep());
  QScrollBar* v = verticalScrollBar();
  const int height = viewport()->height();
  v->setRange(0, wrap_ ? 0 : std::max(0, contentHeight_ - height));
  v->setPageStep(std::max(1, height));
  v->setSingleStep(std::max(1, cell_[0]));
}

int TVerticalTextView::ContentLeft() const {
  return -horizontalScrollBar()->value() + std::max(0, viewport()->width() - contentWidth_);
}

int TVerticalTextView::ColumnAtX(int viewportX) const {
  const int x = viewportX - ContentLeft();
  // Columns run from right to left: x falls as the index grows.
  auto it = std::lower_bound(columns_.begin(), columns_.end(), x,
                             [](const Column& c, int value) { return c.x > value; });
  if (it == columns_.end()) return -1;
  return x < it->x + it->width ? static_cast<int>(it - columns_.begin()) : -1;
}

int32_t TVerticalTextView::PositionAt(const QPoint& point) const {
  if (!article_) return -1;
  const int index = ColumnAtX(point.x());
  if (index < 0) return -1;
  const Column& column = columns_[static_cast<size_t>(index)];
  const int y = point.y() - (Margin() - verticalScrollBar()->value());
  if (y < 0 || column.count == 0 || y >= column.tops.back()) return -1;
  const auto it = std::upper_bound(column.tops.begin(), column.tops.end(), y);
  const auto k = static_cast<int32_t>(it - column.tops.begin()) - 1;
  return article_->lineStarts[static_cast<size_t>(column.line)] + column.first + k;
}

int32_t TVerticalTextView::BoundaryAt(const QPoint& point) const {
  if (!article_ || columns_.empty()) return 0;
  const int x = point.x() - ContentLeft();
  size_t index = 0;
  if (x < columns_.back().x) {
    index = columns_.size() - 1;
  } else {
    while (index + 1 < columns_.size() && x < columns_[index].x)
      ++index;
  }
  const Column& column = columns_[index];
  const int y = point.y() - (Margin() - verticalScrollBar()->value());
  int32_t k = 0;
  while (k < column.count &&
         y >= (column.tops[static_cast<size_t>(k)] + column.tops[static_cast<size_t>(k) + 1]) / 2)
    ++k;
  return article_->lineStarts[static_cast<size_t>(column.line)] + column.first + k;
}

QRect TVerticalTextView::CharacterRect(int32_t position) const {
  if (!article_) return {};
  const int32_t line = article_->LineOf(position);
  if (line < 0) return {};
  const int32_t k = position - article_->lineStarts[static_cast<size_t>(line)];
  auto it = std::lower_bound(columns_.begin(), columns_.end(), line,
                             [](const Column& c, int32_t l) { return c.line < l; });
  for (; it != columns_.end() && it->line == line; ++it) {
    if (k >= it->first && k < it->first + it->count) {
      const size_t j = static_cast<size_t>(k - it->first);
      const int top = Margin() - verticalScrollBar()->value();
      return QRect(ContentLeft() + it->x, top + it->tops[j], it->width,
                   it->tops[j + 1] - it->tops[j]);
    }
  }
  return {};
}

void TVerticalTextView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), looks_.background);
  if (!article_) return;
  const QPalette& palette = this->palette();
  const QColor highlight = palette.color(QPalette::Highlight);
  const QColor highlightedText = palette.color(QPalette::HighlightedText);
  const int left = ContentLeft();
  const int top = Margin() - verticalScrollBar()->value();
  const int width = viewport()->width();
  const int height = viewport()->height();
  const int32_t selStart = SelectionStart();
  const int32_t selEnd = SelectionEnd();
  const QFontMetrics metrics[2] = {QFontMetrics(looks_.font), QFontMetrics(looks_.bigFont)};

  for (const Column& column : columns_) {
    const int x0 = left + column.x;
    if (x0 >= width) continue;
    if (x0 + column.width <= 0) break;
    const StyledArticle::Line& line = article_->lines[static_cast<size_t>(column.line)];
    const int32_t lineStart = article_->lineStarts[static_cast<size_t>(column.line)];
    const int cx = x0 + column.width / 2;
    for (int32_t j = 0; j < column.count; ++j) {
      const int yTop = top + column.tops[static_cast<size_t>(j)];
      const int yBottom = top + column.tops[static_cast<size_t>(j) + 1];
      if (yBottom <= 0) continue;
      if (yTop >= height) break;
      const int32_t k = column.first + j;
      const QChar c = line.text[k];
      const uint8_t look = line.looks[static_cast<size_t>(k)];
      const bool selected = lineStart + k >= selStart && lineStart + k < selEnd;
      if (selected) painter.fillRect(QRect(x0, yTop, column.width, yBottom - yTop), highlight);
      const QColor color = selected ? highlightedText : ColorOf(look);
      painter.setPen(color);
      painter.setFont(FontOf(look));
      const QFontMetrics& fm = metrics[FontIndex(look)];
      const int advance = yBottom - yTop;
      const QString text(c);
      switch (SettingOf(c)) {
        case Setting::Turned: {
          painter.save();
          painter.translate(cx - (fm.ascent() - fm.descent()) / 2.0, yTop);
          painter.rotate(90);
          painter.drawText(QPointF(0, 0), text);
          painter.restore();
          break;
        }
        case Setting::Upright:
        case Setting::Raised:
        case Setting::Nudged: {
          const int glyph = fm.horizontalAdvance(c);
          double x = cx - glyph / 2.0;
          double baseline =
              yTop + advance * double(fm.ascent()) / std::max(1, fm.ascent() + fm.descent());
          if (SettingOf(c) == Setting::Raised) {
            x += advance * 0.55;
            baseline -= advance * 0.55;
          } else if (SettingOf(c) == Setting::Nudged) {
            x += advance * 0.1;
            baseline -= advance * 0.1;
          }
          painter.drawText(QPointF(x, baseline), text);
          break;
        }
      }
      // Links are lined on the left of the column, where a turned underline falls.
      if (look & StyledArticle::Underline) {
        painter.drawLine(QPoint(x0 + 1, yTop), QPoint(x0 + 1, yBottom - 1));
      }
    }
  }
}

void TVerticalTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (wrap_) {
    Relayout();
  } else {
    const int fromRight = horizontalScrollBar()->maximum() - horizontalScrollBar()->value();
    UpdateScrollBars();
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum() -
                                    std::min(fromRight, horizontalScrollBar()->maximum()));
  }
}

void TVerticalTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    selecting_ = true;
    selectionStart_ = selectionEnd_ = BoundaryAt(event->position().toPoint());
    viewport()->update();
  }
  event->accept();
}

void TVerticalTextView::mouseMoveEvent(QMouseEvent* event) {
  if (selecting_ && (event->buttons() & Qt::LeftButton)) {
    selectionEnd_ = BoundaryAt(event->position().toPoint());
    viewport()->update();
  }
  event->accept();
}

void TVerticalTextView::mouseReleaseEvent(QMouseEvent* event) {
  selecting_ = false;
  event->accept();
}

void TVerticalTextView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  if (event->matches(QKeySequence::Copy)) {
    if (article_ && HasSelection())
      QApplication::clipboard()->setText(article_->TextBetween(SelectionStart(), SelectionEnd()));
  } else if (event->matches(QKeySequence::SelectAll)) {
    if (article_) {
      selectionStart_ = 0;
      selectionEnd_ = article_->Length();
      viewport()->update();
    }
  } else {
    switch (event->key()) {
      case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
      case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
      case Qt::Key_Up:
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
      case Qt::Key_Down:
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
      case Qt::Key_PageDown:
        h->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
      case Qt::Key_PageUp:
        h->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
      case Qt::Key_Home:
        h->setValue(h->maximum());
        break;
      case Qt::Key_End:
        h->setValue(0);
        break;
      default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
  }
  event->accept();
}

void TVerticalTextView::wheelEvent(QWheelEvent* event) {
  // The wheel reads on: turning it down moves to the columns on the left.
  const QPoint delta = event->angleDelta();
  const int steps = (delta.y() != 0 ? delta.y() : delta.x()) / 40;
  QScrollBar* h = horizontalScrollBar();
  h->setValue(h->value() + steps * h->singleStep());
  event->accept();
}

}  // namespace vorn
