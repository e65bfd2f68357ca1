// Search, export, copy, print and the common settings through the main window's own commands,
// on the sample capture with the sample settings folder.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "analysis/BBSProcess.h"
#include "dialogs/CommonSet.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleEdit.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/ExportCommands.h"
#include "reader/MainCommands.h"
#include "reader/Search.h"
#include "reader/SearchCommands.h"
#include "reader/SearchPdfText.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using test::J;
using Kind = RecordingUiServices::Kind;

class WindowExportDialogs final : public TExportDialogs {
 public:
  std::optional<std::string> ChooseExportFile(const ExportFileRequest&) override {
    ++fileDialogs;
    return file.empty() ? std::nullopt : std::optional<std::string>(file);
  }
  bool ChoosePrinter(QPrinter& printer) override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return !pdf.empty();
  }
  std::string file;
  std::string pdf;
  int fileDialogs = 0;
};

class SearchWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    settings = test::CopySamples(dir, {"NET19990730.LOG"});
    SetSettingsFolderOverride(settings);
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{},
                                             std::make_unique<test::ScriptedDialogs>());
    ASSERT_TRUE(window->LoadLogFiles({dir.File("NET19990730.LOG")}, "NET", false));
    auto scripted = std::make_unique<WindowExportDialogs>();
    exportDialogs = scripted.get();
    window->ExportCommands().SetDialogs(std::move(scripted));
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // Runs a command that opens a modal dialog; the steps act on the dialog once it is up.
  template <class Dialog>
  void WithDialog(const char* command, std::function<void(Dialog&)> steps) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr) << command;
      seen = true;
      steps(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    window->Command(command)->trigger();
    EXPECT_TRUE(seen) << command;
  }

  template <class T>
  static T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  test::TempDir dir;
  std::string settings;
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<TVornExplMain> window;
  WindowExportDialogs* exportDialogs = nullptr;
};

TEST_F(SearchWindow, TheSearchDialogSetsTheModeAndStepsThroughTheBoards) {
  EXPECT_FALSE(window->Reading().SearchReadMode());
  EXPECT_FALSE(window->Commands().IsEnabled("MenuSearchMode"));
  WithDialog<TSearchForm>("MenuSearch", [this](TSearchForm& form) {
    Child<QComboBox>(form, "CBSearchWord")->setEditText(QStringLiteral("ｵﾌ"));
    Child<QPushButton>(form, "BTNAfter")->click();
    // Board 1 holds the reply to the missing "夏のオフ会".
    EXPECT_EQ(window->BoardList().currentIndex(), 1);
    EXPECT_EQ(window->StatusText(1), QStringLiteral("検索"));
    Child<QPushButton>(form, "BTNAfter")->click();
    EXPECT_EQ(window->StatusText(0), QStringLiteral("検索：該当記事は見つかりませんでした"));
    Child<QPushButton>(form, "BTNOK")->click();
  });
  EXPECT_TRUE(window->Reading().SearchReadMode());
  EXPECT_TRUE(window->Commands().IsChecked("MenuSearchMode"));
  EXPECT_TRUE(window->Commands().IsChecked("BTNSearchMode"));
  EXPECT_TRUE(window->Commands().IsEnabled("BTNSearchMode"));
  EXPECT_EQ(ui.entries.back().text, J("検索：該当記事は見つかりませんでした"));
  WithDialog<TSearchForm>("BTNSearch", [](TSearchForm& form) {
    // The text of the last search is first in the list.
    EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("CBSearchWord"))->itemText(0),
              QStringLiteral("ｵﾌ"));
    form.findChild<QPushButton*>(QStringLiteral("BTNCancel"))->click();
  });
  EXPECT_FALSE(window->Reading().SearchReadMode());
  EXPECT_EQ(window->StatusText(1), QString());
  // The mode can come back: the condition is kept.
  window->Command("MenuSearchMode")->trigger();
  EXPECT_TRUE(window->Reading().SearchReadMode());
}

TEST_F(SearchWindow, TheGridsKeysWalkEveryMatchOfAFuzzyKanaSearchBothWays) {
  // Hiragana typed, katakana and half-width forms in the log.
  window->SearchCommands().SetSearchCondition(true, true, J("おふ"), "");
  ASSERT_TRUE(window->Reading().SearchReadMode());
  auto shownTitle = [this] {
    const TArticleList* list = window->BoardView().CurrentArticles();
    return Cp932ToUtf8(
        list->GetTitle(window->Reading().TreeOrder(), window->ArticleGrid().CurrentPosition()));
  };
  auto walk = [&](Qt::Key key) {
    std::vector<std::string> titles;
    for (int i = 0; i < 10; ++i) {
      window->SetStatusText(0, QString());
      QTest::keyClick(&window->ArticleGrid(), key);
      if (!window->StatusText(0).isEmpty()) break;
      titles.push_back(shownTitle());
    }
    return titles;
  };
  // From the first article (the mail about the meeting, itself a match) forward to the reply
  // on the general board, then nothing more; back again to the mail and nothing before it.
  window->BoardView().ShowBoard(0);
  ASSERT_EQ(shownTitle(), "オフ会の件");
  EXPECT_EQ(walk(Qt::Key_Down), std::vector<std::string>{"Re: 夏のオフ会"});
  EXPECT_EQ(window->StatusText(0), QStringLiteral("検索：該当記事は見つかりませんでした"));
  EXPECT_EQ(walk(Qt::Key_Up), std::vector<std::string>{"オフ会の件"});
  EXPECT_EQ(window->StatusText(0), QStringLiteral("検索：該当記事は見つかりませんでした"));
}

TEST_F(SearchWindow, CopyCommandsFillTheClipboardFromTheArticleShown) {
  QGuiApplication::clipboard()->setText(QStringLiteral("前"));
  window->Command("MenuBCopyA")->trigger();
  const QString text = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(text.startsWith(QStringLiteral("前>"))) << text.toStdString();
  EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
  window->Command("EMenuCopy")->trigger();
  EXPECT_FALSE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("前")));
}

TEST_F(SearchWindow, PrintingTheArticleShown) {
  exportDialogs->pdf = dir.File("print.pdf");
  ASSERT_TRUE(window->Commands().IsEnabled("MenuPrint"));
  window->Command("MenuPrint")->trigger();
  const QString printed = test::PdfText::Read(QString::fromStdString(exportDialogs->pdf));
  EXPECT_FALSE(printed.isEmpty());
  const QString firstLine = QtText(
      window->CurrentAnalyser()->Boards.GetArticles(0)->GetTitle(window->Reading().TreeOrder(), 0));
  EXPECT_TRUE(printed.contains(QString(firstLine).remove(QLatin1Char(' '))))
      << printed.toStdString();
}

TEST_F(SearchWindow, CommonSettingsOkAppliesFontsAndColoursAndCancelChangesNothing) {
  const CommonSettings before = window->CommonIni();
  WithDialog<TCommonSetForm>("MenuCommonSet", [](TCommonSetForm& form) {
    form.Logic().ChooseFont(CommonSample::ArticleEdit, {"IPAGothic", 15, fsBold, 0x0000FF});
    form.Logic().ChooseBackground(CommonSample::ArticleGrid, 0x00FFFF);
    form.BTNCancelClick();
  });
  EXPECT_TRUE(static_cast<const CommonSettings&>(window->CommonIni()) == before);
  WithDialog<TCommonSetForm>("MenuCommonSet", [](TCommonSetForm& form) {
    form.Logic().ChooseFont(CommonSample::ArticleEdit, {"IPAGothic", 15, fsBold, 0x0000FF});
    form.Logic().ChooseBackground(CommonSample::ArticleGrid, 0x00FFFF);
    form.BTNOKClick();
  });
  EXPECT_EQ(window->CommonIni().ArticleEditFontSize, 15);
  QWidget* grid = Child<QWidget>(*window, "ArticleGrid1");
  QWidget* view = window->ArticleEdit().HorizontalView();
  EXPECT_EQ(grid->palette().color(QPalette::Base), QColor(255, 255, 0));
  EXPECT_EQ(view->font().pointSize(), 15);
  EXPECT_TRUE(view->font().bold());
  EXPECT_EQ(view->palette().color(QPalette::Text), QColor(255, 0, 0));
  // The remembered article did not move.
  EXPECT_FALSE(window->Reading().AddingLogs());
}

}  // namespace
}  // namespace vorn
