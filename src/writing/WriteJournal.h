#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "store/ArticleRecord.h"

namespace vorn {

class TBBSProcess;

// One queued write, or one batch-download mark on an article of the log, as the journal of a
// run keeps it: enough to queue it again in a later run on logs that hold its board.
struct JournalWrite {
  bool Batch = false;
  int32_t BoardNo = -1;
  std::string BoardId;
  uint8_t Kind = ArticleKindRoot;
  // A batch mark's article, in its stored form.
  int32_t Key = -1;
  // A reply's parent, in its stored form.
  int32_t ParentKey = -1;
  bool TextIds = false;
  // A mail's recipients: numbers in decimal on hosts with numeric IDs.
  std::vector<std::string> To;
  // The title line first.
  TStringList Text;
  // The UP and PAD files hold it as this run last read them back or wrote them.
  bool Known = false;

  // What makes two writes the same write, whatever keys the runs gave them.
  std::string Signature() const;
};

// An UP or PAD file as a run knew it: its bytes' length and a hash of them.
struct KnownFileState {
  std::string Path;
  uint64_t Size = 0;
  uint64_t Hash = 0;
  bool operator==(const KnownFileState&) const = default;
};
KnownFileState StateOfBytes(const std::string& path, std::string_view bytes);
// The states of an analyser's OutputFilesKnown, by path.
std::vector<KnownFileState> KnownStates(const std::map<std::string, std::string>& known);

// The writes journal of a set: which set, the logs the run had open, the UP and PAD files as
// it knew them and its pending writes and batch marks, each noted when it was queued, edited
// or deleted.
struct WriteJournalContent {
  std::string System;  // the family's GetSystemName
  std::string Prefix;
  std::vector<std::string> Logs;
  std::vector<KnownFileState> Files;
  // What writing the UP and PAD files at this moment would leave in them: a run may end right
  // after writing them, before the journal learns of it.
  std::vector<KnownFileState> NextFiles;
  std::vector<JournalWrite> Writes;
  // The temporary files of the editors open at the time: texts not queued yet.
  std::vector<std::string> Editors;
};

// The file's text: CP932 lines with CR LF, a header line first and "end" last, so that a file
// cut short is seen to be. Fields are separated by tabs; tabs, line ends and backslashes inside
// them are escaped.
std::string FormatWriteJournal(const WriteJournalContent& content);
// False when the bytes are not a whole journal of this form.
bool ParseWriteJournal(std::string_view bytes, WriteJournalContent& content);

// The pending writes and batch marks of the boards, in board order and each board's storage
// order. Walks the stored entries, never an order, so that it may run while a board is sorted.
std::vector<JournalWrite> PendingWrites(const TBBSProcess& bbs);

// Marks as Known the writes whose signatures are among known (each signature once per time it
// occurs there).
void MarkKnownWrites(std::vector<JournalWrite>& writes, const std::vector<std::string>& known);

struct RestoreResult {
  int32_t Restored = 0;
  // Writes whose board (or batch mark's article board) the loaded logs lack.
  int32_t Unplaced = 0;
};

// Queues writes of a journal into the loaded boards as the user's pending writes, with keys
// from WriteArticleNo, and sets its batch marks; the boards that changed are sorted. With
// replace, the pending writes and batch marks there were go first: the journal stands for
// the whole of them.
RestoreResult RestoreWrites(TBBSProcess& bbs, const std::vector<JournalWrite>& writes,
                            bool replace);

}  // namespace vorn
