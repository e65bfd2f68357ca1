// Searches one million generated log lines (Japanese and ASCII, seeded) with a set of patterns,
// through TAWKStr and, for the ASCII patterns, std::regex (ECMAScript, regex_search) and RE2
// (Latin-1, longest match) in the same run, then prints the medians and their ratios.
//   bench_regex [--lines=N] [google benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cp932.h"
#include "regex/AWKStr.h"

#ifdef VORN_HAVE_RE2
#include <re2/re2.h>
#endif

namespace {

using vorn::Cp932;

// --- The log -------------------------------------------------------------------------------

struct Log {
  std::string bytes;
  std::vector<std::pair<uint32_t, uint32_t>> lines;  // offset, length
  std::string_view Line(size_t i) const {
    return std::string_view(bytes).substr(lines[i].first, lines[i].second);
  }
};

std::vector<std::string> ToCp932(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* s : utf8)
    out.push_back(Cp932(s));
  return out;
}

Log MakeLog(size_t lineCount) {
  // Several words end in a 0x5C byte (ソ, 表, 能, 予) or hold trail bytes that are ASCII letters
  // (katakana), as real logs do.
  const auto japanese = ToCp932(
      {"今日",       "は",       "掲示板",     "の",         "記事",     "を",       "読み",
       "ました",     "ファイル", "ありがとう", "ございます", "よろしく", "お願い",   "します",
       "パソコン",   "通信",     "ソフト",     "について",   "質問",     "です",     "返事",
       "が",         "遅れて",   "すみません", "ﾊﾟｿｺﾝ",      "テスト",   "会議室",   "ボード",
       "メール",     "ネット",   "ゲーム",     "表示",       "能力",     "予定",     "、",
       "。",         "「",       "」",         "もう一度",   "送って",   "ください", "新しい",
       "バージョン", "ｶﾞｲﾄﾞ",    "で",         "と",         "から",     "まで"});
  const auto download = ToCp932({"ダウンロード", "だうんろーど", "ﾀﾞｳﾝﾛｰﾄﾞ", "ダウンロ−ド"});
  const auto handles = ToCp932({"たろう", "ＨＡＮＡＫＯ", "KEN", "じろう", "ﾐｶ", "sysop", "ゆうこ",
                                "GUEST", "さくら", "POCO"});
  const std::vector<std::string> ascii = {
      "file", "transfer", "complete", "bytes", "modem", "9600bps", "LZH",  "ZIP",  "ok",   "upload",
      "list", "read",     "mail",     "board", "new",   "BBS",     "host", "line", "login"};
  const std::vector<std::string> trouble = {"error", "timeout", "failed", "download"};
  const std::vector<std::string> levels = {"INFO", "INFO", "INFO", "WARN", "NOTE"};

  std::mt19937 rng(20240527);
  const auto pick = [&](size_t n) { return size_t(rng() % n); };
  const auto pickFrom = [&](const std::vector<std::string>& v) -> const std::string& {
    return v[pick(v.size())];
  };
  Log log;
  log.bytes.reserve(lineCount * 72);
  log.lines.reserve(lineCount);
  std::string line;
  char buf[96];
  for (size_t i = 0; i < lineCount; ++i) {
    line.clear();
    const size_t kind = pick(100);
    if (kind < 15) {  // an article header
      std::snprintf(buf, sizeof buf, "#%05u %02u/%02u %02u:%02u ", unsigned(pick(100000)),
                    unsigned(1 + pick(12)), unsigned(1 + pick(28)), unsigned(pick(24)),
                    unsigned(pick(60)));
      line = buf;
      line += pickFrom(handles) + " ";
      if (pick(3) == 0) line += "Re:";
      for (size_t w = 2 + pick(4); w > 0; --w)
        line += pickFrom(japanese);
    } else if (kind < 25) {  // a system line of the host
      std::snprintf(buf, sizeof buf, "%02u:%02u:%02u [%s] ", unsigned(pick(24)), unsigned(pick(60)),
                    unsigned(pick(60)), pickFrom(levels).c_str());
      line = buf;
      for (size_t w = 3 + pick(5); w > 0; --w) {
        line += pick(12) == 0 ? pickFrom(trouble) : pickFrom(ascii);
        line += ' ';
      }
      std::snprintf(buf, sizeof buf, "%u", unsigned(pick(1000000)));
      line += buf;
    } else if (kind < 30) {  // a member line
      std::snprintf(buf, sizeof buf, "%c%c%c%05u ", char('A' + pick(26)), char('A' + pick(26)),
                    char('A' + pick(26)), unsigned(pick(100000)));
      line = buf;
      line += pickFrom(handles);
    } else if (kind < 35) {  // a quoted reply line
      line = "Re: ";
      for (size_t w = 3 + pick(6); w > 0; --w)
        line += pickFrom(japanese);
    } else {  // body text, mostly Japanese with some ASCII words
      for (size_t w = 6 + pick(18); w > 0; --w) {
        const size_t r = pick(100);
        if (r < 2) {
          line += pickFrom(download);
        } else if (r < 12) {
          line += pickFrom(ascii);
          line += ' ';
        } else if (r < 13) {
          line += pickFrom(trouble);
        } else {
          line += pickFrom(japanese);
        }
      }
    }
    log.lines.push_back({uint32_t(log.bytes.size()), uint32_t(line.size())});
    log.bytes += line;
  }
  return log;
}

const Log* gLog = nullptr;

// --- The patterns --------------------------------------------------------------------------

struct Pattern {
  const char* name;
  std::string pattern;  // CP932
  bool fuzzy;
  bool ascii;  // also run through std::regex and RE2
};

std::vector<Pattern> Patterns() {
  return {
      {"literal", "download", false, true},
      {"class_range", "[A-Z][A-Z][A-Z][0-9][0-9][0-9][0-9][0-9]", false, true},
      {"alternation", "error|timeout|failed", false, true},
      {"anchored", "^Re:", false, true},
      {"fuzzy_kana", Cp932("ダウンロード"), true, false},
  };
}

// --- The engines ---------------------------------------------------------------------------

void CountLines(benchmark::State& state, size_t matches) {
  state.counters["matching_lines"] = double(matches);
  state.counters["ns_per_line"] = benchmark::Counter(
      double(gLog->lines.size()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetBytesProcessed(int64_t(gLog->bytes.size()) * int64_t(state.iterations()));
}

void RunVorn(benchmark::State& state, const Pattern& p) {
  vorn::TAWKStr awk;
  awk.SetUseFuzzyCharDic(p.fuzzy);
  awk.SetRegExp(p.pattern);
  size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (size_t i = 0; i < gLog->lines.size(); ++i) {
      int position = 0, length = 0;
      if (awk.Match(gLog->Line(i), position, length) > 0) ++matches;
    }
    benchmark::DoNotOptimize(matches);
  }
  CountLines(state, matches);
}

void RunStdRegex(benchmark::State& state, const Pattern& p) {
  const std::regex re(p.pattern, std::regex::ECMAScript);
  size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (size_t i = 0; i < gLog->lines.size(); ++i) {
      const std::string_view line = gLog->Line(i);
      if (std::regex_search(line.data(), line.data() + line.size(), re)) ++matches;
    }
    benchmark::DoNotOptimize(matches);
  }
  CountLines(state, matches);
}

#ifdef VORN_HAVE_RE2
void RunRe2(benchmark::State& state, const Pattern& p) {
  RE2::Options options;
  options.set_encoding(RE2::Options::EncodingLatin1);
  options.set_longest_match(true);
  options.set_log_errors(false);
  const RE2 re(p.pattern, options);
  if (!re.ok()) {
    state.SkipWithError("RE2 rejected the pattern");
    return;
  }
  size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (size_t i = 0; i < gLog->lines.size(); ++i) {
      const std::string_view line = gLog->Line(i);
      if (RE2::PartialMatch(re2::StringPiece(line.data(), line.size()), re)) ++matches;
    }
    benchmark::DoNotOptimize(matches);
  }
  CountLines(state, matches);
}
#endif

// --- Medians and ratios --------------------------------------------------------------------

class MedianReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        // CPU milliseconds per pass over the whole log: the machine may be shared, and
        // every engine here runs on one thread.
        medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
        if (const auto found = run.counters.find("matching_lines"); found != run.counters.end()) {
          matches[run.run_name.function_name] = int64_t(found->second.value);
        }
      }
    }
  }
  std::map<std::string, double> medians;
  std::map<std::string, int64_t> matches;  // lines with a match, to see the engines agree
};

}  // namespace

int main(int argc, char** argv) {
  size_t lineCount = 1000000;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--lines=", 8) == 0) {
      lineCount = size_t(std::strtoull(argv[i] + 8, nullptr, 10));
    } else {
      args.push_back(argv[i]);
    }
  }
  int benchArgc = int(args.size());
  benchmark::Initialize(&benchArgc, args.data());

  const Log log = MakeLog(lineCount);
  gLog = &log;
  std::printf("log: %zu lines, %zu bytes\n", log.lines.size(), log.bytes.size());

  const std::vector<Pattern> patterns = Patterns();
  std::vector<std::string> engines = {"vorn", "std_regex"};
#ifdef VORN_HAVE_RE2
  engines.push_back("re2");
#endif
  for (const Pattern& p : patterns) {
    const auto add = [&](const std::string& engine, auto fn, int repetitions) {
      benchmark::RegisterBenchmark((std::string(p.name) + "/" + engine).c_str(), fn, p)
          ->Iterations(1)
          ->Repetitions(repetitions)
          ->ReportAggregatesOnly(true)
          ->Unit(benchmark::kMillisecond);
    };
    add("vorn", RunVorn, 7);
    if (!p.ascii) continue;
    add("std_regex", RunStdRegex, 3);
#ifdef VORN_HAVE_RE2
    add("re2", RunRe2, 7);
#endif
  }

  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nmedian CPU ms per pass over %zu lines\n", log.lines.size());
  std::printf("%-12s %10s %10s %10s %16s %12s   %s\n", "pattern", "vorn", "std_regex", "re2",
              "std_regex/vorn", "vorn/re2", "matching lines (vorn std_regex re2)");
  for (const Pattern& p : patterns) {
    const auto median = [&](const std::string& engine) {
      const auto found = reporter.medians.find(std::string(p.name) + "/" + engine);
      return found == reporter.medians.end() ? -1.0 : found->second;
    };
    const double vorn = median("vorn");
    const double stdRegex = median("std_regex");
    const double re2 = median("re2");
    if (vorn < 0) continue;
    char stdCol[16] = "-", re2Col[16] = "-", stdRatio[16] = "-", re2Ratio[16] = "-";
    if (stdRegex > 0) {
      std::snprintf(stdCol, sizeof stdCol, "%.1f", stdRegex);
      std::snprintf(stdRatio, sizeof stdRatio, "%.1fx", stdRegex / vorn);
    }
    if (re2 > 0) {
      std::snprintf(re2Col, sizeof re2Col, "%.1f", re2);
      std::snprintf(re2Ratio, sizeof re2Ratio, "%.2fx", vorn / re2);
    }
    const auto matched = [&](const std::string& engine) {
      const auto found = reporter.matches.find(std::string(p.name) + "/" + engine);
      return found == reporter.matches.end() ? std::string("-") : std::to_string(found->second);
    };
    std::printf("%-12s %10.1f %10s %10s %16s %12s   %s %s %s\n", p.name, vorn, stdCol, re2Col,
                stdRatio, re2Ratio, matched("vorn").c_str(), matched("std_regex").c_str(),
                matched("re2").c_str());
  }
  return 0;
}
