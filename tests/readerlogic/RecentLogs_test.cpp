// The sets of log files opened last: their order, their limit, a set grown by added logs, and
// their values in the settings file, names with commas, quotes and Japanese included.
#include "readerlogic/RecentLogs.h"

#include <gtest/gtest.h>

#include "platform/Cp932.h"

namespace vorn {
namespace {

RecentLogSet Set(const std::string& prefix, std::vector<std::string> files) {
  return {prefix, std::move(files)};
}

std::vector<std::string> Prefixes(const TRecentLogs& recent) {
  std::vector<std::string> out;
  for (const RecentLogSet& set : recent.Sets())
    out.push_back(set.Prefix + std::to_string(set.Files.size()));
  return out;
}

TEST(RecentLogs, TheNewestComesFirstOnceAndTheOldestGoesPastTheLimit) {
  TRecentLogs recent(3);
  recent.Opened(Set("A", {"/l/A1.LOG"}), false);
  recent.Opened(Set("B", {"/l/B1.LOG", "/l/B2.LOG"}), false);
  recent.Opened(Set("C", {"/l/C1.LOG"}), false);
  EXPECT_EQ(Prefixes(recent), (std::vector<std::string>{"C1", "B2", "A1"}));
  // The same files in another order are the same set: it moves up instead of standing twice.
  recent.Opened(Set("B", {"/l/B2.LOG", "/l/B1.LOG"}), false);
  EXPECT_EQ(Prefixes(recent), (std::vector<std::string>{"B2", "C1", "A1"}));
  recent.Opened(Set("D", {"/l/D1.LOG"}), false);
  EXPECT_EQ(Prefixes(recent), (std::vector<std::string>{"D1", "B2", "C1"}));
  // Logs added to the set opened last make it larger in its place.
  recent.Opened(Set("D", {"/l/D1.LOG", "/l/D2.LOG"}), true);
  EXPECT_EQ(Prefixes(recent), (std::vector<std::string>{"D2", "B2", "C1"}));
  // Nothing to remember without a prefix or a file.
  recent.Opened(Set("", {"/l/x.LOG"}), false);
  recent.Opened(Set("E", {}), false);
  EXPECT_EQ(recent.Sets().size(), 3u);
  recent.Remove(1);
  recent.Remove(7);
  EXPECT_EQ(Prefixes(recent), (std::vector<std::string>{"D2", "C1"}));
}

TEST(RecentLogs, SetsComeBackFromTheSettingsValuesWhateverTheirNames) {
  TRecentLogs recent;
  const std::string japanese = Cp932("/home/花子/ログ/NET19990730.LOG");
  recent.Opened(Set("NET", {"/a,b/NET1.LOG", "/q\"uote/NET2.LOG", japanese}), false);
  recent.Opened(Set("NIF", {"/x/NIF19990730.LOG"}), false);
  const std::vector<std::string> values = recent.Values();
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0], "\"NIF\",\"/x/NIF19990730.LOG\"");

  TRecentLogs again;
  // Values that hold no set are left out: what a hand edit may leave.
  again.Load({values[0], "", "\"NET\"", ",\"/a.LOG\"", values[1]});
  EXPECT_EQ(again.Sets(), recent.Sets());

  // Ten at most, whatever the file holds.
  std::vector<std::string> many(12, values[0]);
  TRecentLogs limited;
  limited.Load(many);
  EXPECT_EQ(limited.Sets().size(), 10u);
}

TEST(RecentLogs, TheCaptionNamesTheFirstFileAndCountsTheOthers) {
  EXPECT_EQ(TRecentLogs::Caption(Set("NET", {"/l/NET19990730.LOG"})), "NET  NET19990730.LOG");
  EXPECT_EQ(TRecentLogs::Caption(Set("NET", {"/l/NET1.LOG", "/l/NET2.LOG", "/l/NET3.LOG"})),
            "NET  NET1.LOG " + Cp932("他2件"));
}

}  // namespace
}  // namespace vorn
