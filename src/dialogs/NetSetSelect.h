#pragma once

#include <QDialog>

#include "dialoglogic/NetSetSelectLogic.h"
#include "qtsupport/QtSupport.h"

class QComboBox;
class QRadioButton;

namespace vorn {

// "BBS定義編集": new set, change, delete, or copy into a new set.
class TNetSetSelectForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TNetSetSelectForm(QWidget* parent = nullptr);

  // Shows the dialog modally over the parent rectangle; the result is in Logic().
  void Execute(const TBBSList& list, const QRect& parentRect);
  const TNetSetSelectLogic& Logic() const { return logic_; }

 private:
  void ChoiceChanged();
  void BTNOKClick();

  TNetSetSelectLogic logic_;
  TDialogPlacer placer_;
  QRadioButton* rbNew_;
  QRadioButton* rbChange_;
  QRadioButton* rbDel_;
  QRadioButton* rbCopy_;
  QComboBox* cbBBSName_;
};

}  // namespace vorn
