#include "store/BoardList.h"

#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/CommaText.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

constexpr int32_t kBoardChunkBytes = 10240;
constexpr const char* kHeader = "VornExplorer BoardListFile Ver.0.01";

const BoardRecord& AsBoard(const char* p) {
  return *reinterpret_cast<const BoardRecord*>(p);
}

std::string_view Stored31(std::string_view text) {
  return text.substr(0, 31);
}

// A board's line of the file.
std::string BoardFileLine(const BoardRecord& b) {
  return std::to_string(b.BoardNo) + "," + QuotedField(b.BoardId.View()) + "," +
         QuotedField(b.BoardTitle.View()) + "," + std::to_string(b.IsArticleBoard) + "," +
         std::to_string(b.BoardType) + "," + std::to_string(b.BoardAttr);
}

}  // namespace

TBoardList::TBoardList() : TMiniList(kBoardChunkBytes, sizeof(BoardRecord)) {}

TBoardList::~TBoardList() {
  FreeArticles();
}

void TBoardList::FreeArticles() {
  for (int32_t i = 0; i < Count(); ++i) {
    delete Board(i)->Articles;
    Board(i)->Articles = nullptr;
  }
}

void TBoardList::Clear() {
  FreeArticles();
  TMiniList::Clear();
  ForgetIndex();
  MemoryReported = 0;
}

void TBoardList::Swap(TBoardList& other) {
  SwapRecords(other);
  std::swap(MemoryReported, other.MemoryReported);
  // Each index described the other list's records now.
  ForgetIndex();
  other.ForgetIndex();
}

void TBoardList::RestoreBoards(const std::vector<char>& copy) {
  for (int32_t i = static_cast<int32_t>(copy.size() / sizeof(BoardRecord)); i < Count(); ++i) {
    delete Board(i)->Articles;
    Board(i)->Articles = nullptr;
  }
  RestoreRecords(copy);
  // The index may name boards that are gone, or miss ones that came back.
  ForgetIndex();
}

void TBoardList::ForgetIndex() const {
  if (numbersIndexed_ > 0) byNumber_.clear();
  if (idsIndexed_ > 0 || !staleIds_.empty()) {
    byId_.clear();
    staleIds_.clear();
  }
  numbersIndexed_ = 0;
  idsIndexed_ = 0;
}

void TBoardList::CatchUpNumbers() const {
  if (numbersIndexed_ == 0) byNumber_.reserve(static_cast<size_t>(Count()));
  for (; numbersIndexed_ < Count(); ++numbersIndexed_)
    byNumber_.try_emplace(Board(numbersIndexed_)->BoardNo, numbersIndexed_);
}

void TBoardList::CatchUpIds() const {
  if (idsIndexed_ == 0) byId_.reserve(static_cast<size_t>(Count()));
  for (; idsIndexed_ < Count(); ++idsIndexed_) {
    std::string id = Board(idsIndexed_)->BoardId.Str();
    if (!staleIds_.empty() && staleIds_.count(id)) continue;
    byId_.try_emplace(std::move(id), idsIndexed_);
  }
}

void TBoardList::IdReplaced(int32_t index, const std::string& old) const {
  // Boards the index has not reached yet are taken as they are when it does.
  if (index >= idsIndexed_) return;
  const auto was = byId_.find(old);
  if (was != byId_.end() && was->second == index) {
    byId_.erase(was);
    staleIds_.insert(old);
  }
  const std::string now = Board(index)->BoardId.Str();
  if (staleIds_.count(now)) return;
  const auto [at, added] = byId_.try_emplace(now, index);
  if (!added && at->second > index) at->second = index;
}

int32_t TBoardList::FindBoardNo(int32_t number) const {
  try {
    CatchUpNumbers();
    const auto found = byNumber_.find(number);
    if (found == byNumber_.end()) return -1;
    // A record changed behind the list's back is found by walking the list.
    if (Board(found->second)->BoardNo == number) return found->second;
  } catch (const std::bad_alloc&) {
  }
  ForgetIndex();
  for (int32_t i = 0; i < Count(); ++i) {
    if (Board(i)->BoardNo == number) return i;
  }
  return -1;
}

int32_t TBoardList::FindBoardId(std::string_view identifier) const {
  // Compared as stored: an identifier longer than the record holds finds the board it made.
  identifier = Stored31(identifier);
  try {
    CatchUpIds();
    const std::string key(identifier);
    const bool stale = staleIds_.count(key) != 0;
    if (!stale) {
      const auto found = byId_.find(key);
      if (found == byId_.end()) return -1;
      if (Board(found->second)->BoardId.View() == identifier) return found->second;
      ForgetIndex();
    }
    for (int32_t i = 0; i < Count(); ++i) {
      if (Board(i)->BoardId.View() == identifier) {
        if (stale) {
          staleIds_.erase(key);
          byId_[key] = i;
        }
        return i;
      }
    }
    if (stale) staleIds_.erase(key);
    return -1;
  } catch (const std::bad_alloc&) {
  }
  ForgetIndex();
  for (int32_t i = 0; i < Count(); ++i) {
    if (Board(i)->BoardId.View() == identifier) return i;
  }
  return -1;
}

bool TBoardList::AddBoard(int32_t number, std::string_view identifier, std::string_view title) {
  const int32_t found = number < 0 ? FindBoardId(identifier) : FindBoardNo(number);
  if (found >= 0) {
    BoardRecord& b = *Board(found);
    if (!identifier.empty() && b.BoardId.View() != Stored31(identifier)) {
      const std::string old = b.BoardId.Str();
      b.BoardId.Assign(identifier);
      b.Articles->BoardId = b.BoardId.Str();
      try {
        IdReplaced(found, old);
      } catch (const std::bad_alloc&) {
        ForgetIndex();
      }
    }
    if (!title.empty()) b.BoardTitle.Assign(title);
    return true;
  }
  BoardRecord b{};
  b.BoardNo = number;
  b.BoardId.Assign(identifier);
  b.BoardTitle.Assign(title);
  b.IsArticleBoard = 1;
  bool added = false;
  try {
    b.Articles = new TArticleList();
    b.Articles->BoardNo = number;
    b.Articles->BoardId = b.BoardId.Str();
    added = AddItem(&b);
  } catch (const std::bad_alloc&) {
  }
  if (added) return true;
  delete b.Articles;
  if (!MemoryReported) {
    MemoryReported = 1;
    static const std::string message =
        Cp932("ボードリスト追加中にメモリ不足が発生しました\rボードリスト追加を中断します");
    Ui().Warning(message);
  }
  return false;
}

bool TBoardList::SetBoardAttr(int32_t index, uint8_t IsArticleBoard, uint8_t BoardType,
                              uint8_t BoardAttr) {
  BoardRecord* b = Board(index);
  if (!b) return false;
  b->IsArticleBoard = IsArticleBoard;
  b->BoardType = BoardType;
  b->BoardAttr = BoardAttr;
  return true;
}

void TBoardList::SortBoards() {
  SortRecords([](const char* a, const char* b) { return AsBoard(a).BoardNo < AsBoard(b).BoardNo; });
  ForgetIndex();
}

void TBoardList::SortBoardsById() {
  SortRecords([](const char* a, const char* b) {
    return AsBoard(a).BoardId.View() < AsBoard(b).BoardId.View();
  });
  ForgetIndex();
}

bool TBoardList::SaveToFile(const std::string& path) const {
  std::string data = std::string(kHeader) + "\r\n";
  for (int32_t i = 0; i < Count(); ++i) {
    const BoardRecord& b = *Board(i);
    if (b.BoardNo >= RebaseOffset) continue;  // number not settled yet
    data += BoardFileLine(b) + "\r\n";
  }
  return WriteUserFile(path, data);
}

bool TBoardList::LoadFromFile(const std::string& path) {
  UserFileText file;
  if (!file.Read(path)) {
    SortBoards();
    return true;
  }
  std::vector<std::string_view> lines;
  file.ForEachLine([&lines](std::string_view line) { lines.push_back(line); });
  if (!lines.empty() && lines[0] != kHeader) {
    // The end of the run would write a fresh file over it: the user's file is kept first.
    KeepUserFileNotUnderstood(path);
    return false;
  }
  // Understood when saving the list now would write every line back as it stands.
  bool understood = true;
  std::unordered_set<std::string> boardsMet;
  for (size_t l = 1; l < lines.size(); ++l) {
    const std::vector<std::string> f = SplitCommaText(lines[l]);
    if (f.size() < 3) {
      understood = false;
      continue;
    }
    const int32_t number = TextToNumber(f[0]);
    if (!AddBoard(number, f[1], f[2])) {
      understood = false;
      continue;
    }
    const int32_t index = number >= 0 ? FindBoardNo(number) : FindBoardId(f[1]);
    const int32_t isArticleBoard = f.size() >= 6 ? TextToNumber(f[3]) : -1;
    const int32_t type = f.size() >= 6 ? TextToNumber(f[4]) : -1;
    const int32_t attr = f.size() >= 6 ? TextToNumber(f[5]) : -1;
    if (isArticleBoard < 0 || isArticleBoard > 1 || type < 0 || type > 2 || attr < 0 || attr > 2) {
      understood = false;
      continue;
    }
    SetBoardAttr(index, static_cast<uint8_t>(isArticleBoard), static_cast<uint8_t>(type),
                 static_cast<uint8_t>(attr));
    // A board given twice keeps only what its last line says.
    const BoardRecord* b = Board(index);
    understood = understood && b && b->BoardNo < RebaseOffset && f.size() == 6 &&
                 boardsMet.insert(number >= 0 ? std::to_string(number) : "\\" + f[1]).second &&
                 BoardFileLine(*b) == lines[l];
  }
  file.Note(path, understood);
  SortBoards();
  return true;
}

int32_t TBoardList::GetBoardNo(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->BoardNo : 0;
}

std::string TBoardList::GetBoardId(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->BoardId.Str() : std::string();
}

std::string TBoardList::GetBoardTitle(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->BoardTitle.Str() : std::string();
}

TArticleList* TBoardList::GetArticles(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->Articles : nullptr;
}

uint8_t TBoardList::IsArticleBoard(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->IsArticleBoard : 1;
}

uint8_t TBoardList::GetBoardType(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->BoardType : 0;
}

uint8_t TBoardList::GetBoardAttr(int32_t index) const {
  const BoardRecord* b = Board(index);
  return b ? b->BoardAttr : 0;
}

}  // namespace vorn
