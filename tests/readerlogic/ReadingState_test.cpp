#include "readerlogic/ReadingState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

TEST(ReadingState, StartsInTreeOrderWithNothingWaitingAndSavingAtTheEnd) {
  const TReadingState state;
  EXPECT_EQ(state.TreeOrder(), 1);
  EXPECT_FALSE(state.HasPendingFiles());
  EXPECT_FALSE(state.NewReadMode());
  EXPECT_FALSE(state.SearchReadMode());
  EXPECT_FALSE(state.AddingLogs());
  EXPECT_EQ(state.SavedPosition().Board, nullptr);
  EXPECT_FALSE(state.Busy());
  EXPECT_TRUE(state.SaveData());
  EXPECT_EQ(state.CurrentProcess(), 0);
}

TEST(ReadingState, PendingFilesAreTakenOnceAndEmptyNamesAreNotKept) {
  TReadingState state;
  state.AddPendingFile("/logs/NET19990730.LOG");
  state.AddPendingFile("");
  state.AddPendingFile("/logs/NIF19990730.LOG");
  EXPECT_EQ(state.PendingFiles(),
            (std::vector<std::string>{"/logs/NET19990730.LOG", "/logs/NIF19990730.LOG"}));
  const std::vector<std::string> taken = state.TakePendingFiles();
  EXPECT_EQ(taken.size(), 2u);
  EXPECT_FALSE(state.HasPendingFiles());
  EXPECT_TRUE(state.TakePendingFiles().empty());
  state.AddPendingFile("/logs/a.LOG");
  state.ClearPendingFiles();
  EXPECT_FALSE(state.HasPendingFiles());
}

TEST(ReadingState, TheArticleDisplayedIsNotRememberedWhileLogsAreAdded) {
  TReadingState state;
  auto* board = reinterpret_cast<TArticleList*>(0x1000);
  state.RememberArticle({board, 1, 42, 1234});
  EXPECT_EQ(state.SavedPosition().Board, board);
  EXPECT_EQ(state.SavedPosition().ArticleKey, 42);
  state.SetAddingLogs(true);
  state.RememberArticle({nullptr, 0, 7, 0});
  EXPECT_EQ(state.SavedPosition().Board, board);
  EXPECT_EQ(state.SavedPosition().ArticleKey, 42);
  state.SetAddingLogs(false);
  state.ForgetSavedPosition();
  EXPECT_EQ(state.SavedPosition().Board, nullptr);
}

TEST(ReadingState, ModesAndTheirIndicator) {
  TReadingState state;
  EXPECT_EQ(state.ModeIndicator(), "");
  state.SetReadMode(false, true);
  EXPECT_TRUE(state.NewReadMode());
  EXPECT_TRUE(state.ReadMode(false));
  EXPECT_FALSE(state.ReadMode(true));
  EXPECT_EQ(state.ModeIndicator(), J("新規"));
  state.SetReadMode(true, true);
  EXPECT_EQ(state.ModeIndicator(), J("新規/検索"));
  state.SetReadMode(false, false);
  EXPECT_EQ(state.ModeIndicator(), J("検索"));
  state.SetTreeOrder(false);
  EXPECT_EQ(state.TreeOrder(), 0);
  state.SetTreeOrder(true);
  EXPECT_EQ(state.TreeOrder(), 1);
}

}  // namespace
}  // namespace vorn
