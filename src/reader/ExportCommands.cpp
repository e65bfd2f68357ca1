#include "reader/ExportCommands.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/MainCommands.h"
#include "reader/SearchWindowAccess.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "writing/WriteCommands.h"

namespace vorn {

std::optional<std::string> TQtExportDialogs::ChooseExportFile(const ExportFileRequest& request) {
  QFileDialog dialog(parent_, QtText(request.Title));
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  // The program asks its own overwrite question.
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QtFileFilter(request.Filter));
  if (!request.Folder.empty()) dialog.setDirectory(QtPath(request.Folder));
  // A preset name made of wildcards only picks the filter, which the filter list already does.
  if (!request.FileName.empty() && request.FileName.find('*') == std::string::npos)
    dialog.selectFile(QtPath(request.FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return CorePath(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

bool TQtExportDialogs::ChoosePrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer, parent_);
  dialog.setObjectName(QStringLiteral("PrintDialog1"));
  return dialog.exec() == QDialog::Accepted;
}

TExportCommands::TExportCommands(TWindowAccess& window, std::unique_ptr<TExportDialogs> dialogs,
                                 QObject* parent)
    : QObject(parent), w_(window), dialogs_(std::move(dialogs)) {
  if (!dialogs_) dialogs_ = std::make_unique<TQtExportDialogs>(w_.Window());
}

TExportCommands::~TExportCommands() = default;

std::optional<std::string> TExportCommands::ChooseFile(const TBBSProcess& bbs, bool boardExport) {
  ExportFileRequest request;
  request.Title = Cp932("記事保存ファイル指定");
  request.Folder = bbs.IniFile ? w_.SetPath(bbs.IniFile->LogPath) : std::string();
  request.FileName = "*.txt";
  request.Filter = {{Cp932("テキストファイル"), "*.txt"}};
  if (boardExport) request.Filter.push_back({Cp932("ログファイル"), "*.log"});
  request.Filter.push_back({Cp932("すべてのファイル"), "*.*"});
  std::optional<std::string> path = dialogs_->ChooseExportFile(request);
  if (!path || path->empty()) return std::nullopt;
  if (FileExists(*path)) {
    const std::string question = Cp932("ファイル:") + *path + Cp932("は既に存在しています") +
                                 "\n\r" + Cp932("上書きしますか？");
    if (Ui().ConfirmYesNoCancel(question) != UiAnswer::Yes) return std::nullopt;
  }
  return path;
}

void TExportCommands::ConnectCommands(const TMainCommands& commands) {
  auto on = [&](const char* name, auto handler) {
    if (QAction* a = commands.Action(name)) connect(a, &QAction::triggered, this, handler);
  };
  on("MenuBoardOut", [this] { ExportBoard(); });
  on("MenuArticleCut", [this] { ExportArticle(); });
  on("MenuPrint", [this] { PrintArticle(); });
  // The archive export reads the store a load is rebuilding: it is greyed with the other file
  // commands, and like them it is there with nothing loaded, to say so.
  QAction* archive = commands.Action("MenuArchiveExport");
  QAction* end = commands.Action("MenuEnd");
  if (archive && end) {
    connect(end, &QAction::changed, archive,
            [archive, end] { archive->setEnabled(end->isEnabled()); });
  }
  // The menu's copies and the view's pop-up's, by their names.
  const std::pair<const char*, std::pair<CopyMode, bool>> copies[] = {
      {"Copy", {CopyMode::Plain, false}},
      {"CopyA", {CopyMode::Plain, true}},
      {"BCopy", {CopyMode::Quoted, false}},
      {"BCopyA", {CopyMode::Quoted, true}},
      {"BHCopy", {CopyMode::QuotedWithHandle, false}},
      {"BHCopyA", {CopyMode::QuotedWithHandle, true}},
  };
  for (const auto& [name, copy] : copies) {
    const auto [mode, append] = copy;
    for (const char* prefix : {"Menu", "EMenu"})
      on((std::string(prefix) + name).c_str(), [this, mode, append] { CopyArticle(mode, append); });
  }
}

void TExportCommands::Write(const std::string& path, const TBBSProcess& bbs, int32_t board,
                            const std::vector<std::string>& lines) {
  const std::string title =
      ExpandTitleTemplate(bbs, bbs.GenerateBoardTitle, board, -1, -1, w_.Order());
  if (!WriteExportFile(path, title, lines)) Ui().Warning(Cp932("記事保存でエラーが発生しました"));
}

void TExportCommands::ExportBoard() {
  const TBBSProcess* bbs = w_.Analyser();
  const int32_t board = w_.CurrentBoard();
  const TArticleList* list = bbs ? bbs->Boards.GetArticles(board) : nullptr;
  if (!list) return;
  const std::vector<std::string> lines = BoardExportLines(*list, w_.Log(), bbs->HeaderOffset);
  if (lines.empty()) return;
  const std::optional<std::string> path = ChooseFile(*bbs, true);
  if (path) Write(*path, *bbs, board, lines);
}

void TExportCommands::ExportArticle() {
  const TBBSProcess* bbs = w_.Analyser();
  const int32_t board = w_.CurrentBoard();
  const TArticleList* list = bbs ? bbs->Boards.GetArticles(board) : nullptr;
  if (!list) return;
  const std::optional<std::vector<std::string>> lines =
      ArticleExportLines(*list, w_.Order(), w_.CurrentPosition(), w_.Log(), bbs->HeaderOffset);
  if (!lines) return;
  const std::optional<std::string> path = ChooseFile(*bbs, false);
  if (path) Write(*path, *bbs, board, *lines);
}

void TExportCommands::CopyArticle(CopyMode mode, bool append) {
  CopyRequest request;
  request.Mode = mode;
  request.Append = append;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (append) {
    const QMimeData* data = clipboard->mimeData();
    if (data && data->hasText()) request.ClipboardText = CoreText(clipboard->text());
  }
  request.Selection = w_.ViewSelection();
  const CommonSettings& c = w_.Common();
  request.QuoteMark = c.ArticleBouteChr;
  request.BlankCut = c.BouteBlankCut;
  const TBBSProcess* bbs = w_.Analyser();
  const TArticleList* list = bbs ? bbs->Boards.GetArticles(w_.CurrentBoard()) : nullptr;
  if (list) {
    const int32_t order = w_.Order();
    const int32_t position = w_.CurrentPosition();
    request.EntryLines = ArticleViewLines(list, order, position, w_.Log()).Lines;
    if (mode == CopyMode::QuotedWithHandle)
      request.Handle = WriterShortHandle(*list, order, position, bbs->Members);
  }
  clipboard->setText(QtText(CopyArticleText(request)));
}

void TExportCommands::PrintArticle() {
  const TBBSProcess* bbs = w_.Analyser();
  const int32_t board = w_.CurrentBoard();
  if (!bbs || !bbs->Boards.GetArticles(board)) return;
  QPrinter printer;
  if (!dialogs_->ChoosePrinter(printer)) return;
  const std::string setName = bbs->IniFile ? bbs->IniFile->Name : std::string();
  printer.setDocName(QtText(setName + " - " + bbs->Boards.GetBoardTitle(board)));
  w_.PrintView(printer);
}

}  // namespace vorn
