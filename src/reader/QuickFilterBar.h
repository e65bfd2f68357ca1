#pragma once

#include <QWidget>

#include "threadview/QuickFilter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace vorn {

// The quick filter bar above the article grid: the text, whether it is a regular expression,
// whether the fuzzy dictionaries apply, how many articles show, and a button that clears it.
// Escape clears the text; Enter and Down leave for the grid.
class TQuickFilterBar final : public QWidget {
  Q_OBJECT
 public:
  explicit TQuickFilterBar(QWidget* parent = nullptr);

  // What the bar holds (CP932 text).
  QuickFilterCondition Condition() const;
  // Puts the cursor into the text.
  void FocusText();
  void Clear();
  bool Empty() const;
  // "N／M件" beside the text, or nothing while no filter is on; a refused pattern shows the
  // text in red.
  void ShowCount(bool filtering, int shown, int total);
  void ShowRefused(bool refused);

  QLineEdit* TextEdit() const { return text_; }

 signals:
  // The text or one of the switches changed.
  void ConditionChanged();
  // The user is done with the bar (Enter, Escape, Down): reading goes on in the grid.
  void Leave();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* text_;
  QCheckBox* regExp_;
  QCheckBox* fuzzy_;
  QToolButton* clear_;
  QLabel* count_;
};

}  // namespace vorn
