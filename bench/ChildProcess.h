#pragma once
// The benchmarks that measure a whole load run it in a fresh process of their own program, so
// that each run starts with an empty heap and its peak memory is its own.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vorn::bench {

struct ChildResult {
  bool ok = false;     // exited with status 0
  std::string output;  // what it wrote to stdout
  long maxRssKb = 0;   // its peak resident memory
};

// Runs args[0] with args, reads its stdout whole and waits for it. A child that dies of a
// signal or exits with another status is told on stderr under label.
inline ChildResult RunChild(const std::vector<std::string>& args, const std::string& label) {
  ChildResult result;
  int pipeFds[2];
  if (args.empty() || ::pipe(pipeFds) != 0) return result;
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    ::execv(argv[0], argv.data());
    std::_Exit(127);
  }
  ::close(pipeFds[1]);
  char buf[256];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
    result.output.append(buf, static_cast<size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  result.maxRssKb = usage.ru_maxrss;
  if (WIFSIGNALED(status)) {
    std::fprintf(stderr, "%s: died of signal %d\n", label.c_str(), WTERMSIG(status));
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s: ended with status %d\n", label.c_str(), WEXITSTATUS(status));
  } else {
    result.ok = true;
  }
  return result;
}

template <class T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace vorn::bench
