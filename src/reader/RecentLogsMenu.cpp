#include "reader/RecentLogsMenu.h"

#include <QAction>
#include <QMenu>

#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/MainCommands.h"
#include "settings/CommonIniFile.h"

namespace vorn {

TRecentLogsMenu::TRecentLogsMenu(TCommonIniFile& settings, TMainCommands& commands,
                                 const TLogSession& session, const TBBSList& bbsList,
                                 QObject* parent)
    : QObject(parent),
      settings_(settings),
      session_(session),
      bbsList_(bbsList),
      menu_(commands.Menu("MenuRecentLogs")),
      open_(commands.Action("MenuOpen")),
      recent_(TCommonIniFile::MaxRecentLogs) {
  recent_.Load(settings_.RecentLogs);
  // Opening a set is opening logs: it is possible exactly when ログを開く is.
  if (open_) connect(open_, &QAction::changed, this, &TRecentLogsMenu::FollowOpenCommand);
  Rebuild();
}

void TRecentLogsMenu::FollowOpenCommand() {
  if (menu_)
    menu_->menuAction()->setEnabled(open_ && open_->isEnabled() && !recent_.Sets().empty());
}

void TRecentLogsMenu::Rebuild() {
  if (!menu_) return;
  // An item may be the one whose choice rebuilds the menu: it goes once its signal is done.
  for (QAction* old : menu_->actions()) {
    menu_->removeAction(old);
    old->deleteLater();
  }
  const std::vector<RecentLogSet>& sets = recent_.Sets();
  for (size_t i = 0; i < sets.size(); ++i) {
    QString caption = QtText(TRecentLogs::Caption(sets[i]));
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    // 1 to 9 and 0 for the tenth, as recent-file lists number them.
    QAction* item = menu_->addAction(QStringLiteral("&%1 ").arg((i + 1) % 10) + caption);
    item->setObjectName(QStringLiteral("MenuRecentLog%1").arg(i + 1));
    QStringList files;
    for (const std::string& file : sets[i].Files)
      files << QtPath(file);
    item->setStatusTip(files.join(QStringLiteral(", ")));
    connect(item, &QAction::triggered, this, [this, i] { Choose(i); });
  }
  if (!sets.empty()) {
    menu_->addSeparator();
    QAction* clear = menu_->addAction(QStringLiteral("一覧を消去(&C)"));
    clear->setObjectName(QStringLiteral("MenuRecentLogsClear"));
    connect(clear, &QAction::triggered, this, [this] {
      recent_.Clear();
      Store();
    });
  }
  FollowOpenCommand();
}

void TRecentLogsMenu::Store() {
  settings_.RecentLogs = recent_.Values();
  // A failure here is told by the end of the run, which writes the same section again.
  settings_.SaveRecentLogs();
  Rebuild();
}

void TRecentLogsMenu::LoadFinished(bool add) {
  recent_.Opened({session_.CurrentPrefix, session_.LogFileNames}, add);
  Store();
}

void TRecentLogsMenu::Choose(size_t index) {
  if (index >= recent_.Sets().size() || !Open) return;
  RecentLogSet set = recent_.Sets()[index];
  if (FindFamilyOfPrefix(bbsList_, set.Prefix) < 0) {
    Ui().Warning(Cp932("BBS設定「") + set.Prefix + Cp932("」がありません"));
    return;
  }
  std::vector<std::string> found;
  std::string missing;
  for (const std::string& file : set.Files) {
    if (FileExists(file)) {
      found.push_back(file);
    } else {
      missing += "\r\n" + file;
    }
  }
  if (found.empty()) {
    if (Ui().ConfirmYesNo(Cp932("ログファイルが見つかりません:") + missing + "\r\n\r\n" +
                          Cp932("一覧から削除しますか？"))) {
      recent_.Remove(index);
      Store();
    }
    return;
  }
  if (!missing.empty()) {
    Ui().Warning(Cp932("次のログファイルは見つからないため開きません:") + missing);
    // The set that loads now takes its place.
    recent_.Remove(index);
    Store();
  }
  set.Files = std::move(found);
  Open(set);
}

}  // namespace vorn
