#include "writing/ReadMarkJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

constexpr std::string_view kHeader = "VornExplorer ReadMarks Ver.1";
constexpr std::string_view kPointerFile = "ptr ";

int64_t Restored(int32_t stored, uint8_t rebased) {
  return rebased ? int64_t{stored} + RebaseOffset : int64_t{stored};
}

// Time first: the order a sorted board keeps its entries in.
uint64_t Identity(int64_t key, int64_t time) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(time)) << 32) | static_cast<uint32_t>(key);
}

bool SyncFolderOf(const std::string& path) {
  std::string folder = ExtractFilePath(path);
  if (folder.empty()) folder = ".";
  const int fd = ::open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool AppendDurably(const std::string& path, std::string_view bytes) {
  const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool ok = true;
  while (ok && !bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) bytes.remove_prefix(static_cast<size_t>(n));
  }
  ok = ok && ::fdatasync(fd) == 0;
  ::close(fd);
  return ok;
}

void EntryLine(std::string& out, bool read, bool mailBox, uint64_t identity) {
  out += read ? '+' : '-';
  if (!mailBox) out += std::to_string(identity & 0xFFFFFFFFu) + '/';
  out += std::to_string(identity >> 32);
  out += "\r\n";
}

bool EntryOf(std::string_view text, ReadMarkChange& change) {
  if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) return false;
  change.read = text[0] == '+';
  text.remove_prefix(1);
  const size_t slash = text.find('/');
  auto number = [](std::string_view digits, int64_t& value) {
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && ptr == digits.data() + digits.size() && value >= 0;
  };
  if (slash == std::string_view::npos) {
    change.key = -1;
    return number(text, change.time);
  }
  return number(text.substr(0, slash), change.key) && number(text.substr(slash + 1), change.time);
}

}  // namespace

bool WriteJournalFile(const std::string& path, std::string_view bytes) {
  if (!WriteFileAtomic(path, bytes)) return false;
  SyncFolderOf(path);
  return true;
}

TReadMarkJournal::Board TReadMarkJournal::Look(const TBBSProcess& bbs, int32_t board) {
  Board look;
  const TArticleList* articles = bbs.Boards.GetArticles(board);
  if (!articles) return look;
  look.seen = articles->ReadMarkChanges;
  look.mailBox = bbs.IsMailBox(board);
  // The stored entries, not an order: a board may be in the middle of its sorting.
  for (int32_t i = 0; i < articles->Count(); ++i) {
    const ArticleRecord& r = *articles->Entry(i);
    if (r.Used != 1 || r.WriteFlag != 0 || r.Kind == ArticleKindMissingRoot || r.ReadFlag == 0)
      continue;
    const int64_t time = Restored(r.PostTime, r.Rebased);
    const int64_t key = Restored(r.ArticleKey, r.Rebased);
    // What the read-pointer file cannot name is not journalled either.
    if (time < 0 || (!look.mailBox && key < 0)) continue;
    look.read.push_back(look.mailBox ? Identity(0, time) : Identity(key, time));
  }
  // A board in the middle of its sorting, or not sorted yet, is put in order here.
  if (!std::is_sorted(look.read.begin(), look.read.end()))
    std::sort(look.read.begin(), look.read.end());
  return look;
}

std::string TReadMarkJournal::Header(const std::string& pointerFile) {
  std::string text(kHeader);
  text += "\r\n";
  text += kPointerFile;
  text += pointerFile;
  text += "\r\n";
  return text;
}

bool TReadMarkJournal::Begin(const TBBSProcess& bbs, const std::string& path,
                             const std::string& pointerFile) {
  Close();
  if (!WriteJournalFile(path, Header(pointerFile))) return false;
  path_ = path;
  pointerFile_ = pointerFile;
  Rebase(bbs);
  return true;
}

void TReadMarkJournal::Rebase(const TBBSProcess& bbs) {
  boards_.clear();
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    if (const TArticleList* articles = bbs.Boards.GetArticles(b)) boards_[articles] = Look(bbs, b);
  }
}

bool TReadMarkJournal::Flush(const TBBSProcess& bbs) {
  if (!Open()) return true;
  std::string text;
  for (int32_t b = 0; b < bbs.Boards.Count(); ++b) {
    const TArticleList* articles = bbs.Boards.GetArticles(b);
    if (!articles) continue;
    auto known = boards_.find(articles);
    if (known == boards_.end()) {
      // A board that came with no load of its own holds nothing the pointer file lacks.
      boards_[articles] = Look(bbs, b);
      continue;
    }
    Board& before = known->second;
    if (before.seen == articles->ReadMarkChanges) continue;
    Board now = Look(bbs, b);
    std::string lines;
    auto note = [&](uint64_t identity, int32_t was, int32_t is) {
      if (now.mailBox) {
        for (int32_t n = was; n < is; ++n)
          EntryLine(lines, true, true, identity);
        for (int32_t n = is; n < was; ++n)
          EntryLine(lines, false, true, identity);
      } else if ((was > 0) != (is > 0)) {
        EntryLine(lines, is > 0, false, identity);
      }
    };
    // Both looks in order, side by side: each identity with how many it had and has.
    const std::vector<uint64_t>& was = before.read;
    const std::vector<uint64_t>& is = now.read;
    for (size_t w = 0, i = 0; w < was.size() || i < is.size();) {
      const uint64_t identity =
          i == is.size() || (w < was.size() && was[w] < is[i]) ? was[w] : is[i];
      int32_t wasCount = 0, isCount = 0;
      for (; w < was.size() && was[w] == identity; ++w)
        ++wasCount;
      for (; i < is.size() && is[i] == identity; ++i)
        ++isCount;
      note(identity, wasCount, isCount);
    }
    before = std::move(now);
    if (lines.empty()) continue;
    const int32_t number = bbs.Boards.GetBoardNo(b);
    text += "\\" + (number >= 0 ? std::to_string(number) : bbs.Boards.GetBoardId(b)) + "\r\n";
    text += lines;
  }
  if (text.empty() || AppendDurably(path_, text)) return true;
  // A file someone removed is begun again with what is new.
  return !FileExists(path_) && WriteJournalFile(path_, Header(pointerFile_) + text);
}

void TReadMarkJournal::Close() {
  path_.clear();
  pointerFile_.clear();
  boards_.clear();
}

bool ReadReadMarkJournal(const std::string& path, ReadMarkJournalFile& file) {
  file = {};
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  std::string_view rest = bytes;
  std::string board;
  bool header = true;
  bool named = false;
  // Only whole lines: what follows the last line end was cut short by a crash.
  for (size_t end; (end = rest.find("\r\n")) != std::string_view::npos;
       rest.remove_prefix(end + 2)) {
    const std::string_view line = rest.substr(0, end);
    if (header) {
      if (line != kHeader) return false;
      header = false;
    } else if (!named) {
      if (!line.starts_with(kPointerFile)) return false;
      file.PointerFile = std::string(line.substr(kPointerFile.size()));
      named = true;
    } else if (line.size() > 1 && line[0] == '\\') {
      board = std::string(line.substr(1));
    } else {
      ReadMarkChange change;
      if (board.empty() || !EntryOf(line, change)) return false;
      change.board = board;
      file.Changes.push_back(std::move(change));
    }
  }
  return named;
}

}  // namespace vorn
