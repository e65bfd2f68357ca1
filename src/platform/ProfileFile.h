#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

// Ini ("private profile") files as the settings files expect them: sections in brackets,
// "Key=Value" lines, section and key names compared without regard to ASCII case, bytes kept as
// they are (CP932, never re-encoded). Reading a value trims blanks around it and removes one
// pair of enclosing double quotes. Every write keeps the rest of the file and its order, and
// replaces the file atomically, so a failed write leaves the old file as it was.
//
// The parsed file is cached and read again only when the file changed on disk, so reading many
// keys costs one parse. Writes go to disk at once unless a batch is open (BeginBatch/EndBatch),
// in which case they go out together at the end of the outermost batch.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  const std::string& Path() const { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  bool KeyExists(const std::string& section, const std::string& key) const;
  bool SectionExists(const std::string& section) const;
  // Key names of a section, in file order.
  std::vector<std::string> ReadSection(const std::string& section) const;
  // Keys and values (values read as ReadString reads them), in file order.
  std::vector<std::pair<std::string, std::string>> ReadSectionValues(
      const std::string& section) const;
  std::vector<std::string> ReadSectionNames() const;

  // Writes Key=Value (value as given, no quoting added), creating section and file as needed.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool DeleteKey(const std::string& section, const std::string& key);
  bool EraseSection(const std::string& section);

  void BeginBatch();
  // Writes what the batch changed. False when the file could not be written.
  bool EndBatch();

 private:
  struct Section {
    std::string name;
    std::vector<std::string> lines;  // lines after the header, as in the file
  };

  void Load() const;
  bool Flush();
  Section* FindSection(const std::string& name) const;
  static bool SplitKey(const std::string& line, std::string& key, std::string& value);

  std::string path_;
  mutable bool loaded_ = false;
  mutable int64_t stamp_ = -1;
  mutable int64_t size_ = -1;
  mutable std::vector<std::string> preamble_;  // lines before the first section
  mutable std::vector<Section> sections_;
  int batchDepth_ = 0;
  bool dirty_ = false;
  bool batchFailed_ = false;
};

// Trims blanks and TABs at both ends and removes one pair of enclosing double quotes, as the
// profile API returns a value.
std::string ProfileValue(const std::string& raw);

}  // namespace vorn
