#include "reader/MainCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

#include "reader/ToolIcons.h"

namespace vorn {
namespace {

QKeySequence Keys(const char* text) {
  return QKeySequence(QString::fromLatin1(text));
}

}  // namespace

TMainCommands::TMainCommands(QMainWindow& window) : QObject(&window), window_(&window) {
  CreateMenus(window);
  CreateToolBar(window);
  CreatePopups(window);
}

QMenu* TMainCommands::AddMenu(const char* name, const QString& caption) {
  current_ = new QMenu(caption, window_);
  current_->setObjectName(QString::fromLatin1(name));
  menus_[name] = current_;
  menuEnabled_[name] = true;
  return current_;
}

QAction* TMainCommands::Add(QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& shortcut) {
  QAction* action = Add(menu, name, caption);
  action->setShortcut(shortcut);
  return action;
}

QAction* TMainCommands::Add(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  Item item;
  item.action = action;
  // Pop-up items stand on their own; menu bar items follow their menu.
  if (menu != gridPopup_ && menu != viewPopup_) item.menu = menu->objectName().toStdString();
  items_[name] = item;
  return action;
}

QAction* TMainCommands::AddButton(const char* name, const QString& hint, bool checkable) {
  // The hint holds the tool tip before '|' and the status-bar text after it.
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  const QString tip = bar < 0 ? hint : hint.left(bar);
  QAction* action = toolBar_->addAction(ToolIcon(name), tip);
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(tip);
  action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
  action->setCheckable(checkable);
  items_[name] = Item{action, true, {}};
  if (QWidget* button = toolBar_->widgetForAction(action)) button->setFixedSize(23, 23);
  return action;
}

QAction* TMainCommands::Action(const char* name) const {
  auto it = items_.find(name);
  return it == items_.end() ? nullptr : it->second.action;
}

QMenu* TMainCommands::Menu(const char* name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

void TMainCommands::Apply(QAction* action) {
  auto it = items_.find(action->objectName().toStdString());
  if (it == items_.end()) return;
  const Item& item = it->second;
  bool on = item.enabled;
  if (!item.menu.empty()) on = on && menuEnabled_[item.menu];
  action->setEnabled(on);
}

void TMainCommands::SetEnabled(const char* name, bool on) {
  auto it = items_.find(name);
  if (it == items_.end()) {
    if (menus_.count(name)) SetMenuEnabled(name, on);
    return;
  }
  it->second.enabled = on;
  Apply(it->second.action);
}

bool TMainCommands::IsEnabled(const char* name) const {
  if (QAction* a = Action(name)) return a->isEnabled();
  auto it = menuEnabled_.find(name);
  return it != menuEnabled_.end() && it->second;
}

void TMainCommands::SetMenuEnabled(const char* menuName, bool on) {
  QMenu* menu = Menu(menuName);
  if (!menu) return;
  menuEnabled_[menuName] = on;
  menu->menuAction()->setEnabled(on);
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) Apply(action);
  }
}

TMainCommands::EnabledStates TMainCommands::SaveEnabled() const {
  EnabledStates states;
  for (const auto& [name, item] : items_)
    states.items[name] = item.enabled;
  states.menus = menuEnabled_;
  return states;
}

void TMainCommands::RestoreEnabled(const EnabledStates& states) {
  for (const auto& [name, on] : states.items) {
    auto it = items_.find(name);
    if (it != items_.end()) it->second.enabled = on;
  }
  for (const auto& [name, on] : states.menus) {
    if (QMenu* menu = Menu(name.c_str())) {
      menuEnabled_[name] = on;
      menu->menuAction()->setEnabled(on);
    }
  }
  for (const auto& [name, item] : items_)
    Apply(item.action);
}

void TMainCommands::SetChecked(const char* name, bool on) {
  if (QAction* a = Action(name)) a->setChecked(on);
}

bool TMainCommands::IsChecked(const char* name) const {
  QAction* a = Action(name);
  return a && a->isChecked();
}

void TMainCommands::Radios(std::initializer_list<QAction*> actions) {
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (QAction* action : actions) {
    action->setCheckable(true);
    group->addAction(action);
  }
}

void TMainCommands::AddMarkItems(QMenu* menu, const char* prefix) {
  const std::string p(prefix);
  const std::pair<const char*, QString> items[] = {
      {"WatchThread", QStringLiteral("このスレッドに注目する(&H)\tH")},
      {"IgnoreThread", QStringLiteral("このスレッドを無視する(&X)\tX")},
      {"WatchWriter", QStringLiteral("この発言者に注目する\tShift+H")},
      {"IgnoreWriter", QStringLiteral("この発言者を無視する\tShift+X")}};
  for (const auto& [name, caption] : items)
    Add(menu, (p + name).c_str(), caption)->setCheckable(true);
}

void TMainCommands::CreateMenus(QMainWindow& window) {
  QMenuBar* bar = window.menuBar();
  QMenu* m = AddMenu("FileMenu", QStringLiteral("ファイル(&F)"));
  Add(m, "MenuOpen", QStringLiteral("ログを開く(&O)"), Keys("Ctrl+O"));
  Add(m, "MenuOpenAdd", QStringLiteral("ログを追加する(&A)"), Keys("Ctrl+A"));
  Add(m, "MenuNoSaveOpen", QStringLiteral("データを更新しないでログを開く"), Keys("Ctrl+Shift+O"));
  // Filled by the window with the sets of log files opened last.
  QMenu* recent = m->addMenu(QStringLiteral("最近使ったログ(&L)"));
  recent->setObjectName(QStringLiteral("MenuRecentLogs"));
  menus_["MenuRecentLogs"] = recent;
  m->addSeparator();
  Add(m, "MenuCreateUpFile", QStringLiteral("UP/PADファイル出力(&S)"), Keys("Ctrl+S"));
  m->addSeparator();
  Add(m, "MenuBoardOut", QStringLiteral("ボード内全記事のファイル出力(&B)"), Keys("Ctrl+B"));
  Add(m, "MenuArticleCut", QStringLiteral("記事のファイル出力(&E)"));
  Add(m, "MenuPrint", QStringLiteral("印刷(&P)"));
  Add(m, "MenuArchiveExport", QStringLiteral("アーカイブ出力(&R)..."));
  m->addSeparator();
  Add(m, "MenuNoSaveEnd", QStringLiteral("データを更新しないで終了"));
  Add(m, "MenuEnd", QStringLiteral("終了(&X)"), Keys("Ctrl+Q"));
  bar->addMenu(m);

  m = AddMenu("EditMenu", QStringLiteral("編集(&E)"));
  Add(m, "MenuNewReadMode", QStringLiteral("新規記事閲覧モード"), Keys("Ctrl+N"))
      ->setCheckable(true);
  Add(m, "MenuSearchMode", QStringLiteral("検索記事閲覧モード"))->setCheckable(true);
  m->addSeparator();
  Add(m, "MenuCopy", QStringLiteral("記事コピー(&C)"), Keys("Ctrl+C"));
  // Ctrl+A adds logs: as in a classic menu the first item carrying a shortcut wins, so this
  // item shows the key without claiming it (two claims in one window would make it fire for
  // neither). It is reached from here and from the view's pop-up.
  Add(m, "MenuCopyA", QStringLiteral("記事コピー（追加）\tCtrl+A"));
  Add(m, "MenuBCopy", QStringLiteral("記事引用コピー"), Keys("Ctrl+Shift+C"));
  Add(m, "MenuBCopyA", QStringLiteral("記事引用コピー（追加）"), Keys("Ctrl+Shift+A"));
  Add(m, "MenuBHCopy", QStringLiteral("記事引用コピー（ハンドル付）"), Keys("Ctrl+Shift+Alt+C"));
  Add(m, "MenuBHCopyA", QStringLiteral("記事引用コピー（ハンドル付、追加）"),
      Keys("Ctrl+Shift+Alt+A"));
  m->addSeparator();
  Add(m, "MenuSearch", QStringLiteral("検索設定(&F)"), Keys("Ctrl+F"));
  m->addSeparator();
  Add(m, "MenuReadPtrClear", QStringLiteral("全記事を未読にする"));
  Add(m, "MenuReadPtrSet", QStringLiteral("全記事を既読にする"));
  m->addSeparator();
  Add(m, "MenuIDEdit", QStringLiteral("ID編集(&I)"));
  Add(m, "MenuBoardEdit", QStringLiteral("ボード編集(&B)"));
  bar->addMenu(m);

  m = AddMenu("DispMenu", QStringLiteral("表示(&V)"));
  Add(m, "MenuInfo", QStringLiteral("システムメッセージ"), Keys("Ctrl+I"));
  Add(m, "MenuLogInfo", QStringLiteral("使用ログファイル一覧"), Keys("Ctrl+L"));
  m->addSeparator();
  Add(m, "MenuToolBar", QStringLiteral("ツールバー"))->setCheckable(true);
  Add(m, "MenuStatusBar", QStringLiteral("ステータスバー"))->setCheckable(true);
  Add(m, "MenuArticleHeader", QStringLiteral("記事一覧タイトル"))->setCheckable(true);
  m->addSeparator();
  // Two exclusive choices each: drawn as radio items.
  Radios({Add(m, "MenuSepVertical", QStringLiteral("上下分割")),
          Add(m, "MenuSepHorizontal", QStringLiteral("左右分割"))});
  m->addSeparator();
  Radios({Add(m, "MenuTree", QStringLiteral("ツリー順")),
          Add(m, "MenuNormal", QStringLiteral("発言順"))});
  m->addSeparator();
  Add(m, "MenuArticleRotate", QStringLiteral("記事内容縦書き"), Keys("Ctrl+R"))->setCheckable(true);
  bar->addMenu(m);

  // What readers of threads expect besides the two orders. The single letters work in the
  // grid and the article view only (the filter bar takes letters as text), so the items show
  // them without owning them.
  m = AddMenu("ThreadMenu", QStringLiteral("スレッド(&T)"));
  Add(m, "MenuThreadToggle", QStringLiteral("スレッドを閉じる／開く(&C)\tC"));
  Add(m, "MenuCollapseAll", QStringLiteral("全スレッドを閉じる\t\\"));
  Add(m, "MenuExpandAll", QStringLiteral("全スレッドを開く\t*"));
  m->addSeparator();
  Add(m, "MenuQuickFilter", QStringLiteral("クイックフィルタ(&Q)"), Keys("Ctrl+Shift+F"));
  Add(m, "MenuUnreadOnly", QStringLiteral("未読記事のみ表示(&L)\tL"))->setCheckable(true);
  Add(m, "MenuFlaggedOnly", QStringLiteral("フラグ付き記事のみ表示\tShift+T"))->setCheckable(true);
  m->addSeparator();
  Add(m, "MenuThreadRead", QStringLiteral("スレッドを既読にする(&R)\tR"));
  Add(m, "MenuBoardRead", QStringLiteral("ボードを既読にする\tShift+R"));
  Add(m, "MenuArticleUnread", QStringLiteral("記事を未読にする(&U)\tU"));
  Add(m, "MenuThreadUnread", QStringLiteral("スレッドを未読にする\tShift+U"));
  m->addSeparator();
  Add(m, "MenuFlag", QStringLiteral("フラグを付ける／外す(&T)\tT"));
  AddMarkItems(m, "Menu");
  Add(m, "MenuWriterList", QStringLiteral("注目・無視する発言者(&W)..."));
  bar->addMenu(m);

  // The letters of the grid and the article view, shown beside the items.
  m = AddMenu("WriteMenu", QStringLiteral("書込(&W)"));
  Add(m, "MenuWRoot", QStringLiteral("ルート書き(&W)\tW"));
  Add(m, "MenuWRess", QStringLiteral("レス書き(&R)\tF"));
  Add(m, "MenuWMail", QStringLiteral("メール返信(&M)\tM"));
  Add(m, "MenuWBatch", QStringLiteral("バッチセット(&S)\tS"));
  m->addSeparator();
  Add(m, "MenuWRootBinary", QStringLiteral("バイナリルート書き(&B)\tShift+W"));
  Add(m, "MenuWRessBinary", QStringLiteral("バイナリレス書き(&V)\tShift+F"));
  Add(m, "MenuWMailBinary", QStringLiteral("バイナリメール返信(&N)\tShift+M"));
  m->addSeparator();
  Add(m, "MenuWJumpRess", QStringLiteral("ボード移動レス書き(&J)\tJ"));
  Add(m, "MenuWJumpRessBinary", QStringLiteral("バイナリボード移動レス書き(&K)\tShift+J"));
  m->addSeparator();
  Add(m, "MenuWEdit", QStringLiteral("書込編集(&E)\tE"));
  Add(m, "MenuWDel", QStringLiteral("書込削除(&D)\tD"));
  bar->addMenu(m);

  m = AddMenu("SetupMenu", QStringLiteral("設定(&S)"));
  Add(m, "MenuCommonSet", QStringLiteral("共通設定(&C)"));
  Add(m, "MenuBBSSet", QStringLiteral("BBS設定(&B)"));
  bar->addMenu(m);

  m = AddMenu("HelpMenu", QStringLiteral("ヘルプ(&H)"));
  Add(m, "MenuAbout", QStringLiteral("Vorn Explorerについて"));
  Add(m, "MenuHelp", QStringLiteral("HTMLヘルプ"), QKeySequence(Qt::Key_F1));
  bar->addMenu(m);
}

void TMainCommands::CreateToolBar(QMainWindow& window) {
  toolBar_ = new QToolBar(QStringLiteral("ツールバー"), &window);
  toolBar_->setObjectName(QStringLiteral("ToolBarPanel"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  // Twenty-three buttons fit a narrow window when they sit close together.
  toolBar_->setStyleSheet(
      QStringLiteral("QToolBar { spacing: 0px; padding: 1px; }"
                     "QToolBar::separator { width: 7px; }"));
  window.addToolBar(Qt::TopToolBarArea, toolBar_);
  AddButton("BTNOpen", QStringLiteral("ログを開く|ログファイルをオープンします"));
  AddButton("BTNOpenAdd", QStringLiteral("ログを追加する|ログファイルを追加オープンします"));
  AddButton("BTNSave", QStringLiteral("UPファイル出力|UPファイルを出力します"));
  toolBar_->addSeparator();
  AddButton("BTNRoot", QStringLiteral("ルート書き|選択中のボードにルート書込みを行います"));
  AddButton("BTNRess", QStringLiteral("レス書き|選択中の記事に対しレス書きを行います"));
  AddButton("BTNMail", QStringLiteral("メール返信|選択中の記事に対しメール返信を行います"));
  AddButton("BTNBatch",
            QStringLiteral("バッチセット|選択中のバイナリ記事に対しバッチセットを行います"));
  AddButton("BTNJumpRess",
            QStringLiteral("ボード移動レス書き|選択中の記事に対しボード移動レス書きを行います"));
  toolBar_->addSeparator();
  AddButton("BTNEdit", QStringLiteral("書込み編集|選択中の書込み記事の編集を行います"));
  AddButton("BTNDel", QStringLiteral("書込み削除|選択中の書込み記事の削除を行います"));
  toolBar_->addSeparator();
  AddButton("BTNSearch", QStringLiteral("検索設定|記事検索の設定を行います"));
  AddButton("BTNInfo",
            QStringLiteral("システムメッセージ|ホストからのシステムメッセージを表示します"));
  toolBar_->addSeparator();
  AddButton("BTNNewMode", QStringLiteral("新規記事モード|新規記事閲覧モードを切替えます"), true);
  AddButton("BTNSearchMode", QStringLiteral("検索記事モード|検索記事閲覧モードを切替えます"), true);
  toolBar_->addSeparator();
  AddButton("BTNLevelParent", QStringLiteral("親記事へ移動|現在の記事の親記事へ移動します"));
  AddButton("BTNLevelBefore",
            QStringLiteral("前レベル記事|現在のツリーレベル以下の前記事を表示します"));
  AddButton("BTNBefore", QStringLiteral("前記事|前の記事を表示します"));
  AddButton("BTNPageUp", QStringLiteral("記事上スクロール|記事内容を上スクロールします"));
  AddButton("BTNNoRead", QStringLiteral("未読サーチ|次の未読記事へ飛びます"));
  AddButton("BTNPageDown", QStringLiteral("記事下スクロール|記事内容を下スクロールします"));
  AddButton("BTNNext", QStringLiteral("次記事|次の記事を表示します"));
  AddButton("BTNLevelNext",
            QStringLiteral("次レベル記事|現在のツリーレベル以下の次記事を表示します"));
  AddButton("BTNLevelRestore",
            QStringLiteral("記事位置復帰|親記事への移動を行った後に元の記事位置へ移動します"));
}

void TMainCommands::CreatePopups(QMainWindow& window) {
  // Pop-up items show the grid's keys in their captions; the keys themselves belong to the
  // grid, and the menu bar's shortcuts to the menu bar, as one key may have only one owner in a
  // window. Their mnemonics are the grid's letters wherever an item has one, so that choosing
  // from the pop-up teaches the key.
  gridPopup_ = new QMenu(&window);
  gridPopup_->setObjectName(QStringLiteral("ArticleGridPopupMenu"));
  QMenu* g = gridPopup_;
  Add(g, "GMenuRoot", QStringLiteral("ルート書き(&W)\tW"));
  Add(g, "GMenuRess", QStringLiteral("レス書き(&F)\tF"));
  Add(g, "GMenuMail", QStringLiteral("メール返信(&M)\tM"));
  Add(g, "GMenuBatch", QStringLiteral("バッチセット(&S)\tS"));
  g->addSeparator();
  Add(g, "GMenuRootBinary", QStringLiteral("バイナリルート書き(&B)\tShift+W"));
  Add(g, "GMenuRessBinary", QStringLiteral("バイナリレス書き(&V)\tShift+F"));
  Add(g, "GMenuMailBinary", QStringLiteral("バイナリメール返信(&N)\tShift+M"));
  g->addSeparator();
  Add(g, "GMenuJumpRess", QStringLiteral("ボード移動レス書き(&J)\tJ"));
  Add(g, "GMenuJumpRessBinary", QStringLiteral("バイナリボード移動レス書き(&K)\tShift+J"));
  g->addSeparator();
  Add(g, "GMenuEdit", QStringLiteral("書込編集(&E)\tE"));
  Add(g, "GMenuDel", QStringLiteral("書込削除(&D)\tD"));
  g->addSeparator();
  Add(g, "GMenuNoRead", QStringLiteral("未読サーチ(&N)\tSpace"));
  Add(g, "GMenuIDEdit", QStringLiteral("ID編集(&I)\tI"));
  g->addSeparator();
  Add(g, "GMenuThreadToggle", QStringLiteral("スレッドを閉じる／開く(&C)\tC"));
  Add(g, "GMenuCollapseAll", QStringLiteral("全スレッドを閉じる\t\\"));
  Add(g, "GMenuExpandAll", QStringLiteral("全スレッドを開く\t*"));
  Add(g, "GMenuThreadRead", QStringLiteral("スレッドを既読にする(&R)\tR"));
  Add(g, "GMenuBoardRead", QStringLiteral("ボードを既読にする\tShift+R"));
  Add(g, "GMenuArticleUnread", QStringLiteral("記事を未読にする(&U)\tU"));
  Add(g, "GMenuThreadUnread", QStringLiteral("スレッドを未読にする\tShift+U"));
  Add(g, "GMenuFlag", QStringLiteral("フラグを付ける／外す(&T)\tT"));
  g->addSeparator();
  AddMarkItems(g, "GMenu");

  viewPopup_ = new QMenu(&window);
  viewPopup_->setObjectName(QStringLiteral("ArticleEditPopupMenu"));
  QMenu* e = viewPopup_;
  Add(e, "EMenuCopy", QStringLiteral("記事コピー(&C)\tCtrl+C"));
  Add(e, "EMenuCopyA", QStringLiteral("記事コピー（追加）\tCtrl+A"));
  Add(e, "EMenuBCopy", QStringLiteral("記事引用コピー\tCtrl+Shift+C"));
  Add(e, "EMenuBCopyA", QStringLiteral("記事引用コピー（追加）\tCtrl+Shift+A"));
  Add(e, "EMenuBHCopy", QStringLiteral("記事引用コピー（ハンドル付）\tCtrl+Shift+Alt+C"));
  Add(e, "EMenuBHCopyA", QStringLiteral("記事引用コピー（ハンドル付、追加）\tCtrl+Shift+Alt+A"));
}

}  // namespace vorn
