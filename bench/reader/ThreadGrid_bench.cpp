// The article grid with the reading aids on one board of 100,000 articles (the board of
// bench/threadview): a key press in the quick filter as the window handles it (the filter set,
// the rows built, the model reset, the screen painted), and collapsing or expanding every
// thread. The comparison is showing the board without any aid.
//
//   bench_thread_grid --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
//
// BM_GridFilterKeyPress/<mode>/<k>: the k-th character of "オフ会に参加" typed into the filter
//   (the first k - 1 filtered before, untimed); mode 0 plain, 1 regular expression, 2 fuzzy.
// BM_GridCollapseAll, BM_GridExpandAll: every thread of the board folded (opened), painted.
// BM_GridShowBoard: the board shown without aids (the grid as it was), painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <cstdio>

#include "reader/ArticleGrid.h"
#include "settings/CommonIniFile.h"
#include "threadview/QuickFilter.h"
#include "threadview/ThreadBoardGenerator.h"

namespace {

using namespace vorn;

// The aids as the window gives them, without flags or writers.
class Aids final : public TGridAids {
 public:
  Aids(const TMemberList& members, const TLogList& log) : filter(members, log) {}
  void BuildRows(const TArticleList& board, int32_t order, TGridRows& rows) override {
    rows.Build(board, order, {&filter, false, nullptr, false, nullptr, &collapse});
  }
  bool RevealPosition(const TArticleList&, int32_t, int32_t) override { return false; }
  bool Flagged(const TArticleList&, int32_t, int32_t) const override { return false; }
  WriterMark RowMark(const TArticleList&, int32_t, int32_t) const override {
    return WriterMark::None;
  }
  QColor WatchedColor() const override { return Qt::yellow; }

  TQuickFilter filter;
  TThreadCollapse collapse;
};

struct Fixture {
  Fixture() : aids(board.members, board.log) {
    grid.ApplyDisplaySettings(CommonSettings(), true);
    grid.resize(800, 600);
    grid.show();
    if (!QTest::qWaitForWindowExposed(&grid)) std::fprintf(stderr, "the grid was not exposed\n");
    grid.SetAids(&aids);
    grid.ShowArticles(ArticleSortTree, &board.board, 0, TArticleGrid::SelectFirst, &board.members);
  }
  void Filter(int64_t mode, const std::string& text) {
    std::string warning;
    aids.filter.SetCondition({text, mode == 1, mode == 2}, warning);
    grid.RefreshRows(false);
    grid.repaint();
  }
  bench::ThreadBoard board;
  Aids aids;
  TArticleGrid grid;
};

Fixture* theFixture = nullptr;

Fixture& TheFixture() {
  if (!theFixture) theFixture = new Fixture;
  return *theFixture;
}

std::string Typed(int64_t k) {
  return Cp932("オフ会に参加").substr(0, size_t(2 * k));
}

void BM_GridFilterKeyPress(benchmark::State& state) {
  Fixture& f = TheFixture();
  const int64_t mode = state.range(0), k = state.range(1);
  for (auto _ : state) {
    state.PauseTiming();
    f.aids.filter.Forget();
    f.Filter(mode, "");
    for (int64_t i = 1; i < k; ++i)
      f.Filter(mode, Typed(i));
    state.ResumeTiming();
    f.Filter(mode, Typed(k));
  }
  state.counters["rows"] = f.grid.RowCount() - f.grid.FixedRows();
}

void BM_GridCollapseAll(benchmark::State& state) {
  Fixture& f = TheFixture();
  f.Filter(0, "");
  for (auto _ : state) {
    state.PauseTiming();
    f.aids.collapse.ExpandAll();
    f.grid.RefreshRows(true);
    state.ResumeTiming();
    f.aids.collapse.CollapseAll();
    f.grid.RefreshRows(true);
    f.grid.repaint();
  }
  state.counters["rows"] = f.grid.RowCount() - f.grid.FixedRows();
}

void BM_GridExpandAll(benchmark::State& state) {
  Fixture& f = TheFixture();
  f.Filter(0, "");
  for (auto _ : state) {
    state.PauseTiming();
    f.aids.collapse.CollapseAll();
    f.grid.RefreshRows(true);
    state.ResumeTiming();
    f.aids.collapse.ExpandAll();
    f.grid.RefreshRows(true);
    f.grid.repaint();
  }
  state.counters["rows"] = f.grid.RowCount() - f.grid.FixedRows();
}

void BM_GridShowBoard(benchmark::State& state) {
  Fixture& f = TheFixture();
  f.grid.SetAids(nullptr);
  for (auto _ : state) {
    f.grid.ShowArticles(ArticleSortTree, &f.board.board, 0, TArticleGrid::SelectFirst,
                        &f.board.members);
    f.grid.repaint();
  }
  f.grid.SetAids(&f.aids);
  state.counters["rows"] = f.grid.RowCount() - f.grid.FixedRows();
}

BENCHMARK(BM_GridFilterKeyPress)
    ->ArgsProduct({{0, 1, 2}, {1, 4, 6}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridCollapseAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridExpandAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridShowBoard)->Unit(benchmark::kMillisecond);

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
