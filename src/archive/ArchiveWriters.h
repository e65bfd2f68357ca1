#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/DisplayTexts.h"
#include "archive/ArchiveExport.h"
#include "archive/ArchiveSource.h"
#include "archive/ArchiveText.h"

namespace vorn {

class ArchiveFile;

// What the three format writers share during one export.
class ArchiveContext final {
 public:
  ArchiveContext(const ArchiveRequest& request, std::string nativeFolder);

  const ArchiveRequest& Request;
  const std::string Folder;  // as the system names it
  const std::vector<ArchiveBoardInfo> Boards;
  TMemberLookup Members;
  ArchiveText Text;
  // The set's hosts number articles serially instead of giving a time.
  const bool SerialTimes;
  ArchiveResult Result;

  // A reader of a board's articles; nullptr for a board without an article list.
  std::unique_ptr<ArchiveBoardReader> Reader(const ArchiveBoardInfo& board);

  // One article written; false when the user cancelled.
  bool Step();
  // Records the failure; always false.
  bool Fail(const std::string& error);
  // A finished file: committed and counted, or the failure recorded.
  bool Finish(ArchiveFile& file);

 private:
  int64_t done_ = 0;
};

bool WriteJsonLines(ArchiveContext& context);
bool WriteMbox(ArchiveContext& context);
bool WriteHtml(ArchiveContext& context);

}  // namespace vorn
