// Pictures of the main window reading the sample captures, for looking at them:
//   reader_window_screenshots OUTDIR
// The settings and captures are copied into a temporary folder, with one more capture that
// adds a reply holding a big-font heading, quoted lines, a web address and a mail address, so
// the repository's files are never changed. Writes:
//   window-vertical-tree.png      grid above view, tree order, the reply with its looks
//   window-horizontal-tree.png    grid beside view
//   window-horizontal-posting.png posting order
//   window-vertical-writing.png   grid above view, the article in vertical writing
//   window-nifty-tree.png         the Nifty-Serve capture, a thread under a placeholder, in the
//                                 new-article mode
//   dialog-search.png             the search dialog over the NetVorn capture, a text typed
//   dialog-common-N.png           each page of the common settings dialog
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "dialogs/CommonSet.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/Navigation.h"
#include "reader/Search.h"
#include "reader/VornExplorerMain.h"
#include "store/ArticleList.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const char* name) {
  QTest::qWait(80);
  const QString path = folder + QLatin1Char('/') + QLatin1String(name);
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

// A later capture of the chat board: a reply to article 104.
void WriteReplyCapture(const std::string& path) {
  const char* const lines[] = {
      "Command (?:1",
      "\x1b[36mNo.1 ｢雑談ボード｣\x1b[0m",
      "",
      "-\t",
      "general(105/130) 99/07/31 09:15 Re: 夏のオフ会",
      " <104:Re: 夏のオフ会/4096:さぶろう>",
      "  10 lines 2048:はなこ ",
      "%V%W夏のオフ会のお知らせ",
      "",
      "さぶろうさんの記事より:",
      "> 参加します。",
      "> 当日は少し遅れるかもしれません。",
      "＞（幹事さんに連絡済みです）",
      "",
      "詳しくは http://WWW.Example.jp/offkai/ をご覧ください。",
      "出欠は hanako@example.jp まで（7/31 締切）。",
      "",
      "読み終わりました",
      "Command (?:Q",
  };
  std::ofstream out(path, std::ios::binary);
  for (const char* line : lines)
    out << vorn::Cp932(line) << "\r\n";
}

// Shows the article with the number in the board.
void ShowArticle(vorn::TVornExplMain& w, int32_t board, int32_t number) {
  const vorn::TArticleList* list = w.CurrentAnalyser()->Boards.GetArticles(board);
  for (int32_t p = 0; list && p < list->OrderCount(w.Reading().TreeOrder()); ++p) {
    if (list->GetNumber(w.Reading().TreeOrder(), p) == number &&
        list->GetKind(w.Reading().TreeOrder(), p) != vorn::ArticleKindMissingRoot) {
      w.BoardView().ShowBoard(board, vorn::TArticleGrid::SelectIndex, p);
      w.FocusGrid();
      return;
    }
  }
  std::fprintf(stderr, "no article %d in board %d\n", number, board);
}

// Opens a modal dialog by its command and lets the steps photograph it before it is closed.
template <class Dialog, class Steps>
bool WithDialog(vorn::TVornExplMain& w, const char* command, Steps steps) {
  bool ok = false;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
      ok = steps(*dialog);
      dialog->reject();
    }
  });
  w.Command(command)->trigger();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: reader_window_screenshots OUTDIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  const QString source = QStringLiteral(VORN_SOURCE_DIR) + QStringLiteral("/samples/");

  QTemporaryDir temp;
  QDir().mkpath(temp.filePath(QStringLiteral("settings")));
  for (const QString& name : QDir(source + QStringLiteral("settings")).entryList(QDir::Files)) {
    QFile::copy(source + QStringLiteral("settings/") + name,
                temp.filePath(QStringLiteral("settings/") + name));
  }
  for (const char* name : {"NET19990730.LOG", "NIF19990730.LOG"})
    QFile::copy(source + QLatin1String(name), temp.filePath(QLatin1String(name)));
  auto tempFile = [&](const char* name) {
    return vorn::FromNativePath(temp.filePath(QLatin1String(name)).toStdString());
  };
  WriteReplyCapture(tempFile("NET19990731.LOG"));
  vorn::SetSettingsFolderOverride(tempFile("settings") + "/");
  // Messages of the loads are not shown: the default services answer them silently.

  vorn::TVornExplMain w({});
  w.resize(760, 560);
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) std::fprintf(stderr, "the window was not exposed\n");
  if (!w.LoadLogFiles({tempFile("NET19990730.LOG"), tempFile("NET19990731.LOG")}, "NET", false)) {
    std::fprintf(stderr, "the sample did not load\n");
    return 1;
  }
  // The reader has come to the new reply; the other articles of the board are read before it.
  ShowArticle(w, 1, 101);
  ShowArticle(w, 1, 102);
  ShowArticle(w, 1, 105);
  bool ok = Save(w, out, "window-vertical-tree.png");
  w.Command("MenuSepHorizontal")->trigger();
  ok = Save(w, out, "window-horizontal-tree.png") && ok;
  w.Command("MenuNormal")->trigger();
  ok = Save(w, out, "window-horizontal-posting.png") && ok;
  w.Command("MenuSepVertical")->trigger();
  w.Command("MenuArticleRotate")->trigger();
  ok = Save(w, out, "window-vertical-writing.png") && ok;
  w.Command("MenuArticleRotate")->trigger();
  w.Command("MenuTree")->trigger();

  ok = WithDialog<vorn::TSearchForm>(w, "MenuSearch",
                                     [&](vorn::TSearchForm& form) {
                                       form.findChild<QComboBox*>(QStringLiteral("CBSearchWord"))
                                           ->setEditText(QStringLiteral("オフ会"));
                                       return Save(form, out, "dialog-search.png");
                                     }) &&
       ok;
  ok = WithDialog<vorn::TCommonSetForm>(
           w, "MenuCommonSet",
           [&](vorn::TCommonSetForm& form) {
             bool saved = true;
             for (int page = 0; page < form.Pages()->count(); ++page) {
               form.Pages()->setCurrentIndex(page);
               const std::string name = "dialog-common-" + std::to_string(page + 1) + ".png";
               saved = Save(form, out, name.c_str()) && saved;
             }
             return saved;
           }) &&
       ok;

  if (!w.LoadLogFiles({tempFile("NIF19990730.LOG")}, "NIF", false)) {
    std::fprintf(stderr, "the Nifty-Serve sample did not load\n");
    return 1;
  }
  w.SetReadMode(false, true);
  ShowArticle(w, 2, 86);
  ok = Save(w, out, "window-nifty-tree.png") && ok;
  // Closing writes the settings, the lists and the read pointers into the temporary folder.
  w.close();
  return ok ? 0 : 1;
}
