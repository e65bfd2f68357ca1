// Reading the watched and ignored writers file (.wrl) that every load of a set reads: files of
// 10,000 to 1,000,000 writers, every other one watched, the rest ignored, each read afresh.
//
//   bench_writer_lists --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// BM_WriterListLoad/<writers>: one LoadFromFile of the file. The time per writer stays flat
// when reading grows linearly with the file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "platform/TextFile.h"
#include "threadview/WriterLists.h"

namespace vorn {
namespace {

// The file of a number of writers, written once per run of the program and removed at its end.
class WriterFiles {
 public:
  ~WriterFiles() {
    for (const auto& [count, path] : paths_)
      std::filesystem::remove(path);
  }
  const std::string& Of(int64_t count) {
    std::string& path = paths_[count];
    if (!path.empty()) return path;
    path = (std::filesystem::temp_directory_path() /
            ("vorn-writers-" + std::to_string(::getpid()) + "-" + std::to_string(count) + ".wrl"))
               .string();
    CrLfTextBuilder out;
    out.Line(WriterListFileHeader);
    for (int64_t id = 0; id < count; ++id)
      out.Line((id % 2 ? "Ignore,\"" : "Watch,\"") + std::to_string(id) + "\"");
    if (!out.WriteAtomic(path)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return path;
  }

 private:
  std::map<int64_t, std::string> paths_;
};

WriterFiles& Files() {
  static WriterFiles files;
  return files;
}

void BM_WriterListLoad(benchmark::State& state) {
  const std::string& path = Files().Of(state.range(0));
  for (auto _ : state) {
    TWriterLists lists;
    lists.LoadFromFile(path);
    benchmark::DoNotOptimize(lists.Watched().size() + lists.Ignored().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriterListLoad)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(80000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn

BENCHMARK_MAIN();
