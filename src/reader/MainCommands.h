#pragma once

#include <QObject>
#include <QString>
#include <initializer_list>
#include <map>
#include <string>

class QAction;
class QKeySequence;
class QMainWindow;
class QMenu;
class QToolBar;

namespace vorn {

// The main window's commands: the menu bar, the tool bar and the two pop-up menus, every item
// under its component name (MenuOpen, BTNNext, GMenuRess, EMenuCopy...). An item is enabled
// only when it is enabled itself and its menu is enabled, so that disabling a whole menu also
// silences the shortcuts of its items.
class TMainCommands final : public QObject {
  Q_OBJECT
 public:
  // Builds everything into the window.
  explicit TMainCommands(QMainWindow& window);

  QAction* Action(const char* name) const;
  QMenu* Menu(const char* name) const;
  QToolBar* ToolBar() const { return toolBar_; }
  QMenu* GridPopup() const { return gridPopup_; }
  QMenu* ViewPopup() const { return viewPopup_; }

  void SetEnabled(const char* name, bool on);
  bool IsEnabled(const char* name) const;
  void SetMenuEnabled(const char* menuName, bool on);
  void SetChecked(const char* name, bool on);
  bool IsChecked(const char* name) const;

  // Whether every item and menu is enabled, taken to be put back as a whole (a load that was
  // stopped leaves the commands as they were before it).
  struct EnabledStates {
    std::map<std::string, bool> items;
    std::map<std::string, bool> menus;
  };
  EnabledStates SaveEnabled() const;
  void RestoreEnabled(const EnabledStates& states);

 private:
  QMenu* AddMenu(const char* name, const QString& caption);
  QAction* Add(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut);
  QAction* Add(QMenu* menu, const char* name, const QString& caption);
  QAction* AddButton(const char* name, const QString& hint, bool checkable = false);
  void CreateMenus(QMainWindow& window);
  void CreateToolBar(QMainWindow& window);
  void CreatePopups(QMainWindow& window);
  // Checkable items of which exactly one is checked.
  void Radios(std::initializer_list<QAction*> actions);
  // Watch and ignore the current thread and writer (items named prefix + WatchThread ...).
  void AddMarkItems(QMenu* menu, const char* prefix);
  void Apply(QAction* action);

  struct Item {
    QAction* action = nullptr;
    bool enabled = true;
    std::string menu;  // the menu it belongs to, empty for tool buttons and pop-ups
  };
  std::map<std::string, Item> items_;
  std::map<std::string, QMenu*> menus_;
  std::map<std::string, bool> menuEnabled_;
  QMainWindow* window_;
  QMenu* current_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QMenu* gridPopup_ = nullptr;
  QMenu* viewPopup_ = nullptr;
};

}  // namespace vorn
