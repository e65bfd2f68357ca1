#pragma once

#include <QString>
#include <string>

namespace vorn {

struct SystemMsgLook;

// The narrow roles the main window plays for its helpers. A helper is handed the parts it works
// on (the session, the reading state, the commands, the board view) and the roles it needs of
// the window; it never holds the window itself.

// The status bar's text panels, 0 to 3.
class TStatusLine {
 public:
  virtual ~TStatusLine() = default;
  virtual void SetStatusText(int panel, const QString& text) = 0;
  virtual QString StatusText(int panel) const = 0;
};

// The reading modes as their menu items and tool buttons show them, and the commands that need
// a loaded set.
class TReadModeSwitch {
 public:
  virtual ~TReadModeSwitch() = default;
  // Switches a reading mode (new articles, or search matches) on or off as its menu item does.
  virtual void SetReadMode(bool search, bool on) = 0;
  // The reading and write commands, with the binary ones the loaded family allows.
  virtual void EnableReadCommands(bool on) = 0;
};

// What opening logs needs of the window beyond the status line and the reading modes.
class TLoadWindow : public TStatusLine, public TReadModeSwitch {
 public:
  // A fresh load starts: the window is drawn again and its title names the set.
  virtual void ShowLoadedSetName(const std::string& setName) = 0;
  // The look of the text dialogs: the article view's settings and the window's place.
  virtual SystemMsgLook TextDialogLook() const = 0;
  // Whether the loaded data may be left for other logs (reopen) or the end.
  virtual bool LeaveLogSet(bool reopen, bool keepData) = 0;
  // Files that arrived during a load are loaded once the load's events have been handled.
  virtual void LoadWaitingFilesLater() = 0;
};

}  // namespace vorn
