#include "analysis/PatternLine.h"

#include <cstring>

#include "analysis/BBSProcess.h"

namespace vorn {

LinePattern::LinePattern(std::string_view compiled) : text(compiled), program(compiled) {
  // The matcher reads "%%" as the '%' of the next directive, and the marks X, Y and Z do not
  // move the position; a %C after them compares its literal with the start of the text. The
  // literal ends at the next '%' ("%%" in it stands for one '%': only the part before is used).
  size_t q = 0;
  while (q + 1 < compiled.size() && compiled[q] == '%') {
    const char letter = compiled[q + 1];
    if (letter == '%') {
      ++q;
    } else if (letter == 'X' || letter == 'Y' || letter == 'Z') {
      q += 2;
    } else {
      if (letter == 'C') {
        const size_t start = q + 2;
        size_t end = compiled.find('%', start);
        if (end == std::string_view::npos) end = compiled.size();
        prefix = compiled.substr(start, end - start);
        prefixHasEsc = prefix.find('\x1b') != std::string_view::npos;
      }
      break;
    }
  }
}

void PatternLine::Reset(std::string_view stored) {
  stored_ = stored;
  prepared_ = false;
}

void PatternLine::Prepare() {
  PrepareLineText(stored_, text_);
  prepared_ = true;
}

bool PatternLine::MayMatchSlow(const LinePattern& pattern) {
  const std::string_view prefix = pattern.prefix;
  if (!prepared_ && !pattern.prefixHasEsc) {
    // Bytes of the stored line before its first ESC are bytes of the text. Where the stored
    // line agrees with the literal it has no ESC there, and where it first differs without an
    // ESC the text differs too.
    const size_t n = stored_.size();
    const size_t common = prefix.size() <= n ? prefix.size() : n;
    size_t m = 0;
    while (m < common && stored_[m] == prefix[m])
      ++m;
    if (m == prefix.size()) return true;
    if (m < common && stored_[m] != kEsc) return false;
    if (m == n && std::memchr(stored_.data(), kEsc, n) == nullptr) {
      // The whole line agrees: the text goes on with its CR.
      return prefix.size() == n + 1 && prefix[n] == '\r';
    }
  }
  const std::string& text = Text();
  return text.size() >= prefix.size() &&
         std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

}  // namespace vorn
