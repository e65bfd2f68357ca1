#include "regex/REPreProcessor.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Cp932.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

std::vector<std::string> Members(size_t groupNumber) {
  return FuzzyCharDic().Groups().at(groupNumber - 1).members;
}

std::vector<std::string> JList(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* s : utf8)
    out.push_back(J(s));
  return out;
}

TEST(FuzzyCharDic, GroupsSitInTheirPlaces) {
  ASSERT_EQ(FuzzyCharDic().Count(), 145u);
  EXPECT_EQ(Members(1), JList({"Ａ", "ａ", "A", "a"}));
  EXPECT_EQ(Members(26), JList({"Ｚ", "ｚ", "Z", "z"}));
  EXPECT_EQ(Members(27), JList({"0", "０", "零"}));
  EXPECT_EQ(Members(28), JList({"1", "１", "一", "①", "Ⅰ", "壱"}));
  EXPECT_EQ(Members(37), JList({"　", " "}));
  EXPECT_EQ(Members(39), JList({"\"", "”"}));
  EXPECT_EQ(Members(49), JList({"ー", "～", "ｰ"}));
  EXPECT_EQ(Members(50), JList({"-", "ー", "－", "～", "ｰ"}));
  EXPECT_EQ(Members(61), JList({"\\", "￥"}));
  EXPECT_EQ(Members(69), JList({",", "､", "、", "，"}));
  EXPECT_EQ(Members(72), JList({"」", "』", "｣"}));
  EXPECT_EQ(Members(73), JList({"ん", "ン", "ﾝ"}));
  EXPECT_EQ(Members(74), JList({"が", "ガ", "ｶﾞ", "か゛", "カ゛"}));
  EXPECT_EQ(Members(80),
            JList({"じ", "ジ", "ｼﾞ", "し゛", "シ゛", "ぢ", "ヂ", "ﾁﾞ", "ち゛", "チ゛"}));
  EXPECT_EQ(Members(87),
            JList({"ば", "バ", "ﾊﾞ", "は゛", "ハ゛", "ヴァ", "う゛ぁ", "ウ゛ァ", "ｳﾞｧ"}));
  EXPECT_EQ(Members(89), JList({"ぶ", "ブ", "ﾌﾞ", "ふ゛", "フ゛", "ヴ", "ウ゛", "う゛", "ｳﾞ"}));
  EXPECT_EQ(Members(92), JList({"ぱ", "パ", "ﾊﾟ", "は゜", "ハ゜"}));
  EXPECT_EQ(Members(97), JList({"あ", "ア", "ｱ", "ぁ", "ァ", "ｧ"}));
  EXPECT_EQ(Members(114), JList({"つ", "ツ", "ﾂ", "っ", "ッ", "ｯ"}));
  EXPECT_EQ(Members(134), JList({"よ", "ヨ", "ﾖ", "ょ", "ョ", "ｮ"}));
  EXPECT_EQ(Members(139), JList({"ろ", "ロ", "ﾛ"}));
  EXPECT_EQ(Members(141), JList({"ヰ", "ゐ", "うぃ", "ウィ", "ｳｨ"}));
  EXPECT_EQ(Members(144), JList({"ﾞ", "゛"}));
  EXPECT_EQ(Members(145), JList({"ﾟ", "゜"}));
}

TEST(FuzzyCharDic, EveryMemberIsACodePage932Text) {
  // A character the code page cannot hold would have become "?" and matched question marks.
  for (const auto& group : FuzzyCharDic().Groups()) {
    for (const std::string& member : group.members) {
      ASSERT_FALSE(member.empty());
      EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(member)), member);
      if (member != "?") {
        EXPECT_EQ(member.find('?'), std::string::npos) << Cp932ToUtf8(member);
      }
    }
  }
}

std::string Fuzzy(const std::string& utf8Pattern) {
  return Cp932ToUtf8(TREPreProcessor::Rewrite(J(utf8Pattern), {&FuzzyCharDic()}));
}

TEST(REPreProcessor, LiteralsBecomeTheirGroups) {
  EXPECT_EQ(Fuzzy("か"), "(か|カ|ｶ)");
  EXPECT_EQ(Fuzzy("ab"), "(Ａ|ａ|A|a)(Ｂ|ｂ|B|b)");
  EXPECT_EQ(Fuzzy("a*|b+c?"), "(Ａ|ａ|A|a)*|(Ｂ|ｂ|B|b)+(Ｃ|ｃ|C|c)?");
  // Escapes are literals too; what no group holds keeps its own spelling.
  EXPECT_EQ(Fuzzy("\\x41漢\\t"), "(Ａ|ａ|A|a)漢\\t");
}

TEST(REPreProcessor, BracketsAndOperatorsAreCopied) {
  EXPECT_EQ(Fuzzy("[か]"), "[か]");
  EXPECT_EQ(Fuzzy("[^a-z]x.^$()"), "[^a-z](Ｘ|ｘ|X|x).^$()");
}

TEST(REPreProcessor, MetacharactersInsideGroupsAreEscaped) {
  EXPECT_EQ(Fuzzy("\\$"), "(\\$|＄)");
  EXPECT_EQ(Fuzzy("\\."), "(｡|\\.|。|．)");
  EXPECT_EQ(Fuzzy("\\\\"), "(\\\\|￥)");
  EXPECT_EQ(Fuzzy("\\|"), "(\\||｜)");
  // "ー" (0x81 0x5B) and "－" (0x81 0x7C) end in the bytes of "[" and "|" but are not escaped.
  EXPECT_EQ(Fuzzy("-"), "(-|ー|－|～|ｰ)");
}

TEST(REPreProcessor, GroupOrderDecidesOverlaps) {
  EXPECT_EQ(Fuzzy("ー"), "(ー|～|ｰ)");
  EXPECT_EQ(Fuzzy("か゛"), "(が|ガ|ｶﾞ|か゛|カ゛)");
  EXPECT_EQ(Fuzzy("ｶﾞ"), "(が|ガ|ｶﾞ|か゛|カ゛)");
  EXPECT_EQ(Fuzzy("ヴァ"), "(ば|バ|ﾊﾞ|は゛|ハ゛|ヴァ|う゛ぁ|ウ゛ァ|ｳﾞｧ)");
  EXPECT_EQ(Fuzzy("ヴ"), "(ぶ|ブ|ﾌﾞ|ふ゛|フ゛|ヴ|ウ゛|う゛|ｳﾞ)");
  // The vowel groups come before "わ", so its spelling "うぁ" is never the one that matches.
  EXPECT_EQ(Fuzzy("うぁ"), "(う|ウ|ｳ|ぅ|ゥ|ｩ)(あ|ア|ｱ|ぁ|ァ|ｧ)");
  // A word never reaches across a non-literal: here the mark stands alone.
  EXPECT_EQ(Fuzzy("か(゛)"), "(か|カ|ｶ)((ﾞ|゛))");
}

TEST(REPreProcessor, AQuantifiedCharacterIsNotSwallowedByAWord) {
  // "か゛*" is "か" followed by any number of marks; rewriting it as the voiced group would
  // put the star on the whole group.
  EXPECT_EQ(Fuzzy("か゛*"), "(か|カ|ｶ)(ﾞ|゛)*");
  EXPECT_EQ(Fuzzy("か゛゛"), "(が|ガ|ｶﾞ|か゛|カ゛)(ﾞ|゛)");
}

TEST(REPreProcessor, SynonymsFirstThenFuzzyCharactersOverTheResult) {
  TREDictionary synonyms;
  synonyms.AddGroup(JList({"猫", "ネコ"}));
  TREPreProcessor pre;
  pre.SynonymDicList().push_back(&synonyms);
  pre.FuzzyCharDicList().push_back(&FuzzyCharDic());
  EXPECT_EQ(Cp932ToUtf8(pre.Run(J("猫"), true, false)), "(猫|ネコ)");
  EXPECT_EQ(Cp932ToUtf8(pre.Run(J("猫"), true, true)), "(猫|(ね|ネ|ﾈ)(こ|コ|ｺ))");
  EXPECT_EQ(Cp932ToUtf8(pre.Run(J("猫"), false, false)), "猫");
  // An empty synonym list changes nothing.
  TREPreProcessor empty;
  EXPECT_EQ(empty.Run(J("a[b]\\x41"), true, false), J("a[b]\\x41"));
}

}  // namespace
}  // namespace vorn
