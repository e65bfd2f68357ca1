#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// What the article view does to an article's lines before it shows them: escape sequences
// out, big-font prefixes off, tabs expanded, quote runs and links found, long lines folded,
// the end marker appended. Everything here is bytes (CP932); the view only maps the result
// onto its own characters.
//
// Positions are 1-based byte positions in the shown text in which every line ends with CR LF
// (two positions), as the classic rich-text box counted them; ranges are inclusive.

// One web or mail address found in a line.
struct UrlPattern {
  std::string Match;   // what starts an address ("http:", "www")
  std::string Launch;  // put in front of the address when it is opened ("http://" for "www")
  bool operator==(const UrlPattern&) const = default;
};

// Comma lists of the settings. Every ASCII blank is dropped first. For marks (big-font
// prefixes, quote marks) a comma ends an entry; a comma with nothing collected yet starts the
// next entry (so "," itself can be a mark).
std::vector<std::string> ParseMarkList(std::string_view text);
// Pairs of match text and launch prefix. A comma after an empty match text is ignored; the
// launch prefix may be empty when a comma closes it, but a pair left open at the end of the
// text counts only when both parts are non-empty.
std::vector<UrlPattern> ParseUrlPatterns(std::string_view text);

// The URL list a new view starts with, before the settings are applied.
constexpr std::string_view kDefaultViewUrlList = "http:,,ftp:,,www,http://,mailto:,,";

struct ArticleLink {
  int32_t First = 0;
  int32_t Last = 0;
  std::string Text;  // what is opened: lower case, with the pattern's launch prefix
  bool operator==(const ArticleLink&) const = default;
};

// Appends the web and mail addresses of one line to links, in position order. offset is the
// position of the line's first byte. The line is compared in ASCII lower case; a match never starts
// on the second byte of a double-byte character. Web addresses: the earliest pattern, then every
// byte up to an end character or a double-byte character; at least one byte and one '.' make
// a link. Mail addresses: name '@' domain with a '.' in the domain, unless either end lies in
// a web address already found.
void DetectLinks(std::string_view line, int32_t offset, const std::vector<UrlPattern>& patterns,
                 std::vector<ArticleLink>& links);

// Where WrapText cuts a line: byte offsets at which each piece after the first starts. Empty
// when the line fits.
std::vector<size_t> FoldPoints(std::string_view line, int width);

struct ArticleTextSettings {
  std::vector<std::string> BigLinePrefixes;
  std::vector<std::string> QuoteMarks;
  std::vector<UrlPattern> UrlPatterns = ParseUrlPatterns(kDefaultViewUrlList);
  std::string EofMarker;
  int32_t TabWidth = 8;
  bool EscCut = true;
  bool FoldLines = true;
  int32_t FoldWidth = 80;
  // Big-font lines and the quote and marker colours.
  bool ColorRuns = true;
  bool UrlEnabled = true;
};

enum class ArticleRunKind : uint8_t { BigFont, Quote, EofMarker };

struct ArticleRun {
  int32_t First = 0;
  int32_t Last = 0;
  ArticleRunKind Kind = ArticleRunKind::Quote;
  bool operator==(const ArticleRun&) const = default;
};

// The text as the view shows it.
struct PreparedArticleText {
  // The shown lines after folding; the positions count them joined by CR LF.
  std::vector<std::string> Lines;
  // Big-font runs first, then quote and marker runs, each in text order. Empty when
  // ColorRuns is off.
  std::vector<ArticleRun> Runs;
  // Every link, in text order. Empty when UrlEnabled is off.
  std::vector<ArticleLink> Links;
  int32_t DisplayLineCount() const { return static_cast<int32_t>(Lines.size()); }
  // The lines joined by CR LF, each line ended by one.
  std::string Text() const;
};

PreparedArticleText PrepareArticleText(const std::vector<std::string>& lines,
                                       const ArticleTextSettings& settings);

// How a clicked link is opened: through the program the user named, or through the desktop.
struct LinkLaunch {
  bool UseProgram = false;
  // The program's command line (program, one blank, the link); empty for the desktop.
  std::string CommandLine;
  // The warning shown when starting fails (CP932).
  std::string FailureMessage;
  bool IsMail = false;
};

// "mailto:" links (case ignored) go to the mailer, everything else to the web browser; a
// program is used when its switch is on and its command is not blank.
LinkLaunch PlanLinkLaunch(std::string_view link, bool wwwSet, std::string_view www, bool mailerSet,
                          std::string_view mailer);

}  // namespace vorn
