#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vorn {

// The list files of the reading aids (flags, watched and ignored writers) hold what the user
// chose by hand, one entry a line, so a damaged line must cost that line and nothing more: it
// is skipped, the rest is read, and no error is raised.

enum class ListFileState : int32_t {
  // No file yet: nothing to read.
  Missing,
  // The file was read (damaged lines skipped).
  Read,
  // The file is there but could not be read: it must not be replaced by what little is known.
  Unreadable,
};

struct ListFileReport {
  ListFileState State = ListFileState::Missing;
  // Lines that were not understood (a header line that is not the expected one included).
  int32_t SkippedLines = 0;
};

// Reads a list file by the classic text convention. The first line is skipped when it is the
// header; every other line goes to entry, which returns false for a line it cannot use.
ListFileReport ReadTolerantListFile(const std::string& path, std::string_view header,
                                    const std::function<bool(std::string_view)>& entry);

// Whether a list file may be written over: not when the last reading of the same path found it
// unreadable and it is still there (writing would replace the user's entries with the few
// known now).
bool MayReplaceListFile(const std::string& path, const std::string& readPath, ListFileState read);

}  // namespace vorn
