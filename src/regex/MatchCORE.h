#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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

  // Whether the text holds a match (as Match(text) > 0, and faster: it stops at the first match
  // found, and leaves out a leading part of the pattern that may match nothing).
  bool Contains(std::string_view text) const;

  // The automaton steps taken by Match and Contains since the last reset: every character
  // read, and every step of a DFA state taken while making a state of the search.
  uint64_t StepCount() const { return steps_; }
  void ResetStepCount() { steps_ = 0; }
  // The memory each search automaton of a pattern keeps at most (states beyond it are made again
  // as needed, which costs time, never more memory).
  void SetSearchMemoryLimit(size_t bytes) { searchMemoryLimit_ = bytes; }

  // Whether a text of lines, each followed by a NUL byte (and maybe a line feed), Contains a
  // match wherever one of its lines does: so when the joined text holds none, no line does.
  // lineEnds: the lines are followed by their line ends (CR, LF or CR LF) instead.
  bool FindsEveryLineMatchInJoinedLines(bool lineEnds = false) const;

 private:
  struct Found {
    int start = -1;
    int end = -1;
  };

  // The leftmost-longest match of the automaton in the text.
  Found Find(const TRE_DFA& dfa, std::string_view text) const;
  unsigned char SeparatorByte() const { return lineSeparator_ == mcls_LF ? '\n' : '\r'; }

  TMatchCORE_LineSeparator lineSeparator_ = mcls_CRLF;
  size_t searchMemoryLimit_ = TRE_SearchAutomaton::kDefaultMemoryLimit;
  mutable uint64_t steps_ = 0;
  mutable std::vector<int> groupStarts_;
};

}  // namespace vorn
