// Patterns whose search, tried from one start after another, reads the rest of a line again for
// every start (".+X", "漢+字", ...), against ordinary patterns: on single lines of 100 KB and
// 1 MB, and as the search command walks a generated 1,000,000-line capture from its first article
// to its last without a match.
//
//   bench_regex_long_lines [--runs N] [--before PROGRAM] [--timeout SECONDS] [--only TEXT]
//
// Each run is a fresh process of this program that times one search by the processor time it
// takes (the capture is written once, and loaded by each run before its clock starts). --before
// names this program built against another engine (an earlier commit, in a build folder of its
// own); its runs alternate with this one's in the same invocation, and the medians of both and
// their ratio are printed. A search stopped at the timeout (20 s of processor time by default)
// is printed as "> N s" and not repeated.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "analysis/ArticleSearch.h"
#include "platform/Cp932.h"
#include "regex/AWKStr.h"
#include "search/LoadedCapture.h"

namespace vorn {
namespace {

constexpr int64_t kCaptureLines = 1000000;

struct Case {
  std::string name;
  std::string where;    // "100KB", "1MB" or "capture"
  std::string pattern;  // UTF-8
  bool fuzzy;
  std::string unit;  // the line: this, repeated (empty: ordinary text)
  bool match;        // Match (where the match is) rather than Contains (whether there is one)
};

std::vector<Case> Cases() {
  // Each on a line that holds no match, so that every start is tried.
  struct Pattern {
    const char* pattern;
    bool fuzzy;
    const char* unit;
  };
  const std::vector<Pattern> adversarial = {
      {".+X", false, "a"},          {"漢+字", false, "漢"}, {"[^X]+X", false, "a"},
      {"(漢|字)+X", false, "漢字"}, {"(ab)+X", true, "ab"}, {"亜亜*Z", false, "亜"},
  };
  const std::vector<Pattern> ordinary = {
      {"X", false, ""}, {".*X", false, ""}, {"オフ会に参加", false, ""}, {"ARCHIVEEND", true, ""}};
  const auto named = [](const char* what, const Pattern& p) {
    return std::string(what) + " " + p.pattern + (p.fuzzy ? " fuzzy" : "");
  };
  std::vector<Case> cases;
  for (const char* where : {"100KB", "1MB"}) {
    for (const auto* patterns : {&adversarial, &ordinary}) {
      for (const Pattern& p : *patterns) {
        cases.push_back({named("contains", p), where, p.pattern, p.fuzzy, p.unit, false});
        cases.push_back({named("match", p), where, p.pattern, p.fuzzy, p.unit, true});
      }
    }
  }
  for (const Pattern& p : adversarial)
    cases.push_back({named("search", p), "capture", p.pattern, p.fuzzy, "", false});
  for (const Pattern& p : std::vector<Pattern>{{".+ARCHIVEEND", false, ""},
                                               {".*ARCHIVEEND", false, ""},
                                               {"ARCHIVEEND", false, ""},
                                               {"ARCHIVEEND", true, ""},
                                               {"見つからない言葉", false, ""}}) {
    cases.push_back({named("search", p), "capture", p.pattern, p.fuzzy, "", false});
  }
  return cases;
}

std::string LongLine(const Case& c) {
  const size_t bytes = c.where == "1MB" ? size_t{1} << 20 : 100 * size_t{1024};
  const std::string unit =
      c.unit.empty() ? Cp932("今日は晴れでした。プログラムの話ですが、オフ会に行きます。abc 123 ")
                     : Cp932(c.unit.c_str());
  std::string line;
  line.reserve(bytes + unit.size());
  while (line.size() < bytes)
    line += unit;
  return line;
}

// The processor time this thread, the only one, has used, in seconds: the machine may be shared,
// and a search is timed by its own work. (The process clock stops short once a limit is set on
// it.)
double CpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Ends this process (SIGXCPU) once the search has used `seconds` of processor time.
void LimitSearchTime(int seconds) {
  const auto used = rlim_t(CpuSeconds()) + 1;
  const rlimit limit{used + rlim_t(seconds), used + rlim_t(seconds) + 1};
  ::setrlimit(RLIMIT_CPU, &limit);
}

// One search of the case, timed; prints the milliseconds and what it found.
int RunOne(const Case& c, const std::string& captureFolder, int timeout) {
  TAWKStr awk;
  awk.SetUseFuzzyCharDic(c.fuzzy);
  awk.SetUseSynonymDic(c.fuzzy);
  if (c.where != "capture") {
    awk.SetRegExp(Cp932(c.pattern.c_str()));
    const std::string line = LongLine(c);
    LimitSearchTime(timeout);
    // A search that takes less than a tenth of a second is repeated, up to nine times; the
    // median of them counts (the first also makes the search's states).
    std::vector<double> ms;
    int found = 0;
    for (double spent = 0; ms.size() < 9 && spent < 0.1;) {
      const double start = CpuSeconds();
      found = c.match ? awk.Match(line) : int(awk.Contains(line));
      ms.push_back((CpuSeconds() - start) * 1000);
      spent += ms.back() / 1000;
    }
    std::printf("%.3f %d\n", bench::Median(ms), found);
    return 0;
  }
  bench::LoadedCapture data(captureFolder);
  SearchCondition condition;
  condition.WordCheckType = true;
  condition.AwkFuzzy = c.fuzzy;
  condition.SearchWord = Cp932(c.pattern.c_str());
  LimitSearchTime(timeout);
  const double start = CpuSeconds();
  const TArticleMatcher matcher(condition, data.process->Members, data.log, awk);
  const SearchHit hit =
      FindSearchMatch(data.process->Boards, ArticleSortTree, -1, -1, true, false, matcher);
  std::printf("%.3f %d\n", (CpuSeconds() - start) * 1000, hit.Found() ? 1 : 0);
  return 0;
}

struct Timing {
  std::vector<double> ms;
  bool stopped = false;  // a run reached the timeout
  std::string found;
};

void Measure(const std::string& program, const Case& c, const std::string& captureFolder,
             int timeout, Timing& timing) {
  if (timing.stopped) return;
  const bench::ChildResult child =
      bench::RunChild({program, "--child", c.name, c.where, "--capture", captureFolder, "--timeout",
                       std::to_string(timeout)},
                      program + " " + c.where + " " + c.name);
  double ms = 0;
  char found[16] = "";
  if (!child.ok || std::sscanf(child.output.c_str(), "%lf %15s", &ms, found) != 2) {
    timing.stopped = true;
    return;
  }
  timing.ms.push_back(ms);
  timing.found = found;
}

std::string Shown(const Timing& t, int timeout) {
  char text[32];
  if (t.ms.empty()) {
    std::snprintf(text, sizeof text, t.stopped ? "> %d s" : "-", timeout);
  } else {
    std::snprintf(text, sizeof text, "%.3f", bench::Median(t.ms));
  }
  return text;
}

int Main(int argc, char** argv) {
  int runs = 5;
  int timeout = 20;
  std::string before;
  std::string only;
  std::string captureFolder;
  std::string childName, childWhere;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--runs") {
      runs = std::max(1, std::atoi(value().c_str()));
    } else if (arg == "--before") {
      before = value();
    } else if (arg == "--timeout") {
      timeout = std::max(1, std::atoi(value().c_str()));
    } else if (arg == "--only") {
      only = value();
    } else if (arg == "--capture") {
      captureFolder = value();
    } else if (arg == "--child") {
      childName = value();
      childWhere = value();
    } else {
      std::fprintf(stderr,
                   "usage: %s [--runs N] [--before PROGRAM] [--timeout SECONDS] [--only TEXT]\n",
                   argv[0]);
      return 2;
    }
  }
  const std::vector<Case> cases = Cases();
  if (!childName.empty()) {
    for (const Case& c : cases) {
      if (c.name == childName && c.where == childWhere) return RunOne(c, captureFolder, timeout);
    }
    std::fprintf(stderr, "no case %s %s\n", childWhere.c_str(), childName.c_str());
    return 2;
  }

  bench::ScratchFolder folder;
  bool wantsCapture = false;
  for (const Case& c : cases)
    wantsCapture |=
        c.where == "capture" && (c.name + " " + c.where).find(only) != std::string::npos;
  if (wantsCapture) bench::LoadedCapture::Write(folder.path, kCaptureLines);
  const std::string self =
      std::string(argv[0]).find('/') == std::string::npos ? "/proc/self/exe" : std::string(argv[0]);
  std::printf("processor time of one search, median of %d runs, in milliseconds\n", runs);
  std::printf("%-8s %-34s %12s %12s %10s  found\n", "text", "search", "after",
              before.empty() ? "" : "before", before.empty() ? "" : "ratio");
  for (const Case& c : cases) {
    if ((c.name + " " + c.where).find(only) == std::string::npos) continue;
    Timing after, earlier;
    for (int r = 0; r < runs; ++r) {
      Measure(self, c, folder.path, timeout, after);
      if (!before.empty()) Measure(before, c, folder.path, timeout, earlier);
    }
    std::string ratio;
    if (!before.empty() && !after.ms.empty()) {
      char text[32];
      const double a = bench::Median(after.ms);
      if (!earlier.ms.empty()) {
        std::snprintf(text, sizeof text, "%.1f", bench::Median(earlier.ms) / a);
      } else if (earlier.stopped) {
        std::snprintf(text, sizeof text, "> %.0f", timeout * 1000.0 / a);
      }
      ratio = text;
    }
    std::printf("%-8s %-34s %12s %12s %10s  %s%s\n", c.where.c_str(), c.name.c_str(),
                Shown(after, timeout).c_str(),
                before.empty() ? "" : Shown(earlier, timeout).c_str(), ratio.c_str(),
                after.found.c_str(),
                !earlier.found.empty() && earlier.found != after.found ? " (before: differs)" : "");
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace
}  // namespace vorn

int main(int argc, char** argv) {
  return vorn::Main(argc, argv);
}
