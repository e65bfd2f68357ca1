#include "threadview/WriterLists.h"

#include <algorithm>
#include <charconv>

#include "platform/TextFile.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "store/CommaText.h"

namespace vorn {
namespace {

constexpr std::string_view kWatch = "Watch";
constexpr std::string_view kIgnore = "Ignore";

bool IdNumber(std::string_view text, int32_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

void Remove(std::vector<std::string>& list, const std::string& id) {
  list.erase(std::remove(list.begin(), list.end(), id), list.end());
}

}  // namespace

void TWriterLists::SetTextIds(bool textIds) {
  if (textIds == textIds_) return;
  textIds_ = textIds;
  Rebuild();
}

std::string TWriterLists::Normalised(std::string_view id) const {
  if (textIds_) {
    // IDs are compared as the host writes them; blanks around a typed one are not part of it.
    while (!id.empty() && (id.front() == ' ' || id.front() == '\t'))
      id.remove_prefix(1);
    while (!id.empty() && (id.back() == ' ' || id.back() == '\t'))
      id.remove_suffix(1);
    return std::string(id);
  }
  int32_t number;
  return IdNumber(id, number) ? std::to_string(number) : std::string();
}

bool TWriterLists::Mark(std::string_view id, WriterMark mark) {
  const std::string key = Normalised(id);
  if (key.empty()) return false;
  Remove(watched_, key);
  Remove(ignored_, key);
  if (mark == WriterMark::Watched) watched_.push_back(key);
  if (mark == WriterMark::Ignored) ignored_.push_back(key);
  Rebuild();
  return true;
}

void TWriterLists::Rebuild() {
  watchedText_.clear();
  ignoredText_.clear();
  watchedNumber_.clear();
  ignoredNumber_.clear();
  for (const std::string& id : watched_)
    Index(id, WriterMark::Watched);
  for (const std::string& id : ignored_)
    Index(id, WriterMark::Ignored);
}

void TWriterLists::Index(const std::string& id, WriterMark mark) {
  const bool watched = mark == WriterMark::Watched;
  (watched ? watchedText_ : ignoredText_).insert(id);
  int32_t number;
  if (IdNumber(id, number)) (watched ? watchedNumber_ : ignoredNumber_).insert(number);
}

WriterMark TWriterLists::MarkOf(std::string_view id) const {
  const std::string key = Normalised(id);
  if (key.empty()) return WriterMark::None;
  if (watchedText_.contains(key)) return WriterMark::Watched;
  if (ignoredText_.contains(key)) return WriterMark::Ignored;
  return WriterMark::None;
}

WriterMark TWriterLists::MarkOf(const ArticleRecord& entry) const {
  if (entry.WriteFlag != 0 || Empty()) return WriterMark::None;
  if (textIds_) {
    const std::string_view id = entry.WriterIdText().View();
    if (id.empty()) return WriterMark::None;
    const std::string key(id);
    if (watchedText_.contains(key)) return WriterMark::Watched;
    if (ignoredText_.contains(key)) return WriterMark::Ignored;
    return WriterMark::None;
  }
  if (entry.WriterId < 0) return WriterMark::None;
  if (watchedNumber_.contains(entry.WriterId)) return WriterMark::Watched;
  if (ignoredNumber_.contains(entry.WriterId)) return WriterMark::Ignored;
  return WriterMark::None;
}

WriterMark TWriterLists::MarkAt(const TArticleList& board, int32_t order, int32_t position) const {
  const ArticleRecord* entry = board.GetArticle(order, position);
  return entry ? MarkOf(*entry) : WriterMark::None;
}

std::string TWriterLists::WriterIdOf(const ArticleRecord& entry) const {
  if (entry.WriteFlag != 0) return {};
  if (textIds_) return std::string(entry.WriterIdText().View());
  return entry.WriterId >= 0 ? std::to_string(entry.WriterId) : std::string();
}

void TWriterLists::Clear() {
  watched_.clear();
  ignored_.clear();
  Rebuild();
}

ListFileReport TWriterLists::LoadFromFile(const std::string& path) {
  watched_.clear();
  ignored_.clear();
  Rebuild();
  // The lookups are filled line by line, and each line is looked up in them once: a file of a
  // million writers is read in one pass.
  ListFileReport report = ReadTolerantListFile(
      path, WriterListFileHeader,
      [this](std::string_view line) {
        const std::vector<std::string> fields = SplitCommaText(line);
        if (fields.size() < 2) return false;
        const WriterMark mark = fields[0] == kWatch    ? WriterMark::Watched
                                : fields[0] == kIgnore ? WriterMark::Ignored
                                                       : WriterMark::None;
        if (mark == WriterMark::None) return false;
        std::string id = Normalised(fields[1]);
        if (id.empty()) return false;
        // A writer given twice keeps the place and list of its first line.
        if (watchedText_.contains(id) || ignoredText_.contains(id)) return true;
        Index(id, mark);
        (mark == WriterMark::Watched ? watched_ : ignored_).push_back(std::move(id));
        return true;
      },
      [this] { return FileText(); });
  return report;
}

std::string TWriterLists::FileText() const {
  if (Empty()) return {};
  CrLfTextBuilder out;
  out.Line(WriterListFileHeader);
  for (const std::string& id : watched_)
    out.Line(std::string(kWatch) + "," + QuotedField(id));
  for (const std::string& id : ignored_)
    out.Line(std::string(kIgnore) + "," + QuotedField(id));
  return out.Data();
}

bool TWriterLists::SaveToFile(const std::string& path) const {
  if (path.empty()) return false;
  const std::string text = FileText();
  return text.empty() ? RemoveUserFile(path) : WriteUserFile(path, text);
}

}  // namespace vorn
