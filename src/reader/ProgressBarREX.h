#pragma once

#include <QProgressBar>

#include "analysis/BBSProcess.h"

namespace vorn {

// The progress bar shown inside the status bar: a bar colour of its own, a smooth or a
// segmented bar, horizontal or vertical, and a step to advance by. Analysers report their
// progress to it.
class TProgressBarREX final : public QProgressBar, public AnalysisProgress {
  Q_OBJECT
 public:
  explicit TProgressBarREX(QWidget* parent = nullptr);

  bool Smooth() const { return smooth_; }
  void SetSmooth(bool smooth);
  bool Vertical() const { return orientation() == Qt::Vertical; }
  void SetVertical(bool vertical);
  // Colours as settings hold them (0x00BBGGRR or a system colour).
  int32_t Color() const { return color_; }
  void SetColor(int32_t color);
  int32_t BarColor() const { return barColor_; }
  void SetBarColor(int32_t color);
  // The background follows the parent's colour.
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool on);

  int Step() const { return step_; }
  void SetStep(int step) { step_ = step; }
  // Advances by the step, wrapping to the minimum past the maximum.
  void StepIt();

  // An analyser's run of max steps.
  void SetMax(int max) override;
  void Step() override;

 private:
  void ApplyLook();

  bool smooth_ = false;
  bool parentColor_ = false;
  int32_t color_;
  int32_t barColor_;
  int step_ = 10;
};

}  // namespace vorn
