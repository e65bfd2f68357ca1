#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regex/REPreProcessor.h"
#include "regex/RE_DFA.h"

namespace vorn {

// The pattern, its preprocessing and a cache of compiled patterns. The search sets the same
// pattern again for every article it tests; the cache makes that cost a string comparison.
class TRegularExpression {
 public:
  static constexpr int CacheCapacity = 30;

  TRegularExpression();
  virtual ~TRegularExpression();
  TRegularExpression(const TRegularExpression&) = delete;
  TRegularExpression& operator=(const TRegularExpression&) = delete;

  const std::string& RegExp() const { return regExp_; }
  // Preprocesses and compiles the pattern and makes it current. On a bad pattern raises
  // ERegExpParser; the empty pattern is then current and RegExp() is empty.
  void SetRegExp(std::string_view pattern);

  bool UseFuzzyCharDic() const { return useFuzzyCharDic_; }
  bool UseSynonymDic() const { return useSynonymDic_; }
  // Both set the current pattern again so that the change takes effect at once (and so may raise
  // ERegExpParser like SetRegExp).
  void SetUseFuzzyCharDic(bool use);
  void SetUseSynonymDic(bool use);

  TREPreProcessor& PreProcessor() { return preProcessor_; }

  // The cache, for inspection: entry 0 is the empty pattern, newer patterns come first.
  int CacheCount() const { return int(cache_.size()); }
  const std::string& CachedPattern(int index) const { return cache_[size_t(index)].pattern; }
  int CurrentIndex() const { return current_; }
  const TRE_DFA& CurrentDFA() const { return *cache_[size_t(current_)].dfa; }
  // The automaton that tells whether a text holds a match: the pattern without a leading part
  // that may match nothing (".*" before a word keeps a run under way at every character, so that
  // the search can skip none), which changes where a match begins but not whether there is one.
  const TRE_DFA& ContainsDFA() const {
    const CacheEntry& entry = cache_[size_t(current_)];
    return entry.contains ? *entry.contains : *entry.dfa;
  }

  // Parses and builds the automaton of an already preprocessed pattern; raises ERegExpParser.
  // With `contains`, also the one ContainsDFA gives, left empty when it is the same.
  static std::unique_ptr<TRE_DFA> Compile(std::string_view pattern,
                                          std::unique_ptr<TRE_DFA>* contains = nullptr);

 private:
  struct CacheEntry {
    std::string pattern;  // preprocessed
    std::unique_ptr<TRE_DFA> dfa;
    std::unique_ptr<TRE_DFA> contains;
  };

  void FallBackToEmpty();

  std::vector<CacheEntry> cache_;
  int current_ = 0;
  std::string regExp_;
  bool useFuzzyCharDic_ = false;
  bool useSynonymDic_ = false;
  TREPreProcessor preProcessor_;
};

}  // namespace vorn
