#include "threadview/ArticleFlags.h"

#include <charconv>

#include "platform/TextFile.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "store/CommaText.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// Keys and times as the log gave them (sorting stores them reduced by RebaseOffset).
int64_t Restored(int32_t stored, uint8_t rebased) {
  return rebased ? int64_t{stored} + RebaseOffset : int64_t{stored};
}

// A whole decimal number of 0 or more that fits 32 bits, as the file holds keys and times.
bool FileNumber(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0 &&
         value <= INT32_MAX;
}

// A text as a list file keeps it: a first byte left without its second by a cut is dropped.
std::string WholeCharacters(std::string_view text) {
  size_t i = 0;
  while (i < text.size())
    i += IsLeadByte(text[i]) ? 2 : 1;
  if (i > text.size()) text.remove_suffix(1);
  return std::string(text);
}

std::string WriterText(const ArticleRecord& entry) {
  if (!entry.WriterIdText().View().empty()) return std::string(entry.WriterIdText().View());
  return entry.WriterId >= 0 ? std::to_string(entry.WriterId) : std::string();
}

bool Flaggable(const ArticleRecord* entry) {
  return entry && entry->WriteFlag == 0 && entry->Kind != ArticleKindMissingRoot;
}

}  // namespace

std::string BoardLineText(const TArticleList& board) {
  return board.BoardNo >= 0 ? std::to_string(board.BoardNo) : board.BoardId;
}

void TArticleFlags::SetMailBox(int32_t mailBoardNo, std::string mailBoardIndex) {
  mailBoardNo_ = mailBoardNo;
  mailBoardIndex_ = std::move(mailBoardIndex);
}

bool TArticleFlags::IsMailBox(const TArticleList& board) const {
  if (board.BoardNo >= 0) return board.BoardNo == mailBoardNo_;
  return board.BoardId == mailBoardIndex_;
}

const TArticleFlags::Section* TArticleFlags::SectionOf(const TArticleList& board) const {
  const auto found = byName_.find(BoardLineText(board));
  return found == byName_.end() ? nullptr : &sections_[found->second];
}

TArticleFlags::Section& TArticleFlags::SectionNamed(const std::string& name) {
  const auto [at, added] = byName_.try_emplace(name, sections_.size());
  if (added) sections_.push_back({name, {}, {}});
  return sections_[at->second];
}

bool TArticleFlags::Has(const Section& section, bool mailBox, const ArticleRecord& entry) const {
  const int64_t time = Restored(entry.PostTime, entry.Rebased);
  if (mailBox) {
    if (section.Mails.empty()) return false;
    return section.Mails.contains({time, WriterText(entry), WholeCharacters(entry.Title().View())});
  }
  return section.Articles.contains({time, Restored(entry.ArticleKey, entry.Rebased)});
}

bool TArticleFlags::IsFlagged(const TArticleList& board, int32_t order, int32_t position) const {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!Flaggable(entry)) return false;
  const Section* section = SectionOf(board);
  return section && Has(*section, IsMailBox(board), *entry);
}

bool TArticleFlags::SetFlag(const TArticleList& board, int32_t order, int32_t position,
                            bool flagged) {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!Flaggable(entry)) return false;
  Section& section = SectionNamed(BoardLineText(board));
  const int64_t time = Restored(entry->PostTime, entry->Rebased);
  if (IsMailBox(board)) {
    MailFlag mail{time, WriterText(*entry), WholeCharacters(entry->Title().View())};
    if (flagged) {
      section.Mails.insert(std::move(mail));
    } else {
      section.Mails.erase(mail);
    }
  } else {
    const std::pair<int64_t, int64_t> article{time, Restored(entry->ArticleKey, entry->Rebased)};
    if (flagged) {
      section.Articles.insert(article);
    } else {
      section.Articles.erase(article);
    }
  }
  return true;
}

void TArticleFlags::FlaggedMask(const TArticleList& board, int32_t order,
                                std::vector<uint8_t>& mask) const {
  const int32_t n = board.OrderCount(order);
  mask.assign(size_t(n), 0);
  const Section* section = SectionOf(board);
  if (!section || (section->Articles.empty() && section->Mails.empty())) return;
  const bool mailBox = IsMailBox(board);
  for (int32_t p = 0; p < n; ++p) {
    const ArticleRecord* entry = board.GetArticle(order, p);
    if (Flaggable(entry) && Has(*section, mailBox, *entry)) mask[size_t(p)] = 1;
  }
}

int32_t TArticleFlags::Count() const {
  size_t n = 0;
  for (const Section& s : sections_)
    n += s.Articles.size() + s.Mails.size();
  return int32_t(n);
}

void TArticleFlags::Clear() {
  sections_.clear();
  byName_.clear();
}

bool TArticleFlags::AddLine(Section* section, std::string_view line) {
  if (!section) return false;
  const std::vector<std::string> fields = SplitCommaText(line);
  int64_t time, key;
  if (fields.size() == 3) {
    if (!FileNumber(fields[0], time)) return false;
    section->Mails.insert({time, fields[1], fields[2]});
    return true;
  }
  const size_t slash = line.find('/');
  if (slash == std::string_view::npos || !FileNumber(line.substr(0, slash), key) ||
      !FileNumber(line.substr(slash + 1), time))
    return false;
  section->Articles.insert({time, key});
  return true;
}

ListFileReport TArticleFlags::LoadFromFile(const std::string& path) {
  Clear();
  // Sections are found by name, which may move them; the current one is held by index.
  size_t current = SIZE_MAX;
  ListFileReport report = ReadTolerantListFile(
      path, FlagFileHeader,
      [&](std::string_view line) {
        if (line[0] == '\\') {
          if (line.size() < 2) return false;
          SectionNamed(std::string(line.substr(1)));
          current = byName_[std::string(line.substr(1))];
          return true;
        }
        return AddLine(current == SIZE_MAX ? nullptr : &sections_[current], line);
      },
      [this] { return FileText(); });
  return report;
}

std::string TArticleFlags::FileText() const {
  if (Count() == 0) return {};
  CrLfTextBuilder out;
  out.Line(FlagFileHeader);
  for (const Section& section : sections_) {
    if (section.Articles.empty() && section.Mails.empty()) continue;
    out.Line("\\" + section.Board);
    for (const auto& [time, key] : section.Articles)
      out.Line(std::to_string(key) + "/" + std::to_string(time));
    for (const MailFlag& mail : section.Mails)
      out.Line(std::to_string(mail.Time) + "," + QuotedField(mail.Writer) + "," +
               QuotedField(mail.Title));
  }
  return out.Data();
}

bool TArticleFlags::SaveToFile(const std::string& path) const {
  if (path.empty()) return false;
  const std::string text = FileText();
  return text.empty() ? RemoveUserFile(path) : WriteUserFile(path, text);
}

}  // namespace vorn
