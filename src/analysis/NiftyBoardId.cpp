#include "analysis/NiftyBoardId.h"

#include <cstdio>

#include "text/Numbers.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

void AppendTwoDigits(int32_t number, std::string& out) {
  char buf[16];
  const int len = std::snprintf(buf, sizeof buf, "%.2d", number);
  out.append(buf, static_cast<size_t>(len));
}

}  // namespace

void MakeNiftyBoardId(std::string_view boardIndex, int32_t boardNo, std::string& id) {
  id.assign(1, '_');
  for (size_t i = 0; i < boardIndex.size(); ++i) {
    const char c = boardIndex[i];
    if (IsLeadByte(c) && i + 1 < boardIndex.size()) {
      id.push_back(c);
      id.push_back(boardIndex[++i]);
    } else {
      id.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
  }
  if (boardIndex.size() < 8) id.append(8 - boardIndex.size(), '_');
  id.push_back('_');
  AppendTwoDigits(boardNo, id);
}

std::string NiftyBoardId(std::string_view boardIndex, int32_t boardNo) {
  std::string id;
  MakeNiftyBoardId(boardIndex, boardNo, id);
  return id;
}

std::string NiftyUnknownBoardId(int32_t boardNo) {
  std::string id = "`UNKNOWN__";
  AppendTwoDigits(boardNo, id);
  return id;
}

std::string BoardTitleFromHeader(std::string_view title) {
  // A blank is never the second byte of a double-byte character.
  const size_t blank = title.rfind(' ');
  if (blank == std::string_view::npos || blank == 0) return std::string(title);
  return std::string(title.substr(0, blank + 1));
}

bool SplitNiftyBoardId(std::string_view id, std::string& boardIndex, int32_t& boardNo) {
  if (id.size() <= 10) return false;
  size_t end = std::string_view::npos;
  for (size_t i = 1; i < id.size(); ++i) {
    if (id[i] == '_') {
      end = i;
      break;
    }
    if (IsLeadByte(id[i])) ++i;
  }
  if (end == std::string_view::npos) return false;
  const int32_t number = TextToNumber(id.substr(id.size() - 2));
  if (number == NoNumber) return false;
  boardIndex.assign(id.substr(1, end - 1));
  boardNo = number;
  return true;
}

}  // namespace vorn
