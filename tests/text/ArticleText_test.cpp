#include "text/ArticleText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

using test::J;

std::vector<ArticleLink> LinksOf(std::string_view line, int32_t offset = 1) {
  std::vector<ArticleLink> links;
  DetectLinks(line, offset, ParseUrlPatterns("http:,,ftp:,,mailto:,,www,http://,https:,,"), links);
  return links;
}

std::vector<std::string> Texts(const std::vector<ArticleLink>& links) {
  std::vector<std::string> texts;
  for (const ArticleLink& link : links)
    texts.push_back(link.Text);
  return texts;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// The bytes a range covers in the shown text.
std::string Covered(const PreparedArticleText& prepared, int32_t first, int32_t last) {
  const std::string text = prepared.Text();
  EXPECT_GE(first, 1);
  EXPECT_LE(last, static_cast<int32_t>(text.size()));
  return text.substr(static_cast<size_t>(first - 1), static_cast<size_t>(last - first + 1));
}

std::string WithoutLineBreaks(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

ArticleTextSettings ViewSettings() {
  ArticleTextSettings s;
  s.BigLinePrefixes = ParseMarkList("%V%W,24dot");
  s.QuoteMarks = ParseMarkList(J(">,＞"));
  s.UrlPatterns = ParseUrlPatterns("http:,,ftp:,,mailto:,,www,http://,https:,,");
  s.EofMarker = "[EOF]";
  return s;
}

TEST(ArticleTextLists, MarksDropBlanksAndACommaWithNothingBeforeItIsAMark) {
  EXPECT_EQ(ParseMarkList(J(">,＞")), (std::vector<std::string>{">", J("＞")}));
  EXPECT_EQ(ParseMarkList(" %V%W , 24dot "), (std::vector<std::string>{"%V%W", "24dot"}));
  EXPECT_EQ(ParseMarkList(",,a"), (std::vector<std::string>{",", "a"}));
  EXPECT_EQ(ParseMarkList("a,,b"), (std::vector<std::string>{"a", ",b"}));
  EXPECT_TRUE(ParseMarkList("").empty());
  EXPECT_TRUE(ParseMarkList("   ").empty());
  // A full-width blank is not an ASCII blank and stays.
  EXPECT_EQ(ParseMarkList(J("　>")), (std::vector<std::string>{J("　>")}));
}

TEST(ArticleTextLists, UrlPairsAndTheirEnds) {
  const std::vector<UrlPattern> standard =
      ParseUrlPatterns("http:,,ftp:,,mailto:,,www,http://,https:,,");
  EXPECT_EQ(standard,
            (std::vector<UrlPattern>{
                {"http:", ""}, {"ftp:", ""}, {"mailto:", ""}, {"www", "http://"}, {"https:", ""}}));
  EXPECT_EQ(ParseUrlPatterns(kDefaultViewUrlList).size(), 4u);
  // The list the 1.10 upgrade writes ends in one comma: its last pair is left open and lost.
  EXPECT_EQ(ParseUrlPatterns("http:,,ftp:,,mailto:,,www,http://,https:,").size(), 4u);
  // An open pair at the end counts when both parts are there.
  EXPECT_EQ(ParseUrlPatterns("www,http://"), (std::vector<UrlPattern>{{"www", "http://"}}));
  // A comma with no match text before it is ignored.
  EXPECT_EQ(ParseUrlPatterns(",,http:,,"), (std::vector<UrlPattern>{{"http:", ""}}));
  EXPECT_EQ(ParseUrlPatterns(" www , http:// ,"), (std::vector<UrlPattern>{{"www", "http://"}}));
}

TEST(ArticleTextLinks, WebAddressesEndAtTheirEndCharacters) {
  auto links = LinksOf("see http://www.example.com/a?b=1 now");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (ArticleLink{5, 32, "http://www.example.com/a?b=1"}));

  links = LinksOf("(http://a.jp/x)", 11);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (ArticleLink{12, 24, "http://a.jp/x"}));

  EXPECT_EQ(Texts(LinksOf("<ftp://ftp.a.jp>|http://b.jp;x")),
            (std::vector<std::string>{"ftp://ftp.a.jp", "http://b.jp"}));
  // A double-byte character ends the address.
  EXPECT_EQ(Texts(LinksOf("http://a.jp" + J("です"))), (std::vector<std::string>{"http://a.jp"}));
  // Escape bytes kept in the line (escape removal off) do not join the address.
  EXPECT_EQ(Texts(LinksOf("http://a.jp\x1b[0m")), (std::vector<std::string>{"http://a.jp"}));
}

TEST(ArticleTextLinks, NoDotNoLink) {
  EXPECT_TRUE(LinksOf("http://localhost/").empty());
  EXPECT_TRUE(LinksOf("http:").empty());
  EXPECT_TRUE(LinksOf("www").empty());
  // The scan goes on after a candidate without a dot.
  EXPECT_EQ(Texts(LinksOf("http://host http://a.b")), (std::vector<std::string>{"http://a.b"}));
}

TEST(ArticleTextLinks, CapitalWwwIsFoundAndOpenedInLowerCase) {
  auto links = LinksOf("Visit WWW.Example.COM/Index.HTML today", 100);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (ArticleLink{106, 131, "http://www.example.com/index.html"}));
  EXPECT_EQ(Texts(LinksOf("HTTP://WWW.A.JP")), (std::vector<std::string>{"http://www.a.jp"}));
}

TEST(ArticleTextLinks, EarliestPatternWinsAndTheScanGoesOn) {
  // "http:" comes first, so "www" inside the address is not a second link.
  EXPECT_EQ(Texts(LinksOf("http://www.a.jp www.b.jp ftp://c.jp")),
            (std::vector<std::string>{"http://www.a.jp", "http://www.b.jp", "ftp://c.jp"}));
  // On equal positions the earlier pattern of the list is taken.
  std::vector<ArticleLink> links;
  DetectLinks("https://x.jp", 1, {{"http", ""}, {"https:", "H"}}, links);
  EXPECT_EQ(Texts(links), (std::vector<std::string>{"https://x.jp"}));
}

TEST(ArticleTextLinks, MatchesNeverStartInsideADoubleByteCharacter) {
  // "Ｉ" is 0x82 0x68: its second byte reads as 'h', and "ttp://a.jp" follows.
  EXPECT_TRUE(LinksOf(J("Ｉ") + "ttp://a.jp").empty());
  // The full-width blank 0x81 0x40 ends in '@'.
  EXPECT_TRUE(LinksOf(J("ab　cd.jp")).empty());
  // "ア" is 0x83 0x41: the name stops before the character, not after its 'A'.
  auto links = LinksOf(J("ア") + "bc@d.jp");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (ArticleLink{3, 9, "mailto:bc@d.jp"}));
}

TEST(ArticleTextLinks, MailAddresses) {
  auto links = LinksOf("to Taro.Y@Example.CO.JP, please", 1);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (ArticleLink{4, 23, "mailto:taro.y@example.co.jp"}));

  EXPECT_TRUE(LinksOf("name@host").empty());
  EXPECT_TRUE(LinksOf("name@.").empty());
  EXPECT_TRUE(LinksOf("a@@b.jp").empty());
  EXPECT_TRUE(LinksOf("a@@@b.jp x").empty());
  EXPECT_TRUE(LinksOf("@b.jp").empty());
  EXPECT_TRUE(LinksOf("b.jp@").empty());
  EXPECT_TRUE(LinksOf(":@b.jp").empty());
  // A bad '@' does not hide a good address further on.
  EXPECT_EQ(Texts(LinksOf("x@@y c@d.jp")), (std::vector<std::string>{"mailto:c@d.jp"}));
  EXPECT_EQ(Texts(LinksOf("x@y.jp http://z.jp")),
            (std::vector<std::string>{"mailto:x@y.jp", "http://z.jp"}));
  EXPECT_EQ(Texts(LinksOf("a@b.jp,c@d.jp")),
            (std::vector<std::string>{"mailto:a@b.jp", "mailto:c@d.jp"}));
  // The domain stops at a second '@', and the line is done there.
  EXPECT_EQ(Texts(LinksOf("a@b.jp@c.jp e@f.jp")), (std::vector<std::string>{"mailto:a@b.jp"}));
}

TEST(ArticleTextLinks, MailtoAddressGivesOneLink) {
  auto links = LinksOf("MailTo:Hanako@Example.jp");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (ArticleLink{1, 24, "mailto:hanako@example.jp"}));
  // A web address that holds an '@' hides the mail address inside it too.
  EXPECT_EQ(Texts(LinksOf("http://user@host.jp/")),
            (std::vector<std::string>{"http://user@host.jp/"}));
}

TEST(ArticleTextFold, FoldPointsCutWhereWrapTextCuts) {
  std::mt19937 rng(7);
  const std::string pieces[] = {"a", "b", " ", J("あ"), J("漢"), "\xB1" /* half-width ｱ */};
  for (int round = 0; round < 2000; ++round) {
    std::string line;
    const int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i)
      line += pieces[rng() % 6];
    if (rng() % 5 == 0) line += '\x82';  // a lead byte cut off at the end
    const int width = 1 + static_cast<int>(rng() % 12);
    std::string folded;
    size_t begin = 0;
    for (size_t point : FoldPoints(line, width)) {
      folded.append(line, begin, point - begin);
      folded += "\r\n";
      begin = point;
    }
    folded.append(line, begin, std::string::npos);
    ASSERT_EQ(folded, WrapText(line, width)) << "round " << round << " width " << width;
  }
}

TEST(ArticleTextPrepare, EmptyArticleShowsOnlyTheMarker) {
  const PreparedArticleText p = PrepareArticleText({}, ViewSettings());
  EXPECT_EQ(p.Lines, (std::vector<std::string>{"[EOF]"}));
  EXPECT_EQ(p.DisplayLineCount(), 1);
  EXPECT_EQ(p.Runs, (std::vector<ArticleRun>{{1, 5, ArticleRunKind::EofMarker}}));
  EXPECT_TRUE(p.Links.empty());
}

TEST(ArticleTextPrepare, QuoteRunsIncludeTheirLineEndsAndABlankLineEndsThem) {
  const std::vector<std::string> lines = {"intro", ">a", J("＞b"), ">c", "", ">d", "end"};
  const PreparedArticleText p = PrepareArticleText(lines, ViewSettings());
  std::vector<ArticleRun> quotes;
  for (const ArticleRun& run : p.Runs)
    if (run.Kind == ArticleRunKind::Quote) quotes.push_back(run);
  ASSERT_EQ(quotes.size(), 2u);
  EXPECT_EQ(Covered(p, quotes[0].First, quotes[0].Last), ">a\r\n" + J("＞b") + "\r\n>c\r\n");
  EXPECT_EQ(Covered(p, quotes[1].First, quotes[1].Last), ">d\r\n");
  const ArticleRun& marker = p.Runs.back();
  EXPECT_EQ(marker.Kind, ArticleRunKind::EofMarker);
  EXPECT_EQ(Covered(p, marker.First, marker.Last), "[EOF]");
  // A quote run open at the end is closed before the marker.
  const PreparedArticleText tail = PrepareArticleText({"x", ">y"}, ViewSettings());
  ASSERT_EQ(tail.Runs.size(), 2u);
  EXPECT_EQ(Covered(tail, tail.Runs[0].First, tail.Runs[0].Last), ">y\r\n");
}

TEST(ArticleTextPrepare, BigFontPrefixesAreCutAndTheRestIsBig) {
  const PreparedArticleText p =
      PrepareArticleText({"%V%WTitle\there", "24dotBig", "%V%W", "plain %V%W"}, ViewSettings());
  EXPECT_EQ(p.Lines, (std::vector<std::string>{"Title   here", "Big", "", "plain %V%W", "[EOF]"}));
  ASSERT_GE(p.Runs.size(), 2u);
  EXPECT_EQ(p.Runs[0].Kind, ArticleRunKind::BigFont);
  EXPECT_EQ(Covered(p, p.Runs[0].First, p.Runs[0].Last), "Title   here");
  EXPECT_EQ(p.Runs[1].Kind, ArticleRunKind::BigFont);
  EXPECT_EQ(Covered(p, p.Runs[1].First, p.Runs[1].Last), "Big");
  // The empty big line has no run; the next run is the marker.
  EXPECT_EQ(p.Runs[2].Kind, ArticleRunKind::EofMarker);
  // A quote mark behind a big-font prefix makes a quoted big line.
  const PreparedArticleText q = PrepareArticleText({"%V%W>q"}, ViewSettings());
  EXPECT_EQ(q.Runs.size(), 3u);
}

TEST(ArticleTextPrepare, EscapesTabsAndSwitches) {
  ArticleTextSettings s = ViewSettings();
  PreparedArticleText p = PrepareArticleText({"\x1b[31mred\x1b[0m\tx"}, s);
  EXPECT_EQ(p.Lines[0], "red     x");
  s.EscCut = false;
  p = PrepareArticleText({"\x1b[31mred"}, s);
  EXPECT_EQ(p.Lines[0], "\x1b[31mred");
  s.ColorRuns = false;
  s.UrlEnabled = false;
  p = PrepareArticleText({">q", "%V%Wbig http://a.jp"}, s);
  EXPECT_TRUE(p.Runs.empty());
  EXPECT_TRUE(p.Links.empty());
  // The prefix is cut all the same.
  EXPECT_EQ(p.Lines[1], "big http://a.jp");
  s.EofMarker.clear();
  EXPECT_TRUE(PrepareArticleText({}, s).Lines.empty());
}

TEST(ArticleTextPrepare, LongLinesFoldAndLinksBehindTheBreakMoveWithIt) {
  // 200 bytes: 100 letters, a link, letters up to 200.
  std::string line(100, 'x');
  line += " http://www.example.jp/page ";
  line += std::string(200 - line.size(), 'y');
  ASSERT_EQ(line.size(), 200u);
  const PreparedArticleText p = PrepareArticleText({line, "mail a@b.jp"}, ViewSettings());
  ASSERT_EQ(p.DisplayLineCount(), 5);  // 80 + 80 + 40, the mail line, the marker
  EXPECT_EQ(p.Lines[0].size(), 80u);
  EXPECT_EQ(p.Lines[1].size(), 80u);
  EXPECT_EQ(p.Lines[2].size(), 40u);
  ASSERT_EQ(p.Links.size(), 2u);
  EXPECT_EQ(Covered(p, p.Links[0].First, p.Links[0].Last), "http://www.example.jp/page");
  EXPECT_EQ(Covered(p, p.Links[1].First, p.Links[1].Last), "a@b.jp");
  EXPECT_EQ(Covered(p, p.Runs.back().First, p.Runs.back().Last), "[EOF]");

  // A link across a break grows by the two positions of the CR LF.
  std::string across(75, 'z');
  across += " http://abc.example.jp/";
  const PreparedArticleText q = PrepareArticleText({across}, ViewSettings());
  ASSERT_EQ(q.Links.size(), 1u);
  EXPECT_EQ(Covered(q, q.Links[0].First, q.Links[0].Last), "http\r\n://abc.example.jp/");
  // Double-byte text folds before a character that would be split.
  const PreparedArticleText k = PrepareArticleText({"x" +
                                                    [] {
                                                      std::string s;
                                                      for (int i = 0; i < 50; ++i)
                                                        s += J("漢");
                                                      return s;
                                                    }()},
                                                   ViewSettings());
  EXPECT_EQ(k.Lines[0].size(), 79u);
  EXPECT_EQ(k.Lines[1].size(), 22u);
}

// Every run and link of random articles, folded at random widths, must still cover exactly the
// bytes it covered before folding once the inserted line breaks are taken out.
TEST(ArticleTextPrepare, RunsCoverTheSameTextAfterFolding) {
  std::mt19937 rng(11);
  const std::string words[] = {"a",        "bc",     " ",       ">",     J("＞"),
                               J("漢字"),  "\t",     "%V%W",    "24dot", "http://w.x.jp/",
                               "WWW.Y.JP", "q@r.jp", "mailto:", ".",     "@",
                               "\x1b[1m"};
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> lines;
    const int lineCount = static_cast<int>(rng() % 8);
    for (int l = 0; l < lineCount; ++l) {
      std::string line;
      const int n = static_cast<int>(rng() % 30);
      for (int i = 0; i < n; ++i)
        line += words[rng() % 16];
      lines.push_back(line);
    }
    ArticleTextSettings s = ViewSettings();
    s.FoldLines = false;
    const PreparedArticleText flat = PrepareArticleText(lines, s);
    s.FoldLines = true;
    s.FoldWidth = 5 + static_cast<int>(rng() % 40);
    const PreparedArticleText folded = PrepareArticleText(lines, s);
    ASSERT_EQ(WithoutLineBreaks(flat.Text()), WithoutLineBreaks(folded.Text()));
    ASSERT_EQ(flat.Runs.size(), folded.Runs.size());
    ASSERT_EQ(flat.Links.size(), folded.Links.size());
    for (size_t i = 0; i < flat.Runs.size(); ++i) {
      ASSERT_EQ(WithoutLineBreaks(Covered(flat, flat.Runs[i].First, flat.Runs[i].Last)),
                WithoutLineBreaks(Covered(folded, folded.Runs[i].First, folded.Runs[i].Last)))
          << "round " << round << " run " << i;
    }
    for (size_t i = 0; i < flat.Links.size(); ++i) {
      const ArticleLink& link = folded.Links[i];
      ASSERT_EQ(link.Text, flat.Links[i].Text);
      const std::string shown = WithoutLineBreaks(Covered(folded, link.First, link.Last));
      // What is opened is what is shown, in lower case, behind its launch prefix.
      ASSERT_TRUE(link.Text.size() >= shown.size() &&
                  link.Text.compare(link.Text.size() - shown.size(), shown.size(), Lower(shown)) ==
                      0)
          << link.Text << " vs " << shown;
    }
  }
}

TEST(LinkLaunch, ProgramOrDesktopByKindAndSettings) {
  LinkLaunch l = PlanLinkLaunch("http://a.jp", true, "  firefox --new-tab ", false, "");
  EXPECT_TRUE(l.UseProgram);
  EXPECT_FALSE(l.IsMail);
  EXPECT_EQ(l.CommandLine, "firefox --new-tab http://a.jp");
  EXPECT_EQ(l.FailureMessage, J("WWWブラウザの起動に失敗しました"));

  l = PlanLinkLaunch("http://a.jp", true, "   ", true, "mutt");
  EXPECT_FALSE(l.UseProgram);
  l = PlanLinkLaunch("http://a.jp", false, "firefox", true, "mutt");
  EXPECT_FALSE(l.UseProgram);

  l = PlanLinkLaunch("MAILTO:x@y.jp", true, "firefox", true, "mutt");
  EXPECT_TRUE(l.IsMail);
  EXPECT_EQ(l.CommandLine, "mutt MAILTO:x@y.jp");
  EXPECT_EQ(l.FailureMessage, J("メーラーの起動に失敗しました"));
  l = PlanLinkLaunch("mailto:x@y.jp", true, "firefox", false, "mutt");
  EXPECT_TRUE(l.IsMail);
  EXPECT_FALSE(l.UseProgram);
}

}  // namespace
}  // namespace vorn
