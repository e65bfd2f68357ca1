#include "threadview/TolerantListFile.h"

#include <vector>

#include "platform/FileQuery.h"
#include "platform/UserDataFile.h"

namespace vorn {
namespace {

std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  ForEachClassicLine(text, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

}  // namespace

ListFileReport ReadTolerantListFile(const std::string& path, std::string_view header,
                                    const std::function<bool(std::string_view)>& entry,
                                    const std::function<std::string()>& writtenBack) {
  ListFileReport report;
  // Anything at the path counts: a folder or a file that cannot be opened is no list to
  // start afresh from.
  if (path.empty() || FileModTimeNs(path) < 0) return report;
  UserFileText file;
  if (!file.Read(path)) {
    report.State = ListFileState::Unreadable;
    return report;
  }
  const std::vector<std::string_view> lines = LinesOf(file.Bytes);
  for (size_t i = 0; i < lines.size(); ++i) {
    // A lost or damaged header is one damaged line; the entries after it still count.
    if ((i == 0 && lines[i] == header) || lines[i].empty()) continue;
    if (!entry(lines[i])) ++report.SkippedLines;
  }
  report.State = ListFileState::Read;
  const std::string back = writtenBack();
  const std::vector<std::string_view> written = LinesOf(back);
  // A file with nothing but its header is removed without loss.
  const bool understood = written.empty()
                              ? lines.empty() || (lines.size() == 1 && lines[0] == header)
                              : written == lines;
  file.Note(path, understood);
  return report;
}

}  // namespace vorn
