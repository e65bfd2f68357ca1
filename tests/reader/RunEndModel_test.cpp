// A model-based kill test. Each cycle plays a random sequence of the window model (writes,
// edits, deletes, reading, flags, batch marks, loads, the dialogs; WindowModelSequence.h) in a
// child process (this test program started again) with the run-end handling the program
// installs, and ends it from outside at a random moment with SIGKILL or SIGTERM. The child tells
// before each step what it is and what is pending and read, and after it the same again. Then
// the program starts on the child's settings folder (the last run's writes kept, the UP and
// PAD files read back) and the cycle checks:
//   - every write pending before the kill is pending again, once; nothing comes back that was
//     neither pending then nor in the UP and PAD files (a step under way may add or drop its
//     own write, and a load or an end under way may drop all);
//   - SIGTERM ends the run at once, by that signal, and the read pointers are those of the
//     last moment; after SIGKILL no read mark is older than the journal's interval: what was
//     read (or unread) throughout the interval before the kill is read (unread) now.
//
// VORN_KILL_CYCLES sets how many cycles run (default 12), VORN_KILL_FIRST_SEED the first
// seed (default 1); VORN_KILL_SEED replays one cycle (VORN_KILL_SIGNAL=TERM|KILL and
// VORN_KILL_DELAY=<ms> fix the moment). A failing cycle prints the child's steps.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "reader/RunEndSignals.h"
#include "reader/WindowModelSequence.h"

namespace vorn {
namespace {

using model::Sequence;
using Counts = std::map<std::string, int>;

constexpr const char* kChildSeed = "VORN_KILL_CHILD_SEED";
constexpr const char* kChildFolder = "VORN_KILL_CHILD_FOLDER";
// What a timer tick may be late by on a loaded machine, beyond the journal's interval.
constexpr double kSlackSeconds = 1.5;

uint64_t EnvNumber(const char* name, uint64_t otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : otherwise;
}

// A read mark as one word: the board keys of Nifty-Serve hold blanks.
std::string Mark(const std::string& board, const std::string& entry) {
  std::string mark = board + "|" + entry;
  for (char& c : mark)
    if (c == ' ') c = '~';
  return mark;
}

// The articles of the loaded set as its read-pointer file names them: "\board|key/time",
// "\board|time" for a mail (counted once per mail of that minute); the read ones, or all.
Counts ReadMarks(const TBBSProcess& bbs, bool all = false) {
  Counts marks;
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    const TArticleList* list = bbs.Boards.GetArticles(b);
    const int32_t number = bbs.Boards.GetBoardNo(b);
    const std::string board =
        "\\" + (number >= 0 ? std::to_string(number) : bbs.Boards.GetBoardId(b));
    const bool mail = bbs.IsMailBox(b);
    for (int32_t i = 0; list && i < list->Count(); ++i) {
      const ArticleRecord& r = *list->Entry(i);
      if (r.Used != 1 || r.WriteFlag != 0 || r.Kind == ArticleKindMissingRoot ||
          (!r.ReadFlag && !all))
        continue;
      const int64_t time = r.Rebased ? int64_t{r.PostTime} + RebaseOffset : r.PostTime;
      const int64_t key = r.Rebased ? int64_t{r.ArticleKey} + RebaseOffset : r.ArticleKey;
      if (time < 0 || (!mail && key < 0)) continue;
      ++marks[Mark(board, (mail ? "" : std::to_string(key) + "/") + std::to_string(time))];
    }
  }
  return marks;
}

Counts PointerFileMarks(const std::string& path) {
  std::vector<std::string> lines;
  ReadClassicTextFile(path, lines);
  Counts marks;
  std::string board;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].starts_with("\\")) {
      board = lines[i];
    } else {
      ++marks[Mark(board, lines[i])];
    }
  }
  return marks;
}

std::string Joined(const std::set<std::string>& items) {
  std::string text;
  for (const std::string& item : items)
    text += (text.empty() ? "" : ",") + item;
  return text;
}

std::set<std::string> Split(const std::string& text, char by) {
  std::set<std::string> items;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, by);) {
    if (!item.empty()) items.insert(item);
  }
  return items;
}

// ---------------------------------------------------------------------------------------------
// The child: one sequence, its state told on stdout, until the signal comes.

void Tell(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

TEST(RunEndModelChild, Play) {
  const char* seedText = std::getenv(kChildSeed);
  if (!seedText) GTEST_SKIP() << "started by the kill test only";
  const uint64_t seed = std::strtoull(seedText, nullptr, 10);
  test::GuiApp();
  Sequence sequence(seed, std::getenv(kChildFolder));
  sequence.EndAtLast = false;
  sequence.WindowMade = [](TVornExplMain& window) { new TRunEndSignals(window); };
  std::mt19937 pauses(static_cast<uint32_t>(seed));
  auto state = [&] {
    TVornExplMain* w = sequence.Window();
    const TBBSProcess* bbs = w ? w->CurrentAnalyser() : nullptr;
    const bool loaded = bbs && !w->Session().CurrentPrefix.empty() && !w->Loading();
    std::string line = "state " + (loaded ? w->Session().CurrentPrefix : std::string("-"));
    line += " live=" + Joined(sequence.Live());
    std::string read, all;
    if (loaded) {
      for (const auto& [mark, count] : ReadMarks(*bbs)) {
        for (int n = 0; n < count; ++n)
          read += mark + ";";
      }
      for (const auto& [mark, count] : ReadMarks(*bbs, true))
        all += mark + ";";
    }
    Tell(line + " read=" + read + " all=" + all);
  };
  sequence.StepStarting = [&](const std::string& kind) {
    state();
    std::string what = kind;
    for (char& c : what)
      if (c == ' ') c = '_';
    Tell("step " + what + " add=" + sequence.NextMarker() +
         " drop=" + Joined(sequence.ShownWriteMarkers()));
  };
  sequence.StepDone = [&] {
    state();
    // Now and then a pause, so that a kill also finds the run between its commands.
    QTest::qWait(static_cast<int>(pauses() % 60));
  };
  const bool passed = sequence.Play();
  if (!passed) {
    Tell("fail " + sequence.Failure());
    std::stringstream log(sequence.Log());
    for (std::string l; std::getline(log, l);)
      Tell("log " + l);
  }
  state();
  Tell("idle");
  QTest::qWait(120000);
  ADD_FAILURE() << "no signal came";
}

// ---------------------------------------------------------------------------------------------
// The parent: the child started, ended from outside at a random moment, the next start checked.

struct Said {
  double at;  // seconds since the child started
  std::string line;
};

struct State {
  double at = 0;
  std::string set;  // "-" while nothing is loaded
  std::set<std::string> live;
  Counts read;
  std::set<std::string> loaded;  // every article loaded, read or not
};

State ParseState(const Said& said) {
  State s;
  s.at = said.at;
  std::stringstream in(said.line);
  std::string word;
  in >> word >> s.set;
  while (in >> word) {
    if (word.starts_with("live=")) s.live = Split(word.substr(5), ',');
    if (word.starts_with("all=")) s.loaded = Split(word.substr(4), ';');
    if (word.starts_with("read=")) {
      std::stringstream marks(word.substr(5));
      for (std::string mark; std::getline(marks, mark, ';');)
        if (!mark.empty()) ++s.read[mark];
    }
  }
  return s;
}

class Cycle {
 public:
  Cycle(uint64_t seed, std::mt19937_64& random) : seed_(seed) {
    const uint64_t delay = EnvNumber("VORN_KILL_DELAY", 0);
    delayMs_ = delay ? static_cast<int>(delay) : static_cast<int>(random() % 3500);
    const char* signal = std::getenv("VORN_KILL_SIGNAL");
    term_ = signal && *signal ? std::string(signal) == "TERM" : random() % 2 == 0;
  }

  // Plays the cycle; false with the reason in Failure().
  bool Run() {
    if (!Play()) return false;
    Restart();
    return failure_.empty();
  }
  const std::string& Failure() const { return failure_; }
  std::string Report() const {
    std::string text = "seed " + std::to_string(seed_) + ", " + (term_ ? "SIGTERM" : "SIGKILL") +
                       " after " + std::to_string(delayMs_) + " ms: " + failure_ + "\n";
    for (const Said& s : said_)
      text += "  " + std::to_string(s.at).substr(0, 6) + " " + s.line.substr(0, 400) + "\n";
    return text + "replay: VORN_KILL_SEED=" + std::to_string(seed_) +
           " VORN_KILL_SIGNAL=" + (term_ ? "TERM" : "KILL") +
           " VORN_KILL_DELAY=" + std::to_string(delayMs_) +
           " QT_QPA_PLATFORM=offscreen build/tests/reader/test_run_end_model\n";
  }
  bool Term() const { return term_; }
  double EndSeconds() const { return endSeconds_; }

 private:
  bool Fail(const std::string& why) {
    if (failure_.empty()) failure_ = why;
    return false;
  }

  // The child, from its start to its end.
  bool Play() {
    int out[2];
    if (::pipe(out) != 0) return Fail("no pipe");
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      ::setenv(kChildSeed, std::to_string(seed_).c_str(), 1);
      ::setenv(kChildFolder, dir_.Path().c_str(), 1);
      ::execl(self.c_str(), self.c_str(), "--gtest_filter=RunEndModelChild.Play", nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    auto seconds = [&] {
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    std::string pending;
    double firstState = -1;
    double signalled = -1;
    bool open = true;
    while (open) {
      pollfd p{out[0], POLLIN, 0};
      ::poll(&p, 1, 5);
      char buf[4096];
      const ssize_t n = (p.revents & (POLLIN | POLLHUP)) ? ::read(out[0], buf, sizeof buf) : -1;
      if (n == 0) open = false;
      if (n > 0) pending.append(buf, static_cast<size_t>(n));
      for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
        said_.push_back({seconds(), pending.substr(0, end)});
        if (firstState < 0 && said_.back().line.starts_with("state ")) firstState = seconds();
        if (said_.back().line.starts_with("fail ")) Fail("the model failed in the child");
      }
      if (signalled < 0 && firstState >= 0 && seconds() - firstState >= delayMs_ / 1000.0) {
        signalled = seconds();
        ::kill(child, term_ ? SIGTERM : SIGKILL);
      }
      if (seconds() > 90) {
        ::kill(child, SIGKILL);
        open = false;
        Fail("the child did not come to its end");
      }
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    // The moment of the end: when the child could last have done anything.
    death_ = term_ ? seconds() : signalled;
    endSeconds_ = seconds() - signalled;
    if (signalled < 0) return Fail("the child ended before the signal");
    if (!WIFSIGNALED(status) || WTERMSIG(status) != (term_ ? SIGTERM : SIGKILL))
      return Fail("the child did not end by its signal (status " + std::to_string(status) + ")");
    if (term_ && endSeconds_ > TRunEndSignals::LoadStopWaitMs / 1000.0 + 5)
      return Fail("SIGTERM took " + std::to_string(endSeconds_) + " s");
    return failure_.empty();
  }

  // The next start, and what it finds.
  void Restart() {
    std::vector<State> states;
    std::string inFlight;
    std::set<std::string> add, drop, ever;
    for (const Said& s : said_) {
      if (s.line.starts_with("state ")) {
        states.push_back(ParseState(s));
        ever.insert(states.back().live.begin(), states.back().live.end());
        inFlight.clear();
      } else if (s.line.starts_with("step ")) {
        std::stringstream in(s.line);
        std::string word;
        in >> word >> inFlight;
        add.clear();
        drop.clear();
        while (in >> word) {
          if (word.starts_with("add=")) add = Split(word.substr(4), ',');
          if (word.starts_with("drop=")) drop = Split(word.substr(5), ',');
        }
      } else if (s.line == "idle") {
        inFlight.clear();
      }
    }
    if (states.empty() || states.back().set == "-") return;  // nothing was loaded yet
    // Before the first word of the child its window was loading and showing the first article:
    // no mark is known to be older than that.
    states.insert(states.begin(), State{0, states.front().set, {}, {}, {}});
    const State& last = states.back();
    const std::string settings = dir_.Path() + "/settings/";
    const std::string log = dir_.File(last.set + "19990730.LOG");
    // A load or an end under way may have dropped every write (No to the UP/PAD question) or
    // brought back any; a step's own write may have come or gone.
    const bool leaving = inFlight == "log";
    std::set<std::string> allowed = last.live;
    allowed.insert(add.begin(), add.end());
    if (leaving) allowed.insert(ever.begin(), ever.end());
    for (const char* ext : {".UP", ".PAD"}) {
      for (const std::string& m : model::MarkersIn({test::ReadBytes(settings + last.set + ext)}))
        allowed.insert(m);
    }

    RecordingUiServices ui;
    ui.defaultAnswer = UiAnswer::Yes;
    ScopedUiServices scoped(&ui);
    SetSettingsFolderOverride(settings);
    auto window = std::make_unique<TVornExplMain>(std::vector<std::string>{log});
    window->show();
    for (int i = 0; i < 3000 && window->Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(5);
    if (window->Session().CurrentPrefix.empty()) {
      SetSettingsFolderOverride("");
      Fail("the next start did not load " + log);
      return;
    }
    Counts pending;
    for (const std::string& text : model::Pending(*window->CurrentAnalyser())) {
      for (const std::string& m : model::MarkersIn({text}))
        ++pending[m];
    }
    window.reset();
    SetSettingsFolderOverride("");

    for (const auto& [marker, count] : pending) {
      if (count > 1) Fail(marker + " is pending " + std::to_string(count) + " times");
      if (!allowed.count(marker)) Fail(marker + " came back, but was not pending");
    }
    for (const std::string& marker : last.live) {
      if (!leaving && !drop.count(marker) && !pending.count(marker))
        Fail(marker + " was pending before the end and is lost");
    }
    CheckReadMarks(states, inFlight, PointerFileMarks(settings + last.set + ".PTR"));
  }

  // What was read (or not) throughout the time the end may lose is read (or not) after it.
  void CheckReadMarks(const std::vector<State>& states, const std::string& inFlight,
                      const Counts& after) {
    // A load or the marking of everything under way leaves no moment to compare with.
    if (inFlight == "log" || inFlight.starts_with("mode_MenuReadPtr")) return;
    const double from = term_
                            ? states.back().at
                            : death_ - TWriteController::JournalIntervalMs / 1000.0 - kSlackSeconds;
    std::vector<const State*> window;
    for (size_t i = states.size(); i-- > 0;) {
      window.push_back(&states[i]);
      if (states[i].at <= from) break;
    }
    for (const State* s : window) {
      if (s->set != states.back().set) return;
    }
    // The read-pointer file also keeps the marks of articles the run did not load.
    std::set<std::string> marks;
    for (const State* s : window) {
      for (const auto& [mark, count] : s->read)
        marks.insert(mark);
      marks.insert(s->loaded.begin(), s->loaded.end());
    }
    // A step under way may have read an article or two that no state shows.
    int extra = inFlight.empty() ? 0 : 3;
    for (const std::string& mark : marks) {
      int lo = 1 << 30, hi = 0;
      for (const State* s : window) {
        const auto found = s->read.find(mark);
        const int n = found == s->read.end() ? 0 : found->second;
        lo = std::min(lo, n);
        hi = std::max(hi, n);
      }
      const auto found = after.find(mark);
      const int n = found == after.end() ? 0 : found->second;
      if (n < lo) Fail("the read mark " + mark + " went back further than the journal's interval");
      if (n > hi && (extra -= n - hi) < 0) Fail("the read mark " + mark + " came from nowhere");
    }
  }

  uint64_t seed_;
  test::TempDir dir_;
  int delayMs_ = 0;
  bool term_ = false;
  double endSeconds_ = 0;
  double death_ = 0;
  std::vector<Said> said_;
  std::string failure_;
};

TEST(RunEndModel, KilledAtRandomMomentsNothingPendingIsLostOrDoubled) {
  test::GuiApp();
  const uint64_t replay = EnvNumber("VORN_KILL_SEED", 0);
  const uint64_t cycles = replay ? 1 : EnvNumber("VORN_KILL_CYCLES", 12);
  const uint64_t first = replay ? replay : EnvNumber("VORN_KILL_FIRST_SEED", 1);
  std::mt19937_64 random(first * 7919 + 3);
  int failures = 0, terms = 0, played = 0;
  double slowestTerm = 0;
  const auto started = std::chrono::steady_clock::now();
  for (uint64_t seed = first; seed < first + cycles; ++seed) {
    Cycle cycle(seed, random);
    const bool passed = cycle.Run();
    ++played;
    if (cycle.Term()) {
      ++terms;
      slowestTerm = std::max(slowestTerm, cycle.EndSeconds());
    }
    if (!passed) {
      ++failures;
      ADD_FAILURE() << cycle.Report();
    } else if (replay) {
      std::cout << cycle.Report();
    }
    if (failures >= 3) break;
  }
  std::cout << played << " cycles (" << terms << " SIGTERM, " << played - terms << " SIGKILL), "
            << failures << " failed, slowest SIGTERM end " << slowestTerm << " s, "
            << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()
            << " s\n";
}

}  // namespace
}  // namespace vorn
