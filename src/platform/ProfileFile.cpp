#include "platform/ProfileFile.h"

#include <sys/stat.h>

#include "platform/Cp932.h"
#include "platform/TextFile.h"
#include "platform/UserDataFile.h"

namespace vorn {
namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t'))
    ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
    --e;
  return s.substr(b, e - b);
}

bool FileStamp(const std::string& path, int64_t& stamp, int64_t& size) {
  struct stat st;
  if (::stat(NativePath(path).c_str(), &st) != 0) return false;
  stamp = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  size = st.st_size;
  return true;
}

// A section header: '[' name ']' after optional blanks; the name is trimmed.
bool SectionHeader(const std::string& line, std::string& name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

}  // namespace

std::string ProfileValue(const std::string& raw) {
  std::string v = Trim(raw);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

bool ProfileFile::SplitKey(const std::string& line, std::string& key, std::string& value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(line.substr(0, eq));
  if (key.empty() || key[0] == ';') return false;
  value = line.substr(eq + 1);
  return true;
}

void ProfileFile::Load() const {
  int64_t stamp = -1, size = -1;
  bool exists = FileStamp(path_, stamp, size);
  // While a batch holds unsaved changes the memory copy is the truth.
  if (loaded_ &&
      (dirty_ || (exists && stamp == stamp_ && size == size_) || (!exists && stamp_ == -1)))
    return;
  preamble_.clear();
  sections_.clear();
  stamp_ = exists ? stamp : -1;
  size_ = exists ? size : -1;
  loaded_ = true;
  if (!exists) return;
  std::string data;
  if (!ReadWholeFile(path_, data)) return;
  // Every line is written back as it stands, but a text of other characters (UTF-16, with its
  // zero bytes) is split apart at its line ends, and lines that are neither headings, keys nor
  // comments are no settings: the file is then kept beside itself before it is first replaced.
  bool understood = data.find('\0') == std::string::npos && TextEndsItsLastLine(data);
  // Lines may end in CR LF, LF or CR.
  size_t pos = 0;
  while (pos < data.size()) {
    size_t e = data.find_first_of("\r\n", pos);
    std::string line = data.substr(pos, e == std::string::npos ? std::string::npos : e - pos);
    if (e == std::string::npos) {
      pos = data.size();
    } else {
      pos = e + 1;
      if (data[e] == '\r' && pos < data.size() && data[pos] == '\n') ++pos;
    }
    std::string name, key, value;
    const std::string trimmed = Trim(line);
    if (!trimmed.empty() && trimmed[0] != ';' && trimmed[0] != '#' && !SectionHeader(line, name) &&
        !SplitKey(line, key, value))
      understood = false;
    if (SectionHeader(line, name)) {
      sections_.push_back(Section{name, {}});
    } else if (sections_.empty()) {
      preamble_.push_back(line);
    } else {
      sections_.back().lines.push_back(line);
    }
  }
  NoteUserFileRead(path_, data, understood);
}

ProfileFile::Section* ProfileFile::FindSection(const std::string& name) const {
  Load();
  for (auto& s : sections_) {
    if (EqualNoCase(s.name, name)) return &s;
  }
  return nullptr;
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
  Section* s = FindSection(section);
  if (!s) return defaultValue;
  std::string k, v;
  for (const auto& line : s->lines) {
    if (SplitKey(line, k, v) && EqualNoCase(k, key)) return ProfileValue(v);
  }
  return defaultValue;
}

bool ProfileFile::KeyExists(const std::string& section, const std::string& key) const {
  Section* s = FindSection(section);
  if (!s) return false;
  std::string k, v;
  for (const auto& line : s->lines) {
    if (SplitKey(line, k, v) && EqualNoCase(k, key)) return true;
  }
  return false;
}

bool ProfileFile::SectionExists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

std::vector<std::string> ProfileFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  for (auto& kv : ReadSectionValues(section))
    keys.push_back(kv.first);
  return keys;
}

std::vector<std::pair<std::string, std::string>> ProfileFile::ReadSectionValues(
    const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> out;
  Section* s = FindSection(section);
  if (!s) return out;
  std::string k, v;
  for (const auto& line : s->lines) {
    if (!SplitKey(line, k, v)) continue;
    bool seen = false;
    for (auto& o : out)
      seen = seen || EqualNoCase(o.first, k);
    if (!seen) out.emplace_back(k, ProfileValue(v));
  }
  return out;
}

std::vector<std::string> ProfileFile::ReadSectionNames() const {
  Load();
  std::vector<std::string> names;
  for (auto& s : sections_)
    names.push_back(s.name);
  return names;
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
  Section* s = FindSection(section);
  if (!s) {
    // A blank line between sections, as the profile API writes them.
    if (!sections_.empty() && !sections_.back().lines.empty() &&
        !Trim(sections_.back().lines.back()).empty())
      sections_.back().lines.push_back("");
    sections_.push_back(Section{section, {}});
    s = &sections_.back();
  }
  std::string k, v;
  bool replaced = false;
  for (auto& line : s->lines) {
    if (SplitKey(line, k, v) && EqualNoCase(k, key)) {
      line = k + "=" + value;
      replaced = true;
      break;
    }
  }
  if (!replaced) {
    // New keys go after the last key of the section, before trailing blank lines.
    size_t at = s->lines.size();
    while (at > 0 && Trim(s->lines[at - 1]).empty())
      --at;
    s->lines.insert(s->lines.begin() + long(at), key + "=" + value);
  }
  dirty_ = true;
  return Flush();
}

bool ProfileFile::DeleteKey(const std::string& section, const std::string& key) {
  Section* s = FindSection(section);
  if (!s) return true;
  std::string k, v;
  for (size_t i = 0; i < s->lines.size(); ++i) {
    if (SplitKey(s->lines[i], k, v) && EqualNoCase(k, key)) {
      s->lines.erase(s->lines.begin() + long(i));
      dirty_ = true;
      return Flush();
    }
  }
  return true;
}

bool ProfileFile::EraseSection(const std::string& section) {
  Load();
  bool erased = false;
  for (size_t i = 0; i < sections_.size();) {
    if (EqualNoCase(sections_[i].name, section)) {
      sections_.erase(sections_.begin() + long(i));
      erased = true;
    } else {
      ++i;
    }
  }
  if (!erased) return true;
  dirty_ = true;
  return Flush();
}

void ProfileFile::BeginBatch() {
  if (batchDepth_++ == 0) batchFailed_ = false;
}

bool ProfileFile::EndBatch() {
  if (batchDepth_ == 0) return true;
  if (--batchDepth_ > 0) return true;
  bool ok = Flush();
  return ok && !batchFailed_;
}

bool ProfileFile::Flush() {
  if (batchDepth_ > 0 || !dirty_) return true;
  std::string data;
  for (const auto& l : preamble_)
    data += l + "\r\n";
  for (const auto& s : sections_) {
    data += "[" + s.name + "]\r\n";
    for (const auto& l : s.lines)
      data += l + "\r\n";
  }
  if (!WriteUserFile(path_, data)) {
    // Keep the changes in memory; a later write may succeed. Reading from memory stays
    // consistent because dirty_ keeps the cache.
    batchFailed_ = true;
    return false;
  }
  dirty_ = false;
  FileStamp(path_, stamp_, size_);
  return true;
}

}  // namespace vorn
