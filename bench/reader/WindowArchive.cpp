// A generated archive of daily NetVorn-family captures opened at once in the main window
// (offscreen), as a user opens years of logs: the time of the load (read, analyse, sort, board
// list, first article shown), the first with the analysis cache empty, and the median of the
// later ones, each in a new window, of the unchanged archive (its files in the page cache, their
// analyses in the cache), also until the biggest board is shown; the median time of opening the
// biggest board from the board list until the grid is filled and painted, and of a search from
// the first article of the first board to the archive's last match (one article appended to the
// last capture, on a board of its own after all others), as plain text, as the search dialog's
// default (a regular expression with kana and width forms folded) and as that default after
// ".*". Then the archive is opened again and stopped with Escape half-way: the longest the window
// went without handling its events during that load, and the time from the key to the window as
// it was. Prints the peak resident memory of the process against 0.5 x the archive's bytes + 64
// MB.
//
//   bench_window_archive [--mb MB] [--file-mb MB] [--runs N] [--work DIR]
//
// MB: archive size in MB of 1,000,000 bytes (default 100), in captures of --file-mb (default
// 20). N: loads, each in a new window (default 3); the board and the search are timed 5 times a
// load. DIR: where the archive is generated (default /tmp); it is removed afterwards.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "cli/NetVornArchive.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/ProgressBarREX.h"
#include "reader/QtUiServices.h"
#include "reader/SearchCommands.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "store/ArticleList.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

const char kMarker[] = "ARCHIVEEND";

// One article on a board no capture has, appended to the last capture: the match a search from
// the first article reaches last.
bool AppendLastMatch(const std::string& path) {
  // NETyyyymmdd.LOG: the article is dated on the capture's day.
  const std::string name = path.substr(path.size() - 15);
  const std::string date = name.substr(5, 2) + "/" + name.substr(7, 2) + "/" + name.substr(9, 2);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  const std::string lines[] = {"Command (?:41",
                               "No.41 " + vorn::Cp932("｢最後のボード｣"),
                               "",
                               "-\t",
                               "board41(1/101) " + date + " 23:59 " + kMarker,
                               "  3 lines 1001:" + vorn::Cp932("はなこ") + " ",
                               vorn::Cp932("最後の記事です。"),
                               vorn::Cp932("ここまで探します。"),
                               vorn::Cp932("おしまい"),
                               "",
                               vorn::Cp932("読み終わりました")};
  for (const std::string& line : lines)
    out << line << "\r\n";
  return static_cast<bool>(out);
}

void ChooseBoard(vorn::TVornExplMain& w, int board) {
  w.BoardList().setCurrentIndex(board);
  emit w.BoardList().activated(board);
  QCoreApplication::processEvents();
  w.ArticleGrid().repaint();
}

long long Arg(int argc, char** argv, const char* name, long long fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return std::atoll(argv[i + 1]);
  }
  return fallback;
}

std::string TextArg(int argc, char** argv, const char* name, const char* fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const long long mb = Arg(argc, argv, "--mb", 100);
  const long long fileMb = Arg(argc, argv, "--file-mb", 20);
  const long long runs = Arg(argc, argv, "--runs", 3);
  const std::string workRoot = TextArg(argc, argv, "--work", "/tmp");
  if (mb <= 0 || fileMb <= 0 || runs <= 0) {
    std::fputs("usage: bench_window_archive [--mb MB] [--file-mb MB] [--runs N] [--work DIR]\n",
               stderr);
    return 2;
  }
  QApplication app(argc, argv);
  QTemporaryDir work(QString::fromStdString(workRoot) + QStringLiteral("/vornwindow-XXXXXX"));
  if (!work.isValid()) {
    std::fprintf(stderr, "bench_window_archive: cannot make a folder in %s\n", workRoot.c_str());
    return 1;
  }
  const std::string folder = work.path().toStdString();
  QDir(work.path()).mkpath(QStringLiteral("settings"));
  QDir(work.path()).mkpath(QStringLiteral("archive"));
  std::ofstream(folder + "/settings/netvorn.ini", std::ios::binary)
      << "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Bench\"\r\n";
  vorn::SetSettingsFolderOverride(folder + "/settings/");
  // The analysis cache in a folder of the bench's own, empty at the first load.
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder + "/cache"));

  const long long files = (mb + fileMb - 1) / fileMb;
  std::string failed;
  const std::vector<std::string> paths =
      vorn::bench::WriteNetVornArchive(folder + "/archive", files, mb * 1000000, 7, &failed);
  if (paths.empty() || !AppendLastMatch(paths.back())) {
    std::fprintf(stderr, "bench_window_archive: cannot write %s\n",
                 paths.empty() ? failed.c_str() : paths.back().c_str());
    return 1;
  }
  long long bytes = 0;
  for (const std::string& p : paths)
    bytes += static_cast<long long>(QFileInfo(QString::fromStdString(p)).size());
  const double generatedRss = PeakRssMb();

  vorn::QtUiServices ui;
  vorn::ScopedUiServices installed(&ui);
  std::vector<double> loads, untilBiggest, boards, searches, regexSearches, anyLeadSearches, gaps,
      stops;
  double loadRss = 0, loadOnlyRss = 0;
  long long lines = 0, articles = 0, biggestRows = 0;
  int boardCount = 0, matchBoard = -1;
  for (long long run = 0; run < runs; ++run) {
    auto window = std::make_unique<vorn::TVornExplMain>(std::vector<std::string>{});
    vorn::TVornExplMain& w = *window;
    ui.SetParent(&w);
    w.resize(1000, 700);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) std::fputs("the window was not exposed\n", stderr);

    const Clock::time_point start = Clock::now();
    const bool loaded = w.LoadLogFiles(paths, "NET", false);
    loads.push_back(MsSince(start));
    if (run == 0) loadOnlyRss = PeakRssMb();
    if (!loaded || w.Session().LogFileNames.size() != paths.size()) {
      std::fputs("bench_window_archive: the archive did not load\n", stderr);
      return 1;
    }
    vorn::TBBSProcess& p = *w.CurrentAnalyser();
    const uint8_t order = w.Reading().TreeOrder();
    lines = w.LogList().Count();
    articles = 0;
    boardCount = p.Boards.Count();
    int biggest = -1, smallest = -1, first = -1;
    for (int b = 0; b < boardCount; ++b) {
      const vorn::TArticleList* list = p.Boards.GetArticles(b);
      const int32_t n = list ? list->OrderCount(order) : 0;
      articles += n;
      if (n <= 0) continue;
      if (first < 0) first = b;
      if (biggest < 0 || n > p.Boards.GetArticles(biggest)->OrderCount(order)) biggest = b;
      if (smallest < 0 || n < p.Boards.GetArticles(smallest)->OrderCount(order)) smallest = b;
    }
    biggestRows = p.Boards.GetArticles(biggest)->OrderCount(order);

    for (int k = 0; k < 5; ++k) {
      ChooseBoard(w, smallest == biggest ? first : smallest);
      const Clock::time_point t = Clock::now();
      ChooseBoard(w, biggest);
      boards.push_back(MsSince(t));
      if (k == 0 && run > 0) untilBiggest.push_back(loads.back() + boards.back());
      if (w.ArticleGrid().RowCount() - w.ArticleGrid().FixedRows() != biggestRows) {
        std::fputs("bench_window_archive: the biggest board did not fill the grid\n", stderr);
        return 1;
      }
    }

    const std::string anyLead = std::string(".*") + kMarker;
    for (int kind = 0; kind < 3; ++kind) {
      const bool regex = kind > 0;
      for (int k = 0; k < 5; ++k) {
        w.BoardView().ShowBoard(first, vorn::TArticleGrid::SelectFirst);
        w.SearchCommands().SetSearchCondition(regex, regex, kind == 2 ? anyLead : kMarker, "");
        const Clock::time_point t = Clock::now();
        const bool found = w.SearchCommands().FindNext(true, false);
        (kind == 0 ? searches : kind == 1 ? regexSearches : anyLeadSearches).push_back(MsSince(t));
        matchBoard = w.BoardView().CurrentBoard();
        if (!found) {
          std::fputs("bench_window_archive: the search found nothing\n", stderr);
          return 1;
        }
      }
    }

    // The first load's peak, before a stopped load held two archives at once.
    if (run == 0) loadRss = PeakRssMb();

    // The archive opened again and stopped with Escape half-way: the longest the window went
    // without handling its events, and how long after the key the window was back.
    QTimer watch;
    watch.setInterval(0);
    Clock::time_point last = Clock::now(), pressed{};
    bool sent = false;
    double longest = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!w.Loading()) return;
      longest = std::max(longest, MsSince(last));
      last = Clock::now();
      if (!sent && w.ProgressBar()->value() * 2 >= w.ProgressBar()->maximum()) {
        sent = true;
        pressed = Clock::now();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &w, Qt::Key_Escape);
      }
    });
    last = Clock::now();
    watch.start();
    const bool reopened = w.LoadLogFiles(paths, "NET", false);
    const double back = MsSince(pressed);
    watch.stop();
    if (reopened || !sent || w.Session().LogFileNames.size() != paths.size()) {
      std::fputs("bench_window_archive: Escape did not stop the load\n", stderr);
      return 1;
    }
    gaps.push_back(longest);
    stops.push_back(back);
    window.reset();
    QCoreApplication::processEvents();
  }

  std::printf("archive: %lld files, %lld bytes, %lld lines, %lld articles, %d boards\n", files,
              bytes, lines, articles, boardCount);
  std::printf("first load (open all files at once):    %8.1f ms\n", loads[0]);
  const std::vector<double> reopens(loads.begin() + 1, loads.end());
  if (!reopens.empty()) {
    std::printf("reopen of the unchanged archive:        median %8.1f ms of %zu\n", Median(reopens),
                reopens.size());
    std::printf("  until the biggest board is shown:     median %8.1f ms of %zu\n",
                Median(untilBiggest), untilBiggest.size());
  }
  std::printf("open the biggest board (%lld rows):   median %8.1f ms of %zu\n", biggestRows,
              Median(boards), boards.size());
  std::printf("search from the first article to the last match (board %d of %d):\n", matchBoard + 1,
              boardCount);
  std::printf("  plain text:                           median %8.1f ms of %zu\n", Median(searches),
              searches.size());
  std::printf("  regular expression, kana/width folded: median %7.1f ms of %zu\n",
              Median(regexSearches), regexSearches.size());
  std::printf("  the same after \".*\":                  median %8.1f ms of %zu\n",
              Median(anyLeadSearches), anyLeadSearches.size());
  std::printf("a load stopped with Escape half-way:\n");
  std::printf("  longest time without handling events: median %8.1f ms of %zu\n", Median(gaps),
              gaps.size());
  std::printf("  from the key to the window as before:  median %8.1f ms of %zu\n", Median(stops),
              stops.size());
  std::printf(
      "peak RSS: %.0f MB after the first load, %.0f MB after its searches and board openings "
      "(after generating the archive: %.0f MB; with the stopped loads: %.0f MB); 0.5 x bytes + "
      "64 MB = %.0f MB\n",
      loadOnlyRss, loadRss, generatedRss, PeakRssMb(),
      0.5 * static_cast<double>(bytes) / 1048576.0 + 64);
  return 0;
}
