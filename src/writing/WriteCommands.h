#pragma once

#include <utility>

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

class TArticleList;
class TBBSProcess;
class TEditIF;
class TEditorWait;
class TLogSession;
class TRunningEditors;
struct ArticleRecord;
struct CommonSettings;

// The kinds of write StartWrite composes.
enum TWriteType : int32_t {
  WriteRoot = 0,
  WriteRess = 1,
  WriteBinaryRoot = 2,
  WriteBinaryRess = 3,
  // A mail to the writer of an article.
  WriteMail = 4,
  WriteBinaryMail = 5,
};

// What the write commands need of the window.
class TWriteHost {
 public:
  virtual ~TWriteHost() = default;
  // The ID editor in selection mode, captioned "メール送信先ID指定"; empty when nothing was chosen.
  virtual std::string ChooseMailRecipient() = 0;
  // The open dialog for the file of a binary write; empty when cancelled.
  virtual std::string ChooseBinaryFile() = 0;
  // Open, open without saving, the open button, end without saving and end: off while an
  // editor is open.
  virtual void EnableFileCommands(bool on) = 0;
  // The board the board list shows (-1 when none) and the order the grid shows it in, asked
  // again after each editor, since the user may have moved on meanwhile.
  virtual int32_t ShownBoard() const = 0;
  virtual int32_t CurrentOrder() const = 0;
  // The board editor in selection mode, captioned "移動先ボード指定", starting at the board;
  // the chosen board, or -1.
  virtual int32_t ChooseJumpDestination(int32_t currentBoard) = 0;
  // Selects the board in the board list and shows it as a click on it does.
  virtual void OpenBoard(int32_t board) = 0;
};

// How the grid follows a command.
enum class WriteRefresh : int32_t {
  // Nothing to show (a mail written from an article board, or nothing was done).
  None,
  // The shown board again, at its current position.
  RedrawCurrent,
  // Select Board in the board list when it is not shown, and show the grid on the write with
  // ArticleKey and PostTime 0.
  ShowWrite,
};

struct WriteResult {
  // A write was queued (or changed, or deleted, or a batch mark changed).
  bool Done = false;
  WriteRefresh Refresh = WriteRefresh::None;
  // The board that received the write and the write's key.
  int32_t Board = -1;
  int32_t ArticleKey = -1;
  // The source board, when a jump reply left its notice there.
  int32_t NoticeBoard = -1;
};

// Texts for a write's title. Shift-JIS characters are taken whole. "\n" gives CR LF, "\" and
// another character gives that character; "$" and a letter gives a fact of the source board
// ($W $w $e $q $r), the destination board ($h $j $J $k $l, when DestBoard >= 0) or the source
// article at Position of the order ($a $s $d $f, when Position >= 0); any other letter, or a
// code whose board or article is missing, gives the letter alone.
std::string ExpandTitleTemplate(const TBBSProcess& bbs, std::string_view Template,
                                int32_t SourceBoard, int32_t Position, int32_t DestBoard,
                                int32_t order);

// The write commands of the loaded set: composing root articles, replies, mails, their binary
// forms and jump replies in the external editor and queuing them in the boards' article lists,
// editing and deleting queued writes, and the batch-download mark. Messages go through Ui();
// dialogs and the window's state through the host.
class TWriteCommands final {
 public:
  TWriteCommands(TLogSession& session, CommonSettings& common, TRunningEditors& editors,
                 TWriteHost& host, TEditorWait& wait);

  // The checks a write must pass before an editor opens, in the order the user meets them.
  // Empty when the write may go on; notice tells whether a jump reply leaves its notice in the
  // source board.
  std::string CheckWrite(int32_t SourceBoard, int32_t DestBoard, TWriteType Type,
                         bool& notice) const;

  // Composes and queues a write into SourceBoard, from the article at Position of the current
  // order for replies and mails; a jump reply (DestBoard >= 0) goes to DestBoard as a new thread.
  WriteResult StartWrite(int32_t SourceBoard, int32_t DestBoard, int32_t Position, TWriteType Type);
  // Re-edits the queued write at Position of the board.
  WriteResult EditWrite(int32_t Board, int32_t Position);
  // Asks, then deletes the queued write at Position.
  WriteResult DeleteWrite(int32_t Board, int32_t Position);
  // Sets or clears the batch-download mark of a binary article of the log.
  WriteResult ToggleBatchSet(int32_t Board, int32_t Position);

  // The write keys of the article grid, which the write menus, tool buttons and grid pop-up
  // items also use (their binary forms with shift): W root, F (or P) reply, M mail reply,
  // J (or G) jump reply, E edit, D delete, S batch mark, on the article at Position of the
  // board. False when the key is not one of them.
  bool GridKey(char key, bool shift, int32_t Board, int32_t Position, WriteResult& result);
  // The write keys of the board list: M opens the mail box and starts a new mail there, W
  // opens the selected board and starts a root article. False for other keys.
  bool BoardListKey(char key, bool shift, int32_t SelectedBoard, WriteResult& result);
  // The board that is the set's mail box, -1 when none.
  int32_t MailBox() const;

  // The analyser of the loaded set (null when none).
  TBBSProcess* Process() const;

 private:
  // An editor configured from the settings, numbered and listed among the running ones.
  void Configure(TEditIF& editor) const;
  // The queued write at the position of the board in the order shown, with its list; both
  // null when the entry is no queued write.
  std::pair<TArticleList*, const ArticleRecord*> WriteAt(int32_t Board, int32_t Position) const;

  TLogSession& session_;
  CommonSettings& common_;
  TRunningEditors& editors_;
  TWriteHost& host_;
  TEditorWait& wait_;
};

}  // namespace vorn
