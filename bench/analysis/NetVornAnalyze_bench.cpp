// Reading, analysing and sorting generated NetVorn captures, as the loader does it.
//
//   bench_netvorn_analyze --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
//
// BM_ReadAnalyseSort/<lines>: the log file read into the line store, the set's end line
//   appended, the analyser cleared, the log analysed and every board sorted.
// BM_Analyse/<lines>: AnalyzeLog alone on a log already in memory.
// BM_Sort/<lines>: SortData alone after an analysis (boards, members, article trees).

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "analysis/NetVornLogGenerator.h"

namespace vorn {
namespace {

// A settings folder with the default set and a generated log of the given size, made once per
// size and removed at exit.
class Workspace {
 public:
  explicit Workspace(int64_t lines) {
    char tmpl[] = "/tmp/vornbench-XXXXXX";
    folder_ = ::mkdtemp(tmpl);
    std::ofstream(folder_ + "/netvorn.ini", std::ios::binary)
        << "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Bench\"\r\n";
    log_ = folder_ + "/NET" + std::to_string(lines) + ".LOG";
    std::ofstream(log_, std::ios::binary) << bench::NetVornLogGenerator(7).Generate(lines);
  }
  ~Workspace() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::unique_ptr<TNetVorn> Process() const {
    auto process = std::make_unique<TNetVorn>(folder_ + "/netvorn.ini", folder_ + "/vorndef.ini");
    process->Settings->SelectNet(0);
    return process;
  }
  const std::string& Log() const { return log_; }

 private:
  std::string folder_;
  std::string log_;
};

const Workspace& WorkspaceFor(int64_t lines) {
  static std::map<int64_t, std::unique_ptr<Workspace>> made;
  auto& slot = made[lines];
  if (!slot) slot = std::make_unique<Workspace>(lines);
  return *slot;
}

void Load(TNetVorn& process, TLogList& log, TLogList& systemLog, const std::string& file) {
  log.Clear();
  systemLog.Clear();
  log.LoadFromFile(file);
  log.AddLine(process.Settings->LogEndLine);
  process.ClearData();
}

void BM_ReadAnalyseSort(benchmark::State& state) {
  const Workspace& ws = WorkspaceFor(state.range(0));
  auto process = ws.Process();
  TLogList log(524288, 51200);
  TLogList systemLog(32768, 1024);
  for (auto _ : state) {
    Load(*process, log, systemLog, ws.Log());
    process->AnalyzeLog(0, log, systemLog, 0);
    process->SortData();
  }
  state.counters["lines"] = log.Count();
}

void BM_Analyse(benchmark::State& state) {
  const Workspace& ws = WorkspaceFor(state.range(0));
  auto process = ws.Process();
  TLogList log(524288, 51200);
  TLogList systemLog(32768, 1024);
  Load(*process, log, systemLog, ws.Log());
  for (auto _ : state) {
    state.PauseTiming();
    process->ClearData();
    systemLog.Clear();
    state.ResumeTiming();
    process->AnalyzeLog(0, log, systemLog, 0);
  }
  int64_t articles = 0;
  for (int32_t b = 0; b < process->Boards.Count(); ++b)
    articles += process->Boards.GetArticles(b)->Count();
  state.counters["lines"] = log.Count();
  state.counters["articles"] = static_cast<double>(articles);
}

void BM_Sort(benchmark::State& state) {
  const Workspace& ws = WorkspaceFor(state.range(0));
  auto process = ws.Process();
  TLogList log(524288, 51200);
  TLogList systemLog(32768, 1024);
  Load(*process, log, systemLog, ws.Log());
  for (auto _ : state) {
    state.PauseTiming();
    process->ClearData();
    systemLog.Clear();
    process->AnalyzeLog(0, log, systemLog, 0);
    state.ResumeTiming();
    process->SortData();
  }
}

BENCHMARK(BM_ReadAnalyseSort)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analyse)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn

BENCHMARK_MAIN();
