#include "threadview/TolerantListFile.h"

#include "platform/FileQuery.h"
#include "platform/TextFile.h"

namespace vorn {

ListFileReport ReadTolerantListFile(const std::string& path, std::string_view header,
                                    const std::function<bool(std::string_view)>& entry) {
  ListFileReport report;
  // Anything at the path counts: a folder or a file that cannot be opened is no list to
  // start afresh from.
  if (path.empty() || FileModTimeNs(path) < 0) return report;
  ClassicTextReader reader;
  if (!reader.Open(path)) {
    report.State = ListFileState::Unreadable;
    return report;
  }
  std::string_view line;
  bool first = true;
  while (reader.ReadLine(line)) {
    const bool isHeader = first && line == header;
    first = false;
    if (isHeader) continue;
    // A lost or damaged header is one damaged line; the entries after it still count.
    if (line.empty()) continue;
    if (!entry(line)) ++report.SkippedLines;
  }
  report.State = reader.Failed() ? ListFileState::Unreadable : ListFileState::Read;
  return report;
}

bool MayReplaceListFile(const std::string& path, const std::string& readPath, ListFileState read) {
  if (path.empty()) return false;
  return !(read == ListFileState::Unreadable && path == readPath && FileModTimeNs(path) >= 0);
}

}  // namespace vorn
