// Times TLogList::LoadFromFile on a generated log of a million lines against `wc -l` on the same
// file, alternating the two in one run, and measures the load's peak memory in a fresh process.
//
//   bench_loglist_load [--lines N] [--runs R]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/LogList.h"

namespace {

using Clock = std::chrono::steady_clock;

// A capture of article listings: headers, Shift-JIS body lines of varied length, blank lines.
void GenerateLog(const std::string& path, long lines) {
  std::mt19937_64 rng(20240601);
  std::string out;
  out.reserve(size_t(lines) * 64);
  const char* kana = "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x83\x41\x83\x43\x93\xfa\x96\x7b";
  for (long i = 0; i < lines; ++i) {
    switch (rng() % 8) {
      case 0: {
        char header[96];
        std::snprintf(header, sizeof header, "%6ld 99/%02d/%02d %02d:%02d ID%05d  Re: topic %ld", i,
                      int(rng() % 12 + 1), int(rng() % 28 + 1), int(rng() % 24), int(rng() % 60),
                      int(rng() % 100000), i / 7);
        out += header;
        break;
      }
      case 1:
        break;  // blank line
      default: {
        const size_t chars = rng() % 40;
        for (size_t c = 0; c < chars; ++c) {
          if (rng() % 3) {
            out.append(kana + 2 * (rng() % 9), 2);
          } else {
            out += char('a' + rng() % 26);
          }
        }
      }
    }
    out += "\r\n";
  }
  std::ofstream(path, std::ios::binary).write(out.data(), std::streamsize(out.size()));
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

// In a fresh process: load the file once and print the resident memory before and the peak.
int PeakMode(const std::string& path) {
  // Load the code and data that any file access needs (the CP932 converter for the path), so
  // that only the store's own memory counts.
  vorn::TLogList warmUp(32768, 1024);
  warmUp.LoadFromFile(path + ".none");
  long before = StatusKb("VmRSS:");
  vorn::TLogList list(524288, 51200);
  int rc = list.LoadFromFile(path);
  long peak = StatusKb("VmHWM:");
  std::printf("%ld %ld %d %d\n", before, peak, rc, list.Count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = 1000000;
  int runs = 9;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--peak") return PeakMode(argv[i + 1]);
    if (a == "--lines") lines = std::atol(argv[i + 1]);
    if (a == "--runs") runs = std::atoi(argv[i + 1]);
  }
  char dirTemplate[] = "/tmp/vornbench-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const std::string dir = dirTemplate;
  const std::string file = dir + "/big.log";
  GenerateLog(file, lines);
  std::ifstream sizer(file, std::ios::binary | std::ios::ate);
  const double bytes = double(sizer.tellg());

  const std::string wc = "wc -l '" + file + "' > /dev/null";
  // What starting wc costs by itself, so that the comparison can be read both ways.
  const std::string wcEmpty = "wc -l /dev/null > /dev/null";
  std::vector<double> wcTimes, loadTimes, startTimes;
  int count = 0;
  for (int r = 0; r < runs + 1; ++r) {
    auto t0 = Clock::now();
    if (std::system(wc.c_str()) != 0) return 1;
    double w = Seconds(t0);
    auto t1 = Clock::now();
    {
      vorn::TLogList list(524288, 51200);
      if (list.LoadFromFile(file) != 0) return 1;
      count = list.Count();
    }
    double l = Seconds(t1);
    auto t2 = Clock::now();
    if (std::system(wcEmpty.c_str()) != 0) return 1;
    double s = Seconds(t2);
    if (r == 0) continue;  // the first round only warms the page cache
    wcTimes.push_back(w);
    loadTimes.push_back(l);
    startTimes.push_back(s);
  }

  long before = 0, peak = 0;
  int rc = -1, peakCount = 0;
  const std::string self = "'" + std::string(argv[0]) + "' --peak '" + file + "'";
  if (FILE* p = popen(self.c_str(), "r")) {
    if (std::fscanf(p, "%ld %ld %d %d", &before, &peak, &rc, &peakCount) != 4) rc = -1;
    pclose(p);
  }
  const double wcMedian = Median(wcTimes), loadMedian = Median(loadTimes);
  const double startMedian = Median(startTimes);
  const double peakGrowth = double(peak - before) * 1024.0;
  const double limit = 1.5 * bytes + 16.0 * 1024 * 1024;
  std::printf("file: %ld lines, %.1f MB (%d lines loaded)\n", lines, bytes / 1e6, count);
  std::printf("wc -l median:        %8.1f ms over %d runs\n", wcMedian * 1e3, runs);
  std::printf("LoadFromFile median: %8.1f ms  (%.2fx wc -l, target <= 3x)\n", loadMedian * 1e3,
              loadMedian / wcMedian);
  std::printf(
      "wc -l /dev/null median (starting wc alone): %.1f ms; without it LoadFromFile is "
      "%.2fx wc -l\n",
      startMedian * 1e3, loadMedian / std::max(1e-6, wcMedian - startMedian));
  std::printf("peak resident growth of the load: %.1f MB (limit 1.5 x file + 16 MB = %.1f MB)%s\n",
              peakGrowth / 1e6, limit / 1e6, rc == 0 ? "" : "  [peak run failed]");
  std::remove(file.c_str());
  rmdir(dir.c_str());
  return 0;
}
