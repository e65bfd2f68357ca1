#include "reader/WriteController.h"

#include <QAction>
#include <QGuiApplication>
#include <QTimer>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogLoader.h"
#include "dialoglogic/BoardSetLogic.h"
#include "dialoglogic/IDEditLogic.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/LogOpener.h"
#include "reader/MainCommands.h"
#include "reader/MainDialogs.h"
#include "readerlogic/ReadingState.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "writing/EditIF.h"
#include "writing/EndOfRun.h"

namespace vorn {

TWriteController::TWriteController(TLogSession& session, CommonSettings& common,
                                   TReadingState& state, TBoardView& view, TNavigation& navigation,
                                   TMainCommands& commands, TMainDialogHost& dialogs,
                                   const TBBSList& bbsList, QObject* parent)
    : QObject(parent),
      session_(session),
      common_(common),
      state_(state),
      view_(view),
      navigation_(navigation),
      mainCommands_(commands),
      dialogs_(dialogs),
      bbsList_(bbsList),
      commands_(std::make_unique<TWriteCommands>(session, common, editors_, *this, wait_)),
      activation_(new TEditorActivationWatcher(editors_, this)),
      journal_(session),
      journalTimer_(new QTimer(this)) {
  journal_.OpenEditorFiles = [this] {
    std::vector<std::string> files;
    for (const TEditIF* editor : editors_.Editors())
      files.push_back(editor->TempFileName);
    return files;
  };
  // Before anything of this run is loaded: what a run that did not end cleanly left.
  journal_.FindLastRun();
  journalTimer_->setInterval(JournalIntervalMs);
  connect(journalTimer_, &QTimer::timeout, this, &TWriteController::JournalTick);
  journalTimer_->start();
  connect(&view_, &TBoardView::BoardChanged, this, &TWriteController::JournalTick);
}

TWriteController::~TWriteController() = default;

void TWriteController::ConnectCommands() {
  TMainCommands& c = mainCommands_;
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
    EditIds(view_.CurrentPosition());
    return;
  }
  WriteKey(key, shift);
}

void TWriteController::BoardListWriteKey(char key, bool shift) {
  if (!session_.CurrentProcess || session_.CurrentPrefix.empty()) return;
  WriteResult result;
  // W writes into the board chosen in the list, which it opens first.
  if (commands_->BoardListKey(key, shift, view_.ListBoard(), result)) Show(result);
}

void TWriteController::WriteKey(char key, bool shift) {
  const int32_t board = view_.CurrentBoard();
  if (board < 0 || session_.CurrentPrefix.empty()) return;
  // Only a root write goes without an article: a filter may show none of the board's.
  if (key != 'W' && view_.CurrentPosition() < 0) return;
  WriteResult result;
  commands_->GridKey(key, shift, board, view_.CurrentPosition(), result);
  Show(result);
}

void TWriteController::Show(const WriteResult& result) {
  TBBSProcess* bbs = session_.CurrentProcess;
  if (!result.Done || !bbs) return;
  journal_.WritesChanged();
  switch (result.Refresh) {
    case WriteRefresh::None:
      break;
    case WriteRefresh::RedrawCurrent:
      RedrawCurrent();
      break;
    case WriteRefresh::ShowWrite: {
      const TArticleList* articles = bbs->Boards.GetArticles(result.Board);
      if (!articles) break;
      const int32_t position = articles->FindByKeyAndTime(state_.TreeOrder(), result.ArticleKey, 0);
      if (position >= 0) {
        view_.ShowBoard(result.Board, TArticleGrid::SelectIndex, position);
      } else {
        view_.ShowBoard(result.Board, TArticleGrid::SelectFirst);
      }
      view_.FocusGrid();
      break;
    }
  }
}

void TWriteController::RedrawCurrent() {
  view_.Redraw();
}

bool TWriteController::LeaveLogSet(bool reopen, bool keepData) {
  const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
  LeaveOutcome outcome;
  const bool leave =
      vorn::LeaveLogSet(session_, editors_, common_, reopen, keepData, shift, &outcome);
  if (outcome.PointersSaved) journal_.PointersSaved();
  if (outcome.OutputWritten) journal_.OutputWritten();
  // The end of the run, as the user chose it. (Before other logs the journal stays until they
  // are loaded: a load that is given up brings this set back.)
  if (leave && !reopen) journal_.Ended();
  return leave;
}

void TWriteController::FollowLoads(TLogOpener& opener) {
  opener_ = &opener;
  opener.LoadStarting = [this] { journal_.LoadStarting(); };
  opener.Loaded = [this, shown = opener.Loaded](bool add) {
    journal_.LoadFinished(add);
    if (shown) shown(add);
  };
}

void TWriteController::RecoverLastRun() {
  const std::vector<std::string> logs = journal_.OfferLastRun();
  if (state_.HasPendingFiles()) return;
  for (const std::string& log : logs)
    state_.AddPendingFile(log);
}

void TWriteController::JournalTick() {
  // A load changes the boards under way; it writes the marks down before it begins.
  if (opener_ && opener_->Loading()) return;
  journal_.Tick();
}

void TWriteController::EditIds(int32_t position) {
  TBBSProcess* bbs = session_.CurrentProcess;
  if (!bbs || session_.CurrentPrefix.empty()) return;
  const int32_t board = view_.CurrentBoard();
  const IDEditPreset preset =
      position >= 0 && board >= 0
          ? IdEditPresetOf(*bbs, session_.LogList, board, state_.TreeOrder(), position)
          : IDEditPreset();
  dialogs_.EditIds(*bbs, preset);
  // The handles shown in the grid may have changed.
  RedrawCurrent();
}

void TWriteController::MenuBoardEditClick() {
  TBBSProcess* bbs = session_.CurrentProcess;
  if (!CanEditBoards(bbs) || session_.CurrentPrefix.empty()) return;
  const int selected = view_.CurrentBoard();
  dialogs_.EditBoards(*bbs, false, 1, QStringLiteral("ボード編集"));
  // Only the boards' letters change. FillBoardList would also mark every board as saved, and
  // a write still waiting for the UP file would then be dropped at the end without a question.
  std::vector<std::string> lines;
  for (int32_t b = 0; b < bbs->Boards.Count(); ++b)
    lines.push_back(BoardListLine(*bbs, b));
  view_.SetBoardListLines(lines);
  view_.SelectBoardInList(selected);
}

void TWriteController::MenuCreateUpFileClick() {
  WriteUpPadFiles(session_);
  journal_.OutputWritten();
}

std::string TWriteController::ChooseMailRecipient() {
  TBBSProcess* bbs = session_.CurrentProcess;
  return bbs ? dialogs_.ChooseId(*bbs, QStringLiteral("メール送信先ID指定")) : std::string();
}

std::string TWriteController::ChooseBinaryFile() {
  return dialogs_.ChooseBinaryFile();
}

void TWriteController::EnableFileCommands(bool on) {
  // The sets may have been deleted while the editor was open: opening needs one.
  const bool open = on && TotalNetCount(bbsList_) > 0;
  for (const char* name : {"MenuOpen", "MenuNoSaveOpen", "BTNOpen"})
    mainCommands_.SetEnabled(name, open);
  for (const char* name : {"MenuNoSaveEnd", "MenuEnd"})
    mainCommands_.SetEnabled(name, on);
  // An editor opened or the last one closed: the journal names the editors open.
  journal_.WritesChanged();
}

int32_t TWriteController::ShownBoard() const {
  return view_.CurrentBoard();
}

int32_t TWriteController::CurrentOrder() const {
  return state_.TreeOrder();
}

int32_t TWriteController::ChooseJumpDestination(int32_t currentBoard) {
  TBBSProcess* bbs = session_.CurrentProcess;
  return bbs ? dialogs_.EditBoards(*bbs, true, currentBoard, QStringLiteral("移動先ボード指定"))
             : -1;
}

void TWriteController::OpenBoard(int32_t board) {
  navigation_.OpenBoard(board);
}

}  // namespace vorn
