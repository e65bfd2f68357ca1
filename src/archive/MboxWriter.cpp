// One mbox file (mboxrd) per board: every article a message whose Message-ID, In-Reply-To and
// References follow the reply tree, so that a mail reader threads the board as the grid does.

#include <cstdint>
#include <cstdio>

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

// 64-bit FNV-1a: the same on every machine and in every run.
uint64_t TextHash(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The ID of a mail. The host numbers mails afresh in every capture, so the number says nothing
// across exports; what identifies a mail is when it was sent, by whom, and its title, and the
// same mail exported with other days, or again, keeps its ID.
std::string MailMessageId(const ArchiveArticle& mail, const std::string& domain) {
  std::string id = "<mail.";
  if (mail.Date) {
    char date[24];
    std::snprintf(date, sizeof date, "%04d%02d%02d%02d%02d%02d", mail.Date->Year, mail.Date->Month,
                  mail.Date->Day, mail.Date->Hour, mail.Date->Minute, mail.Date->Second);
    id += date;
  } else {
    id += "nodate";
  }
  id += '.';
  id += mail.Writer.empty() ? std::string("unknown") : AtomText(mail.Writer);
  char hash[24];
  std::snprintf(hash, sizeof hash, ".%016llx",
                static_cast<unsigned long long>(TextHash(mail.Title)));
  id += hash;
  id += "@" + domain + ">";
  return id;
}

bool IsMailKind(uint8_t kind) {
  return kind == ArticleKindMail || kind == ArticleKindBinaryMail;
}

}  // namespace

bool WriteMbox(ArchiveContext& context) {
  const std::string domain = MailDomain(context.Request.Prefix);
  ArchiveArticle article, other;
  std::string ids, body;
  std::vector<size_t> chain;
  std::vector<std::string_view> lines;
  for (const ArchiveBoardInfo& board : context.Boards) {
    const auto reader = context.Reader(board);
    if (!reader || reader->ArticleCount() == 0) continue;
    ++context.Result.Boards;
    ArchiveFile file;
    if (!file.Open(context.Folder, board.FileStem + ".mbox")) return context.Fail(file.Error());
    const std::string boardTag = BoardTag(board);
    const auto& entries = reader->Entries();
    auto messageId = [&](size_t entry) {
      if (!entries[entry].Placeholder) {
        reader->Read(entry, other);
        if (IsMailKind(other.Kind)) return MailMessageId(other, domain);
      }
      return "<" + reader->Tag(entry) + "." + boardTag + "@" + domain + ">";
    };
    const std::string boardHeader = context.Text.Utf8(board.Label);
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
      AppendAddressHeader("From", context.Text.Utf8(article.Handle), address, out);
      if (article.Date) AppendStructuredHeader("Date", MailDateText(*article.Date), out);
      AppendTextHeader("Subject", context.Text.Utf8(article.Title), out);
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

      // The body first: whether it can go as it is depends on its longest line.
      body.clear();
      ForEachLogLine(*context.Request.Log, article.BodyLine, article.LastLine,
                     [&](std::string_view text) {
                       context.Text.AppendLogLine(text, body);
                       body += '\n';
                     });
      lines.clear();
      bool fits = true;
      for (size_t from = 0, lf; from < body.size(); from = lf + 1) {
        lf = body.find('\n', from);
        lines.push_back(std::string_view(body).substr(from, lf - from));
        fits = fits && FitsMessageLine(lines.back());
      }
      out += "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\n";
      out += fits ? "Content-Transfer-Encoding: 8bit\n\n"
                  : "Content-Transfer-Encoding: quoted-printable\n\n";
      for (std::string_view line : lines) {
        if (fits) {
          AppendMboxBodyLine(line, out);
        } else {
          AppendQuotedPrintableLine(line, out);
        }
      }
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
