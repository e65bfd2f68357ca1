#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class TArticleList;
class TLogList;
class TMemberList;

// Articles taken out of the program: into text files (CP932, every line ended by CR LF, a
// title line first) and onto the clipboard, plain or quoted.

// The log lines of every log article of a board in posting order, whatever order the grid
// shows, each article followed by one empty line; an article starts headerOffset lines from its
// first line. Queued writes are left out, so a board of only writes gives nothing.
std::vector<std::string> BoardExportLines(const TArticleList& board, const TLogList& log,
                                          int32_t headerOffset);

// The lines of one entry for an article export: a queued write's own text, or a log article's
// lines from headerOffset lines past its first line. nullopt for an entry that is not exported
// (a placeholder, or a position outside the order).
std::optional<std::vector<std::string>> ArticleExportLines(const TArticleList& board, int32_t order,
                                                           int32_t position, const TLogList& log,
                                                           int32_t headerOffset);

// The title line followed by the lines, written atomically. False when it could not be written;
// an existing file is then unchanged.
bool WriteExportFile(const std::string& path, const std::string& titleLine,
                     const std::vector<std::string>& lines);

// The three copy commands.
enum class CopyMode { Plain, Quoted, QuotedWithHandle };

// At most this many bytes of the clipboard's text are kept when appending.
inline constexpr size_t ClipboardReadLimit = 262143;

struct CopyRequest {
  CopyMode Mode = CopyMode::Plain;
  // Append to the text the clipboard holds (ClipboardText; nullopt when it holds none).
  bool Append = false;
  std::optional<std::string> ClipboardText;
  // The text selected in the article view (CP932, lines separated by CR LF); nullopt when
  // nothing is selected.
  std::optional<std::string> Selection;
  // The whole entry: a queued write's text, or a log article's lines from its first line.
  std::vector<std::string> EntryLines;
  // Put before every quoted line (Article/BouteChr), and whether blank lines are left out of
  // quotations (Article/BouteBlankCut).
  std::string QuoteMark;
  bool BlankCut = false;
  // The writer's short handle, put before the quote mark in the mode with handle.
  std::string Handle;
};

// The text the clipboard receives. Plain mode with a selection gives exactly the selection,
// appending or not; otherwise the lines (of the selection, or the whole entry) each followed by
// CR LF, quoted as the mode asks, after the clipboard's old text when appending.
std::string CopyArticleText(const CopyRequest& request);

// Text cut to at most limit bytes without splitting a double-byte character.
std::string_view CutText(std::string_view text, size_t limit);

// Lines of a text: CR LF, a lone CR and a lone LF each end a line; a line break at the very end
// does not start another line.
std::vector<std::string> SplitTextLines(std::string_view text);

// The short handle of an entry's writer: the member with its text ID (text-ID lists) or its
// number (only 0 or more); empty for queued writes and writers not in the list.
std::string WriterShortHandle(const TArticleList& board, int32_t order, int32_t position,
                              const TMemberList& members);

}  // namespace vorn
