#include "settings/NetVornIniFile.h"

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
  std::vector<std::string> keys = {"BoardTitle",       "BoardList",     "IDListHeader",
                                   "IDList",           "Header",        "HeaderSerialRoot",
                                   "HeaderSerialRess", "SubjectHeader", "SubjectHeaderMail",
                                   "SubjectRess",      "SubjectFotter", "SubjectFotterBinary"};
  for (int k = 1; k <= 16; ++k)
    keys.push_back("Terminal" + std::to_string(k));
  keys.insert(keys.end(), {"Command", "Command2", "Command3", "Command4", "CommandRead", "Info",
                           "GenerateBoardTitle"});
  return keys;
}

std::string Entry(int n, const std::string& prefix, const std::string& more = "") {
  return "[Common]\r\nNetCount=" + std::to_string(n + 1) + "\r\n[Net" + std::to_string(n) +
         "]\r\nPrefix=\"" + prefix + "\"\r\n" + more;
}

TEST(NetVornIniFile, CreatesTheDefaultsFileComplete) {
  TempDir dir;
  const std::string defaults = dir.File("vorndef.ini");
  TNetVornIniFile ini(dir.File("netvorn.ini"), defaults);
  TIniFilePlus written(defaults);
  EXPECT_EQ(written.ReadSection("NetDefault"), ExpectedKeys());
  const std::string file = ReadBytes(defaults);
  // The half-width brackets are single bytes; escapes are kept as typed.
  EXPECT_NE(file.find("[NetDefault]\r\nBoardTitle=\"%CNo.%GBNO%S\xA2%M1%GBTITLE,\xA3\\n\"\r\n"
                      "BoardList=\"%M1%GBNO%C.%M1%C \\\\%GBINDEX,\\t%M1%GBTITLE,\\n\"\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("GenerateBoardTitle=\"No.$q \xA2$W\xA3\\n\"\r\n"), std::string::npos);
  EXPECT_NE(file.find("Terminal16=\"\"\r\nCommand=\"Command (?:\"\r\n"), std::string::npos);
  for (int i = 0; i < ini.ItemCount(); ++i) {
    EXPECT_EQ(ini.ItemDefault(i), TNetVornIniFile::ItemSpecs()[size_t(i)].builtinDefault) << i;
    EXPECT_EQ(ini.ItemValue(i), ini.ItemDefault(i)) << i;
  }
  EXPECT_EQ(ini.ItemDefault(12), J("%C読み終わりました"));
  EXPECT_EQ(ini.ItemDefault(16), J("%C次のメールを確認しますか"));
  EXPECT_EQ(ini.ItemDefault(32), "RV");
}

TEST(NetVornIniFile, EditedDefaultsReachEveryEntryThatDoesNotOverride) {
  TempDir dir;
  const std::string defaults = dir.File("vorndef.ini");
  const std::string settings = dir.File("netvorn.ini");
  WriteBytes(defaults, "[NetDefault]\r\nTerminal1=\"%CBye \"\r\nCommandRead=\"\"\r\n");
  WriteBytes(settings,
             "[Common]\r\nNetCount=2\r\nNoDispHeaderLine=0\r\n"
             "[NetDefault]\r\nTerminal1=\"old place\"\r\n"
             "[Net0]\r\nPrefix=\"A\"\r\n"
             "[Net1]\r\nPrefix=\"B\"\r\nTerminal1=\"%COwn\"\r\nInfo=\"%C[%S]\"\r\n");
  TNetVornIniFile ini(settings, defaults);
  EXPECT_FALSE(ini.SectionExists("NetDefault"));
  EXPECT_EQ(ini.NoDispHeaderLine, 0);
  EXPECT_EQ(ini.NoDispFotterLine, 1);
  // Completed in order, keeping what was there.
  EXPECT_EQ(TIniFilePlus(defaults).ReadSection("NetDefault"), ExpectedKeys());
  EXPECT_EQ(TIniFilePlus(defaults).ReadString("NetDefault", "Terminal1", ""), "%CBye ");

  ASSERT_TRUE(ini.SelectNet(0));
  EXPECT_FALSE(ini.SerialHeader || ini.KTC || ini.MPN || ini.HeaderDisp || ini.Mente);
  EXPECT_EQ(ini.ItemValue(NetVornItemTerminal1), "%CBye ");
  EXPECT_EQ(ini.LogEndLine, "%CBye ");
  EXPECT_EQ(ini.CommandReadText(), "");
  EXPECT_EQ(ini.ItemValue(NetVornItemInfo), "%C(%S)");
  ASSERT_TRUE(ini.SelectNet(1));
  EXPECT_EQ(ini.TerminalPattern(1), "%COwn");
  EXPECT_EQ(ini.InfoPattern(), "%C[%S]");
  EXPECT_EQ(ini.ItemValue(NetVornItemBoardList), ini.ItemDefault(NetVornItemBoardList));
}

TEST(NetVornIniFile, SelectNetReadsSwitchesAndBuildsAnalyserForms) {
  TempDir dir;
  const std::string settings = dir.File("netvorn.ini");
  WriteBytes(settings, Entry(0, "NET",
                             "SerialHeader=1\r\nMPN=1\r\nHeaderDisp=1\r\nMente=1\r\n"
                             "Command3=\"Cmd3\"\r\nTerminal16=\"%Cend\\n\"\r\n"));
  TNetVornIniFile ini(settings, dir.File("vorndef.ini"));
  EXPECT_FALSE(ini.SelectNet(4));
  ASSERT_TRUE(ini.SelectNet(0));
  EXPECT_TRUE(ini.SerialHeader);
  EXPECT_FALSE(ini.KTC);
  EXPECT_TRUE(ini.MPN);
  EXPECT_TRUE(ini.HeaderDisp);
  EXPECT_TRUE(ini.Mente);
  EXPECT_EQ(ini.LogEndLine, J("%C読み終わりました"));
  // Log patterns get their escapes expanded (\n is CR, \t TAB, \h backspace) ...
  EXPECT_EQ(ini.HeaderPattern(), "%C-\t");
  EXPECT_EQ(ini.HeaderSerialRootPattern(), "%C-\b%M4%Gc");
  EXPECT_EQ(ini.TerminalPattern(16), "%Cend\r");
  EXPECT_EQ(ini.IDListHeaderPattern(), "%C----+--------------------\r");
  // ... while commands and the board title format stay as typed.
  EXPECT_EQ(ini.CommandText(1), "Command (?:");
  EXPECT_EQ(ini.CommandText(3), "Cmd3");
  EXPECT_EQ(ini.CommandText(5), "");
  EXPECT_EQ(ini.TerminalPattern(0), "");
  EXPECT_EQ(ini.GenerateBoardTitleText(), "No.$q \xA2$W\xA3\\n");
  EXPECT_EQ(ini.ItemPattern(NetVornItemGenerateBoardTitle), ini.GenerateBoardTitleText());
}

TEST(NetVornIniFile, DefaultFormsMatchTheWorkedExamples) {
  TempDir dir;
  TNetVornIniFile ini(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
  PatternTexts texts;
  PatternNumbers numbers{};

  const std::string boardTitle = "No.12 \xA2" + J("雑談") + "\xA3\r";
  EXPECT_EQ(MatchPattern(boardTitle, ini.BoardTitlePattern(), texts, numbers), PatternMatch);
  EXPECT_EQ(numbers[NumberField::BNO], 12);
  EXPECT_EQ(texts[TextField::BTITLE], J("雑談"));

  texts = {};
  const std::string reply = J(" <35:Re: 予定/1024:たろう>") + "\r";
  EXPECT_EQ(MatchPattern(reply, ini.SubjectRessPattern(), texts, numbers), PatternMatch);
  EXPECT_EQ(numbers[NumberField::RNO], 35);
  EXPECT_EQ(texts[TextField::RTITLE], J("Re: 予定"));
  EXPECT_EQ(numbers[NumberField::RIDNO], 1024);
  EXPECT_EQ(texts[TextField::RHANDLE], J("たろう"));

  EXPECT_EQ(MatchPattern(boardTitle, ini.SubjectRessPattern(), texts, numbers), PatternNoMatch);
}

TEST(NetVornIniFile, SaveNetWritesOnlyWhatDiffersFromTheDefaults) {
  TempDir dir;
  const std::string settings = dir.File("netvorn.ini");
  WriteBytes(settings, Entry(0, "NET", "Terminal2=\"%Cold\"\r\nKTC=1\r\n"));
  TNetVornIniFile ini(settings, dir.File("vorndef.ini"));
  ASSERT_TRUE(ini.SelectNet(0));
  ASSERT_TRUE(
      ini.SetItemValue(NetVornItemTerminal1 + 1, ini.ItemDefault(NetVornItemTerminal1 + 1)));
  ASSERT_TRUE(ini.SaveNet());
  EXPECT_EQ(ini.ReadSection("Net0"), (std::vector<std::string>{"Prefix",
                                                               "Name",
                                                               "LogPath",
                                                               "LogMask",
                                                               "BoardListFile",
                                                               "MemberListFile",
                                                               "FotterFile",
                                                               "UpFile",
                                                               "UpFileAddDate",
                                                               "UpFileAddDateStr",
                                                               "UpFileCommandExtract",
                                                               "PadFile",
                                                               "PadFileAddDate",
                                                               "PadFileAddDateStr",
                                                               "PadFileBatchCommand",
                                                               "ReadPtrFile",
                                                               "SerialHeader",
                                                               "KTC",
                                                               "MPN",
                                                               "HeaderDisp",
                                                               "Mente"}));
  EXPECT_TRUE(ini.ReadBool("Net0", "KTC", false));

  const std::string title = J(" %Cボード｢%GBTITLE,｣\\n ");
  ASSERT_TRUE(ini.SetItemValue(NetVornItemBoardTitle, title));
  EXPECT_FALSE(ini.SetItemValue(NetVornItemCount, "x"));
  EXPECT_FALSE(ini.SetItemValue(-1, "x"));
  ASSERT_TRUE(ini.SaveNet());
  TNetVornIniFile again(settings, dir.File("vorndef.ini"));
  ASSERT_TRUE(again.SelectNet(0));
  EXPECT_EQ(again.ItemValue(NetVornItemBoardTitle), title);
  EXPECT_EQ(again.ReadSection("Net0").back(), "BoardTitle");
}

TEST(NetVornIniFile, CaptionsAndRanges) {
  TempDir dir;
  TNetVornIniFile ini(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
  EXPECT_EQ(ini.ItemCount(), 35);
  EXPECT_EQ(ini.ItemName(0), J("ボードタイトル"));
  EXPECT_EQ(ini.ItemName(5), J("シリアルヘッダ（ルート）"));
  EXPECT_EQ(ini.ItemName(12), J("区切り文字#1"));
  EXPECT_EQ(ini.ItemName(27), J("区切り文字#16"));
  EXPECT_EQ(ini.ItemName(28), J("コマンド文字列#1"));
  EXPECT_EQ(ini.ItemName(31), J("コマンド文字列#4"));
  EXPECT_EQ(ini.ItemName(34), J("ボードタイトル生成"));
  EXPECT_EQ(ini.ItemName(35), "");
  EXPECT_EQ(ini.ItemDefault(-1), "");
  EXPECT_EQ(ini.ItemValue(35), "");
  EXPECT_EQ(ini.ItemPattern(35), "");
}

TEST(NetVornIniFile, ExportAndImportCarryEveryItem) {
  TempDir dir;
  const std::string exported = dir.File("export.ini");
  {
    TNetVornIniFile out(exported, dir.File("vorndef.ini"));
    for (int i = 0; i < out.ItemCount(); ++i)
      out.SetItemValue(i, J(" 値") + std::to_string(i) + "\"q\" ");
    out.Mente = true;
    out.MPN = true;
    out.BBSName = J("草の根 BBS");
    ASSERT_TRUE(out.ExportNetData());
  }
  TNetVornIniFile in(exported, dir.File("vorndef.ini"));
  ASSERT_TRUE(in.ImportNetData());
  for (int i = 0; i < in.ItemCount(); ++i)
    EXPECT_EQ(in.ItemValue(i), J(" 値") + std::to_string(i) + "\"q\" ") << i;
  EXPECT_TRUE(in.Mente);
  EXPECT_TRUE(in.MPN);
  EXPECT_FALSE(in.KTC);
  EXPECT_EQ(in.BBSName, J("草の根 BBS"));

  // A file that is no export leaves everything as it was.
  WriteBytes(dir.File("other.ini"), "[Common]\r\nNetCount=0\r\n");
  TNetVornIniFile other(dir.File("other.ini"), dir.File("vorndef.ini"));
  other.SetItemValue(NetVornItemCommandRead, "keep");
  EXPECT_FALSE(other.ImportNetData());
  EXPECT_EQ(other.ItemValue(NetVornItemCommandRead), "keep");

  // Missing keys of an export file give the defaults and the stock name.
  WriteBytes(dir.File("thin.ini"), "[NetData]\r\nKTC=1\r\nCommandRead=\"RR\"\r\n");
  TNetVornIniFile thin(dir.File("thin.ini"), dir.File("vorndef.ini"));
  ASSERT_TRUE(thin.ImportNetData());
  EXPECT_TRUE(thin.KTC);
  EXPECT_EQ(thin.BBSName, "BBS Name");
  EXPECT_EQ(thin.ItemValue(NetVornItemCommandRead), "RR");
  EXPECT_EQ(thin.ItemValue(NetVornItemCommand), "Command (?:");
}

}  // namespace
}  // namespace vorn
