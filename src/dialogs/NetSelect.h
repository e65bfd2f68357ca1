#pragma once

#include <QDialog>
#include <functional>

#include "dialoglogic/NetSelectLogic.h"
#include "qtsupport/QtSupport.h"

class QTableWidget;

namespace vorn {

// "BBS選択": the BBS set to open and, unless only the set is asked for, its log files.
class TNetSelectForm final : public QDialog {
  Q_OBJECT
 public:
  explicit TNetSelectForm(QWidget* parent = nullptr);

  // Fills the grid: every set, or only those whose prefix is in prefixList when it is not
  // empty.
  void Prepare(const CommonSettings* common, const TBBSList& list,
               const std::vector<std::string>& prefixList);
  // Prepare, then show modally over the parent rectangle. The result is in Logic().
  void Execute(const CommonSettings* common, const TBBSList& list,
               const std::vector<std::string>& prefixList, const QRect& parentRect);
  const TNetSelectLogic& Logic() const { return logic_; }

  // OK or a double click on a row.
  void BTNOKClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The prefix 50 pixels wide, the name half of the rest, the folder what is left.
  void SetColumnWidths();

  TNetSelectLogic logic_;
  TDialogPlacer placer_;
  QTableWidget* sgdNetSelect_;
};

}  // namespace vorn
