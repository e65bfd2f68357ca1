#include "store/ReferenceArticleList.h"

#include <sstream>
#include <utility>

namespace vorn::test {

PlainArticle PlainOf(const ArticleRecord& r) {
  PlainArticle a;
  a.Used = r.Used;
  a.Kind = r.Kind;
  a.WriteFlag = r.WriteFlag;
  a.ArticleKey = r.ArticleKey;
  a.ParentKey = r.ParentKey;
  a.Number = r.Number;
  a.ParentNumber = r.ParentNumber;
  a.PostTime = r.PostTime;
  a.WriterId = r.WriterId;
  a.ParentWriterId = r.ParentWriterId;
  a.WriterIdText = r.WriterIdText().Str();
  a.ParentWriterIdText = r.ParentWriterIdText().Str();
  a.Title = r.Title().Str();
  a.ParentTitle = r.ParentTitle().Str();
  a.FirstLine = r.FirstLine;
  a.BodyOffset = r.BodyOffset;
  a.LastLine = r.LastLine;
  a.Level = r.Level;
  a.BatchFlag = r.BatchFlag;
  a.Maintained = r.Maintained;
  a.ReadFlag = r.ReadFlag;
  a.NewFlag = r.NewFlag;
  a.Rebased = r.Rebased;
  return a;
}

std::string Describe(const PlainArticle& a) {
  std::ostringstream s;
  s << "{used " << int(a.Used) << " kind " << int(a.Kind) << " write " << int(a.WriteFlag)
    << " key " << a.ArticleKey << " parent " << a.ParentKey << " no " << a.Number << " time "
    << a.PostTime << " first " << a.FirstLine << " level " << a.Level << " maint "
    << int(a.Maintained) << " rebased " << int(a.Rebased) << " title '" << a.Title << "'}";
  return s.str();
}

bool ReferenceArticleList::AddArticle(uint8_t kind, uint8_t writeFlag, int32_t key, int32_t number,
                                      int32_t time, int32_t parentKey, int32_t parentNumber,
                                      int32_t writerId, int32_t parentWriterId,
                                      const std::string& writerIdText,
                                      const std::string& parentWriterIdText,
                                      const std::string& title, const std::string& parentTitle,
                                      int32_t firstLine, int32_t bodyOffset) {
  auto cut = [](const std::string& s, size_t n) { return s.substr(0, n); };
  if (kind == 6 && writeFlag == 1) return false;
  int32_t i = FindArticle(key, time);
  if (i >= 0) {
    if (kind == 6) return true;
    PlainArticle& e = entries[size_t(i)];
    e.Used = 1;
    e.Kind = kind;
    e.WriteFlag = writeFlag;
    e.ArticleKey = key;
    e.Number = number;
    e.PostTime = time;
    e.ParentKey = parentKey;
    e.ParentNumber = parentNumber;
    e.WriterId = writerId;
    e.ParentWriterId = parentWriterId;
    if (!writerIdText.empty()) e.WriterIdText = cut(writerIdText, 31);
    if (!parentWriterIdText.empty()) e.ParentWriterIdText = cut(parentWriterIdText, 31);
    if (!title.empty()) e.Title = cut(title, 127);
    if (!parentTitle.empty()) e.ParentTitle = cut(parentTitle, 127);
    e.FirstLine = firstLine;
    e.BodyOffset = bodyOffset;
    if (kind == 0 || kind == 2 || kind == 4 || kind == 5) e.Level = 0;
    e.Rebased = 0;
    e.NewFlag = 1;
    return true;
  }
  PlainArticle e;
  e.Used = 1;
  e.Kind = kind;
  e.WriteFlag = writeFlag;
  e.ArticleKey = key;
  e.Number = number;
  e.PostTime = time;
  e.ParentKey = parentKey;
  e.ParentNumber = parentNumber;
  e.WriterId = writerId;
  e.ParentWriterId = parentWriterId;
  e.WriterIdText = cut(writerIdText, 31);
  e.ParentWriterIdText = cut(parentWriterIdText, 31);
  e.Title = cut(title, 127);
  e.ParentTitle = cut(parentTitle, 127);
  e.FirstLine = firstLine;
  e.BodyOffset = bodyOffset;
  e.NewFlag = 1;
  entries.push_back(e);
  return true;
}

// The newest live entry of the key and time; an article before a placeholder (kind 6) of the
// same, which stands for a reply's missing parent and must not take the article's place.
int32_t ReferenceArticleList::FindArticle(int32_t key, int32_t time) const {
  int32_t placeholder = -1;
  for (int32_t i = int32_t(entries.size()) - 1; i >= 0; --i) {
    const PlainArticle& e = entries[size_t(i)];
    if (e.Used != 1) continue;
    int64_t k = e.ArticleKey, t = e.PostTime;
    if (e.Rebased == 1) {
      k += 2030000000;
      t += 2030000000;
    }
    if (k != key || t != time) continue;
    if (e.Kind != 6) return i;
    if (placeholder < 0) placeholder = i;
  }
  return placeholder;
}

bool ReferenceArticleList::SetArticleUsed(int32_t key, int32_t time, uint8_t value) {
  int32_t i = FindArticle(key, time);
  if (i < 0) return false;
  entries[size_t(i)].Used = value;
  return true;
}

void ReferenceArticleList::DropPlaceholders() {
  for (auto& e : entries) {
    if (e.Kind == 6) e.Used = 0;
    e.Level = 0;
  }
}

void ReferenceArticleList::Rebase() {
  // A sort starts its reply tree from scratch (see ArticleSort.cpp).
  DropPlaceholders();
  for (auto& e : entries) {
    if (e.WriteFlag != 0 || e.Rebased != 0) continue;
    bool changed = false;
    for (int32_t* v : {&e.PostTime, &e.ArticleKey, &e.ParentKey}) {
      if (*v >= 0) {
        *v -= 2030000000;
        changed = true;
      }
    }
    if (changed) e.Rebased = 1;
  }
}

void ReferenceArticleList::ExchangeSort() {
  const size_t n = entries.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      if (entries[j].PostTime < entries[i].PostTime) std::swap(entries[i], entries[j]);
    }
  }
  size_t runStart = 0;
  while (runStart < n) {
    size_t runEnd = runStart + 1;
    while (runEnd < n && entries[runEnd].PostTime == entries[runStart].PostTime)
      ++runEnd;
    for (size_t i = runStart; i + 1 < runEnd; ++i) {
      for (size_t j = i + 1; j < runEnd; ++j) {
        if (entries[j].ArticleKey < entries[i].ArticleKey) std::swap(entries[i], entries[j]);
      }
    }
    runStart = runEnd;
  }
}

void ReferenceArticleList::MarkMaintained() {
  int32_t previous = 2030000000;
  int32_t restart = 0;
  for (int32_t i = 0; i < int32_t(entries.size()); ++i) {
    const PlainArticle& e = entries[size_t(i)];
    if (e.Used != 1 || e.Kind == 6 || e.WriteFlag != 0 || e.Number < 0) continue;
    if (previous < e.Number) {
      previous = e.Number;
    } else {
      previous = e.Number;
      restart = i;
    }
  }
  if (restart >= 1) {
    for (int32_t i = 0; i < restart; ++i)
      entries[size_t(i)].Maintained = 1;
  }
}

int32_t ReferenceArticleList::NearestParent(int32_t reply) const {
  const PlainArticle& r = entries[size_t(reply)];
  if (r.Used != 1 || (r.Kind != 1 && r.Kind != 3)) return -1;
  for (int32_t p = reply - 1; p >= 0; --p) {
    const PlainArticle& e = entries[size_t(p)];
    if (e.Used != 1 || e.Kind == 6 || e.ArticleKey != r.ParentKey) continue;
    for (int32_t q = p + 1; q <= reply; ++q) {
      const PlainArticle& between = entries[size_t(q)];
      if (between.Used == 1 && between.Kind != 6 && between.ArticleKey < r.ParentKey) return -1;
    }
    return p;
  }
  return -1;
}

void ReferenceArticleList::BuildTreeOrder() {
  tree.clear();
  const int32_t count = int32_t(entries.size());
  parents_.assign(size_t(count), -1);
  for (int32_t i = 0; i < count; ++i)
    parents_[size_t(i)] = NearestParent(i);
  for (int32_t i = 0; i < count; ++i) {
    const PlainArticle e = entries[size_t(i)];
    if (e.Used != 1 || e.Level != 0) continue;
    if (e.Kind != 1 && e.Kind != 3) {
      tree.push_back(i);
      AttachReplies(0, i + 1, i);
    } else {
      PlainArticle p;
      p.Used = 1;
      p.Kind = 6;
      p.WriteFlag = 0;
      p.ArticleKey = e.ParentKey;
      p.Number = e.ParentNumber;
      p.ParentKey = -1;
      p.PostTime = e.PostTime;
      p.WriterId = e.ParentWriterId;
      p.WriterIdText = e.ParentWriterIdText;
      p.Title = e.ParentTitle;
      p.FirstLine = -1;
      p.LastLine = 0;
      p.Level = 0;
      p.NewFlag = 1;
      p.Rebased = 1;
      p.ParentNumber = -1;
      p.ParentWriterId = -1;
      p.BodyOffset = -1;
      entries.push_back(p);
      const int32_t placeholder = int32_t(entries.size()) - 1;
      tree.push_back(placeholder);
      // The orphan itself always goes under its placeholder, even when its key is smaller
      // than its parent's (a renumbered board); the plain scan from i would stop at once and
      // the reply would vanish from tree order. Later orphans follow by the usual scan.
      entries[size_t(i)].Level = 1;
      tree.push_back(i);
      AttachReplies(1, i + 1, i);
      AttachReplies(0, i + 1, placeholder);
    }
  }
}

void ReferenceArticleList::AttachReplies(int32_t level, int32_t start, int32_t parent) {
  const int32_t last = int32_t(entries.size()) - 1;
  const int32_t parentKey = entries[size_t(parent)].ArticleKey;
  for (int32_t s = start; s <= last; ++s) {
    if (tree.size() > treeLimit) {
      overflowed = true;
      return;
    }
    PlainArticle& r = entries[size_t(s)];
    if (r.Used == 1 && r.Kind != 6 && r.ArticleKey < parentKey) return;
    // A reply is placed once, under its nearest parent (a placeholder takes those of none);
    // other entries with the same key pass it by.
    const int32_t owner = entries[size_t(parent)].Kind == 6 ? -1 : parent;
    if (r.Used == 1 && r.ParentKey == parentKey && (r.Kind == 1 || r.Kind == 3) && r.Level == 0 &&
        s < int32_t(parents_.size()) && parents_[size_t(s)] == owner) {
      r.Level = level + 1;
      tree.push_back(s);
      AttachReplies(level + 1, s + 1, s);
    }
  }
}

void ReferenceArticleList::BuildNormalOrder() {
  normal.clear();
  for (int32_t i = 0; i < int32_t(entries.size()); ++i) {
    if (entries[size_t(i)].Used != 0 && entries[size_t(i)].Kind != 6) normal.push_back(i);
  }
}

}  // namespace vorn::test
