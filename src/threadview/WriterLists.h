#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "store/ArticleRecord.h"
#include "threadview/TolerantListFile.h"

namespace vorn {

class TArticleList;

// First line of every writer list file.
inline constexpr std::string_view WriterListFileHeader = "VornExplorer WriterListFile Ver.0.01";

enum class WriterMark : int32_t { None, Watched, Ignored };

// The writers the user watches (their articles are highlighted) and ignores (their articles are
// hidden or greyed), for one BBS set, by member ID: the number on hosts with numeric IDs, the ID
// text on the others. A writer is on one list at most. Nothing here deletes an article.
//
// The writer list file: the header line, then one writer a line, Watch,"ID" or Ignore,"ID" (the
// comma text of the other list files), in the order the user added them.
class TWriterLists final {
 public:
  // How the IDs of the loaded set are written; numbers are kept in their plain decimal form.
  void SetTextIds(bool textIds);
  bool TextIds() const { return textIds_; }

  const std::vector<std::string>& Watched() const { return watched_; }
  const std::vector<std::string>& Ignored() const { return ignored_; }

  // Puts a writer on a list (None takes it off both), taking it off the other one. False for an
  // ID that is empty or, on hosts with numeric IDs, not a number of 0 or more.
  bool Mark(std::string_view id, WriterMark mark);
  WriterMark MarkOf(std::string_view id) const;
  // The mark of an entry's writer; queued writes (the user's own) have none.
  WriterMark MarkOf(const ArticleRecord& entry) const;
  WriterMark MarkAt(const TArticleList& board, int32_t order, int32_t position) const;
  // The ID of an entry's writer as the lists keep it; empty when it has none.
  std::string WriterIdOf(const ArticleRecord& entry) const;
  bool Empty() const { return watched_.empty() && ignored_.empty(); }
  void Clear();

  // Replaces the lists by those of the file; damaged lines (and IDs the set cannot have) are
  // skipped and counted, a missing file is an empty one.
  ListFileReport LoadFromFile(const std::string& path);
  // Writes both lists atomically; with both empty the file is removed. False when it could
  // not be written (a file not read back whole that cannot be kept beside itself stays).
  bool SaveToFile(const std::string& path) const;

 private:
  // The ID as the lists keep it; empty when it cannot be one.
  std::string Normalised(std::string_view id) const;
  void Rebuild();
  // What the file holds with the lists known now; empty when both are.
  std::string FileText() const;
  // Makes the ID known on the list of the mark, for the lookups.
  void Index(const std::string& id, WriterMark mark);

  bool textIds_ = false;
  std::vector<std::string> watched_;
  std::vector<std::string> ignored_;
  std::unordered_set<std::string> watchedText_;
  std::unordered_set<std::string> ignoredText_;
  std::unordered_set<int32_t> watchedNumber_;
  std::unordered_set<int32_t> ignoredNumber_;
};

}  // namespace vorn
