#include "fuzz/ListFiles.h"

#include <cstdio>

#include "fuzz/FuzzSupport.h"
#include "store/ArticleRecord.h"
#include "text/ShiftJisText.h"

namespace vorn::fuzz {
namespace {

std::string Whole(std::string_view text) {
  size_t i = 0;
  while (i < text.size())
    i += IsLeadByte(text[i]) ? 2 : 1;
  if (i > text.size()) text.remove_suffix(1);
  return std::string(text);
}

void ShowFields(const char* caption, const std::vector<std::string>& fields) {
  std::fprintf(stderr, "%s\n", caption);
  for (const std::string& field : fields) {
    std::string shown;
    for (const char c : field) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      shown += c >= 0x20 && c < 0x7F ? std::string(1, c) : std::string(hex);
    }
    std::fprintf(stderr, "  [%s]\n", shown.c_str());
  }
}

// Both sides of a broken round trip, before the check stops the process.
void ShowDifference(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  if (before == after) return;
  ShowFields("saved:", before);
  ShowFields("read back:", after);
}

}  // namespace

std::vector<std::string> BoardFields(const TBoardList& boards) {
  std::vector<std::string> fields;
  for (int32_t i = 0; i < boards.Count(); ++i) {
    const BoardRecord& b = *boards.Board(i);
    if (b.BoardNo >= RebaseOffset) continue;
    fields.push_back(std::to_string(b.BoardNo) + "|" + Whole(b.BoardId.View()) + "|" +
                     Whole(b.BoardTitle.View()) + "|" + std::to_string(b.IsArticleBoard) +
                     std::to_string(b.BoardType) + std::to_string(b.BoardAttr));
  }
  return fields;
}

std::vector<std::string> MemberFields(const TMemberList& members) {
  std::vector<std::string> fields;
  for (int32_t i = 0; i < members.Count(); ++i) {
    if (!members.IsLiveMember(i)) continue;
    const MemberRecord& m = *members.Member(i);
    // What the reader makes of the saved record: no record without its ID or current handle,
    // and an empty true or short handle is the current one.
    const std::string id = Whole(m.IdText.View());
    const std::string current = Whole(m.CurrentHandle.View());
    if (current.empty() || (members.TextIds && id.empty())) continue;
    std::string trueHandle = Whole(m.TrueHandle.View());
    std::string shortHandle = Whole(m.ShortHandle.View());
    if (trueHandle.empty()) trueHandle = current;
    if (shortHandle.empty()) shortHandle = current;
    fields.push_back(std::to_string(m.IdNo) + "|" + id + "|" + current + "|" + trueHandle + "|" +
                     shortHandle);
  }
  return fields;
}

void CheckListsRoundTrip(const TBoardList& boards, TMemberList& members) {
  static const std::string boardFile = ScratchFile("roundtrip.brd");
  static const std::string memberFile = ScratchFile("roundtrip.mem");
  FUZZ_CHECK(boards.SaveToFile(boardFile));
  TBoardList boardsAgain;
  FUZZ_CHECK(boardsAgain.LoadFromFile(boardFile));
  ShowDifference(BoardFields(boards), BoardFields(boardsAgain));
  FUZZ_CHECK(BoardFields(boardsAgain) == BoardFields(boards));

  members.Modified = 1;
  FUZZ_CHECK(members.SaveToFile(memberFile));
  TMemberList membersAgain(members.TextIds);
  FUZZ_CHECK(membersAgain.LoadFromFile(memberFile));
  ShowDifference(MemberFields(members), MemberFields(membersAgain));
  FUZZ_CHECK(MemberFields(membersAgain) == MemberFields(members));
}

}  // namespace vorn::fuzz
