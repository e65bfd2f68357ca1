// SortArticles on big boards: one board of 100,000 log articles and 1,000,000 articles spread
// over 200 boards, 30 % of them replies. Each repetition builds the boards afresh (not timed)
// and sorts them once (timed).
//
//   bench_article_sort --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "store/ArticleList.h"

namespace {

struct Article {
  int32_t key, time, parent;
  bool reply;
};

// A board as a log gives it: numbers and times rising together (several articles in one
// minute share a time), replies to recent articles, a few to articles purged from the host.
// `shuffled` hands the articles over in random order instead of log order.
std::vector<Article> MakeBoard(int32_t count, uint64_t seed, bool shuffled) {
  std::mt19937_64 rng(seed);
  std::vector<Article> board;
  board.reserve(size_t(count));
  int32_t time = 600000000;
  for (int32_t n = 1; n <= count; ++n) {
    time += int32_t(rng() % 3) * 60;
    Article a{n, time, -1, rng() % 100 < 30};
    if (a.reply) {
      const int32_t back = 1 + int32_t(rng() % (rng() % 10 == 0 ? 5000 : 50));
      a.parent = n - back;  // zero or below: purged from the host, the reply is an orphan
    }
    board.push_back(a);
  }
  if (shuffled) std::shuffle(board.begin(), board.end(), rng);
  return board;
}

void Fill(vorn::TArticleList& list, const std::vector<Article>& board) {
  for (const Article& a : board) {
    list.AddArticle(a.reply ? vorn::ArticleKindRess : vorn::ArticleKindRoot, 0, a.key, a.key,
                    a.time, a.reply ? a.parent : -1, a.reply ? a.parent : -1, 1000 + a.key % 97,
                    a.reply ? 1000 + a.parent % 97 : -1, "", "", "Title of the article",
                    a.reply ? "Title of the parent" : "", a.key * 20, 3);
  }
}

void SortBoards(benchmark::State& state, int32_t boards, int32_t perBoard, bool shuffled) {
  std::vector<std::vector<Article>> data;
  for (int32_t b = 0; b < boards; ++b)
    data.push_back(MakeBoard(perBoard, 1000 + uint64_t(b), shuffled));
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::unique_ptr<vorn::TArticleList>> lists;
    for (const auto& board : data) {
      lists.push_back(std::make_unique<vorn::TArticleList>());
      Fill(*lists.back(), board);
    }
    state.ResumeTiming();
    for (auto& list : lists)
      benchmark::DoNotOptimize(list->SortArticles());
    state.PauseTiming();
    lists.clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(boards) * perBoard);
}

void BM_Sort_OneBoard100k(benchmark::State& s) {
  SortBoards(s, 1, 100000, false);
}
void BM_Sort_OneBoard100k_Shuffled(benchmark::State& s) {
  SortBoards(s, 1, 100000, true);
}
void BM_Sort_200Boards1M(benchmark::State& s) {
  SortBoards(s, 200, 5000, false);
}
void BM_Sort_200Boards1M_Shuffled(benchmark::State& s) {
  SortBoards(s, 200, 5000, true);
}

// What the analysers pay to add a board's articles: every add looks the article up first.
void BM_AddArticles_OneBoard100k(benchmark::State& state) {
  const auto board = MakeBoard(100000, 7, false);
  for (auto _ : state) {
    vorn::TArticleList list;
    Fill(list, board);
    benchmark::DoNotOptimize(list.Count());
  }
}

BENCHMARK(BM_Sort_OneBoard100k)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Sort_OneBoard100k_Shuffled)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Sort_200Boards1M)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Sort_200Boards1M_Shuffled)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AddArticles_OneBoard100k)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
