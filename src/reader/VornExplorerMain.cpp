#include "reader/VornExplorerMain.h"

#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace vorn {

TVornExplMain::TVornExplMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("VornExplMain"));
  setWindowTitle(QStringLiteral("Vorn Explorer"));
  resize(800, 600);
  CreateMenus();
  CreateToolBar();
  CreatePanels();
  CreateStatusBar();
}

QAction* TVornExplMain::Command(const char* name) const {
  return findChild<QAction*>(QString::fromLatin1(name));
}

QAction* TVornExplMain::AddCommand(QMenu* menu, const char* name, const QString& caption,
                                   const QKeySequence& shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

void TVornExplMain::CreateMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("FileMenu"));
  AddCommand(file, "MenuOpen", QStringLiteral("ログを開く(&O)"),
             QKeySequence(QStringLiteral("Ctrl+O")));
  AddCommand(file, "MenuOpenAdd", QStringLiteral("ログを追加する(&A)"),
             QKeySequence(QStringLiteral("Ctrl+A")));
  AddCommand(file, "MenuNoSaveOpen", QStringLiteral("データを更新しないでログを開く"),
             QKeySequence(QStringLiteral("Ctrl+Shift+O")));
  file->addSeparator();
  AddCommand(file, "MenuCreateUpFile", QStringLiteral("UP/PADファイル出力(&S)"),
             QKeySequence(QStringLiteral("Ctrl+S")));
  file->addSeparator();
  AddCommand(file, "MenuBoardOut", QStringLiteral("ボード内全記事のファイル出力(&B)"),
             QKeySequence(QStringLiteral("Ctrl+B")));
  AddCommand(file, "MenuArticleCut", QStringLiteral("記事のファイル出力(&E)"));
  AddCommand(file, "MenuPrint", QStringLiteral("印刷(&P)"));
  file->addSeparator();
  AddCommand(file, "MenuNoSaveEnd", QStringLiteral("データを更新しないで終了"));
  AddCommand(file, "MenuEnd", QStringLiteral("終了(&X)"));

  QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("EditMenu"));
  AddCommand(edit, "MenuNewReadMode", QStringLiteral("新規記事閲覧モード"),
             QKeySequence(QStringLiteral("Ctrl+N")));
  AddCommand(edit, "MenuSearchMode", QStringLiteral("検索記事閲覧モード"));
  edit->addSeparator();
  AddCommand(edit, "MenuCopy", QStringLiteral("記事コピー(&C)"),
             QKeySequence(QStringLiteral("Ctrl+C")));
  // Ctrl+A adds logs; as in a classic menu the first item carrying a shortcut wins, so this item
  // shows the key in its caption without claiming it (two claims would make it fire for neither).
  AddCommand(edit, "MenuCopyA", QStringLiteral("記事コピー（追加）\tCtrl+A"));
  AddCommand(edit, "MenuBCopy", QStringLiteral("記事引用コピー"),
             QKeySequence(QStringLiteral("Ctrl+Shift+C")));
  AddCommand(edit, "MenuBCopyA", QStringLiteral("記事引用コピー（追加）"),
             QKeySequence(QStringLiteral("Ctrl+Shift+A")));
  AddCommand(edit, "MenuBHCopy", QStringLiteral("記事引用コピー（ハンドル付）"),
             QKeySequence(QStringLiteral("Ctrl+Shift+Alt+C")));
  AddCommand(edit, "MenuBHCopyA", QStringLiteral("記事引用コピー（ハンドル付、追加）"),
             QKeySequence(QStringLiteral("Ctrl+Shift+Alt+A")));
  edit->addSeparator();
  AddCommand(edit, "MenuSearch", QStringLiteral("検索設定(&F)"),
             QKeySequence(QStringLiteral("Ctrl+F")));
  edit->addSeparator();
  AddCommand(edit, "MenuReadPtrClear", QStringLiteral("全記事を未読にする"));
  AddCommand(edit, "MenuReadPtrSet", QStringLiteral("全記事を既読にする"));
  edit->addSeparator();
  AddCommand(edit, "MenuIDEdit", QStringLiteral("ID編集(&I)"));
  AddCommand(edit, "MenuBoardEdit", QStringLiteral("ボード編集(&B)"));

  QMenu* disp = bar->addMenu(QStringLiteral("表示(&V)"));
  disp->setObjectName(QStringLiteral("DispMenu"));
  AddCommand(disp, "MenuInfo", QStringLiteral("システムメッセージ"),
             QKeySequence(QStringLiteral("Ctrl+I")));
  AddCommand(disp, "MenuLogInfo", QStringLiteral("使用ログファイル一覧"),
             QKeySequence(QStringLiteral("Ctrl+L")));
  disp->addSeparator();
  AddCommand(disp, "MenuToolBar", QStringLiteral("ツールバー"))->setCheckable(true);
  AddCommand(disp, "MenuStatusBar", QStringLiteral("ステータスバー"))->setCheckable(true);
  AddCommand(disp, "MenuArticleHeader", QStringLiteral("記事一覧タイトル"))->setCheckable(true);
  disp->addSeparator();
  AddCommand(disp, "MenuSepVertical", QStringLiteral("上下分割"))->setCheckable(true);
  AddCommand(disp, "MenuSepHorizontal", QStringLiteral("左右分割"))->setCheckable(true);
  disp->addSeparator();
  AddCommand(disp, "MenuTree", QStringLiteral("ツリー順"))->setCheckable(true);
  AddCommand(disp, "MenuNormal", QStringLiteral("発言順"))->setCheckable(true);
  disp->addSeparator();
  AddCommand(disp, "MenuArticleRotate", QStringLiteral("記事内容縦書き"),
             QKeySequence(QStringLiteral("Ctrl+R")))
      ->setCheckable(true);

  QMenu* write = bar->addMenu(QStringLiteral("書込(&W)"));
  write->setObjectName(QStringLiteral("WriteMenu"));
  AddCommand(write, "MenuWRoot", QStringLiteral("ルート書き(&W)"));
  AddCommand(write, "MenuWRess", QStringLiteral("レス書き(&R)"));
  AddCommand(write, "MenuWMail", QStringLiteral("メール返信(&M)"));
  AddCommand(write, "MenuWBatch", QStringLiteral("バッチセット(&S)"));
  write->addSeparator();
  AddCommand(write, "MenuWRootBinary", QStringLiteral("バイナリルート書き(&B)"));
  AddCommand(write, "MenuWRessBinary", QStringLiteral("バイナリレス書き(&V)"));
  AddCommand(write, "MenuWMailBinary", QStringLiteral("バイナリメール返信(&N)"));
  write->addSeparator();
  AddCommand(write, "MenuWJumpRess", QStringLiteral("ボード移動レス書き(&J)"));
  AddCommand(write, "MenuWJumpRessBinary", QStringLiteral("バイナリボード移動レス書き(&K)"));
  write->addSeparator();
  AddCommand(write, "MenuWEdit", QStringLiteral("書込編集(&E)"));
  AddCommand(write, "MenuWDel", QStringLiteral("書込削除(&D)"));

  QMenu* setup = bar->addMenu(QStringLiteral("設定(&S)"));
  setup->setObjectName(QStringLiteral("SetupMenu"));
  AddCommand(setup, "MenuCommonSet", QStringLiteral("共通設定(&C)"));
  AddCommand(setup, "MenuBBSSet", QStringLiteral("BBS設定(&B)"));

  QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  AddCommand(help, "MenuAbout", QStringLiteral("Vorn Explorerについて"));
  AddCommand(help, "MenuHelp", QStringLiteral("HTMLヘルプ"), QKeySequence(Qt::Key_F1));
}

QAction* TVornExplMain::AddButton(const char* name, const QString& hint, bool checkable) {
  // The hint holds the tool tip before '|' and the status-bar text after it.
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  const QString tip = bar < 0 ? hint : hint.left(bar);
  QAction* action = toolBarPanel_->addAction(tip);
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(tip);
  action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
  action->setCheckable(checkable);
  return action;
}

void TVornExplMain::CreateToolBar() {
  toolBarPanel_ = addToolBar(QStringLiteral("ToolBar"));
  toolBarPanel_->setObjectName(QStringLiteral("ToolBarPanel"));
  toolBarPanel_->setMovable(false);
  AddButton("BTNOpen", QStringLiteral("ログを開く|ログファイルをオープンします"));
  AddButton("BTNOpenAdd", QStringLiteral("ログを追加する|ログファイルを追加オープンします"));
  AddButton("BTNSave", QStringLiteral("UPファイル出力|UPファイルを出力します"));
  toolBarPanel_->addSeparator();
  AddButton("BTNRoot", QStringLiteral("ルート書き|選択中のボードにルート書込みを行います"));
  AddButton("BTNRess", QStringLiteral("レス書き|選択中の記事に対しレス書きを行います"));
  AddButton("BTNMail", QStringLiteral("メール返信|選択中の記事に対しメール返信を行います"));
  AddButton("BTNBatch",
            QStringLiteral("バッチセット|選択中のバイナリ記事に対しバッチセットを行います"));
  AddButton("BTNJumpRess",
            QStringLiteral("ボード移動レス書き|選択中の記事に対しボード移動レス書きを行います"));
  toolBarPanel_->addSeparator();
  AddButton("BTNEdit", QStringLiteral("書込み編集|選択中の書込み記事の編集を行います"));
  AddButton("BTNDel", QStringLiteral("書込み削除|選択中の書込み記事の削除を行います"));
  toolBarPanel_->addSeparator();
  AddButton("BTNSearch", QStringLiteral("検索設定|記事検索の設定を行います"));
  AddButton("BTNInfo",
            QStringLiteral("システムメッセージ|ホストからのシステムメッセージを表示します"));
  toolBarPanel_->addSeparator();
  AddButton("BTNNewMode", QStringLiteral("新規記事モード|新規記事閲覧モードを切替えます"), true);
  AddButton("BTNSearchMode", QStringLiteral("検索記事モード|検索記事閲覧モードを切替えます"), true);
  toolBarPanel_->addSeparator();
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

void TVornExplMain::CreatePanels() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  boardListPanel_ = new QWidget(central);
  boardListPanel_->setObjectName(QStringLiteral("BoardListPanel"));
  auto* boardLayout = new QVBoxLayout(boardListPanel_);
  boardLayout->setContentsMargins(4, 4, 4, 4);
  boardList_ = new QComboBox(boardListPanel_);
  boardList_->setObjectName(QStringLiteral("BoardList"));
  boardLayout->addWidget(boardList_);
  layout->addWidget(boardListPanel_);

  splitter1_ = new QSplitter(Qt::Vertical, central);
  splitter1_->setObjectName(QStringLiteral("Splitter1"));
  articleGridPanel_ = new QWidget(splitter1_);
  articleGridPanel_->setObjectName(QStringLiteral("ArticleGridPanel"));
  auto* gridLayout = new QVBoxLayout(articleGridPanel_);
  gridLayout->setContentsMargins(0, 0, 0, 0);
  auto* grid = new QTableView(articleGridPanel_);
  grid->setObjectName(QStringLiteral("ArticleGrid1"));
  gridLayout->addWidget(grid);
  articleEditPanel_ = new QWidget(splitter1_);
  articleEditPanel_->setObjectName(QStringLiteral("ArticleEditPanel"));
  auto* editLayout = new QVBoxLayout(articleEditPanel_);
  editLayout->setContentsMargins(0, 0, 0, 0);
  auto* view = new QPlainTextEdit(articleEditPanel_);
  view->setObjectName(QStringLiteral("ArticleEdit1"));
  view->setReadOnly(true);
  editLayout->addWidget(view);
  layout->addWidget(splitter1_, 1);
  setCentralWidget(central);
}

void TVornExplMain::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setSizeGripEnabled(false);
  static constexpr int kWidths[4] = {0, 80, 100, 50};
  for (int i = 0; i < 4; ++i) {
    statusPanels_[i] = new QLabel(bar);
    statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    statusPanels_[i]->setFrameShape(QFrame::Panel);
    statusPanels_[i]->setFrameShadow(QFrame::Sunken);
    if (kWidths[i] > 0) statusPanels_[i]->setFixedWidth(kWidths[i]);
    bar->addPermanentWidget(statusPanels_[i], i == 0 ? 1 : 0);
  }
  progressBar1_ = new QProgressBar(statusPanels_[2]);
  progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
  progressBar1_->setRange(0, 100);
  progressBar1_->setValue(0);
  progressBar1_->setTextVisible(false);
  auto* inPanel = new QVBoxLayout(statusPanels_[2]);
  inPanel->setContentsMargins(1, 1, 1, 1);
  inPanel->addWidget(progressBar1_);
}

}  // namespace vorn
