#pragma once
// The player of the model-based window tests: one random sequence of user commands on the main
// window of a sample, with the checks of what the UP and PAD files hold whenever the loaded data
// is left (see WindowModel_test.cpp). The run-end test plays the same sequences in a child
// process that it kills at random moments (RunEndModel_test.cpp).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QTableWidget>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "dialogs/BoardSet.h"
#include "dialogs/IDEdit.h"
#include "dialogs/NetSelect.h"
#include "platform/FileQuery.h"
#include "reader/WriteController.h"
#include "store/MailSendList.h"
#include "support/WindowWriteFixture.h"
#include "writing/RunningEditors.h"

namespace vorn::model {

namespace fs = std::filesystem;
using test::CrLf;
using test::J;
using Lines = std::vector<std::string>;

const std::string kUpPadQuestion =
    J("UP/PADファイルが編集されている可能性があります\r書込みますか？");
const std::string kDeleteQuestion = J("この書込みを削除しますか？");

std::string Shown(const std::string& cp932) {
  std::string text = Cp932ToUtf8(cp932);
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = '|';
  }
  return text;
}

// ---------------------------------------------------------------------------------------------
// What is pending, as comparable texts: one per write (board, kind, parent, recipients, text)
// and one per batch mark, sorted; and the PAD file's batch-download command when the marks ask
// for it (batchCommand).

const std::string kBatchCommand = "PAD batch-download command";

std::vector<std::string> Pending(const TBBSProcess& p, bool batchCommand = true) {
  std::vector<std::string> out;
  bool batch = false;
  const TBoardList& boards = p.Boards;
  for (int32_t b = 0; b < boards.Count(); ++b) {
    const TArticleList* list = boards.GetArticles(b);
    const std::string board = boards.GetBoardId(b) + "#" + std::to_string(boards.GetBoardNo(b));
    for (int32_t i = 0; list && i < list->OrderCount(ArticleSortNormal); ++i) {
      const ArticleRecord* r = list->GetArticle(ArticleSortNormal, i);
      std::ostringstream s;
      if (r->WriteFlag == 0) {
        if (r->BatchFlag == 0) continue;
        s << board << " batch " << r->ArticleKey;
        batch = true;
      } else {
        s << board << " kind " << int(r->Kind) << " parent " << r->ParentKey << " to";
        for (int32_t t = 0; r->MailTo() && t < r->MailTo()->Count(); ++t) {
          if (p.Members.TextIds) {
            s << ' ' << TMailSendList::GetRecipientText(r->MailTo(), t);
          } else {
            s << ' ' << TMailSendList::GetRecipientId(r->MailTo(), t);
          }
        }
        for (size_t l = 0; r->Text() && l < r->Text()->size(); ++l)
          s << "\n  " << (*r->Text())[l];
      }
      out.push_back(s.str());
    }
  }
  const auto* netVorn = dynamic_cast<const TNetVorn*>(&p);
  if (batchCommand && batch && netVorn && netVorn->Settings->PadFileBatchCommand)
    out.push_back(kBatchCommand);
  std::sort(out.begin(), out.end());
  return out;
}

// The markers the editors wrote ("MK<seed>x<n>" after a blank), not the letters of a scratch
// folder's random name in a binary write's file line.
std::set<std::string> MarkersIn(const std::vector<std::string>& pending) {
  std::set<std::string> markers;
  for (const std::string& text : pending) {
    for (size_t at = text.find(" MK"); at != std::string::npos; at = text.find(" MK", at + 3)) {
      size_t end = at + 3;
      const auto digits = [&] {
        const size_t from = end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
          ++end;
        return end > from;
      };
      if (!digits() || end >= text.size() || text[end] != 'x') continue;
      ++end;
      if (digits()) markers.insert(text.substr(at + 1, end - at - 1));
    }
  }
  return markers;
}

const std::string kUnplacedWarning = "UP/PAD writes without a place in the loaded logs";

// Questions asked while the files are read back for checking: none reaches the window.
class ReadBackUi final : public UiServices {
 public:
  // The only warning of a read-back: writes for a board or member the logs lack.
  void Warning(const std::string&) override { unplaced = true; }
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::Cancel; }
  UiAnswer AskLoadCheck(const std::string&) override {
    return readFiles ? UiAnswer::Yes : UiAnswer::No;
  }
  void ProcessMessages() override {}
  bool readFiles = false;
  bool unplaced = false;
};

// What the read-back needs of the loaded data, taken before a command that may leave it.
struct LoadedData {
  bool loaded = false;
  bool nifty = false;
  std::string prefix;
  std::vector<std::string> logs;
  // Board key, mail box flag, kind and attribute, as the window has them now.
  std::vector<std::tuple<std::string, uint8_t, uint8_t, uint8_t>> boards;
  std::string BinaryFileHeader;
  std::string WriteFileHeader;
};

LoadedData TakeLoadedData(const TVornExplMain& w) {
  LoadedData d;
  const TBBSProcess* p = w.CurrentAnalyser();
  d.loaded = p && !w.Session().CurrentPrefix.empty();
  if (!d.loaded) return d;
  d.nifty = dynamic_cast<const TNifty*>(p) != nullptr;
  d.prefix = w.Session().CurrentPrefix;
  d.logs = w.Session().LogFileNames;
  for (int32_t b = 0; b < p->Boards.Count(); ++b) {
    d.boards.emplace_back(p->Boards.GetBoardId(b), p->Boards.IsArticleBoard(b),
                          p->Boards.GetBoardType(b), p->Boards.GetBoardAttr(b));
  }
  d.BinaryFileHeader = p->BinaryFileHeader;
  d.WriteFileHeader = p->WriteFileHeader;
  return d;
}

// The writes an UP and a PAD file hold: the logs analysed afresh, the boards' kinds and
// attributes as the window had them, and the files read back into that.
std::vector<std::string> PendingInFiles(const LoadedData& d, const std::string& up,
                                        const std::string& pad) {
  ReadBackUi quiet;
  ScopedUiServices scoped(&quiet);
  std::unique_ptr<TBBSProcess> fresh;
  if (d.nifty) {
    fresh = std::make_unique<TNifty>(SettingsFilePath("nifty.ini"), SettingsFilePath("nifdef.ini"));
  } else {
    fresh = std::make_unique<TNetVorn>(SettingsFilePath("netvorn.ini"),
                                       SettingsFilePath("vorndef.ini"));
  }
  fresh->BinaryFileHeader = d.BinaryFileHeader;
  fresh->WriteFileHeader = d.WriteFileHeader;
  TLogSession session({fresh.get()});
  if (!session.LoadLogFiles(d.logs, d.prefix, false).Loaded())
    return {"(the logs could not be analysed again)"};
  for (const auto& [id, article, type, attr] : d.boards) {
    const int32_t b = fresh->Boards.FindBoardId(id);
    if (b >= 0) fresh->Boards.SetBoardAttr(b, article, type, attr);
  }
  quiet.readFiles = true;
  if (!d.nifty) fresh->ReadUpFile(up);
  fresh->ReadPadFile(pad);
  // The batch-download command is not read back: whether the file has it is what counts.
  std::vector<std::string> pending = Pending(*fresh, false);
  // Writes the loaded data has no place for are in the files, never among the pending ones.
  if (quiet.unplaced) pending.push_back(kUnplacedWarning);
  if (("\r\n" + test::ReadBytes(pad)).find("\r\n*DB\r\n") != std::string::npos) {
    pending.push_back(kBatchCommand);
    std::sort(pending.begin(), pending.end());
  }
  return pending;
}

// ---------------------------------------------------------------------------------------------

// Message boxes: answered at random (or Yes, at the final end), each one noted in the log.
class ModelUi final : public UiServices {
 public:
  ModelUi(std::mt19937_64& random, std::vector<std::string>& log) : random_(random), log_(log) {}

  void Warning(const std::string& text) override {
    Note("warning", text, "");
    // The file just read back holds writes without a place: it counts as not read.
    if (!loadChecks.empty() && (text.starts_with(J("UPファイルの書込みのうち")) ||
                                text.starts_with(J("PADファイルの書込みのうち"))))
      unplacedChecks.insert(loadChecks.size() - 1);
  }
  void Information(const std::string& text) override { Note("information", text, ""); }
  bool ConfirmYesNo(const std::string& text) override {
    const bool yes = allYes || random_() % 2 == 0;
    Note("question", text, yes ? "Yes" : "No");
    if (yes && text == kDeleteQuestion) ++deletesConfirmed;
    return yes;
  }
  bool ConfirmYesNoDefaultNo(const std::string& text) override { return ConfirmYesNo(text); }
  UiAnswer ConfirmYesNoCancel(const std::string& text) override {
    const UiAnswer answer = allYes ? UiAnswer::Yes : Pick3();
    Note("question", text, Name(answer));
    if (text == kUpPadQuestion) {
      ++upPadAsked;
      lastUpPad = answer;
    }
    return answer;
  }
  UiAnswer AskLoadCheck(const std::string& text) override {
    if (beforeLoadCheck) beforeLoadCheck();
    const UiAnswer answer = Pick3();
    Note("read back", text, answer == UiAnswer::Cancel ? "Delete" : Name(answer));
    loadChecks.emplace_back(text, answer);
    return answer;
  }
  void ProcessMessages() override { QCoreApplication::processEvents(); }

  bool allYes = false;
  int upPadAsked = 0;
  UiAnswer lastUpPad = UiAnswer::Cancel;
  int deletesConfirmed = 0;
  std::vector<std::pair<std::string, UiAnswer>> loadChecks;
  std::set<size_t> unplacedChecks;  // the read-backs that left writes without a place
  std::function<void()> beforeLoadCheck;

 private:
  UiAnswer Pick3() {
    switch (random_() % 3) {
      case 0:
        return UiAnswer::Yes;
      case 1:
        return UiAnswer::No;
      default:
        return UiAnswer::Cancel;
    }
  }
  static const char* Name(UiAnswer a) {
    return a == UiAnswer::Yes ? "Yes" : a == UiAnswer::No ? "No" : "Cancel";
  }
  void Note(const char* kind, const std::string& text, const char* answer) {
    log_.push_back(std::string("     ") + kind + " \"" + Shown(text) + "\" " + answer);
    if (std::getenv("VORN_MODEL_TRACE")) std::cerr << log_.back() << std::endl;
  }
  std::mt19937_64& random_;
  std::vector<std::string>& log_;
};

// ---------------------------------------------------------------------------------------------

// One sequence: its own folder with copies of the samples (a fresh one, or the empty folder
// given), its own window and editor.
class Sequence {
 public:
  explicit Sequence(uint64_t seed, const std::string& folder = std::string())
      : seed_(seed),
        nifty_(seed % 2 == 1),
        random_(seed * 0x9E3779B97F4A7C15ull + 18),
        dir_(folder.empty() ? test::TempDir() : test::TempDir(folder)),
        editor_(dir_),
        ui_(random_, log_),
        scoped_(&ui_) {
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    settings_ = dir_.Path() + "/settings/";
    fs::copy(samples / "settings", settings_, fs::copy_options::recursive);
    for (const char* log : {"NET19990730.LOG", "NIF19990730.LOG"})
      fs::copy_file(samples / log, dir_.File(log));
    for (const char* junk : {"NET19990731.LOG", "NIF19990731.LOG"})
      test::WriteBytes(dir_.File(junk), CrLf({"junk line one", "junk line two"}));
    test::WriteBytes(settings_ + "NET.SIG", CrLf({"-- taro"}));
    test::WriteBytes(settings_ + "NIF.SIG", CrLf({"-- taro"}));
    test::WriteBytes(dir_.File("pic.lzh"), "LZH");
    test::WriteBytes(dir_.Path() + "/caf\xc3\xa9.lzh", "LZH");
    SetSettingsFolderOverride(settings_);
    ui_.beforeLoadCheck = [this] {
      if (!bytesAtLoadCheck_) bytesAtLoadCheck_ = OutputBytes();
    };
    modal_.setInterval(1);
    QObject::connect(&modal_, &QTimer::timeout, [this] { AnswerDialog(); });
    modal_.start();
  }
  ~Sequence() {
    modal_.stop();
    window_.reset();
    SetSettingsFolderOverride("");
  }

  // Plays the sequence; false with the reason in Failure() when a check failed.
  bool Play() {
    Note(std::string("sample ") + (nifty_ ? "Nifty-Serve" : "NetVorn"));
    if (!Start()) return Fail("the sample did not load");
    const int steps = 8 + static_cast<int>(random_() % 24);
    for (int i = 0; i < steps && failure_.empty(); ++i)
      Step(i + 1);
    if (failure_.empty() && EndAtLast) End();
    return failure_.empty();
  }

  // For a test that plays the sequence in a process of its own and ends that from outside:
  // told of each new window (the first, and the one after each end), of each step before it
  // runs (its kind: "read", "write", "dialog", "save", "mode <command>" or "log") and after it.
  std::function<void(TVornExplMain&)> WindowMade;
  std::function<void(const std::string& kind)> StepStarting;
  std::function<void()> StepDone;
  // The last step is followed by the end of the run, checked; or by nothing.
  bool EndAtLast = true;
  // The markers of the composed texts that are pending; the one the next editor writes; those
  // of the write the grid shows.
  const std::set<std::string>& Live() const { return live_; }
  std::string NextMarker() const {
    return "MK" + std::to_string(seed_) + "x" + std::to_string(markers_ + 1);
  }
  std::set<std::string> ShownWriteMarkers() {
    if (!window_) return {};
    return CurrentWriteMarkers();
  }
  TVornExplMain* Window() const { return window_.get(); }
  const std::string& SettingsFolder() const { return settings_; }
  const std::string& Failure() const { return failure_; }
  std::string Log() const {
    std::string all;
    for (const std::string& line : log_)
      all += line + "\n";
    return all;
  }
  int Leaves() const { return leaves_; }
  int Composed() const { return composed_; }

 private:
  TVornExplMain& W() { return *window_; }
  void Note(const std::string& text) {
    log_.push_back(text);
    if (std::getenv("VORN_MODEL_TRACE")) {
      static const auto zero = std::chrono::steady_clock::now();
      std::cerr << std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - zero)
                       .count()
                << " " << text << std::endl;
    }
  }
  bool Fail(const std::string& why) {
    if (failure_.empty()) failure_ = why;
    return false;
  }
  size_t Below(size_t n) { return static_cast<size_t>(random_() % n); }
  bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
  template <class T>
  T Pick(std::initializer_list<T> items) {
    return *(items.begin() + Below(items.size()));
  }
  bool Loaded() { return window_ && !W().Session().CurrentPrefix.empty(); }
  // A command as the user reaches it: nothing when it is disabled, or its menu is. True when
  // it ran.
  bool Trigger(const char* name) {
    QAction* a = W().Command(name);
    bool reachable = a && a->isEnabled();
    for (QObject* o : a ? a->associatedObjects() : QList<QObject*>()) {
      if (auto* menu = qobject_cast<QMenu*>(o); menu && !menu->menuAction()->isEnabled())
        reachable = false;
    }
    Note(std::string("     ") + name + (reachable ? "" : " (disabled)"));
    if (reachable) a->trigger();
    return reachable;
  }
  // What the last command left for the event loop (a drop's load, a deferred redraw) is done.
  void Settle() {
    for (int i = 0; i < 2; ++i)
      QCoreApplication::processEvents();
  }

  // ----- the window's start and the files a run leaves

  std::string OutputPath(const std::string& prefix, bool upFile) const {
    return settings_ + prefix + (upFile ? ".UP" : ".PAD");
  }
  std::map<std::string, std::string> OutputBytes() const {
    std::map<std::string, std::string> bytes;
    for (const std::string& path :
         {OutputPath("NET", true), OutputPath("NET", false), OutputPath("NIF", false)})
      bytes[path] = test::ReadBytes(path);
    return bytes;
  }

  bool Start() {
    stepStarted_ = std::chrono::steady_clock::now();
    const std::string log = dir_.File(nifty_ ? "NIF19990730.LOG" : "NET19990730.LOG");
    bytesAtLoadCheck_.reset();
    const size_t asked = ui_.loadChecks.size();
    window_ = std::make_unique<TVornExplMain>(std::vector<std::string>{log});
    if (WindowMade) WindowMade(W());
    W().show();
    for (int i = 0; i < 2000 && !Loaded(); ++i)
      QTest::qWait(1);
    if (!Loaded()) return false;
    W().CommonIni().TempFile = dir_.File("vorntemp.txt");
    W().CommonIni().RoorWriteJump = Chance(70);
    W().CommonIni().JumpRessWriteSrc = Chance(50);
    AfterLoad(asked);
    return true;
  }

  // After a fresh load: what is pending is what it read back; a file it did not read holds
  // writes that must be kept when it is replaced.
  void AfterLoad(size_t asked) {
    for (size_t i = asked; i < ui_.loadChecks.size(); ++i) {
      const auto& [question, answer] = ui_.loadChecks[i];
      const std::string path = OutputPath(W().Session().CurrentPrefix, question.starts_with("UP"));
      const std::string before = bytesAtLoadCheck_ ? (*bytesAtLoadCheck_)[path] : std::string();
      if ((answer == UiAnswer::No || ui_.unplacedChecks.count(i)) && !before.empty()) {
        unread_[path] = before;
      } else {
        unread_.erase(path);
      }
    }
    live_ = Loaded() ? MarkersIn(Pending(*W().CurrentAnalyser())) : std::set<std::string>();
  }

  // After the files were written: a file that was not read back and has changed since is
  // kept, byte for byte, under a name of its own.
  bool CheckKeptFiles(const std::map<std::string, std::string>& now) {
    for (auto it = unread_.begin(); it != unread_.end();) {
      const auto& [path, old] = *it;
      if (now.at(path) == old) {
        ++it;
        continue;
      }
      const std::string name = fs::path(path).stem().string() + "_notread_";
      bool kept = false;
      for (const auto& entry : fs::directory_iterator(settings_)) {
        kept = kept || (entry.path().filename().string().starts_with(name) &&
                        test::ReadBytes(entry.path().string()) == old);
      }
      if (!kept) return Fail(path + " was replaced and its writes, not read back, were not kept");
      it = unread_.erase(it);
    }
    return true;
  }

  // ----- the checks

  // What is pending in the window, every text an editor saved among it.
  bool PendingInWindow(std::vector<std::string>& pending) {
    pending = Loaded() ? Pending(*W().CurrentAnalyser()) : std::vector<std::string>();
    const std::set<std::string> markers = MarkersIn(pending);
    if (markers == live_) return true;
    std::string why = "the pending writes are not what was composed:";
    for (const std::string& m : live_)
      if (!markers.count(m)) why += " lost " + m;
    for (const std::string& m : markers)
      if (!live_.count(m)) why += " unexpected " + m;
    return Fail(why);
  }

  static std::string Difference(const std::vector<std::string>& window,
                                const std::vector<std::string>& disk) {
    std::string text;
    for (const std::string& p : window) {
      if (!std::binary_search(disk.begin(), disk.end(), p)) text += "\n  pending only: " + Shown(p);
    }
    for (const std::string& p : disk) {
      if (!std::binary_search(window.begin(), window.end(), p))
        text += "\n  in the files only: " + Shown(p);
    }
    return text;
  }

  // The files as they were, for the report of a failure.
  std::string FileTexts(const LoadedData& d, const std::map<std::string, std::string>& bytes) {
    std::string text;
    for (const bool upFile : {true, false}) {
      const std::string path = OutputPath(d.prefix, upFile);
      if (!bytes.count(path)) continue;
      text += "\n  " + fs::path(path).filename().string() + ": " + Shown(bytes.at(path));
    }
    return text;
  }

  // The writes the set's files hold, read from the bytes given (written to scratch files).
  std::vector<std::string> PendingInBytes(const LoadedData& d,
                                          const std::map<std::string, std::string>& bytes) {
    const std::string up = dir_.File("check.UP");
    const std::string pad = dir_.File("check.PAD");
    test::WriteBytes(
        up, bytes.count(OutputPath(d.prefix, true)) ? bytes.at(OutputPath(d.prefix, true)) : "");
    test::WriteBytes(pad, bytes.at(OutputPath(d.prefix, false)));
    return PendingInFiles(d, up, pad);
  }

  // A command that may leave the loaded data (ending, opening logs, a drop): it asks about the
  // UP/PAD files exactly when the pending writes differ from what the files hold; after Yes
  // they hold exactly the pending writes, after No or Cancel they are as they were. (When the
  // command goes on to load logs, the files are looked at as that load first meets them.)
  bool LeaveChecked(const std::function<bool()>& command) {
    std::vector<std::string> pending;
    if (!PendingInWindow(pending)) return false;
    const LoadedData data = TakeLoadedData(W());
    const auto before = OutputBytes();
    const std::vector<std::string> inFiles =
        data.loaded ? PendingInBytes(data, before) : std::vector<std::string>();
    const int asked = ui_.upPadAsked;
    bytesAtLoadCheck_.reset();
    const size_t loadChecks = ui_.loadChecks.size();
    if (!command()) return true;
    ++leaves_;
    const auto after = bytesAtLoadCheck_ ? *bytesAtLoadCheck_ : OutputBytes();
    const bool wasAsked = ui_.upPadAsked > asked;
    if (wasAsked != (pending != inFiles)) {
      return Fail(std::string(wasAsked ? "asked although the files hold the pending writes"
                                       : "did not ask although the files differ") +
                  Difference(pending, inFiles) + FileTexts(data, before));
    }
    if (wasAsked && ui_.lastUpPad == UiAnswer::Yes && data.loaded) {
      const std::vector<std::string> written = PendingInBytes(data, after);
      if (written != pending)
        return Fail("after Yes the files do not hold the pending writes" +
                    Difference(pending, written));
      if (!CheckKeptFiles(after)) return false;
    } else if (after != before) {
      return Fail("the UP or PAD file changed without a Yes");
    }
    // Logs loaded afresh replace what was pending by what they read back (the files hold what
    // was pending unless the user said No, which was checked above).
    AfterLoad(loadChecks);
    return true;
  }

  // The save command writes exactly what is pending, keeping a file not read back.
  bool SaveChecked(const char* name) {
    std::vector<std::string> pending;
    if (!PendingInWindow(pending)) return false;
    const LoadedData data = TakeLoadedData(W());
    Trigger(name);
    if (!data.loaded) return true;
    const auto after = OutputBytes();
    const std::vector<std::string> written = PendingInBytes(data, after);
    if (written != pending)
      return Fail("the save command did not write the pending writes" +
                  Difference(pending, written));
    return CheckKeptFiles(after);
  }

  // ----- the final end

  void End() {
    stepStarted_ = std::chrono::steady_clock::now();
    Note("end: every question answered Yes");
    ui_.allYes = true;
    const char* command = Pick({"MenuEnd", "MenuNoSaveEnd"});
    if (!LeaveChecked([&] {
          if (!Trigger(command)) W().close();
          return true;
        }))
      return;
    if (W().isVisible()) Fail("the window did not close");
  }

  // ----- the editor

  // The next editor: saves a text with a marker of its own, appends one, quits, saves nothing
  // new, or cannot be started.
  void PlanEditor() {
    const std::string marker = "MK" + std::to_string(seed_) + "x" + std::to_string(++markers_);
    const size_t kind = Below(20);
    std::string action;
    std::string data;
    if (kind < 10) {
      action = "replace";
      data = CrLf({"T " + marker, "body " + marker});
      if (Chance(20)) data += CrLf({".", "cut off"});
    } else if (kind < 12) {
      action = "replace";
      data = "LF " + marker + "\nbody\n";
    } else if (kind < 16) {
      action = "append";
      data = CrLf({"added " + marker});
    } else if (kind < 18) {
      action = "quit";
    } else if (kind < 19) {
      action = "touch";
    } else {
      action = "missing";
    }
    editorSaves_ = action == "replace" || action == "append";
    editorReplaces_ = action == "replace";
    editorMarker_ = marker;
    if (action == "missing") {
      W().CommonIni().Editer = dir_.File("no-editor-here");
      editorData_.clear();
    } else {
      W().CommonIni().Editer = editor_.Command(action, data);
      editorData_ = editor_.LastDataFile();
    }
    Note("     editor: " + action + (editorSaves_ ? " " + marker : std::string()));
  }
  bool EditorSaved() const {
    return editorSaves_ && !editorData_.empty() && FileExists(editorData_ + ".ran");
  }
  // The markers of the pending write the grid shows now (none when it shows an article).
  std::set<std::string> CurrentWriteMarkers() {
    const TArticleList* list = W().BoardView().CurrentArticles();
    const int32_t position = W().BoardView().CurrentPosition();
    const ArticleRecord* r =
        list && position >= 0 ? list->GetArticle(W().Reading().TreeOrder(), position) : nullptr;
    if (!r || r->WriteFlag != 1 || !r->Text()) return {};
    std::vector<std::string> text(r->Text()->begin(), r->Text()->end());
    return MarkersIn(text);
  }

  // ----- the steps

  void Step(int number) {
    stepStarted_ = std::chrono::steady_clock::now();
    Note("step " + std::to_string(number) + ":");
    const size_t kind = Below(100);
    auto starting = [&](const std::string& what) {
      if (StepStarting) StepStarting(what);
    };
    if (kind < 22) {
      starting("read");
      ReadingMove();
    } else if (kind < 62) {
      starting("write");
      WriteCommand();
    } else if (kind < 74) {
      starting("dialog");
      DialogCommand();
    } else if (kind < 78) {
      starting("save");
      SaveChecked(Pick({"MenuCreateUpFile", "BTNSave"}));
    } else if (kind < 83) {
      const char* name =
          Pick({"MenuTree", "MenuNormal", "MenuNewReadMode", "MenuSearchMode", "BTNNewMode",
                "BTNSearchMode", "MenuReadPtrClear", "MenuReadPtrSet"});
      starting(std::string("mode ") + name);
      Trigger(name);
    } else {
      starting("log");
      LogCommand();
    }
    Settle();
    if (StepDone) StepDone();
  }

  void ReadingMove() {
    if (Chance(30)) {
      W().BoardList().setFocus();
      const int moves = 1 + static_cast<int>(Below(3));
      const bool down = Chance(60);
      Note(std::string("     board list: ") + std::to_string(moves) + (down ? " down" : " up") +
           ", Return");
      for (int i = 0; i < moves; ++i)
        QTest::keyClick(&W().BoardList(), down ? Qt::Key_Down : Qt::Key_Up);
      QTest::keyClick(&W().BoardList(), Qt::Key_Return);
      return;
    }
    if (Chance(20)) {
      Trigger(Pick({"BTNNext", "BTNBefore", "BTNNoRead", "BTNLevelParent", "BTNLevelNext",
                    "BTNLevelBefore", "BTNLevelRestore"}));
      return;
    }
    const auto [key, modifiers, name] = Pick<std::tuple<int, Qt::KeyboardModifiers, const char*>>(
        {{Qt::Key_Down, Qt::NoModifier, "Down"},
         {Qt::Key_Down, Qt::NoModifier, "Down"},
         {Qt::Key_Up, Qt::NoModifier, "Up"},
         {Qt::Key_Space, Qt::NoModifier, "Space"},
         {Qt::Key_Down, Qt::ControlModifier, "Ctrl+Down"},
         {Qt::Key_Left, Qt::ControlModifier, "Ctrl+Left"},
         {Qt::Key_Right, Qt::ControlModifier, "Ctrl+Right"},
         {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"}});
    Note(std::string("     grid key ") + name);
    QTest::keyClick(&W().ArticleGrid(), Qt::Key(key), modifiers);
  }

  void WriteCommand() {
    if (!Loaded()) return Note("     (no log loaded)");
    PlanEditor();
    const std::set<std::string> current = CurrentWriteMarkers();
    const int deletes = ui_.deletesConfirmed;
    bool edit = false;
    const size_t way = Below(10);
    if (way < 6) {
      const char letter = Pick({'W', 'F', 'M', 'J', 'E', 'D', 'S', 'P', 'G', 'F', 'W', 'E'});
      const bool shift = std::string("WFMJ").find(letter) != std::string::npos && Chance(25);
      Note(std::string("     grid key ") + (shift ? "Shift+" : "") + letter);
      edit = letter == 'E';
      QTest::keyClick(&W().ArticleGrid(), Qt::Key(letter),
                      shift ? Qt::ShiftModifier : Qt::NoModifier);
    } else if (way < 9) {
      const char* name = Pick({"MenuWRoot",
                               "BTNRoot",
                               "GMenuRoot",
                               "MenuWRess",
                               "BTNRess",
                               "GMenuRess",
                               "MenuWMail",
                               "BTNMail",
                               "GMenuMail",
                               "MenuWBatch",
                               "BTNBatch",
                               "GMenuBatch",
                               "MenuWJumpRess",
                               "BTNJumpRess",
                               "GMenuJumpRess",
                               "MenuWEdit",
                               "BTNEdit",
                               "GMenuEdit",
                               "MenuWDel",
                               "BTNDel",
                               "GMenuDel",
                               "MenuWRootBinary",
                               "GMenuRootBinary",
                               "MenuWRessBinary",
                               "GMenuRessBinary",
                               "MenuWMailBinary",
                               "GMenuMailBinary",
                               "MenuWJumpRessBinary",
                               "GMenuJumpRessBinary"});
      edit = std::string(name).ends_with("Edit");
      Trigger(name);
    } else {
      const bool mail = Chance(50);
      const bool shift = Chance(20);
      Note(std::string("     board list key ") + (shift ? "Shift+" : "") + (mail ? "M" : "W"));
      W().BoardList().setFocus();
      QTest::keyClick(&W().BoardList(), mail ? Qt::Key_M : Qt::Key_W,
                      shift ? Qt::ShiftModifier : Qt::NoModifier);
    }
    if (EditorSaved()) {
      if (edit && editorReplaces_) {
        for (const std::string& m : current)
          live_.erase(m);
      }
      live_.insert(editorMarker_);
      ++composed_;
    }
    if (ui_.deletesConfirmed > deletes) {
      for (const std::string& m : current)
        live_.erase(m);
    }
    std::vector<std::string> pending;
    PendingInWindow(pending);
  }

  void DialogCommand() {
    if (Chance(15) && Loaded()) {
      Note("     grid key I");
      QTest::keyClick(&W().ArticleGrid(), Qt::Key_I);
      return;
    }
    Trigger(Pick({"MenuBoardEdit", "MenuBoardEdit", "MenuIDEdit", "GMenuIDEdit", "MenuCommonSet",
                  "MenuSearch", "BTNSearch", "MenuBBSSet", "MenuLogInfo", "MenuInfo", "BTNInfo",
                  "MenuAbout", "MenuBoardOut", "MenuArticleCut", "MenuPrint"}));
  }

  void LogCommand() {
    const size_t kind = Below(10);
    if (kind < 3) {
      Trigger(Pick({"MenuOpenAdd", "BTNOpenAdd"}));
      return;
    }
    if (kind < 6) {
      const std::string file = dir_.File(
          Pick({"NET19990730.LOG", "NET19990731.LOG", "NIF19990730.LOG", "NIF19990731.LOG"}));
      Note("     drop " + fs::path(file).filename().string());
      LeaveChecked([&] {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&W(), &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&W(), &drop);
        for (int i = 0; i < 5; ++i)
          QTest::qWait(1);
        return true;
      });
      return;
    }
    if (kind < 8) {
      const char* name = Pick({"MenuOpen", "BTNOpen", "MenuNoSaveOpen"});
      LeaveChecked([&] { return Trigger(name); });
      return;
    }
    // The end of this run, and the start of the next one.
    const char* name = Pick({"MenuEnd", "MenuNoSaveEnd", "close"});
    LeaveChecked([&] {
      if (std::string(name) != "close") return Trigger(name);
      Note("     close box");
      W().close();
      return true;
    });
    if (!failure_.empty() || W().isVisible()) return;
    Note("     start again");
    window_.reset();
    if (!Start()) Fail("the sample did not load again");
  }

  // ----- the modal dialogs

  void Press(QWidget& dialog, std::initializer_list<const char*> names, bool ok) {
    for (const char* name : names) {
      if (auto* b = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name))) {
        if (!b->isEnabled() || !b->isVisible()) continue;
        Note(std::string("     dialog ") + dialog.metaObject()->className() + ": " + name);
        QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
        return;
      }
    }
    Note(std::string("     dialog ") + dialog.metaObject()->className() +
         (ok ? ": accept" : ": reject"));
    QMetaObject::invokeMethod(&dialog, ok ? "accept" : "reject", Qt::QueuedConnection);
  }
  void OkOrCancel(QWidget& dialog) {
    if (Chance(60)) {
      Press(dialog, {"BTNOK", "OKButton"}, true);
    } else {
      Press(dialog, {"BTNCancel"}, false);
    }
  }
  void PickRow(QWidget& dialog, const char* grid) {
    auto* table = dialog.findChild<QTableWidget*>(QString::fromLatin1(grid));
    if (!table || table->rowCount() == 0) return;
    const int row = static_cast<int>(Below(static_cast<size_t>(table->rowCount())));
    Note("     row " + std::to_string(row));
    table->setCurrentCell(row, std::min(1, table->columnCount() - 1));
  }

  void AnswerDialog() {
    ++ticks_;
    // A command that does not come back (a dialog nobody can close, a wait without end) fails
    // the sequence; its dialogs are closed so that the run can go on.
    if (std::chrono::steady_clock::now() - stepStarted_ > std::chrono::seconds(20)) {
      Fail("a command did not come back within 20 s");
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      return;
    }
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    // A dialog that is still up a while after its answer refused it (a check failed): it is
    // answered again.
    const auto answered = answered_.find(dialog);
    if (answered != answered_.end() && ticks_ - answered->second < 40) return;
    if (answered == answered_.end()) {
      QObject::connect(
          dialog, &QDialog::finished, &modal_, [this, dialog] { answered_.erase(dialog); },
          Qt::SingleShotConnection);
    }
    answered_[dialog] = ticks_;
    if (auto* files = qobject_cast<QFileDialog*>(dialog)) return AnswerFileDialog(*files);
    if (qobject_cast<TBoardSetForm*>(dialog)) {
      PickRow(*dialog, "SGDBoard");
      if (dialog->windowTitle() == QStringLiteral("ボード編集")) {
        for (const char* radio :
             {"RGBSts_0", "RGBSts_1", "RGBSts_2", "RGBAlign_0", "RGBAlign_1", "RGBAlign_2"}) {
          auto* b = dialog->findChild<QRadioButton*>(QString::fromLatin1(radio));
          if (b && b->isEnabled() && Chance(12)) {
            Note(std::string("     click ") + radio);
            b->click();
          }
        }
      }
      return OkOrCancel(*dialog);
    }
    if (qobject_cast<TIDEditForm*>(dialog)) {
      PickRow(*dialog, "SGDID");
      return OkOrCancel(*dialog);
    }
    if (auto* word = dialog->findChild<QComboBox*>(QStringLiteral("CBSearchWord"))) {
      if (Chance(70)) {
        const QString text = Pick({QStringLiteral("Re"), QStringLiteral("sample"),
                                   QStringLiteral("[a-z]+"), QStringLiteral("MK")});
        Note("     search word " + text.toStdString());
        word->setEditText(text);
      }
      return OkOrCancel(*dialog);
    }
    if (qobject_cast<TNetSelectForm*>(dialog)) {
      PickRow(*dialog, "SGDNetSelect");
      return OkOrCancel(*dialog);
    }
    if (qobject_cast<QMessageBox*>(dialog)) return Press(*dialog, {}, false);
    // The print dialog is only ever cancelled: there is no printer.
    if (std::string(dialog->metaObject()->className()) == "QPrintDialog")
      return Press(*dialog, {}, false);
    OkOrCancel(*dialog);
  }

  void AnswerFileDialog(QFileDialog& d) {
    const QString title = d.windowTitle();
    std::string chosen;
    if (d.acceptMode() == QFileDialog::AcceptSave) {
      chosen = Chance(60) ? dir_.File("export.txt") : std::string();
    } else if (title == QStringLiteral("バイナリ送信ファイルの指定")) {
      if (!Chance(20))
        chosen = Chance(75) ? dir_.File("pic.lzh") : dir_.Path() + "/caf\xc3\xa9.lzh";
    } else if (!Chance(20)) {
      chosen = dir_.File(
          Pick({"NET19990730.LOG", "NET19990731.LOG", "NIF19990730.LOG", "NIF19990731.LOG"}));
    }
    if (chosen.empty()) {
      Note("     file dialog: cancel");
      QMetaObject::invokeMethod(&d, "reject", Qt::QueuedConnection);
      return;
    }
    Note("     file dialog: " + fs::path(chosen).filename().string());
    d.selectFile(QString::fromStdString(chosen));
    QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
  }

  uint64_t seed_;
  bool nifty_;
  std::mt19937_64 random_;
  test::TempDir dir_;
  std::string settings_;
  test::FakeEditor editor_;
  std::vector<std::string> log_;
  ModelUi ui_;
  ScopedUiServices scoped_;
  std::unique_ptr<TVornExplMain> window_;
  QTimer modal_;
  std::map<QDialog*, long> answered_;
  std::chrono::steady_clock::time_point stepStarted_ = std::chrono::steady_clock::now();
  long ticks_ = 0;
  std::set<std::string> live_;
  std::map<std::string, std::string> unread_;
  std::optional<std::map<std::string, std::string>> bytesAtLoadCheck_;
  std::string failure_;
  int markers_ = 0;
  std::string editorData_;
  std::string editorMarker_;
  bool editorSaves_ = false;
  bool editorReplaces_ = false;
  int leaves_ = 0;
  int composed_ = 0;
};

}  // namespace vorn::model
