#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/ArticleExport.h"
#include "dialoglogic/NetSelectLogic.h"

class QPrinter;
class QWidget;

namespace vorn {

class TBBSProcess;
class TMainCommands;
class TWindowAccess;

// The file dialog of the exports.
struct ExportFileRequest {
  std::string Title;
  std::string Folder;    // CP932
  std::string FileName;  // the name preset in the dialog
  FileFilter Filter;
};

// The dialogs the export and print commands open. The program shows the platform's; a test
// answers from a script.
class TExportDialogs {
 public:
  virtual ~TExportDialogs() = default;
  // The file to write (CP932 path; it need not exist), nullopt when cancelled.
  virtual std::optional<std::string> ChooseExportFile(const ExportFileRequest& request) = 0;
  // The print dialog on the printer; false when cancelled.
  virtual bool ChoosePrinter(QPrinter& printer) = 0;
};

class TQtExportDialogs final : public TExportDialogs {
 public:
  explicit TQtExportDialogs(QWidget* parent) : parent_(parent) {}
  std::optional<std::string> ChooseExportFile(const ExportFileRequest& request) override;
  bool ChoosePrinter(QPrinter& printer) override;

 private:
  QPointer<QWidget> parent_;
};

// The main window's commands that take articles out: the shown board or article into a text
// file, the shown article (or the view's selection) onto the clipboard, the article to a
// printer.
class TExportCommands final : public QObject {
  Q_OBJECT
 public:
  explicit TExportCommands(TWindowAccess& window, std::unique_ptr<TExportDialogs> dialogs = nullptr,
                           QObject* parent = nullptr);
  ~TExportCommands() override;

  // The items of the file and edit menus and of the view's pop-up that carry these commands;
  // the archive export is greyed whenever the other file commands are (a load, an editor).
  void ConnectCommands(const TMainCommands& commands);

  // MenuBoardOutClick: every log article of the shown board.
  void ExportBoard();
  // MenuArticleCutClick: the article at the grid's current row.
  void ExportArticle();
  // The six copy commands of the menu and the view's pop-up.
  void CopyArticle(CopyMode mode, bool append);
  // MenuPrintClick: the article view as one print job.
  void PrintArticle();

  TExportDialogs& Dialogs() { return *dialogs_; }
  void SetDialogs(std::unique_ptr<TExportDialogs> dialogs) { dialogs_ = std::move(dialogs); }

 private:
  // The file dialog with the overwrite question; nullopt when the user went no further.
  std::optional<std::string> ChooseFile(const TBBSProcess& bbs, bool boardExport);
  // The title line at the top of an export is the family's GenerateBoardTitle for the board.
  void Write(const std::string& path, const TBBSProcess& bbs, int32_t board,
             const std::vector<std::string>& lines);

  TWindowAccess& w_;
  std::unique_ptr<TExportDialogs> dialogs_;
};

}  // namespace vorn
