// articles.jsonl: one JSON object a line for every article, reply and mail of the log, board
// after board in board-list order, each board in tree order.

#include <nlohmann/json.hpp>

#include "archive/ArchiveFile.h"
#include "archive/ArchiveWriters.h"

namespace vorn {

bool WriteJsonLines(ArchiveContext& context) {
  ArchiveFile file;
  if (!file.Open(context.Folder, "articles.jsonl")) return context.Fail(file.Error());
  // One object, its members set for every article: the keys keep their order and their
  // storage, so a line costs the values only.
  nlohmann::ordered_json line = {
      {"board", nullptr},  {"board_key", ""}, {"board_title", ""}, {"number", 0},
      {"parent", nullptr}, {"date", nullptr}, {"writer", nullptr}, {"handle", nullptr},
      {"title", ""},       {"kind", ""},      {"body", ""},
  };
  ArchiveArticle article;
  std::string body;
  for (const ArchiveBoardInfo& board : context.Boards) {
    const auto reader = context.Reader(board);
    if (!reader || reader->ArticleCount() == 0) continue;
    ++context.Result.Boards;
    // The host's number where it numbers its boards, else the board's label ("FBOOK:MES:20").
    if (board.Number >= 0) {
      line["board"] = board.Number;
    } else {
      line["board"] = context.Text.Utf8(board.Label);
    }
    line["board_key"] = context.Text.Utf8(board.Key);
    line["board_title"] = context.Text.Utf8(board.Title);
    const auto& entries = reader->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!context.Step()) return false;
      if (entries[i].Placeholder) continue;
      reader->Read(i, article);
      line["number"] = article.Number;
      if (entries[i].Parent >= 0) {
        line["parent"] = reader->NumberOf(static_cast<size_t>(entries[i].Parent));
      } else {
        line["parent"] = nullptr;
      }
      if (article.Date) {
        line["date"] = IsoDateText(*article.Date);
      } else {
        line["date"] = nullptr;
      }
      if (article.Writer.empty()) {
        line["writer"] = nullptr;
        line["handle"] = nullptr;
      } else {
        line["writer"] = context.Text.Utf8(article.Writer);
        line["handle"] = context.Text.Utf8(article.Handle);
      }
      line["title"] = context.Text.Utf8(article.Title);
      line["kind"] = ArticleKindName(article.Kind);
      body.clear();
      bool first = true;
      ForEachLogLine(*context.Request.Log, article.BodyLine, article.LastLine,
                     [&](std::string_view text) {
                       if (!first) body += '\n';
                       first = false;
                       context.Text.AppendLogLine(text, body);
                     });
      line["body"] = body;
      // Every text is valid UTF-8 by construction; replace keeps a slip from throwing.
      file.Buffer() += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      file.Buffer() += '\n';
      file.Written();
      ++context.Result.Articles;
      if (file.Failed()) return context.Fail(file.Error());
    }
  }
  return context.Finish(file);
}

}  // namespace vorn
