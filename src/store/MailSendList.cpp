#include "store/MailSendList.h"

namespace vorn {

int32_t TMailSendList::AddRecipientId(int32_t id) {
  RecipientRecord r;
  r.IdNo = id;
  r.IdText.Assign({});
  recipients_.push_back(r);
  return Count() - 1;
}

int32_t TMailSendList::AddRecipientText(std::string_view text) {
  RecipientRecord r;
  r.IdNo = 0;
  r.IdText.Assign(text);
  recipients_.push_back(r);
  return Count() - 1;
}

int32_t TMailSendList::GetRecipientId(const TMailSendList* list, int32_t i) {
  if (!list || i < 0 || i >= list->Count()) return -1;
  return list->recipients_[static_cast<size_t>(i)].IdNo;
}

std::string TMailSendList::GetRecipientText(const TMailSendList* list, int32_t i) {
  if (!list || i < 0 || i >= list->Count()) return {};
  return list->recipients_[static_cast<size_t>(i)].IdText.Str();
}

}  // namespace vorn
