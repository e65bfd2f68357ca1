#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace vorn {

struct StyledArticle;

// The colours and fonts of an article view, by the looks of StyledArticle.
struct ArticleViewLooks {
  QFont font;
  QFont bigFont;
  QColor text;
  QColor background;
  QColor big;
  QColor quote;
  QColor eof;
  QColor url;
};

// An article in vertical writing: every line a column read top to bottom, columns from right
// to left. Double-byte characters stand upright; half-width text is turned a quarter to the
// right; brackets, dashes and the long vowel mark turn with it, and small punctuation moves to
// the upper right of its cell, as vertical type sets them. The horizontal scroll bar starts at
// its right end, where the text begins.
class TVerticalTextView final : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TVerticalTextView(QWidget* parent = nullptr);

  // The article (not owned; it must stay until the next SetArticle) and its looks. Starts at
  // the beginning of the text with nothing selected.
  void SetArticle(const StyledArticle* article, const ArticleViewLooks& looks);
  // Columns break at the bottom edge.
  void SetWrap(bool wrap);

  // The document position of the character under a viewport point; -1 when there is none.
  int32_t PositionAt(const QPoint& point) const;
  // Selection as document positions, end exclusive.
  bool HasSelection() const { return selectionStart_ != selectionEnd_; }
  int32_t SelectionStart() const { return std::min(selectionStart_, selectionEnd_); }
  int32_t SelectionEnd() const { return std::max(selectionStart_, selectionEnd_); }
  void ClearSelection();

  // One column step of the scroll bar (the width of a line of the view's font).
  int ColumnStep() const;
  // The viewport rectangle a document position's character occupies (for tests and the
  // pointer); empty when it is not laid out.
  QRect CharacterRect(int32_t position) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  enum class Setting : uint8_t { Upright, Turned, Raised, Nudged };
  struct Column {
    int32_t line = 0;
    int32_t first = 0;  // first character of the line in this column
    int32_t count = 0;
    int x = 0;  // left edge in content coordinates
    int width = 0;
    std::vector<int> tops;  // top of each character and the end, from the content top
  };

  void Relayout();
  void UpdateScrollBars();
  int Margin() const { return 4; }
  // Content to viewport: the content is right-aligned when narrower than the view.
  int ContentLeft() const;
  const QFont& FontOf(uint8_t look) const;
  QColor ColorOf(uint8_t look) const;
  static Setting SettingOf(QChar c);
  int Advance(QChar c, uint8_t look) const;
  // The nearest character boundary to a viewport point (for selecting).
  int32_t BoundaryAt(const QPoint& point) const;
  int ColumnAtX(int viewportX) const;

  const StyledArticle* article_ = nullptr;
  ArticleViewLooks looks_;
  bool wrap_ = true;
  std::vector<Column> columns_;
  int contentWidth_ = 0;
  int contentHeight_ = 0;
  int32_t selectionStart_ = 0;
  int32_t selectionEnd_ = 0;
  bool selecting_ = false;
  // Cell sizes of the two fonts: a full-width character's advance and the line spacing.
  std::array<int, 2> cell_ = {12, 12};
  std::array<int, 2> lineSpacing_ = {14, 14};
};

}  // namespace vorn
