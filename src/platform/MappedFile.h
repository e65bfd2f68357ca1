#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorn {

// A log file mapped read-only into memory, so that its lines are read where they lie and cost
// the process nothing once the kernel takes their pages back. A file shortened while mapped
// would end the process at the first look past its new end (SIGBUS); a guard instead puts zero
// bytes where the lost pages were and records that a mapped file was shortened, which
// CheckMappedFile then reports.
struct MappedFile {
  const char* data = nullptr;
  uint64_t size = 0;  // bytes mapped: the file's size when it was mapped
  std::string path;
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t modified = 0;  // nanoseconds
  // A checksum of the last bytes of the mapped range: an unchanged end tells a file written
  // on past its end from one written anew.
  uint64_t tail = 0;
};

// Maps a regular file; false (and nothing mapped) when it is not one, is empty, cannot be
// mapped, or too many files are mapped already: the caller reads it the ordinary way.
bool MapFile(const std::string& path, MappedFile& file);
void UnmapFile(MappedFile& file);

// What became of a mapped file on disk.
enum class MappedFileState {
  Unchanged,
  Appended,   // written on past the mapped end: the mapped bytes still stand
  Shortened,  // cut below the mapped end
  Replaced,   // another file under its name, removed, or its mapped bytes written anew
};
MappedFileState CheckMappedFile(const MappedFile& file);

// Gives the kernel back the pages of data .. data+size of a mapping (they are read again from
// the file, or the page cache, when next looked at).
void ReleaseMappedPages(const char* data, uint64_t size);

}  // namespace vorn
