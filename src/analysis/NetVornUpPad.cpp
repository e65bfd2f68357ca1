#include "analysis/NetVornUpPad.h"

#include <cstdint>
#include <memory>
#include <set>
#include <utility>

#include "analysis/NetVorn.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

// The line that ends every text in both files.
constexpr std::string_view kEndOfText = ".";
// The upload program reads at most this much of a path line.
constexpr size_t kMaxPadPathBytes = 1024;

// The number the host shows for a stored key: the rebasing undone, computed in 64 bits so that
// a key that was never rebased cannot overflow.
std::string HostNumber(int32_t storedKey, bool serial) {
  std::string text = serial ? "%" : "";
  text += std::to_string(int64_t{storedKey} + RebaseOffset);
  return text;
}

// An article number as the files hold it: decimal digits, after a '%' exactly when the BBS
// shows serial headers. Gives the stored (rebased) key.
bool ParseHostNumber(std::string_view text, bool serial, int32_t& storedKey) {
  if (serial) {
    if (text.empty() || text[0] != '%') return false;
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const int32_t number = TextToNumber(text);
  if (number < 0) return false;
  storedKey = number - RebaseOffset;
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Line 0 of a write's text is its title line; a write without text has its title alone.
std::string_view TitleLine(const ArticleRecord& r) {
  if (r.Text() && !r.Text()->empty()) return (*r.Text())[0];
  return r.Title().View();
}

// The key for the next write of a board. A log entry without a time (a batch placeholder) is
// found under the same raw key and time as the write numbered like its article, so such a
// number is passed over: the write would otherwise replace the placeholder.
int32_t NextWriteKey(TNetVorn& process, TArticleList& articles) {
  while (articles.FindArticle(process.WriteArticleNo, 0) >= 0)
    ++process.WriteArticleNo;
  return process.WriteArticleNo;
}

void SortBoards(TNetVorn& process, const std::set<int32_t>& boards) {
  for (const int32_t b : boards) {
    if (TArticleList* articles = process.Boards.GetArticles(b)) articles->SortArticles();
    Ui().ProcessMessages();
  }
}

// The UP file. The host takes several commands typed on one line, and the script relies on it:
// "S" (set the selected article for batch download) and "Q" (leave the board) are held back
// and typed in front of the next line produced, as in "S124" or "SQ\12".
class UpWriter {
 public:
  explicit UpWriter(const TNetVorn& process)
      : p_(process), serial_(process.Settings->SerialHeader) {}

  std::vector<std::string> Run() {
    const TBoardList& boards = p_.Boards;
    for (int32_t b = 0; b < boards.Count(); ++b) {
      const TArticleList* articles = boards.GetArticles(b);
      const bool articleBoard = boards.IsArticleBoard(b) != 0;
      bool any = false;
      const int32_t n = articles ? articles->OrderCount(ArticleSortNormal) : 0;
      for (int32_t pos = 0; pos < n; ++pos) {
        const ArticleRecord& r = *articles->GetArticle(ArticleSortNormal, pos);
        const bool taken =
            articleBoard ? ArticleBoardEntry(boards.GetBoardNo(b), any, r) : MailBoxEntry(r);
        any = any || taken;
      }
      if (!any && !held_.empty()) EmitWithHeld({});
      held_ = any && articleBoard ? "Q" : "";
    }
    if (heldBatch_ || !held_.empty()) EmitWithHeld({});
    return std::move(lines_);
  }

 private:
  // Roots, replies and batch marks of an article board; false when the entry is none of them.
  bool ArticleBoardEntry(int32_t boardNo, bool boardStarted, const ArticleRecord& r) {
    const bool write = r.WriteFlag == 1 && (r.Kind == ArticleKindRoot || r.Kind == ArticleKindRess);
    const bool batch = r.WriteFlag == 0 && r.BatchFlag == 1 &&
                       (r.Kind == ArticleKindBinaryRoot || r.Kind == ArticleKindBinaryRess);
    if (!write && !batch) return false;
    if (!boardStarted) EmitWithHeld("\\" + std::to_string(boardNo));
    if (batch) {
      EmitWithHeldBatch(HostNumber(r.ArticleKey, serial_));
      heldBatch_ = true;
      return true;
    }
    if (r.Kind == ArticleKindRess) {
      EmitWithHeldBatch(HostNumber(r.ParentKey, serial_));
      held_ = "P";
    } else {
      held_ = "W";
    }
    Text(r);
    return true;
  }

  // Every text write of the mail box is a mail; mail is written only from there.
  bool MailBoxEntry(const ArticleRecord& r) {
    if (r.WriteFlag != 1 ||
        (r.Kind != ArticleKindRoot && r.Kind != ArticleKindRess && r.Kind != ArticleKindMail))
      return false;
    EmitWithHeld("MW");
    for (int32_t i = 0; r.MailTo() && i < r.MailTo()->Count(); ++i)
      lines_.push_back(std::to_string(TMailSendList::GetRecipientId(r.MailTo(), i)));
    lines_.emplace_back();
    lines_.emplace_back();
    Text(r);
    return true;
  }

  // The title line with what is held back in front, the body, the end of the text and an empty
  // line.
  void Text(const ArticleRecord& r) {
    EmitWithHeld(TitleLine(r));
    if (r.Text()) {
      for (size_t l = 1; l < r.Text()->size(); ++l)
        lines_.push_back((*r.Text())[l]);
    }
    lines_.emplace_back(kEndOfText);
    lines_.emplace_back();
  }

  // The held-back "S" and command, then text; both are done with.
  void EmitWithHeld(std::string_view text) {
    std::string line = heldBatch_ ? "S" : "";
    line += held_;
    line += text;
    lines_.push_back(std::move(line));
    heldBatch_ = false;
    held_.clear();
  }
  // Only the held-back "S" goes in front of a number; a held-back command waits.
  void EmitWithHeldBatch(std::string_view text) {
    std::string line = heldBatch_ ? "S" : "";
    line += text;
    lines_.push_back(std::move(line));
    heldBatch_ = false;
  }

  const TNetVorn& p_;
  const bool serial_;
  std::vector<std::string> lines_;
  bool heldBatch_ = false;
  std::string held_;  // "", "W", "P" or "Q"
};

// Reads an UP file back: the forms the writer produces, and mail recipients each followed by an
// empty line or "Y".
class UpReader {
 public:
  explicit UpReader(TNetVorn& process) : p_(process), serial_(process.Settings->SerialHeader) {}

  // The writes and batch marks that found no place (their board or recipient is not among the
  // loaded data).
  int32_t Run(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      switch (mode_) {
        case Mode::Commands:
          Command(line);
          break;
        case Mode::Recipient:
        case Mode::AfterRecipient:
          RecipientLine(line);
          break;
        case Mode::Text:
          TextLine(line);
          break;
        case Mode::SkipMail:
          if (line == kEndOfText) mode_ = Mode::Commands;
          break;
      }
    }
    // A text still open at the end was cut off: it is not taken.
    SortBoards(p_, touched_);
    return unplaced_;
  }

 private:
  enum class Mode { Commands, Recipient, AfterRecipient, Text, SkipMail };

  TArticleList* Articles() const { return board_ >= 0 ? p_.Boards.GetArticles(board_) : nullptr; }

  void Command(std::string_view line) {
    if (line.empty()) return;
    // In a board the loaded data lacks the commands are followed all the same, so that its
    // texts are passed over as texts, not taken for commands.
    if ((board_ >= 0 || unknownBoard_) && BoardCommand(line)) return;
    ListCommand(line);
  }

  // The commands inside a board: a root, a reply, a batch mark, an article number. False when
  // the line is none of them.
  bool BoardCommand(std::string_view line) {
    switch (line[0]) {
      case 'W':
        if (selected_) {
          selected_ = false;
        } else if (line.size() > 1) {
          StartText(line.substr(1));
        }
        return true;
      case 'P':
        if (selected_ && line.size() > 1) StartText(line.substr(1));
        return true;
      case 'S':
        if (!selected_) return true;
        selected_ = false;
        MarkBatch(selectedKey_);
        // What follows was typed on the same line: the next number, a root ("SW" + title when a
        // root follows a batch mark), or a move to another board.
        if (line.size() > 1) Command(line.substr(1));
        return true;
      default:
        break;
    }
    int32_t key;
    if (!ParseHostNumber(line, serial_, key)) return false;
    selected_ = true;
    selectedKey_ = key;
    return true;
  }

  // Mail, leaving the board, going to a board.
  void ListCommand(std::string_view line) {
    if (line.size() >= 2 && (line[0] == 'M' || line[0] == 'm') &&
        (line[1] == 'W' || line[1] == 'w')) {
      board_ = p_.Boards.FindBoardNo(p_.MailBoardNo);
      unknownBoard_ = false;
      selected_ = false;
      recipients_ = std::make_unique<TMailSendList>(false);
      mode_ = Mode::Recipient;
      return;
    }
    if (line[0] == 'Q') {
      board_ = -1;
      unknownBoard_ = false;
      selected_ = false;
      if (line.size() >= 3) ListCommand(line.substr(1));
      return;
    }
    if (line[0] == '\\') {
      const int32_t number = TextToNumber(line.substr(1));
      if (number < 0 || number == p_.MailBoardNo) return;
      board_ = p_.Boards.FindBoardNo(number);
      unknownBoard_ = board_ < 0;
      selected_ = false;
    }
  }

  // The writer puts a mail's recipient IDs on consecutive lines and ends them with two empty
  // lines; an ID may also be followed by an empty line or "Y".
  void RecipientLine(std::string_view line) {
    if (line.empty()) {
      if (mode_ == Mode::AfterRecipient) {
        mode_ = Mode::Recipient;
      } else if (recipients_->Count() > 0) {
        mode_ = Mode::Text;
        mail_ = true;
        titlePending_ = true;
      } else {
        AbandonMail();
      }
      return;
    }
    if (mode_ == Mode::AfterRecipient && line == "Y") {
      mode_ = Mode::Recipient;
      return;
    }
    const int32_t id = TextToNumber(line);
    if (id < 0 || p_.Members.FindIdNo(id) < 0) {
      AbandonMail();
      return;
    }
    recipients_->AddRecipientId(id);
    mode_ = Mode::AfterRecipient;
  }

  // The mail's text lines are passed over up to its end, so that none of them is taken for a
  // command.
  void AbandonMail() {
    ++unplaced_;
    recipients_.reset();
    board_ = -1;
    mode_ = Mode::SkipMail;
  }

  void StartText(std::string_view title) {
    title_.assign(title);
    mail_ = false;
    titlePending_ = false;
    mode_ = Mode::Text;
  }

  void TextLine(const std::string& line) {
    if (line == kEndOfText) {
      EndOfText();
    } else if (titlePending_) {
      title_ = line;
      titlePending_ = false;
    } else {
      body_.push_back(line);
    }
  }

  void EndOfText() {
    if (TArticleList* articles = Articles()) {
      auto text = std::make_unique<TStringList>();
      text->reserve(body_.size() + 1);
      text->push_back(title_);
      for (std::string& line : body_)
        text->push_back(std::move(line));
      uint8_t kind = ArticleKindRoot;
      int32_t parent = -1;
      std::unique_ptr<TMailSendList> mailTo;
      if (mail_) {
        kind = ArticleKindMail;
        if (recipients_ && recipients_->Count() > 0) mailTo = std::move(recipients_);
      } else if (selected_) {
        kind = ArticleKindRess;
        parent = selectedKey_;
      }
      articles->AddArticle(kind, 1, NextWriteKey(p_, *articles), -1, 0, parent, -1, -1, -1, {}, {},
                           title_, {}, -1, 1, std::move(text), std::move(mailTo));
      touched_.insert(board_);
      ++p_.WriteArticleNo;
    } else {
      ++unplaced_;
    }
    if (mail_) board_ = -1;
    mail_ = titlePending_ = selected_ = false;
    title_.clear();
    body_.clear();
    recipients_.reset();
    mode_ = Mode::Commands;
  }

  // Sets the batch mark of the board's article with that stored key. An article the log did not
  // show gets a placeholder binary root, so the request is kept and written out again. Boards
  // are sorted only at the end, so placeholders added here are found in storage.
  void MarkBatch(int32_t storedKey) {
    TArticleList* articles = Articles();
    if (!articles) {
      ++unplaced_;
      return;
    }
    const int32_t position = articles->FindByKey(ArticleSortNormal, storedKey);
    if (position >= 0) {
      articles->SetBatchFlag(ArticleSortNormal, position, 1);
      return;
    }
    int32_t index = articles->FindArticle(storedKey, 0);
    if (index < 0) {
      articles->AddArticle(ArticleKindBinaryRoot, 0, storedKey, -1, 0, -1, -1, -1, -1, {}, {}, {},
                           {}, -1, -1);
      ++p_.WriteArticleNo;
      touched_.insert(board_);
      index = articles->FindArticle(storedKey, 0);
    }
    if (ArticleRecord* r = articles->Entry(index)) {
      r->BatchFlag = 1;
      articles->Modified = 1;
    }
  }

  TNetVorn& p_;
  const bool serial_;
  Mode mode_ = Mode::Commands;
  int32_t board_ = -1;         // index of the current board
  bool unknownBoard_ = false;  // a board the loaded data lacks is current
  int32_t unplaced_ = 0;
  bool selected_ = false;
  int32_t selectedKey_ = 0;  // stored form
  bool mail_ = false;
  bool titlePending_ = false;  // a mail's first text line is its title
  std::string title_;
  std::vector<std::string> body_;
  std::unique_ptr<TMailSendList> recipients_;
  std::set<int32_t> touched_;
};

}  // namespace

std::vector<std::string> NetVornUpLines(const TNetVorn& process) {
  return UpWriter(process).Run();
}

std::vector<std::string> NetVornPadLines(const TNetVorn& process) {
  const bool serial = process.Settings->SerialHeader;
  const std::string& fileHeader = process.BinaryFileHeader;
  const std::string& nameHeader = process.WriteFileHeader;
  const TBoardList& boards = process.Boards;
  std::vector<std::string> lines;
  bool batch = false;
  for (int32_t b = 0; b < boards.Count(); ++b) {
    const TArticleList* articles = boards.GetArticles(b);
    const int32_t n = articles ? articles->OrderCount(ArticleSortNormal) : 0;
    for (int32_t pos = 0; pos < n; ++pos) {
      const ArticleRecord& r = *articles->GetArticle(ArticleSortNormal, pos);
      if (r.WriteFlag == 0) {
        if (r.BatchFlag == 1 &&
            (r.Kind == ArticleKindBinaryRoot || r.Kind == ArticleKindBinaryRess))
          batch = true;
        continue;
      }
      if (r.Kind != ArticleKindBinaryRoot && r.Kind != ArticleKindBinaryRess &&
          r.Kind != ArticleKindBinaryMail)
        continue;
      const TStringList* text = r.Text();
      if (!text || text->size() < 3 || !StartsWith((*text)[1], fileHeader) ||
          !StartsWith((*text)[2], nameHeader))
        continue;
      if (r.Kind == ArticleKindBinaryMail) {
        // The upload program sends a binary mail to one member.
        if (TMailSendList::GetRecipientId(r.MailTo(), 0) < 0) continue;
        lines.emplace_back("*B");
        lines.push_back(std::to_string(TMailSendList::GetRecipientId(r.MailTo(), 0)));
      } else {
        std::string head = boards.GetBoardType(b) == 1 ? "*U" : "*UM";
        if (r.Kind == ArticleKindBinaryRess) head += 'F';
        lines.push_back(std::move(head));
        lines.push_back(std::to_string(boards.GetBoardNo(b)));
        if (r.Kind == ArticleKindBinaryRess) lines.push_back(HostNumber(r.ParentKey, serial));
      }
      lines.push_back((*text)[1].substr(fileHeader.size(), kMaxPadPathBytes));
      lines.push_back((*text)[2].substr(nameHeader.size(), kMaxPadPathBytes));
      lines.push_back((*text)[0]);
      for (size_t l = 3; l < text->size(); ++l)
        lines.push_back((*text)[l]);
      lines.emplace_back(kEndOfText);
    }
  }
  if (batch && process.Settings->PadFileBatchCommand) lines.emplace_back("*DB");
  return lines;
}

int32_t ReadNetVornUpLines(TNetVorn& process, const std::vector<std::string>& lines) {
  return UpReader(process).Run(lines);
}

int32_t ReadNetVornPadLines(TNetVorn& process, const std::vector<std::string>& lines) {
  const bool serial = process.Settings->SerialHeader;
  TBoardList& boards = process.Boards;
  std::set<int32_t> touched;
  int32_t unplaced = 0;
  const size_t n = lines.size();
  size_t i = 0;
  while (i < n) {
    const std::string& head = lines[i++];
    uint8_t kind;
    if (head == "*U" || head == "*UM") {
      kind = ArticleKindBinaryRoot;
    } else if (head == "*UF" || head == "*UMF") {
      kind = ArticleKindBinaryRess;
    } else if (head == "*B") {
      kind = ArticleKindBinaryMail;
    } else {
      continue;
    }
    if (i >= n) break;
    const std::string& target = lines[i++];
    int32_t board = -1;
    std::unique_ptr<TMailSendList> mailTo;
    if (kind == ArticleKindBinaryMail) {
      const int32_t id = TextToNumber(target);
      if (id >= 0 && process.Members.FindIdNo(id) >= 0) {
        board = boards.FindBoardNo(process.MailBoardNo);
        mailTo = std::make_unique<TMailSendList>(false);
        mailTo->AddRecipientId(id);
      }
    } else {
      const int32_t number = TextToNumber(target);
      const int32_t found = number >= 0 ? boards.FindBoardNo(number) : -1;
      const uint8_t type = boards.GetBoardType(found);
      if (found >= 0 && (type == 1 || type == 2)) board = found;
    }
    int32_t parent = -1;
    if (kind == ArticleKindBinaryRess) {
      if (i >= n) break;
      if (!ParseHostNumber(lines[i++], serial, parent)) board = -1;
    }
    // The file, the write-file name and the title, then the body up to the end of the text.
    if (n - i < 3) break;
    const size_t fields = i;
    size_t end = i + 3;
    while (end < n && lines[end] != kEndOfText)
      ++end;
    if (end == n) break;  // cut off before its end: the file is damaged from here on
    i = end + 1;
    TArticleList* articles = boards.GetArticles(board);
    if (!articles) {  // an invalid target: the whole record is passed over
      ++unplaced;
      continue;
    }
    auto text = std::make_unique<TStringList>();
    text->reserve(end - fields);
    text->push_back(lines[fields + 2]);
    text->push_back(process.BinaryFileHeader + lines[fields]);
    text->push_back(process.WriteFileHeader + lines[fields + 1]);
    for (size_t l = fields + 3; l < end; ++l)
      text->push_back(lines[l]);
    articles->AddArticle(kind, 1, NextWriteKey(process, *articles), -1, 0, parent, -1, -1, -1, {},
                         {}, lines[fields + 2], {}, -1, 1, std::move(text), std::move(mailTo));
    touched.insert(board);
    ++process.WriteArticleNo;
  }
  SortBoards(process, touched);
  return unplaced;
}

std::string DatedCopyPath(std::string_view path, std::string_view dateText) {
  const std::string whole(path);
  const size_t nameStart = whole.size() - ExtractFileName(whole).size();
  size_t dot = whole.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = whole.size();
  std::string dated = whole.substr(0, dot);
  dated += dateText;
  dated += whole.substr(dot);
  return dated;
}

}  // namespace vorn
