// One mbox file (mboxrd) per board: every article a message whose Message-ID, In-Reply-To and
// References follow the reply tree, so that a mail reader threads the board as the grid does.

#include "archive/ArchiveFile.h"
#include "archive/ArchiveWriters.h"
#include "archive/MailHeader.h"

namespace vorn {
namespace {

// At most this many ancestors are named in References: the nearest ones and the thread's top,
// which is what readers thread by; a chain of thousands would make every message of it huge.
constexpr int kReferencedAncestors = 10;

std::string MailDomain(std::string_view prefix) {
  std::string lower;
  for (char c : prefix)
    lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  const std::string atom = AtomText(lower);
  return (atom.empty() ? std::string("log") : atom) + ".bbs.invalid";
}

std::string BoardTag(const ArchiveBoardInfo& board) {
  std::string key = AtomText(board.Key);
  if (board.Number < 0) return key.empty() ? std::string("board") : key;
  return std::to_string(board.Number) + (key.empty() ? "" : "-" + key);
}

}  // namespace

bool WriteMbox(ArchiveContext& context) {
  const std::string domain = MailDomain(context.Request.Prefix);
  ArchiveArticle article;
  std::string utf8, ids, lineText;
  std::vector<size_t> chain;
  for (const ArchiveBoardInfo& board : context.Boards) {
    const auto reader = context.Reader(board);
    if (!reader || reader->ArticleCount() == 0) continue;
    ++context.Result.Boards;
    ArchiveFile file;
    if (!file.Open(context.Folder, board.FileStem + ".mbox")) return context.Fail(file.Error());
    const std::string boardTag = BoardTag(board);
    auto messageId = [&](size_t entry) {
      return "<" + reader->Tag(entry) + "." + boardTag + "@" + domain + ">";
    };
    const std::string boardHeader =
        std::to_string(board.Number) + ":" + VisibleHeaderText(context.Text.Utf8(board.Key));
    const auto& entries = reader->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!context.Step()) return false;
      if (entries[i].Placeholder) continue;
      reader->Read(i, article);
      std::string& out = file.Buffer();
      const std::string address =
          (article.Writer.empty() ? std::string("unknown") : AtomText(article.Writer)) + "@" +
          domain;
      out += "From ";
      out += address;
      out += ' ';
      out += article.Date ? MboxDateText(*article.Date) : "Thu Jan  1 00:00:00 1970";
      out += '\n';
      utf8.clear();
      context.Text.Append(article.Handle, utf8);
      AppendAddressHeader("From", VisibleHeaderText(utf8), address, out);
      if (article.Date) AppendStructuredHeader("Date", MailDateText(*article.Date), out);
      utf8.clear();
      context.Text.Append(article.Title, utf8);
      AppendTextHeader("Subject", VisibleHeaderText(utf8), out);
      AppendStructuredHeader("Message-ID", messageId(i), out);
      if (entries[i].Parent >= 0) {
        const size_t parent = static_cast<size_t>(entries[i].Parent);
        AppendStructuredHeader("In-Reply-To", messageId(parent), out);
        chain.clear();
        for (int32_t a = entries[i].Parent; a >= 0 && chain.size() < kReferencedAncestors;
             a = entries[static_cast<size_t>(a)].Parent)
          chain.push_back(static_cast<size_t>(a));
        const size_t top = static_cast<size_t>(entries[i].Top);
        ids.clear();
        if (chain.back() != top) ids = messageId(top);
        for (size_t k = chain.size(); k-- > 0;) {
          if (!ids.empty()) ids += ' ';
          ids += messageId(chain[k]);
        }
        AppendStructuredHeader("References", ids, out);
      }
      AppendTextHeader("X-Vorn-Board", boardHeader, out);
      AppendStructuredHeader("X-Vorn-Number", std::to_string(article.Number), out);
      out +=
          "MIME-Version: 1.0\n"
          "Content-Type: text/plain; charset=UTF-8\n"
          "Content-Transfer-Encoding: 8bit\n"
          "\n";
      ForEachLogLine(
          *context.Request.Log, article.BodyLine, article.LastLine, [&](std::string_view text) {
            lineText.clear();
            context.Text.AppendLogLine(text, lineText);
            // A line feed inside a log line starts a line of the message too.
            size_t from = 0;
            for (size_t lf; (lf = lineText.find('\n', from)) != std::string::npos; from = lf + 1)
              AppendMboxBodyLine(std::string_view(lineText).substr(from, lf - from), out);
            AppendMboxBodyLine(std::string_view(lineText).substr(from), out);
          });
      out += '\n';
      file.Written();
      ++context.Result.Articles;
      if (file.Failed()) return context.Fail(file.Error());
    }
    if (!context.Finish(file)) return false;
  }
  return true;
}

}  // namespace vorn
