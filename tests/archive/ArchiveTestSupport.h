#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/NetVornLogGenerator.h"
#include "archive/ArchiveExport.h"
#include "platform/Cp932.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MemberList.h"
#include "support/SampleSession.h"
#include "support/TestSupport.h"

namespace vorn::test {

// Debian's own interpreter: the Python packages the checks use (html5lib, pyte) are Debian's.
inline const char* const kPython = "/usr/bin/python3";

inline std::string ScriptPath(const char* name) {
  return SourceDir() + "/tests/archive/" + name;
}

struct ProcessRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Starts a program directly (no shell), its output going to the files named; its process ID.
inline pid_t StartProcess(std::vector<std::string> argv, const std::string& outFile,
                          const std::string& errFile) {
  std::vector<char*> pointers;
  for (std::string& arg : argv)
    pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::dup2(in, 0) < 0)
      ::_exit(127);
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
  }
  return pid;
}

// Waits for a process StartProcess started; its exit code, -1 when a signal ended it.
inline int WaitProcess(pid_t pid) {
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a program directly (no shell), its output caught in files of dir.
inline ProcessRun RunProcess(const TempDir& dir, std::vector<std::string> argv) {
  const std::string outFile = dir.File("tool-out.txt"), errFile = dir.File("tool-err.txt");
  ProcessRun run;
  run.exitCode = WaitProcess(StartProcess(std::move(argv), outFile, errFile));
  run.out = ReadBytes(outFile);
  run.err = ReadBytes(errFile);
  return run;
}

// vornexpl-cli as a user runs it, on a copy of the sample settings and logs in dir.
class CliRunner {
 public:
  explicit CliRunner(const TempDir& dir)
      : dir_(dir), settings_(CopySamples(dir, {"NET19990730.LOG", "NIF19990730.LOG"})) {}
  ProcessRun Run(std::vector<std::string> args) const {
    args.insert(args.begin(), {VORNEXPL_CLI, "--settings-dir", settings_});
    return RunProcess(dir_, std::move(args));
  }
  const std::string& Settings() const { return settings_; }

 private:
  const TempDir& dir_;
  std::string settings_;
};

// A capture of CP932 lines (written in UTF-8 here), each ended by CR LF.
inline std::string Capture(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view line : lines)
    out += J(line) + "\r\n";
  return out;
}

// The body of an article that holds terminal sequences and control bytes (0x1A is not among
// them: it ends a log file), and what every reader of it shows: the window's view,
// vornexpl-cli show and the exports alike.
inline const std::vector<std::string>& ControlBytesBody() {
  static const std::vector<std::string> lines = {
      "title \x1b]2;TITLE\x07"
      "after",
      "colour \x1b[31mred\x1b[m end",
      "bell\x07 del\x7f fs\x1c end",
      "broken \x85\x40 pair",
      "open \x1b]2;no end",
      "lead at end \x82"};
  return lines;
}
inline const std::vector<std::string>& ControlBytesShown() {
  static const std::vector<std::string> lines = {
      "title after",         "colour red end", "bell\u2407 del\u2421 fs\u241c end",
      "broken \ufffd@ pair", "open ]2;no end", "lead at end \ufffd"};
  return lines;
}
// A NetVorn capture of board 5 ("test") whose article 10 has that body.
inline std::string ControlBytesCapture() {
  std::string log = Capture({"Command (?:5", "No.5 ｢テスト｣", "", "-\t",
                             "test(10/20) 99/07/30 10:00 controls", "  8 lines 1024:たろう "});
  for (const std::string& line : ControlBytesBody())
    log += line + "\r\n";
  return log + Capture({"", "読み終わりました"});
}

// One JSON value a line, as the Python checks print them.
inline std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out.push_back(nlohmann::json::parse(line));
  return out;
}

// True when Debian's python3 can import every module named.
inline bool PythonHas(const TempDir& dir, const std::string& modules) {
  if (::access(kPython, X_OK) != 0) return false;
  return RunProcess(dir, {kPython, "-c", "import " + modules}).exitCode == 0;
}

// UTF-8 as the export writes text (every byte that does not decode a U+FFFD, control
// characters but the tab as their pictures).
inline std::string U8(std::string_view cp932) {
  std::string decoded, out;
  AppendCp932AsUtf8(cp932, decoded);
  AppendWithControlPictures(decoded, out);
  return out;
}

// One row of a board's tree order as the analysis left it, in UTF-8, read straight from the
// article list: what every format must give back.
struct ExpectedEntry {
  bool placeholder = false;
  int32_t level = 0;
  int32_t number = 0;
  std::optional<int32_t> parent;    // a reply's parent number
  std::optional<std::string> date;  // ISO 8601, read from the article's header lines
  std::string writer, handle, title, kind;
  std::vector<std::string> lines;  // the article's lines, escape sequences removed
  std::vector<std::string> shown;  // ... and tabs expanded, as the article view shows them
  std::vector<std::string> body;   // the lines after the header
};

struct ExpectedBoard {
  int32_t number = -1;
  // label: the board as the board list names it ("1:general", "FBOOK:MES:20").
  std::string key, title, label;
  std::vector<ExpectedEntry> entries;
  int32_t Articles() const {
    int32_t n = 0;
    for (const auto& e : entries)
      n += e.placeholder ? 0 : 1;
    return n;
  }
};

// The date of the header lines "yy/mm/dd hh:mm", as both host families print it. (Read by
// hand: std::regex trips the compiler's warnings in the sanitizer build.)
inline std::optional<std::string> HeaderDate(const std::vector<std::string>& headerLines) {
  auto digits = [](const std::string& s, size_t at) {
    return at + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[at])) &&
           std::isdigit(static_cast<unsigned char>(s[at + 1]));
  };
  for (const std::string& line : headerLines) {
    for (size_t i = 0; i + 8 <= line.size(); ++i) {
      if (!digits(line, i) || line[i + 2] != '/' || !digits(line, i + 3) || line[i + 5] != '/' ||
          !digits(line, i + 6))
        continue;
      size_t t = i + 8;
      if (t >= line.size() || line[i + 8] != ' ') continue;
      while (t < line.size() && line[t] == ' ')
        ++t;
      if (!digits(line, t) || t + 4 >= line.size() || line[t + 2] != ':' || !digits(line, t + 3))
        continue;
      const int yy = std::stoi(line.substr(i, 2));
      return std::to_string(yy < 80 ? 2000 + yy : 1900 + yy) + "-" + line.substr(i + 3, 2) + "-" +
             line.substr(i + 6, 2) + "T" + line.substr(t, 2) + ":" + line.substr(t + 3, 2) +
             ":00+09:00";
    }
  }
  return std::nullopt;
}

// A file name the export may make: digits, '-', then letters, digits, '_' and '-' only.
inline bool SafeStem(const std::string& stem) {
  const size_t dash = stem.find('-');
  if (dash == std::string::npos || dash < 3 || dash + 1 >= stem.size()) return false;
  for (size_t i = 0; i < stem.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(stem[i]);
    if (i < dash ? !std::isdigit(c) : !(std::isalnum(c) || c == '_' || c == '-')) return false;
  }
  return true;
}

inline std::vector<ExpectedBoard> ExpectedArchive(const TBBSProcess& process, const TLogList& log) {
  static const char* const kKinds[] = {"root", "reply",       "binary root", "binary reply",
                                       "mail", "binary mail", "missing"};
  std::vector<ExpectedBoard> boards;
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    ExpectedBoard board;
    const int32_t no = process.Boards.GetBoardNo(b);
    board.number = no >= RebaseOffset ? no - RebaseOffset : no < 0 ? -1 : no;
    board.key = U8(process.Boards.GetBoardId(b));
    board.title = U8(process.Boards.GetBoardTitle(b));
    board.label = std::to_string(board.number) + (board.key.empty() ? "" : ":" + board.key);
    if (board.number < 0) {
      board.label.clear();
      for (char c : U8(process.GetBoardLabel(b, true)))
        if (c != ' ') board.label += c;
    }
    const TArticleList* list = process.Boards.GetArticles(b);
    for (int32_t p = 0; list && p < list->OrderCount(ArticleSortTree); ++p) {
      constexpr int32_t tree = ArticleSortTree;
      if (list->GetWriteFlag(tree, p)) continue;
      ExpectedEntry e;
      const uint8_t kind = list->GetKind(tree, p);
      e.placeholder = kind == ArticleKindMissingRoot;
      e.level = list->GetLevel(tree, p);
      e.number = list->GetNumber(tree, p);
      e.kind = kKinds[kind];
      // The parent's number has no accessor of its own.
      if (IsReplyKind(kind)) e.parent = list->GetArticle(tree, p)->ParentNumber;
      if (process.Members.TextIds) {
        const std::string id = list->GetWriterIdText(tree, p);
        e.writer = U8(id);
        const int32_t m = process.Members.FindIdText(id);
        if (m >= 0) e.handle = U8(process.Members.Member(m)->TrueHandle.View());
      } else if (const int32_t id = list->GetWriterId(tree, p); id >= 0) {
        e.writer = std::to_string(id);
        const int32_t m = process.Members.FindIdNo(id);
        if (m >= 0) e.handle = U8(process.Members.Member(m)->TrueHandle.View());
      }
      e.title = U8(list->GetTitle(tree, p));
      const int32_t first = list->GetFirstLine(tree, p), last = list->GetLastLine(tree, p);
      const int32_t body = first + list->GetBodyOffset(tree, p);
      std::vector<std::string> header;
      for (int32_t l = first; first >= 0 && l <= last && l < log.Count(); ++l) {
        const std::string line = U8(StripEscapeSequences(log.LineView(l)));
        e.lines.push_back(line);
        e.shown.push_back(U8(ExpandTabs(StripEscapeSequences(log.LineView(l)), 8)));
        (l < body ? header : e.body).push_back(line);
      }
      if (first >= 0 && last < body) {
        // Without a last line the article view shows nothing; the header still dates it.
        for (int32_t l = first; l < body && l < log.Count(); ++l)
          header.push_back(U8(StripEscapeSequences(log.LineView(l))));
      }
      if (!e.placeholder) e.date = HeaderDate(header);
      board.entries.push_back(std::move(e));
    }
    boards.push_back(std::move(board));
  }
  return boards;
}

// The samples' settings, a loaded capture, and exports of it into folders of the same
// temporary folder.
class ArchiveSession {
 public:
  bool LoadSample(const char* name) { return sample.Load(name); }
  // A capture written to the temporary folder under a NetVorn sample set's file name.
  bool LoadBytes(const std::string& bytes, const char* name = "NET20000101.LOG") {
    const std::string file = sample.dir.File(name);
    WriteBytes(file, bytes);
    return sample.session->LoadLogFiles({file}, LogNamePrefix(name), false).Loaded();
  }
  bool LoadGenerated(int64_t lines, uint32_t seed) {
    return LoadBytes(bench::NetVornLogGenerator(seed).Generate(lines));
  }

  ArchiveRequest Request(ArchiveFormat format, const std::string& folder) const {
    ArchiveRequest request;
    request.Process = &sample.Process();
    request.Log = &sample.Log();
    request.Prefix = sample.session->CurrentPrefix;
    request.SetName = sample.Process().IniFile->Name;
    request.Format = format;
    request.Folder = folder;
    request.Options = ArchiveOptionsFrom(TCommonIniFile(sample.settings + "vornexpl.ini"));
    return request;
  }
  // Exports into a new folder of the temporary folder; its path.
  std::string Export(ArchiveFormat format, ArchiveResult* resultOut = nullptr) {
    const std::string folder = sample.dir.File("out-" + std::to_string(++exports_) + "-" +
                                               std::string(ArchiveFormatName(format)));
    const ArchiveResult result = ExportArchive(Request(format, folder));
    if (resultOut) *resultOut = result;
    EXPECT_EQ(result.Result, ArchiveResult::Done) << U8(result.Error);
    return folder;
  }
  std::vector<ExpectedBoard> Expected() const {
    return ExpectedArchive(sample.Process(), sample.Log());
  }

  SampleSession sample;

 private:
  int exports_ = 0;
};

}  // namespace vorn::test
