// Files of the user's data that the program cannot understand, met by the window: every kind it
// writes (board and member lists, read pointers, flags, watched and ignored writers, UP and PAD
// files, the settings files) made unreadable the ways files get so (random bytes, saved as
// UTF-16 by an editor, cut short, a note written over it, a folder in its place), then written
// again by the window's own commands with the answers a user takes by default. Nothing of the
// old bytes may go unless they are kept beside the file under a name the user is told.
#include <gtest/gtest.h>

#include <QMenu>
#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "reader/MainCommands.h"
#include "support/WindowWriteFixture.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::CrLf;
using test::ReadBytes;
using test::WriteBytes;

enum class Damage { RandomBytes, Utf16, CutShort, Note, Folder };

struct Case {
  const char* log;
  const char* prefix;
  Damage damage;
};

std::string Name(const ::testing::TestParamInfo<Case>& info) {
  static const char* const kNames[] = {"RandomBytes", "Utf16", "CutShort", "Note", "Folder"};
  return std::string(info.param.prefix) + kNames[int(info.param.damage)];
}

class UserFilesTest : public test::WindowWriteFixture, public ::testing::WithParamInterface<Case> {
 protected:
  // The files of the set and the settings the window writes, by name.
  std::vector<std::string> Kinds() const {
    const std::string p = GetParam().prefix;
    std::vector<std::string> names = {p + ".BRD", p + ".MEM", p + ".PTR",    p + ".FLG",
                                      p + ".WRL", p + ".PAD", "vornexpl.ini"};
    if (p == "NET") {
      names.push_back("NET.UP");
      names.push_back("vorndef.ini");
    } else {
      names.push_back("nifdef.ini");
    }
    return names;
  }

  // A run that leaves every file as the program writes it: articles read, one flagged, one
  // writer watched; then an UP or PAD file as the last run's writes left it.
  void FirstRun() {
    Start(GetParam().log, GetParam().prefix);
    Use();
    ui.defaultAnswer = UiAnswer::Yes;
    ASSERT_TRUE(window->close());
    window.reset();
    if (std::string(GetParam().prefix) == "NET") {
      WriteBytes(settings + "NET.UP",
                 CrLf({"\\1", "WEarlier root", "composed last time", ".", "", "Q"}));
      WriteBytes(settings + "NET.PAD",
                 CrLf({"*U", "3", "/home/taro/old.lzh", "OLD.LZH", "Earlier upload", "body", "."}));
    } else {
      WriteBytes(settings + "NIF.PAD",
                 CrLf({"*W", "FCOMP", "3", "Earlier", "from the last run", "."}));
    }
  }

  // The commands that write the set's reading aids at once: a flag and a watched writer.
  void Use() {
    // The board that holds the article: a damaged board list may have put it elsewhere.
    const int32_t number = std::string(GetParam().prefix) == "NET" ? 101 : 211;
    int32_t board = 1;
    for (int32_t b = 0; b < Bbs().Boards.Count(); ++b) {
      for (int32_t p = 0; p < Board(b).OrderCount(Order()); ++p) {
        if (Board(b).GetNumber(Order(), p) == number) board = b;
      }
    }
    Pick(board, number);
    Key(Qt::Key_T);
    window->Commands().GridPopup()->aboutToShow();
    Trigger("GMenuWatchWriter");
  }

  std::string Damaged(const std::string& name, const std::string& valid) {
    switch (GetParam().damage) {
      case Damage::RandomBytes: {
        std::mt19937 random(uint32_t(std::hash<std::string>()(name)));
        std::string bytes(300, '\0');
        for (char& c : bytes)
          c = char(random());
        return bytes;
      }
      case Damage::Utf16: {
        // What an editor saving as UTF-16 makes of the text: a byte-order mark, then two bytes a
        // character (the Japanese text then no longer holds its CP932 bytes either).
        std::string bytes = "\xFF\xFE";
        for (const char c : valid) {
          bytes.push_back(c);
          bytes.push_back('\0');
        }
        return bytes;
      }
      case Damage::CutShort: {
        // In the middle of a line, as a full disk or a killed editor leaves it. (A defaults file
        // cut inside a pattern leaves a pattern that finds nothing in the log; cut in its
        // heading, every pattern is the built-in one.)
        size_t at = name.ends_with("def.ini") ? 5 : valid.size() * 3 / 5;
        while (at > 1 && (valid[at - 1] == '\n' || valid[at - 1] == '\r'))
          --at;
        return valid.substr(0, at);
      }
      case Damage::Note:
        return test::J("メモ（") + name + test::J("）：来週の会議までに返事を書くこと\r\n");
      case Damage::Folder:
        return {};
    }
    return {};
  }

  // Where the old bytes are now: the file itself, untouched, or a copy the user was told of.
  void ExpectKept(const std::string& name, const std::string& old,
                  const std::vector<RecordingUiServices::Entry>& told) {
    const std::string path = settings + name;
    if (fs::exists(path) && ReadBytes(path) == old) return;
    const std::vector<std::string> kinds = Kinds();
    std::vector<std::string> copies;
    for (const auto& entry : fs::directory_iterator(settings)) {
      const std::string other = entry.path().filename().string();
      if (std::find(kinds.begin(), kinds.end(), other) == kinds.end() && entry.is_regular_file() &&
          ReadBytes(entry.path()) == old)
        copies.push_back(entry.path().string());
    }
    ASSERT_FALSE(copies.empty()) << name << ": its old bytes are gone";
    bool named = false;
    for (const std::string& copy : copies) {
      for (const auto& e : told)
        named = named || e.text.find(copy) != std::string::npos;
    }
    EXPECT_TRUE(named) << name << " was kept as " << copies[0] << " without a word";
  }
};

TEST_P(UserFilesTest, OldBytesSurviveUnderANameTheUserIsTold) {
  FirstRun();
  std::map<std::string, std::string> old;
  for (const std::string& name : Kinds()) {
    const std::string path = settings + name;
    ASSERT_TRUE(fs::exists(path)) << name << " was not written by the first run";
    const std::string valid = ReadBytes(path);
    fs::remove(path);
    if (GetParam().damage == Damage::Folder) {
      fs::create_directory(path);
    } else {
      old[name] = Damaged(name, valid);
      WriteBytes(path, old[name]);
    }
  }

  // The next run: every question answered as its default button answers it (read the UP and
  // PAD files back, write them), a flag and a writer changed, then the end of the run.
  ui.defaultAnswer = UiAnswer::Yes;
  Start(GetParam().log, GetParam().prefix);
  Use();
  Trigger("MenuEnd");
  EXPECT_FALSE(window->isVisible());
  window.reset();

  std::vector<RecordingUiServices::Entry> told = startEntries;
  told.insert(told.end(), ui.entries.begin(), ui.entries.end());
  for (const std::string& name : Kinds()) {
    const std::string path = settings + name;
    if (GetParam().damage == Damage::Folder) {
      EXPECT_TRUE(fs::is_directory(path)) << name;
      continue;
    }
    ExpectKept(name, old[name], told);
  }
  // The commands did reach the files that fared worst before: the flags and writers were
  // written anew, an UP or PAD file holding nothing to send was removed.
  if (GetParam().damage != Damage::Folder) {
    const std::string p = GetParam().prefix;
    for (const std::string& name : {p + ".FLG", p + ".WRL"})
      EXPECT_NE(ReadBytes(settings + name), old[name]) << name;
    EXPECT_FALSE(fs::exists(settings + p + (p == "NET" ? ".UP" : ".PAD")));
  }
}

INSTANTIATE_TEST_SUITE_P(Damages, UserFilesTest,
                         ::testing::Values(Case{"NET19990730.LOG", "NET", Damage::RandomBytes},
                                           Case{"NET19990730.LOG", "NET", Damage::Utf16},
                                           Case{"NET19990730.LOG", "NET", Damage::CutShort},
                                           Case{"NET19990730.LOG", "NET", Damage::Note},
                                           Case{"NET19990730.LOG", "NET", Damage::Folder},
                                           Case{"NIF19990730.LOG", "NIF", Damage::RandomBytes},
                                           Case{"NIF19990730.LOG", "NIF", Damage::Utf16},
                                           Case{"NIF19990730.LOG", "NIF", Damage::CutShort},
                                           Case{"NIF19990730.LOG", "NIF", Damage::Note},
                                           Case{"NIF19990730.LOG", "NIF", Damage::Folder}),
                         Name);

}  // namespace
}  // namespace vorn
