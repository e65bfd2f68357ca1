#include "settings/BBSIniFile.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/AppPaths.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

const std::string kCommon = "Common";

// Prefixes compare without regard to ASCII case; the second byte of a double-byte character is
// compared as it is, so that two different characters never fold together.
bool SamePrefix(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  bool trail = false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (!trail) {
      if (x >= 'a' && x <= 'z') x -= 32;
      if (y >= 'a' && y <= 'z') y -= 32;
    }
    if (x != y) return false;
    trail = !trail && IsLeadByte(a[i]);
  }
  return true;
}

// The number of a section named "Net" and a number in its plain decimal form, the name as
// NetSection writes it (the letters in any case, as sections are found).
bool NetSectionNumber(const std::string& name, int32_t& number) {
  if (name.size() < 4 || name.size() > 13) return false;
  for (size_t i = 0; i < 3; ++i) {
    if ((name[i] | 0x20) != "net"[i]) return false;
  }
  const std::string digits = name.substr(3);
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > INT32_MAX || std::to_string(value) != digits) return false;
  number = static_cast<int32_t>(value);
  return true;
}

}  // namespace

TBBSIniFile::TBBSIniFile(const std::string& fileName) : TIniFilePlus(fileName) {
  LoadNets();
}

void TBBSIniFile::LoadNets() {
  nets_.clear();
  NetCount = ReadInteger(kCommon, "NetCount", 0);
  if (NetCount < 0) return;
  // The entries are the sections the file holds, Net0 up to Net<NetCount>, in number order: the
  // work is bounded by the file, not by a NetCount edited to 2147483647.
  std::vector<int32_t> numbers;
  for (const std::string& name : ReadSectionNames()) {
    int32_t n;
    if (NetSectionNumber(name, n) && n <= NetCount) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (const int32_t n : numbers) {
    std::string section = NetSection(n);
    NetRecord r;
    r.Prefix = ReadString(section, "Prefix", "");
    if (r.Prefix.empty()) continue;
    r.NetNo = n;
    r.Name = ReadString(section, "Name", "");
    r.LogPath = IncludeTrailingSeparator(ReadString(section, "LogPath", ""));
    r.LogMask = ReadString(section, "LogMask", "");
    r.BoardListFile = ReadString(section, "BoardListFile", "");
    r.MemberListFile = ReadString(section, "MemberListFile", "");
    r.FotterFile = ReadString(section, "FotterFile", "");
    r.UpFile = ReadString(section, "UpFile", "");
    r.UpFileAddDate = ReadBool(section, "UpFileAddDate", false);
    r.UpFileAddDateStr = ReadString(section, "UpFileAddDateStr", "");
    r.UpFileCommandExtract = ReadBool(section, "UpFileCommandExtract", false);
    r.PadFile = ReadString(section, "PadFile", "");
    r.PadFileAddDate = ReadBool(section, "PadFileAddDate", false);
    r.PadFileAddDateStr = ReadString(section, "PadFileAddDateStr", "");
    r.PadFileBatchCommand = ReadBool(section, "PadFileBatchCommand", false);
    r.ReadPtrFile = ReadString(section, "ReadPtrFile", "");
    nets_.push_back(std::move(r));
  }
}

int TBBSIniFile::GetNetCount() const {
  return static_cast<int>(nets_.size());
}

int TBBSIniFile::FindNetNo(int32_t netNo) const {
  for (size_t i = 0; i < nets_.size(); ++i) {
    if (nets_[i].NetNo == netNo) return static_cast<int>(i);
  }
  return -1;
}

int TBBSIniFile::FindPrefix(const std::string& prefix) const {
  for (size_t i = 0; i < nets_.size(); ++i) {
    if (SamePrefix(nets_[i].Prefix, prefix)) return static_cast<int>(i);
  }
  return -1;
}

int32_t TBBSIniFile::NetNoAt(int index) const {
  if (index < 0 || index >= GetNetCount()) return -1;
  return nets_[size_t(index)].NetNo;
}

bool TBBSIniFile::SelectNet(int32_t netNo) {
  int index = FindNetNo(netNo);
  if (index < 0) return false;
  const NetRecord& r = nets_[size_t(index)];
  Prefix = r.Prefix;
  NetNo = r.NetNo;
  Name = r.Name;
  LogPath = r.LogPath;
  LogMask = r.LogMask;
  BoardListFile = r.BoardListFile;
  MemberListFile = r.MemberListFile;
  FotterFile = r.FotterFile;
  UpFile = r.UpFile;
  UpFileAddDate = r.UpFileAddDate;
  UpFileAddDateStr = r.UpFileAddDateStr;
  UpFileCommandExtract = r.UpFileCommandExtract;
  PadFile = r.PadFile;
  PadFileAddDate = r.PadFileAddDate;
  PadFileAddDateStr = r.PadFileAddDateStr;
  PadFileBatchCommand = r.PadFileBatchCommand;
  ReadPtrFile = r.ReadPtrFile;
  Mente = false;
  SerialHeader = false;
  LogEndLine.clear();
  return true;
}

NetRecord TBBSIniFile::CurrentRecord(int32_t netNo) const {
  NetRecord r;
  r.NetNo = netNo;
  r.Prefix = Prefix;
  r.Name = Name;
  r.LogPath = LogPath;
  r.LogMask = LogMask;
  r.BoardListFile = BoardListFile;
  r.MemberListFile = MemberListFile;
  r.FotterFile = FotterFile;
  r.UpFile = UpFile;
  r.UpFileAddDate = UpFileAddDate;
  r.UpFileAddDateStr = UpFileAddDateStr;
  r.UpFileCommandExtract = UpFileCommandExtract;
  r.PadFile = PadFile;
  r.PadFileAddDate = PadFileAddDate;
  r.PadFileAddDateStr = PadFileAddDateStr;
  r.PadFileBatchCommand = PadFileBatchCommand;
  r.ReadPtrFile = ReadPtrFile;
  return r;
}

bool TBBSIniFile::SaveNet() {
  // An entry without a prefix does not exist; storing one would leave a section that loading
  // skips and report it saved.
  if (Prefix.empty()) return false;
  LogPath = IncludeTrailingSeparator(LogPath);
  int index = FindNetNo(NetNo);
  if (index < 0) {
    // A new entry takes the first number missing from 0, 1, 2, ...; only when there is no gap
    // does the list grow at its end.
    int32_t number = -1;
    for (size_t i = 0; i < nets_.size(); ++i) {
      if (nets_[i].NetNo != static_cast<int32_t>(i)) {
        number = static_cast<int32_t>(i);
        break;
      }
    }
    if (number < 0) {
      number = nets_.empty() ? 0 : nets_.back().NetNo + 1;
      if (NetCount < INT32_MAX) ++NetCount;
    }
    nets_.push_back(CurrentRecord(number));
    std::stable_sort(nets_.begin(), nets_.end(),
                     [](const NetRecord& a, const NetRecord& b) { return a.NetNo < b.NetNo; });
    NetNo = number;
  } else {
    nets_[size_t(index)] = CurrentRecord(NetNo);
  }
  int target = FindPrefix(Prefix);
  if (target < 0) return false;
  IniBatch batch(*this);
  bool ok = EraseSection(NetSection(nets_[size_t(target)].NetNo));
  ok = WriteNet(target) && ok;
  return batch.Finish() && ok;
}

bool TBBSIniFile::WriteNet(int index) {
  if (index < 0 || index >= GetNetCount()) return false;
  NetRecord& r = nets_[size_t(index)];
  r.LogPath = IncludeTrailingSeparator(r.LogPath);
  const std::string section = NetSection(r.NetNo);
  IniBatch batch(*this);
  bool ok = WriteInteger(kCommon, "NetCount", NetCount);
  ok = WriteQuotedString(section, "Prefix", r.Prefix) && ok;
  ok = WriteQuotedString(section, "Name", r.Name) && ok;
  ok = WriteQuotedString(section, "LogPath", r.LogPath) && ok;
  ok = WriteQuotedString(section, "LogMask", r.LogMask) && ok;
  ok = WriteQuotedString(section, "BoardListFile", r.BoardListFile) && ok;
  ok = WriteQuotedString(section, "MemberListFile", r.MemberListFile) && ok;
  ok = WriteQuotedString(section, "FotterFile", r.FotterFile) && ok;
  ok = WriteQuotedString(section, "UpFile", r.UpFile) && ok;
  ok = WriteBool(section, "UpFileAddDate", r.UpFileAddDate) && ok;
  ok = WriteQuotedString(section, "UpFileAddDateStr", r.UpFileAddDateStr) && ok;
  ok = WriteBool(section, "UpFileCommandExtract", r.UpFileCommandExtract) && ok;
  ok = WriteQuotedString(section, "PadFile", r.PadFile) && ok;
  ok = WriteBool(section, "PadFileAddDate", r.PadFileAddDate) && ok;
  ok = WriteQuotedString(section, "PadFileAddDateStr", r.PadFileAddDateStr) && ok;
  ok = WriteBool(section, "PadFileBatchCommand", r.PadFileBatchCommand) && ok;
  ok = WriteQuotedString(section, "ReadPtrFile", r.ReadPtrFile) && ok;
  return batch.Finish() && ok;
}

bool TBBSIniFile::DeleteNet(int32_t netNo) {
  int index = FindNetNo(netNo);
  if (index < 0) return false;
  nets_.erase(nets_.begin() + index);
  IniBatch batch(*this);
  bool ok = true;
  if (netNo >= NetCount - 1) {
    // Loading visits sections up to and including NetCount, which many files keep at the
    // highest number in use: lowering it past a remaining entry would drop that entry at the
    // next start.
    const int32_t highest = nets_.empty() ? -1 : nets_.back().NetNo;
    NetCount = std::max(NetCount - 1, highest);
    ok = WriteInteger(kCommon, "NetCount", NetCount);
  }
  ok = EraseSection(NetSection(netNo)) && ok;
  return batch.Finish() && ok;
}

}  // namespace vorn
