#include "store/ArticleList.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/UiServices.h"
#include "store/BlockMemory.h"
#include "store/MailSendList.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

constexpr int32_t kOffset = RebaseOffset;

// A log article with the fields that matter for ordering; the rest are recognisable defaults.
bool AddLog(TArticleList& list, uint8_t kind, int32_t key, int32_t time, int32_t parentKey = -1,
            int32_t number = -2, std::string_view title = "title") {
  return list.AddArticle(kind, 0, key, number == -2 ? key : number, time, parentKey, parentKey,
                         100 + key, parentKey < 0 ? -1 : 100 + parentKey, "W" + std::to_string(key),
                         "P" + std::to_string(parentKey), title, "parent title", key * 10, 2);
}

bool AddWrite(TArticleList& list, uint8_t kind, int32_t key, int32_t parentKey = -1) {
  auto text = std::make_unique<TStringList>(TStringList{"write " + std::to_string(key), "body"});
  return list.AddArticle(kind, 1, key, -1, 0, parentKey, -1, -1, -1, "", "", "write", "", -1, 0,
                         std::move(text));
}

std::vector<int32_t> Keys(const TArticleList& list, int32_t order) {
  std::vector<int32_t> keys;
  for (int32_t p = 0; p < list.OrderCount(order); ++p)
    keys.push_back(list.GetKey(order, p));
  return keys;
}

std::vector<int32_t> Levels(const TArticleList& list) {
  std::vector<int32_t> levels;
  for (int32_t p = 0; p < list.OrderCount(ArticleSortTree); ++p) {
    levels.push_back(list.GetLevel(ArticleSortTree, p));
  }
  return levels;
}

TEST(ArticleList, NewEntryStartsNewUnreadAndCutsLongTexts) {
  TArticleList list;
  const std::string title(200, 'T'), id(40, 'I');
  ASSERT_TRUE(
      list.AddArticle(ArticleKindRoot, 0, 5, 5, 50, -1, -1, 7, -1, id, "", title, "", 3, 2));
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(list.GetTitle(ArticleSortNormal, 0), title.substr(0, 127));
  EXPECT_EQ(list.GetWriterIdText(ArticleSortNormal, 0), id.substr(0, 31));
  EXPECT_EQ(list.GetNewFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(list.GetReadFlag(ArticleSortNormal, 0), 0);
  EXPECT_EQ(list.GetBatchFlag(ArticleSortNormal, 0), 0);
  EXPECT_EQ(list.GetMaintained(ArticleSortNormal, 0), 0);
  EXPECT_EQ(list.GetLevel(ArticleSortNormal, 0), 0);
  EXPECT_EQ(list.GetLastLine(ArticleSortNormal, 0), 0);
  EXPECT_EQ(list.GetFirstLine(ArticleSortNormal, 0), 3);
}

// A text of `length` bytes whose double-byte characters start at odd offsets when `odd` is set
// and at even ones otherwise, so that at either capacity one of the two runs cuts a character
// in half: its lead byte stays, its trail byte goes.
std::string TextOfLength(size_t length, bool odd) {
  std::string text = odd ? "x" : "";
  while (text.size() < length)
    text += "\x93\xfa";  // a double-byte character
  return text.substr(0, length);
}

TEST(ArticleList, TextsAreCutAtTheirCapacityAtEveryLengthAroundIt) {
  for (bool odd : {false, true}) {
    TArticleList list;
    int32_t key = 1;
    std::vector<std::pair<int32_t, size_t>> added;  // key, length
    for (size_t length = 0; length <= 140; ++length) {
      const std::string text = TextOfLength(length, odd);
      // A reply whose parent is absent: its placeholder takes the parent's title and ID.
      ASSERT_TRUE(list.AddArticle(ArticleKindRess, 0, key, key, 1000 - key, 100000 + key, 7, 1, 2,
                                  text.substr(0, std::min<size_t>(length, 40)),
                                  text.substr(0, std::min<size_t>(length, 40)), text, text, key,
                                  2));
      added.push_back({key, length});
      ++key;
    }
    ASSERT_TRUE(list.SortArticles());  // moves every record
    for (const auto& [k, length] : added) {
      const std::string text = TextOfLength(length, odd);
      const std::string id = text.substr(0, std::min<size_t>(length, 40));
      SCOPED_TRACE("length " + std::to_string(length) + (odd ? " odd" : " even"));
      const int32_t p = list.FindByKey(ArticleSortNormal, k - kOffset);
      ASSERT_GE(p, 0);
      EXPECT_EQ(list.GetTitle(ArticleSortNormal, p), text.substr(0, 127));
      EXPECT_EQ(list.GetParentTitle(ArticleSortNormal, p), text.substr(0, 127));
      EXPECT_EQ(list.GetWriterIdText(ArticleSortNormal, p), id.substr(0, 31));
      EXPECT_EQ(list.GetParentWriterIdText(ArticleSortNormal, p), id.substr(0, 31));
      const ArticleRecord* r = list.GetArticle(ArticleSortNormal, p);
      EXPECT_EQ(r->Title().View(), text.substr(0, 127));
      EXPECT_EQ(r->Title().Empty(), length == 0);
      const int32_t holder = list.FindByKey(ArticleSortTree, 100000 + k - kOffset);
      ASSERT_GE(holder, 0);
      EXPECT_EQ(list.GetKind(ArticleSortTree, holder), ArticleKindMissingRoot);
      EXPECT_EQ(list.GetTitle(ArticleSortTree, holder), text.substr(0, 127));
      EXPECT_EQ(list.GetWriterIdText(ArticleSortTree, holder), id.substr(0, 31));
    }
    // The log gives the articles again with other texts: a longer one replaces the stored one,
    // an empty one keeps it.
    for (const auto& [k, length] : added) {
      const std::string longer = TextOfLength(length + 1, !odd);
      ASSERT_TRUE(list.AddArticle(ArticleKindRess, 0, k, k, 1000 - k, 100000 + k, 7, 1, 2, longer,
                                  "", longer, "", k, 2));
    }
    ASSERT_TRUE(list.SortArticles());
    for (const auto& [k, length] : added) {
      const std::string longer = TextOfLength(length + 1, !odd);
      SCOPED_TRACE("again, length " + std::to_string(length));
      const int32_t p = list.FindByKey(ArticleSortNormal, k - kOffset);
      ASSERT_GE(p, 0);
      EXPECT_EQ(list.GetTitle(ArticleSortNormal, p), longer.substr(0, 127));
      EXPECT_EQ(list.GetWriterIdText(ArticleSortNormal, p), longer.substr(0, 31));
      const std::string text = TextOfLength(length, odd);
      EXPECT_EQ(list.GetParentTitle(ArticleSortNormal, p), text.substr(0, 127));
      EXPECT_EQ(list.GetParentWriterIdText(ArticleSortNormal, p),
                text.substr(0, std::min<size_t>(length, 31)));
    }
  }
}

TEST(ArticleList, TextsOfABigBoardOutliveSortsAndOtherListsBeingCleared) {
  // Enough distinct titles for many segments of the text arena; the times run backwards so
  // that sorting moves every record.
  constexpr int32_t kArticles = 40000;
  auto titleOf = [](int32_t k) {
    return std::to_string(k) + std::string(static_cast<size_t>(k % 120), 'a' + k % 26);
  };
  TArticleList board;
  auto other = std::make_unique<TArticleList>();
  for (int32_t k = 0; k < kArticles; ++k) {
    ASSERT_TRUE(board.AddArticle(ArticleKindRoot, 0, k, k, kArticles - k, -1, -1, 1, -1, "ID", "",
                                 titleOf(k), "", k, 2));
    // Another board takes and gives back arena segments in between.
    ASSERT_TRUE(other->AddArticle(ArticleKindRoot, 0, k, k, k, -1, -1, 1, -1, "", "",
                                  titleOf(k + 1), "", k, 2));
    if (k % 5000 == 4999) other->Clear();
  }
  const ArticleRecord copy = *board.Entry(123);
  other.reset();
  ASSERT_TRUE(board.SortArticles());
  EXPECT_EQ(copy.Title().View(), titleOf(123));
  ASSERT_EQ(board.OrderCount(ArticleSortNormal), kArticles);
  for (int32_t p = 0; p < kArticles; ++p) {
    const int32_t k = kArticles - 1 - p;
    ASSERT_EQ(board.GetTitle(ArticleSortNormal, p), titleOf(k)) << "position " << p;
    ASSERT_EQ(board.GetWriterIdText(ArticleSortNormal, p), "ID");
  }
}

// A store that looks ahead hashes each title once and hands the hash to the add. The hash is
// taken only for a title stored alone: an entry with a writer's ID text is kept under the hash of
// both texts, where a later entry of the same two texts finds it; one of the title alone shares
// the title stored before; a title cut to its capacity is hashed as it is kept.
TEST(ArticleList, ATitleHashedAheadIsKeptOnceAndOnlyWhereItsHashHolds) {
  TArticleList list;
  const std::string title = "same title", longTitle(200, 'L');
  auto add = [&](int32_t key, std::string_view id, std::string_view text, bool hashed) {
    const TArticleList::TitleHash hash = TArticleList::HashTitle(text);
    return list.AddArticle(ArticleKindRoot, 0, key, key, key * 10, -1, -1, 7, -1, id, "", text, "",
                           key, 0, nullptr, nullptr, hashed ? &hash : nullptr);
  };
  ASSERT_TRUE(add(1, "", title, true));
  ASSERT_TRUE(add(2, "", title, true));
  ASSERT_TRUE(add(3, "ID", title, true));
  ASSERT_TRUE(add(4, "ID", title, false));
  ASSERT_TRUE(add(5, "", longTitle, true));
  ASSERT_TRUE(add(6, "", longTitle, false));
  ASSERT_TRUE(list.SortArticles());
  auto kept = [&](int32_t position) {
    return list.GetArticle(ArticleSortNormal, position)->OwnTexts.First().data();
  };
  EXPECT_EQ(kept(0), kept(1));
  EXPECT_NE(kept(1), kept(2));
  EXPECT_EQ(kept(2), kept(3));
  EXPECT_EQ(kept(4), kept(5));
  EXPECT_EQ(list.GetTitle(ArticleSortNormal, 2), title);
  EXPECT_EQ(list.GetWriterIdText(ArticleSortNormal, 2), "ID");
  EXPECT_EQ(list.GetTitle(ArticleSortNormal, 4), longTitle.substr(0, 127));
}

TEST(ArticleList, SameKeyAndTimeRefreshesTheEntryButKeepsWhatTheUserDid) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 5, 50, 4));
  ASSERT_TRUE(list.SetReadFlagByKey(5, 50, 1, true));
  ASSERT_TRUE(list.SetArticleLastLine(5, 50, 77));
  ASSERT_TRUE(list.SortArticles());  // rebases; the raw key still finds the entry
  ASSERT_TRUE(list.SetBatchFlag(ArticleSortNormal, 0, 1));
  EXPECT_EQ(list.GetNewFlag(ArticleSortNormal, 0), 0);
  const int32_t levelBefore = list.GetLevel(ArticleSortNormal, 0);

  ASSERT_TRUE(
      list.AddArticle(ArticleKindRess, 0, 5, 5, 50, 4, 4, 1, 2, "", "", "new title", "", 9, 3));
  EXPECT_EQ(list.Count(), 2);  // the entry and the placeholder of its absent parent
  ASSERT_TRUE(list.SortArticles());
  ASSERT_EQ(list.OrderCount(ArticleSortNormal), 1);
  EXPECT_EQ(list.GetTitle(ArticleSortNormal, 0), "new title");
  EXPECT_EQ(list.GetWriterIdText(ArticleSortNormal, 0), "W5");  // empty argument keeps it
  EXPECT_EQ(list.GetNewFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(list.GetReadFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(list.GetLastLine(ArticleSortNormal, 0), 77);
  EXPECT_EQ(list.GetBatchFlag(ArticleSortNormal, 0), 1);
  EXPECT_EQ(list.GetFirstLine(ArticleSortNormal, 0), 9);
  EXPECT_EQ(list.GetLevel(ArticleSortNormal, 0), levelBefore);
  EXPECT_EQ(list.GetKey(ArticleSortNormal, 0), 5 - kOffset);
}

// The analysers set the last line of the article they stored through LastAdded; it must name
// the entry FindArticle finds, and nothing once the records may have moved.
TEST(ArticleList, LastAddedNamesTheEntryFindArticleFinds) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 1, 10));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 2, 20));
  EXPECT_EQ(list.LastAdded(), list.FindArticle(2, 20));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 1, 10, 0));  // refreshes the first entry
  EXPECT_EQ(list.LastAdded(), 0);
  EXPECT_EQ(list.LastAdded(), list.FindArticle(1, 10));
  EXPECT_FALSE(
      list.AddArticle(ArticleKindMissingRoot, 1, 9, -1, 0, -1, -1, -1, -1, "", "", "x", "", -1, 0));
  EXPECT_EQ(list.LastAdded(), -1);
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 3, 5));
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(list.LastAdded(), -1);
}

TEST(ArticleList, PlaceholdersAreNeverWritesAndNeverReplaceAnEntry) {
  TArticleList list;
  EXPECT_FALSE(
      list.AddArticle(ArticleKindMissingRoot, 1, 1, -1, 0, -1, -1, -1, -1, "", "", "x", "", -1, 0));
  EXPECT_EQ(list.Count(), 0);
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 3, 30, -1, -2, "kept"));
  EXPECT_TRUE(AddLog(list, ArticleKindMissingRoot, 3, 30, -1, -2, "ignored"));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Entry(0)->Kind, ArticleKindRoot);
  EXPECT_EQ(list.Entry(0)->Title().Str(), "kept");
}

TEST(ArticleList, RawKeysFindEntriesAfterRebasingAndStoredKeysFindPositions) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 12, 1000));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 13, -1));  // no time
  ASSERT_TRUE(AddWrite(list, ArticleKindRoot, 1));
  ASSERT_TRUE(list.SortArticles());

  EXPECT_GE(list.FindArticle(12, 1000), 0);
  EXPECT_EQ(list.FindByKey(ArticleSortNormal, 12), -1);
  const int32_t p = list.FindByKey(ArticleSortNormal, 12 - kOffset);
  ASSERT_GE(p, 0);
  EXPECT_EQ(list.GetPostTime(ArticleSortNormal, p), 1000 - kOffset);
  EXPECT_EQ(list.FindByKeyAndTime(ArticleSortNormal, 12 - kOffset, 1000 - kOffset), p);
  EXPECT_EQ(list.FindByTime(ArticleSortNormal, 1000 - kOffset), p);
  // The missing time stays -1 while the key is rebased: the raw pair no longer matches.
  EXPECT_EQ(list.FindArticle(13, -1), -1);
  EXPECT_GE(list.FindArticle(13, kOffset - 1), 0);
  // Writes keep raw values.
  EXPECT_GE(list.FindArticle(1, 0), 0);
  EXPECT_GE(list.FindByKeyAndTime(ArticleSortNormal, 1, 0), 0);
}

TEST(ArticleList, EntriesBeforeTheLastRestartOfNumbersAreMaintained) {
  auto maintained = [](std::vector<int32_t> numbers) {
    TArticleList list;
    int32_t time = 100;
    for (int32_t n : numbers)
      AddLog(list, ArticleKindRoot, time, time, -1, n), ++time;
    list.SortArticles();
    std::vector<int> flags;
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); ++p) {
      flags.push_back(list.GetMaintained(ArticleSortNormal, p));
    }
    return flags;
  };
  EXPECT_EQ(maintained({10, 11, 12, 3, 4}), (std::vector<int>{1, 1, 1, 0, 0}));
  EXPECT_EQ(maintained({10, 10, 11}), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(maintained({10}), (std::vector<int>{0}));
  // Entries without a number are not counted but lie before the restart like any other.
  EXPECT_EQ(maintained({5, 6, -1, 2}), (std::vector<int>{1, 1, 1, 0}));
}

TEST(ArticleList, OrphansShareOnePlaceholderCarryingTheParentFromTheReply) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 1, 10));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 8, 20, 5));  // parent 5 is not in the log
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 9, 30, 5));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 10, 40, 9));  // a reply to a reply
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 11, 50));
  ASSERT_TRUE(list.SetArticleUsed(11, 50, 0));
  ASSERT_TRUE(list.SortArticles());

  EXPECT_EQ(Keys(list, ArticleSortNormal),
            (std::vector<int32_t>{1 - kOffset, 8 - kOffset, 9 - kOffset, 10 - kOffset}));
  EXPECT_EQ(
      Keys(list, ArticleSortTree),
      (std::vector<int32_t>{1 - kOffset, 5 - kOffset, 8 - kOffset, 9 - kOffset, 10 - kOffset}));
  EXPECT_EQ(Levels(list), (std::vector<int32_t>{0, 0, 1, 1, 2}));
  EXPECT_EQ(list.GetKind(ArticleSortTree, 1), ArticleKindMissingRoot);
  EXPECT_EQ(list.GetNumber(ArticleSortTree, 1), 5);
  EXPECT_EQ(list.GetWriterId(ArticleSortTree, 1), 105);
  EXPECT_EQ(list.GetWriterIdText(ArticleSortTree, 1), "P5");
  EXPECT_EQ(list.GetTitle(ArticleSortTree, 1), "parent title");
  EXPECT_EQ(list.GetPostTime(ArticleSortTree, 1), 20 - kOffset);
  EXPECT_EQ(list.GetFirstLine(ArticleSortTree, 1), -1);

  // Sorting again builds the tree afresh: one live placeholder, not two.
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(list.OrderCount(ArticleSortTree), 5);
  EXPECT_EQ(Levels(list), (std::vector<int32_t>{0, 0, 1, 1, 2}));

  // So does dropping the placeholders first.
  list.DropPlaceholders();
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(
      Keys(list, ArticleSortTree),
      (std::vector<int32_t>{1 - kOffset, 5 - kOffset, 8 - kOffset, 9 - kOffset, 10 - kOffset}));
  int placeholders = 0, live = 0;
  for (int32_t i = 0; i < list.Count(); ++i) {
    if (list.Entry(i)->Kind != ArticleKindMissingRoot) continue;
    ++placeholders;
    live += list.Entry(i)->Used;
  }
  EXPECT_EQ(placeholders, 3);
  EXPECT_EQ(live, 1);
}

TEST(ArticleList, ReplyBeforeItsParentInTimeShowsUnderAPlaceholder) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 6, 10, 5));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 5, 20));
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(Keys(list, ArticleSortTree),
            (std::vector<int32_t>{5 - kOffset, 6 - kOffset, 5 - kOffset}));
  EXPECT_EQ(list.GetKind(ArticleSortTree, 0), ArticleKindMissingRoot);
  EXPECT_EQ(list.GetKind(ArticleSortTree, 2), ArticleKindRoot);
}

TEST(ArticleList, AReplyWithASmallerKeyThanItsMissingParentStillShowsInTreeOrder) {
  // A renumbered board: replies 4 and 7 answer article 90, which the log does not hold, and
  // reply 8 answers reply 4. Every reply must stay readable in tree order.
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 3, 10));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 4, 20, 90));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 7, 30, 90));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 8, 40, 4));
  ASSERT_TRUE(list.SortArticles());
  // The scan for later orphans still stops at the first smaller key, so reply 7 gets a
  // placeholder of its own; what matters is that no reply is lost.
  EXPECT_EQ(Keys(list, ArticleSortTree),
            (std::vector<int32_t>{3 - kOffset, 90 - kOffset, 4 - kOffset, 8 - kOffset, 90 - kOffset,
                                  7 - kOffset}));
  EXPECT_EQ(Levels(list), (std::vector<int32_t>{0, 0, 1, 2, 0, 1}));
  EXPECT_EQ(list.GetKind(ArticleSortTree, 1), ArticleKindMissingRoot);
  EXPECT_EQ(list.GetKind(ArticleSortTree, 4), ArticleKindMissingRoot);
}

TEST(ArticleList, SortingAgainKeepsAnOrphanWhoseParentKeyIsBiggerInTreeOrder) {
  // Reply 1 answers article 3, which the log does not hold; its placeholder carries key 3 and
  // the reply's time, so it sorts after the reply. A second sort (a further log, a write) used
  // to skip the reply as already placed and leave it out of tree order.
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 1, 10, 3));
  ASSERT_TRUE(list.SortArticles());
  const std::vector<int32_t> tree{3 - kOffset, 1 - kOffset};
  EXPECT_EQ(Keys(list, ArticleSortTree), tree);
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(list.SortArticles());
    EXPECT_EQ(Keys(list, ArticleSortTree), tree);
    EXPECT_EQ(Levels(list), (std::vector<int32_t>{0, 1}));
  }
  ASSERT_TRUE(AddWrite(list, ArticleKindRess, 50, 1 - kOffset));
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(Keys(list, ArticleSortTree), (std::vector<int32_t>{3 - kOffset, 1 - kOffset, 50}));
  EXPECT_EQ(Levels(list), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(list.OrderCount(ArticleSortNormal), 2);
}

TEST(ArticleList, AnArticleTwiceInTheLogGivesEachReplyOnePlaceInTreeOrder) {
  // The same thread captured twice (a log saved over itself, two captures joined): the replies
  // match both copies of their parent. They used to be placed under each copy, showing twice
  // in tree order with levels that jump, so reading by the tree met them twice.
  TArticleList list;
  int32_t time = 10;
  for (int copy = 0; copy < 2; ++copy) {
    ASSERT_TRUE(AddLog(list, ArticleKindRoot, 100, time++));
    for (int32_t key = 101; key <= 120; ++key)
      ASSERT_TRUE(AddLog(list, ArticleKindRess, key, time++, key - 1));
  }
  ASSERT_TRUE(list.SortArticles());
  ASSERT_EQ(list.OrderCount(ArticleSortTree), list.OrderCount(ArticleSortNormal));
  std::vector<int> seen(static_cast<size_t>(list.Count()), 0);
  for (int32_t p = 0; p < list.OrderCount(ArticleSortTree); ++p) {
    ++seen[static_cast<size_t>(list.StorageIndex(ArticleSortTree, p))];
    const int32_t level = list.GetLevel(ArticleSortTree, p);
    EXPECT_LE(level, p == 0 ? 0 : list.GetLevel(ArticleSortTree, p - 1) + 1) << "row " << p;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), list.Count());
  // Each copy keeps its own replies, the nearest parent before each: two whole threads.
  std::vector<int32_t> levels;
  for (int copy = 0; copy < 2; ++copy) {
    for (int32_t level = 0; level <= 20; ++level)
      levels.push_back(level);
  }
  EXPECT_EQ(Levels(list), levels);
}

TEST(ArticleList, OnARenumberedBoardAReplyGoesUnderTheNewArticleOfItsParentNumber) {
  // The host purged the board and numbered again from a lower number: articles 10 and 11 exist
  // twice, old and new. Replies belong under the nearest live article with their parent key
  // before them: 12 answers the new 10, not the purged old one (where it used to show); 13
  // answers the old 11, posted while the old numbering ran.
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 9, 100));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 10, 110, -1, -2, "old 10"));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 11, 120, 10, -2, "old 11"));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 13, 125, 11));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 10, 200, -1, -2, "new 10"));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 11, 210, -1, -2, "new 11"));
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 12, 220, 10, -2, "answer to new 10"));
  // A reply the user queues to the new 10 follows it too.
  ASSERT_TRUE(AddWrite(list, ArticleKindRess, 1, 10 - kOffset));
  ASSERT_TRUE(list.SortArticles());

  std::vector<std::string> titles;
  for (int32_t p = 0; p < list.OrderCount(ArticleSortTree); ++p)
    titles.push_back(list.GetTitle(ArticleSortTree, p));
  EXPECT_EQ(titles, (std::vector<std::string>{"title", "old 10", "old 11", "title", "new 10",
                                              "answer to new 10", "write", "new 11"}));
  EXPECT_EQ(Levels(list), (std::vector<int32_t>{0, 0, 1, 2, 0, 1, 1, 0}));
}

TEST(ArticleList, WritesFollowTheLogInTheOrderTheyWereMade) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 7, 90));
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 3, 70));
  ASSERT_TRUE(list.SortArticles());
  const int32_t parent = list.GetKey(ArticleSortNormal, 0);  // the stored key of article 3
  ASSERT_TRUE(AddWrite(list, ArticleKindRoot, 1));
  ASSERT_TRUE(AddWrite(list, ArticleKindRess, 2, parent));
  ASSERT_TRUE(AddWrite(list, ArticleKindMail, 3));
  EXPECT_EQ(list.Modified, 1);
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(Keys(list, ArticleSortNormal),
            (std::vector<int32_t>{3 - kOffset, 7 - kOffset, 1, 2, 3}));
  EXPECT_EQ(Keys(list, ArticleSortTree), (std::vector<int32_t>{3 - kOffset, 2, 7 - kOffset, 1, 3}));
  EXPECT_EQ(list.GetWriteFlag(ArticleSortTree, 1), 1);
  ASSERT_NE(list.GetText(ArticleSortTree, 1), nullptr);
  EXPECT_EQ(list.GetText(ArticleSortTree, 1)->at(0), "write 2");

  // Deleting a write: it leaves both orders.
  list.Modified = 0;
  ASSERT_TRUE(list.SetArticleUsed(2, 0, 0));
  EXPECT_EQ(list.Modified, 1);
  ASSERT_TRUE(list.SortArticles());
  EXPECT_EQ(Keys(list, ArticleSortNormal), (std::vector<int32_t>{3 - kOffset, 7 - kOffset, 1, 3}));
  EXPECT_EQ(Keys(list, ArticleSortTree), (std::vector<int32_t>{3 - kOffset, 7 - kOffset, 1, 3}));
}

// A write's texts are kept apart from its record, in slots handed out again once freed: lists
// cleared, refreshed and sorted around a list never reach its texts.
TEST(ArticleList, WritesOfEveryListKeepTheirOwnTextsWhileOthersComeAndGo) {
  auto texts = [](const TArticleList& list) {
    std::vector<std::string> seen;
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); ++p) {
      const TStringList* text = list.GetText(ArticleSortNormal, p);
      seen.push_back(text ? text->at(0) : "-");
    }
    return seen;
  };
  auto writes = [](int32_t from, int32_t to) {
    std::vector<std::string> expected;
    for (int32_t key = from; key <= to; ++key)
      expected.push_back("write " + std::to_string(key));
    return expected;
  };
  TArticleList kept, cleared, later;
  ASSERT_TRUE(AddLog(kept, ArticleKindRoot, 5, 50));
  for (int32_t key = 1; key <= 10; ++key)
    ASSERT_TRUE(AddWrite(kept, ArticleKindRoot, key));
  // More writes than one block of slots holds.
  for (int32_t key = 1; key <= 5000; ++key)
    ASSERT_TRUE(AddWrite(cleared, ArticleKindMail, key));
  ASSERT_TRUE(kept.SortArticles());
  std::vector<std::string> expected{"-"};
  for (const std::string& t : writes(1, 10))
    expected.push_back(t);
  EXPECT_EQ(texts(kept), expected);

  // Freed slots come back empty: a mail given again with its recipients alone has no text.
  cleared.Clear();
  auto addMail = [&](int32_t key, bool recipients) {
    return later.AddArticle(ArticleKindMail, 1, key, -1, 0, -1, -1, -1, -1, "", "", "mail", "", -1,
                            0, nullptr,
                            recipients ? std::make_unique<TMailSendList>(false) : nullptr);
  };
  for (int32_t key = 1; key <= 6000; ++key)
    ASSERT_TRUE(addMail(key, false));
  for (int32_t key = 1; key <= 6000; key += 2)
    ASSERT_TRUE(addMail(key, true));
  ASSERT_TRUE(later.SortArticles());
  for (int32_t p = 0; p < later.OrderCount(ArticleSortNormal); ++p) {
    ASSERT_EQ(later.GetText(ArticleSortNormal, p), nullptr) << p;
    ASSERT_EQ(later.GetMailTo(ArticleSortNormal, p) != nullptr,
              later.GetKey(ArticleSortNormal, p) % 2 == 1)
        << p;
  }
  // A write given again takes its new text into the slot it has.
  auto again = std::make_unique<TStringList>(TStringList{"write 3 again"});
  ASSERT_TRUE(kept.AddArticle(ArticleKindRoot, 1, 3, -1, 0, -1, -1, -1, -1, "", "", "write", "", -1,
                              0, std::move(again)));
  ASSERT_TRUE(kept.SortArticles());
  expected[3] = "write 3 again";
  EXPECT_EQ(texts(kept), expected);

  // Writes added after a saved state are freed when it is restored; the others stay.
  const TArticleList::SavedState saved = kept.SaveState();
  ASSERT_TRUE(AddWrite(kept, ArticleKindRoot, 11));
  kept.RestoreState(saved);
  ASSERT_TRUE(kept.SortArticles());
  EXPECT_EQ(texts(kept), expected);
  for (int32_t key = 1; key <= 3; ++key)
    ASSERT_TRUE(AddWrite(later, ArticleKindRoot, 10000 + key));
  EXPECT_EQ(texts(kept), expected);
}

TEST(ArticleList, AccessorsOutsideAnOrderGiveTheirDefaults) {
  TArticleList list;
  ASSERT_TRUE(AddLog(list, ArticleKindRess, 2, 20, 1));
  ASSERT_TRUE(list.SortArticles());
  for (int32_t order : {ArticleSortNormal, ArticleSortTree}) {
    const int32_t p = list.OrderCount(order);
    EXPECT_EQ(list.GetArticle(order, p), nullptr);
    EXPECT_EQ(list.GetArticle(order, -1), nullptr);
    EXPECT_EQ(list.GetKind(order, p), ArticleKindMissingRoot);
    EXPECT_EQ(list.GetPostTime(order, p), NoNumber);
    EXPECT_EQ(list.GetParentKey(order, p), -1);
    EXPECT_EQ(list.GetKey(order, p), 0);
    EXPECT_EQ(list.GetNumber(order, p), 0);
    EXPECT_EQ(list.GetWriterId(order, p), 0);
    EXPECT_EQ(list.GetTitle(order, p), "");
    EXPECT_EQ(list.GetText(order, p), nullptr);
    EXPECT_EQ(list.GetMailTo(order, p), nullptr);
    EXPECT_EQ(list.GetLevel(order, p), 0);
    EXPECT_EQ(list.GetNewFlag(order, p), 0);
    EXPECT_FALSE(list.SetReadFlag(order, p, 1, false));
    EXPECT_FALSE(list.SetBatchFlag(order, p, 1));
  }
  EXPECT_FALSE(list.SetArticleUsed(99, 99, 0));
  EXPECT_FALSE(list.SetArticleLastLine(99, 99, 1));
  EXPECT_FALSE(list.SetReadFlagByKey(99, 99, 1, true));
}

TEST(ArticleList, OutOfMemoryIsReportedOncePerListUntilCleared) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TArticleList list;
  list.BoardNo = 12;
  list.BoardId = "abc";
  {
    ScopedBlockAllocationLimit none(0);
    EXPECT_FALSE(AddLog(list, ArticleKindRoot, 1, 1));
    EXPECT_FALSE(AddLog(list, ArticleKindRoot, 2, 2));
  }
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, RecordingUiServices::Kind::Warning);
  EXPECT_EQ(ui.entries[0].text,
            "Board  12:abc\r" + test::J("記事リスト追加中にメモリ不足が発生しました\r"
                                        "記事リスト追加を中断します"));
  EXPECT_EQ(list.Count(), 0);
  list.Clear();
  ScopedBlockAllocationLimit none(0);
  EXPECT_FALSE(AddLog(list, ArticleKindRoot, 1, 1));
  EXPECT_EQ(ui.entries.size(), 2u);
}

TEST(ArticleList, DeepReplyChainsAndBigBoardsNeedNoDeepRecursion) {
  RecordingUiServices ui;
  ScopedUiServices scope(&ui);
  TArticleList list;
  constexpr int32_t kDepth = 100000;
  ASSERT_TRUE(AddLog(list, ArticleKindRoot, 0, 0));
  for (int32_t k = kDepth; k >= 1; --k)
    ASSERT_TRUE(AddLog(list, ArticleKindRess, k, k, k - 1));
  ASSERT_TRUE(list.SortArticles());
  ASSERT_EQ(list.OrderCount(ArticleSortTree), kDepth + 1);
  EXPECT_EQ(list.GetLevel(ArticleSortTree, kDepth), kDepth);
  EXPECT_EQ(list.GetKey(ArticleSortTree, kDepth), kDepth - kOffset);
  // Long sorts keep the window alive.
  EXPECT_GE(ui.pumps, kDepth / 1000);
}

}  // namespace
}  // namespace vorn
