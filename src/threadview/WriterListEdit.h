#pragma once

#include <string>
#include <string_view>

#include "threadview/WriterLists.h"

namespace vorn {

class TBBSProcess;

// What the dialog of watched and ignored writers edits: a copy of the set's lists and the
// setting that hides ignored writers' articles, taken over by the window on OK only.
class TWriterListEdit final {
 public:
  // process: the loaded set's family, which checks IDs typed by the user and knows the
  // handles; it must outlive the edit.
  TWriterListEdit(const TWriterLists& lists, bool hideIgnored, const TBBSProcess& process);

  // Puts an ID the user typed on a list; the warning to show (CP932), empty when it was put
  // there. The family checks the ID as the ID editor does (and may write it its own way).
  std::string Add(std::string_view typed, WriterMark mark);
  void Remove(std::string_view id);

  // A list line: the ID, and ":" with the handle when the member list knows it.
  std::string Label(const std::string& id) const;

  const TWriterLists& Lists() const { return lists_; }
  bool HideIgnored = false;

 private:
  TWriterLists lists_;
  const TBBSProcess& process_;
};

}  // namespace vorn
