// Ini files: the profile reader and writer, and the settings objects read from a hand-edited
// file (common settings, both families' sets with their defaults files).
// Input: the file. The same bytes serve as vornexpl.ini, netvorn.ini with vorndef.ini, and
// nifty.ini with nifdef.ini.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/ProfileFile.h"
#include "settings/CommonIniFile.h"
#include "settings/NetVornIniFile.h"
#include "settings/NiftyIniFile.h"

using namespace vorn;

namespace {

using Sections =
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

Sections ReadAll(const ProfileFile& file, std::string_view except) {
  Sections all;
  for (const std::string& name : file.ReadSectionNames()) {
    if (SameName(name, except)) continue;
    all.emplace_back(name, file.ReadSectionValues(name));
  }
  return all;
}

// A value to write: the input's first bytes without line ends.
std::string ValueOf(std::string_view input) {
  std::string value;
  for (char c : input.substr(0, 40)) {
    if (c != '\r' && c != '\n') value += c;
  }
  return value;
}

void ReadEverything(const ProfileFile& file) {
  for (const std::string& name : file.ReadSectionNames()) {
    file.SectionExists(name);
    for (const std::string& key : file.ReadSection(name)) {
      file.ReadString(name, key, "");
      FUZZ_CHECK(file.KeyExists(name, key));
    }
  }
}

// Writing one key keeps every other section as it read, and reads back as written.
void CheckWriteKeepsTheRest(const std::string& path, std::string_view input) {
  static const std::string kSection = "FuzzWritten";
  const Sections before = ReadAll(ProfileFile(path), kSection);
  const std::string value = ValueOf(input);
  {
    ProfileFile file(path);
    if (!file.WriteString(kSection, "Key", value)) return;
  }
  const ProfileFile again(path);
  FUZZ_CHECK(again.ReadString(kSection, "Key", "<missing>") == ProfileValue(value));
  FUZZ_CHECK(ReadAll(again, kSection) == before);
}

template <class Settings>
void SelectEveryNet(Settings& settings) {
  const int count = std::min(settings.GetNetCount(), 8);
  for (int i = 0; i < count; ++i) {
    if (!settings.SelectNet(settings.NetNoAt(i))) continue;
    for (int item = 0; item < settings.ItemCount(); ++item)
      settings.ItemPattern(item);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::UseReadingUi();
  const std::string_view input = fuzz::AsText(data, size);
  static const std::string ini = fuzz::ScratchFile("profile.ini");
  fuzz::WriteScratch(ini, input);
  ReadEverything(ProfileFile(ini));
  CheckWriteKeepsTheRest(ini, input);

  static const std::string common = fuzz::ScratchFile("vornexpl.ini");
  fuzz::WriteScratch(common, input);
  TCommonIniFile commonSettings(common);

  static const std::string netvorn = fuzz::ScratchFile("netvorn.ini");
  static const std::string vorndef = fuzz::ScratchFile("vorndef.ini");
  fuzz::WriteScratch(netvorn, input);
  fuzz::WriteScratch(vorndef, input);
  TNetVornIniFile netVornSettings(netvorn, vorndef);
  SelectEveryNet(netVornSettings);

  static const std::string nifty = fuzz::ScratchFile("nifty.ini");
  static const std::string nifdef = fuzz::ScratchFile("nifdef.ini");
  fuzz::WriteScratch(nifty, input);
  fuzz::WriteScratch(nifdef, input);
  TNiftyIniFile niftySettings(nifty, nifdef);
  SelectEveryNet(niftySettings);
  return 0;
}
