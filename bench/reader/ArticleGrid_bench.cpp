// The article grid on a board of 100 and of 100,000 articles in tree order: showing the board
// (the first screen painted) and showing it, then going to its last row (Ctrl+End) and painting
// that screen; and, without the grid, the rows' first tree prefix, which prepares the tree
// drawing of the whole board. The boards are built once, outside the timing; 30 % of the articles
// are replies to recent articles, a few to articles no longer on the host (placeholders).
//
//   bench_article_grid --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <memory>
#include <random>

#include "analysis/DisplayTexts.h"
#include "reader/ArticleGrid.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"

namespace {

std::unique_ptr<vorn::TArticleList> MakeBoard(int32_t count) {
  auto board = std::make_unique<vorn::TArticleList>();
  std::mt19937_64 rng(42);
  int32_t time = 600000000;
  for (int32_t n = 1; n <= count; ++n) {
    time += int32_t(rng() % 3) * 60;
    const bool reply = rng() % 100 < 30;
    const int32_t parent = reply ? n - 1 - int32_t(rng() % (rng() % 10 == 0 ? 5000 : 50)) : -1;
    board->AddArticle(reply ? vorn::ArticleKindRess : vorn::ArticleKindRoot, 0, n, n, time, parent,
                      parent, 1000 + n % 97, -1, "", "", "Title of the article", "", n * 20, 3);
  }
  board->SortArticles();
  return board;
}

struct Fixture {
  Fixture() : members(false) {
    bool added = false;
    for (int32_t id = 1000; id < 1097; ++id)
      members.AddMember(id, "handle", "handle", "handle", false, added);
    grid.ApplyDisplaySettings(vorn::CommonSettings(), true);
    grid.resize(800, 600);
    grid.show();
    // Painting only happens in an exposed window.
    if (!QTest::qWaitForWindowExposed(&grid)) std::fprintf(stderr, "the grid was not exposed\n");
  }
  vorn::TMemberList members;
  vorn::TArticleGrid grid;
};

// Made after the application object and destroyed before it.
Fixture* theFixture = nullptr;

Fixture& TheFixture() {
  if (!theFixture) theFixture = new Fixture;
  return *theFixture;
}

vorn::TArticleList& Board(int32_t count) {
  static std::unique_ptr<vorn::TArticleList> small = MakeBoard(100);
  static std::unique_ptr<vorn::TArticleList> big = MakeBoard(100000);
  return count == 100 ? *small : *big;
}

void BM_ShowTree(benchmark::State& state) {
  Fixture& f = TheFixture();
  vorn::TArticleList& board = Board(int32_t(state.range(0)));
  for (auto _ : state) {
    f.grid.ShowArticles(vorn::ArticleSortTree, &board, 0, vorn::TArticleGrid::SelectFirst,
                        &f.members);
    f.grid.repaint();
  }
  state.counters["rows"] = board.OrderCount(vorn::ArticleSortTree);
}

void BM_ShowTreeAndScrollToEnd(benchmark::State& state) {
  Fixture& f = TheFixture();
  vorn::TArticleList& board = Board(int32_t(state.range(0)));
  for (auto _ : state) {
    f.grid.ShowArticles(vorn::ArticleSortTree, &board, 0, vorn::TArticleGrid::SelectFirst,
                        &f.members);
    f.grid.repaint();
    QTest::keyClick(&f.grid, Qt::Key_End, Qt::ControlModifier);
    f.grid.repaint();
    if (f.grid.CurrentPosition() != board.OrderCount(vorn::ArticleSortTree) - 1)
      state.SkipWithError("the last row was not reached");
  }
  state.counters["rows"] = board.OrderCount(vorn::ArticleSortTree);
}

void BM_FirstTreePrefix(benchmark::State& state) {
  vorn::TArticleList& board = Board(int32_t(state.range(0)));
  vorn::TMemberList members(false);
  for (auto _ : state) {
    vorn::TArticleRows rows(board, vorn::ArticleSortTree, members, vorn::TreeLineChr2);
    benchmark::DoNotOptimize(rows.TreePrefix(0));
  }
  state.counters["rows"] = board.OrderCount(vorn::ArticleSortTree);
}

BENCHMARK(BM_FirstTreePrefix)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowTree)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowTreeAndScrollToEnd)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete theFixture;
  return 0;
}
