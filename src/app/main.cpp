#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/TextFile.h"
#include "qtsupport/QtTranslation.h"
#include "reader/QtUiServices.h"
#include "reader/RunEndSignals.h"
#include "reader/SingleInstance.h"
#include "reader/VornExplorerMain.h"

namespace {

const char* const kUsage =
    "usage: vornexpl [-o] [--settings-dir DIR] [FILE...]\n"
    "       vornexpl --help | -h | --version\n"
    "Opens the log files in the reader window, grouped by the BBS set their names begin with.\n"
    "  -o                   kept for old shortcuts: a window already running on the settings\n"
    "                       folder always takes the files and comes to the front\n"
    "  --settings-dir DIR   the settings folder\n"
    "The help page: the window's menu ヘルプ, or F1.\n";

// Help and version are answered before any window is made, so that they work without a
// display too. Only the first argument can be the single-instance switch, and "--version"
// would read as one.
bool AnswerHelpOrVersion(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kUsage, stdout);
      return true;
    }
    if (args[i] == "--version") {
      std::printf("vornexpl %s\n", VORN_VERSION);
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  if (AnswerHelpOrVersion(args)) return 0;
  if (!vorn::TakeSettingsDirOption(args)) {
    fprintf(stderr, "vornexpl: --settings-dir needs a folder\n");
    return 2;
  }
  std::vector<std::string> arguments;
  for (size_t i = 1; i < args.size(); ++i)
    arguments.push_back(vorn::FromNativePath(args[i]));

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vorn Explorer"));
  vorn::InstallQtTranslation(app);

  // A settings folder that cannot be made is named with the reason, on the terminal at once and
  // in a box once the window is up (the window's first box); the program still runs, without
  // saving settings.
  const std::string folderProblem = vorn::SettingsFolderProblem();
  if (!folderProblem.empty()) {
    std::string text = vorn::Cp932ToUtf8(folderProblem);
    for (char& c : text)
      if (c == '\r') c = '\n';
    fprintf(stderr, "vornexpl: %s\n", text.c_str());
  }

  // One window per settings folder: a later start, with the single-instance switch or without,
  // hands its log files to the window that runs on the folder and brings it to the front, so
  // that two never write the same UP file, read pointers and editor files over each other.
  vorn::TSingleInstance instance(vorn::SettingsFolder());
  switch (instance.Start(vorn::CommandLineLogFiles(arguments))) {
    case vorn::TSingleInstance::Outcome::Owner:
      break;
    case vorn::TSingleInstance::Outcome::HandedOver:
      return 0;
    case vorn::TSingleInstance::Outcome::Refused: {
      std::string text = vorn::Cp932ToUtf8(instance.Refusal());
      for (char& c : text)
        if (c == '\r') c = '\n';
      std::fprintf(stderr, "vornexpl: %s\n", text.c_str());
      vorn::QtUiServices refusal;
      refusal.Warning(instance.Refusal());
      return 1;
    }
  }
  // The switch is no file name for the window.
  if (!arguments.empty() && vorn::IsSingleInstanceSwitch(arguments.front()))
    arguments.erase(arguments.begin());

  vorn::QtUiServices ui;
  vorn::ScopedUiServices installed(&ui);
  // Scratch files of runs that were killed while writing; those of a running instance stay.
  vorn::RemoveStaleScratchFiles(vorn::SettingsFolder());
  vorn::TVornExplMain window(arguments);
  ui.SetParent(&window);
  ui.SetLoadCheckForm(window.LoadCheckForm());
  vorn::ReceiveOtherStarts(instance, window);
  // SIGTERM, SIGHUP, SIGINT and the desktop session's end save what the end of a run saves,
  // without a question; the queued writes wait in the journal for the next start.
  new vorn::TRunEndSignals(window);
  window.show();

  // For looking at the window from scripts: save a picture of it and quit.
  const QString shot = qEnvironmentVariable("VORN_SCREENSHOT");
  if (!shot.isEmpty()) {
    const int delay = qEnvironmentVariableIntValue("VORN_SCREENSHOT_DELAY");
    QTimer::singleShot(delay > 0 ? delay : 1500, &window, [&window, shot] {
      window.grab().save(shot);
      // Leaves every event loop, also that of a message box open during a load, which a
      // close request would have to wait for.
      QCoreApplication::exit(0);
    });
  }
  return QApplication::exec();
}
