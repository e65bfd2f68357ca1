#include "analysis/BBSProcess.h"

#include <cstring>
#include <unordered_map>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"
#include "text/CommonSub.h"

namespace vorn {
namespace {

// Sorting stores keys and times of log entries reduced by RebaseOffset; the file holds them as
// the log gave them. Computed in 64 bits: a raw time plus the offset does not fit 32.
int64_t Restored(int32_t stored, uint8_t rebased) {
  return rebased ? int64_t{stored} + RebaseOffset : int64_t{stored};
}

// A decimal number of the file: TextToNumber's reading, negative and unreadable values refused.
bool FileNumber(std::string_view text, int32_t& value) {
  value = TextToNumber(text);
  return value >= 0;
}

}  // namespace

TBBSProcess::TBBSProcess(std::unique_ptr<TBBSIniFile> iniFile, bool textIds)
    : IniFile(iniFile.get()),
      InfoDialogTitle(Cp932("システムメッセージ")),
      Members(textIds),
      ownedIniFile_(std::move(iniFile)) {}

TBBSProcess::~TBBSProcess() = default;

void TBBSProcess::ClearData() {
  Boards.Clear();
  Members.Clear();
}

bool TBBSProcess::LoadLists(const std::string& BoardListFile, const std::string& MemberListFile) {
  const bool boards = Boards.LoadFromFile(BoardListFile);
  const bool members = Members.LoadFromFile(MemberListFile);
  return boards && members;
}

bool TBBSProcess::SaveLists(const std::string& BoardListFile, const std::string& MemberListFile) {
  const bool boards = Boards.SaveToFile(BoardListFile);
  const bool members = Members.SaveToFile(MemberListFile);
  return boards && members;
}

bool TBBSProcess::IsMailBox(int32_t BoardIndex) const {
  if (BoardIndex < 0 || BoardIndex >= Boards.Count()) return false;
  const int32_t number = Boards.GetBoardNo(BoardIndex);
  if (number >= 0) return number == MailBoardNo;
  return Boards.GetBoardId(BoardIndex) == MailBoardIndex;
}

bool TBBSProcess::SaveReadPointers(const std::string& ReadPtrFile) {
  CrLfTextBuilder out;
  bool any = false;
  std::string line;
  for (int32_t b = 0; b < Boards.Count(); ++b) {
    const TArticleList* articles = Boards.GetArticles(b);
    if (!articles) continue;
    const bool mailBox = IsMailBox(b);
    bool boardWritten = false;
    const int32_t n = articles->OrderCount(ArticleSortNormal);
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, p);
      if (!r || r->ReadFlag != 1 || r->WriteFlag != 0) continue;
      if (!boardWritten) {
        if (!any) out.Line(ReadPtrFileHeader);
        const int32_t number = Boards.GetBoardNo(b);
        line.assign(1, '\\');
        line += number >= 0 ? std::to_string(number) : Boards.GetBoardId(b);
        out.Line(line);
        boardWritten = any = true;
      }
      line.clear();
      if (!mailBox) {
        line += std::to_string(Restored(r->ArticleKey, r->Rebased));
        line += '/';
      }
      line += std::to_string(Restored(r->PostTime, r->Rebased));
      out.Line(line);
    }
  }
  if (any) return out.WriteAtomic(ReadPtrFile);
  // Nothing is read: an old file would mark articles read that the user has since marked
  // unread.
  return DeleteFileAt(ReadPtrFile);
}

bool TBBSProcess::LoadReadPointers(const std::string& ReadPtrFile) {
  if (ReadPtrFile.empty()) return false;
  std::vector<std::string> lines;
  ReadClassicTextFile(ReadPtrFile, lines);  // an unreadable file counts as empty
  if (lines.empty()) return true;
  if (lines[0] != ReadPtrFileHeader) {
    // The end of the run would write a fresh file over it: the user's file is kept first.
    KeepListFileNotUnderstood(ReadPtrFile);
    return false;
  }

  TArticleList* articles = nullptr;
  bool mailBox = false;
  // Mail keys are counted afresh in every run, so a mail is known by its time alone. Mails of
  // the same minute share a time: each line of that time marks the latest mail of it that is
  // still unread, so that n lines restore n read mails. Positions by time, ascending.
  std::unordered_map<int64_t, std::vector<int32_t>> mailsByTime;

  for (size_t l = 1; l < lines.size(); ++l) {
    const std::string& text = lines[l];
    if (text.size() > 1 && text[0] == '\\') {
      const std::string_view rest = std::string_view(text).substr(1);
      const int32_t number = TextToNumber(rest);
      const int32_t index =
          number >= 0 ? Boards.FindBoardNo(number) : Boards.FindBoardId(std::string(rest));
      articles = index >= 0 ? Boards.GetArticles(index) : nullptr;
      mailBox = articles && IsMailBox(index);
      mailsByTime.clear();
      if (mailBox) {
        const int32_t n = articles->OrderCount(ArticleSortNormal);
        for (int32_t p = 0; p < n; ++p) {
          const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, p);
          mailsByTime[Restored(r->PostTime, r->Rebased)].push_back(p);
        }
      }
      continue;
    }
    if (!articles) continue;
    if (mailBox) {
      int32_t time;
      if (!FileNumber(text, time)) continue;
      auto found = mailsByTime.find(time);
      if (found == mailsByTime.end()) continue;
      std::vector<int32_t>& positions = found->second;
      while (!positions.empty() && articles->GetReadFlag(ArticleSortNormal, positions.back()) != 0)
        positions.pop_back();
      if (positions.empty()) continue;
      articles->SetReadFlag(ArticleSortNormal, positions.back(), 1, true);
      positions.pop_back();
      continue;
    }
    const size_t slash = text.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == text.size()) continue;
    int32_t key, time;
    if (!FileNumber(std::string_view(text).substr(0, slash), key) ||
        !FileNumber(std::string_view(text).substr(slash + 1), time))
      continue;
    articles->SetReadFlagByKey(key, time, 1, true);
  }
  return true;
}

std::string TBBSProcess::GetBoardName(int32_t BoardIndex) const {
  return Boards.GetBoardId(BoardIndex);
}

std::string TBBSProcess::FindWriterHandle(const std::vector<std::string>&) const {
  return {};
}

void PrepareLineText(std::string_view line, std::string& text) {
  text.clear();
  const size_t n = line.size();
  if (n == 0 || std::memchr(line.data(), 0x1B, n) == nullptr) {
    text.reserve(n + 1);
    text.append(line);
    text.push_back('\r');
    return;
  }
  text.reserve(n + 1);
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (IsLeadByte(c)) {
      // The byte after a lead byte belongs to its character, even an ESC.
      const size_t len = i + 1 < n ? 2 : 1;
      text.append(line.data() + i, len);
      i += len;
    } else if (c != 0x1B) {
      text.push_back(static_cast<char>(c));
      ++i;
    } else if (i + 1 < n && line[i + 1] == '[') {
      // Parameter and intermediate bytes, then one final byte; a byte that cannot belong to
      // the sequence ends it and is kept.
      size_t j = i + 2;
      while (j < n && static_cast<unsigned char>(line[j]) >= 0x20 &&
             static_cast<unsigned char>(line[j]) <= 0x3F)
        ++j;
      if (j < n && static_cast<unsigned char>(line[j]) >= 0x40 &&
          static_cast<unsigned char>(line[j]) <= 0x7E)
        ++j;
      i = j;
    } else {
      ++i;
    }
  }
  text.push_back('\r');
}

}  // namespace vorn
