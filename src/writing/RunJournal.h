#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "writing/ReadMarkJournal.h"
#include "writing/WriteJournal.h"

namespace vorn {

class TBBSProcess;
class TLogSession;

// The journal of a run: what the user made since the end of the last run is on disk soon after
// it is made, so that a signal, a crash or a power cut loses at most the last moments, and the
// next start offers back what the run could not end cleanly. Beside the set's PAD file, named
// after it: "NET.JNL" holds the pending writes and batch marks of the loaded set, rewritten
// whole and synced whenever one is queued, edited or deleted; "NET.JNR" the read marks changed
// since the read-pointer file was last written, appended every few seconds and whenever the
// board changes. A run that ends as the user chose (the end of the run saved or not, as asked)
// removes both.
class TRunJournal final {
 public:
  explicit TRunJournal(TLogSession& session) : session_(session) {}

  // At the start of a run, before anything is loaded, for every set: the read marks that a
  // run which did not end cleanly left are written into the set's read-pointer file, a text it
  // left in an editor is moved out of this run's editors' way, and its writes are taken up.
  void FindLastRun();
  // Then, once the window is up: the writes of each such run that the UP and PAD files do not
  // hold are offered back (Yes, the default, queues them again when the set's logs are loaded;
  // No keeps them aside in a file the user is told of), and the user is told what else was
  // found. Returns the logs that run had open, for a start that names none. (Logs of the set
  // loaded before this ask the question themselves.)
  std::vector<std::string> OfferLastRun();

  // Logs are about to be loaded: the read marks so far are written down.
  void LoadStarting();
  // Logs were loaded. A fresh load begins the journal of the loaded set (the writes of its
  // last run, when the user kept them, are queued again first); after an add what its load
  // marked came from the read-pointer file.
  void LoadFinished(bool add);
  // Queued writes may have changed: written down when they did.
  void WritesChanged();
  // The UP and PAD files were written: what they hold is known now.
  void OutputWritten();
  // The read-pointer file was written: the read marks start again from it.
  void PointersSaved();
  // Every few seconds and whenever the board changes: read marks written down, and writes
  // that changed some other way (a load given up, logs added).
  void Tick();
  // The run left its set as the user chose: nothing is left to offer.
  void Ended();
  // An end that cannot ask: the read marks into the read-pointer file, the board and member
  // lists saved (withLists: not while a load changes them), the writes kept in the journal for
  // the next start. The failures, as texts to show (CP932).
  std::vector<std::string> SaveUnattended(bool withLists);

  // The temporary files of the editors open now, noted with the writes: a text still in an
  // editor at an end that was not chosen is kept from the next run's editors.
  std::function<std::vector<std::string>()> OpenEditorFiles;

  // The journal files of the loaded set; empty while none is kept.
  const std::string& WritesPath() const { return current_.writes; }
  const std::string& MarksPath() const { return current_.marks; }

 private:
  struct SetFiles {
    std::string writes, marks, pointers;
  };
  // Of the set selected in the analyser's settings.
  SetFiles FilesOf(const TBBSProcess& bbs) const;
  // What writing the UP and PAD files now would leave in them.
  std::vector<KnownFileState> OutputStates(const TBBSProcess& bbs) const;
  // Takes what the UP and PAD files hold now as known.
  void NoteOutputFiles(const TBBSProcess& bbs);
  void Restore(TBBSProcess& bbs, const WriteJournalContent& journal, const std::string& path);
  // Tells the user once per run that the journal cannot be written.
  void JournalFailed(const std::string& path);

  struct Kept {
    WriteJournalContent journal;
    std::string path;
    std::string setName;
    bool answered = false;
  };
  static bool Offers(const WriteJournalContent& journal);
  // Offers the writes back; false (and kept aside) when the user declines.
  bool Ask(Kept& kept);

  TLogSession& session_;
  SetFiles current_;
  TReadMarkJournal marks_;
  // The signatures of the writes the UP and PAD files hold, and those files' states.
  std::vector<std::string> knownWrites_;
  std::vector<KnownFileState> knownFiles_;
  std::string lastWritten_;
  std::vector<uint32_t> writeChangesSeen_;
  std::vector<Kept> kept_;
  std::vector<std::string> editorsKept_;
  bool marksRecovered_ = false;
  bool failureTold_ = false;
};

}  // namespace vorn
