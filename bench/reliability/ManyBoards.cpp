// How the cost of a load grows with the number of boards: captures of 10,000 to 300,000 boards
// with one article each (about 120 bytes a board, 36 MB at 300,000), and a board list file of
// as many boards read at the start of a load of a one-board capture. Each load runs in a fresh
// process; printed are the median load time and the median peak memory (getrusage maxrss of
// that process), the boards and articles loaded (every board has one article: an article count
// below the boards' tells of articles lost), and the time per 1,000 boards, which stays flat
// when the cost grows linearly.
//   many_boards [--runs R] [--sizes N,N,...] [--keep FOLDER]
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
#include "LoadInChild.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "platform/Cp932.h"
#include "platform/TextFile.h"

namespace {

const char kNetVornIni[] =
    "[Common]\r\nNetCount=0\r\n\r\n"
    "[Net0]\r\nPrefix=\"NET\"\r\nName=\"Boards\"\r\nLogMask=\"NET*.LOG\"\r\n"
    "BoardListFile=\"NET.BRD\"\r\nMemberListFile=\"NET.MEM\"\r\nUpFile=\"NET.UP\"\r\n"
    "PadFile=\"NET.PAD\"\r\nReadPtrFile=\"NET.PTR\"\r\n";

// A capture of the boards first .. last, each with its title line and one article, as the
// default templates read them.
std::string Capture(int first, int last) {
  using vorn::Cp932;
  const std::string open = Cp932("｢"), close = Cp932("｣"), board = Cp932("板");
  const std::string header = Cp932(" 99/07/30 12:34 題"), footer = Cp932("  1 lines 1024:たろう ");
  const std::string body = Cp932("本文"), end = Cp932("読み終わりました");
  std::string out = "ATDT0312345678\r\nCONNECT 9600\r\n";
  out.reserve(static_cast<size_t>(last - first + 1) * 130);
  for (int b = first; b <= last; ++b) {
    const std::string n = std::to_string(b);
    out += "Command (?:" + n + "\r\nNo." + n + " " + open + board + n + close + "\r\n\r\n-\t\r\n";
    out += "b" + n + "(1/1)" + header + "\r\n" + footer + "\r\n" + body + "\r\n" + end + "\r\n";
  }
  return out;
}

std::string BoardList(int count) {
  std::string out = "VornExplorer BoardListFile Ver.0.01\r\n";
  out.reserve(static_cast<size_t>(count) * 40);
  for (int b = 1; b <= count; ++b) {
    const std::string n = std::to_string(b);
    out += n + ",\"b" + n + "\",\"" + vorn::Cp932("板") + n + "\",1,0,0\r\n";
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--load") == 0)
    return vorn::bench::LoadOnce(argv[2], argv[3]);

  int runs = 5;
  std::vector<int> sizes{10000, 20000, 40000, 100000, 300000};
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") {
      runs = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--sizes") {
      sizes.clear();
      for (const char* p = argv[i + 1]; *p;) {
        sizes.push_back(std::max(1, std::atoi(p)));
        p = std::strchr(p, ',');
        if (!p) break;
        ++p;
      }
    } else if (option == "--keep") {
      keep = argv[i + 1];
    } else {
      std::fprintf(stderr, "usage: many_boards [--runs R] [--sizes N,N,...] [--keep DIR]\n");
      return 2;
    }
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string root = keep;
  if (root.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornboards-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    root = pattern;
  }

  std::printf("%-26s %5s %9s %13s %8s %9s %16s\n", "variant", "runs", "median s", "peak MB(med)",
              "boards", "articles", "ms per 1000 b.");
  bool failed = false;
  for (const int size : sizes) {
    // One folder per variant: the capture alone, and the board list with a one-board capture.
    struct Variant {
      std::string name, folder, log, logBytes, listBytes;
    };
    const std::string n = std::to_string(size);
    std::vector<Variant> variants = {
        {"capture of " + n + " boards", root + "/capture" + n + "/", "NET00000001.LOG",
         Capture(1, size), ""},
        {"board list of " + n, root + "/list" + n + "/", "NET00000001.LOG", Capture(1, 1),
         BoardList(size)},
    };
    for (Variant& v : variants) {
      std::filesystem::create_directories(v.folder);
      if (!vorn::WriteFileAtomic(v.folder + "netvorn.ini", kNetVornIni) ||
          !vorn::WriteFileAtomic(v.folder + v.log, v.logBytes) ||
          (!v.listBytes.empty() && !vorn::WriteFileAtomic(v.folder + "NET.BRD", v.listBytes))) {
        std::fprintf(stderr, "cannot write under %s\n", v.folder.c_str());
        return 1;
      }
      std::vector<double> seconds;
      std::vector<long> rss;
      vorn::bench::LoadRun last;
      for (int r = 0; r < runs; ++r) {
        last = vorn::bench::RunLoad(self, v.folder, v.folder + v.log);
        if (!last.ok) {
          failed = true;
          break;
        }
        seconds.push_back(last.seconds);
        rss.push_back(last.maxRssKb);
      }
      if (seconds.empty()) continue;
      const double median = vorn::bench::Median(seconds);
      std::printf("%-26s %5zu %9.3f %13.1f %8lld %9lld %16.2f\n", v.name.c_str(), seconds.size(),
                  median, vorn::bench::Median(rss) / 1024.0, last.boards, last.articles,
                  1000.0 * median / (size / 1000.0));
      std::fflush(stdout);
    }
  }
  if (keep.empty()) std::filesystem::remove_all(root);
  return failed ? 1 : 0;
}
