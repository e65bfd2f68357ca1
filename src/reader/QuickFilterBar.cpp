#include "reader/QuickFilterBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "qtsupport/QtSupport.h"

namespace vorn {

TQuickFilterBar::TQuickFilterBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("QuickFilterBar"));
  auto* layout = new QHBoxLayout(this);
  // The bar never widens the grid's panel: beside the view, the panel keeps the width the
  // settings give it, and the bar's controls share what there is.
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->setSpacing(6);
  auto* caption = new QLabel(QStringLiteral("フィルタ:"), this);
  text_ = new QLineEdit(this);
  text_->setObjectName(QStringLiteral("EDQuickFilter"));
  text_->setPlaceholderText(
      QStringLiteral("タイトル・本文・ID・ハンドルで絞り込み（/ で入力、Esc で解除）"));
  text_->installEventFilter(this);
  caption->setBuddy(text_);
  regExp_ = new QCheckBox(QStringLiteral("正規表現"), this);
  regExp_->setObjectName(QStringLiteral("CBQuickFilterRegExp"));
  fuzzy_ = new QCheckBox(QStringLiteral("同一語比較"), this);
  fuzzy_->setObjectName(QStringLiteral("CBQuickFilterFuzzy"));
  clear_ = new QToolButton(this);
  clear_->setObjectName(QStringLiteral("BTNQuickFilterClear"));
  clear_->setText(QStringLiteral("×"));
  clear_->setToolTip(QStringLiteral("フィルタを解除します (Esc)"));
  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("LBQuickFilterCount"));
  count_->setMinimumWidth(
      count_->fontMetrics().horizontalAdvance(QStringLiteral("000000／000000件")));
  layout->addWidget(caption);
  layout->addWidget(text_, 1);
  layout->addWidget(regExp_);
  layout->addWidget(fuzzy_);
  layout->addWidget(clear_);
  layout->addWidget(count_);
  connect(text_, &QLineEdit::textChanged, this, &TQuickFilterBar::ConditionChanged);
  connect(regExp_, &QCheckBox::toggled, this, [this] {
    if (!text_->text().isEmpty()) emit ConditionChanged();
  });
  connect(fuzzy_, &QCheckBox::toggled, this, [this] {
    if (!text_->text().isEmpty()) emit ConditionChanged();
  });
  connect(clear_, &QToolButton::clicked, this, [this] {
    Clear();
    emit Leave();
  });
}

QuickFilterCondition TQuickFilterBar::Condition() const {
  return {CoreText(text_->text()), regExp_->isChecked(), fuzzy_->isChecked()};
}

void TQuickFilterBar::FocusText() {
  text_->setFocus(Qt::ShortcutFocusReason);
  text_->selectAll();
}

void TQuickFilterBar::Clear() {
  text_->clear();
}

bool TQuickFilterBar::Empty() const {
  return text_->text().isEmpty();
}

void TQuickFilterBar::ShowCount(bool filtering, int shown, int total) {
  count_->setText(filtering ? QStringLiteral("%1／%2件").arg(shown).arg(total) : QString());
}

void TQuickFilterBar::ShowRefused(bool refused) {
  QPalette palette = text_->palette();
  palette.setColor(QPalette::Text,
                   refused ? QColor(Qt::red) : QWidget::palette().color(QPalette::Text));
  text_->setPalette(palette);
}

bool TQuickFilterBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Escape:
        Clear();
        emit Leave();
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Down:
        emit Leave();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vorn
