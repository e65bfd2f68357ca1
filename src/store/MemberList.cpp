#include "store/MemberList.h"

#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/CommaText.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

constexpr int32_t kMemberChunkBytes = 133120;
constexpr const char* kHeader = "VornExplorer MemberListFile Ver.0.01";

const MemberRecord& AsMember(const char* p) {
  return *reinterpret_cast<const MemberRecord*>(p);
}

// A member's line of the file.
std::string MemberFileLine(const MemberRecord& m, bool textIds) {
  return (textIds ? QuotedField(m.IdText.View()) : std::to_string(m.IdNo)) + "," +
         QuotedField(m.TrueHandle.View()) + "," + QuotedField(m.CurrentHandle.View()) + "," +
         QuotedField(m.ShortHandle.View());
}

}  // namespace

TMemberList::TMemberList(bool TextIds)
    : TMiniList(kMemberChunkBytes, sizeof(MemberRecord)), TextIds(TextIds ? 1 : 0) {}

void TMemberList::Clear() {
  MemoryReported = 0;
  if (Count() > 0) Modified = 1;
  DeletedCount = 0;
  TMiniList::Clear();
}

void TMemberList::Swap(TMemberList& other) {
  if (TextIds != other.TextIds) return;
  SwapRecords(other);
  std::swap(MemoryReported, other.MemoryReported);
  std::swap(DeletedCount, other.DeletedCount);
  std::swap(Modified, other.Modified);
}

const MemberRecord* TMemberList::Live(int32_t index) const {
  const MemberRecord* m = Member(index);
  return m && !m->Deleted ? m : nullptr;
}

int32_t TMemberList::FindIdNo(int32_t id) const {
  for (int32_t i = 0; i < Count(); ++i) {
    if (const MemberRecord* m = Live(i); m && m->IdNo == id) return i;
  }
  return -1;
}

int32_t TMemberList::FindIdText(std::string_view text) const {
  text = text.substr(0, 31);  // as stored
  for (int32_t i = 0; i < Count(); ++i) {
    if (const MemberRecord* m = Live(i); m && m->IdText.View() == text) return i;
  }
  return -1;
}

template <class Key, class KeyOf>
int32_t TMemberList::Search(const Key& key, KeyOf keyOf) const {
  // The first entry whose key is not below the searched one, then the live one among the
  // entries with that key.
  int32_t low = 0, high = Count();
  while (low < high) {
    const int32_t mid = low + (high - low) / 2;
    if (keyOf(*Member(mid)) < key) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  for (int32_t i = low; i < Count() && keyOf(*Member(i)) == key; ++i) {
    if (!Member(i)->Deleted) return i;
  }
  return -1;
}

int32_t TMemberList::SearchIdNo(int32_t id) const {
  return Search(id, [](const MemberRecord& m) { return m.IdNo; });
}

int32_t TMemberList::SearchIdText(std::string_view text) const {
  return Search(text.substr(0, 31), [](const MemberRecord& m) { return m.IdText.View(); });
}

bool TMemberList::SetMember(int32_t index, int32_t IdNo, std::string_view IdText,
                            std::string_view CurrentHandle, std::string_view TrueHandle,
                            std::string_view ShortHandle, bool& added) {
  added = false;
  if (index < 0) {
    if (CurrentHandle.empty()) return false;
    added = true;
    Modified = 1;
    MemberRecord m{};
    m.IdNo = IdNo;
    m.IdText.Assign(IdText);
    m.CurrentHandle.Assign(CurrentHandle);
    m.TrueHandle.Assign(TrueHandle.empty() ? CurrentHandle : TrueHandle);
    m.ShortHandle.Assign(ShortHandle.empty() ? CurrentHandle : ShortHandle);
    if (AddItem(&m)) return true;
    added = false;
    if (!MemoryReported) {
      MemoryReported = 1;
      static const std::string message =
          Cp932("メンバーリスト追加中にメモリ不足が発生しました\rメンバーリスト追加を中断します");
      Ui().Warning(message);
    }
    return false;
  }
  MemberRecord* m = Member(index);
  if (!m) return false;
  for (auto [value, field] :
       {std::pair{TrueHandle, &m->TrueHandle}, std::pair{CurrentHandle, &m->CurrentHandle},
        std::pair{ShortHandle, &m->ShortHandle}}) {
    if (value.empty()) continue;
    if (field->View() != value.substr(0, 31)) Modified = 1;
    field->Assign(value);
  }
  return true;
}

bool TMemberList::AddMember(int32_t IdNo, std::string_view CurrentHandle,
                            std::string_view TrueHandle, std::string_view ShortHandle, bool lookup,
                            bool& added) {
  added = false;
  if (IdNo == -1) return false;
  return SetMember(lookup ? FindIdNo(IdNo) : -1, IdNo, {}, CurrentHandle, TrueHandle, ShortHandle,
                   added);
}

bool TMemberList::AddMemberText(std::string_view IdText, std::string_view CurrentHandle,
                                std::string_view TrueHandle, std::string_view ShortHandle,
                                bool lookup, bool& added) {
  added = false;
  if (IdText.empty()) return false;
  return SetMember(lookup ? FindIdText(IdText) : -1, 0, IdText, CurrentHandle, TrueHandle,
                   ShortHandle, added);
}

bool TMemberList::DeleteMember(int32_t index) {
  MemberRecord* m = Member(index);
  if (!m) return false;
  if (!m->Deleted) ++DeletedCount;
  m->Deleted = 1;
  return true;
}

bool TMemberList::IsLiveMember(int32_t index) const {
  return Live(index) != nullptr;
}

int32_t TMemberList::GetIdNo(int32_t index) const {
  const MemberRecord* m = Live(index);
  return m ? m->IdNo : -1;
}

std::string TMemberList::GetIdText(int32_t index) const {
  const MemberRecord* m = Live(index);
  return m ? m->IdText.Str() : std::string();
}

std::string TMemberList::GetTrueHandle(int32_t index) const {
  const MemberRecord* m = Live(index);
  return m ? m->TrueHandle.Str() : std::string();
}

std::string TMemberList::GetCurrentHandle(int32_t index) const {
  const MemberRecord* m = Live(index);
  return m ? m->CurrentHandle.Str() : std::string();
}

std::string TMemberList::GetShortHandle(int32_t index) const {
  const MemberRecord* m = Live(index);
  return m ? m->ShortHandle.Str() : std::string();
}

void TMemberList::SortMembers() {
  Ui().ProcessMessages();
  if (TextIds) {
    SortRecords([](const char* a, const char* b) {
      return AsMember(a).IdText.View() < AsMember(b).IdText.View();
    });
  } else {
    SortRecords([](const char* a, const char* b) { return AsMember(a).IdNo < AsMember(b).IdNo; });
  }
  Ui().ProcessMessages();
  Modified = 1;
}

bool TMemberList::SaveToFile(const std::string& path) {
  if (!Modified) return true;
  std::string data = std::string(kHeader) + "\r\n";
  for (int32_t i = 0; i < Count(); ++i) {
    if (const MemberRecord* m = Live(i)) data += MemberFileLine(*m, TextIds) + "\r\n";
  }
  if (!WriteUserFile(path, data)) return false;
  // The file now holds the list; an unchanged list need not be written again.
  Modified = 0;
  return true;
}

bool TMemberList::LoadFromFile(const std::string& path) {
  UserFileText file;
  if (!file.Read(path)) return true;
  std::vector<std::string_view> lines;
  file.ForEachLine([&lines](std::string_view line) { lines.push_back(line); });
  if (!lines.empty() && lines[0] != kHeader) {
    // The end of the run would write a fresh file over it: the user's file is kept first.
    KeepUserFileNotUnderstood(path);
    return false;
  }
  // Understood when saving the list now would write every line back as it stands.
  bool understood = true;
  for (size_t l = 1; l < lines.size(); ++l) {
    const std::vector<std::string> f = SplitCommaText(lines[l]);
    bool added = false;
    if (f.size() >= 4) {
      if (TextIds) {
        if (!f[0].empty() && !f[2].empty()) AddMemberText(f[0], f[2], f[1], f[3], false, added);
      } else {
        const int32_t id = TextToNumber(f[0]);
        if (id >= 0) AddMember(id, f[2], f[1], f[3], false, added);
      }
    }
    understood = understood && added && f.size() == 4 &&
                 MemberFileLine(*Member(Count() - 1), TextIds) == lines[l];
  }
  file.Note(path, understood);
  Modified = 0;
  return true;
}

}  // namespace vorn
