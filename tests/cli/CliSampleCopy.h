#pragma once
// vornexpl-cli run as a process on copies of the samples, for the tests of the tool.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace vorn::test {

struct CliRun {
  int exitCode = -1;  // -1 also when it had to be stopped
  std::string out;
  std::string err;
};

// Runs the tool with its output caught in files of dir. A run that does not end within
// `seconds` is stopped: a tool that waits on a FIFO fails the test instead of hanging it.
inline CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
                     unsigned seconds = 20) {
  const std::string outFile = dir.File("stdout.txt"), errFile = dir.File("stderr.txt");
  std::vector<std::string> argv{VORNEXPL_CLI};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (std::string& arg : argv)
    pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  CliRun run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
    ::alarm(seconds);
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
    ADD_FAILURE() << "cannot run " << VORNEXPL_CLI;
    return run;
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = test::ReadBytes(outFile);
  run.err = test::ReadBytes(errFile);
  return run;
}

// A copy of the sample settings folder and the sample logs: the tool may complete the
// defaults files of the settings folder, and the repository is never written.
class CliSampleCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path samples = fs::path(SourceDir()) / "samples";
    settings = dir.Path() + "/settings";
    fs::copy(samples / "settings", settings, fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(samples)) {
      if (entry.is_regular_file())
        fs::copy_file(entry.path(), dir.File(entry.path().filename().string()));
    }
    netLog = dir.File("NET19990730.LOG");
  }
  CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings-dir", settings});
    return RunCli(dir, args);
  }

  TempDir dir;
  std::string settings;
  std::string netLog;
};

}  // namespace vorn::test
