#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(ProfileFile, ReadsWithDefaultsQuotesAndCaseInsensitiveNames) {
  TempDir dir;
  std::string f = dir.File("a.ini");
  WriteBytes(f,
             "; comment\r\n[Common]\r\nName = \"  spaced \"\"x\"  \r\nCount=12\r\n\r\n"
             "[net1]\nPrefix=NET\n");
  ProfileFile ini(f);
  EXPECT_EQ(ini.ReadString("common", "NAME", "d"), "  spaced \"\"x");
  EXPECT_EQ(ini.ReadString("Common", "Count", "d"), "12");
  EXPECT_EQ(ini.ReadString("Common", "None", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("NET1", "prefix", ""), "NET");
  EXPECT_EQ(ini.ReadString("Nosuch", "prefix", "x"), "x");
  EXPECT_EQ(ini.ReadSectionNames(), (std::vector<std::string>{"Common", "net1"}));
  EXPECT_EQ(ini.ReadSection("COMMON"), (std::vector<std::string>{"Name", "Count"}));
}

TEST(ProfileFile, WritesKeepOrderOtherLinesAndCp932Bytes) {
  TempDir dir;
  std::string f = dir.File("b.ini");
  WriteBytes(f, "[A]\r\nx=1\r\n; keep me\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
  ProfileFile ini(f);
  // 表 ends in 0x5C and ソ in 0x5C too: the bytes must come back exactly.
  std::string value = "\"" + J(" 表ソ ") + "\"";
  ASSERT_TRUE(ini.WriteString("a", "Y", value));
  ASSERT_TRUE(ini.WriteString("A", "new", "n"));
  ASSERT_TRUE(ini.WriteString("C", "k", "v"));
  EXPECT_EQ(ReadBytes(f), "[A]\r\nx=1\r\n; keep me\r\ny=" + value +
                              "\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n\r\n[C]\r\nk=v\r\n");
  ProfileFile again(f);
  EXPECT_EQ(again.ReadString("A", "y", ""), J(" 表ソ "));
}

TEST(ProfileFile, CreatesTheFileAndErasesSections) {
  TempDir dir;
  std::string f = dir.File("new.ini");
  ProfileFile ini(f);
  EXPECT_FALSE(ini.SectionExists("S"));
  ASSERT_TRUE(ini.WriteString("S", "k", "1"));
  ASSERT_TRUE(ini.WriteString("T", "k", "2"));
  ASSERT_TRUE(ini.EraseSection("s"));
  EXPECT_EQ(ReadBytes(f), "[T]\r\nk=2\r\n");
  ASSERT_TRUE(ini.DeleteKey("T", "K"));
  EXPECT_EQ(ProfileFile(f).ReadSection("T").size(), 0u);
}

TEST(ProfileFile, SeesChangesMadeByOthersAndBatchesWrites) {
  TempDir dir;
  std::string f = dir.File("c.ini");
  ProfileFile ini(f);
  ASSERT_TRUE(ini.WriteString("S", "k", "1"));
  WriteBytes(f, "[S]\r\nk=changed elsewhere\r\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "changed elsewhere");
  ini.BeginBatch();
  ini.WriteString("S", "a", "1");
  ini.WriteString("S", "b", "2");
  EXPECT_EQ(ReadBytes(f), "[S]\r\nk=changed elsewhere\r\n");
  EXPECT_EQ(ini.ReadString("S", "b", ""), "2");
  ASSERT_TRUE(ini.EndBatch());
  EXPECT_EQ(ReadBytes(f), "[S]\r\nk=changed elsewhere\r\na=1\r\nb=2\r\n");
}

TEST(ProfileFile, FailedWriteReportsAndKeepsTheFile) {
  TempDir dir;
  std::string sub = dir.File("missing-folder/x.ini");
  ProfileFile ini(sub);
  EXPECT_FALSE(ini.WriteString("S", "k", "v"));
  if (::geteuid() == 0) return;  // root writes into read-only folders
  std::string f = dir.File("ro.ini");
  WriteBytes(f, "[S]\r\nk=old\r\n");
  ::chmod(dir.Path().c_str(), 0500);
  ProfileFile ro(f);
  EXPECT_FALSE(ro.WriteString("S", "k", "new"));
  ::chmod(dir.Path().c_str(), 0700);
  EXPECT_EQ(ReadBytes(f), "[S]\r\nk=old\r\n");
}

}  // namespace
}  // namespace vorn
