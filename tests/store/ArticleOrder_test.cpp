// The fast sort and reply tree against the plain reference on many random boards.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <thread>

#include "platform/UiServices.h"
#include "store/ArticleList.h"
#include "store/ArticleSort.h"
#include "store/BlockMemory.h"
#include "store/ReferenceArticleList.h"

namespace vorn {
namespace {

using test::PlainArticle;
using test::PlainOf;
using test::ReferenceArticleList;

void ExpectSameState(const TArticleList& mine, const ReferenceArticleList& ref) {
  ASSERT_EQ(mine.Count(), int32_t(ref.entries.size()));
  for (int32_t i = 0; i < mine.Count(); ++i) {
    ASSERT_EQ(PlainOf(*mine.Entry(i)), ref.entries[size_t(i)])
        << "storage " << i << ": " << test::Describe(PlainOf(*mine.Entry(i))) << " vs "
        << test::Describe(ref.entries[size_t(i)]);
  }
  for (int32_t order : {ArticleSortNormal, ArticleSortTree}) {
    const auto& expected = order == ArticleSortNormal ? ref.normal : ref.tree;
    ASSERT_EQ(mine.OrderCount(order), int32_t(expected.size())) << "order " << order;
    for (int32_t p = 0; p < mine.OrderCount(order); ++p) {
      ASSERT_EQ(mine.StorageIndex(order, p), expected[size_t(p)])
          << "order " << order << " position " << p;
    }
  }
}

// Sorts both lists. Entries equal in time and key may end in either order, and the fast sort
// keeps them in storage order; the reference's exchange sort is checked to agree up to such
// ties, then takes the same tie order before it builds the tree, so that everything after the
// sort must match exactly.
void SortBoth(TArticleList& mine, ReferenceArticleList& ref, bool& skipped) {
  ASSERT_NO_FATAL_FAILURE(ExpectSameState(mine, ref));
  ref.Rebase();
  const std::vector<PlainArticle> rebased = ref.entries;
  ref.ExchangeSort();
  std::vector<int32_t> stable(rebased.size());
  std::iota(stable.begin(), stable.end(), 0);
  auto timeAndKey = [&](int32_t i) {
    return std::pair(rebased[size_t(i)].PostTime, rebased[size_t(i)].ArticleKey);
  };
  std::stable_sort(stable.begin(), stable.end(),
                   [&](int32_t a, int32_t b) { return timeAndKey(a) < timeAndKey(b); });
  size_t groupStart = 0;
  for (size_t p = 0; p <= stable.size(); ++p) {
    if (p < stable.size()) {
      const PlainArticle& e = ref.entries[p];
      ASSERT_EQ(std::pair(e.PostTime, e.ArticleKey), timeAndKey(stable[p])) << "sorted " << p;
      if (p == 0 || timeAndKey(stable[p]) == timeAndKey(stable[p - 1])) continue;
    }
    // One group of entries equal in time and key: the same entries in both sorts.
    std::vector<PlainArticle> fromStable;
    for (size_t q = groupStart; q < p; ++q)
      fromStable.push_back(rebased[size_t(stable[q])]);
    ASSERT_TRUE(std::is_permutation(fromStable.begin(), fromStable.end(),
                                    ref.entries.begin() + long(groupStart),
                                    ref.entries.begin() + long(p)))
        << "tie group at " << groupStart;
    groupStart = p;
  }
  for (size_t p = 0; p < stable.size(); ++p)
    ref.entries[p] = rebased[size_t(stable[p])];
  ref.FinishSort();
  if (ref.overflowed) {
    skipped = true;
    return;
  }
  EXPECT_TRUE(mine.SortArticles());
  ASSERT_NO_FATAL_FAILURE(ExpectSameState(mine, ref));
}

class RandomBoard {
 public:
  explicit RandomBoard(uint64_t seed) : rng_(seed) { ref_.treeLimit = 20000; }

  // False when the board's tree grew too big to compare (the random keys made too many
  // duplicates along a chain).
  bool Run() {
    // Each board has a character: how crowded its times are, how its keys run, how many
    // replies and chains it has, so that the rare situations come up often somewhere.
    timeSpan_ = Pick({1, 3, 10, 1000});
    keySpan_ = Pick({2, 6, 30, 100000});
    replyShare_ = Pick({0, 30, 70, 95});
    chainShare_ = Pick({0, 0, 50, 90});
    const int rounds = 1 + Below(4);
    for (int round = 0; round < rounds; ++round) {
      if (round > 0 && Below(4) == 0) Both([](auto& list) { list.DropPlaceholders(); });
      const int logEntries = round == 0 || Below(3) == 0 ? Below(Below(5) == 0 ? 120 : 30) : 0;
      for (int i = 0; i < logEntries; ++i)
        AddLogEntry();
      const int changes = round == 0 ? Below(4) : Below(10);
      for (int i = 0; i < changes; ++i)
        Change();
      bool skipped = false;
      SortBoth(mine_, ref_, skipped);
      if (skipped || ::testing::Test::HasFatalFailure()) return !skipped;
    }
    return true;
  }

 private:
  int Below(int n) { return int(rng_() % uint64_t(n)); }
  // Now and then a tail that takes a text to around its capacity (31 or 127 bytes), with
  // double-byte characters that the cut may split.
  std::string Long(int upTo) {
    if (Below(4) != 0) return {};
    std::string tail;
    const int length = upTo - 8 + Below(9);
    while (int(tail.size()) < length)
      tail += Below(2) ? "\x93\xfa" : "a";
    return tail;
  }
  int Pick(std::initializer_list<int> values) { return values.begin()[Below(int(values.size()))]; }

  template <class F>
  void Both(F f) {
    f(mine_);
    f(ref_);
  }

  void Add(uint8_t kind, uint8_t write, int32_t key, int32_t number, int32_t time,
           int32_t parentKey, int32_t parentNumber) {
    const int32_t line = nextLine_++;
    const std::string title = "t" + std::to_string(line) + Long(131);
    const std::string parentTitle = Below(3) ? "p" + std::to_string(parentKey) + Long(131) : "";
    const std::string writer = Below(2) ? "W" + std::to_string(Below(5)) + Long(35) : "";
    const std::string parentWriter = Below(2) ? "P" + std::to_string(Below(5)) + Long(35) : "";
    const int32_t writerId = Below(10) - 1, parentWriterId = Below(10) - 1;
    bool a = mine_.AddArticle(kind, write, key, number, time, parentKey, parentNumber, writerId,
                              parentWriterId, writer, parentWriter, title, parentTitle, line, 2);
    bool b = ref_.AddArticle(kind, write, key, number, time, parentKey, parentNumber, writerId,
                             parentWriterId, writer, parentWriter, title, parentTitle, line, 2);
    EXPECT_EQ(a, b);
    if (write == 0 && Below(3) == 0) {
      // The analyser learns an article's last line afterwards.
      EXPECT_EQ(mine_.SetArticleLastLine(key, time, line + 3), ref_.FindArticle(key, time) >= 0);
      if (int32_t i = ref_.FindArticle(key, time); i >= 0)
        ref_.entries[size_t(i)].LastLine = line + 3;
    }
    if (write == 0) logKeys_.push_back({key, time});
  }

  void AddLogEntry() {
    const bool reply = Below(100) < replyShare_;
    int32_t key;
    if (!logKeys_.empty() && Below(100) < chainShare_) {
      key = logKeys_.back().first + 1 + Below(3);
    } else {
      key = Below(keySpan_);
    }
    // Keys repeat (a renumbered board), but rarely more than twice: the tree places every reply
    // under every parent with its key, which grows exponentially along chains of duplicates.
    if (keyUses_[key] >= 2) key = ++largestKey_;
    largestKey_ = std::max(largestKey_, key);
    ++keyUses_[key];
    if (Below(40) == 0) key = -1;
    int32_t time = Below(timeSpan_);
    if (Below(30) == 0) time = -1;
    int32_t parentKey = -1;
    uint8_t kind = uint8_t(Pick({0, 2, 4, 5}));
    if (reply) {
      kind = uint8_t(Pick({1, 1, 3}));
      if (!logKeys_.empty() && Below(100) < chainShare_) {
        parentKey = logKeys_.back().first;
      } else if (!logKeys_.empty() && Below(4)) {
        parentKey = logKeys_[size_t(Below(int(logKeys_.size())))].first;
      } else {
        parentKey = Below(keySpan_ + 5) - 1;
      }
    }
    if (Below(60) == 0) kind = ArticleKindMissingRoot;
    int32_t number = Below(8) == 0 ? Below(keySpan_) : key;
    if (Below(40) == 0) number = -1;
    Add(kind, 0, key, number, time, parentKey, Below(3) ? parentKey : -1);
  }

  // What happens between sorts: the user writes and deletes, the log gives an article again
  // (maybe as another kind), an entry is removed.
  void Change() {
    switch (Below(6)) {
      case 0:
      case 1: {  // a write, maybe a reply to a log entry (by its stored key) or to a write
        int32_t parentKey = -1;
        uint8_t kind = uint8_t(Pick({0, 2, 4}));
        if (Below(3)) {
          kind = uint8_t(Pick({1, 3}));
          const int32_t shown = mine_.OrderCount(ArticleSortNormal);
          if (shown > 0 && Below(3)) {
            parentKey = mine_.GetKey(ArticleSortNormal, Below(shown));
          } else if (writeKey_ > 1) {
            parentKey = 1 + Below(writeKey_ - 1);
          } else {
            parentKey = Below(5);
          }
        }
        const int32_t key = writeKey_++;
        if (Below(20) == 0) kind = ArticleKindMissingRoot;  // refused
        Add(kind, 1, key, -1, 0, parentKey, -1);
        break;
      }
      case 2: {  // delete a write
        if (writeKey_ <= 1) break;
        const int32_t key = 1 + Below(writeKey_ - 1);
        bool a = mine_.SetArticleUsed(key, 0, 0);
        EXPECT_EQ(a, ref_.SetArticleUsed(key, 0, 0));
        break;
      }
      case 3: {  // an entry of the log given again, as it was or as another kind
        if (logKeys_.empty()) break;
        auto [key, time] = logKeys_[size_t(Below(int(logKeys_.size())))];
        uint8_t kind = uint8_t(Below(7));
        int32_t parentKey = Below(2) ? -1 : Below(keySpan_);
        Add(kind, 0, key, key, time, parentKey, parentKey);
        break;
      }
      case 4: {  // an entry dies
        if (logKeys_.empty()) break;
        auto [key, time] = logKeys_[size_t(Below(int(logKeys_.size())))];
        EXPECT_EQ(mine_.SetArticleUsed(key, time, 0), ref_.SetArticleUsed(key, time, 0));
        break;
      }
      default:
        AddLogEntry();
        break;
    }
  }

  std::mt19937_64 rng_;
  TArticleList mine_;
  ReferenceArticleList ref_;
  std::vector<std::pair<int32_t, int32_t>> logKeys_;
  std::map<int32_t, int> keyUses_;
  int32_t largestKey_ = 0;
  int32_t writeKey_ = 1;
  int32_t nextLine_ = 0;
  int timeSpan_ = 1, keySpan_ = 1, replyShare_ = 0, chainShare_ = 0;
};

uint64_t BaseSeed() {
  const char* fixed = std::getenv("VORN_ORDER_SEED");
  if (fixed && *fixed) return std::strtoull(fixed, nullptr, 10);
  return std::random_device{}();
}

TEST(ArticleOrder, MatchesTheReferenceOnRandomBoards) {
  const uint64_t base = BaseSeed();
  constexpr int kBoards = 2500;
  int compared = 0;
  for (int b = 0; b < kBoards; ++b) {
    const uint64_t seed = base + uint64_t(b);
    RandomBoard board(seed);
    if (board.Run()) ++compared;
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "board seed " << seed << " (rerun with VORN_ORDER_SEED=" << seed
                    << " to see it first)";
      return;
    }
  }
  // Boards whose trees exploded are skipped; they must stay rare or the test proves little.
  RecordProperty("boards_compared", compared);
  EXPECT_GE(compared, 2000) << "base seed " << base;
}

// Counts what reaches the window and from which thread: only the thread that owns the window
// may process its messages or show a box.
class ThreadCheckingUi final : public UiServices {
 public:
  void Warning(const std::string& text) override {
    if (Check()) warnings.push_back(text);
  }
  void Information(const std::string&) override { Check(); }
  bool ConfirmYesNo(const std::string&) override { return Check(), false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return Check(), UiAnswer::No; }
  UiAnswer AskLoadCheck(const std::string&) override { return Check(), UiAnswer::No; }
  void ProcessMessages() override {
    if (Check()) ++pumps;
  }

  std::atomic<int> offThread{0};
  long pumps = 0;
  std::vector<std::string> warnings;

 private:
  bool Check() {
    if (std::this_thread::get_id() == owner_) return true;
    ++offThread;
    return false;
  }
  const std::thread::id owner_ = std::this_thread::get_id();
};

// Boards big enough that every thread gets some, each filled the same way twice.
std::vector<std::unique_ptr<TArticleList>> SomeBoards(uint64_t seed) {
  std::mt19937_64 rng(seed);
  auto below = [&](int n) { return int32_t(rng() % uint64_t(n)); };
  std::vector<std::unique_ptr<TArticleList>> boards;
  for (int b = 0; b < 9; ++b) {
    auto list = std::make_unique<TArticleList>();
    list->BoardNo = b;
    list->BoardId = "b" + std::to_string(b);
    const int entries = b == 4 ? 0 : 500 + below(6000);
    for (int i = 0; i < entries; ++i) {
      const bool reply = below(3) != 0;
      const int32_t key = below(entries), parent = reply ? below(entries + 10) - 5 : -1;
      list->AddArticle(uint8_t(reply ? ArticleKindRess : ArticleKindRoot), 0, key, key,
                       below(entries / 4 + 1), parent, parent, below(50), below(50), "W", "P",
                       "t" + std::to_string(key), "p" + std::to_string(parent), i, 2);
    }
    boards.push_back(std::move(list));
  }
  return boards;
}

std::vector<TArticleList*> Pointers(const std::vector<std::unique_ptr<TArticleList>>& boards) {
  std::vector<TArticleList*> lists{nullptr};  // a board without its list is passed by
  for (const auto& b : boards)
    lists.push_back(b.get());
  return lists;
}

TEST(ArticleOrder, BoardsSortedSideBySideEndAsSortedInTurnAndOnlyTheCallerReachesTheWindow) {
  ThreadCheckingUi ui;
  ScopedUiServices scope(&ui);
  const uint64_t seed = BaseSeed();
  const auto inTurn = SomeBoards(seed);
  for (const auto& b : inTurn)
    ASSERT_TRUE(b->SortArticles());
  for (int32_t threads : {1, 2, 5}) {
    const auto sideBySide = SomeBoards(seed);
    ASSERT_TRUE(ArticleSorter::SortAll(Pointers(sideBySide), threads));
    for (size_t b = 0; b < inTurn.size(); ++b) {
      const TArticleList& want = *inTurn[b];
      const TArticleList& got = *sideBySide[b];
      ASSERT_EQ(got.Count(), want.Count()) << "board " << b << " seed " << seed;
      for (int32_t i = 0; i < want.Count(); ++i)
        ASSERT_EQ(PlainOf(*got.Entry(i)), PlainOf(*want.Entry(i))) << "board " << b << " " << i;
      for (int32_t order : {ArticleSortNormal, ArticleSortTree}) {
        ASSERT_EQ(got.OrderCount(order), want.OrderCount(order)) << "board " << b;
        for (int32_t p = 0; p < want.OrderCount(order); ++p)
          ASSERT_EQ(got.StorageIndex(order, p), want.StorageIndex(order, p)) << "board " << b;
      }
    }
  }
  EXPECT_EQ(ui.offThread, 0);
  EXPECT_TRUE(ui.warnings.empty());

  // Memory running out on other threads is told by the caller's thread, once for each board
  // that ran short.
  const auto shortOf = SomeBoards(seed);
  {
    ScopedBlockAllocationLimit few(6);
    EXPECT_FALSE(ArticleSorter::SortAll(Pointers(shortOf), 3));
  }
  EXPECT_EQ(ui.offThread, 0);
  int32_t reported = 0;
  for (const auto& b : shortOf)
    reported += b->MemoryReported;
  EXPECT_GT(reported, 0);
  EXPECT_EQ(int32_t(ui.warnings.size()), reported);

  // On the calling thread alone, each board that runs short is told as it does.
  const auto alone = SomeBoards(seed);
  ui.warnings.clear();
  {
    ScopedBlockAllocationLimit none(0);
    EXPECT_FALSE(ArticleSorter::SortAll(Pointers(alone), 1));
  }
  EXPECT_EQ(ui.warnings.size(), alone.size() - 1);  // every board but the empty one

  // However the lists fall to the threads, a big board keeps the window alive as it does sorted
  // alone.
  std::vector<std::unique_ptr<TArticleList>> big;
  for (int b = 0; b < 3; ++b) {
    auto list = std::make_unique<TArticleList>();
    const int32_t entries = b == 1 ? 60000 : 10;
    for (int32_t k = 0; k < entries; ++k) {
      list->AddArticle(uint8_t(k ? ArticleKindRess : ArticleKindRoot), 0, k, k, k, k - 1, k - 1, 1,
                       1, "W", "P", "t", "p", k, 2);
    }
    big.push_back(std::move(list));
  }
  ui.pumps = 0;
  ASSERT_TRUE(ArticleSorter::SortAll(Pointers(big), 2));
  EXPECT_GE(ui.pumps, 60000 / 1000);
  EXPECT_EQ(big[1]->GetLevel(ArticleSortTree, 59999), 59999);
  EXPECT_EQ(ui.offThread, 0);
}

}  // namespace
}  // namespace vorn
