#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveDate.h"

namespace vorn {

class TArticleList;
class TBBSProcess;
class TLogList;
class TMemberLookup;

// What the export reads of the loaded set. Everything it takes from an article list goes
// through ArchiveBoardReader, the one place that knows the article records.

// A board as the archive names it. Texts are CP932.
struct ArchiveBoardInfo {
  // Place in the board list (the CLI's board index).
  int32_t Index = 0;
  // The board's number as the host gives it; -1 for a board the host names by key only.
  int32_t Number = -1;
  std::string Key;
  std::string Title;
  // The board as its line in the board list names it, never empty: "1:general" for a numbered
  // board, "FBOOK:MES:20" for a Nifty-Serve board, "MAIL" for its mail box.
  std::string Label;
  // File name without extension, "NNN-key": the board's place, three digits, and its key with
  // everything but ASCII letters, digits and '-' turned into '_'. Never a path.
  std::string FileStem;
};

// The boards of the set in board-list order.
std::vector<ArchiveBoardInfo> ArchiveBoards(const TBBSProcess& process);

// "NNN-key" as described above; key CP932.
std::string BoardFileStem(int32_t index, std::string_view key);

// root, reply, binary root, binary reply, mail, binary mail ("missing" for a placeholder).
std::string_view ArticleKindName(uint8_t kind);

// One row of a board's tree order that the archive holds: every article, reply and mail of the
// log, and the placeholders that stand for missing parents. The user's queued writes are not
// in the log and are left out.
struct ArchiveEntry {
  int32_t Position = 0;  // in the board's tree order
  int32_t Parent = -1;   // entry index of the row above it in the tree, -1 for a top row
  int32_t Top = 0;       // entry index of the top row of its thread (itself for a top row)
  int32_t Level = 0;
  bool Placeholder = false;
  // Another row of the same parent follows (before any shallower row): the tree lines.
  bool HasLaterSibling = false;
};

// The fields of one entry. Texts are CP932 as the log holds them.
struct ArchiveArticle {
  uint8_t Kind = 0;
  int32_t Number = -1;
  // The date key the host gave (nullopt without one, or where the set's hosts number their
  // articles serially instead of giving a time).
  std::optional<ArchiveDate> Date;
  // The member ID as text, empty when the log gives none.
  std::string Writer;
  // The writer's handle from the member list, empty when the member is not in it.
  std::string Handle;
  std::string Title;
  // The lines the article view shows (FirstLine to LastLine), and the first line after the
  // article's header; LastLine < first line for an article without lines.
  int32_t FirstLine = -1;
  int32_t BodyLine = -1;
  int32_t LastLine = -1;
};

class ArchiveBoardReader final {
 public:
  // serialTimes: the set's hosts number articles serially (their post time is that number),
  // so only mails carry a date.
  ArchiveBoardReader(const TArticleList& list, TMemberLookup& members, bool serialTimes);

  const std::vector<ArchiveEntry>& Entries() const { return entries_; }
  // Entries that are articles (placeholders not counted).
  int32_t ArticleCount() const { return articleCount_; }

  // A name of the entry unique within the board and the same in every export of the same
  // logs: its number, with its time where the board holds that number more than once (a
  // renumbered board) or where it stands for a missing parent whose number an article of the
  // board has. ASCII, usable in message IDs and HTML anchors.
  const std::string& Tag(size_t entry) const { return tags_[entry]; }

  void Read(size_t entry, ArchiveArticle& article) const;
  int32_t NumberOf(size_t entry) const;

 private:
  void BuildEntries();
  void BuildTags();

  const TArticleList& list_;
  TMemberLookup& members_;
  const bool serialTimes_;
  std::vector<ArchiveEntry> entries_;
  std::vector<std::string> tags_;
  int32_t articleCount_ = 0;
};

// The lines first .. last of the log (clamped to the log), each passed to visit as it is
// stored (CP932, escape sequences not yet removed).
template <typename Visit>
void ForEachLogLine(const TLogList& log, int32_t first, int32_t last, Visit&& visit);

// The tree prefix of an entry as the article grid draws it, for the strings of a tree line
// type. Depths past 255 are not drawn one by one: "…" stands for them.
class TreeLinePrefixes final {
 public:
  explicit TreeLinePrefixes(int32_t treeLineType);
  // Entries must come in order; returns the prefix (CP932) of this one.
  const std::string& Next(const ArchiveEntry& entry);

 private:
  std::string blank_, vert_, branch_, last_;
  std::vector<uint8_t> continues_;
  std::string prefix_;
};

}  // namespace vorn

#include "analysis/LogList.h"

namespace vorn {

template <typename Visit>
void ForEachLogLine(const TLogList& log, int32_t first, int32_t last, Visit&& visit) {
  if (first < 0) first = 0;
  if (last > log.Count() - 1) last = log.Count() - 1;
  for (int32_t line = first; line <= last; ++line)
    visit(log.LineView(line));
}

}  // namespace vorn
