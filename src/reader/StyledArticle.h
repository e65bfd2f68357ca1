#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "text/ArticleText.h"

namespace vorn {

// A prepared article in the characters the widgets show, with every character's look. Both
// article views (horizontal and vertical) draw from it, so their colours, fonts and links
// agree.
//
// Document positions count the characters of the lines and one separator after each line
// (as a text document counts its paragraphs).
struct StyledArticle {
  // What a character looks like: the font and a colour (one of the Color values), underlined
  // for links.
  enum : uint8_t {
    BigFont = 0x01,
    ColorMask = 0x0E,
    ColorBig = 0x02,
    ColorQuote = 0x04,
    ColorEof = 0x06,
    ColorUrl = 0x08,
    Underline = 0x10,
  };
  struct Line {
    QString text;
    std::vector<uint8_t> looks;  // one per UTF-16 unit of text
  };
  struct Link {
    int32_t start = 0;  // document positions, end exclusive
    int32_t end = 0;
    std::string text;  // CP932, as the core found it
  };

  std::vector<Line> lines;
  // Document position of each line's first character.
  std::vector<int32_t> lineStarts;
  std::vector<Link> links;

  // The link at a document position; null when there is none.
  const Link* LinkAt(int32_t position) const;
  // The line holding a document position (its separator included); -1 outside the text.
  int32_t LineOf(int32_t position) const;
  // The characters from start to end (document positions), lines separated by "\n".
  QString TextBetween(int32_t start, int32_t end) const;
  int32_t Length() const;
};

// Maps the byte positions of the prepared text onto characters and gives every character its
// look. Control characters show as their pictures (U+2400 ...), one character each, so that
// they neither break nor vanish from a line.
StyledArticle StyleArticle(const PreparedArticleText& prepared);

}  // namespace vorn
