#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "regex/REDictionary.h"

namespace vorn {

// Rewrites a pattern before it is compiled: every literal word found in a dictionary becomes an
// alternation of its whole group, so that "か" also finds "カ" and "ｶ". Class members and
// operators are copied as they stand. The dictionaries are not owned.
class TREPreProcessor final {
 public:
  std::vector<const TREDictionary*>& SynonymDicList() { return synonymDics_; }
  std::vector<const TREDictionary*>& FuzzyCharDicList() { return fuzzyCharDics_; }

  // The synonym dictionaries first (when asked for), then the fuzzy-character dictionaries over
  // the result. Raises ERegExpParser when the pattern cannot be tokenised.
  std::string Run(std::string_view pattern, bool useSynonymDic, bool useFuzzyCharDic) const;

  // One pass of rewriting with the groups of the given dictionaries, taken in order.
  static std::string Rewrite(std::string_view pattern,
                             const std::vector<const TREDictionary*>& dictionaries);

 private:
  std::vector<const TREDictionary*> synonymDics_;
  std::vector<const TREDictionary*> fuzzyCharDics_;
};

}  // namespace vorn
