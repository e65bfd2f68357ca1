#pragma once

#include <initializer_list>

namespace vorn {

// The signals that end a run from outside (a logout, a shutdown or a service stop sends SIGTERM
// or SIGHUP, a terminal SIGINT) turned into bytes on a pipe: the handler only writes the
// signal's number there, and the program reads it in its event loop, where it may save its
// work. Signals are the process's, so there is one pipe for all.
class TSignalPipe final {
 public:
  // Catches the signals; the pipe's read end, to watch for reading. -1 when no pipe could be
  // made: the signals then keep their default action.
  static int Install(std::initializer_list<int> caught);
  // Gives the signals their default action again.
  static void Release(std::initializer_list<int> caught);
  // The number of a signal that arrived and was not taken yet; 0 when none.
  static int Take();
  // Ends the process by the signal as if it had not been caught: its default action is put back
  // and it is raised again, so that a parent sees the process terminated by it (a shell reports
  // 128 plus its number: 143 for SIGTERM) and a service manager counts the stop as asked for.
  [[noreturn]] static void EndBy(int signal);
};

}  // namespace vorn
