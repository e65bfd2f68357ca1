#include "threadview/ThreadOutline.h"

#include <charconv>
#include <cstdio>
#include <functional>

#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"

namespace vorn {

ThreadExtent ThreadAt(const TArticleList& board, int32_t treePosition) {
  const int32_t n = board.OrderCount(ArticleSortTree);
  if (treePosition < 0 || treePosition >= n) return {};
  int32_t top = treePosition;
  while (top > 0 && board.GetLevel(ArticleSortTree, top) > 0)
    --top;
  int32_t end = treePosition + 1;
  while (end < n && board.GetLevel(ArticleSortTree, end) > 0)
    ++end;
  return {top, end};
}

int32_t TreePositionOf(const TArticleList& board, int32_t order, int32_t position) {
  if (order == ArticleSortTree) {
    return position >= 0 && position < board.OrderCount(ArticleSortTree) ? position : -1;
  }
  const int32_t storage = board.StorageIndex(order, position);
  if (storage < 0) return -1;
  const int32_t n = board.OrderCount(ArticleSortTree);
  for (int32_t p = 0; p < n; ++p) {
    if (board.StorageIndex(ArticleSortTree, p) == storage) return p;
  }
  return -1;
}

ThreadCounts CountThread(const TArticleList& board, const ThreadExtent& thread,
                         const std::vector<uint8_t>* shown) {
  ThreadCounts counts;
  if (!thread.Valid()) return counts;
  bool first = true;
  for (int32_t p = thread.Top; p < thread.End; ++p) {
    if (shown && (size_t(p) >= shown->size() || (*shown)[size_t(p)] == 0)) continue;
    const ArticleRecord* entry = board.GetArticle(ArticleSortTree, p);
    if (!entry || entry->Kind == ArticleKindMissingRoot) continue;
    if (entry->ReadFlag == 0) ++counts.Unread;
    // The first article shown stands for the thread; the others are its replies.
    if (!first) ++counts.Replies;
    first = false;
  }
  return counts;
}

namespace {

// Keys and times as the log gave them (sorting stores them reduced by RebaseOffset).
int64_t Restored(int32_t stored, uint8_t rebased) {
  return rebased ? int64_t{stored} + RebaseOffset : int64_t{stored};
}

bool WholeNumber(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ThreadKeyAt(const TArticleList& board, int32_t top, ThreadKey& key) {
  const ArticleRecord* entry = board.GetArticle(ArticleSortTree, top);
  if (!entry || entry->Level != 0 || entry->WriteFlag != 0 || entry->Kind == ArticleKindMail ||
      entry->Kind == ArticleKindBinaryMail) {
    return false;
  }
  key.Placeholder = entry->Kind == ArticleKindMissingRoot;
  key.Key = Restored(entry->ArticleKey, entry->Rebased);
  key.Time = key.Placeholder ? 0 : Restored(entry->PostTime, entry->Rebased);
  return true;
}

std::string ThreadKeyText(const ThreadKey& key) {
  return std::to_string(key.Key) + "/" + (key.Placeholder ? "-" : std::to_string(key.Time));
}

bool ParseThreadKey(std::string_view text, ThreadKey& key) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos || !WholeNumber(text.substr(0, slash), key.Key)) return false;
  const std::string_view time = text.substr(slash + 1);
  key.Placeholder = time == "-";
  key.Time = 0;
  return key.Placeholder || WholeNumber(time, key.Time);
}

bool TThreadCollapse::IsCollapsed(const TArticleList& board, int32_t top) const {
  const ArticleRecord* entry = board.GetArticle(ArticleSortTree, top);
  if (!entry || entry->Level != 0) return false;
  ThreadKey key;
  if (!ThreadKeyAt(board, top, key)) return allCollapsed_;
  return allCollapsed_ != exceptions_.contains(key);
}

bool TThreadCollapse::SetCollapsed(const TArticleList& board, int32_t top, bool collapsed) {
  ThreadKey key;
  if (!ThreadKeyAt(board, top, key)) return false;
  if (collapsed != allCollapsed_) {
    exceptions_.insert(key);
  } else {
    exceptions_.erase(key);
  }
  return true;
}

void TThreadCollapse::CollapseAll() {
  allCollapsed_ = true;
  exceptions_.clear();
}

void TThreadCollapse::ExpandAll() {
  allCollapsed_ = false;
  exceptions_.clear();
}

int32_t MarkThreadRead(TArticleList& board, int32_t order, int32_t position) {
  const ThreadExtent thread = ThreadAt(board, TreePositionOf(board, order, position));
  int32_t marked = 0;
  for (int32_t p = thread.Top; thread.Valid() && p < thread.End; ++p) {
    const ArticleRecord* entry = board.GetArticle(ArticleSortTree, p);
    if (entry->Kind == ArticleKindMissingRoot || entry->ReadFlag != 0) continue;
    board.SetReadFlag(ArticleSortTree, p, 1, false);
    ++marked;
  }
  return marked;
}

int32_t MarkBoardRead(TArticleList& board) {
  int32_t marked = 0;
  const int32_t n = board.OrderCount(ArticleSortNormal);
  for (int32_t p = 0; p < n; ++p) {
    if (board.GetReadFlag(ArticleSortNormal, p) != 0) continue;
    board.SetReadFlag(ArticleSortNormal, p, 1, false);
    ++marked;
  }
  return marked;
}

int32_t MarkThreadUnread(TArticleList& board, int32_t order, int32_t position) {
  const ThreadExtent thread = ThreadAt(board, TreePositionOf(board, order, position));
  int32_t marked = 0;
  for (int32_t p = thread.Top; thread.Valid() && p < thread.End; ++p) {
    const ArticleRecord* entry = board.GetArticle(ArticleSortTree, p);
    if (entry->Kind == ArticleKindMissingRoot || entry->WriteFlag != 0 || entry->ReadFlag == 0)
      continue;
    board.SetReadFlag(ArticleSortTree, p, 0, false);
    ++marked;
  }
  return marked;
}

BoardCounts CountBoard(const TArticleList* board) {
  BoardCounts counts;
  if (!board) return counts;
  const int32_t n = board->OrderCount(ArticleSortNormal);
  for (int32_t p = 0; p < n; ++p) {
    const ArticleRecord* entry = board->GetArticle(ArticleSortNormal, p);
    if (entry->WriteFlag != 0) continue;
    ++counts.Total;
    if (entry->ReadFlag == 0) ++counts.Unread;
  }
  return counts;
}

int32_t BoardWithShownUnreadAfter(const TBoardList& boards, int32_t order, int32_t current,
                                  const ShownMaskFunction& shown) {
  std::vector<uint8_t> mask;
  auto hasUnread = [&](int32_t b) {
    const TArticleList* board = boards.GetArticles(b);
    const int32_t n = board ? board->OrderCount(order) : 0;
    if (n == 0) return false;
    shown(*board, order, mask);
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* entry = board->GetArticle(order, p);
      if (entry->ReadFlag == 0 && entry->Kind != ArticleKindMissingRoot &&
          size_t(p) < mask.size() && mask[size_t(p)] != 0)
        return true;
    }
    return false;
  };
  const int32_t n = boards.Count();
  for (int32_t b = current + 1; b < n; ++b) {
    if (hasUnread(b)) return b;
  }
  for (int32_t b = 0; b < current && b < n; ++b) {
    if (hasUnread(b)) return b;
  }
  // Articles above the current one that were skipped are unread all the same.
  if (current >= 0 && current < n && hasUnread(current)) return current;
  return -1;
}

std::string BoardLineWithUnread(std::string_view boardListLine, int32_t unread) {
  // The count stands in parentheses right after the two letters of type and attribute.
  const size_t close = boardListLine.find(')');
  if (boardListLine.size() < 3 || boardListLine[2] != '(' || close == std::string_view::npos)
    return std::string(boardListLine);
  static const std::string unreadText = Cp932("未読");
  char number[16];
  std::snprintf(number, sizeof number, "%4d", unread);
  std::string line(boardListLine.substr(0, close + 1));
  line += "[" + unreadText + number + "]";
  line += boardListLine.substr(close + 1);
  return line;
}

}  // namespace vorn
