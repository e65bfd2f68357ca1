#pragma once

#include <cstdint>

namespace vorn {

class TArticleList;
class TBoardList;

// The walks behind the reading moves of the main window: where the next or previous article
// of a kind is, which board the next unread article is in, where a reply's parent is. Every
// walk only reads the boards and returns a place; showing it is the window's part. Boards are
// addressed by their index in the board list, articles by their position in one order of
// their board. A placeholder (the stand-in for a root that is not in the logs) is never a
// place to land on.

// A place in the boards: board index and position.
struct ArticleSpot {
  int32_t Board = -1;
  int32_t Position = -1;
  bool Found() const { return Board >= 0; }
  bool operator==(const ArticleSpot&) const = default;
};

// What the forward and backward searches accept.
struct ArticleFindCriteria {
  // Only new articles (not covered by the read pointers of the last load).
  bool NewOnly = false;
  // Only articles at the level of the starting article or shallower.
  bool Level = false;
  // Go on through the later (forward) or earlier (backward) boards.
  bool AcrossBoards = false;
};

// The first accepted article after a position (-1: from the start) of a board, then, across
// boards, from the start of every later board. A placeholder that the criteria accept stands
// for its first reply, which is taken when it is new or only new articles are not asked for.
// Not found when the board index is outside the list.
ArticleSpot FindArticleForwardFrom(const TBoardList& boards, int32_t order, int32_t board,
                                   int32_t position, const ArticleFindCriteria& criteria);

// The last accepted article before a position of a board, then, across boards, from the end
// of every earlier board. An accepted placeholder stands for its first reply (when that is new
// or only new articles are not asked for), unless that reply is where the walk started.
ArticleSpot FindArticleBackwardFrom(const TBoardList& boards, int32_t order, int32_t board,
                                    int32_t position, const ArticleFindCriteria& criteria);

// The first unread article (not a placeholder) after a position; -1 when none.
int32_t NextUnreadPosition(const TArticleList& board, int32_t order, int32_t after);

// Whether the board holds an unread article that is not a placeholder.
bool HasUnreadArticle(const TArticleList* board, int32_t order);

// The board to go on reading unread articles in, after the current one has none left below
// its current article: the first later board that holds one, else the first from board 0 on,
// else the current board itself when it still holds one above; -1 when no board holds one.
int32_t BoardWithUnreadAfter(const TBoardList& boards, int32_t order, int32_t current);

// The nearest board before (step -1) or after (step 1) a board that holds at least one entry
// in the order; -1 when none.
int32_t NearestBoardWithEntries(const TBoardList& boards, int32_t order, int32_t board,
                                int32_t step);

// The article a parent jump goes to from a position: walking up, the first entry of a lower
// level that is not a placeholder, looking no further than the first entry of level 0. -1 for
// a root, for the first position, and when the walk finds nothing.
int32_t LevelParentPosition(const TArticleList& board, int32_t order, int32_t position);

// Marks every entry of every board read (1) or unread (0); the new marks stay as they are.
void SetAllReadFlags(TBoardList& boards, uint8_t readFlag);

// The first position of the order whose stored key and time are these; -1 when none.
int32_t FindArticlePosition(const TArticleList& board, int32_t order, int32_t articleKey,
                            int32_t postTime);

}  // namespace vorn
