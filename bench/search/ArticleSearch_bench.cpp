// Searching every article of a generated 1,000,000-line NetVorn capture, as the search
// command walks it: from before the first article, match after match, to the last one.
//
//   bench_article_search --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
//
// BM_WalkAllMatches/<case>: every match found one step at a time, each step setting the
//   pattern again as the command does (the engine's cache makes that a lookup).
//   0: regular expression "オフ会に参加", 1: the same with the fuzzy dictionary,
//   2: plain comparison of the same text.
// BM_NoMatch/<case>: one step over every article that finds nothing (the longest single step):
//   0: regular expression, 1: fuzzy, 2: plain, all three for "見つからない言葉"; 3: fuzzy for an
//   ASCII word, whose full-width forms begin with the lead byte of every hiragana; 4: the same
//   after ".*", which may begin a match anywhere.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "analysis/ArticleSearch.h"
#include "platform/Cp932.h"
#include "regex/AWKStr.h"
#include "search/LoadedCapture.h"

namespace vorn {
namespace {

constexpr int64_t kLines = 1000000;

// The capture analysed and sorted once, as after a load.
class Loaded {
 public:
  Loaded() {
    bench::LoadedCapture::Write(folder_.path, kLines);
    capture_ = std::make_unique<bench::LoadedCapture>(folder_.path);
  }
  bench::LoadedCapture& Get() { return *capture_; }

 private:
  bench::ScratchFolder folder_;
  std::unique_ptr<bench::LoadedCapture> capture_;
};

bench::LoadedCapture& Capture() {
  static Loaded loaded;
  return loaded.Get();
}

SearchCondition Condition(int64_t which, const char* utf8) {
  SearchCondition c;
  c.WordCheckType = which != 2;
  c.AwkFuzzy = which == 1;
  c.SearchWord = Cp932(utf8);
  return c;
}

void BM_WalkAllMatches(benchmark::State& state) {
  bench::LoadedCapture& data = Capture();
  const SearchCondition c = Condition(state.range(0), "オフ会に参加");
  TAWKStr awk;
  int64_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    SearchHit at{-1, -1};
    while (true) {
      const TArticleMatcher matcher(c, data.process->Members, data.log, awk);
      at = FindSearchMatch(data.process->Boards, ArticleSortTree, at.Board, at.Position, true,
                           false, matcher);
      if (!at.Found()) break;
      ++matches;
    }
  }
  state.counters["lines"] = double(data.log.Count());
  state.counters["articles"] = double(data.articles);
  state.counters["matches"] = double(matches);
}

void BM_NoMatch(benchmark::State& state) {
  bench::LoadedCapture& data = Capture();
  const int64_t which = state.range(0);
  const SearchCondition c = which == 3   ? Condition(1, "ARCHIVEEND")
                            : which == 4 ? Condition(1, ".*ARCHIVEEND")
                                         : Condition(which, "見つからない言葉");
  TAWKStr awk;
  for (auto _ : state) {
    const TArticleMatcher matcher(c, data.process->Members, data.log, awk);
    const SearchHit hit =
        FindSearchMatch(data.process->Boards, ArticleSortTree, -1, -1, true, false, matcher);
    benchmark::DoNotOptimize(hit);
  }
  state.counters["articles"] = double(data.articles);
}

BENCHMARK(BM_WalkAllMatches)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoMatch)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn

BENCHMARK_MAIN();
