#include "cli/CliApp.h"

#include <charconv>
#include <cinttypes>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include <unistd.h>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "analysis/LogLoader.h"
#include "analysis/LogReadWorkers.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "archive/ArchiveExport.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MemberList.h"
#include "text/ShiftJisText.h"
#include "threadview/GridRows.h"
#include "threadview/QuickFilter.h"
#include "threadview/SetReadingAids.h"
#include "threadview/ThreadOutline.h"
#include "threadview/ThreadViewSettings.h"

namespace vorn {
namespace {

const char* const kUsage =
    "usage: vornexpl-cli [--settings-dir DIR] [--prefix P] [--threads N] [--no-cache] COMMAND\n"
    "                    [OPTIONS] FILE...\n"
    "       vornexpl-cli --help | -h | --version\n"
    "  boards [--unread]                       the board list (with unread counts)\n"
    "  articles [--board INDEX] [--order tree|posting]\n"
    "           [--filter TEXT [--regex] [--fuzzy]] [--flagged]\n"
    "                                          number, ID:handle and title of every article the\n"
    "                                          grid shows: those the quick filter lets through,\n"
    "                                          flagged ones only; ignored writers' ones hidden\n"
    "                                          when the settings hide them\n"
    "  show --board INDEX --position P [--order tree|posting]\n"
    "                                          the lines of one article\n"
    "  stats                                   counts (new: articles after the read pointers),\n"
    "                                          the time of reading, analysing, sorting, and the\n"
    "                                          files analysed before (from the cache) or kept,\n"
    "                                          and files loaded unread (indexed from the cache)\n"
    "  export --format mbox|html|jsonl --out FOLDER\n"
    "                                          every article in UTF-8 into a new (or empty) "
    "FOLDER\n"
    "Options:\n"
    "  --settings-dir DIR   the settings folder (sets, patterns, list and read-pointer files)\n"
    "  --prefix P           the BBS set to read the files with, instead of their names' prefix\n"
    "  --threads N          files read at a time, each on a thread of its own, and from 2 on the\n"
    "                       analysis on two threads and boards sorted N at a time (at most one\n"
    "                       a core) (1 to 64; default: the processor cores, at most 2); the\n"
    "                       result is the same for every N\n"
    "  --no-cache           analyse every file again: neither use nor keep what the analysis "
    "found\n"
    "                       in each file (kept in $XDG_CACHE_HOME/VornExplorer, by default\n"
    "                       ~/.cache/VornExplorer, so that an unchanged file is not analysed "
    "again)\n"
    "  --help, -h           this text; --version: the version\n"
    "Boards are numbered from 0 in board-list order, positions from 0 in the chosen order.\n"
    "Exit codes: 0 done, 1 nothing loaded, 2 bad command line, 3 done but a file was unreadable,\n"
    "4 the export failed (the message says why; no half-written file is left under its name),\n"
    "5 a log was shortened or written anew while it was read (run again).\n";

// Text for a terminal: nothing in it may steer the terminal. Control characters other than tab
// (and the line feeds the tool puts between lines) show as their pictures (ESC as U+241B, BEL
// as U+2407, DEL as U+2421), C1 controls and bytes that are no UTF-8 as U+FFFD. In a field of a
// row, whose columns tabs separate, a tab shows as its picture too (U+2409).
enum class Tabs { Kept, Shown };
std::string TerminalSafe(std::string_view utf8, bool keepLineFeeds = false,
                         Tabs tabs = Tabs::Kept) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 || c == 0x7F) {
      if (!(c == '\t' && tabs == Tabs::Kept) && !(c == '\n' && keepLineFeeds)) {
        AppendControlPicture(c, out);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const size_t len = Utf8SequenceLength(utf8.substr(i));
    // U+0080-U+009F, the C1 controls, are C2 80-C2 9F in UTF-8.
    if (len == 0 || (len == 2 && c == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0)) {
      out += "\xEF\xBF\xBD";
      i += len == 0 ? 1 : len;
      continue;
    }
    out.append(utf8.substr(i, len));
    i += len;
  }
  return out;
}

// Messages and questions of the core on the terminal. Questions get No: the tool never lets
// a question delete or overwrite anything.
class CliUiServices final : public UiServices {
 public:
  explicit CliUiServices(std::FILE* err) : err_(err) {}

  void Warning(const std::string& text) override {
    ++warnings;
    Print(text);
  }
  void Information(const std::string& text) override { Print(text); }
  bool ConfirmYesNo(const std::string& text) override {
    Question(text);
    return false;
  }
  UiAnswer ConfirmYesNoCancel(const std::string& text) override {
    Question(text);
    return UiAnswer::No;
  }
  UiAnswer AskLoadCheck(const std::string& text) override {
    Question(text);
    return UiAnswer::No;
  }
  void ProcessMessages() override {}

  void Print(const std::string& cp932) {
    std::string text = Cp932ToUtf8(cp932);
    // Message lines are separated by CR or CR LF.
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        lines += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        lines += text[i];
      }
    }
    std::fprintf(err_, "%s\n", TerminalSafe(lines, true).c_str());
  }

  int warnings = 0;

 private:
  void Question(const std::string& text) {
    Print(text);
    std::fputs("(answered No)\n", err_);
  }

  std::FILE* err_;
};

// Output in UTF-8, gathered and written in large pieces.
class Output {
 public:
  explicit Output(std::FILE* out) : out_(out) {}
  ~Output() { Flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // A line of an article, whose tabs are its own.
  void Line(std::string_view cp932) {
    buffer_ += TerminalSafe(Cp932ToUtf8(cp932));
    EndLine();
  }
  // A row of fields separated by tabs: a tab inside a title or handle must not make a column.
  void Row(std::initializer_list<std::string_view> cp932Fields) {
    bool first = true;
    for (const std::string_view field : cp932Fields) {
      if (!first) buffer_ += '\t';
      first = false;
      buffer_ += TerminalSafe(Cp932ToUtf8(field), false, Tabs::Shown);
    }
    EndLine();
  }
  void Ascii(std::string_view text) { buffer_.append(text); }
  void Flush() {
    if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }

 private:
  void EndLine() {
    buffer_ += '\n';
    if (buffer_.size() >= (1u << 20)) Flush();
  }

  std::FILE* out_;
  std::string buffer_;
};

// Each thread more holds a file's lines in memory until they are taken, and reading gains
// little past two: a file is read as fast as the processor can take fresh memory.
constexpr int32_t kDefaultThreadsAtMost = 2;
constexpr int32_t kThreadsAtMost = 64;

struct Options {
  std::string command;
  std::string prefix;
  bool prefixGiven = false;
  int32_t board = -1;
  int32_t position = -1;
  int32_t order = ArticleSortTree;
  ArchiveFormat format = ArchiveFormat::Jsonl;
  bool formatGiven = false;
  std::string out;
  std::vector<std::string> files;
  // The quick filter (CP932) and the other reading aids of the grid.
  QuickFilterCondition filter;
  bool filterGiven = false;
  bool flagged = false;
  bool unread = false;
  bool cache = true;
  int32_t threads = DefaultReadThreads(kDefaultThreadsAtMost);
};

bool ParseIndex(const std::string& text, int32_t& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value >= 0;
}

// Options may stand before or after the command; "--" ends them.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      std::string name = arg, value;
      bool hasValue = false;
      if (const size_t eq = arg.find('='); eq != std::string::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        hasValue = true;
      }
      if (!hasValue && (name == "--regex" || name == "--fuzzy" || name == "--flagged" ||
                        name == "--unread" || name == "--no-cache")) {
        if (name == "--no-cache") options.cache = false;
        if (name == "--regex") options.filter.RegExp = true;
        if (name == "--fuzzy") options.filter.Fuzzy = true;
        if (name == "--flagged") options.flagged = true;
        if (name == "--unread") options.unread = true;
        continue;
      }
      const bool takesValue = name == "--prefix" || name == "--board" || name == "--order" ||
                              name == "--position" || name == "--filter" || name == "--format" ||
                              name == "--out" || name == "--threads";
      if (!takesValue) {
        error = "unknown option " + arg;
        return false;
      }
      if (!hasValue) {
        if (i + 1 >= args.size()) {
          error = name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      if (name == "--prefix") {
        options.prefix = FromNativePath(value);
        options.prefixGiven = true;
      } else if (name == "--filter") {
        options.filter.Text = Utf8ToCp932(value);
        options.filterGiven = true;
      } else if (name == "--threads") {
        if (!ParseIndex(value, options.threads) || options.threads < 1 ||
            options.threads > kThreadsAtMost) {
          error = "--threads needs a number from 1 to 64";
          return false;
        }
      } else if (name == "--board") {
        if (!ParseIndex(value, options.board)) {
          error = "--board needs a board index (0 or more)";
          return false;
        }
      } else if (name == "--format") {
        if (!ParseArchiveFormat(value, options.format)) {
          error = "--format is mbox, html or jsonl";
          return false;
        }
        options.formatGiven = true;
      } else if (name == "--out") {
        options.out = FromNativePath(value);
      } else if (name == "--position") {
        if (!ParseIndex(value, options.position)) {
          error = "--position needs a position (0 or more)";
          return false;
        }
      } else if (value == "tree") {
        options.order = ArticleSortTree;
      } else if (value == "posting") {
        options.order = ArticleSortNormal;
      } else {
        error = "--order is tree or posting";
        return false;
      }
      continue;
    }
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    // A short option is no file name either: "-x" taken for a log would end in a message about
    // BBS sets instead of the mistake. A file whose name begins with "-" follows "--".
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    }
    if (options.command.empty()) {
      options.command = arg;
    } else {
      options.files.push_back(FromNativePath(arg));
    }
  }
  if (options.command != "boards" && options.command != "articles" && options.command != "show" &&
      options.command != "stats" && options.command != "export") {
    error = options.command.empty() ? "no command" : "unknown command " + options.command;
    return false;
  }
  if (options.command == "show" && (options.board < 0 || options.position < 0)) {
    error = "show needs --board and --position";
    return false;
  }
  if (options.command == "export" && (!options.formatGiven || options.out.empty())) {
    error = "export needs --format and --out";
    return false;
  }
  if ((options.filterGiven || options.filter.RegExp || options.filter.Fuzzy || options.flagged) &&
      options.command != "articles") {
    error = "--filter, --regex, --fuzzy and --flagged go with articles";
    return false;
  }
  if ((options.filter.RegExp || options.filter.Fuzzy) && !options.filterGiven) {
    error = "--regex and --fuzzy need --filter";
    return false;
  }
  if (options.unread && options.command != "boards") {
    error = "--unread goes with boards";
    return false;
  }
  if (options.files.empty()) {
    error = "no log file given";
    return false;
  }
  return true;
}

int Usage(std::FILE* err, const std::string& error) {
  std::fprintf(err, "vornexpl-cli: %s\n%s", TerminalSafe(error).c_str(), kUsage);
  return CliUsage;
}

// The rows the window's grid shows of a board under the same reading aids.
void PrintArticles(Output& out, const TBBSProcess& process, int32_t board, int32_t order,
                   int32_t treeLineType, const GridRowRules& rules) {
  const TArticleList* articles = process.Boards.GetArticles(board);
  if (!articles) return;
  TArticleRows rows(*articles, order, process.Members, treeLineType);
  TGridRows shown;
  shown.Build(*articles, order, rules);
  ArticleCells cells;
  for (int32_t r = 0; r < shown.View().RowCount(); ++r) {
    rows.ArticleCellTexts(shown.View().PositionAt(r), cells);
    out.Row({cells.Number, cells.Writer, cells.Title});
  }
}

void PrintStats(Output& out, const TLogSession& session, const TBBSProcess& process,
                const LoadResult& result) {
  int64_t articles = 0, replies = 0, placeholders = 0, writes = 0, fresh = 0;
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    const TArticleList* list = process.Boards.GetArticles(b);
    if (!list) continue;
    const int32_t n = list->OrderCount(ArticleSortNormal);
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* entry = list->GetArticle(ArticleSortNormal, p);
      if (entry->WriteFlag != 0) {
        ++writes;
        continue;
      }
      ++articles;
      if (IsReplyKind(entry->Kind)) ++replies;
      if (entry->NewFlag == 1) ++fresh;
    }
    const int32_t t = list->OrderCount(ArticleSortTree);
    for (int32_t p = 0; p < t; ++p) {
      if (list->GetKind(ArticleSortTree, p) == ArticleKindMissingRoot) ++placeholders;
    }
  }
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "lines: %" PRId32 "\nboards: %" PRId32 "\narticles: %" PRId64 "\nreplies: %" PRId64
                "\nplaceholders: %" PRId64 "\nwrites: %" PRId64 "\nnew: %" PRId64
                "\nmembers: %" PRId32 "\nsystem messages: %" PRId32
                "\nread: %.3f s\nanalyse: %.3f s\nsort: %.3f s\ntotal: %.3f s\n"
                "files from the cache: %" PRId32 "\nfiles kept in the cache: %" PRId32
                "\nfiles indexed from the cache: %" PRId32 "\n",
                session.LogList.Count(), process.Boards.Count(), articles, replies, placeholders,
                writes, fresh, process.Members.LiveCount(), session.SystemMsgList.Count(),
                result.ReadSeconds, result.AnalyseSeconds, result.SortSeconds,
                result.ReadSeconds + result.AnalyseSeconds + result.SortSeconds,
                result.FilesFromCache, result.FilesKeptInCache, result.FilesIndexedFromCache);
  out.Ascii(buf);
}

// Progress on the terminal only when someone watches it.
class CliArchiveProgress final : public ArchiveProgress {
 public:
  explicit CliArchiveProgress(std::FILE* err) : err_(err), shown_(::isatty(::fileno(err)) != 0) {}
  ~CliArchiveProgress() override {
    if (shown_ && total_ > 0) std::fputs("\n", err_);
  }
  void Start(int64_t total) override { total_ = total; }
  bool Step(int64_t done) override {
    const int percent = total_ > 0 ? static_cast<int>(done * 100 / total_) : 100;
    if (shown_ && percent != percent_) {
      percent_ = percent;
      std::fprintf(err_, "\rexport: %3d%%", percent);
      std::fflush(err_);
    }
    return true;
  }

 private:
  std::FILE* err_;
  const bool shown_;
  int64_t total_ = 0;
  int percent_ = -1;
};

int ExportCommand(const Options& options, const TLogSession& session, const TCommonIniFile& common,
                  CliUiServices& ui, std::FILE* err) {
  const TBBSProcess& process = *session.CurrentProcess;
  CliArchiveProgress progress(err);
  ArchiveRequest request;
  request.Process = &process;
  request.Log = &session.LogList;
  request.Prefix = session.CurrentPrefix;
  request.SetName = process.IniFile ? process.IniFile->Name : std::string();
  request.Format = options.format;
  request.Folder = options.out;
  request.Options = ArchiveOptionsFrom(common);
  request.Progress = &progress;
  const ArchiveResult result = ExportArchive(request);
  ui.Print(ArchiveSummary(request, result));
  if (result.Result != ArchiveResult::Done) return CliExportFailed;
  return ui.warnings > 0 ? CliPartial : CliOk;
}

// Logs are read where they lie on disk until the run ends: one shortened or written anew
// meanwhile is told, so that a script does not take what it got for the log's text.
bool LogsChanged(const TLogSession& session, std::FILE* err) {
  const std::vector<TLogList::FileChange> changed = session.LogsChangedOnDisk();
  for (const TLogList::FileChange& change : changed) {
    std::fprintf(err, "vornexpl-cli: %s was %s while it was read; run again\n",
                 TerminalSafe(Cp932ToUtf8(change.path)).c_str(),
                 change.state == MappedFileState::Shortened ? "shortened" : "written anew");
  }
  return !changed.empty();
}

// What the command asks of the loaded logs, printed or exported; the exit code.
int PrintLoaded(const Options& options, const TLogSession& session, const LoadResult& result,
                const TCommonIniFile& common, CliUiServices& ui, std::FILE* out, std::FILE* err) {
  const TBBSProcess& process = *session.CurrentProcess;
  const int32_t treeLineType = common.ArticleGridTreeLineType;

  Output output(out);
  if (options.board >= static_cast<int32_t>(result.BoardLines.size())) {
    output.Flush();
    std::fprintf(err, "vornexpl-cli: there is no board %d (the set has %zu)\n", options.board,
                 result.BoardLines.size());
    return CliUsage;
  }
  if (options.command == "boards") {
    for (size_t b = 0; b < result.BoardLines.size(); ++b) {
      const std::string& line = result.BoardLines[b];
      output.Row({options.unread
                      ? BoardLineWithUnread(
                            line, CountBoard(process.Boards.GetArticles(int32_t(b))).Unread)
                      : line});
    }
  } else if (options.command == "articles") {
    // The reading aids of the set, read only: the tool never writes their files.
    TSetReadingAids aids;
    aids.Open(session);
    TQuickFilter filter(process.Members, session.LogList);
    std::string warning;
    if (!filter.SetCondition(options.filter, warning)) {
      output.Flush();
      ui.Print(warning);
      return CliUsage;
    }
    const GridRowRules rules{
        &filter,       options.flagged,
        &aids.Flags,   ReadThreadViewSettings(SettingsFilePath("vornexpl.ini")).HideIgnored,
        &aids.Writers, nullptr,
        &aids.Threads};
    if (options.board >= 0) {
      PrintArticles(output, process, options.board, options.order, treeLineType, rules);
    } else {
      for (int32_t b = 0; b < static_cast<int32_t>(result.BoardLines.size()); ++b) {
        output.Row({result.BoardLines[static_cast<size_t>(b)]});
        PrintArticles(output, process, b, options.order, treeLineType, rules);
      }
    }
  } else if (options.command == "show") {
    const TArticleList* articles = process.Boards.GetArticles(options.board);
    const int32_t count = articles ? articles->OrderCount(options.order) : 0;
    if (options.position >= count) {
      std::fprintf(err, "vornexpl-cli: board %d has no position %d (it has %d)\n", options.board,
                   options.position, count);
      return CliUsage;
    }
    const ArticleViewText view =
        ArticleViewLines(articles, options.order, options.position, session.LogList);
    // Terminal sequences go as the article view drops them; what is left shows as there.
    for (const std::string& line : view.Lines)
      output.Line(common.ArticleEditESCCut ? StripEscapeSequences(line) : line);
  } else if (options.command == "export") {
    output.Flush();
    const int exported = ExportCommand(options, session, common, ui, err);
    return LogsChanged(session, err) ? CliLogChanged : exported;
  } else {
    PrintStats(output, session, process, result);
  }
  output.Flush();
  if (LogsChanged(session, err)) return CliLogChanged;
  return ui.warnings > 0 ? CliPartial : CliOk;
}

}  // namespace

int RunCli(std::vector<std::string> args, std::FILE* out, std::FILE* err, bool processEnds) {
  // Asked for anywhere before "--": a launcher or a shell alias may have put options in front.
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, out);
      return CliOk;
    }
    if (arg == "--version") {
      std::fprintf(out, "vornexpl-cli %s\n", VORN_VERSION);
      return CliOk;
    }
  }
  if (!TakeSettingsDirOption(args)) return Usage(err, "--settings-dir needs a folder");
  Options options;
  std::string error;
  if (!ParseArguments(args, options, error)) return Usage(err, error);

  CliUiServices ui(err);
  ScopedUiServices scoped(&ui);
  if (const std::string problem = SettingsFolderProblem(); !problem.empty()) ui.Print(problem);
  const TCommonIniFile common(SettingsFilePath("vornexpl.ini"));
  if (!common.Problems.empty()) ui.Print(common.ProblemsMessage());
  TNetVorn netVorn(SettingsFilePath("netvorn.ini"), SettingsFilePath("vorndef.ini"));
  TNifty nifty(SettingsFilePath("nifty.ini"), SettingsFilePath("nifdef.ini"));
  TLogSession session({&netVorn, &nifty});
  session.Threads = options.threads;
  session.KeepAnalyses(options.cache);

  // The set, chosen as the window chooses it for files dropped on it.
  static const std::string kNoSet = Cp932("指定されたファイルに対するBBS設定がなされていません");
  std::string prefix;
  std::vector<std::string> files;
  if (options.prefixGiven) {
    prefix = options.prefix;
    files = options.files;
  } else {
    const LogFileGrouping grouping =
        GroupLogFiles(options.files, session.ProcessList, common.DefaultPrefix);
    if (grouping.Result == LogFileGrouping::SeveralSets) {
      ui.Print(Cp932("複数BBSのログファイルが指定されています\rBBSを指定して下さい"));
      std::fputs("(choose one with --prefix)\n", err);
      return CliLoadFailed;
    }
    if (grouping.Result == LogFileGrouping::NoSet) {
      ui.Print(kNoSet);
      return CliLoadFailed;
    }
    prefix = grouping.Prefix;
    files = grouping.Files;
    for (const std::string& file : options.files) {
      if (!SameLogPrefix(LogNamePrefix(file), prefix))
        std::fprintf(err, "vornexpl-cli: %s is not a log of set %s; skipped\n",
                     TerminalSafe(Cp932ToUtf8(file)).c_str(),
                     TerminalSafe(Cp932ToUtf8(prefix)).c_str());
    }
  }

  const LoadResult result = session.LoadLogFiles(files, prefix, false);
  if (!result.Loaded()) {
    if (result.Failure == LoadFailure::NoSet) ui.Print(kNoSet);
    return CliLoadFailed;
  }
  const int exit = PrintLoaded(options, session, result, common, ui, out, err);
  if (processEnds) {
    // Everything is written and every worker has ended: the archive's records and lines go
    // with the process, at once, instead of block by block.
    std::fflush(out);
    std::fflush(err);
    std::_Exit(exit);
  }
  return exit;
}

}  // namespace vorn
