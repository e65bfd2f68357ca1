#pragma once

#include <QDialog>

#include "dialoglogic/BoardSetLogic.h"
#include "qtsupport/QtSupport.h"

class QButtonGroup;
class QGroupBox;
class QTableWidget;

namespace vorn {

// "ボード編集": the kind and attribute of each board, changed in place, or the destination board
// of a jump reply picked in selection mode.
class TBoardSetForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TBoardSetForm(QWidget* parent = nullptr);

  // Shows the dialog modally with the properties set on Logic(); the result is read there.
  void Execute(const QString& caption, const QRect& parentRect);
  // Fills the controls from the logic as showing does; false when the dialog closes at once.
  bool Prepare(const QString& caption);
  TBoardSetLogic& Logic() { return logic_; }

  void BTNOKClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowChoices();

  TBoardSetLogic logic_;
  TDialogPlacer placer_;
  QTableWidget* sgdBoard_;
  QGroupBox* rgbSts_;
  QGroupBox* rgbAlign_;
  QButtonGroup* stsGroup_;
  QButtonGroup* alignGroup_;
  bool filling_ = false;
};

}  // namespace vorn
