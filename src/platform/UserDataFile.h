#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vorn {

// Every file that holds what the user made or chose (board and member lists, read pointers,
// flags, writer lists, UP and PAD files, the settings files) is replaced and removed through
// WriteUserFile and RemoveUserFile, under one rule: bytes on disk that this run has not
// understood in full, written itself or kept elsewhere are copied beside the file first (name.bak,
// or name.bak2, name.bak3, ... when that is taken; a copy holding the same bytes already is used
// again) and the user is told the copy's name. Where no copy can be made the file stays as it is
// and the write fails. Only regular files are ever replaced or removed.
//
// Whether a file is understood is each reader's judgement, given through NoteUserFileRead: a
// file is understood when writing back what the reader took from it would lose nothing of it.

// A reader's verdict on the bytes it read of the file at path.
void NoteUserFileRead(const std::string& path, std::string_view bytes, bool understood);

// Writes data to path atomically (WriteFileAtomic), keeping bytes not understood first. False
// when anything failed; the file is then as it was.
bool WriteUserFile(const std::string& path, std::string_view data);
// Removes the file, keeping bytes not understood first. True when it is gone or never was.
bool RemoveUserFile(const std::string& path);

// Copies the file's present bytes to keptPath (a new file, with the file's permissions) and
// counts them as kept. False when they cannot be read or the copy cannot be made.
bool KeepUserFileAs(const std::string& path, const std::string& keptPath);

// For a file that cannot be read at all (its first line is not its header): kept beside itself
// at once, the user told that it is not read and where its bytes are, before the program goes
// on without it. The copy's path; empty when none could be made (the user is told that too).
std::string KeepUserFileNotUnderstood(const std::string& path);

// Whether the text's last line has its line end (or the text is empty). Every file the program
// writes ends so; one that does not may have been cut short in the middle of its last line.
bool TextEndsItsLastLine(std::string_view bytes);

// Calls line for every line of bytes, in order, split by the classic text convention (CR LF, CR
// or LF end a line; byte 0x1A ends the text).
void ForEachClassicLine(std::string_view bytes, const std::function<void(std::string_view)>& line);

// A file read whole, its lines split by the classic text convention (CR LF, CR or LF end a
// line; byte 0x1A ends the file), for a reader that judges it line by line.
struct UserFileText {
  // False when the file cannot be opened or read (missing, a folder, no permission); a file
  // that is not a regular file is refused and the user told.
  bool Read(const std::string& path);
  // Calls line for every line, in order, each as a view into Bytes.
  void ForEachLine(const std::function<void(std::string_view)>& line) const;
  // Notes the verdict on the bytes: understood when every line was, the last line is ended and
  // nothing follows the end-of-file byte (a rewrite would drop it).
  void Note(const std::string& path, bool linesUnderstood) const;

  std::string Bytes;
};

}  // namespace vorn
