// How fast the machine gives a process memory it touches for the first time, on one thread and
// on two: the files of an archive are read into fresh memory, so reading on two threads can be
// no faster than this allows. Alternately, medians of RUNS runs.
//
//   bench_fresh_pages [MB] [RUNS]   (default 400 MB, 5 runs)

#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr size_t kRegion = size_t{2} << 20;

// Maps, touches page by page and unmaps `bytes` in regions of 2 MiB, as the line store does.
void Touch(size_t bytes) {
  for (size_t done = 0; done < bytes; done += kRegion) {
    void* mapped =
        ::mmap(nullptr, kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) std::abort();
    char* p = static_cast<char*>(mapped);
    for (size_t i = 0; i < kRegion; i += 4096)
      p[i] = 1;
    ::munmap(mapped, kRegion);
  }
}

double Milliseconds(int threads, size_t bytes) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t)
    workers.emplace_back(Touch, bytes / static_cast<size_t>(threads));
  for (std::thread& w : workers)
    w.join();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const long mb = argc > 1 ? std::atol(argv[1]) : 400;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (mb <= 0 || runs <= 0) {
    std::fputs("usage: bench_fresh_pages [MB] [RUNS]\n", stderr);
    return 2;
  }
  const size_t bytes = static_cast<size_t>(mb) << 20;
  std::vector<double> one, two;
  for (int r = 0; r < runs; ++r) {
    one.push_back(Milliseconds(1, bytes));
    two.push_back(Milliseconds(2, bytes));
  }
  std::printf("%ld MiB of fresh pages, medians of %d: 1 thread %.0f ms, 2 threads %.0f ms (%.2f)\n",
              mb, runs, Median(one), Median(two), Median(two) / Median(one));
  return 0;
}
