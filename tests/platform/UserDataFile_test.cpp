// The one rule for files of the user's data: what the program has not understood in full is
// kept beside the file, and the user told, before the file is replaced or removed.
#include "platform/UserDataFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using namespace std::string_literals;

class UserDataFileTest : public ::testing::Test {
 protected:
  // The warnings since the last call, and whether each names the file and the copy.
  size_t Told() {
    const size_t n = ui.entries.size();
    ui.entries.clear();
    return n;
  }
  bool ToldOf(const std::string& path, const std::string& copy) const {
    for (const auto& e : ui.entries) {
      if (e.kind == RecordingUiServices::Kind::Warning &&
          e.text.find(path + "\r") != std::string::npos && e.text.find(copy) != std::string::npos)
        return true;
    }
    return false;
  }

  RecordingUiServices ui;
  ScopedUiServices scope{&ui};
  TempDir dir;
};

TEST_F(UserDataFileTest, BytesNotUnderstoodAreKeptOnceBeforeTheyAreReplaced) {
  const std::string f = dir.File("NET.FLG");
  const std::string theirs = "\xFF\xFEV\0o\0r\0n\0\r\0\n\0"s;
  WriteBytes(f, theirs);
  // Never read: replaced only after a copy.
  ASSERT_TRUE(WriteUserFile(f, "mine\r\n"));
  EXPECT_EQ(ReadBytes(f), "mine\r\n");
  EXPECT_EQ(ReadBytes(f + ".bak"), theirs);
  EXPECT_TRUE(ToldOf(f, f + ".bak"));
  EXPECT_EQ(Told(), 1u);
  // What this run wrote is replaced without a word; so is what a reader understood.
  ASSERT_TRUE(WriteUserFile(f, "mine again\r\n"));
  WriteBytes(f, "edited by hand\r\n");
  NoteUserFileRead(f, "edited by hand\r\n", true);
  ASSERT_TRUE(WriteUserFile(f, "third\r\n"));
  EXPECT_EQ(Told(), 0u);
  EXPECT_FALSE(fs::exists(f + ".bak2"));

  // A reader that did not understand it all: the next copy goes to the next free name, and the
  // first copy stays as it was.
  WriteBytes(f, "a note\r\n");
  NoteUserFileRead(f, "a note\r\n", false);
  ASSERT_TRUE(RemoveUserFile(f));
  EXPECT_FALSE(fs::exists(f));
  EXPECT_EQ(ReadBytes(f + ".bak2"), "a note\r\n");
  EXPECT_EQ(ReadBytes(f + ".bak"), theirs);
  EXPECT_TRUE(ToldOf(f, f + ".bak2"));
  // Changed on disk since it was understood: the understood bytes no longer count.
  WriteBytes(f, "one\r\n");
  NoteUserFileRead(f, "one\r\n", true);
  WriteBytes(f, "two\r\n");
  Told();
  ASSERT_TRUE(WriteUserFile(f, "three\r\n"));
  EXPECT_EQ(ReadBytes(f + ".bak3"), "two\r\n");
  // Nothing, or an empty file, has nothing to keep.
  ASSERT_TRUE(RemoveUserFile(dir.File("missing")));
  WriteBytes(dir.File("empty"), "");
  ASSERT_TRUE(WriteUserFile(dir.File("empty"), "x"));
  EXPECT_FALSE(fs::exists(dir.File("empty.bak")));
}

TEST_F(UserDataFileTest, WhatCannotBeKeptOrIsNoFileStaysAsItIs) {
  // A folder, a FIFO: neither replaced nor removed.
  const std::string folder = dir.File("NET.UP");
  fs::create_directory(folder);
  EXPECT_FALSE(WriteUserFile(folder, "x"));
  EXPECT_FALSE(RemoveUserFile(folder));
  EXPECT_TRUE(fs::is_directory(folder));
  const std::string fifo = dir.File("NET.PAD");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(WriteUserFile(fifo, "x"));
  EXPECT_FALSE(RemoveUserFile(fifo));
  EXPECT_TRUE(fs::is_fifo(fifo));

  // Every backup name taken by other bytes: the file stays, the write fails, the user is told.
  const std::string f = dir.File("NET.PTR");
  WriteBytes(f, "theirs");
  WriteBytes(f + ".bak", "other");
  for (int n = 2; n < 100; ++n)
    WriteBytes(f + ".bak" + std::to_string(n), "other");
  Told();
  EXPECT_FALSE(WriteUserFile(f, "mine"));
  EXPECT_FALSE(RemoveUserFile(f));
  EXPECT_EQ(ReadBytes(f), "theirs");
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_NE(ui.entries[0].text.find(f + "\r"), std::string::npos);
}

TEST_F(UserDataFileTest, TheCopyHasTheFilesPermissionsAndALinkKeepsPointing) {
  const std::string target = dir.File("real.brd");
  const std::string link = dir.File("NET.BRD");
  WriteBytes(target, "private");
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  fs::create_symlink(target, link);
  ASSERT_TRUE(WriteUserFile(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_EQ(ReadBytes(target + ".bak"), "private");
  struct stat st;
  ASSERT_EQ(::stat((target + ".bak").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  // The same file under two spellings is one file.
  WriteBytes(target, "understood");
  NoteUserFileRead(dir.Path() + "/./NET.BRD", "understood", true);
  Told();
  ASSERT_TRUE(WriteUserFile(target, "fine"));
  EXPECT_EQ(Told(), 0u);

  // A copy made on purpose counts as kept.
  WriteBytes(target, "declined");
  ASSERT_TRUE(KeepUserFileAs(link, dir.File("kept.brd")));
  EXPECT_FALSE(KeepUserFileAs(link, dir.File("kept.brd")));
  ASSERT_TRUE(WriteUserFile(link, "after"));
  EXPECT_EQ(ReadBytes(dir.File("kept.brd")), "declined");
  EXPECT_EQ(Told(), 0u);
}

// Bytes after the end-of-file byte are dropped by every reader: a file that has them is not
// understood whatever its lines say. The lines are those the streaming reader gives.
TEST_F(UserDataFileTest, TheLinesAreTheReadersAndBytesAfterTheEndAreNotUnderstood) {
  std::mt19937 random(29);
  const char alphabet[] = {'a', '\r', '\n', 0x1A, '\x82', ' '};
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int length = int(random() % 40);
    for (int i = 0; i < length; ++i)
      bytes.push_back(alphabet[random() % sizeof alphabet]);
    const std::string f = dir.File("lines.txt");
    WriteBytes(f, bytes);
    std::vector<std::string> expected;
    ReadClassicTextFile(f, expected);
    std::vector<std::string> split;
    ForEachClassicLine(bytes, [&](std::string_view line) { split.emplace_back(line); });
    ASSERT_EQ(split, expected) << round;
  }

  const std::string f = dir.File("NET.WRL");
  UserFileText text;
  WriteBytes(f, "line\r\n\x1A\x1A");
  ASSERT_TRUE(text.Read(f));
  text.Note(f, true);
  ASSERT_TRUE(WriteUserFile(f, "x"));
  EXPECT_EQ(Told(), 0u);
  WriteBytes(f, "line\r\n\x1Ahidden\r\n");
  ASSERT_TRUE(text.Read(f));
  text.Note(f, true);
  ASSERT_TRUE(WriteUserFile(f, "x"));
  EXPECT_EQ(ReadBytes(f + ".bak"), "line\r\n\x1Ahidden\r\n");
}

TEST_F(UserDataFileTest, AFileThatCannotBeReadAtAllIsKeptAtOnce) {
  const std::string f = dir.File("NET.BRD");
  WriteBytes(f, "VornExplorer BoardListFile Ver.9.99\r\n12,\"x\",\"y\",1,0,0\r\n");
  EXPECT_EQ(KeepUserFileNotUnderstood(f), f + ".bak");
  EXPECT_EQ(ReadBytes(f + ".bak"), ReadBytes(f));
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_NE(ui.entries[0].text.find(f + "\r"), std::string::npos);
  EXPECT_NE(ui.entries[0].text.find(f + ".bak"), std::string::npos);
  // The same file again is not kept twice; another one does not replace the first backup.
  EXPECT_EQ(KeepUserFileNotUnderstood(f), f + ".bak");
  WriteBytes(f, "garbage");
  EXPECT_EQ(KeepUserFileNotUnderstood(f), f + ".bak2");
  EXPECT_EQ(ReadBytes(f + ".bak2"), "garbage");
  EXPECT_NE(ReadBytes(f + ".bak"), "garbage");
  // Kept, its bytes may be replaced without another copy.
  Told();
  ASSERT_TRUE(WriteUserFile(f, "fresh"));
  EXPECT_EQ(Told(), 0u);
}

}  // namespace
}  // namespace vorn
