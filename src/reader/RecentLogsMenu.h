#pragma once

#include <QObject>
#include <functional>

#include "dialoglogic/BBSList.h"
#include "readerlogic/RecentLogs.h"

class QAction;
class QMenu;

namespace vorn {

class TCommonIniFile;
class TLogSession;
class TMainCommands;

// ファイル → 最近使ったログ: the sets of log files opened last (kept in the common settings, at
// most ten), each opened again as Ctrl+O opens logs. Every load that succeeds puts the set now
// loaded first (logs added to it make it larger); the menu is greyed whenever opening logs is
// (during a load, while an editor is open).
class TRecentLogsMenu final : public QObject {
  Q_OBJECT
 public:
  TRecentLogsMenu(TCommonIniFile& settings, TMainCommands& commands, const TLogSession& session,
                  const TBBSList& bbsList, QObject* parent = nullptr);

  // After a load succeeded (add: logs added to the loaded set).
  void LoadFinished(bool add);
  // Opens a set: the window leaves the loaded data as for Ctrl+O and loads the files.
  std::function<void(const RecentLogSet& set)> Open;

  const TRecentLogs& Recent() const { return recent_; }
  QMenu* Menu() const { return menu_; }
  // The set at a place of the menu (0 first), as its item does; missing files are told and
  // left out, a set whose files are all gone is offered for removal.
  void Choose(size_t index);

 private:
  void Rebuild();
  void Store();
  void FollowOpenCommand();

  TCommonIniFile& settings_;
  const TLogSession& session_;
  const TBBSList& bbsList_;
  QMenu* menu_;
  QAction* open_;
  TRecentLogs recent_;
};

}  // namespace vorn
