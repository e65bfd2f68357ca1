// Writes the seed corpora of the harnesses from the samples: the sample logs, the lines and
// default patterns they are read with, the list files, read pointers, UP and PAD files the
// program itself writes after a session on them with a few queued writes.
//   fuzz_seed_writer <folder>   (normally tests/fuzz/seeds)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/LogSessionHarness.h"
#include "platform/Cp932.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"

using namespace vorn;

namespace {

std::string folder;

void Seed(const std::string& harness, const std::string& name, std::string_view bytes) {
  std::filesystem::create_directories(folder + "/" + harness);
  fuzz::WriteScratch(folder + "/" + harness + "/" + name, bytes);
}

std::string Source(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/" + path, bytes)) {
    std::fprintf(stderr, "missing %s\n", path.c_str());
    std::exit(1);
  }
  return bytes;
}

std::string Scratch(const std::string& name) {
  return fuzz::ReadScratch(fuzz::ScratchFile(name));
}

std::string Selector(int kind, std::string_view bytes) {
  return std::string(1, static_cast<char>(kind)) + std::string(bytes);
}

void QueueWrite(TBBSProcess& p, int32_t board, uint8_t kind, int32_t parentKey,
                std::vector<std::string> text, std::unique_ptr<TMailSendList> mailTo = nullptr) {
  TArticleList* articles = p.Boards.GetArticles(board);
  if (!articles) return;
  const std::string title = text.front();
  articles->AddArticle(kind, 1, p.WriteArticleNo++, -1, 0, parentKey, -1, -1, -1, {}, {}, title, {},
                       -1, 1, std::make_unique<TStringList>(std::move(text)), std::move(mailTo));
  articles->SortArticles();
}

void MarkEverySecondRead(TBBSProcess& p) {
  for (int32_t b = 0; b < p.Boards.Count(); ++b) {
    TArticleList* articles = p.Boards.GetArticles(b);
    for (int32_t pos = 0; articles && pos < articles->OrderCount(ArticleSortNormal); pos += 2)
      articles->SetReadFlag(ArticleSortNormal, pos, 1, true);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seed_writer <seed folder>\n");
    return 2;
  }
  folder = argv[1];
  const std::string netLog = Source("samples/NET19990730.LOG");
  const std::string nifLog = Source("samples/NIF19990730.LOG");
  fuzz::LogSessionHarness h;

  // Logs.
  Seed("netvorn", "sample.log", netLog);
  Seed("nifty", "sample.log", nifLog);

  // Patterns: each default template with the sample lines it is meant for.
  {
    std::vector<std::string> lines;
    for (const std::string& log : {netLog, nifLog}) {
      size_t from = 0;
      while (from < log.size()) {
        size_t cr = log.find('\r', from);
        if (cr == std::string::npos) cr = log.size();
        lines.push_back(log.substr(from, cr - from));
        from = cr + 2;
      }
    }
    int n = 0;
    for (TBBSIniFile* settings : {static_cast<TBBSIniFile*>(h.netVorn->Settings),
                                  static_cast<TBBSIniFile*>(h.nifty->Settings)}) {
      for (int item = 0; item < settings->ItemCount(); ++item) {
        std::string input = settings->ItemDefault(item);
        for (size_t l = static_cast<size_t>(item) % 7; l < lines.size(); l += 9)
          input += '\0' + lines[l];
        Seed("pattern", "default" + std::to_string(n++), input);
      }
    }
  }

  // Regular expressions as the search takes them.
  {
    const std::vector<std::string> patterns = {
        "^Re:.*" + Cp932("質問"), "[0-9]+/[0-9]+",   Cp932("(たろう|はなこ)さん"),
        "a*b+c?(d|e)[^f-h]$",     Cp932("[ア-ン]+"), "\\.LOG$"};
    int n = 0;
    for (const std::string& pattern : patterns) {
      std::string input(1, static_cast<char>(n % 4));
      input += pattern;
      size_t from = 0;
      for (int k = 0; k < 6 && from < netLog.size(); ++k) {
        const size_t cr = netLog.find('\r', from + 400);
        if (cr == std::string::npos) break;
        input += '\0' + netLog.substr(from, std::min<size_t>(cr - from, 120));
        from = cr + 2;
      }
      Seed("regex", "pattern" + std::to_string(n++), input);
    }
  }

  // Settings files.
  for (const char* name : {"netvorn.ini", "nifty.ini", "vorndef.ini", "nifdef.ini"})
    Seed("profile", name, Source(std::string("samples/settings/") + name));

  // A NetVorn session with writes of every kind the UP and PAD files carry.
  if (!h.LoadLog("NET", netLog).Loaded()) return 1;
  {
    TNetVorn& p = *h.netVorn;
    const int32_t general = p.Boards.FindBoardNo(1);
    const int32_t binary = p.Boards.FindBoardNo(3);
    const int32_t mail = p.Boards.FindBoardNo(p.MailBoardNo);
    if (binary >= 0) p.Boards.SetBoardAttr(binary, 1, 1, 0);
    QueueWrite(p, general, ArticleKindRoot, -1, {Cp932("新しい話題"), Cp932("本文です。"), ""});
    QueueWrite(p, general, ArticleKindRess, 101 - RebaseOffset,
               {Cp932("Re: はじめまして"), Cp932("> はじめまして"), Cp932("よろしく")});
    auto to = std::make_unique<TMailSendList>(false);
    to->AddRecipientId(1024);
    to->AddRecipientId(2048);
    QueueWrite(p, mail, ArticleKindMail, -1, {Cp932("オフ会"), Cp932("参加します")}, std::move(to));
    QueueWrite(p, binary, ArticleKindBinaryRoot, -1,
               {Cp932("データ"), p.BinaryFileHeader, "C:\\DATA\\TOOL.LZH", p.WriteFileHeader,
                "TOOL.LZH", Cp932("説明")});
    if (TArticleList* articles = p.Boards.GetArticles(binary)) {
      for (int32_t pos = 0; pos < articles->OrderCount(ArticleSortNormal); ++pos) {
        if (articles->GetWriteFlag(ArticleSortNormal, pos) == 0)
          articles->SetBatchFlag(ArticleSortNormal, pos, 1);
      }
    }
    MarkEverySecondRead(p);
    p.Members.Modified = 1;
    p.WriteUpFile(h.SetFile("NET.UP"));
    p.WritePadFile(h.SetFile("NET.PAD"));
    p.SaveReadPointers(h.SetFile("NET.PTR"));
    p.SaveLists(h.SetFile("NET.BRD"), h.SetFile("NET.MEM"));
    Seed("readback", "net-ptr", Selector(0, Scratch("NET.PTR")));
    Seed("readback", "net-up", Selector(1, Scratch("NET.UP")));
    Seed("readback", "net-pad", Selector(2, Scratch("NET.PAD")));
    Seed("listfiles", "net-boards", Selector(0, Scratch("NET.BRD")));
    Seed("listfiles", "net-members", Selector(1, Scratch("NET.MEM")));
  }

  // A Nifty-Serve session with a root, a reply and a mail.
  if (!h.LoadLog("NIF", nifLog).Loaded()) return 1;
  {
    TNifty& p = *h.nifty;
    int32_t forum = -1;
    for (int32_t b = 0; b < p.Boards.Count() && forum < 0; ++b) {
      if (!p.IsMailBox(b)) forum = b;
    }
    const int32_t mail = p.Boards.FindBoardId(p.MailBoardIndex);
    QueueWrite(p, forum, ArticleKindRoot, -1, {Cp932("質問です"), Cp932("よろしく")});
    QueueWrite(p, forum, ArticleKindRess, 211 - RebaseOffset,
               {Cp932("Re:メモリ増設について"), Cp932("了解です")});
    auto to = std::make_unique<TMailSendList>(true);
    to->AddRecipientText("DEF54321");
    QueueWrite(p, mail, ArticleKindMail, -1, {Cp932("お礼"), Cp932("ありがとう")}, std::move(to));
    MarkEverySecondRead(p);
    p.WritePadFile(h.SetFile("NIF.PAD"));
    p.SaveReadPointers(h.SetFile("NIF.PTR"));
    p.Members.Modified = 1;
    p.SaveLists(h.SetFile("NIF.BRD"), h.SetFile("NIF.MEM"));
    Seed("readback", "nif-pad", Selector(3, Scratch("NIF.PAD")));
    Seed("readback", "nif-ptr", Selector(4, Scratch("NIF.PTR")));
    Seed("listfiles", "nif-boards", Selector(0, Scratch("NIF.BRD")));
    Seed("listfiles", "nif-members", Selector(2, Scratch("NIF.MEM")));
  }
  std::printf("seeds written to %s\n", folder.c_str());
  return 0;
}
