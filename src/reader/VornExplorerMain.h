#pragma once

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QToolBar;
class QWidget;

namespace vorn {

// The main window: menu bar, tool bar, board list bar, grid and view panels around a splitter,
// and the four-panel status bar with the progress bar inside it.
class TVornExplMain final : public QMainWindow {
  Q_OBJECT
 public:
  explicit TVornExplMain(QWidget* parent = nullptr);

  // A menu command or tool button by its component name (MenuOpen, BTNNext...).
  QAction* Command(const char* name) const;

 private:
  void CreateMenus();
  void CreateToolBar();
  void CreatePanels();
  void CreateStatusBar();
  QAction* AddCommand(QMenu* menu, const char* name, const QString& caption,
                      const QKeySequence& shortcut = QKeySequence());
  QAction* AddButton(const char* name, const QString& hint, bool checkable = false);

  QToolBar* toolBarPanel_ = nullptr;
  QWidget* boardListPanel_ = nullptr;
  QComboBox* boardList_ = nullptr;
  QSplitter* splitter1_ = nullptr;
  QWidget* articleGridPanel_ = nullptr;
  QWidget* articleEditPanel_ = nullptr;
  QLabel* statusPanels_[4] = {};
  QProgressBar* progressBar1_ = nullptr;
};

}  // namespace vorn
