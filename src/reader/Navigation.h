#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class QKeyEvent;

namespace vorn {

class TArticleList;
class TBBSProcess;
class TBoardView;
class TLogSession;
class TMainCommands;
class TReadingState;
class TStatusLine;
struct CommonSettings;
struct GridKeyDown;

// The search reading keys and commands reach the search through this (set by the owner of the
// search condition). Without it, or without a condition, the keys say that no search is set.
class TSearchReading {
 public:
  virtual ~TSearchReading() = default;
  // A search text or ID has been set.
  virtual bool SearchConditionExists() const = 0;
  // Walks to the next (forward) or previous match of the condition from the current article,
  // only through new articles when newOnly is set, and shows it.
  virtual void SearchNext(bool forward, bool newOnly) = 0;
};

// The write keys of the grid and the board list reach the write commands through this (set by
// their owner).
class TWriteKeys {
 public:
  virtual ~TWriteKeys() = default;
  // A key of the grid on the current article: W, F, P, M, J, G, E, D, S, or I for the ID
  // editor; shift asks for the binary form. M, F, P, J, G, E, D and S come only when the board
  // holds an entry.
  virtual void GridWriteKey(char key, bool shift) = 0;
  // M or W in the board list.
  virtual void BoardListWriteKey(char key, bool shift) = 0;
};

// The reading moves of the main window: the grid's keys, next and previous article of a kind,
// next unread article across boards, parent jump and back, the board list's click and keys,
// the grid's runs past either end of a board, marking every article read or unread, and the
// tool buttons and menu items of those moves.
class TNavigation final : public QObject {
  Q_OBJECT
 public:
  TNavigation(TBoardView& view, TLogSession& session, TReadingState& state,
              const CommonSettings& common, TMainCommands& commands, TStatusLine& status,
              QObject* parent = nullptr);

  // The first article after a position (-1: from the start) of a board, then of the later
  // boards when acrossBoards is set, that is new (newOnly) and at the starting article's level
  // or shallower (level), is selected and shown, and the grid gets the focus. True when found,
  // and also when the board index is not a board (nothing is done then). Not found, with
  // message: status text "これより下に該当記事は存在しません" and, with NoReadDialog, a box.
  bool FindArticleForward(bool newOnly, bool level, bool message, int32_t position, int32_t board,
                          bool acrossBoards);
  // The same backwards: the last such article before a position, then in the earlier boards.
  // Not found: "これより上に該当記事は存在しません".
  bool FindArticleBackward(bool newOnly, bool level, bool message, int32_t position, int32_t board,
                           bool acrossBoards);

  // The grid's key handler, run before the grid's own movement; consumes every key it handles.
  void ArticleGrid1KeyDown(GridKeyDown* key);
  // Up on the first row: the last entry of the nearest earlier board that has one.
  void ArticleGrid1RowUnder();
  // Down on the last row: the first entry of the nearest later board that has one.
  void ArticleGrid1RowOver();
  // No unread article below the current one: the first unread article of the next board that
  // has one (from board 0 on after the last board).
  void ArticleGrid1RowOverNoRead();
  // The unread key: page the view first (as the settings say), then the next unread article.
  void NextUnread();
  // Ctrl+Left and Ctrl+Right.
  void LevelParent();
  void LevelRestore();
  void ClearLevelHistory();
  const std::vector<int32_t>& LevelHistory() const { return levelHistory_; }
  // The history as it was before a load that was stopped.
  void RestoreLevelHistory(std::vector<int32_t> history) { levelHistory_ = std::move(history); }

  // The board chosen in the board list is opened: its first new article unless the new-article
  // mode is on, else its first row; the grid gets the focus.
  void BoardListClick();
  // Selects a board in the board list and opens it as a click on it does.
  void OpenBoard(int32_t board);

  void MenuReadPtrClearClick();
  void MenuReadPtrSetClick();

  // A key press sent to the grid, as the tool buttons do.
  void SendKeyToGrid(int qtKey);
  // A key with modifiers handled as the grid's own (the search dialog's step buttons).
  void GridKeyWithModifiers(int qtKey, int modifiers);

  void SetSearchReading(TSearchReading* search) { search_ = search; }
  bool SearchConditionExists() const;
  void SetWriteKeys(TWriteKeys* keys) { writeKeys_ = keys; }
  // Which articles of a board the reading aids let show, one byte per position of an order (null:
  // every article shows). The unread key passes over the articles they hide, in the board shown
  // and in the boards it goes on to.
  std::function<void(const TArticleList&, int32_t order, std::vector<uint8_t>& shown)> ShownMask;

 private:
  void ConnectCommands();
  void BoardListKeyDown(QKeyEvent* event, bool* handled);
  bool UpDownKey(bool down, int modifiers);
  void SearchKey(bool forward);
  bool WriteKey(int qtKey, int modifiers);
  void SetAllRead(bool read);
  void NothingFound(const char* utf8Text);
  TBBSProcess* Analyser() const;
  int32_t Order() const;

  TBoardView& view_;
  TLogSession& session_;
  TReadingState& state_;
  const CommonSettings& common_;
  TMainCommands& commands_;
  TStatusLine& status_;
  std::vector<int32_t> levelHistory_;
  TSearchReading* search_ = nullptr;
  TWriteKeys* writeKeys_ = nullptr;
};

}  // namespace vorn
