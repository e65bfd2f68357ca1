#include "reader/StyledArticle.h"

#include <algorithm>

#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

size_t UnitLength(std::string_view bytes, size_t i) {
  return IsLeadByte(bytes[i]) && i + 1 < bytes.size() ? 2 : 1;
}

// The line's characters and, for every byte, the character it belongs to. Each CP932
// character is one UTF-16 unit when it is valid, so the whole line is converted at once; a
// line with invalid sequences (which become more or fewer characters) is converted character
// by character instead.
void DecodeLine(std::string_view bytes, QString& text, std::vector<int32_t>& columnOfByte) {
  columnOfByte.assign(bytes.size() + 1, 0);
  size_t units = 0;
  for (size_t i = 0; i < bytes.size(); i += UnitLength(bytes, i))
    ++units;
  text = QtText(std::string(bytes));
  if (static_cast<size_t>(text.size()) == units) {
    int32_t column = 0;
    for (size_t i = 0; i < bytes.size();) {
      const size_t len = UnitLength(bytes, i);
      for (size_t k = 0; k < len; ++k)
        columnOfByte[i + k] = column;
      i += len;
      ++column;
    }
    columnOfByte[bytes.size()] = column;
  } else {
    text.clear();
    for (size_t i = 0; i < bytes.size();) {
      const size_t len = UnitLength(bytes, i);
      const auto column = static_cast<int32_t>(text.size());
      for (size_t k = 0; k < len; ++k)
        columnOfByte[i + k] = column;
      text += QtText(std::string(bytes.substr(i, len)));
      i += len;
    }
    columnOfByte[bytes.size()] = static_cast<int32_t>(text.size());
  }
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20) {
      c = QChar(char16_t(0x2400 + u));
    } else if (u == 0x7F) {
      c = QChar(char16_t(0x2421));
    }
  }
}

}  // namespace

int32_t StyledArticle::Length() const {
  if (lines.empty()) return 0;
  return lineStarts.back() + static_cast<int32_t>(lines.back().text.size()) + 1;
}

int32_t StyledArticle::LineOf(int32_t position) const {
  if (position < 0 || position >= Length()) return -1;
  const auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), position);
  return static_cast<int32_t>(it - lineStarts.begin()) - 1;
}

const StyledArticle::Link* StyledArticle::LinkAt(int32_t position) const {
  const auto it = std::upper_bound(links.begin(), links.end(), position,
                                   [](int32_t p, const Link& l) { return p < l.start; });
  if (it == links.begin()) return nullptr;
  const Link& link = *(it - 1);
  return position < link.end ? &link : nullptr;
}

QString StyledArticle::TextBetween(int32_t start, int32_t end) const {
  QString out;
  start = std::max(start, 0);
  end = std::min(end, Length());
  for (int32_t line = std::max(LineOf(start), 0); line < static_cast<int32_t>(lines.size());
       ++line) {
    const int32_t lineStart = lineStarts[static_cast<size_t>(line)];
    if (lineStart >= end) break;
    const QString& text = lines[static_cast<size_t>(line)].text;
    const int32_t from = std::max(start - lineStart, 0);
    const int32_t to = std::min<int32_t>(end - lineStart, static_cast<int32_t>(text.size()));
    if (to > from) out += text.mid(from, to - from);
    if (end - lineStart > static_cast<int32_t>(text.size())) out += QLatin1Char('\n');
  }
  return out;
}

StyledArticle StyleArticle(const PreparedArticleText& prepared) {
  StyledArticle out;
  const size_t n = prepared.Lines.size();
  out.lines.resize(n);
  out.lineStarts.resize(n);
  std::vector<std::vector<int32_t>> columns(n);
  std::vector<int32_t> byteStarts(n);
  int32_t doc = 0;
  int32_t byte = 1;
  for (size_t i = 0; i < n; ++i) {
    StyledArticle::Line& line = out.lines[i];
    DecodeLine(prepared.Lines[i], line.text, columns[i]);
    line.looks.assign(static_cast<size_t>(line.text.size()), 0);
    out.lineStarts[i] = doc;
    byteStarts[i] = byte;
    doc += static_cast<int32_t>(line.text.size()) + 1;
    byte += static_cast<int32_t>(prepared.Lines[i].size()) + 2;
  }

  // The document position of a 1-based byte position; the CR and LF of a line end are its
  // separator.
  auto documentPosition = [&](int32_t position) -> int32_t {
    if (n == 0) return 0;
    auto it = std::upper_bound(byteStarts.begin(), byteStarts.end(), position);
    if (it == byteStarts.begin()) return 0;
    const size_t line = static_cast<size_t>(it - byteStarts.begin()) - 1;
    const auto offset = static_cast<size_t>(position - byteStarts[line]);
    const std::vector<int32_t>& map = columns[line];
    const int32_t column = offset < prepared.Lines[line].size()
                               ? map[offset]
                               : static_cast<int32_t>(out.lines[line].text.size());
    return out.lineStarts[line] + column;
  };
  auto apply = [&](int32_t first, int32_t last, auto change) {
    if (last < first || n == 0) return;
    const int32_t start = documentPosition(first);
    const int32_t end = documentPosition(last) + 1;
    for (int32_t line = std::max(out.LineOf(start), 0); line < static_cast<int32_t>(n); ++line) {
      const int32_t lineStart = out.lineStarts[static_cast<size_t>(line)];
      if (lineStart >= end) break;
      std::vector<uint8_t>& looks = out.lines[static_cast<size_t>(line)].looks;
      const int32_t from = std::max(start - lineStart, 0);
      const int32_t to = std::min<int32_t>(end - lineStart, static_cast<int32_t>(looks.size()));
      for (int32_t k = from; k < to; ++k)
        change(looks[static_cast<size_t>(k)]);
    }
    return;
  };
  auto setColor = [](uint8_t& look, uint8_t color) {
    look = static_cast<uint8_t>((look & ~StyledArticle::ColorMask) | color);
  };

  for (const ArticleRun& run : prepared.Runs) {
    switch (run.Kind) {
      case ArticleRunKind::BigFont:
        apply(run.First, run.Last, [&](uint8_t& look) {
          look |= StyledArticle::BigFont;
          setColor(look, StyledArticle::ColorBig);
        });
        break;
      case ArticleRunKind::Quote:
        apply(run.First, run.Last,
              [&](uint8_t& look) { setColor(look, StyledArticle::ColorQuote); });
        break;
      case ArticleRunKind::EofMarker:
        apply(run.First, run.Last, [&](uint8_t& look) { setColor(look, StyledArticle::ColorEof); });
        break;
    }
  }
  for (const ArticleLink& link : prepared.Links) {
    apply(link.First, link.Last, [&](uint8_t& look) {
      setColor(look, StyledArticle::ColorUrl);
      look |= StyledArticle::Underline;
    });
    out.links.push_back({documentPosition(link.First), documentPosition(link.Last) + 1, link.Text});
  }
  return out;
}

}  // namespace vorn
