// What vornexpl-cli export writes into the files, run as a real process and read back by real
// parsers: how boards are named, the text of a log that holds terminal sequences and control
// bytes, the threading headers of deep threads, and links that have text to click.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "archive/ArchiveTestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::JsonLines;

class ArchiveCliContent : public ::testing::Test {
 protected:
  test::ProcessRun Run(std::vector<std::string> args) { return cli.Run(std::move(args)); }
  // Exports the logs into a new folder; its path.
  std::string Export(const std::string& format, const std::vector<std::string>& logs) {
    const std::string out = dir.File("out-" + std::to_string(++exports_) + "-" + format);
    std::vector<std::string> args = {"export", "--format", format, "--out", out};
    args.insert(args.end(), logs.begin(), logs.end());
    const test::ProcessRun run = Run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return out;
  }
  std::vector<json> Mbox(const std::string& folder) {
    const auto run =
        test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_mbox.py"), folder});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return JsonLines(run.out);
  }
  json Site(const std::string& folder) {
    const auto run =
        test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_html.py"), folder});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.exitCode == 0 ? json::parse(run.out) : json();
  }
  std::string Log(const char* name, const std::string& bytes) {
    test::WriteBytes(dir.File(name), bytes);
    return dir.File(name);
  }

  test::TempDir dir;
  test::CliRunner cli{dir};

 private:
  int exports_ = 0;
};

// The board list's names of a set's boards: "FCOMP   :MES:03" read as "FCOMP:MES:03".
std::vector<std::string> BoardLabels(const std::string& boardsOutput) {
  std::vector<std::string> labels;
  std::istringstream in(boardsOutput);
  for (std::string line; std::getline(in, line);) {
    const size_t from = line.find(") ") + 2, to = line.find(" / ");
    std::string label;
    for (char c : line.substr(from, to - from))
      if (c != ' ') label += c;
    labels.push_back(label);
  }
  return labels;
}

// A Nifty-Serve board is named as its line in the board list names it, in every format.
TEST_F(ArchiveCliContent, NiftyServeBoardsKeepTheNameTheirLineShows) {
  if (!test::PythonHas(dir, "mailbox, email, html5lib")) GTEST_SKIP() << "python3 modules missing";
  const std::string log = dir.File("NIF19990730.LOG");
  const auto boards = Run({"boards", log});
  ASSERT_EQ(boards.exitCode, 0) << boards.err;
  const std::vector<std::string> labels = BoardLabels(boards.out);
  ASSERT_EQ(labels, (std::vector<std::string>{"MAIL", "FCOMP:MES:03", "FGAME:MES:07"}));
  const std::set<std::string> all(labels.begin(), labels.end());

  std::set<std::string> jsonBoards;
  for (const json& o : JsonLines(test::ReadBytes(Export("jsonl", {log}) + "/articles.jsonl"))) {
    ASSERT_TRUE(o["board"].is_string()) << o.dump();
    jsonBoards.insert(o["board"].get<std::string>());
  }
  EXPECT_EQ(jsonBoards, all);

  std::set<std::string> mailBoards;
  for (const json& m : Mbox(Export("mbox", {log})))
    mailBoards.insert(m["board"].get<std::string>());
  EXPECT_EQ(mailBoards, all);

  const json site = Site(Export("html", {log}));
  ASSERT_EQ(site["boards"].size(), labels.size());
  std::set<std::string> headings;
  for (size_t b = 0; b < labels.size(); ++b) {
    EXPECT_EQ(site["boards"][b]["key"], labels[b]);
    headings.insert(site["pages"][site["boards"][b]["href"].get<std::string>()]["heading"]);
  }
  // The titles keep the blank the board header ends them with.
  EXPECT_EQ(headings, (std::set<std::string>{"MAIL メール ", "FCOMP:MES:03 パソコン初心者 ",
                                             "FGAME:MES:07 ＲＰＧ攻略 "}));
}

// Terminal sequences go whole, control bytes show as their pictures, bytes that do not decode
// as U+FFFD with the ASCII after them kept: the same text as vornexpl-cli show prints, in
// every format, and no control byte but the line feed in any file.
TEST_F(ArchiveCliContent, TerminalSequencesAndControlBytesReadAsTheViewShowsThem) {
  if (!test::PythonHas(dir, "mailbox, email, html5lib")) GTEST_SKIP() << "python3 modules missing";
  const std::string log = Log("NET20000101.LOG", test::ControlBytesCapture());
  const std::vector<std::string>& shown = test::ControlBytesShown();
  std::string body;
  for (const std::string& line : shown)
    body += line + "\n";

  const auto show = Run({"show", "--board", "1", "--position", "0", log});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_TRUE(show.out.ends_with(body)) << show.out;

  const std::string jsonl = Export("jsonl", {log});
  const auto objects = JsonLines(test::ReadBytes(jsonl + "/articles.jsonl"));
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]["body"], body.substr(0, body.size() - 1));

  const std::string mbox = Export("mbox", {log});
  const auto messages = Mbox(mbox);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["body"], body);

  const std::string html = Export("html", {log});
  const json site = Site(html);
  const std::string text = site["pages"]["001-test.html"]["articles"][0]["text"];
  EXPECT_TRUE(text.ends_with(body)) << text;

  for (const std::string& folder : {jsonl, mbox, html}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string bytes = test::ReadBytes(entry.path().string());
      for (char c : bytes)
        ASSERT_TRUE(!IsPicturedControl(static_cast<unsigned char>(c)) || c == '\n')
            << entry.path() << " holds the byte " << int(c);
      // DEL is there to be seen.
      if (entry.path().filename() == "001-test.html") {
        EXPECT_NE(bytes.find("del\u2421 fs"), std::string::npos);
      }
    }
  }
}

// References name the thread's top and the nearest ten ancestors, however deep the thread.
TEST_F(ArchiveCliContent, ReferencesKeepTheThreadsTopBeyondTenAncestors) {
  if (!test::PythonHas(dir, "mailbox, email")) GTEST_SKIP() << "python3 modules missing";
  // A root, then a chain of 14 replies, each to the one before.
  std::string log =
      test::Capture({"Command (?:5", "No.5 ｢テスト｣", "", "-\t", "test(100/200) 99/07/30 10:00 top",
                     "  3 lines 1024:たろう ", "the top", ""});
  for (int n = 101; n <= 114; ++n) {
    const std::string parent = std::to_string(n - 1);
    log += test::Capture(
        {"-\t",
         "test(" + std::to_string(n) + "/200) 99/07/30 10:" + std::to_string(n - 90) + " Re: top",
         " <" + parent + ":Re: top/1024:たろう>", "  3 lines 2048:はなこ ",
         "reply " + std::to_string(n), ""});
  }
  log += test::Capture({"読み終わりました"});
  const auto messages = Mbox(Export("mbox", {Log("NET20000101.LOG", log)}));
  ASSERT_EQ(messages.size(), 15u);
  std::map<std::string, std::string> parentOf;
  for (const json& m : messages) {
    if (!m["in_reply_to"].is_null()) parentOf[m["message_id"]] = m["in_reply_to"];
  }
  int deep = 0;
  for (const json& m : messages) {
    std::vector<std::string> ancestors;  // the top first
    for (auto it = parentOf.find(m["message_id"]); it != parentOf.end();
         it = parentOf.find(it->second))
      ancestors.insert(ancestors.begin(), it->second);
    std::vector<std::string> expected = ancestors;
    if (ancestors.size() > 10) {
      expected.assign(ancestors.end() - 10, ancestors.end());
      expected.insert(expected.begin(), ancestors.front());
      ++deep;
    }
    ASSERT_EQ(m["references"], json(expected)) << m.dump();
    if (!ancestors.empty()) {
      EXPECT_EQ(ancestors.front(), messages[0]["message_id"]);
    }
  }
  EXPECT_EQ(deep, 4);
}

// A board without a key and a missing parent whose replies do not name its title: every link
// of the site still has text.
TEST_F(ArchiveCliContent, EveryLinkOfTheSiteHasText) {
  if (!test::PythonHas(dir, "html5lib")) GTEST_SKIP() << "python3-html5lib is not installed";
  const std::string log =
      Log("NET20000101.LOG",
          test::Capture({"Command (?:6", "No.6 ｢キーなし｣", "", "-\t",
                         "(1/20) 99/07/30 10:00 no key", "  3 lines 1024:たろう ", "body", "",
                         "読み終わりました", "Command (?:5", "No.5 ｢テスト｣", "", "-\t",
                         "test(11/20) 99/07/30 10:05 Re: x", " <7:/1024:たろう>",
                         "  3 lines 2048:はなこ ", "reply", "", "読み終わりました"}));
  const json site = Site(Export("html", {log}));
  EXPECT_EQ(site["blank_links"], json::array());
  EXPECT_EQ(site["broken_links"], json::array());
  ASSERT_EQ(site["boards"].size(), 3u);
  const json& keyless = site["boards"][2];
  EXPECT_EQ(keyless["title"], "キーなし");
  EXPECT_EQ(keyless["key"], "6");
  EXPECT_EQ(site["pages"][keyless["href"].get<std::string>()]["heading"], "6 キーなし");
  const json& rows = site["pages"]["001-test.html"]["rows"];
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0]["missing"]);
  EXPECT_EQ(rows[0]["title"], "(タイトルなし)");
}

}  // namespace
}  // namespace vorn
