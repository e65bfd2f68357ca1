// The small controls and dialogs of the main window, and the font and colour mapping.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include "qtsupport/DisplayMapping.h"
#include "reader/About.h"
#include "reader/LoadCheck.h"
#include "reader/ProgressBarREX.h"
#include "reader/SelectList.h"
#include "reader/SystemMsg.h"
#include "settings/IniFilePlus.h"
#include "support/DialogTestSupport.h"
#include "support/GuiTestSupport.h"

namespace vorn {
namespace {

using test::J;

// A window with an edit, the list and another edit, in this focus order.
struct SelectListWindow {
  QWidget window;
  QLineEdit* before;
  TSelectList* list;
  QLineEdit* after;
  SelectListWindow() {
    auto* layout = new QVBoxLayout(&window);
    before = new QLineEdit(&window);
    list = new TSelectList(&window);
    after = new QLineEdit(&window);
    layout->addWidget(before);
    layout->addWidget(list);
    layout->addWidget(after);
    list->addItems({QStringLiteral("-W(   3) 1:general  / 雑談"), QStringLiteral("two")});
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }
};

TEST(SelectList, DropsDownWhenTabbedIntoButNotWhenClicked) {
  test::GuiApp();
  SelectListWindow w;
  w.before->setFocus();
  QTest::keyClick(w.before, Qt::Key_Tab);
  QTest::qWait(20);
  // The open list has the keyboard.
  EXPECT_TRUE(w.list->view()->isVisible());
  EXPECT_FALSE(w.before->hasFocus());
  // Tab leaves the open list for the next control.
  QTest::keyClick(w.list->view(), Qt::Key_Tab);
  QTest::qWait(20);
  EXPECT_FALSE(w.list->view()->isVisible());
  EXPECT_TRUE(w.after->hasFocus());
  // Shift+Tab goes back, and the list opens again.
  QTest::keyClick(w.after, Qt::Key_Backtab, Qt::ShiftModifier);
  QTest::qWait(20);
  EXPECT_TRUE(w.list->view()->isVisible());
  QTest::keyClick(w.list->view(), Qt::Key_Backtab, Qt::ShiftModifier);
  QTest::qWait(20);
  EXPECT_TRUE(w.before->hasFocus());

  // A click gives the focus without the automatic drop-down (the click opens it itself, so
  // only the flag tells them apart).
  w.after->setFocus();
  QTest::mousePress(w.list, Qt::LeftButton);
  EXPECT_TRUE(w.list->MouseEntered());
  w.list->hidePopup();
  // The offscreen platform does not hand the activation back by itself.
  w.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
  QTest::qWait(20);
  EXPECT_TRUE(w.list->hasFocus());
  EXPECT_FALSE(w.list->view()->isVisible());
  EXPECT_TRUE(w.list->MouseEntered());
  w.after->setFocus();
  EXPECT_FALSE(w.list->MouseEntered());
  // Focus given by the program (Escape in the grid) opens it like the keyboard.
  w.list->setFocus(Qt::OtherFocusReason);
  QTest::qWait(20);
  EXPECT_TRUE(w.list->view()->isVisible());
  w.list->hidePopup();

  QSignalSpy rclick(w.list, &TSelectList::MouseRClick);
  QTest::mouseRelease(w.list, Qt::RightButton, Qt::NoModifier, QPoint(5, 6));
  ASSERT_EQ(rclick.count(), 1);
  EXPECT_EQ(rclick[0][0].toInt(), 5);
  EXPECT_EQ(rclick[0][1].toInt(), 6);
}

TEST(ProgressBarREX, StepsAndKeepsItsPositionAcrossLooks) {
  test::GuiApp();
  TProgressBarREX bar;
  EXPECT_FALSE(bar.Smooth());
  EXPECT_FALSE(bar.Vertical());
  EXPECT_EQ(bar.BarColor(), clNavy);
  EXPECT_EQ(bar.Color(), clBtnFace);
  bar.setRange(0, 3);
  bar.SetStep(1);
  bar.setValue(0);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.value(), 2);
  bar.SetSmooth(true);
  bar.SetVertical(true);
  bar.SetBarColor(clGray);
  EXPECT_EQ(bar.value(), 2);
  EXPECT_TRUE(bar.Smooth());
  EXPECT_EQ(bar.orientation(), Qt::Vertical);
  EXPECT_TRUE(bar.styleSheet().contains(QtColor(clGray).name()));
  bar.StepIt();
  EXPECT_EQ(bar.value(), 3);
  // Past the maximum the bar starts again.
  bar.StepIt();
  EXPECT_EQ(bar.value(), 0);
}

TEST(LoadCheckForm, EscapeIsNoAndTheButtonsGiveTheirCodes) {
  test::GuiApp();
  TLoadCheckForm form;
  form.Prepare(J("UPファイルが存在しています\r\n読込みますか？"));
  auto* caption = form.findChild<QLabel*>(QStringLiteral("LBCaption"));
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->text(), QStringLiteral("UPファイルが存在しています\n読込みますか？"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("確認"));

  const std::pair<const char*, int> buttons[] = {{"BTNOK", 6}, {"BTNNo", 7}, {"BTNDel", 2}};
  for (const auto& [name, code] : buttons) {
    form.Prepare("?");
    form.show();
    auto* button = form.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(form.Result(), code) << name;
    EXPECT_FALSE(form.isVisible());
  }
  // Escape while the delete button has the focus is still no.
  form.Prepare("?");
  form.show();
  auto* del = form.findChild<QPushButton*>(QStringLiteral("BTNDel"));
  del->setFocus();
  QTest::keyClick(del, Qt::Key_Escape);
  EXPECT_EQ(form.Result(), 7);
  EXPECT_EQ(form.result(), 7);
}

TEST(SystemMsgForm, ShowsTheLinesAndKeepsItsFirstPlace) {
  test::GuiApp();
  TSystemMsgForm form;
  SystemMsgLook look;
  look.Parent = QRect(100, 80, 600, 400);
  look.ViewPanel = QSize(420, 200);
  look.FontName = J("ＭＳ ゴシック");
  look.BGColor = clWindow;
  look.FontColor = clBlack;
  look.EofMarker = "[EOF]";
  look.EofColor = clBlue;
  look.FoldWidth = 10;
  const std::vector<std::string> lines = {"\x1b[31m" + J("赤い字"), "0123456789ABCDEF"};
  form.Prepare(QStringLiteral("システム／チャットメッセージ"), look, lines);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("システム／チャットメッセージ"));
  EXPECT_EQ(form.size(), QSize(428, 260));
  EXPECT_EQ(form.LogDisp()->toPlainText(), QStringLiteral("赤い字\n0123456789\nABCDEF\n[EOF]"));
  EXPECT_EQ(form.LogDisp()->font().family(), QStringLiteral("IPAGothic"));
  form.show();
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("systemmsg.png")));
  const QPoint firstPlace = form.pos();
  form.accept();

  // The parent moved and the view grew; the dialog stays where and as it was.
  look.Parent = QRect(0, 0, 300, 200);
  look.ViewPanel = QSize(100, 50);
  look.EscCut = false;
  look.FoldLines = false;
  form.Prepare(QStringLiteral("使用ログファイル一覧"), look,
               {"\x1b"
                "x",
                "0123456789ABCDEF"});
  EXPECT_EQ(form.size(), QSize(428, 260));
  EXPECT_EQ(form.pos(), firstPlace);
  EXPECT_EQ(form.LogDisp()->toPlainText(), QStringLiteral("\x1bx\n0123456789ABCDEF\n[EOF]"));
  form.show();
  QTest::keyClick(form.LogDisp(), Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
}

TEST(AboutBox, ShowsTheVersion) {
  test::GuiApp();
  TAboutBox about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("バージョン情報"));
  auto* version = about.findChild<QLabel*>(QStringLiteral("Version"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), QStringLiteral("Version 1.20a '1999/07/30"));
}

}  // namespace
}  // namespace vorn
