#include "store/ArticleNavigation.h"

#include <algorithm>

#include "store/ArticleList.h"
#include "store/BoardList.h"

namespace vorn {
namespace {

// Deeper than any level, so that a walk without the level rule accepts every entry.
constexpr int32_t kAnyLevel = 2030000000;

bool IsPlaceholder(const ArticleRecord* entry) {
  return entry && entry->Kind == ArticleKindMissingRoot;
}

int32_t Count(const TArticleList* board, int32_t order) {
  return board ? board->OrderCount(order) : 0;
}

}  // namespace

ArticleSpot FindArticleForwardFrom(const TBoardList& boards, int32_t order, int32_t board,
                                   int32_t position, const ArticleFindCriteria& c) {
  if (board < 0 || board >= boards.Count()) return {};
  const TArticleList* start = boards.GetArticles(board);
  const int32_t level =
      c.Level && position >= 0 && start ? start->GetLevel(order, position) : kAnyLevel;
  const int32_t lastBoard = c.AcrossBoards ? boards.Count() - 1 : board;
  for (int32_t i = board; i <= lastBoard; ++i) {
    const TArticleList* list = boards.GetArticles(i);
    const int32_t n = Count(list, order);
    for (int32_t j = i == board ? position + 1 : 0; j < n; ++j) {
      const ArticleRecord* entry = list->GetArticle(order, j);
      if (c.NewOnly && entry->NewFlag != 1) continue;
      const bool placeholder = IsPlaceholder(entry);
      if (c.Level && entry->Level > level && !placeholder) continue;
      if (!placeholder) return {i, j};
      if (j + 1 < n && (!c.NewOnly || list->GetNewFlag(order, j + 1) == 1)) return {i, j + 1};
    }
  }
  return {};
}

ArticleSpot FindArticleBackwardFrom(const TBoardList& boards, int32_t order, int32_t board,
                                    int32_t position, const ArticleFindCriteria& c) {
  if (board < 0 || board >= boards.Count()) return {};
  const TArticleList* start = boards.GetArticles(board);
  const int32_t level = c.Level && start ? start->GetLevel(order, position) : kAnyLevel;
  const int32_t firstBoard = c.AcrossBoards ? 0 : board;
  for (int32_t i = board; i >= firstBoard; --i) {
    const TArticleList* list = boards.GetArticles(i);
    const int32_t n = Count(list, order);
    const int32_t from = i == board ? position - 1 : n - 1;
    for (int32_t j = std::min(from, n - 1); j >= 0; --j) {
      const ArticleRecord* entry = list->GetArticle(order, j);
      if (c.NewOnly && entry->NewFlag != 1) continue;
      if (c.Level && entry->Level > level) continue;
      if (!IsPlaceholder(entry)) return {i, j};
      // The reply after it is where the walk began, or has been passed over already.
      if (j == from) continue;
      if (c.NewOnly && list->GetNewFlag(order, j + 1) != 1) continue;
      return {i, j + 1};
    }
  }
  return {};
}

int32_t NextUnreadPosition(const TArticleList& board, int32_t order, int32_t after) {
  const int32_t n = board.OrderCount(order);
  for (int32_t p = after + 1; p < n; ++p) {
    const ArticleRecord* entry = board.GetArticle(order, p);
    if (entry->ReadFlag == 0 && !IsPlaceholder(entry)) return p;
  }
  return -1;
}

bool HasUnreadArticle(const TArticleList* board, int32_t order) {
  return board && NextUnreadPosition(*board, order, -1) >= 0;
}

int32_t BoardWithUnreadAfter(const TBoardList& boards, int32_t order, int32_t current) {
  const int32_t n = boards.Count();
  for (int32_t b = current + 1; b < n; ++b) {
    if (HasUnreadArticle(boards.GetArticles(b), order)) return b;
  }
  for (int32_t b = 0; b < current && b < n; ++b) {
    if (HasUnreadArticle(boards.GetArticles(b), order)) return b;
  }
  // Articles above the current one that were skipped are unread all the same.
  if (current >= 0 && current < n && HasUnreadArticle(boards.GetArticles(current), order))
    return current;
  return -1;
}

int32_t NearestBoardWithEntries(const TBoardList& boards, int32_t order, int32_t board,
                                int32_t step) {
  if (step == 0) return -1;
  for (int32_t b = board + step; b >= 0 && b < boards.Count(); b += step) {
    if (Count(boards.GetArticles(b), order) > 0) return b;
  }
  return -1;
}

int32_t LevelParentPosition(const TArticleList& board, int32_t order, int32_t position) {
  if (position <= 0 || position >= board.OrderCount(order)) return -1;
  const int32_t level = board.GetLevel(order, position);
  if (level <= 0) return -1;
  for (int32_t n = position - 1; n >= 0; --n) {
    const ArticleRecord* entry = board.GetArticle(order, n);
    if (entry->Level < level && !IsPlaceholder(entry)) return n;
    if (entry->Level <= 0) break;
  }
  return -1;
}

void SetAllReadFlags(TBoardList& boards, uint8_t readFlag) {
  for (int32_t b = 0; b < boards.Count(); ++b) {
    TArticleList* list = boards.GetArticles(b);
    const int32_t n = Count(list, ArticleSortNormal);
    for (int32_t p = 0; p < n; ++p)
      list->SetReadFlag(ArticleSortNormal, p, readFlag, false);
  }
}

int32_t FindArticlePosition(const TArticleList& board, int32_t order, int32_t articleKey,
                            int32_t postTime) {
  const int32_t n = board.OrderCount(order);
  for (int32_t p = 0; p < n; ++p) {
    const ArticleRecord* entry = board.GetArticle(order, p);
    if (entry->ArticleKey == articleKey && entry->PostTime == postTime) return p;
  }
  return -1;
}

}  // namespace vorn
