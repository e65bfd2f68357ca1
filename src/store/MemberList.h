#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/MiniList.h"
#include "store/ShortString.h"

namespace vorn {

// One member: the ID and the handles the member is known by. Deleted members stay in the list,
// flagged, and are skipped by every search and getter and never saved.
struct MemberRecord {
  uint8_t Deleted;
  int32_t IdNo;                   // numeric mode; 0 in text mode
  ShortString<31> IdText;         // text mode; empty in numeric mode
  ShortString<31> CurrentHandle;  // the handle of the latest log read
  ShortString<31> TrueHandle;     // the handle shown with the ID
  ShortString<31> ShortHandle;    // a short form for exports and quoting
};

// Member IDs and their handles, keyed by number (hosts with numeric IDs) or by text; the mode
// is fixed at creation.
class TMemberList final : public TMiniList {
 public:
  explicit TMemberList(bool TextIds);

  void Clear() override;

  // First live member with the ID, scanning from the start; -1 when none.
  int32_t FindIdNo(int32_t id) const;
  int32_t FindIdText(std::string_view text) const;
  // The same by binary search; only for a list ordered by SortMembers.
  int32_t SearchIdNo(int32_t id) const;
  int32_t SearchIdText(std::string_view text) const;

  // index < 0 appends a member (needs a current handle; empty true and short handles take it);
  // index >= 0 updates the non-empty handles of that member. added tells whether one was
  // appended.
  bool SetMember(int32_t index, int32_t IdNo, std::string_view IdText,
                 std::string_view CurrentHandle, std::string_view TrueHandle,
                 std::string_view ShortHandle, bool& added);
  // With lookup, an existing member with the ID is updated; without, a member is appended.
  bool AddMember(int32_t IdNo, std::string_view CurrentHandle, std::string_view TrueHandle,
                 std::string_view ShortHandle, bool lookup, bool& added);
  bool AddMemberText(std::string_view IdText, std::string_view CurrentHandle,
                     std::string_view TrueHandle, std::string_view ShortHandle, bool lookup,
                     bool& added);
  bool DeleteMember(int32_t index);
  bool IsLiveMember(int32_t index) const;
  int32_t LiveCount() const { return Count() - DeletedCount; }

  // Getters: -1 / empty when the index is outside the list or the member is deleted.
  int32_t GetIdNo(int32_t index) const;
  std::string GetIdText(int32_t index) const;
  std::string GetTrueHandle(int32_t index) const;
  std::string GetCurrentHandle(int32_t index) const;
  std::string GetShortHandle(int32_t index) const;

  // Exchanges every member with another list of the same mode.
  void Swap(TMemberList& other);

  // Ascending by ID (text as unsigned bytes, a prefix first); deleted members take part.
  void SortMembers();

  // The member list file. Loading appends the file's members; false only for a file that is
  // not a member list file. Saving writes only when the list changed; false when the file could
  // not be written, and the old file then stays as it was.
  bool LoadFromFile(const std::string& path);
  bool SaveToFile(const std::string& path);

  MemberRecord* Member(int32_t index) { return static_cast<MemberRecord*>(GetItem(index)); }
  const MemberRecord* Member(int32_t index) const {
    return static_cast<const MemberRecord*>(GetItem(index));
  }

  uint8_t MemoryReported = 0;
  const uint8_t TextIds;
  int32_t DeletedCount = 0;
  // The list differs from its file.
  uint8_t Modified = 0;

 private:
  const MemberRecord* Live(int32_t index) const;
  template <class Key, class KeyOf>
  int32_t Search(const Key& key, KeyOf keyOf) const;
};

}  // namespace vorn
