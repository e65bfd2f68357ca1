#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "reader/ArticleGrid.h"
#include "threadview/SetReadingAids.h"
#include "threadview/ThreadOutline.h"
#include "threadview/ThreadViewSettings.h"

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

// The reading aids of the window: collapsed threads, the quick filter bar, catch-up of a
// thread or a board, flags and the flagged-only view, watched and ignored writers and their
// dialog, and the board list's unread counts. It gives the grid its rows (TGridAids), answers
// the keys the grid's owner leaves alone (C, \, *, R, Shift+R, T, Shift+T, /), and carries the
// items of the thread menu and the grid's pop-up. Flags and writer lists are written to the
// set's files as soon as they change.
class TThreadCommands final : public QObject, public TGridAids {
  Q_OBJECT
 public:
  TThreadCommands(TLogSession& session, TReadingState& state, TMainCommands& commands,
                  TBoardView& view, TStatusLine& status, TQuickFilterBar& bar,
                  QStatusBar& statusBar, QWidget* dialogParent, QObject* parent = nullptr);
  ~TThreadCommands() override;

  // After a load succeeded, before its first board is shown. A fresh load reads the set's
  // flag and writer files and starts the filter and the collapsed threads afresh; added logs
  // only make the filter test again.
  void LoadFinished(bool add);
  // The thread menu, the pop-up's items and the filter bar follow the reading commands.
  void EnableCommands(bool on);
  // Whether the aids let an article show (the filters and hidden writers, collapsing aside):
  // the unread key passes over what they hide.
  bool Shows(const TArticleList& board, int32_t order, int32_t position);

  // The commands, as their keys and items do them.
  void ToggleThread();
  void SetAllCollapsed(bool collapsed);
  void MarkThreadRead();
  void MarkBoardRead();
  void ToggleFlag();
  void SetFlaggedOnly(bool on);
  void FocusFilter();
  void EditWriters();
  void MarkWriter(WriterMark mark, bool on);

  const TSetReadingAids& Aids() const { return aids_; }
  const ThreadViewSettings& Settings() const { return settings_; }
  bool FlaggedOnly() const { return flaggedOnly_; }

  // TGridAids
  void BuildRows(const TArticleList& board, int32_t order, TGridRows& rows) override;
  bool RevealPosition(const TArticleList& board, int32_t order, int32_t position) override;
  bool Flagged(const TArticleList& board, int32_t order, int32_t position) const override;
  WriterMark Writer(const TArticleList& board, int32_t order, int32_t position) const override;
  QColor WatchedColor() const override;

 private:
  void ConnectCommands();
  void GridKey(GridKeyDown* key);
  void FilterChanged();
  void UpdateFilterStatus();
  void ToggleThreadAt(int32_t position);
  void UpdatePopup();
  void RefreshBoardLines();
  // The board shown and the position of the current row in the order in use; false without an
  // article there.
  bool Current(TArticleList*& board, int32_t& position) const;
  bool TreeOrderOrSay();
  void Say(const char* utf8);

  TLogSession& session_;
  TReadingState& state_;
  TMainCommands& commands_;
  TBoardView& view_;
  TStatusLine& status_;
  TQuickFilterBar& bar_;
  QWidget* dialogParent_;
  QLabel* filterStatus_;
  TSetReadingAids aids_;
  ThreadViewSettings settings_;
  std::unique_ptr<TQuickFilter> filter_;
  std::unordered_map<const TArticleList*, TThreadCollapse> collapse_;
  bool flaggedOnly_ = false;
};

}  // namespace vorn
