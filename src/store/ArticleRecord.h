#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "store/TextArena.h"

namespace vorn {

class TMailSendList;

// The text lines of a write; line 0 is its title line.
using TStringList = std::vector<std::string>;

enum TArticleKind : uint8_t {
  ArticleKindRoot = 0,
  ArticleKindRess = 1,
  ArticleKindBinaryRoot = 2,
  ArticleKindBinaryRess = 3,
  ArticleKindMail = 4,
  ArticleKindBinaryMail = 5,
  // Made by the tree builder for replies whose parent is not in the list.
  ArticleKindMissingRoot = 6,
};

// The two orders in which a board's articles are read.
enum TArticleSort : int32_t { ArticleSortNormal = 0, ArticleSortTree = 1 };

// Subtracted from the keys and times of log entries when a board is sorted, so that every log
// entry orders before the user's queued writes. Larger than any date key or article number.
constexpr int32_t RebaseOffset = 2030000000;

constexpr bool IsReplyKind(uint8_t kind) {
  return kind == ArticleKindRess || kind == ArticleKindBinaryRess;
}

// What a queued write holds besides its fields: its text lines and, for a mail, its recipients.
// Owned by the record, freed only by the article list.
struct ArticleWrite {
  TStringList* Text;
  TMailSendList* MailTo;
};

// A record holds the number of a slot in a table of the process where its write's texts are
// kept: four bytes where a pointer took eight, and only queued writes have one. A slot stays at
// its address until it is released. Taking and releasing may happen on any thread.
//
// An empty slot, or 0 when none can be had.
uint32_t TakeArticleWrite();
// Gives the slot back (its texts are the caller's to free first); 0 is ignored.
void ReleaseArticleWrite(uint32_t slot);
// The write in a slot taken and not released, or nullptr for 0.
ArticleWrite* ArticleWriteAt(uint32_t slot);

// One article, reply, mail, placeholder or queued write of a board. Flags hold 0 or 1 (set
// them from Flag-style 0/1 values: a flag keeps only the lowest bit of what it is given). Lives in
// the blocks of a TArticleList and is copied byte for byte by sorting; Text and MailTo are owned
// by the record and freed only by the article list. The four texts are kept in the list's text
// arena (cut to 31 and 127 bytes) in two pairs, the entry's own title and ID text and those of
// its parent, and read through Title() and the like, so a board of a million articles costs tens
// of megabytes, not hundreds. A placeholder's own texts are the pair of its replies' parent.
struct ArticleRecord {
  // The flags share one byte: a record is paid for millions of times over in an archive.
  uint8_t Used : 1;
  uint8_t WriteFlag : 1;
  uint8_t BatchFlag : 1;
  uint8_t Maintained : 1;
  uint8_t ReadFlag : 1;
  uint8_t NewFlag : 1;
  uint8_t Rebased : 1;
  uint8_t Kind;
  int32_t ArticleKey;
  int32_t ParentKey;
  int32_t Number;
  int32_t ParentNumber;
  int32_t PostTime;
  int32_t WriterId;
  int32_t ParentWriterId;
  static constexpr std::size_t kTitleCapacity = 127;
  static constexpr std::size_t kWriterIdCapacity = 31;
  using TextPair = ArenaPair<kTitleCapacity, kWriterIdCapacity>;
  // Title and WriterIdText; ParentTitle and ParentWriterIdText.
  TextPair OwnTexts;
  TextPair ParentTexts;
  int32_t FirstLine;
  int32_t BodyOffset;
  int32_t LastLine;
  int32_t Level;
  // The slot of a write's text and recipients (0 for the log's entries, which have neither).
  uint32_t WriteSlot;

  TStringList* Text() const { return WriteSlot != 0 ? ArticleWriteAt(WriteSlot)->Text : nullptr; }
  TMailSendList* MailTo() const {
    return WriteSlot != 0 ? ArticleWriteAt(WriteSlot)->MailTo : nullptr;
  }
  StoredText Title() const { return {OwnTexts.First()}; }
  StoredText WriterIdText() const { return {OwnTexts.Second()}; }
  StoredText ParentTitle() const { return {ParentTexts.First()}; }
  StoredText ParentWriterIdText() const { return {ParentTexts.Second()}; }
};

static_assert(std::is_trivially_copyable_v<ArticleRecord>);
static_assert(std::is_standard_layout_v<ArticleRecord>);
// Every byte of a record is paid for millions of times over in an archive. The texts are
// pointers rather than 4-byte handles into a table of the process: such a table puts a bound on
// the boards a process can hold that has nothing to do with its memory. Writes are few: the
// bound of theirs lies far beyond what anyone queues.
static_assert(sizeof(ArticleRecord) <= 68);
static_assert(alignof(ArticleRecord) <= 4);

}  // namespace vorn
