#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "regex/REScanner.h"

namespace vorn {

// A list of groups of words that count as the same; the preprocessor rewrites a word of a group
// into an alternation of the whole group. Members are CP932 and may be longer than one character.
class TREDictionary final {
 public:
  struct Group {
    std::vector<std::string> members;
    std::vector<std::vector<RECharCode>> memberCodes;
    // "(" + the members, metacharacters escaped, joined by "|" + ")".
    std::string alternation;
  };

  void AddGroup(const std::vector<std::string>& members);
  const std::vector<Group>& Groups() const { return groups_; }
  size_t Count() const { return groups_.size(); }

 private:
  std::vector<Group> groups_;
};

// The character codes of a CP932 text; a lead byte at the very end stands for itself.
std::vector<RECharCode> DecodeCharCodes(std::string_view cp932);

// The process-wide fuzzy-character dictionary: full-width, half-width, hiragana and katakana
// forms of the same letter, in the order that decides which group a text is rewritten with.
const TREDictionary& FuzzyCharDic();

}  // namespace vorn
