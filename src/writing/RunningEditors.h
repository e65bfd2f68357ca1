#pragma once

#include <cstdint>
#include <vector>

namespace vorn {

class TEditIF;

// The editors open now, and the numbers of their temporary files. While any editor is open the
// window refuses to close or to load other logs, and the window's activation marks them all
// (an editor may wait for the user to come back rather than for its process to end).
class TRunningEditors final {
 public:
  // The number for the next editor: 0 to 999 in turn.
  int32_t NextNumber();

  void Add(TEditIF* editor);
  void Remove(TEditIF* editor);
  bool Empty() const { return editors_.empty(); }
  int32_t Count() const { return static_cast<int32_t>(editors_.size()); }
  const std::vector<TEditIF*>& Editors() const { return editors_; }

  // The program was activated: every open editor learns it.
  void MarkActivated();

  // The number the next editor takes.
  int32_t EditorCounter = 0;

 private:
  std::vector<TEditIF*> editors_;
};

}  // namespace vorn
