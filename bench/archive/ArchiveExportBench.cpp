// Exports a generated NetVorn-family capture of about 1,000,000 lines in each archive format,
// each run in a fresh process (load, then export, as vornexpl-cli export does), and prints the
// median export time, the bytes written, and the peak memory (getrusage maxrss) after the load
// and after the export: the export streams, so the second may exceed the first by little.
//   archive_export_bench [--lines N] [--runs R] [--seed S] [--keep FOLDER]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/NetVornLogGenerator.h"
#include "analysis/Nifty.h"
#include "archive/ArchiveExport.h"
#include "platform/TextFile.h"
#include "settings/CommonIniFile.h"

namespace {

namespace fs = std::filesystem;

const char kNetVornIni[] =
    "[Common]\r\nNetCount=0\r\n\r\n"
    "[Net0]\r\nPrefix=\"NET\"\r\nName=\"Archive bench\"\r\nLogMask=\"NET*.LOG\"\r\n"
    "BoardListFile=\"NET.BRD\"\r\nMemberListFile=\"NET.MEM\"\r\nUpFile=\"NET.UP\"\r\n"
    "PadFile=\"NET.PAD\"\r\nReadPtrFile=\"NET.PTR\"\r\n";

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long MaxRssKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The child: one load and one export. Prints "load_s export_s rss_after_load_kb
// rss_after_export_kb articles files bytes undecoded".
int ExportOnce(const std::string& folder, const std::string& file, const std::string& format,
               const std::string& out) {
  using namespace vorn;
  ArchiveFormat archiveFormat;
  if (!ParseArchiveFormat(format, archiveFormat)) return 2;
  TNetVorn netVorn(folder + "netvorn.ini", folder + "vorndef.ini");
  TNifty nifty(folder + "nifty.ini", folder + "nifdef.ini");
  TLogSession session({&netVorn, &nifty});
  session.SettingsFolder = folder;
  const TCommonIniFile common(folder + "vornexpl.ini");
  auto start = std::chrono::steady_clock::now();
  if (!session.LoadLogFiles({file}, "NET", false).Loaded()) return 3;
  const double loadSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long afterLoad = MaxRssKb();

  ArchiveRequest request;
  request.Process = session.CurrentProcess;
  request.Log = &session.LogList;
  request.Prefix = "NET";
  request.SetName = "Archive bench";
  request.Format = archiveFormat;
  request.Folder = out;
  request.Options = ArchiveOptionsFrom(common);
  start = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  const ArchiveResult result = ExportArchive(request);
  const double exportSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double exportCpu = CpuSeconds() - cpuStart;
  if (result.Result != ArchiveResult::Done) return 4;
  uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(out))
    bytes += entry.file_size();
  std::printf("%.6f %.6f %.6f %ld %ld %lld %d %llu %lld\n", loadSeconds, exportSeconds, exportCpu,
              afterLoad, MaxRssKb(), static_cast<long long>(result.Articles), result.Files,
              static_cast<unsigned long long>(bytes),
              static_cast<long long>(result.UndecodedBytes));
  return 0;
}

struct Run {
  bool ok = false;
  double loadSeconds = 0, exportSeconds = 0, exportCpu = 0;
  long afterLoadKb = 0, afterExportKb = 0;
  long long articles = 0, files = 0, bytes = 0, undecoded = 0;
};

Run RunChild(const std::string& self, const std::string& folder, const std::string& file,
             const char* format, const std::string& out) {
  Run run;
  const vorn::bench::ChildResult child =
      vorn::bench::RunChild({self, "--export", folder, file, format, out}, format);
  if (!child.ok) return run;
  run.ok =
      std::sscanf(child.output.c_str(), "%lf %lf %lf %ld %ld %lld %lld %lld %lld", &run.loadSeconds,
                  &run.exportSeconds, &run.exportCpu, &run.afterLoadKb, &run.afterExportKb,
                  &run.articles, &run.files, &run.bytes, &run.undecoded) == 9;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "--export") == 0)
    return ExportOnce(argv[2], argv[3], argv[4], argv[5]);

  int64_t lineCount = 1000000;
  int runs = 5;
  uint32_t seed = 7;
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--lines") {
      lineCount = std::atoll(argv[i + 1]);
    } else if (option == "--runs") {
      runs = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--seed") {
      seed = static_cast<uint32_t>(std::atoll(argv[i + 1]));
    } else if (option == "--keep") {
      keep = argv[i + 1];
    } else {
      std::fprintf(stderr,
                   "usage: archive_export_bench [--lines N] [--runs R] [--seed S] [--keep DIR]\n");
      return 2;
    }
  }
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string folder = keep;
  if (folder.empty()) {
    std::string pattern = (fs::temp_directory_path() / "vornarchive-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    folder = pattern;
  }
  fs::create_directories(folder);
  folder += "/";
  const std::string file = folder + "NET00000001.LOG";
  {
    const std::string log = vorn::bench::NetVornLogGenerator(seed).Generate(lineCount);
    if (!vorn::WriteFileAtomic(folder + "netvorn.ini", kNetVornIni) ||
        !vorn::WriteFileAtomic(file, log)) {
      std::fprintf(stderr, "cannot write under %s\n", folder.c_str());
      return 1;
    }
    std::printf("generated %lld lines (seed %u): %.1f MB; %d runs of each format\n",
                static_cast<long long>(lineCount), seed, log.size() / 1048576.0, runs);
  }
  std::printf("%-6s %9s %9s %9s %12s %12s %10s %9s %6s %10s\n", "format", "export s", "cpu s",
              "load s", "peak load", "peak export", "difference", "articles", "files", "output");
  int status = 0;
  for (const char* format : {"jsonl", "mbox", "html"}) {
    std::vector<Run> done;
    for (int r = 0; r < runs; ++r) {
      const std::string out = folder + "out-" + format;
      fs::remove_all(out);
      const Run run = RunChild(self, folder, file, format, out);
      fs::remove_all(out);
      if (!run.ok) {
        status = 1;
        break;
      }
      done.push_back(run);
    }
    if (done.empty()) continue;
    std::vector<double> exportSeconds, exportCpu, loadSeconds;
    std::vector<long> afterLoad, afterExport, difference;
    for (const Run& run : done) {
      exportSeconds.push_back(run.exportSeconds);
      exportCpu.push_back(run.exportCpu);
      loadSeconds.push_back(run.loadSeconds);
      afterLoad.push_back(run.afterLoadKb);
      afterExport.push_back(run.afterExportKb);
      difference.push_back(run.afterExportKb - run.afterLoadKb);
    }
    std::printf("%-6s %9.3f %9.3f %9.3f %9.1f MB %9.1f MB %7.1f MB %9lld %6lld %7.1f MB\n", format,
                vorn::bench::Median(exportSeconds), vorn::bench::Median(exportCpu),
                vorn::bench::Median(loadSeconds), vorn::bench::Median(afterLoad) / 1024.0,
                vorn::bench::Median(afterExport) / 1024.0,
                *std::max_element(difference.begin(), difference.end()) / 1024.0, done[0].articles,
                done[0].files, done[0].bytes / 1048576.0);
  }
  std::printf(
      "(medians; export s: wall time of the export, cpu s: its user and system time; difference:\n"
      " peak after the export less peak after the load, the largest of the runs; the limits are\n"
      " 2 s and 32 MB)\n");
  if (keep.empty()) fs::remove_all(folder);
  return status;
}
