#include "analysis/NiftyPadFile.h"

#include <algorithm>

#include "analysis/NiftyBoardId.h"
#include "platform/FileQuery.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MailSendList.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

const std::string kRootMark = "*W";
const std::string kRessMark = "*F";
const std::string kMailMark = "*M";
const std::string kEndMark = ".";

bool IsPadWrite(const ArticleRecord& r) {
  return r.WriteFlag == 1 &&
         (r.Kind == ArticleKindRoot || r.Kind == ArticleKindRess || r.Kind == ArticleKindMail);
}

// The title and the text lines after it.
void AppendText(const TStringList* text, std::vector<std::string>& out) {
  if (!text || text->empty()) {
    out.emplace_back();
  } else {
    out.insert(out.end(), text->begin(), text->end());
  }
  out.push_back(kEndMark);
}

}  // namespace

std::vector<std::string> BuildNiftyPadLines(const TBoardList& boards) {
  std::vector<std::string> out;
  std::string boardIndex;
  for (int32_t b = 0; b < boards.Count(); ++b) {
    const TArticleList* articles = boards.GetArticles(b);
    if (!articles) continue;
    const bool mailBox = boards.IsArticleBoard(b) == 0;
    int32_t boardNo = 0;
    const bool keyed = SplitNiftyBoardId(boards.GetBoardId(b), boardIndex, boardNo);
    const int32_t n = articles->OrderCount(ArticleSortNormal);
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, p);
      if (!r || !IsPadWrite(*r)) continue;
      if (mailBox) {
        const int32_t recipients = r->MailTo() ? r->MailTo()->Count() : 0;
        // A mail without a recipient is kept in the file as the user left it.
        for (int32_t i = 0; i < std::max(recipients, 1); ++i) {
          out.push_back(kMailMark);
          out.push_back(TMailSendList::GetRecipientText(r->MailTo(), i));
          AppendText(r->Text(), out);
        }
        continue;
      }
      if (!keyed) continue;
      out.push_back(r->Kind == ArticleKindRoot ? kRootMark : kRessMark);
      out.push_back(boardIndex);
      out.push_back(std::to_string(boardNo));
      if (r->Kind == ArticleKindRess)
        out.push_back(std::to_string(int64_t{r->ParentKey} + RebaseOffset));
      AppendText(r->Text(), out);
    }
  }
  return out;
}

std::vector<NiftyPadEntry> ParseNiftyPadLines(const std::vector<std::string>& lines,
                                              const TBoardList& boards, std::string_view mailBoxId,
                                              int32_t* unplaced) {
  std::vector<NiftyPadEntry> entries;
  const size_t n = lines.size();
  std::string boardId;
  size_t i = 0;
  while (i < n) {
    const std::string& mark = lines[i++];
    NiftyPadEntry e;
    if (mark == kMailMark) {
      e.Kind = ArticleKindMail;
    } else if (mark == kRootMark) {
      e.Kind = ArticleKindRoot;
    } else if (mark == kRessMark) {
      e.Kind = ArticleKindRess;
    } else {
      continue;
    }

    if (e.Kind == ArticleKindMail) {
      if (i >= n) break;
      e.Recipient = lines[i++];
      if (e.Recipient.empty()) continue;
      e.BoardIndex = boards.FindBoardId(mailBoxId);
    } else {
      if (i + 1 >= n) break;
      const std::string& forumIndex = lines[i++];
      const int32_t boardNo = TextToNumber(lines[i++]);
      if (boardNo < 0 || boardNo > 99) continue;
      // The index is taken as written: the file names the board the way the board list does.
      boardId.assign(1, '_');
      boardId += forumIndex;
      if (forumIndex.size() < 8) boardId.append(8 - forumIndex.size(), '_');
      boardId += '_';
      if (boardNo < 10) boardId += '0';
      boardId += std::to_string(boardNo);
      if (e.Kind == ArticleKindRess) {
        if (i >= n) break;
        const int32_t parent = TextToNumber(lines[i++]);
        if (parent < 0) continue;
        e.ParentKey = parent - RebaseOffset;
      }
      e.BoardIndex = boards.FindBoardId(boardId);
    }
    // The title, then the text up to the "." line; an entry without its "." is incomplete.
    if (i >= n) break;
    size_t end = i + 1;
    while (end < n && lines[end] != kEndMark)
      ++end;
    if (end >= n) break;
    if (e.BoardIndex < 0) {
      // A whole entry for a board the list lacks: its text is passed over as a text.
      if (unplaced) ++*unplaced;
      i = end + 1;
      continue;
    }
    e.Text.assign(lines.begin() + static_cast<std::ptrdiff_t>(i),
                  lines.begin() + static_cast<std::ptrdiff_t>(end));
    i = end + 1;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string DatedFileName(std::string_view path, std::string_view dateText) {
  const std::string folder = ExtractFilePath(std::string(path));
  const std::string name = ExtractFileName(std::string(path));
  // A '.' is never the second byte of a double-byte character.
  const size_t dot = std::min(name.rfind('.'), name.size());
  return folder + name.substr(0, dot) + std::string(dateText) + name.substr(dot);
}

}  // namespace vorn
