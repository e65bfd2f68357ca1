#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/LogList.h"
#include "analysis/Nifty.h"
#include "store/ArticleList.h"
#include "support/TestSupport.h"
#include "text/Dates.h"

namespace vorn::test {

// A Nifty-Serve analyser on a settings file of one entry (NetNo 0, prefix NIF) in a temporary
// folder, with the main log and the system-message log the main window would hand it.
class NiftyHarness {
 public:
  // netKeys: further lines of [Net0] ("MemberAutoAdd=1", "Terminal3=\"...\""), UTF-8.
  void MakeProcess(std::string_view netKeys = "") {
    std::string ini = "[Common]\r\nNetCount=0\r\n\r\n[Net0]\r\nPrefix=\"NIF\"\r\nName=\"Test\"\r\n";
    ini += netKeys;
    ini += "\r\n";
    WriteBytes(dir.File("nifty.ini"), J(ini));
    process = std::make_unique<TNifty>(dir.File("nifty.ini"), dir.File("nifdef.ini"));
    process->AnalysisThreads = TestAnalysisThreads();
    process->ClearData();
    // The loader selects the entry before it reads the files, for the end line.
    ASSERT_TRUE(process->Settings->SelectNet(0));
  }

  // Appends lines to the main log: UTF-8 literals, converted to CP932.
  void Lines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines)
      log.AddLine(J(line));
  }
  // Appends lines that are CP932 already (from the line builders below).
  void Raw(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines)
      log.AddLine(line);
  }
  // What the loader appends after every log file.
  void EndOfFile() { log.AddLine(process->Settings->LogEndLine); }

  bool Analyze(int32_t startLine = 0) { return process->AnalyzeLog(0, log, systemLog, startLine); }

  TArticleList* Board(std::string_view id) {
    const int32_t index = process->Boards.FindBoardId(id);
    return index >= 0 ? process->Boards.GetArticles(index) : nullptr;
  }
  TArticleList* MailBox() { return Board(process->MailBoardIndex); }
  // The entry a board holds under a raw key and time (before or after sorting), or nullptr.
  const ArticleRecord* Article(std::string_view board, int32_t key, int32_t time) {
    TArticleList* articles = Board(board);
    return articles ? articles->Entry(articles->FindArticle(key, time)) : nullptr;
  }
  // The last line of that entry; -99 when there is none.
  int32_t LastLine(std::string_view board, int32_t key, int32_t time) {
    const ArticleRecord* r = Article(board, key, time);
    return r ? r->LastLine : -99;
  }
  // Live entries of a board (placeholders included); -1 without the board.
  int32_t ArticleCount(std::string_view board) {
    TArticleList* articles = Board(board);
    if (!articles) return -1;
    int32_t n = 0;
    for (int32_t i = 0; i < articles->Count(); ++i)
      n += articles->Entry(i)->Used;
    return n;
  }
  std::vector<std::string> SystemLines() {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < systemLog.Count(); ++i)
      lines.push_back(systemLog.GetLine(i));
    return lines;
  }

  TempDir dir;
  std::unique_ptr<TNifty> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
};

class NiftyFixture : public ::testing::Test, public NiftyHarness {};

// The time key of a log date (two-digit year as the host prints it).
inline int32_t At(int year, int month, int day, int hour, int minute) {
  return DateKey(year, month, day, hour, minute, 0);
}

// Lines as the host prints them under the default templates; arguments UTF-8, results CP932.

// "＞- FXYZ MES(05):title -"
inline std::string BoardLine(std::string_view index, int bno, std::string_view title) {
  char no[16];
  std::snprintf(no, sizeof no, "%02d", bno);
  return J("＞- ") + J(index) + " MES(" + no + "):" + J(title) + " -";
}

// The handle column: 16 bytes, blanks after the handle.
inline std::string HandleColumn(std::string_view handle) {
  std::string h = J(handle);
  if (h.size() < 16) h.append(16 - h.size(), ' ');
  return h;
}

// First header line: "00123/00130 ABC12345  handle           title".
inline std::string Header1(int wno, std::string_view id, std::string_view handle,
                           std::string_view title) {
  char head[32];
  std::snprintf(head, sizeof head, "%05d/%05d ", wno, wno + 7);
  return std::string(head) + std::string(id) + "  " + HandleColumn(handle) + " " + J(title);
}

// Second header line of a root: "(05)   99/07/30 12:34".
inline std::string RootLine(int bno, int yy, int mm, int dd, int hh, int mi) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%02d)   %02d/%02d/%02d %02d:%02d", bno, yy, mm, dd, hh, mi);
  return buf;
}

// Second header line of a reply: "(05)   99/07/30 12:34  00123へのコメント".
inline std::string RessLine(int bno, int yy, int mm, int dd, int hh, int mi, int rno) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "  %05d", rno);
  return RootLine(bno, yy, mm, dd, hh, mi) + buf + J("へのコメント");
}

// First mail header line: " 1  handle            ABC12345          99/07/29 21:05".
inline std::string MailLine1(int n, std::string_view handle, std::string_view id, int yy, int mm,
                             int dd, int hh, int mi) {
  char date[64];
  std::snprintf(date, sizeof date, "%02d/%02d/%02d %02d:%02d", yy, mm, dd, hh, mi);
  char no[16];
  std::snprintf(no, sizeof no, "%2d", n);
  return std::string(no) + "  " + HandleColumn(handle) + "  " + std::string(id) + "          " +
         date;
}

// Second mail header line: "    題名：title".
inline std::string MailLine2(std::string_view title) {
  return J("    題名：") + J(title);
}

}  // namespace vorn::test
