// Loads a generated NetVorn-family capture of about 1,000,000 lines clean and damaged, each
// load in a fresh process, and prints the median load time and the peak memory (getrusage
// maxrss of that process) of each variant.
//   damaged_log_load [--lines N] [--runs R] [--seed S] [--keep FOLDER]
// Damage, each drawn at random per line: cut short (1%), a few bytes replaced by random bytes
// (1%), a lone lead byte of a double-byte character (0.5%), ended by CR alone (1%) or LF alone
// (1%); four lines of 1 MB without a line end; in the third variant also a Ctrl-Z in the middle
// (the classic end of a text file, so the lines after it are not read).
// A load that crashes or fails is reported and makes the exit status non-zero.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "LoadInChild.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/NetVornLogGenerator.h"
#include "analysis/Nifty.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"

namespace {

const char kNetVornIni[] =
    "[Common]\r\nNetCount=0\r\n\r\n"
    "[Net0]\r\nPrefix=\"NET\"\r\nName=\"Reliability\"\r\nLogMask=\"NET*.LOG\"\r\n"
    "BoardListFile=\"NET.BRD\"\r\nMemberListFile=\"NET.MEM\"\r\nUpFile=\"NET.UP\"\r\n"
    "PadFile=\"NET.PAD\"\r\nReadPtrFile=\"NET.PTR\"\r\n";

bool IsLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

struct DamageCounts {
  int64_t truncated = 0, randomBytes = 0, loneLeads = 0, crOnly = 0, lfOnly = 0, bigLines = 0;
};

std::string Damage(const std::string& clean, uint32_t seed, bool ctrlZ, DamageCounts& counts) {
  std::mt19937 random(seed);
  auto chance = [&](int perThousand) { return static_cast<int>(random() % 1000) < perThousand; };
  auto randomByte = [&] {
    // Every value but Ctrl-Z, which would end the file wherever it fell.
    unsigned char c;
    do {
      c = static_cast<unsigned char>(random());
    } while (c == 0x1A);
    return static_cast<char>(c);
  };
  std::vector<std::string> lines;
  for (size_t from = 0; from < clean.size();) {
    size_t end = clean.find("\r\n", from);
    if (end == std::string::npos) end = clean.size();
    lines.push_back(clean.substr(from, end - from));
    from = end + 2;
  }
  std::vector<size_t> bigAt;
  for (int k = 0; k < 4; ++k)
    bigAt.push_back(random() % lines.size());
  const size_t middle = lines.size() / 2;

  std::string out;
  out.reserve(clean.size() + (5u << 20));
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (!line.empty() && chance(10)) {
      line.resize(random() % line.size());
      ++counts.truncated;
    }
    if (!line.empty() && chance(10)) {
      for (int n = 1 + static_cast<int>(random() % 8); n > 0; --n)
        line[random() % line.size()] = randomByte();
      ++counts.randomBytes;
    }
    if (chance(5)) {
      // A lead byte followed by an ASCII byte or by the line end.
      unsigned char lead;
      do {
        lead = static_cast<unsigned char>(random());
      } while (!IsLead(lead));
      line.insert(line.empty() ? 0 : random() % (line.size() + 1), 1, static_cast<char>(lead));
      ++counts.loneLeads;
    }
    if (std::find(bigAt.begin(), bigAt.end(), i) != bigAt.end()) {
      std::string big;
      big.reserve(1 << 20);
      while (big.size() < (1u << 20)) {
        const unsigned char c = static_cast<unsigned char>(random());
        if (c == '\r' || c == '\n' || c == 0x1A) continue;
        big += static_cast<char>(c);
      }
      out += big;
      out += "\r\n";
      ++counts.bigLines;
    }
    if (ctrlZ && i == middle) out += '\x1a';
    out += line;
    if (chance(10)) {
      out += '\r';
      ++counts.crOnly;
    } else if (chance(10)) {
      out += '\n';
      ++counts.lfOnly;
    } else {
      out += "\r\n";
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--load") == 0)
    return vorn::bench::LoadOnce(argv[2], argv[3]);

  int64_t lineCount = 1000000;
  int runs = 5;
  uint32_t seed = 12;
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--lines")
      lineCount = std::atoll(argv[i + 1]);
    else if (option == "--runs")
      runs = std::max(1, std::atoi(argv[i + 1]));
    else if (option == "--seed")
      seed = static_cast<uint32_t>(std::atoll(argv[i + 1]));
    else if (option == "--keep")
      keep = argv[i + 1];
    else {
      std::fprintf(stderr,
                   "usage: damaged_log_load [--lines N] [--runs R] [--seed S] [--keep DIR]\n");
      return 2;
    }
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string folder = keep;
  if (folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornrel-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    folder = pattern;
  }
  std::filesystem::create_directories(folder);
  folder += "/";
  if (!vorn::WriteFileAtomic(folder + "netvorn.ini", kNetVornIni)) return 1;

  struct Variant {
    const char* name;
    std::string file;
  };
  std::vector<Variant> variants;
  {
    vorn::bench::NetVornLogGenerator generator(seed);
    const std::string clean = generator.Generate(lineCount);
    DamageCounts damaged, withCtrlZ;
    const std::string broken = Damage(clean, seed + 1, false, damaged);
    const std::string brokenZ = Damage(clean, seed + 1, true, withCtrlZ);
    variants = {{"clean", folder + "NET00000001.LOG"},
                {"damaged", folder + "NET00000002.LOG"},
                {"damaged+Ctrl-Z", folder + "NET00000003.LOG"}};
    if (!vorn::WriteFileAtomic(variants[0].file, clean) ||
        !vorn::WriteFileAtomic(variants[1].file, broken) ||
        !vorn::WriteFileAtomic(variants[2].file, brokenZ)) {
      std::fprintf(stderr, "cannot write the logs under %s\n", folder.c_str());
      return 1;
    }
    std::printf("generated %lld lines (seed %u): clean %.1f MB, damaged %.1f MB\n",
                static_cast<long long>(lineCount), seed, clean.size() / 1048576.0,
                broken.size() / 1048576.0);
    std::printf(
        "damage: %lld cut short, %lld with random bytes, %lld lone lead bytes, "
        "%lld CR-only and %lld LF-only line ends, %lld lines of 1 MB\n",
        static_cast<long long>(damaged.truncated), static_cast<long long>(damaged.randomBytes),
        static_cast<long long>(damaged.loneLeads), static_cast<long long>(damaged.crOnly),
        static_cast<long long>(damaged.lfOnly), static_cast<long long>(damaged.bigLines));
  }

  // Interleaved, so that a change in the machine's load hits every variant alike.
  std::vector<std::vector<vorn::bench::LoadRun>> results(variants.size());
  bool allOk = true;
  for (int r = 0; r < runs; ++r) {
    for (size_t v = 0; v < variants.size(); ++v) {
      const vorn::bench::LoadRun run = vorn::bench::RunLoad(self, folder, variants[v].file);
      allOk = allOk && run.ok;
      results[v].push_back(run);
    }
  }
  std::printf("%-16s %5s %12s %12s %10s %8s %10s\n", "variant", "runs", "median s", "peak MB(med)",
              "lines", "boards", "articles");
  for (size_t v = 0; v < variants.size(); ++v) {
    std::vector<double> seconds;
    std::vector<long> rss;
    for (const vorn::bench::LoadRun& run : results[v]) {
      if (!run.ok) continue;
      seconds.push_back(run.seconds);
      rss.push_back(run.maxRssKb);
    }
    if (seconds.empty()) {
      std::printf("%-16s every load failed\n", variants[v].name);
      continue;
    }
    const vorn::bench::LoadRun& last = results[v].back();
    std::printf("%-16s %5zu %12.3f %12.1f %10lld %8lld %10lld\n", variants[v].name, seconds.size(),
                vorn::bench::Median(seconds), vorn::bench::Median(rss) / 1024.0, last.lines,
                last.boards, last.articles);
  }
  if (keep.empty()) std::filesystem::remove_all(folder);
  return allOk ? 0 : 1;
}
