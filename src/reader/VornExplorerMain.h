#pragma once

#include <QMainWindow>

namespace vorn {

class TVornExplMain final : public QMainWindow {
  Q_OBJECT
 public:
  explicit TVornExplMain(QWidget* parent = nullptr);
};

}  // namespace vorn
