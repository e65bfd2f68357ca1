#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/ArticleText.h"

namespace vorn {

class TBBSProcess;
class TCommonIniFile;
class TLogList;

// The loaded logs exported for other tools, in UTF-8: JSON Lines for scripts, mbox files for
// mail readers (one per board, threaded by the reply tree), a static HTML site for browsers.
// The export creates its folder (and the folders above it that are missing) and writes nothing
// outside it; each file appears under its name only when it is complete.

enum class ArchiveFormat : int32_t { Jsonl, Mbox, Html };

// "jsonl", "mbox", "html".
bool ParseArchiveFormat(std::string_view name, ArchiveFormat& format);
std::string_view ArchiveFormatName(ArchiveFormat format);

// How the HTML pages show articles: the grid's tree lines and the article view's quotes, links
// and big-font lines.
struct ArchiveOptions {
  int32_t TreeLineType = 2;
  ArticleTextSettings Text;
};
ArchiveOptions ArchiveOptionsFrom(const TCommonIniFile& settings);

// Told how far the export has come; a false answer from Step cancels it.
class ArchiveProgress {
 public:
  virtual ~ArchiveProgress() = default;
  // The number of articles the export will write (placeholders included).
  virtual void Start(int64_t total) = 0;
  virtual bool Step(int64_t done) = 0;
};

struct ArchiveRequest {
  const TBBSProcess* Process = nullptr;
  const TLogList* Log = nullptr;
  // The loaded set's prefix (the mail domain "<prefix>.bbs.invalid") and name (page titles).
  std::string Prefix;
  std::string SetName;
  ArchiveFormat Format = ArchiveFormat::Jsonl;
  // The export folder (CP932 like every core path). It is created; an existing folder must be
  // empty but for the scratch files an export that was killed left, which are removed.
  std::string Folder;
  ArchiveOptions Options;
  ArchiveProgress* Progress = nullptr;
};

struct ArchiveResult {
  enum Outcome : int32_t { Done, Failed, Cancelled };
  Outcome Result = Failed;
  int32_t Boards = 0;
  int64_t Articles = 0;
  int32_t Files = 0;
  // Bytes of the log that did not decode and show as U+FFFD.
  int64_t UndecodedBytes = 0;
  // Why it failed (CP932), naming the folder or file.
  std::string Error;
};

ArchiveResult ExportArchive(const ArchiveRequest& request);

// A folder for an export inside parent (CP932 paths): "<prefix>-archive", or with "-2", "-3"
// ... after it when that one exists and is not empty.
std::string SuggestArchiveFolder(const std::string& parent, const std::string& prefix);

// What both front ends tell the user afterwards (CP932, lines separated by CR).
std::string ArchiveSummary(const ArchiveRequest& request, const ArchiveResult& result);

}  // namespace vorn
