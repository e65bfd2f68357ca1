#pragma once

#include <QDialog>

#include "dialoglogic/IDEditLogic.h"
#include "qtsupport/QtSupport.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace vorn {

// "ID編集": the member list of the loaded set, edited (true and short handles in place, IDs
// added and deleted), or a member picked in selection mode.
class TIDEditForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TIDEditForm(QWidget* parent = nullptr);

  // Shows the dialog modally with the properties set on Logic(); the results are read there.
  void Execute(const QString& caption, const QRect& parentRect);
  // Fills the controls from the logic as showing does; false when the dialog has nothing to
  // show and closes at once.
  bool Prepare(const QString& caption);
  TIDEditLogic& Logic() { return logic_; }

  void BTNAddIDClick();
  void BTNDelIDClick();
  void BTNOKClick();

 public slots:
  // Escape and the close box: selection mode closes, edit mode asks first.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillGrid();
  void ApplyFocus();
  void SGDIDCurrentCellChanged(int row, int column);
  void SGDIDItemChanged(QTableWidgetItem* item);

  TIDEditLogic logic_;
  TDialogPlacer placer_;
  QTableWidget* sgdId_;
  QGroupBox* panelAddDel_;
  QLineEdit* edAddId_;
  QLineEdit* edAddHandle_;
  QPushButton* btnAddId_;
  QPushButton* btnDelId_;
  bool filling_ = false;
};

}  // namespace vorn
