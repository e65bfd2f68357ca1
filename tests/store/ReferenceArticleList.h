#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/ArticleList.h"

namespace vorn::test {

// One article as plain values, for comparing stores field by field.
struct PlainArticle {
  uint8_t Used = 0, Kind = 0, WriteFlag = 0;
  int32_t ArticleKey = 0, ParentKey = 0, Number = 0, ParentNumber = 0, PostTime = 0;
  int32_t WriterId = 0, ParentWriterId = 0;
  std::string WriterIdText, ParentWriterIdText, Title, ParentTitle;
  int32_t FirstLine = 0, BodyOffset = 0, LastLine = 0, Level = 0;
  uint8_t BatchFlag = 0, Maintained = 0, ReadFlag = 0, NewFlag = 0, Rebased = 0;
  bool operator==(const PlainArticle&) const = default;
};

PlainArticle PlainOf(const ArticleRecord& r);
std::string Describe(const PlainArticle& a);

// The article list's ordering done the slow, obvious way: linear lookups, exchange sorts, and a
// recursive reply scan over the rest of the board for every parent. The fast store must give
// the same entries, levels, placeholders and orders.
class ReferenceArticleList {
 public:
  std::vector<PlainArticle> entries;
  std::vector<int32_t> normal;
  std::vector<int32_t> tree;
  // Duplicate keys make the tree grow exponentially with the depth (every reply is placed under
  // every parent with its key). A build that passes this many tree entries gives up and sets
  // overflowed, so that a random test can skip such a board instead of running out of memory.
  size_t treeLimit = 1u << 20;
  bool overflowed = false;

  bool AddArticle(uint8_t kind, uint8_t writeFlag, int32_t key, int32_t number, int32_t time,
                  int32_t parentKey, int32_t parentNumber, int32_t writerId, int32_t parentWriterId,
                  const std::string& writerIdText, const std::string& parentWriterIdText,
                  const std::string& title, const std::string& parentTitle, int32_t firstLine,
                  int32_t bodyOffset);
  int32_t FindArticle(int32_t key, int32_t time) const;
  bool SetArticleUsed(int32_t key, int32_t time, uint8_t value);
  void DropPlaceholders();

  void SortArticles() {
    Rebase();
    ExchangeSort();
    FinishSort();
  }
  // The steps of a sort, separately, so that a test can substitute the order of entries that
  // are equal in both time and key (either order is allowed).
  void Rebase();
  void ExchangeSort();
  void FinishSort() {
    MarkMaintained();
    BuildTreeOrder();
    BuildNormalOrder();
  }

 private:
  void MarkMaintained();
  void BuildTreeOrder();
  // The entry a reply belongs under: the nearest live entry before it with its parent key,
  // when the plain scan from there reaches the reply; -1 for none (a placeholder takes it).
  int32_t NearestParent(int32_t reply) const;
  void AttachReplies(int32_t level, int32_t start, int32_t parent);
  void BuildNormalOrder();

  std::vector<int32_t> parents_;  // NearestParent of every entry walked by BuildTreeOrder
};

}  // namespace vorn::test
