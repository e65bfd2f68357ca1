#include "reader/WriteController.h"

#include <QAction>
#include <QGuiApplication>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogLoader.h"
#include "dialoglogic/BBSList.h"
#include "dialoglogic/BoardSetLogic.h"
#include "dialoglogic/IDEditLogic.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/MainCommands.h"
#include "reader/MainDialogs.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "writing/EndOfRun.h"

namespace vorn {

TWriteController::TWriteController(TVornExplMain& window)
    : QObject(&window),
      w_(window),
      commands_(std::make_unique<TWriteCommands>(window.Session(), window.CommonIni(), editors_,
                                                 *this, wait_)),
      activation_(new TEditorActivationWatcher(editors_, this)) {}

TWriteController::~TWriteController() = default;

void TWriteController::ConnectCommands() {
  TMainCommands& c = w_.Commands();
  auto on = [this, &c](const char* name, auto handler) {
    if (QAction* a = c.Action(name)) connect(a, &QAction::triggered, this, handler);
  };
  // Menu items, tool buttons and pop-up items act as their key in the grid.
  const std::pair<const char*, const char*> keys[] = {{"MenuWRoot", "W"},
                                                      {"BTNRoot", "W"},
                                                      {"GMenuRoot", "W"},
                                                      {"MenuWRess", "F"},
                                                      {"BTNRess", "F"},
                                                      {"GMenuRess", "F"},
                                                      {"MenuWMail", "M"},
                                                      {"BTNMail", "M"},
                                                      {"GMenuMail", "M"},
                                                      {"MenuWBatch", "S"},
                                                      {"BTNBatch", "S"},
                                                      {"GMenuBatch", "S"},
                                                      {"MenuWJumpRess", "J"},
                                                      {"BTNJumpRess", "J"},
                                                      {"GMenuJumpRess", "J"},
                                                      {"MenuWEdit", "E"},
                                                      {"BTNEdit", "E"},
                                                      {"GMenuEdit", "E"},
                                                      {"MenuWDel", "D"},
                                                      {"BTNDel", "D"},
                                                      {"GMenuDel", "D"},
                                                      {"MenuWRootBinary", "w"},
                                                      {"GMenuRootBinary", "w"},
                                                      {"MenuWRessBinary", "f"},
                                                      {"GMenuRessBinary", "f"},
                                                      {"MenuWMailBinary", "m"},
                                                      {"GMenuMailBinary", "m"},
                                                      {"MenuWJumpRessBinary", "j"},
                                                      {"GMenuJumpRessBinary", "j"}};
  for (const auto& [name, key] : keys) {
    const char letter = key[0];
    const bool shift = letter >= 'a' && letter <= 'z';
    const char upper = shift ? static_cast<char>(letter - 'a' + 'A') : letter;
    on(name, [this, upper, shift] { WriteKey(upper, shift); });
  }
  on("MenuIDEdit", [this] { EditIds(-1); });
  on("MenuBoardEdit", [this] { MenuBoardEditClick(); });
  on("MenuCreateUpFile", [this] { MenuCreateUpFileClick(); });
  on("BTNSave", [this] { MenuCreateUpFileClick(); });
}

void TWriteController::GridWriteKey(char key, bool shift) {
  if (key == 'I') {
    EditIds(w_.BoardView().CurrentPosition());
    return;
  }
  WriteKey(key, shift);
}

void TWriteController::BoardListWriteKey(char key, bool shift) {
  if (!w_.CurrentAnalyser() || w_.Session().CurrentPrefix.empty()) return;
  WriteResult result;
  if (commands_->BoardListKey(key, shift, w_.BoardList().currentIndex(), result)) Show(result);
}

void TWriteController::WriteKey(char key, bool shift) {
  TBoardView& view = w_.BoardView();
  const int32_t board = view.CurrentBoard();
  if (board < 0 || w_.Session().CurrentPrefix.empty()) return;
  WriteResult result;
  commands_->GridKey(key, shift, board, view.CurrentPosition(), result);
  Show(result);
}

void TWriteController::Show(const WriteResult& result) {
  TBBSProcess* bbs = w_.CurrentAnalyser();
  if (!result.Done || !bbs) return;
  switch (result.Refresh) {
    case WriteRefresh::None:
      break;
    case WriteRefresh::RedrawCurrent:
      RedrawCurrent();
      break;
    case WriteRefresh::ShowWrite: {
      const TArticleList* articles = bbs->Boards.GetArticles(result.Board);
      if (!articles) break;
      const int32_t position = articles->FindByKeyAndTime(w_.TreeOrder, result.ArticleKey, 0);
      if (position >= 0) {
        w_.BoardView().ShowBoard(result.Board, TArticleGrid::SelectIndex, position);
      } else {
        w_.BoardView().ShowBoard(result.Board, TArticleGrid::SelectFirst);
      }
      w_.FocusGrid();
      break;
    }
  }
}

void TWriteController::RedrawCurrent() {
  w_.BoardView().Redraw();
}

bool TWriteController::LeaveLogSet(bool reopen, bool keepData) {
  const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
  return vorn::LeaveLogSet(w_.Session(), editors_, w_.CommonIni(), reopen, keepData, shift);
}

void TWriteController::EditIds(int32_t position) {
  TBBSProcess* bbs = w_.CurrentAnalyser();
  if (!bbs || w_.Session().CurrentPrefix.empty()) return;
  const int32_t board = w_.BoardView().CurrentBoard();
  const IDEditPreset preset =
      position >= 0 && board >= 0
          ? IdEditPresetOf(*bbs, w_.LogList(), board, w_.TreeOrder, position)
          : IDEditPreset();
  w_.Dialogs().EditIds(*bbs, preset);
  // The handles shown in the grid may have changed.
  RedrawCurrent();
}

void TWriteController::MenuBoardEditClick() {
  TBBSProcess* bbs = w_.CurrentAnalyser();
  if (!CanEditBoards(bbs) || w_.Session().CurrentPrefix.empty()) return;
  const int selected = w_.BoardList().currentIndex();
  w_.Dialogs().EditBoards(*bbs, false, 1, QStringLiteral("ボード編集"));
  w_.SetBoardListLines(FillBoardList(*bbs));
  w_.SelectBoardInList(selected);
}

void TWriteController::MenuCreateUpFileClick() {
  WriteUpPadFiles(w_.Session());
}

std::string TWriteController::ChooseMailRecipient() {
  TBBSProcess* bbs = w_.CurrentAnalyser();
  return bbs ? w_.Dialogs().ChooseId(*bbs, QStringLiteral("メール送信先ID指定")) : std::string();
}

std::string TWriteController::ChooseBinaryFile() {
  return w_.Dialogs().ChooseBinaryFile();
}

void TWriteController::EnableFileCommands(bool on) {
  // The sets may have been deleted while the editor was open: opening needs one.
  const bool open = on && TotalNetCount(w_.BBSList()) > 0;
  for (const char* name : {"MenuOpen", "MenuNoSaveOpen", "BTNOpen"})
    w_.Commands().SetEnabled(name, open);
  for (const char* name : {"MenuNoSaveEnd", "MenuEnd"})
    w_.Commands().SetEnabled(name, on);
}

int32_t TWriteController::ShownBoard() const {
  return w_.BoardView().CurrentBoard();
}

int32_t TWriteController::CurrentOrder() const {
  return w_.TreeOrder;
}

int32_t TWriteController::ChooseJumpDestination(int32_t currentBoard) {
  TBBSProcess* bbs = w_.CurrentAnalyser();
  return bbs ? w_.Dialogs().EditBoards(*bbs, true, currentBoard, QStringLiteral("移動先ボード指定"))
             : -1;
}

void TWriteController::OpenBoard(int32_t board) {
  w_.Navigation().OpenBoard(board);
}

}  // namespace vorn
