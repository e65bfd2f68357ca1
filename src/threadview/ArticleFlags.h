#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "store/ArticleRecord.h"
#include "threadview/TolerantListFile.h"

namespace vorn {

class TArticleList;

// First line of every flag file.
inline constexpr std::string_view FlagFileHeader = "VornExplorer FlagFile Ver.0.01";

// The articles the user flagged, for one BBS set. Articles are known as the read pointers know
// them, so a flag holds across runs and across logs: by board, then by article key and time as
// the log gave them; in the mail box, whose mails are numbered afresh in every run, by time,
// with the writer's ID and the title to tell apart mails of the same minute. Flags of articles
// not loaded now are kept all the same.
//
// The flag file: the header line, then for each board a line of a backslash and the board's
// number (its key for a board without a number), followed by its flags, one a line: "key/time"
// for an article, time,"ID","title" for a mail (the comma text of the other list files). Queued
// writes and placeholders are never flagged.
class TArticleFlags final {
 public:
  // The mail box of the loaded set (the analyser's MailBoardNo and MailBoardIndex).
  void SetMailBox(int32_t mailBoardNo, std::string mailBoardIndex);

  bool IsFlagged(const TArticleList& board, int32_t order, int32_t position) const;
  // False for a position outside the order, a queued write or a placeholder; otherwise the
  // flag is set or cleared and the result is true.
  bool SetFlag(const TArticleList& board, int32_t order, int32_t position, bool flagged);
  // One byte per position of the order: 1 for the flagged entries.
  void FlaggedMask(const TArticleList& board, int32_t order, std::vector<uint8_t>& mask) const;
  // Flags held, loaded articles or not.
  int32_t Count() const;
  void Clear();

  // Replaces the flags by those of the file. Damaged lines are skipped and counted; a missing
  // file is an empty one.
  ListFileReport LoadFromFile(const std::string& path);
  // Writes every flag atomically; with no flag left the file is removed. False when it could
  // not be written (a file not read back whole that cannot be kept beside itself stays).
  bool SaveToFile(const std::string& path) const;

 private:
  struct MailFlag {
    int64_t Time;
    std::string Writer;
    std::string Title;
    auto operator<=>(const MailFlag&) const = default;
  };
  struct Section {
    std::string Board;                               // the text after the backslash
    std::set<std::pair<int64_t, int64_t>> Articles;  // (time, key)
    std::set<MailFlag> Mails;
  };

  bool IsMailBox(const TArticleList& board) const;
  const Section* SectionOf(const TArticleList& board) const;
  Section& SectionNamed(const std::string& name);
  bool Has(const Section& section, bool mailBox, const ArticleRecord& entry) const;
  bool AddLine(Section* section, std::string_view line);
  // What the file holds with the flags known now; empty with none.
  std::string FileText() const;

  int32_t mailBoardNo_ = -1;
  std::string mailBoardIndex_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> byName_;
};

// The board text of a list: its number, or its key when it has none.
std::string BoardLineText(const TArticleList& board);

}  // namespace vorn
