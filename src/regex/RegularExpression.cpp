#include "regex/RegularExpression.h"

#include "regex/REParser.h"
#include "regex/RE_NFA.h"

namespace vorn {

TRegularExpression::TRegularExpression() {
  cache_.push_back({std::string(), Compile("")});
}

TRegularExpression::~TRegularExpression() = default;

std::unique_ptr<TRE_DFA> TRegularExpression::Compile(std::string_view pattern) {
  const int endPosition = int(pattern.size()) + 1;
  TREParser parser(pattern);
  parser.Run();
  parser.Tree().MakeDisjoint();
  const TRE_NFA nfa(parser.Tree(), endPosition);
  return std::make_unique<TRE_DFA>(nfa, endPosition);
}

void TRegularExpression::FallBackToEmpty() {
  current_ = 0;
  regExp_.clear();
}

void TRegularExpression::SetRegExp(std::string_view pattern) {
  std::string preprocessed;
  try {
    preprocessed = preProcessor_.Run(pattern, useSynonymDic_, useFuzzyCharDic_);
  } catch (...) {
    FallBackToEmpty();
    throw;
  }
  for (size_t i = 0; i < cache_.size(); ++i) {
    if (cache_[i].pattern == preprocessed) {
      current_ = int(i);
      regExp_ = std::string(pattern);
      return;
    }
  }
  if (cache_.size() >= size_t(CacheCapacity)) cache_.pop_back();
  cache_.insert(cache_.begin() + 1, CacheEntry{std::move(preprocessed), nullptr});
  current_ = 1;
  try {
    cache_[1].dfa = Compile(cache_[1].pattern);
  } catch (...) {
    cache_.erase(cache_.begin() + 1);
    FallBackToEmpty();
    throw;
  }
  regExp_ = std::string(pattern);
}

void TRegularExpression::SetUseFuzzyCharDic(const bool use) {
  useFuzzyCharDic_ = use;
  SetRegExp(std::string(regExp_));
}

void TRegularExpression::SetUseSynonymDic(const bool use) {
  useSynonymDic_ = use;
  SetRegExp(std::string(regExp_));
}

}  // namespace vorn
