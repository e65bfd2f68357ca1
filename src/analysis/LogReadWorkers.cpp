#include "analysis/LogReadWorkers.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>

namespace vorn {
namespace {

// Index entries a growth step of a file's own list; the list lives only until it is taken.
constexpr int32_t kFileIndexChunk = 32768;
// How often the calling thread looks up from waiting.
constexpr std::chrono::milliseconds kWaitStep{20};

}  // namespace

int32_t DefaultReadThreads(int32_t most) {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp<int32_t>(cores == 0 ? 1 : static_cast<int32_t>(cores), 1, std::max(most, 1));
}

// Tells the slot's byte count to whoever looks, and stops the reading when the load is given up.
class LogReadWorkers::Watcher final : public TLogList::LoadWatcher {
 public:
  Watcher(std::atomic<uint64_t>& bytes, const std::atomic<bool>& stop)
      : bytes_(bytes), stop_(stop) {}
  void FileBytesRead(uint64_t bytes) override { bytes_.store(bytes, std::memory_order_relaxed); }
  bool StopReading() override { return stop_.load(std::memory_order_relaxed); }

 private:
  std::atomic<uint64_t>& bytes_;
  const std::atomic<bool>& stop_;
};

int32_t ReadLogFile(TLogList& lines, const std::string& name, const AnalysisCache* cache,
                    const AnalysedFile* stamped, TLogList::LoadWatcher* watcher,
                    bool keepWindowAlive, bool& indexed, AnalysisCache::LineIndexEntry* kept) {
  indexed = false;
  const bool known = cache && cache->Usable() && stamped && stamped->stamp.ok;
  const TLogList::Mark before = lines.End();
  AnalysisCache::LineIndexEntry own;
  AnalysisCache::LineIndexEntry& cached = kept ? *kept : own;
  if (known && (cached.index.data() != nullptr || cache->ReadLineIndex(*stamped, cached))) {
    const int32_t result = lines.LoadIndexedFile(name, cached.index, watcher, keepWindowAlive);
    if (result == TLogList::LoadCancelled || result == TLogList::LoadOutOfMemory) return result;
    // The file mapped may not be the one stamped: it may have changed in between.
    if (result == TLogList::LoadOk && StampOfFile(name) == stamped->stamp) {
      indexed = true;
      return result;
    }
    if (result == TLogList::LoadOk) lines.TruncateTo(before);
  }
  cached.Close();
  std::string index;
  const int32_t result = lines.LoadFromFile(name, watcher, keepWindowAlive);
  if (known && result == TLogList::LoadOk && StampOfFile(name) == stamped->stamp &&
      lines.MappedFileIndex(before, index))
    cache->WriteLineIndex(*stamped, index);
  return result;
}

LogReadWorkers::LogReadWorkers(const std::vector<std::string>& files, int32_t workers,
                               int32_t blockSize, const AnalysisCache* cache,
                               const std::vector<AnalysedFile>* stamped)
    : files_(files),
      workers_(static_cast<size_t>(std::max(workers, 1))),
      blockSize_(blockSize),
      cache_(cache),
      stamped_(stamped && stamped->size() == files.size() ? stamped : nullptr),
      slots_(new Slot[files.size()]) {}

LogReadWorkers::~LogReadWorkers() {
  Stop();
}

bool LogReadWorkers::Start() {
  const size_t wanted = std::min(workers_, files_.size());
  for (size_t t = 0; t < wanted; ++t) {
    try {
      threads_.emplace_back(&LogReadWorkers::Work, this);
    } catch (const std::exception&) {
      // No thread to be had (a limit on processes or on address space): fewer workers.
      break;
    }
  }
  return !threads_.empty();
}

void LogReadWorkers::Work() {
  for (;;) {
    size_t file = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      canBegin_.wait(lock,
                     [&] { return stop_ || next_ >= files_.size() || next_ < taken_ + workers_; });
      if (stop_ || next_ >= files_.size()) return;
      file = next_++;
    }
    Slot& slot = slots_[file];
    int32_t result = TLogList::LoadOutOfMemory;
    bool indexed = false;
    std::unique_ptr<TLogList> lines;
    std::unique_ptr<AnalysisCache::LineIndexEntry> kept;
    try {
      const AnalysedFile* stamped = stamped_ ? &(*stamped_)[file] : nullptr;
      if (cache_ && cache_->Usable() && stamped && stamped->stamp.ok) {
        kept = std::make_unique<AnalysisCache::LineIndexEntry>();
        if (cache_->ReadLineIndex(*stamped, *kept)) {
          result = TLogList::LoadOk;
          slot.bytes.store(stamped->stamp.size, std::memory_order_relaxed);
        } else {
          kept.reset();
        }
      }
      if (!kept) {
        lines = std::make_unique<TLogList>(blockSize_, kFileIndexChunk);
        Watcher watcher(slot.bytes, stopReading_);
        result = ReadLogFile(*lines, files_[file], cache_, stamped, &watcher, false, indexed);
      }
    } catch (const std::bad_alloc&) {
      result = TLogList::LoadOutOfMemory;
    } catch (const std::exception&) {
      result = TLogList::LoadReadFailed;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      slot.lines = std::move(lines);
      slot.kept = std::move(kept);
      slot.result = result;
      slot.indexed = indexed;
      slot.done = true;
    }
    fileDone_.notify_all();
  }
}

int32_t LogReadWorkers::Wait(size_t file, const std::function<bool()>& waiting) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!slots_[file].done) {
    fileDone_.wait_for(lock, kWaitStep);
    if (slots_[file].done) break;
    lock.unlock();
    const bool goOn = waiting();
    lock.lock();
    if (!goOn) return TLogList::LoadCancelled;
  }
  return slots_[file].result;
}

TLogList& LogReadWorkers::Lines(size_t file) {
  Slot& slot = slots_[file];
  if (!slot.lines) slot.lines = std::make_unique<TLogList>(blockSize_, kFileIndexChunk);
  return *slot.lines;
}

void LogReadWorkers::Taken(size_t file) {
  std::unique_ptr<TLogList> lines;
  std::unique_ptr<AnalysisCache::LineIndexEntry> kept;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A file still being read (the load was given up while waiting for it) stays its worker's.
    if (!slots_[file].done) return;
    lines = std::move(slots_[file].lines);
    kept = std::move(slots_[file].kept);
    slots_[file].bytes.store(0, std::memory_order_relaxed);
    taken_ = std::max(taken_, file + 1);
  }
  canBegin_.notify_all();
}

uint64_t LogReadWorkers::BytesRead(size_t file) const {
  return file < files_.size() ? slots_[file].bytes.load(std::memory_order_relaxed) : 0;
}

void LogReadWorkers::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stopReading_.store(true, std::memory_order_relaxed);
  canBegin_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
}

}  // namespace vorn
