#include "fuzz/ListFiles.h"

#include "fuzz/FuzzSupport.h"
#include "store/ArticleRecord.h"
#include "text/CommonSub.h"

namespace vorn::fuzz {
namespace {

std::string Whole(std::string_view text) {
  size_t i = 0;
  while (i < text.size())
    i += IsLeadByte(text[i]) ? 2 : 1;
  if (i > text.size()) text.remove_suffix(1);
  return std::string(text);
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
    fields.push_back(std::to_string(m.IdNo) + "|" + Whole(m.IdText.View()) + "|" +
                     Whole(m.CurrentHandle.View()) + "|" + Whole(m.TrueHandle.View()) + "|" +
                     Whole(m.ShortHandle.View()));
  }
  return fields;
}

void CheckListsRoundTrip(const TBoardList& boards, TMemberList& members) {
  static const std::string boardFile = ScratchFile("roundtrip.brd");
  static const std::string memberFile = ScratchFile("roundtrip.mem");
  FUZZ_CHECK(boards.SaveToFile(boardFile));
  TBoardList boardsAgain;
  FUZZ_CHECK(boardsAgain.LoadFromFile(boardFile));
  FUZZ_CHECK(BoardFields(boardsAgain) == BoardFields(boards));

  members.Modified = 1;
  FUZZ_CHECK(members.SaveToFile(memberFile));
  TMemberList membersAgain(members.TextIds);
  FUZZ_CHECK(membersAgain.LoadFromFile(memberFile));
  FUZZ_CHECK(MemberFields(membersAgain) == MemberFields(members));
}

}  // namespace vorn::fuzz
