#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"
#include "support/TestSupport.h"
#include "text/Dates.h"

namespace vorn::test {

// A NetVorn analyser on a settings file of one entry (NetNo 0, prefix NET) in a temporary
// folder, with the main log and the system-message log the main window would hand it.
class NetVornFixture : public ::testing::Test {
 protected:
  // netKeys: further lines of [Net0] ("KTC=1", "Terminal3=\"\""); commonKeys: of [Common].
  // UTF-8, converted to CP932.
  void MakeProcess(std::string_view netKeys = "", std::string_view commonKeys = "") {
    std::string ini = "[Common]\r\nNetCount=0\r\n";
    ini += commonKeys;
    ini += "\r\n[Net0]\r\nPrefix=\"NET\"\r\nName=\"Test\"\r\nBoardListFile=\"NET.BRD\"\r\n";
    ini += netKeys;
    ini += "\r\n";
    WriteBytes(dir.File("netvorn.ini"), J(ini));
    process = std::make_unique<TNetVorn>(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
    process->AnalysisThreads = AnalysisThreads();
    process->ClearData();
    // The loader selects the entry before it reads the files, for the end line.
    ASSERT_TRUE(process->Settings->SelectNet(0));
  }

  static int32_t AnalysisThreads() { return TestAnalysisThreads(); }

  // Appends lines (UTF-8 literals, converted to CP932) to the main log.
  void Lines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines)
      log.AddLine(J(line));
  }
  void Line(std::string_view utf8) { log.AddLine(J(utf8)); }
  // What the loader appends after every log file.
  void EndOfFile() { log.AddLine(process->Settings->LogEndLine); }

  bool Analyze(int32_t startLine = 0) { return process->AnalyzeLog(0, log, systemLog, startLine); }

  TArticleList* Board(int32_t number) {
    const int32_t index = process->Boards.FindBoardNo(number);
    return index >= 0 ? process->Boards.GetArticles(index) : nullptr;
  }
  // The article a board holds under a raw key and time (before or after sorting), or nullptr.
  const ArticleRecord* Article(int32_t board, int32_t key, int32_t time) {
    TArticleList* articles = Board(board);
    return articles ? articles->Entry(articles->FindArticle(key, time)) : nullptr;
  }
  // Live entries of a board (placeholders included).
  int32_t ArticleCount(int32_t board) {
    TArticleList* articles = Board(board);
    if (!articles) return -1;
    int32_t n = 0;
    for (int32_t i = 0; i < articles->Count(); ++i)
      n += articles->Entry(i)->Used;
    return n;
  }
  std::string Handle(int32_t id) {
    const int32_t index = process->Members.FindIdNo(id);
    return index >= 0 ? process->Members.GetCurrentHandle(index) : "<none>";
  }

  // Log lines of the default templates. A board title makes the board current; the host's
  // end-of-reading line before it ends the body of an article open before.
  void BoardTitle(int32_t number) {
    Line("読み終わりました");
    Line("No." + std::to_string(number) + " ｢board" + std::to_string(number) + "｣");
  }
  // An article of the current board with one body line; its time grows with its number, so
  // posting order is number order (numbers below 720). parent >= 0 makes it a reply.
  void LogArticle(int32_t number, bool binary, int32_t parent = -1, int32_t writer = 1024) {
    char subject[96];
    std::snprintf(subject, sizeof subject, "general(%d/999) 99/07/30 %02d:%02d title %d", number,
                  10 + number / 60 % 12, number % 60, number);
    Line("-\t");
    Line(subject);
    if (parent >= 0)
      Line(" <" + std::to_string(parent) + ":parent/" + std::to_string(writer) + ":m" +
           std::to_string(writer) + ">");
    const std::string who = std::to_string(writer) + ":m" + std::to_string(writer) + " ";
    Line(binary ? "  [f.lzh] 1KB " + who : "  3 lines " + who);
    Line("body of " + std::to_string(number));
  }

  // The headings the main window gives the analyser for binary writes.
  void UseBinaryHeadings(TNetVorn& p) {
    p.BinaryFileHeader = J("[UP対象ファイル]");
    p.WriteFileHeader = J("[書込ファイル名]");
  }

  // Queues a write as the write commands do. parentNumber is the number the host shows (-1:
  // none); text holds CP932 lines, line 0 the title.
  void AddWrite(int32_t board, uint8_t kind, int32_t parentNumber, std::vector<std::string> text,
                std::vector<int32_t> recipients = {}) {
    TArticleList* articles = Board(board);
    ASSERT_NE(articles, nullptr) << "board " << board;
    std::unique_ptr<TMailSendList> mailTo;
    if (!recipients.empty()) {
      mailTo = std::make_unique<TMailSendList>(false);
      for (int32_t id : recipients)
        mailTo->AddRecipientId(id);
    }
    const std::string title = text.empty() ? std::string() : text[0];
    ASSERT_TRUE(articles->AddArticle(
        kind, 1, process->WriteArticleNo++, -1, 0,
        parentNumber >= 0 ? parentNumber - RebaseOffset : -1, -1, -1, -1, {}, {}, title, {}, -1, 1,
        std::make_unique<TStringList>(std::move(text)), std::move(mailTo)));
    articles->SortArticles();
  }
  // Sets the batch mark of a log article, as the batch command does.
  void MarkBatch(int32_t board, int32_t number) {
    TArticleList* articles = Board(board);
    ASSERT_NE(articles, nullptr) << "board " << board;
    const int32_t position = articles->FindByKey(ArticleSortNormal, number - RebaseOffset);
    ASSERT_GE(position, 0) << "article " << number;
    articles->SetBatchFlag(ArticleSortNormal, position, 1);
  }
  void SetBoardType(int32_t board, uint8_t type) {
    const int32_t index = process->Boards.FindBoardNo(board);
    ASSERT_GE(index, 0) << "board " << board;
    process->Boards.SetBoardAttr(index, 1, type, 0);
  }

  // A second analyser over the same settings and log, as the next start of the program makes
  // it, with the board attributes the board list file would give it.
  std::unique_ptr<TNetVorn> NextStart(int32_t netNo = 0) {
    auto next = std::make_unique<TNetVorn>(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
    LoadAgain(*next, netNo);
    return next;
  }
  // The same for an analyser that is loaded again, as opening logs anew does.
  void LoadAgain(TNetVorn& next, int32_t netNo) {
    next.AnalysisThreads = AnalysisThreads();
    next.ClearData();
    next.WriteArticleNo = 0;
    TLogList messages{32768, 1024};
    EXPECT_TRUE(next.AnalyzeLog(netNo, log, messages, 0));
    next.SortData();
    for (int32_t b = 0; b < process->Boards.Count(); ++b) {
      const int32_t index = next.Boards.FindBoardNo(process->Boards.GetBoardNo(b));
      if (index >= 0)
        next.Boards.SetBoardAttr(index, process->Boards.IsArticleBoard(b),
                                 process->Boards.GetBoardType(b), process->Boards.GetBoardAttr(b));
    }
    UseBinaryHeadings(next);
  }

  TempDir dir;
  std::unique_ptr<TNetVorn> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
};

// The time key of a log date (two-digit year as the host prints it).
inline int32_t At(int year, int month, int day, int hour, int minute) {
  return DateKey(year, month, day, hour, minute, 0);
}

// A pending write as the UP and PAD files carry it.
struct WriteView {
  int32_t board;
  int kind;
  int32_t parentKey;
  std::vector<int32_t> recipients;
  std::string title;
  std::vector<std::string> text;
  bool operator==(const WriteView&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const WriteView& w) {
  out << "board " << w.board << " kind " << w.kind << " parent " << w.parentKey << " to [";
  for (int32_t id : w.recipients)
    out << ' ' << id;
  out << " ] title \"" << Cp932ToUtf8(w.title) << "\" text [";
  for (const std::string& line : w.text)
    out << " \"" << Cp932ToUtf8(line) << '"';
  return out << " ]";
}

// The pending writes of every board in board-list and posting order.
inline std::vector<WriteView> PendingWrites(const TNetVorn& p) {
  std::vector<WriteView> writes;
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    const TArticleList* articles = p.Boards.GetArticles(b);
    for (int32_t pos = 0; articles && pos < articles->OrderCount(ArticleSortNormal); ++pos) {
      const ArticleRecord& r = *articles->GetArticle(ArticleSortNormal, pos);
      if (r.WriteFlag != 1) continue;
      WriteView w{p.Boards.GetBoardNo(b), r.Kind, r.ParentKey, {}, r.Title().Str(), {}};
      for (int32_t i = 0; r.MailTo() && i < r.MailTo()->Count(); ++i)
        w.recipients.push_back(TMailSendList::GetRecipientId(r.MailTo(), i));
      if (r.Text()) w.text = *r.Text();
      writes.push_back(std::move(w));
    }
  }
  return writes;
}

// (board number, article number) of every log article marked for batch download.
inline std::set<std::pair<int32_t, int64_t>> BatchMarks(const TNetVorn& p) {
  std::set<std::pair<int32_t, int64_t>> marks;
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    const TArticleList* articles = p.Boards.GetArticles(b);
    for (int32_t pos = 0; articles && pos < articles->OrderCount(ArticleSortNormal); ++pos) {
      const ArticleRecord& r = *articles->GetArticle(ArticleSortNormal, pos);
      if (r.WriteFlag == 0 && r.BatchFlag == 1)
        marks.emplace(p.Boards.GetBoardNo(b), int64_t{r.ArticleKey} + RebaseOffset);
    }
  }
  return marks;
}

// File contents made of CP932 lines, each ended with CR LF.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string data;
  for (const std::string& line : lines)
    data += line + "\r\n";
  return data;
}

}  // namespace vorn::test
