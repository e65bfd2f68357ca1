#include "platform/SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vorn {
namespace {

int pipeFds[2] = {-1, -1};

// Only what is safe in a signal handler: one write, errno kept.
void Catch(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &number, 1);
  errno = saved;
}

}  // namespace

int TSignalPipe::Install(std::initializer_list<int> caught) {
  if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    pipeFds[0] = pipeFds[1] = -1;
    return -1;
  }
  for (const int signal : caught) {
    struct sigaction action {};
    action.sa_handler = Catch;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
  }
  return pipeFds[0];
}

void TSignalPipe::Release(std::initializer_list<int> caught) {
  for (const int signal : caught) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

int TSignalPipe::Take() {
  unsigned char number = 0;
  if (pipeFds[0] < 0 || ::read(pipeFds[0], &number, 1) != 1) return 0;
  return number;
}

void TSignalPipe::EndBy(int signal) {
  std::fflush(nullptr);
  Release({signal});
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  ::raise(signal);
  // A signal whose default action is not to end the process.
  ::_exit(128 + signal);
}

}  // namespace vorn
