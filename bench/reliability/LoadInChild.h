#pragma once
// One load of one capture in a child process of the benchmark's own program, as vornexpl-cli
// loads it: the child runs LoadOnce (its program's "--load FOLDER FILE"), the parent RunLoad.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ChildProcess.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "store/ArticleList.h"

namespace vorn::bench {

// The child: loads the file with the settings of the folder and prints "seconds lines boards
// articles" on stdout; 3 when the load failed.
inline int LoadOnce(const std::string& folder, const std::string& file) {
  TNetVorn netVorn(folder + "netvorn.ini", folder + "vorndef.ini");
  TNifty nifty(folder + "nifty.ini", folder + "nifdef.ini");
  TLogSession session({&netVorn, &nifty});
  session.SettingsFolder = folder;
  const auto start = std::chrono::steady_clock::now();
  const LoadResult result = session.LoadLogFiles({file}, "NET", false);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!result.Loaded()) {
    std::fprintf(stderr, "load failed: %d\n", static_cast<int>(result.Failure));
    return 3;
  }
  int64_t articles = 0;
  const TBBSProcess& process = *session.CurrentProcess;
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    if (const TArticleList* list = process.Boards.GetArticles(b))
      articles += list->OrderCount(ArticleSortNormal);
  }
  std::printf("%.6f %d %d %lld\n", seconds, session.LogList.Count(), process.Boards.Count(),
              static_cast<long long>(articles));
  return 0;
}

struct LoadRun {
  bool ok = false;
  double seconds = 0;
  long maxRssKb = 0;
  long long lines = 0, boards = 0, articles = 0;
};

// The parent: runs `self --load folder file` and reads what the child printed.
inline LoadRun RunLoad(const std::string& self, const std::string& folder,
                       const std::string& file) {
  LoadRun run;
  const ChildResult child = RunChild({self, "--load", folder, file}, file);
  run.maxRssKb = child.maxRssKb;
  if (!child.ok) return run;
  run.ok = std::sscanf(child.output.c_str(), "%lf %lld %lld %lld", &run.seconds, &run.lines,
                       &run.boards, &run.articles) == 4;
  return run;
}

}  // namespace vorn::bench
