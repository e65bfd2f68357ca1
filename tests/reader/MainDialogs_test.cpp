// The program's real modal dialogs and message boxes, opened through the window's own commands on
// the NetVorn sample: each appears centred on the main window and inside the screen the first
// time, keeps that place when shown again, and the BBS chooser shows its columns and folders as a
// user can read them.
#include "reader/MainDialogs.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "analysis/LogLoader.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/QtUiServices.h"
#include "reader/VornExplorerMain.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

// A dialog as it came up: its class or name, title and place on the screen.
struct Shown {
  QString name;
  QString title;
  QRect frame;
};

// Whenever a modal dialog comes up, notes where it is and answers it: by default as Escape does,
// or by the answer given for its name.
class DialogWatcher {
 public:
  DialogWatcher() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start();
  }
  std::vector<Shown> shown;
  std::map<QString, std::function<void(QDialog&)>> answers;

 private:
  void Look() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    // Each showing once, and not before it has been on the screen for a look: answered while
    // it is still being shown, its loop would start after the answer and never end.
    if (!dialog || !dialog->isVisible() || dialog == last_) {
      seen_ = dialog && dialog->isVisible() && dialog != last_ ? dialog : nullptr;
      return;
    }
    if (dialog != seen_) {
      seen_ = dialog;
      return;
    }
    last_ = dialog;
    const QString name = dialog->objectName().isEmpty()
                             ? QString::fromLatin1(dialog->metaObject()->className())
                             : dialog->objectName();
    shown.push_back({name, dialog->windowTitle(), dialog->frameGeometry()});
    QPointer<QDialog> guard(dialog);
    // Answered once this look is over: an answer may open a box of its own, which the timer
    // must be free to find.
    QTimer::singleShot(0, [this, guard, name] {
      if (!guard) return;
      auto answer = answers.find(name);
      if (answer != answers.end()) {
        answer->second(*guard);
      } else if (auto* cancel = guard->findChild<QPushButton*>(QStringLiteral("BTNCancel"))) {
        cancel->click();
      } else {
        guard->reject();
      }
      // A dialog shown again (the same object) counts again once it has closed.
      if (!guard || !guard->isVisible()) last_ = nullptr;
    });
  }

  QTimer timer_;
  QDialog* last_ = nullptr;
  QDialog* seen_ = nullptr;
};

class ModalDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    watching = std::make_unique<DialogWatcher>();
    const fs::path samples = fs::path(test::SourceDir()) / "samples";
    fs::copy(samples / "settings", dir.Path() + "/settings", fs::copy_options::recursive);
    fs::copy_file(samples / "NET19990730.LOG", dir.File("NET19990730.LOG"));
    // Writes left by an earlier run: the program asks whether to read them back. Deleting them
    // leaves no file that a later open would first ask about.
    test::WriteBytes(dir.Path() + "/settings/NET.UP", "pending\r\n");
    watching->answers[QStringLiteral("LoadCheckForm")] = [](QDialog& d) {
      d.findChild<QPushButton*>(QStringLiteral("BTNDel"))->click();
    };
    SetSettingsFolderOverride(dir.Path() + "/settings/");
  }
  void TearDown() override {
    window.reset();
    SetSettingsFolderOverride("");
  }

  // The program's window with its real dialogs and message boxes, at a place of the screen.
  TVornExplMain& Start(const QRect& geometry) {
    window = std::make_unique<TVornExplMain>(std::vector<std::string>{dir.File("NET19990730.LOG")});
    ui.SetParent(window.get());
    ui.SetLoadCheckForm(window->LoadCheckForm());
    window->setGeometry(geometry);
    window->show();
    for (int i = 0; i < 300 && window->Session().CurrentPrefix.empty(); ++i)
      QTest::qWait(10);
    EXPECT_EQ(window->Session().CurrentPrefix, "NET");
    QTest::qWait(20);
    return *window;
  }
  void Trigger(const char* name) {
    QAction* action = window->Command(name);
    ASSERT_NE(action, nullptr) << name;
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
    QTest::qWait(10);
  }
  // The dialog inside the screen, and centred on the window in each direction unless it was
  // moved in from the screen's edge.
  static void ExpectPlacedOn(const QRect& window, const Shown& d) {
    SCOPED_TRACE(d.name.toStdString() + " \"" + d.title.toStdString() + "\"");
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(d.frame)) << "outside the screen";
    const QPointF offset = QRectF(d.frame).center() - QRectF(window).center();
    if (d.frame.right() < area.right() - 1 && d.frame.left() > area.left()) {
      EXPECT_LE(std::abs(offset.x()), 1.0);
    }
    if (d.frame.bottom() < area.bottom() - 1 && d.frame.top() > area.top()) {
      EXPECT_LE(std::abs(offset.y()), 1.0);
    }
  }
  const Shown* Find(const QString& name, int nth = 0) const {
    for (const Shown& s : watching->shown) {
      if (s.name == name && nth-- == 0) return &s;
    }
    return nullptr;
  }

  test::TempDir dir;
  QtUiServices ui;
  ScopedUiServices installed{&ui};
  std::unique_ptr<DialogWatcher> watching;
  std::unique_ptr<TVornExplMain> window;
};

TEST_F(ModalDialogs, EveryDialogOpensCentredOnTheWindowAndKeepsItsPlace) {
  TVornExplMain& w = Start(QRect(40, 30, 560, 420));
  // The load asked about the writes left behind (the system messages are told in the status
  // bar).
  ASSERT_GE(watching->shown.size(), 1u);
  EXPECT_EQ(watching->shown[0].name, QStringLiteral("LoadCheckForm"));

  for (const char* command : {"MenuOpen", "MenuBBSSet", "MenuAbout", "MenuInfo", "MenuSearch",
                              "MenuIDEdit", "MenuBoardEdit", "MenuCommonSet", "MenuBoardOut",
                              "MenuArticleCut", "MenuPrint", "MenuReadPtrSet"}) {
    Trigger(command);
  }
  // A set's settings, and the prefix of a new set, reached through the set chooser.
  auto choose = [this](const char* choice) {
    watching->answers[QStringLiteral("NetSetSelectForm")] = [choice](QDialog& d) {
      d.findChild<QRadioButton*>(QString::fromLatin1(choice))->setChecked(true);
      d.findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
    };
  };
  choose("RBChange");
  Trigger("MenuBBSSet");
  choose("RBNew");
  Trigger("MenuBBSSet");
  // The colour and font dialogs of the common settings are the platform's own.
  QColorDialog::getColor(Qt::red, &w);

  std::set<QString> names;
  const QRect frame = w.frameGeometry();
  for (const Shown& d : watching->shown) {
    names.insert(d.name);
    ExpectPlacedOn(frame, d);
  }
  for (const char* name :
       {"LoadCheckForm", "QMessageBox", "NetSelectForm", "NetSetSelectForm", "AboutBox",
        "SystemMsgForm", "SearchForm", "IDEditForm", "BoardSetForm", "CommonSetForm", "OpenDialog1",
        "NetVornSetForm", "PrefixInputForm", "PrintDialog1", "QColorDialog"}) {
    EXPECT_TRUE(names.count(QString::fromLatin1(name))) << name;
  }

  // Shown again after the window moved, a kept dialog stays where it was placed; a new message
  // box comes up on the window where it is now.
  const Shown* about = Find(QStringLiteral("AboutBox"));
  ASSERT_NE(about, nullptr);
  const QRect firstAbout = about->frame;
  w.move(w.pos() + QPoint(90, 60));
  QTest::qWait(20);
  Trigger("MenuAbout");
  Trigger("MenuReadPtrClear");
  const Shown* again = Find(QStringLiteral("AboutBox"), 1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->frame.topLeft(), firstAbout.topLeft());
  ExpectPlacedOn(w.frameGeometry(), watching->shown.back());
}

TEST_F(ModalDialogs, AWindowAtTheScreensCornerKeepsItsDialogsOnTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  Start(QRect(area.right() - 300, area.bottom() - 200, 400, 300));
  Trigger("MenuCommonSet");
  ASSERT_FALSE(watching->shown.empty());
  for (const Shown& d : watching->shown) {
    SCOPED_TRACE(d.name.toStdString());
    EXPECT_TRUE(area.contains(d.frame));
  }
}

TEST_F(ModalDialogs, TheBBSChooserShowsItsColumnsAndPlainFolders) {
  Start(QRect(40, 30, 640, 480));
  int nameWidth = 0, rest = 0, prefixWidth = 0;
  QStringList folders;
  watching->answers[QStringLiteral("NetSelectForm")] = [&](QDialog& d) {
    auto* grid = d.findChild<QTableWidget*>(QStringLiteral("SGDNetSelect"));
    ASSERT_NE(grid, nullptr);
    prefixWidth = grid->columnWidth(0);
    nameWidth = grid->columnWidth(1);
    rest = grid->viewport()->width() - 50;
    for (int r = 0; r < grid->rowCount(); ++r)
      folders << grid->item(r, 2)->text();
    d.reject();
  };
  Trigger("MenuOpen");
  EXPECT_EQ(prefixWidth, 50);
  EXPECT_NEAR(nameWidth, rest / 2, 1);
  EXPECT_GT(nameWidth, 150);
  // Both sample sets keep their logs beside the settings folder ("../").
  const QString folder = QtPath(fs::weakly_canonical(dir.Path()).string() + "/");
  EXPECT_EQ(folders.join(QLatin1Char('|')).toStdString(),
            QStringList({folder, folder}).join(QLatin1Char('|')).toStdString());
}

// `make run` copies the sample settings into the build folder: there too the sample sets read
// their logs from samples/, in the BBS chooser and in the file dialogs of opening and adding.
TEST_F(ModalDialogs, UnderMakeRunTheSampleSetsReadTheSamplesFolder) {
  const std::string run = dir.Path() + "/build/run-settings";
  const std::string make =
      "make -s -C '" + test::SourceDir() + "' run-settings RUN_SETTINGS='" + run + "'";
  ASSERT_EQ(std::system(make.c_str()), 0) << make;
  SetSettingsFolderOverride(run);
  Start(QRect(40, 30, 640, 480));

  QStringList folders, dialogFolders;
  int chooserShown = 0;
  auto noteFolder = [&](QDialog& d) {
    dialogFolders << static_cast<QFileDialog&>(d).directory().canonicalPath();
    d.reject();
  };
  watching->answers[QStringLiteral("OpenDialog1")] = noteFolder;
  watching->answers[QStringLiteral("NetSelectForm")] = [&](QDialog& d) {
    // The first time: the folders, then the Nifty-Serve set's file dialog; after that dialog
    // was cancelled the chooser is back, and is cancelled too.
    if (chooserShown++ > 0) return d.reject();
    auto* grid = d.findChild<QTableWidget*>(QStringLiteral("SGDNetSelect"));
    ASSERT_NE(grid, nullptr);
    for (int r = 0; r < grid->rowCount(); ++r)
      folders << QDir(grid->item(r, 2)->text()).canonicalPath();
    grid->setCurrentCell(1, 0);
    d.findChild<QPushButton*>(QStringLiteral("BTNOK"))->click();
  };
  Trigger("MenuOpen");
  Trigger("MenuOpenAdd");
  const QString samples = QDir(QtPath(test::SourceDir() + "/samples")).canonicalPath();
  EXPECT_EQ(folders.join(QLatin1Char('|')).toStdString(),
            QStringList({samples, samples}).join(QLatin1Char('|')).toStdString());
  EXPECT_EQ(dialogFolders.join(QLatin1Char('|')).toStdString(),
            QStringList({samples, samples}).join(QLatin1Char('|')).toStdString());
}

}  // namespace
}  // namespace vorn
