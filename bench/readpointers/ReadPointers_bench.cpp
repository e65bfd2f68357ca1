// The read-pointer file of an archive: a generated NetVorn capture of about 130,000 articles,
// all read, and a day's capture of about 2,000. Times, as medians of R runs each, in one
// invocation:
//   - saving with the archive loaded: the previous SaveReadPointers (rebuilt from what is loaded)
//     against the present one (which also reads the old file and keeps the entries of articles
//     that are not loaded);
//   - loading the archive's file with the archive loaded: previous LoadReadPointers (every line
//     a heap string) against the present one;
//   - the day's capture loaded over the archive's file: saving (the previous one forgets the
//     archive's 130,000 entries, the present one keeps them) and loading.
//
//   bench_read_pointers [--lines N] [--runs R]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "analysis/NetVornLogGenerator.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

using Clock = std::chrono::steady_clock;

// ---- The previous version, as it stood before the entries of unloaded articles were kept ----

int64_t Restored(int32_t stored, uint8_t rebased) {
  return rebased ? int64_t{stored} + RebaseOffset : int64_t{stored};
}

bool FileNumber(std::string_view text, int32_t& value) {
  value = TextToNumber(text);
  return value >= 0;
}

bool PreviousSave(TBBSProcess& p, const std::string& file) {
  CrLfTextBuilder out;
  bool any = false;
  std::string line;
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    const TArticleList* articles = p.Boards.GetArticles(b);
    if (!articles) continue;
    const bool mailBox = p.IsMailBox(b);
    bool boardWritten = false;
    const int32_t n = articles->OrderCount(ArticleSortNormal);
    for (int32_t pos = 0; pos < n; ++pos) {
      const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, pos);
      if (!r || r->ReadFlag != 1 || r->WriteFlag != 0) continue;
      if (!boardWritten) {
        if (!any) out.Line(ReadPtrFileHeader);
        const int32_t number = p.Boards.GetBoardNo(b);
        line.assign(1, '\\');
        line += number >= 0 ? std::to_string(number) : p.Boards.GetBoardId(b);
        out.Line(line);
        boardWritten = any = true;
      }
      line.clear();
      if (!mailBox) {
        line += std::to_string(Restored(r->ArticleKey, r->Rebased));
        line += '/';
      }
      line += std::to_string(Restored(r->PostTime, r->Rebased));
      out.Line(line);
    }
  }
  if (any) return out.WriteAtomic(file);
  return DeleteFileAt(file);
}

bool PreviousLoad(TBBSProcess& p, const std::string& file) {
  std::vector<std::string> lines;
  ReadClassicTextFile(file, lines);
  if (lines.empty()) return true;
  if (lines[0] != ReadPtrFileHeader) return false;
  TArticleList* articles = nullptr;
  bool mailBox = false;
  std::unordered_map<int64_t, std::vector<int32_t>> mailsByTime;
  for (size_t l = 1; l < lines.size(); ++l) {
    const std::string& text = lines[l];
    if (text.size() > 1 && text[0] == '\\') {
      const std::string_view rest = std::string_view(text).substr(1);
      const int32_t number = TextToNumber(rest);
      const int32_t index =
          number >= 0 ? p.Boards.FindBoardNo(number) : p.Boards.FindBoardId(std::string(rest));
      articles = index >= 0 ? p.Boards.GetArticles(index) : nullptr;
      mailBox = articles && p.IsMailBox(index);
      mailsByTime.clear();
      if (mailBox) {
        const int32_t n = articles->OrderCount(ArticleSortNormal);
        for (int32_t pos = 0; pos < n; ++pos) {
          const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, pos);
          mailsByTime[Restored(r->PostTime, r->Rebased)].push_back(pos);
        }
      }
      continue;
    }
    if (!articles) continue;
    if (mailBox) {
      int32_t time;
      if (!FileNumber(text, time)) continue;
      auto found = mailsByTime.find(time);
      if (found == mailsByTime.end()) continue;
      std::vector<int32_t>& positions = found->second;
      while (!positions.empty() && articles->GetReadFlag(ArticleSortNormal, positions.back()) != 0)
        positions.pop_back();
      if (positions.empty()) continue;
      articles->SetReadFlag(ArticleSortNormal, positions.back(), 1, true);
      positions.pop_back();
      continue;
    }
    const size_t slash = text.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == text.size()) continue;
    int32_t key, time;
    if (!FileNumber(std::string_view(text).substr(0, slash), key) ||
        !FileNumber(std::string_view(text).substr(slash + 1), time))
      continue;
    articles->SetReadFlagByKey(key, time, 1, true);
  }
  return true;
}

// ---- The bench ----

struct Capture {
  std::unique_ptr<TNetVorn> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
};

// Reads and analyses one capture as the loader does.
void LoadCapture(Capture& c, const std::string& folder, const std::string& file) {
  c.process = std::make_unique<TNetVorn>(folder + "/netvorn.ini", folder + "/vorndef.ini");
  c.process->Settings->SelectNet(0);
  c.log.LoadFromFile(file);
  c.log.AddLine(c.process->Settings->LogEndLine);
  c.process->ClearData();
  c.process->AnalyzeLog(0, c.log, c.systemLog, 0);
  c.process->SortData();
}

// Marks every article read (true) or unread; returns how many log articles there are.
int64_t MarkAll(TBBSProcess& p, bool read) {
  int64_t n = 0;
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    TArticleList* articles = p.Boards.GetArticles(b);
    for (int32_t pos = 0; articles && pos < articles->OrderCount(ArticleSortNormal); ++pos) {
      articles->SetReadFlag(ArticleSortNormal, pos, read ? 1 : 0, false);
      ++n;
    }
  }
  return n;
}

int64_t CountRead(const TBBSProcess& p) {
  int64_t n = 0;
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    const TArticleList* articles = p.Boards.GetArticles(b);
    for (int32_t pos = 0; articles && pos < articles->OrderCount(ArticleSortNormal); ++pos)
      n += articles->GetReadFlag(ArticleSortNormal, pos);
  }
  return n;
}

int64_t FileLines(const std::string& file) {
  std::vector<std::string> lines;
  ReadClassicTextFile(file, lines);
  return static_cast<int64_t>(lines.size());
}

bool FilesEqual(const std::string& a, const std::string& b) {
  std::string x, y;
  return ReadWholeFile(a, x) && ReadWholeFile(b, y) && x == y;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs setup (untimed) and the timed step runs times; the median in milliseconds.
double Time(int runs, const std::function<void()>& setup, const std::function<void()>& step) {
  std::vector<double> ms;
  for (int r = 0; r < runs; ++r) {
    setup();
    const auto start = Clock::now();
    step();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return Median(ms);
}

int Run(int64_t lines, int runs) {
  char tmpl[] = "/tmp/vorn-readptr-XXXXXX";
  const std::string folder = ::mkdtemp(tmpl);
  std::ofstream(folder + "/netvorn.ini", std::ios::binary)
      << "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Bench\"\r\n";
  const std::string archiveLog = folder + "/NETARCHIVE.LOG";
  const std::string dayLog = folder + "/NETDAY.LOG";
  std::ofstream(archiveLog, std::ios::binary) << bench::NetVornLogGenerator(7).Generate(lines);
  std::ofstream(dayLog, std::ios::binary) << bench::NetVornLogGenerator(8).Generate(25000);

  Capture archive, day;
  LoadCapture(archive, folder, archiveLog);
  LoadCapture(day, folder, dayLog);
  const int64_t articles = MarkAll(*archive.process, true);
  const int64_t dayArticles = MarkAll(*day.process, false);
  std::printf("archive: %lld lines, %lld articles read; day: %lld articles; %d runs each\n",
              static_cast<long long>(archive.log.Count()), static_cast<long long>(articles),
              static_cast<long long>(dayArticles), runs);

  const std::string previousFile = folder + "/previous.ptr";
  const std::string presentFile = folder + "/present.ptr";
  const std::string archiveFile = folder + "/archive.ptr";
  TNetVorn& a = *archive.process;
  TNetVorn& d = *day.process;
  PreviousSave(a, archiveFile);
  const auto reset = [&] {
    std::filesystem::copy_file(archiveFile, presentFile,
                               std::filesystem::copy_options::overwrite_existing);
  };

  std::printf("%-58s %12s %12s\n", "median ms", "previous", "present");
  const double saveBefore = Time(
      runs, [] {}, [&] { PreviousSave(a, previousFile); });
  const double saveAfter = Time(runs, reset, [&] { a.SaveReadPointers(presentFile); });
  std::printf("%-58s %12.1f %12.1f\n", "save, archive loaded, file of the archive there",
              saveBefore, saveAfter);
  const bool same = FilesEqual(previousFile, presentFile);
  const double loadBefore = Time(
      runs, [&] { MarkAll(a, false); }, [&] { PreviousLoad(a, archiveFile); });
  const int64_t readBefore = CountRead(a);
  const double loadAfter = Time(
      runs, [&] { MarkAll(a, false); }, [&] { a.LoadReadPointers(archiveFile); });
  const int64_t readAfter = CountRead(a);
  std::printf("%-58s %12.1f %12.1f\n", "load the archive's file, archive loaded", loadBefore,
              loadAfter);

  const double daySaveBefore = Time(
      runs, [] {}, [&] { PreviousSave(d, previousFile); });
  const int64_t previousLines = FileLines(previousFile);
  const double daySaveAfter = Time(runs, reset, [&] { d.SaveReadPointers(presentFile); });
  const int64_t presentLines = FileLines(presentFile);
  std::printf("%-58s %12.1f %12.1f\n", "save, a day's capture loaded over the archive's file",
              daySaveBefore, daySaveAfter);
  const double dayLoadBefore = Time(
      runs, [&] { MarkAll(d, false); }, [&] { PreviousLoad(d, archiveFile); });
  const double dayLoadAfter = Time(
      runs, [&] { MarkAll(d, false); }, [&] { d.LoadReadPointers(archiveFile); });
  std::printf("%-58s %12.1f %12.1f\n", "load the archive's file, a day's capture loaded",
              dayLoadBefore, dayLoadAfter);

  std::printf(
      "\nchecks: archive saved alike by both: %s; read after loading: %lld / %lld;\n"
      "        file lines after the day's save: previous %lld, present %lld\n",
      same ? "yes" : "NO", static_cast<long long>(readBefore), static_cast<long long>(readAfter),
      static_cast<long long>(previousLines), static_cast<long long>(presentLines));
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return same && readBefore == readAfter ? 0 : 1;
}

}  // namespace
}  // namespace vorn

int main(int argc, char** argv) {
  int64_t lines = 1500000;
  int runs = 9;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lines") == 0) lines = std::atoll(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
  }
  return vorn::Run(lines, runs);
}
