#include "readerlogic/RecentLogs.h"

#include <algorithm>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "store/CommaText.h"

namespace vorn {
namespace {

// The same files, in whatever order they were given.
bool SameSet(const RecentLogSet& a, const RecentLogSet& b) {
  if (a.Prefix != b.Prefix || a.Files.size() != b.Files.size()) return false;
  std::vector<std::string> left = a.Files;
  std::vector<std::string> right = b.Files;
  std::sort(left.begin(), left.end());
  std::sort(right.begin(), right.end());
  return left == right;
}

}  // namespace

void TRecentLogs::Opened(RecentLogSet set, bool grown) {
  if (set.Prefix.empty() || set.Files.empty()) return;
  if (grown && !sets_.empty() && sets_.front().Prefix == set.Prefix) sets_.erase(sets_.begin());
  sets_.erase(std::remove_if(sets_.begin(), sets_.end(),
                             [&](const RecentLogSet& old) { return SameSet(old, set); }),
              sets_.end());
  sets_.insert(sets_.begin(), std::move(set));
  if (sets_.size() > limit_) sets_.resize(limit_);
}

void TRecentLogs::Remove(size_t index) {
  if (index < sets_.size()) sets_.erase(sets_.begin() + long(index));
}

std::string TRecentLogs::Value(const RecentLogSet& set) {
  std::string value = QuotedField(set.Prefix);
  for (const std::string& file : set.Files)
    value += "," + QuotedField(file);
  return value;
}

bool TRecentLogs::FromValue(std::string_view value, RecentLogSet& set) {
  std::vector<std::string> fields = SplitCommaText(value);
  if (fields.size() < 2 || fields.front().empty()) return false;
  set.Prefix = std::move(fields.front());
  set.Files.clear();
  for (size_t i = 1; i < fields.size(); ++i) {
    if (!fields[i].empty()) set.Files.push_back(std::move(fields[i]));
  }
  return !set.Files.empty();
}

void TRecentLogs::Load(const std::vector<std::string>& values) {
  sets_.clear();
  for (const std::string& value : values) {
    RecentLogSet set;
    if (sets_.size() < limit_ && FromValue(value, set)) sets_.push_back(std::move(set));
  }
}

std::vector<std::string> TRecentLogs::Values() const {
  std::vector<std::string> values;
  values.reserve(sets_.size());
  for (const RecentLogSet& set : sets_)
    values.push_back(Value(set));
  return values;
}

std::string TRecentLogs::Caption(const RecentLogSet& set) {
  std::string caption =
      set.Prefix + "  " + (set.Files.empty() ? "" : ExtractFileName(set.Files[0]));
  if (set.Files.size() > 1)
    caption += " " + Cp932("他") + std::to_string(set.Files.size() - 1) + Cp932("件");
  return caption;
}

}  // namespace vorn
