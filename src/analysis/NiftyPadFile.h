#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/ArticleRecord.h"

namespace vorn {

class TBoardList;

// The PAD file of a Nifty-Serve set: the user's queued root articles, replies and mails, kept
// for the next call to the host. CR LF lines, no header; one entry per write:
//   root   "*W", forum index, board number, title, text lines, "."
//   reply  "*F", forum index, board number, number replied to, title, text lines, "."
//   mail   "*M", recipient ID, title, text lines, "."

// The lines of every queued write of the boards, in board order and, within a board, in
// posting order. In the mail box every write is a mail; a mail goes out once per recipient (the
// host takes one recipient per entry). Writes of an article board whose identifier does not
// carry a forum index and board number are left out.
std::vector<std::string> BuildNiftyPadLines(const TBoardList& boards);

// One entry read back.
struct NiftyPadEntry {
  uint8_t Kind = ArticleKindRoot;  // root, reply or mail
  int32_t BoardIndex = -1;         // in the board list the entries were read against
  int32_t ParentKey = -1;          // a reply's parent in its stored (rebased) form
  std::string Recipient;           // a mail's
  TStringList Text;                // the title first
};

// Reads the entries of a PAD file's lines. Entries whose board is not in the list, with a
// board number outside 0-99, a negative parent number or an empty recipient are skipped, and
// the walk goes on with the line after what they consumed. An entry cut off by the end of the
// lines (no "." after its title) ends the reading; the entries before it are kept. unplaced,
// when given, counts the whole entries whose board is not in the list.
std::vector<NiftyPadEntry> ParseNiftyPadLines(const std::vector<std::string>& lines,
                                              const TBoardList& boards, std::string_view mailBoxId,
                                              int32_t* unplaced = nullptr);

// The name of the dated copy of a PAD file: the stem of the file name, then dateText, then the
// extension the file had ("NIFTY.PAD" and "_0730" give "NIFTY_0730.PAD").
std::string DatedFileName(std::string_view path, std::string_view dateText);

}  // namespace vorn
