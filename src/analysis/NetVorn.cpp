#include "analysis/NetVorn.h"

#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/AnalysisPipe.h"
#include "analysis/LogList.h"
#include "analysis/NetVornStore.h"
#include "analysis/NetVornUpPad.h"
#include "analysis/PatternLine.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "text/Dates.h"
#include "text/FieldNames.h"
#include "text/LogPattern.h"

namespace vorn {
namespace {

using TF = TextField::Slot;
using NF = NumberField::Slot;

enum class Stage { WaitHeader, WaitSubject, WaitRess, WaitFooter };

// What a step of the line tests decided: the line is done, or the board and list tests are
// still to be tried on it.
enum class Next { Line, BoardTests };

// The walk of one AnalyzeLog call over the log: its state and the patterns of the entry. What it
// finds goes to out; it reads nothing back but whether an article found its board.
class NetVornRun final {
 public:
  NetVornRun(TNetVorn& process, TLogList& log, NetVornFindings& out)
      : s_(*process.Settings),
        mailBoardNo_(process.MailBoardNo),
        log_(log),
        out_(out),
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

  // What WalkHere and WalkIntoPipe ask of a walk.
  void Begin(int32_t) {}
  void WalkLine(std::string_view line, int32_t i);
  void Finish(int32_t count) {
    if (inBody_) out_.LastLine(count - 2);
  }
  // What WalkFiles asks besides: everything the walk carries from a line to the next.
  std::string SaveState() const;
  bool LoadState(std::string_view state);

 private:
  uint8_t Match(const LinePattern& pattern) { return line_.Match(pattern, texts_, numbers_); }
  uint8_t MatchHeaders();
  Next HeaderGroup(int32_t i);
  Next Footer(int32_t i);
  bool DecideFooter(int32_t i);
  bool StoreArticle(int32_t i);
  void EndOfBody(int32_t i);
  void EndOfFile(int32_t i);
  void BoardTests();

  // The first command string, in order, that occurs in text; its index and byte offset.
  bool FindCommand(std::string_view text, size_t& command, size_t& at) const;
  bool IsReadCommand(char c) const { return commandRead_.find(c) != std::string_view::npos; }
  // The deciding character when nothing follows the command string.
  bool DefaultIsRead() const { return !commandRead_.empty(); }
  // The handle captured by a footer that ends in a prompt echo: its bytes before the first
  // command string found in it, less the blank before the prompt. False when no command string
  // lies in it at its second byte or later.
  bool CutHandleBeforeCommand();

  TNetVornIniFile& s_;
  const int32_t mailBoardNo_;
  TLogList& log_;
  NetVornFindings& out_;

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
};

std::string NetVornRun::SaveState() const {
  WalkStateWriter w;
  for (const std::string& t : texts_)
    w.Text(t);
  for (int32_t n : numbers_)
    w.Int(n);
  w.Text(nextText_);
  w.Int(currentBoard_);
  w.Int(static_cast<int>(stage_));
  for (bool flag : {inBody_, inIdList_, isMail_, isBinary_, hasRess_, skipCommandLine_})
    w.Int(flag);
  w.Int(serialKey_);
  w.Int(serialParentKey_);
  return std::move(w.Out());
}

// Nothing is changed unless the whole state reads back.
bool NetVornRun::LoadState(std::string_view state) {
  WalkStateReader r(state);
  PatternTexts texts;
  for (std::string& t : texts)
    t = r.Text();
  PatternNumbers numbers;
  for (int32_t& n : numbers)
    n = static_cast<int32_t>(r.Int(INT32_MIN, INT32_MAX));
  std::string nextText = r.Text();
  const auto currentBoard = static_cast<int32_t>(r.Int(INT32_MIN, INT32_MAX));
  const auto stage = static_cast<Stage>(r.Int(0, static_cast<int>(Stage::WaitFooter)));
  bool flags[6];
  for (bool& flag : flags)
    flag = r.Int(0, 1) != 0;
  const auto serialKey = static_cast<int32_t>(r.Int(INT32_MIN, INT32_MAX));
  const auto serialParentKey = static_cast<int32_t>(r.Int(INT32_MIN, INT32_MAX));
  if (!r.Ok() || !r.AtEnd()) return false;
  texts_ = std::move(texts);
  numbers_ = numbers;
  nextText_ = std::move(nextText);
  currentBoard_ = currentBoard;
  stage_ = stage;
  inBody_ = flags[0];
  inIdList_ = flags[1];
  isMail_ = flags[2];
  isBinary_ = flags[3];
  hasRess_ = flags[4];
  skipCommandLine_ = flags[5];
  serialKey_ = serialKey;
  serialParentKey_ = serialParentKey;
  return true;
}

void NetVornRun::WalkLine(std::string_view line, int32_t i) {
  // The line the loader appends after every log file: whatever is open ends with the file.
  if (!s_.LogEndLine.empty() && line == s_.LogEndLine) {
    EndOfFile(i);
    return;
  }
  line_.Reset(line);

  if (inIdList_) {
    const uint8_t r = Match(idList_);
    if (r == PatternMatch) {
      out_.Member(numbers_[NF::WIDNO], texts_[TF::WHANDLE]);
      return;
    }
    inIdList_ = false;
    if (r == PatternError) return;
  }
  if (inBody_) {
    EndOfBody(i);
    return;
  }
  if (currentBoard_ >= 0 && HeaderGroup(i) == Next::Line) return;
  BoardTests();
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
      const bool mailBox = currentBoard_ == mailBoardNo_;
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
          currentBoard_ = mailBoardNo_;
          out_.MergeWhenFull();
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

bool NetVornRun::StoreArticle(int32_t i) {
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

  NetVornArticleFound found;
  found.board = currentBoard_;
  found.boardKey = texts_[TF::BINDEX];
  found.kind = kind;
  found.isMail = isMail_;
  found.hasRess = hasRess_;
  found.key = key;
  found.number = number;
  found.postTime = postTime;
  found.parentKey = parentKey;
  found.parentNumber = parentNumber;
  found.writerId = writerId;
  found.parentWriterId = parentWriterId;
  found.firstLine = firstLine;
  found.bodyOffset = bodyOffset;
  found.title = texts_[TF::WTITLE];
  found.parentTitle = parentTitle;
  found.handle = texts_[TF::WHANDLE];
  found.parentHandle = texts_[TF::RHANDLE];
  if (!out_.Article(found)) return false;
  inBody_ = true;
  return true;
}

void NetVornRun::EndOfBody(int32_t i) {
  serialKey_ = serialParentKey_ = -1;
  // Most lines of a body can begin neither a header nor a terminal line.
  if (!line_.MayMatchAny(endOfBody_)) return;
  const uint8_t r = MatchHeaders();
  if (r == PatternMatch) {
    // This line is the next article's header.
    out_.LastLine(i - s_.NoDispFotterLine - 1);
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
      out_.LastLine(i - s_.NoDispFotterLine - 1);
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
  if (inBody_) out_.LastLine(i - 1);
  inBody_ = false;
  inIdList_ = false;
  isMail_ = false;
  stage_ = Stage::WaitHeader;
}

void NetVornRun::BoardTests() {
  uint8_t r = Match(boardTitle_);
  if (r == PatternMatch) {
    currentBoard_ = numbers_[NF::BNO];
    out_.BoardLine(currentBoard_, "", texts_[TF::BTITLE]);
    return;
  }
  if (r == PatternError) return;
  r = Match(boardList_);
  if (r == PatternMatch) {
    currentBoard_ = numbers_[NF::BNO];
    out_.BoardLine(currentBoard_, texts_[TF::BINDEX], texts_[TF::BTITLE]);
    return;
  }
  if (r == PatternError) return;
  r = Match(idListHeader_);
  if (r == PatternMatch) {
    inIdList_ = true;
    return;
  }
  if (r == PatternError) return;
  if (Match(info_) == PatternMatch) out_.SystemLine(line_.Text());
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
  NetVornStore store(*this, SystemLog);
  AnalysisCacheUse cache;
  if (Cache) {
    WalkStateWriter key;
    key.Text(WalkSettingsKey());
    key.Int(Settings->KTC);
    key.Int(Settings->MPN);
    cache = {Cache, "netvorn", std::move(key.Out()), &AnalysisFiles};
  }
  WalkAndStore<NetVornBatch, NetVornFindings>(
      AnalysisThreads, Log, StartLine, ProgressBar, store,
      [&](NetVornFindings& out) { return NetVornRun(*this, Log, out); }, &cache);
  FilesFromCache = cache.filesFromCache;
  FilesKeptInCache = cache.filesKept;
  store.MergeMembers();
  this->NetNo = NetNo;
  return true;
}

void TNetVorn::SortData() {
  Boards.SortBoards();
  if (MembersChanged) Members.SortMembers();
  SortBoardArticles();
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
