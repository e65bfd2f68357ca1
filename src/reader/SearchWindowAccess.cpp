#include "reader/SearchWindowAccess.h"

#include "analysis/LogLoader.h"
#include "reader/ArticleEdit.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"

namespace vorn {

TBBSProcess* TMainWindowAccess::Analyser() const {
  return w_.CurrentAnalyser();
}

const TLogList& TMainWindowAccess::Log() const {
  return w_.LogList();
}

CommonSettings& TMainWindowAccess::Common() const {
  return w_.CommonIni();
}

std::string TMainWindowAccess::SetPath(const std::string& path) const {
  return w_.Session().SetPath(path);
}

int32_t TMainWindowAccess::Order() const {
  return w_.TreeOrder;
}

int32_t TMainWindowAccess::CurrentBoard() const {
  return w_.BoardView().CurrentBoard();
}

int32_t TMainWindowAccess::CurrentPosition() const {
  return w_.BoardView().CurrentPosition();
}

void TMainWindowAccess::ShowArticleAt(int32_t board, int32_t position) {
  TBoardView& view = w_.BoardView();
  if (view.CurrentBoard() == board) {
    view.SelectPosition(position);
  } else {
    view.ShowBoard(board, TArticleGrid::SelectIndex, position);
  }
}

void TMainWindowAccess::SetStatusText(int panel, const QString& text) {
  w_.SetStatusText(panel, text);
}

bool TMainWindowAccess::NewReadMode() const {
  return w_.NewReadMode;
}

bool TMainWindowAccess::SearchReadMode() const {
  return w_.SearchReadMode;
}

void TMainWindowAccess::SetSearchReadMode(bool on) {
  w_.SetReadMode(true, on);
}

void TMainWindowAccess::EnableSearchMode() {
  w_.Commands().SetEnabled("MenuSearchMode", true);
  w_.Commands().SetEnabled("BTNSearchMode", true);
}

std::optional<std::string> TMainWindowAccess::ViewSelection() const {
  const TArticleEdit& view = w_.ArticleEdit();
  if (!view.HasSelection()) return std::nullopt;
  return view.SelectedText();
}

void TMainWindowAccess::PrintView(QPagedPaintDevice& printer) {
  w_.ArticleEdit().Print(&printer);
}

QWidget* TMainWindowAccess::Window() const {
  return &w_;
}

QRect TMainWindowAccess::WindowRect() const {
  return w_.frameGeometry();
}

void TMainWindowAccess::FocusGrid() {
  w_.FocusGrid();
}

}  // namespace vorn
