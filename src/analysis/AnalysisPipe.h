#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/AnalysisCache.h"
#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "platform/UiServices.h"
#include "store/BlockMemory.h"

namespace vorn {

// A text a finding carries: where it lies in its batch's buffer.
struct BatchText {
  uint32_t at = 0, size = 0;
};

// What a walk over the log found over a stretch of it, handed from the walking thread to the
// storing one: the findings in order (Finding has a member `what`), their texts in one buffer.
template <class Finding>
struct FindingBatch {
  Finding& Add(typename Finding::What what) {
    Finding& f = items.emplace_back();
    f.what = what;
    return f;
  }
  BatchText Keep(std::string_view text) {
    const BatchText t{static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(text.size())};
    bytes.append(text);
    return t;
  }
  std::string_view View(BatchText t) const { return std::string_view(bytes).substr(t.at, t.size); }
  // The stretch is full: it goes to the store.
  bool Full() const { return items.size() >= 4096 || bytes.size() >= (1u << 20); }
  void Clear() {
    items.clear();
    bytes.clear();
  }

  std::vector<Finding> items;
  std::string bytes;
  int32_t linesWalked = 0;  // the walk has passed every line before this one
};

// Two stages of one analysis on two cores: a worker walks the log and hands what it finds over
// in batches, in log order; the calling thread stores the batches in that order and keeps the
// window alive meanwhile. The walk never looks at what was stored, so the stored result is the
// one a single thread walking and storing in turn would have made.
//
// A few batches are in flight at most: the worker waits for the store, and memory stays that of
// a few batches whatever the log's size.
template <class Batch>
class AnalysisPipe {
 public:
  explicit AnalysisPipe(size_t depth = 4) : depth_(depth) {}
  ~AnalysisPipe() { Stop(); }
  AnalysisPipe(const AnalysisPipe&) = delete;
  AnalysisPipe& operator=(const AnalysisPipe&) = delete;

  // Runs walk(*this) on the worker. The walk hands batches over with Put and returns when done
  // or when Put says to stop; what it throws is thrown again by Take. False when no thread
  // could be started (the system's limit of threads, no memory for its stack): the caller
  // walks on its own thread instead.
  template <class Walk>
  bool Start(Walk&& walk) {
    try {
      StartThread(std::forward<Walk>(walk));
      return true;
    } catch (const std::system_error&) {
      return false;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

 private:
  template <class Walk>
  void StartThread(Walk&& walk) {
    worker_ = std::thread([this, walk = std::forward<Walk>(walk)]() mutable {
      try {
        walk(*this);
      } catch (...) {
        std::lock_guard lock(mutex_);
        error_ = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      done_ = true;
      changed_.notify_all();
    });
  }

 public:
  // The worker's side. An empty batch to fill: one given back, or a new one.
  std::unique_ptr<Batch> Fresh() {
    {
      std::lock_guard lock(mutex_);
      if (!spare_.empty()) {
        std::unique_ptr<Batch> batch = std::move(spare_.back());
        spare_.pop_back();
        return batch;
      }
    }
    return std::make_unique<Batch>();
  }
  // Queues a batch, waiting while the store is depth batches behind. False once the store has
  // stopped: the walk ends.
  bool Put(std::unique_ptr<Batch> batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || queue_.size() < depth_; });
    if (stopped_) return false;
    queue_.push_back(std::move(batch));
    changed_.notify_all();
    return true;
  }

  // The storing side. The next batch in order, or null once the walk is done and every batch
  // taken. While it waits, idle() is called every few milliseconds (the window's messages).
  template <class Idle>
  std::unique_ptr<Batch> Take(Idle&& idle) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (!queue_.empty()) {
        std::unique_ptr<Batch> batch = std::move(queue_.front());
        queue_.pop_front();
        changed_.notify_all();
        return batch;
      }
      if (done_) {
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
        return nullptr;
      }
      if (!changed_.wait_for(lock, std::chrono::milliseconds(20),
                             [&] { return done_ || !queue_.empty(); })) {
        lock.unlock();
        idle();
        lock.lock();
      }
    }
  }
  // A stored batch, cleared by the caller, for the worker to fill again.
  void GiveBack(std::unique_ptr<Batch> batch) {
    std::lock_guard lock(mutex_);
    if (spare_.size() < depth_ + 1) spare_.push_back(std::move(batch));
  }

  // Ends the walk where it is and waits for the worker. Also done by the destructor, so that a
  // storing side that ends early (cancelled, out of memory) never leaves the worker running.
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
      changed_.notify_all();
    }
    if (worker_.joinable()) worker_.join();
  }

 private:
  const size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> queue_;
  std::vector<std::unique_ptr<Batch>> spare_;
  std::exception_ptr error_;
  bool done_ = false;
  bool stopped_ = false;
  std::thread worker_;
};

// Steps the bar as a walk on one thread does (a step for every thousand lines from startLine to
// count) as batches tell how far the walk got, and asks whether to go on.
class BatchProgress {
 public:
  BatchProgress(int32_t startLine, int32_t count, AnalysisProgress* bar) : bar_(bar) {
    if (startLine < 0) startLine = 0;
    if (bar_) bar_->SetMax(count > startLine ? (count - startLine) / 1000 : 0);
    nextStep_ = std::max<int32_t>(1000, (startLine + 999) / 1000 * 1000);
  }
  // False when the bar was cancelled.
  bool Walked(int32_t lines) {
    for (; bar_ && nextStep_ < lines; nextStep_ += 1000) {
      bar_->Step();
      if (bar_->Cancelled()) return false;
    }
    return true;
  }

 private:
  AnalysisProgress* bar_;
  int32_t nextStep_;
};

// The storing side of an analysis on two cores: takes the pipe's batches in order and stores
// each, processing the window's messages and stepping the bar. A cancelled bar stops the walk;
// the caller gives up what was stored, as it does when a walk on one thread stops.
template <class Batch, class Store>
void StoreFromPipe(AnalysisPipe<Batch>& pipe, int32_t startLine, int32_t count,
                   AnalysisProgress* bar, Store&& store) {
  BatchProgress progress(startLine, count, bar);
  while (std::unique_ptr<Batch> batch = pipe.Take([] { Ui().ProcessMessages(); })) {
    store(*batch);
    const int32_t walked = batch->linesWalked;
    batch->Clear();
    pipe.GiveBack(std::move(batch));
    Ui().ProcessMessages();
    if (!progress.Walked(walked)) {
      pipe.Stop();
      return;
    }
  }
}

// Batches stored as soon as they are handed over, on the walking thread: the pipe's two ends
// in one.
template <class Batch, class Store>
class StoreAtOnce {
 public:
  StoreAtOnce(int32_t startLine, int32_t count, AnalysisProgress* bar, Store& store)
      : progress_(startLine, count, bar), store_(store) {}
  std::unique_ptr<Batch> Fresh() { return spare_ ? std::move(spare_) : std::make_unique<Batch>(); }
  bool Put(std::unique_ptr<Batch> batch) {
    store_(*batch);
    const int32_t walked = batch->linesWalked;
    batch->Clear();
    spare_ = std::move(batch);
    Ui().ProcessMessages();
    return progress_.Walked(walked);
  }

 private:
  BatchProgress progress_;
  Store& store_;
  std::unique_ptr<Batch> spare_;
};

// The two ways a walk goes over the lines from startLine to the end of the log. The walk has
// Begin(startLine), WalkLine(line, index) and Finish(count).
//
// On the calling thread, storing as it goes: the window's messages are processed and the bar is
// stepped and asked as the walk goes; a cancelled bar ends the walk there.
template <class Walk>
void WalkHere(Walk& walk, TLogList& log, int32_t startLine, AnalysisProgress* bar) {
  const int32_t count = log.Count();
  if (startLine < 0) startLine = 0;
  if (bar) bar->SetMax(count > startLine ? (count - startLine) / 1000 : 0);
  walk.Begin(startLine);
  // The whole log is walked once: what was looked at is given back behind.
  TLogList::Reader reader(log, true);
  for (int32_t i = startLine; i < count; ++i) {
    if (i % 100 == 0) Ui().ProcessMessages();
    if (i != 0 && i % 1000 == 0 && bar) {
      bar->Step();
      if (bar->Cancelled()) break;  // the caller gives up what was stored
    }
    walk.WalkLine(reader.Line(i), i);
  }
  walk.Finish(count);
}

// On the pipe's worker, the findings going into batches (*out is the batch being filled).
template <class Walk, class Batch>
void WalkIntoPipe(Walk& walk, TLogList& log, int32_t startLine, AnalysisPipe<Batch>& pipe,
                  Batch*& out) {
  const int32_t count = log.Count();
  if (startLine < 0) startLine = 0;
  walk.Begin(startLine);
  TLogList::Reader reader(log, true);
  std::unique_ptr<Batch> batch = pipe.Fresh();
  out = batch.get();
  for (int32_t i = startLine; i < count; ++i) {
    // A stretch of lines that finds little still goes over now and then: the store steps the
    // bar and asks whether to go on as it takes each batch.
    if (batch->Full() || (i & 16383) == 0) {
      batch->linesWalked = i;
      if (!pipe.Put(std::move(batch))) return;
      batch = pipe.Fresh();
      out = batch.get();
    }
    walk.WalkLine(reader.Line(i), i);
  }
  walk.Finish(count);
  batch->linesWalked = count;
  pipe.Put(std::move(batch));
}

// The findings of a file read back from the cache, each batch checked and handed over as it was
// made. False, with nothing handed over, when one does not fit. Every finding is checked before
// the first is handed over: an entry of daily size is decoded once into `decoded` (kept by the
// caller from file to file) and copied from there; a bigger one is decoded again batch by batch,
// so that memory stays that of a few batches whatever the file's size.
template <class Batch, class Sink>
bool ReplayCached(AnalysisCache::Entry& entry, int32_t firstLine, Sink& sink, bool& stopped,
                  std::vector<typename decltype(Batch::items)::value_type>& decoded) {
  using Finding = typename decltype(Batch::items)::value_type;
  size_t findings = 0;
  for (const AnalysisCache::Batch& cached : entry.batches)
    findings += cached.itemCount;
  const bool once = findings <= AnalysisCache::DecodedAtOnce() / sizeof(Finding);
  decoded.resize(once ? findings : 0);
  size_t at = 0;
  for (const AnalysisCache::Batch& cached : entry.batches) {
    if (!once) decoded.resize(cached.itemCount);
    Finding* items = decoded.data() + (once ? at : 0);
    if (!AnalysisCache::DecodeItems(cached, sizeof(Finding), items)) return false;
    for (uint32_t k = 0; k < cached.itemCount; ++k) {
      if (!FindingFits(items[k], cached.bytes.size())) return false;
    }
    at += cached.itemCount;
  }
  at = 0;
  for (const AnalysisCache::Batch& cached : entry.batches) {
    std::unique_ptr<Batch> batch = sink.Fresh();
    if (once) {
      batch->items.assign(decoded.begin() + static_cast<std::ptrdiff_t>(at),
                          decoded.begin() + static_cast<std::ptrdiff_t>(at + cached.itemCount));
      at += cached.itemCount;
    } else {
      batch->items.resize(cached.itemCount);
      AnalysisCache::DecodeItems(cached, sizeof(Finding), batch->items.data());
    }
    for (Finding& f : batch->items)
      ShiftFindingLines(f, firstLine);
    batch->bytes.assign(cached.bytes);
    batch->linesWalked = firstLine + cached.linesWalked;
    entry.TakenUpTo(cached.bytes.data() + cached.bytes.size());
    if (!sink.Put(std::move(batch))) {
      stopped = true;
      return true;
    }
  }
  return true;
}

// Walks the log file by file, each from the walk's state at its start: a file whose findings
// the cache holds for that state is not walked (its findings are handed over and the walk takes
// the state it ended in); every other file is walked and its findings kept for the next time.
// Each file's findings go over in batches of their own. The walk also has SaveState() and
// LoadState(state).
template <class Walk, class Batch, class Sink>
void WalkFiles(Walk& walk, TLogList& log, AnalysisCacheUse& use, Sink& sink, Batch*& out) {
  using Finding = typename decltype(Batch::items)::value_type;
  const int32_t count = log.Count();
  TLogList::Reader reader(log, true);
  AnalysisCache::Entry entry;
  std::vector<Finding> decoded;
  std::unique_ptr<Batch> batch = sink.Fresh();
  out = batch.get();
  std::unique_ptr<AnalysisCache::Writer> writer;
  int32_t fileStart = 0;
  // Hands the batch over (and keeps its findings for the file's entry); false to stop.
  auto handOver = [&](int32_t walked) {
    batch->linesWalked = walked;
    if (writer && !batch->items.empty()) {
      for (Finding& f : batch->items)
        ShiftFindingLines(f, -fileStart);
      writer->AddBatch(walked - fileStart, batch->items.data(),
                       static_cast<uint32_t>(batch->items.size()), batch->bytes);
      for (Finding& f : batch->items)
        ShiftFindingLines(f, fileStart);
    }
    if (!sink.Put(std::move(batch))) return false;
    batch = sink.Fresh();
    out = batch.get();
    return true;
  };
  for (const AnalysedFile& file : *use.files) {
    fileStart = file.firstLine;
    walk.Begin(fileStart);
    writer.reset();
    if (file.stamp.ok) {
      const std::string before = walk.SaveState();
      const std::string key = use.cache->Key(use.family, use.settingsKey, file, before);
      if (use.cache->Read(use.family, file, key, sizeof(Finding), entry)) {
        PauseRegionPrefault(false);
        bool stopped = false;
        if (walk.LoadState(entry.stateOut) &&
            ReplayCached<Batch>(entry, fileStart, sink, stopped, decoded)) {
          ++use.filesFromCache;
          if (stopped) return;
          continue;
        }
        walk.LoadState(before);
      }
      writer = std::make_unique<AnalysisCache::Writer>(*use.cache, use.family, file, key,
                                                       sizeof(Finding));
    }
    PauseRegionPrefault(true);
    const int32_t end = fileStart + file.lineCount;
    for (int32_t i = fileStart; i < end; ++i) {
      if ((batch->Full() || (i & 16383) == 0) && !handOver(i)) return;
      walk.WalkLine(reader.Line(i), i);
    }
    if (!handOver(end)) return;
    if (writer && writer->Finish(walk.SaveState())) ++use.filesKept;
  }
  writer.reset();
  walk.Finish(count);
  batch->linesWalked = count;
  sink.Put(std::move(batch));
}

// Walks the log from startLine and stores what the walk finds: on two threads from threads = 2
// on, when a second thread can be started, else on the calling thread. The walk's findings go
// to a Findings made from a store (straight) or from none (into batches of Batch), and the walk
// is made by makeWalk(findings). With a cache that holds every file from startLine on, the
// walk goes file by file through it (WalkFiles).
template <class Batch, class Findings, class Store, class MakeWalk>
void WalkAndStore(int32_t threads, TLogList& log, int32_t startLine, AnalysisProgress* bar,
                  Store& store, MakeWalk&& makeWalk, AnalysisCacheUse* cache = nullptr) {
  const bool byFile = cache && cache->Covers(std::max(startLine, 0), log.Count());
  // WalkFiles takes touching ahead up again for each file it replays.
  PauseRegionPrefault(true);
  auto storeBatch = [&](const Batch& batch) { StoreFindings(batch, store); };
  if (threads >= 2) {
    Findings out(nullptr);
    auto walk = makeWalk(out);
    // Declared after the walk, so that it ends the worker before the walk goes. Going through
    // the cache, the worker checks a file's findings whole before it hands the first over: a
    // longer queue lets the store go on meanwhile.
    AnalysisPipe<Batch> pipe(byFile ? 12 : 4);
    if (pipe.Start([&](AnalysisPipe<Batch>& p) {
          if (byFile)
            WalkFiles(walk, log, *cache, p, out.batch);
          else
            WalkIntoPipe(walk, log, startLine, p, out.batch);
        })) {
      StoreFromPipe(pipe, startLine, log.Count(), bar, storeBatch);
      return;
    }
  }
  if (byFile) {
    Findings out(nullptr);
    auto walk = makeWalk(out);
    StoreAtOnce<Batch, decltype(storeBatch)> sink(startLine, log.Count(), bar, storeBatch);
    WalkFiles(walk, log, *cache, sink, out.batch);
    return;
  }
  Findings out(&store);
  auto walk = makeWalk(out);
  WalkHere(walk, log, startLine, bar);
}

}  // namespace vorn
