#include "platform/AppPaths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/FileQuery.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::TempDir;
using test::WriteBytes;

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (old) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

void MakeExecutable(const std::string& path) {
  WriteBytes(path, "#!/bin/sh\n");
  ::chmod(path.c_str(), 0755);
}

TEST(AppPaths, TheSettingsFolderRule) {
  TempDir dir;
  const std::string program = dir.Path() + "/program";
  const std::string user = dir.Path() + "/user/";
  const std::string chosen = dir.Path() + "/chosen";
  ::mkdir(program.c_str(), 0755);

  // --settings-dir wins over everything.
  EXPECT_EQ(ChooseSettingsFolder(chosen, program, user), chosen + "/");
  // A program folder that can be written to is no portable copy (a build tree, a copy run by
  // root): the settings are the user's ...
  EXPECT_EQ(ChooseSettingsFolder("", program, user), user);
  EXPECT_EQ(ChooseSettingsFolder("", dir.Path() + "/missing", user), user);
  // ... until the common settings file beside the program makes it one.
  WriteBytes(program + "/vornexpl.ini", "");
  EXPECT_EQ(ChooseSettingsFolder("", program, user), program + "/");
  EXPECT_EQ(ChooseSettingsFolder(chosen, program, user), chosen + "/");
  // With neither XDG_CONFIG_HOME nor HOME the program folder is the only place left.
  EXPECT_EQ(ChooseSettingsFolder("", dir.Path() + "/missing", ""), dir.Path() + "/missing/");
}

TEST(AppPaths, UserFolderFollowsXdgThenHome) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/x/config");
    EXPECT_EQ(UserSettingsFolder(), "/x/config/VornExplorer/");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  {
    ScopedEnv home("HOME", "/home/taro/");
    EXPECT_EQ(UserSettingsFolder(), "/home/taro/.config/VornExplorer/");
  }
  ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(UserSettingsFolder(), "");
}

TEST(AppPaths, SettingsDirOptionIsTakenFromTheArguments) {
  TempDir dir;
  std::vector<std::string> args = {"vornexpl", "a.log", "--settings-dir", dir.Path() + "/s",
                                   "b.log"};
  ASSERT_TRUE(TakeSettingsDirOption(args));
  EXPECT_EQ(args, (std::vector<std::string>{"vornexpl", "a.log", "b.log"}));
  // The folder is made on first use and every settings file is named inside it.
  EXPECT_EQ(SettingsFilePath("vornexpl.ini"), dir.Path() + "/s/vornexpl.ini");
  EXPECT_TRUE(DirectoryExists(dir.Path() + "/s"));

  args = {"vornexpl", "--settings-dir=" + dir.Path() + "/t"};
  ASSERT_TRUE(TakeSettingsDirOption(args));
  EXPECT_EQ(args.size(), 1u);
  EXPECT_EQ(SettingsFolder(), dir.Path() + "/t/");

  args = {"vornexpl", "--settings-dir"};
  EXPECT_FALSE(TakeSettingsDirOption(args));
  EXPECT_EQ(args.size(), 2u);
  args = {"vornexpl", "x.log"};
  EXPECT_TRUE(TakeSettingsDirOption(args));
  EXPECT_EQ(SettingsFolder(), dir.Path() + "/t/");
  // Past "--" it is a file name.
  args = {"vornexpl", "--", "--settings-dir", "x.log"};
  EXPECT_TRUE(TakeSettingsDirOption(args));
  EXPECT_EQ(args.size(), 4u);
  EXPECT_EQ(SettingsFolder(), dir.Path() + "/t/");
  SetSettingsFolderOverride("");
}

TEST(AppPaths, TrailingSeparator) {
  EXPECT_EQ(IncludeTrailingSeparator(""), "/");
  EXPECT_EQ(IncludeTrailingSeparator("/var/log"), "/var/log/");
  EXPECT_EQ(IncludeTrailingSeparator("/var/log/"), "/var/log/");
  EXPECT_EQ(IncludeTrailingSeparator(J("/ログ/表")), J("/ログ/表/"));
}

TEST(AppPaths, DefaultEditorIsOneThatWaitsForTheUser) {
  TempDir dir;
  const std::string bin = dir.Path();
  {
    ScopedEnv path("PATH", bin.c_str());
    EXPECT_EQ(DefaultEditorCommand(), "gedit --wait");  // nothing installed
    MakeExecutable(bin + "/xterm");
    EXPECT_EQ(DefaultEditorCommand(), "gedit --wait");  // xterm alone cannot edit
    MakeExecutable(bin + "/vi");
    EXPECT_EQ(DefaultEditorCommand(), "xterm -e vi");
    MakeExecutable(bin + "/kate");
    EXPECT_EQ(DefaultEditorCommand(), "kate --block");
    MakeExecutable(bin + "/gedit");
    EXPECT_EQ(DefaultEditorCommand(), "gedit --wait");
    EXPECT_EQ(FindProgramOnPath("kate"), bin + "/kate");
    EXPECT_EQ(FindProgramOnPath("nano"), "");
  }
  // A file that is not executable is not a program.
  WriteBytes(bin + "/plain", "");
  ScopedEnv path("PATH", ("/nonexistent:" + bin).c_str());
  EXPECT_EQ(FindProgramOnPath("plain"), "");
  EXPECT_EQ(FindProgramOnPath("gedit"), bin + "/gedit");
}

}  // namespace
}  // namespace vorn
