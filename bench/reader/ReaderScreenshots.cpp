// Pictures of the article grid and the article view on the sample capture, for looking at them:
//   reader_screenshots OUTDIR
// writes grid_tree.png, grid_posting.png, view_horizontal.png, view_vertical.png and
// reading.png (grid above view, as the window arranges them). The sample settings are copied
// into a temporary folder first, so the repository's files are never changed.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSplitter>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "analysis/DisplayTexts.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const char* name) {
  const QString path = folder + QLatin1Char('/') + QLatin1String(name);
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

// The board of the sample that holds the most entries.
int32_t BusiestBoard(const vorn::TBBSProcess& process) {
  int32_t best = -1;
  int32_t most = -1;
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    const vorn::TArticleList* articles = process.Boards.GetArticles(b);
    if (articles && articles->OrderCount(vorn::ArticleSortTree) > most) {
      most = articles->OrderCount(vorn::ArticleSortTree);
      best = b;
    }
  }
  return best;
}

// A reply the user queued: a big-font heading, a quotation of the article it answers, a web
// address and a mail address.
std::vector<std::string> ReplyLines(const std::vector<std::string>& quoted) {
  using vorn::Cp932;
  std::vector<std::string> lines = {Cp932("Re: はじめまして"), Cp932("%V%W夏のオフ会のお知らせ"),
                                    "", Cp932("たろうさんの記事より:")};
  for (const std::string& line : quoted)
    lines.push_back(">" + line);
  lines.push_back("");
  lines.push_back(Cp932("詳しくは http://WWW.Example.jp/offkai/ をご覧ください。"));
  lines.push_back(Cp932("出欠は Hanako@Example.jp まで（7/31 締切）。"));
  lines.push_back(Cp932("\tよろしくお願いします。"));
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: reader_screenshots OUTDIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  const QString source = QStringLiteral(VORN_SOURCE_DIR);

  QTemporaryDir settings;
  for (const char* name : {"netvorn.ini", "vorndef.ini"}) {
    QFile::copy(source + QStringLiteral("/samples/settings/") + QLatin1String(name),
                settings.filePath(QLatin1String(name)));
  }
  vorn::SetSettingsFolderOverride(vorn::FromNativePath(settings.path().toStdString()));
  // Messages of the load are not shown: the default services answer them silently.

  vorn::TNetVorn netVorn(vorn::SettingsFilePath("netvorn.ini"),
                         vorn::SettingsFilePath("vorndef.ini"));
  vorn::TLogSession session({&netVorn});
  const std::string log =
      vorn::FromNativePath((source + QStringLiteral("/samples/NET19990730.LOG")).toStdString());
  const vorn::LoadResult loaded = session.LoadLogFiles({log}, "NET", false);
  if (!loaded.Loaded()) {
    std::fprintf(stderr, "the sample did not load\n");
    return 1;
  }
  const int32_t boardIndex = BusiestBoard(netVorn);
  vorn::TArticleList* board = netVorn.Boards.GetArticles(boardIndex);

  // The first article's body, quoted in a reply the user queued (a write: key from the
  // analyser's running number, no time, no number, its parent's stored key).
  const vorn::ArticleViewText first =
      vorn::ArticleViewLines(board, vorn::ArticleSortNormal, 0, session.LogList);
  std::vector<std::string> body;
  bool inBody = false;
  for (const std::string& line : first.Lines) {
    if (inBody && !line.empty()) body.push_back(line);
    if (line.find(" lines ") != std::string::npos) inBody = true;
  }
  const std::vector<std::string> reply = ReplyLines(body);
  board->AddArticle(vorn::ArticleKindRess, 1, netVorn.WriteArticleNo++, -1, 0,
                    board->GetKey(vorn::ArticleSortNormal, 0), -1, -1, -1, "", "", reply[0], "", -1,
                    1, std::make_unique<vorn::TStringList>(reply));
  board->DropPlaceholders();
  board->SortArticles();

  const vorn::CommonSettings common;
  vorn::TArticleGrid grid;
  grid.setObjectName(QStringLiteral("ArticleGrid1"));
  grid.ApplyDisplaySettings(common, true);
  grid.resize(560, 170);
  grid.show();
  // The reader has opened the second article; everything below it is still unread.
  grid.ShowArticles(vorn::ArticleSortTree, board, 1, vorn::TArticleGrid::SelectIndex,
                    &netVorn.Members);
  bool ok = Save(grid, out, "grid_tree.png");
  grid.ShowArticles(vorn::ArticleSortNormal, board, 2, vorn::TArticleGrid::SelectIndex,
                    &netVorn.Members);
  ok = Save(grid, out, "grid_posting.png") && ok;

  vorn::TArticleEdit view;
  view.setObjectName(QStringLiteral("ArticleEdit1"));
  view.ApplyDisplaySettings(common);
  view.resize(560, 260);
  view.show();
  view.ShowArticleText(reply);
  ok = Save(view, out, "view_horizontal.png") && ok;
  view.SetEditStyle(vorn::TArticleEdit::esVertical);
  view.resize(560, 300);
  ok = Save(view, out, "view_vertical.png") && ok;

  // Grid above view, as the window shows them.
  QSplitter window(Qt::Vertical);
  vorn::TArticleGrid* pane = new vorn::TArticleGrid(&window);
  vorn::TArticleEdit* text = new vorn::TArticleEdit(&window);
  pane->ApplyDisplaySettings(common, true);
  text->ApplyDisplaySettings(common);
  QObject::connect(pane, &vorn::TArticleGrid::ArticleDisp, [&](int32_t order, int32_t position) {
    const vorn::ArticleViewText shown =
        vorn::ArticleViewLines(board, order, position, session.LogList);
    if (shown.Result == vorn::ArticleViewText::Text) {
      text->ShowArticleText(shown.Lines);
    } else {
      text->Clear();
    }
  });
  window.resize(600, 420);
  window.setSizes({150, 270});
  window.show();
  pane->ShowArticles(vorn::ArticleSortTree, board, 2, vorn::TArticleGrid::SelectIndex,
                     &netVorn.Members);
  ok = Save(window, out, "reading.png") && ok;
  return ok ? 0 : 1;
}
