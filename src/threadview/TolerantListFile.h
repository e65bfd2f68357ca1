#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vorn {

// The list files of the reading aids (flags, watched and ignored writers) hold what the user
// chose by hand, one entry a line, so a damaged line must cost that line and nothing more: it
// is skipped, the rest is read, and no error is raised. The file itself is written through the
// user-data rule: one that was not read back whole is kept beside itself before it is replaced.

enum class ListFileState : int32_t {
  // No file yet: nothing to read.
  Missing,
  // The file was read (damaged lines skipped).
  Read,
  // The file is there but could not be read (a folder, no permission): it stays as it is.
  Unreadable,
};

struct ListFileReport {
  ListFileState State = ListFileState::Missing;
  // Lines that were not understood (a header line that is not the expected one included).
  int32_t SkippedLines = 0;
};

// Reads a list file by the classic text convention. The first line is skipped when it is the
// header; every other line goes to entry, which returns false for a line it cannot use. Then,
// for a file that was read, writtenBack gives what saving the entries read would write (empty
// when the file would be removed); the file counts as understood when that holds every line of
// it as it stands.
ListFileReport ReadTolerantListFile(const std::string& path, std::string_view header,
                                    const std::function<bool(std::string_view)>& entry,
                                    const std::function<std::string()>& writtenBack);

}  // namespace vorn
