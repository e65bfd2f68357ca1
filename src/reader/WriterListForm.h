#pragma once

#include <QDialog>

#include "threadview/WriterListEdit.h"

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace vorn {

// The small dialog of watched and ignored writers: the two lists (ID and handle), an ID to put
// on either, the selected writer taken off, and whether ignored writers' articles are hidden
// or only greyed. It edits a TWriterListEdit; nothing changes before OK.
class TWriterListForm final : public QDialog {
  Q_OBJECT
 public:
  TWriterListForm(TWriterListEdit& edit, QWidget* parent = nullptr);

 private:
  void Fill();
  void AddTyped(WriterMark mark);
  void RemoveSelected();

  TWriterListEdit& edit_;
  QListWidget* watched_;
  QListWidget* ignored_;
  QLineEdit* id_;
  QCheckBox* hide_;
};

}  // namespace vorn
