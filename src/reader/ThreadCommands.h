#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "reader/ArticleGrid.h"
#include "threadview/SetReadingAids.h"
#include "threadview/ThreadOutline.h"
#include "threadview/ThreadViewSettings.h"

class QKeyEvent;
class QLabel;
class QStatusBar;
class QWidget;

namespace vorn {

class TBoardView;
class TLogSession;
class TMainCommands;
class TQuickFilter;
class TQuickFilterBar;
class TReadingState;
class TStatusLine;
struct CommonSettings;

// The reading aids of the window: collapsed threads, the quick filter bar with its unread
// switch, catch-up of a thread or a board and the way back to unread, flags and the
// flagged-only view, watched and ignored writers and threads and the writers' dialog, the
// ignored taken as read when the settings say so, and the board list's unread counts. It gives
// the grid its rows (TGridAids), answers the keys the grid's owner leaves alone (C, \, *, R,
// Shift+R, U, Shift+U, T, Shift+T, H, Shift+H, X, Shift+X, L, /) and Shift+R in the board list,
// and carries the items of the thread menu and the grid's pop-up. Flags, writer lists and
// thread lists (marks and collapsed threads) are written to the set's files as soon as they
// change.
class TThreadCommands final : public QObject, public TGridAids {
  Q_OBJECT
 public:
  TThreadCommands(TLogSession& session, TReadingState& state, const CommonSettings& common,
                  TMainCommands& commands, TBoardView& view, TStatusLine& status,
                  TQuickFilterBar& bar, QStatusBar& statusBar, QWidget* dialogParent,
                  QObject* parent = nullptr);
  ~TThreadCommands() override;

  // After a load succeeded, before its first board is shown. A fresh load reads the set's
  // list files and starts the filter afresh; added logs only make the filter test again. The
  // ignored are taken as read when the settings say so.
  void LoadFinished(bool add);
  // The thread menu, the pop-up's items and the filter bar follow the reading commands.
  void EnableCommands(bool on);
  // The common settings changed: the ignored are taken as read if that was switched on.
  void SettingsChanged();
  // One byte per position of an order of a board: 1 for the entries the aids let show (the
  // filters and hidden writers and threads, collapsing aside); the unread key passes over the
  // others.
  void ShownMask(const TArticleList& board, int32_t order, std::vector<uint8_t>& shown);

  // The commands, as their keys and items do them.
  void ToggleThread();
  void SetAllCollapsed(bool collapsed);
  void MarkThreadRead();
  // The board the grid shows (board -1), or a board of the board list, after asking.
  void MarkBoardRead(int32_t board = -1);
  void MarkArticleUnread();
  void MarkThreadUnread();
  void ToggleFlag();
  void SetFlaggedOnly(bool on);
  void SetUnreadOnly(bool on);
  void FocusFilter();
  void EditWriters();
  void MarkWriter(WriterMark mark, bool on);
  void MarkThread(WriterMark mark, bool on);

  const TSetReadingAids& Aids() const { return aids_; }
  const ThreadViewSettings& Settings() const { return settings_; }
  bool FlaggedOnly() const { return flaggedOnly_; }
  bool UnreadOnly() const { return unreadOnly_; }

  // TGridAids
  void BuildRows(const TArticleList& board, int32_t order, TGridRows& rows) override;
  bool RevealPosition(const TArticleList& board, int32_t order, int32_t position) override;
  bool Flagged(const TArticleList& board, int32_t order, int32_t position) const override;
  WriterMark RowMark(const TArticleList& board, int32_t order, int32_t position) const override;
  QColor WatchedColor() const override;

 private:
  void ConnectCommands();
  void GridKey(GridKeyDown* key);
  void BoardListKey(QKeyEvent* event, bool* handled);
  void FilterChanged();
  void UpdateFilterStatus();
  void ToggleThreadAt(int32_t position);
  void UpdateMarkItems();
  void ReadMarksChanged(int32_t board);
  GridRowRules Rules(const TArticleList& board, bool collapse);
  // The board shown and the position of the current row in the order in use; false without an
  // article there.
  bool Current(TArticleList*& board, int32_t& position) const;
  // The first position in tree order of the current article's thread; -1 without one.
  int32_t CurrentThreadTop(TArticleList*& board) const;
  WriterMark CurrentWriterMark(std::string& id) const;
  bool TreeOrderOrSay();
  void Say(const char* utf8);
  void SaveThreadLists();
  // Marks every ignored writer's and thread's article read; returns how many were unread.
  int32_t TakeIgnoredAsRead();

  TLogSession& session_;
  TReadingState& state_;
  const CommonSettings& common_;
  TMainCommands& commands_;
  TBoardView& view_;
  TStatusLine& status_;
  TQuickFilterBar& bar_;
  QWidget* dialogParent_;
  QLabel* filterStatus_;
  TSetReadingAids aids_;
  ThreadViewSettings settings_;
  std::unique_ptr<TQuickFilter> filter_;
  bool flaggedOnly_ = false;
  bool unreadOnly_ = false;
  bool ignoredAsRead_ = false;
  // The status text of a refused filter, taken back when the filter is accepted again.
  QString filterWarning_;
  bool threadFileWarned_ = false;
  // The thread marks of the board whose rows were built last, by position of its order.
  const TArticleList* marksBoard_ = nullptr;
  int32_t marksOrder_ = -1;
  std::vector<uint8_t> threadMarks_;
};

}  // namespace vorn
