#include "analysis/NetVorn.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/LogList.h"
#include "analysis/NetVornUpPad.h"
#include "analysis/PatternLine.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "store/MailKeys.h"
#include "text/Dates.h"
#include "text/FieldNames.h"
#include "text/LogPattern.h"

namespace vorn {
namespace {

using TF = TextField::Slot;
using NF = NumberField::Slot;

// Collects (ID, handle) pairs while a log is read and hands them to the member list in batches,
// so that the member list is not searched for every article. One entry per ID, the latest
// non-empty handle winning, as adding to a member list with lookup does.
class PendingMembers {
 public:
  void Add(int32_t id, const std::string& handle) {
    if (id == -1) return;
    auto found = index_.find(id);
    if (found != index_.end()) {
      if (!handle.empty()) entries_[found->second].second = handle;
      return;
    }
    if (handle.empty()) return;
    index_.emplace(id, entries_.size());
    entries_.emplace_back(id, handle);
  }
  size_t Count() const { return entries_.size(); }
  const std::vector<std::pair<int32_t, std::string>>& Entries() const { return entries_; }
  void Clear() {
    entries_.clear();
    index_.clear();
  }

 private:
  std::vector<std::pair<int32_t, std::string>> entries_;
  std::unordered_map<int32_t, size_t> index_;
};

// Members are merged whenever more than this many have gathered at a board line (and at the end
// of a run).
constexpr size_t kMergeThreshold = 499;

enum class Stage { WaitHeader, WaitSubject, WaitRess, WaitFooter };

// What a step of the line tests decided: the line is done, or the board and list tests are
// still to be tried on it.
enum class Next { Line, BoardTests };

// One AnalyzeLog call: the state of the walk over the log and the patterns of the entry.
class NetVornRun final {
 public:
  NetVornRun(TNetVorn& process, TLogList& log, TLogList& systemLog)
      : p_(process),
        s_(*process.Settings),
        log_(log),
        systemLog_(systemLog),
        boardTitle_(s_.BoardTitlePattern()),
        boardList_(s_.BoardListPattern()),
        idListHeader_(s_.IDListHeaderPattern()),
        idList_(s_.IDListPattern()),
        header_(s_.HeaderPattern()),
        headerSerialRoot_(s_.HeaderSerialRootPattern()),
        headerSerialRess_(s_.HeaderSerialRessPattern()),
        subjectHeader_(s_.SubjectHeaderPattern()),
        subjectHeaderMail_(s_.SubjectHeaderMailPattern()),
        subjectRess_(s_.SubjectRessPattern()),
        subjectFotter_(s_.SubjectFotterPattern()),
        subjectFotterBinary_(s_.SubjectFotterBinaryPattern()),
        info_(s_.InfoPattern()),
        commandRead_(s_.CommandReadText()) {
    texts_.fill(std::string());
    numbers_.fill(-1);
    for (int k = 1; k <= NetVornTerminalCount; ++k) {
      if (!s_.TerminalPattern(k).empty()) terminals_.emplace_back(s_.TerminalPattern(k));
    }
    endOfBody_.Add(header_);
    if (s_.SerialHeader) {
      endOfBody_.Add(headerSerialRoot_);
      endOfBody_.Add(headerSerialRess_);
    }
    for (const LinePattern& terminal : terminals_)
      endOfBody_.Add(terminal);
    for (int k = 1; k <= NetVornCommandCount; ++k) {
      if (!s_.CommandText(k).empty()) commands_.push_back(s_.CommandText(k));
    }
    currentBoard_ = s_.KTC ? 0 : -1;
  }

  void Run(int32_t startLine);

 private:
  uint8_t Match(const LinePattern& pattern) { return line_.Match(pattern, texts_, numbers_); }
  uint8_t MatchHeaders();
  Next HeaderGroup(int32_t i);
  Next Footer(int32_t i);
  bool DecideFooter(int32_t i);
  bool StoreArticle(int32_t i);
  // The board an article is stored in, added or given its key first.
  TArticleList* ArticleBoard();
  int32_t MailKey(const TArticleList& box, int32_t time, int32_t writerId);
  void EndOfBody(int32_t i);
  void EndOfFile(int32_t i);
  void BoardTests();
  void SetOpenLastLine(int32_t line);
  void MergeMembers();
  void MergeWhenFull() {
    if (pending_.Count() > kMergeThreshold) MergeMembers();
  }

  // The first command string, in order, that occurs in text; its index and byte offset.
  bool FindCommand(std::string_view text, size_t& command, size_t& at) const;
  bool IsReadCommand(char c) const { return commandRead_.find(c) != std::string_view::npos; }
  // The deciding character when nothing follows the command string.
  bool DefaultIsRead() const { return !commandRead_.empty(); }
  // The handle captured by a footer that ends in a prompt echo: its bytes before the first
  // command string found in it, less the blank before the prompt. False when no command string
  // lies in it at its second byte or later.
  bool CutHandleBeforeCommand();

  TNetVorn& p_;
  TNetVornIniFile& s_;
  TLogList& log_;
  TLogList& systemLog_;

  PatternTexts texts_;
  PatternNumbers numbers_;
  PatternLine line_;      // the current line
  std::string nextText_;  // the line after a KTC footer
  const LinePattern boardTitle_, boardList_, idListHeader_, idList_, header_, headerSerialRoot_,
      headerSerialRess_, subjectHeader_, subjectHeaderMail_, subjectRess_, subjectFotter_,
      subjectFotterBinary_, info_;
  const std::string_view commandRead_;
  std::vector<LinePattern> terminals_;
  FirstBytes endOfBody_;  // of the header and terminal patterns
  std::vector<std::string_view> commands_;

  int32_t currentBoard_ = -1;
  Stage stage_ = Stage::WaitHeader;
  bool inBody_ = false;
  bool inIdList_ = false;
  bool isMail_ = false;
  bool isBinary_ = false;
  bool hasRess_ = false;
  bool skipCommandLine_ = false;
  int32_t serialKey_ = -1;
  int32_t serialParentKey_ = -1;
  std::optional<TMailKeys> mailKeys_;  // of the mail box, made at the first mail

  // The board the last article went to, its number and the key it was given; reset whenever
  // a board line may have changed a board.
  TArticleList* articleBoard_ = nullptr;
  int32_t articleBoardNo_ = -1;
  std::string articleBoardKey_;

  // The article whose body is being read, found again by its key and time to set its last line.
  TArticleList* open_ = nullptr;
  int32_t openKey_ = 0;
  int32_t openTime_ = 0;
  int32_t openIndex_ = -1;  // its storage index, -1 when it was not stored

  PendingMembers pending_;
  std::unordered_map<int32_t, int32_t> memberIndex_;  // ID -> first live entry of Members
  bool memberIndexBuilt_ = false;
};

void NetVornRun::Run(int32_t startLine) {
  const int32_t count = log_.Count();
  if (startLine < 0) startLine = 0;
  if (p_.ProgressBar) p_.ProgressBar->SetMax(count > startLine ? (count - startLine) / 1000 : 0);
  const std::string& endLine = s_.LogEndLine;
  // The whole log is walked once: what was looked at is given back behind.
  TLogList::Reader reader(log_, true);

  for (int32_t i = startLine; i < count; ++i) {
    if (i % 100 == 0) Ui().ProcessMessages();
    if (i != 0 && i % 1000 == 0 && p_.ProgressBar) {
      p_.ProgressBar->Step();
      if (p_.ProgressBar->Cancelled()) break;  // the caller gives up what was stored
    }

    const std::string_view line = reader.Line(i);
    // The line the loader appends after every log file: whatever is open ends with the file.
    if (!endLine.empty() && line == endLine) {
      EndOfFile(i);
      continue;
    }
    line_.Reset(line);

    if (inIdList_) {
      const uint8_t r = Match(idList_);
      if (r == PatternMatch) {
        pending_.Add(numbers_[NF::WIDNO], texts_[TF::WHANDLE]);
        continue;
      }
      inIdList_ = false;
      if (r == PatternError) continue;
    }
    if (inBody_) {
      EndOfBody(i);
      continue;
    }
    if (currentBoard_ >= 0 && HeaderGroup(i) == Next::Line) continue;
    BoardTests();
  }

  if (inBody_) SetOpenLastLine(count - 2);
  MergeMembers();
}

uint8_t NetVornRun::MatchHeaders() {
  if (s_.SerialHeader) {
    if (Match(headerSerialRess_) == PatternMatch) {
      serialKey_ = numbers_[NF::WNO];
      serialParentKey_ = numbers_[NF::RNO];
      return PatternMatch;
    }
    if (Match(headerSerialRoot_) == PatternMatch) {
      serialKey_ = numbers_[NF::WNO];
      return PatternMatch;
    }
  }
  return Match(header_);
}

Next NetVornRun::HeaderGroup(int32_t i) {
  switch (stage_) {
    case Stage::WaitHeader: {
      serialKey_ = serialParentKey_ = -1;
      const uint8_t r = MatchHeaders();
      if (r == PatternNoMatch) return Next::BoardTests;
      if (r == PatternMatch) stage_ = Stage::WaitSubject;
      isMail_ = false;
      return Next::Line;
    }
    case Stage::WaitSubject: {
      isMail_ = isBinary_ = hasRess_ = false;
      const bool mailBox = currentBoard_ == p_.MailBoardNo;
      uint8_t r = Match(mailBox ? subjectHeaderMail_ : subjectHeader_);
      if (!mailBox && r == PatternMatch) {
        stage_ = Stage::WaitRess;
        return Next::Line;
      }
      // KTC hosts show mails among the articles of a board: a subject line that is not an
      // article's may be a mail's.
      if (!mailBox && r == PatternNoMatch && s_.KTC) r = Match(subjectHeaderMail_);
      if (r == PatternMatch && (mailBox || s_.KTC)) {
        isMail_ = true;
        stage_ = Stage::WaitFooter;
        if (s_.KTC) {
          currentBoard_ = p_.MailBoardNo;
          MergeWhenFull();
        }
        return Next::Line;
      }
      stage_ = Stage::WaitHeader;
      return r == PatternNoMatch ? Next::BoardTests : Next::Line;
    }
    case Stage::WaitRess: {
      stage_ = Stage::WaitFooter;
      const uint8_t r = Match(subjectRess_);
      if (r == PatternMatch) {
        hasRess_ = true;
        return Next::Line;
      }
      if (r == PatternError) {
        stage_ = Stage::WaitHeader;
        return Next::Line;
      }
      // No reply information: the same line may be the footer.
      return Footer(i);
    }
    case Stage::WaitFooter:
      return Footer(i);
  }
  return Next::BoardTests;
}

Next NetVornRun::Footer(int32_t i) {
  uint8_t r = Match(subjectFotterBinary_);
  if (r == PatternMatch) {
    isBinary_ = true;
  } else if (r == PatternError) {
    stage_ = Stage::WaitHeader;
    return Next::Line;
  } else {
    r = Match(subjectFotter_);
    if (r != PatternMatch) {
      stage_ = Stage::WaitHeader;
      return r == PatternError ? Next::Line : Next::BoardTests;
    }
  }
  if (DecideFooter(i) && StoreArticle(i)) return Next::Line;
  stage_ = Stage::WaitHeader;
  return Next::BoardTests;
}

bool NetVornRun::FindCommand(std::string_view text, size_t& command, size_t& at) const {
  for (size_t c = 0; c < commands_.size(); ++c) {
    const size_t pos = text.find(commands_[c]);
    if (pos != std::string_view::npos) {
      command = c;
      at = pos;
      return true;
    }
  }
  return false;
}

bool NetVornRun::CutHandleBeforeCommand() {
  std::string& handle = texts_[TF::WHANDLE];
  size_t command, at;
  if (!FindCommand(handle, command, at) || at < 1) return false;
  handle.resize(at - 1);
  return true;
}

// A host may print its command prompt and echo the user's next command right after a footer.
// The article's body was shown only when that command is a read-type one.
bool NetVornRun::DecideFooter(int32_t i) {
  skipCommandLine_ = false;
  std::string& handle = texts_[TF::WHANDLE];
  size_t command, at;

  if (s_.KTC) {
    // The prompt comes on the next line.
    if (i + 1 >= log_.Count()) return false;
    PrepareLineText(log_.LineView(i + 1), nextText_);
    const std::string_view next(nextText_.data(), nextText_.size() - 1);  // without the CR
    for (const std::string_view c : commands_) {
      if (next.substr(0, c.size()) != c) continue;
      const bool read = next.size() > c.size() ? IsReadCommand(next.back()) : DefaultIsRead();
      if (read) skipCommandLine_ = true;
      return read;
    }
    return true;
  }

  const std::string& text = line_.Text();
  if (!FindCommand(text, command, at)) {
    // The footer's handle ends in the blank the host prints after it.
    if (!handle.empty()) handle.pop_back();
    return true;
  }

  if (s_.MPN) {
    std::string_view after = std::string_view(text).substr(at + commands_[command].size());
    if (!after.empty() && after.back() == '\r') after.remove_suffix(1);
    const bool read = after.empty() ? DefaultIsRead() : IsReadCommand(after.back());
    return read && CutHandleBeforeCommand();
  }

  // The echoed command is the byte before the line's CR.
  if (text.size() < 3) return false;
  if (!IsReadCommand(text[text.size() - 2])) return false;
  CutHandleBeforeCommand();
  return true;
}

TArticleList* NetVornRun::ArticleBoard() {
  const std::string& key = texts_[TF::BINDEX];
  // Article after article goes to the same board under the same key, and adding that board
  // again would change nothing.
  if (articleBoard_ && currentBoard_ == articleBoardNo_ && key == articleBoardKey_)
    return articleBoard_;
  TBoardList& boards = p_.Boards;
  const bool added = boards.AddBoard(currentBoard_, key, "");
  const int32_t boardIndex = boards.FindBoardNo(currentBoard_);
  TArticleList* articles = boardIndex >= 0 ? boards.GetArticles(boardIndex) : nullptr;
  articleBoard_ = added ? articles : nullptr;
  articleBoardNo_ = currentBoard_;
  articleBoardKey_ = key;
  return articles;
}

bool NetVornRun::StoreArticle(int32_t i) {
  TArticleList* articles = ArticleBoard();
  if (!articles) return false;

  int32_t key = numbers_[NF::WNO];
  if (serialKey_ != -1) {
    key = serialKey_;
    serialKey_ = -1;
  }
  int32_t number = numbers_[NF::WNO];
  const int32_t writerId = numbers_[NF::WIDNO];
  const int32_t date = DateKey(numbers_[NF::YEAR], numbers_[NF::MONTH], numbers_[NF::DAY],
                               numbers_[NF::HOUR], numbers_[NF::MINUTE], 0);
  const int32_t headerLines = s_.NoDispHeaderLine;
  const bool headerDisp = s_.HeaderDisp;

  int32_t postTime, parentKey = -1, parentNumber = -1, parentWriterId = -1;
  int32_t firstLine, bodyOffset;
  std::string_view parentTitle;
  uint8_t kind;
  if (isMail_) {
    postTime = date;
    key = number = MailKey(*articles, date, writerId);
    firstLine = i + headerLines - 2;
    bodyOffset = 2;
    kind = isBinary_ ? ArticleKindBinaryMail : ArticleKindMail;
  } else {
    postTime = s_.SerialHeader ? key : date;
    if (hasRess_) {
      parentKey = numbers_[NF::RNO];
      if (serialParentKey_ != -1) {
        parentKey = serialParentKey_;
        serialParentKey_ = -1;
      }
      parentNumber = numbers_[NF::RNO];
      parentTitle = texts_[TF::RTITLE];
      parentWriterId = numbers_[NF::RIDNO];
      firstLine = i + headerLines - 3;
      bodyOffset = 3;
      kind = isBinary_ ? ArticleKindBinaryRess : ArticleKindRess;
    } else {
      firstLine = i + headerLines - 2;
      bodyOffset = 2;
      kind = isBinary_ ? ArticleKindBinaryRoot : ArticleKindRoot;
    }
  }
  if (headerDisp) {
    --firstLine;
    ++bodyOffset;
  }
  if (skipCommandLine_) ++bodyOffset;

  const bool stored = articles->AddArticle(kind, 0, key, number, postTime, parentKey, parentNumber,
                                           writerId, parentWriterId, {}, {}, texts_[TF::WTITLE],
                                           parentTitle, firstLine, bodyOffset);
  pending_.Add(writerId, texts_[TF::WHANDLE]);
  if (hasRess_) pending_.Add(parentWriterId, texts_[TF::RHANDLE]);

  open_ = articles;
  openKey_ = key;
  openTime_ = postTime;
  openIndex_ = stored ? articles->LastAdded() : -1;
  inBody_ = true;
  return true;
}

int32_t NetVornRun::MailKey(const TArticleList& box, int32_t time, int32_t writerId) {
  if (!mailKeys_ || mailKeys_->Box() != &box) mailKeys_.emplace(box);
  return mailKeys_->KeyOf(time, writerId, {}, texts_[TF::WTITLE]);
}

void NetVornRun::SetOpenLastLine(int32_t line) {
  if (!open_) return;
  // Nothing has been added to the board since the article was stored: it is still the entry
  // its key and time would find.
  if (ArticleRecord* r = openIndex_ >= 0 ? open_->Entry(openIndex_) : nullptr) {
    r->LastLine = line;
  } else {
    open_->SetArticleLastLine(openKey_, openTime_, line);
  }
}

void NetVornRun::EndOfBody(int32_t i) {
  serialKey_ = serialParentKey_ = -1;
  // Most lines of a body can begin neither a header nor a terminal line.
  if (!line_.MayMatchAny(endOfBody_)) return;
  const uint8_t r = MatchHeaders();
  if (r == PatternMatch) {
    // This line is the next article's header.
    SetOpenLastLine(i - s_.NoDispFotterLine - 1);
    inBody_ = false;
    stage_ = Stage::WaitSubject;
    return;
  }
  if (r == PatternError) {
    inBody_ = false;
    isMail_ = false;
    return;
  }
  for (const LinePattern& terminal : terminals_) {
    if (Match(terminal) == PatternMatch) {
      SetOpenLastLine(i - s_.NoDispFotterLine - 1);
      inBody_ = false;
      stage_ = Stage::WaitHeader;
      return;
    }
  }
}

// The loader appends the entry's LogEndLine after every log file. An article or mail open at the
// end of a file ends with that file's last line, and nothing half-read runs on into the next
// file.
void NetVornRun::EndOfFile(int32_t i) {
  if (inBody_) SetOpenLastLine(i - 1);
  inBody_ = false;
  inIdList_ = false;
  isMail_ = false;
  stage_ = Stage::WaitHeader;
}

void NetVornRun::BoardTests() {
  uint8_t r = Match(boardTitle_);
  if (r == PatternMatch) {
    currentBoard_ = numbers_[NF::BNO];
    articleBoard_ = nullptr;
    p_.Boards.AddBoard(currentBoard_, "", texts_[TF::BTITLE]);
    MergeWhenFull();
    return;
  }
  if (r == PatternError) return;
  r = Match(boardList_);
  if (r == PatternMatch) {
    currentBoard_ = numbers_[NF::BNO];
    articleBoard_ = nullptr;  // the board may take another key
    p_.Boards.AddBoard(currentBoard_, texts_[TF::BINDEX], texts_[TF::BTITLE]);
    MergeWhenFull();
    return;
  }
  if (r == PatternError) return;
  r = Match(idListHeader_);
  if (r == PatternMatch) {
    inIdList_ = true;
    return;
  }
  if (r == PatternError) return;
  if (Match(info_) == PatternMatch) systemLog_.AddLine(line_.Text());
}

void NetVornRun::MergeMembers() {
  TMemberList& members = p_.Members;
  if (pending_.Count() == 0) return;
  if (!memberIndexBuilt_) {
    // Adding with lookup finds the first live entry with the ID.
    for (int32_t m = 0; m < members.Count(); ++m) {
      if (members.IsLiveMember(m)) memberIndex_.emplace(members.GetIdNo(m), m);
    }
    memberIndexBuilt_ = true;
  }
  for (const auto& [id, handle] : pending_.Entries()) {
    bool added = false;
    auto found = memberIndex_.find(id);
    if (found != memberIndex_.end()) {
      members.SetMember(found->second, id, "", handle, "", "", added);
    } else if (members.AddMember(id, handle, "", "", false, added) && added) {
      memberIndex_.emplace(id, members.Count() - 1);
    }
    if (added) p_.MembersChanged = true;
  }
  pending_.Clear();
}

}  // namespace

TNetVorn::TNetVorn(const std::string& settingsFile, const std::string& defaultsFile)
    : TNetVorn(std::make_unique<TNetVornIniFile>(settingsFile, defaultsFile)) {}

TNetVorn::TNetVorn(std::unique_ptr<TNetVornIniFile> settings)
    : TBBSProcess(std::move(settings), false), Settings(static_cast<TNetVornIniFile*>(IniFile)) {
  Name = Cp932("NetVorn及び互換");
  MailBoardNo = 0;
  Delimita = std::string(".");  // not a literal assignment: GCC 12 warns wrongly (-Wrestrict)
  InfoDialogTitle = Cp932("システム／チャットメッセージ");
  WriteBinaryMailFlag = true;
  WriteBinaryRootFlag = true;
  WriteBinaryRessFlag = true;
  BinaryBatchSetFlag = true;
}

std::string TNetVorn::GetSystemName() const {
  return "NetVorn";
}

void TNetVorn::ClearData() {
  TBBSProcess::ClearData();
  MailBoardNo = 0;
  Boards.AddBoard(0, "mail", Cp932("メール"));
  const int32_t index = Boards.FindBoardNo(0);
  if (index >= 0)
    Boards.SetBoardAttr(index, 0, Boards.GetBoardType(index), Boards.GetBoardAttr(index));
}

bool TNetVorn::AnalyzeLog(int32_t NetNo, TLogList& Log, TLogList& SystemLog, int32_t StartLine) {
  if (!Settings->SelectNet(NetNo)) return false;
  GenerateBoardTitle = Settings->GenerateBoardTitleText();
  HeaderOffset = Settings->HeaderDisp ? 0 : -1;
  this->NetNo = -1;
  MembersChanged = false;
  // The trees are built afresh after the analysis. A placeholder left from the last sort would
  // take the place of an article read again under its key and time (a reply that names itself
  // as its parent has a placeholder of its own key and time), so that an added file held
  // articles twice that a load of all files at once holds once.
  for (int32_t b = 0; b < Boards.Count(); ++b) {
    if (TArticleList* articles = Boards.GetArticles(b)) articles->DropPlaceholders();
  }
  NetVornRun run(*this, Log, SystemLog);
  run.Run(StartLine);
  this->NetNo = NetNo;
  return true;
}

void TNetVorn::SortData() {
  Boards.SortBoards();
  if (MembersChanged) Members.SortMembers();
  for (int32_t b = 0; b < Boards.Count(); ++b) {
    if (TArticleList* articles = Boards.GetArticles(b)) articles->SortArticles();
    Ui().ProcessMessages();
  }
}

namespace {

// Reads an UP or PAD file for reading back, asking the user first when it holds anything. False
// when the user declines, or chooses to delete it (which is then done). A file that cannot be
// read counts as empty, a damaged one as far as it could be read.
// What was read is noted as known (a declined file as empty); its bytes are in bytes.
bool ReadCheckedLines(TBBSProcess& process, const std::string& path, const std::string& question,
                      std::vector<std::string>& lines, std::string& bytes) {
  lines.clear();
  bytes.clear();
  if (path.empty()) return true;
  std::string& known = process.OutputFilesKnown[path];
  known.clear();
  ReadClassicTextFile(path, lines);
  if (lines.empty()) {
    ReadWholeFile(path, known);
    bytes = known;
    return true;
  }
  const UiAnswer answer = Ui().AskLoadCheck(question);
  if (answer == UiAnswer::Yes) {
    ReadWholeFile(path, known);
    bytes = known;
    return true;
  }
  lines.clear();
  // Not read: none of its bytes are understood.
  NoteUserFileRead(path, {}, false);
  if (answer == UiAnswer::Cancel) DeleteFileAt(path);
  return false;
}

// A file read back is understood when what the program writes for the writes it took from it
// is the file as it stands, line for line; otherwise it is kept beside itself before it is
// replaced.
void NoteReadBack(const std::string& path, const std::string& bytes,
                  const std::vector<std::string>& lines, bool allPlaced,
                  const std::vector<std::string>& writtenBack) {
  UserFileText text;
  text.Bytes = bytes;
  text.Note(path, allPlaced && lines == writtenBack);
}

// Replaces the file with the lines, or removes it when there are none so that nothing is sent
// twice. False when it could not be written or removed; the old file then stays as it was.
bool ReplaceOutputFile(TBBSProcess& process, const std::string& path,
                       const std::vector<std::string>& lines) {
  CrLfTextBuilder text;
  for (const std::string& line : lines)
    text.Line(line);
  if (!(lines.empty() ? RemoveUserFile(path) : WriteUserFile(path, text.Data()))) return false;
  process.OutputFilesKnown[path] = text.Data();
  return true;
}

// The dated copy the BBS entry may ask for, beside the file.
bool WriteDatedCopy(const std::string& path, const std::vector<std::string>& lines, bool wanted,
                    const std::string& dateTemplate) {
  if (lines.empty() || !wanted || dateTemplate.empty()) return true;
  const std::string date = ExpandDatePlaceholders(dateTemplate, CurrentLocalTime());
  return WriteTextLinesAtomic(DatedCopyPath(path, date), lines);
}

}  // namespace

bool TNetVorn::ReadUpFile(const std::string& UpFile) {
  static const std::string question = Cp932("UPファイルが存在しています\r\n読込みますか？");
  std::vector<std::string> lines;
  std::string bytes;
  if (!ReadCheckedLines(*this, UpFile, question, lines, bytes)) return false;
  const int32_t unplaced = ReadNetVornUpLines(*this, lines);
  NoteReadBack(UpFile, bytes, lines, unplaced == 0, NetVornUpLines(*this));
  NoteUnplacedWrites(UpFile, unplaced, true);
  return true;
}

bool TNetVorn::WriteUpFile(const std::string& UpFile) {
  if (UpFile.empty()) return false;
  const std::vector<std::string> lines = NetVornUpLines(*this);
  // The writes stay marked as changed until they are safely in the file, so that the end of a
  // run asks again.
  if (!ReplaceOutputFile(*this, UpFile, lines)) return false;
  for (int32_t b = 0; b < Boards.Count(); ++b) {
    if (TArticleList* articles = Boards.GetArticles(b)) articles->Modified = 0;
  }
  return WriteDatedCopy(UpFile, lines, Settings->UpFileAddDate, Settings->UpFileAddDateStr);
}

std::vector<std::string> TNetVorn::UpFileLines() const {
  return NetVornUpLines(*this);
}

std::vector<std::string> TNetVorn::PadFileLines() const {
  return NetVornPadLines(*this);
}

bool TNetVorn::ReadPadFile(const std::string& PadFile) {
  static const std::string question = Cp932("PADファイルが存在しています\r\n読込みますか？");
  std::vector<std::string> lines;
  std::string bytes;
  if (!ReadCheckedLines(*this, PadFile, question, lines, bytes)) return false;
  const int32_t unplaced = ReadNetVornPadLines(*this, lines);
  NoteReadBack(PadFile, bytes, lines, unplaced == 0, NetVornPadLines(*this));
  NoteUnplacedWrites(PadFile, unplaced, false);
  return true;
}

bool TNetVorn::WritePadFile(const std::string& PadFile) {
  if (PadFile.empty()) return false;
  const std::vector<std::string> lines = NetVornPadLines(*this);
  if (!ReplaceOutputFile(*this, PadFile, lines)) return false;
  return WriteDatedCopy(PadFile, lines, Settings->PadFileAddDate, Settings->PadFileAddDateStr);
}

std::string TNetVorn::CheckIdNumber(int32_t Id) const {
  if (Id >= 0 && Id <= 99999) return {};
  return Cp932("IDは0から99999までの間の数値で指定して下さい");
}

std::string TNetVorn::CheckIdText(std::string&) const {
  return {};
}

std::string TNetVorn::GetBoardLabel(int32_t BoardIndex, bool Padded) const {
  if (BoardIndex < 0 || BoardIndex >= Boards.Count()) return {};
  const int32_t number = Boards.GetBoardNo(BoardIndex);
  const std::string key = Boards.GetBoardId(BoardIndex);
  if (number < 0 || key.empty()) return {};
  char buf[64];
  const int len = std::snprintf(buf, sizeof buf, Padded ? "%3d:" : "%d:", number);
  std::string label(buf, static_cast<size_t>(len));
  label += key;
  if (Padded && key.size() < 8) label.append(8 - key.size(), ' ');
  return label;
}

}  // namespace vorn
