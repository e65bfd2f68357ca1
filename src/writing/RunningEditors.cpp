#include "writing/RunningEditors.h"

#include <algorithm>

#include "writing/EditIF.h"

namespace vorn {

int32_t TRunningEditors::NextNumber() {
  const int32_t number = EditorCounter;
  EditorCounter = EditorCounter >= 999 ? 0 : EditorCounter + 1;
  return number;
}

void TRunningEditors::Add(TEditIF* editor) {
  editors_.push_back(editor);
}

void TRunningEditors::Remove(TEditIF* editor) {
  editors_.erase(std::remove(editors_.begin(), editors_.end(), editor), editors_.end());
}

void TRunningEditors::MarkActivated() {
  for (TEditIF* editor : editors_)
    editor->Activated = true;
}

}  // namespace vorn
