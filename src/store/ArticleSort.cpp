#include "store/ArticleSort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/UiServices.h"
#include "store/ArticleList.h"

namespace vorn {
namespace {

// Long loops let the window breathe this often.
constexpr int64_t kPumpEvery = 1000;

// The last position seen of each key, in a flat table: one lookup and one update per entry of a
// board.
class LastPositionOfKey final {
 public:
  explicit LastPositionOfKey(size_t keys) {
    size_t slots = 16;
    while (slots < 2 * keys)
      slots *= 2;
    slots_.assign(slots, Slot{0, -1});
  }
  int32_t Find(int32_t key) const { return slots_[SlotOf(key)].position; }
  void Set(int32_t key, int32_t position) {
    Slot& slot = slots_[SlotOf(key)];
    slot = {key, position};
  }

 private:
  struct Slot {
    int32_t key;
    int32_t position;  // -1 = empty
  };
  size_t SlotOf(int32_t key) const {
    const size_t mask = slots_.size() - 1;
    size_t slot = static_cast<size_t>((static_cast<uint32_t>(key) * 0x9E3779B97F4A7C15ull) >> 32);
    for (slot &= mask; slots_[slot].position >= 0 && slots_[slot].key != key;
         slot = (slot + 1) & mask) {
    }
    return slot;
  }

  std::vector<Slot> slots_;
};

// The entry each reply is placed under: the nearest live entry before it with its parent key,
// when that entry's scan for replies reaches it; -1 when none does, and the reply goes under a
// placeholder. A board whose host restarted its numbering holds a key twice, and a reply to the
// new article belongs under it, not under the purged old one; a thread captured twice keeps
// its replies under each copy.
template <class Pump>
std::vector<int32_t> NearestParents(const std::vector<OrderEntry>& entries,
                                    const ReplyIndex& replies, Pump&& pumpEvery) {
  std::vector<int32_t> parents(entries.size(), -1);
  LastPositionOfKey last(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    pumpEvery(static_cast<int64_t>(i) + 1);
    const OrderEntry& e = entries[i];
    if (e.used != 1 || e.kind == ArticleKindMissingRoot) continue;
    const int32_t position = static_cast<int32_t>(i);
    if (IsReplyKind(e.kind)) {
      const int32_t parent = last.Find(e.parentKey);
      if (parent >= 0 && replies.ScanEnd(parent + 1, e.parentKey) > position) {
        parents[i] = parent;
      }
    }
    last.Set(e.key, position);
  }
  return parents;
}

}  // namespace

void ArticleSorter::PumpEvery(int64_t step) const {
  if (!quiet_ && step % kPumpEvery == 0) Ui().ProcessMessages();
}

void ArticleSorter::Short() {
  short_ = true;
  if (!quiet_) list_.ReportOutOfMemory();
}

bool ArticleSorter::Run() {
  list_.lastAdded_ = -1;
  try {
    RebaseAndCollect();
    // Rebasing changed the raw view of entries with a missing key or time, and sorting moves
    // entries: the key index starts again on the next lookup.
    list_.keyIndex_.Release();
    if (!OrderByTimeAndKey()) {
      Short();
      return false;
    }
    MarkMaintained();
    if (!BuildTreeOrder()) Short();
  } catch (const std::bad_alloc&) {
    Short();
    return false;
  }
  return BuildNormalOrder();
}

void ArticleSorter::RebaseAndCollect() {
  const int32_t n = list_.Count();
  entries_.resize(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    PumpEvery(i + 1);
    ArticleRecord& r = *list_.Entry(i);
    // Every sort builds the reply tree afresh: the placeholders and levels of the last one would
    // hide a reply whose parent's placeholder now sorts after it.
    if (r.Kind == ArticleKindMissingRoot) r.Used = 0;
    r.Level = 0;
    // Log entries order before the user's writes: their keys and times move below zero.
    if (r.WriteFlag == 0 && r.Rebased == 0) {
      bool changed = false;
      for (int32_t* value : {&r.PostTime, &r.ArticleKey, &r.ParentKey}) {
        if (*value >= 0) {
          *value -= RebaseOffset;
          changed = true;
        }
      }
      if (changed) r.Rebased = 1;
    }
    entries_[static_cast<size_t>(i)] = {r.PostTime, r.ArticleKey, r.ParentKey, r.Number,
                                        r.Level,    r.Used,       r.Kind,      r.WriteFlag};
  }
}

bool ArticleSorter::OrderByTimeAndKey() {
  struct SortKey {
    uint64_t timeAndKey;
    int32_t index;
  };
  const size_t n = entries_.size();
  std::vector<SortKey> keys(n);
  bool sorted = true;
  for (size_t i = 0; i < n; ++i) {
    const OrderEntry& e = entries_[i];
    const uint64_t k = (static_cast<uint64_t>(static_cast<uint32_t>(e.time) ^ 0x80000000u) << 32) |
                       (static_cast<uint32_t>(e.key) ^ 0x80000000u);
    keys[i] = {k, static_cast<int32_t>(i)};
    if (i > 0 && k < keys[i - 1].timeAndKey) sorted = false;
  }
  if (sorted) return true;
  PumpEvery(0);
  // Ties in both time and key keep their storage order.
  std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) {
    return a.timeAndKey != b.timeAndKey ? a.timeAndKey < b.timeAndKey : a.index < b.index;
  });
  PumpEvery(0);
  std::vector<int32_t> order(n);
  std::vector<OrderEntry> moved(n);
  for (size_t i = 0; i < n; ++i) {
    order[i] = keys[i].index;
    moved[i] = entries_[static_cast<size_t>(keys[i].index)];
  }
  keys = {};
  entries_.swap(moved);
  moved = {};
  list_.Permute(order);
  PumpEvery(0);
  return true;
}

void ArticleSorter::MarkMaintained() {
  // The host renumbers or purges a board by starting its numbers again; whatever lies before
  // the last restart is gone from the host.
  int32_t previous = RebaseOffset;
  int32_t restart = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    PumpEvery(static_cast<int64_t>(i) + 1);
    const OrderEntry& e = entries_[i];
    if (e.used != 1 || e.kind == ArticleKindMissingRoot || e.writeFlag != 0 || e.number < 0) {
      continue;
    }
    if (previous >= e.number) restart = static_cast<int32_t>(i);
    previous = e.number;
  }
  for (int32_t i = 0; i < restart; ++i)
    list_.Entry(i)->Maintained = 1;
}

bool ArticleSorter::BuildTreeOrder() {
  TIndexList& tree = list_.TreeList;
  tree.Truncate();
  ReplyIndex replies;
  replies.Build(entries_);
  const std::vector<int32_t> parents =
      NearestParents(entries_, replies, [this](int64_t step) { PumpEvery(step); });
  // One open scan for replies: the entry they are placed under (-1 for a placeholder, which
  // takes the replies no entry takes), the level of the replies it places and the replies
  // still to place (entries of the reply index).
  struct Scan {
    int32_t parent;
    int32_t level;
    int32_t next;
    int32_t last;
  };
  std::vector<Scan> scans;
  int64_t steps = 0;
  auto open = [&](int32_t parent, int32_t key, int32_t level, int32_t start) {
    ReplyIndex::Range range = replies.Replies(key, start, replies.ScanEnd(start, key));
    if (range.first < range.last) scans.push_back({parent, level, range.first, range.last});
  };
  // Places every reply the open scans reach, depth first, each reply followed by its own
  // replies.
  auto drain = [&]() {
    while (!scans.empty()) {
      Scan& scan = scans.back();
      if (scan.next == scan.last) {
        scans.pop_back();
        continue;
      }
      const int32_t position = replies.Position(scan.next++);
      // Each reply is placed once, under its own parent: another entry with the same key (an
      // old article of a renumbered board, an earlier capture of the thread) passes it by.
      if (parents[static_cast<size_t>(position)] != scan.parent ||
          entries_[static_cast<size_t>(position)].level != 0) {
        continue;
      }
      const int32_t level = scan.level;
      entries_[static_cast<size_t>(position)].level = level;
      list_.Entry(position)->Level = level;
      if (!tree.Add(position)) return false;
      PumpEvery(++steps);
      open(position, entries_[static_cast<size_t>(position)].key, level + 1, position + 1);
    }
    return true;
  };
  auto attachReplies = [&](int32_t parent, int32_t key, int32_t start) {
    open(parent, key, 1, start);
    return drain();
  };

  // Placeholders appended below are not walked themselves.
  const int32_t walked = static_cast<int32_t>(entries_.size());
  for (int32_t i = 0; i < walked; ++i) {
    PumpEvery(++steps);
    const OrderEntry& e = entries_[static_cast<size_t>(i)];
    if (e.used != 1 || e.level != 0) continue;
    if (!IsReplyKind(e.kind)) {
      if (!tree.Add(i) || !attachReplies(i, e.key, i + 1)) return false;
      continue;
    }
    // A reply nobody placed: its parent is not here (or comes later). It and every later
    // orphan of the same parent go under one placeholder that stands for the parent.
    const ArticleRecord& orphan = *list_.Entry(i);
    ArticleRecord p{};
    p.Used = 1;
    p.Kind = ArticleKindMissingRoot;
    p.ArticleKey = orphan.ParentKey;
    p.Number = orphan.ParentNumber;
    p.ParentKey = -1;
    p.ParentNumber = -1;
    p.PostTime = orphan.PostTime;
    p.WriterId = orphan.ParentWriterId;
    p.ParentWriterId = -1;
    p.OwnTexts = orphan.ParentTexts;
    p.FirstLine = -1;
    p.BodyOffset = -1;
    p.NewFlag = 1;
    p.Rebased = 1;
    if (!list_.AppendEntry(p) || !tree.Add(list_.Count() - 1)) return false;
    // The orphan itself always goes under its placeholder, even when its key is smaller than
    // its parent's (a renumbered board): a scan from its own position would stop at once and
    // the reply would vanish from tree order. Its own replies come next, then later orphans of
    // the same parent by the usual scan.
    entries_[static_cast<size_t>(i)].level = 1;
    list_.Entry(i)->Level = 1;
    if (!tree.Add(i)) return false;
    open(-1, p.ArticleKey, 1, i + 1);
    open(i, e.key, 2, i + 1);
    if (!drain()) return false;
  }
  return true;
}

bool ArticleSorter::BuildNormalOrder() {
  TIndexList& normal = list_.NormalList;
  normal.Truncate();
  // Placeholders, the only entries past the table, never show in posting order.
  for (size_t i = 0; i < entries_.size(); ++i) {
    PumpEvery(static_cast<int64_t>(i) + 1);
    const OrderEntry& e = entries_[i];
    if (e.used == 0 || e.kind == ArticleKindMissingRoot) continue;
    if (!normal.Add(static_cast<int32_t>(i))) {
      Short();
      return false;
    }
  }
  return true;
}

bool ArticleSorter::SortAll(const std::vector<TArticleList*>& lists, int32_t threads) {
  std::vector<TArticleList*> order;
  for (TArticleList* list : lists) {
    if (list) order.push_back(list);
  }
  // The biggest first: the last list begun, while the other threads may have nothing left to
  // do, is then a small one. The biggest of all is the calling thread's, which keeps the window
  // alive through it as a sort on one thread does.
  std::stable_sort(order.begin(), order.end(), [](const TArticleList* a, const TArticleList* b) {
    return a->Count() > b->Count();
  });
  // Every sort drops its list's key table; dropped all at once, their memory is back before the
  // first sort takes its own.
  for (TArticleList* list : order)
    list->keyIndex_.Release();
  struct Outcome {
    bool built = true;
    bool quietShort = false;  // ran short on a worker: told once all are done
  };
  std::vector<Outcome> outcomes(order.size());
  std::atomic<size_t> next{1};
  std::mutex mutex;
  std::condition_variable finished;
  size_t running = 0;
  std::exception_ptr failed;
  auto sortOne = [&](size_t i, bool quiet) {
    ArticleSorter sorter(*order[i], quiet);
    outcomes[i].built = sorter.Run();
    outcomes[i].quietShort = quiet && sorter.ShortOfMemory();
    if (!quiet) Ui().ProcessMessages();
  };
  auto fail = [&] {
    // The others stop at their next list; the calling thread hands it on once all are done.
    next = order.size();
    std::lock_guard lock(mutex);
    if (!failed) failed = std::current_exception();
  };
  auto sortRest = [&](bool quiet) {
    try {
      for (size_t i; (i = next.fetch_add(1)) < order.size();)
        sortOne(i, quiet);
    } catch (...) {
      fail();
    }
  };
  std::vector<std::thread> workers;
  struct JoinAll {
    std::vector<std::thread>& threads;
    ~JoinAll() {
      for (std::thread& t : threads)
        t.join();
    }
  } joinAll{workers};
  const size_t wanted = threads > 1 && order.size() > 1
                            ? std::min(static_cast<size_t>(threads), order.size()) - 1
                            : 0;
  workers.reserve(wanted);
  for (size_t w = 0; w < wanted; ++w) {
    {
      std::lock_guard lock(mutex);
      ++running;
    }
    try {
      workers.emplace_back([&] {
        sortRest(true);
        std::lock_guard lock(mutex);
        --running;
        finished.notify_all();
      });
    } catch (const std::system_error&) {
      std::lock_guard lock(mutex);
      --running;
      break;  // the threads that could be had do the work
    }
  }
  if (!order.empty()) {
    try {
      sortOne(0, false);
    } catch (...) {
      fail();
    }
  }
  sortRest(false);
  {
    // A worker may still be on a big list: the window stays alive meanwhile.
    std::unique_lock lock(mutex);
    while (running > 0) {
      if (!finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; })) {
        lock.unlock();
        Ui().ProcessMessages();
        lock.lock();
      }
    }
  }
  if (failed) std::rethrow_exception(failed);
  bool built = true;
  for (size_t i = 0; i < order.size(); ++i) {
    if (outcomes[i].quietShort) order[i]->ReportOutOfMemory();
    built = built && outcomes[i].built;
  }
  return built;
}

}  // namespace vorn
