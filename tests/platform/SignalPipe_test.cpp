#include "platform/SignalPipe.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vorn {
namespace {

// In a child of its own: the signal reaches the pipe instead of ending the process, is taken
// once, and EndBy then ends the process by it as if it had not been caught.
TEST(SignalPipe, ASignalBecomesAByteAndEndsTheProcessWhenAsked) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    const pid_t child = ::fork();
    if (child == 0) {
      const int fd = TSignalPipe::Install({SIGTERM, SIGHUP, SIGINT});
      if (fd < 0) ::_exit(10);
      ::kill(::getpid(), signal);
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 5000) != 1) ::_exit(11);
      if (TSignalPipe::Take() != signal) ::_exit(12);
      if (TSignalPipe::Take() != 0) ::_exit(13);
      TSignalPipe::EndBy(signal);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), signal);
  }
}

}  // namespace
}  // namespace vorn
