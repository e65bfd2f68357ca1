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

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/LogList.h"
#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"
#include "threadview/GridRows.h"
#include "threadview/QuickFilter.h"

namespace vorn {
namespace {

constexpr int32_t kArticles = 100000;

// One board as an analysis leaves it: articles pointing into a log of header and body lines,
// a third of them replies to one of the 300 articles before them, 200 writers with handles.
class Board {
 public:
  Board() : random_(11) {
    for (const char* w : {"今日は", "晴れ", "でした。", "プログラム", "の", "話", "ですが、",
                          "オフ会", "に", "参加", "します", "よろしく"})
      words_.push_back(Cp932(w));
    for (const char* h : {"たろう", "はなこ", "じろう", "さぶろう", "しろう", "ごろう"})
      handles_.push_back(Cp932(h));
    bool added = false;
    for (int32_t id = 0; id < 200; ++id) {
      const std::string handle = handles_[size_t(id) % handles_.size()] + std::to_string(id);
      members.AddMember(1000 + id, handle, handle, handle, false, added);
    }
    for (int32_t key = 1; key <= kArticles; ++key) {
      const int32_t first = log.Count();
      const std::string title = Words(3);
      log.AddLine("general(" + std::to_string(key) + ") 99/07/30 12:34 " + title);
      const bool reply = key > 1 && Next(3) == 0;
      const int32_t parent = reply ? key - 1 - int32_t(Next(uint32_t(std::min(key - 1, 300)))) : -1;
      const int32_t writer = 1000 + int32_t(Next(200));
      log.AddLine("  8 lines " + std::to_string(writer));
      const uint32_t lines = 3 + Next(10);
      for (uint32_t l = 0; l < lines; ++l)
        log.AddLine(Words(2 + int(Next(8))));
      board.AddArticle(reply ? ArticleKindRess : ArticleKindRoot, 0, key, key, 100000 + key * 60,
                       parent, parent, writer, reply ? 1000 : -1, "", "", title,
                       reply ? Words(3) : "", first, 2);
      board.SetArticleLastLine(key, 100000 + key * 60, log.Count() - 1);
    }
    board.SortArticles();
  }

  TLogList log{524288, 51200};
  TMemberList members{false};
  TArticleList board;

 private:
  uint32_t Next(uint32_t n) { return uint32_t(random_() % n); }
  std::string Words(int n) {
    std::string text;
    for (int k = 0; k < n; ++k)
      text += words_[Next(uint32_t(words_.size()))];
    return text;
  }

  std::mt19937 random_;
  std::vector<std::string> words_;
  std::vector<std::string> handles_;
};

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
