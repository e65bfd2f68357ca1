#include "settings/IniFilePlus.h"

#include <gtest/gtest.h>

#include "platform/FileQuery.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(IniFilePlus, StringsKeepBlanksQuotesAndCp932Bytes) {
  TempDir dir;
  const std::string f = dir.File("s.ini");
  const std::vector<std::string> texts = {
      "  a ",                       // two blanks, a, one blank
      "say \"hi\" \"",              // quotes inside and at the end
      "\"quoted\"",                 // a text that is itself in quotes
      "",                           //
      J(" 表示ソフト\\予定 "),      // trail bytes 0x5C next to a real backslash
      "%C <%GRNO%C:%Z%S>\\n%s:%s",  // escapes stay as typed
  };
  {
    TIniFilePlus ini(f);
    for (size_t i = 0; i < texts.size(); ++i)
      ASSERT_TRUE(ini.WriteQuotedString("S", "K" + std::to_string(i), texts[i]));
  }
  EXPECT_NE(ReadBytes(f).find("K0=\"  a \"\r\n"), std::string::npos);
  TIniFilePlus again(f);
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(again.ReadString("S", "K" + std::to_string(i), "?"), texts[i]) << i;
  EXPECT_EQ(again.ReadString("S", "Missing", "dflt"), "dflt");
}

TEST(IniFilePlus, LineBreaksCannotSplitTheFile) {
  TempDir dir;
  TIniFilePlus ini(dir.File("b.ini"));
  ASSERT_TRUE(ini.WriteQuotedString("S", "A", "one\r\n[Evil]\r\nX=1"));
  ASSERT_TRUE(ini.WriteQuotedString("S", "B", "two"));
  EXPECT_EQ(ini.ReadString("S", "A", ""), "one[Evil]X=1");
  EXPECT_EQ(ini.ReadString("S", "B", ""), "two");
  EXPECT_FALSE(ini.SectionExists("Evil"));
}

TEST(IniFilePlus, IntegersAndBooleans) {
  TempDir dir;
  const std::string f = dir.File("i.ini");
  WriteBytes(f,
             "[S]\r\nHex=$1F\r\nHex0x=0x10\r\nNeg= -42 \r\nWord=abc\r\nHuge=99999999999\r\n"
             "Two=2\r\nZero=0\r\nEmpty=\r\nMin=-2147483648\r\n");
  TIniFilePlus ini(f);
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "Hex0x", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -42);
  EXPECT_EQ(ini.ReadInteger("S", "Word", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Huge", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Min", 7), INT32_MIN);
  EXPECT_TRUE(ini.ReadBool("S", "Two", false));
  EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));

  ASSERT_TRUE(ini.WriteInteger("T", "N", -123456));
  ASSERT_TRUE(ini.WriteBool("T", "B", true));
  ASSERT_TRUE(ini.WriteBool("T", "C", false));
  EXPECT_NE(ReadBytes(f).find("[T]\r\nN=-123456\r\nB=1\r\nC=0\r\n"), std::string::npos);
  EXPECT_EQ(TIniFilePlus(f).ReadInteger("T", "N", 0), -123456);
}

TEST(IniFilePlus, FloatsGiveTheDefaultUnlessAboveZero) {
  TempDir dir;
  const std::string f = dir.File("f.ini");
  WriteBytes(f, "[S]\r\nZero=0\r\nNeg=-1.5\r\nWord=abc\r\nEmpty=\"\"\r\nPlain=2.25\r\n");
  TIniFilePlus ini(f);
  EXPECT_EQ(ini.ReadFloatValue("S", "Zero", 1.5), 1.5);
  EXPECT_EQ(ini.ReadFloatValue("S", "Neg", 1.5), 1.5);
  EXPECT_EQ(ini.ReadFloatValue("S", "Word", 1.5), 1.5);
  EXPECT_EQ(ini.ReadFloatValue("S", "Empty", 1.5), 1.5);
  EXPECT_EQ(ini.ReadFloatValue("S", "Missing", 1.5), 1.5);
  EXPECT_EQ(ini.ReadFloatValue("S", "Plain", 1.5), 2.25);

  ASSERT_TRUE(ini.WriteFloatValue("T", "V", 1.2));
  ASSERT_TRUE(ini.WriteFloatValue("T", "W", 0.125));
  EXPECT_NE(ReadBytes(f).find("V=\"1.200000\"\r\nW=\"0.125000\""), std::string::npos);
  TIniFilePlus again(f);
  EXPECT_DOUBLE_EQ(again.ReadFloatValue("T", "V", 9), 1.2);
  EXPECT_DOUBLE_EQ(again.ReadFloatValue("T", "W", 9), 0.125);
}

TEST(IniFilePlus, ColoursByNameAndByValue) {
  EXPECT_EQ(ColorToText(clWindow), "clWindow");
  EXPECT_EQ(ColorToText(clInfoBk), "clInfoBk");
  EXPECT_EQ(ColorToText(clFuchsia), "clFuchsia");
  EXPECT_EQ(ColorToText(0x123456), "$00123456");
  EXPECT_EQ(ColorToText(SystemColor(30)), "$8000001E");
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_EQ(SystemColorIndex(clBtnFace), 15);
  EXPECT_FALSE(IsSystemColor(clWhite));

  TempDir dir;
  const std::string f = dir.File("c.ini");
  WriteBytes(f,
             "[S]\r\nUpper=CLBLUE\r\nSys=\"$80000005\"\r\nDec=255\r\nNeg=-2147483643\r\n"
             "Junk=\"light purple\"\r\nEmpty=\r\nTooLong=$123456789\r\n");
  TIniFilePlus ini(f);
  EXPECT_EQ(ini.ReadColorValue("S", "Upper", clBlack), clBlue);
  EXPECT_EQ(ini.ReadColorValue("S", "Sys", clBlack), clWindow);
  EXPECT_EQ(ini.ReadColorValue("S", "Dec", clBlack), clRed);
  EXPECT_EQ(ini.ReadColorValue("S", "Neg", clBlack), clWindow);
  // A hand-edited value that is no colour gives the default instead of failing.
  EXPECT_EQ(ini.ReadColorValue("S", "Junk", clGray), clGray);
  EXPECT_EQ(ini.ReadColorValue("S", "Empty", clGray), clGray);
  EXPECT_EQ(ini.ReadColorValue("S", "TooLong", clGray), clGray);
  EXPECT_EQ(ini.ReadColorValue("S", "Missing", clAqua), clAqua);

  ASSERT_TRUE(ini.WriteColorValue("T", "Named", clBtnFace));
  ASSERT_TRUE(ini.WriteColorValue("T", "Value", 0x00ABCDEF));
  EXPECT_NE(ReadBytes(f).find("Named=\"clBtnFace\"\r\nValue=\"$00ABCDEF\""), std::string::npos);
  TIniFilePlus again(f);
  EXPECT_EQ(again.ReadColorValue("T", "Named", 0), clBtnFace);
  EXPECT_EQ(again.ReadColorValue("T", "Value", 0), 0x00ABCDEF);
}

TEST(IniFilePlus, FontStylesKeepTheLowByte) {
  TempDir dir;
  const std::string f = dir.File("st.ini");
  WriteBytes(f, "[S]\r\nWide=261\r\nWord=bold\r\n");
  TIniFilePlus ini(f);
  EXPECT_EQ(ini.ReadStyleValue("S", "Wide", 0), 5);
  EXPECT_EQ(ini.ReadStyleValue("S", "Word", fsItalic), fsItalic);
  EXPECT_EQ(ini.ReadStyleValue("S", "Missing", fsBold | fsStrikeOut), fsBold | fsStrikeOut);
  ASSERT_TRUE(ini.WriteStyleValue("T", "S", fsBold | fsUnderline));
  EXPECT_NE(ReadBytes(f).find("[T]\r\nS=5\r\n"), std::string::npos);
}

TEST(IniFilePlus, BatchesWriteOnceAndReportFailure) {
  TempDir dir;
  const std::string f = dir.File("batch.ini");
  TIniFilePlus ini(f);
  {
    IniBatch batch(ini);
    for (int i = 0; i < 100; ++i)
      ASSERT_TRUE(ini.WriteInteger("S", "K" + std::to_string(i), i));
    EXPECT_FALSE(FileExists(f));  // nothing reaches the disk before the batch ends
    EXPECT_EQ(ini.ReadInteger("S", "K99", -1), 99);
    EXPECT_TRUE(batch.Finish());
  }
  EXPECT_EQ(TIniFilePlus(f).ReadSection("S").size(), 100u);

  TIniFilePlus lost(dir.File("no/such/folder/x.ini"));
  EXPECT_FALSE(lost.WriteQuotedString("S", "K", "v"));
  IniBatch batch(lost);
  EXPECT_TRUE(lost.WriteBool("S", "B", true));
  EXPECT_FALSE(batch.Finish());
}

}  // namespace
}  // namespace vorn
