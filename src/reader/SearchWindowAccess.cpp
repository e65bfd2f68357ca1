#include "reader/SearchWindowAccess.h"

#include <QWidget>

#include "analysis/LogLoader.h"
#include "reader/ArticleEdit.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/WindowRoles.h"
#include "readerlogic/ReadingState.h"
#include "settings/CommonIniFile.h"

namespace vorn {

TBBSProcess* TMainWindowAccess::Analyser() const {
  return session_.CurrentProcess;
}

const TLogList& TMainWindowAccess::Log() const {
  return session_.LogList;
}

CommonSettings& TMainWindowAccess::Common() const {
  return common_;
}

std::string TMainWindowAccess::SetPath(const std::string& path) const {
  return session_.SetPath(path);
}

int32_t TMainWindowAccess::Order() const {
  return state_.TreeOrder();
}

int32_t TMainWindowAccess::CurrentBoard() const {
  return view_.CurrentBoard();
}

int32_t TMainWindowAccess::CurrentPosition() const {
  return view_.CurrentPosition();
}

void TMainWindowAccess::ShowArticleAt(int32_t board, int32_t position) {
  if (view_.CurrentBoard() == board) {
    view_.SelectPosition(position);
  } else {
    view_.ShowBoard(board, TArticleGrid::SelectIndex, position);
  }
}

void TMainWindowAccess::SetStatusText(int panel, const QString& text) {
  status_.SetStatusText(panel, text);
}

bool TMainWindowAccess::NewReadMode() const {
  return state_.NewReadMode();
}

bool TMainWindowAccess::SearchReadMode() const {
  return state_.SearchReadMode();
}

void TMainWindowAccess::SetSearchReadMode(bool on) {
  modes_.SetReadMode(true, on);
}

void TMainWindowAccess::EnableSearchMode() {
  commands_.SetEnabled("MenuSearchMode", true);
  commands_.SetEnabled("BTNSearchMode", true);
}

std::optional<std::string> TMainWindowAccess::ViewSelection() const {
  const TArticleEdit& view = view_.View();
  if (!view.HasSelection()) return std::nullopt;
  return view.SelectedText();
}

void TMainWindowAccess::PrintView(QPagedPaintDevice& printer) {
  view_.View().Print(&printer);
}

QWidget* TMainWindowAccess::Window() const {
  return &window_;
}

QRect TMainWindowAccess::WindowRect() const {
  return window_.frameGeometry();
}

void TMainWindowAccess::FocusGrid() {
  view_.FocusGrid();
}

}  // namespace vorn
