#include "analysis/BBSProcess.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "analysis/LogReadWorkers.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "store/ArticleSort.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// Sorting stores keys and times of log entries reduced by RebaseOffset; the file holds them as
// the log gave them. Computed in 64 bits: a raw time plus the offset does not fit 32.
int64_t Restored(int32_t stored, uint8_t rebased) {
  return rebased ? int64_t{stored} + RebaseOffset : int64_t{stored};
}

// A decimal number of the file: TextToNumber's reading, negative and unreadable values refused.
bool FileNumber(std::string_view text, int32_t& value) {
  value = TextToNumber(text);
  return value >= 0;
}

// One article line of the file: "key/time" for an ordinary board, "time" (key -1) for the mail
// box, whose mails are counted afresh in every run and known by their time alone.
struct PointerEntry {
  int64_t time;
  int64_t key;
  bool operator<(const PointerEntry& other) const {
    return time != other.time ? time < other.time : key < other.key;
  }
};

// The lines under one board line of the file, as the loading reads them: lines of the other
// form, and lines that do not convert, are left out.
struct PointerSection {
  std::string board;  // the text after the backslash
  std::vector<PointerEntry> entries;
};

uint64_t PairKey(int64_t key, int64_t time) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(key)) << 32) | static_cast<uint32_t>(time);
}

enum class PointerFile { Read, Missing, Foreign };

// An entry line as the file is written: "key/time", or "time" for the mail box.
bool WrittenAsItStands(std::string_view line, const PointerEntry& e) {
  const std::string time = std::to_string(e.time);
  if (e.key < 0) return line == time;
  const std::string key = std::to_string(e.key);
  return line.size() == key.size() + 1 + time.size() && line.starts_with(key) &&
         line[key.size()] == '/' && line.ends_with(time);
}

// Reads the file's sections in file order. Missing also covers an empty or unreadable file.
// understood tells whether writing the sections back would give every line as it stands.
PointerFile ReadPointerFile(const std::string& path, std::vector<PointerSection>& sections,
                            UserFileText& file, bool& understood) {
  sections.clear();
  understood = true;
  if (path.empty() || !file.Read(path) || file.Bytes.empty()) return PointerFile::Missing;
  bool first = true, foreign = false;
  PointerSection* current = nullptr;
  file.ForEachLine([&](std::string_view line) {
    if (foreign) return;
    if (first) {
      first = false;
      foreign = line != ReadPtrFileHeader;
      return;
    }
    if (line.size() > 1 && line[0] == '\\') {
      sections.push_back({std::string(line.substr(1)), {}});
      current = &sections.back();
      // A board number is written back in its plain decimal form.
      const int32_t number = TextToNumber(current->board);
      if (number >= 0 && std::to_string(number) != current->board) understood = false;
      return;
    }
    int32_t key, time;
    const size_t slash = line.find('/');
    bool read = false;
    if (!current) {
    } else if (slash == std::string_view::npos) {
      read = FileNumber(line, time);
      if (read) current->entries.push_back({time, -1});
    } else if (slash != 0 && slash + 1 != line.size() && FileNumber(line.substr(0, slash), key) &&
               FileNumber(line.substr(slash + 1), time)) {
      read = true;
      current->entries.push_back({time, key});
    }
    if (!read || !WrittenAsItStands(line, current->entries.back())) understood = false;
  });
  if (first) return PointerFile::Missing;
  return foreign ? PointerFile::Foreign : PointerFile::Read;
}

// The board a board line names, as the loading finds it: a number of 0 or more, otherwise a
// key; -1 when the board list has none.
int32_t BoardOfLine(const TBoardList& boards, const std::string& text) {
  const int32_t number = TextToNumber(text);
  return number >= 0 ? boards.FindBoardNo(number) : boards.FindBoardId(text);
}

void AddEntryLine(CrLfTextBuilder& out, const PointerEntry& e) {
  // Two numbers of at most 20 digits and the slash.
  char buf[48];
  size_t n = 0;
  if (e.key >= 0) {
    n = static_cast<size_t>(std::to_chars(buf, buf + 24, e.key).ptr - buf);
    buf[n++] = '/';
  }
  n = static_cast<size_t>(std::to_chars(buf + n, buf + sizeof buf, e.time).ptr - buf);
  out.Line(std::string_view(buf, n));
}

}  // namespace

TBBSProcess::TBBSProcess(std::unique_ptr<TBBSIniFile> iniFile, bool textIds)
    : IniFile(iniFile.get()),
      InfoDialogTitle(Cp932("システムメッセージ")),
      Members(textIds),
      ownedIniFile_(std::move(iniFile)) {}

TBBSProcess::~TBBSProcess() = default;

void TBBSProcess::NoteUnplacedWrites(const std::string& path, int32_t unplaced, bool upFile) {
  if (unplaced <= 0) return;
  OutputFilesKnown[path].clear();
  Ui().Warning(Cp932(upFile ? "UPファイル" : "PADファイル") + Cp932("の書込みのうち") +
               std::to_string(unplaced) +
               Cp932("件は、読込んだログにないボードかIDにあてたものなので読込めませんでした\r"
                     "このファイルは次に書込むとき別の名前で残します"));
}

std::string TBBSProcess::WalkSettingsKey() const {
  WalkStateWriter key;
  if (!IniFile) return {};
  const TBBSIniFile& s = *IniFile;
  key.Int(s.ItemCount());
  for (int i = 0; i < s.ItemCount(); ++i)
    key.Text(s.ItemPattern(i));
  key.Int(s.SerialHeader);
  key.Int(s.Mente);
  key.Text(s.LogEndLine);
  key.Int(MailBoardNo);
  key.Text(MailBoardIndex);
  return std::move(key.Out());
}

void TBBSProcess::SortBoardArticles() {
  std::vector<TArticleList*> lists;
  lists.reserve(static_cast<size_t>(Boards.Count()));
  for (int32_t b = 0; b < Boards.Count(); ++b)
    lists.push_back(Boards.GetArticles(b));
  // More threads than cores only take turns.
  ArticleSorter::SortAll(lists, DefaultReadThreads(AnalysisThreads));
}

void TBBSProcess::ClearData() {
  Boards.Clear();
  Members.Clear();
  OutputFilesKnown.clear();
}

bool TBBSProcess::LoadLists(const std::string& BoardListFile, const std::string& MemberListFile) {
  const bool boards = Boards.LoadFromFile(BoardListFile);
  const bool members = Members.LoadFromFile(MemberListFile);
  return boards && members;
}

bool TBBSProcess::SaveLists(const std::string& BoardListFile, const std::string& MemberListFile) {
  const bool boards = Boards.SaveToFile(BoardListFile);
  const bool members = Members.SaveToFile(MemberListFile);
  return boards && members;
}

bool TBBSProcess::IsMailBox(int32_t BoardIndex) const {
  if (BoardIndex < 0 || BoardIndex >= Boards.Count()) return false;
  const int32_t number = Boards.GetBoardNo(BoardIndex);
  if (number >= 0) return number == MailBoardNo;
  return Boards.GetBoardId(BoardIndex) == MailBoardIndex;
}

// The file is the reading of years, of far more logs than one run loads. The articles loaded
// now are written as they stand (read or not); every entry of the old file whose article is not
// loaded is kept. Each board's lines stay in (time, key) order, merged in one pass.
bool TBBSProcess::SaveReadPointers(const std::string& ReadPtrFile) {
  std::vector<PointerSection> old;
  UserFileText oldFile;
  bool understood = false;
  // A file of another kind was kept aside when it was loaded; nothing of it is written back.
  const bool oldRead = ReadPointerFile(ReadPtrFile, old, oldFile, understood) == PointerFile::Read;
  // The old lines of each board of the list, and the boards the list does not hold.
  std::vector<std::vector<const PointerSection*>> oldOfBoard(static_cast<size_t>(Boards.Count()));
  std::vector<const PointerSection*> unknownBoards;
  for (const PointerSection& section : old) {
    const int32_t index = BoardOfLine(Boards, section.board);
    if (index >= 0) {
      oldOfBoard[static_cast<size_t>(index)].push_back(&section);
    } else if (!section.entries.empty()) {
      unknownBoards.push_back(&section);
    }
  }

  CrLfTextBuilder out;
  bool any = false;
  auto boardLine = [&](const std::string& text) {
    if (!any) out.Line(ReadPtrFileHeader);
    any = true;
    out.Line("\\" + text);
  };
  std::vector<PointerEntry> read, kept;
  for (int32_t b = 0; b < Boards.Count(); ++b) {
    const TArticleList* articles = Boards.GetArticles(b);
    const bool mailBox = IsMailBox(b);
    read.clear();
    kept.clear();
    // Per board, so that a big board's table is not walked again to empty it for every other.
    std::unordered_set<uint64_t> loaded;
    std::unordered_map<int64_t, int32_t> loadedMails;
    const int32_t n = articles ? articles->OrderCount(ArticleSortNormal) : 0;
    const bool hasOld = !oldOfBoard[static_cast<size_t>(b)].empty();
    if (hasOld && !mailBox) loaded.reserve(static_cast<size_t>(n));
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, p);
      if (!r || r->WriteFlag != 0) continue;
      const int64_t time = Restored(r->PostTime, r->Rebased);
      const int64_t key = mailBox ? -1 : Restored(r->ArticleKey, r->Rebased);
      if (r->ReadFlag == 1) read.push_back({time, key});
      if (!hasOld) continue;
      if (mailBox) {
        ++loadedMails[time];
      } else {
        loaded.insert(PairKey(key, time));
      }
    }
    // Old lines of articles not loaded. A line of the mail box stands for one mail of its
    // minute: as many as the minute has loaded mails are answered by them.
    for (const PointerSection* section : oldOfBoard[static_cast<size_t>(b)]) {
      for (const PointerEntry& e : section->entries) {
        if ((e.key < 0) != mailBox) {
          understood = false;  // a line of the other form, which is not written back
          continue;
        }
        if (mailBox) {
          auto found = loadedMails.find(e.time);
          if (found != loadedMails.end() && found->second > 0) {
            --found->second;
            continue;
          }
        } else if (!loaded.insert(PairKey(e.key, e.time)).second) {
          continue;  // loaded, or a line given twice
        }
        kept.push_back(e);
      }
    }
    if (read.empty() && kept.empty()) continue;
    // A file this program wrote holds each board in order already; only an edited one is
    // sorted here.
    if (!std::is_sorted(kept.begin(), kept.end())) std::stable_sort(kept.begin(), kept.end());
    const int32_t number = Boards.GetBoardNo(b);
    boardLine(number >= 0 ? std::to_string(number) : Boards.GetBoardId(b));
    size_t i = 0, k = 0;
    while (i < read.size() || k < kept.size()) {
      const bool fromRead = k == kept.size() || (i < read.size() && !(kept[k] < read[i]));
      AddEntryLine(out, fromRead ? read[i++] : kept[k++]);
    }
  }
  // Boards the list no longer holds keep their lines too.
  for (const PointerSection* section : unknownBoards) {
    boardLine(section->board);
    for (const PointerEntry& e : section->entries)
      AddEntryLine(out, e);
  }
  if (oldRead) oldFile.Note(ReadPtrFile, understood);
  if (any) return WriteUserFile(ReadPtrFile, out.Data());
  // Nothing is read: an old file would mark articles read that the user has since marked
  // unread.
  return RemoveUserFile(ReadPtrFile);
}

bool TBBSProcess::LoadReadPointers(const std::string& ReadPtrFile) {
  if (ReadPtrFile.empty()) return false;
  std::vector<PointerSection> sections;
  UserFileText file;
  bool understood = false;
  const PointerFile read = ReadPointerFile(ReadPtrFile, sections, file, understood);
  if (read == PointerFile::Foreign) {
    // The end of the run would write a fresh file over it: the user's file is kept first.
    KeepUserFileNotUnderstood(ReadPtrFile);
    return false;
  }
  if (read == PointerFile::Read) file.Note(ReadPtrFile, understood);

  // Mail keys are counted afresh in every run, so a mail is known by its time alone. Mails of
  // the same minute share a time: each line of that time marks the latest mail of it that is
  // still unread, so that n lines restore n read mails. Positions by time, ascending.
  std::unordered_map<int64_t, std::vector<int32_t>> mailsByTime;
  for (const PointerSection& section : sections) {
    const int32_t index = BoardOfLine(Boards, section.board);
    TArticleList* articles = index >= 0 ? Boards.GetArticles(index) : nullptr;
    if (!articles) continue;
    if (!IsMailBox(index)) {
      for (const PointerEntry& e : section.entries) {
        if (e.key >= 0) {
          articles->SetReadFlagByKey(static_cast<int32_t>(e.key), static_cast<int32_t>(e.time), 1,
                                     true);
        }
      }
      continue;
    }
    mailsByTime.clear();
    const int32_t n = articles->OrderCount(ArticleSortNormal);
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* r = articles->GetArticle(ArticleSortNormal, p);
      mailsByTime[Restored(r->PostTime, r->Rebased)].push_back(p);
    }
    for (const PointerEntry& e : section.entries) {
      if (e.key >= 0) continue;
      auto found = mailsByTime.find(e.time);
      if (found == mailsByTime.end()) continue;
      std::vector<int32_t>& positions = found->second;
      while (!positions.empty() && articles->GetReadFlag(ArticleSortNormal, positions.back()) != 0)
        positions.pop_back();
      if (positions.empty()) continue;
      articles->SetReadFlag(ArticleSortNormal, positions.back(), 1, true);
      positions.pop_back();
    }
  }
  return true;
}

bool ApplyReadMarkChanges(const std::string& ReadPtrFile,
                          const std::vector<ReadMarkChange>& changes) {
  std::vector<PointerSection> sections;
  UserFileText file;
  bool understood = false;
  const PointerFile read = ReadPointerFile(ReadPtrFile, sections, file, understood);
  if (read == PointerFile::Foreign) return false;
  if (read == PointerFile::Read) file.Note(ReadPtrFile, understood);
  // A board line names its board by number or by key, as the loading reads it.
  auto boardKey = [](const std::string& text) {
    const int32_t number = TextToNumber(text);
    return number >= 0 ? "#" + std::to_string(number) : "=" + text;
  };
  std::map<std::string, size_t> sectionOf;
  for (size_t i = 0; i < sections.size(); ++i)
    sectionOf.emplace(boardKey(sections[i].board), i);
  // The sections changed, each as an ordered multiset (the mail box holds a time once per mail).
  std::map<size_t, std::multiset<PointerEntry>> changed;
  for (const ReadMarkChange& c : changes) {
    auto [at, added] = sectionOf.emplace(boardKey(c.board), sections.size());
    if (added) sections.push_back({c.board, {}});
    auto [entries, first] = changed.try_emplace(at->second);
    if (first)
      entries->second.insert(sections[at->second].entries.begin(),
                             sections[at->second].entries.end());
    const PointerEntry e{c.time, c.key < 0 ? -1 : c.key};
    const auto found = entries->second.find(e);
    if (c.read && (found == entries->second.end() || e.key < 0)) {
      entries->second.insert(e);
    } else if (!c.read && found != entries->second.end()) {
      if (e.key < 0) {
        entries->second.erase(found);
      } else {
        entries->second.erase(e);
      }
    }
  }
  for (auto& [index, entries] : changed)
    sections[index].entries.assign(entries.begin(), entries.end());

  CrLfTextBuilder out;
  bool any = false;
  for (const PointerSection& section : sections) {
    if (section.entries.empty()) continue;
    if (!any) out.Line(ReadPtrFileHeader);
    any = true;
    out.Line("\\" + section.board);
    for (const PointerEntry& e : section.entries)
      AddEntryLine(out, e);
  }
  return any ? WriteUserFile(ReadPtrFile, out.Data()) : RemoveUserFile(ReadPtrFile);
}

std::string TBBSProcess::GetBoardName(int32_t BoardIndex) const {
  return Boards.GetBoardId(BoardIndex);
}

std::string TBBSProcess::FindWriterHandle(const std::vector<std::string>&) const {
  return {};
}

void PrepareLineText(std::string_view line, std::string& text) {
  text.clear();
  const size_t n = line.size();
  if (n == 0 || std::memchr(line.data(), 0x1B, n) == nullptr) {
    text.reserve(n + 1);
    text.append(line);
    text.push_back('\r');
    return;
  }
  text.reserve(n + 1);
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (IsLeadByte(c)) {
      // The byte after a lead byte belongs to its character, even an ESC.
      const size_t len = i + 1 < n ? 2 : 1;
      text.append(line.data() + i, len);
      i += len;
    } else if (c != 0x1B) {
      text.push_back(static_cast<char>(c));
      ++i;
    } else if (i + 1 < n && line[i + 1] == '[') {
      // Parameter and intermediate bytes, then one final byte; a byte that cannot belong to
      // the sequence ends it and is kept.
      size_t j = i + 2;
      while (j < n && static_cast<unsigned char>(line[j]) >= 0x20 &&
             static_cast<unsigned char>(line[j]) <= 0x3F)
        ++j;
      if (j < n && static_cast<unsigned char>(line[j]) >= 0x40 &&
          static_cast<unsigned char>(line[j]) <= 0x7E)
        ++j;
      i = j;
    } else {
      ++i;
    }
  }
  text.push_back('\r');
}

}  // namespace vorn
