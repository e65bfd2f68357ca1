#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "platform/UiServices.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/FakeEditor.h"
#include "support/LoaderTestSupport.h"
#include "support/RecordingUiServices.h"
#include "writing/EditIF.h"
#include "writing/RunningEditors.h"
#include "writing/WriteCommands.h"

namespace vorn::test {

// The window's side of the write commands, answering from a script.
class ScriptedWriteHost final : public TWriteHost {
 public:
  std::string ChooseMailRecipient() override {
    ++recipientAsked;
    return recipient;
  }
  std::string ChooseBinaryFile() override {
    ++fileAsked;
    return binaryFile;
  }
  void EnableFileCommands(bool on) override { fileCommands.push_back(on); }
  int32_t ShownBoard() const override { return shown; }
  int32_t CurrentOrder() const override { return order; }
  int32_t ChooseJumpDestination(int32_t currentBoard) override {
    jumpAskedFrom.push_back(currentBoard);
    return jumpDest;
  }
  void OpenBoard(int32_t board) override {
    opened.push_back(board);
    shown = board;
  }

  std::string recipient;
  std::string binaryFile;
  int32_t shown = 1;
  int32_t order = ArticleSortTree;
  int recipientAsked = 0;
  int fileAsked = 0;
  std::vector<bool> fileCommands;
  int32_t jumpDest = -1;
  std::vector<int32_t> jumpAskedFrom;
  std::vector<int32_t> opened;
};

// The NetVorn sample loaded from a copy of the sample settings folder, with the write commands
// on it and a scripted editor. Boards of the sample: 0 mail, 1 general, 2 prog, 3 binary.
class WritingFixture : public ::testing::Test {
 protected:
  static constexpr int32_t kMail = 0, kGeneral = 1, kProg = 2, kBinary = 3;

  WritingFixture()
      : netVorn(ws.MakeNetVorn()),
        session({netVorn.get()}),
        editor(ws.dir),
        commands(session, common, editors, host, wait) {
    session.SettingsFolder = ws.settingsDir;
    Load();
    common.TempFile = ws.dir.File("vorntemp.txt");
    common.Editer = editor.Command("quit");
  }

  // A fresh load of the sample log (what a second run does).
  void Load() {
    ScopedUiServices quiet(&loadUi);
    const LoadResult loaded = session.LoadLogFiles({ws.sampleLog}, "NET", false);
    ASSERT_TRUE(loaded.Loaded());
  }

  TArticleList& Board(int32_t b) { return *netVorn->Boards.GetArticles(b); }
  // The position in tree order of the log article with this number; -1 when none.
  int32_t PositionOfNumber(int32_t b, int32_t number, int32_t order = ArticleSortTree) {
    TArticleList& list = Board(b);
    for (int32_t p = 0; p < list.OrderCount(order); ++p) {
      const ArticleRecord* r = list.GetArticle(order, p);
      if (r->WriteFlag == 0 && r->Kind != ArticleKindMissingRoot && r->Number == number) return p;
    }
    return -1;
  }
  // The write with this key in the board, or null.
  const ArticleRecord* Write(int32_t b, int32_t key) {
    TArticleList& list = Board(b);
    const int32_t p = list.FindByKeyAndTime(ArticleSortTree, key, 0);
    const ArticleRecord* r = p >= 0 ? list.GetArticle(ArticleSortTree, p) : nullptr;
    return r && r->WriteFlag == 1 ? r : nullptr;
  }
  TStringList TextOf(const ArticleRecord* r) { return r && r->Text() ? *r->Text() : TStringList(); }
  // The messages shown so far, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& entry : ui.entries)
      texts.push_back(entry.text);
    return texts;
  }

  SampleWorkspace ws;
  std::unique_ptr<TNetVorn> netVorn;
  TLogSession session;
  CommonSettings common;
  TRunningEditors editors;
  ScriptedWriteHost host;
  TPollingEditorWait wait{2};
  FakeEditor editor;
  TWriteCommands commands;
  RecordingUiServices loadUi;
  RecordingUiServices ui;
  ScopedUiServices scoped{&ui};
};

}  // namespace vorn::test
