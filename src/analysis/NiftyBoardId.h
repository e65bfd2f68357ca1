#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// Nifty-Serve boards have no number of their own in the board list; they are keyed by an
// identifier built from the forum index and the board number of the board header:
// "_" + index upper-cased and padded with "_" to 8 bytes + "_" + the number as two digits, for
// example "_FXYZ_____05". Boards whose header was never seen get "`UNKNOWN__" + the number.

// The key of the mail box (a blank, "MAIL" and seven blanks).
inline constexpr std::string_view NiftyMailBoxId = " MAIL       ";
// The title the unknown boards get.
inline constexpr std::string_view NiftyUnknownBoardTitle = "Unknown";

// Builds the identifier of a board header into id (reusing its buffer). An index longer than
// 8 bytes is kept whole; only ASCII letters are upper-cased, never the second byte of a
// double-byte character.
void MakeNiftyBoardId(std::string_view boardIndex, int32_t boardNo, std::string& id);
std::string NiftyBoardId(std::string_view boardIndex, int32_t boardNo);
// The identifier of a board whose articles come before any board header.
std::string NiftyUnknownBoardId(int32_t boardNo);

// The title a board header shows, less what follows its last blank (the article counts):
// "雑談 会議室" gives "雑談 ". A text without a blank, or whose only blank is its first byte,
// stays as it is.
std::string BoardTitleFromHeader(std::string_view title);

// The forum index and board number an identifier carries: the identifier is longer than 10
// bytes, the index is what follows its first byte up to the next "_", and the number is its
// last two bytes. False, with both left unchanged, when the identifier does not have that form.
bool SplitNiftyBoardId(std::string_view id, std::string& boardIndex, int32_t& boardNo);

}  // namespace vorn
