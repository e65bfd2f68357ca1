#include "reader/LoadCheck.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "qtsupport/QtSupport.h"

namespace vorn {

TLoadCheckForm::TLoadCheckForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("LoadCheckForm"));
  setWindowTitle(QStringLiteral("確認"));
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout();
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Image1"));
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  lbCaption_ = new QLabel(this);
  lbCaption_->setObjectName(QStringLiteral("LBCaption"));
  lbCaption_->setMinimumWidth(220);
  top->addWidget(lbCaption_, 1);
  layout->addLayout(top);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  auto add = [&](const char* name, const QString& caption, int result) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(true);
    connect(b, &QPushButton::clicked, this, [this, result] { Finish(result); });
    buttons->addWidget(b);
    return b;
  };
  add("BTNOK", QStringLiteral("はい(&Y)"), ResultYes)->setDefault(true);
  add("BTNNo", QStringLiteral("いいえ(&N)"), ResultNo);
  add("BTNDel", QStringLiteral("削除(&D)"), ResultDelete);
  buttons->addStretch(1);
  layout->addLayout(buttons);
}

void TLoadCheckForm::Prepare(const std::string& question) {
  lbCaption_->setText(QtMessageText(question));
  result_ = ResultNo;
  adjustSize();
  setFixedSize(sizeHint());
}

int TLoadCheckForm::Execute(const std::string& question) {
  // Placed on the main window, as every dialog is, when it is first shown.
  Prepare(question);
  exec();
  return result_;
}

void TLoadCheckForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (auto* ok = findChild<QPushButton*>(QStringLiteral("BTNOK"))) ok->setFocus();
}

void TLoadCheckForm::reject() {
  Finish(ResultNo);
}

void TLoadCheckForm::Finish(int result) {
  result_ = result;
  done(result);
}

}  // namespace vorn
