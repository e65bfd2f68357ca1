// MatchPattern with the default NetVorn templates on generated log lines.
//
//   bench_match_pattern --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
//
// BM_Template/<n>: one template on one kind of line (per call).
// BM_LogLines: a generated log of board titles, article headers, reply lines, footers and
// body lines; every line is offered to every header, footer, terminal and board template, the
// most an analyser asks of one line. The counters give seconds per line and per call.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "text/LogPattern.h"

namespace vorn {
namespace {

// As stored by a user (escapes typed, field names spelled out).
const char* const kBoardTitle = R"(%CNo.%GBNO%S｢%M1%GBTITLE,｣\n)";
const char* const kBoardList = R"(%M1%GBNO%C.%M1%C \\%GBINDEX,\t%M1%GBTITLE,\n)";
const char* const kIdListHeader = R"(%C----+--------------------\n)";
const char* const kHeader = R"(%C-\t)";
const char* const kSubjectHeader =
    R"(%GBINDEX,(%M1%GWNO%C/%S)%M1%C %GYEAR%C/%GMONTH%C/%GDAY%C %GHOUR%C:%GMINUTE%C %GWTITLE,\n)";
const char* const kSubjectRess =
    R"(%C <%GRNO%C:%Z%S>\n%s:%s/%m1%gRTITLE%M1%GRIDNO%C:%GRHANDLE,>\n)";
const char* const kSubjectFotter = R"(%Z%C  %S:%s %GWIDNO%C:%GWHANDLE,\n)";
const char* const kSubjectFotterBinary =
    R"(%Z%C  [%GFNAME,]%M1%C %GFSIZE%CKB %S:%s %GWIDNO%C:%GWHANDLE,\n)";
const char* const kTerminals[] = {"%C読み終わりました", "%Cバッチリストに登録しました",
                                  "%Cファイルを転", "%C削除しますか", "%C次のメールを確認しますか"};
const char* const kInfo = "%C(%S)";

std::string Compile(const char* templ) {
  return CompilePattern(Cp932(templ));
}

// Every template an analyser may try on one line, in the order it would.
std::vector<std::string> AllTemplates() {
  std::vector<std::string> all = {Compile(kHeader), Compile(kSubjectHeader), Compile(kSubjectRess),
                                  Compile(kSubjectFotterBinary), Compile(kSubjectFotter)};
  for (const char* t : kTerminals)
    all.push_back(Compile(t));
  for (const char* t : {kBoardTitle, kBoardList, kIdListHeader, kInfo})
    all.push_back(Compile(t));
  return all;
}

class LogGenerator {
 public:
  explicit LogGenerator(unsigned seed) : random_(seed) {}

  std::string BodyLine() {
    static const std::vector<std::string> words = {Cp932("今日は"),
                                                   Cp932("晴れ"),
                                                   Cp932("でした。"),
                                                   Cp932("明日の"),
                                                   Cp932("予定"),
                                                   Cp932("について"),
                                                   "BBS",
                                                   "the",
                                                   "log",
                                                   "reader",
                                                   Cp932("ですが、"),
                                                   "(^_^)",
                                                   Cp932("よろしく"),
                                                   "12:30",
                                                   Cp932("お願いします。")};
    std::string line;
    size_t target = 10 + random_() % 68;
    while (line.size() < target)
      line += words[random_() % words.size()];
    if (random_() % 8 == 0) line.clear();  // blank separator lines
    return line + "\r";
  }

  std::vector<std::string> Log(int boards, int articlesPerBoard) {
    std::vector<std::string> lines;
    int number = 1;
    for (int b = 1; b <= boards; ++b) {
      lines.push_back(Cp932("No." + std::to_string(b) + " ｢雑談の部屋｣") + "\r");
      for (int a = 0; a < articlesPerBoard; ++a, ++number) {
        lines.push_back("-\t\r");
        lines.push_back("general(" + std::to_string(number) + "/" + std::to_string(number + 40) +
                        ") 99/07/30 12:34 " + Cp932("会議のお知らせ") + "\r");
        if (random_() % 2 == 0)
          lines.push_back(" <" + std::to_string(number / 2 + 1) + ":Re: " + Cp932("予定") +
                          "/1024:" + Cp932("たろう") + ">\r");
        int body = 3 + static_cast<int>(random_() % 12);
        lines.push_back("  " + std::to_string(body) + " lines 2048:hanako \r");
        for (int i = 0; i < body; ++i)
          lines.push_back(BodyLine());
        if (a % 20 == 19) lines.push_back(Cp932("読み終わりました") + "\r");
      }
    }
    return lines;
  }

 private:
  std::mt19937 random_;
};

struct TemplateCase {
  const char* name;
  const char* templ;
  std::string line;
};

std::vector<TemplateCase> TemplateCases() {
  std::string body =
      Cp932("今日は晴れでした。明日の予定についてですが、よろしくお願いします。") + "\r";
  return {
      {"BoardTitle_on_title", kBoardTitle, Cp932("No.12 ｢雑談の部屋｣") + "\r"},
      {"Header_on_header", kHeader, "-\t\r"},
      {"SubjectHeader_on_subject", kSubjectHeader,
       "general(123/130) 99/07/30 12:34 " + Cp932("会議のお知らせ") + "\r"},
      {"SubjectRess_on_reply", kSubjectRess,
       " <35:Re: " + Cp932("予定") + "/1024:" + Cp932("たろう") + ">\r"},
      {"SubjectFotter_on_footer", kSubjectFotter, "  12 lines 2048:hanako \r"},
      {"Header_on_body", kHeader, body},
      {"SubjectHeader_on_body", kSubjectHeader, body},
      {"SubjectRess_on_body", kSubjectRess, body},
      {"BoardTitle_on_body", kBoardTitle, body},
      {"Info_on_body", kInfo, body},
  };
}

void BM_Template(benchmark::State& state) {
  static const std::vector<TemplateCase> cases = TemplateCases();
  const TemplateCase& c = cases[static_cast<size_t>(state.range(0))];
  state.SetLabel(c.name);
  const std::string pattern = Compile(c.templ);
  PatternTexts texts;
  PatternNumbers numbers{};
  for (auto _ : state) {
    uint8_t result = MatchPattern(c.line, pattern, texts, numbers);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_Template)->DenseRange(0, 9);

void BM_LogLines(benchmark::State& state) {
  static const std::vector<std::string> lines = LogGenerator(42).Log(20, 250);
  static const std::vector<std::string> templates = AllTemplates();
  PatternTexts texts;
  PatternNumbers numbers{};
  int64_t matches = 0;
  for (auto _ : state) {
    for (const std::string& line : lines)
      for (const std::string& pattern : templates)
        matches += MatchPattern(line, pattern, texts, numbers) == PatternMatch;
    benchmark::DoNotOptimize(matches);
  }
  const double lineCount = static_cast<double>(lines.size());
  using benchmark::Counter;
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["s_per_line"] =
      Counter(lineCount, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["s_per_call"] = Counter(lineCount * static_cast<double>(templates.size()),
                                         Counter::kIsIterationInvariantRate | Counter::kInvert);
}
BENCHMARK(BM_LogLines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorn

BENCHMARK_MAIN();
