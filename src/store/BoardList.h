#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "store/ArticleList.h"
#include "store/MiniList.h"
#include "store/ShortString.h"

namespace vorn {

// One board (forum, conference, mail box) of the BBS in use. Copied byte for byte by sorting;
// the article list is owned by the record and freed only by the board list.
struct BoardRecord {
  // The host's number; -1 for a board known only by identifier; 2030000000 and above for a
  // board found in a log whose number was not settled (never saved).
  int32_t BoardNo;
  ShortString<31> BoardId;
  ShortString<127> BoardTitle;
  uint8_t IsArticleBoard;  // 1 = article board, 0 = mail box
  uint8_t BoardType;       // 0 normal, 1 binary, 2 binary mixed
  uint8_t BoardAttr;       // 0 root and reply writing, 1 read-only, 2 no replies
  TArticleList* Articles;
};

// The boards of the BBS settings set in use, each with its article store.
class TBoardList final : public TMiniList {
 public:
  TBoardList();
  ~TBoardList() override;

  void Clear() override;

  // First board with the number / with exactly this identifier (as stored, so cut to 31
  // bytes); -1 when none.
  int32_t FindBoardNo(int32_t number) const;
  int32_t FindBoardId(std::string_view identifier) const;

  // Adds a board, keyed by identifier when the number is negative and by number otherwise; a
  // board already in the list takes the identifier and title when they are not empty and keeps
  // everything else. False when memory ran out (the user is told once per list).
  bool AddBoard(int32_t number, std::string_view identifier, std::string_view title);
  bool SetBoardAttr(int32_t index, uint8_t IsArticleBoard, uint8_t BoardType, uint8_t BoardAttr);

  // Ascending by number / by identifier compared as unsigned bytes.
  void SortBoards();
  void SortBoardsById();

  // The board list file. Loading merges into the list; false only for a file that is not a
  // board list file. Saving replaces the file atomically; false when it could not be written,
  // and the old file then stays as it was.
  bool LoadFromFile(const std::string& path);
  bool SaveToFile(const std::string& path) const;

  // Exchanges every board (with its articles) with another list.
  void Swap(TBoardList& other);
  // Puts the boards back as a copy of their records (CopyRecords) had them, for a load that is
  // given up: boards added since go with their articles; the boards of the copy must still own
  // the same article lists.
  void RestoreBoards(const std::vector<char>& copy);

  // Getters safe for any index.
  int32_t GetBoardNo(int32_t index) const;
  std::string GetBoardId(int32_t index) const;
  std::string GetBoardTitle(int32_t index) const;
  TArticleList* GetArticles(int32_t index) const;
  uint8_t IsArticleBoard(int32_t index) const;
  uint8_t GetBoardType(int32_t index) const;
  uint8_t GetBoardAttr(int32_t index) const;

  BoardRecord* Board(int32_t index) { return static_cast<BoardRecord*>(GetItem(index)); }
  const BoardRecord* Board(int32_t index) const {
    return static_cast<const BoardRecord*>(GetItem(index));
  }

  uint8_t MemoryReported = 0;

 private:
  void FreeArticles();
  // The lookups below find the first board with a number or identifier without walking the
  // list: a capture of 100,000 boards looks a board up for every article it reads. Each index is
  // made when it is first needed and follows appended boards on the next lookup; sorting makes
  // both start again.
  void CatchUpNumbers() const;
  void CatchUpIds() const;
  void ForgetIndex() const;
  // The board at index gave up the identifier old for the one it holds now.
  void IdReplaced(int32_t index, const std::string& old) const;

  // Where each number / identifier first occurs among records 0 .. numbersIndexed_ - 1 /
  // idsIndexed_ - 1. An identifier that a board gave up may still be another board's: where it
  // first occurs is looked for when it is next asked for (staleIds_).
  mutable std::unordered_map<int32_t, int32_t> byNumber_;
  mutable std::unordered_map<std::string, int32_t> byId_;
  mutable std::unordered_set<std::string> staleIds_;
  mutable int32_t numbersIndexed_ = 0;
  mutable int32_t idsIndexed_ = 0;
};

}  // namespace vorn
