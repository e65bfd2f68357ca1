#include "analysis/Nifty.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/LogList.h"
#include "analysis/NiftyBoardId.h"
#include "analysis/NiftyPadFile.h"
#include "analysis/NiftyStore.h"
#include "analysis/PatternProgram.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "store/CommaText.h"
#include "store/MailSendList.h"
#include "text/Dates.h"
#include "text/FieldNames.h"
#include "text/LogPattern.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

using TF = TextField::Slot;
using NF = NumberField::Slot;

// Patterns see at most this many bytes of a line.
constexpr size_t kPatternLineBytes = 255;
// Bytes 0x20 and below at the end of a handle; such a byte is never part of a double-byte
// character.
void TrimRightBlanks(std::string& text) {
  size_t n = text.size();
  while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= 0x20)
    --n;
  text.resize(n);
}

// A compiled pattern with what it needs of the first byte of a text: a pattern that begins
// with a literal compare refuses every line that does not begin with its first byte, and most
// lines are body lines, so the call is spared with the matcher's own answer.
struct LinePattern {
  LinePattern() = default;
  explicit LinePattern(std::string_view compiled) : text(compiled), program(compiled) {
    if (compiled.size() > 2 && compiled[0] == '%' && compiled[1] == 'C' && compiled[2] != '%')
      first = static_cast<unsigned char>(compiled[2]);
  }
  std::string_view text;
  int first = -1;
  PatternProgram program;  // the pattern read once, run on every line
};

// A notice pattern with the lines it copies: from offset lines after the matching one, count
// lines.
struct NoticeRule {
  LinePattern pattern;
  int32_t offset;
  int32_t count;
};

// The walk of one AnalyzeLog call over the log: its state and the patterns of the set. What it
// finds goes to out; it reads nothing back but whether an entry found its board.
class NiftyRun final {
 public:
  NiftyRun(TNifty& process, TLogList& log, NiftyFindings& out)
      : s_(*process.Settings),
        log_(log),
        out_(out),
        boardTitle_(s_.BoardTitlePattern()),
        subjectHeader_(s_.SubjectHeaderPattern()),
        subjectRoot_(s_.SubjectHeaderRootPattern()),
        subjectRess_(s_.SubjectHeaderRessPattern()),
        mailHeader1_(s_.MailHeader1Pattern()),
        mailHeader2_(s_.MailHeader2Pattern()),
        endLine_(s_.LogEndLine),
        mailBoxId_(process.MailBoardIndex),
        mailBoardNo_(process.MailBoardNo) {
    texts_.fill(std::string());
    numbers_.fill(-1);
    for (int n = 1; n <= NiftyGroupCount; ++n) {
      if (!s_.TerminalPattern(n).empty()) terminals_.emplace_back(s_.TerminalPattern(n));
      if (!s_.MailModeHeaderPattern(n).empty())
        mailModeHeaders_.emplace_back(s_.MailModeHeaderPattern(n));
      if (!s_.MailFotterPattern(n).empty()) mailFotters_.emplace_back(s_.MailFotterPattern(n));
      AddNoticeRule(n);
    }
  }

  // What WalkHere and WalkIntoPipe ask of a walk.
  void Begin(int32_t startLine) { fileStart_ = startLine; }
  void WalkLine(std::string_view line, int32_t l);
  // A log list that does not end with the loader's end line: its last line is taken for one.
  void Finish(int32_t count) {
    if (inBody_) EndCurrentEntry(count - 2);
  }
  // What WalkFiles asks besides: everything the walk carries from a line to the next (the
  // file's first line is given by Begin).
  std::string SaveState() const;
  bool LoadState(std::string_view state);

 private:
  uint8_t Match(const LinePattern& pattern) {
    if (pattern.first >= 0 && static_cast<unsigned char>(text_[0]) != pattern.first)
      return PatternNoMatch;
    return pattern.program.Match(text_, texts_, numbers_);
  }
  // The first of the patterns that matches, or nullptr.
  const LinePattern* MatchAny(const std::vector<LinePattern>& patterns) {
    for (const LinePattern& pattern : patterns) {
      if (Match(pattern) == PatternMatch) return &pattern;
    }
    return nullptr;
  }
  // Slots read after a match start empty, so that a pattern of the user's that does not name a
  // field never hands on what an earlier line left there.
  void ClearTexts(std::initializer_list<int> slots) {
    for (int slot : slots)
      texts_[static_cast<size_t>(slot)].clear();
  }
  void ClearNumbers(std::initializer_list<int> slots) {
    for (int slot : slots)
      numbers_[static_cast<size_t>(slot)] = -1;
  }
  void ClearDate() { ClearNumbers({NF::YEAR, NF::MONTH, NF::DAY, NF::HOUR, NF::MINUTE}); }

  void AddNoticeRule(int n);
  void Body(int32_t l);
  bool ArticleBoard(int32_t l);
  bool MailBox(int32_t l);
  void General(int32_t l);
  void EndOfFile(int32_t l);
  void LeaveBody() {
    inBody_ = false;
    inMail_ = false;
  }
  // The state a line that ends an entry leaves.
  void EntryEnded() { expectSecond_ = inBody_ = inMail_ = mailMode_ = false; }
  uint8_t MatchSubjectHeader() {
    ClearTexts({TF::WID, TF::WHANDLE, TF::WTITLE});
    ClearNumbers({NF::WNO});
    return Match(subjectHeader_);
  }
  void StartArticle();
  void EnterBoard();
  void EndCurrentEntry(int32_t lastLine);
  void CopyNotice(int32_t first, int32_t count);

  TNiftyIniFile& s_;
  TLogList& log_;
  NiftyFindings& out_;

  PatternTexts texts_;
  PatternNumbers numbers_;
  std::string text_;  // the current line as the patterns see it
  std::string copy_;  // a notice line on its way to the system log
  const LinePattern boardTitle_, subjectHeader_, subjectRoot_, subjectRess_, mailHeader1_,
      mailHeader2_;
  std::vector<LinePattern> terminals_, mailModeHeaders_, mailFotters_;
  std::vector<NoticeRule> notices_;
  const std::string endLine_;
  const std::string mailBoxId_;
  const int32_t mailBoardNo_;

  // Where articles go. The start value is no board's, and not the mail box's.
  std::string boardId_ = "unknown";
  int32_t boardNo_ = -1;  // BNO of the last board header; -1 = none
  bool inBody_ = false;
  bool expectSecond_ = false;
  bool inMail_ = false;
  bool mailMode_ = false;
  bool isReply_ = false;
  // The entry being read.
  int32_t key_ = -1;
  int32_t time_ = 0;
  std::string writerId_, handle_, title_;
  int32_t mailDate_[5] = {0, 0, 0, 0, 0};
  int32_t fileStart_ = 0;  // the first line of the log file being read
};

std::string NiftyRun::SaveState() const {
  WalkStateWriter w;
  for (const std::string& t : texts_)
    w.Text(t);
  for (int32_t n : numbers_)
    w.Int(n);
  w.Text(boardId_);
  w.Int(boardNo_);
  for (bool flag : {inBody_, expectSecond_, inMail_, mailMode_, isReply_})
    w.Int(flag);
  w.Int(key_);
  w.Int(time_);
  w.Text(writerId_);
  w.Text(handle_);
  w.Text(title_);
  for (int32_t d : mailDate_)
    w.Int(d);
  return std::move(w.Out());
}

// Nothing is changed unless the whole state reads back.
bool NiftyRun::LoadState(std::string_view state) {
  WalkStateReader r(state);
  auto number = [&r] { return static_cast<int32_t>(r.Int(INT32_MIN, INT32_MAX)); };
  PatternTexts texts;
  for (std::string& t : texts)
    t = r.Text();
  PatternNumbers numbers;
  for (int32_t& n : numbers)
    n = number();
  std::string boardId = r.Text();
  const int32_t boardNo = number();
  bool flags[5];
  for (bool& flag : flags)
    flag = r.Int(0, 1) != 0;
  const int32_t key = number();
  const int32_t time = number();
  std::string writerId = r.Text(), handle = r.Text(), title = r.Text();
  int32_t mailDate[5];
  for (int32_t& d : mailDate)
    d = number();
  if (!r.Ok() || !r.AtEnd()) return false;
  texts_ = std::move(texts);
  numbers_ = numbers;
  boardId_ = std::move(boardId);
  boardNo_ = boardNo;
  inBody_ = flags[0];
  expectSecond_ = flags[1];
  inMail_ = flags[2];
  mailMode_ = flags[3];
  isReply_ = flags[4];
  key_ = key;
  time_ = time;
  writerId_ = std::move(writerId);
  handle_ = std::move(handle);
  title_ = std::move(title);
  std::copy(std::begin(mailDate), std::end(mailDate), mailDate_);
  return true;
}

void NiftyRun::AddNoticeRule(int n) {
  const std::string& pattern = s_.InfoPattern(n);
  if (pattern.empty()) return;
  const std::vector<std::string> fields = SplitCommaText(s_.InfoLineText(n));
  if (fields.size() < 2) return;
  const int32_t offset = TextToNumber(fields[0]);
  const int32_t count = TextToNumber(fields[1]);
  if (offset <= NoNumber || count <= NoNumber) return;
  notices_.push_back({LinePattern(pattern), offset, count});
}

void NiftyRun::WalkLine(std::string_view line, int32_t l) {
  if (!endLine_.empty() && line == endLine_) {
    EndOfFile(l);
    return;
  }
  PrepareNiftyLine(line, text_);

  if (inBody_) {
    Body(l);
    return;
  }
  if (!boardId_.empty() && boardId_ != mailBoxId_) {
    if (ArticleBoard(l)) return;
  } else if (boardId_ == mailBoxId_ && mailMode_) {
    if (MailBox(l)) return;
  }
  General(l);
}

void NiftyRun::Body(int32_t l) {
  ClearTexts({TF::BINDEX, TF::BTITLE});
  ClearNumbers({NF::BNO});
  uint8_t r = Match(boardTitle_);
  if (r == PatternError) {
    LeaveBody();
    return;
  }
  if (r == PatternMatch) {
    EndCurrentEntry(l - 2);
    EntryEnded();
    EnterBoard();
    return;
  }
  r = MatchSubjectHeader();
  if (r == PatternError) {
    LeaveBody();
    return;
  }
  if (r == PatternMatch) {
    EndCurrentEntry(l - 2);
    mailMode_ = false;
    StartArticle();
    expectSecond_ = true;
    inBody_ = false;
    return;
  }
  if (MatchAny(terminals_) || (inMail_ && MatchAny(mailFotters_))) {
    EndCurrentEntry(l - 1);
    EntryEnded();
  }
}

bool NiftyRun::ArticleBoard(int32_t l) {
  if (!expectSecond_) {
    const uint8_t r = MatchSubjectHeader();
    if (r == PatternError) {
      inMail_ = false;
      return true;
    }
    if (r == PatternMatch) {
      StartArticle();
      expectSecond_ = true;
      return true;
    }
    return false;
  }

  expectSecond_ = false;
  ClearNumbers({NF::BNO, NF::RNO});
  ClearDate();
  uint8_t r = Match(subjectRess_);
  if (r == PatternError) return true;
  if (r == PatternMatch) {
    isReply_ = true;
  } else {
    r = Match(subjectRoot_);
    if (r == PatternError) return true;
    if (r != PatternMatch) return false;
  }
  const int32_t bno = numbers_[NF::BNO];
  if (boardNo_ != -1 && boardNo_ != bno) return false;

  if (boardNo_ == -1) {
    // Articles before any board header: a board of their own per number, never saved.
    if (bno < 0 || bno > INT32_MAX - RebaseOffset) return false;
    boardId_ = NiftyUnknownBoardId(bno);
    out_.Board(bno + RebaseOffset, boardId_, NiftyUnknownBoardTitle);
  } else {
    out_.Board(-1, boardId_, "");
  }
  time_ = DateKey(numbers_[NF::YEAR], numbers_[NF::MONTH], numbers_[NF::DAY], numbers_[NF::HOUR],
                  numbers_[NF::MINUTE], 0);
  NiftyEntryFound e;
  e.boardId = boardId_;
  e.kind = isReply_ ? ArticleKindRess : ArticleKindRoot;
  e.key = key_;
  e.time = time_;
  e.parent = isReply_ ? numbers_[NF::RNO] : -1;
  e.firstLine = l - 1;
  e.writerId = writerId_;
  e.handle = handle_;
  e.title = title_;
  if (!out_.Article(e)) return false;
  inBody_ = true;
  return true;
}

bool NiftyRun::MailBox(int32_t l) {
  if (!expectSecond_) {
    ClearTexts({TF::WID, TF::WHANDLE});
    ClearDate();
    const uint8_t r = Match(mailHeader1_);
    if (r == PatternError) {
      inMail_ = true;
      return true;
    }
    if (r != PatternMatch) return false;
    writerId_ = texts_[TF::WID];
    handle_ = texts_[TF::WHANDLE];
    TrimRightBlanks(handle_);
    const int date[5] = {NF::YEAR, NF::MONTH, NF::DAY, NF::HOUR, NF::MINUTE};
    for (int i = 0; i < 5; ++i)
      mailDate_[i] = numbers_[static_cast<size_t>(date[i])];
    title_.clear();
    inMail_ = true;
    isReply_ = false;
    expectSecond_ = true;
    return true;
  }

  expectSecond_ = false;
  ClearTexts({TF::WTITLE});
  const uint8_t r = Match(mailHeader2_);
  if (r == PatternError) return true;
  if (r != PatternMatch) return false;
  title_ = texts_[TF::WTITLE];
  time_ = DateKey(mailDate_[0], mailDate_[1], mailDate_[2], mailDate_[3], mailDate_[4], 0);
  NiftyEntryFound e;
  e.kind = ArticleKindMail;
  e.time = time_;
  e.firstLine = l - 1;
  e.writerId = writerId_;
  e.handle = handle_;
  e.title = title_;
  if (!out_.Mail(e)) return false;
  inBody_ = true;
  return true;
}

void NiftyRun::General(int32_t l) {
  ClearTexts({TF::BINDEX, TF::BTITLE});
  ClearNumbers({NF::BNO});
  const uint8_t r = Match(boardTitle_);
  if (r == PatternError) return;
  if (r == PatternMatch) {
    EnterBoard();
    return;
  }
  if (!mailMode_ && MatchAny(mailModeHeaders_)) {
    boardNo_ = mailBoardNo_;
    boardId_ = mailBoxId_;
    mailMode_ = true;
    out_.MergeWhenFull();
  }
  if (mailMode_) return;
  for (const NoticeRule& rule : notices_) {
    if (Match(rule.pattern) == PatternMatch) CopyNotice(l + rule.offset, rule.count);
  }
}

// Only lines of the notice's own log file are copied: a range that starts before the file (a
// notice on its first lines) starts at the file's first line, one that runs past its end stops
// there.
void NiftyRun::CopyNotice(int32_t first, int32_t count) {
  if (count < 1) return;
  const int64_t end = std::min<int64_t>(int64_t{first} + count, log_.Count());
  std::string& copy = copy_;
  for (int64_t s = std::max(first, fileStart_); s < end; ++s) {
    const std::string_view line = log_.LineView(static_cast<int32_t>(s));
    if (!endLine_.empty() && line == endLine_) break;
    if (line.size() >= kPatternLineBytes) {
      out_.SystemLine(line.substr(0, kPatternLineBytes));
    } else {
      copy.assign(line);
      copy.push_back('\r');
      out_.SystemLine(copy);
    }
  }
}

void NiftyRun::StartArticle() {
  key_ = numbers_[NF::WNO];
  writerId_ = texts_[TF::WID];
  handle_ = texts_[TF::WHANDLE];
  TrimRightBlanks(handle_);
  title_ = texts_[TF::WTITLE];
  inMail_ = false;
  isReply_ = false;
}

void NiftyRun::EnterBoard() {
  boardNo_ = numbers_[NF::BNO];
  MakeNiftyBoardId(texts_[TF::BINDEX], boardNo_, boardId_);
  out_.Board(-1, boardId_, BoardTitleFromHeader(texts_[TF::BTITLE]));
  out_.MergeWhenFull();
}

void NiftyRun::EndCurrentEntry(int32_t lastLine) {
  out_.LastLine(lastLine);
}

// The loader appends the set's end line after every log file. Whatever is open ends with the
// file's last line, and a header half read does not pair with the next file's lines. The
// reading mode is the host's, not the file's: a mail list that goes on in the next capture is
// still a mail list there.
void NiftyRun::EndOfFile(int32_t l) {
  if (inBody_) EndCurrentEntry(l - 1);
  expectSecond_ = inBody_ = inMail_ = false;
  fileStart_ = l + 1;
}

}  // namespace

void PrepareNiftyLine(std::string_view line, std::string& text) {
  PrepareLineText(line, text);  // escapes removed, CR appended
  if (text.size() > kPatternLineBytes) text.resize(kPatternLineBytes);
}

TNifty::TNifty(const std::string& settingsFile, const std::string& defaultsFile)
    : TNifty(std::make_unique<TNiftyIniFile>(settingsFile, defaultsFile)) {}

TNifty::TNifty(std::unique_ptr<TNiftyIniFile> settings)
    : TBBSProcess(std::move(settings), true), Settings(static_cast<TNiftyIniFile*>(IniFile)) {
  Name = "Nifty-Serve";
  Delimita = std::string(".");  // not a literal assignment: GCC 12 warns wrongly (-Wrestrict)
  MailBoardNo = -1;
  MailBoardIndex = std::string(NiftyMailBoxId);
}

std::string TNifty::GetSystemName() const {
  return "NiftyServe";
}

void TNifty::ClearData() {
  TBBSProcess::ClearData();
  MailBoardNo = -1;
  MailBoardIndex = std::string(NiftyMailBoxId);
  static const std::string mailTitle = Cp932("メール ");
  Boards.AddBoard(-1, MailBoardIndex, mailTitle);
  const int32_t index = Boards.FindBoardId(MailBoardIndex);
  if (index >= 0)
    Boards.SetBoardAttr(index, 0, Boards.GetBoardType(index), Boards.GetBoardAttr(index));
}

bool TNifty::AnalyzeLog(int32_t NetNo, TLogList& Log, TLogList& SystemLog, int32_t StartLine) {
  MembersChanged = false;
  if (!Settings || !Settings->SelectNet(NetNo)) return false;
  GenerateBoardTitle = Settings->GenerateBoardTitleText();
  HeaderOffset = 0;
  this->NetNo = -1;
  for (int32_t b = 0; b < Boards.Count(); ++b) {
    if (TArticleList* articles = Boards.GetArticles(b)) articles->DropPlaceholders();
  }
  NiftyStore store(*this, SystemLog);
  AnalysisCacheUse cache;
  if (Cache) {
    WalkStateWriter key;
    key.Text(WalkSettingsKey());
    key.Int(Settings->MemberAutoAdd);
    cache = {Cache, "nifty", std::move(key.Out()), &AnalysisFiles};
  }
  WalkAndStore<NiftyBatch, NiftyFindings>(
      AnalysisThreads, Log, StartLine, ProgressBar, store,
      [&](NiftyFindings& out) { return NiftyRun(*this, Log, out); }, &cache);
  FilesFromCache = cache.filesFromCache;
  FilesKeptInCache = cache.filesKept;
  store.MergeMembers(true);
  this->NetNo = NetNo;
  return true;
}

void TNifty::SortData() {
  Boards.SortBoardsById();
  if (MembersChanged) Members.SortMembers();
  SortBoardArticles();
}

bool TNifty::ReadUpFile(const std::string&) {
  return true;
}

bool TNifty::WriteUpFile(const std::string&) {
  return true;
}

std::vector<std::string> TNifty::PadFileLines() const {
  return BuildNiftyPadLines(Boards);
}

bool TNifty::WritePadFile(const std::string& PadFile) {
  if (!Settings || PadFile.empty()) return false;
  const std::vector<std::string> lines = BuildNiftyPadLines(Boards);
  if (lines.empty()) {
    if (!RemoveUserFile(PadFile)) return false;
    OutputFilesKnown[PadFile].clear();
    return true;
  }
  // The old file stays until the new one is complete: a full disk must not cost the user the
  // writes of the last run.
  CrLfTextBuilder out;
  for (const std::string& line : lines)
    out.Line(line);
  bool ok = WriteUserFile(PadFile, out.Data());
  if (ok) OutputFilesKnown[PadFile] = out.Data();
  if (Settings->PadFileAddDate && !Settings->PadFileAddDateStr.empty()) {
    const std::string dated = DatedFileName(
        PadFile, ExpandDatePlaceholders(Settings->PadFileAddDateStr, CurrentLocalTime()));
    ok = out.WriteAtomic(dated) && ok;
  }
  return ok;
}

bool TNifty::ReadPadFile(const std::string& PadFile) {
  if (!Settings) return false;
  // What was read is noted as known (a declined file as empty).
  std::string& known = OutputFilesKnown[PadFile];
  known.clear();
  std::vector<std::string> lines;
  if (!ReadClassicTextFile(PadFile, lines)) return true;
  if (lines.empty()) {
    ReadWholeFile(PadFile, known);
    UserFileText text;
    text.Bytes = known;
    text.Note(PadFile, true);
    return true;
  }
  static const std::string question = Cp932("PADファイルが存在しています\r\n読込みますか？");
  const UiAnswer answer = Ui().AskLoadCheck(question);
  if (answer != UiAnswer::Yes) {
    // Not read: none of its bytes are understood.
    NoteUserFileRead(PadFile, {}, false);
    if (answer == UiAnswer::Cancel) DeleteFileAt(PadFile);  // the dialog's delete button
    return false;
  }
  ReadWholeFile(PadFile, known);

  // The mail read last, which a following entry of the same text to another recipient joins.
  TArticleList* lastMailList = nullptr;
  int32_t lastMailKey = -1;
  TStringList lastMailText;
  std::vector<std::string> lastRecipients;

  int32_t unplaced = 0;
  std::vector<NiftyPadEntry> entries = ParseNiftyPadLines(lines, Boards, MailBoardIndex, &unplaced);
  for (NiftyPadEntry& e : entries) {
    TArticleList* articles = Boards.GetArticles(e.BoardIndex);
    if (!articles) {
      ++unplaced;
      continue;
    }
    const bool isMail = e.Kind == ArticleKindMail;
    if (isMail && articles == lastMailList && lastMailText == e.Text &&
        std::find(lastRecipients.begin(), lastRecipients.end(), e.Recipient) ==
            lastRecipients.end()) {
      lastRecipients.push_back(e.Recipient);
      auto mailTo = std::make_unique<TMailSendList>(true);
      for (const std::string& id : lastRecipients)
        mailTo->AddRecipientText(id);
      articles->AddArticle(ArticleKindMail, 1, lastMailKey, -1, 0, -1, -1, -1, -1, {}, {},
                           e.Text.front(), {}, -1, 1, nullptr, std::move(mailTo));
      articles->SortArticles();
      continue;
    }
    std::unique_ptr<TMailSendList> mailTo;
    if (isMail) {
      mailTo = std::make_unique<TMailSendList>(true);
      mailTo->AddRecipientText(e.Recipient);
    }
    const int32_t key = WriteArticleNo;
    const bool added =
        articles->AddArticle(e.Kind, 1, key, -1, 0, e.ParentKey, -1, -1, -1, {}, {}, e.Text.front(),
                             {}, -1, 1, std::make_unique<TStringList>(e.Text), std::move(mailTo));
    articles->SortArticles();
    ++WriteArticleNo;
    lastMailList = isMail && added ? articles : nullptr;
    lastMailKey = key;
    lastMailText = std::move(e.Text);
    lastRecipients.assign(1, e.Recipient);
  }
  // Understood when the writes taken from it are written back as the file stands.
  UserFileText text;
  text.Bytes = known;
  text.Note(PadFile, unplaced == 0 && BuildNiftyPadLines(Boards) == lines);
  NoteUnplacedWrites(PadFile, unplaced, false);
  return true;
}

std::string TNifty::CheckIdNumber(int32_t) const {
  return {};
}

std::string TNifty::CheckIdText(std::string& Id) const {
  static const std::string message = Cp932("IDは英字3文字+数値5桁で指定して下さい");
  PatternTexts texts;
  PatternNumbers numbers{};
  if (Id.size() != 8 || MatchPattern(Id, "%A3%N5", texts, numbers) != PatternMatch) return message;
  for (char& c : Id) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return {};
}

std::string TNifty::GetBoardLabel(int32_t BoardIndex, bool Padded) const {
  const std::string id = Boards.GetBoardId(BoardIndex);
  if (id.size() <= 10) return {};
  if (IsMailBox(BoardIndex)) return Padded ? "MAIL           " : "MAIL";
  std::string index;
  int32_t number = 0;
  if (!SplitNiftyBoardId(id, index, number)) return {};
  char buf[64];
  const int len = Padded ? std::snprintf(buf, sizeof buf, ":MES:%.2d", number)
                         : std::snprintf(buf, sizeof buf, ":MES:%d", number);
  if (Padded && index.size() < 8) index.append(8 - index.size(), ' ');
  return index + std::string(buf, static_cast<size_t>(len));
}

std::string TNifty::GetBoardName(int32_t BoardIndex) const {
  const std::string id = Boards.GetBoardId(BoardIndex);
  if (id.size() <= 10) return {};
  if (IsMailBox(BoardIndex)) return "MAIL";
  std::string index;
  int32_t number = 0;
  if (!SplitNiftyBoardId(id, index, number)) return {};
  char buf[64];
  const int len = std::snprintf(buf, sizeof buf, "  MES(%.2d)", number);
  return index + std::string(buf, static_cast<size_t>(len));
}

std::string TNifty::FindWriterHandle(const std::vector<std::string>& Lines) const {
  if (!Settings) return {};
  const std::string& pattern = Settings->SubjectHeaderPattern();
  PatternTexts texts;
  PatternNumbers numbers{};
  std::string text;
  for (const std::string& line : Lines) {
    // The lines are log lines: they are seen the way the analysis saw them.
    PrepareNiftyLine(line, text);
    texts[TF::WHANDLE].clear();
    const uint8_t r = MatchPattern(text, pattern, texts, numbers);
    if (r == PatternError) return {};
    if (r == PatternMatch) {
      std::string handle = texts[TF::WHANDLE];
      TrimRightBlanks(handle);
      return handle;
    }
  }
  return {};
}

}  // namespace vorn
