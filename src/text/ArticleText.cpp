#include "text/ArticleText.h"

#include <algorithm>

#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

bool IsControlByte(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

// Where a web address ends. Control bytes cannot be part of an address either, so they end
// it too (a log read with escape sequences kept would otherwise run the colour codes into it).
bool EndsWebAddress(unsigned char c) {
  switch (c) {
    case ' ':
    case '"':
    case '(':
    case ')':
    case '*':
    case ',':
    case ';':
    case '<':
    case '>':
    case '[':
    case '\\':
    case ']':
    case '|':
      return true;
    default:
      return IsControlByte(c);
  }
}

bool EndsMailAddress(unsigned char c) {
  switch (c) {
    case ' ':
    case '"':
    case '(':
    case ')':
    case '*':
    case ',':
    case '/':
    case ':':
    case ';':
    case '<':
    case '>':
    case '?':
    case '[':
    case '\\':
    case ']':
    case '|':
      return true;
    default:
      return IsControlByte(c);
  }
}

// The line in ASCII lower case and which of its bytes start a character. Second bytes of
// double-byte characters keep their value: they are part of another character.
struct ScannedLine {
  std::string lower;
  std::vector<uint8_t> start;

  explicit ScannedLine(std::string_view line) : lower(line), start(line.size(), 0) {
    for (size_t i = 0; i < line.size();) {
      start[i] = 1;
      const unsigned char c = static_cast<unsigned char>(line[i]);
      if (IsLeadByte(c) && i + 1 < line.size()) {
        i += 2;
        continue;
      }
      if (c >= 'A' && c <= 'Z') lower[i] = static_cast<char>(c + ('a' - 'A'));
      ++i;
    }
  }
  size_t size() const { return lower.size(); }
  unsigned char at(size_t i) const { return static_cast<unsigned char>(lower[i]); }
  // The first occurrence of text at or after from that starts on a character.
  size_t Find(std::string_view text, size_t from) const {
    std::string_view all(lower);
    for (size_t p = all.find(text, from); p != std::string_view::npos; p = all.find(text, p + 1))
      if (start[p]) return p;
    return std::string_view::npos;
  }
};

void DetectWebAddresses(const ScannedLine& line, int32_t offset,
                        const std::vector<UrlPattern>& patterns, std::vector<ArticleLink>& links) {
  constexpr size_t npos = std::string_view::npos;
  // The next occurrence of every pattern, found again only once the scan has passed it, so
  // that a long line with many candidates is scanned in one pass per pattern.
  std::vector<size_t> next(patterns.size(), npos);
  for (size_t k = 0; k < patterns.size(); ++k)
    next[k] = patterns[k].Match.empty() ? npos : line.Find(patterns[k].Match, 0);
  size_t from = 0;
  for (;;) {
    size_t best = npos;
    size_t chosen = 0;
    for (size_t k = 0; k < patterns.size(); ++k) {
      if (next[k] < best) {
        best = next[k];
        chosen = k;
      }
    }
    if (best == npos) return;
    const UrlPattern& pattern = patterns[chosen];
    const size_t body = best + pattern.Match.size();
    size_t end = body;
    int dots = 0;
    while (end < line.size()) {
      const unsigned char c = line.at(end);
      if (IsLeadByte(c) || EndsWebAddress(c)) break;
      if (c == '.') ++dots;
      ++end;
    }
    if (end > body && dots > 0) {
      ArticleLink link;
      link.First = offset + static_cast<int32_t>(best);
      link.Last = offset + static_cast<int32_t>(end) - 1;
      link.Text = pattern.Launch;
      link.Text.append(line.lower, best, end - best);
      links.push_back(std::move(link));
    }
    from = end;
    for (size_t k = 0; k < patterns.size(); ++k)
      if (next[k] != npos && next[k] < from) next[k] = line.Find(patterns[k].Match, from);
  }
}

// Whether the position lies inside one of the links (sorted, not overlapping).
bool InsideLink(const std::vector<ArticleLink>& links, size_t begin, size_t end, int32_t pos) {
  auto first = links.begin() + static_cast<std::ptrdiff_t>(begin);
  auto last = links.begin() + static_cast<std::ptrdiff_t>(end);
  auto it = std::upper_bound(first, last, pos,
                             [](int32_t p, const ArticleLink& l) { return p < l.First; });
  if (it == first) return false;
  --it;
  return pos >= it->First && pos <= it->Last;
}

void DetectMailAddresses(const ScannedLine& line, int32_t offset, std::vector<ArticleLink>& links,
                         size_t webBegin) {
  const size_t webEnd = links.size();
  const size_t n = line.size();
  size_t from = 0;
  while (from < n) {
    const size_t at = line.Find("@", from);
    if (at == std::string_view::npos) return;
    if (at == 0 || at + 1 >= n || line.at(at - 1) == '@' || line.at(at + 1) == '@') {
      from = at + 1;
      continue;
    }
    // The name: back over address characters, never into a double-byte character.
    size_t nameStart = at;
    while (nameStart > 0) {
      const size_t k = nameStart - 1;
      const unsigned char c = line.at(k);
      if (!line.start[k] || IsLeadByte(c) || EndsMailAddress(c) || c == '@') break;
      nameStart = k;
    }
    size_t domainEnd = at + 1;
    int dots = 0;
    while (domainEnd < n) {
      const unsigned char c = line.at(domainEnd);
      if (IsLeadByte(c) || EndsMailAddress(c) || c == '@') break;
      if (c == '.') ++dots;
      ++domainEnd;
    }
    const size_t domainLength = domainEnd - (at + 1);
    const bool onlyDot = domainLength == 1 && line.at(at + 1) == '.';
    if (nameStart < at && domainLength > 0 && dots > 0 && !onlyDot) {
      const int32_t first = offset + static_cast<int32_t>(nameStart);
      const int32_t last = offset + static_cast<int32_t>(domainEnd) - 1;
      if (!InsideLink(links, webBegin, webEnd, first) &&
          !InsideLink(links, webBegin, webEnd, last)) {
        ArticleLink link;
        link.First = first;
        link.Last = last;
        link.Text = "mailto:";
        link.Text.append(line.lower, nameStart, domainEnd - nameStart);
        links.push_back(std::move(link));
      }
    }
    if (domainEnd >= n || line.at(domainEnd) == '@') return;
    from = domainEnd;
  }
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> ParseMarkList(std::string_view text) {
  std::vector<std::string> entries;
  std::string item;
  for (char c : text) {
    if (c == ' ') continue;
    if (c == ',' && !item.empty()) {
      entries.push_back(std::move(item));
      item.clear();
    } else {
      item += c;
    }
  }
  if (!item.empty()) entries.push_back(std::move(item));
  return entries;
}

std::vector<UrlPattern> ParseUrlPatterns(std::string_view text) {
  std::vector<UrlPattern> pairs;
  UrlPattern pair;
  bool inLaunch = false;
  for (char c : text) {
    if (c == ' ') continue;
    if (c != ',') {
      (inLaunch ? pair.Launch : pair.Match) += c;
    } else if (inLaunch) {
      pairs.push_back(std::move(pair));
      pair = UrlPattern();
      inLaunch = false;
    } else if (!pair.Match.empty()) {
      inLaunch = true;
    }
  }
  if (inLaunch && !pair.Match.empty() && !pair.Launch.empty()) pairs.push_back(std::move(pair));
  return pairs;
}

void DetectLinks(std::string_view line, int32_t offset, const std::vector<UrlPattern>& patterns,
                 std::vector<ArticleLink>& links) {
  if (line.empty()) return;
  const ScannedLine scanned(line);
  const size_t webBegin = links.size();
  DetectWebAddresses(scanned, offset, patterns, links);
  DetectMailAddresses(scanned, offset, links, webBegin);
  // Web and mail addresses never overlap; keep the line's links in position order.
  std::sort(links.begin() + static_cast<std::ptrdiff_t>(webBegin), links.end(),
            [](const ArticleLink& a, const ArticleLink& b) { return a.First < b.First; });
}

std::vector<size_t> FoldPoints(std::string_view line, int width) {
  std::vector<size_t> points;
  if (width <= 0 || line.size() <= static_cast<size_t>(width)) return points;
  const size_t w = static_cast<size_t>(width);
  size_t i = 0;
  size_t start = 0;
  while (i < line.size()) {
    const size_t len = IsLeadByte(line[i]) && i + 1 < line.size() ? 2 : 1;
    if (i - start + len > w && i > start) {
      points.push_back(i);
      start = i;
    }
    i += len;
  }
  return points;
}

std::string PreparedArticleText::Text() const {
  std::string text;
  size_t size = 0;
  for (const std::string& line : Lines)
    size += line.size() + 2;
  text.reserve(size);
  for (const std::string& line : Lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

PreparedArticleText PrepareArticleText(const std::vector<std::string>& lines,
                                       const ArticleTextSettings& settings) {
  PreparedArticleText out;
  std::vector<std::string> shown;
  shown.reserve(lines.size() + 1);
  std::vector<ArticleRun> fontRuns;
  std::vector<ArticleRun> colorRuns;
  int32_t pos = 1;
  bool quoteOpen = false;
  int32_t quoteStart = 0;
  int32_t quoteLength = 0;
  auto closeQuote = [&] {
    if (!quoteOpen) return;
    quoteOpen = false;
    if (settings.ColorRuns)
      colorRuns.push_back({quoteStart, quoteStart + quoteLength - 1, ArticleRunKind::Quote});
  };

  for (const std::string& input : lines) {
    std::string line = settings.EscCut ? StripEscapeSequences(input) : input;
    bool big = false;
    for (const std::string& prefix : settings.BigLinePrefixes) {
      if (StartsWith(line, prefix)) {
        line.erase(0, prefix.size());
        big = true;
        break;
      }
    }
    line = ExpandTabs(line, settings.TabWidth);
    const auto length = static_cast<int32_t>(line.size());
    if (big && settings.ColorRuns && length > 0)
      fontRuns.push_back({pos, pos + length - 1, ArticleRunKind::BigFont});

    const bool quote = std::any_of(settings.QuoteMarks.begin(), settings.QuoteMarks.end(),
                                   [&](const std::string& mark) { return StartsWith(line, mark); });
    if (quote) {
      if (!quoteOpen) {
        quoteOpen = true;
        quoteStart = pos;
        quoteLength = 0;
      }
      quoteLength += length + 2;
    } else {
      closeQuote();
    }
    if (settings.UrlEnabled) DetectLinks(line, pos, settings.UrlPatterns, out.Links);
    shown.push_back(std::move(line));
    pos += length + 2;
  }
  closeQuote();
  if (!settings.EofMarker.empty()) {
    const auto length = static_cast<int32_t>(settings.EofMarker.size());
    if (settings.ColorRuns) colorRuns.push_back({pos, pos + length - 1, ArticleRunKind::EofMarker});
    shown.push_back(settings.EofMarker);
  }

  // Folding: every inserted line break moves each run start and end at or after it by the two
  // positions of its CR LF, so a run that spans a break grows by two.
  std::vector<int32_t> breaks;
  pos = 1;
  out.Lines.reserve(shown.size());
  for (std::string& line : shown) {
    const std::vector<size_t> points =
        settings.FoldLines ? FoldPoints(line, settings.FoldWidth) : std::vector<size_t>();
    size_t begin = 0;
    for (size_t point : points) {
      breaks.push_back(pos + static_cast<int32_t>(point));
      out.Lines.push_back(line.substr(begin, point - begin));
      begin = point;
    }
    pos += static_cast<int32_t>(line.size()) + 2;
    if (begin == 0) {
      out.Lines.push_back(std::move(line));
    } else {
      out.Lines.push_back(line.substr(begin));
    }
  }
  auto moved = [&](int32_t p) {
    const auto before = std::upper_bound(breaks.begin(), breaks.end(), p) - breaks.begin();
    return p + 2 * static_cast<int32_t>(before);
  };
  if (!breaks.empty()) {
    for (ArticleRun& run : fontRuns)
      run = {moved(run.First), moved(run.Last), run.Kind};
    for (ArticleRun& run : colorRuns)
      run = {moved(run.First), moved(run.Last), run.Kind};
    for (ArticleLink& link : out.Links) {
      link.First = moved(link.First);
      link.Last = moved(link.Last);
    }
  }
  out.Runs = std::move(fontRuns);
  out.Runs.insert(out.Runs.end(), colorRuns.begin(), colorRuns.end());
  return out;
}

LinkLaunch PlanLinkLaunch(std::string_view link, bool wwwSet, std::string_view www, bool mailerSet,
                          std::string_view mailer) {
  static const std::string kBrowserFailed = Cp932("WWWブラウザの起動に失敗しました");
  static const std::string kMailerFailed = Cp932("メーラーの起動に失敗しました");
  LinkLaunch launch;
  std::string head(link.substr(0, 7));
  for (char& c : head)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  launch.IsMail = head == "mailto:";
  const std::string_view program = TrimBlanks(launch.IsMail ? mailer : www);
  launch.FailureMessage = launch.IsMail ? kMailerFailed : kBrowserFailed;
  if ((launch.IsMail ? mailerSet : wwwSet) && !program.empty()) {
    launch.UseProgram = true;
    launch.CommandLine.assign(program);
    launch.CommandLine += ' ';
    launch.CommandLine.append(link);
  }
  return launch;
}

}  // namespace vorn
