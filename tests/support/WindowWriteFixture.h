#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/ArticleGrid.h"
#include "reader/BoardView.h"
#include "reader/SelectList.h"
#include "reader/VornExplorerMain.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/FakeEditor.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"
#include "support/ScriptedDialogs.h"

namespace vorn::test {

// The main window on a copy of the sample settings folder and logs, with a scripted external
// editor (a real process), message boxes that record and answer from a script, and the real
// dialogs or scripted ones. Boards of both samples: 0 the mail box, then the article boards
// (NetVorn: 1 general, 2 prog, 3 binary; Nifty-Serve: 1 FCOMP).
class WindowWriteFixture : public ::testing::Test {
 protected:
  static constexpr int32_t kMail = 0, kGeneral = 1, kProg = 2, kBinary = 3;
  static constexpr int32_t kFcomp = 1;
  using Lines = std::vector<std::string>;

  explicit WindowWriteFixture(const std::string& settingsName = "settings") : editor(dir) {
    GuiApp();
    settings = CopySamples(dir, {"NET19990730.LOG", "NIF19990730.LOG"}, settingsName);
    WriteBytes(settings + "NET.SIG", CrLf({"-- taro"}));
    WriteBytes(settings + "NIF.SIG", CrLf({"-- taro"}));
    SetSettingsFolderOverride(settings);
  }
  ~WindowWriteFixture() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // A window that has loaded a log from its command line, with the real dialogs or scripted
  // ones; the editor's temporary file in the test's folder unless keepTempFile.
  TVornExplMain& Start(const std::string& log, const std::string& prefix, bool realDialogs = true,
                       bool keepTempFile = false) {
    std::unique_ptr<ScriptedDialogs> scripted;
    if (!realDialogs) scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{dir.File(log)},
                                             std::move(scripted));
    window->show();
    for (int i = 0; i < 300 && window->Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(10);
    EXPECT_EQ(window->Session().CurrentPrefix, prefix);
    if (!keepTempFile) window->CommonIni().TempFile = dir.File("vorntemp.txt");
    window->CommonIni().Editer = editor.Command("quit");
    // (The load tells about the samples' system messages.)
    startEntries = std::move(ui.entries);
    ui.entries.clear();
    return *window;
  }

  QAbstractItemView& Grid() const { return window->ArticleGrid(); }
  TBBSProcess& Bbs() const { return *window->CurrentAnalyser(); }
  TArticleList& Board(int32_t board) const { return *Bbs().Boards.GetArticles(board); }
  int32_t Order() const { return window->Reading().TreeOrder(); }

  // The log article with the number, shown and focused as the user picks it.
  void Pick(int32_t board, int32_t number) {
    const TArticleList& list = Board(board);
    for (int32_t p = 0; p < list.OrderCount(Order()); ++p) {
      if (list.GetNumber(Order(), p) == number &&
          list.GetKind(Order(), p) != ArticleKindMissingRoot && !list.GetWriteFlag(Order(), p)) {
        window->BoardView().ShowBoard(board, TArticleGrid::SelectIndex, p);
        window->FocusGrid();
        return;
      }
    }
    ADD_FAILURE() << "no article " << number << " in board " << board;
  }
  // The pending write with the key, shown and focused.
  void PickWrite(int32_t board, int32_t key) {
    const int32_t p = Board(board).FindByKeyAndTime(Order(), key, 0);
    ASSERT_GE(p, 0) << "no write " << key << " in board " << board;
    window->BoardView().ShowBoard(board, TArticleGrid::SelectIndex, p);
    window->FocusGrid();
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&Grid(), Qt::Key(key), modifiers);
  }
  void BoardListKey(int32_t board, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    window->BoardView().SelectBoardInList(board);
    window->BoardList().setFocus();
    QTest::keyClick(&window->BoardList(), Qt::Key(key), modifiers);
  }
  void Trigger(const char* name) { window->Command(name)->trigger(); }

  // The texts of the pending writes of a board, in posting order.
  std::vector<Lines> Writes(int32_t board) const {
    std::vector<Lines> texts;
    const TArticleList& list = Board(board);
    for (int32_t p = 0; p < list.OrderCount(ArticleSortNormal); ++p) {
      const ArticleRecord* r = list.GetArticle(ArticleSortNormal, p);
      if (r && r->WriteFlag == 1) texts.push_back(r->Text() ? *r->Text() : Lines());
    }
    return texts;
  }
  Lines FileLines(const std::string& path) const {
    Lines lines;
    ReadClassicTextFile(path, lines);
    return lines;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& e : ui.entries)
      texts.push_back(e.text);
    return texts;
  }
  // The files of the settings folder whose names begin with the text.
  std::vector<std::string> SettingsFiles(const std::string& begin) const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(settings)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with(begin)) found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  // Timers of a test run in its context, so that none outlives the test.
  QObject context;
  // Runs act on the next modal dialog of the type once it is up (counted in dialogsMet; a
  // dialog that never comes is a failure of the test that expected it).
  template <class Dialog>
  void InDialog(std::function<void(Dialog&)> act) {
    QTimer::singleShot(0, &context, [this, act] {
      for (int i = 0; i < 200; ++i) {
        if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
          ++dialogsMet;
          act(*d);
          return;
        }
        QTest::qWait(5);
      }
      ADD_FAILURE() << "no dialog came";
    });
  }
  static void Click(QWidget& dialog, const char* button) {
    auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_TRUE(b) << button;
    b->click();
  }

  TempDir dir;
  std::string settings;
  FakeEditor editor;
  RecordingUiServices ui;
  // What the last Start told or asked while loading.
  std::vector<RecordingUiServices::Entry> startEntries;
  ScopedUiServices installed{&ui};
  ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TVornExplMain> window;
  int dialogsMet = 0;
};

}  // namespace vorn::test
