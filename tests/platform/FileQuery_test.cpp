#include "platform/FileQuery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::TempDir;
using test::WriteBytes;

TEST(FileQuery, ExistenceSizeAndDelete) {
  TempDir dir;
  std::string f = dir.File("x.txt");
  EXPECT_FALSE(FileExists(f));
  EXPECT_EQ(FileSizeBytes(f), -1);
  EXPECT_EQ(FileDate(f), -1);
  WriteBytes(f, "12345");
  EXPECT_TRUE(FileExists(f));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_EQ(FileSizeBytes(f), 5);
  EXPECT_TRUE(DeleteFileAt(f));
  EXPECT_FALSE(FileExists(f));
  EXPECT_TRUE(DeleteFileAt(f));
}

TEST(FileQuery, FileDateIsThePackedLocalTime) {
  TempDir dir;
  std::string f = dir.File("d.txt");
  WriteBytes(f, "x");
  std::tm tm{};
  tm.tm_year = 1999 - 1900;
  tm.tm_mon = 6;
  tm.tm_mday = 30;
  tm.tm_hour = 12;
  tm.tm_min = 34;
  tm.tm_sec = 57;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  struct utimbuf times {
    t, t
  };
  ASSERT_EQ(::utime(f.c_str(), &times), 0);
  int32_t expected = (19 << 25) | (7 << 21) | (30 << 16) | (12 << 11) | (34 << 5) | 28;
  EXPECT_EQ(FileDate(f), expected);
  EXPECT_EQ(FileModTimeNs(f), int64_t(t) * 1000000000);
}

TEST(FileQuery, DiskFileNameFindsTheStoredCase) {
  TempDir dir;
  WriteBytes(dir.File("Net19990730.Log"), "");
  EXPECT_EQ(DiskFileName(dir.File("NET19990730.LOG")), dir.File("Net19990730.Log"));
  EXPECT_EQ(DiskFileName(dir.File("Net19990730.Log")), dir.File("Net19990730.Log"));
  EXPECT_EQ(DiskFileName(dir.File("other.log")), "");
}

TEST(FileQuery, NamesAndFoldersRespectDoubleByteCharacters) {
  // ソ is 0x83 0x5C: its second byte is no folder separator.
  std::string name = J("ソフト.txt");
  EXPECT_EQ(ExtractFileName("/a/b/" + name), name);
  EXPECT_EQ(ExtractFileName(name), name);
  EXPECT_EQ(ExtractFilePath("/a/b/" + name), "/a/b/");
  EXPECT_EQ(ExtractFileName("C:\\LOG\\NET.LOG"), "NET.LOG");
  // 表 ends in 0x5C: the separator before it still counts, its own second byte does not.
  EXPECT_EQ(ExtractFileName(J("C:\\ログ\\表.LOG")), J("表.LOG"));
  EXPECT_EQ(ExtractFilePath(J("C:\\ログ\\表.LOG")), J("C:\\ログ\\"));
  EXPECT_EQ(ShortFileNameUpper("/x/vorntemp1.txt"), "VORNTEMP1.TXT");
  EXPECT_EQ(ShortFileNameUpper(J("/x/あa.txt")), J("あA.TXT"));
}

}  // namespace
}  // namespace vorn
