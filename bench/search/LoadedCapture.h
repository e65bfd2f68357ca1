#pragma once
// A generated NetVorn capture, analysed and sorted once as after a load, for the benchmarks that
// search it.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "analysis/NetVornLogGenerator.h"
#include "store/ArticleList.h"

namespace vorn::bench {

class LoadedCapture {
 public:
  // Writes a capture of about `lines` lines into `folder` (NET.LOG), with the settings that read
  // it (netvorn.ini).
  static void Write(const std::string& folder, int64_t lines) {
    std::ofstream(folder + "/netvorn.ini", std::ios::binary)
        << "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Bench\"\r\n";
    std::ofstream(folder + "/NET.LOG", std::ios::binary) << NetVornLogGenerator(7).Generate(lines);
  }

  // Loads the capture that Write left in `folder`.
  explicit LoadedCapture(const std::string& folder) {
    process = std::make_unique<TNetVorn>(folder + "/netvorn.ini", folder + "/vorndef.ini");
    process->Settings->SelectNet(0);
    log.LoadFromFile(folder + "/NET.LOG");
    log.AddLine(process->Settings->LogEndLine);
    process->ClearData();
    process->AnalyzeLog(0, log, systemLog, 0);
    process->SortData();
    for (int32_t b = 0; b < process->Boards.Count(); ++b)
      articles += process->Boards.GetArticles(b)->OrderCount(ArticleSortTree);
  }

  std::unique_ptr<TNetVorn> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
  int64_t articles = 0;
};

// A folder of its own under /tmp, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    char tmpl[] = "/tmp/vornsearch-XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    path = made ? made : "";
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string path;
};

}  // namespace vorn::bench
