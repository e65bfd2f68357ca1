// The static site: index.html with the boards, one page per board with the grid's rows (tree
// lines included) and every article as the article view shows it, and a search box. No
// server, no external resource: it works from file://.
//
// Markup comes only from string literals (HtmlPage::Markup takes nothing else); every text from
// the log or the settings goes through AppendHtmlEscaped.

#include <cstdio>

#include "archive/ArchiveFile.h"
#include "archive/ArchiveWriters.h"
#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

class HtmlPage final {
 public:
  HtmlPage(ArchiveFile& file, ArchiveText& text) : out_(file.Buffer()), text_(text) {}

  template <size_t N>
  HtmlPage& Markup(const char (&literal)[N]) {
    out_.append(literal, N - 1);
    return *this;
  }
  // CP932 text from the log or the settings.
  HtmlPage& Text(std::string_view cp932) {
    utf8_.clear();
    text_.Append(cp932, utf8_);
    AppendHtmlEscaped(utf8_, out_);
    return *this;
  }
  // UTF-8 text made here (numbers, dates, tags).
  HtmlPage& Utf8(std::string_view utf8) {
    AppendHtmlEscaped(utf8, out_);
    return *this;
  }
  HtmlPage& Number(int64_t n) { return Utf8(std::to_string(n)); }

 private:
  std::string& out_;
  ArchiveText& text_;
  std::string utf8_;
};

const char kStyle[] =
    "<style>\n"
    "body{font-family:\"IPAGothic\",\"IPAexGothic\",\"Noto Sans Mono CJK JP\",monospace;"
    "margin:1em 2em;color:#111;background:#fff}\n"
    "table{border-collapse:collapse}\n"
    "th,td{padding:0 .6em;text-align:left;vertical-align:top}\n"
    "td.no,td.w,span.tl{white-space:pre}\n"
    "tr.m td{color:#00f}\n"
    "article{border-top:1px solid #999;margin-top:1em;padding-top:.3em}\n"
    "article.m{color:#00f}\n"
    "article .h{font-weight:bold}\n"
    "article nav{font-size:90%;margin:.2em 0}\n"
    "pre{white-space:pre-wrap;font-family:inherit;margin:.3em 0}\n"
    ".q{color:#080}\n"
    ".big{font-size:150%}\n"
    "#find{position:sticky;top:0;background:#fff;padding:.4em 0;border-bottom:1px solid #ccc}\n"
    "</style>\n";

// Filters the page's articles and rows by a text in their titles and bodies, case ignored.
const char kSearchScript[] =
    "<script>\n"
    "(function () {\n"
    "  var box = document.getElementById('q'), hits = document.getElementById('hits');\n"
    "  var articles = Array.prototype.slice.call(document.querySelectorAll('article'));\n"
    "  var texts = null;\n"
    "  function textOf(a) {\n"
    "    var t = a.querySelector('.t'), b = a.querySelector('pre');\n"
    "    return ((t ? t.textContent : '') + '\\n' + (b ? b.textContent : '')).toLowerCase();\n"
    "  }\n"
    "  function run() {\n"
    "    var q = box.value.toLowerCase(), shown = 0;\n"
    "    if (!texts) texts = articles.map(textOf);\n"
    "    articles.forEach(function (a, i) {\n"
    "      var ok = q === '' || texts[i].indexOf(q) >= 0;\n"
    "      a.hidden = !ok;\n"
    "      var row = document.getElementById('r' + a.id.substring(1));\n"
    "      if (row) row.hidden = !ok;\n"
    "      if (ok) ++shown;\n"
    "    });\n"
    "    hits.textContent = q === '' ? '' : shown + ' 件';\n"
    "  }\n"
    "  box.addEventListener('input', run);\n"
    "  document.getElementById('find').addEventListener('submit', function (e) {\n"
    "    e.preventDefault();\n"
    "    run();\n"
    "  });\n"
    "})();\n"
    "</script>\n";

bool SafeLink(std::string_view link) {
  for (std::string_view scheme : {"http://", "https://", "ftp://", "mailto:"}) {
    if (link.substr(0, scheme.size()) == scheme) return true;
  }
  return false;
}

// The number cell of the grid without its read-state marks: "B" for a binary article, "-n-"
// for a placeholder, "-不明-" without a number.
void NumberCell(HtmlPage& page, const ArchiveArticle& a, bool placeholder) {
  if (placeholder) {
    page.Markup("-").Number(a.Number).Markup("-");
    return;
  }
  if (a.Kind == ArticleKindBinaryRoot || a.Kind == ArticleKindBinaryRess ||
      a.Kind == ArticleKindBinaryMail)
    page.Markup("B");
  if (a.Number < 0) {
    static const std::string kUnknown = Cp932("-不明-");
    page.Text(kUnknown);
  } else {
    page.Number(a.Number);
  }
}

// The ID and handle cell as the grid shows it.
void WriterCell(HtmlPage& page, const ArchiveArticle& a, bool textIds) {
  if (a.Writer.empty()) return;
  char id[48];
  std::snprintf(id, sizeof id, textIds ? "%8s" : "%4s", a.Writer.c_str());
  page.Text(id);
  if (!a.Handle.empty()) page.Markup(":").Text(a.Handle);
}

// The article's lines with the article view's quote runs, big-font lines and links.
void ArticleBody(HtmlPage& page, const PreparedArticleText& text, const ArchiveOptions& options) {
  // The line break after <pre> is dropped by every parser: an empty first line stays.
  page.Markup("<pre>\n");
  int32_t position = 1;  // of the line's first byte; every line ends with two positions
  size_t run = 0, link = 0;
  const auto& runs = text.Runs;
  const auto& links = text.Links;
  for (const std::string& line : text.Lines) {
    const int32_t first = position, last = position + static_cast<int32_t>(line.size()) - 1;
    bool big = false, quote = false;
    while (run < runs.size() && runs[run].Last < first)
      ++run;
    for (size_t r = run; r < runs.size() && runs[r].First <= std::max(first, last); ++r) {
      if (runs[r].Kind == ArticleRunKind::BigFont && runs[r].First == first) big = true;
      if (runs[r].Kind == ArticleRunKind::Quote && runs[r].First <= first && runs[r].Last >= first)
        quote = true;
    }
    if (quote) page.Markup("<span class=\"q\">");
    if (big) page.Markup("<span class=\"big\">");
    size_t done = 0;
    while (link < links.size() && links[link].First <= last) {
      const ArticleLink& l = links[link++];
      if (l.First < first) continue;
      const size_t from = static_cast<size_t>(l.First - first);
      const size_t to = std::min(line.size(), static_cast<size_t>(l.Last - first + 1));
      if (from < done || to <= from) continue;
      page.Text(std::string_view(line).substr(done, from - done));
      const std::string_view shown = std::string_view(line).substr(from, to - from);
      if (options.Text.UrlEnabled && SafeLink(l.Text)) {
        page.Markup("<a href=\"").Text(l.Text).Markup("\">").Text(shown).Markup("</a>");
      } else {
        page.Text(shown);
      }
      done = to;
    }
    page.Text(std::string_view(line).substr(done));
    if (big) page.Markup("</span>");
    if (quote) page.Markup("</span>");
    page.Markup("\n");
    position = last + 3;
  }
  page.Markup("</pre>\n");
}

void PageStart(HtmlPage& page, std::string_view titleCp932, const std::string& setName) {
  page.Markup("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n")
      .Markup("<meta name=\"viewport\" content=\"width=device-width\">\n<title>")
      .Text(titleCp932);
  if (!setName.empty()) page.Markup(" - ").Text(setName);
  page.Markup("</title>\n").Markup(kStyle).Markup("</head>\n<body>\n");
}

std::string BoardHeading(const ArchiveBoardInfo& board) {
  return board.Label + " " + board.Title;
}

// What the index's key column shows of a board: the key of a numbered board, else the label
// ("FBOOK:MES:20", which says more than the key made of it). Never blank: it is a link's text.
const std::string& BoardKeyCell(const ArchiveBoardInfo& board) {
  return board.Number >= 0 && !IsBlankText(board.Key) ? board.Key : board.Label;
}

// A title as a link shows it: a blank one (a missing parent the replies did not name, an
// article without a title) would leave nothing to click.
void TitleLinkText(HtmlPage& page, const std::string& title) {
  if (IsBlankText(title)) {
    page.Markup("(タイトルなし)");
  } else {
    page.Text(title);
  }
}

bool WriteBoardPage(ArchiveContext& context, const ArchiveBoardInfo& board,
                    const ArchiveBoardReader& reader) {
  ArchiveFile file;
  if (!file.Open(context.Folder, board.FileStem + ".html")) return context.Fail(file.Error());
  HtmlPage page(file, context.Text);
  const bool textIds = context.Members.TextIds();
  const auto& entries = reader.Entries();
  PageStart(page, BoardHeading(board), context.Request.SetName);
  page.Markup("<nav><a href=\"index.html\">ボード一覧</a></nav>\n")
      .Markup("<h1 id=\"top\">")
      .Text(BoardHeading(board))
      .Markup("</h1>\n<form id=\"find\" role=\"search\"><input id=\"q\" type=\"search\" ")
      .Markup("placeholder=\"タイトルと本文を検索\" ")
      .Markup("aria-label=\"検索\"> <span id=\"hits\"></span></form>\n");

  // The grid: one row per entry, in tree order with the tree lines.
  page.Markup(
      "<table "
      "class=\"grid\">\n<thead><tr><th>No</th><th>ID:Handle</th><th>Title</th></tr></"
      "thead>\n<tbody>\n");
  TreeLinePrefixes prefixes(context.Request.Options.TreeLineType);
  ArchiveArticle article;
  for (size_t i = 0; i < entries.size(); ++i) {
    reader.Read(i, article);
    const bool placeholder = entries[i].Placeholder;
    if (placeholder) {
      page.Markup("<tr class=\"m\" id=\"r");
    } else {
      page.Markup("<tr id=\"r");
    }
    page.Utf8(reader.Tag(i))
        .Markup("\"><td class=\"no\"><span class=\"tl\">")
        .Text(prefixes.Next(entries[i]))
        .Markup("</span>");
    NumberCell(page, article, placeholder);
    page.Markup("</td><td class=\"w\">");
    WriterCell(page, article, textIds);
    page.Markup("</td><td><a href=\"#a").Utf8(reader.Tag(i)).Markup("\">");
    TitleLinkText(page, article.Title);
    page.Markup("</a></td></tr>\n");
    file.Written();
  }
  page.Markup("</tbody>\n</table>\n");
  if (file.Failed()) return context.Fail(file.Error());

  // The articles.
  std::vector<std::string> lines;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!context.Step()) return false;
    reader.Read(i, article);
    const bool placeholder = entries[i].Placeholder;
    if (placeholder) {
      page.Markup("<article class=\"m\" id=\"a");
    } else {
      page.Markup("<article id=\"a");
    }
    page.Utf8(reader.Tag(i)).Markup("\">\n<div class=\"h\"><span class=\"no\">");
    NumberCell(page, article, placeholder);
    page.Markup("</span> <span class=\"w\">");
    WriterCell(page, article, textIds);
    page.Markup("</span> <span class=\"t\">").Text(article.Title).Markup("</span>");
    if (article.Date && !placeholder)
      page.Markup(" <time datetime=\"")
          .Utf8(IsoDateText(*article.Date))
          .Markup("\">")
          .Utf8(IsoDateText(*article.Date).substr(0, 16).replace(10, 1, " "))
          .Markup("</time>");
    page.Markup("</div>\n<nav>");
    if (i > 0)
      page.Markup("<a rel=\"prev\" href=\"#a").Utf8(reader.Tag(i - 1)).Markup("\">前</a> ");
    if (i + 1 < entries.size())
      page.Markup("<a rel=\"next\" href=\"#a").Utf8(reader.Tag(i + 1)).Markup("\">次</a> ");
    if (entries[i].Parent >= 0)
      page.Markup("<a class=\"parent\" href=\"#a")
          .Utf8(reader.Tag(static_cast<size_t>(entries[i].Parent)))
          .Markup("\">親</a> ");
    page.Markup("<a href=\"#r").Utf8(reader.Tag(i)).Markup("\">一覧</a></nav>\n");
    if (placeholder) {
      page.Markup("<p>元記事はログにありません</p>\n");
    } else {
      lines.clear();
      ForEachLogLine(*context.Request.Log, article.FirstLine, article.LastLine,
                     [&](std::string_view text) { lines.emplace_back(text); });
      ArticleBody(page, PrepareArticleText(lines, context.Request.Options.Text),
                  context.Request.Options);
      ++context.Result.Articles;
    }
    page.Markup("</article>\n");
    file.Written();
    if (file.Failed()) return context.Fail(file.Error());
  }
  page.Markup(kSearchScript).Markup("</body>\n</html>\n");
  return context.Finish(file);
}

}  // namespace

bool WriteHtml(ArchiveContext& context) {
  std::vector<int32_t> counts(context.Boards.size(), 0);
  for (size_t b = 0; b < context.Boards.size(); ++b) {
    const auto reader = context.Reader(context.Boards[b]);
    if (!reader || reader->ArticleCount() == 0) continue;
    counts[b] = reader->ArticleCount();
    ++context.Result.Boards;
    if (!WriteBoardPage(context, context.Boards[b], *reader)) return false;
  }
  // The index last: a site whose index opens is complete.
  ArchiveFile file;
  if (!file.Open(context.Folder, "index.html")) return context.Fail(file.Error());
  HtmlPage page(file, context.Text);
  static const std::string kBoards = Cp932("ボード一覧");
  PageStart(page, kBoards, context.Request.SetName);
  page.Markup("<h1>")
      .Text(context.Request.SetName.empty() ? kBoards : context.Request.SetName)
      .Markup("</h1>\n<p>")
      .Number(context.Result.Boards)
      .Markup(" ボード、")
      .Number(context.Result.Articles)
      .Markup(" 記事</p>\n")
      .Markup("<table class=\"boards\">\n<thead><tr><th>No</th><th>Key</th><th>Title</th>")
      .Markup("<th>記事数</th></tr></thead>\n<tbody>\n");
  for (size_t b = 0; b < context.Boards.size(); ++b) {
    const ArchiveBoardInfo& board = context.Boards[b];
    page.Markup("<tr><td>");
    if (board.Number >= 0) page.Number(board.Number);
    page.Markup("</td><td>");
    if (counts[b] > 0) {
      page.Markup("<a class=\"board\" href=\"")
          .Utf8(board.FileStem)
          .Markup(".html\">")
          .Text(BoardKeyCell(board))
          .Markup("</a>");
    } else {
      page.Text(BoardKeyCell(board));
    }
    page.Markup("</td><td>").Text(board.Title).Markup("</td><td>").Number(counts[b]);
    page.Markup("</td></tr>\n");
  }
  page.Markup("</tbody>\n</table>\n</body>\n</html>\n");
  return context.Finish(file);
}

}  // namespace vorn
