#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "support/TestSupport.h"
#include "text/FieldNames.h"
#include "text/LogPattern.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

using test::J;
namespace TF = TextField;
namespace NF = NumberField;

// The NetVorn default templates as a user stores them (escapes typed, field names spelled out).
const char* const kBoardTitle = R"(%CNo.%GBNO%S｢%M1%GBTITLE,｣\n)";
const char* const kBoardList = R"(%M1%GBNO%C.%M1%C \\%GBINDEX,\t%M1%GBTITLE,\n)";
const char* const kIdListHeader = R"(%C----+--------------------\n)";
const char* const kIdList = R"(%GWIDNO%C:%GWHANDLE,\n)";
const char* const kHeader = R"(%C-\t)";
const char* const kHeaderSerialRoot = R"(%C-\h%M4%GWNO)";
const char* const kHeaderSerialRess = R"(%C-\h%M4%GWNO%C <%M4%GRNO%C>)";
const char* const kSubjectHeader =
    R"(%GBINDEX,(%M1%GWNO%C/%S)%M1%C %GYEAR%C/%GMONTH%C/%GDAY%C %GHOUR%C:%GMINUTE%C %GWTITLE,\n)";
const char* const kSubjectHeaderMail =
    R"(%GBINDEX, %M1%GYEAR%C/%GMONTH%C/%GDAY%C %GHOUR%C:%GMINUTE%C %GWTITLE,\n)";
const char* const kSubjectRess =
    R"(%C <%GRNO%C:%Z%S>\n%s:%s/%m1%gRTITLE%M1%GRIDNO%C:%GRHANDLE,>\n)";
const char* const kSubjectFotter = R"(%Z%C  %S:%s %GWIDNO%C:%GWHANDLE,\n)";
const char* const kSubjectFotterBinary =
    R"(%Z%C  [%GFNAME,]%M1%C %GFSIZE%CKB %S:%s %GWIDNO%C:%GWHANDLE,\n)";
const char* const kTerminal1 = "%C読み終わりました";
const char* const kInfo = "%C(%S)";

std::string Compiled(const char* templ) {
  return CompilePattern(J(templ));
}

class Matcher {
 public:
  Matcher() { Clear(); }
  void Clear() {
    texts.fill("<unset>");
    numbers.fill(-1);
  }
  // The analysers hand every line over with its closing CR.
  uint8_t Line(const std::string& line, const std::string& pattern) {
    return MatchPattern(line + "\r", pattern, texts, numbers);
  }
  uint8_t Raw(std::string_view text, std::string_view pattern) {
    return MatchPattern(text, pattern, texts, numbers);
  }
  PatternTexts texts;
  PatternNumbers numbers;
};

TEST(CompilePattern, DefaultTemplatesCompileToLettersAndBytes) {
  EXPECT_EQ(Compiled(kBoardTitle), "%CNo.%Ga%S\xA2%M1%GB,\xA3\r");
  EXPECT_EQ(Compiled(kBoardList), "%M1%Ga%C.%M1%C \\%GA,\t%M1%GB,\r");
  EXPECT_EQ(Compiled(kHeaderSerialRess), "%C-\b%M4%Gc%C <%M4%Gd%C>");
  EXPECT_EQ(Compiled(kSubjectRess), "%C <%Gd%C:%Z%S>\r%s:%s/%m1%gG%M1%Gf%C:%GF,>\r");
  EXPECT_EQ(Compiled(kSubjectFotterBinary), "%Z%C  [%GC,]%M1%C %Gb%CKB %S:%s %Ge%C:%GD,\r");
  EXPECT_EQ(Compiled(kTerminal1), J(kTerminal1));
}

TEST(CompilePattern, FieldNames) {
  EXPECT_EQ(CompilePattern("%gbtitle,"), "%gB,");           // case-insensitive
  EXPECT_EQ(CompilePattern("%HWTITLE,5"), "%HE,5");         // %H takes a text field
  EXPECT_EQ(CompilePattern("%GWID,x%GWIDNO"), "%GH,x%Ge");  // WID is text, WIDNO a number
  EXPECT_EQ(CompilePattern("%GSECOND%GYEAR"), "%Gl%Gg");
  EXPECT_EQ(CompilePattern("%GXYZ%C."), "%G%C.");      // unknown name dropped
  EXPECT_EQ(CompilePattern("%GBTITLE %C."), "%G%C.");  // a blank is part of the name
  EXPECT_EQ(CompilePattern("%%GBNO"), "%%GBNO");       // a doubled % starts nothing
  EXPECT_EQ(CompilePattern("%C%%%GBNO"), "%C%%%Ga");
  EXPECT_EQ(CompilePattern("%G"), "%G");
  EXPECT_EQ(CompilePattern("%"), "%");
}

TEST(ExpandEscapes, BackslashEscapes) {
  EXPECT_EQ(ExpandEscapes(R"(a\nb)"), "a\rb");  // CR, never LF
  EXPECT_EQ(ExpandEscapes(R"(\t\e\h\\)"), "\t\x1b\b\\");
  EXPECT_EQ(ExpandEscapes(R"(a\xb)"), "ab");
  EXPECT_EQ(ExpandEscapes(R"(ab\)"), "ab");
  EXPECT_EQ(ExpandEscapes(R"(\\n)"), "\\n");
  // The second byte of '表' is 0x5C and stays; so does the escape after it.
  EXPECT_EQ(ExpandEscapes(J(R"(表\n)")), J("表") + "\r");
  EXPECT_EQ(ExpandEscapes(J("表示")), J("表示"));
  // An unknown escape followed by a double-byte character drops the whole character, so its
  // 0x5C second byte cannot turn into an escape of its own.
  EXPECT_EQ(ExpandEscapes(J(R"(\表n)")), "n");
  EXPECT_EQ(ExpandEscapes("\\\x95"), "");
}

// The worked examples and the sample NetVorn screen, line by line.
TEST(MatchPattern, DefaultBoardTitle) {
  Matcher m;
  EXPECT_EQ(m.Line(J("No.12 ｢雑談｣"), Compiled(kBoardTitle)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::BNO], 12);
  EXPECT_EQ(m.texts[TF::BTITLE], J("雑談"));
  EXPECT_EQ(m.texts[TF::BINDEX], "<unset>");
  EXPECT_EQ(m.numbers[NF::WNO], -1);

  m.Clear();
  EXPECT_EQ(m.Line(J("No.12 ｢雑談｣"), Compiled(kSubjectRess)), PatternNoMatch);
  EXPECT_EQ(m.Line(J("No.x ｢雑談｣"), Compiled(kBoardTitle)), PatternNoMatch);
  EXPECT_EQ(m.Line(J("No.3 ｢雑談"), Compiled(kBoardTitle)), PatternNoMatch);
}

TEST(MatchPattern, DefaultReplyLine) {
  Matcher m;
  EXPECT_EQ(m.Line(J(" <35:Re: 予定/1024:たろう>"), Compiled(kSubjectRess)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::RNO], 35);
  EXPECT_EQ(m.texts[TF::RTITLE], J("Re: 予定"));
  EXPECT_EQ(m.numbers[NF::RIDNO], 1024);
  EXPECT_EQ(m.texts[TF::RHANDLE], J("たろう"));

  // A title that itself holds '/' and ':' is still taken up to the last ones.
  EXPECT_EQ(m.Line(" <120:Re: a/b: c/7:taro>", Compiled(kSubjectRess)), PatternMatch);
  EXPECT_EQ(m.texts[TF::RTITLE], "Re: a/b: c");
  EXPECT_EQ(m.numbers[NF::RIDNO], 7);
  EXPECT_EQ(m.texts[TF::RHANDLE], "taro");
}

TEST(MatchPattern, SampleNetVornArticle) {
  Matcher m;
  const std::string header = Compiled(kHeader);
  const std::string subject = Compiled(kSubjectHeader);
  const std::string ress = Compiled(kSubjectRess);
  const std::string footer = Compiled(kSubjectFotter);
  const std::string binaryFooter = Compiled(kSubjectFotterBinary);

  EXPECT_EQ(m.Line(J("No.3 ｢雑談｣"), Compiled(kBoardTitle)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::BNO], 3);
  EXPECT_EQ(m.Line("-\t", header), PatternMatch);
  EXPECT_EQ(m.Line("-", header), PatternNoMatch);

  EXPECT_EQ(m.Line("general(123/130) 99/07/30 12:34 Meeting notes", subject), PatternMatch);
  EXPECT_EQ(m.texts[TF::BINDEX], "general");
  EXPECT_EQ(m.numbers[NF::WNO], 123);
  EXPECT_EQ(m.numbers[NF::YEAR], 99);
  EXPECT_EQ(m.numbers[NF::MONTH], 7);
  EXPECT_EQ(m.numbers[NF::DAY], 30);
  EXPECT_EQ(m.numbers[NF::HOUR], 12);
  EXPECT_EQ(m.numbers[NF::MINUTE], 34);
  EXPECT_EQ(m.texts[TF::WTITLE], "Meeting notes");

  EXPECT_EQ(m.Line(" <120:Re: plans/1024:taro>", ress), PatternMatch);
  EXPECT_EQ(m.numbers[NF::RNO], 120);
  EXPECT_EQ(m.texts[TF::RTITLE], "Re: plans");
  EXPECT_EQ(m.numbers[NF::RIDNO], 1024);
  EXPECT_EQ(m.texts[TF::RHANDLE], "taro");

  // The footer is tried as a binary footer first; that fails on its first literal.
  EXPECT_EQ(m.Line("  12 lines 2048:hanako ", binaryFooter), PatternNoMatch);
  EXPECT_EQ(m.Line("  12 lines 2048:hanako ", footer), PatternMatch);
  EXPECT_EQ(m.numbers[NF::WIDNO], 2048);
  EXPECT_EQ(m.texts[TF::WHANDLE], "hanako ");

  // Body lines match none of the header templates.
  for (const std::string& body : {J("今日は晴れ。"), std::string(""), std::string("- a list item")})
    for (const std::string* pattern : {&header, &subject, &ress, &footer})
      EXPECT_EQ(m.Line(body, *pattern), PatternNoMatch) << body << " / " << *pattern;
}

TEST(MatchPattern, OtherDefaultTemplates) {
  Matcher m;
  EXPECT_EQ(m.Line(" 3.* \\general\t" + J("雑談の部屋"), Compiled(kBoardList)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::BNO], 3);
  EXPECT_EQ(m.texts[TF::BINDEX], "general");
  EXPECT_EQ(m.texts[TF::BTITLE], J("雑談の部屋"));

  EXPECT_EQ(m.Line("----+--------------------", Compiled(kIdListHeader)), PatternMatch);
  EXPECT_EQ(m.Line("2048:hanako", Compiled(kIdList)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::WIDNO], 2048);
  EXPECT_EQ(m.texts[TF::WHANDLE], "hanako");

  EXPECT_EQ(m.Line("-\b0001 123", Compiled(kHeaderSerialRoot)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::WNO], 123);
  EXPECT_EQ(m.Line("-\b0001 124 <0001 120>", Compiled(kHeaderSerialRess)), PatternMatch);
  EXPECT_EQ(m.numbers[NF::WNO], 124);
  EXPECT_EQ(m.numbers[NF::RNO], 120);

  EXPECT_EQ(m.Line("mail  99/07/30 09:05 Hello", Compiled(kSubjectHeaderMail)), PatternMatch);
  EXPECT_EQ(m.texts[TF::BINDEX], "mail");
  EXPECT_EQ(m.numbers[NF::HOUR], 9);
  EXPECT_EQ(m.texts[TF::WTITLE], "Hello");

  EXPECT_EQ(m.Line("  [DATA.LZH] 123KB 12 lines 77:jiro", Compiled(kSubjectFotterBinary)),
            PatternMatch);
  EXPECT_EQ(m.texts[TF::FNAME], "DATA.LZH");
  EXPECT_EQ(m.numbers[NF::FSIZE], 123);
  EXPECT_EQ(m.numbers[NF::WIDNO], 77);
  EXPECT_EQ(m.texts[TF::WHANDLE], "jiro");

  EXPECT_EQ(m.Line(J("読み終わりました"), Compiled(kTerminal1)), PatternMatch);
  EXPECT_EQ(m.Line(J("読み終わり"), Compiled(kTerminal1)), PatternNoMatch);
  EXPECT_EQ(m.Line("(system notice)", Compiled(kInfo)), PatternMatch);
  EXPECT_EQ(m.Line("(unclosed", Compiled(kInfo)), PatternNoMatch);
}

struct Case {
  const char* pattern;
  const char* text;
  uint8_t result;
};

void ExpectResults(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    Matcher m;
    EXPECT_EQ(m.Raw(c.text, c.pattern), c.result)
        << "pattern '" << c.pattern << "' text '" << c.text << "'";
  }
}

TEST(MatchPattern, MalformedPatternsGiveError) {
  ExpectResults({
      {"%Q", "abc", PatternError},
      {"abc", "abc", PatternError},
      {"%", "abc", PatternError},
      {"%%", "abc", PatternError},
      {"%Ca%Q", "ab", PatternError},
      {"%G", "1", PatternError},
      {"%G1", "1", PatternError},
      {"%GA", "abc", PatternError},    // text field without terminator
      {"%GA,%Cx", "x", PatternError},  // empty terminator
      {"%Ga,", "1", PatternError},     // ',' ends the pattern
      {"%GA,", "1", PatternError},
      {"%M", "abc", PatternError},
      {"%Mx", "abc", PatternError},
      {"%M99999999999", "abc", PatternError},
      {"%m", "abc", PatternError},
      {"%A", "abc", PatternError},
      {"%N", "123", PatternError},
      {"%H", "abc", PatternError},
      {"%Ha,1", "abc", PatternError},
      {"%HA1", "abc", PatternError},
      {"%HA,", "abc", PatternError},
      {"%S", "abc", PatternError},
      {"%s", "abc", PatternError},
      {"%g", "abc", PatternError},
      {"%g1", "abc", PatternError},
  });
}

TEST(MatchPattern, PatternEndsAndLiterals) {
  ExpectResults({
      {"", "", PatternMatch},
      {"", "anything", PatternMatch},
      {"%Cab", "abc", PatternMatch},  // text after the pattern is ignored
      {"%Cabc", "abc", PatternMatch},
      {"%Cabc%F", "abc", PatternNoMatch},  // the text ended with a literal that is not last
      {"%Cabc%X", "abc", PatternNoMatch},
      {"%C%F", "", PatternNoMatch},
      {"%C", "", PatternMatch},
      {"%Cabcd", "abc", PatternNoMatch},
      {"%Cabd", "abc", PatternNoMatch},
      {"%CABC", "abc", PatternNoMatch},
      {"%C100%%", "100%", PatternMatch},
      {"%C100%%", "100", PatternNoMatch},
      {"%C100%%%Cx", "100%x", PatternMatch},
      {"%Cab%", "ab%", PatternMatch},  // a last '%' is a literal byte
      {"%Cab%", "abc", PatternNoMatch},
      {"%%Cabc", "abc", PatternMatch},  // a second '%' is the next directive's
      {"%S%%%M1%Cx", "ab%x", PatternMatch},
  });
}

TEST(MatchPattern, MovesSkipsAndCounts) {
  ExpectResults({
      {"%M3", "ab", PatternNoMatch},
      {"%M2", "ab", PatternMatch},
      {"%M0", "", PatternMatch},
      {"%M 2%Cc", "abc", PatternMatch},  // blanks before a count
      {"%M2%m2%Ca", "abc", PatternMatch},
      {"%M1%m3", "abc", PatternNoMatch},
      {"%A2", "ab", PatternMatch},
      {"%A2", "AB", PatternMatch},
      {"%A2", "aB", PatternMatch},
      {"%A2", "a1", PatternNoMatch},
      {"%A2", "a", PatternNoMatch},
      {"%A1", "\x82\xa0", PatternNoMatch},
      {"%A0", "", PatternMatch},
      {"%N3%Cx", "123x", PatternMatch},
      {"%N3", "12a", PatternNoMatch},
      {"%F%Cx", "   x", PatternMatch},
      {"%F", "a", PatternMatch},
      {"%F", "   ", PatternNoMatch},
      {"%F", "", PatternNoMatch},
      {"%Kab%Cc", "abc", PatternMatch},
      {"%Kab%Cc", "ac", PatternMatch},
      {"%Kab%Cc", "bc", PatternMatch},
      {"%Kab%Cc", "c", PatternMatch},
      {"%Kabc", "ab", PatternMatch},  // text ends inside the literal: the rest is absent
      {"%Kabc%Cx", "ab", PatternNoMatch},
      {"%Kxyz%M0", "", PatternMatch},
  });
}

TEST(MatchPattern, Searches) {
  ExpectResults({
      {"%Sc%Cc", "abc", PatternMatch},
      {"%Sx", "abc", PatternNoMatch},
      {"%S%F", "abc", PatternNoMatch},  // empty literal
      {"%M2%Sa", "abab", PatternMatch},
      {"%M3%Sa", "abab", PatternNoMatch},
      {"%s%Ca", "abc", PatternMatch},  // empty literal: P stays
      {"%M3%sab%Cabab", "abab", PatternMatch},
      {"%M1%sab", "abab", PatternNoMatch},  // P - length is 0
      {"%M2%sab%Cab", "abab", PatternMatch},
      {"%M3%sb%Cbab", "abab", PatternMatch},  // the rightmost occurrence before P
      {"%Dc", "abc", PatternMatch},           // the last byte is not examined
      {"%Dbc", "abc", PatternMatch},
      {"%Db", "abc", PatternNoMatch},
      {"%M2%Db", "abcb", PatternMatch},
      {"%D", "abc", PatternMatch},
      {"%Dx", "", PatternMatch},
  });
}

TEST(MatchPattern, FieldCaptures) {
  Matcher m;
  EXPECT_EQ(m.Raw("abc:def", "%GA,:%M1%GB,f"), PatternMatch);
  EXPECT_EQ(m.texts[0], "abc");
  EXPECT_EQ(m.texts[1], "de");
  EXPECT_EQ(m.texts[2], "<unset>");

  EXPECT_EQ(m.Raw("  42x", "%Ga%Cx"), PatternMatch);
  EXPECT_EQ(m.numbers[0], 42);
  EXPECT_EQ(m.Raw("42xyz", "%Gz,xyz%Cx"), PatternMatch);  // a number terminator is ignored
  EXPECT_EQ(m.numbers[25], 42);
  EXPECT_EQ(m.Raw("2147483647", "%Gb"), PatternMatch);
  EXPECT_EQ(m.numbers[1], 2147483647);
  EXPECT_EQ(m.Raw("2147483648", "%Gc"), PatternNoMatch);
  EXPECT_EQ(m.Raw("-5", "%Gc"), PatternNoMatch);
  EXPECT_EQ(m.Raw("   ", "%Gc"), PatternNoMatch);
  EXPECT_EQ(m.numbers[2], -1);
  EXPECT_EQ(m.Raw("abc", "%GA,x"), PatternNoMatch);

  // A capture made before a failing directive stays.
  EXPECT_EQ(m.Raw("ab:c", "%GY,:%Cx"), PatternNoMatch);
  EXPECT_EQ(m.texts[24], "ab");

  EXPECT_EQ(m.Raw("abc", "%HQ,5"), PatternMatch);  // takes what remains
  EXPECT_EQ(m.texts['Q' - 'A'], "abc");
  EXPECT_EQ(m.Raw("abcdef", "%M1%HQ,2%Cd"), PatternMatch);
  EXPECT_EQ(m.texts['Q' - 'A'], "bc");
  EXPECT_EQ(m.Raw("abc", "%M3%HQ,2"), PatternMatch);
  EXPECT_EQ(m.texts['Q' - 'A'], "");
}

TEST(MatchPattern, MarksAndRangeCaptures) {
  Matcher m;
  EXPECT_EQ(m.Raw("abcd", "%X%M2%Y%x%Cab%y%Ccd"), PatternMatch);
  EXPECT_EQ(m.Raw("abcd", "%M1%Z%M1%gA%Cd"), PatternMatch);  // Z through P, then one on
  EXPECT_EQ(m.texts[0], "bc");
  EXPECT_EQ(m.Raw("abcd", "%M2%Z%m1%gA%Cc"), PatternMatch);  // P before Z captures nothing
  EXPECT_EQ(m.texts[0], "");
  EXPECT_EQ(m.Raw("12x", "%Z%M1%ga%Cx"), PatternMatch);
  EXPECT_EQ(m.numbers[0], 12);
  EXPECT_EQ(m.Raw("1x", "%Z%M1%gb"), PatternMatch);
  EXPECT_EQ(m.numbers[1], NoNumber);
  // Positions past the end add nothing, and later searches stay inside the text.
  EXPECT_EQ(m.Raw("abc", "%Z%M3%gA%gB%sc%Cc"), PatternMatch);
  EXPECT_EQ(m.texts[0], "abc");
  EXPECT_EQ(m.texts[1], "abc");
}

TEST(MatchPattern, PositionBeforeTheText) {
  // %m may step back onto the position before the first byte; it holds no byte.
  ExpectResults({
      {"%m1", "ab", PatternMatch},
      {"%m2", "ab", PatternNoMatch},
      {"%m1%Ca", "ab", PatternNoMatch},
      {"%m1%M1%Cab", "ab", PatternMatch},
      {"%m1%F", "ab", PatternNoMatch},
      {"%m1%A1", "ab", PatternNoMatch},
      {"%m1%Ga", "12", PatternNoMatch},
      {"%M1%m2", "ab", PatternMatch},
      {"%m1%Kab%M2%Cb", "ab", PatternMatch},
      {"%m1%Sb%Cb", "ab", PatternMatch},
      {"%m1%sa", "ab", PatternNoMatch},
      {"%m1%Db", "abc", PatternNoMatch},
  });
  Matcher m;
  EXPECT_EQ(m.Raw("ab", "%m1%GA,b"), PatternMatch);
  EXPECT_EQ(m.texts[0], "a");
  EXPECT_EQ(m.Raw("ab", "%m1%Z%M1%gB"), PatternMatch);
  EXPECT_EQ(m.texts[1], "a");
  EXPECT_EQ(m.Raw("ab", "%m1%HC,2"), PatternMatch);
  EXPECT_EQ(m.texts[2], "a");
}

TEST(MatchPattern, DoubleByteLiterals) {
  // Searched literals pair bytes from their start: a '%' after a lead byte is its second byte
  // and does not end the literal. %C reads bytes singly.
  ExpectResults({
      {"%S\x81%%M2%Cx", "a\x81%x", PatternMatch},
      {"%C\x81%Cx", "\x81x", PatternMatch},
      {"%C\x81%Cx", "\x81%x", PatternNoMatch},
  });
  // Searches compare bytes: a hit may start on a second byte. 'ャ' is 0x83 0x83.
  Matcher m;
  ASSERT_EQ(J("ャ"), "\x83\x83");
  EXPECT_EQ(m.Raw(J("ャ") + "x", "%S\x83x%M1%Cx"), PatternMatch);
  // Counts are bytes.
  EXPECT_EQ(m.Raw(J("表示x"), "%M4%Cx"), PatternMatch);
  EXPECT_EQ(m.Raw(J("表示"), "%HA,3"), PatternMatch);
  EXPECT_EQ(m.texts[0], J("表示").substr(0, 3));
}

TEST(MatchPattern, RandomPatternsStayInsideTheirInput) {
  // Short random patterns and texts drawn from the bytes the language cares about; run under
  // the sanitizers this catches any read outside the text or pattern.
  std::mt19937 random(12345);
  const std::string alphabet = "%%%%CKSsDFMmANGHXYZxyzg,,  0123aAbB\r\x81\x5c";
  std::string pattern;
  std::string text;
  Matcher m;
  for (int round = 0; round < 50000; ++round) {
    pattern.clear();
    text.clear();
    int plen = static_cast<int>(random() % 12);
    int tlen = static_cast<int>(random() % 8);
    for (int i = 0; i < plen; ++i)
      pattern += alphabet[random() % alphabet.size()];
    for (int i = 0; i < tlen; ++i)
      text += alphabet[random() % alphabet.size()];
    uint8_t result = MatchPattern(text, pattern, m.texts, m.numbers);
    ASSERT_LE(result, PatternNoMatch);
    for (const std::string& slot : m.texts)
      ASSERT_LE(slot.size(), std::max<size_t>(text.size(), 7));
  }
}

}  // namespace
}  // namespace vorn
