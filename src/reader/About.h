#pragma once

#include <QDialog>

#include "qtsupport/QtSupport.h"

namespace vorn {

// "バージョン情報": the program's name, version and what it is for.
class TAboutBox final : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  static QString VersionText() { return QStringLiteral("Version 1.20a '1999/07/30"); }

  void Execute(const QRect& parentRect);

 private:
  TDialogPlacer placer_;
};

}  // namespace vorn
