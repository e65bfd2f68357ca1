// The board list file and the member list file (numeric and text IDs): reading any file, and
// writing what was read so that it reads back the same.
// Input: one byte choosing the file (0 board list, 1 member list with numeric IDs, 2 member
// list with text IDs, taken modulo 3), then the file.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ListFiles.h"

using namespace vorn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::UseReadingUi();
  if (size == 0) return 0;
  const int kind = data[0] % 3;
  static const std::string path = fuzz::ScratchFile("input.lst");
  fuzz::WriteScratch(path, fuzz::AsText(data + 1, size - 1));
  // A file that is not understood is kept aside as input.lst.bak; one input's copy is enough.
  fuzz::RemoveScratch(path + ".bak");

  TBoardList boards;
  TMemberList members(kind == 2);
  if (kind == 0) {
    if (!boards.LoadFromFile(path)) return 0;
    boards.SortBoardsById();
    boards.SortBoards();
  } else {
    if (!members.LoadFromFile(path)) return 0;
    members.SortMembers();
  }
  fuzz::CheckListsRoundTrip(boards, members);
  return 0;
}
