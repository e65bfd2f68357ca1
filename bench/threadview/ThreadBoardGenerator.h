#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "analysis/LogList.h"
#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "store/MemberList.h"

namespace vorn::bench {

constexpr int32_t kArticles = 100000;

// One board as an analysis leaves it: articles pointing into a log of header and body lines,
// a third of them replies to one of the 300 articles before them, 200 writers with handles.
class ThreadBoard {
 public:
  ThreadBoard() : random_(11) {
    for (const char* w : {"今日は", "晴れ", "でした。", "プログラム", "の", "話", "ですが、",
                          "オフ会", "に", "参加", "します", "よろしく"})
      words_.push_back(Cp932(w));
    for (const char* h : {"たろう", "はなこ", "じろう", "さぶろう", "しろう", "ごろう"})
      handles_.push_back(Cp932(h));
    bool added = false;
    for (int32_t id = 0; id < 200; ++id) {
      const std::string handle = handles_[size_t(id) % handles_.size()] + std::to_string(id);
      members.AddMember(1000 + id, handle, handle, handle, false, added);
    }
    for (int32_t key = 1; key <= kArticles; ++key) {
      const int32_t first = log.Count();
      const std::string title = Words(3);
      log.AddLine("general(" + std::to_string(key) + ") 99/07/30 12:34 " + title);
      const bool reply = key > 1 && Next(3) == 0;
      const int32_t parent = reply ? key - 1 - int32_t(Next(uint32_t(std::min(key - 1, 300)))) : -1;
      const int32_t writer = 1000 + int32_t(Next(200));
      log.AddLine("  8 lines " + std::to_string(writer));
      const uint32_t lines = 3 + Next(10);
      for (uint32_t l = 0; l < lines; ++l)
        log.AddLine(Words(2 + int(Next(8))));
      board.AddArticle(reply ? ArticleKindRess : ArticleKindRoot, 0, key, key, 100000 + key * 60,
                       parent, parent, writer, reply ? 1000 : -1, "", "", title,
                       reply ? Words(3) : "", first, 2);
      board.SetArticleLastLine(key, 100000 + key * 60, log.Count() - 1);
    }
    board.SortArticles();
  }

  TLogList log{524288, 51200};
  TMemberList members{false};
  TArticleList board;

 private:
  uint32_t Next(uint32_t n) { return uint32_t(random_() % n); }
  std::string Words(int n) {
    std::string text;
    for (int k = 0; k < n; ++k)
      text += words_[Next(uint32_t(words_.size()))];
    return text;
  }

  std::mt19937 random_;
  std::vector<std::string> words_;
  std::vector<std::string> handles_;
};

}  // namespace vorn::bench
