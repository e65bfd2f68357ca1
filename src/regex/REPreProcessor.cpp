#include "regex/REPreProcessor.h"

#include "regex/REScanner.h"

namespace vorn {

namespace {

bool IsQuantifier(const RETokenKind kind) {
  return kind == RETokenKind::Star || kind == RETokenKind::Plus || kind == RETokenKind::Optional;
}

bool IsRewritable(const REToken& token) {
  return token.kind == RETokenKind::Literal && !token.inClass;
}

struct GroupMatch {
  const TREDictionary::Group* group = nullptr;
  size_t length = 0;  // characters (tokens) the member covers
};

// The first group, in order, with a member equal to the literals at tokens[at, runEnd).
GroupMatch FindGroup(const std::vector<REToken>& tokens, const size_t at, const size_t runEnd,
                     const std::vector<const TREDictionary*>& dictionaries) {
  for (const TREDictionary* dictionary : dictionaries) {
    for (const TREDictionary::Group& group : dictionary->Groups()) {
      for (const std::vector<RECharCode>& codes : group.memberCodes) {
        if (codes.empty() || codes.size() > runEnd - at) continue;
        bool equal = true;
        for (size_t k = 0; k < codes.size() && equal; ++k)
          equal = tokens[at + k].low == codes[k];
        if (equal) return {&group, codes.size()};
      }
    }
  }
  return {};
}

}  // namespace

std::string TREPreProcessor::Rewrite(std::string_view pattern,
                                     const std::vector<const TREDictionary*>& dictionaries) {
  std::vector<REToken> tokens;
  TREScanner scanner(pattern);
  while (scanner.GetToken().kind != RETokenKind::End)
    tokens.push_back(scanner.Token());

  const auto quantified = [&](size_t i) {
    return i + 1 < tokens.size() && IsQuantifier(tokens[i + 1].kind);
  };
  std::string out;
  out.reserve(pattern.size() * 4);
  size_t i = 0;
  while (i < tokens.size()) {
    if (!IsRewritable(tokens[i])) {
      out.append(pattern.substr(size_t(tokens[i].start), size_t(tokens[i].end - tokens[i].start)));
      ++i;
      continue;
    }
    // A run of literals. A quantified literal stands alone, so that a word spanning it cannot
    // pull the quantifier over the characters before it ("か゛*" stays "か" then "゛*").
    size_t runEnd = i + 1;
    if (!quantified(i)) {
      while (runEnd < tokens.size() && IsRewritable(tokens[runEnd]) && !quantified(runEnd)) {
        ++runEnd;
      }
    }
    while (i < runEnd) {
      const GroupMatch match = FindGroup(tokens, i, runEnd, dictionaries);
      if (match.group) {
        out += match.group->alternation;
        i += match.length;
      } else {
        out.append(
            pattern.substr(size_t(tokens[i].start), size_t(tokens[i].end - tokens[i].start)));
        ++i;
      }
    }
  }
  return out;
}

std::string TREPreProcessor::Run(std::string_view pattern, const bool useSynonymDic,
                                 const bool useFuzzyCharDic) const {
  std::string text(pattern);
  if (useSynonymDic) text = Rewrite(text, synonymDics_);
  if (useFuzzyCharDic) text = Rewrite(text, fuzzyCharDics_);
  return text;
}

}  // namespace vorn
