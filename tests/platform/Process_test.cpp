#include "platform/Process.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using Args = std::vector<std::string>;

// Any argument, written with QuoteCommandLineArgument after a program, comes back whole: random
// strings over the bytes the rules treat specially, and a double-byte character whose second
// byte is a backslash ("表") right before a quote and at the end.
TEST(SplitCommandLine, AQuotedArgumentComesBackByteForByte) {
  const std::string kanji = "\x95\x5c";
  const std::vector<std::string> fixed = {"",           "plain",        "a b",  "\"",
                                          "\\",         "a\\\"b",       "x\\",  "\"\"",
                                          kanji + "\"", "dir/" + kanji, "tab\t"};
  std::vector<std::string> cases = fixed;
  std::mt19937 random(18);
  const std::string alphabet = std::string("ab \t\"\\") + kanji;
  for (int n = 0; n < 2000; ++n) {
    std::string arg;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i)
      arg += alphabet[random() % alphabet.size()];
    cases.push_back(arg);
  }
  for (const std::string& arg : cases) {
    EXPECT_EQ(SplitCommandLine("editor " + QuoteCommandLineArgument(arg)), (Args{"editor", arg}))
        << arg;
  }
}

TEST(SplitCommandLine, WindowsQuotingAndBackslashRules) {
  EXPECT_EQ(SplitCommandLine("  prog  a  b "), (Args{"prog", "a", "b"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\ed.exe\" \"a b\" c"),
            (Args{"C:\\Program Files\\ed.exe", "a b", "c"}));
  // The program name takes backslashes literally, even before a quote.
  EXPECT_EQ(SplitCommandLine("\"a\\\\\" x"), (Args{"a\\\\", "x"}));
  EXPECT_EQ(SplitCommandLine("p a\\\\\\\"b"), (Args{"p", "a\\\"b"}));     // 3 backslashes + quote
  EXPECT_EQ(SplitCommandLine("p \"a\\\\\" b"), (Args{"p", "a\\", "b"}));  // 2 + quote
  EXPECT_EQ(SplitCommandLine("p a\\b\\\\c"), (Args{"p", "a\\b\\\\c"}));
  EXPECT_EQ(SplitCommandLine("p \"say \"\"hi\"\"\""), (Args{"p", "say \"hi\""}));
  EXPECT_EQ(SplitCommandLine("p \"\""), (Args{"p", ""}));
  EXPECT_EQ(SplitCommandLine("   "), Args{});
}

TEST(StartedProcess, StartsWithoutAShellAndNoticesTheEnd) {
  test::TempDir dir;
  std::string marker = dir.File("m;echo injected>x");
  // The semicolon would split the command in a shell; here it is part of one argument.
  auto p = StartedProcess::Start("touch \"" + marker + "\"");
  ASSERT_TRUE(p);
  for (int i = 0; i < 500 && !p->HasEnded(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(p->HasEnded());
  EXPECT_EQ(p->ExitCode(), 0);
  EXPECT_EQ(test::ReadBytes(marker), "");
  EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST(StartedProcess, RunningProcessIsNotEnded) {
  auto p = StartedProcess::Start("sleep 5");
  ASSERT_TRUE(p);
  EXPECT_FALSE(p->HasEnded());
  ::kill(p->Pid(), SIGTERM);
  for (int i = 0; i < 500 && !p->HasEnded(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(p->HasEnded());
}

TEST(RunProgram, ReportsWhetherTheProgramStarted) {
  EXPECT_TRUE(RunProgram("true"));
  EXPECT_FALSE(RunProgram("/no/such/program --x"));
  EXPECT_FALSE(RunProgram(""));
  EXPECT_FALSE(RunProgram("true " + std::string(kMaxCommandLine, 'a')));
}

}  // namespace
}  // namespace vorn
