#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/MainCommands.h"

class QWidget;

namespace vorn {

class TBoardView;
class TLoadWindow;
class TNavigation;
class TReadingState;

// What the window shows of the loaded logs, taken before a load and put back when the user stops
// it: the caption, the board list and its selection, the board in the grid with its current
// and top rows, the article in the view at its scroll position, the commands, the reading
// modes, the parent-jump history and the focus. The data itself the loader gives back; this is
// the window's side of it.
class TWindowBeforeLoad final {
 public:
  TWindowBeforeLoad(TReadingState& state, TMainCommands& commands, TBoardView& view,
                    TNavigation& navigation, TLoadWindow& window);

  // boardLines: the board list of the data given back (the loader's lines for it).
  void PutBack(const std::vector<std::string>& boardLines);

 private:
  TReadingState& state_;
  TMainCommands& commands_;
  TBoardView& view_;
  TNavigation& navigation_;
  TLoadWindow& window_;

  QString caption_;
  int32_t board_ = -1;
  bool gridShown_ = false;
  int32_t position_ = 0;
  int32_t topRow_ = 0;
  uint8_t readFlag_ = 1;
  int viewScrollV_ = 0;
  int viewScrollH_ = 0;
  bool boardListEnabled_ = false;
  bool readingControlsEnabled_ = false;
  bool readModes_[2] = {false, false};
  TMainCommands::EnabledStates commandStates_;
  std::vector<int32_t> levelHistory_;
  QPointer<QWidget> focus_;
};

}  // namespace vorn
