#include "regex/RE_DFA.h"

#include <gtest/gtest.h>

#include <random>

#include "regex/REDictionary.h"
#include "regex/REPreProcessor.h"
#include "regex/RegularExpression.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

TEST(REParseTree, DisjointPiecesCoverEachLeafAndNeverPartlyOverlap) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    TREParseTree tree;
    const int count = 1 + int(rng() % 8);
    for (int i = 0; i < count; ++i) {
      const auto a = RECharCode(rng() % 64);
      const auto b = RECharCode(rng() % 64);
      tree.MakeLeaf(std::min(a, b), std::max(a, b));
    }
    tree.MakeLeaf(60, 0xFFFF);
    tree.MakeDisjoint();
    std::vector<RECharRange> all;
    for (const REParseNode* leaf : tree.Leaves()) {
      ASSERT_FALSE(leaf->pieces.empty());
      EXPECT_EQ(leaf->pieces.front().low, leaf->range.low);
      EXPECT_EQ(leaf->pieces.back().high, leaf->range.high);
      for (size_t k = 0; k + 1 < leaf->pieces.size(); ++k) {
        EXPECT_EQ(uint32_t(leaf->pieces[k].high) + 1, leaf->pieces[k + 1].low);
      }
      all.insert(all.end(), leaf->pieces.begin(), leaf->pieces.end());
    }
    for (const RECharRange& p : all) {
      for (const RECharRange& q : all) {
        const bool overlap = p.low <= q.high && q.low <= p.high;
        EXPECT_TRUE(!overlap || p == q) << p.low << "-" << p.high << " " << q.low << "-" << q.high;
      }
    }
  }
}

TEST(REParseTree, LeavesAreShared) {
  TREParseTree tree;
  EXPECT_EQ(tree.MakeLeaf('a', 'z'), tree.MakeLeaf('a', 'z'));
  EXPECT_NE(tree.MakeLeaf('a', 'z'), tree.MakeLeaf('a', 'y'));
  EXPECT_EQ(tree.Leaves().size(), 2u);
}

TEST(TRE_DFA, TableLookupGivesTheListWalksAnswerForEveryCode) {
  std::vector<std::string> patterns = {
      "[a-z]+[^0-9x]",      J("[ぁ-ん]|[ァ-ヶ]+x"),
      ".*\\xFCFC",          "[\\x80-\\x9F\\xE0]a|^b$",
      "[^\\x8140-\\x9FFC]", TREPreProcessor::Rewrite(J("ダウンロード1-"), {&FuzzyCharDic()}),
  };
  for (const std::string& pattern : patterns) {
    SCOPED_TRACE(pattern);
    const auto dfa = TRegularExpression::Compile(pattern);
    for (int s = 0; s < dfa->StateCount(); ++s) {
      int mismatches = 0;
      for (uint32_t code = 0; code <= 0xFFFF; ++code) {
        if (dfa->Step(s, RECharCode(code)) != dfa->FindTransition(s, RECharCode(code)))
          ++mismatches;
      }
      EXPECT_EQ(mismatches, 0) << "state " << s;
      for (size_t k = 1; k < dfa->GetState(s).transitions.size(); ++k) {
        EXPECT_LT(dfa->GetState(s).transitions[k - 1].range.high,
                  dfa->GetState(s).transitions[k].range.low);
      }
    }
  }
}

TEST(TRE_DFA, AnchorsSetTheirFlagsOnlyWhereTheyAnchor) {
  auto dfa = TRegularExpression::Compile("^a|b$");
  EXPECT_TRUE(dfa->UsesLineStart());
  EXPECT_TRUE(dfa->UsesLineEnd());
  dfa = TRegularExpression::Compile("a^b$c");
  EXPECT_FALSE(dfa->UsesLineStart());
  EXPECT_FALSE(dfa->UsesLineEnd());
  dfa = TRegularExpression::Compile("x*^");
  EXPECT_FALSE(dfa->UsesLineStart());
}

}  // namespace
}  // namespace vorn
