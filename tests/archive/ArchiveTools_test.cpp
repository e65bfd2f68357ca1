// The exported archive in the programs people read it with: mutt threads each board's mbox
// file, and headless Chromium opens the site, follows links and searches. Both skip when the
// program is not installed (scripts/setup-deps installs them for `make test`). Their screens
// are kept under the build folder (tests/archive/screens/) to be looked at.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>
#include <sstream>

#include "archive/ArchiveTestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::JsonLines;

std::string ScreensFolder() {
  const std::string folder = std::string(VORN_BINARY_DIR) + "/tests/archive/screens";
  fs::create_directories(folder);
  return folder;
}

// mutt shows each board file threaded as the grid's tree order: the same messages in the same
// order, every reply one level under its parent, every thread together. (A missing parent is
// not a message: mutt draws it as "?" or leaves it out, so only the replies under it count.)
TEST(ArchiveInMutt, ThreadsEveryBoardAsTheGridDoes) {
  test::TempDir dir;
  if (::access("/usr/bin/mutt", X_OK) != 0 || !test::PythonHas(dir, "pyte, mailbox"))
    GTEST_SKIP() << "mutt or python3-pyte is not installed";
  std::vector<std::unique_ptr<test::ArchiveSession>> sessions;
  for (const char* sample : {"NET19990730.LOG", "NIF19990730.LOG"}) {
    sessions.push_back(std::make_unique<test::ArchiveSession>());
    ASSERT_TRUE(sessions.back()->LoadSample(sample));
  }
  sessions.push_back(std::make_unique<test::ArchiveSession>());
  ASSERT_TRUE(sessions.back()->LoadGenerated(3000, 17));
  int checkedBoards = 0, checkedReplies = 0, checkedOrphans = 0;
  for (auto& session : sessions) {
    const std::string folder = session->Export(ArchiveFormat::Mbox);
    const auto parsed = JsonLines(
        test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_mbox.py"), folder}).out);
    size_t k = 0;
    for (const test::ExpectedBoard& board : session->Expected()) {
      if (board.Articles() == 0) continue;
      // Boards without a reply say nothing about threading: counted, not opened.
      const bool replies = std::any_of(board.entries.begin(), board.entries.end(),
                                       [](const test::ExpectedEntry& e) { return e.level > 0; });
      // The messages of this board in file order (the tree order), and the grid's parents.
      std::vector<std::string> ids;
      std::vector<int32_t> gridParent;  // index into ids, -1 top, -2 under a missing parent
      std::vector<int32_t> atLevel;     // the last entry's message index (or -2) per level
      for (const test::ExpectedEntry& e : board.entries) {
        atLevel.resize(static_cast<size_t>(e.level) + 1, -1);
        const int32_t parent = e.level > 0 ? atLevel[static_cast<size_t>(e.level) - 1] : -1;
        if (e.placeholder) {
          atLevel[static_cast<size_t>(e.level)] = -2;
          continue;
        }
        ASSERT_LT(k, parsed.size());
        ids.push_back(parsed[k++]["message_id"]);
        gridParent.push_back(parent);
        atLevel[static_cast<size_t>(e.level)] = static_cast<int32_t>(ids.size()) - 1;
      }
      if (!replies || checkedBoards >= 6) continue;
      const std::string file = folder + "/" + parsed[k - 1]["file"].get<std::string>();
      const std::string screen = ScreensFolder() + "/mutt-" +
                                 session->sample.session->CurrentPrefix + "-" +
                                 parsed[k - 1]["file"].get<std::string>() + ".txt";
      const auto run = test::RunProcess(dir, {test::kPython, test::ScriptPath("mutt_threads.py"),
                                              file, std::to_string(ids.size() + 4), screen});
      ASSERT_EQ(run.exitCode, 0) << run.err;
      const auto rows = JsonLines(run.out);
      SCOPED_TRACE(test::ReadBytes(screen));
      ASSERT_EQ(rows.size(), ids.size());
      for (size_t i = 0; i < ids.size(); ++i) {
        ASSERT_EQ(rows[i]["id"], ids[i]) << "message " << i << " out of the grid's order";
        const int depth = rows[i]["depth"];
        if (gridParent[i] >= 0) {
          ASSERT_EQ(depth, rows[static_cast<size_t>(gridParent[i])]["depth"].get<int>() + 1)
              << rows[i]["row"];
          ++checkedReplies;
        } else if (gridParent[i] == -1) {
          ASSERT_EQ(depth, 0) << rows[i]["row"];
        } else {
          ASSERT_LE(depth, 1) << rows[i]["row"];
          ++checkedOrphans;
        }
      }
      ++checkedBoards;
    }
  }
  EXPECT_EQ(checkedBoards, 6);
  EXPECT_GE(checkedReplies, 6);
  EXPECT_GE(checkedOrphans, 10);
}

// Mails exported day by day and both days together keep their Message-IDs, and no two mails
// share one: mutt reads the two days' mail boxes one after the other without a duplicate.
TEST(ArchiveInMutt, MailsKeepTheirIdsAcrossExportsAndNeverShareOne) {
  test::TempDir dir;
  if (!test::PythonHas(dir, "pyte, mailbox, email")) GTEST_SKIP() << "python3 modules missing";
  test::CliRunner cli(dir);
  const std::string day1 = dir.File("NET19990730.LOG"), day2 = dir.File("NET19990731.LOG");
  // The next day's mail box, numbered from 0 again: a mail of the same writer and title as one
  // of the first day's, and a new one.
  test::WriteBytes(
      day2, test::Capture({"Command (?:M", "No.0 ｢メール｣", "", "-\t",
                           "mail 99/07/31 09:00 オフ会の件", "  3 lines 2048:はなこ ",
                           "日程が変わりました。", "", "次のメールを確認しますか (Y/N)?Y", "-\t",
                           "mail 99/07/31 11:30 次回の予定", "  3 lines 4096:さぶろう ",
                           "来週はどうですか。", "", "次のメールを確認しますか (Y/N)?N"}));
  auto mailIds = [&](const std::vector<std::string>& logs, const std::string& out) {
    std::vector<std::string> args = {"export", "--format", "mbox", "--out", dir.File(out)};
    args.insert(args.end(), logs.begin(), logs.end());
    const auto run = cli.Run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> ids;
    for (const json& m :
         JsonLines(test::RunProcess(
                       dir, {test::kPython, test::ScriptPath("parse_mbox.py"), dir.File(out)})
                       .out)) {
      if (m["file"] == "000-mail.mbox") ids.push_back(m["message_id"]);
    }
    return ids;
  };
  const auto first = mailIds({day1}, "day1"), second = mailIds({day2}, "day2"),
             both = mailIds({day1, day2}, "both"), again = mailIds({day1}, "again");
  ASSERT_EQ(first.size(), 2u);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(again, first);
  std::set<std::string> separate(first.begin(), first.end());
  separate.insert(second.begin(), second.end());
  EXPECT_EQ(separate.size(), 4u) << "two days' mails share an ID";
  EXPECT_EQ(std::set<std::string>(both.begin(), both.end()), separate);

  if (::access("/usr/bin/mutt", X_OK) != 0) GTEST_SKIP() << "mutt is not installed";
  const std::string joined = dir.File("joined.mbox");
  test::WriteBytes(joined, test::ReadBytes(dir.File("day1/000-mail.mbox")) +
                               test::ReadBytes(dir.File("day2/000-mail.mbox")));
  const std::string screen = ScreensFolder() + "/mutt-two-days-of-mail.txt";
  const auto run = test::RunProcess(
      dir, {test::kPython, test::ScriptPath("mutt_threads.py"), joined, "10", screen});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto rows = JsonLines(run.out);
  SCOPED_TRACE(test::ReadBytes(screen));
  ASSERT_EQ(rows.size(), 4u);
  for (const json& row : rows)
    EXPECT_FALSE(row["duplicate"].get<bool>()) << row["row"];
}

// A body line longer than a message line may be (998 octets) is sent quoted-printable: every
// line of the file stays within the limit, and Python and mutt read the text back as it was.
TEST(ArchiveInMutt, LongBodyLinesAreEncodedAndReadBackWhole) {
  test::TempDir dir;
  if (!test::PythonHas(dir, "pyte, mailbox, email")) GTEST_SKIP() << "python3 modules missing";
  test::CliRunner cli(dir);
  std::string longLine = "long ";
  // 1,338 octets in UTF-8.
  for (int i = 0; i < 500; ++i)
    longLine += i % 3 ? "長" : "a=";
  const std::vector<std::string> body = {longLine,      "From here", "trailing blanks  ",
                                         "tab\tinside", "",          "=?UTF-8?B?QQ==?= 2+2=4",
                                         "最後の行"};
  std::vector<std::string_view> lines = {
      "Command (?:5",          "No.5 ｢テスト｣", "", "-\t", "test(10/20) 99/07/30 10:00 long",
      "  9 lines 1024:たろう "};
  lines.insert(lines.end(), body.begin(), body.end());
  for (std::string_view tail : {"", "-\t", "test(11/20) 99/07/30 10:05 short",
                                "  3 lines 2048:はなこ ", "a short one", "", "読み終わりました"})
    lines.push_back(tail);
  std::string log;
  for (std::string_view line : lines)
    log += test::J(line) + "\r\n";
  test::WriteBytes(dir.File("NET20000101.LOG"), log);
  const auto exported = cli.Run(
      {"export", "--format", "mbox", "--out", dir.File("out"), dir.File("NET20000101.LOG")});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  const std::string file = dir.File("out/001-test.mbox");
  const std::string data = test::ReadBytes(file);
  size_t longest = 0;
  for (size_t from = 0, lf; from < data.size(); from = lf + 1) {
    lf = data.find('\n', from);
    if (lf == std::string::npos) lf = data.size();
    longest = std::max(longest, lf - from);
  }
  EXPECT_LE(longest, 998u);
  EXPECT_NE(data.find("Content-Transfer-Encoding: quoted-printable\n"), std::string::npos);
  // The short article next to it stays readable as it is.
  EXPECT_NE(data.find("Content-Transfer-Encoding: 8bit\n\na short one\n"), std::string::npos);

  std::string expected;
  for (const std::string& line : body)
    expected += line + "\n";
  const auto messages = JsonLines(
      test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_mbox.py"), dir.File("out")})
          .out);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0]["body"], expected);
  EXPECT_EQ(messages[0]["defects"], json::array());

  if (::access("/usr/bin/mutt", X_OK) != 0) GTEST_SKIP() << "mutt is not installed";
  const std::string screen = ScreensFolder() + "/mutt-long-line.txt";
  const auto run = test::RunProcess(dir, {test::kPython, test::ScriptPath("mutt_threads.py"), file,
                                          "10", screen, dir.File("piped.txt")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string piped = test::ReadBytes(dir.File("piped.txt"));
  const size_t blank = piped.find("\n\n");
  ASSERT_NE(blank, std::string::npos) << piped;
  // mutt takes mboxrd's quoting as part of the text.
  std::string shown = expected;
  shown.replace(shown.find("From here"), 0, ">");
  EXPECT_EQ(piped.substr(blank + 2, shown.size()), shown) << piped;
}

// Chromium opens index.html, follows the link to a board and from its grid to an article,
// types into the search box; a title that is markup stays text. The screenshot stays in
// tests/archive/screens/.
TEST(ArchiveInBrowser, FollowsLinksAndSearches) {
  test::TempDir dir;
  if (::access("/usr/bin/chromium", X_OK) != 0 || !test::PythonHas(dir, "json"))
    GTEST_SKIP() << "chromium is not installed";
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadSample("NET19990730.LOG"));
  const std::string folder = session.Export(ArchiveFormat::Html);
  const std::string shot = ScreensFolder() + "/browser-general-search.png";
  fs::remove(shot);
  auto run = test::RunProcess(dir, {test::kPython, test::ScriptPath("browse_site.py"),
                                    "/usr/bin/chromium", folder, "1", "オフ会", shot});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  json seen = json::parse(run.out);
  EXPECT_EQ(seen["boards"], json({"mail", "general", "prog", "binary"}));
  EXPECT_EQ(fs::path(seen["board_url"].get<std::string>()).filename(), "001-general.html");
  EXPECT_EQ(seen["board_heading"], "1:general 雑談ボード");
  EXPECT_EQ(seen["rows"], 5);
  EXPECT_EQ(seen["hash"], seen["article_link"]);
  EXPECT_EQ(seen["article_visible"], true);
  EXPECT_EQ(seen["article_title"], "Re: 夏のオフ会");
  // The search: the missing "夏のオフ会" and its reply.
  EXPECT_EQ(seen["hits"], "2 件");
  EXPECT_EQ(seen["shown"], json({"a95", "a104"}));
  EXPECT_EQ(seen["shown_rows"], 2);
  EXPECT_GT(fs::file_size(shot), 10000u);

  // Markup in a title: shown as text, never run.
  test::ArchiveSession crafted;
  const char* const lines[] = {"No.5 ｢テスト｣",
                               "",
                               "-\t",
                               "test(13/20) 99/07/30 10:20 <script>alert(1)</script><b>x</b>",
                               "  3 lines 3072:じろう ",
                               "<img src=x onerror=alert(2)>",
                               ""};
  std::string log;
  for (const char* line : lines)
    log += test::J(line) + "\r\n";
  ASSERT_TRUE(crafted.LoadBytes(log));
  const std::string folder2 = crafted.Export(ArchiveFormat::Html);
  run =
      test::RunProcess(dir, {test::kPython, test::ScriptPath("browse_site.py"), "/usr/bin/chromium",
                             folder2, "0", "img", ScreensFolder() + "/browser-markup.png"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  seen = json::parse(run.out);
  EXPECT_EQ(seen["article_title"], "<script>alert(1)</script><b>x</b>");
  EXPECT_EQ(seen["scripts"], 1);
  EXPECT_EQ(seen["dialogs"], 0);
  EXPECT_EQ(seen["hits"], "1 件");
}

}  // namespace
}  // namespace vorn
