#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace vorn {

// "確認": the question asked before an existing UP or PAD file is read again, with the answers
// yes (6), no (7) and delete (2). Escape is no, never delete.
class TLoadCheckForm final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int ResultYes = 6;
  static constexpr int ResultNo = 7;
  static constexpr int ResultDelete = 2;

  explicit TLoadCheckForm(QWidget* parent = nullptr);

  // Shows the question (CP932) modally over the main window.
  int Execute(const std::string& question);
  // Fills the dialog without showing it.
  void Prepare(const std::string& question);
  int Result() const { return result_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void Finish(int result);

  QLabel* lbCaption_;
  int result_ = ResultNo;
};

}  // namespace vorn
