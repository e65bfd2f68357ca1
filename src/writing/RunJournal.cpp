#include "writing/RunJournal.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "writing/EndOfRun.h"

namespace vorn {
namespace {

// The most titles a question lists; the rest are counted.
constexpr size_t kTitlesShown = 8;

std::vector<std::string> Signatures(const std::vector<JournalWrite>& writes) {
  std::vector<std::string> signatures;
  signatures.reserve(writes.size());
  for (const JournalWrite& w : writes)
    signatures.push_back(w.Signature());
  return signatures;
}

std::vector<uint32_t> WriteChanges(const TBBSProcess& bbs) {
  std::vector<uint32_t> changes;
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    const TArticleList* articles = bbs.Boards.GetArticles(b);
    changes.push_back(articles ? articles->WriteChanges : 0);
  }
  return changes;
}

// Whether this run read back the UP and PAD files as the last run knew them, or as it was
// about to write them (a run may end right after writing them).
bool AsLastRunLeftThem(const WriteJournalContent& journal, const std::vector<KnownFileState>& now) {
  std::map<std::string, std::vector<KnownFileState>> candidates;
  std::map<std::string, KnownFileState> read;
  for (const KnownFileState& f : journal.Files)
    candidates[f.Path].push_back(f);
  for (const KnownFileState& f : journal.NextFiles)
    candidates[f.Path].push_back(f);
  for (const KnownFileState& f : now)
    read[f.Path] = f;
  if (candidates.size() != read.size()) return false;
  for (const auto& [path, states] : candidates) {
    const auto found = read.find(path);
    if (found == read.end() ||
        std::find(states.begin(), states.end(), found->second) == states.end())
      return false;
  }
  return true;
}

// Copies the file under a name of its own beside it; that name, empty when it failed.
std::string KeepAside(const std::string& path) {
  std::string bytes;
  const std::string kept = KeptFilePath(path);
  if (!ReadWholeFile(path, bytes) || !WriteJournalFile(kept, bytes)) return {};
  return kept;
}

std::string KeptText(const std::string& kept) {
  return kept.empty() ? Cp932("別の名前で残すことが出来ませんでした")
                      : Cp932("次のファイルに残しました:") + "\r" + kept;
}

// The question that offers a journal's writes back.
std::string OfferText(const std::string& setName, const std::vector<const JournalWrite*>& offered) {
  std::string text = Cp932("前回の実行は正しく終了しませんでした（") + setName + Cp932("）\r") +
                     Cp932("UP/PADファイルに書込まれていない書込みが") +
                     std::to_string(offered.size()) + Cp932("件あります:");
  for (size_t i = 0; i < offered.size() && i < kTitlesShown; ++i) {
    const JournalWrite& w = *offered[i];
    text += "\r  " + (w.Batch ? Cp932("バッチセット ") + std::to_string(w.Key + RebaseOffset)
                              : w.Text.front());
  }
  if (offered.size() > kTitlesShown)
    text += "\r  " + Cp932("ほか") + std::to_string(offered.size() - kTitlesShown) + Cp932("件");
  return text + "\r" + Cp932("これらを書込み待ちに戻しますか？\r") +
         Cp932("はい: このBBSのログを開くと書込み待ちに戻ります\r") +
         Cp932("いいえ: 戻さずに別のファイルに残します");
}

}  // namespace

TRunJournal::SetFiles TRunJournal::FilesOf(const TBBSProcess& bbs) const {
  const TBBSIniFile& ini = *bbs.IniFile;
  std::string pad = session_.SetPath(ini.PadFile.empty() ? ini.Prefix + ".PAD" : ini.PadFile);
  const std::string name = ExtractFileName(pad);
  const size_t dot = name.rfind('.');
  const std::string stem =
      pad.substr(0, pad.size() - name.size() + (dot == std::string::npos ? name.size() : dot));
  return {stem + ".JNL", stem + ".JNR", session_.SetPath(ini.ReadPtrFile)};
}

void TRunJournal::FindLastRun() {
  std::vector<std::string> seen;
  for (TBBSProcess* bbs : session_.ProcessList) {
    TBBSIniFile* ini = bbs ? bbs->IniFile : nullptr;
    for (int i = 0; ini && i < ini->GetNetCount(); ++i) {
      if (!ini->SelectNet(ini->NetNoAt(i))) continue;
      const SetFiles files = FilesOf(*bbs);
      // Two sets may share their files; they are looked at once.
      if (std::find(seen.begin(), seen.end(), files.writes) != seen.end()) continue;
      seen.push_back(files.writes);
      if (FileExists(files.marks)) {
        ReadMarkJournalFile journal;
        if (!ReadReadMarkJournal(files.marks, journal)) {
          if (!KeepUserFileNotUnderstood(files.marks).empty()) DeleteFileAt(files.marks);
        } else if (ApplyReadMarkChanges(
                       journal.PointerFile.empty() ? files.pointers : journal.PointerFile,
                       journal.Changes)) {
          // A read-pointer file that could not be written keeps its journal for the next time.
          DeleteFileAt(files.marks);
          marksRecovered_ = marksRecovered_ || !journal.Changes.empty();
        }
      }
      if (!FileExists(files.writes)) continue;
      std::string bytes;
      Kept kept;
      kept.path = files.writes;
      kept.setName = ini->Name.empty() ? ini->Prefix : ini->Name;
      if (!ReadWholeFile(files.writes, bytes) || !ParseWriteJournal(bytes, kept.journal) ||
          kept.journal.System != bbs->GetSystemName()) {
        if (!KeepUserFileNotUnderstood(files.writes).empty()) DeleteFileAt(files.writes);
        continue;
      }
      // This run's editors take the same names: a text left in one is moved aside.
      for (const std::string& file : kept.journal.Editors) {
        const std::string aside = KeptFilePath(file);
        if (FileExists(file) &&
            std::rename(NativePath(file).c_str(), NativePath(aside).c_str()) == 0)
          editorsKept_.push_back(aside);
      }
      kept.journal.Editors.clear();
      // Kept also when it offers nothing: it tells what the last run did to the writes the
      // UP and PAD files hold (edited, deleted).
      kept.answered = !Offers(kept.journal);
      kept_.push_back(std::move(kept));
    }
  }
}

bool TRunJournal::Offers(const WriteJournalContent& journal) {
  for (const JournalWrite& w : journal.Writes) {
    if (!w.Known) return true;
  }
  return false;
}

bool TRunJournal::Ask(Kept& kept) {
  kept.answered = true;
  std::vector<const JournalWrite*> offered;
  for (const JournalWrite& w : kept.journal.Writes) {
    if (!w.Known) offered.push_back(&w);
  }
  if (Ui().ConfirmYesNo(OfferText(kept.setName, offered))) return true;
  const std::string aside = KeepAside(kept.path);
  Ui().Information(Cp932("戻さなかった書込みは") + KeptText(aside));
  if (!aside.empty()) DeleteFileAt(kept.path);
  return false;
}

std::vector<std::string> TRunJournal::OfferLastRun() {
  std::vector<std::string> logs;
  bool asked = false;
  for (auto it = kept_.begin(); it != kept_.end();) {
    if (it->answered) {
      ++it;
      continue;
    }
    asked = true;
    if (!Ask(*it)) {
      it = kept_.erase(it);
      continue;
    }
    if (logs.empty()) {
      for (const std::string& log : it->journal.Logs) {
        if (FileExists(log)) logs.push_back(log);
      }
    }
    ++it;
  }
  if (!editorsKept_.empty()) {
    std::string text =
        Cp932("前回の実行の終わりに開いていたエディタの文章は書込み待ちになっていません\r") +
        Cp932("次のファイルに残しました:");
    for (const std::string& file : editorsKept_)
      text += "\r" + file;
    Ui().Information(text);
    editorsKept_.clear();
  }
  if (marksRecovered_ && !asked) {
    Ui().Information(
        Cp932("前回の実行は正しく終了しませんでした\r") +
        Cp932("それまでの既読の印は、最後の数秒を除いてリードポインタファイルに書込みました"));
  }
  marksRecovered_ = false;
  return logs;
}

std::vector<KnownFileState> TRunJournal::OutputStates(const TBBSProcess& bbs) const {
  auto state = [&](const std::string& path, const std::vector<std::string>& lines) {
    CrLfTextBuilder text;
    for (const std::string& line : lines)
      text.Line(line);
    return StateOfBytes(session_.SetPath(path), text.Data());
  };
  std::vector<KnownFileState> states;
  if (bbs.HasUpFile()) states.push_back(state(bbs.IniFile->UpFile, bbs.UpFileLines()));
  states.push_back(state(bbs.IniFile->PadFile, bbs.PadFileLines()));
  return states;
}

void TRunJournal::NoteOutputFiles(const TBBSProcess& bbs) {
  knownWrites_ = Signatures(PendingWrites(bbs));
  knownFiles_ = KnownStates(bbs.OutputFilesKnown);
}

void TRunJournal::LoadStarting() {
  if (TBBSProcess* bbs = LoadedProcess(session_); bbs && marks_.Open()) {
    if (!marks_.Flush(*bbs)) JournalFailed(marks_.Path());
  }
}

void TRunJournal::LoadFinished(bool add) {
  TBBSProcess* bbs = LoadedProcess(session_);
  if (!bbs) return;
  if (add) {
    marks_.Rebase(*bbs);
    WritesChanged();
    return;
  }
  const SetFiles files = FilesOf(*bbs);
  // The set left before this load: the user decided what to keep of it.
  if (!current_.writes.empty() && current_.writes != files.writes) Ended();
  NoteOutputFiles(*bbs);
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->path != files.writes || it->journal.System != bbs->GetSystemName()) continue;
    Kept kept = std::move(*it);
    kept_.erase(it);
    // Logs of the set came before the start's question: it is asked now.
    if (kept.answered || Ask(kept)) Restore(*bbs, kept.journal, kept.path);
    break;
  }
  current_ = files;
  lastWritten_.clear();
  if (!marks_.Begin(*bbs, files.marks, files.pointers)) JournalFailed(files.marks);
  WritesChanged();
}

void TRunJournal::Restore(TBBSProcess& bbs, const WriteJournalContent& journal,
                          const std::string& path) {
  // The UP and PAD files are as the last run left them: its writes stand for all of them,
  // with what it edited and deleted. Otherwise (they were sent, changed, or not read back this
  // time) only its writes the files did not hold come back, and none that this run read back.
  const bool whole = AsLastRunLeftThem(journal, knownFiles_);
  std::vector<JournalWrite> writes;
  if (whole) {
    writes = journal.Writes;
  } else {
    std::vector<JournalWrite> fresh;
    for (const JournalWrite& w : journal.Writes) {
      if (!w.Known) fresh.push_back(w);
    }
    MarkKnownWrites(fresh, knownWrites_);
    for (const JournalWrite& w : fresh) {
      if (!w.Known) writes.push_back(w);
    }
  }
  const RestoreResult result = RestoreWrites(bbs, writes, whole);
  if (result.Unplaced == 0) return;
  Ui().Warning(Cp932("前回の書込みのうち") + std::to_string(result.Unplaced) +
               Cp932("件は、読込んだログにないボードにあてたものなので戻せませんでした\r") +
               KeptText(KeepAside(path)));
}

void TRunJournal::WritesChanged() {
  TBBSProcess* bbs = LoadedProcess(session_);
  if (!bbs || current_.writes.empty()) return;
  writeChangesSeen_ = WriteChanges(*bbs);
  WriteJournalContent content;
  content.System = bbs->GetSystemName();
  content.Prefix = session_.CurrentPrefix;
  content.Logs = session_.LogFileNames;
  content.Files = knownFiles_;
  content.NextFiles = OutputStates(*bbs);
  content.Writes = PendingWrites(*bbs);
  MarkKnownWrites(content.Writes, knownWrites_);
  if (OpenEditorFiles) content.Editors = OpenEditorFiles();
  std::string bytes = FormatWriteJournal(content);
  if (bytes == lastWritten_) return;
  if (!WriteJournalFile(current_.writes, bytes)) {
    JournalFailed(current_.writes);
    return;
  }
  lastWritten_ = std::move(bytes);
}

void TRunJournal::OutputWritten() {
  if (TBBSProcess* bbs = LoadedProcess(session_)) NoteOutputFiles(*bbs);
  WritesChanged();
}

void TRunJournal::PointersSaved() {
  TBBSProcess* bbs = LoadedProcess(session_);
  if (!bbs || current_.marks.empty()) return;
  if (!marks_.Begin(*bbs, current_.marks, current_.pointers)) JournalFailed(current_.marks);
}

void TRunJournal::Tick() {
  TBBSProcess* bbs = LoadedProcess(session_);
  if (!bbs || current_.writes.empty()) return;
  if (!marks_.Flush(*bbs)) JournalFailed(marks_.Path());
  if (WriteChanges(*bbs) != writeChangesSeen_) WritesChanged();
}

void TRunJournal::Ended() {
  if (!current_.writes.empty()) DeleteFileAt(current_.writes);
  if (!current_.marks.empty()) DeleteFileAt(current_.marks);
  marks_.Close();
  current_ = {};
  lastWritten_.clear();
}

std::vector<std::string> TRunJournal::SaveUnattended(bool withLists) {
  std::vector<std::string> failures;
  TBBSProcess* bbs = LoadedProcess(session_);
  if (!bbs) return failures;
  const std::string pointers = session_.SetPath(bbs->IniFile->ReadPtrFile);
  // The marks go into the read-pointer file through the journal: that needs no walk of the
  // boards' orders, which a sort may be rebuilding at this moment.
  ReadMarkJournalFile journal;
  bool saved = marks_.Open() && marks_.Flush(*bbs) && ReadReadMarkJournal(marks_.Path(), journal) &&
               ApplyReadMarkChanges(journal.PointerFile, journal.Changes);
  // A read-pointer file that is not one was kept aside when it was loaded; it is written anew
  // as the end of the run would.
  if (!saved && withLists) saved = bbs->SaveReadPointers(pointers);
  if (saved) {
    PointersSaved();
  } else {
    failures.push_back(Cp932("リードポインタファイル:") + pointers);
  }
  if (withLists) {
    const std::string boards = session_.SetPath(bbs->IniFile->BoardListFile);
    const std::string members = session_.SetPath(bbs->IniFile->MemberListFile);
    if (!bbs->Boards.SaveToFile(boards))
      failures.push_back(Cp932("ボードリストファイル:") + boards);
    if (!bbs->Members.SaveToFile(members))
      failures.push_back(Cp932("メンバーリストファイル:") + members);
  }
  WritesChanged();
  return failures;
}

void TRunJournal::JournalFailed(const std::string& path) {
  if (failureTold_) return;
  failureTold_ = true;
  Ui().Warning(Cp932("ジャーナルファイル:") + path + "\r" + Cp932("書込み出来ません\r") +
               Cp932("正しく終了しなかったとき、書込みと既読の印が失われることがあります"));
}

}  // namespace vorn
