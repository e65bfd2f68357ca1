#include "reader/ProgressBarREX.h"

#include "qtsupport/DisplayMapping.h"
#include "settings/IniFilePlus.h"

namespace vorn {

TProgressBarREX::TProgressBarREX(QWidget* parent)
    : QProgressBar(parent), color_(clBtnFace), barColor_(clNavy) {
  setTextVisible(false);
  ApplyLook();
}

void TProgressBarREX::SetSmooth(bool smooth) {
  if (smooth == smooth_) return;
  smooth_ = smooth;
  ApplyLook();
}

void TProgressBarREX::SetVertical(bool vertical) {
  if (vertical == Vertical()) return;
  setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
  ApplyLook();
}

void TProgressBarREX::SetColor(int32_t color) {
  if (color == color_ && !parentColor_) return;
  color_ = color;
  parentColor_ = false;
  ApplyLook();
}

void TProgressBarREX::SetBarColor(int32_t color) {
  if (color == barColor_) return;
  barColor_ = color;
  ApplyLook();
}

void TProgressBarREX::SetParentColor(bool on) {
  if (on == parentColor_) return;
  parentColor_ = on;
  ApplyLook();
}

void TProgressBarREX::StepIt() {
  int next = value() + step_;
  if (next > maximum()) next = minimum() + (next - maximum() - 1);
  setValue(next < minimum() ? minimum() : next);
}

void TProgressBarREX::SetMax(int max) {
  setRange(0, max > 0 ? max : 1);
  setValue(0);
}

void TProgressBarREX::Step() {
  if (value() < maximum()) setValue(value() + 1);
  repaint();
}

void TProgressBarREX::ApplyLook() {
  const QString background = parentColor_ ? QStringLiteral("transparent") : QtColor(color_).name();
  const QString chunk = smooth_      ? QString()
                        : Vertical() ? QStringLiteral("height: 6px; margin: 1px;")
                                     : QStringLiteral("width: 6px; margin: 1px;");
  setStyleSheet(QStringLiteral("QProgressBar { background: %1; border: 1px solid palette(mid); }"
                               "QProgressBar::chunk { background: %2; %3 }")
                    .arg(background, QtColor(barColor_).name(), chunk));
}

}  // namespace vorn
