#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/ShortString.h"

namespace vorn {

// One recipient of a written mail: only IdNo counts on hosts with numeric member IDs, only
// IdText on hosts with text IDs.
struct RecipientRecord {
  int32_t IdNo = -1;
  ShortString<31> IdText{};
};

// The recipients of one mail the user writes; the mail's article record owns it.
class TMailSendList final {
 public:
  explicit TMailSendList(bool textIds) : TextIds(textIds) {}

  // Both return the recipient's position.
  int32_t AddRecipientId(int32_t id);
  int32_t AddRecipientText(std::string_view text);  // cut to 31 bytes

  int32_t Count() const { return static_cast<int32_t>(recipients_.size()); }

  // -1 / empty when i is outside the list or there is no list.
  static int32_t GetRecipientId(const TMailSendList* list, int32_t i);
  static std::string GetRecipientText(const TMailSendList* list, int32_t i);

  const bool TextIds;

 private:
  std::vector<RecipientRecord> recipients_;
};

}  // namespace vorn
