// The settings dialogs' widgets: that they show what their logic holds and hand back what the
// user changed. Pictures of them are saved when VORN_SCREENSHOT_DIR is set.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

#include "dialogs/BBSSet.h"
#include "dialogs/NetSelect.h"
#include "dialogs/NetSetSelect.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "support/DialogTestSupport.h"
#include "support/GuiTestSupport.h"
#include "support/RecordingUiServices.h"

namespace vorn {
namespace {

using test::AddSet;
using test::Families;
using test::J;

template <class T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

TEST(BBSSetForm, ShowsANewNetVornSetAndStoresWhatWasTyped) {
  test::GuiApp();
  Families f;
  RecordingUiServices ui;
  ScopedUiServices installed(&ui);
  CommonSettings common;
  TNetVornSetForm form;
  TBBSSetForm::Request r;
  r.CommonIniFile = &common;
  r.BBSList = &f.list;
  r.BBSIniFile = f.netVorn.get();
  r.Skbn = NetSelectNew;
  r.WritePrefix = "NET";
  ASSERT_TRUE(form.Prepare(r));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("NetVorn - BBS設定"));
  EXPECT_EQ(form.Pages()->currentIndex(), 0);
  EXPECT_EQ(form.Pages()->tabText(0), QStringLiteral("基本設定"));
  EXPECT_EQ(form.Pages()->tabText(1), QStringLiteral("ログ解析設定"));
  EXPECT_EQ(Child<QLineEdit>(form, "EDFileMask")->text(), QStringLiteral("NET*.log"));
  EXPECT_EQ(Child<QLineEdit>(form, "EDPadFile")->text(), QtPath(f.Folder() + "NET.pad"));
  EXPECT_TRUE(Child<QCheckBox>(form, "CBMente")->isChecked());
  EXPECT_FALSE(Child<QRadioButton>(form, "OPKTC")->isEnabled());

  auto* grid = Child<QTableWidget>(form, "SGDNetData");
  ASSERT_EQ(grid->rowCount(), NetVornItemCount);
  EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Name"));
  EXPECT_EQ(grid->item(0, 0)->text(), QtText(f.netVorn->ItemName(0)));
  EXPECT_GT(grid->columnWidth(1), 800);
  auto* memo = Child<QPlainTextEdit>(form, "EDValue");
  auto* isDefault = Child<QCheckBox>(form, "CBDefault");
  auto* set = Child<QPushButton>(form, "BTNValueSet");
  EXPECT_TRUE(isDefault->isChecked());
  EXPECT_FALSE(memo->isEnabled());
  EXPECT_FALSE(set->isEnabled());

  form.show();
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("bbsset-basic.png")));
  form.Pages()->setCurrentIndex(1);
  grid->setCurrentCell(NetVornItemCommandRead, 0);
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("bbsset-analysis.png")));
  // The user unchecks the default, types and sets a value.
  isDefault->click();
  EXPECT_TRUE(memo->isEnabled());
  memo->setPlainText(QStringLiteral("RX"));
  EXPECT_TRUE(set->isEnabled());
  set->click();
  EXPECT_EQ(grid->item(NetVornItemCommandRead, 1)->text(), QStringLiteral("RX"));
  form.Pages()->setCurrentIndex(2);
  EXPECT_TRUE(test::SaveScreenshot(form, QStringLiteral("bbsset-advanced.png")));

  // The host patch switch opens the two variants.
  Child<QCheckBox>(form, "CBHostPatch")->click();
  EXPECT_TRUE(Child<QRadioButton>(form, "OPKTC")->isEnabled());
  Child<QRadioButton>(form, "OPMPN")->click();

  Child<QLineEdit>(form, "EDName")->setText(QStringLiteral("テスト"));
  form.BTNOKClick();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  f.Reload();
  ASSERT_EQ(f.netVorn->GetNetCount(), 1);
  ASSERT_TRUE(f.netVorn->SelectNet(f.netVorn->NetNoAt(0)));
  EXPECT_EQ(f.netVorn->Name, J("テスト"));
  EXPECT_EQ(f.netVorn->ItemValue(NetVornItemCommandRead), "RX");
  EXPECT_TRUE(f.netVorn->MPN);
  EXPECT_FALSE(f.netVorn->KTC);
}

TEST(BBSSetForm, NiftyHidesTheUpFile) {
  test::GuiApp();
  Families f;
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Forum"));
  TNiftySetForm form;
  TBBSSetForm::Request r;
  r.BBSList = &f.list;
  r.BBSIniFile = f.nifty.get();
  r.Skbn = NetSelectChange;
  r.ReadPrefix = "NIF";
  r.WritePrefix = "NIF";
  ASSERT_TRUE(form.Prepare(r));
  form.show();
  EXPECT_FALSE(Child<QLineEdit>(form, "EDUpFile")->isVisible());
  EXPECT_FALSE(Child<QWidget>(form, "GBUpFile")->isVisibleTo(&form));
  EXPECT_TRUE(Child<QLineEdit>(form, "EDPadFile")->isVisible());
  for (QLabel* label : form.findChildren<QLabel*>()) {
    if (label->text() == QStringLiteral("UPファイル")) {
      EXPECT_FALSE(label->isVisible());
    }
  }
  EXPECT_EQ(Child<QLineEdit>(form, "EDName")->text(), QStringLiteral("Forum"));
  // Nothing to show for a deletion.
  r.Skbn = NetSelectDel;
  EXPECT_FALSE(form.Prepare(r));
}

TEST(NetSetSelectAndNetSelectForms, FillFromTheSets) {
  test::GuiApp();
  Families f;
  ASSERT_TRUE(AddSet(*f.netVorn, "NET", J("ネット局"), "/net/"));
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Forum", "/nif/"));
  TNetSelectForm select;
  select.Prepare(nullptr, f.list, {"NIF"});
  auto* grid = Child<QTableWidget>(select, "SGDNetSelect");
  ASSERT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("NIF"));
  EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("/nif/"));
  EXPECT_EQ(grid->columnWidth(0), 50);
  // Only the set was asked for: OK closes at once.
  select.BTNOKClick();
  EXPECT_EQ(select.Logic().SelectPrefix, "NIF");
  EXPECT_EQ(select.result(), QDialog::Accepted);

  select.Prepare(nullptr, f.list, {});
  EXPECT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("ネット局"));
}

}  // namespace
}  // namespace vorn
