#include "readerlogic/ReadingState.h"

#include <utility>

#include "platform/Cp932.h"

namespace vorn {

void TReadingState::AddPendingFile(std::string path) {
  if (!path.empty()) pendingFiles_.push_back(std::move(path));
}

std::vector<std::string> TReadingState::TakePendingFiles() {
  std::vector<std::string> files;
  files.swap(pendingFiles_);
  return files;
}

std::string TReadingState::ModeIndicator() const {
  std::string text;
  if (newReadMode_) text = Cp932("新規");
  if (searchReadMode_) text += text.empty() ? Cp932("検索") : Cp932("/検索");
  return text;
}

void TReadingState::RememberArticle(const ArticlePosition& position) {
  if (!addingLogs_) savedPosition_ = position;
}

}  // namespace vorn
