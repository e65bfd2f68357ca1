#include "threadview/WriterListEdit.h"

#include "analysis/BBSProcess.h"
#include "platform/Cp932.h"
#include "store/MemberList.h"
#include "text/Numbers.h"

namespace vorn {

TWriterListEdit::TWriterListEdit(const TWriterLists& lists, bool hideIgnored,
                                 const TBBSProcess& process)
    : HideIgnored(hideIgnored), lists_(lists), process_(process) {}

std::string TWriterListEdit::Add(std::string_view typed, WriterMark mark) {
  std::string id(typed);
  while (!id.empty() && (id.front() == ' ' || id.front() == '\t'))
    id.erase(id.begin());
  while (!id.empty() && (id.back() == ' ' || id.back() == '\t'))
    id.pop_back();
  if (id.empty()) return Cp932("IDが指定されていません");
  std::string message;
  if (lists_.TextIds()) {
    message = process_.CheckIdText(id);
  } else {
    const int32_t number = TextToNumber(id);
    if (number == NoNumber || number < 0) return Cp932("IDが数値ではありません");
    message = process_.CheckIdNumber(number);
    id = std::to_string(number);
  }
  if (!message.empty()) return message;
  return lists_.Mark(id, mark) ? std::string() : Cp932("IDが正しくありません");
}

void TWriterListEdit::Remove(std::string_view id) {
  lists_.Mark(id, WriterMark::None);
}

std::string TWriterListEdit::Label(const std::string& id) const {
  const TMemberList& members = process_.Members;
  const int32_t index =
      members.TextIds ? members.FindIdText(id) : members.FindIdNo(TextToNumber(id));
  const std::string handle = members.GetTrueHandle(index);
  return handle.empty() ? id : id + ":" + handle;
}

}  // namespace vorn
