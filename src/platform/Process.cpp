#include "platform/Process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/Cp932.h"

extern char** environ;

namespace vorn {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

pid_t Spawn(const std::string& commandLine) {
  if (commandLine.size() > kMaxCommandLine) return -1;
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) return -1;
  for (auto& a : args)
    a = NativePath(a);
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // A new process group, so a terminal's Ctrl-C for us does not reach the editor or browser.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = -1;
  int rc = ::posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  return rc == 0 ? pid : -1;
}

// Collects the exit of a process nobody waits for.
void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  size_t i = 0, n = commandLine.size();
  while (i < n && IsBlank(commandLine[i]))
    ++i;
  if (i >= n) return args;
  // The program name: quotes group, nothing escapes.
  std::string program;
  bool quoted = false;
  for (; i < n; ++i) {
    char c = commandLine[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (IsBlank(c) && !quoted) {
      break;
    } else {
      program += c;
    }
  }
  args.push_back(program);
  for (;;) {
    while (i < n && IsBlank(commandLine[i]))
      ++i;
    if (i >= n) break;
    std::string arg;
    quoted = false;
    while (i < n) {
      char c = commandLine[i];
      if (c == '\\') {
        size_t count = 0;
        while (i < n && commandLine[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < n && commandLine[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg += '"';
            ++i;
          }
          // With an even count the quote is handled by the next turn of the loop.
        } else {
          arg.append(count, '\\');
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else if (IsBlank(c) && !quoted) {
        break;
      } else {
        arg += c;
        ++i;
      }
    }
    args.push_back(arg);
  }
  return args;
}

std::string QuoteCommandLineArgument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote; there each stands for one once doubled.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::unique_ptr<StartedProcess> StartedProcess::Start(const std::string& commandLine) {
  pid_t pid = Spawn(commandLine);
  if (pid < 0) return nullptr;
  return std::unique_ptr<StartedProcess>(new StartedProcess(pid));
}

StartedProcess::~StartedProcess() {
  if (!ended_) ReapInBackground(pid_);
}

bool StartedProcess::HasEnded() {
  if (ended_) return true;
  int status = 0;
  pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    ended_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  } else if (r < 0 && errno == ECHILD) {
    ended_ = true;
  }
  return ended_;
}

bool RunProgram(const std::string& commandLine) {
  pid_t pid = Spawn(commandLine);
  if (pid < 0) return false;
  ReapInBackground(pid);
  return true;
}

}  // namespace vorn
