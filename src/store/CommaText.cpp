#include "store/CommaText.h"

#include "text/ShiftJisText.h"

namespace vorn {
namespace {

bool IsBlank(unsigned char c) {
  return c >= 1 && c <= 32;
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  if (size_t zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
  const size_t n = text.size();
  auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < n && IsBlank(at(i)))
    ++i;
  while (i < n) {
    std::string field;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (IsLeadByte(at(i))) {
          const size_t len = i + 1 < n ? 2 : 1;
          field.append(text.substr(i, len));
          i += len;
        } else if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            field += '"';
            i += 2;
          } else {
            ++i;
            break;
          }
        } else {
          field += text[i++];
        }
      }
    } else {
      const size_t start = i;
      while (i < n && at(i) > 32 && text[i] != ',')
        ++i;
      field.assign(text.substr(start, i - start));
    }
    fields.push_back(std::move(field));
    while (i < n && IsBlank(at(i)))
      ++i;
    if (i < n && text[i] == ',') {
      ++i;
      while (i < n && IsBlank(at(i)))
        ++i;
    }
  }
  return fields;
}

std::string QuotedField(std::string_view text) {
  size_t i = 0;
  while (i < text.size())
    i += IsLeadByte(text[i]) ? 2 : 1;
  if (i > text.size()) text.remove_suffix(1);  // a first byte without its second
  return "\"" + QuoteDoubled(text) + "\"";
}

}  // namespace vorn
