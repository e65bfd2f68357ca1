// The widgets of the ID editor and the board editor on the loaded samples: that they show what
// their logic holds and hand back what the user did. Pictures of them are saved when
// VORN_SCREENSHOT_DIR is set.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include "dialogs/BoardSet.h"
#include "dialogs/IDEdit.h"
#include "support/DialogSamples.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"

namespace vorn {
namespace {

using test::J;

template <class T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class IDBoardDialogs : public ::testing::Test, public test::DialogSamples {
 protected:
  IDBoardDialogs() { test::GuiApp(); }
  RecordingUiServices ui;
  ScopedUiServices scoped{&ui};
};

TEST_F(IDBoardDialogs, IdEditorEditsHandlesInPlaceAndAddsThroughItsPanel) {
  TIDEditForm form;
  form.Logic().BBS = netVorn.get();
  form.Logic().SelectIDNum = 2048;
  ASSERT_TRUE(form.Prepare(QStringLiteral("ID編集")));
  form.show();
  auto* grid = Child<QTableWidget>(form, "SGDID");
  ASSERT_EQ(grid->rowCount(), 5);
  EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), QStringLiteral("Current Handle"));
  EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("はなこ"));
  EXPECT_EQ(grid->currentRow(), 1);
  EXPECT_EQ(grid->columnWidth(0), 60);
  EXPECT_TRUE(Child<QGroupBox>(form, "PanelAddDel")->isVisible());
  EXPECT_EQ(Child<QLineEdit>(form, "EDAddID")->text(), QStringLiteral("2048"));
  // The ID column is not edited.
  EXPECT_FALSE(grid->item(1, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->item(1, 2)->flags() & Qt::ItemIsEditable);

  grid->item(0, 1)->setText(QStringLiteral("太郎"));
  Child<QLineEdit>(form, "EDAddID")->setText(QStringLiteral("1500"));
  Child<QLineEdit>(form, "EDAddHandle")->setText(QStringLiteral("いちご"));
  ui.Script(UiAnswer::Yes);
  Child<QPushButton>(form, "BTNAddID")->click();
  ASSERT_EQ(grid->rowCount(), 6);
  EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("1500"));
  EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("太郎"));
  EXPECT_EQ(grid->currentRow(), 1);
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("IDEditForm.png")));

  Child<QPushButton>(form, "BTNOK")->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.Logic().SelectID, "1500");
  const TMemberList& members = netVorn->Members;
  EXPECT_EQ(members.GetTrueHandle(members.FindIdNo(1024)), J("太郎"));
  EXPECT_GE(members.FindIdNo(1500), 0);
}

TEST_F(IDBoardDialogs, IdEditorEscapeAsksAndCancelKeepsTheList) {
  TIDEditForm form;
  form.Logic().BBS = netVorn.get();
  ASSERT_TRUE(form.Prepare(QStringLiteral("ID編集")));
  form.show();
  auto* grid = Child<QTableWidget>(form, "SGDID");
  grid->item(2, 1)->setText(QStringLiteral("変更"));
  ui.Script(UiAnswer::No);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  ui.Script(UiAnswer::Yes);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[0].text, J("編集結果を破棄しますか？"));
  EXPECT_EQ(netVorn->Members.GetTrueHandle(netVorn->Members.FindIdNo(3072)), J("じろう"));

  // The Cancel button closes without a question.
  form.Logic().StartFlag = true;
  ASSERT_TRUE(form.Prepare(QStringLiteral("ID編集")));
  form.show();
  Child<QPushButton>(form, "BTNCancel")->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(ui.entries.size(), 2u);
}

TEST_F(IDBoardDialogs, IdEditorPicksARecipientWithEnter) {
  TIDEditForm form;
  form.Logic().BBS = nifty.get();
  form.Logic().EditFlag = false;
  ASSERT_TRUE(form.Prepare(QStringLiteral("メール送信先ID指定")));
  form.show();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("メール送信先ID指定"));
  EXPECT_FALSE(Child<QGroupBox>(form, "PanelAddDel")->isVisible());
  auto* grid = Child<QTableWidget>(form, "SGDID");
  EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
  grid->setCurrentCell(2, 0);
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("IDEditForm-select.png")));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.Logic().SelectID, CoreText(grid->item(2, 0)->text()));
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(IDBoardDialogs, BoardEditorStoresKindAndAttributeAtOnce) {
  TBoardSetForm form;
  form.Logic().BBS = netVorn.get();
  form.Logic().SetBoardIndex = 1;
  ASSERT_TRUE(form.Prepare(QStringLiteral("ボード編集")));
  form.show();
  auto* grid = Child<QTableWidget>(form, "SGDBoard");
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("  1:general "));
  EXPECT_EQ(grid->item(2, 1)->text(), QStringLiteral("バイナリボード"));
  EXPECT_TRUE(Child<QGroupBox>(form, "RGBSts")->isEnabled());
  EXPECT_TRUE(Child<QRadioButton>(form, "RGBAlign_0")->isChecked());

  grid->setCurrentCell(2, 0);
  Child<QRadioButton>(form, "RGBSts_1")->click();
  Child<QRadioButton>(form, "RGBAlign_2")->click();
  EXPECT_EQ(netVorn->Boards.GetBoardType(3), 1);
  EXPECT_EQ(netVorn->Boards.GetBoardAttr(3), 2);
  // Going back to a row shows its values.
  grid->setCurrentCell(0, 0);
  EXPECT_TRUE(Child<QRadioButton>(form, "RGBSts_0")->isChecked());
  grid->setCurrentCell(2, 0);
  EXPECT_TRUE(Child<QRadioButton>(form, "RGBAlign_2")->isChecked());
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("BoardSetForm.png")));
  Child<QPushButton>(form, "BTNOK")->click();
  EXPECT_FALSE(form.isVisible());
}

// A Nifty-Serve forum's boards differ only at the end of their labels ("FCOMP   :MES:03"):
// the Index column shows each whole, in the editor and in the destination picker alike.
TEST_F(IDBoardDialogs, BoardEditorShowsWholeNiftyLabels) {
  ASSERT_TRUE(niftyLoaded);
  for (bool edit : {true, false}) {
    TBoardSetForm form;
    form.Logic().BBS = nifty.get();
    form.Logic().EditFlag = edit;
    form.Logic().SetBoardIndex = 1;
    ASSERT_TRUE(
        form.Prepare(edit ? QStringLiteral("ボード編集") : QStringLiteral("移動先ボード指定")));
    form.show();
    auto* grid = Child<QTableWidget>(form, "SGDBoard");
    ASSERT_GT(grid->rowCount(), 1);
    // Wide enough for the text and the margins the style keeps on both sides.
    for (int r = 0; r < grid->rowCount(); ++r) {
      const QTableWidgetItem* item = grid->item(r, 0);
      const int width = QFontMetrics(item->font()).horizontalAdvance(item->text());
      EXPECT_LE(width + 6, grid->columnWidth(0)) << item->text().toStdString();
    }
    // The titles keep their room beside the wider column.
    EXPECT_GE(grid->columnWidth(1), 200);
    EXPECT_TRUE(test::SaveScreenshot(form, edit ? QStringLiteral("BoardSetForm-nifty.png")
                                                : QStringLiteral("BoardSetForm-nifty-select.png")));
  }
}

TEST_F(IDBoardDialogs, BoardEditorPicksTheDestinationOrNothing) {
  TBoardSetForm form;
  form.Logic().BBS = netVorn.get();
  form.Logic().EditFlag = false;
  form.Logic().SetBoardIndex = 1;
  ASSERT_TRUE(form.Prepare(QStringLiteral("移動先ボード指定")));
  form.show();
  EXPECT_FALSE(Child<QGroupBox>(form, "RGBSts")->isEnabled());
  EXPECT_FALSE(Child<QGroupBox>(form, "RGBAlign")->isEnabled());
  auto* grid = Child<QTableWidget>(form, "SGDBoard");
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("BoardSetForm-select.png")));
  QTest::keyClick(grid, Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.Logic().SetBoardIndex, -1);

  form.Logic().SetBoardIndex = 1;
  ASSERT_TRUE(form.Prepare(QStringLiteral("移動先ボード指定")));
  form.show();
  grid->setCurrentCell(1, 1);
  emit grid->cellDoubleClicked(1, 1);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.Logic().SetBoardIndex, 2);
}

}  // namespace
}  // namespace vorn
