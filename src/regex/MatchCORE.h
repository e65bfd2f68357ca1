#pragma once

#include <string_view>

#include "regex/RegularExpression.h"

namespace vorn {

enum TMatchCORE_LineSeparator { mcls_CRLF, mcls_LF };

// Matching of the current pattern against one line of CP932 text: the leftmost match, and of the
// matches starting there the longest.
class TMatchCORE : public TRegularExpression {
 public:
  TMatchCORE() = default;

  // The character that ends a line for "$": CR (mcls_CRLF) or LF.
  TMatchCORE_LineSeparator LineSeparator() const { return lineSeparator_; }
  void SetLineSeparator(TMatchCORE_LineSeparator separator) { lineSeparator_ = separator; }

  // Returns the 1-based byte position of the match (0 when there is none) and sets position and
  // length (bytes) accordingly.
  int Match(std::string_view text, int& position, int& length) const;
  int Match(std::string_view text) const;

  // Whether the text holds a match (as Match(text) > 0, and faster for a pattern that begins
  // with a part that may match nothing).
  bool Contains(std::string_view text) const;

  // Whether a text of lines, each followed by a NUL byte (and maybe a line feed), Contains a
  // match wherever one of its lines does: so when the joined text holds none, no line does.
  bool FindsEveryLineMatchInJoinedLines() const;

 private:
  struct Found {
    int start = -1;
    int end = -1;
  };

  Found MatchWith(const TRE_DFA& dfa, std::string_view text) const;
  Found MatchPlain(const TRE_DFA& dfa, const unsigned char* text, int size) const;
  Found MatchAnchored(const TRE_DFA& dfa, const unsigned char* text, int size) const;
  int LineStartRun(const TRE_DFA& dfa, const unsigned char* text, int pos, int size) const;
  unsigned char SeparatorByte() const { return lineSeparator_ == mcls_LF ? '\n' : '\r'; }

  TMatchCORE_LineSeparator lineSeparator_ = mcls_CRLF;
};

}  // namespace vorn
