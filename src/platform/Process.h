#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace vorn {

// Splits a command line into program and arguments by the rules of the Windows command line:
// the program name ends at the first blank outside double quotes and takes quotes literally
// otherwise; in arguments, 2n backslashes before a quote give n backslashes and the quote
// toggles quoting, 2n+1 give n backslashes and a literal quote, other backslashes are literal,
// and "" inside quotes is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// One argument written for a command line so that SplitCommandLine gives it back byte for byte
// whatever it holds (blanks, double quotes, backslashes): in double quotes, a quote written as
// \" and the backslashes before a quote or the closing quote doubled.
std::string QuoteCommandLineArgument(const std::string& argument);

// A program started without a shell and without waiting for it.
class StartedProcess {
 public:
  // Starts the command line (CP932; converted for the system). Null when it could not start
  // (empty command, program not found or not executable, a command line over 1023 bytes).
  static std::unique_ptr<StartedProcess> Start(const std::string& commandLine);
  ~StartedProcess();
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  // Zero-timeout test: true once the process has ended.
  bool HasEnded();
  pid_t Pid() const { return pid_; }
  int ExitCode() const { return exitCode_; }

 private:
  explicit StartedProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_;
  bool ended_ = false;
  int exitCode_ = -1;
};

// Starts an external program from one command line and does not wait for it. True when the
// process was created. Its exit is collected in the background so no zombie is left behind.
bool RunProgram(const std::string& commandLine);

// The longest command line RunProgram and StartedProcess accept (the classic buffer limit).
constexpr size_t kMaxCommandLine = 1023;

}  // namespace vorn
