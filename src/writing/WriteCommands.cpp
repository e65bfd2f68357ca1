#include "writing/WriteCommands.h"

#include <memory>
#include <optional>
#include <utility>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"
#include "text/Numbers.h"
#include "text/ShiftJisText.h"
#include "writing/EditIF.h"
#include "writing/RunningEditors.h"

namespace vorn {
namespace {

// Boards at and above this number were met in a log without their number being settled.
constexpr int32_t NoInfoBoardNo = 2030000000;

// ASCII letters only; the second byte of a double-byte character is left alone.
std::string AsciiCase(std::string_view text, bool upper) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(out[i])) {
      ++i;
      continue;
    }
    char& c = out[i];
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The lines of a title, each of its line breaks starting a new one.
TStringList TitleLines(const std::string& title) {
  TStringList lines;
  size_t start = 0;
  for (;;) {
    const size_t end = title.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(title.substr(start));
      break;
    }
    lines.push_back(title.substr(start, end - start));
    start = end + (title.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (start >= title.size()) break;
  }
  return lines;
}

// Takes an editor into the running list for the span of a command and gives the file commands
// back when the last editor is gone, on every way out.
class RunningEditor {
 public:
  RunningEditor(TRunningEditors& editors, TWriteHost& host, const std::string& tempFile)
      : editors_(editors), host_(host), editor_(tempFile, editors.NextNumber()) {
    editors_.Add(&editor_);
    host_.EnableFileCommands(false);
  }
  ~RunningEditor() {
    editors_.Remove(&editor_);
    if (editors_.Empty()) host_.EnableFileCommands(true);
  }
  RunningEditor(const RunningEditor&) = delete;
  RunningEditor& operator=(const RunningEditor&) = delete;
  TEditIF& Editor() { return editor_; }

 private:
  TRunningEditors& editors_;
  TWriteHost& host_;
  TEditIF editor_;
};

// The messages of a failed edit; false when nothing may be queued.
bool EditSucceeded(TEditResult result, const TStringList& lines) {
  if (result == EditLaunchError) {
    static const std::string message = Cp932("エディタ起動エラーが発生しました");
    Ui().Warning(message);
    return false;
  }
  if (result == EditTempFileError) {
    static const std::string message = Cp932("テンポラリファイルへのアクセスエラーが発生しました");
    Ui().Warning(message);
    return false;
  }
  return result == EditDone && !lines.empty();
}

bool AddWrite(TArticleList& articles, uint8_t kind, int32_t key, int32_t parentKey,
              TStringList text, std::unique_ptr<TMailSendList> mailTo) {
  const std::string title = text.empty() ? std::string() : text[0];
  return articles.AddArticle(kind, 1, key, -1, 0, parentKey, -1, -1, -1, {}, {}, title, {}, -1, 1,
                             std::make_unique<TStringList>(std::move(text)), std::move(mailTo));
}

// A binary write names the file to upload on its second line and the name it is written under
// on its third; without them it cannot be sent, and the upload file leaves it out. When the
// edited text has them elsewhere they are moved back; when it lost them they are put back as
// they were (fileLine, nameLine). The user is told, and can correct the write with the edit
// command.
void KeepBinaryLines(const TBBSProcess& bbs, TStringList& text, const std::string& fileLine,
                     const std::string& nameLine) {
  const std::string& fileHeader = bbs.BinaryFileHeader;
  const std::string& nameHeader = bbs.WriteFileHeader;
  if (text.size() >= 3 && text[1].starts_with(fileHeader) && text[2].starts_with(nameHeader))
    return;
  auto take = [&](const std::string& header, const std::string& original) {
    for (size_t i = 1; i < text.size(); ++i) {
      if (text[i].starts_with(header)) {
        std::string line = std::move(text[i]);
        text.erase(text.begin() + static_cast<std::ptrdiff_t>(i));
        return line;
      }
    }
    return original;
  };
  std::string file = take(fileHeader, fileLine);
  std::string name = take(nameHeader, nameLine);
  text.insert(text.begin() + 1, {std::move(file), std::move(name)});
  Ui().Warning(fileHeader + Cp932("と") + nameHeader +
               Cp932("の行はバイナリ書込みの2行目と3行目に必要です\r"
                     "この2行を戻して書込みました。内容は書込編集で確かめて下さい"));
}

int32_t BoardOfArticles(const TBoardList& boards, const TArticleList* articles) {
  for (int32_t b = 0; articles && b < boards.Count(); ++b) {
    if (boards.GetArticles(b) == articles) return b;
  }
  return -1;
}

}  // namespace

std::string ExpandTitleTemplate(const TBBSProcess& bbs, std::string_view Template,
                                int32_t SourceBoard, int32_t Position, int32_t DestBoard,
                                int32_t order) {
  const TBoardList& boards = bbs.Boards;
  const TArticleList* articles = boards.GetArticles(SourceBoard);
  const ArticleRecord* article =
      Position >= 0 && articles ? articles->GetArticle(order, Position) : nullptr;
  const bool textIds = bbs.Members.TextIds != 0;

  // The value of a code; false when the code has no value here.
  auto code = [&](char letter, std::string& value) {
    switch (letter) {
      case 'W':
      case 'w':
        value = AsciiCase(bbs.GetBoardName(SourceBoard), letter == 'W');
        return true;
      case 'e':
        value = bbs.GetBoardLabel(SourceBoard, false);
        return true;
      case 'q':
        value = std::to_string(boards.GetBoardNo(SourceBoard));
        return true;
      case 'r':
        value = boards.GetBoardTitle(SourceBoard);
        return true;
      default:
        break;
    }
    if (DestBoard >= 0) {
      switch (letter) {
        case 'h':
          value = std::to_string(boards.GetBoardNo(DestBoard));
          return true;
        case 'j':
        case 'J':
          value = AsciiCase(boards.GetBoardId(DestBoard), letter == 'J');
          return true;
        case 'k':
          value = bbs.GetBoardLabel(DestBoard, false);
          return true;
        case 'l':
          value = boards.GetBoardTitle(DestBoard);
          return true;
        default:
          break;
      }
    }
    if (article) {
      switch (letter) {
        case 'a':
          value = std::to_string(article->Number);
          return true;
        case 's':
          value = article->Title().Str();
          return true;
        case 'd':
          value = textIds ? article->WriterIdText().Str() : std::to_string(article->WriterId);
          return true;
        case 'f': {
          const int32_t member = textIds ? bbs.Members.FindIdText(article->WriterIdText().View())
                                         : bbs.Members.FindIdNo(article->WriterId);
          value = bbs.Members.GetShortHandle(member);
          return true;
        }
        default:
          break;
      }
    }
    return false;
  };

  std::string out;
  const size_t n = Template.size();
  size_t i = 0;
  while (i < n) {
    const char c = Template[i];
    if (IsLeadByte(c)) {
      out += Template.substr(i, 2);
      i += 2;
      continue;
    }
    if (c == '\\' && i + 1 < n) {
      const char next = Template[i + 1];
      if (IsLeadByte(next)) {
        out += Template.substr(i + 1, 2);
        i += 3;
      } else {
        out += next == 'n' ? std::string("\r\n") : std::string(1, next);
        i += 2;
      }
      continue;
    }
    if (c == '$' && i + 1 < n && IsAsciiLetter(Template[i + 1])) {
      const char letter = Template[i + 1];
      std::string value;
      out += code(letter, value) ? value : std::string(1, letter);
      i += 2;
      continue;
    }
    // A '$' before anything but a letter, and a '\' or '$' at the very end, stay as they are.
    out += c;
    ++i;
  }
  return out;
}

TWriteCommands::TWriteCommands(TLogSession& session, CommonSettings& common,
                               TRunningEditors& editors, TWriteHost& host, TEditorWait& wait)
    : session_(session), common_(common), editors_(editors), host_(host), wait_(wait) {}

TBBSProcess* TWriteCommands::Process() const {
  return session_.CurrentProcess;
}

int32_t TWriteCommands::MailBox() const {
  const TBBSProcess* bbs = Process();
  for (int32_t b = 0; bbs && b < bbs->Boards.Count(); ++b) {
    if (bbs->IsMailBox(b)) return b;
  }
  return -1;
}

void TWriteCommands::Configure(TEditIF& editor) const {
  const TBBSProcess& bbs = *Process();
  editor.FooterBeforeEdit = common_.FotterAddBefore;
  editor.FooterFile = bbs.IniFile ? session_.SetPath(bbs.IniFile->FotterFile) : std::string();
  editor.QuotePrefix = common_.ArticleBouteChr;
  editor.CutBlankQuoteLines = common_.BouteBlankCut;
  editor.EditorPath = common_.Editer;
  editor.SetHeadMarkers(common_.ArticleEditBigFontPrefix);
  editor.DefaultTitle = common_.DefaultTitle;
  editor.WaitForActivation = common_.EditerEndActivate;
  static const std::string upFileLabel = Cp932("[UP対象ファイル]");
  static const std::string writeFileLabel = Cp932("[書込ファイル名]");
  editor.UpFileLabel = upFileLabel;
  editor.WriteFileLabel = writeFileLabel;
  editor.Delimiter = bbs.Delimita;
}

std::string TWriteCommands::CheckWrite(int32_t SourceBoard, int32_t DestBoard, TWriteType Type,
                                       bool& notice) const {
  notice = false;
  const TBoardList& boards = Process()->Boards;
  const bool article = Type <= WriteBinaryRess;
  if (article && boards.GetBoardNo(SourceBoard) >= NoInfoBoardNo)
    return Cp932("情報不明ボードのため、記事書込は出来ません。");
  if (DestBoard >= 0) {
    if (DestBoard == SourceBoard)
      return Cp932("レス元と同じボードです、通常のレス操作を行って下さい");
    notice = common_.JumpRessWriteSrc && boards.GetBoardType(SourceBoard) != 1 &&
             boards.GetBoardAttr(SourceBoard) != 1 && boards.GetBoardAttr(SourceBoard) != 2;
  }
  const int32_t board = DestBoard >= 0 ? DestBoard : SourceBoard;
  const bool normal = Type == WriteRoot || Type == WriteRess;
  const bool binary = Type == WriteBinaryRoot || Type == WriteBinaryRess;
  const bool reply = Type == WriteRess || Type == WriteBinaryRess;
  if (boards.GetBoardType(board) == 1 && normal)
    return Cp932("このボードはバイナリボードのため、通常記事を書込めません");
  if (boards.IsArticleBoard(board) == 1 && boards.GetBoardType(board) == 0 && binary)
    return Cp932("このボードは通常ボードのため、バイナリ記事を書込めません");
  if (boards.GetBoardAttr(board) == 1 && article) return Cp932("このボードは書込み禁止です");
  if (boards.GetBoardAttr(board) == 2 && reply) return Cp932("このボードはレス禁止です");
  return {};
}

WriteResult TWriteCommands::StartWrite(int32_t SourceBoard, int32_t DestBoard, int32_t Position,
                                       TWriteType Type) {
  TBBSProcess* bbs = Process();
  if (!bbs || !bbs->Boards.GetArticles(SourceBoard)) return {};
  if (DestBoard >= 0 && !bbs->Boards.GetArticles(DestBoard)) return {};
  TBoardList& boards = bbs->Boards;
  const bool jump = DestBoard >= 0;
  const bool numericIds = bbs->Members.TextIds == 0;

  bool notice = false;
  if (const std::string refusal = CheckWrite(SourceBoard, DestBoard, Type, notice);
      !refusal.empty()) {
    Ui().Warning(refusal);
    return {};
  }
  int32_t mailBox = -1;
  if (Type == WriteMail || Type == WriteBinaryMail) {
    mailBox = MailBox();
    if (mailBox < 0) return {};
  }
  const bool sourceIsMailBox = boards.IsArticleBoard(SourceBoard) == 0;
  std::unique_ptr<TMailSendList> chosen;
  if (sourceIsMailBox && (Type == WriteRoot || Type == WriteBinaryRoot)) {
    if (bbs->Members.LiveCount() == 0) {
      Ui().Warning(Cp932("IDが登録されていません"));
      return {};
    }
    const std::string id = host_.ChooseMailRecipient();
    if (id.empty()) return {};
    chosen = std::make_unique<TMailSendList>(!numericIds);
    if (numericIds) {
      const int32_t number = TextToNumber(id);
      if (number < 0) {
        Ui().Warning(Cp932("ID:") + id + Cp932("指定エラーです"));
        return {};
      }
      chosen->AddRecipientId(number);
    } else {
      chosen->AddRecipientText(id);
    }
  }

  RunningEditor running(editors_, host_, common_.TempFile);
  TEditIF& editor = running.Editor();
  Configure(editor);

  TStringList material;
  TStringList noticeText;
  int32_t parentKey = -1;
  int32_t writerId = -1;
  std::string writerIdText;
  if (Type != WriteRoot && Type != WriteBinaryRoot) {
    const int32_t order = host_.CurrentOrder();
    const ArticleRecord* found = boards.GetArticles(SourceBoard)->GetArticle(order, Position);
    if (!found || found->WriteFlag == 1) return {};
    // A copy: the message boxes below let other writes sort this board meanwhile.
    const ArticleRecord source = *found;
    parentKey = source.ArticleKey;
    writerId = source.WriterId;
    writerIdText = source.WriterIdText().Str();
    // In the mail box a reply is a mail to the writer, which maintenance does not touch.
    const bool replyInBoard = (Type == WriteRess || Type == WriteBinaryRess) && !sourceIsMailBox;
    bool maintained = source.Maintained && bbs->IniFile && bbs->IniFile->Mente;
    if (maintained && notice) {
      // The notice is dropped instead: the host would not take a reply to this article.
      notice = false;
      maintained = false;
    }

    std::string title;
    if (jump) {
      if (notice) {
        std::string noticeTitle = ExpandTitleTemplate(*bbs, common_.JumpRessTitleSrc, SourceBoard,
                                                      Position, DestBoard, order);
        if (noticeTitle.empty()) noticeTitle = common_.DefaultTitle;
        noticeText = TitleLines(noticeTitle);
      }
      title = ExpandTitleTemplate(*bbs, common_.JumpRessTitleDist, SourceBoard, Position, DestBoard,
                                  order);
    } else {
      title = ExpandTitleTemplate(*bbs, common_.RessTitle, SourceBoard, Position, DestBoard, order);
    }
    if (title.empty()) title = common_.DefaultTitle;
    material.push_back(std::move(title));
    // Quoted as the view shows the article: the log's terminal sequences (colours, cursor
    // moves) must not go back to the host inside the reply.
    if (source.FirstLine >= 0) {
      for (int32_t line = source.FirstLine; line <= source.LastLine; ++line)
        material.push_back(StripEscapeSequences(session_.LogList.GetLine(line)));
    }

    if (maintained && replyInBoard) {
      if (!bbs->IniFile->SerialHeader) {
        Ui().Warning(Cp932("この記事はホスト側でメンテナンス済みです\r強制的にルート書込とします"));
        // A jump reply is a new thread in its board anyway.
        if (!jump) Type = Type == WriteRess ? WriteRoot : WriteBinaryRoot;
      } else {
        Ui().Information(Cp932(
            "この記事はホスト側でメンテナンス済みです\rホスト側でルート書込となる恐れがあります"));
      }
    }
  }

  std::string binaryFile;
  if (Type == WriteBinaryRoot || Type == WriteBinaryRess || Type == WriteBinaryMail) {
    binaryFile = host_.ChooseBinaryFile();
    if (binaryFile.empty()) return {};
  }

  // Logs may be added while the editor is open, and the boards sorted anew with new ones
  // among them: the boards are found again by their article lists, which move with them.
  const TArticleList* sourceList = boards.GetArticles(SourceBoard);
  const TArticleList* destList = jump ? boards.GetArticles(DestBoard) : nullptr;
  const TArticleList* mailList = mailBox >= 0 ? boards.GetArticles(mailBox) : nullptr;
  const TEditResult edited = editor.EditText(material, binaryFile, false, wait_);
  if (!EditSucceeded(edited, material)) return {};
  if (material[0].empty()) material[0] = common_.DefaultTitle;
  if (!binaryFile.empty()) {
    const auto [fileLine, nameLine] = editor.BinaryLines(binaryFile);
    KeepBinaryLines(*bbs, material, fileLine, nameLine);
  }
  SourceBoard = BoardOfArticles(boards, sourceList);
  if (jump) DestBoard = BoardOfArticles(boards, destList);
  if (mailList) mailBox = BoardOfArticles(boards, mailList);
  if (SourceBoard < 0 || (jump && DestBoard < 0) || (mailList && mailBox < 0)) return {};

  // Where the write goes and what it is.
  auto writer = [&] {
    auto list = std::make_unique<TMailSendList>(!numericIds);
    if (numericIds) {
      list->AddRecipientId(writerId);
    } else {
      list->AddRecipientText(writerIdText);
    }
    return list;
  };
  const bool binary = Type == WriteBinaryRoot || Type == WriteBinaryRess || Type == WriteBinaryMail;
  WriteResult result;
  uint8_t kind = 0;
  int32_t key = -1;
  std::unique_ptr<TMailSendList> mailTo;
  if (Type == WriteMail || Type == WriteBinaryMail) {
    result.Board = mailBox;
    kind = binary ? ArticleKindBinaryMail : ArticleKindMail;
    mailTo = writer();
  } else if (jump) {
    if (!noticeText.empty()) {
      AddWrite(*boards.GetArticles(SourceBoard), ArticleKindRess, bbs->WriteArticleNo++, parentKey,
               std::move(noticeText), nullptr);
      result.NoticeBoard = SourceBoard;
    }
    result.Board = DestBoard;
    kind = binary ? ArticleKindBinaryRoot : ArticleKindRoot;
  } else if (sourceIsMailBox) {
    result.Board = SourceBoard;
    kind = binary ? ArticleKindBinaryMail : ArticleKindMail;
    mailTo = chosen ? std::move(chosen) : writer();
  } else {
    result.Board = SourceBoard;
    const bool reply = Type == WriteRess || Type == WriteBinaryRess;
    kind = reply ? (binary ? ArticleKindBinaryRess : ArticleKindRess)
                 : (binary ? ArticleKindBinaryRoot : ArticleKindRoot);
    if (reply) key = parentKey;
  }
  result.ArticleKey = bbs->WriteArticleNo++;
  TArticleList& target = *boards.GetArticles(result.Board);
  AddWrite(target, kind, result.ArticleKey, key, std::move(material), std::move(mailTo));
  target.SortArticles();
  if (result.NoticeBoard >= 0) boards.GetArticles(result.NoticeBoard)->SortArticles();
  result.Done = true;

  // The grid follows the write. The board list may show another board by now: the user can
  // go on reading while the editor is open.
  const int32_t shown = host_.ShownBoard();
  if (result.Board == mailBox || (sourceIsMailBox && result.Board == SourceBoard)) {
    if (shown == result.Board) {
      result.Refresh =
          common_.RoorWriteJump ? WriteRefresh::ShowWrite : WriteRefresh::RedrawCurrent;
    }
  } else if (common_.RoorWriteJump) {
    result.Refresh = WriteRefresh::ShowWrite;
  } else if (shown == result.Board || (shown == SourceBoard && result.NoticeBoard >= 0)) {
    result.Refresh = WriteRefresh::RedrawCurrent;
  }
  return result;
}

std::pair<TArticleList*, const ArticleRecord*> TWriteCommands::WriteAt(int32_t Board,
                                                                       int32_t Position) const {
  TBBSProcess* bbs = Process();
  TArticleList* articles = bbs ? bbs->Boards.GetArticles(Board) : nullptr;
  if (!articles) return {};
  const ArticleRecord* write = articles->GetArticle(host_.CurrentOrder(), Position);
  if (!write || write->WriteFlag != 1) return {};
  return {articles, write};
}

WriteResult TWriteCommands::EditWrite(int32_t Board, int32_t Position) {
  const auto [articles, write] = WriteAt(Board, Position);
  if (!write) return {};
  const uint8_t kind = write->Kind;
  const int32_t key = write->ArticleKey;
  const int32_t parentKey = write->ParentKey;
  TStringList text = write->Text() ? *write->Text() : TStringList();
  // The file lines a binary write had, to be put back should the edit lose them.
  std::optional<std::pair<std::string, std::string>> binaryLines;
  if (kind == ArticleKindBinaryRoot || kind == ArticleKindBinaryRess ||
      kind == ArticleKindBinaryMail) {
    auto lineWith = [&text](const std::string& header) {
      for (const std::string& line : text) {
        if (line.starts_with(header)) return line;
      }
      return header;
    };
    const TBBSProcess& bbs = *Process();
    binaryLines.emplace(lineWith(bbs.BinaryFileHeader), lineWith(bbs.WriteFileHeader));
  }
  // Kept in case the write is deleted while the editor is open: the edit then brings it back
  // whole.
  std::unique_ptr<TMailSendList> recipients =
      write->MailTo() ? std::make_unique<TMailSendList>(*write->MailTo()) : nullptr;

  RunningEditor running(editors_, host_, common_.TempFile);
  TEditIF& editor = running.Editor();
  Configure(editor);
  const TEditResult edited = editor.EditText(text, std::string(), true, wait_);
  if (!EditSucceeded(edited, text)) return {};
  if (text[0].empty()) text[0] = common_.DefaultTitle;
  if (binaryLines) KeepBinaryLines(*Process(), text, binaryLines->first, binaryLines->second);
  // Found again by its key: the list may have been sorted while the editor was open. A live
  // entry keeps its recipients.
  if (articles->FindArticle(key, 0) >= 0) recipients.reset();
  AddWrite(*articles, kind, key, parentKey, std::move(text), std::move(recipients));
  articles->SortArticles();
  WriteResult result;
  result.Done = true;
  // Found again: logs added meanwhile may have moved the board.
  result.Board = BoardOfArticles(Process()->Boards, articles);
  result.ArticleKey = key;
  result.Refresh = WriteRefresh::ShowWrite;
  return result;
}

WriteResult TWriteCommands::DeleteWrite(int32_t Board, int32_t Position) {
  const auto [articles, write] = WriteAt(Board, Position);
  if (!write) return {};
  const int32_t key = write->ArticleKey;
  if (!Ui().ConfirmYesNo(Cp932("この書込みを削除しますか？"))) return {};
  articles->SetArticleUsed(key, 0, 0);
  articles->SortArticles();
  WriteResult result;
  result.Done = true;
  result.Board = Board;
  result.ArticleKey = key;
  result.Refresh = WriteRefresh::RedrawCurrent;
  return result;
}

WriteResult TWriteCommands::ToggleBatchSet(int32_t Board, int32_t Position) {
  TBBSProcess* bbs = Process();
  TArticleList* articles = bbs ? bbs->Boards.GetArticles(Board) : nullptr;
  if (!articles) return {};
  const int32_t order = host_.CurrentOrder();
  const ArticleRecord* entry = articles->GetArticle(order, Position);
  if (!entry || entry->WriteFlag != 0 ||
      (entry->Kind != ArticleKindBinaryRoot && entry->Kind != ArticleKindBinaryRess))
    return {};
  const bool setting = entry->BatchFlag == 0;
  const int32_t key = entry->ArticleKey;
  const int32_t time = entry->PostTime;
  if (setting && entry->Maintained && bbs->IniFile && bbs->IniFile->Mente) {
    if (!bbs->IniFile->SerialHeader) {
      Ui().Warning(Cp932("この記事はホスト側でメンテナンス済みです\rバッチセット出来ません"));
      return {};
    }
    Ui().Information(Cp932(
        "この記事はホスト側でメンテナンス済みです\rホスト側でバッチセット出来ない恐れがあります"));
  }
  // Found again: the message box let other writes sort the board meanwhile.
  const ArticleRecord* still = articles->GetArticle(order, Position);
  const int32_t position = still && still->ArticleKey == key && still->PostTime == time
                               ? Position
                               : articles->FindByKeyAndTime(order, key, time);
  if (position < 0) return {};
  articles->SetBatchFlag(order, position, setting ? 1 : 0);
  WriteResult result;
  result.Done = true;
  result.Board = Board;
  result.ArticleKey = key;
  result.Refresh = WriteRefresh::RedrawCurrent;
  return result;
}

bool TWriteCommands::GridKey(char key, bool shift, int32_t Board, int32_t Position,
                             WriteResult& result) {
  result = {};
  TBBSProcess* bbs = Process();
  const TArticleList* articles = bbs ? bbs->Boards.GetArticles(Board) : nullptr;
  if (!articles) return false;
  const bool hasArticles = articles->OrderCount(ArticleSortNormal) > 0;
  static const std::string noBinaryRoot =
      Cp932("このホストシステムでのバイナリルート書込はサポートしていません");
  static const std::string noBinaryRess =
      Cp932("このホストシステムでのバイナリレス書込はサポートしていません");
  static const std::string noBinaryMail =
      Cp932("このホストシステムでのバイナリメール作成はサポートしていません");
  static const std::string noBinaryJump =
      Cp932("このホストシステムでのバイナリジャンプレス書込はサポートしていません");
  // The plain write, or its binary form when shifted and the family has it.
  auto write = [&](TWriteType plain, TWriteType binary, bool supported, const std::string& refusal,
                   int32_t dest) {
    if (shift && !supported) {
      Ui().Warning(refusal);
      return;
    }
    result = StartWrite(Board, dest, Position, shift ? binary : plain);
  };
  switch (key) {
    case 'W':
      write(WriteRoot, WriteBinaryRoot, bbs->WriteBinaryRootFlag, noBinaryRoot, -1);
      return true;
    case 'F':
    case 'P':
      if (hasArticles)
        write(WriteRess, WriteBinaryRess, bbs->WriteBinaryRessFlag, noBinaryRess, -1);
      return true;
    case 'M':
      if (hasArticles)
        write(WriteMail, WriteBinaryMail, bbs->WriteBinaryMailFlag, noBinaryMail, -1);
      return true;
    case 'J':
    case 'G': {
      if (!hasArticles || bbs->Boards.IsArticleBoard(Board) != 1) return true;
      const ArticleRecord* current = articles->GetArticle(host_.CurrentOrder(), Position);
      if (current && current->WriteFlag == 1) return true;
      if (shift && !bbs->WriteBinaryRootFlag) {
        Ui().Warning(noBinaryJump);
        return true;
      }
      const int32_t dest = host_.ChooseJumpDestination(Board);
      if (dest < 0 || !bbs->Boards.GetArticles(dest)) return true;
      result = StartWrite(Board, dest, Position, shift ? WriteBinaryRess : WriteRess);
      return true;
    }
    case 'E':
      if (hasArticles) result = EditWrite(Board, Position);
      return true;
    case 'D':
      if (hasArticles) result = DeleteWrite(Board, Position);
      return true;
    case 'S':
      if (hasArticles) result = ToggleBatchSet(Board, Position);
      return true;
    default:
      return false;
  }
}

bool TWriteCommands::BoardListKey(char key, bool shift, int32_t SelectedBoard,
                                  WriteResult& result) {
  result = {};
  TBBSProcess* bbs = Process();
  if (!bbs || (key != 'M' && key != 'W')) return false;
  // The mail box is found by what it is: a family whose boards are keyed by text has no
  // number for it.
  const int32_t board = key == 'M' ? MailBox() : SelectedBoard;
  if (!bbs->Boards.GetArticles(board)) return true;
  host_.OpenBoard(board);
  const bool mailBox = bbs->Boards.IsArticleBoard(board) == 0;
  if (shift) {
    const bool supported = key == 'M' ? bbs->WriteBinaryMailFlag : bbs->WriteBinaryRootFlag;
    if (!supported) {
      Ui().Warning(Cp932(mailBox
                             ? "このホストシステムでのバイナリメール作成はサポートしていません"
                             : "このホストシステムでのバイナリルート書込はサポートしていません"));
      return true;
    }
  }
  result = StartWrite(board, -1, -1, shift ? WriteBinaryRoot : WriteRoot);
  return true;
}

}  // namespace vorn
