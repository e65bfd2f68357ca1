// The message header encoder of the mbox export, held against Python's email parser.

#include "archive/MailHeader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <set>

#include "archive/ArchiveTestSupport.h"

namespace vorn {
namespace {

TEST(MailHeader, MboxrdQuotesEveryFromLineAfterQuoteMarks) {
  struct Case {
    const char* line;
    const char* written;
  };
  const Case cases[] = {
      {"From here", ">From here\n"},    {">From here", ">>From here\n"},
      {">>From x", ">>>From x\n"},      {"From", "From\n"},
      {"from here", "from here\n"},     {" From here", " From here\n"},
      {"> From here", "> From here\n"}, {"", "\n"},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendMboxBodyLine(c.line, out);
    EXPECT_EQ(out, c.written) << c.line;
  }
}

// Quoted-printable lines: within 76 characters, no blank at a line's end, and back to the
// same bytes (soft breaks joined, "=XX" read) for lines of any length and content.
TEST(MailHeader, QuotedPrintableLinesStayShortAndGiveTheTextBack) {
  auto decode = [](const std::string& written) {
    std::string decoded, line;
    for (size_t from = 0, lf; from < written.size(); from = lf + 1) {
      lf = written.find('\n', from);
      line = written.substr(from, lf - from);
      // mboxrd's '>' before a "From " line is no part of the encoded line.
      const size_t text = line.find_first_not_of('>');
      if (text != std::string::npos && text > 0 && line.compare(text, 5, "From ") == 0)
        line.erase(0, 1);
      EXPECT_LE(line.size(), 76u) << line;
      EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << line;
      const bool soft = !line.empty() && line.back() == '=';
      if (soft) line.pop_back();
      for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '=') {
          decoded += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
          i += 2;
        } else {
          decoded += line[i];
        }
      }
      if (!soft) decoded += '\n';
    }
    return decoded;
  };
  std::mt19937 random(7);
  const std::string alphabet[] = {"a", " ", "\t", "=", "From ", ">", "長", "\xFF", "z"};
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const size_t pieces = random() % (round % 10 == 0 ? 700 : 60);
    for (size_t k = 0; k < pieces; ++k)
      line += alphabet[random() % std::size(alphabet)];
    std::string out;
    AppendQuotedPrintableLine(line, out);
    ASSERT_EQ(decode(out), line + "\n") << out;
  }
  EXPECT_TRUE(FitsMessageLine(std::string(998, 'x')));
  EXPECT_FALSE(FitsMessageLine(std::string(999, 'x')));
  EXPECT_FALSE(FitsMessageLine("From " + std::string(993, 'x')));
}

TEST(MailHeader, AtomTextKeepsAtomCharactersAndTellsOtherTextsApart) {
  EXPECT_EQ(AtomText("ABC01234"), "ABC01234");
  EXPECT_EQ(AtomText("_FCOMP____03"), "_FCOMP____03");
  EXPECT_EQ(AtomText(" MAIL "), "=20MAIL=20");
  EXPECT_EQ(AtomText("a.b@c<d>"), "a=2Eb=40c=3Cd=3E");
  EXPECT_EQ(AtomText(test::J("雑談")), "=8EG=92k");
  // '=' itself is escaped, so an escaped text never equals a plain one.
  EXPECT_NE(AtomText("=20"), AtomText(" "));
}

// Titles and handles that the encoder must get right: every one of the samples and of a
// generated capture, and the awkward ones a log can hold.
TEST(MailHeader, PythonReadsBackEveryTitleAndHandle) {
  test::TempDir dir;
  if (!test::PythonHas(dir, "email")) GTEST_SKIP() << "Debian's python3 is not installed";

  std::set<std::pair<std::string, std::string>> texts;  // (title, handle), CP932
  auto collect = [&](test::ArchiveSession& s) {
    const TBBSProcess& p = s.sample.Process();
    for (int32_t b = 0; b < p.Boards.Count(); ++b) {
      const TArticleList* list = p.Boards.GetArticles(b);
      for (int32_t i = 0; list && i < list->OrderCount(ArticleSortNormal); ++i) {
        constexpr int32_t normal = ArticleSortNormal;
        std::string handle;
        const int32_t m = p.Members.TextIds ? p.Members.FindIdText(list->GetWriterIdText(normal, i))
                                            : p.Members.FindIdNo(list->GetWriterId(normal, i));
        if (m >= 0) handle = std::string(p.Members.Member(m)->TrueHandle.View());
        texts.emplace(list->GetTitle(normal, i), handle);
      }
    }
  };
  for (const char* sample : {"NET19990730.LOG", "NIF19990730.LOG"}) {
    test::ArchiveSession s;
    ASSERT_TRUE(s.LoadSample(sample));
    collect(s);
  }
  {
    test::ArchiveSession s;
    ASSERT_TRUE(s.LoadGenerated(30000, 11));
    collect(s);
  }
  const size_t fromLogs = texts.size();
  ASSERT_GT(fromLogs, 200u);
  for (const std::string& odd :
       {std::string(), std::string(" leading blank"), std::string("trailing blank "),
        std::string("two  blanks"), std::string("=?UTF-8?B?QQ==?="),
        std::string("a \"quoted\" \\ back"),
        std::string("(comment) <angle> @at, comma; semi:colon"), std::string("tab\there"),
        std::string("ＲＰＧ攻略　全角スペース"), std::string("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐ"),
        std::string("①②③ ⅰⅱ 纊"), std::string("x"), std::string(200, 'y')}) {
    texts.emplace(test::J(odd), test::J(odd));
  }
  // A long title of double-byte characters, one cut in half by the 127-byte field, a byte
  // that does not decode, control bytes.
  std::string longTitle;
  for (int i = 0; i < 60; ++i)
    longTitle += test::J("長");
  texts.emplace(longTitle, longTitle.substr(0, 31));
  texts.emplace(longTitle.substr(0, 127), "\x82");
  texts.emplace(std::string("bell\x07 and\x1b esc"), "del\x7f");

  nlohmann::json cases = nlohmann::json::array();
  for (const auto& [title, handle] : texts) {
    std::string out;
    // What the export writes: control characters as their pictures.
    const std::string name = test::U8(handle), subjectUtf8 = test::U8(title);
    AppendAddressHeader("From", name, "1024@net.bbs.invalid", out);
    AppendTextHeader("Subject", subjectUtf8, out);
    cases.push_back({{"headers", out},
                     {"subject", subjectUtf8},
                     {"name", name},
                     {"addr", "1024@net.bbs.invalid"}});
  }
  test::WriteBytes(dir.File("cases.json"), cases.dump());
  const auto run = test::RunProcess(
      dir, {test::kPython, test::ScriptPath("check_headers.py"), dir.File("cases.json")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "checked " + std::to_string(texts.size()) + ", 0 wrong\n") << run.out;
}

}  // namespace
}  // namespace vorn
