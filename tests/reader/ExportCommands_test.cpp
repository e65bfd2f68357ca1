// Export, copy and print commands on the sample capture: the files byte for byte, the six copy
// commands on the clipboard, printing into a PDF file.
#include "reader/ExportCommands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>

#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "reader/BoardView.h"
#include "reader/SearchPdfText.h"
#include "reader/SearchTestAccess.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using Kind = RecordingUiServices::Kind;

class ScriptedExportDialogs final : public TExportDialogs {
 public:
  std::optional<std::string> ChooseExportFile(const ExportFileRequest& request) override {
    requests.push_back(request);
    if (files.empty()) return std::nullopt;
    std::optional<std::string> file = files.front();
    files.pop_front();
    return file;
  }
  bool ChoosePrinter(QPrinter& printer) override {
    if (pdf.empty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  }

  std::deque<std::optional<std::string>> files;
  std::vector<ExportFileRequest> requests;
  std::string pdf;
};

std::string Expected(const char* name) {
  return ReadBytes(test::SourceDir() + "/tests/analysis/expected/" + name);
}

class ExportCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    ASSERT_TRUE(sample.Load("NET19990730.LOG"));
    auto scripted = std::make_unique<ScriptedExportDialogs>();
    dialogs = scripted.get();
    commands = std::make_unique<TExportCommands>(window, std::move(scripted));
    // Board 1 in tree order: 101, 102, 103, the placeholder of 95, 104.
    window.board = 1;
    window.position = 1;
    QGuiApplication::clipboard()->clear();
  }

  std::string File(const char* name) const { return sample.dir.File(name); }
  std::string Clipboard() const { return CoreText(QGuiApplication::clipboard()->text()); }

  test::SampleSession sample;
  test::SampleWindowAccess window{sample};
  ScriptedExportDialogs* dialogs = nullptr;
  std::unique_ptr<TExportCommands> commands;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
};

TEST_F(ExportCommands, BoardAndArticleExportsWriteTheExpectedFiles) {
  dialogs->files = {File("board.txt"), File("article.txt")};
  commands->ExportBoard();
  commands->ExportArticle();
  EXPECT_EQ(ReadBytes(File("board.txt")), Expected("NET19990730.board1.txt"));
  EXPECT_EQ(ReadBytes(File("article.txt")), Expected("NET19990730.article102.txt"));
  ASSERT_EQ(dialogs->requests.size(), 2u);
  const ExportFileRequest& board = dialogs->requests[0];
  EXPECT_EQ(board.Title, J("記事保存ファイル指定"));
  EXPECT_EQ(board.FileName, "*.txt");
  // The set's log folder, "../" beside the settings folder.
  EXPECT_EQ(std::filesystem::weakly_canonical(board.Folder),
            std::filesystem::weakly_canonical(sample.dir.Path()));
  ASSERT_EQ(board.Filter.size(), 3u);
  EXPECT_EQ(board.Filter[1].second, "*.log");
  EXPECT_EQ(dialogs->requests[1].Filter.size(), 2u);
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(ExportCommands, AnExistingFileIsReplacedOnlyOnYes) {
  const std::string file = File("old.txt");
  test::WriteBytes(file, "old");
  ui.Script(UiAnswer::No);
  ui.Script(UiAnswer::Cancel);
  ui.Script(UiAnswer::Yes);
  dialogs->files = {file, file, file};
  for (int i = 0; i < 3; ++i) {
    commands->ExportArticle();
    if (i < 2) {
      EXPECT_EQ(ReadBytes(file), "old");
    }
  }
  EXPECT_EQ(ReadBytes(file), Expected("NET19990730.article102.txt"));
  ASSERT_EQ(ui.entries.size(), 3u);
  EXPECT_EQ(ui.entries[0].kind, Kind::ConfirmYesNoCancel);
  EXPECT_EQ(ui.entries[0].text,
            J("ファイル:") + file + J("は既に存在しています") + "\n\r" + J("上書きしますか？"));
}

TEST_F(ExportCommands, AFailedWriteShowsTheWarningAndCancellingDoesNothing) {
  std::filesystem::create_directory(File("folder.txt"));
  // A folder of that name is no file to be asked about, and cannot be replaced.
  dialogs->files = {File("folder.txt"), std::nullopt};
  commands->ExportBoard();
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].kind, Kind::Warning);
  EXPECT_EQ(ui.entries[0].text, J("記事保存でエラーが発生しました"));
  EXPECT_TRUE(std::filesystem::is_directory(File("folder.txt")));
  commands->ExportBoard();
  EXPECT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(dialogs->requests.size(), 2u);
}

TEST_F(ExportCommands, ABoardOfOnlyWritesAndAPlaceholderOpenNoDialog) {
  TBoardList& boards = sample.Process().Boards;
  ASSERT_TRUE(boards.AddBoard(9, "writes", "only writes"));
  const int32_t index = boards.FindBoardNo(9);
  TArticleList& list = *boards.GetArticles(index);
  ASSERT_TRUE(list.AddArticle(ArticleKindRoot, 1, 1, -1, 0, -1, -1, -1, -1, "", "", "t", "", -1, 1,
                              std::make_unique<TStringList>(TStringList{"t", "b"})));
  ASSERT_TRUE(list.SortArticles());
  window.board = index;
  window.position = 0;
  commands->ExportBoard();
  // The placeholder of the missing article 95.
  window.board = 1;
  window.position = 3;
  ASSERT_EQ(sample.Process().Boards.GetArticles(1)->GetKind(window.order, 3),
            ArticleKindMissingRoot);
  commands->ExportArticle();
  EXPECT_TRUE(dialogs->requests.empty());
}

// The lines of article 102 from its first line, as the copies take them.
const std::vector<std::string> kArticle102 = {
    "general(102/130) 99/07/30 12:40 Re: はじめまして", " <101:はじめまして/1024:たろう>",
    "  3 lines 2048:はなこ ", "はなこです。こちらこそよろしく。", "(笑)"};

std::string Lines(const std::string& prefix, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += prefix + J(line) + "\r\n";
  return text;
}

TEST_F(ExportCommands, TheSixCopyCommandsWithoutASelection) {
  auto copy = [this](CopyMode mode, bool append) {
    QGuiApplication::clipboard()->setText(QStringLiteral("前\r\n"));
    commands->CopyArticle(mode, append);
    return Clipboard();
  };
  const std::string old = J("前\r\n");
  EXPECT_EQ(copy(CopyMode::Plain, false), Lines("", kArticle102));
  EXPECT_EQ(copy(CopyMode::Plain, true), old + Lines("", kArticle102));
  EXPECT_EQ(copy(CopyMode::Quoted, false), Lines(">", kArticle102));
  EXPECT_EQ(copy(CopyMode::Quoted, true), old + Lines(">", kArticle102));
  // The writer, 2048, has the short handle of the log's member list.
  EXPECT_EQ(copy(CopyMode::QuotedWithHandle, false), Lines(J("はなこ>"), kArticle102));
  EXPECT_EQ(copy(CopyMode::QuotedWithHandle, true), old + Lines(J("はなこ>"), kArticle102));
  // An empty clipboard: appending equals the plain copy.
  QGuiApplication::clipboard()->clear();
  commands->CopyArticle(CopyMode::Plain, true);
  EXPECT_EQ(Clipboard(), Lines("", kArticle102));
}

TEST_F(ExportCommands, TheSixCopyCommandsWithASelectionAndBlankLines) {
  window.selection = J("選択\r\n\r\n \t\r\n行");
  window.common.ArticleBouteChr = J("＞");
  for (bool blankCut : {false, true}) {
    window.common.BouteBlankCut = blankCut;
    auto copy = [this](CopyMode mode, bool append) {
      QGuiApplication::clipboard()->setText(QStringLiteral("old"));
      commands->CopyArticle(mode, append);
      return Clipboard();
    };
    // Plain copies give the selection alone, appending or not.
    EXPECT_EQ(copy(CopyMode::Plain, false), *window.selection);
    EXPECT_EQ(copy(CopyMode::Plain, true), *window.selection);
    const std::string quoted =
        blankCut ? J("＞選択\r\n＞行\r\n") : J("＞選択\r\n＞\r\n＞ \t\r\n＞行\r\n");
    EXPECT_EQ(copy(CopyMode::Quoted, false), quoted) << blankCut;
    EXPECT_EQ(copy(CopyMode::Quoted, true), "old" + quoted) << blankCut;
    const std::string handled =
        blankCut ? J("はなこ＞選択\r\nはなこ＞行\r\n")
                 : J("はなこ＞選択\r\nはなこ＞\r\nはなこ＞ \t\r\nはなこ＞行\r\n");
    EXPECT_EQ(copy(CopyMode::QuotedWithHandle, false), handled) << blankCut;
    EXPECT_EQ(copy(CopyMode::QuotedWithHandle, true), "old" + handled) << blankCut;
  }
}

TEST_F(ExportCommands, PrintingWritesTheArticleIntoOneNamedJob) {
  dialogs->pdf = File("article.pdf");
  commands->PrintArticle();
  ASSERT_EQ(window.prints, 1);
  const QString text = test::PdfText::Read(QString::fromStdString(dialogs->pdf));
  for (const std::string& line : kArticle102) {
    QString wanted = QString::fromStdString(line);
    wanted.remove(QLatin1Char(' '));
    EXPECT_TRUE(text.contains(wanted)) << line << "\nin: " << text.toStdString();
  }
  // Nothing else was printed.
  EXPECT_FALSE(text.contains(QStringLiteral("はじめまして、たろうです")));
  // The job's name is the document title of the PDF file: UTF-16 in the information entry.
  const QString name = QStringLiteral("サンプルネット - 雑談ボード");
  QByteArray utf16;
  for (QChar c : name) {
    utf16.append(char(c.unicode() >> 8));
    utf16.append(char(c.unicode() & 0xFF));
  }
  const std::string pdf = ReadBytes(dialogs->pdf);
  EXPECT_NE(pdf.find(utf16.toStdString()), std::string::npos);
  // A cancelled print dialog prints nothing.
  dialogs->pdf.clear();
  commands->PrintArticle();
  EXPECT_EQ(window.prints, 1);
}

// The window's own export commands.
TEST(ExportFromTheWindow, BoardAndArticleFilesBeginWithTheTitleLineOfTheBoard) {
  namespace fs = std::filesystem;
  test::GuiApp();
  test::TempDir dir;
  const fs::path samples = fs::path(test::SourceDir()) / "samples";
  fs::copy(samples / "settings", dir.Path() + "/settings", fs::copy_options::recursive);
  fs::copy_file(samples / "NET19990730.LOG", dir.File("NET19990730.LOG"));
  SetSettingsFolderOverride(dir.Path() + "/settings/");
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  {
    TVornExplMain w({dir.File("NET19990730.LOG")}, std::make_unique<test::ScriptedDialogs>());
    w.show();
    for (int i = 0; i < 200 && w.Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(10);
    ASSERT_EQ(w.Session().CurrentPrefix, "NET");
    // Article 102 of the general board, below its root in tree order.
    const TArticleList& general = *w.CurrentAnalyser()->Boards.GetArticles(1);
    const int32_t order = w.Reading().TreeOrder();
    int32_t position = -1;
    for (int32_t p = 0; p < general.OrderCount(order) && position < 0; ++p) {
      if (general.GetNumber(order, p) == 102) position = p;
    }
    ASSERT_GE(position, 0);
    w.BoardView().ShowBoard(1, TArticleGrid::SelectIndex, position);

    // The user types each file's name into the window's own file dialog and presses Enter.
    std::deque<std::string> names = {dir.File("board.txt"), dir.File("article.txt")};
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
      if (!name || !name->isVisible() || names.empty()) return;
      name->setText(QString::fromStdString(names.front()));
      names.pop_front();
      QTest::keyClick(name, Qt::Key_Return);
    });
    typist.start(10);
    w.Command("MenuBoardOut")->trigger();
    w.Command("MenuArticleCut")->trigger();
    EXPECT_TRUE(names.empty());
  }
  SetSettingsFolderOverride("");
  EXPECT_EQ(ReadBytes(dir.File("board.txt")), Expected("NET19990730.board1.txt"));
  EXPECT_EQ(ReadBytes(dir.File("article.txt")), Expected("NET19990730.article102.txt"));
}

}  // namespace
}  // namespace vorn
