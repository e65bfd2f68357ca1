// Times TNifty::AnalyzeLog on a generated Nifty-Serve capture (board headers, article header
// pairs, replies, coloured lines, mails, notices, Shift-JIS bodies), against the bare walk that
// every analysis pays: each line read and stripped of escape sequences.
//
//   bench_nifty_analyze [--articles=N] [benchmark options, e.g. --benchmark_repetitions=9]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "analysis/LogList.h"
#include "analysis/Nifty.h"
#include "platform/Cp932.h"

namespace {

long gArticles = 50000;

std::string Handle16(const std::string& handle) {
  std::string h = handle;
  if (h.size() < 16) h.append(16 - h.size(), ' ');
  return h;
}

void Generate(vorn::TLogList& log, long articles) {
  using vorn::Cp932;
  std::mt19937 rng(19990730);
  const std::string handles[4] = {Cp932("たろう"), Cp932("はなこ"), Cp932("じろう"),
                                  Cp932("さぶろう")};
  const std::string words[6] = {Cp932("メモリ"),     Cp932("増設"), Cp932("について"),
                                Cp932("ありがとう"), "abc",         Cp932("ございました。")};
  const std::string prompt = Cp932("電子会議 (1:読む 2:書く 3:検索 E:終了) >RE");
  const std::string comment = Cp932("へのコメント");
  char buf[256];
  int board = 0;
  for (long a = 0; a < articles; ++a) {
    if (a % 500 == 250) {
      // The user reads mail and goes back to the forum.
      log.AddLine(prompt);
      log.AddLine("MAIL>REA");
      std::snprintf(buf, sizeof buf, " 1  %sABC%05d          99/07/%02d %02d:%02d",
                    Handle16(handles[rng() % 4]).c_str(), int(rng() % 100000), int(rng() % 28 + 1),
                    int(rng() % 24), int(rng() % 60));
      log.AddLine(buf);
      log.AddLine(Cp932("    題名：お知らせ"));
      log.AddLine("");
      log.AddLine(words[rng() % 6] + words[rng() % 6]);
      log.AddLine(Cp932("受信後 (1:削除 2:保存 3:返信 E:終了) >"));
      log.AddLine(Cp932("－－メールが　１通届いています（未読分　１通）－－"));
    }
    if (a % 200 == 0 || a % 500 == 250) {
      if (a % 200 == 0) board = int(rng() % 20) + 1;
      std::snprintf(buf, sizeof buf, "- FORUM%02d MES(%02d):", board, board);
      log.AddLine(Cp932("＞") + buf + Cp932("会議室 (1/2) -"));
      log.AddLine(prompt);
    }
    const int number = int(a % 99999) + 1;
    std::snprintf(buf, sizeof buf, "%05d/%05d DEF%05d  %s ", number, number + 10, int(rng() % 5000),
                  Handle16(handles[rng() % 4]).c_str());
    std::string header = std::string(buf) + words[rng() % 6] + words[rng() % 6];
    if (rng() % 8 == 0) header = "\x1b[33m" + header + "\x1b[m";
    log.AddLine(header);
    std::snprintf(buf, sizeof buf, "(%02d)   99/07/%02d %02d:%02d", board, int(a / 3000 % 28 + 1),
                  int(a / 60 % 24), int(a % 60));
    std::string second = buf;
    if (rng() % 2) {
      std::snprintf(buf, sizeof buf, "  %05d", number > 1 ? number - 1 : 1);
      second += buf + comment;
    }
    log.AddLine(second);
    log.AddLine("");
    const int body = 3 + int(rng() % 10);
    for (int b = 0; b < body; ++b) {
      std::string line = Cp932("　");
      for (int w = int(rng() % 8); w > 0; --w)
        line += words[rng() % 6];
      if (rng() % 16 == 0) line = "\x1b[31m" + line + "\x1b[m";
      log.AddLine(line);
    }
    log.AddLine(rng() % 4 ? std::string() : prompt);
  }
}

struct Fixture {
  Fixture() {
    char pattern[] = "/tmp/bench_niftyXXXXXX";
    dir = mkdtemp(pattern);
    std::ofstream(dir + "/nifty.ini", std::ios::binary)
        << "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NIF\"\r\nMemberAutoAdd=1\r\n";
    process = std::make_unique<vorn::TNifty>(dir + "/nifty.ini", dir + "/nifdef.ini");
    process->Settings->SelectNet(0);
    Generate(log, gArticles);
    log.AddLine(process->Settings->LogEndLine);
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
  std::string dir;
  std::unique_ptr<vorn::TNifty> process;
  vorn::TLogList log{524288, 51200};
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void BM_AnalyzeLog(benchmark::State& state) {
  Fixture& f = Data();
  vorn::TLogList systemLog(32768, 1024);
  for (auto _ : state) {
    state.PauseTiming();
    f.process->ClearData();
    systemLog.Clear();
    state.ResumeTiming();
    if (!f.process->AnalyzeLog(0, f.log, systemLog, 0)) state.SkipWithError("analysis failed");
  }
  // What the analysis found, so that a faster run that finds less is seen.
  long articles = 0;
  for (int32_t b = 0; b < f.process->Boards.Count(); ++b)
    articles += f.process->Boards.GetArticles(b)->Count();
  state.counters["entries"] = double(articles);
  state.counters["lines"] = f.log.Count();
  state.counters["lines/s"] =
      benchmark::Counter(double(f.log.Count()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AnalyzeLog)->Unit(benchmark::kMillisecond);

void BM_StripOnly(benchmark::State& state) {
  Fixture& f = Data();
  std::string text;
  for (auto _ : state) {
    size_t bytes = 0;
    for (int32_t l = 0; l < f.log.Count(); ++l) {
      vorn::PrepareNiftyLine(f.log.LineView(l), text);
      bytes += text.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["lines/s"] =
      benchmark::Counter(double(f.log.Count()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_StripOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--articles=", 11) == 0) {
      gArticles = std::atol(argv[i] + 11);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
