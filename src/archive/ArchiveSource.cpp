#include "archive/ArchiveSource.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MemberList.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// Sorting stores the post time of a log entry rebased (made negative, so that log entries order
// before queued writes): the host's value is the stored one plus the offset. -1 means none.
int32_t HostTime(int32_t stored) {
  return stored < -1 ? stored + RebaseOffset : stored;
}

}  // namespace

std::string BoardFileStem(int32_t index, std::string_view key) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", index);
  std::string stem = number;
  stem += '-';
  std::string safe;
  for (size_t i = 0; i < key.size() && safe.size() < 40; ++i) {
    const unsigned char c = static_cast<unsigned char>(key[i]);
    // A double-byte character is one '_', whatever its second byte looks like.
    if (IsLeadByte(c) && i + 1 < key.size()) ++i;
    const bool keep =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    // Runs of '_' shrink to one, and none is kept at either end.
    if (keep) {
      safe += static_cast<char>(c);
    } else if (!safe.empty() && safe.back() != '_') {
      safe += '_';
    }
  }
  while (!safe.empty() && safe.back() == '_')
    safe.pop_back();
  stem += safe.empty() ? "board" : safe;
  return stem;
}

std::vector<ArchiveBoardInfo> ArchiveBoards(const TBBSProcess& process) {
  std::vector<ArchiveBoardInfo> boards;
  const int32_t count = process.Boards.Count();
  boards.reserve(static_cast<size_t>(count));
  for (int32_t b = 0; b < count; ++b) {
    ArchiveBoardInfo info;
    info.Index = b;
    const int32_t number = process.Boards.GetBoardNo(b);
    // A board seen only in articles, before its header, is kept under its number plus the
    // offset so that it never reaches the board list file.
    info.Number = number >= RebaseOffset ? number - RebaseOffset : number < 0 ? -1 : number;
    info.Key = process.Boards.GetBoardId(b);
    info.Title = process.Boards.GetBoardTitle(b);
    if (info.Number >= 0) {
      info.Label = std::to_string(info.Number);
      if (!info.Key.empty()) info.Label += ":" + info.Key;
    } else {
      // Boards keyed by text carry their own label, which says more than the key made of it:
      // the board list's "FBOOK   :MES:20" without its padding.
      for (char c : process.GetBoardLabel(b, true)) {
        if (c != ' ') info.Label += c;
      }
      if (IsBlankText(info.Label)) info.Label = info.Key;
      if (IsBlankText(info.Label)) info.Label = "board" + std::to_string(b);
    }
    info.FileStem = BoardFileStem(b, info.Key);
    boards.push_back(std::move(info));
  }
  return boards;
}

std::string_view ArticleKindName(uint8_t kind) {
  switch (kind) {
    case ArticleKindRoot:
      return "root";
    case ArticleKindRess:
      return "reply";
    case ArticleKindBinaryRoot:
      return "binary root";
    case ArticleKindBinaryRess:
      return "binary reply";
    case ArticleKindMail:
      return "mail";
    case ArticleKindBinaryMail:
      return "binary mail";
    default:
      return "missing";
  }
}

ArchiveBoardReader::ArchiveBoardReader(const TArticleList& list, TMemberLookup& members,
                                       bool serialTimes)
    : list_(list), members_(members), serialTimes_(serialTimes) {
  BuildEntries();
  BuildTags();
}

void ArchiveBoardReader::BuildEntries() {
  const int32_t count = list_.OrderCount(ArticleSortTree);
  entries_.reserve(static_cast<size_t>(count));
  // The entry index of the last row seen at each level: the parent of a row at level L is the
  // last row at level L - 1.
  std::vector<int32_t> lastAtLevel;
  int32_t skipBelow = -1;  // level of a queued write whose replies are skipped with it
  for (int32_t p = 0; p < count; ++p) {
    const int32_t level = std::max(0, list_.GetLevel(ArticleSortTree, p));
    if (skipBelow >= 0 && level > skipBelow) continue;
    skipBelow = -1;
    if (list_.GetWriteFlag(ArticleSortTree, p) != 0) {
      skipBelow = level;
      continue;
    }
    ArchiveEntry entry;
    entry.Position = p;
    entry.Level = level;
    entry.Placeholder = list_.GetKind(ArticleSortTree, p) == ArticleKindMissingRoot;
    if (level > 0 && static_cast<size_t>(level) <= lastAtLevel.size())
      entry.Parent = lastAtLevel[static_cast<size_t>(level) - 1];
    if (lastAtLevel.size() < static_cast<size_t>(level) + 1)
      lastAtLevel.resize(static_cast<size_t>(level) + 1, -1);
    lastAtLevel[static_cast<size_t>(level)] = static_cast<int32_t>(entries_.size());
    lastAtLevel.resize(static_cast<size_t>(level) + 1);
    entry.Top = entry.Parent >= 0 ? entries_[static_cast<size_t>(entry.Parent)].Top
                                  : static_cast<int32_t>(entries_.size());
    if (!entry.Placeholder) ++articleCount_;
    entries_.push_back(entry);
  }
  // A row has a later sibling when a row of its level follows before a shallower one.
  std::vector<uint8_t> seen;
  for (size_t i = entries_.size(); i-- > 0;) {
    const size_t level = static_cast<size_t>(entries_[i].Level);
    if (seen.size() < level + 1) seen.resize(level + 1, 0);
    entries_[i].HasLaterSibling = seen[level] != 0;
    seen[level] = 1;
    seen.resize(level + 1);
  }
}

void ArchiveBoardReader::BuildTags() {
  const size_t n = entries_.size();
  std::vector<int32_t> numbers(n), times(n);
  std::unordered_map<int32_t, int32_t> articlesWithNumber;
  for (size_t i = 0; i < n; ++i) {
    const int32_t p = entries_[i].Position;
    numbers[i] = list_.GetNumber(ArticleSortTree, p);
    times[i] = HostTime(list_.GetPostTime(ArticleSortTree, p));
    if (!entries_[i].Placeholder) ++articlesWithNumber[numbers[i]];
  }
  tags_.resize(n);
  std::unordered_map<std::string, int32_t> used;
  for (size_t i = 0; i < n; ++i) {
    std::string tag = std::to_string(numbers[i]);
    const auto it = articlesWithNumber.find(numbers[i]);
    const int32_t sharing = it == articlesWithNumber.end() ? 0 : it->second;
    if (entries_[i].Placeholder ? sharing > 0 : sharing > 1) {
      tag += entries_[i].Placeholder ? ".m" : ".t";
      tag += std::to_string(times[i]);
    }
    // Equal numbers and times (the same article captured twice in different places): the
    // later ones get their rank.
    const int32_t seen = ++used[tag];
    if (seen > 1) tag += "." + std::to_string(seen);
    tags_[i] = std::move(tag);
  }
}

void ArchiveBoardReader::Read(size_t entry, ArchiveArticle& a) const {
  constexpr int32_t order = ArticleSortTree;
  const int32_t p = entries_[entry].Position;
  a = ArchiveArticle();
  a.Kind = list_.GetKind(order, p);
  a.Number = list_.GetNumber(order, p);
  const bool mail = a.Kind == ArticleKindMail || a.Kind == ArticleKindBinaryMail;
  if (!serialTimes_ || mail) a.Date = DateFromKey(HostTime(list_.GetPostTime(order, p)));
  if (members_.TextIds()) {
    a.Writer = list_.GetWriterIdText(order, p);
    if (!a.Writer.empty()) a.Handle.assign(members_.TrueHandleOfText(a.Writer));
  } else if (const int32_t id = list_.GetWriterId(order, p); id >= 0) {
    a.Writer = std::to_string(id);
    a.Handle.assign(members_.TrueHandleOf(id));
  }
  a.Title = list_.GetTitle(order, p);
  a.FirstLine = list_.GetFirstLine(order, p);
  if (a.FirstLine >= 0) {
    a.BodyLine = a.FirstLine + std::max(0, list_.GetBodyOffset(order, p));
    a.LastLine = list_.GetLastLine(order, p);
  } else {
    a.LastLine = -2;
  }
}

int32_t ArchiveBoardReader::NumberOf(size_t entry) const {
  return list_.GetNumber(ArticleSortTree, entries_[entry].Position);
}

TreeLinePrefixes::TreeLinePrefixes(int32_t treeLineType) {
  const TreeStrings strings = TreeStringsFor(treeLineType);
  blank_ = strings.Blank;
  vert_ = strings.Vert;
  branch_ = strings.Branch;
  last_ = strings.Last;
}

const std::string& TreeLinePrefixes::Next(const ArchiveEntry& entry) {
  // The grid draws depths 1 .. 255 with lines; a row deeper than that gets only the lines of
  // those depths (its own branch is not drawn there either).
  constexpr int32_t kDrawnDepths = 256;
  prefix_.clear();
  const int32_t level = entry.Level;
  if (level <= 0) {
    continues_.clear();
    return prefix_;
  }
  if (level < kDrawnDepths) {
    continues_.resize(static_cast<size_t>(level), 0);
    for (int32_t d = 1; d < level; ++d)
      prefix_ += continues_[static_cast<size_t>(d - 1)] ? vert_ : blank_;
    prefix_ += entry.HasLaterSibling ? branch_ : last_;
    continues_[static_cast<size_t>(level - 1)] = entry.HasLaterSibling ? 1 : 0;
    return prefix_;
  }
  for (int32_t d = 1; d < kDrawnDepths; ++d) {
    const size_t k = static_cast<size_t>(d - 1);
    prefix_ += k < continues_.size() && continues_[k] ? vert_ : blank_;
  }
  static const std::string kMore = Cp932("…");
  prefix_ += kMore;
  return prefix_;
}

}  // namespace vorn
