#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/AnalysisCache.h"
#include "settings/BBSIniFile.h"
#include "store/BoardList.h"
#include "store/MemberList.h"

namespace vorn {

class TLogList;

// What an analysis reports of its progress. The window's progress bar implements it; the core
// and the command-line tool may run without one.
class AnalysisProgress {
 public:
  virtual ~AnalysisProgress() = default;
  // Starts a new run of max steps.
  virtual void SetMax(int max) = 0;
  virtual void Step() = 0;
  // Asked after each step: true ends the analysis early, and its caller gives up what it
  // stored.
  virtual bool Cancelled() { return false; }
};

// First line of every read-pointer file.
inline constexpr std::string_view ReadPtrFileHeader = "VornExplorer ReadPtrFile Ver.0.01";

// The analyser of one host-system family. The main window keeps one per family, drives it
// through ClearData, LoadLists, AnalyzeLog, SortData, ReadUpFile, ReadPadFile and
// LoadReadPointers when logs are opened, and through SaveLists, SaveReadPointers, WriteUpFile
// and WritePadFile at the end of a run. The base owns what every family shares: the settings
// object, the board list and member list of the current BBS, and the read-pointer file.
class TBBSProcess {
 public:
  // Takes over the settings object. textIds chooses the member list's mode: member IDs are text
  // (Nifty-Serve) or numbers (NetVorn family).
  TBBSProcess(std::unique_ptr<TBBSIniFile> iniFile, bool textIds);
  virtual ~TBBSProcess();
  TBBSProcess(const TBBSProcess&) = delete;
  TBBSProcess& operator=(const TBBSProcess&) = delete;

  // The short key of the family: "NetVorn", "NiftyServe".
  virtual std::string GetSystemName() const = 0;
  // Empties the boards and members. Families add their mail box afterwards.
  virtual void ClearData();
  // Both files are read even when the first fails; true only when both loads succeed.
  virtual bool LoadLists(const std::string& BoardListFile, const std::string& MemberListFile);
  virtual bool SaveLists(const std::string& BoardListFile, const std::string& MemberListFile);
  // Marks the articles the file names as read and no longer new. False for an empty file name
  // or a file whose first line is not the header; otherwise true.
  virtual bool LoadReadPointers(const std::string& ReadPtrFile);
  // Rewrites the file with every loaded article marked read (the user's own writes left out)
  // and every entry of the old file whose article is not loaded, so that reading some logs
  // never forgets what was read in others; removes it when nothing is left. False when it
  // could not be written or removed; the old file then stays as it was.
  virtual bool SaveReadPointers(const std::string& ReadPtrFile);
  // Analyses log lines from StartLine to the end into the boards, articles and members, sets
  // system and chat messages aside in SystemLog, and sets NetNo. False when the settings of
  // the entry cannot be selected.
  virtual bool AnalyzeLog(int32_t NetNo, TLogList& Log, TLogList& SystemLog, int32_t StartLine) = 0;
  // Sorts boards, members (when they changed) and every board's articles.
  virtual void SortData() = 0;
  virtual bool ReadUpFile(const std::string& UpFile) = 0;
  virtual bool WriteUpFile(const std::string& UpFile) = 0;
  virtual bool ReadPadFile(const std::string& PadFile) = 0;
  virtual bool WritePadFile(const std::string& PadFile) = 0;
  // The lines WriteUpFile and WritePadFile would write now; none when the file would be
  // removed. A family without an UP file has no UP lines.
  virtual bool HasUpFile() const { return true; }
  virtual std::vector<std::string> UpFileLines() const { return {}; }
  virtual std::vector<std::string> PadFileLines() const { return {}; }
  // Empty when the member ID is acceptable; otherwise the message to show.
  virtual std::string CheckIdNumber(int32_t Id) const = 0;
  // The same for an ID given as text, which may be normalised in place.
  virtual std::string CheckIdText(std::string& Id) const = 0;
  // A short label of the board for lists and placeholders; padded asks for a fixed width.
  virtual std::string GetBoardLabel(int32_t BoardIndex, bool Padded) const = 0;
  // The board's key; empty outside the board list.
  virtual std::string GetBoardName(int32_t BoardIndex) const;
  // The writer's handle found in an article's text lines; empty for families whose articles do
  // not carry it.
  virtual std::string FindWriterHandle(const std::vector<std::string>& Lines) const;

  // A file read back held writes that found no place among the loaded data (unplaced of them):
  // the user is told, and the file counts as not read, so that it is kept when it is replaced.
  void NoteUnplacedWrites(const std::string& path, int32_t unplaced, bool upFile);

  // True when the board is the mail box: a board keyed by number when its number is
  // MailBoardNo, a board keyed by text (negative number) when its key is MailBoardIndex.
  bool IsMailBox(int32_t BoardIndex) const;

  // Published properties, read and written directly by the main window and the write commands.
  std::string Name;
  TBBSIniFile* IniFile = nullptr;  // owned
  int32_t NetNo = -1;
  int32_t MailBoardNo = -1;
  std::string MailBoardIndex;
  int32_t WriteArticleNo = 0;
  std::string BinaryFileHeader;
  std::string WriteFileHeader;
  std::string Delimita;
  std::string InfoDialogTitle;
  bool WriteBinaryMailFlag = false;
  bool WriteBinaryRootFlag = false;
  bool WriteBinaryRessFlag = false;
  bool BinaryBatchSetFlag = false;
  std::string GenerateBoardTitle;
  int32_t HeaderOffset = 0;
  AnalysisProgress* ProgressBar = nullptr;  // not owned; may be null
  // AnalyzeLog on two threads from 2 on: one walks the log, the other stores what it finds; and
  // SortData sorts that many boards at a time (at most one a processor core). The result is the
  // same either way.
  int32_t AnalysisThreads = 1;
  // With a cache, AnalyzeLog keeps what it finds in each of AnalysisFiles (the files of the log
  // from its StartLine on) and does not walk a file again whose findings it holds. Not owned.
  const AnalysisCache* Cache = nullptr;
  std::vector<AnalysedFile> AnalysisFiles;
  // Of the last AnalyzeLog: the files not walked (their findings came from the cache), and those
  // whose findings were kept in it.
  int32_t FilesFromCache = 0;
  int32_t FilesKeptInCache = 0;
  // What the findings of a walk depend on beside the log: the selected set's patterns and
  // switches (each analyser adds what else its walk reads).
  std::string WalkSettingsKey() const;
  // Sorts every board's articles (SortData's last step).
  void SortBoardArticles();

  TBoardList Boards;
  TMemberList Members;
  // The bytes of the UP and PAD files as this run last read them back or wrote them, by path
  // (a missing file as empty). A file the user chose not to read back counts as empty: none
  // of its writes are among the pending ones. Emptied by ClearData.
  std::map<std::string, std::string> OutputFilesKnown;

 private:
  std::unique_ptr<TBBSIniFile> ownedIniFile_;
};

// A read mark changed since the read-pointer file was last written: the text of its board line
// (after the backslash), the article's key and time as the file holds them (key -1 for the mail
// box, whose lines give the time alone), and whether the article is read now.
struct ReadMarkChange {
  std::string board;
  int64_t key = -1;
  int64_t time = 0;
  bool read = false;
};

// Writes changes into the read-pointer file as SaveReadPointers would have had it run after
// them: an article's line added or removed (for the mail box one line of that time more or
// fewer), every other line kept; a missing file is begun, and a file left without lines is
// removed. False when the file is not a read-pointer file (it stays as it is) or could not be
// written.
bool ApplyReadMarkChanges(const std::string& ReadPtrFile,
                          const std::vector<ReadMarkChange>& changes);

// Turns one stored log line into the text the patterns are applied to: terminal escape
// sequences removed (as StripEscapeSequences does) and one CR appended. The buffer is reused
// from line to line, so a run allocates only while lines keep getting longer; a line without
// an ESC byte is copied as it is.
void PrepareLineText(std::string_view line, std::string& text);

}  // namespace vorn
