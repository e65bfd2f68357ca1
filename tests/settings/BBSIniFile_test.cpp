#include "settings/BBSIniFile.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// The entry list alone, without analysis items.
class PlainBBSIniFile final : public TBBSIniFile {
 public:
  using TBBSIniFile::TBBSIniFile;
  int ItemCount() const override { return 0; }
  std::string ItemName(int) const override { return {}; }
  std::string ItemDefault(int) const override { return {}; }
  std::string ItemValue(int) const override { return {}; }
  std::string ItemPattern(int) const override { return {}; }
  bool SetItemValue(int, const std::string&) override { return false; }
};

std::string Section(int n, const std::string& prefix) {
  return "[Net" + std::to_string(n) + "]\r\nPrefix=\"" + prefix + "\"\r\n";
}

std::vector<int32_t> Numbers(const TBBSIniFile& ini) {
  std::vector<int32_t> out;
  for (int i = 0; i < ini.GetNetCount(); ++i)
    out.push_back(ini.NetNoAt(i));
  return out;
}

TEST(BBSIniFile, LoadsSectionsUpToAndIncludingNetCount) {
  TempDir dir;
  const std::string f = dir.File("n.ini");
  WriteBytes(f, "[Common]\r\nNetCount=2\r\n" + Section(2, "CCC") + Section(0, "AAA") +
                    Section(1, "BBB") + Section(3, "DDD") +
                    "[Net0]\r\nName=\"  First \"\r\nLogPath=\"/var/log\"\r\nUpFileAddDate=1\r\n");
  PlainBBSIniFile ini(f);
  EXPECT_EQ(Numbers(ini), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(ini.FindPrefix("bbb"), 1);
  EXPECT_EQ(ini.FindPrefix("DDD"), -1);
  EXPECT_EQ(ini.FindNetNo(2), 2);
  EXPECT_EQ(ini.NetNoAt(3), -1);
  EXPECT_EQ(ini.NetNoAt(-1), -1);

  // Prefix "" makes the entry not exist; a NetCount below 0 loads nothing.
  WriteBytes(f, "[Common]\r\nNetCount=2\r\n" + Section(0, "A") + Section(1, "") + Section(2, "C"));
  ini.LoadNets();
  EXPECT_EQ(Numbers(ini), (std::vector<int32_t>{0, 2}));
  WriteBytes(f, "[Common]\r\nNetCount=-1\r\n" + Section(0, "A"));
  ini.LoadNets();
  EXPECT_EQ(ini.GetNetCount(), 0);
}

TEST(BBSIniFile, AHugeNetCountReadsOnlyTheSectionsPresent) {
  TempDir dir;
  const std::string f = dir.File("n.ini");
  // Sections in any order and letter case, a number written with a leading zero (a name the
  // entry would never have), and the highest number there is.
  WriteBytes(f, "[Common]\r\nNetCount=2147483647\r\n" + Section(7, "G") + Section(0, "A") +
                    "[NET3]\r\nPrefix=\"D\"\r\n[Net05]\r\nPrefix=\"E\"\r\n" +
                    Section(2147483647, "Z") + "[Net2147483648]\r\nPrefix=\"Y\"\r\n");
  PlainBBSIniFile ini(f);
  EXPECT_EQ(Numbers(ini), (std::vector<int32_t>{0, 3, 7, 2147483647}));
  EXPECT_EQ(ini.NetCount, 2147483647);
  // A new entry takes the first gap, and NetCount does not run over.
  ini.Prefix = "NEW";
  ASSERT_TRUE(ini.SaveNet());
  EXPECT_EQ(ini.NetNo, 1);
  EXPECT_EQ(ini.NetCount, 2147483647);
  ini.LoadNets();
  EXPECT_EQ(Numbers(ini), (std::vector<int32_t>{0, 1, 3, 7, 2147483647}));
}

TEST(BBSIniFile, SelectNetCopiesTheEntryAndClearsFamilyFields) {
  TempDir dir;
  const std::string f = dir.File("n.ini");
  WriteBytes(f, "[Common]\r\nNetCount=1\r\n" + Section(1, "NET") +
                    "Name=\"  My BBS \"\r\nLogPath=\"/var/log\"\r\nLogMask=\"NET*.log\"\r\n"
                    "UpFileAddDate=1\r\nPadFileBatchCommand=1\r\nReadPtrFile=\"net.rp\"\r\n");
  PlainBBSIniFile ini(f);
  ini.Mente = ini.SerialHeader = true;
  ini.LogEndLine = "x";
  EXPECT_FALSE(ini.SelectNet(0));
  EXPECT_TRUE(ini.Mente);
  ASSERT_TRUE(ini.SelectNet(1));
  EXPECT_EQ(ini.NetNo, 1);
  EXPECT_EQ(ini.Prefix, "NET");
  EXPECT_EQ(ini.Name, "  My BBS ");
  EXPECT_EQ(ini.LogPath, "/var/log/");
  EXPECT_EQ(ini.LogMask, "NET*.log");
  EXPECT_TRUE(ini.UpFileAddDate);
  EXPECT_FALSE(ini.PadFileAddDate);
  EXPECT_TRUE(ini.PadFileBatchCommand);
  EXPECT_EQ(ini.ReadPtrFile, "net.rp");
  EXPECT_EQ(ini.UpFile, "");
  EXPECT_FALSE(ini.Mente);
  EXPECT_FALSE(ini.SerialHeader);
  EXPECT_EQ(ini.LogEndLine, "");
}

TEST(BBSIniFile, NewEntriesFillTheFirstGap) {
  TempDir dir;
  const std::string f = dir.File("n.ini");
  WriteBytes(f, "[Common]\r\nNetCount=3\r\n" + Section(0, "A") + Section(1, "B") + Section(3, "D"));
  {
    PlainBBSIniFile ini(f);
    ini.NetNo = -1;
    ini.Prefix = "C";
    ASSERT_TRUE(ini.SaveNet());
    EXPECT_EQ(ini.NetNo, 2);
    EXPECT_EQ(ini.NetCount, 3);
    EXPECT_EQ(Numbers(ini), (std::vector<int32_t>{0, 1, 2, 3}));
  }
  PlainBBSIniFile reread(f);
  EXPECT_EQ(reread.NetCount, 3);
  EXPECT_EQ(reread.FindPrefix("C"), 2);

  // Without a gap the list grows at its end, and NetCount with it.
  WriteBytes(f, "[Common]\r\nNetCount=2\r\n" + Section(0, "A") + Section(1, "B") + Section(2, "C"));
  PlainBBSIniFile ini(f);
  ini.NetNo = -1;
  ini.Prefix = "D";
  ASSERT_TRUE(ini.SaveNet());
  EXPECT_EQ(ini.NetNo, 3);
  EXPECT_EQ(PlainBBSIniFile(f).NetCount, 3);
  EXPECT_EQ(Numbers(PlainBBSIniFile(f)), (std::vector<int32_t>{0, 1, 2, 3}));

  // The first entry of an empty file is Net0.
  PlainBBSIniFile empty(dir.File("empty.ini"));
  empty.Prefix = "NEW";
  ASSERT_TRUE(empty.SaveNet());
  EXPECT_EQ(Numbers(PlainBBSIniFile(dir.File("empty.ini"))), (std::vector<int32_t>{0}));
}

TEST(BBSIniFile, SavedEntriesRoundTripAndReplaceTheirSection) {
  TempDir dir;
  const std::string f = dir.File("n.ini");
  WriteBytes(f,
             "[Common]\r\nNetCount=1\r\n" + Section(0, "NET") + "Stale=1\r\nLogPath=\"/a/\"\r\n");
  PlainBBSIniFile ini(f);
  ASSERT_TRUE(ini.SelectNet(0));
  ini.Name = J(" \"ネット\"表 ");
  ini.LogPath = "/srv/logs";
  ini.LogMask = "NET*.log";
  ini.BoardListFile = "/srv/NET.bl";
  ini.MemberListFile = "/srv/NET.id";
  ini.FotterFile = J("/srv/署名.txt");
  ini.UpFile = "/srv/NET.up";
  ini.UpFileAddDate = true;
  ini.UpFileAddDateStr = "%Y%M%D";
  ini.UpFileCommandExtract = true;
  ini.PadFile = "/srv/NET.pad";
  ini.PadFileAddDate = true;
  ini.PadFileAddDateStr = " %H ";
  ini.PadFileBatchCommand = true;
  ini.ReadPtrFile = "/srv/NET.rp";
  ASSERT_TRUE(ini.SaveNet());
  EXPECT_EQ(ini.LogPath, "/srv/logs/");
  EXPECT_EQ(ReadBytes(f).find("Stale"), std::string::npos);

  PlainBBSIniFile again(f);
  ASSERT_TRUE(again.SelectNet(0));
  const NetRecord& r = again.Nets()[0];
  EXPECT_EQ(r.Name, J(" \"ネット\"表 "));
  EXPECT_EQ(r.LogPath, "/srv/logs/");
  EXPECT_EQ(r.LogMask, "NET*.log");
  EXPECT_EQ(r.BoardListFile, "/srv/NET.bl");
  EXPECT_EQ(r.MemberListFile, "/srv/NET.id");
  EXPECT_EQ(r.FotterFile, J("/srv/署名.txt"));
  EXPECT_EQ(r.UpFile, "/srv/NET.up");
  EXPECT_TRUE(r.UpFileAddDate);
  EXPECT_EQ(r.UpFileAddDateStr, "%Y%M%D");
  EXPECT_TRUE(r.UpFileCommandExtract);
  EXPECT_EQ(r.PadFile, "/srv/NET.pad");
  EXPECT_TRUE(r.PadFileAddDate);
  EXPECT_EQ(r.PadFileAddDateStr, " %H ");
  EXPECT_TRUE(r.PadFileBatchCommand);
  EXPECT_EQ(r.ReadPtrFile, "/srv/NET.rp");

  // An empty log folder still ends in the separator.
  again.LogPath.clear();
  ASSERT_TRUE(again.SaveNet());
  EXPECT_EQ(PlainBBSIniFile(f).Nets()[0].LogPath, "/");
}

TEST(BBSIniFile, SaveNetReportsWhatWasNotSaved) {
  TempDir dir;
  PlainBBSIniFile noPrefix(dir.File("a.ini"));
  EXPECT_FALSE(noPrefix.SaveNet());
  EXPECT_EQ(noPrefix.GetNetCount(), 0);

  PlainBBSIniFile unwritable(dir.File("missing/folder/a.ini"));
  unwritable.Prefix = "NET";
  EXPECT_FALSE(unwritable.SaveNet());
}

TEST(BBSIniFile, DeleteNetLowersNetCountOnlyForTheHighest) {
  TempDir dir;
  const std::string f = dir.File("n.ini");
  WriteBytes(f, "[Common]\r\nNetCount=3\r\n" + Section(0, "A") + Section(1, "B") + Section(2, "C"));
  PlainBBSIniFile ini(f);
  EXPECT_FALSE(ini.DeleteNet(5));
  ASSERT_TRUE(ini.DeleteNet(1));
  EXPECT_EQ(ini.NetCount, 3);
  EXPECT_FALSE(ini.SectionExists("Net1"));
  ASSERT_TRUE(ini.DeleteNet(2));
  EXPECT_EQ(ini.NetCount, 2);
  PlainBBSIniFile reread(f);
  EXPECT_EQ(reread.NetCount, 2);
  EXPECT_EQ(Numbers(reread), (std::vector<int32_t>{0}));
  // The freed numbers are taken again, lowest first.
  reread.Prefix = "X";
  ASSERT_TRUE(reread.SaveNet());
  EXPECT_EQ(reread.NetNo, 1);

  // NetCount at the highest number: deleting the entry below it must not hide the highest.
  WriteBytes(f, "[Common]\r\nNetCount=2\r\n" + Section(0, "A") + Section(1, "B") + Section(2, "C"));
  PlainBBSIniFile highest(f);
  ASSERT_TRUE(highest.DeleteNet(1));
  EXPECT_EQ(Numbers(PlainBBSIniFile(f)), (std::vector<int32_t>{0, 2}));
  ASSERT_TRUE(highest.DeleteNet(2));
  EXPECT_EQ(highest.NetCount, 1);
  EXPECT_EQ(Numbers(PlainBBSIniFile(f)), (std::vector<int32_t>{0}));
}

}  // namespace
}  // namespace vorn
