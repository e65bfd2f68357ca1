#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class ERegExpParser;
class TAWKStr;
class TArticleList;
class TBoardList;
class TLogList;
class TMemberList;

// What the user searches for. Only one of the two texts is set at a time; were both set, the
// text would be used.
struct SearchCondition {
  bool WordCheckType = true;  // regular expression (true) or plain substring (false)
  bool AwkFuzzy = true;       // full-width, half-width and kana forms match each other
  std::string SearchWord;     // CP932
  std::string SearchID;       // the member ID as typed

  bool Exists() const { return !SearchWord.empty() || !SearchID.empty(); }
  bool operator==(const SearchCondition&) const = default;
};

// Whether the word occurs in the text starting on a character boundary: bytes that begin with
// the second byte of a double-byte character are no match ("A" is not found in "ア", whose
// second byte is 0x41).
bool ContainsText(std::string_view text, std::string_view word);

// Tests the entries of a board against one condition. With a text searched as a regular
// expression, the engine is given the pattern (and the dictionary switches) once, here; a bad
// pattern raises ERegExpParser from the constructor.
class TArticleMatcher final {
 public:
  TArticleMatcher(const SearchCondition& condition, const TMemberList& members, const TLogList& log,
                  TAWKStr& awk);
  TArticleMatcher(const TArticleMatcher&) = delete;
  TArticleMatcher& operator=(const TArticleMatcher&) = delete;

  // Placeholders never match. A text matches the title, the parent's title or a body line; an
  // ID matches the writer or the member a reply or mail is addressed to.
  bool Matches(const TArticleList& board, int32_t order, int32_t position) const;

  // Ask the processor to fetch what Matches will read for a position further on, in three
  // steps, each when what it needs is near: the record, then the title and the index of the
  // body's lines, then the lines. A walk in thread order visits records and lines scattered
  // through memory, and would wait for each in turn otherwise.
  void PrefetchRecord(const TArticleList& board, int32_t order, int32_t position) const;
  void PrefetchIndex(const TArticleList& board, int32_t order, int32_t position) const;
  void PrefetchText(const TArticleList& board, int32_t order, int32_t position) const;

 private:
  bool TextMatches(const TArticleList& board, int32_t order, int32_t position) const;
  bool IdMatches(const TArticleList& board, int32_t order, int32_t position) const;
  bool LineMatches(std::string_view line) const;

  const SearchCondition condition_;
  const TLogList& log_;
  TAWKStr& awk_;
  const bool textIds_;
  const bool byText_;
  const bool regExp_;
  // Whether an article's stored lines may be ruled out in one search over them.
  bool bySpan_ = false;
  bool bySpanOfLineEnds_ = false;  // the same for lines in a mapped file
  // The searched ID as a number, on hosts whose IDs are numbers.
  int32_t idNumber_ = -1;
};

// A board index and a position in the order searched; -1 and -1 when nothing was found.
struct SearchHit {
  int32_t Board = -1;
  int32_t Position = -1;
  bool Found() const { return Board >= 0; }
};

// The next match after (forward) or before (backward) a position: forward through the rest of
// the board and then every later board from its first position, backward through the earlier
// positions and then every earlier board from its last. With newOnly, only new articles count.
// A board index below 0 starts before the first board (forward) or after the last (backward).
SearchHit FindSearchMatch(const TBoardList& boards, int32_t order, int32_t board, int32_t position,
                          bool forward, bool newOnly, const TArticleMatcher& matcher);

// What the search dialog holds when OK or a search button is pressed.
struct SearchRequest {
  bool IdPage = false;  // the ID page is shown (otherwise the text page)
  std::string Text;     // the text typed or chosen (CP932)
  std::string IdText;   // the ID typed
  bool RegExp = true;
  bool Fuzzy = true;
};

struct SearchAcceptance {
  bool Accepted = false;
  // The warning to show when it was not accepted.
  std::string Warning;
  SearchCondition Condition;
};

// The checks of the search dialog: a text must be given, and a regular expression must
// compile (awk is used for the test); an ID must be given, be a number on hosts with numeric
// IDs, and be in the member list (members may be null when nothing is loaded). An accepted text
// is remembered in wordList (when given) as RememberSearchWord does.
SearchAcceptance AcceptSearchRequest(const SearchRequest& request, const TMemberList* members,
                                     TAWKStr& awk, std::vector<std::string>* wordList);

// The last search texts, oldest first, at most ten: a new text drops the oldest; a text
// already in the list stays where it is.
constexpr size_t SearchWordListCapacity = 10;
void RememberSearchWord(std::vector<std::string>& wordList, const std::string& word);

// The warning for a pattern the engine refused: the message and where in the pattern, as the
// user typed it, the fault was found. With the fuzzy dictionary the engine compiles a rewritten
// pattern whose positions mean nothing to the user, so the typed pattern is compiled on its own
// to find the place; a fault that only the rewritten pattern has is told without a place.
std::string RegExpErrorReport(const ERegExpParser& error, std::string_view pattern, bool fuzzy);

}  // namespace vorn
