#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/ArticleList.h"

namespace vorn::test {

// A hand-made board whose tree order is, by position:
//   0  <1>            thread [0, 4)
//   1  └<2>
//   2  　└<3>
//   3  └<4>
//   4  -99-           placeholder for a root not in the logs (key 0), thread [4, 7)
//   5  └<5>
//   6  └<6>
//   7  <7>            thread [7, 8)
//   8  <8>            thread [8, 10)
//   9  └<9>
// Posting order is 1 .. 9. Article n has key and number n, time 1000 + n and writer 100 + n % 3.
class ThreadBoard : public ::testing::Test {
 protected:
  static constexpr int32_t T = ArticleSortTree;
  static constexpr int32_t N = ArticleSortNormal;

  void SetUp() override {
    Add(1, -1);
    Add(2, 1);
    Add(3, 2);
    Add(4, 1);
    Add(5, 0);
    Add(6, 0);
    Add(7, -1);
    Add(8, -1);
    Add(9, 8);
    ASSERT_TRUE(board.SortArticles());
    ASSERT_EQ(board.OrderCount(T), 10);
    ASSERT_EQ(board.GetKind(T, 4), ArticleKindMissingRoot);
  }

  void Add(int32_t key, int32_t parent) {
    ASSERT_TRUE(board.AddArticle(parent < 0 ? ArticleKindRoot : ArticleKindRess, 0, key, key,
                                 1000 + key, parent, parent == 0 ? 99 : parent, 100 + key % 3, -1,
                                 "", "", "title " + std::to_string(key), "", -1, 0));
  }

  // The numbers shown at the positions of tree order listed by a row view, a placeholder as
  // -number.
  std::vector<int32_t> Numbers(const std::vector<int32_t>& positions) const {
    std::vector<int32_t> out;
    for (const int32_t p : positions) {
      const int32_t n = board.GetNumber(T, p);
      out.push_back(board.GetKind(T, p) == ArticleKindMissingRoot ? -n : n);
    }
    return out;
  }

  int32_t TreePositionOfNumber(int32_t number) const {
    for (int32_t p = 0; p < board.OrderCount(T); ++p) {
      if (board.GetKind(T, p) != ArticleKindMissingRoot && board.GetNumber(T, p) == number)
        return p;
    }
    return -1;
  }

  TArticleList board;
};

}  // namespace vorn::test
