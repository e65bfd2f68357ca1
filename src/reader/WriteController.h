#pragma once

#include <QObject>
#include <memory>

#include "dialoglogic/BBSList.h"
#include "reader/EditorWaitQt.h"
#include "reader/Navigation.h"
#include "writing/RunJournal.h"
#include "writing/RunningEditors.h"
#include "writing/WriteCommands.h"

class QTimer;

namespace vorn {

class TBoardView;
class TLogOpener;
class TLogSession;
class TMainCommands;
class TMainDialogHost;
class TReadingState;
struct CommonSettings;

// The write commands in the main window: the write menus, tool buttons, grid pop-up items and
// keys, the ID and board editors, the UP/PAD save, the editors that are open, the check before
// the loaded data is left and the journal of the run. It maps the window's commands to the
// core's and shows their results in the board list and the grid.
class TWriteController final : public QObject, public TWriteHost, public TWriteKeys {
  Q_OBJECT
 public:
  TWriteController(TLogSession& session, CommonSettings& common, TReadingState& state,
                   TBoardView& view, TNavigation& navigation, TMainCommands& commands,
                   TMainDialogHost& dialogs, const TBBSList& bbsList, QObject* parent = nullptr);
  ~TWriteController() override;

  // Connects the commands to their menu items and buttons (the grid's ID editor item goes
  // through the grid's key I).
  void ConnectCommands();

  // TWriteKeys: the grid's and the board list's write keys, as the reading keys pass them on.
  void GridWriteKey(char key, bool shift) override;
  void BoardListWriteKey(char key, bool shift) override;

  // Whether the loaded data may be left for other logs (reopen) or the end; reads Shift.
  bool LeaveLogSet(bool reopen, bool keepData);
  const TRunningEditors& RunningEditors() const { return editors_; }

  // The ID editor on the members, offering the writer of the article at the position (-1:
  // none); the board editor; the UP and PAD files written now.
  void EditIds(int32_t position);
  void MenuBoardEditClick();
  void MenuCreateUpFileClick();

  TWriteCommands& Commands() { return *commands_; }

  // The journal of the run: the writes as they are queued, the read marks every
  // JournalIntervalMs and whenever the board changes.
  static constexpr int JournalIntervalMs = 2000;
  TRunJournal& Journal() { return journal_; }
  // The journal follows the opener's loads (and looks at nothing while one runs).
  void FollowLoads(TLogOpener& opener);
  // Once the window is up: what a run that did not end cleanly left (taken up when the window
  // was made) is offered back; when the user keeps its writes and the start names no logs, the
  // logs that run had open are loaded.
  void RecoverLastRun();

  // TWriteHost
  std::string ChooseMailRecipient() override;
  std::string ChooseBinaryFile() override;
  void EnableFileCommands(bool on) override;
  int32_t ShownBoard() const override;
  int32_t CurrentOrder() const override;
  int32_t ChooseJumpDestination(int32_t currentBoard) override;
  void OpenBoard(int32_t board) override;

 private:
  // A write key for the board and article shown.
  void WriteKey(char key, bool shift);
  void Show(const WriteResult& result);
  void RedrawCurrent();
  void JournalTick();

  TLogSession& session_;
  CommonSettings& common_;
  TReadingState& state_;
  TBoardView& view_;
  TNavigation& navigation_;
  TMainCommands& mainCommands_;
  TMainDialogHost& dialogs_;
  const TBBSList& bbsList_;
  TRunningEditors editors_;
  TQtEditorWait wait_;
  std::unique_ptr<TWriteCommands> commands_;
  TEditorActivationWatcher* activation_;
  TRunJournal journal_;
  QTimer* journalTimer_;
  const TLogOpener* opener_ = nullptr;
};

}  // namespace vorn
