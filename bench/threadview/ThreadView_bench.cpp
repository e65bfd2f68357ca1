// The reading aids on one board of 100,000 articles (about 850,000 log lines): what a key press
// in the quick filter bar costs, and collapsing or expanding every thread.
//
//   bench_threadview --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
//
// BM_FilterKeyPress/<mode>/<k>: the k-th key press while typing "オフ会に参加" (after the
//   first k - 1 characters were filtered, as in the bar): the filter set, the board matched,
//   the rows built. mode 0 plain, 1 regular expression, 2 plain with the fuzzy dictionaries.
// BM_FilterFromScratch/<mode>/<k>: the same text filtered without what the earlier key presses
//   left (the cost before narrowing, for comparison).
// BM_FilterNoMatch/<mode>: the first key press of a text no article holds: every body line
//   of the board is read.
// BM_CollapseAll, BM_ExpandAll: every thread collapsed (expanded) and the rows built again.
// BM_RowsUnfiltered: the rows of the board with no aid in force (the grid as it was).

#include <benchmark/benchmark.h>

#include <string>

#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "threadview/GridRows.h"
#include "threadview/QuickFilter.h"
#include "threadview/ThreadBoardGenerator.h"

namespace vorn {
namespace {

using Board = bench::ThreadBoard;

Board& TheBoard() {
  static Board board;
  return board;
}

// The first k characters (each two bytes) of the typed text.
std::string Typed(int64_t k) {
  return Cp932("オフ会に参加").substr(0, size_t(2 * k));
}

QuickFilterCondition Condition(int64_t mode, const std::string& text) {
  return {text, mode == 1, mode == 2};
}

void Report(benchmark::State& state, const TGridRows& rows) {
  state.counters["articles"] = double(rows.TotalArticles());
  state.counters["shown"] = double(rows.ShownArticles());
}

void BM_FilterKeyPress(benchmark::State& state) {
  Board& b = TheBoard();
  const int64_t mode = state.range(0), k = state.range(1);
  TQuickFilter filter(b.members, b.log);
  TGridRows rows;
  std::string warning;
  for (auto _ : state) {
    state.PauseTiming();
    filter.Forget();
    for (int64_t i = 1; i < k; ++i) {
      filter.SetCondition(Condition(mode, Typed(i)), warning);
      rows.Build(b.board, ArticleSortTree, {&filter, false, nullptr, false, nullptr, nullptr});
    }
    state.ResumeTiming();
    filter.SetCondition(Condition(mode, Typed(k)), warning);
    rows.Build(b.board, ArticleSortTree, {&filter, false, nullptr, false, nullptr, nullptr});
  }
  Report(state, rows);
}

void BM_FilterFromScratch(benchmark::State& state) {
  Board& b = TheBoard();
  const int64_t mode = state.range(0), k = state.range(1);
  TQuickFilter filter(b.members, b.log);
  TGridRows rows;
  std::string warning;
  for (auto _ : state) {
    filter.Forget();
    filter.SetCondition(Condition(mode, Typed(k)), warning);
    rows.Build(b.board, ArticleSortTree, {&filter, false, nullptr, false, nullptr, nullptr});
  }
  Report(state, rows);
}

void BM_FilterNoMatch(benchmark::State& state) {
  Board& b = TheBoard();
  TQuickFilter filter(b.members, b.log);
  TGridRows rows;
  std::string warning;
  for (auto _ : state) {
    filter.Forget();
    filter.SetCondition(Condition(state.range(0), Cp932("見")), warning);
    rows.Build(b.board, ArticleSortTree, {&filter, false, nullptr, false, nullptr, nullptr});
  }
  Report(state, rows);
}

void BM_CollapseAll(benchmark::State& state) {
  Board& b = TheBoard();
  TThreadCollapse collapse;
  TGridRows rows;
  for (auto _ : state) {
    collapse.CollapseAll();
    rows.Build(b.board, ArticleSortTree, {nullptr, false, nullptr, false, nullptr, &collapse});
  }
  state.counters["rows"] = double(rows.View().RowCount());
}

void BM_ExpandAll(benchmark::State& state) {
  Board& b = TheBoard();
  TThreadCollapse collapse;
  collapse.CollapseAll();
  TGridRows rows;
  for (auto _ : state) {
    collapse.ExpandAll();
    rows.Build(b.board, ArticleSortTree, {nullptr, false, nullptr, false, nullptr, &collapse});
  }
  state.counters["rows"] = double(rows.View().RowCount());
}

void BM_RowsUnfiltered(benchmark::State& state) {
  Board& b = TheBoard();
  TGridRows rows;
  for (auto _ : state)
    rows.Build(b.board, ArticleSortTree, {});
  state.counters["rows"] = double(rows.View().RowCount());
}

BENCHMARK(BM_FilterKeyPress)
    ->ArgsProduct({{0, 1, 2}, {1, 2, 3, 4, 5, 6}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterFromScratch)->ArgsProduct({{0, 1, 2}, {1, 3, 6}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterNoMatch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollapseAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsUnfiltered)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn

BENCHMARK_MAIN();
