#include "platform/MappedFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/Cp932.h"

namespace vorn {
namespace {

// The ranges mapped, looked up by the SIGBUS handler, which may take no lock and allocate
// nothing: a fixed table of slots, each free while its begin is 0. More files than this are
// read the ordinary way.
constexpr size_t kSlots = 16384;
struct Slot {
  std::atomic<uintptr_t> begin{0};
  std::atomic<uintptr_t> end{0};
};
Slot g_slots[kSlots];
std::atomic<size_t> g_slotsUsed{0};  // slots at and past this were never taken
std::mutex g_slotLock;
struct sigaction g_previous;
std::once_flag g_installed;

uintptr_t PageSize() {
  static const uintptr_t size = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(info->si_addr);
  const size_t used = g_slotsUsed.load(std::memory_order_acquire);
  for (size_t s = 0; s < used; ++s) {
    const uintptr_t begin = g_slots[s].begin.load(std::memory_order_acquire);
    if (begin == 0 || at < begin || at >= g_slots[s].end.load(std::memory_order_acquire)) continue;
    // A page of the file that is no longer there: zero bytes take its place, and the
    // instruction that looked is run again.
    void* page = reinterpret_cast<void*>(at & ~(PageSize() - 1));
    if (::mmap(page, PageSize(), PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) ==
        MAP_FAILED)
      break;
    return;
  }
  // Not one of ours: what would have happened without the guard happens.
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) {
      g_previous.sa_sigaction(signal, info, context);
      return;
    }
  } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN &&
             g_previous.sa_handler != nullptr) {
    g_previous.sa_handler(signal);
    return;
  }
  ::signal(SIGBUS, SIG_DFL);  // the fault comes again and ends the process
}

void InstallGuard() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &g_previous);
}

bool TakeSlot(const char* data, uint64_t size) {
  std::lock_guard<std::mutex> lock(g_slotLock);
  const size_t used = g_slotsUsed.load(std::memory_order_relaxed);
  size_t s = 0;
  while (s < used && g_slots[s].begin.load(std::memory_order_relaxed) != 0)
    ++s;
  if (s == kSlots) return false;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(data);
  g_slots[s].end.store(begin + size, std::memory_order_release);
  g_slots[s].begin.store(begin, std::memory_order_release);
  if (s == used) g_slotsUsed.store(used + 1, std::memory_order_release);
  return true;
}

void FreeSlot(const char* data) {
  std::lock_guard<std::mutex> lock(g_slotLock);
  const uintptr_t begin = reinterpret_cast<uintptr_t>(data);
  const size_t used = g_slotsUsed.load(std::memory_order_relaxed);
  for (size_t s = 0; s < used; ++s) {
    if (g_slots[s].begin.load(std::memory_order_relaxed) == begin) {
      g_slots[s].begin.store(0, std::memory_order_release);
      return;
    }
  }
}

uint64_t TailSum(const char* data, uint64_t size) {
  const uint64_t length = size < 4096 ? size : 4096;
  uint64_t hash = 1469598103934665603ull;
  for (const char* p = data + size - length; p < data + size; ++p) {
    hash ^= static_cast<unsigned char>(*p);
    hash *= 1099511628211ull;
  }
  return hash;
}

int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

bool MapFile(const std::string& path, MappedFile& file) {
  std::call_once(g_installed, InstallGuard);
  // A FIFO or a device is never mapped (nor waited for): only a regular file.
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    ::close(fd);
    return false;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (data == MAP_FAILED) return false;
  if (!TakeSlot(static_cast<const char*>(data), size)) {
    ::munmap(data, size);
    return false;
  }
  ::madvise(data, size, MADV_SEQUENTIAL);
  file.data = static_cast<const char*>(data);
  file.size = size;
  file.path = path;
  file.device = static_cast<uint64_t>(st.st_dev);
  file.inode = static_cast<uint64_t>(st.st_ino);
  file.modified = Nanoseconds(st.st_mtim);
  file.tail = TailSum(file.data, size);
  return true;
}

void UnmapFile(MappedFile& file) {
  if (!file.data) return;
  FreeSlot(file.data);
  ::munmap(const_cast<char*>(file.data), file.size);
  file.data = nullptr;
  file.size = 0;
}

MappedFileState CheckMappedFile(const MappedFile& file) {
  struct stat st;
  if (::stat(NativePath(file.path).c_str(), &st) != 0 ||
      static_cast<uint64_t>(st.st_dev) != file.device ||
      static_cast<uint64_t>(st.st_ino) != file.inode)
    return MappedFileState::Replaced;
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size < file.size) return MappedFileState::Shortened;
  if (Nanoseconds(st.st_mtim) == file.modified) {
    return size == file.size ? MappedFileState::Unchanged : MappedFileState::Appended;
  }
  // Written to since: a terminal program only writes on past the end, which makes the file
  // longer and leaves the end that was read as it was. Anything else was written anew.
  if (size == file.size || TailSum(file.data, file.size) != file.tail)
    return MappedFileState::Replaced;
  return MappedFileState::Appended;
}

void ReleaseMappedPages(const char* data, uint64_t size) {
  if (size == 0) return;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(PageSize() - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(data) + size;
  ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

}  // namespace vorn
