#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/PatternProgram.h"
#include "text/LogPattern.h"

namespace vorn {

// A compiled log pattern with the literal every text it matches must begin with (the argument
// of a leading %C, marks before it passed over). Most log lines are body lines that the header
// and terminal patterns refuse at their first bytes; testing that literal first gives the
// matcher's own answer (no match) without preparing the line or running the matcher.
struct LinePattern {
  LinePattern() = default;
  explicit LinePattern(std::string_view compiled);

  std::string_view text;    // the compiled pattern
  std::string_view prefix;  // empty when the pattern does not begin with a literal
  bool prefixHasEsc = false;
  PatternProgram program;  // what matches it
};

// The first bytes a text can begin with for one pattern of a group or another to match: a
// line that begins otherwise is refused by the whole group at once.
class FirstBytes {
 public:
  void Add(const LinePattern& pattern) {
    if (pattern.prefix.empty() || pattern.prefixHasEsc) {
      any_ = true;
      return;
    }
    const auto b = static_cast<unsigned char>(pattern.prefix[0]);
    bits_[b >> 6] |= uint64_t{1} << (b & 63);
  }
  bool Allows(unsigned char b) const { return any_ || ((bits_[b >> 6] >> (b & 63)) & 1) != 0; }

 private:
  uint64_t bits_[4] = {};
  bool any_ = false;
};

// The log line an analyser is looking at. The patterns apply to the line with its terminal
// escape sequences removed and a CR appended (PrepareLineText); that text is made only when a
// pattern gets past its literal, which for most lines none does. Up to its first ESC the text
// is the stored line itself, so the literal is compared with the stored bytes where it can be.
class PatternLine {
 public:
  void Reset(std::string_view stored);

  // The text the patterns apply to, made on first use.
  const std::string& Text() {
    if (!prepared_) Prepare();
    return text_;
  }

  // Whether the text may begin with the pattern's literal; when it does not, MatchPattern would
  // answer PatternNoMatch. Looks at as few bytes as it can: the first byte of a line decides
  // for most lines and most patterns.
  bool MayMatch(const LinePattern& pattern) {
    const std::string_view prefix = pattern.prefix;
    if (prefix.empty()) return true;
    if (!prepared_ && !pattern.prefixHasEsc && !stored_.empty()) {
      // The text begins with the stored line's bytes up to its first ESC. Most lines differ
      // from a literal at its first byte or its second.
      if (stored_[0] != prefix[0]) {
        if (stored_[0] != kEsc) return false;
      } else if (prefix.size() >= 2 && stored_.size() >= 2 && stored_[1] != prefix[1] &&
                 stored_[1] != kEsc) {
        return false;
      }
    }
    return MayMatchSlow(pattern);
  }

  // Whether one pattern of the group may match; when not, each of them answers PatternNoMatch.
  bool MayMatchAny(const FirstBytes& group) const {
    if (prepared_) return group.Allows(static_cast<unsigned char>(text_[0]));
    if (stored_.empty()) return group.Allows('\r');
    const auto b = static_cast<unsigned char>(stored_[0]);
    return b == kEsc || group.Allows(b);
  }

  uint8_t Match(const LinePattern& pattern, PatternTexts& texts, PatternNumbers& numbers) {
    if (!MayMatch(pattern)) return PatternNoMatch;
    return pattern.program.Match(Text(), texts, numbers);
  }

 private:
  static constexpr char kEsc = 0x1B;
  void Prepare();
  bool MayMatchSlow(const LinePattern& pattern);

  std::string_view stored_;
  std::string text_;
  bool prepared_ = false;
};

}  // namespace vorn
