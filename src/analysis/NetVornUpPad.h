#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class TNetVorn;

// The two files through which the pending writes of a NetVorn-family BBS leave the program and
// come back at the next start. The UP file is a command script typed to the host line by line:
// it moves to each board with pending writes, posts the roots and replies, sends the mails and
// sets binary articles for batch download. The PAD file holds one record per binary upload and
// may end with the batch-download command. Article numbers appear as the host shows them (the
// rebased keys restored), with a leading '%' when the BBS shows serial headers.

// The lines of the UP file for the pending writes and batch marks of every board, in board-list
// order and each board's posting order. Empty when there is nothing to send.
std::vector<std::string> NetVornUpLines(const TNetVorn& process);

// The lines of the PAD file: a record for every binary write whose text carries the upload file
// and write-file name lines, and "*DB" when a binary article is marked for batch download and
// the BBS entry asks for the command.
std::vector<std::string> NetVornPadLines(const TNetVorn& process);

// Adds the writes of UP file lines back to the boards as pending writes and restores the batch
// marks. A batch mark on an article missing from the log gets a placeholder binary root of its
// own. Writes and placeholders take their keys from the process's WriteArticleNo, which grows by
// one for each (a number a placeholder's article answers to is passed over). The boards that
// changed are sorted afterwards. Gives the number of writes and batch marks that found no
// place: their board, or a mail's recipient, is not among the loaded data.
int32_t ReadNetVornUpLines(TNetVorn& process, const std::vector<std::string>& lines);

// The same for the binary writes of PAD file lines. Reading stops at a record that is cut off
// before its closing "."; the records before it stay. Gives the number of records whose board or
// recipient is not among the loaded data (or not a board of binary writes).
int32_t ReadNetVornPadLines(TNetVorn& process, const std::vector<std::string>& lines);

// The path of a dated copy: dateText put between the file name and its extension
// ("NET.UP" and "_0730" give "NET_0730.UP").
std::string DatedCopyPath(std::string_view path, std::string_view dateText);

}  // namespace vorn
