#include "reader/SearchWindowAccess.h"

#include <QTextCursor>
#include <QTextEdit>

#include "analysis/LogLoader.h"
#include "dialogs/QtSupport.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

QTextEdit* ArticleView(const TVornExplMain& window) {
  return window.findChild<QTextEdit*>(QStringLiteral("ArticleEdit1"));
}

}  // namespace

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
  w_.SelectBoardInList(board);
  w_.BoardView().ShowBoard(board, position);
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
  const QTextEdit* view = ArticleView(w_);
  if (!view || !view->textCursor().hasSelection()) return std::nullopt;
  QString text = view->textCursor().selectedText();
  text.replace(QChar(0x2029), QStringLiteral("\r\n"));
  text.replace(QChar(0x2028), QStringLiteral("\r\n"));
  return CoreText(text);
}

void TMainWindowAccess::PrintView(QPagedPaintDevice& printer) {
  if (QTextEdit* view = ArticleView(w_)) view->print(&printer);
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
