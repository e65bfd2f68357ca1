#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// One set of log files opened together: the prefix of the BBS set they were read for and their
// full names (CP932), as the list of loaded files holds them.
struct RecentLogSet {
  std::string Prefix;
  std::vector<std::string> Files;
  bool operator==(const RecentLogSet&) const = default;
};

// The sets of log files opened last, newest first, as the File menu offers them again. A set
// opened again moves to the front instead of standing twice; the oldest goes when there are
// more than the limit.
class TRecentLogs final {
 public:
  explicit TRecentLogs(size_t limit = 10) : limit_(limit) {}

  const std::vector<RecentLogSet>& Sets() const { return sets_; }
  // A set was opened. grown: logs were added to the set opened last, which it replaces.
  void Opened(RecentLogSet set, bool grown);
  void Remove(size_t index);
  void Clear() { sets_.clear(); }

  // The settings file's values, one a set: the prefix and the files as comma text. Values that
  // hold no set (no prefix, no file) are left out.
  void Load(const std::vector<std::string>& values);
  std::vector<std::string> Values() const;
  static std::string Value(const RecentLogSet& set);
  static bool FromValue(std::string_view value, RecentLogSet& set);

  // What the menu says of a set (CP932): the prefix, the first file's name and how many more
  // there are: "NET  NET19990730.LOG 他2件".
  static std::string Caption(const RecentLogSet& set);

 private:
  size_t limit_;
  std::vector<RecentLogSet> sets_;
};

}  // namespace vorn
