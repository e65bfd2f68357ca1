#pragma once

#include <QWidget>

#include "threadview/QuickFilter.h"

class QBoxLayout;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QToolButton;

namespace vorn {

// The quick filter bar above the article grid: the text, whether it is a regular expression,
// whether the fuzzy dictionaries apply, unread articles only, how many articles show, and a
// button that clears it. Escape clears the text; Enter and Down leave for the grid. Where the
// grid is narrow (beside the view) the switches go to a line of their own, so that the text
// keeps room to be typed in.
class TQuickFilterBar final : public QWidget {
  Q_OBJECT
 public:
  explicit TQuickFilterBar(QWidget* parent = nullptr);

  // What the bar holds (CP932 text).
  QuickFilterCondition Condition() const;
  bool UnreadOnly() const;
  // Sets the unread switch without telling UnreadOnlyChanged.
  void SetUnreadOnly(bool on);
  // Puts the cursor into the text.
  void FocusText();
  void Clear();
  bool Empty() const;
  // "N／M件" beside the text, or nothing while no filter is on; a refused pattern shows the
  // text in red.
  void ShowCount(bool filtering, int shown, int total);
  void ShowRefused(bool refused);
  // The switches stand in the text's line (else in a line below it).
  bool OneLine() const { return oneLine_; }

  QLineEdit* TextEdit() const { return text_; }

  // The least width the text keeps: about twelve full-width characters.
  int LeastTextWidth() const;

 signals:
  // The text or one of the text's switches changed.
  void ConditionChanged();
  // The unread switch was changed by the user.
  void UnreadOnlyChanged(bool on);
  // The user is done with the bar (Enter, Escape, Down): reading goes on in the grid.
  void Leave();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The switches into the text's line when everything fits there at its size, else below it.
  void Arrange();

  QBoxLayout* lines_ = nullptr;
  QHBoxLayout* textLine_ = nullptr;
  QLabel* caption_ = nullptr;
  QLineEdit* text_ = nullptr;
  QWidget* switches_ = nullptr;
  QCheckBox* regExp_ = nullptr;
  QCheckBox* fuzzy_ = nullptr;
  QCheckBox* unread_ = nullptr;
  QToolButton* clear_ = nullptr;
  QLabel* count_ = nullptr;
  bool oneLine_ = true;
};

}  // namespace vorn
