#include "analysis/ArticleSearch.h"

#include <string.h>

#include <algorithm>

#include "analysis/LogList.h"
#include "platform/Cp932.h"
#include "regex/AWKStr.h"
#include "regex/REScanner.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MemberList.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"

namespace vorn {

TArticleMatcher::TArticleMatcher(const SearchCondition& condition, const TMemberList& members,
                                 const TLogList& log, TAWKStr& awk)
    : condition_(condition),
      log_(log),
      awk_(awk),
      textIds_(members.TextIds != 0),
      byText_(!condition.SearchWord.empty()),
      regExp_(condition.WordCheckType) {
  if (byText_ && regExp_) {
    // Every step of a walk sets the same pattern again; the engine is left alone when it holds
    // it already, which spares the rewriting through the dictionaries.
    const bool fuzzy = condition_.AwkFuzzy;
    if (awk_.UseSynonymDic() != fuzzy || awk_.UseFuzzyCharDic() != fuzzy ||
        awk_.RegExp() != condition_.SearchWord) {
      awk_.SetUseSynonymDic(fuzzy);
      awk_.SetUseFuzzyCharDic(fuzzy);
      awk_.SetRegExp(condition_.SearchWord);
    }
  }
  bySpan_ = byText_ && (!regExp_ || awk_.FindsEveryLineMatchInJoinedLines());
  bySpanOfLineEnds_ = byText_ && (!regExp_ || awk_.FindsEveryLineMatchInJoinedLines(true));
  if (!byText_ && !textIds_) {
    // The dialog accepted the ID only as a number; comparing numbers finds the member also when
    // it was typed with leading zeros or blanks.
    const int32_t n = TextToNumber(condition_.SearchID);
    idNumber_ = n == NoNumber ? -1 : n;
  }
}

bool ContainsText(std::string_view text, std::string_view word) {
  size_t boundary = 0;
  size_t from = 0;
  while (true) {
    const size_t found = text.find(word, from);
    if (found == std::string_view::npos) return false;
    while (boundary < found)
      boundary += IsLeadByte(text[boundary]) ? 2 : 1;
    if (boundary == found) return true;
    // The bytes found begin with the second byte of a character.
    from = found + 1;
  }
}

bool TArticleMatcher::LineMatches(std::string_view line) const {
  if (regExp_) return awk_.Contains(line);
  return ContainsText(line, condition_.SearchWord);
}

bool TArticleMatcher::TextMatches(const TArticleList& board, int32_t order,
                                  int32_t position) const {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!entry || entry->BodyOffset < 0) return false;
  if (!entry->Title().Empty() && LineMatches(entry->Title().View())) return true;
  if (!entry->ParentTitle().Empty() && LineMatches(entry->ParentTitle().View())) return true;
  if (entry->WriteFlag != 0) {
    if (!entry->Text()) return false;
    const TStringList& text = *entry->Text();
    for (size_t i = size_t(entry->BodyOffset); i < text.size(); ++i) {
      if (LineMatches(text[i])) return true;
    }
    return false;
  }
  if (entry->FirstLine < 0) return false;
  const int32_t last = std::min(entry->LastLine, log_.Count() - 1);
  const int64_t first = int64_t(entry->FirstLine) + entry->BodyOffset;
  if ((bySpan_ || bySpanOfLineEnds_) && first <= last) {
    // A word or pattern found in no line is not found in the lines' stored bytes either: one
    // search over them rules out most articles. What is found there may still lie across a
    // line's end, or a word begin inside a character, which the line by line search below
    // decides.
    bool lineEnds = false;
    const std::string_view stored = log_.StoredSpan(int32_t(first), last, &lineEnds);
    if (stored.data() && (lineEnds ? bySpanOfLineEnds_ : bySpan_)) {
      const std::string& word = condition_.SearchWord;
      const bool found =
          regExp_ ? awk_.Contains(stored)
                  : ::memmem(stored.data(), stored.size(), word.data(), word.size()) != nullptr;
      if (!found) return false;
    }
  }
  TLogList::Reader lines(log_);  // an article's lines lie together
  for (int64_t line = first; line <= last; ++line) {
    if (LineMatches(lines.Line(int32_t(line)))) return true;
  }
  return false;
}

bool TArticleMatcher::IdMatches(const TArticleList& board, int32_t order, int32_t position) const {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!entry) return false;
  if (textIds_) {
    return entry->WriterIdText().View() == condition_.SearchID ||
           entry->ParentWriterIdText().View() == condition_.SearchID;
  }
  if (idNumber_ < 0) return false;
  return entry->WriterId == idNumber_ || entry->ParentWriterId == idNumber_;
}

bool TArticleMatcher::Matches(const TArticleList& board, int32_t order, int32_t position) const {
  if (board.GetKind(order, position) == ArticleKindMissingRoot) return false;
  if (byText_) return TextMatches(board, order, position);
  if (!condition_.SearchID.empty()) return IdMatches(board, order, position);
  return false;
}

void TArticleMatcher::PrefetchRecord(const TArticleList& board, int32_t order,
                                     int32_t position) const {
  if (const ArticleRecord* entry = board.GetArticle(order, position)) __builtin_prefetch(entry);
}

namespace {

// The body lines of a record read from the log, or nullptr when Matches reads none there.
const ArticleRecord* BodyInLog(const TArticleList& board, int32_t order, int32_t position,
                               int32_t logCount) {
  const ArticleRecord* entry = board.GetArticle(order, position);
  if (!entry || entry->BodyOffset < 0 || entry->WriteFlag != 0 || entry->FirstLine < 0) {
    return nullptr;
  }
  if (entry->LastLine >= logCount) return nullptr;
  return entry;
}

}  // namespace

void TArticleMatcher::PrefetchIndex(const TArticleList& board, int32_t order,
                                    int32_t position) const {
  if (!byText_) return;
  const ArticleRecord* entry = BodyInLog(board, order, position, log_.Count());
  if (!entry) return;
  __builtin_prefetch(entry->Title().View().data());
  log_.PrefetchIndex(entry->FirstLine + entry->BodyOffset, entry->LastLine);
}

void TArticleMatcher::PrefetchText(const TArticleList& board, int32_t order,
                                   int32_t position) const {
  if (!byText_) return;
  if (const ArticleRecord* entry = BodyInLog(board, order, position, log_.Count())) {
    log_.PrefetchSpan(entry->FirstLine + entry->BodyOffset, entry->LastLine);
  }
}

namespace {

// How far ahead of the position tested the search fetches records, and their texts.
constexpr int32_t kRecordsAhead = 24;
constexpr int32_t kIndexAhead = 16;
constexpr int32_t kTextsAhead = 8;

bool Hit(const TArticleList& list, int32_t order, int32_t position, bool newOnly,
         const TArticleMatcher& matcher) {
  if (newOnly && list.GetNewFlag(order, position) != 1) return false;
  return matcher.Matches(list, order, position);
}

}  // namespace

SearchHit FindSearchMatch(const TBoardList& boards, int32_t order, int32_t board, int32_t position,
                          bool forward, bool newOnly, const TArticleMatcher& matcher) {
  const int32_t boardCount = boards.Count();
  if (forward) {
    int32_t from = position + 1;
    if (board < 0) {
      board = 0;
      from = 0;
    }
    for (int32_t b = board; b < boardCount; ++b, from = 0) {
      const TArticleList* list = boards.GetArticles(b);
      if (!list) continue;
      const int32_t count = list->OrderCount(order);
      for (int32_t j = std::max(from, 0); j < count; ++j) {
        if (j + kRecordsAhead < count) matcher.PrefetchRecord(*list, order, j + kRecordsAhead);
        if (j + kIndexAhead < count) matcher.PrefetchIndex(*list, order, j + kIndexAhead);
        if (j + kTextsAhead < count) matcher.PrefetchText(*list, order, j + kTextsAhead);
        if (Hit(*list, order, j, newOnly, matcher)) return {b, j};
      }
    }
    return {};
  }
  bool first = true;
  if (board < 0 || board >= boardCount) {
    board = boardCount - 1;
    first = false;
  }
  for (int32_t b = board; b >= 0; --b, first = false) {
    const TArticleList* list = boards.GetArticles(b);
    if (!list) continue;
    const int32_t count = list->OrderCount(order);
    const int32_t from = first ? std::min(position - 1, count - 1) : count - 1;
    for (int32_t j = from; j >= 0; --j) {
      if (j >= kRecordsAhead) matcher.PrefetchRecord(*list, order, j - kRecordsAhead);
      if (j >= kIndexAhead) matcher.PrefetchIndex(*list, order, j - kIndexAhead);
      if (j >= kTextsAhead) matcher.PrefetchText(*list, order, j - kTextsAhead);
      if (Hit(*list, order, j, newOnly, matcher)) return {b, j};
    }
  }
  return {};
}

void RememberSearchWord(std::vector<std::string>& wordList, const std::string& word) {
  if (std::find(wordList.begin(), wordList.end(), word) != wordList.end()) return;
  if (wordList.size() >= SearchWordListCapacity) wordList.erase(wordList.begin());
  wordList.push_back(word);
}

namespace {

// The character (counting a double-byte character as one) that a 1-based byte position falls
// on; 0 past the end.
int CharacterAt(std::string_view text, int bytePosition) {
  if (bytePosition < 1 || size_t(bytePosition) > text.size()) return 0;
  int characters = 0;
  size_t i = 0;
  while (i < text.size()) {
    ++characters;
    const size_t width = IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
    if (size_t(bytePosition) <= i + width) return characters;
    i += width;
  }
  return 0;
}

}  // namespace

std::string RegExpErrorReport(const ERegExpParser& error, std::string_view pattern, bool fuzzy) {
  int position = error.Position();
  std::string message = error.what();
  if (fuzzy) {
    position = -1;
    try {
      TRegularExpression::Compile(pattern);
    } catch (const ERegExpParser& typed) {
      position = typed.Position();
      message = typed.what();
    }
  }
  std::string report = message + "\r\n" + Cp932("検索文字列：") + std::string(pattern);
  if (position >= 1) {
    const int character = CharacterAt(pattern, position);
    report +=
        "\r\n" + (character > 0 ? Cp932("位置：") + std::to_string(character) + Cp932("文字目")
                                : Cp932("位置：末尾"));
  }
  return report;
}

SearchAcceptance AcceptSearchRequest(const SearchRequest& request, const TMemberList* members,
                                     TAWKStr& awk, std::vector<std::string>* wordList) {
  SearchAcceptance result;
  SearchCondition& c = result.Condition;
  c.WordCheckType = request.RegExp;
  c.AwkFuzzy = request.Fuzzy;
  if (!request.IdPage) {
    if (request.Text.empty()) {
      result.Warning = Cp932("検索文字列が指定されていません");
      return result;
    }
    if (request.RegExp) {
      // A pattern the engine refuses would fail every search; the user fixes it here.
      try {
        awk.SetUseSynonymDic(request.Fuzzy);
        awk.SetUseFuzzyCharDic(request.Fuzzy);
        awk.SetRegExp(request.Text);
      } catch (const ERegExpParser& error) {
        result.Warning = RegExpErrorReport(error, request.Text, request.Fuzzy);
        return result;
      }
    }
    c.SearchWord = request.Text;
    if (wordList) RememberSearchWord(*wordList, request.Text);
  } else {
    if (request.IdText.empty()) {
      result.Warning = Cp932("検索IDが指定されていません");
      return result;
    }
    bool known = false;
    if (members && members->TextIds) {
      known = members->FindIdText(request.IdText) >= 0;
    } else {
      const int32_t id = TextToNumber(request.IdText);
      if (id == NoNumber) {
        result.Warning = Cp932("検索IDが数値ではありません");
        return result;
      }
      known = members && members->FindIdNo(id) >= 0;
    }
    if (!known) {
      result.Warning = Cp932("検索IDは存在しません");
      return result;
    }
    c.SearchID = request.IdText;
  }
  result.Accepted = true;
  return result;
}

}  // namespace vorn
