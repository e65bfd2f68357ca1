#include "threadview/GridRows.h"

#include <algorithm>

#include "store/ArticleList.h"
#include "threadview/ArticleFlags.h"
#include "threadview/QuickFilter.h"
#include "threadview/ThreadLists.h"
#include "threadview/WriterLists.h"

namespace vorn {

void TGridRows::ShowAll(int32_t count, int32_t order) {
  view_.ShowAll(count);
  order_ = order;
  filtering_ = masked_ = false;
  shown_.clear();
  shownArticles_ = totalArticles_ = count;
}

void TGridRows::Build(const TArticleList& board, int32_t order, const GridRowRules& rules) {
  const int32_t n = board.OrderCount(order);
  order_ = order;
  const bool byText = rules.Filter && rules.Filter->Active();
  const bool flagged = rules.FlaggedOnly && rules.Flags;
  const bool hidingWriters =
      rules.HideIgnored && rules.Writers && !rules.Writers->Ignored().empty();
  const bool hidingThreads = rules.HideIgnored && rules.Threads && rules.Threads->AnyMarked(board);
  const bool hiding = hidingWriters || hidingThreads;
  filtering_ = byText || flagged || rules.UnreadOnly;
  masked_ = filtering_ || hiding;
  if (masked_) {
    if (byText) {
      rules.Filter->MatchBoard(board, order, shown_);
    } else {
      shown_.assign(size_t(n), 1);
    }
    if (flagged) {
      rules.Flags->FlaggedMask(board, order, scratch_);
      for (size_t p = 0; p < shown_.size(); ++p)
        shown_[p] &= scratch_[p];
    }
    if (rules.UnreadOnly) {
      for (int32_t p = 0; p < n; ++p) {
        if (board.GetReadFlag(order, p) != 0) shown_[size_t(p)] = 0;
      }
    }
    if (hidingWriters) {
      for (int32_t p = 0; p < n; ++p) {
        if (shown_[size_t(p)] && rules.Writers->MarkAt(board, order, p) == WriterMark::Ignored)
          shown_[size_t(p)] = 0;
      }
    }
    if (hidingThreads) {
      rules.Threads->MarkMask(board, order, scratch_);
      for (size_t p = 0; p < shown_.size(); ++p) {
        if (scratch_[p] == uint8_t(WriterMark::Ignored)) shown_[p] = 0;
      }
    }
  } else {
    shown_.clear();
  }
  view_.Build(board, order, {masked_ ? &shown_ : nullptr, filtering_, rules.Collapse});
  shownArticles_ = totalArticles_ = 0;
  for (int32_t p = 0; p < n; ++p) {
    if (board.GetKind(order, p) == ArticleKindMissingRoot) continue;
    ++totalArticles_;
    if (Passes(p)) ++shownArticles_;
  }
}

bool TGridRows::Passes(int32_t position) const {
  if (position < 0 || position >= view_.PositionCount()) return false;
  return !masked_ || shown_[size_t(position)] != 0;
}

ThreadCounts TGridRows::CountsOf(const TArticleList& board, const ThreadExtent& thread) const {
  return CountThread(board, thread, masked_ && order_ == ArticleSortTree ? &shown_ : nullptr);
}

int32_t TGridRows::NextUnread(const TArticleList& board, int32_t after) const {
  const int32_t n = board.OrderCount(order_);
  for (int32_t p = std::max(after + 1, 0); p < n; ++p) {
    if (!Passes(p)) continue;
    const ArticleRecord* entry = board.GetArticle(order_, p);
    if (entry->ReadFlag == 0 && entry->Kind != ArticleKindMissingRoot) return p;
  }
  return -1;
}

}  // namespace vorn
