#include "reader/QtUiServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include "qtsupport/QtSupport.h"
#include "reader/LoadCheck.h"

namespace vorn {
namespace {

// A wait cursor set by a long operation would otherwise stay over the box.
class NormalCursorWhileAsking {
 public:
  NormalCursorWhileAsking() : active_(QApplication::overrideCursor() != nullptr) {
    if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalCursorWhileAsking() {
    if (active_) QApplication::restoreOverrideCursor();
  }

 private:
  bool active_;
};

QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                const std::string& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
  NormalCursorWhileAsking cursor;
  QMessageBox box(icon, title, QtMessageText(text), buttons, parent);
  box.setDefaultButton(defaultButton);
  if (buttons & QMessageBox::Yes) box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
  if (buttons & QMessageBox::No) box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
  if (buttons & QMessageBox::Cancel) {
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
  }
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QtUiServices::QtUiServices() = default;
QtUiServices::~QtUiServices() = default;

void QtUiServices::SetLoadCheckForm(TLoadCheckForm* form) {
  loadCheck_ = form;
}

void QtUiServices::Warning(const std::string& text) {
  Ask(parent_, QMessageBox::Warning, QStringLiteral("警告"), text, QMessageBox::Ok,
      QMessageBox::Ok);
}

void QtUiServices::Information(const std::string& text) {
  Ask(parent_, QMessageBox::Information, QStringLiteral("情報"), text, QMessageBox::Ok,
      QMessageBox::Ok);
}

bool QtUiServices::ConfirmYesNo(const std::string& text) {
  return Ask(parent_, QMessageBox::Question, QStringLiteral("確認"), text,
             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtUiServices::ConfirmYesNoDefaultNo(const std::string& text) {
  return Ask(parent_, QMessageBox::Question, QStringLiteral("確認"), text,
             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

UiAnswer QtUiServices::ConfirmYesNoCancel(const std::string& text) {
  switch (Ask(parent_, QMessageBox::Question, QStringLiteral("確認"), text,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return UiAnswer::Yes;
    case QMessageBox::No:
      return UiAnswer::No;
    default:
      return UiAnswer::Cancel;
  }
}

UiAnswer QtUiServices::AskLoadCheck(const std::string& text) {
  NormalCursorWhileAsking cursor;
  int result = TLoadCheckForm::ResultNo;
  if (loadCheck_) {
    result = loadCheck_->Execute(text);
  } else {
    TLoadCheckForm form(parent_);
    result = form.Execute(text);
  }
  if (result == TLoadCheckForm::ResultYes) return UiAnswer::Yes;
  if (result == TLoadCheckForm::ResultDelete) return UiAnswer::Cancel;
  return UiAnswer::No;
}

void QtUiServices::ProcessMessages() {
  QCoreApplication::processEvents();
}

}  // namespace vorn
