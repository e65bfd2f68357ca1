// The three formats read back by real parsers (nlohmann-json, Python's mailbox and email
// packages, html5lib) and compared with the analysed articles of both samples and of a
// generated capture; the export folder's rules; failures that leave no half-written file.

#include "archive/ArchiveExport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "archive/ArchiveTestSupport.h"
#include "archive/MailHeader.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::string>& lines, const char* end = "") {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i)
    out += (i ? "\n" : "") + lines[i];
  return lines.empty() ? out : out + end;
}

// A NetVorn capture written here: a missing parent with two replies (one replied to in turn),
// a title that is markup, a body with mbox separators, quotes, links and bytes that do not
// decode.
std::string CraftedCapture() {
  const char* const lines[] = {"Command (?:5",
                               "No.5 ｢テスト｣",
                               "",
                               "-\t",
                               "test(10/20) 99/07/30 10:00 Re: missing A",
                               " <7:missing/1024:たろう>",
                               "  3 lines 1024:たろう ",
                               "first orphan",
                               "From here on",
                               "",
                               "-\t",
                               "test(11/20) 99/07/30 10:05 Re: Re: missing A",
                               " <10:Re: missing A/1024:たろう>",
                               "  3 lines 2048:はなこ ",
                               "reply to orphan",
                               "",
                               "-\t",
                               "test(12/20) 99/07/30 10:10 Re: missing A again",
                               " <7:missing/1024:たろう>",
                               "  3 lines 3072:じろう ",
                               "second orphan",
                               "",
                               "-\t",
                               "test(13/20) 99/07/30 10:20 <script>alert(1)</script> & \"q\"",
                               "  3 lines 3072:じろう ",
                               ">From the start",
                               "> quoted http://www.example.com/a?b=1&c=2",
                               "＞ mail taro@example.jp",
                               "broken \x01\x02 end",
                               "",
                               "読み終わりました"};
  std::string out;
  for (const char* line : lines) {
    std::string text = test::J(line);
    // The one line with bytes that do not decode: a pair without a character (its ASCII
    // second byte kept) and a lone lead byte.
    if (text.find("broken") == 0) text = "broken \x85\x40 and \x82\x01 end";
    out += text + "\r\n";
  }
  return out;
}

class ArchiveExportTest : public ::testing::Test {
 protected:
  // The sessions every format is checked on.
  static std::vector<std::unique_ptr<test::ArchiveSession>> Sessions() {
    std::vector<std::unique_ptr<test::ArchiveSession>> sessions;
    for (const char* sample : {"NET19990730.LOG", "NIF19990730.LOG"}) {
      sessions.push_back(std::make_unique<test::ArchiveSession>());
      EXPECT_TRUE(sessions.back()->LoadSample(sample));
    }
    sessions.push_back(std::make_unique<test::ArchiveSession>());
    EXPECT_TRUE(sessions.back()->LoadGenerated(6000, 21));
    sessions.push_back(std::make_unique<test::ArchiveSession>());
    EXPECT_TRUE(sessions.back()->LoadBytes(CraftedCapture()));
    return sessions;
  }
  test::TempDir dir;
};

TEST_F(ArchiveExportTest, JsonLinesHoldEveryArticleAsAnalysed) {
  for (auto& session : Sessions()) {
    ArchiveResult result;
    const std::string folder = session->Export(ArchiveFormat::Jsonl, &result);
    ASSERT_EQ(FilesIn(folder), std::vector<std::string>{"articles.jsonl"});
    std::ifstream in(folder + "/articles.jsonl");
    std::string line;
    std::vector<json> objects;
    while (std::getline(in, line))
      objects.push_back(json::parse(line));  // throws on anything that is not JSON
    size_t k = 0;
    int64_t articles = 0;
    for (const test::ExpectedBoard& board : session->Expected()) {
      for (const test::ExpectedEntry& e : board.entries) {
        if (e.placeholder) continue;
        ++articles;
        ASSERT_LT(k, objects.size());
        const json& o = objects[k++];
        const json expected = {
            {"board", board.number >= 0 ? json(board.number) : json(board.label)},
            {"board_key", board.key},
            {"board_title", board.title},
            {"number", e.number},
            {"parent", e.parent ? json(*e.parent) : json(nullptr)},
            {"date", e.date ? json(*e.date) : json(nullptr)},
            {"writer", e.writer.empty() ? json(nullptr) : json(e.writer)},
            {"handle", e.writer.empty() ? json(nullptr) : json(e.handle)},
            {"title", e.title},
            {"kind", e.kind},
            {"body", Joined(e.body)},
        };
        ASSERT_EQ(o, expected) << o.dump();
      }
    }
    EXPECT_EQ(k, objects.size());
    EXPECT_EQ(result.Articles, articles);
  }
}

TEST_F(ArchiveExportTest, JsonLinesCountAndMarkTheBytesThatDoNotDecode) {
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadBytes(CraftedCapture()));
  ArchiveResult result;
  const std::string folder = session.Export(ArchiveFormat::Jsonl, &result);
  EXPECT_EQ(result.UndecodedBytes, 2);
  const std::string data = test::ReadBytes(folder + "/articles.jsonl");
  // The control byte after the broken pair shows as its picture, as in the article view.
  EXPECT_NE(data.find("broken \xEF\xBF\xBD@ and \xEF\xBF\xBD\xE2\x90\x81 end"), std::string::npos);
  const std::string summary =
      Cp932ToUtf8(ArchiveSummary(session.Request(ArchiveFormat::Jsonl, folder), result));
  EXPECT_NE(summary.find("変換できなかったバイト: 2"), std::string::npos) << summary;
  EXPECT_NE(summary.find("記事: 4"), std::string::npos) << summary;
}

// Every message of every board file read by Python: headers, body, and the threading headers
// against the reply tree.
TEST_F(ArchiveExportTest, MboxFilesReadByPythonGiveBackTheArticlesAndTheirTree) {
  if (!test::PythonHas(dir, "mailbox, email")) GTEST_SKIP() << "Debian's python3 is not installed";
  for (auto& session : Sessions()) {
    const std::string folder = session->Export(ArchiveFormat::Mbox);
    const auto run =
        test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_mbox.py"), folder});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<json> messages;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
      messages.push_back(json::parse(line));
    std::set<std::string> ids;
    for (const json& m : messages)
      ids.insert(m["message_id"].get<std::string>());
    ASSERT_EQ(ids.size(), messages.size()) << "message IDs repeat";

    const std::string domain =
        session->sample.session->CurrentPrefix == "NET" ? "net.bbs.invalid" : "nif.bbs.invalid";
    size_t k = 0;
    std::set<std::string> files;
    for (const test::ExpectedBoard& board : session->Expected()) {
      // The message of each entry, and for placeholders the ID their replies point to.
      std::vector<std::string> idOf(board.entries.size());
      std::vector<int32_t> parentOf(board.entries.size(), -1);
      std::vector<int32_t> lastAtLevel;
      for (size_t i = 0; i < board.entries.size(); ++i) {
        const test::ExpectedEntry& e = board.entries[i];
        lastAtLevel.resize(static_cast<size_t>(e.level) + 1, -1);
        if (e.level > 0) parentOf[i] = lastAtLevel[static_cast<size_t>(e.level) - 1];
        lastAtLevel[static_cast<size_t>(e.level)] = static_cast<int32_t>(i);
        if (e.placeholder) continue;
        ASSERT_LT(k, messages.size());
        const json& m = messages[k++];
        files.insert(m["file"].get<std::string>());
        idOf[i] = m["message_id"];
        SCOPED_TRACE(m.dump());
        ASSERT_EQ(m["subject"], e.title);
        ASSERT_EQ(m["from_name"], e.handle);
        ASSERT_EQ(m["from_addr"], (e.writer.empty() ? "unknown" : e.writer) + "@" + domain);
        ASSERT_EQ(m["date"], e.date ? json(*e.date) : json(nullptr));
        ASSERT_EQ(m["number"], std::to_string(e.number));
        ASSERT_EQ(m["board"], board.label);
        ASSERT_EQ(m["content_type"], "text/plain");
        ASSERT_EQ(m["charset"], "utf-8");
        ASSERT_EQ(m["body"], Joined(e.body, "\n"));
        ASSERT_EQ(m["defects"], json::array());
        if (parentOf[i] < 0) {
          ASSERT_TRUE(m["in_reply_to"].is_null());
          continue;
        }
        const size_t parent = static_cast<size_t>(parentOf[i]);
        if (board.entries[parent].placeholder) {
          // The ID the missing parent would have: no message has it, its replies share it.
          if (idOf[parent].empty()) idOf[parent] = m["in_reply_to"];
          ASSERT_EQ(m["in_reply_to"], idOf[parent]);
          ASSERT_EQ(ids.count(idOf[parent]), 0u);
        } else {
          ASSERT_EQ(m["in_reply_to"], idOf[parent]);
        }
        ASSERT_EQ(m["references"].back(), m["in_reply_to"]);
      }
    }
    EXPECT_EQ(k, messages.size());
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>(files.begin(), files.end()));
  }
}

// Every page parsed by html5lib in strict mode; the grid rows, articles, links and the index
// against the analysis.
TEST_F(ArchiveExportTest, HtmlPagesAreValidAndShowEveryArticleAsTheViewDoes) {
  if (!test::PythonHas(dir, "html5lib")) GTEST_SKIP() << "python3-html5lib is not installed";
  for (auto& session : Sessions()) {
    ArchiveResult result;
    const std::string folder = session->Export(ArchiveFormat::Html, &result);
    const auto run =
        test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_html.py"), folder});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json site = json::parse(run.out);
    EXPECT_EQ(site["broken_links"], json::array());
    EXPECT_EQ(site["blank_links"], json::array());
    const auto boards = session->Expected();
    ASSERT_EQ(site["boards"].size(), boards.size());
    int32_t pages = 0;
    for (size_t b = 0; b < boards.size(); ++b) {
      const test::ExpectedBoard& board = boards[b];
      const json& row = site["boards"][b];
      EXPECT_EQ(row["key"], board.number >= 0 && !board.key.empty() ? board.key : board.label);
      EXPECT_EQ(row["title"], board.title);
      EXPECT_EQ(row["count"], std::to_string(board.Articles()));
      if (board.Articles() == 0) {
        EXPECT_TRUE(row["href"].is_null());
        continue;
      }
      ++pages;
      const json& page = site["pages"][row["href"].get<std::string>()];
      ASSERT_EQ(page["rows"].size(), board.entries.size());
      ASSERT_EQ(page["articles"].size(), board.entries.size());
      ASSERT_EQ(page["scripts"].size(), 1u);  // the search; a title never becomes one
      std::vector<int32_t> lastAtLevel;
      for (size_t i = 0; i < board.entries.size(); ++i) {
        const test::ExpectedEntry& e = board.entries[i];
        const json& a = page["articles"][i];
        const json& r = page["rows"][i];
        SCOPED_TRACE(a.dump());
        ASSERT_EQ(a["missing"], e.placeholder);
        ASSERT_EQ(a["title"], e.title);
        ASSERT_EQ(r["title"], e.title.find_first_not_of(" \t") == std::string::npos
                                  ? "(タイトルなし)"
                                  : e.title);
        const std::string number =
            e.placeholder ? "-" + std::to_string(e.number) + "-"
                          : (e.kind.rfind("binary", 0) == 0 ? "B" : "") + std::to_string(e.number);
        ASSERT_EQ(a["number"], number);
        // The row's number cell begins with the tree lines.
        const std::string cell = r["number"];
        ASSERT_EQ(cell.substr(cell.size() - number.size()), number);
        ASSERT_EQ(cell.empty() || e.level == 0, cell == number);
        if (!e.writer.empty()) {
          const std::string w = a["writer"];
          ASSERT_EQ(w.substr(w.find_first_not_of(' ')),
                    e.writer + (e.handle.empty() ? "" : ":" + e.handle));
        }
        lastAtLevel.resize(static_cast<size_t>(e.level) + 1, -1);
        if (e.level > 0) {
          const json& parent =
              page["articles"][static_cast<size_t>(lastAtLevel[static_cast<size_t>(e.level) - 1])];
          ASSERT_EQ(a["parent"], "#" + parent["id"].get<std::string>());
        } else {
          ASSERT_TRUE(a["parent"].is_null());
        }
        lastAtLevel[static_cast<size_t>(e.level)] = static_cast<int32_t>(i);
        ASSERT_EQ(a["prev"].is_null(), i == 0);
        ASSERT_EQ(a["next"].is_null(), i + 1 == board.entries.size());
        if (e.placeholder) continue;
        ASSERT_EQ(a["date"], e.date ? json(*e.date) : json(nullptr));
        // Control characters show as their pictures.
        ASSERT_EQ(a["text"], Joined(e.shown, "\n"));
        // Quote runs: every line that starts with a quote mark, as the view colours them.
        std::string quoted;
        for (const std::string& l : e.lines) {
          if (l.rfind(">", 0) == 0 || l.rfind("＞", 0) == 0) quoted += l;
        }
        std::string runs;
        for (const auto& q : a["quotes"])
          runs += q.get<std::string>();
        ASSERT_EQ(runs, quoted);
      }
    }
    EXPECT_EQ(pages, result.Boards);
  }
}

TEST_F(ArchiveExportTest, MarkupInTheLogStaysTextAndLinksAreTheViewsLinks) {
  if (!test::PythonHas(dir, "html5lib")) GTEST_SKIP() << "python3-html5lib is not installed";
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadBytes(CraftedCapture()));
  const std::string folder = session.Export(ArchiveFormat::Html);
  const std::string page = test::ReadBytes(folder + "/001-test.html");
  EXPECT_EQ(page.find("<script>alert"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;q&quot;"),
            std::string::npos);
  const auto run =
      test::RunProcess(dir, {test::kPython, test::ScriptPath("parse_html.py"), folder});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const json a = json::parse(run.out)["pages"]["001-test.html"]["articles"][4];
  EXPECT_EQ(a["title"], "<script>alert(1)</script> & \"q\"");
  EXPECT_EQ(a["links"], json({"http://www.example.com/a?b=1&c=2", "mailto:taro@example.jp"}));
  // The control bytes of the log show as their pictures: HTML has no place for them as text.
  EXPECT_NE(
      a["text"].get<std::string>().find("broken \xEF\xBF\xBD@ and \xEF\xBF\xBD\xE2\x90\x81 end"),
      std::string::npos);
}

TEST_F(ArchiveExportTest, TheFolderIsNewOrEmptyAndOnlyItHoldsWhatIsWritten) {
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadSample("NET19990730.LOG"));
  // An existing folder with a file in it is refused and left as it was.
  const std::string full = dir.File("full");
  fs::create_directory(full);
  test::WriteBytes(full + "/keep.txt", "mine");
  ArchiveResult r = ExportArchive(session.Request(ArchiveFormat::Mbox, full));
  EXPECT_EQ(r.Result, ArchiveResult::Failed);
  EXPECT_NE(Cp932ToUtf8(r.Error).find("空ではありません"), std::string::npos);
  EXPECT_EQ(FilesIn(full), std::vector<std::string>{"keep.txt"});
  // A file where the folder should be, or above it.
  test::WriteBytes(dir.File("file"), "x");
  EXPECT_EQ(ExportArchive(session.Request(ArchiveFormat::Html, dir.File("file"))).Result,
            ArchiveResult::Failed);
  r = ExportArchive(session.Request(ArchiveFormat::Html, dir.File("file/below/site")));
  EXPECT_EQ(r.Result, ArchiveResult::Failed);
  EXPECT_NE(Cp932ToUtf8(r.Error).find("file/below/site"), std::string::npos);
  EXPECT_NE(Cp932ToUtf8(r.Error).find("Not a directory"), std::string::npos)
      << Cp932ToUtf8(r.Error);
  // An empty folder is taken; afterwards it holds the finished files and nothing else.
  const std::string empty = dir.File("empty");
  fs::create_directory(empty);
  r = ExportArchive(session.Request(ArchiveFormat::Html, empty));
  ASSERT_EQ(r.Result, ArchiveResult::Done) << Cp932ToUtf8(r.Error);
  EXPECT_EQ(FilesIn(empty),
            (std::vector<std::string>{"000-mail.html", "001-general.html", "002-prog.html",
                                      "003-binary.html", "index.html"}));
  EXPECT_EQ(r.Files, 5);
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"empty", "file", "full"}));
  // The folder the window proposes: a new one, or an empty one, beside what is there.
  EXPECT_EQ(SuggestArchiveFolder(dir.Path() + "/", "NET"), dir.File("NET-archive"));
  fs::create_directories(dir.File("NET-archive"));
  EXPECT_EQ(SuggestArchiveFolder(dir.Path(), "NET"), dir.File("NET-archive"));
  test::WriteBytes(dir.File("NET-archive/x"), "x");
  test::WriteBytes(dir.File("NET-archive-2"), "a file");
  EXPECT_EQ(SuggestArchiveFolder(dir.Path(), "NET"), dir.File("NET-archive-3"));
}

// What an export killed half-way leaves in its folder is removed, and only that: a file of the
// user's (hidden or not) keeps the folder from being used, and a folder another export holds is
// not taken.
TEST_F(ArchiveExportTest, OnlyTheScratchFilesOfAnExportThatEndedAreRemoved) {
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadSample("NET19990730.LOG"));
  const std::string folder = dir.File("site");
  fs::create_directory(folder);
  const std::vector<std::string> stale = {".001-general.html.a1B2c3", ".index.html.XyZ123",
                                          ".articles.jsonl.000000"};
  for (const std::string& name : stale)
    test::WriteBytes(folder + "/" + name, "half");
  ArchiveResult r = ExportArchive(session.Request(ArchiveFormat::Html, folder));
  ASSERT_EQ(r.Result, ArchiveResult::Done) << Cp932ToUtf8(r.Error);
  for (const std::string& name : stale)
    EXPECT_FALSE(fs::exists(folder + "/" + name)) << name;

  // Names that only look alike, beside a stale one: nothing is removed, and the hidden ones are
  // named, since a listing does not show them.
  for (const char* name : {".001-general.html.a1B2c", ".notes.txt.abcdef", "..index.html.abcdef"}) {
    const std::string other = dir.File("other");
    fs::remove_all(other);
    fs::create_directory(other);
    test::WriteBytes(other + "/" + name, "mine");
    test::WriteBytes(other + "/.index.html.abc123", "half");
    r = ExportArchive(session.Request(ArchiveFormat::Html, other));
    EXPECT_EQ(r.Result, ArchiveResult::Failed) << name;
    EXPECT_NE(
        Cp932ToUtf8(r.Error).find("空ではありません: " + other + "\r隠しファイルがあります: "),
        std::string::npos)
        << Cp932ToUtf8(r.Error);
    std::vector<std::string> kept = {".index.html.abc123", name};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(FilesIn(other), kept) << name;
  }

  // A folder whose lock another export holds.
  const std::string held = dir.File("held");
  fs::create_directory(held);
  test::WriteBytes(held + "/.index.html.abc123", "being written");
  const int fd = ::open(held.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  r = ExportArchive(session.Request(ArchiveFormat::Html, held));
  ::close(fd);
  EXPECT_EQ(r.Result, ArchiveResult::Failed);
  EXPECT_NE(Cp932ToUtf8(r.Error).find("別のアーカイブ出力がこのフォルダに書き込んでいます"),
            std::string::npos);
  EXPECT_EQ(FilesIn(held), std::vector<std::string>{".index.html.abc123"});
}

TEST_F(ArchiveExportTest, BoardKeysNeverBecomePaths) {
  std::string log;
  for (const char* key : {"../../evil", "a/b", "..", ".hidden", "con"}) {
    static int board = 1;
    log += "Command (?:" + std::to_string(board) + "\r\nNo." + std::to_string(board) + " " +
           test::J("｢ボード｣") + "\r\n\r\n-\t\r\n" + key + "(" + std::to_string(board) +
           "/9) 99/07/30 10:00 title\r\n  1 lines 1024:taro \r\nbody\r\n" +
           test::J("読み終わりました") + "\r\n";
    ++board;
  }
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadBytes(log));
  for (ArchiveFormat format : {ArchiveFormat::Mbox, ArchiveFormat::Html}) {
    const std::string folder = dir.File("keys-" + std::string(ArchiveFormatName(format)));
    const ArchiveResult r = ExportArchive(session.Request(format, folder));
    ASSERT_EQ(r.Result, ArchiveResult::Done) << Cp932ToUtf8(r.Error);
    for (const std::string& name : FilesIn(folder)) {
      const bool page = name.ends_with(".mbox") || name.ends_with(".html");
      EXPECT_TRUE(name == "index.html" || (page && test::SafeStem(name.substr(0, name.rfind('.')))))
          << name;
    }
    EXPECT_EQ(r.Boards, 5);
  }
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"keys-html", "keys-mbox"}));
}

// A disk that fills up half-way (a file size limit in a child process): the export stops with
// a message naming the file, and neither the file nor its scratch copy stays.
TEST_F(ArchiveExportTest, AFailedWriteStopsAndLeavesNoHalfWrittenFile) {
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadGenerated(20000, 9));
  for (ArchiveFormat format : {ArchiveFormat::Jsonl, ArchiveFormat::Mbox, ArchiveFormat::Html}) {
    const std::string folder = dir.File("full-" + std::string(ArchiveFormatName(format)));
    const std::string message = dir.File("message.txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{8192, 8192};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      const ArchiveResult r = ExportArchive(session.Request(format, folder));
      std::ofstream(message) << Cp932ToUtf8(r.Error);
      ::_exit(r.Result == ArchiveResult::Failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the export did not fail";
    const std::string text = test::ReadBytes(message);
    EXPECT_NE(text.find("書き込めませんでした"), std::string::npos) << text;
    EXPECT_NE(text.find("File too large"), std::string::npos) << text;
    for (const std::string& name : FilesIn(folder)) {
      EXPECT_NE(name[0], '.') << "scratch file left: " << name;
      EXPECT_LE(fs::file_size(folder + "/" + name), 8192u);
      EXPECT_EQ(text.find(name), std::string::npos) << "the failed file stayed: " << name;
    }
  }
}

// Memory that runs out half-way (the address space limited a little above what the loaded logs
// take, in a child process): the export stops with a message instead of ending the program, and
// leaves only finished files.
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(ArchiveExportTest, RunningOutOfMemoryStopsTheExportAndLeavesNoHalfWrittenFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadGenerated(20000, 9));
  for (ArchiveFormat format : {ArchiveFormat::Jsonl, ArchiveFormat::Mbox, ArchiveFormat::Html}) {
    // The child runs the test again up to here: it checks its own folder and tells the summary.
    const auto exportUnderALimit = [&] {
      const std::string folder = dir.File("oom-" + std::string(ArchiveFormatName(format)));
      rlimit before{};
      ::getrlimit(RLIMIT_AS, &before);
      rlimit limited = before;
      // Less than the export's write buffer of a megabyte.
      limited.rlim_cur = test::AddressSpaceInUse() + (rlim_t{512} << 10);
      ::setrlimit(RLIMIT_AS, &limited);
      const ArchiveResult r = ExportArchive(session.Request(format, folder));
      ::setrlimit(RLIMIT_AS, &before);
      std::fprintf(stderr, "%s\n",
                   Cp932ToUtf8(ArchiveSummary(session.Request(format, folder), r)).c_str());
      for (const std::string& name : FilesIn(folder)) {
        if (name[0] != '.') continue;
        std::fprintf(stderr, "scratch file left: %s\n", name.c_str());
        ::_exit(2);
      }
      ::_exit(r.Result == ArchiveResult::Failed ? 0 : 1);
    };
    EXPECT_EXIT(exportUnderALimit(), ::testing::ExitedWithCode(0),
                "アーカイブ出力に失敗しました\rアーカイブ出力中にメモリ不足が発生しました");
  }
}
#endif

TEST_F(ArchiveExportTest, CancellingKeepsOnlyFinishedFiles) {
  class CancelAt final : public ArchiveProgress {
   public:
    explicit CancelAt(int64_t at) : at_(at) {}
    void Start(int64_t total) override { total_ = total; }
    bool Step(int64_t done) override { return done < at_; }
    int64_t total_ = 0;

   private:
    int64_t at_;
  };
  test::ArchiveSession session;
  ASSERT_TRUE(session.LoadGenerated(20000, 9));
  for (ArchiveFormat format : {ArchiveFormat::Jsonl, ArchiveFormat::Mbox, ArchiveFormat::Html}) {
    CancelAt progress(1000);
    ArchiveRequest request =
        session.Request(format, dir.File("cancel-" + std::string(ArchiveFormatName(format))));
    request.Progress = &progress;
    const ArchiveResult r = ExportArchive(request);
    EXPECT_EQ(r.Result, ArchiveResult::Cancelled);
    EXPECT_GT(progress.total_, 1000);
    const auto files = FilesIn(request.Folder);
    EXPECT_EQ(static_cast<int32_t>(files.size()), r.Files);
    for (const std::string& name : files)
      EXPECT_NE(name[0], '.') << name;
    EXPECT_EQ(std::count(files.begin(), files.end(), "index.html") +
                  std::count(files.begin(), files.end(), "articles.jsonl"),
              0);
  }
}

}  // namespace
}  // namespace vorn
