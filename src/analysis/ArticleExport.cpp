#include "analysis/ArticleExport.h"

#include <algorithm>

#include "analysis/LogList.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// A log article's lines from first to its last line, within the log.
void AppendLogLines(const ArticleRecord& entry, int32_t first, const TLogList& log,
                    std::vector<std::string>& lines) {
  const int32_t last = std::min(entry.LastLine, log.Count() - 1);
  TLogList::Reader reader(log);
  for (int32_t line = std::max(first, 0); line <= last; ++line)
    lines.emplace_back(reader.Line(line));
}

bool IsLogArticle(const ArticleRecord& entry) {
  return entry.WriteFlag == 0 && entry.Kind != ArticleKindMissingRoot && entry.FirstLine >= 0;
}

}  // namespace

std::vector<std::string> BoardExportLines(const TArticleList& board, const TLogList& log,
                                          int32_t headerOffset) {
  std::vector<std::string> lines;
  const int32_t count = board.OrderCount(ArticleSortNormal);
  for (int32_t position = 0; position < count; ++position) {
    const ArticleRecord* entry = board.GetArticle(ArticleSortNormal, position);
    // An article that starts on the log's first line keeps that line even when the header
    // offset would reach before it.
    if (!entry || !IsLogArticle(*entry)) continue;
    AppendLogLines(*entry, entry->FirstLine + headerOffset, log, lines);
    lines.emplace_back();
  }
  return lines;
}

std::optional<std::vector<std::string>> ArticleExportLines(const TArticleList& board, int32_t order,
                                                           int32_t position, const TLogList& log,
                                                           int32_t headerOffset) {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!entry) return std::nullopt;
  std::vector<std::string> lines;
  if (entry->WriteFlag != 0) {
    if (entry->Text()) lines = *entry->Text();
    return lines;
  }
  if (entry->Kind == ArticleKindMissingRoot) return std::nullopt;
  if (entry->FirstLine >= 0) AppendLogLines(*entry, entry->FirstLine + headerOffset, log, lines);
  return lines;
}

bool WriteExportFile(const std::string& path, const std::string& titleLine,
                     const std::vector<std::string>& lines) {
  CrLfTextBuilder text;
  text.Line(titleLine);
  for (const std::string& line : lines)
    text.Line(line);
  return text.WriteAtomic(path);
}

std::string_view CutText(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < limit) {
    const size_t width = IsLeadByte(text[end]) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return text.substr(0, end);
}

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string CopyArticleText(const CopyRequest& request) {
  if (request.Mode == CopyMode::Plain && request.Selection) return *request.Selection;
  std::string result;
  if (request.Append && request.ClipboardText)
    result = std::string(CutText(*request.ClipboardText, ClipboardReadLimit));
  const std::vector<std::string> lines =
      request.Selection ? SplitTextLines(*request.Selection) : request.EntryLines;
  const bool quoted = request.Mode != CopyMode::Plain;
  for (const std::string& line : lines) {
    if (quoted) {
      if (request.BlankCut && IsBlankText(line)) continue;
      if (request.Mode == CopyMode::QuotedWithHandle) result += request.Handle;
      result += request.QuoteMark;
    }
    result += line;
    result += "\r\n";
  }
  return result;
}

std::string WriterShortHandle(const TArticleList& board, int32_t order, int32_t position,
                              const TMemberList& members) {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!entry || entry->WriteFlag != 0) return {};
  int32_t member = -1;
  if (members.TextIds) {
    member = members.FindIdText(entry->WriterIdText().View());
  } else if (entry->WriterId >= 0) {
    member = members.FindIdNo(entry->WriterId);
  }
  return member >= 0 ? members.GetShortHandle(member) : std::string();
}

}  // namespace vorn
