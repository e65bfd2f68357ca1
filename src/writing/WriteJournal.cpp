#include "writing/WriteJournal.h"

#include <charconv>
#include <memory>
#include <set>
#include <unordered_map>

#include "analysis/BBSProcess.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"

namespace vorn {
namespace {

constexpr std::string_view kHeader = "VornExplorer Journal Ver.1";
constexpr std::string_view kEnd = "end";
// Boards at and above this number were met in a log without their number being settled: such a
// number means nothing to a later run, which finds the board by its key.
constexpr int32_t kNoInfoBoardNo = 2030000000;

// Tabs separate fields and CR LF ends lines; what is inside a field is escaped byte by byte,
// so the second byte of a double-byte character comes back as it was.
std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool Unescaped(std::string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      default:
        return false;
    }
  }
  return true;
}

class LineWriter {
 public:
  void Fields(std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (const std::string_view f : fields) {
      if (!first) text_ += '\t';
      first = false;
      text_ += Escaped(f);
    }
    text_ += "\r\n";
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

template <class T>
bool Number(const std::string& text, T& value, int base = 10) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  return ec == std::errc() && ptr == end && !text.empty();
}

uint64_t Fnv1a(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string Hex(uint64_t value) {
  char buf[17];
  const auto end = std::to_chars(buf, buf + sizeof buf, value, 16).ptr;
  return std::string(buf, end);
}

// The lines of the journal, each a list of unescaped fields; false for a file that was cut
// short or is not a journal.
bool ReadLines(std::string_view bytes, std::vector<std::vector<std::string>>& lines) {
  size_t start = 0;
  bool header = true;
  bool ended = false;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos || ended) return false;
    const std::string_view line = bytes.substr(start, end - start);
    start = end + 2;
    if (header) {
      if (line != kHeader) return false;
      header = false;
      continue;
    }
    if (line == kEnd) {
      ended = true;
      continue;
    }
    std::vector<std::string> fields = SplitFields(line);
    for (std::string& field : fields) {
      std::string plain;
      if (!Unescaped(field, plain)) return false;
      field = std::move(plain);
    }
    lines.push_back(std::move(fields));
  }
  return ended;
}

bool ParseWrite(const std::vector<std::vector<std::string>>& lines, size_t& i, JournalWrite& w) {
  const std::vector<std::string>& f = lines[i++];
  int32_t kind = 0, known = 0, textIds = 0;
  size_t to = 0, text = 0;
  if (f.size() != 9 || !Number(f[1], w.BoardNo) || !Number(f[3], kind) ||
      !Number(f[4], w.ParentKey) || !Number(f[5], known) || !Number(f[6], textIds) ||
      !Number(f[7], to) || !Number(f[8], text) || kind < ArticleKindRoot ||
      kind > ArticleKindBinaryMail || lines.size() - i < to + text)
    return false;
  w.BoardId = f[2];
  w.Kind = static_cast<uint8_t>(kind);
  w.Known = known != 0;
  w.TextIds = textIds != 0;
  for (size_t n = 0; n < to; ++n, ++i) {
    if (lines[i].size() != 2 || lines[i][0] != "to") return false;
    w.To.push_back(lines[i][1]);
  }
  for (size_t n = 0; n < text; ++n, ++i) {
    if (lines[i].size() != 2 || lines[i][0] != "text") return false;
    w.Text.push_back(lines[i][1]);
  }
  return !w.Text.empty();
}

TArticleList* BoardOf(TBBSProcess& bbs, const JournalWrite& w) {
  const int32_t board = w.BoardNo >= 0 && w.BoardNo < kNoInfoBoardNo
                            ? bbs.Boards.FindBoardNo(w.BoardNo)
                            : bbs.Boards.FindBoardId(w.BoardId);
  return board >= 0 && bbs.Boards.GetBoardId(board) == w.BoardId ? bbs.Boards.GetArticles(board)
                                                                 : nullptr;
}

// Drops every pending write and batch mark of the boards.
void DropPending(TBBSProcess& bbs, std::set<TArticleList*>& touched) {
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    TArticleList* articles = bbs.Boards.GetArticles(b);
    for (int32_t i = 0; articles && i < articles->Count(); ++i) {
      ArticleRecord& r = *articles->Entry(i);
      if (r.Used != 1) continue;
      if (r.WriteFlag == 1) {
        articles->SetArticleUsed(r.ArticleKey, r.PostTime, 0);
        touched.insert(articles);
      } else if (r.BatchFlag == 1) {
        r.BatchFlag = 0;
        articles->Modified = 1;
        ++articles->WriteChanges;
      }
    }
  }
}

// Sets a batch mark as reading back an UP file does: an article the logs lack gets a
// placeholder binary root of its own, so the request is kept and written out again.
void MarkBatch(TBBSProcess& bbs, TArticleList& articles, int32_t storedKey) {
  const int32_t position = articles.FindByKey(ArticleSortNormal, storedKey);
  if (position >= 0) {
    articles.SetBatchFlag(ArticleSortNormal, position, 1);
    return;
  }
  int32_t index = articles.FindArticle(storedKey, 0);
  if (index < 0) {
    articles.AddArticle(ArticleKindBinaryRoot, 0, storedKey, -1, 0, -1, -1, -1, -1, {}, {}, {}, {},
                        -1, -1);
    ++bbs.WriteArticleNo;
    index = articles.FindArticle(storedKey, 0);
  }
  if (ArticleRecord* r = articles.Entry(index)) {
    r->BatchFlag = 1;
    articles.Modified = 1;
    ++articles.WriteChanges;
  }
}

}  // namespace

std::string JournalWrite::Signature() const {
  std::string s = Batch ? "B" : "W";
  s += std::to_string(BoardNo) + '\t' + BoardId + '\t' + std::to_string(Kind) + '\t' +
       std::to_string(Batch ? Key : ParentKey);
  for (const std::string& id : To)
    s += "\tto " + id;
  for (const std::string& line : Text)
    s += "\n" + line;
  return s;
}

KnownFileState StateOfBytes(const std::string& path, std::string_view bytes) {
  return {path, bytes.size(), Fnv1a(bytes)};
}

std::vector<KnownFileState> KnownStates(const std::map<std::string, std::string>& known) {
  std::vector<KnownFileState> states;
  for (const auto& [path, bytes] : known)
    states.push_back(StateOfBytes(path, bytes));
  return states;
}

std::string FormatWriteJournal(const WriteJournalContent& c) {
  LineWriter out;
  out.Fields({kHeader});
  out.Fields({"set", c.System, c.Prefix});
  for (const std::string& log : c.Logs)
    out.Fields({"log", log});
  for (const KnownFileState& f : c.Files)
    out.Fields({"file", f.Path, std::to_string(f.Size), Hex(f.Hash)});
  for (const KnownFileState& f : c.NextFiles)
    out.Fields({"next", f.Path, std::to_string(f.Size), Hex(f.Hash)});
  for (const JournalWrite& w : c.Writes) {
    if (w.Batch) {
      out.Fields({"batch", std::to_string(w.BoardNo), w.BoardId, std::to_string(w.Key),
                  w.Known ? "1" : "0"});
      continue;
    }
    out.Fields({"write", std::to_string(w.BoardNo), w.BoardId, std::to_string(w.Kind),
                std::to_string(w.ParentKey), w.Known ? "1" : "0", w.TextIds ? "1" : "0",
                std::to_string(w.To.size()), std::to_string(w.Text.size())});
    for (const std::string& id : w.To)
      out.Fields({"to", id});
    for (const std::string& line : w.Text)
      out.Fields({"text", line});
  }
  for (const std::string& editor : c.Editors)
    out.Fields({"editor", editor});
  out.Fields({kEnd});
  return out.Take();
}

bool ParseWriteJournal(std::string_view bytes, WriteJournalContent& c) {
  c = {};
  std::vector<std::vector<std::string>> lines;
  if (!ReadLines(bytes, lines) || lines.empty()) return false;
  for (size_t i = 0; i < lines.size();) {
    const std::vector<std::string>& f = lines[i];
    if (f[0] == "set" && f.size() == 3 && i == 0) {
      c.System = f[1];
      c.Prefix = f[2];
      ++i;
    } else if (f[0] == "log" && f.size() == 2) {
      c.Logs.push_back(f[1]);
      ++i;
    } else if ((f[0] == "file" || f[0] == "next") && f.size() == 4) {
      KnownFileState state{f[1]};
      if (!Number(f[2], state.Size) || !Number(f[3], state.Hash, 16)) return false;
      (f[0] == "file" ? c.Files : c.NextFiles).push_back(std::move(state));
      ++i;
    } else if (f[0] == "editor" && f.size() == 2) {
      c.Editors.push_back(f[1]);
      ++i;
    } else if (f[0] == "batch" && f.size() == 5) {
      JournalWrite w;
      int32_t known = 0;
      w.Batch = true;
      w.BoardId = f[2];
      if (!Number(f[1], w.BoardNo) || !Number(f[3], w.Key) || !Number(f[4], known)) return false;
      w.Known = known != 0;
      c.Writes.push_back(std::move(w));
      ++i;
    } else if (f[0] == "write") {
      JournalWrite w;
      if (!ParseWrite(lines, i, w)) return false;
      c.Writes.push_back(std::move(w));
    } else {
      return false;
    }
  }
  return !c.System.empty();
}

std::vector<JournalWrite> PendingWrites(const TBBSProcess& bbs) {
  std::vector<JournalWrite> writes;
  const bool textIds = bbs.Members.TextIds != 0;
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    const TArticleList* articles = bbs.Boards.GetArticles(b);
    for (int32_t i = 0; articles && i < articles->Count(); ++i) {
      const ArticleRecord& r = *articles->Entry(i);
      if (r.Used != 1 || r.Kind == ArticleKindMissingRoot) continue;
      if (r.WriteFlag == 0 && r.BatchFlag == 0) continue;
      JournalWrite w;
      w.BoardNo = bbs.Boards.GetBoardNo(b);
      w.BoardId = bbs.Boards.GetBoardId(b);
      w.Kind = r.Kind;
      if (r.WriteFlag == 0) {
        // The key as a sorted board holds it (a placeholder of a batch mark has it so already).
        w.Batch = true;
        w.Key = r.Rebased || r.ArticleKey < 0 ? r.ArticleKey : r.ArticleKey - RebaseOffset;
        writes.push_back(std::move(w));
        continue;
      }
      w.ParentKey = r.ParentKey;
      w.TextIds = textIds;
      for (int32_t t = 0; r.MailTo() && t < r.MailTo()->Count(); ++t) {
        w.To.push_back(textIds ? TMailSendList::GetRecipientText(r.MailTo(), t)
                               : std::to_string(TMailSendList::GetRecipientId(r.MailTo(), t)));
      }
      if (r.Text()) w.Text = *r.Text();
      if (w.Text.empty()) w.Text.push_back(r.Title().Str());
      writes.push_back(std::move(w));
    }
  }
  return writes;
}

void MarkKnownWrites(std::vector<JournalWrite>& writes, const std::vector<std::string>& known) {
  std::unordered_map<std::string, int32_t> left;
  for (const std::string& s : known)
    ++left[s];
  for (JournalWrite& w : writes) {
    auto it = left.find(w.Signature());
    w.Known = it != left.end() && it->second > 0;
    if (w.Known) --it->second;
  }
}

RestoreResult RestoreWrites(TBBSProcess& bbs, const std::vector<JournalWrite>& writes,
                            bool replace) {
  RestoreResult result;
  std::set<TArticleList*> touched;
  if (replace) DropPending(bbs, touched);
  for (const JournalWrite& w : writes) {
    TArticleList* articles = BoardOf(bbs, w);
    if (!articles) {
      ++result.Unplaced;
      continue;
    }
    if (w.Batch) {
      MarkBatch(bbs, *articles, w.Key);
      touched.insert(articles);
      ++result.Restored;
      continue;
    }
    std::unique_ptr<TMailSendList> mailTo;
    if (!w.To.empty()) {
      mailTo = std::make_unique<TMailSendList>(w.TextIds);
      for (const std::string& id : w.To) {
        int32_t number = -1;
        if (w.TextIds) {
          mailTo->AddRecipientText(id);
        } else if (Number(id, number)) {
          mailTo->AddRecipientId(number);
        }
      }
    }
    // A key that a placeholder's article answers to is passed over: the write would replace it.
    while (articles->FindArticle(bbs.WriteArticleNo, 0) >= 0)
      ++bbs.WriteArticleNo;
    const bool added = articles->AddArticle(
        w.Kind, 1, bbs.WriteArticleNo, -1, 0, w.ParentKey, -1, -1, -1, {}, {}, w.Text.front(), {},
        -1, 1, std::make_unique<TStringList>(w.Text), std::move(mailTo));
    ++bbs.WriteArticleNo;
    if (!added) {
      ++result.Unplaced;
      continue;
    }
    touched.insert(articles);
    ++result.Restored;
  }
  for (TArticleList* articles : touched)
    articles->SortArticles();
  return result;
}

}  // namespace vorn
