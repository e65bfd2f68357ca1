#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/Cp932.h"

namespace vorn::bench {

// Writes a capture of a NetVorn-family host as the default templates expect it: a login with
// system and chat messages and a member list, then board after board (title line, articles with
// header, subject, reply information for a third of them, footer and 3 to 12 body lines, a
// terminal line now and then, colour codes on some lines), binary articles, and the mail box.
// Lines are CP932 and end in CR LF.
class NetVornLogGenerator {
 public:
  explicit NetVornLogGenerator(uint32_t seed) : random_(seed) {
    for (const char* w : {"今日は", "晴れ", "でした。", "プログラム", "の", "話", "ですが、",
                          "オフ会", "に", "参加", "します", "よろしく"})
      words_.push_back(Cp932(w));
    for (const char* h : {"たろう", "はなこ", "じろう", "さぶろう", "しろう", "ごろう"})
      handles_.push_back(Cp932(h));
    readEnd_ = Cp932("読み終わりました");
    mailPrompt_ = Cp932("次のメールを確認しますか (Y/N)?Y");
    boardOpen_ = Cp932("｢");
    boardClose_ = Cp932("｣");
  }

  // About `lines` lines (the last article is completed).
  std::string Generate(int64_t lines) {
    return Capture([&] { return count_ < lines; });
  }

  // One day's capture of a continuing archive: about `bytes` bytes, every article dated on that
  // day (two-digit year), article numbers going on from the previous capture of the same
  // generator.
  std::string GenerateDay(int64_t bytes, int year, int month, int day) {
    year_ = year % 100;
    month_ = month;
    day_ = day;
    return Capture([&] { return static_cast<int64_t>(out_.size()) < bytes; });
  }

  // Article bodies of short lines, as real captures mostly hold: one-word replies, quotes of a
  // word, chat notices and empty lines, about 19 bytes a line over a whole capture instead of
  // about 29. Off by default, which keeps the captures of a seed as they always were.
  void SetShortLines(bool shortLines) { shortLines_ = shortLines; }

 private:
  template <class More>
  std::string Capture(More more) {
    out_.clear();
    count_ = 0;
    Line("ATDT0312345678");
    Line("CONNECT 9600");
    Line(Cp932("(システム) ようこそ"));
    Line("----+--------------------");
    for (int id = 0; id < 200; ++id)
      Line(std::to_string(1000 + id) + ":" + Handle(id));
    Line("");
    int board = 1;
    while (more()) {
      if (board % 10 == 0) {
        Mails(more);
      } else {
        Board(board, more);
      }
      board = board % 40 + 1;
    }
    return std::move(out_);
  }

  void Line(const std::string& text) {
    out_ += text;
    out_ += "\r\n";
    ++count_;
  }
  uint32_t Next(uint32_t n) { return static_cast<uint32_t>(random_() % n); }
  const std::string& Handle(int id) { return handles_[static_cast<size_t>(id) % handles_.size()]; }
  std::string Words(int n) {
    std::string text;
    for (int k = 0; k < n; ++k)
      text += words_[Next(static_cast<uint32_t>(words_.size()))];
    return text;
  }
  std::string Date() {
    char buf[32];
    if (day_ > 0) {
      std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02u:%02u", year_, month_, day_, Next(24),
                    Next(60));
    } else {
      std::snprintf(buf, sizeof buf, "99/%02u/%02u %02u:%02u", 1 + Next(12), 1 + Next(28), Next(24),
                    Next(60));
    }
    return buf;
  }
  void Body() {
    const uint32_t n = 3 + Next(10);
    if (shortLines_) {
      for (uint32_t k = 0; k < n; ++k) {
        switch (Next(8)) {
          case 0:
            Line("");
            break;
          case 1:
            Line(">" + Words(3));
            break;
          case 2: {
            const int writer = static_cast<int>(Next(200));
            Line("(" + std::to_string(1000 + writer) + ":" + Handle(writer) + ") " + Words(1));
            break;
          }
          case 3:
          case 4:
            Line(Words(2));
            break;
          default:
            Line(Words(3 + static_cast<int>(Next(4))));
        }
      }
      Line("");
      return;
    }
    for (uint32_t k = 0; k < n; ++k) {
      if (Next(20) == 0) {
        Line("\x1b[33m" + Words(4) + "\x1b[0m");
      } else {
        Line(Words(2 + static_cast<int>(Next(8))));
      }
    }
    Line("");
  }

  template <class More>
  void Board(int board, More more) {
    const std::string key = "board" + std::to_string(board);
    Line("Command (?:" + std::to_string(board));
    Line((Next(4) == 0 ? "\x1b[36mNo." : "No.") + std::to_string(board) + " " + boardOpen_ +
         Words(2) + boardClose_);
    Line("");
    const bool binary = board % 7 == 0;
    int32_t& number = numbers_[static_cast<size_t>(board)];
    const uint32_t articles = 20 + Next(60);
    for (uint32_t a = 0; a < articles && more(); ++a) {
      ++number;
      const int writer = static_cast<int>(Next(200));
      Line("-\t");
      Line(key + "(" + std::to_string(number) + "/" + std::to_string(number + 100) + ") " + Date() +
           " " + Words(3));
      if (number > 1 && Next(3) == 0) {
        const int parent = static_cast<int>(1 + Next(static_cast<uint32_t>(number - 1)));
        const int parentWriter = static_cast<int>(Next(200));
        Line(" <" + std::to_string(parent) + ":" + Words(2) + "/" +
             std::to_string(1000 + parentWriter) + ":" + Handle(parentWriter) + ">");
      }
      if (binary) {
        Line("  [file" + std::to_string(number) + ".lzh] " + std::to_string(1 + Next(500)) + "KB " +
             std::to_string(1000 + writer) + ":" + Handle(writer) + " ");
      } else {
        Line("  " + std::to_string(3 + Next(10)) + " lines " + std::to_string(1000 + writer) + ":" +
             Handle(writer) + " ");
      }
      Body();
    }
    Line(readEnd_);
  }

  template <class More>
  void Mails(More more) {
    Line("Command (?:M");
    Line("No.0 " + boardOpen_ + Cp932("メール") + boardClose_);
    Line("");
    const uint32_t mails = 1 + Next(5);
    for (uint32_t m = 0; m < mails && more(); ++m) {
      const int writer = static_cast<int>(Next(200));
      Line("-\t");
      Line("mail " + Date() + " " + Words(2));
      Line("  4 lines " + std::to_string(1000 + writer) + ":" + Handle(writer) + " ");
      Body();
      Line(mailPrompt_);
    }
    Line(Cp932("(1001:はなこ) こんばんは"));
  }

  std::mt19937 random_;
  std::vector<std::string> words_;
  std::vector<std::string> handles_;
  std::string readEnd_, mailPrompt_, boardOpen_, boardClose_;
  std::vector<int32_t> numbers_ = std::vector<int32_t>(64, 0);
  std::string out_;
  int64_t count_ = 0;
  int year_ = 0, month_ = 0, day_ = 0;  // the day of GenerateDay; 0 = random dates of 1999
  bool shortLines_ = false;
};

}  // namespace vorn::bench
