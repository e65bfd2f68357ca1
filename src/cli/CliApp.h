#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vorn {

// Exit codes of vornexpl-cli.
enum CliExit : int {
  CliOk = 0,
  // Nothing could be loaded: no set for the files, no file readable, analysis failed, no
  // boards.
  CliLoadFailed = 1,
  // The command line is wrong, or names a board or position that does not exist.
  CliUsage = 2,
  // The output was written, but at least one file could not be read.
  CliPartial = 3,
  // The export folder could not be made or a file of the export could not be written.
  CliExportFailed = 4,
  // A log was shortened or written anew while it was read: what was printed or exported may
  // hold bytes that are no longer the log's.
  CliLogChanged = 5,
};

// The headless front end: reads the logs with the settings folder's sets and prints what the
// window would show, in UTF-8. It never writes a board list, member list, read-pointer, UP or
// PAD file.
//
//   [--settings-dir DIR] [--prefix P] boards [--unread] FILE...
//   [--settings-dir DIR] [--prefix P] articles [--board INDEX] [--order tree|posting]
//                                     [--filter TEXT [--regex] [--fuzzy]] [--flagged] FILE...
//   [--settings-dir DIR] [--prefix P] show --board INDEX --position P [--order ...] FILE...
//   [--settings-dir DIR] [--prefix P] stats FILE...
//   [--settings-dir DIR] [--prefix P] export --format mbox|html|jsonl --out FOLDER FILE...
//
// args: the arguments after the program name, as the system passes them. processEnds: the
// caller is the program's main, so once the loaded logs' output is written the process ends
// there, leaving what was loaded to the system instead of taking it apart.
int RunCli(std::vector<std::string> args, std::FILE* out, std::FILE* err, bool processEnds = false);

}  // namespace vorn
