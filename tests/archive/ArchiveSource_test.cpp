// What the export reads of the loaded data: dates, tree lines, names of articles and files.

#include "archive/ArchiveSource.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <set>

#include "analysis/DisplayTexts.h"
#include "archive/ArchiveTestSupport.h"
#include "text/Dates.h"

namespace vorn {
namespace {

TEST(ArchiveDate, ReadsBackEveryDateKeyWithItsWeekday) {
  std::mt19937 random(5);
  for (int k = 0; k < 20000; ++k) {
    const int year = 1980 + static_cast<int>(random() % 51);
    const int month = 1 + static_cast<int>(random() % 12);
    const int day = 1 + static_cast<int>(random() % DaysInMonth(year, month));
    const int hour = static_cast<int>(random() % 24), minute = static_cast<int>(random() % 60);
    const auto date = DateFromKey(DateKey(year, month, day, hour, minute, 7));
    ASSERT_TRUE(date);
    const int second = 7;
    ASSERT_EQ(std::tie(date->Year, date->Month, date->Day, date->Hour, date->Minute, date->Second),
              std::tie(year, month, day, hour, minute, second))
        << year << "-" << month << "-" << day;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    ::timegm(&tm);
    ASSERT_EQ(date->Weekday, tm.tm_wday) << year << "-" << month << "-" << day;
  }
  const auto d = DateFromKey(DateKey(99, 7, 30, 12, 34, 0));
  EXPECT_EQ(IsoDateText(*d), "1999-07-30T12:34:00+09:00");
  EXPECT_EQ(MailDateText(*d), "Fri, 30 Jul 1999 12:34:00 +0900");
  EXPECT_EQ(MboxDateText(*DateFromKey(DateKey(2001, 2, 3, 4, 5, 6))), "Sat Feb  3 04:05:06 2001");
  EXPECT_FALSE(DateFromKey(-1));
}

TEST(ArchiveNames, FileNamesComeFromThePlaceAndASafeKey) {
  EXPECT_EQ(BoardFileStem(1, "general"), "001-general");
  EXPECT_EQ(BoardFileStem(0, " MAIL       "), "000-MAIL");
  EXPECT_EQ(BoardFileStem(2, "_FCOMP____03"), "002-FCOMP_03");
  EXPECT_EQ(BoardFileStem(3, "../../etc/passwd"), "003-etc_passwd");
  EXPECT_EQ(BoardFileStem(4, std::string("a\0b/..\\c", 8)), "004-a_b_c");
  EXPECT_EQ(BoardFileStem(5, test::J("雑談")), "005-board");
  EXPECT_EQ(BoardFileStem(1234, std::string(300, 'k')), "1234-" + std::string(40, 'k'));
  std::mt19937 random(3);
  for (int k = 0; k < 2000; ++k) {
    std::string key(random() % 20, '\0');
    for (char& c : key)
      c = static_cast<char>(random());
    ASSERT_TRUE(test::SafeStem(BoardFileStem(k % 1000, key))) << BoardFileStem(k, key);
  }
}

// The tree prefixes of the export against the grid's, on every board of the samples and of a
// generated capture, and on a chain deeper than the grid draws.
TEST(TreeLinePrefixes, DrawTheTreeAsTheGridDoes) {
  auto compare = [](const TBBSProcess& p, int32_t treeLineType, int32_t* compared) {
    for (int32_t b = 0; b < p.Boards.Count(); ++b) {
      const TArticleList* list = p.Boards.GetArticles(b);
      if (!list) continue;
      TMemberLookup members(p.Members);
      ArchiveBoardReader reader(*list, members, false);
      TArticleRows rows(*list, ArticleSortTree, p.Members, treeLineType);
      TreeLinePrefixes prefixes(treeLineType);
      for (const ArchiveEntry& e : reader.Entries()) {
        const std::string grid = rows.TreePrefix(e.Position);
        const std::string& ours = prefixes.Next(e);
        if (e.Level < 256) {
          ASSERT_EQ(ours, grid) << "board " << b << " position " << e.Position;
        } else {
          const std::string more = Cp932("…");
          ASSERT_EQ(ours.substr(ours.size() - more.size()), more);
          ASSERT_EQ(grid.substr(0, ours.size() - more.size()),
                    ours.substr(0, ours.size() - more.size()));
        }
        ++*compared;
      }
    }
  };
  int32_t compared = 0;
  for (const char* sample : {"NET19990730.LOG", "NIF19990730.LOG"}) {
    test::ArchiveSession s;
    ASSERT_TRUE(s.LoadSample(sample));
    for (int32_t type = 0; type <= 3; ++type)
      compare(s.sample.Process(), type, &compared);
  }
  test::ArchiveSession generated;
  ASSERT_TRUE(generated.LoadGenerated(20000, 4));
  compare(generated.sample.Process(), 2, &compared);
  EXPECT_GT(compared, 1500);

  // A chain of 300 replies, each to the one before, and a sibling at every tenth level.
  TArticleList list;
  list.AddArticle(ArticleKindRoot, 0, 1, 1, 1000, -1, -1, 1, -1, "", "", "root", "", 0, 2);
  for (int32_t n = 2; n <= 301; ++n) {
    list.AddArticle(ArticleKindRess, 0, n, n, 1000 + n, n - 1, n - 1, 1, 1, "", "", "re", "", 0, 2);
    if (n % 10 == 0)
      list.AddArticle(ArticleKindRess, 0, 1000 + n, 1000 + n, 5000 + n, n - 1, n - 1, 1, 1, "", "",
                      "side", "", 0, 2);
  }
  ASSERT_TRUE(list.SortArticles());
  TMemberList members(false);
  TMemberLookup lookup(members);
  ArchiveBoardReader reader(list, lookup, false);
  TArticleRows rows(list, ArticleSortTree, members, 2);
  TreeLinePrefixes prefixes(2);
  int32_t deep = 0;
  for (const ArchiveEntry& e : reader.Entries()) {
    const std::string grid = rows.TreePrefix(e.Position);
    const std::string& ours = prefixes.Next(e);
    if (e.Level < 256) {
      ASSERT_EQ(ours, grid) << "level " << e.Level;
    } else {
      ++deep;
      // 255 drawn depths of 2 bytes each, then the mark.
      ASSERT_EQ(ours.substr(0, 510), grid.substr(0, 510)) << "level " << e.Level;
      ASSERT_EQ(ours.size(), 510 + Cp932("…").size());
    }
  }
  EXPECT_GT(deep, 40);
}

// Tags name the articles in message IDs and anchors: unique within a board and the same for
// the same logs; a number that a renumbered board holds twice gets the time.
TEST(ArchiveBoardReader, TagsAreUniqueAndStable) {
  auto tags = [](const TArticleList& list, const TMemberList& members) {
    TMemberLookup lookup(members);
    ArchiveBoardReader reader(list, lookup, false);
    std::vector<std::string> out;
    for (size_t i = 0; i < reader.Entries().size(); ++i)
      out.push_back(reader.Tag(i));
    return out;
  };
  TMemberList members(false);
  TArticleList list;
  // Numbers 10, 11, 12 then the host renumbered: 3, 4, and again 10 and 11 (a reply to the new
  // 10); a reply to a missing 12 whose number an article holds; a reply to a missing 99.
  const int32_t numbers[] = {10, 11, 12, 3, 4, 10, 11};
  for (int32_t i = 0; i < 7; ++i) {
    const bool reply = i == 6;
    list.AddArticle(reply ? ArticleKindRess : ArticleKindRoot, 0, 100 + i, numbers[i], 1000 + i,
                    reply ? 105 : -1, reply ? 10 : -1, 1, -1, "", "", "t", "", 0, 2);
  }
  list.AddArticle(ArticleKindRess, 0, 200, 20, 900, 112, 12, 1, -1, "", "", "t", "", 0, 2);
  list.AddArticle(ArticleKindRess, 0, 201, 21, 2000, 99, 99, 1, -1, "", "", "t", "", 0, 2);
  ASSERT_TRUE(list.SortArticles());
  const auto first = tags(list, members);
  EXPECT_EQ(first, tags(list, members));
  EXPECT_EQ(std::set<std::string>(first.begin(), first.end()).size(), first.size());
  const std::set<std::string> all(first.begin(), first.end());
  for (const char* expected :
       {"10.t1000", "10.t1005", "11.t1001", "11.t1006", "12", "3", "4", "20", "21", "99"})
    EXPECT_TRUE(all.count(expected)) << expected << " in " << testing::PrintToString(first);
  // The missing 12 stands beside the real 12 under a name of its own.
  EXPECT_EQ(std::count_if(first.begin(), first.end(),
                          [](const std::string& t) { return t.rfind("12.m", 0) == 0; }),
            1);
}

}  // namespace
}  // namespace vorn
