#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/LogList.h"
#include "analysis/NetVorn.h"
#include "store/ArticleList.h"
#include "support/TestSupport.h"
#include "text/CommonSub.h"

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
    process->ClearData();
    // The loader selects the entry before it reads the files, for the end line.
    ASSERT_TRUE(process->Settings->SelectNet(0));
  }

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

  TempDir dir;
  std::unique_ptr<TNetVorn> process;
  TLogList log{524288, 51200};
  TLogList systemLog{32768, 1024};
};

// The time key of a log date (two-digit year as the host prints it).
inline int32_t At(int year, int month, int day, int hour, int minute) {
  return DateKey(year, month, day, hour, minute, 0);
}

}  // namespace vorn::test
