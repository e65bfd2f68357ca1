#include "reader/QuickFilterBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "qtsupport/QtSupport.h"

namespace vorn {

TQuickFilterBar::TQuickFilterBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("QuickFilterBar"));
  lines_ = new QVBoxLayout(this);
  // The bar never widens the grid's panel: beside the view, the panel keeps the width the
  // settings give it, and the bar's controls share what there is.
  lines_->setSizeConstraint(QLayout::SetNoConstraint);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  lines_->setContentsMargins(4, 2, 4, 2);
  lines_->setSpacing(2);
  textLine_ = new QHBoxLayout();
  textLine_->setSpacing(6);
  lines_->addLayout(textLine_);
  caption_ = new QLabel(QStringLiteral("フィルタ:"), this);
  text_ = new QLineEdit(this);
  text_->setObjectName(QStringLiteral("EDQuickFilter"));
  text_->setPlaceholderText(
      QStringLiteral("タイトル・本文・ID・ハンドルで絞り込み（/ で入力、Esc で解除）"));
  text_->setMinimumWidth(LeastTextWidth());
  text_->installEventFilter(this);
  caption_->setBuddy(text_);
  switches_ = new QWidget(this);
  auto* switchLayout = new QHBoxLayout(switches_);
  switchLayout->setContentsMargins(0, 0, 0, 0);
  switchLayout->setSpacing(6);
  regExp_ = new QCheckBox(QStringLiteral("正規表現"), switches_);
  regExp_->setObjectName(QStringLiteral("CBQuickFilterRegExp"));
  fuzzy_ = new QCheckBox(QStringLiteral("同一語比較"), switches_);
  fuzzy_->setObjectName(QStringLiteral("CBQuickFilterFuzzy"));
  unread_ = new QCheckBox(QStringLiteral("未読のみ"), switches_);
  unread_->setObjectName(QStringLiteral("CBQuickFilterUnread"));
  unread_->setToolTip(QStringLiteral("未読記事だけを表示します (L)"));
  switchLayout->addWidget(regExp_);
  switchLayout->addWidget(fuzzy_);
  switchLayout->addWidget(unread_);
  switchLayout->addStretch(1);
  clear_ = new QToolButton(this);
  clear_->setObjectName(QStringLiteral("BTNQuickFilterClear"));
  clear_->setText(QStringLiteral("×"));
  clear_->setToolTip(QStringLiteral("フィルタを解除します (Esc)"));
  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("LBQuickFilterCount"));
  count_->setMinimumWidth(
      count_->fontMetrics().horizontalAdvance(QStringLiteral("000000／000000件")));
  count_->hide();
  textLine_->addWidget(caption_);
  textLine_->addWidget(text_, 1);
  textLine_->addWidget(switches_);
  textLine_->addWidget(clear_);
  textLine_->addWidget(count_);
  connect(text_, &QLineEdit::textChanged, this, &TQuickFilterBar::ConditionChanged);
  connect(regExp_, &QCheckBox::toggled, this, [this] {
    if (!text_->text().isEmpty()) emit ConditionChanged();
  });
  connect(fuzzy_, &QCheckBox::toggled, this, [this] {
    if (!text_->text().isEmpty()) emit ConditionChanged();
  });
  connect(unread_, &QCheckBox::toggled, this, &TQuickFilterBar::UnreadOnlyChanged);
  connect(clear_, &QToolButton::clicked, this, [this] {
    Clear();
    emit Leave();
  });
}

int TQuickFilterBar::LeastTextWidth() const {
  return text_ ? text_->fontMetrics().horizontalAdvance(QStringLiteral("あ")) * 12 + 12 : 0;
}

QuickFilterCondition TQuickFilterBar::Condition() const {
  return {CoreText(text_->text()), regExp_->isChecked(), fuzzy_->isChecked()};
}

bool TQuickFilterBar::UnreadOnly() const {
  return unread_->isChecked();
}

void TQuickFilterBar::SetUnreadOnly(bool on) {
  const QSignalBlocker quiet(unread_);
  unread_->setChecked(on);
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
  if (count_->isVisibleTo(this) != filtering) {
    count_->setVisible(filtering);
    Arrange();
  }
}

void TQuickFilterBar::ShowRefused(bool refused) {
  QPalette palette = text_->palette();
  palette.setColor(QPalette::Text,
                   refused ? QColor(Qt::red) : QWidget::palette().color(QPalette::Text));
  text_->setPalette(palette);
}

void TQuickFilterBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Arrange();
}

void TQuickFilterBar::Arrange() {
  const int spacing = textLine_->spacing();
  int needed = lines_->contentsMargins().left() + lines_->contentsMargins().right() +
               caption_->sizeHint().width() + spacing + LeastTextWidth() + spacing +
               switches_->sizeHint().width() + spacing + clear_->sizeHint().width();
  if (count_->isVisibleTo(this)) needed += spacing + count_->minimumWidth();
  const bool oneLine = width() >= needed;
  if (oneLine == oneLine_) return;
  oneLine_ = oneLine;
  if (oneLine) {
    lines_->removeWidget(switches_);
    textLine_->insertWidget(2, switches_);
  } else {
    textLine_->removeWidget(switches_);
    lines_->addWidget(switches_);
  }
  updateGeometry();
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
