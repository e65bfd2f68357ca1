#pragma once

#include <QDialog>

#include "dialoglogic/PrefixInpLogic.h"
#include "qtsupport/QtSupport.h"

class QComboBox;
class QLineEdit;

namespace vorn {

// "プレフィックス指定": the prefix and host family of a new set.
class TPrefixInputForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TPrefixInputForm(QWidget* parent = nullptr);

  // selectBBS: the fixed family of a copied set, -1 for a new one. The result is in Logic().
  void Execute(const TBBSList& list, int selectBBS, const QRect& parentRect);
  const TPrefixInputLogic& Logic() const { return logic_; }

 private:
  void BTNOKClick();

  TPrefixInputLogic logic_;
  TDialogPlacer placer_;
  QLineEdit* edPrefix_;
  QComboBox* cbHost_;
};

}  // namespace vorn
