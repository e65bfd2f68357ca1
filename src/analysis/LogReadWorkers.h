#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/AnalysisCache.h"
#include "analysis/LogList.h"

namespace vorn {

// How many files a load reads at a time when nothing else is asked for: one a processor core,
// at most `most`.
int32_t DefaultReadThreads(int32_t most);

// Reads one log file of a load into lines. With a cache and the file as it was stamped before
// the load began (stamped->stamp ok), the lines go where the index the cache keeps for that very
// file puts them, and the file is not read (indexed is then true); a file that changed since is
// read. A file read whole and unchanged while it was read has its index kept for the next time.
// kept, when it holds an index, is that file's index read from the cache already.
int32_t ReadLogFile(TLogList& lines, const std::string& name, const AnalysisCache* cache,
                    const AnalysedFile* stamped, TLogList::LoadWatcher* watcher,
                    bool keepWindowAlive, bool& indexed,
                    AnalysisCache::LineIndexEntry* kept = nullptr);

// Reads the files of a load on worker threads, each file into a list of its own, for the calling
// thread to take over in file order (TLogList::Splice). At most `workers` files are being read or
// wait to be taken at any time, so the memory in flight is that of a few files, whatever the
// archive. The workers never reach the user interface: the calling thread keeps the window alive
// while it waits, and asks it whether to go on.
class LogReadWorkers final {
 public:
  // cache and stamped (one for each file): as ReadLogFile.
  LogReadWorkers(const std::vector<std::string>& files, int32_t workers, int32_t blockSize,
                 const AnalysisCache* cache = nullptr,
                 const std::vector<AnalysedFile>* stamped = nullptr);
  // Stops and joins the workers.
  ~LogReadWorkers();
  LogReadWorkers(const LogReadWorkers&) = delete;
  LogReadWorkers& operator=(const LogReadWorkers&) = delete;

  // Starts the workers; false when not one thread could be started (the caller then reads the
  // files itself).
  bool Start();

  // Waits until the file (the first not yet taken) has been read and gives TLogList's result of
  // reading it; its lines are then in Lines(file). Meanwhile `waiting` is called every few
  // milliseconds; when it returns false the wait ends with LoadCancelled.
  int32_t Wait(size_t file, const std::function<bool()>& waiting);
  TLogList& Lines(size_t file);
  // A file the cache keeps an index of is not read on a worker: its lines go straight into the
  // caller's list (ReadLogFile with this index as kept), which costs less than taking them over
  // from a list of their own. nullptr for any other file.
  AnalysisCache::LineIndexEntry* KeptIndex(size_t file) { return slots_[file].kept.get(); }
  // The file (read, as Wait told) has been taken: its list goes, and a worker may start on a
  // later file.
  void Taken(size_t file);
  // The file's lines came from the index the cache keeps (ReadLogFile).
  bool Indexed(size_t file) const { return slots_[file].indexed; }
  // Bytes of the file read so far (0 for a file not begun or already taken).
  uint64_t BytesRead(size_t file) const;

  // The file being read is given up, no further file is begun, and the workers are joined.
  void Stop();

 private:
  struct Slot {
    std::unique_ptr<TLogList> lines;
    std::unique_ptr<AnalysisCache::LineIndexEntry> kept;
    std::atomic<uint64_t> bytes{0};
    int32_t result = TLogList::LoadOk;
    bool done = false;
    bool indexed = false;
  };
  class Watcher;
  void Work();

  const std::vector<std::string>& files_;
  const size_t workers_;
  const int32_t blockSize_;
  const AnalysisCache* cache_;
  const std::vector<AnalysedFile>* stamped_;
  std::unique_ptr<Slot[]> slots_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable canBegin_;  // a worker may begin the next file, or must stop
  std::condition_variable fileDone_;
  size_t next_ = 0;   // the next file to begin
  size_t taken_ = 0;  // files taken by the calling thread
  bool stop_ = false;
  std::atomic<bool> stopReading_{false};
};

}  // namespace vorn
