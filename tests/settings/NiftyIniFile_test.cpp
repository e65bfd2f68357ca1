#include "settings/NiftyIniFile.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "text/FieldNames.h"
#include "text/LogPattern.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::string> ExpectedKeys() {
  std::vector<std::string> keys = {"BoardTitle", "SubjectHeader", "SubjectHeaderRoot",
                                   "SubjectHeaderRess"};
  for (int n = 1; n <= 8; ++n)
    keys.push_back("Terminal" + std::to_string(n));
  for (int n = 1; n <= 8; ++n)
    keys.push_back("MailModeHeader" + std::to_string(n));
  keys.push_back("MailHeader1");
  keys.push_back("MailHeader2");
  for (int n = 1; n <= 8; ++n)
    keys.push_back("MailFotter" + std::to_string(n));
  for (int n = 1; n <= 8; ++n) {
    keys.push_back("Info" + std::to_string(n));
    keys.push_back("InfoLine" + std::to_string(n));
  }
  keys.push_back("GenerateBoardTitle");
  return keys;
}

TEST(NiftyIniFile, FillsAnEmptyDefaultsFileInOrder) {
  TempDir dir;
  const std::string defaults = dir.File("nifdef.ini");
  WriteBytes(defaults, "");
  TNiftyIniFile ini(dir.File("nifty.ini"), defaults);
  EXPECT_EQ(TIniFilePlus(defaults).ReadSection("NetDefault"), ExpectedKeys());
  const std::string file = ReadBytes(defaults);
  EXPECT_NE(file.find("[NetDefault]\r\nBoardTitle=\"" +
                      J("%K＞%C- %GBINDEX, %F%CMES(%GBNO%C):%GBTITLE, -") + "\\n\"\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("MailModeHeader1=\"" + J("%K＞%C番号  送信者          日付     題名") +
                      "\"\r\nMailModeHeader2=\"" + J("%K＞%CMAIL>REA") + "\"\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("Info1=\"" + J("%C－－メールが%S通%C通届いています（未読分") +
                      "\"\r\nInfoLine1=\"-1,2\"\r\nInfo2=\"" +
                      J("%C〔定期メンテナンスのお知らせ〕") + "\\n\"\r\nInfoLine2=\"0,3\"\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("InfoLine8=\"\"\r\nGenerateBoardTitle=\"- $W:$r-\"\r\n"), std::string::npos);
  EXPECT_EQ(ini.ItemDefault(NiftyItemTerminal1), "%C \\h\\n");
  EXPECT_EQ(ini.ItemDefault(NiftyItemMailHeader2), J("%C    題名：%GWTITLE,\\n"));
}

TEST(NiftyIniFile, ASetOverridesOnlyWhatItHolds) {
  TempDir dir;
  const std::string settings = dir.File("nifty.ini");
  WriteBytes(settings,
             "[Common]\r\nNetCount=1\r\n[NetDefault]\r\nTerminal3=\"x\"\r\n[Net1]\r\n"
             "Prefix=\"NIF\"\r\nTerminal3=\"%COwn\\h\"\r\nMemberAutoAdd=1\r\nMente=1\r\n");
  TNiftyIniFile ini(settings, dir.File("nifdef.ini"));
  EXPECT_FALSE(ini.SectionExists("NetDefault"));
  EXPECT_FALSE(ini.SelectNet(0));
  ASSERT_TRUE(ini.SelectNet(1));
  EXPECT_EQ(ini.ItemValue(NiftyItemTerminal1 + 2), "%COwn\\h");
  EXPECT_EQ(ini.TerminalPattern(3), "%COwn\b");
  for (int i = 0; i < ini.ItemCount(); ++i) {
    if (i != NiftyItemTerminal1 + 2) {
      EXPECT_EQ(ini.ItemValue(i), ini.ItemDefault(i)) << i;
    }
  }
  EXPECT_TRUE(ini.MemberAutoAdd);
  // This family has no maintenance or serial headers, whatever the file says.
  EXPECT_FALSE(ini.Mente);
  EXPECT_FALSE(ini.SerialHeader);
  EXPECT_EQ(ini.LogEndLine, "%C \b\r");
}

TEST(NiftyIniFile, AnalyserFormsAndAccessors) {
  TempDir dir;
  const std::string settings = dir.File("nifty.ini");
  WriteBytes(settings, "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NIF\"\r\n");
  TNiftyIniFile ini(settings, dir.File("nifdef.ini"));
  ASSERT_TRUE(ini.SelectNet(0));
  EXPECT_EQ(ini.ItemPattern(31), "-1,2");
  EXPECT_EQ(ini.ItemPattern(4), "%C \b\r");
  EXPECT_EQ(ini.InfoLineText(2), "0,3");
  EXPECT_EQ(ini.InfoLineText(3), "");
  EXPECT_EQ(ini.InfoLineText(9), "");
  EXPECT_EQ(ini.InfoPattern(2), J("%C〔定期メンテナンスのお知らせ〕") + "\r");
  EXPECT_EQ(ini.MailModeHeaderPattern(2), J("%K＞%CMAIL>REA"));
  EXPECT_EQ(ini.MailFotterPattern(1), J("%K＞%C受信後 (1:"));
  EXPECT_EQ(ini.MailFotterPattern(0), "");
  EXPECT_EQ(ini.GenerateBoardTitleText(), "- $W:$r-");
  // Field names become slot letters: BINDEX A, BNO a, BTITLE B.
  EXPECT_EQ(ini.BoardTitlePattern(), J("%K＞%C- %GA, %F%CMES(%Ga%C):%GB, -") + "\r");
  EXPECT_EQ(ini.MailHeader2Pattern(), J("%C    題名：%GE,") + "\r");

  // A changed value waits for the next SelectNet before the analyser sees it.
  const std::string before = ini.ItemPattern(1);
  ASSERT_TRUE(ini.SetItemValue(1, "%Cnew"));
  EXPECT_EQ(ini.ItemValue(1), "%Cnew");
  EXPECT_EQ(ini.ItemPattern(1), before);
  EXPECT_FALSE(ini.SetItemValue(47, "x"));
}

TEST(NiftyIniFile, MatchesAHeaderLineWithTheDefaults) {
  TempDir dir;
  TNiftyIniFile ini(dir.File("nifty.ini"), dir.File("nifdef.ini"));
  PatternTexts texts;
  PatternNumbers numbers{};
  const std::string line = J("＞- FORUM01 MES(5):雑談の部屋 -") + "\r";
  ASSERT_EQ(MatchPattern(line, ini.BoardTitlePattern(), texts, numbers), PatternMatch);
  EXPECT_EQ(texts[TextField::BINDEX], "FORUM01");
  EXPECT_EQ(numbers[NumberField::BNO], 5);
  EXPECT_EQ(texts[TextField::BTITLE], J("雑談の部屋"));
}

TEST(NiftyIniFile, SavingDefaultsWritesOnlyMenteAndMemberAutoAdd) {
  TempDir dir;
  const std::string settings = dir.File("nifty.ini");
  WriteBytes(settings, "[Common]\r\nNetCount=0\r\n[Net0]\r\nPrefix=\"NIF\"\r\nInfo3=\"%Cx\"\r\n");
  TNiftyIniFile ini(settings, dir.File("nifdef.ini"));
  ASSERT_TRUE(ini.SelectNet(0));
  EXPECT_FALSE(ini.MemberAutoAdd);
  EXPECT_EQ(ini.InfoPattern(3), "%Cx");
  ASSERT_TRUE(ini.SetItemValue(34, ""));
  ASSERT_TRUE(ini.SaveNet());
  std::vector<std::string> keys = ini.ReadSection("Net0");
  ASSERT_EQ(keys.size(), 18u);
  EXPECT_EQ(keys[15], "ReadPtrFile");
  EXPECT_EQ(keys[16], "Mente");
  EXPECT_EQ(keys[17], "MemberAutoAdd");

  ini.MemberAutoAdd = true;
  ASSERT_TRUE(ini.SetItemValue(NiftyItemInfoLine1 + 2, "1,1"));
  ASSERT_TRUE(ini.SaveNet());
  TNiftyIniFile again(settings, dir.File("nifdef.ini"));
  ASSERT_TRUE(again.SelectNet(0));
  EXPECT_TRUE(again.MemberAutoAdd);
  EXPECT_EQ(again.InfoLineText(2), "1,1");
}

TEST(NiftyIniFile, Captions) {
  TempDir dir;
  TNiftyIniFile ini(dir.File("nifty.ini"), dir.File("nifdef.ini"));
  EXPECT_EQ(ini.ItemCount(), 47);
  EXPECT_EQ(ini.ItemName(1), J("記事ヘッダ １行目"));
  EXPECT_EQ(ini.ItemName(11), J("区切り文字#8"));
  EXPECT_EQ(ini.ItemName(12), J("メールモード移行ヘッダ#1"));
  EXPECT_EQ(ini.ItemName(29), J("メールフッタ#8"));
  EXPECT_EQ(ini.ItemName(30), J("インフォメーション#1"));
  EXPECT_EQ(ini.ItemName(31), J("インフォメーションライン#1"));
  EXPECT_EQ(ini.ItemName(44), J("インフォメーション#8"));
  EXPECT_EQ(ini.ItemName(46), J("ボードタイトル生成"));
  EXPECT_EQ(ini.ItemName(47), "");
}

TEST(NiftyIniFile, ExportAndImport) {
  TempDir dir;
  const std::string exported = dir.File("nif-export.ini");
  {
    TNiftyIniFile out(exported, dir.File("nifdef.ini"));
    for (int i = 0; i < out.ItemCount(); ++i)
      out.SetItemValue(i, "v" + std::to_string(i));
    out.Mente = true;
    out.BBSName = "Nifty-Serve";
    ASSERT_TRUE(out.ExportNetData());
  }
  EXPECT_EQ(TIniFilePlus(exported).ReadSection("NetData").size(), 49u);
  TNiftyIniFile in(exported, dir.File("nifdef.ini"));
  ASSERT_TRUE(in.ImportNetData());
  EXPECT_TRUE(in.Mente);
  EXPECT_EQ(in.BBSName, "Nifty-Serve");
  for (int i = 0; i < in.ItemCount(); ++i)
    EXPECT_EQ(in.ItemValue(i), "v" + std::to_string(i));
  TNiftyIniFile none(dir.File("none.ini"), dir.File("nifdef.ini"));
  EXPECT_FALSE(none.ImportNetData());
}

}  // namespace
}  // namespace vorn
